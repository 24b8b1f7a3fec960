#include "model/device_catalog.h"
#include "platform/drive_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <unistd.h>

namespace avrtazu {

// Shows the whole row when a comparison fails.
static void PrintTo(const DeviceInfo& d, std::ostream* out) {
    *out << '"' << d.name << "\" xio=" << d.eepromExtIo << " ee1=" << d.eepromStartsAtOne
         << " fps=" << d.isFpslic << " prog=" << d.programMemory << " data=" << d.dataMemory
         << " text=" << d.textAddressWord << " dstart=" << d.dataAddressByte << " ee=" << d.eeprom
         << " long=" << d.useLongCallJmp << " enh=" << d.enhancedCore
         << " iooff=" << d.ioRegsOffsetInternalSram << " xmem=" << d.externalMemoryKind
         << " boot=" << d.bootSizeGroup;
}

namespace {

// Read while the program starts, before main: the catalogue must already answer then.
const int ATMega16AtStartup = DeviceCatalog::findExact("ATMega16");
const std::string AT94K40TextAtStartup = DeviceCatalog::device(70).textAddressWord;

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

TEST(DeviceCatalogTest, SpotCheckedRowsHoldEveryValue) {
    // Every fifth row, and the rows that break the patterns of their neighbours.
    // clang-format off
    const struct {
        int index;
        DeviceInfo row;
    } cases[] = {
        {0, {"Custom", 0, 0, 0, "", "", "0x2", "", "0", 0, 0, 1, 2, 1}},
        {5, {"ATtiny26", 0, 0, 0, "2048", "128", "0xC", "0x60", "128", 0, 0, 1, 0, 0}},
        {10, {"ATtiny84", 0, 0, 0, "8192", "512", "0x11", "0x60", "512", 0, 0, 1, 0, 0}},
        {13, {"ATMega48", 1, 0, 0, "4096", "512", "0x1A", "0x100", "256", 0, 1, 1, 0, 0}},
        {15, {"ATMega8515", 0, 0, 0, "8192", "512", "0x11", "0x60", "512", 0, 1, 1, 1, 1}},
        {18, {"ATMega16", 0, 0, 0, "16384", "1024", "0x2A", "0x60", "512", 1, 1, 1, 0, 1}},
        {20, {"ATMega162", 0, 0, 0, "16384", "1024", "0x38", "0x100", "512", 1, 1, 1, 1, 1}},
        {25, {"ATMega168", 1, 0, 0, "16384", "1024", "0x34", "0x100", "512", 1, 1, 1, 0, 1}},
        {30, {"ATMega323", 0, 0, 0, "0x8000", "2048", "0x28", "0x60", "1024", 1, 1, 1, 0, 2}},
        {35, {"ATMega3250P", 1, 0, 0, "0x8000", "2048", "0x64", "0x100", "1024", 1, 1, 1, 0, 2}},
        {40, {"ATMega406", 1, 0, 0, "0xA000", "2048", "0x5C", "0x100", "512", 1, 1, 1, 0, 2}},
        {41, {"ATMega64", 0, 0, 0, "0x10000", "4096", "0x46", "0x100", "2048", 1, 1, 1, 1, 4}},
        {42, {"ATMega640", 1, 0, 0, "0x10000", "8192", "0xE4", "0x200", "4096", 1, 1, 1, 2, 4}},
        {45, {"ATMega645", 1, 0, 0, "0x10000", "4096", "0x5C", "0x100", "2048", 1, 1, 1, 0, 4}},
        {49, {"ATMega103", 0, 1, 0, "0x20000", "4096", "0x30", "0x60", "4096", 1, 0, 0, 1, 0}},
        {50, {"ATMega128 (Please see NOTES)", 0, 0, 0, "0x20000", "4096", "0x46", "0x100", "4096", 1, 1, 1, 1, 4}},
        {51, {"ATMega128 : M103 mode", 0, 0, 0, "0x20000", "4096", "0x30", "0x60", "4096", 1, 1, 0, 1, 0}},
        {55, {"AT90CAN64", 1, 0, 0, "0x10000", "4096", "0x4A", "0x100", "2048", 1, 1, 1, 2, 4}},
        {57, {"ATMega2560", 1, 0, 0, "0x40000", "8192", "0x72", "0x200", "4096", 1, 1, 1, 2, 4}},
        {60, {"AT90PWM2", 1, 0, 0, "8192", "512", "0x20", "0x100", "512", 0, 1, 1, 0, 1}},
        {62, {"AT90USB82", 1, 0, 0, "8192", "512", "0x40", "0x100", "512", 0, 1, 1, 0, 4}},
        {65, {"AT90USB647", 1, 0, 0, "0x10000", "4096", "0x98", "0x100", "2048", 1, 1, 1, 2, 4}},
        {68, {"AT94K05", 0, 0, 1, "", "", "0x48", "0x60", "", 1, 1, 0, 0, 0}},
        {69, {"AT94K10", 0, 0, 1, "", "", "0x48", "0x60", "", 1, 1, 0, 0, 0}},
        {70, {"AT94K40", 0, 0, 1, "", "", "0x48", "0x60", "", 1, 1, 0, 0, 0}},
        {71, {"AT86RF401", 0, 1, 0, "2048", "128", "0x6", "0x60", "128", 0, 0, 1, 0, 0}},
        {72, {"AT43USB320", 0, 0, 0, "0", "512", "0x1A", "0x60", "", 1, 0, 1, 0, 0}},
        {73, {"AT43USB355", 0, 0, 0, "0x6000", "1024", "0x1A", "0x60", "", 1, 0, 1, 0, 0}},
        {75, {"AT90S2323", 0, 1, 0, "2048", "128", "0x3", "0x60", "128", 0, 0, 1, 0, 0}},
        {78, {"AT90S4414", 0, 1, 0, "4096", "256", "0xD", "0x60", "256", 0, 0, 1, 1, 0}},
        {80, {"AT90S4434", 0, 1, 0, "4096", "256", "0x11", "0x60", "256", 0, 0, 1, 0, 0}},
        {83, {"AT90S8535", 0, 1, 0, "8192", "512", "0x11", "0x60", "512", 0, 0, 1, 0, 0}},
        {84, {}},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(DeviceCatalog::device(c.index), c.row) << "row " << c.index;
    }
}

TEST(DeviceCatalogTest, FlagAndKindColumnsOverAllRows) {
    // Which rows hold a value, as runs of row indices: covers every row of these columns.
    using Get = int (*)(const DeviceInfo&);
    using Runs = std::vector<std::pair<int, int>>;
    const struct {
        const char* column;
        Get get;
        int value;
        Runs runs;
    } cases[] = {
        {"eepromExtIo",
         [](const DeviceInfo& d) { return int{d.eepromExtIo}; },
         1,
         {{13, 13}, {17, 17}, {22, 28}, {31, 40}, {42, 48}, {52, 67}}},
        {"eepromStartsAtOne",
         [](const DeviceInfo& d) { return int{d.eepromStartsAtOne}; },
         1,
         {{49, 49}, {71, 71}, {74, 83}}},
        {"isFpslic", [](const DeviceInfo& d) { return int{d.isFpslic}; }, 1, {{68, 70}}},
        {"useLongCallJmp",
         [](const DeviceInfo& d) { return int{d.useLongCallJmp}; },
         1,
         {{18, 58}, {63, 70}, {72, 73}}},
        {"enhancedCore",
         [](const DeviceInfo& d) { return int{d.enhancedCore}; },
         1,
         {{13, 48}, {50, 70}}},
        {"ioRegsOffsetInternalSram",
         [](const DeviceInfo& d) { return int{d.ioRegsOffsetInternalSram}; },
         1,
         {{0, 48}, {50, 50}, {52, 67}, {71, 83}}},
        {"externalMemoryKind",
         [](const DeviceInfo& d) { return d.externalMemoryKind; },
         1,
         {{14, 15}, {19, 20}, {41, 41}, {49, 51}, {78, 78}, {81, 81}}},
        {"externalMemoryKind",
         [](const DeviceInfo& d) { return d.externalMemoryKind; },
         2,
         {{0, 0}, {42, 44}, {52, 58}, {64, 67}}},
        {"bootSizeGroup",
         [](const DeviceInfo& d) { return d.bootSizeGroup; },
         1,
         {{0, 0}, {14, 28}, {59, 61}}},
        {"bootSizeGroup", [](const DeviceInfo& d) { return d.bootSizeGroup; }, 2, {{29, 40}}},
        {"bootSizeGroup",
         [](const DeviceInfo& d) { return d.bootSizeGroup; },
         4,
         {{41, 48}, {50, 50}, {52, 58}, {62, 67}}},
    };
    for (const auto& c : cases) {
        std::vector<int> expected;
        for (const auto& [first, last] : c.runs) {
            for (int i = first; i <= last; ++i) {
                expected.push_back(i);
            }
        }
        std::vector<int> actual;
        for (int i = 0; i < DeviceCatalog::deviceCount; ++i) {
            if (c.get(DeviceCatalog::device(i)) == c.value) {
                actual.push_back(i);
            }
        }
        EXPECT_EQ(actual, expected) << c.column << " = " << c.value;
    }
}

TEST(DeviceCatalogTest, ExternTablesHoldTheSameRowsAsTheCatalogue) {
    for (int i = 0; i <= DeviceCatalog::deviceCount; ++i) {
        EXPECT_EQ(DeviceTable[static_cast<std::size_t>(i)], DeviceCatalog::device(i)) << i;
    }
    EXPECT_EQ(
        DeviceCatalog::fpslicPartitions("AT94K05"),
        std::vector<FpslicMemoryOption>(FpslicMemoryTable.begin(), FpslicMemoryTable.begin() + 4));
}

TEST(DeviceCatalogTest, RowsAreUsableDuringStaticInitialisation) {
    EXPECT_EQ(ATMega16AtStartup, 18);
    EXPECT_EQ(AT94K40TextAtStartup, "0x48");
}

TEST(DeviceCatalogTest, OutOfRangeIndexGivesTheEndRow) {
    for (int index : {84, 85, 1000, -1, -84}) {
        EXPECT_EQ(DeviceCatalog::device(index), DeviceInfo{}) << index;
        EXPECT_EQ(&DeviceCatalog::device(index), &DeviceCatalog::device(84)) << index;
    }
}

TEST(DeviceCatalogTest, RowsKeepTheirColumnRules) {
    std::set<std::string> foldedNames;
    for (int i = 0; i < DeviceCatalog::deviceCount; ++i) {
        const DeviceInfo& d = DeviceCatalog::device(i);
        SCOPED_TRACE(d.name);
        EXPECT_FALSE(d.name.empty());
        // Names that differ only in case would make the case-blind lookups pick the wrong row.
        EXPECT_TRUE(foldedNames.insert(lowerCase(d.name)).second);
        EXPECT_EQ(d.isFpslic, d.name.rfind("AT94K", 0) == 0);
        EXPECT_EQ(d.textAddressWord.rfind("0x", 0), 0u);
        EXPECT_TRUE(d.bootSizeGroup == 0 || d.bootSizeGroup == 1 || d.bootSizeGroup == 2 ||
                    d.bootSizeGroup == 4);
        EXPECT_TRUE(d.externalMemoryKind >= 0 && d.externalMemoryKind <= 2);
        // Only "Custom" leaves the data start to the user.
        EXPECT_EQ(d.dataAddressByte.empty(), i == 0);
        // FPSLIC memory comes from the partition; the AT43USB parts have no EEPROM.
        const bool noEeprom = d.isFpslic || d.name.rfind("AT43USB", 0) == 0;
        EXPECT_EQ(d.eeprom.empty(), noEeprom);
        EXPECT_EQ(d.programMemory.empty(), d.isFpslic || i == 0);
        EXPECT_EQ(d.dataMemory.empty(), d.isFpslic || i == 0);
    }
}

TEST(DeviceCatalogTest, LookupsByName) {
    const struct {
        const char* name;
        int exact;
        int ignoringCase;
    } cases[] = {
        {"Custom", 0, 0},
        {"custom", -1, 0},
        {"ATtiny13", 1, 1},
        {"ATMega16", 18, 18},
        {"atmega16", -1, 18},
        {"ATMEGA16", -1, 18},
        {"ATMega161", 19, 19},
        {"ATMega128 (Please see NOTES)", 50, 50},
        {"ATMega128 : M103 mode", 51, 51},
        {"atmega128 : m103 MODE", -1, 51},
        {"ATMega128", -1, -1},
        {"AT94K05", 68, 68},
        {"AT43USB355", 73, 73},
        {"AT90S8535", 83, 83},
        {"at90s8535", -1, 83},
        {"ATMega16 ", -1, -1},
        {" ATMega16", -1, -1},
        {"ATMega", -1, -1},
        {"", -1, -1},
        {"ATxmega128A1", -1, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DeviceCatalog::findExact(c.name), c.exact) << c.name;
        EXPECT_EQ(DeviceCatalog::findIgnoringCase(c.name), c.ignoringCase) << c.name;
    }
}

TEST(DeviceCatalogTest, EveryRowIsFoundByItsOwnName) {
    for (int i = 0; i < DeviceCatalog::deviceCount; ++i) {
        const std::string& name = DeviceCatalog::device(i).name;
        EXPECT_EQ(DeviceCatalog::findExact(name), i) << name;
        EXPECT_EQ(DeviceCatalog::findIgnoringCase(lowerCase(name)), i) << name;
    }
}

TEST(DeviceCatalogTest, FpslicPartitionsFollowTheDeviceName) {
    const std::vector<std::string> small = {"4K Code / 16K Data", "8K Code / 12K Data",
                                            "12K Code / 8K Data", "16K Code / 4K Data"};
    const std::vector<std::string> large = {"20K Code / 16K Data", "24K Code / 12K Data",
                                            "28K Code / 8k Data", "32K Code / 4K Data"};
    const struct {
        const char* device;
        const std::vector<std::string>& names;
    } cases[] = {
        {"AT94K05", small}, {"AT94K10", large}, {"AT94K40", large},
        {"at94k05", small}, {"", large},        {"X05Y", small},
    };
    for (const auto& c : cases) {
        std::vector<std::string> names;
        for (const auto& option : DeviceCatalog::fpslicPartitions(c.device)) {
            names.push_back(option.name);
        }
        EXPECT_EQ(names, c.names) << c.device;
    }
}

TEST(DeviceCatalogTest, FpslicTableSizes) {
    const FpslicMemoryOption expected[] = {
        {"4K Code / 16K Data", "0x1000", "0x4000"},  {"8K Code / 12K Data", "0x2000", "0x3000"},
        {"12K Code / 8K Data", "0x3000", "0x2000"},  {"16K Code / 4K Data", "0x4000", "0x1000"},
        {"20K Code / 16K Data", "0x5000", "0x4000"}, {"24K Code / 12K Data", "0x6000", "0x3000"},
        {"28K Code / 8k Data", "0x7000", "0x2000"},  {"32K Code / 4K Data", "0x8000", "0x1000"},
    };
    for (std::size_t i = 0; i < FpslicMemoryTable.size(); ++i) {
        EXPECT_EQ(FpslicMemoryTable[i], expected[i]) << i;
    }
}

TEST(DeviceCatalogTest, BootSizeChoicesPerGroup) {
    using Texts = std::vector<std::string>;
    const struct {
        int group;
        Texts choices;
    } cases[] = {
        {0, {}},
        {1, {"None", "128 Words", "256 Words", "512 Words", "1K Words"}},
        {2, {"None", "256 Words", "512 Words", "1K Words", "2K Words"}},
        {3, {}},
        {4, {"None", "512 Words", "1K Words", "2K Words", "4K Words"}},
        {5, {}},
        {8, {}},
        {-1, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DeviceCatalog::bootSizeChoices(c.group), c.choices) << c.group;
    }
}

TEST(DeviceCatalogTest, BootSizeChoicesOfDevices) {
    const struct {
        const char* device;
        std::size_t count;
        const char* smallest;
    } cases[] = {
        {"ATtiny13", 0, ""},          {"ATMega48", 0, ""},
        {"Custom", 5, "128 Words"},   {"ATMega8", 5, "128 Words"},
        {"ATMega32", 5, "256 Words"}, {"ATMega128 (Please see NOTES)", 5, "512 Words"},
        {"ATMega103", 0, ""},         {"ATMega128 : M103 mode", 0, ""},
        {"AT94K05", 0, ""},
    };
    for (const auto& c : cases) {
        const int row = DeviceCatalog::findExact(c.device);
        ASSERT_GE(row, 0) << c.device;
        const auto choices =
            DeviceCatalog::bootSizeChoices(DeviceCatalog::device(row).bootSizeGroup);
        ASSERT_EQ(choices.size(), c.count) << c.device;
        if (c.count > 0) {
            EXPECT_EQ(choices[0], "None");
            EXPECT_EQ(choices[1], c.smallest) << c.device;
        }
    }
}

TEST(DeviceCatalogTest, ShippedSupportedPartsFileListsTheTableInOrder) {
    const auto parts = DeviceCatalog::readSupportedParts(
        DriveMap::toWindows(AVRTAZU_SOURCE_DIR "/data/tazusupportedparts.txt"));
    ASSERT_TRUE(parts.has_value());
    ASSERT_EQ(parts->size(), static_cast<std::size_t>(DeviceCatalog::deviceCount));
    for (int i = 0; i < DeviceCatalog::deviceCount; ++i) {
        EXPECT_EQ((*parts)[static_cast<std::size_t>(i)], DeviceCatalog::device(i).name) << i;
    }
}

class SupportedPartsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("avrtazu-parts-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        DriveMap::reset();
        std::filesystem::remove_all(folder_);
    }
    std::string write(const std::string& fileName, const std::string& bytes) {
        const auto path = folder_ / fileName;
        std::ofstream(path, std::ios::binary) << bytes;
        return DriveMap::toWindows(path.string());
    }
    std::filesystem::path folder_;
};

TEST_F(SupportedPartsFileTest, LinesAreTrimmedAndBlankLinesKept) {
    using Texts = std::vector<std::string>;
    const struct {
        const char* label;
        std::string bytes;
        Texts lines;
    } cases[] = {
        {"empty file", "", {}},
        {"CR LF ends", "Custom\r\nATtiny13\r\n", {"Custom", "ATtiny13"}},
        {"no final line end", "Custom\nATtiny13", {"Custom", "ATtiny13"}},
        {"blanks around", "  Custom \t\r\n\tATtiny13\v\f\n", {"Custom", "ATtiny13"}},
        {"blank lines stay", "Custom\r\n\r\n   \r\nATtiny13\n", {"Custom", "", "", "ATtiny13"}},
        {"inner blanks stay", " ATMega128 : M103 mode \r\n", {"ATMega128 : M103 mode"}},
        {"8-bit bytes kept", "Ger\xe4t\xa0\r\n", {"Ger\xe4t\xa0"}},
        {"lone line end", "\n", {""}},
    };
    for (const auto& c : cases) {
        const auto lines = DeviceCatalog::readSupportedParts(write("parts.txt", c.bytes));
        ASSERT_TRUE(lines.has_value()) << c.label;
        EXPECT_EQ(*lines, c.lines) << c.label;
    }
}

TEST_F(SupportedPartsFileTest, ReadsThroughAMappedDrive) {
    write("tazusupportedparts.txt", "Custom\r\nATtiny13\r\n");
    DriveMap::map('C', folder_.string());
    const auto lines = DeviceCatalog::readSupportedParts("C:\\tazusupportedparts.txt");
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, (std::vector<std::string>{"Custom", "ATtiny13"}));
}

TEST_F(SupportedPartsFileTest, UnreadablePlacesAreReported) {
    DriveMap::unmap('Q');
    const std::string cases[] = {
        DriveMap::toWindows((folder_ / "missing.txt").string()),
        DriveMap::toWindows(folder_.string()),
        "Q:\\AvrStudioPlugin\\tazusupportedparts.txt",
        "",
    };
    for (const auto& path : cases) {
        EXPECT_FALSE(DeviceCatalog::readSupportedParts(path).has_value()) << path;
    }
}

} // namespace
} // namespace avrtazu
