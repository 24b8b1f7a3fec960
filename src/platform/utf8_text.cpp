#include "platform/utf8_text.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace avrtazu {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// The length of the well-formed sequence at text[at], or 0.
std::size_t sequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

} // namespace

std::size_t Utf8Text::invalidOffset(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        // Plain ASCII, most of a project file, goes eight bytes at a time.
        std::uint64_t word = 0;
        while (at + sizeof word <= text.size() &&
               (std::memcpy(&word, text.data() + at, sizeof word), (word & kHighBits) == 0)) {
            at += sizeof word;
        }
        if (at == text.size()) {
            break;
        }
        const std::size_t length = sequenceLength(text, at);
        if (length == 0) {
            return at;
        }
        at += length;
    }
    return std::string::npos;
}

std::string Utf8Text::shown(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = sequenceLength(text, at);
        if (length == 0) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(text[at]));
            out += escaped;
            ++at;
        } else {
            out.append(text, at, length);
            at += length;
        }
    }
    return out;
}

} // namespace avrtazu
