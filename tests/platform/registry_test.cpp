#include "platform/registry.h"
#include "temp_drive.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace avrtazu {
namespace {

const char* const sample = "Windows Registry Editor Version 5.00\r\n"
                           "\r\n"
                           "; the toolchain's uninstaller\r\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
                           "Uninstall\\DAZAZ7EVE]\r\n"
                           "\"UninstallString\"=\"\\\"C:\\\\Tools\\\\TC\\\\unins000.exe\\\"\"\r\n"
                           "\"Empty\"=\"\"\r\n"
                           "\"Flags\"=dword:00000001\r\n"
                           "\"Blob\"=hex:01,02,\\\r\n"
                           "  03,04\r\n"
                           "\r\n"
                           "[HKEY_LOCAL_MACHINE\\Software]\r\n"
                           "\"DAZAZ7EVE\"=\"D:\\\\TC\"\r\n"
                           "@=\"default text\"\r\n"
                           "\r\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Atmel\\AVRStudio]\r\n"
                           "\"Gone\"=\"x\"\r\n"
                           "\"Gone\"=-\r\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Removed\\Sub]\r\n"
                           "\"A\"=\"1\"\r\n"
                           "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Removed]\r\n";

TEST(RegistryTest, ReadsValuesAndTellsWhatIsMissing) {
    const std::string uninstall =
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\DAZAZ7EVE";
    struct Case {
        std::string key;
        const char* value;
        RegistryStatus status;
        const char* text;
    } cases[] = {
        {uninstall, "UninstallString", RegistryStatus::Ok, "\"C:\\Tools\\TC\\unins000.exe\""},
        {uninstall, "uninstallstring", RegistryStatus::Ok, "\"C:\\Tools\\TC\\unins000.exe\""},
        {"hkey_local_machine\\software\\microsoft\\WINDOWS\\currentversion\\uninstall\\dazaz7eve",
         "UninstallString", RegistryStatus::Ok, "\"C:\\Tools\\TC\\unins000.exe\""},
        {"HKLM\\Software\\", "DAZAZ7EVE", RegistryStatus::Ok, "D:\\TC"},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE", "", RegistryStatus::Ok, "default text"},
        {uninstall, "Empty", RegistryStatus::Ok, ""},
        {uninstall, "Flags", RegistryStatus::Ok, "dword:00000001"},
        {uninstall, "Blob", RegistryStatus::Ok, "hex:01,02,03,04"},
        {uninstall, "", RegistryStatus::ValueNotFound, ""},
        {uninstall + "X", "UninstallString", RegistryStatus::KeyNotFound, ""},
        // Only subkeys in the file: the key is there, its values are not.
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Atmel", "x", RegistryStatus::ValueNotFound, ""},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Atmel\\AVRStudio", "Gone", RegistryStatus::ValueNotFound,
         ""},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Removed\\Sub", "A", RegistryStatus::KeyNotFound, ""},
    };
    for (const auto& c : cases) {
        const RegistryValue found = Registry::readStringFromText(sample, c.key, c.value);
        EXPECT_EQ(found.status, c.status) << c.key << " / " << c.value;
        EXPECT_EQ(found.value, c.text) << c.key << " / " << c.value;
    }
}

// The text in UTF-16LE with a byte-order mark, as the registry editor writes it; "\x01" stands
// for U+00E9.
std::string utf16(const std::string& text) {
    std::string encoded = "\xFF\xFE";
    for (const char c : text) {
        encoded += c == '\x01' ? std::string("\xE9\x00", 2) : std::string{c, '\0'};
    }
    return encoded;
}

TEST(RegistryTest, TextNeedsTheHeaderInAnyOfItsEncodings) {
    struct Case {
        std::string text;
        RegistryStatus status;
        const char* value;
    } cases[] = {
        {"[HKEY_LOCAL_MACHINE\\Software]\n\"A\"=\"1\"\n", RegistryStatus::InvalidFile, ""},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software]\n\"A\"=\"1\"\n", RegistryStatus::Ok, "1"},
        {"\xEF\xBB\xBFWindows Registry Editor Version 5.00\n[HKLM\\Software]\n\"A\"=\"1\"",
         RegistryStatus::Ok, "1"},
        {utf16("REGEDIT4\r\n[HKLM\\Software]\r\n\"A\"=\"T\x01\"\r\n"), RegistryStatus::Ok,
         "T\xC3\xA9"},
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
    Registry::setFile({});
    Registry::setDefaultFile("/host/default.reg");
    EXPECT_EQ(Registry::file(), "/host/default.reg");
    ::setenv("TAZU_REGISTRY", "/env/tazu.reg", 1);
    EXPECT_EQ(Registry::file(), "/env/tazu.reg");

    test::TempDrive drive;
    const std::string path = drive.write("tazu.reg", sample);
    Registry::setFile(path);
    EXPECT_EQ(Registry::file(), path);
    EXPECT_EQ(Registry::readString("HKLM\\Software", "DAZAZ7EVE").value, "D:\\TC");
    EXPECT_TRUE(Registry::keyExists("HKLM\\SOFTWARE"));
    EXPECT_FALSE(Registry::keyExists("HKLM\\Nothing"));
    // A change to the file shows at once.
    drive.write("tazu.reg", "Windows Registry Editor Version 5.00\n");
    EXPECT_EQ(Registry::readString("HKLM\\Software", "DAZAZ7EVE").status,
              RegistryStatus::KeyNotFound);
    Registry::setFile(drive.linux("missing.reg"));
    EXPECT_EQ(Registry::readString("HKLM\\Software", "DAZAZ7EVE").status,
              RegistryStatus::FileNotFound);

    Registry::setFile({});
    Registry::setDefaultFile({});
    if (saved != nullptr) {
        ::setenv("TAZU_REGISTRY", savedValue.c_str(), 1);
    } else {
        ::unsetenv("TAZU_REGISTRY");
    }
}

} // namespace
} // namespace avrtazu
