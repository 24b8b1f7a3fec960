#include "model/device_catalog.h"

#include "platform/drive_map.h"
#include "platform/text_case.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace avrtazu {

namespace {

using DeviceRows = std::array<DeviceInfo, 85>;
using FpslicRows = std::array<FpslicMemoryOption, 8>;

// Built on first use, so lookups work even from other translation units' static initialisers.
const DeviceRows& deviceRows() {
    // clang-format off
    // name, eepromExtIo, eepromStartsAtOne, isFpslic, programMemory, dataMemory,
    // textAddressWord, dataAddressByte, eeprom, useLongCallJmp, enhancedCore,
    // ioRegsOffsetInternalSram, externalMemoryKind, bootSizeGroup
    static const DeviceRows rows{{
        {"Custom", 0, 0, 0, "", "", "0x2", "", "0", 0, 0, 1, 2, 1}, // 0
        {"ATtiny13", 0, 0, 0, "1024", "64", "0xA", "0x60", "128", 0, 0, 1, 0, 0}, // 1
        {"ATtiny2313", 0, 0, 0, "2048", "128", "0x13", "0x60", "128", 0, 0, 1, 0, 0}, // 2
        {"ATtiny24", 0, 0, 0, "2048", "128", "0x11", "0x60", "128", 0, 0, 1, 0, 0}, // 3
        {"ATtiny25", 0, 0, 0, "2048", "128", "0xF", "0x60", "128", 0, 0, 1, 0, 0}, // 4
        {"ATtiny26", 0, 0, 0, "2048", "128", "0xC", "0x60", "128", 0, 0, 1, 0, 0}, // 5
        {"ATtiny261", 0, 0, 0, "2048", "128", "0x12", "0x60", "128", 0, 0, 1, 0, 0}, // 6
        {"ATtiny44", 0, 0, 0, "4096", "256", "0x11", "0x60", "256", 0, 0, 1, 0, 0}, // 7
        {"ATtiny45", 0, 0, 0, "4096", "256", "0xF", "0x60", "256", 0, 0, 1, 0, 0}, // 8
        {"ATtiny461", 0, 0, 0, "4096", "256", "0x12", "0x60", "256", 0, 0, 1, 0, 0}, // 9
        {"ATtiny84", 0, 0, 0, "8192", "512", "0x11", "0x60", "512", 0, 0, 1, 0, 0}, // 10
        {"ATtiny85", 0, 0, 0, "8192", "512", "0xF", "0x60", "512", 0, 0, 1, 0, 0}, // 11
        {"ATtiny861", 0, 0, 0, "8192", "512", "0x12", "0x60", "512", 0, 0, 1, 0, 0}, // 12
        {"ATMega48", 1, 0, 0, "4096", "512", "0x1A", "0x100", "256", 0, 1, 1, 0, 0}, // 13
        {"ATMega8", 0, 0, 0, "8192", "1024", "0x13", "0x60", "512", 0, 1, 1, 1, 1}, // 14
        {"ATMega8515", 0, 0, 0, "8192", "512", "0x11", "0x60", "512", 0, 1, 1, 1, 1}, // 15
        {"ATMega8535", 0, 0, 0, "8192", "512", "0x15", "0x60", "512", 0, 1, 1, 0, 1}, // 16
        {"ATMega88", 1, 0, 0, "8192", "1024", "0x1A", "0x100", "512", 0, 1, 1, 0, 1}, // 17
        {"ATMega16", 0, 0, 0, "16384", "1024", "0x2A", "0x60", "512", 1, 1, 1, 0, 1}, // 18
        {"ATMega161", 0, 0, 0, "16384", "1024", "0x2A", "0x60", "512", 1, 1, 1, 1, 1}, // 19
        {"ATMega162", 0, 0, 0, "16384", "1024", "0x38", "0x100", "512", 1, 1, 1, 1, 1}, // 20
        {"ATMega163", 0, 0, 0, "16384", "1024", "0x24", "0x60", "512", 1, 1, 1, 0, 1}, // 21
        {"ATMega164P", 1, 0, 0, "16384", "1024", "0x3E", "0x100", "512", 1, 1, 1, 0, 1}, // 22
        {"ATMega165", 1, 0, 0, "16384", "1024", "0x2C", "0x100", "512", 1, 1, 1, 0, 1}, // 23
        {"ATMega165P", 1, 0, 0, "16384", "1024", "0x2C", "0x100", "512", 1, 1, 1, 0, 1}, // 24
        {"ATMega168", 1, 0, 0, "16384", "1024", "0x34", "0x100", "512", 1, 1, 1, 0, 1}, // 25
        {"ATMega168P", 1, 0, 0, "16384", "1024", "0x34", "0x100", "512", 1, 1, 1, 0, 1}, // 26
        {"ATMega169", 1, 0, 0, "16384", "1024", "0x2E", "0x100", "512", 1, 1, 1, 0, 1}, // 27
        {"ATMega169P", 1, 0, 0, "16384", "1024", "0x2E", "0x100", "512", 1, 1, 1, 0, 1}, // 28
        {"ATMega32", 0, 0, 0, "0x8000", "2048", "0x2A", "0x60", "1024", 1, 1, 1, 0, 2}, // 29
        {"ATMega323", 0, 0, 0, "0x8000", "2048", "0x28", "0x60", "1024", 1, 1, 1, 0, 2}, // 30
        {"ATMega324P", 1, 0, 0, "0x8000", "2048", "0x3E", "0x100", "1024", 1, 1, 1, 0, 2}, // 31
        {"ATMega325", 1, 0, 0, "0x8000", "2048", "0x5C", "0x100", "1024", 1, 1, 1, 0, 2}, // 32
        {"ATMega325P", 1, 0, 0, "0x8000", "2048", "0x5C", "0x100", "1024", 1, 1, 1, 0, 2}, // 33
        {"ATMega3250", 1, 0, 0, "0x8000", "2048", "0x64", "0x100", "1024", 1, 1, 1, 0, 2}, // 34
        {"ATMega3250P", 1, 0, 0, "0x8000", "2048", "0x64", "0x100", "1024", 1, 1, 1, 0, 2}, // 35
        {"ATMega329", 1, 0, 0, "0x8000", "2048", "0x5C", "0x100", "1024", 1, 1, 1, 0, 2}, // 36
        {"ATMega329P", 1, 0, 0, "0x8000", "2048", "0x5C", "0x100", "1024", 1, 1, 1, 0, 2}, // 37
        {"ATMega3290", 1, 0, 0, "0x8000", "2048", "0x64", "0x100", "1024", 1, 1, 1, 0, 2}, // 38
        {"ATMega3290P", 1, 0, 0, "0x8000", "2048", "0x64", "0x100", "1024", 1, 1, 1, 0, 2}, // 39
        {"ATMega406", 1, 0, 0, "0xA000", "2048", "0x5C", "0x100", "512", 1, 1, 1, 0, 2}, // 40
        {"ATMega64", 0, 0, 0, "0x10000", "4096", "0x46", "0x100", "2048", 1, 1, 1, 1, 4}, // 41
        {"ATMega640", 1, 0, 0, "0x10000", "8192", "0xE4", "0x200", "4096", 1, 1, 1, 2, 4}, // 42
        {"ATMega644", 1, 0, 0, "0x10000", "4096", "0x38", "0x100", "2048", 1, 1, 1, 2, 4}, // 43
        {"ATMega644P", 1, 0, 0, "0x10000", "4096", "0x3E", "0x100", "2048", 1, 1, 1, 2, 4}, // 44
        {"ATMega645", 1, 0, 0, "0x10000", "4096", "0x5C", "0x100", "2048", 1, 1, 1, 0, 4}, // 45
        {"ATMega6450", 1, 0, 0, "0x10000", "4096", "0x64", "0x100", "2048", 1, 1, 1, 0, 4}, // 46
        {"ATMega649", 1, 0, 0, "0x10000", "4096", "0x5C", "0x100", "2048", 1, 1, 1, 0, 4}, // 47
        {"ATMega6490", 1, 0, 0, "0x10000", "4096", "0x64", "0x100", "2048", 1, 1, 1, 0, 4}, // 48
        {"ATMega103", 0, 1, 0, "0x20000", "4096", "0x30", "0x60", "4096", 1, 0, 0, 1, 0}, // 49
        {"ATMega128 (Please see NOTES)", 0, 0, 0, "0x20000", "4096", "0x46", "0x100", "4096", 1, 1, 1, 1, 4}, // 50
        {"ATMega128 : M103 mode", 0, 0, 0, "0x20000", "4096", "0x30", "0x60", "4096", 1, 1, 0, 1, 0}, // 51
        {"ATMega1280", 1, 0, 0, "0x20000", "8192", "0x72", "0x200", "4096", 1, 1, 1, 2, 4}, // 52
        {"ATMega1281", 1, 0, 0, "0x20000", "8192", "0x66", "0x200", "4096", 1, 1, 1, 2, 4}, // 53
        {"AT90CAN32", 1, 0, 0, "0x8000", "2048", "0x4A", "0x100", "1024", 1, 1, 1, 2, 4}, // 54
        {"AT90CAN64", 1, 0, 0, "0x10000", "4096", "0x4A", "0x100", "2048", 1, 1, 1, 2, 4}, // 55
        {"AT90CAN128", 1, 0, 0, "0x20000", "4096", "0x4A", "0x100", "4096", 1, 1, 1, 2, 4}, // 56
        {"ATMega2560", 1, 0, 0, "0x40000", "8192", "0x72", "0x200", "4096", 1, 1, 1, 2, 4}, // 57
        {"ATMega2561", 1, 0, 0, "0x40000", "8192", "0x66", "0x200", "4096", 1, 1, 1, 2, 4}, // 58
        {"AT90PWM1", 1, 0, 0, "8192", "512", "0x20", "0x100", "512", 0, 1, 1, 0, 1}, // 59
        {"AT90PWM2", 1, 0, 0, "8192", "512", "0x20", "0x100", "512", 0, 1, 1, 0, 1}, // 60
        {"AT90PWM3", 1, 0, 0, "8192", "512", "0x20", "0x100", "512", 0, 1, 1, 0, 1}, // 61
        {"AT90USB82", 1, 0, 0, "8192", "512", "0x40", "0x100", "512", 0, 1, 1, 0, 4}, // 62
        {"AT90USB162", 1, 0, 0, "16384", "512", "0x40", "0x100", "512", 1, 1, 1, 0, 4}, // 63
        {"AT90USB646", 1, 0, 0, "0x10000", "4096", "0x98", "0x100", "2048", 1, 1, 1, 2, 4}, // 64
        {"AT90USB647", 1, 0, 0, "0x10000", "4096", "0x98", "0x100", "2048", 1, 1, 1, 2, 4}, // 65
        {"AT90USB1286", 1, 0, 0, "0x20000", "8192", "0x98", "0x100", "4096", 1, 1, 1, 2, 4}, // 66
        {"AT90USB1287", 1, 0, 0, "0x20000", "8192", "0x98", "0x100", "4096", 1, 1, 1, 2, 4}, // 67
        {"AT94K05", 0, 0, 1, "", "", "0x48", "0x60", "", 1, 1, 0, 0, 0}, // 68
        {"AT94K10", 0, 0, 1, "", "", "0x48", "0x60", "", 1, 1, 0, 0, 0}, // 69
        {"AT94K40", 0, 0, 1, "", "", "0x48", "0x60", "", 1, 1, 0, 0, 0}, // 70
        {"AT86RF401", 0, 1, 0, "2048", "128", "0x6", "0x60", "128", 0, 0, 1, 0, 0}, // 71
        {"AT43USB320", 0, 0, 0, "0", "512", "0x1A", "0x60", "", 1, 0, 1, 0, 0}, // 72
        {"AT43USB355", 0, 0, 0, "0x6000", "1024", "0x1A", "0x60", "", 1, 0, 1, 0, 0}, // 73
        {"AT90S2313", 0, 1, 0, "2048", "128", "0xB", "0x60", "128", 0, 0, 1, 0, 0}, // 74
        {"AT90S2323", 0, 1, 0, "2048", "128", "0x3", "0x60", "128", 0, 0, 1, 0, 0}, // 75
        {"AT90S2333", 0, 1, 0, "2048", "128", "0xE", "0x60", "128", 0, 0, 1, 0, 0}, // 76
        {"AT90S2343", 0, 1, 0, "2048", "128", "0x3", "0x60", "128", 0, 0, 1, 0, 0}, // 77
        {"AT90S4414", 0, 1, 0, "4096", "256", "0xD", "0x60", "256", 0, 0, 1, 1, 0}, // 78
        {"AT90S4433", 0, 1, 0, "4096", "128", "0xE", "0x60", "256", 0, 0, 1, 0, 0}, // 79
        {"AT90S4434", 0, 1, 0, "4096", "256", "0x11", "0x60", "256", 0, 0, 1, 0, 0}, // 80
        {"AT90S8515", 0, 1, 0, "8192", "512", "0xD", "0x60", "512", 0, 0, 1, 1, 0}, // 81
        {"AT90C8534", 0, 1, 0, "8192", "256", "0x7", "0x60", "512", 0, 0, 1, 0, 0}, // 82
        {"AT90S8535", 0, 1, 0, "8192", "512", "0x11", "0x60", "512", 0, 0, 1, 0, 0}, // 83
        {}, // end row
    }};
    // clang-format on
    return rows;
}

const FpslicRows& fpslicRows() {
    static const FpslicRows rows{{
        {"4K Code / 16K Data", "0x1000", "0x4000"},
        {"8K Code / 12K Data", "0x2000", "0x3000"},
        {"12K Code / 8K Data", "0x3000", "0x2000"},
        {"16K Code / 4K Data", "0x4000", "0x1000"},
        {"20K Code / 16K Data", "0x5000", "0x4000"},
        {"24K Code / 12K Data", "0x6000", "0x3000"},
        {"28K Code / 8k Data", "0x7000", "0x2000"},
        {"32K Code / 4K Data", "0x8000", "0x1000"},
    }};
    return rows;
}

// The group number is the smallest boot size in units of 128 words.
constexpr const char* BootGroup1[] = {"None", "128 Words", "256 Words", "512 Words", "1K Words"};
constexpr const char* BootGroup2[] = {"None", "256 Words", "512 Words", "1K Words", "2K Words"};
constexpr const char* BootGroup4[] = {"None", "512 Words", "1K Words", "2K Words", "4K Words"};

constexpr int EndRow = DeviceCatalog::deviceCount;

std::string trimmed(const std::string& line) {
    static constexpr const char* Blank = " \t\r\n\v\f";
    const auto first = line.find_first_not_of(Blank);
    if (first == std::string::npos) {
        return {};
    }
    const auto last = line.find_last_not_of(Blank);
    return line.substr(first, last - first + 1);
}

} // namespace

