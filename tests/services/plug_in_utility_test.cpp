#include "services/plug_in_utility.h"

#include "golden.h"
#include "model/configuration.h"
#include "model/project.h"
#include "platform/log_sink.h"
#include "platform/registry.h"
#include "services/dependency_scan.h"
#include "services/fake_host_support.h"
#include "services/scratch_drive.h"
#include "services/toolchain_locator.h"

#include <filesystem>
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

using fakes::HubInstallation;
using fakes::RecordingHub;
using Lines = std::vector<std::string>;

class PlugInUtilityTest : public ::testing::Test {
protected:
    test::ScratchDrive drive{'C'};
    std::shared_ptr<RecordingHub> hub = std::make_shared<RecordingHub>();
    HubInstallation installation{hub};
};

TEST_F(PlugInUtilityTest, CreationRegistersThePluginThenRunsTheLocatorOnce) {
    Lines seen; // registrations and locations when the locator ran
    PlugInUtility::setToolchainLocator([&](PlugInUtility& utility) {
        // The locator may ask for the instance again while it is being created.
        EXPECT_EQ(&PlugInUtility::instance(), &utility);
        seen.push_back(std::to_string(hub->registrations.size()) + utility.compilerDirectory() +
                       utility.makeDirectory() + utility.libraryDirectory() + utility.helpFile());
        utility.setHelpFile("C:\\TC\\Help\\TAZUAVR\\wwhelp.htm");
    });
    PlugInUtility& utility = PlugInUtility::instance();
    EXPECT_EQ(seen, Lines{"1"});
    EXPECT_EQ(installation.creations(), 1);
    EXPECT_EQ(hub->registrations,
              (std::vector<std::pair<std::string, long>>{{"Zuzozuduvuruva", 1}}));
    EXPECT_EQ(utility.helpFile(), "C:\\TC\\Help\\TAZUAVR\\wwhelp.htm");
    EXPECT_EQ(LogSink::installed(), &utility);
    utility.locateToolchain();
    EXPECT_EQ(seen.size(), 2u);
}

class ThrowingHub : public RecordingHub {
public:
    HRESULT Log(long, const Bstr&, const Bstr&, const Bstr&) override {
        throw std::runtime_error("hub gone");
    }
};

// With a hub, one that is missing and one that throws.
TEST(PlugInUtilityLogTest, LinesReachTheHubOrElseStandardError) {
    std::string seen;
    for (const std::shared_ptr<RecordingHub>& hub :
         {std::make_shared<RecordingHub>(), std::shared_ptr<RecordingHub>(),
          std::shared_ptr<RecordingHub>(std::make_shared<ThrowingHub>())}) {
        HubInstallation installation(hub);
        int runs = 0;
        PlugInUtility::setToolchainLocator([&](PlugInUtility&) { ++runs; });
        ::testing::internal::CaptureStderr();
        PlugInUtility& utility = PlugInUtility::instance();
        utility.logInfo("Created M\xFC.c");
        utility.logWarning("Part differs");
        utility.logError("Failed");
        utility.logDebug("Build()", ": Finished");
        // The model's refusals arrive the same way, as errors.
        Project().removeConfiguration("Debug");
        seen += "== standard error\n" + ::testing::internal::GetCapturedStderr() + "== hub\n";
        for (const auto& l : hub ? hub->logs : std::vector<RecordingHub::LogLine>{}) {
            seen += std::to_string(l.level) + "|" + l.prefix + "|" + l.context + "|" + l.message;
            seen += "\n";
        }
        EXPECT_EQ(runs, 1) << "discovery runs with or without a hub";
        EXPECT_EQ(utility.hub(), hub.get());
    }
    test::expectGolden("log_lines.txt", seen);
}

const std::string kUninstallKey =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\DAZAZ7EVE]\r\n";

// Registry entries as the .reg text writes them: backslashes and quotes escaped.
std::string uninstall(const std::string& command) {
    return kUninstallKey + "\"UninstallString\"=\"" +
           std::regex_replace(command, std::regex(R"([\\"])"), "\\$&") + "\"\r\n\r\n";
}
std::string software(const std::string& directory) {
    return "[HKEY_LOCAL_MACHINE\\Software]\r\n\"DAZAZ7EVE\"=\"" +
           std::regex_replace(directory, std::regex(R"([\\"])"), "\\$&") + "\"\r\n\r\n";
}

