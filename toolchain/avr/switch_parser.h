#pragma once

#include "avr/tazu_options.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace avrtazu {

// Reads the compiler driver's command line into TazuOptions. Switches are the ones the
// plug-in's Makefile writes; anything else that begins with "-" is reported as unknown.
class SwitchParser {
public:
    // Gives the text of an "@" list file, none when it cannot be read.
    using ListFileReader = std::function<std::optional<std::string>(const std::string&)>;

    static TazuOptions parse(const std::vector<std::string>& arguments,
                             const ListFileReader& readListFile);

    // A number with automatic base: "0x" hexadecimal, a leading 0 octal, else decimal; the
    // whole text must be the number.
    static std::optional<long> number(const std::string& text);
};

} // namespace avrtazu
