#include "avr/device_table.h"
#include "avr/gcc_command.h"
#include "common/process_runner.h"
#include "platform/program_locator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>

namespace avrtazu {
namespace {

TEST(DeviceTableTest, EveryCatalogueDeviceHasAnMcuThatAvrGccBuilds) {
    // The catalogue's device names as the plug-in installs them, and the defines the Makefile
    // carries for them: none for "Custom", one for both ATmega128 rows.
    std::ifstream catalogue(TAZU_SOURCE_DIR "/data/tazusupportedparts.txt");
    std::set<std::string> mcus;
    int devices = 0;
    for (std::string name; std::getline(catalogue, name); ++devices) {
        name.erase(name.find_last_not_of("\r ") + 1);
        if (name != "Custom") {
            const std::string mcu = DeviceTable::mcuForDefine(
                name.find("ATMega128 ") != std::string::npos ? "ATMega128" : name);
            EXPECT_FALSE(mcu.empty()) << name;
            mcus.insert(mcu);
        }
    }
    ASSERT_EQ(devices, 84);
    const std::string gcc = ProgramLocator::find("avr-gcc", {"/usr/bin"});
    ASSERT_FALSE(gcc.empty()) << "avr-gcc is not installed";
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tazu-mcu-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "empty.c") << "#include <avr/io.h>\nint main(void) { return 0; }\n";
    for (const std::string& mcu : mcus) {
        const ProcessResult result = ProcessRunner::runCaptured(
            gcc, {"-mmcu=" + mcu, "-Os", "-o", (folder / "empty.elf").string(),
                  (folder / "empty.c").string()});
        EXPECT_EQ(result.exitCode, 0) << mcu << ": " << result.output;
    }
    std::filesystem::remove_all(folder);
    EXPECT_EQ(DeviceTable::mcuForDefine("atmega16"), "atmega16");
    EXPECT_EQ(DeviceTable::mcuForDefine("AT94K10"), "at94k");
    EXPECT_EQ(DeviceTable::mcuForDefine("ATMEGA"), "");
}

TEST(DeviceTableTest, CoreSwitchesChooseTheArchitectureAndItsStandIn) {
    const struct {
        CoreKind core;
        bool extendedCalls;
        long programSize;
        const char* architecture;
        const char* representative;
    } cases[] = {
        // clang-format off
        {CoreKind::Classic, false, 0x2000, "avr2", "at90s8515"}, {CoreKind::Classic, false, 0x40000, "avr6", "atmega2560"},
        {CoreKind::EnhancedSmall, false, 0x2000, "avr4", "atmega8"}, {CoreKind::Enhanced, false, 0x10000, "avr5", "atmega16"},
        {CoreKind::Enhanced, false, 0x20000, "avr51", "atmega128"}, {CoreKind::Enhanced, true, 0x4000, "avr6", "atmega2560"},
        {CoreKind::Extended, false, 0x4000, "avr6", "atmega2560"}, {CoreKind::Mega, false, 0x10000, "avr3", "at43usb355"},
        {CoreKind::Mega, false, 0x20000, "avr31", "atmega103"},
        // clang-format on
    };
    for (const auto& c : cases) {
        const std::string architecture =
            DeviceTable::architecture(c.core, c.extendedCalls, c.programSize);
        EXPECT_EQ(architecture, c.architecture) << static_cast<int>(c.core) << " " << c.programSize;
        EXPECT_EQ(DeviceTable::representative(architecture), c.representative) << architecture;
    }
}

TEST(DeviceTableTest, DeviceThatAvrGccLacksFallsBackToTheCore) {
    TazuOptions options;
    options.device = "ATMega64";
    options.core = CoreKind::Enhanced;
    options.programEnd = 0x10000;
    const auto knowsNone = [](const std::string&) { return false; };
    const auto knowsAll = [](const std::string&) { return true; };
    const McuChoice lacking = GccCommand::chooseMcu(options, knowsNone);
    EXPECT_EQ(lacking.mcu + ": " + lacking.fallbackNote,
              "atmega16: avr-gcc does not know the device ATMega64; building for atmega16 "
              "(architecture avr5)");
    const McuChoice known = GccCommand::chooseMcu(options, knowsAll);
    EXPECT_EQ(known.mcu + ": " + known.fallbackNote, "atmega64: ");
    options.device.clear();
    const McuChoice custom = GccCommand::chooseMcu(options, knowsAll);
    EXPECT_EQ(custom.mcu + ": " + custom.fallbackNote, "atmega16: ");
}

} // namespace
} // namespace avrtazu
