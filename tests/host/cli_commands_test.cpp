#include "host_test_support.h"

#include "cli/cli_session.h"
#include "lib/current_folder_scope.h"
#include "platform/drive_map.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;

using test::words;

// Per entry of compile_commands.json: the file and the switches that say how it is compiled.
std::string compileCommands(const std::string& path) {
    std::string text;
    const QJsonArray entries =
        QJsonDocument::fromJson(QByteArray::fromStdString(test::readFile(path))).array();
    for (const QJsonValue& entry : entries) {
        text += fs::path(entry["file"].toString().toStdString()).filename().string() + ":";
        for (const QJsonValue& argument : entry["arguments"].toArray()) {
            const std::string word = argument.toString().toStdString();
            for (const char* kind : {"/", "-mmcu", "-I", "-D", "-std", "-x"}) {
                text += word.rfind(kind, 0) == 0 ? " " + word : "";
            }
        }
        text += "\n";
    }
    return text;
}

// One user's session on a copy of the example: each command's output, exit status and whether
// the project file changed. A run shows the firmware's first line and avrtazu's own notes.
TEST(CliCommandsTest, ShowSetConfigAndRunChangeOnlyWhatTheOptionsSheetAccepts) {
    const std::string bin = fs::path(AVRTAZU_EXECUTABLE).parent_path().string();
    if (QStandardPaths::findExecutable("avr-gcc").isEmpty() || !fs::exists(bin + "/avrtazu-sim")) {
        GTEST_SKIP() << "avr-gcc or libsimavr-dev is not installed (scripts/setup installs them)";
    }
    ::unsetenv("TAZU_REGISTRY");
    registerPluginClass();
    test::TempFolder folder;
    for (const char* file : {"blink.aps", "main.c", "uart.c", "uart.h", ".clangd"}) {
        fs::copy(std::string(AVRTAZU_EXAMPLE_DIR) + "/" + file, folder.file(file));
    }
    fs::create_directories(folder.file("inc"));
    const std::pair<const char*, bool> steps[] = {
        {"devices", true},
        {"set --help", true},
        {"show blink.aps", true},
        {"show blink.aps --json", true},
        {"set blink.aps returnStackSize=20 printfVersion=2", true},
        {"set blink.aps programMemory=100", true},
        {"set blink.aps part=ATMega999", true},
        {"set blink.aps printfVersion=huge", true},
        {"set blink.aps includes=none", true},
        {"set blink.aps colour=red", true},
        {"set blink.aps part=atmega32 includes=inc printfVersion=long returnStackSize=40", true},
        {"show blink.aps", true},
        {"config blink.aps nope", true},
        {"config blink.aps release --add", true},
        {"config blink.aps release --add", true},
        {"config blink.aps release --remove", true},
        {"config blink.aps default", true},
        {"config blink.aps release --remove", true},
        {"run blink.aps --seconds 1", false},
        {"set blink.aps part=Custom", true},
        {"run blink.aps", true},
        {"set blink.aps part=ATMega8515", true},
        {"run blink.aps --seconds 1", false},
    };
    std::string transcript;
    for (const auto& [arguments, whole] : steps) {
        const std::string before = test::readFile(folder.file("blink.aps"));
        std::ostringstream out, err;
        int status = -1;
        {
            const CurrentFolderScope caller(folder.path());
            PlugInUtility::resetForTesting();
            status = CliSession::main(words(arguments), out, err, false, bin);
        }
        std::string text = "$ avrtazu " + std::string(arguments) + "\n";
        if (whole) {
            text += out.str() + err.str();
        } else {
            text += out.str().substr(0, out.str().find('\r')) + "\n";
            std::istringstream notes(err.str());
            for (std::string line; std::getline(notes, line);) {
                text += line.rfind("avrtazu: ", 0) == 0 ? line + "\n" : "";
            }
        }
        text += "exit " + std::to_string(status) + "; blink.aps " +
                (test::readFile(folder.file("blink.aps")) == before ? "unchanged" : "changed") +
                "\n";
        if (!whole) {
            text += compileCommands(folder.file("default/compile_commands.json"));
        }
        transcript += text;
    }
    test::expectGolden("cli_commands.txt",
                       test::replaced(transcript, {{folder.path(), "@F"},
                                                   {DriveMap::toWindows(folder.path()), "@F"}}));

    // An editor finds every header and register of the device through the file.
    if (!QStandardPaths::findExecutable("clangd").isEmpty()) {
        QProcess clangd;
        clangd.setProcessChannelMode(QProcess::MergedChannels);
        clangd.start("clangd",
                     {QString::fromStdString("--check=" + folder.file("main.c")),
                      QString::fromStdString("--compile-commands-dir=" + folder.file("default")),
                      "--query-driver=/usr/bin/avr-gcc"});
        ASSERT_TRUE(clangd.waitForFinished(60000));
        EXPECT_NE(clangd.readAll().indexOf("All checks completed, 0 errors"), -1);
    }
}

} // namespace
} // namespace avrtazu
