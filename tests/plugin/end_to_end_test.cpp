// The plug-in over the real toolchain of the build tree: a host opens a copy of the blink example
// and builds it, as the command-line host does.

#include "plugin/plugin_fixture.h"

#include "model/configuration.h"
#include "model/source_file.h"
#include "platform/registry.h"
#include "services/plug_in_utility.h"
#include "services/toolchain_locator.h"

#include <algorithm>
#include <filesystem>
#include <string>

namespace avrtazu::test {
namespace {

const std::string kBuildDir = AVRTAZU_TEST_BUILD_DIR;
const std::string kExampleDir = std::string(AVRTAZU_TEST_SOURCE_DIR) + "/examples/blink";

class EndToEndTest : public PluginFixture {
protected:
    void SetUp() override {
        const std::string registry = kBuildDir + "/bin/tazu.reg";
        for (const std::string& needed : {registry, kBuildDir + "/tazu/bin/tazumake.exe",
                                          kBuildDir + "/tazu/bin/tazuavr.exe"}) {
            if (!std::filesystem::exists(needed)) {
                GTEST_SKIP() << "no toolchain in this build tree: " << needed;
            }
        }
        Registry::setFile(registry);
        PlugInUtility::setToolchainLocator(&ToolchainLocator::locate);
        std::filesystem::create_directories(drive.linux("work"));
        std::filesystem::copy(kExampleDir, drive.linux("work/blink"),
                              std::filesystem::copy_options::recursive);
        works.projectDirectory = "C:\\work\\blink\\";
        enterProjectFolder("work/blink");
    }

    static Project blinkProject() {
        Project project("blink", "C:\\work\\blink\\");
        Configuration config("default", "ATMega16", "blink.cof");
        config.setProgramMemory("16384");
        config.setDataMemory("1024");
        config.setEeprom("512");
        config.setTextAddressWord("0x2A");
        config.setDataAddressByte("0x60");
        config.setEnhancedCore(true);
        project.addConfig(config);
        project.addSrcFile(SourceFile("main.c"));
        project.addSrcFile(SourceFile("uart.c"));
        project.addHdrFile(SourceFile("uart.h"));
        return project;
    }

    std::string allOutput() const {
        std::string text;
        for (const auto& line : works.output) {
            text += std::to_string(line.kind) + " " + line.text + "\n";
        }
        return text;
    }
};

TEST_F(EndToEndTest, OpeningAndBuildingBlinkLeavesItsDebugObject) {
    writeDocument(blinkProject());
    fakes::selectNode(hub->document, "/AVRStudio/MANAGEMENT/ProjectName").text().set("blink");
    ASSERT_EQ(plugin->Init(&works), S_OK);
    ASSERT_EQ(plugin->HandleEvent(Zuzozuduvuruva::kProjectOpened, Bstr()), S_OK);
    ASSERT_EQ(plugin->project().name(), "blink");
    ASSERT_EQ(plugin->project().homePath(), "C:\\work\\blink\\");
    hub->events.clear();

    ASSERT_EQ(plugin->ExecuteCommand(Zuzozuduvuruva::kBuild), S_OK) << allOutput();

    EXPECT_TRUE(std::filesystem::exists(drive.linux("work/blink/default/blink.cof")))
        << allOutput();
    EXPECT_EQ(works.output.back().text.rfind("Build succeeded", 0), 0U) << allOutput();
    ASSERT_EQ(hub->events.size(), 1U);
    EXPECT_EQ(hub->events[0].number, 51);
    EXPECT_EQ(hub->events[0].text, "C:\\work\\blink\\default\\blink.cof");
    // The refreshed tree lists the example's header beside the sources it includes.
    EXPECT_EQ(plugin->tree()->sourceGroup()->childCount(), 2);
    EXPECT_EQ(plugin->tree()->headerGroup()->childCount(), 1);

    // Saving writes the listing and map files the build added into the host document.
    ASSERT_EQ(plugin->HandleEvent(12, Bstr()), S_OK);
    const auto files =
        fakes::childTexts(fakes::selectNode(hub->document, "/AVRStudio/AVRTAZUPLUGIN/FILES"));
    EXPECT_NE(std::find(files.begin(), files.end(), "default\\blink.lis"), files.end());
    EXPECT_NE(std::find(files.begin(), files.end(), "default\\blink.mp"), files.end());
}

} // namespace
} // namespace avrtazu::test
