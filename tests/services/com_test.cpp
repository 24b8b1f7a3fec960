// The COM stand-ins: wide text and the registry of classes.

#include "services/bstr.h"
#include "services/object_registry.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <stdexcept>
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
    // One character that is no ASCII at each place of a long ASCII text, which is scanned
    // many characters at a time.
    for (std::size_t at = 0; at < 80; ++at) {
        std::string narrow(80, 'a');
        narrow[at] = '\xE9';
        Bstr wide(80, L'a');
        wide[at] = L'\u00E9';
        ASSERT_EQ(toWide(narrow)[at], L'\xDCE9') << at;
        ASSERT_EQ(toNarrow(wide), narrow.substr(0, at) + "\xC3\xA9" + narrow.substr(at + 1)) << at;
    }
}

constexpr const char* kClass = "{B283E0E3-4C78-4369-B7D8-8A5C1EDA344B}";
constexpr const char* kInterface = "{12787098-07F0-44F7-87C6-77AC4C87CEDC}";

TEST(ObjectRegistryTest, CreatesByClassAndInterfaceIdIgnoringCase) {
    ObjectRegistry registry;
    auto first = std::make_shared<int>(1);
    auto second = std::make_shared<int>(2);
    registry.registerClass<int>(kClass, kInterface, [first] { return first; });
    // Registering the class again, in other case, replaces the factory.
    registry.registerClass<int>("{b283e0e3-4c78-4369-b7d8-8a5c1eda344b}", kInterface,
                                [second] { return second; });
    const struct {
        const char* classId;
        const char* interfaceId;
        HRESULT result;
    } cases[] = {
        // clang-format off
        {kClass, kInterface, S_OK},
        {"{b283e0e3-4c78-4369-b7d8-8a5c1eda344b}", "{12787098-07f0-44f7-87c6-77ac4c87cedc}", S_OK},
        {"{B283E0E3-4C78-4369-B7D8-8A5C1EDA344C}", kInterface, REGDB_E_CLASSNOTREG},
        {"B283E0E3-4C78-4369-B7D8-8A5C1EDA344B", kInterface, REGDB_E_CLASSNOTREG},
        {kClass, "{00000000-0000-0000-C000-000000000046}", E_NOINTERFACE},
        // clang-format on
    };
    for (const auto& c : cases) {
        std::shared_ptr<void> object = std::make_shared<int>(7);
        EXPECT_EQ(registry.createInstance(c.classId, c.interfaceId, &object), c.result)
            << c.classId << ' ' << c.interfaceId;
        EXPECT_EQ(object.get(), c.result == S_OK ? second.get() : nullptr) << c.classId;
    }
    HRESULT result = E_FAIL;
    EXPECT_EQ(registry.create<int>("{unknown}", kInterface, &result), nullptr);
    EXPECT_EQ(result, REGDB_E_CLASSNOTREG);
    registry.unregisterClass("{B283e0e3-4C78-4369-B7D8-8A5C1EDA344b}");
    EXPECT_FALSE(registry.isRegistered(kClass));
}

TEST(ObjectRegistryTest, FailingAndSelfUnregisteringFactories) {
    ObjectRegistry registry;
    registry.registerClass(kClass, [](std::string_view) -> std::shared_ptr<void> {
        throw std::runtime_error("no memory for the hub");
    });
    std::shared_ptr<void> object = std::make_shared<int>(7);
    EXPECT_EQ(registry.createInstance(kClass, kInterface, &object), E_FAIL);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(registry.createInstance(kClass, kInterface, nullptr), E_POINTER);
    registry.registerClass(kClass, [&registry](std::string_view) -> std::shared_ptr<void> {
        registry.unregisterClass(kClass);
        return std::make_shared<int>(1);
    });
    EXPECT_EQ(registry.createInstance(kClass, kInterface, &object), S_OK);
    EXPECT_NE(object, nullptr);
    EXPECT_FALSE(registry.isRegistered(kClass));
}

} // namespace
} // namespace avrtazu
