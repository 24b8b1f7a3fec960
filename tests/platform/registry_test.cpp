#include "golden_file.h"
#include "platform/registry.h"
#include "temp_drive.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace avrtazu {
namespace {

using S = RegistryStatus;

// golden/sample.reg holds what the registry editor would write.
TEST(RegistryTest, ReadsValuesAndTellsWhatIsMissing) {
    Registry::setFile(GOLDEN_DIR "/sample.reg");
    const std::string uninstall =
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\DAZAZ7EVE";
    const std::string command = "\"C:\\Tools\\TC\\unins000.exe\"";
    const struct {
        std::string key;
        const char* value;
        RegistryStatus status;
        std::string text;
    } cases[] = {
        // clang-format off
        {uninstall, "UninstallString", S::Ok, command}, {uninstall, "uninstallstring", S::Ok, command},
        {"hkey_local_machine\\software\\microsoft\\WINDOWS\\currentversion\\uninstall\\dazaz7eve", "UninstallString", S::Ok, command},
        {"HKLM\\Software\\", "DAZAZ7EVE", S::Ok, "D:\\TC"}, {"HKEY_LOCAL_MACHINE\\SOFTWARE", "", S::Ok, "default text"},
        {uninstall, "Empty", S::Ok, ""}, {uninstall, "Flags", S::Ok, "dword:00000001"},
        {uninstall, "Blob", S::Ok, "hex:01,02,03,04"}, {uninstall, "", S::ValueNotFound, ""},
        {uninstall + "X", "UninstallString", S::KeyNotFound, ""},
        // Only subkeys in the file: the key is there, its values are not.
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Atmel", "x", S::ValueNotFound, ""},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Atmel\\AVRStudio", "Gone", S::ValueNotFound, ""},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Removed\\Sub", "A", S::KeyNotFound, ""},
        // clang-format on
    };
    for (const auto& c : cases) {
        const RegistryValue found = Registry::readString(c.key, c.value);
        EXPECT_EQ(found.status, c.status) << c.key << " / " << c.value;
        EXPECT_EQ(found.value, c.text) << c.key << " / " << c.value;
    }
    EXPECT_TRUE(Registry::keyExists("HKLM\\SOFTWARE"));
    EXPECT_FALSE(Registry::keyExists("HKLM\\Nothing"));
    Registry::setFile({});
}

TEST(RegistryTest, TextNeedsTheHeaderInAnyOfItsEncodings) {
    // UTF-16LE with a byte-order mark, as the registry editor writes it.
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("REGEDIT4\r\n[HKLM\\Software]\r\n\"A\"=\"T\xE9\"\r\n")) {
        utf16 += std::string{c, '\0'};
    }
    const struct {
        std::string text;
        RegistryStatus status;
        const char* value;
    } cases[] = {
        // clang-format off
        {"[HKEY_LOCAL_MACHINE\\Software]\n\"A\"=\"1\"\n", S::InvalidFile, ""},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software]\n\"A\"=\"1\"\n", S::Ok, "1"},
        {"\xEF\xBB\xBFWindows Registry Editor Version 5.00\n[HKLM\\Software]\n\"A\"=\"1\"", S::Ok, "1"},
        {utf16, S::Ok, "T\xC3\xA9"},
        // clang-format on
    };
    for (const auto& c : cases) {
        const RegistryValue found = Registry::readStringFromText(c.text, "HKLM\\Software", "A");
        EXPECT_EQ(found.status, c.status) << c.text;
        EXPECT_EQ(found.value, c.value) << c.text;
    }
}

TEST(RegistryTest, ReadsTheFileFromOverrideThenEnvironmentThenDefaultAnew) {
    const char* saved = std::getenv("TAZU_REGISTRY");
    const std::string savedValue = saved != nullptr ? saved : "";
    ::unsetenv("TAZU_REGISTRY");
    Registry::setDefaultFile("/host/default.reg");
    EXPECT_EQ(Registry::file(), "/host/default.reg");
    ::setenv("TAZU_REGISTRY", "/env/tazu.reg", 1);
    EXPECT_EQ(Registry::file(), "/env/tazu.reg");
    test::TempDrive drive;
    Registry::setFile(drive.write("tazu.reg", test::golden("sample.reg")));
    EXPECT_EQ(Registry::readString("HKLM\\Software", "DAZAZ7EVE").value, "D:\\TC");
    // A change to the file shows at once.
    drive.write("tazu.reg", "Windows Registry Editor Version 5.00\n");
    EXPECT_EQ(Registry::readString("HKLM\\Software", "DAZAZ7EVE").status, S::KeyNotFound);
    Registry::setFile(drive.linux("missing.reg"));
    EXPECT_EQ(Registry::readString("HKLM\\Software", "DAZAZ7EVE").status, S::FileNotFound);

    Registry::setFile({});
    Registry::setDefaultFile({});
    saved != nullptr ? ::setenv("TAZU_REGISTRY", savedValue.c_str(), 1)
                     : ::unsetenv("TAZU_REGISTRY");
}

} // namespace
} // namespace avrtazu
