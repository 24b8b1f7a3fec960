#include "plugin/plugin_fixture.h"

#include "platform/registry.h"

#include <filesystem>
#include <optional>
#include <string>

namespace avrtazu::test {
namespace {

// GetSetup gives the setup file in the folder the registry names as it was written: a UTF-8
// byte order mark dropped, UTF-16 re-encoded. The registry value and its terminator must fit
// 250 bytes: C:\ and 246 characters do, 247 do not.
TEST_F(PluginFixture, GetSetupReadsTheSetupFileTheRegistryNames) {
    const std::string setup = "<?xml version=\"1.0\"?>\n<AvrPlugin>\n"
                              "\t<Command id=\"0\">Build</Command>\n</AvrPlugin>";
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("<AvrPlugin><Command id=\"0\">Build</Command></AvrPlugin>")) {
        utf16 += {c, '\0'};
    }
    const struct {
        // The folder below C:\ that the registry names (none: no value); the file's bytes.
        std::optional<std::string> folder;
        std::optional<std::string> content;
    } cases[] = {
        {std::nullopt, setup},
        {"plugins", std::nullopt},
        {"plugins", "<AvrPlugin><Command></AvrPlugin>"},
        {"plugins", setup},
        {"plugins", "\xEF\xBB\xBF" + setup},
        {"plugins", utf16},
        {std::string(246, 'p'), setup},
        {std::string(247, 'p'), setup},
    };
    std::string text;
    for (const auto& c : cases) {
        const std::string folder = c.folder.value_or("plugins");
        const std::string value = c.folder ? "\"AvrToolsPluginPath\"=\"C:\\\\" + folder + "\""
                                           : std::string("\"Other\"=\"C:\\\\plugins\"");
        Registry::setFile(drive.write("setup.reg", "Windows Registry Editor Version 5.00\r\n\r\n"
                                                   "[HKEY_LOCAL_MACHINE\\Software\\Atmel\\"
                                                   "AvrTools]\r\n" +
                                                       value + "\r\n"));
        std::filesystem::remove(drive.linux(folder + "/avrtazuplugin.xml"));
        if (c.content) {
            drive.write(folder + "/avrtazuplugin.xml", *c.content);
        }
        Bstr given = L"untouched";
        const HRESULT result = plugin->GetSetup(&given);
        text += (result == S_OK     ? "S_OK: "
                 : result == E_FAIL ? "E_FAIL: "
                                    : "E_NOTIMPL: ") +
                toNarrow(given) + "\n";
    }
    EXPECT_EQ(plugin->GetSetup(nullptr), E_POINTER);
    expectGolden("get_setup.txt", text);
}

} // namespace
} // namespace avrtazu::test
