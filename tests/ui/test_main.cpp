#include <QApplication>

#include <gtest/gtest.h>

#include <clocale>

// Widget tests need one application object for the whole run; offscreen unless told otherwise.
// Dates read the same on every machine.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qputenv("TZ", "UTC");
    QApplication app(argc, argv);
    std::setlocale(LC_TIME, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
