#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>

#include <csignal>
#include <string>

namespace avrtazu::test {

// What one run of the avrtazu program gave.
struct AvrtazuRun {
    int status = -1;
    std::string out;
    std::string err;
};

// avrtazu itself, run in folder with the toolchain and registry file of the build tree. A PATH
// given replaces the test's own; a signal is sent once stdout shows "group " (a tool telling its
// process group).
inline AvrtazuRun avrtazu(const std::string& folder, const QStringList& arguments,
                          const QString& path = {}, int signal = 0) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("TAZU_REGISTRY");
    environment.remove("TAZU_DRIVES");
    // On the platform it picks for itself, as a user runs it.
    environment.remove("QT_QPA_PLATFORM");
    if (!path.isEmpty()) {
        environment.insert("PATH", path);
    }
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QString::fromStdString(folder));
    process.start(AVRTAZU_EXECUTABLE, arguments);
    std::string out;
    for (int i = 0; signal != 0 && out.find("group ") == std::string::npos && i < 300; ++i) {
        process.waitForReadyRead(200);
        out += process.readAllStandardOutput().toStdString();
    }
    if (signal != 0) {
        ::kill(static_cast<pid_t>(process.processId()), signal);
    }
    const bool finished = process.waitForFinished(120000);
    EXPECT_TRUE(finished && process.exitStatus() == QProcess::NormalExit) << "avrtazu did not end";
    out += process.readAllStandardOutput().toStdString();
    return {finished ? process.exitCode() : -1, out, process.readAllStandardError().toStdString()};
}

} // namespace avrtazu::test
