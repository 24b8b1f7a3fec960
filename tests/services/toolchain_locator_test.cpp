#include "services/toolchain_locator.h"

#include "platform/registry.h"
#include "services/fake_host_support.h"
#include "services/plug_in_utility.h"
#include "services/scratch_drive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

using fakes::HubInstallation;
using fakes::RecordingHub;

// A registry value as the .reg text writes it: backslashes doubled.
std::string regText(const std::string& value) {
    std::string escaped;
    for (const char c : value) {
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    return escaped;
}

std::string uninstallEntry(const std::string& command) {
    return "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
           "DAZAZ7EVE]\r\n\"UninstallString\"=\"" +
           regText(command) + "\"\r\n\r\n";
}

std::string softwareEntry(const std::string& directory) {
    return "[HKEY_LOCAL_MACHINE\\Software]\r\n\"DAZAZ7EVE\"=\"" + regText(directory) + "\"\r\n\r\n";
}

class ToolchainLocatorTest : public ::testing::Test {
protected:
    ToolchainLocatorTest() { PlugInUtility::setToolchainLocator(&ToolchainLocator::locate); }
    ~ToolchainLocatorTest() override { Registry::setFile(""); }

    void useRegistry(const std::string& entries) {
        Registry::setFile(
            drive.write("tazu.reg", "Windows Registry Editor Version 5.00\r\n\r\n" + entries));
    }

    std::vector<std::string> debugLines() const {
        std::vector<std::string> lines;
        for (const auto& line : hub->logs) {
            if (line.level == 3 && line.context.empty()) {
                lines.push_back(line.message);
            }
        }
        return lines;
    }

    test::ScratchDrive drive{'C'};
    std::shared_ptr<RecordingHub> hub = std::make_shared<RecordingHub>();
    HubInstallation installation{hub};
};

TEST(ToolchainRootTest, InstallRootIsTheFolderOfTheLastAbsolutePath) {
    struct Case {
        const char* command;
        const char* root;
    } cases[] = {
        {"C:\\Tools\\TC\\unins000.exe", "C:\\Tools\\TC\\"},
        {"\"C:\\Program Files\\TC\\unins000.exe\"", "C:\\Program Files\\TC\\"},
        {"\"C:\\Program Files\\TC\\unins000.exe\" /SILENT", "C:\\Program Files\\TC\\"},
        {"C:\\WINDOWS\\uninst.exe -f D:\\TC\\deisl1.isu", "D:\\TC\\"},
        {"D:\\unins000.exe", "D:\\"},
        {"unins000.exe", ""},
        {"\\TC\\unins000.exe", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToolchainLocator::rootFromUninstallString(c.command), c.root) << c.command;
    }
}

TEST_F(ToolchainLocatorTest, CreationFindsTheToolchainFromEitherRegistryForm) {
    struct Case {
        const char* name;
        std::string entries;
        const char* bin;
        const char* lib;
        const char* help;
    } cases[] = {
        {"uninstaller", uninstallEntry("C:\\Tools\\TC\\unins000.exe"), "C:\\Tools\\TC\\bin",
         "C:\\Tools\\TC\\lib", "C:\\Tools\\TC\\Help\\TAZUAVR\\wwhelp.htm"},
        {"install directory", softwareEntry("D:\\TC"), "D:\\TC\\bin", "D:\\TC\\lib",
         "D:\\TC\\Help\\TAZUAVR\\wwhelp.htm"},
        {"uninstaller wins", uninstallEntry("C:\\A\\unins000.exe") + softwareEntry("D:\\TC"),
         "C:\\A\\bin", "C:\\A\\lib", "C:\\A\\Help\\TAZUAVR\\wwhelp.htm"},
        {"key names ignore case", "[hkey_local_machine\\SOFTWARE]\r\n\"dazaz7eve\"=\"E:\\\\x\"\r\n",
         "E:\\x\\bin", "E:\\x\\lib", "E:\\x\\Help\\TAZUAVR\\wwhelp.htm"},
    };
    for (const Case& c : cases) {
        PlugInUtility::resetForTesting();
        useRegistry(c.entries);
        PlugInUtility& utility = PlugInUtility::instance();
        EXPECT_EQ(utility.compilerDirectory(), c.bin) << c.name;
        EXPECT_EQ(utility.makeDirectory(), c.bin) << c.name;
        EXPECT_EQ(utility.libraryDirectory(), c.lib) << c.name;
        EXPECT_EQ(utility.helpFile(), c.help) << c.name;
    }
}

TEST_F(ToolchainLocatorTest, MissingOrOverlongValuesLeaveTheLocationsSilently) {
    // 79 characters and the terminator fill the 80-byte buffer exactly; one more does not fit.
    const std::string fits = "C:\\" + std::string(70, 'd') + "\\u.exe";
    const std::string tooLong = "C:\\" + std::string(71, 'd') + "\\u.exe";
    ASSERT_EQ(fits.size(), 79u);
    struct Case {
        const char* name;
        std::string entries;
        bool found;
    } cases[] = {
        {"no registry entries", "", false},
        {"uninstall key without values",
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\DAZAZ7EVE]"
         "\r\n\r\n",
         false},
        {"uninstall key without its value, install directory present",
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\DAZAZ7EVE]"
         "\r\n\"Other\"=\"1\"\r\n\r\n" +
             softwareEntry("D:\\TC"),
         false},
        {"uninstall string of 79 characters", uninstallEntry(fits), true},
        {"uninstall string of 80 characters", uninstallEntry(tooLong), false},
        {"install directory of 79 characters", softwareEntry("D:\\" + std::string(76, 'd')), true},
        {"install directory of 80 characters", softwareEntry("D:\\" + std::string(77, 'd')), false},
    };
    for (const Case& c : cases) {
        useRegistry(c.entries);
        PlugInUtility& utility = PlugInUtility::instance();
        utility.setCompilerDirectory("");
        utility.setMakeDirectory("before");
        hub->logs.clear();
        utility.locateToolchain();
        EXPECT_EQ(!utility.compilerDirectory().empty(), c.found) << c.name;
        if (!c.found) {
            EXPECT_EQ(utility.makeDirectory(), "before") << c.name;
            EXPECT_TRUE(hub->logs.empty()) << c.name;
        }
    }
}

