#include "model/device_catalog.h"
#include "platform/drive_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace avrtazu {

// Shows the whole row when a comparison fails.
static void PrintTo(const DeviceInfo& d, std::ostream* out) {
    *out << '"' << d.name << "\" " << d.eepromExtIo << d.eepromStartsAtOne << d.isFpslic << ' '
         << d.programMemory << ' ' << d.dataMemory << ' ' << d.textAddressWord << ' '
         << d.dataAddressByte << ' ' << d.eeprom << ' ' << d.useLongCallJmp << d.enhancedCore
         << d.ioRegsOffsetInternalSram << ' ' << d.externalMemoryKind << d.bootSizeGroup;
}

namespace {

// Read while the program starts, before main: the catalogue must already answer then.
const int ATMega16AtStartup = DeviceCatalog::findExact("ATMega16");
const std::string AT94K40TextAtStartup = DeviceCatalog::device(70).textAddressWord;

constexpr int kCount = DeviceCatalog::deviceCount;

TEST(DeviceCatalogTest, RowsThatBreakThePatternsHoldEveryValue) {
    // clang-format off
    const struct {
        int index;
        DeviceInfo row;
    } cases[] = {
        {0, {"Custom", 0, 0, 0, "", "", "0x2", "", "0", 0, 0, 1, 2, 1}},
        {13, {"ATMega48", 1, 0, 0, "4096", "512", "0x1A", "0x100", "256", 0, 1, 1, 0, 0}},
        {18, {"ATMega16", 0, 0, 0, "16384", "1024", "0x2A", "0x60", "512", 1, 1, 1, 0, 1}},
        {42, {"ATMega640", 1, 0, 0, "0x10000", "8192", "0xE4", "0x200", "4096", 1, 1, 1, 2, 4}},
        {49, {"ATMega103", 0, 1, 0, "0x20000", "4096", "0x30", "0x60", "4096", 1, 0, 0, 1, 0}},
        {50, {"ATMega128 (Please see NOTES)", 0, 0, 0, "0x20000", "4096", "0x46", "0x100", "4096", 1, 1, 1, 1, 4}},
        {51, {"ATMega128 : M103 mode", 0, 0, 0, "0x20000", "4096", "0x30", "0x60", "4096", 1, 1, 0, 1, 0}},
        {70, {"AT94K40", 0, 0, 1, "", "", "0x48", "0x60", "", 1, 1, 0, 0, 0}},
        {72, {"AT43USB320", 0, 0, 0, "0", "512", "0x1A", "0x60", "", 1, 0, 1, 0, 0}},
        {73, {"AT43USB355", 0, 0, 0, "0x6000", "1024", "0x1A", "0x60", "", 1, 0, 1, 0, 0}},
        {78, {"AT90S4414", 0, 1, 0, "4096", "256", "0xD", "0x60", "256", 0, 0, 1, 1, 0}},
        {83, {"AT90S8535", 0, 1, 0, "8192", "512", "0x11", "0x60", "512", 0, 0, 1, 0, 0}},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(DeviceCatalog::device(c.index), c.row) << "row " << c.index;
    }
    for (int index : {84, 85, -1}) {
        EXPECT_EQ(&DeviceCatalog::device(index), &DeviceCatalog::device(84)) << index;
    }
    EXPECT_EQ(DeviceCatalog::device(84), DeviceInfo{});
    for (int i = 0; i <= kCount; ++i) {
        EXPECT_EQ(DeviceTable[static_cast<std::size_t>(i)], DeviceCatalog::device(i)) << i;
    }
    EXPECT_EQ(ATMega16AtStartup, 18);
    EXPECT_EQ(AT94K40TextAtStartup, "0x48");
}

TEST(DeviceCatalogTest, FlagAndKindColumnsOverAllRows) {
    // The rows holding a value, as runs of row indices: covers every row of these columns.
    enum Column { xio, ee1, fpslic, longCall, enhanced, ioOffset, xmem, boot };
    const auto value = [](const DeviceInfo& d, Column column) {
        const int values[] = {d.eepromExtIo,        d.eepromStartsAtOne, d.isFpslic,
                              d.useLongCallJmp,     d.enhancedCore,      d.ioRegsOffsetInternalSram,
                              d.externalMemoryKind, d.bootSizeGroup};
        return values[column];
    };
    const struct {
        Column column;
        int value;
        std::vector<std::pair<int, int>> runs;
    } cases[] = {
        {xio, 1, {{13, 13}, {17, 17}, {22, 28}, {31, 40}, {42, 48}, {52, 67}}},
        {ee1, 1, {{49, 49}, {71, 71}, {74, 83}}},
        {fpslic, 1, {{68, 70}}},
        {longCall, 1, {{18, 58}, {63, 70}, {72, 73}}},
        {enhanced, 1, {{13, 48}, {50, 70}}},
        {ioOffset, 1, {{0, 48}, {50, 50}, {52, 67}, {71, 83}}},
        {xmem, 1, {{14, 15}, {19, 20}, {41, 41}, {49, 51}, {78, 78}, {81, 81}}},
        {xmem, 2, {{0, 0}, {42, 44}, {52, 58}, {64, 67}}},
        {boot, 1, {{0, 0}, {14, 28}, {59, 61}}},
        {boot, 2, {{29, 40}}},
        {boot, 4, {{41, 48}, {50, 50}, {52, 58}, {62, 67}}},
    };
    for (const auto& c : cases) {
        std::vector<int> expected, actual;
        for (const auto& [first, last] : c.runs) {
            for (int i = first; i <= last; ++i) {
                expected.push_back(i);
            }
        }
        for (int i = 0; i < kCount; ++i) {
            if (value(DeviceCatalog::device(i), c.column) == c.value) {
                actual.push_back(i);
            }
        }
        EXPECT_EQ(actual, expected) << "column " << c.column << " = " << c.value;
    }
    // Text columns: only "Custom" leaves the data start open; FPSLIC memory comes from the
    // partition; the AT43USB parts have no EEPROM.
    for (int i = 0; i < kCount; ++i) {
        const DeviceInfo& d = DeviceCatalog::device(i);
        EXPECT_EQ(d.textAddressWord.rfind("0x", 0), 0u) << d.name;
        EXPECT_EQ(d.dataAddressByte.empty(), i == 0) << d.name;
        EXPECT_EQ(d.eeprom.empty(), d.isFpslic || d.name.rfind("AT43USB", 0) == 0) << d.name;
        EXPECT_EQ(d.programMemory.empty() || d.dataMemory.empty(), d.isFpslic || i == 0) << d.name;
    }
}

TEST(DeviceCatalogTest, LookupsByNameAndTheShippedPartsFile) {
    const struct {
        std::string name;
        int exact;
        int ignoringCase;
    } cases[] = {
        {"Custom", 0, 0},      {"atmega16", -1, 18},  {"atmega128 : m103 MODE", -1, 51},
        {"ATMega128", -1, -1}, {"ATMega16 ", -1, -1}, {"", -1, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DeviceCatalog::findExact(c.name), c.exact) << c.name;
        EXPECT_EQ(DeviceCatalog::findIgnoringCase(c.name), c.ignoringCase) << c.name;
    }
    std::vector<std::string> names;
    for (int i = 0; i < kCount; ++i) {
        std::string name = names.emplace_back(DeviceCatalog::device(i).name);
        EXPECT_EQ(DeviceCatalog::findExact(name), i) << name;
        std::transform(name.begin(), name.end(), name.begin(), ::tolower);
        EXPECT_EQ(DeviceCatalog::findIgnoringCase(name), i) << name;
    }
    // The Target page picks rows by the position of the file's lines.
    EXPECT_EQ(DeviceCatalog::readSupportedParts(
                  DriveMap::toWindows(AVRTAZU_SOURCE_DIR "/data/tazusupportedparts.txt")),
              names);
}

TEST(DeviceCatalogTest, FpslicPartitionsAndBootSizeChoices) {
    const std::vector<FpslicMemoryOption> all = {
        {"4K Code / 16K Data", "0x1000", "0x4000"},  {"8K Code / 12K Data", "0x2000", "0x3000"},
        {"12K Code / 8K Data", "0x3000", "0x2000"},  {"16K Code / 4K Data", "0x4000", "0x1000"},
        {"20K Code / 16K Data", "0x5000", "0x4000"}, {"24K Code / 12K Data", "0x6000", "0x3000"},
        {"28K Code / 8k Data", "0x7000", "0x2000"},  {"32K Code / 4K Data", "0x8000", "0x1000"},
    };
    const std::vector<FpslicMemoryOption> small(all.begin(), all.begin() + 4);
    const std::vector<FpslicMemoryOption> large(all.begin() + 4, all.end());
    EXPECT_EQ(std::vector<FpslicMemoryOption>(FpslicMemoryTable.begin(), FpslicMemoryTable.end()),
              all);
    EXPECT_EQ(DeviceCatalog::fpslicPartitions("AT94K05"), small);
    EXPECT_EQ(DeviceCatalog::fpslicPartitions("X05Y"), small);
    EXPECT_EQ(DeviceCatalog::fpslicPartitions("AT94K10"), large);
    EXPECT_EQ(DeviceCatalog::fpslicPartitions("AT94K40"), large);

    using Texts = std::vector<std::string>;
    EXPECT_EQ(DeviceCatalog::bootSizeChoices(1),
              (Texts{"None", "128 Words", "256 Words", "512 Words", "1K Words"}));
    EXPECT_EQ(DeviceCatalog::bootSizeChoices(2),
              (Texts{"None", "256 Words", "512 Words", "1K Words", "2K Words"}));
    EXPECT_EQ(DeviceCatalog::bootSizeChoices(4),
              (Texts{"None", "512 Words", "1K Words", "2K Words", "4K Words"}));
    for (int group : {0, 3, -1}) {
        EXPECT_TRUE(DeviceCatalog::bootSizeChoices(group).empty()) << group;
    }
}

TEST(DeviceCatalogTest, SupportedPartsFileLinesAreTrimmedAndBlankLinesKept) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("avrtazu-parts-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    DriveMap::map('P', folder.string());
    DriveMap::unmap('Q');
    using Texts = std::vector<std::string>;
    const struct {
        std::string bytes;
        Texts lines;
    } cases[] = {
        {"", {}},
        {"  Custom \t\r\n\r\n   \r\n\tATtiny13\v\f", {"Custom", "", "", "ATtiny13"}},
        {" ATMega128 : M103 mode \r\n", {"ATMega128 : M103 mode"}},
        {"Ger\xe4t\xa0\r\n", {"Ger\xe4t\xa0"}},
    };
    for (const auto& c : cases) {
        std::ofstream(folder / "parts.txt", std::ios::binary) << c.bytes;
        EXPECT_EQ(DeviceCatalog::readSupportedParts("P:\\parts.txt").value_or(Texts{"<none>"}),
                  c.lines)
            << c.bytes;
    }
    for (const char* unreadable : {"P:\\missing.txt", "P:\\", "Q:\\parts.txt", ""}) {
        EXPECT_FALSE(DeviceCatalog::readSupportedParts(unreadable).has_value()) << unreadable;
    }
    DriveMap::reset();
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace avrtazu
