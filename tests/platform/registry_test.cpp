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
        {uninstall, "Missing", RegistryStatus::ValueNotFound, ""},
        {uninstall, "", RegistryStatus::ValueNotFound, ""},
        {uninstall + "X", "UninstallString", RegistryStatus::KeyNotFound, ""},
        {"HKEY_CURRENT_USER\\Software", "DAZAZ7EVE", RegistryStatus::KeyNotFound, ""},
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

TEST(RegistryTest, RefusesTextWithoutHeader) {
    struct Case {
        std::string text;
        RegistryStatus status;
    } cases[] = {
        {"[HKEY_LOCAL_MACHINE\\Software]\n\"A\"=\"1\"\n", RegistryStatus::InvalidFile},
        {"", RegistryStatus::InvalidFile},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software]\n\"A\"=\"1\"\n", RegistryStatus::Ok},
        {"\xEF\xBB\xBFWindows Registry Editor Version 5.00\n[HKLM\\Software]\n\"A\"=\"1\"",
         RegistryStatus::Ok},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Registry::readStringFromText(c.text, "HKLM\\Software", "A").status, c.status)
            << c.text;
    }
}

TEST(RegistryTest, ReadsUtf16FilesAsTheEditorWritesThem) {
    const std::string text = "Windows Registry Editor Version 5.00\r\n[HKLM\\Software]\r\n"
                             "\"DAZAZ7EVE\"=\"D:\\\\T\xC3\xA9\"\r\n";
    // UTF-8 to UTF-16LE for the two-byte letter, byte-order mark first.
    std::string utf16 = "\xFF\xFE";
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) == 0xC3) {
            utf16 += std::string("\xE9\x00", 2);
            ++i;
        } else {
            utf16 += text[i];
            utf16 += '\0';
        }
    }
    const auto found = Registry::readStringFromText(utf16, "HKLM\\Software", "DAZAZ7EVE");
    EXPECT_EQ(found.status, RegistryStatus::Ok);
    EXPECT_EQ(found.value, "D:\\T\xC3\xA9");
}

TEST(RegistryTest, ReadsTheConfiguredFile) {
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
}

TEST(RegistryTest, FileComesFromOverrideThenEnvironmentThenDefault) {
    const char* saved = std::getenv("TAZU_REGISTRY");
    const std::string savedValue = saved != nullptr ? saved : "";
    Registry::setFile({});
    Registry::setDefaultFile("/host/default.reg");
    ::unsetenv("TAZU_REGISTRY");
    EXPECT_EQ(Registry::file(), "/host/default.reg");
    ::setenv("TAZU_REGISTRY", "/env/tazu.reg", 1);
    EXPECT_EQ(Registry::file(), "/env/tazu.reg");
    Registry::setFile("/test/tazu.reg");
    EXPECT_EQ(Registry::file(), "/test/tazu.reg");

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