// Each registry text, and the locations and log lines it gives, are in the golden file.
TEST_F(PlugInUtilityTest, LocatorTakesLocationsFromTheRegistryAndNamesTheTools) {
    // 79 characters and the terminator fill the 80-byte buffer exactly; one more does not fit.
    const std::string fits = "C:\\" + std::string(70, 'd') + "\\u.exe";
    const std::string longDir = "D:\\" + std::string(76, 'd');
    const std::string entries[] = {
        // clang-format off
        uninstall("C:\\Tools\\TC\\unins000.exe"), software("D:\\TC"), "",
        uninstall("C:\\A\\unins000.exe") + software("D:\\TC"),
        uninstall(fits), uninstall(fits + "x"), software(longDir), software(longDir + "d"),
        // The uninstall key opens: the install directory is not looked at.
        kUninstallKey + "\"Other\"=\"1\"\r\n\r\n" + software("D:\\TC"),
        uninstall("unins000.exe /x"), software("C:\\TC"), software("C:\\T1"), software("C:\\T2"),
        // The install root is the folder of the last absolute path.
        uninstall("\"C:\\Program Files\\TC\\unins000.exe\" /SILENT"), uninstall("D:\\unins000.exe"),
        uninstall("C:\\WINDOWS\\uninst.exe -f D:\\TC\\deisl1.isu"),
        uninstall("\\TC\\unins000.exe"), uninstall(":\\TC\\unins000.exe"),
        // clang-format on
    };
    for (const char* tool : {"TC/bin/tazuavr.exe", "TC/bin/tazumake.exe", "T1/bin/tazumake.exe",
                             "T2/bin/tazuavr.exe"}) {
        drive.write(tool, "");
    }
    PlugInUtility::setToolchainLocator(&ToolchainLocator::locate);
    PlugInUtility& utility = PlugInUtility::instance();
    std::string seen;
    for (const std::string& text : entries) {
        Registry::setFile(
            drive.write("tazu.reg", "Windows Registry Editor Version 5.00\r\n\r\n" + text));
        utility.setCompilerDirectory("before");
        utility.setMakeDirectory("before");
        utility.setLibraryDirectory("");
        utility.setHelpFile("");
        hub->logs.clear();
        utility.locateToolchain();
        seen += "== registry\n" + std::regex_replace(text, std::regex("\r"), "") + "== found\n" +
                utility.compilerDirectory() + "|" + utility.makeDirectory() + "|" +
                utility.libraryDirectory() + "|" + utility.helpFile() + "\n";
        for (const auto& line : hub->logs) {
            seen += std::to_string(line.level) + "|" + line.context + "|" + line.message + "\n";
        }
    }
    Registry::setFile("");
    test::expectGolden("toolchain_locations.txt", seen);
}

Lines fullNames(const std::vector<SourceFile>& files) {
    Lines names;
    for (const SourceFile& file : files) {
        names.push_back(file.fullName());
    }
    return names;
}

TEST(DependencyScanTest, HeadersAreTakenFromTheWords) {
    const std::string out = "C:\\work\\demo\\default\\";
    const std::pair<const char*, Lines> cases[] = {
        // clang-format off
        {"main.o: main.c ..\\inc\\io.h C:\\inc\\uart.H\n", {"C:\\work\\demo\\inc\\io.h", "C:\\inc\\uart.H"}},
        {"io.hpp io.h, main.c \\\n x.h\n", {out + "x.h"}},
        {"a.h\tmain.c c.h\n", {out + "c.h"}}, // a tab does not separate
        {"a.h\nb.h", {out + "a.h"}},          // the last word needs an end
        {"  a.h   b.h  \n\nb.o: a.h\n", {out + "a.h", out + "b.h"}},
        // clang-format on
    };
    for (const auto& [text, headers] : cases) {
        std::vector<SourceFile> result;
        DependencyScan::collectHeaders(text, out, result);
        EXPECT_EQ(fullNames(result), headers) << text;
    }
}

TEST_F(PlugInUtilityTest, ExternalHeadersOfAllSourcesInOrderWithoutProjectHeaders) {
    Project project{"demo", "C:\\work\\demo\\"};
    project.addConfig(Configuration("default", "demo.cof"));
    project.addSrcFile(SourceFile("main.c"));
    project.addSrcFile(SourceFile("src\\uart.c"));
    const auto scan = [&] {
        return fullNames(PlugInUtility::instance().getExternalHeaderFiles(project));
    };
    EXPECT_EQ(scan(), Lines{}) << "no dependency folder";
    ASSERT_EQ(hub->logs.size(), 1u);
    EXPECT_EQ(hub->logs[0].level, 3);
    EXPECT_EQ(hub->logs[0].context + hub->logs[0].message,
              "PlugInUtility::getExternalHeaderFilesDependency directory does not exist");
    drive.write("work/demo/default/dep/uart.o.d",
                "uart.o: C:\\work\\demo\\src\\uart.c ..\\uart.h common.h\r\n");
    drive.write("work/demo/default/dep/main.o.d",
                "main.o: C:\\work\\demo\\main.c ..\\main.h C:\\inc\\io.h common.h\r\n");
    drive.write("work/demo/default/dep/other.o.d", "other.o: other.h\n");
    // A project header of the same file name hides a dependency wherever it lies.
    project.addHdrFile(SourceFile("include\\main.h"));
    EXPECT_EQ(scan(), (Lines{"C:\\inc\\io.h", "C:\\work\\demo\\default\\common.h",
                             "C:\\work\\demo\\uart.h"}));
    EXPECT_EQ(hub->logs.size(), 1u);

    // An output directory with a drive is used as it is.
    test::ScratchDrive other('D');
    other.write("out/dep/main.o.d", "main.o: main.c io.h\n");
    project.setOutputDirectory("D:\\out\\");
    EXPECT_EQ(scan(), Lines{"D:\\out\\io.h"});
    // A compile puts a new list in place of the old one: read anew, even with its size and time.
    other.write("out/dep/main.o.d.gcc", "main.o: main.c ix.h\n");
    namespace fs = std::filesystem;
    fs::last_write_time(other.linux("out/dep/main.o.d.gcc"),
                        fs::last_write_time(other.linux("out/dep/main.o.d")));
    fs::rename(other.linux("out/dep/main.o.d.gcc"), other.linux("out/dep/main.o.d"));
    EXPECT_EQ(scan(), Lines{"D:\\out\\ix.h"});
}

} // namespace
} // namespace avrtazu
