#include "ui/qt_dialog_service.h"

#include "platform/temp_drive.h"
#include "ui/file_dialogs_support.h"
#include "ui/folder_browser_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace avrtazu {
namespace {

using test::TempDrive;

TEST(QtDialogServiceTest, WindowsFiltersBecomeQtFilters) {
    const struct {
        const char* windows;
        const char* qt;
    } cases[] = {
        {"Header File (*.h)|*.h;|All Files(*.*)|*.*|", "Header File (*.h);;All Files (*)"},
        {"Source File (*.c)|*.c;|All Files(*.*)|*.*|", "Source File (*.c);;All Files (*)"},
        {"All files(*.*)|*.*|", "All files (*)"},
        {"Sources|*.c;*.s;*.S|", "Sources (*.c *.s *.S)"},
        {"Makefiles|Makefile;*.mk", "Makefiles (Makefile *.mk)"},
        {"Text files", "Text files (*)"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QtDialogService::toQtFilter(c.windows).toStdString(), c.qt) << c.windows;
    }
}

TEST(QtDialogServiceTest, PathsCrossBetweenWindowsAndLinux) {
    TempDrive drive;
    EXPECT_EQ(QtDialogService::startDirectory("C:\\proj\\").toStdString(), drive.linux("proj/"));
    EXPECT_EQ(QtDialogService::startDirectory("Z:\\usr\\lib").toStdString(), "/usr/lib");
    EXPECT_EQ(QtDialogService::startDirectory(""), QDir::currentPath());
    EXPECT_EQ(QtDialogService::startDirectory("Q:\\nowhere\\"), QDir::currentPath());

    const QStringList chosen = {QString::fromStdString(drive.linux("proj/main.c")), QString(),
                                QStringLiteral("/etc/hosts")};
    const std::vector<std::string> expected = {"C:\\proj\\main.c", "Z:\\etc\\hosts"};
    EXPECT_EQ(QtDialogService::toWindowsPaths(chosen), expected);
}

TEST(QtDialogServiceTest, ButtonsAndAnswersMapBothWays) {
    const struct {
        MessageButtons buttons;
        QMessageBox::StandardButtons qt;
        MessageAnswer closedOtherwise;
    } cases[] = {
        {MessageButtons::Ok, QMessageBox::Ok, MessageAnswer::Ok},
        {MessageButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel, MessageAnswer::Cancel},
        {MessageButtons::YesNo, QMessageBox::Yes | QMessageBox::No, MessageAnswer::No},
        {MessageButtons::YesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
         MessageAnswer::Cancel},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QtDialogService::qtButtons(c.buttons), c.qt);
        EXPECT_EQ(QtDialogService::answerFor(QMessageBox::NoButton, c.buttons), c.closedOtherwise);
        EXPECT_EQ(QtDialogService::answerFor(QMessageBox::Yes, c.buttons), MessageAnswer::Yes);
        EXPECT_EQ(QtDialogService::answerFor(QMessageBox::No, c.buttons), MessageAnswer::No);
        EXPECT_EQ(QtDialogService::answerFor(QMessageBox::Ok, c.buttons), MessageAnswer::Ok);
        EXPECT_EQ(QtDialogService::answerFor(QMessageBox::Cancel, c.buttons),
                  MessageAnswer::Cancel);
    }
}

// Acts on the first visible top-level widget of type T once the event loop shows it.
template <class T> void whenShown(std::function<void(T&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<T*>(widget); found != nullptr && found->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(*found);
                return;
            }
        }
    });
    timer->start();
}

TEST(QtDialogServiceTest, MessageBoxShowsTextAndGivesTheClickedAnswer) {
    std::string shownText;
    std::string shownTitle;
    whenShown<QMessageBox>([&](QMessageBox& box) {
        shownText = box.text().toStdString();
        shownTitle = box.windowTitle().toStdString();
        box.button(QMessageBox::No)->click();
    });
    QtDialogService service;
    EXPECT_EQ(service.messageBox("Really delete the project file main.c ?", "Delete project file?",
                                 MessageIcon::Question, MessageButtons::YesNo),
              MessageAnswer::No);
    EXPECT_EQ(shownText, "Really delete the project file main.c ?");
    EXPECT_EQ(shownTitle, "Delete project file?");
}

TEST(QtDialogServiceTest, BrowseFolderShowsTheFolderBrowserAtTheStartFolder) {
    TempDrive drive;
    drive.makeFolder("proj/obj");
    whenShown<FolderBrowserDialog>([](FolderBrowserDialog& dialog) {
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    QtDialogService service;
    EXPECT_EQ(service.browseFolder("", "C:\\proj\\obj"), "C:\\proj\\obj\\");

    whenShown<FolderBrowserDialog>([](FolderBrowserDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(service.browseFolder("", "C:\\proj\\obj\\"), "");
}

} // namespace
} // namespace avrtazu
