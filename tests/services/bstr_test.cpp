#include "services/bstr.h"

#include <gtest/gtest.h>

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
        // clang-format off
        {"C:\\a\0b"s, L"C:\\a\0b"s}, {"\xC3\xA9", L"\u00E9"}, {"\xE2\x82\xAC", L"\u20AC"},
        {"\xF4\x8F\xBF\xBF", L"\U0010FFFF"},
        // ANSI text, overlong forms, encoded surrogates, values past U+10FFFF, truncated
        // sequences and stray continuation bytes are no UTF-8: each byte survives as its escape.
        {"M\xFCller", L"M\xDCFCller"}, {"\xC0\x80", L"\xDCC0\xDC80"},
        {"\xE0\x80\xAF", L"\xDCE0\xDC80\xDCAF"}, {"\xED\xA0\x80", L"\xDCED\xDCA0\xDC80"},
        {"\xF4\x90\x80\x80", L"\xDCF4\xDC90\xDC80\xDC80"}, {"\xF0\x9F\x98", L"\xDCF0\xDC9F\xDC98"},
        {"\xE2\x82" "A", L"\xDCE2\xDC82" L"A"}, {"\xC3\xA9\xA9", L"\u00E9\xDCA9"},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toWide(c.narrow), c.wide) << c.narrow;
        EXPECT_EQ(toNarrow(c.wide), c.narrow) << c.narrow;
    }
    // Other surrogates keep their three-byte form; values no character can have become U+FFFD.
    EXPECT_EQ(toNarrow(L"\xDC7F\xDD00"), "\xED\xB1\xBF\xED\xB4\x80");
    EXPECT_EQ(toNarrow(Bstr(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
}

TEST(BstrTest, EveryByteStringSurvivesTheRoundTrip) {
    for (int pair = 0; pair < 0x10000; ++pair) {
        const std::string bytes{static_cast<char>(pair >> 8), static_cast<char>(pair)};
        ASSERT_EQ(toNarrow(toWide(bytes)), bytes);
    }
    // Random texts of lead and continuation bytes and some ASCII: where decoding can go wrong.
    std::mt19937 random(20240229);
    for (int i = 0; i < 5000; ++i) {
        std::string bytes;
        for (auto n = random() % 12; n > 0; --n) {
            bytes += static_cast<char>(0x70 + random() % 0x88);
        }
        ASSERT_EQ(toNarrow(toWide(bytes)), bytes);
    }
}

} // namespace
} // namespace avrtazu
