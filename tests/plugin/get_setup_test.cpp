#include "plugin/plugin_fixture.h"

#include "platform/registry.h"

#include <optional>
#include <string>

namespace avrtazu::test {
namespace {

const char* const kSetupText = "<?xml version=\"1.0\"?>\n"
                               "<AvrPlugin>\n"
                               "\t<Command id=\"0\">Build</Command>\n"
                               "\t<Command id=\"8\">avr-libc help</Command>\n"
                               "</AvrPlugin>";

// The registry and the setup file a host installation has, and what GetSetup then gives.
struct SetupCase {
    const char* name;
    // The registry file's text after its first line.
    std::string registry;
    // The plug-in folder (below C:\) in which the setup file is written; none when empty.
    std::string folder;
    std::optional<std::string> content;
    HRESULT expected;
    // What GetSetup gives when it is not the file's content.
    std::optional<std::string> text = std::nullopt;
};

std::string utf16(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

std::string pluginPathEntry(const std::string& folder) {
    std::string escaped = "C:\\\\";
    for (char c : folder) {
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    return "[HKEY_LOCAL_MACHINE\\Software\\Atmel\\AvrTools]\r\n\"AvrToolsPluginPath\"=\"" +
           escaped + "\"\r\n";
}

// A folder name that makes the registry value (C:\ and the name) exactly `bytes` long.
std::string folderOfLength(std::size_t bytes) {
    return std::string(bytes - 3, 'p');
}

void PrintTo(const SetupCase& row, std::ostream* out) {
    *out << row.name;
}

class GetSetupTest : public PluginFixture, public ::testing::WithParamInterface<SetupCase> {};

const std::string kUntouched = "untouched";

TEST_P(GetSetupTest, ReadsTheSetupFileNamedByTheRegistry) {
    const SetupCase& row = GetParam();
    Registry::setFile(
        drive.write("setup.reg", "Windows Registry Editor Version 5.00\r\n\r\n" + row.registry));
    if (row.content) {
        drive.write(row.folder + "/avrtazuplugin.xml", *row.content);
    }

    Bstr setup = toWide(kUntouched);
    EXPECT_EQ(plugin->GetSetup(&setup), row.expected);
    if (row.expected == S_OK) {
        EXPECT_EQ(toNarrow(setup), row.text.value_or(*row.content));
    } else {
        EXPECT_EQ(toNarrow(setup), kUntouched);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Installations, GetSetupTest,
    ::testing::Values(
        SetupCase{"NoKey", "[HKEY_LOCAL_MACHINE\\Software\\Atmel]\r\n\"Other\"=\"x\"\r\n", "",
                  std::nullopt, E_NOTIMPL},
        SetupCase{"NoValue", "[HKEY_LOCAL_MACHINE\\Software\\Atmel\\AvrTools]\r\n\"X\"=\"y\"\r\n",
                  "", std::nullopt, E_NOTIMPL},
        SetupCase{"NoFile", pluginPathEntry("studio\\plugins"), "", std::nullopt, E_NOTIMPL},
        SetupCase{"FileInAnotherFolder", pluginPathEntry("studio\\plugins"), "studio",
                  std::string(kSetupText), E_NOTIMPL},
        SetupCase{"NotXml", pluginPathEntry("studio\\plugins"), "studio/plugins",
                  std::string("<AvrPlugin><Command></AvrPlugin>"), E_FAIL},
        SetupCase{"EmptyFile", pluginPathEntry("studio\\plugins"), "studio/plugins", std::string(),
                  E_FAIL},
        SetupCase{"Found", pluginPathEntry("studio\\plugins"), "studio/plugins",
                  std::string(kSetupText), S_OK},
        SetupCase{"ByteOrderMarkDropped", pluginPathEntry("studio\\plugins"), "studio/plugins",
                  "\xEF\xBB\xBF" + std::string(kSetupText), S_OK, std::string(kSetupText)},
        SetupCase{"Utf16File", pluginPathEntry("studio\\plugins"), "studio/plugins",
                  utf16("<AvrPlugin><Command id=\"0\">Build</Command></AvrPlugin>"), S_OK,
                  std::string("<AvrPlugin><Command id=\"0\">Build</Command></AvrPlugin>")},
        SetupCase{"KeyNameInOtherCase",
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ATMEL\\AVRTOOLS]\r\n"
                  "\"AvrToolsPluginPath\"=\"C:\\\\studio\"\r\n",
                  "studio", std::string(kSetupText), S_OK},
        // The value and its terminator must fit 250 bytes.
        SetupCase{"LongestPath", pluginPathEntry(folderOfLength(249)), folderOfLength(249),
                  std::string(kSetupText), S_OK},
        SetupCase{"PathTooLong", pluginPathEntry(folderOfLength(250)), folderOfLength(250),
                  std::string(kSetupText), E_NOTIMPL}),
    [](const ::testing::TestParamInfo<SetupCase>& info) { return std::string(info.param.name); });

TEST_F(PluginFixture, GetSetupRefusesANullSetup) {
    EXPECT_EQ(plugin->GetSetup(nullptr), E_POINTER);
}

} // namespace
} // namespace avrtazu::test
