// The build driver over the real toolchain of the build tree: the registry file names the
// toolchain root, discovery finds tazumake and tazuavr there, and a build leaves firmware.

#include "build/build_driver.h"

#include "model/configuration.h"
#include "model/project.h"
#include "platform/registry.h"
#include "services/fake_host_support.h"
#include "services/plug_in_utility.h"
#include "services/scratch_drive.h"
#include "services/toolchain_locator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string kRegistryFile = std::string(AVRTAZU_TEST_BIN_DIR) + "/tazu.reg";

const char* const kMain = "#include <avr/io.h>\n"
                          "#include \"inc/board.h\"\n"
                          "#include \"uart.h\"\n"
                          "int main(void) {\n"
                          "    DDRB = LED;\n"
                          "    uart_init();\n"
                          "    for (;;) {\n"
                          "        PORTB ^= 1;\n"
                          "    }\n"
                          "}\n";
const char* const kUart = "#include <avr/io.h>\n"
                          "#include \"uart.h\"\n"
                          "void uart_init(void) { UCSRB = (1 << TXEN); }\n";
const char* const kUartHeader = "void uart_init(void);\n";

class BuildDriverToolchainTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kRegistryFile)) {
            GTEST_SKIP() << "no toolchain in this build tree: " << kRegistryFile;
        }
        Registry::setFile(kRegistryFile);
        PlugInUtility::setToolchainLocator(&ToolchainLocator::locate);
        PlugInUtility::instance().setHost(&works);

        Configuration config("default", "ATMega16", "demo.cof");
        config.setProgramMemory("16384");
        config.setDataMemory("1024");
        config.setEeprom("512");
        config.setTextAddressWord("0x2A");
        config.setDataAddressByte("0x60");
        config.setUseLongCallJmp(true);
        config.setEnhancedCore(true);
        project.addConfig(config);
        project.addSrcFile(SourceFile("main.c"));
        project.addSrcFile(SourceFile("uart.c"));
        project.addHdrFile(SourceFile("uart.h"));
        drive.write("work/demo/main.c", kMain);
        drive.write("work/demo/uart.c", kUart);
        drive.write("work/demo/uart.h", kUartHeader);
        drive.write("work/demo/inc/board.h", "#define LED 1\n");
    }

    void TearDown() override { Registry::setFile(""); }

    std::vector<std::string> texts(long kind) const {
        std::vector<std::string> result;
        for (const auto& line : works.output) {
            if (line.kind == kind) {
                result.push_back(line.text);
            }
        }
        return result;
    }

    std::vector<std::string> otherFiles() const {
        std::vector<std::string> names;
        for (const SourceFile& file : project.otherFiles()) {
            names.push_back(file.fullName());
        }
        return names;
    }

    std::string allOutput() const {
        std::string text;
        for (const auto& line : works.output) {
            text += std::to_string(line.kind) + " " + line.text + "\n";
        }
        return text;
    }

    test::ScratchDrive drive{'C'};
    std::shared_ptr<fakes::RecordingHub> hub = std::make_shared<fakes::RecordingHub>();
    fakes::HubInstallation installation{hub};
    fakes::RecordingWorks works;
    Project project{"demo", "C:\\work\\demo\\"};
    BuildDriver driver{project, nullptr};
};

TEST_F(BuildDriverToolchainTest, BuildFindsTheToolchainAndLeavesFirmware) {
    project.setDirty(true);

    ASSERT_EQ(driver.BuildProject(), S_OK) << allOutput();

    EXPECT_EQ(project.tazuLocation(), PlugInUtility::instance().compilerDirectory());
    EXPECT_THAT(project.tazuLocation(), HasSubstr("tazu\\bin"));
    EXPECT_THAT(works.output.front().text, HasSubstr("Build started "));
    // The make tool echoes each compiler command: tool lines.
    EXPECT_GE(texts(kOutputToolLine).size(), 3u) << allOutput();
    EXPECT_THAT(texts(kOutputError), ElementsAre()) << allOutput();
    EXPECT_EQ(works.output.back().text, "Build succeeded with 0 Warnings...");
    EXPECT_EQ(works.output.back().kind, kOutputPlain);

    ASSERT_EQ(hub->events.size(), 1u);
    EXPECT_EQ(hub->events[0].number, kEventObjectFile);
    EXPECT_EQ(hub->events[0].text, "C:\\work\\demo\\default\\demo.cof");
    EXPECT_TRUE(drive.exists("work/demo/default/demo.cof"));
    EXPECT_TRUE(drive.exists("work/demo/default/demo.hex"));
    EXPECT_THAT(otherFiles(), ElementsAre("default\\demo.lis", "default\\demo.mp"));
    EXPECT_FALSE(project.isDirty());

    // The compiler's dependency files name the included headers; project headers are left out.
    const std::vector<SourceFile> external =
        PlugInUtility::instance().getExternalHeaderFiles(project);
    std::vector<std::string> names;
    for (const SourceFile& header : external) {
        names.push_back(header.fullName());
    }
    EXPECT_THAT(names, ElementsAre("C:\\work\\demo\\inc\\board.h"))
        << drive.read("work/demo/default/dep/main.o.d");
}

TEST_F(BuildDriverToolchainTest, CompilerErrorIsCountedAndTheBuildStillSucceeds) {
    drive.write("work/demo/main.c", "int main(void) {\n    return undeclared_value;\n}\n");
    project.setDirty(true);

    EXPECT_EQ(driver.BuildProject(), S_OK);

    EXPECT_EQ(works.output.back().text, "Build failed with 1 errors and 0 warnings...")
        << allOutput();
    EXPECT_TRUE(hub->events.empty());
    // Nothing was linked, so there is no listing or map to add.
    EXPECT_TRUE(project.otherFiles().empty());
    EXPECT_FALSE(project.isDirty());
}

TEST_F(BuildDriverToolchainTest, CompileOfTheActiveFileMakesItsObjectOnly) {
    works.activeFile = "C:\\work\\demo\\uart.c";

    EXPECT_EQ(driver.compileFile(), S_OK);

    EXPECT_EQ(works.output.back().text, "Make succeeded with 0 Warnings...") << allOutput();
    EXPECT_TRUE(drive.exists("work/demo/default/uart.o"));
    EXPECT_FALSE(drive.exists("work/demo/default/main.o"));
    EXPECT_FALSE(drive.exists("work/demo/default/demo.cof"));
}

TEST_F(BuildDriverToolchainTest, CleanRemovesWhatTheBuildMade) {
    ASSERT_EQ(driver.BuildProject(), S_OK) << allOutput();
    ASSERT_TRUE(drive.exists("work/demo/default/main.o"));

    EXPECT_EQ(driver.cleanProject(), S_OK);

    EXPECT_EQ(works.output.back().text, "Successfully cleaned the project") << allOutput();
    for (const char* name : {"main.o", "uart.o", "demo.cof", "demo.hex", "demo.lis", "demo.mp"}) {
        EXPECT_FALSE(drive.exists(std::string("work/demo/default/") + name)) << name;
    }
    // The generated files stay.
    EXPECT_TRUE(drive.exists("work/demo/default/Makefile"));
    EXPECT_TRUE(drive.exists("work/demo/default/build.bat"));
}

} // namespace
} // namespace avrtazu
