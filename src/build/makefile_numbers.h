#pragma once

#include <cstdint>
#include <string>

namespace avrtazu {

// The memory settings are kept as typed. A text holding "0x" or "0X" anywhere is read as
// hexadecimal (strtol, base 16), any other as decimal (atol: leading blanks and a sign, up to
// the first non-digit, no digits gives 0). Values beyond 32 bits saturate, as a 32-bit long does.
std::int32_t makefileNumber(const std::string& text);

// "%#x": lower-case digits after "0x", but zero is "0". Negative values show their 32-bit
// two's complement, as the unsigned conversion does.
std::string hexForm(std::int32_t value);

// Bytes of a "Boot Size" text compared without regard to case ("512 Words" is 0x400);
// 0 for "None" and for any text that names no boot size.
std::int32_t bootSizeBytes(const std::string& bootSize);

} // namespace avrtazu
