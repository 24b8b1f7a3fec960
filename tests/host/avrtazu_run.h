#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>

#include <string>

namespace avrtazu::test {

// What one run of the avrtazu program gave.
struct AvrtazuRun {
    int status = -1;
    std::string out;
    std::string err;
};

// avrtazu itself, run in folder with the toolchain of the build tree and its registry file.
inline AvrtazuRun avrtazu(const std::string& folder, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("TAZU_REGISTRY");
    environment.remove("TAZU_DRIVES");
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QString::fromStdString(folder));
    process.start(AVRTAZU_EXECUTABLE, arguments);
    const bool finished = process.waitForFinished(120000);
    EXPECT_TRUE(finished && process.exitStatus() == QProcess::NormalExit) << "avrtazu did not end";
    return {finished ? process.exitCode() : -1, process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

} // namespace avrtazu::test