TEST_F(ToolchainLocatorTest, EachToolIsReportedFoundOrMissing) {
    struct Case {
        bool compiler;
        bool make;
        std::vector<std::string> lines;
    } cases[] = {
        {true,
         true,
         {"Found avr-tazu at C:\\TC\\bin\\tazuavr.exe",
          "Found tazu-make at C:\\TC\\bin\\tazumake.exe"}},
        {false,
         true,
         {"Could not find avr-tazu. Please Check your TAZUAVR installation",
          "Found tazu-make at C:\\TC\\bin\\tazumake.exe"}},
        {true,
         false,
         {"Found avr-tazu at C:\\TC\\bin\\tazuavr.exe",
          "Could not find tazu-make. Please Check your TazuAVR installation"}},
    };
    useRegistry(softwareEntry("C:\\TC"));
    PlugInUtility& utility = PlugInUtility::instance();
    for (const Case& c : cases) {
        std::filesystem::remove_all(drive.linuxPath("TC"));
        if (c.compiler) {
            drive.write("TC/bin/tazuavr.exe", "");
        }
        if (c.make) {
            drive.write("TC/bin/tazumake.exe", "");
        }
        hub->logs.clear();
        utility.locateToolchain();
        EXPECT_EQ(debugLines(), c.lines);
        for (const auto& line : hub->logs) {
            EXPECT_EQ(line.prefix, "tazu plug-in:");
        }
    }
}

} // namespace
} // namespace avrtazu
