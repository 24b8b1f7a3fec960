// The plug-in over the real toolchain of the build tree: a host opens a copy of the blink example
// and builds it, as the command-line host does.

#include "plugin/plugin_fixture.h"

#include "model/configuration.h"
#include "model/source_file.h"
#include "platform/registry.h"
#include "services/toolchain_locator.h"

#include <filesystem>
#include <string>

namespace avrtazu::test {
namespace {

TEST_F(PluginFixture, EndToEndOpeningAndBuildingBlinkLeavesItsDebugObject) {
    const std::string build = AVRTAZU_TEST_BUILD_DIR;
    for (const std::string& needed : {build + "/bin/tazu.reg", build + "/tazu/bin/tazumake.exe",
                                      build + "/tazu/bin/tazuavr.exe"}) {
        if (!std::filesystem::exists(needed)) {
            GTEST_SKIP() << "no toolchain in this build tree: " << needed;
        }
    }
    Registry::setFile(build + "/bin/tazu.reg");
    PlugInUtility::setToolchainLocator(&ToolchainLocator::locate);
    std::filesystem::create_directories(drive.linux("work"));
    std::filesystem::copy(std::string(AVRTAZU_TEST_SOURCE_DIR) + "/examples/blink",
                          drive.linux("work/blink"), std::filesystem::copy_options::recursive);
    works.projectDirectory = "C:\\work\\blink\\";
    enterProjectFolder("work/blink");

    Project blink("blink", "C:\\work\\blink\\");
    Configuration config("default", "ATMega16", "blink.cof");
    config.setProgramMemory("16384");
    config.setDataMemory("1024");
    config.setEeprom("512");
    config.setTextAddressWord("0x2A");
    config.setEnhancedCore(true);
    blink.addConfig(config);
    blink.addSrcFile(SourceFile("main.c"));
    blink.addSrcFile(SourceFile("uart.c"));
    blink.addHdrFile(SourceFile("uart.h"));
    writeDocument(&blink);
    fakes::selectNode(hub->document, "/AVRStudio/MANAGEMENT/ProjectName").text().set("blink");
    ASSERT_EQ(plugin->Init(&works), S_OK);
    ASSERT_EQ(plugin->HandleEvent(Zuzozuduvuruva::kProjectOpened, Bstr()), S_OK);
    hub->events.clear();

    std::string output;
    const HRESULT result = plugin->ExecuteCommand(Zuzozuduvuruva::kBuild);
    for (const auto& line : works.output) {
        output += line.text + "\n";
    }
    ASSERT_EQ(result, S_OK) << output;
    EXPECT_TRUE(std::filesystem::exists(drive.linux("work/blink/default/blink.cof"))) << output;
    EXPECT_EQ(works.output.back().text.rfind("Build succeeded", 0), 0U) << output;
    ASSERT_EQ(hub->events.size(), 1U);
    EXPECT_EQ(hub->events[0].number, 51);
    EXPECT_EQ(hub->events[0].text, "C:\\work\\blink\\default\\blink.cof");
}

} // namespace
} // namespace avrtazu::test
