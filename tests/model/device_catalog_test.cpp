#include "model/device_catalog.h"

#include "golden.h"
#include "platform/drive_map.h"
#include "platform/temp_drive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace avrtazu {
namespace {

// Read while the program starts, before main: the catalogue must already answer then.
const int ATMega16AtStartup = DeviceCatalog::findExact("ATMega16");
const std::string AT94K40TextAtStartup = DeviceCatalog::device(70).textAddressWord;

constexpr int kCount = DeviceCatalog::deviceCount;

// Every row of the device table with the end row and one beyond, the FPSLIC partitions of a
// small and a large device and the boot-size choices of each group.
TEST(DeviceCatalogTest, TablesAreTheGoldenOnes) {
    std::string all = "row name: eepromExtIo eepromStartsAtOne isFpslic | programMemory dataMemory "
                      "textAddressWord dataAddressByte eeprom | useLongCallJmp enhancedCore "
                      "ioRegsOffsetInternalSram | externalMemoryKind bootSizeGroup\n";
    const auto text = [](const std::string& value) { return value.empty() ? "-" : value.c_str(); };
    for (int i = 0; i <= kCount + 1; ++i) {
        const DeviceInfo& d = DeviceCatalog::device(i);
        char line[200];
        std::snprintf(line, sizeof line, "%2d %s: %d %d %d | %s %s %s %s %s | %d %d %d | %d %d\n",
                      i, text(d.name), d.eepromExtIo, d.eepromStartsAtOne, d.isFpslic,
                      text(d.programMemory), text(d.dataMemory), text(d.textAddressWord),
                      text(d.dataAddressByte), text(d.eeprom), d.useLongCallJmp, d.enhancedCore,
                      d.ioRegsOffsetInternalSram, d.externalMemoryKind, d.bootSizeGroup);
        all += line;
    }
    for (const char* device : {"AT94K05", "X05Y", "AT94K10", "AT94K40"}) {
        all += std::string("FPSLIC partitions of ") + device + ":";
        for (const FpslicMemoryOption& option : DeviceCatalog::fpslicPartitions(device)) {
            all += " [" + option.name + " " + option.codeSize + " " + option.dataSize + "]";
        }
        all += "\n";
    }
    for (int group : {-1, 0, 1, 2, 3, 4}) {
        all += "boot sizes of group " + std::to_string(group) + ":";
        for (const std::string& choice : DeviceCatalog::bootSizeChoices(group)) {
            all += " [" + choice + "]";
        }
        all += "\n";
    }
    test::expectGolden("device_catalog.txt", all);
    EXPECT_EQ(&DeviceCatalog::device(-1), &DeviceCatalog::device(kCount));
    EXPECT_EQ(ATMega16AtStartup, 18);
    EXPECT_EQ(AT94K40TextAtStartup, "0x48");
}

TEST(DeviceCatalogTest, LookupsByNameAndTheShippedPartsFile) {
    std::string found;
    for (const char* name :
         {"Custom", "atmega16", "atmega128 : m103 MODE", "ATMega128", "ATMega16 ", ""}) {
        found += std::to_string(DeviceCatalog::findExact(name)) + " " +
                 std::to_string(DeviceCatalog::findIgnoringCase(name)) + "|";
    }
    EXPECT_EQ(found, "0 0|-1 18|-1 51|-1 -1|-1 -1|-1 -1|");
    for (int i = 0; i < kCount; ++i) {
        std::string name = DeviceCatalog::device(i).name;
        EXPECT_EQ(DeviceCatalog::findExact(name), i) << name;
        std::transform(name.begin(), name.end(), name.begin(), ::tolower);
        EXPECT_EQ(DeviceCatalog::findIgnoringCase(name), i) << name;
    }
}

TEST(DeviceCatalogTest, SupportedPartsFileLinesAreTrimmedAndBlankLinesKept) {
    const test::TempDrive drive('P');
    DriveMap::unmap('Q');
    std::string read;
    for (const std::string bytes : {"", "  Custom \t\r\n\r\n   \r\n\tATtiny13\v\f",
                                    " ATMega128 : M103 mode \r\n", "Ger\xe4t\xa0\r\n"}) {
        drive.write("parts.txt", bytes);
        const auto lines = DeviceCatalog::readSupportedParts("P:\\parts.txt");
        for (const std::string& line : lines.value()) {
            read += "[" + line + "]";
        }
        read += "\n";
    }
    EXPECT_EQ(read, "\n[Custom][][][ATtiny13]\n[ATMega128 : M103 mode]\n[Ger\xe4t\xa0]\n");
    for (const char* unreadable : {"P:\\missing.txt", "P:\\", "Q:\\parts.txt", ""}) {
        EXPECT_FALSE(DeviceCatalog::readSupportedParts(unreadable).has_value()) << unreadable;
    }
}

} // namespace
} // namespace avrtazu
