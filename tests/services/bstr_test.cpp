#include "services/bstr.h"
#include "services/hresult.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

namespace avrtazu {
namespace {

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += digits[b >> 4];
        out += digits[b & 0xF];
        out += ' ';
    }
    return out;
}

TEST(BstrTest, DecodesUtf8AndEscapesEveryStrayByte) {
    using namespace std::string_literals;
    struct Case {
        std::string narrow;
        Bstr wide;
    } cases[] = {
        {"", L""},
        {"C:\\work\\demo\\main.c", L"C:\\work\\demo\\main.c"},
        {"a\0b"s, L"a\0b"s},
        {"\xC3\xA9", L"\u00E9"},
        {"\xE2\x82\xAC", L"\u20AC"},
        {"\xF0\x9F\x98\x80", L"\U0001F600"},
        {"\xF4\x8F\xBF\xBF", L"\U0010FFFF"},
        // ANSI text that is not UTF-8: each byte survives as its escape.
        {"M\xFCller", L"M\xDCFCller"},
        {"\x80", L"\xDC80"},
        {"\xFF", L"\xDCFF"},
        // Overlong forms, encoded surrogates and values past U+10FFFF are not UTF-8.
        {"\xC0\x80", L"\xDCC0\xDC80"},
        {"\xE0\x80\xAF", L"\xDCE0\xDC80\xDCAF"},
        {"\xED\xA0\x80", L"\xDCED\xDCA0\xDC80"},
        {"\xF4\x90\x80\x80", L"\xDCF4\xDC90\xDC80\xDC80"},
        // Truncated sequences, at the end and before an ASCII byte.
        {"\xE2\x82", L"\xDCE2\xDC82"},
        {"\xE2\x82"
         "A",
         L"\xDCE2\xDC82"
         L"A"},
        {"\xF0\x9F\x98", L"\xDCF0\xDC9F\xDC98"},
        // A stray continuation byte between valid characters.
        {"\xC3\xA9\xA9\xC3\xA9", L"\u00E9\xDCA9\u00E9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toWide(c.narrow), c.wide) << hex(c.narrow);
        EXPECT_EQ(toNarrow(c.wide), c.narrow) << hex(c.narrow);
    }
}

TEST(BstrTest, EveryByteStringSurvivesTheRoundTrip) {
    for (int first = 0; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            const std::string bytes{static_cast<char>(first), static_cast<char>(second)};
            ASSERT_EQ(toNarrow(toWide(bytes)), bytes) << hex(bytes);
        }
    }
    // Random strings weighted towards lead and continuation bytes, where decoding can go wrong.
    std::mt19937 random(20240229);
    std::uniform_int_distribution<int> length(0, 24);
    std::discrete_distribution<int> kind({2, 3, 2, 2, 2, 1});
    const int lows[] = {0x00, 0x80, 0xC0, 0xE0, 0xF0, 0xF5};
    const int spans[] = {0x80, 0x40, 0x20, 0x10, 0x05, 0x0B};
    for (int i = 0; i < 20000; ++i) {
        std::string bytes;
        const int n = length(random);
        for (int j = 0; j < n; ++j) {
            const int k = kind(random);
            bytes += static_cast<char>(lows[k] + static_cast<int>(random() % spans[k]));
        }
        ASSERT_EQ(toNarrow(toWide(bytes)), bytes) << hex(bytes);
    }
}

TEST(BstrTest, WideTextOutsideTheEscapesEncodesAsUtf8) {
    struct Case {
        Bstr wide;
        std::string narrow;
    } cases[] = {
        {L"\u00E9t\u00E9", "\xC3\xA9t\xC3\xA9"},
        // Surrogates that are not byte escapes keep their three-byte form...
        {L"\xD800", "\xED\xA0\x80"},
        {L"\xDC41", "\xED\xB1\x81"},
        {L"\xDD00", "\xED\xB4\x80"},
        // ...and values no character can have become U+FFFD.
        {Bstr(1, static_cast<wchar_t>(0x110000)), "\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toNarrow(c.wide), c.narrow) << hex(c.narrow);
    }
}

TEST(HresultTest, SeverityBitDecides) {
    struct Case {
        HRESULT result;
        std::uint32_t bits;
        bool succeeded;
    } cases[] = {
        {S_OK, 0x00000000u, true},
        {S_FALSE, 0x00000001u, true},
        {E_NOTIMPL, 0x80004001u, false},
        {E_NOINTERFACE, 0x80004002u, false},
        {E_POINTER, 0x80004003u, false},
        {E_FAIL, 0x80004005u, false},
        {REGDB_E_CLASSNOTREG, 0x80040154u, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<std::uint32_t>(c.result), c.bits);
        EXPECT_EQ(SUCCEEDED(c.result), c.succeeded) << c.bits;
        EXPECT_EQ(FAILED(c.result), !c.succeeded) << c.bits;
    }
}

} // namespace
} // namespace avrtazu