const std::array<DeviceInfo, 85> DeviceTable = deviceRows();
const std::array<FpslicMemoryOption, 8> FpslicMemoryTable = fpslicRows();

const DeviceInfo& DeviceCatalog::device(int index) {
    if (index < 0 || index > EndRow) {
        index = EndRow;
    }
    return deviceRows()[static_cast<std::size_t>(index)];
}

int DeviceCatalog::findExact(const std::string& name) {
    const DeviceRows& rows = deviceRows();
    for (int i = 0; !rows[static_cast<std::size_t>(i)].name.empty(); ++i) {
        if (rows[static_cast<std::size_t>(i)].name == name) {
            return i;
        }
    }
    return -1;
}

int DeviceCatalog::findIgnoringCase(const std::string& name) {
    const DeviceRows& rows = deviceRows();
    for (int i = 0; i < deviceCount; ++i) {
        if (TextCase::equalIgnoringCase(rows[static_cast<std::size_t>(i)].name, name)) {
            return i;
        }
    }
    return -1;
}

std::vector<FpslicMemoryOption> DeviceCatalog::fpslicPartitions(const std::string& deviceName) {
    const FpslicRows& rows = fpslicRows();
    const auto first = rows.begin() + (deviceName.find("05") != std::string::npos ? 0 : 4);
    return {first, first + 4};
}

std::vector<std::string> DeviceCatalog::bootSizeChoices(int bootSizeGroup) {
    switch (bootSizeGroup) {
    case 1:
        return {std::begin(BootGroup1), std::end(BootGroup1)};
    case 2:
        return {std::begin(BootGroup2), std::end(BootGroup2)};
    case 4:
        return {std::begin(BootGroup4), std::end(BootGroup4)};
    default:
        return {};
    }
}

std::optional<std::vector<std::string>>
DeviceCatalog::readSupportedParts(const std::string& windowsPath) {
    const std::string path = DriveMap::toLinux(windowsPath);
    std::error_code ignored;
    // A folder opens as a stream here but is no file to read from.
    if (path.empty() || std::filesystem::is_directory(path, ignored)) {
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        return std::nullopt;
    }
    std::vector<std::string> parts;
    std::string line;
    while (std::getline(file, line)) {
        parts.push_back(trimmed(line));
    }
    return parts;
}

} // namespace avrtazu
