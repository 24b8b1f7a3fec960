#pragma once

#include <string>
#include <string_view>

namespace avrtazu {

// Checks on text that must be stored as UTF-8 (the project document), such as a Linux file name,
// whose bytes may be anything.
class Utf8Text {
public:
    // The offset of the first byte that does not belong to a well-formed UTF-8 sequence
    // (overlong forms, surrogates and code points above U+10FFFF included); npos when all do.
    static std::size_t invalidOffset(std::string_view text);
    static bool isValid(std::string_view text) { return invalidOffset(text) == std::string::npos; }
    // The text for a message: each byte of an ill-formed sequence as \xNN.
    static std::string shown(std::string_view text);
};

} // namespace avrtazu
