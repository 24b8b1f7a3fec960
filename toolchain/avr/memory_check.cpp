#include "avr/memory_check.h"

#include <cstdio>

namespace avrtazu {

namespace {

constexpr long dataOffset = 0x800000;
constexpr long eepromOffset = 0x810000;

long sizeOf(const ElfImage& image, const char* name) {
    const ElfSection* section = image.section(name);
    return section == nullptr ? 0 : static_cast<long>(section->size);
}

std::string format(const char* pattern, long a, long b = 0, long c = 0, long d = 0) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, b, c, d);
    return text;
}

std::string usageLine(const char* memory, long used, long capacity) {
    if (capacity <= 0) {
        return std::string(memory) + ": " + std::to_string(used) + " bytes";
    }
    char text[160];
    std::snprintf(text, sizeof text, "%s: %ld of %ld bytes (%.1f%%)", memory, used, capacity,
                  100.0 * static_cast<double>(used) / static_cast<double>(capacity));
    return text;
}

} // namespace

MemoryUse MemoryUse::of(const ElfImage& image) {
    MemoryUse use;
    if (const ElfSection* text = image.section(".text")) {
        use.codeStart = text->address;
    }
    use.codeBytes = sizeOf(image, ".text") + sizeOf(image, ".data");
    if (const ElfSection* data = image.section(".data")) {
        use.dataStart = static_cast<long>(data->address) - dataOffset;
    }
    use.dataBytes = sizeOf(image, ".data") + sizeOf(image, ".bss") + sizeOf(image, ".noinit");
    if (const ElfSection* eeprom = image.section(".eeprom")) {
        use.eepromStart = static_cast<long>(eeprom->address) - eepromOffset;
        use.eepromBytes = eeprom->size;
    }
    return use;
}

MemoryReport MemoryCheck::check(const TazuOptions& options, const MemoryUse& use) {
    MemoryReport report;

    // Code: from where the linker put it to the end of the code area (or of program memory).
    std::optional<long> codeEnd = options.programEnd;
    if (options.codeArea && options.codeArea->end) {
        codeEnd = options.codeArea->end;
    }
    const long codeLast = use.codeStart + use.codeBytes;
    if (codeEnd && codeLast > *codeEnd) {
        report.errors.push_back(format("code does not fit: %ld bytes of code and constants from "
                                       "address 0x%lx reach 0x%lx, the code area ends at 0x%lx",
                                       use.codeBytes, use.codeStart, codeLast, *codeEnd));
    }
    report.summary.push_back(
        usageLine("Program memory", use.codeBytes, codeEnd ? *codeEnd - use.codeStart : 0));

    // Data: the variables from the start of the data area; when the area is the internal RAM,
    // the return stack needs its bytes at the top of it.
    long dataStart = use.dataStart;
    std::optional<long> dataLast = options.ramEnd;
    if (options.dataArea) {
        dataStart = options.dataArea->start;
        if (options.dataArea->end) {
            dataLast = options.dataArea->end;
        } else if (!options.ramEnd || dataStart > *options.ramEnd) {
            dataLast = 0xffff;
        }
    }
    if (dataLast) {
        const bool internal = options.ramEnd && *dataLast == *options.ramEnd;
        const long stack = internal ? options.returnStackSize.value_or(0) : 0;
        const long capacity = *dataLast + 1 - dataStart;
        if (use.dataBytes + stack > capacity) {
            report.errors.push_back(
                format("data does not fit: %ld bytes of variables and a return stack of %ld "
                       "bytes need more than the data area 0x%lx..0x%lx",
                       use.dataBytes, stack, dataStart, *dataLast));
        }
        report.summary.push_back(usageLine("Data memory", use.dataBytes, capacity));
    } else {
        report.summary.push_back(usageLine("Data memory", use.dataBytes, 0));
    }

    // EEPROM: "-beeprom:start.size".
    if (options.eeprom && options.eeprom->end) {
        const long size = *options.eeprom->end;
        const long start = options.eeprom->start;
        if (use.eepromBytes > 0 && start + use.eepromBytes > size) {
            report.errors.push_back(format("EEPROM data does not fit: %ld bytes from address %ld, "
                                           "the EEPROM holds %ld bytes",
                                           use.eepromBytes, start, size));
        }
        report.summary.push_back(usageLine("EEPROM", use.eepromBytes, size - start));
    } else if (use.eepromBytes > 0) {
        report.summary.push_back(usageLine("EEPROM", use.eepromBytes, 0));
    }
    return report;
}

} // namespace avrtazu
