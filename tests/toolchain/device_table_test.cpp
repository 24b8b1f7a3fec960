#include "avr/device_table.h"
#include "avr/gcc_command.h"
#include "common/process_runner.h"
#include "platform/program_locator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

// The catalogue's device names, in table order, as the plug-in installs them.
std::vector<std::string> catalogueNames() {
    std::ifstream file(TAZU_SOURCE_DIR "/data/tazusupportedparts.txt");
    std::vector<std::string> names;
    std::string line;
    while (std::getline(file, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.pop_back();
        }
        names.push_back(line);
    }
    return names;
}

// The define the Makefile carries for a device: none for "Custom", one for both ATmega128 rows.
std::string defineOf(const std::string& name) {
    if (name == "Custom") {
        return {};
    }
    if (name.find("ATMega128 ") != std::string::npos) {
        return "ATMega128";
    }
    return name;
}

TEST(DeviceTableTest, EveryCatalogueDeviceHasAnMcu) {
    const std::vector<std::string> names = catalogueNames();
    ASSERT_EQ(names.size(), 84u);
    for (const std::string& name : names) {
        const std::string define = defineOf(name);
        if (define.empty()) {
            continue;
        }
        EXPECT_FALSE(DeviceTable::mcuForDefine(define).empty()) << name;
    }
}

TEST(DeviceTableTest, DefinesAreFoundWithoutRegardToCase) {
    EXPECT_EQ(DeviceTable::mcuForDefine("ATMega16"), "atmega16");
    EXPECT_EQ(DeviceTable::mcuForDefine("atmega16"), "atmega16");
    EXPECT_EQ(DeviceTable::mcuForDefine("AT90CAN128"), "at90can128");
    EXPECT_EQ(DeviceTable::mcuForDefine("AT94K10"), "at94k");
    EXPECT_EQ(DeviceTable::mcuForDefine("ATMEGA"), "");
    EXPECT_EQ(DeviceTable::mcuForDefine("_EE_EXTIO"), "");
}

TEST(DeviceTableTest, EveryCatalogueDeviceBuildsWithAvrGcc) {
    const std::string gcc = ProgramLocator::find("avr-gcc", {"/usr/bin"});
    ASSERT_FALSE(gcc.empty()) << "avr-gcc is not installed";
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tazu-mcu-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string source = (folder / "empty.c").string();
    std::ofstream(source) << "#include <avr/io.h>\nint main(void) { return 0; }\n";

    std::set<std::string> mcus;
    for (const std::string& name : catalogueNames()) {
        const std::string define = defineOf(name);
        if (!define.empty()) {
            mcus.insert(DeviceTable::mcuForDefine(define));
        }
    }
    // Custom builds for the architectures of the core switches.
    for (CoreKind core : {CoreKind::Classic, CoreKind::EnhancedSmall, CoreKind::Enhanced,
                          CoreKind::Extended, CoreKind::Mega}) {
        for (long size : {0x2000L, 0x4000L, 0x20000L, 0x40000L}) {
            mcus.insert(DeviceTable::representative(DeviceTable::architecture(core, false, size)));
        }
    }
    for (const std::string& mcu : mcus) {
        const ProcessResult result = ProcessRunner::runCaptured(
            gcc, {"-mmcu=" + mcu, "-Os", "-o", (folder / "empty.elf").string(), source});
        EXPECT_EQ(result.exitCode, 0) << mcu << ": " << result.output;
    }
    std::filesystem::remove_all(folder);
}

struct ArchitectureCase {
    CoreKind core;
    bool extendedCalls;
    long programSize;
    std::string architecture;
};

class ArchitectureTest : public testing::TestWithParam<ArchitectureCase> {};

TEST_P(ArchitectureTest, FollowsTheCoreSwitches) {
    const ArchitectureCase& c = GetParam();
    EXPECT_EQ(DeviceTable::architecture(c.core, c.extendedCalls, c.programSize), c.architecture);
}

INSTANTIATE_TEST_SUITE_P(
    Cores, ArchitectureTest,
    testing::Values(ArchitectureCase{CoreKind::Classic, false, 0x2000, "avr2"},
                    ArchitectureCase{CoreKind::EnhancedSmall, false, 0x2000, "avr4"},
                    ArchitectureCase{CoreKind::Enhanced, false, 0x4000, "avr5"},
                    ArchitectureCase{CoreKind::Enhanced, false, 0x10000, "avr5"},
                    ArchitectureCase{CoreKind::Enhanced, false, 0x20000, "avr51"},
                    ArchitectureCase{CoreKind::Extended, false, 0x40000, "avr6"},
                    ArchitectureCase{CoreKind::Enhanced, true, 0x40000, "avr6"},
                    ArchitectureCase{CoreKind::Mega, false, 0x6000, "avr3"},
                    ArchitectureCase{CoreKind::Mega, false, 0x20000, "avr31"}));

TEST(DeviceTableTest, RepresentativesBelongToTheirArchitecture) {
    EXPECT_EQ(DeviceTable::representative("avr2"), "at90s8515");
    EXPECT_EQ(DeviceTable::representative("avr4"), "atmega8");
    EXPECT_EQ(DeviceTable::representative("avr5"), "atmega16");
    EXPECT_EQ(DeviceTable::representative("avr51"), "atmega128");
    EXPECT_EQ(DeviceTable::representative("avr6"), "atmega2560");
}

TEST(DeviceTableTest, DeviceThatAvrGccLacksFallsBackToTheCore) {
    TazuOptions options;
    options.device = "ATMega64";
    options.core = CoreKind::Enhanced;
    options.programEnd = 0x10000;
    const McuChoice lacking =
        GccCommand::chooseMcu(options, [](const std::string&) { return false; });
    EXPECT_EQ(lacking.mcu, "atmega16");
    EXPECT_NE(lacking.fallbackNote.find("avr5"), std::string::npos);
    EXPECT_NE(lacking.fallbackNote.find("ATMega64"), std::string::npos);

    const McuChoice known = GccCommand::chooseMcu(options, [](const std::string&) { return true; });
    EXPECT_EQ(known.mcu, "atmega64");
    EXPECT_TRUE(known.fallbackNote.empty());

    options.device.clear();
    const McuChoice custom =
        GccCommand::chooseMcu(options, [](const std::string&) { return true; });
    EXPECT_EQ(custom.mcu, "atmega16");
    EXPECT_TRUE(custom.fallbackNote.empty());
}

} // namespace
} // namespace avrtazu
