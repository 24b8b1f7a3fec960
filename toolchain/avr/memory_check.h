#pragma once

#include "avr/elf_sections.h"
#include "avr/tazu_options.h"

#include <string>
#include <vector>

namespace avrtazu {

// How much of each memory a linked program takes, in the AVR address spaces (data and EEPROM
// addresses without the linker's 0x800000 and 0x810000 offsets).
struct MemoryUse {
    long codeStart = 0;
    long codeBytes = 0; // .text and the initial values of .data, both in flash
    long dataStart = 0;
    long dataBytes = 0; // .data, .bss and .noinit
    long eepromStart = 0;
    long eepromBytes = 0;

    static MemoryUse of(const ElfImage& image);
};

// The verdict on a linked program against the areas of the memory switches.
struct MemoryReport {
    // Messages for "!E" lines: code, data or EEPROM contents that do not fit.
    std::vector<std::string> errors;
    // Plain lines of the memory summary ("-S").
    std::vector<std::string> summary;
};

class MemoryCheck {
public:
    static MemoryReport check(const TazuOptions& options, const MemoryUse& use);
};

} // namespace avrtazu
