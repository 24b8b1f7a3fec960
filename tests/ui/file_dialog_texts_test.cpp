#include "ui/file_info_text.h"
#include "ui/file_name_rule.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <string>
#include <time.h>

namespace avrtazu {
namespace {

const std::string kTooLong = "File name is too long. Only 64 characters is allowed";

std::string charText(char c) {
    return std::string(1, c) + " is not an allowed character.\nMake sure that all characters "
                               "are in the set (A-Z,a-z,0-9,-,_,.)";
}

TEST(FileNameRuleTest, AcceptsOnlyShortPlainNames) {
    const struct {
        std::string name;
        std::optional<std::string> refusal;
    } cases[] = {
        {"main.c", std::nullopt},
        {"ABC-xyz_09.h", std::nullopt},
        {"...", std::nullopt},
        {std::string(64, 'a'), std::nullopt},
        {std::string(65, 'a'), kTooLong},
        {"my file.c", charText(' ')},
        {"a+b.c", charText('+')},
        {"dir\\main.c", charText('\\')},
        {"caf\xE9.c", charText('\xE9')},
        {"x\x80y", charText('\x80')},
        {"ok~.c", charText('~')},
        // Too long is told before a character that is not allowed.
        {std::string(65, ' '), kTooLong},
        // The first offending character is the one named.
        {"a#b$c", charText('#')},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileNameRule::refusal(c.name), c.refusal) << c.name;
    }
}

TEST(FileNameRuleTest, AllowedSetIsExactlyLettersDigitsDashUnderscoreDot) {
    std::string allowed;
    for (int code = 0; code < 256; ++code) {
        if (FileNameRule::isAllowedCharacter(static_cast<char>(code))) {
            allowed += static_cast<char>(code);
        }
    }
    EXPECT_EQ(allowed, "-.0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz");
}

TEST(FileInfoTextTest, SizesBelowOneKilobyteInBytesAboveInKilobytes) {
    const struct {
        std::uint64_t size;
        const char* text;
    } cases[] = {
        {0, "0 bytes"},     {1, "1 bytes"},           {1023, "1023 bytes"},
        {1024, "1.00 kb."}, {1536, "1.50 kb."},       {1029, "1.00 kb."},
        {1030, "1.01 kb."}, {1048576, "1024.00 kb."}, {5000000000ull, "4882812.50 kb."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileInfoText::sizeText(c.size), c.text) << c.size;
    }
}

// Runs with UTC and the C locale's names, restoring both afterwards.
class FileDateTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        m_tz = tz != nullptr ? std::optional<std::string>(tz) : std::nullopt;
        m_locale = std::setlocale(LC_TIME, nullptr);
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        std::setlocale(LC_TIME, "C");
    }
    void TearDown() override {
        if (m_tz) {
            ::setenv("TZ", m_tz->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
        std::setlocale(LC_TIME, m_locale.c_str());
    }

private:
    std::optional<std::string> m_tz;
    std::string m_locale;
};

TEST_F(FileDateTextTest, LocalTimeWithWeekdayDayMonthYearAndTime) {
    const struct {
        std::time_t time;
        const char* text;
    } cases[] = {
        {0, "Thursday 01. Jan 1970. 00:00:00"},
        {1707141789, "Monday 05. Feb 2024. 14:03:09"},
        {951782400, "Tuesday 29. Feb 2000. 00:00:00"},
        {1735689599, "Tuesday 31. Dec 2024. 23:59:59"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileInfoText::dateText(c.time), c.text) << c.time;
    }
}

TEST_F(FileDateTextTest, FollowsTheLocalTimeZone) {
    ::setenv("TZ", "CET-1", 1);
    ::tzset();
    EXPECT_EQ(FileInfoText::dateText(0), "Thursday 01. Jan 1970. 01:00:00");
}

TEST_F(FileDateTextTest, TimeThatCannotBeConvertedGivesEmptyText) {
    EXPECT_EQ(FileInfoText::dateText(std::numeric_limits<std::time_t>::max()), "");
}

} // namespace
} // namespace avrtazu
