#include "avrtazu_run.h"
#include "host_test_support.h"

#include <QProcess>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>

namespace avrtazu {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

// The example project, built with a Makefile of its own in ext/ (so no compiler is needed);
// with broken tools, from a toolchain folder whose tools cannot run.
std::string externalMakefileProject(const test::TempFolder& folder, const std::string& makefile,
                                    bool brokenTools = false) {
    std::string aps = test::readFile(std::string(AVRTAZU_EXAMPLE_DIR) + "/blink.aps");
    const auto replace = [&aps](const std::string& from, const std::string& to) {
        aps.replace(aps.find(from), from.size(), to);
    };
    replace("<USESEXTERNALMAKEFILE>NO<", "<USESEXTERNALMAKEFILE>YES<");
    replace("<EXTERNALMAKEFILE />", "<EXTERNALMAKEFILE>ext\\Makefile</EXTERNALMAKEFILE>");
    if (brokenTools) {
        folder.write("tools/tazumake.exe", "");
        folder.write("tools/tazuavr.exe", "");
        std::string tools = "Z:" + folder.file("tools");
        std::replace(tools.begin(), tools.end(), '/', '\\');
        replace("<USES_TAZUAVR>1<", "<USES_TAZUAVR>0<");
        replace("<TAZU_LOC />", "<TAZU_LOC>" + tools + "</TAZU_LOC>");
        replace("<MAKE_LOC />", "<MAKE_LOC>" + tools + "</MAKE_LOC>");
    }
    folder.write("main.c", "int main(void) { return 0; }\n");
    folder.write("ext/Makefile", makefile);
    // Prints the tool's process group, then works on until it is stopped.
    folder.write("ext/hang.sh", "echo group $(cut -d' ' -f5 /proc/$$/stat)\nexec sleep 120\n");
    return folder.write("blink.aps", aps);
}

// avrtazu on a PATH without the toolchain; with a signal, sent once stdout shows `after`.
test::AvrtazuRun run(const std::string& folder, const QStringList& arguments, int signal = 0,
                     const std::string& after = "") {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("TAZU_REGISTRY");
    environment.remove("TAZU_DRIVES");
    environment.insert("PATH", "/usr/bin:/bin");
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QString::fromStdString(folder));
    process.start(AVRTAZU_EXECUTABLE, arguments);
    std::string out;
    if (signal != 0) {
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (out.find(after) == std::string::npos &&
               std::chrono::steady_clock::now() < deadline &&
               process.state() != QProcess::NotRunning) {
            process.waitForReadyRead(200);
            out += process.readAllStandardOutput().toStdString();
        }
        ::kill(static_cast<pid_t>(process.processId()), signal);
    }
    const bool finished = process.waitForFinished(120000);
    EXPECT_TRUE(finished && process.exitStatus() == QProcess::NormalExit) << "avrtazu did not end";
    out += process.readAllStandardOutput().toStdString();
    return {finished ? process.exitCode() : -1, out, process.readAllStandardError().toStdString()};
}

TEST(CliExitStatusTest, OnlyARealSuccessExitsZero) {
    struct Case {
        const char* what;
        QStringList command;
        std::string makefile;
        bool brokenTools;
        // An object file of an earlier build, which must not hide a failure.
        bool oldOutput;
        int status;
        const char* shown;
    };
    const Case cases[] = {
        {"an error the compiler counted",
         {"build"},
         "all:\n\t@echo !E main.c(1): broken\n",
         false,
         false,
         1,
         "Build failed with 1 errors and 0 warnings..."},
        {"make's Error and Stop",
         {"build"},
         "all:\n\tfalse\n",
         false,
         true,
         1,
         "tazumake: *** Stop."},
        {"make's Error and Stop in a clean",
         {"clean"},
         "clean:\n\tfalse\n",
         false,
         true,
         1,
         "Successfully cleaned the project"},
        {"make's Error and Stop in a compile",
         {"compile", "main.c"},
         "all:\n\ttrue\n",
         false,
         true,
         1,
         "Make succeeded with 0 Warnings..."},
        {"a make tool that cannot be started",
         {"build"},
         "all:\n\ttrue\n",
         true,
         true,
         1,
         "'tazumake' is not recognized as an internal or external command"},
        {"a build that left no object file",
         {"build"},
         "all:\n\ttrue\n",
         false,
         false,
         1,
         "Build succeeded with 0 Warnings..."},
        {"a build",
         {"build"},
         "all:\n\ttouch blink.cof\n",
         false,
         false,
         0,
         "Build succeeded with 0 Warnings..."},
        // What a rebuild shows last is its build: a clean that finds nothing to clean is no
        // failure of it.
        {"a rebuild without a clean target",
         {"rebuild"},
         "all:\n\ttouch blink.cof\n",
         false,
         false,
         0,
         "Build succeeded with 0 Warnings..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const test::TempFolder project;
        externalMakefileProject(project, c.makefile, c.brokenTools);
        if (c.oldOutput) {
            project.write("ext/blink.cof", "old");
        }
        QStringList arguments = {c.command.front(), "blink.aps"};
        arguments << c.command.mid(1);
        const test::AvrtazuRun r = run(project.path(), arguments);
        EXPECT_EQ(r.status, c.status) << r.out << r.err;
        EXPECT_THAT(r.out, HasSubstr(c.shown));
    }
}

// Waits until no process of the group is left, reaping those that came to this process.
bool groupEnds(pid_t group) {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
        while (::waitpid(-group, nullptr, WNOHANG) > 0) {
        }
        if (::kill(-group, 0) != 0 && errno == ESRCH) {
            return true;
        }
        std::this_thread::sleep_for(20ms);
    }
    ::kill(-group, SIGKILL);
    return false;
}

TEST(CliExitStatusTest, AnInterruptEndsTheRunningToolWithEverythingItStarted) {
    // The tool's processes lose their parent when it is killed; they come to this process, so
    // that it can tell when they are gone.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    for (const auto& [signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        SCOPED_TRACE(signal);
        const test::TempFolder project;
        const std::string aps = externalMakefileProject(project, "all:\n\tsh hang.sh\n");
        const test::AvrtazuRun r = run(project.path(), {"build", "blink.aps"}, signal, "group ");
        EXPECT_EQ(r.status, status) << r.out << r.err;
        EXPECT_THAT(r.out, HasSubstr("\nCancelled.\n"));
        const std::size_t group = r.out.find("group ");
        ASSERT_NE(group, std::string::npos) << r.out;
        EXPECT_TRUE(groupEnds(std::stoi(r.out.substr(group + 6))));
        // Written whole: the file still reads as the project it was.
        EXPECT_THAT(test::readFile(aps), HasSubstr("<EXTERNALMAKEFILE>ext\\Makefile<"));
        EXPECT_THAT(test::readFile(aps), HasSubstr("</AVRStudio>"));
    }
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

} // namespace
} // namespace avrtazu
