#include "services/bstr.h"
#include "services/hresult.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

namespace avrtazu {
namespace {

TEST(BstrTest, DecodesUtf8AndEscapesEveryStrayByte) {
    using namespace std::string_literals;
    const struct {
        std::string narrow;
        Bstr wide;
    } cases[] = {
        {"C:\\a\0b"s, L"C:\\a\0b"s},
        {"\xC3\xA9", L"\u00E9"},
        {"\xE2\x82\xAC", L"\u20AC"},
        {"\xF4\x8F\xBF\xBF", L"\U0010FFFF"},
        // ANSI text that is not UTF-8: each byte survives as its escape.
        {"M\xFCller", L"M\xDCFCller"},
        // Overlong forms, encoded surrogates and values past U+10FFFF are not UTF-8.
        {"\xC0\x80", L"\xDCC0\xDC80"},
        {"\xE0\x80\xAF", L"\xDCE0\xDC80\xDCAF"},
        {"\xED\xA0\x80", L"\xDCED\xDCA0\xDC80"},
        {"\xF4\x90\x80\x80", L"\xDCF4\xDC90\xDC80\xDC80"},
        // Truncated sequences, at the end and before an ASCII byte; a stray continuation byte.
        {"\xF0\x9F\x98", L"\xDCF0\xDC9F\xDC98"},
        {"\xE2\x82"
         "A",
         L"\xDCE2\xDC82"
         L"A"},
        {"\xC3\xA9\xA9", L"\u00E9\xDCA9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toWide(c.narrow), c.wide);
        EXPECT_EQ(toNarrow(c.wide), c.narrow);
    }
    // Wide text outside the escapes: other surrogates keep their three-byte form, values no
    // character can have become U+FFFD.
    EXPECT_EQ(toNarrow(L"\xDC7F\xDD00"), "\xED\xB1\xBF\xED\xB4\x80");
    EXPECT_EQ(toNarrow(Bstr(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
}

TEST(BstrTest, EveryByteStringSurvivesTheRoundTrip) {
    for (int first = 0; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            const std::string bytes{static_cast<char>(first), static_cast<char>(second)};
            ASSERT_EQ(toNarrow(toWide(bytes)), bytes);
        }
    }
    // Random texts of lead and continuation bytes, and some ASCII: where decoding can go wrong.
    std::mt19937 random(20240229);
    for (int i = 0; i < 5000; ++i) {
        std::string bytes;
        for (auto n = random() % 12; n > 0; --n) {
            bytes += static_cast<char>(0x70 + random() % 0x88);
        }
        ASSERT_EQ(toNarrow(toWide(bytes)), bytes);
    }
}

TEST(HresultTest, ValuesAndSeverity) {
    EXPECT_EQ(static_cast<std::uint32_t>(E_NOTIMPL), 0x80004001u);
    EXPECT_EQ(static_cast<std::uint32_t>(E_NOINTERFACE), 0x80004002u);
    EXPECT_EQ(static_cast<std::uint32_t>(E_POINTER), 0x80004003u);
    EXPECT_EQ(static_cast<std::uint32_t>(E_FAIL), 0x80004005u);
    EXPECT_EQ(static_cast<std::uint32_t>(REGDB_E_CLASSNOTREG), 0x80040154u);
    EXPECT_TRUE(SUCCEEDED(S_OK) && SUCCEEDED(S_FALSE) && !FAILED(S_FALSE));
    EXPECT_TRUE(FAILED(E_FAIL) && !SUCCEEDED(E_FAIL));
}

} // namespace
} // namespace avrtazu
