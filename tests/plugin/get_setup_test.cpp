#include "plugin/plugin_fixture.h"

#include "platform/registry.h"

#include <optional>
#include <string>

namespace avrtazu::test {
namespace {

const std::string kSetup = "<?xml version=\"1.0\"?>\n<AvrPlugin>\n"
                           "\t<Command id=\"0\">Build</Command>\n</AvrPlugin>";
const std::string kShortSetup = "<AvrPlugin><Command id=\"0\">Build</Command></AvrPlugin>";

// The registry value naming the plug-in folder, the setup file in that folder, and what
// GetSetup then gives.
struct SetupCase {
    const char* name;
    // The folder below C:\ that the registry names; the value is missing when null.
    std::optional<std::string> folder;
    // The setup file's bytes; no file when null.
    std::optional<std::string> content;
    HRESULT expected;
    // What GetSetup gives when it is not the file's content.
    std::optional<std::string> text = std::nullopt;
};

std::string utf16(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) {
        bytes += {c, '\0'};
    }
    return bytes;
}

class GetSetupTest : public PluginFixture, public ::testing::WithParamInterface<SetupCase> {};

TEST_P(GetSetupTest, ReadsTheSetupFileNamedByTheRegistry) {
    const SetupCase& row = GetParam();
    const std::string folder = row.folder.value_or("plugins");
    const std::string value = row.folder ? "\"AvrToolsPluginPath\"=\"C:\\\\" + folder + "\"\r\n"
                                         : std::string("\"Other\"=\"C:\\\\plugins\"\r\n");
    Registry::setFile(drive.write("setup.reg", "Windows Registry Editor Version 5.00\r\n\r\n"
                                               "[HKEY_LOCAL_MACHINE\\Software\\Atmel\\AvrTools]"
                                               "\r\n" +
                                                   value));
    if (row.content) {
        drive.write(folder + "/avrtazuplugin.xml", *row.content);
    }

    Bstr setup = L"untouched";
    EXPECT_EQ(plugin->GetSetup(&setup), row.expected);
    const std::string expected =
        row.expected != S_OK ? "untouched" : row.text.value_or(*row.content);
    EXPECT_EQ(toNarrow(setup), expected);
}

// The registry value and its terminator must fit 250 bytes: C:\ and 246 or 247 characters.
INSTANTIATE_TEST_SUITE_P(
    Installations, GetSetupTest,
    ::testing::Values(
        SetupCase{"NoValue", std::nullopt, kSetup, E_NOTIMPL},
        SetupCase{"NoFile", "plugins", std::nullopt, E_NOTIMPL},
        SetupCase{"NotXml", "plugins", std::string("<AvrPlugin><Command></AvrPlugin>"), E_FAIL},
        SetupCase{"Found", "plugins", kSetup, S_OK},
        SetupCase{"ByteOrderMarkDropped", "plugins", "\xEF\xBB\xBF" + kSetup, S_OK, kSetup},
        SetupCase{"Utf16Reencoded", "plugins", utf16(kShortSetup), S_OK, kShortSetup},
        SetupCase{"LongestPath", std::string(246, 'p'), kSetup, S_OK},
        SetupCase{"PathTooLong", std::string(247, 'p'), kSetup, E_NOTIMPL}),
    [](const ::testing::TestParamInfo<SetupCase>& info) { return std::string(info.param.name); });

TEST_F(PluginFixture, GetSetupRefusesANullSetup) {
    EXPECT_EQ(plugin->GetSetup(nullptr), E_POINTER);
}

} // namespace
} // namespace avrtazu::test
