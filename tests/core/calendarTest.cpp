#include "core/calendar.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using core::DecodeDay;
using core::EncodeDay;
using core::Ymd;

// Plain day-by-day successor, independent of the day-number arithmetic.
Ymd NextDate(Ymd d)
{
    static constexpr int monthLength[12] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    const bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
    const int length = d.month == 2 && leap ? 29 : monthLength[d.month - 1];
    if (d.day < length)
        return { d.year, d.month, d.day + 1 };
    if (d.month < 12)
        return { d.year, d.month + 1, 1 };
    return { d.year + 1, 1, 1 };
}

TEST(Calendar, KnownDates)
{
    struct Case {
        std::int32_t day;
        Ymd date;
    };
    const Case cases[] = {
        { 0, { 1899, 12, 30 } },
        { 1, { 1899, 12, 31 } },
        { 2, { 1900, 1, 1 } },
        { -1, { 1899, 12, 29 } },
        { 60, { 1900, 2, 28 } },
        { 61, { 1900, 3, 1 } },
        { 25569, { 1970, 1, 1 } },
        { 36526, { 2000, 1, 1 } },
        { 36585, { 2000, 2, 29 } },
        { 38412, { 2005, 3, 1 } },
        { 73109, { 2100, 2, 28 } },
        { 73110, { 2100, 3, 1 } },
        { -693593, { 1, 1, 1 } },
        { 2958465, { 9999, 12, 31 } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "day " << c.day);
        EXPECT_EQ(DecodeDay(c.day), c.date);
        EXPECT_EQ(EncodeDay(c.date.year, c.date.month, c.date.day), c.day);
    }
    EXPECT_EQ(EncodeDay(1, 1, 1), core::FirstFourDigitDay);
    EXPECT_EQ(EncodeDay(9999, 12, 31), core::LastFourDigitDay);
}

TEST(Calendar, LeapYearsAndInvalidDates)
{
    EXPECT_TRUE(core::IsLeapYear(2000));
    EXPECT_TRUE(core::IsLeapYear(2004));
    EXPECT_TRUE(core::IsLeapYear(1600));
    EXPECT_FALSE(core::IsLeapYear(1900));
    EXPECT_FALSE(core::IsLeapYear(2100));
    EXPECT_FALSE(core::IsLeapYear(2001));

    EXPECT_TRUE(EncodeDay(2000, 2, 29));
    EXPECT_TRUE(EncodeDay(2004, 2, 29));
    struct Case {
        int year, month, day;
    };
    const Case invalid[] = {
        { 1900, 2, 29 },
        { 2100, 2, 29 },
        { 2001, 2, 29 },
        { 2000, 2, 30 },
        { 2000, 4, 31 },
        { 2000, 1, 32 },
        { 2000, 1, 0 },
        { 2000, 0, 1 },
        { 2000, 13, 1 },
        { 0, 12, 31 },
        { 10000, 1, 1 },
        { -1, 1, 1 },
        { INT_MIN, 1, 1 },
        { 2000, INT_MAX, 1 },
        { 2000, 1, INT_MIN },
    };
    for (const Case &c : invalid)
        EXPECT_FALSE(EncodeDay(c.year, c.month, c.day)) << c.year << '-' << c.month << '-' << c.day;
}

// Every day of the four-digit years decodes to the successor of the day
// before and encodes back to itself.
TEST(Calendar, EveryFourDigitDayRoundTrips)
{
    Ymd expected = { 1, 1, 1 };
    for (std::int32_t day = core::FirstFourDigitDay; day <= core::LastFourDigitDay; ++day) {
        const Ymd date = DecodeDay(day);
        if (date != expected || EncodeDay(date.year, date.month, date.day) != day) {
            ADD_FAILURE() << "day " << day << " decodes to " << date.year << '-' << date.month << '-'
                          << date.day << ", expected " << expected.year << '-' << expected.month << '-'
                          << expected.day;
            return;
        }
        expected = NextDate(date);
    }
}

// Far outside the four-digit years the 400-year cycle still holds and days
// still follow one another.
TEST(Calendar, DecodesTheWholeThirtyTwoBitRange)
{
    constexpr std::int32_t cycle = 146097;
    for (const std::int32_t day : { INT_MIN, INT_MIN + 1, INT_MAX - 1, INT_MAX }) {
        SCOPED_TRACE(testing::Message() << "day " << day);
        const std::int32_t cycles = day / cycle;
        const Ymd far = DecodeDay(day);
        const Ymd near = DecodeDay(day - cycles * cycle);
        EXPECT_EQ(far, (Ymd { near.year + 400 * cycles, near.month, near.day }));
        if (day != INT_MAX) {
            EXPECT_EQ(DecodeDay(day + 1), NextDate(far));
        }
    }
    // A 400-year cycle starting exactly on 1 March before year 0.
    EXPECT_EQ(DecodeDay(-693899 - 146097), (Ymd { -400, 3, 1 }));
    EXPECT_EQ(DecodeDay(-693899 - 146097 - 1), (Ymd { -400, 2, 29 }));
    // A mean Gregorian year is 365.2425 days.
    EXPECT_NEAR(DecodeDay(INT_MAX).year, 1900 + INT_MAX / 365.2425, 1.0);
    EXPECT_NEAR(DecodeDay(INT_MIN).year, 1900 + INT_MIN / 365.2425, 1.0);
}

} // namespace
