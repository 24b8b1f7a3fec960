#include "services/toolchain_locator.h"

#include "platform/registry.h"
#include "services/fake_host_support.h"
#include "services/plug_in_utility.h"
#include "services/scratch_drive.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

// Registry entries as the .reg text writes them: backslashes doubled.
std::string regText(const std::string& value) {
    std::string escaped;
    for (const char c : value) {
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    return escaped;
}

const std::string kUninstallKey =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\DAZAZ7EVE]\r\n";

std::string uninstallEntry(const std::string& command) {
    return kUninstallKey + "\"UninstallString\"=\"" + regText(command) + "\"\r\n\r\n";
}

std::string softwareEntry(const std::string& directory) {
    return "[HKEY_LOCAL_MACHINE\\Software]\r\n\"DAZAZ7EVE\"=\"" + regText(directory) + "\"\r\n\r\n";
}

TEST(ToolchainRootTest, InstallRootIsTheFolderOfTheLastAbsolutePath) {
    const struct {
        const char* command;
        const char* root;
    } cases[] = {
        {"C:\\Tools\\TC\\unins000.exe", "C:\\Tools\\TC\\"},
        {"\"C:\\Program Files\\TC\\unins000.exe\" /SILENT", "C:\\Program Files\\TC\\"},
        {"C:\\WINDOWS\\uninst.exe -f D:\\TC\\deisl1.isu", "D:\\TC\\"},
        {"D:\\unins000.exe", "D:\\"},
        {"unins000.exe", ""},
        {"\\TC\\unins000.exe", ""},
        {":\\TC\\unins000.exe", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToolchainLocator::rootFromUninstallString(c.command), c.root) << c.command;
    }
}

class ToolchainLocatorTest : public ::testing::Test {
protected:
    ToolchainLocatorTest() { PlugInUtility::setToolchainLocator(&ToolchainLocator::locate); }
    ~ToolchainLocatorTest() override { Registry::setFile(""); }

    test::ScratchDrive drive{'C'};
    std::shared_ptr<fakes::RecordingHub> hub = std::make_shared<fakes::RecordingHub>();
    fakes::HubInstallation installation{hub};
};

TEST_F(ToolchainLocatorTest, LocationsAndToolLinesFromTheRegistry) {
    // 79 characters and the terminator fill the 80-byte buffer exactly; one more does not fit.
    const std::string fits = "C:\\" + std::string(70, 'd') + "\\u.exe";
    const std::string tooLong = "C:\\" + std::string(71, 'd') + "\\u.exe";
    const std::string longDir = "D:\\" + std::string(76, 'd');
    const std::string found = "Found avr-tazu at C:\\TC\\bin\\tazuavr.exe";
    const std::string foundMake = "Found tazu-make at C:\\TC\\bin\\tazumake.exe";
    const std::string missing = "Could not find avr-tazu. Please Check your TAZUAVR installation";
    const std::string missingMake =
        "Could not find tazu-make. Please Check your TazuAVR installation";
    const struct {
        std::string entries;
        std::string root; // empty: the locations stay as they were
        std::vector<std::string> lines;
    } cases[] = {
        {uninstallEntry("C:\\Tools\\TC\\unins000.exe"), "C:\\Tools\\TC\\", {missing, missingMake}},
        {softwareEntry("D:\\TC"), "D:\\TC\\", {missing, missingMake}},
        {uninstallEntry("C:\\A\\unins000.exe") + softwareEntry("D:\\TC"),
         "C:\\A\\",
         {missing, missingMake}},
        {uninstallEntry(fits), fits.substr(0, 74), {missing, missingMake}},
        {softwareEntry(longDir), longDir + "\\", {missing, missingMake}},
        {"", "", {}},
        // The uninstall key opens: the install directory is not looked at.
        {kUninstallKey + "\"Other\"=\"1\"\r\n\r\n" + softwareEntry("D:\\TC"), "", {}},
        {uninstallEntry(tooLong), "", {}},
        {softwareEntry(longDir + "d"), "", {}},
        {uninstallEntry("unins000.exe /x"),
         "",
         {"No install directory in UninstallString \"unins000.exe /x\""}},
        {softwareEntry("C:\\TC"), "C:\\TC\\", {found, foundMake}},
        {softwareEntry("C:\\T1"),
         "C:\\T1\\",
         {missing, "Found tazu-make at C:\\T1\\bin\\tazumake.exe"}},
        {softwareEntry("C:\\T2"),
         "C:\\T2\\",
         {"Found avr-tazu at C:\\T2\\bin\\tazuavr.exe", missingMake}},
    };
    drive.write("TC/bin/tazuavr.exe", "");
    drive.write("TC/bin/tazumake.exe", "");
    drive.write("T1/bin/tazumake.exe", "");
    drive.write("T2/bin/tazuavr.exe", "");
    PlugInUtility& utility = PlugInUtility::instance();
    for (const auto& c : cases) {
        Registry::setFile(
            drive.write("tazu.reg", "Windows Registry Editor Version 5.00\r\n\r\n" + c.entries));
        utility.setCompilerDirectory("before");
        utility.setMakeDirectory("before");
        utility.setLibraryDirectory("");
        utility.setHelpFile("");
        hub->logs.clear();
        utility.locateToolchain();

        std::vector<std::string> expected = {"before", "before", "", ""};
        if (!c.root.empty()) {
            expected = {c.root + "bin", c.root + "bin", c.root + "lib",
                        c.root + "Help\\TAZUAVR\\wwhelp.htm"};
        }
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        std::vector<std::string> actual = {utility.compilerDirectory(), utility.makeDirectory(),
                                           utility.libraryDirectory(), utility.helpFile()};
        for (const auto& line : hub->logs) {
            EXPECT_EQ(line.prefix, "tazu plug-in:");
            actual.push_back((line.level == 3 && line.context.empty() ? "" : "other: ") +
                             line.message);
        }
        EXPECT_EQ(actual, expected) << c.entries;
    }
}

} // namespace
} // namespace avrtazu
