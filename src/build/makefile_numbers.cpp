#include "build/makefile_numbers.h"
#include "platform/text_case.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <limits>
#include <string_view>

namespace avrtazu {

namespace {

struct BootSize {
    std::string_view text;
    std::int32_t bytes;
};

constexpr std::array<BootSize, 6> BootSizes{{
    {"128 Words", 0x100},
    {"256 Words", 0x200},
    {"512 Words", 0x400},
    {"1K Words", 0x800},
    {"2K Words", 0x1000},
    {"4K Words", 0x2000},
}};

} // namespace

std::int32_t makefileNumber(const std::string& text) {
    const bool hexadecimal =
        text.find("0x") != std::string::npos || text.find("0X") != std::string::npos;
    // strtol with base 10 is what atol does, minus its undefined behaviour on overflow.
    const long value = std::strtol(text.c_str(), nullptr, hexadecimal ? 16 : 10);
    return static_cast<std::int32_t>(std::clamp<long>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::string hexForm(std::int32_t value) {
    if (value == 0) {
        return "0";
    }
    char digits[2 + 8] = {'0', 'x'};
    const auto result =
        std::to_chars(digits + 2, digits + sizeof digits, static_cast<std::uint32_t>(value), 16);
    return std::string(digits, result.ptr);
}

std::int32_t bootSizeBytes(const std::string& bootSize) {
    for (const BootSize& size : BootSizes) {
        if (TextCase::equalIgnoringCase(size.text, bootSize)) {
            return size.bytes;
        }
    }
    return 0;
}

} // namespace avrtazu
