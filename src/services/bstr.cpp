#include "services/bstr.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace avrtazu {

namespace {

constexpr char32_t kEscapeBase = 0xDC00;
constexpr char32_t kEscapeFirst = 0xDC80;
constexpr char32_t kEscapeLast = 0xDCFF;
constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length and code point of the valid UTF-8 sequence at text[pos], or 0 when the bytes there do
// not form one (truncated, overlong, surrogate or beyond U+10FFFF).
std::size_t decodeAt(const std::string& text, std::size_t pos, char32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - pos < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        if (!isContinuation(byte)) {
            return 0;
        }
        value = (value << 6) | (byte & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0;
    }
    codePoint = value;
    return length;
}

void appendUtf8(std::string& out, char32_t value) {
    if (value < 0x80) {
        out += static_cast<char>(value);
    } else if (value < 0x800) {
        out += static_cast<char>(0xC0 | (value >> 6));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
        out += static_cast<char>(0xE0 | (value >> 12));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (value >> 18));
        out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    }
}

// The length of the leading run of ASCII characters, looked at 32 and then 8 bytes at a time: tool
// output is mostly ASCII, and each of its lines crosses the host interface twice.
template <typename Char> std::size_t asciiRun(const std::basic_string<Char>& text) {
    constexpr std::uint64_t kHighBits =
        sizeof(Char) == 1 ? 0x8080808080808080u : 0xFFFFFF80FFFFFF80u;
    constexpr std::size_t kPerWord = 8 / sizeof(Char);
    std::size_t pos = 0;
    for (; pos + 4 * kPerWord <= text.size(); pos += 4 * kPerWord) {
        std::uint64_t words[4];
        std::memcpy(words, text.data() + pos, sizeof words);
        if (((words[0] | words[1] | words[2] | words[3]) & kHighBits) != 0) {
            break;
        }
    }
    for (; pos + kPerWord <= text.size(); pos += kPerWord) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + pos, 8);
        if ((word & kHighBits) != 0) {
            break;
        }
    }
    // A byte above 0x7F reads as a negative char, which is far above 0x7F here too.
    while (pos < text.size() && static_cast<std::uint32_t>(text[pos]) < 0x80) {
        ++pos;
    }
    return pos;
}

} // namespace

Bstr toWide(const std::string& text) {
    static_assert(sizeof(wchar_t) >= 4, "wide text holds one code point per character");
    std::size_t pos = asciiRun(text);
    if (pos == text.size()) {
        return Bstr(text.begin(), text.end());
    }
    // Every byte gives at most one character: the text is written in place, then cut. The
    // leading ASCII run is widened in one tight copy.
    Bstr out(text.size(), L'\0');
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(pos), out.begin());
    std::size_t used = pos;
    while (pos < text.size()) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80) {
            out[used++] = static_cast<wchar_t>(byte);
            ++pos;
            continue;
        }
        char32_t codePoint = 0;
        const std::size_t length = decodeAt(text, pos, codePoint);
        if (length == 0) {
            // Keep the stray byte so that converting back restores it.
            out[used++] = static_cast<wchar_t>(kEscapeBase + byte);
            ++pos;
        } else {
            out[used++] = static_cast<wchar_t>(codePoint);
            pos += length;
        }
    }
    out.resize(used);
    return out;
}

std::string toNarrow(const Bstr& text) {
    // Tool output is mostly ASCII: that run is copied into place before any growing append.
    const std::size_t ascii = asciiRun(text);
    std::string out(ascii, '\0');
    const wchar_t* from = text.data();
    char* to = out.data();
    for (std::size_t i = 0; i < ascii; ++i) {
        to[i] = static_cast<char>(from[i]);
    }
    if (ascii == text.size()) {
        return out;
    }
    out.reserve(text.size() + 8);
    for (const wchar_t ch : text.substr(ascii)) {
        const auto value = static_cast<char32_t>(static_cast<std::uint32_t>(ch));
        if (value < 0x80) {
            out.push_back(static_cast<char>(value));
        } else if (value >= kEscapeFirst && value <= kEscapeLast) {
            out += static_cast<char>(value - kEscapeBase);
        } else if (value > 0x10FFFF) {
            appendUtf8(out, kReplacement);
        } else {
            appendUtf8(out, value);
        }
    }
    return out;
}

} // namespace avrtazu
