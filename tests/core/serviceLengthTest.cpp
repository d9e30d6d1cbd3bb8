#include "core/serviceLength.h"
#include "core/calendar.h"
#include "core/serviceLengthReference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace core {
// Found by gtest through the argument's namespace; static keeps it to this file.
static void PrintTo(const Totals &t, std::ostream *out)
{
    *out << '{' << t.years << ", " << t.months << ", " << t.days << '}';
}
} // namespace core

namespace {

using core::Totals;
using core::TRExp;

std::int32_t Day(const char *isoDate)
{
    int y = 0, m = 0, d = 0;
    if (std::sscanf(isoDate, "%d-%d-%d", &y, &m, &d) != 3)
        throw std::invalid_argument(isoDate);
    return core::EncodeDay(y, m, d).value();
}

TRExp Period(const char *first, const char *last)
{
    return { Day(first), Day(last) };
}

std::string Describe(const std::vector<TRExp> &periods)
{
    std::ostringstream out;
    out << '[';
    for (const TRExp &p : periods)
        out << ' ' << p.dtb << ".." << p.dte;
    out << " ]";
    return out.str();
}

struct Case {
    const char *what;
    std::vector<TRExp> periods;
    const char *text;
    std::optional<Totals> uncarried; // sums before any carry, where worth checking
};

TEST(ServiceLength, WorkedExamplesAndEdgeCases)
{
    const TRExp year2000 = Period("2000-01-01", "2000-12-31");
    const TRExp firstQuarter = Period("2000-01-01", "2000-03-31");
    const TRExp secondQuarter = Period("2000-04-01", "2000-06-30");
    const TRExp newYearsDay = Period("2000-01-01", "2000-01-01");
    const Case cases[] = {
        { "full calendar year", { year2000 }, "1 год 0 месяцев 1 день", Totals { 0, 11, 31 } },
        { "overlapping", { Period("2000-01-01", "2000-06-30"), Period("2000-05-01", "2000-12-31") },
            "1 год 0 месяцев 1 день", Totals { 0, 11, 31 } },
        { "contained", { year2000, Period("2000-03-01", "2000-03-31") }, "1 год 0 месяцев 1 день",
            Totals { 0, 11, 31 } },
        { "same interval twice", { year2000, year2000 }, "1 год 0 месяцев 1 день", Totals { 0, 11, 31 } },
        { "touching, one day for both", { firstQuarter, secondQuarter }, "0 лет 6 месяцев 0 дней",
            Totals { 0, 5, 30 } },
        { "touching, given in reverse", { secondQuarter, firstQuarter }, "0 лет 6 месяцев 0 дней", {} },
        { "first quarter alone", { firstQuarter }, "0 лет 3 месяца 1 день", {} },
        { "second quarter alone", { secondQuarter }, "0 лет 3 месяца 0 дней", {} },
        { "one free day between", { firstQuarter, Period("2000-04-02", "2000-06-30") },
            "0 лет 6 месяцев 0 дней", Totals { 0, 4, 60 } },
        { "to the end of February", { Period("2001-01-31", "2001-02-28") }, "0 лет 0 месяцев 28 дней",
            Totals { 0, 1, -2 } },
        { "to a leap day", { Period("2000-01-31", "2000-02-29") }, "0 лет 0 месяцев 29 дней",
            Totals { 0, 1, -1 } },
        { "across a leap day", { Period("2000-02-28", "2000-03-01") }, "0 лет 0 месяцев 4 дня",
            Totals { 0, 1, -26 } },
        { "across February's end", { Period("2001-02-28", "2001-03-01") }, "0 лет 0 месяцев 4 дня",
            Totals { 0, 1, -26 } },
        { "borrowing a month and a year", { Period("1999-11-15", "2000-02-10") }, "0 лет 2 месяца 26 дней",
            Totals { 1, -9, -4 } },
        { "across New Year", { Period("1999-12-31", "2000-01-01") }, "0 лет 0 месяцев 1 день",
            Totals { 1, -11, -29 } },
        { "days a negative multiple of 30",
            { Period("2000-01-17", "2000-02-01"), Period("2000-03-17", "2000-04-01") },
            "0 лет 1 месяц 0 дней", Totals { 0, 2, -30 } },
        { "two long periods", { Period("1985-09-02", "1993-03-14"), Period("1993-03-20", "2005-11-30") },
            "20 лет 2 месяца 24 дня", Totals { 20, 2, 24 } },
        { "a 31-day month", { Period("2000-01-01", "2000-01-31") }, "0 лет 1 месяц 1 день",
            Totals { 0, 0, 31 } },
        { "empty list", {}, "0 лет 0 месяцев 0 дней", Totals { 0, 0, 0 } },
        { "single day", { newYearsDay }, "0 лет 0 месяцев 0 дней", Totals { 0, 0, 0 } },
        { "copies of a single day", { newYearsDay, newYearsDay, newYearsDay }, "0 лет 0 месяцев 0 дней", {} },
        { "two single days apart", { newYearsDay, Period("2000-01-05", "2000-01-05") },
            "0 лет 0 месяцев 2 дня", Totals { 0, 0, 2 } },
        { "two consecutive days", { Period("2000-01-01", "2000-01-02") }, "0 лет 0 месяцев 2 дня", {} },
        { "one period starts on day 0", { year2000, { 0, Day("2000-01-05") } }, "0 лет 0 месяцев 0 дней",
            {} },
        { "one period starts before day 0", { { -400, Day("1990-01-01") }, year2000 },
            "0 лет 0 месяцев 0 дней", {} },
        { "an empty period starting on day 0", { year2000, { 0, -5 } }, "0 лет 0 месяцев 0 дней", {} },
        { "earliest day 1 still counts", { { 1, 2 } }, "0 лет 0 месяцев 1 день", Totals { 1, -11, -29 } },
        { "only empty periods", { { Day("2000-12-31"), Day("2000-01-01") }, { 500, 400 } },
            "0 лет 0 месяцев 0 дней", {} },
        { "an empty period beside a proper one", { year2000, { Day("2000-06-01"), Day("2000-05-01") } },
            "1 год 0 месяцев 1 день", {} },
        { "an empty period ending later lifts a single day",
            { newYearsDay, { Day("2000-01-10"), Day("2000-01-05") } }, "0 лет 0 месяцев 1 день",
            Totals { 0, 0, 1 } },
        { "the last four-digit year", { Period("9999-01-01", "9999-12-31") }, "1 год 0 месяцев 1 день", {} },
        { "1900 to 9999", { Period("1900-01-01", "9999-12-31") }, "8100 лет 0 месяцев 1 день", {} },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << ' ' << Describe(c.periods));
        EXPECT_EQ(core::SumPeriods(c.periods), c.text);
        EXPECT_EQ(core::TotalsText(core::SumTotalsByMarking(c.periods)), c.text);
        if (c.uncarried) {
            EXPECT_EQ(core::SumUncarriedByMarking(c.periods), *c.uncarried);
        }
    }
}

// Day numbers no four-digit date has fail the calculation once the list
// counts at all; before that they are harmless.
TEST(ServiceLength, DaysBeyondFourDigitYears)
{
    const std::int32_t after = core::LastFourDigitDay + 1;
    const TRExp year2000 = Period("2000-01-01", "2000-12-31");
    const std::vector<std::vector<TRExp>> failing = {
        { { 1, after } },
        { { 1, INT_MAX } },
        { year2000, { Day("2000-01-01"), INT_MAX } },
        { year2000, { after, 5 } }, // empty, but its start is no date
        { year2000, { 10, INT_MIN } }, // empty, but its end is no date
        { { Day("9999-12-31"), after } },
    };
    for (const auto &periods : failing) {
        SCOPED_TRACE(Describe(periods));
        EXPECT_THROW(core::SumTotals(periods), std::length_error);
        EXPECT_THROW(core::SumPeriods(periods), std::length_error);
        EXPECT_THROW(core::SumTotalsByMarking(periods), std::length_error);
    }
    const std::vector<std::vector<TRExp>> zero = {
        { { 0, INT_MAX } },
        { { INT_MIN, INT_MAX } },
        { { INT_MAX, INT_MAX } },
        { { INT_MAX, INT_MIN } },
        { { INT_MIN, INT_MIN }, { after, after } },
        { year2000, { -1, INT_MAX } },
    };
    for (const auto &periods : zero) {
        SCOPED_TRACE(Describe(periods));
        EXPECT_EQ(core::SumTotals(periods), (Totals { 0, 0, 0 }));
        EXPECT_EQ(core::SumTotalsByMarking(periods), (Totals { 0, 0, 0 }));
    }
}

// Random lists in the shapes real data takes: nested, duplicated, touching,
// empty and occasionally starting on day 0 or before.
std::vector<TRExp> RandomList(std::mt19937 &rng)
{
    const std::int32_t spans[] = { 1, 2, 31, 365, 3650, 36525 };
    const std::int32_t span = spans[rng() % std::size(spans)];
    const std::int32_t base = std::uniform_int_distribution<std::int32_t>(1, 80000)(rng);
    auto within = [&](std::int32_t from, std::int32_t to) {
        return std::uniform_int_distribution<std::int32_t>(from, std::max(from, to))(rng);
    };
    std::vector<TRExp> list;
    const int n = within(0, 12);
    for (int i = 0; i < n; ++i) {
        const int kind = within(0, 99);
        if (!list.empty() && kind < 10) {
            list.push_back(list[rng() % list.size()]);
        } else if (!list.empty() && kind < 25) {
            const TRExp outer = list[rng() % list.size()];
            const std::int32_t first = within(outer.dtb, outer.dte);
            list.push_back({ first, within(first, outer.dte) });
        } else if (!list.empty() && kind < 40) {
            const std::int32_t next = list.back().dte + 1;
            list.push_back({ next, within(next, next + span / 2) });
        } else if (kind < 50) {
            const std::int32_t first = base + within(1, span);
            list.push_back({ first, first - within(1, span) });
        } else if (kind < 52) {
            list.push_back({ within(-3, 0), base + within(0, span) });
        } else {
            const std::int32_t first = base + within(0, span);
            list.push_back({ first, std::min(base + span, first + within(0, span)) });
        }
    }
    return list;
}

TEST(ServiceLength, FastSumMatchesMarkingOnRandomLists)
{
    std::mt19937 rng(20240611);
    int counted = 0;
    for (int i = 0; i < 5000; ++i) {
        std::vector<TRExp> list = RandomList(rng);
        SCOPED_TRACE(testing::Message() << "list " << i << ' ' << Describe(list));
        const Totals fast = core::SumTotals(list);
        ASSERT_EQ(fast, core::SumTotalsByMarking(list));
        ASSERT_TRUE(
            fast.years >= 0 && fast.months >= 0 && fast.months <= 11 && fast.days >= 0 && fast.days <= 29);

        // The carries amount to splitting the uncarried sum in 30-day months and 360-day years.
        const Totals raw = core::SumUncarriedByMarking(list);
        const std::int64_t v = 360LL * raw.years + 30LL * raw.months + raw.days;
        ASSERT_GE(v, 0);
        ASSERT_EQ(fast, (Totals { std::int32_t(v / 360), std::int32_t(v % 360 / 30), std::int32_t(v % 30) }));
        counted += v > 0;

        std::shuffle(list.begin(), list.end(), rng);
        ASSERT_EQ(core::SumTotals(list), fast) << "after shuffling";
        std::reverse(list.begin(), list.end());
        ASSERT_EQ(core::SumTotals(list), fast) << "after reversing";
    }
    // Guard against a generator that only makes lists counting as nothing.
    EXPECT_GT(counted, 2500);
}

TEST(ServiceLength, WordForms)
{
    // Written out by hand rather than derived from the rule under test.
    const std::set<int> firstForm = { 1, 21, 31, 41, 51, 61, 71, 81, 91, 101, 121 };
    const std::set<int> secondForm = { 2, 3, 4, 22, 23, 24, 32, 33, 34, 42, 43, 44, 52, 53, 54, 62, 63, 64,
        72, 73, 74, 82, 83, 84, 92, 93, 94, 102, 103, 104, 122, 123, 124 };
    struct Words {
        std::string (*fn)(std::int32_t);
        const char *forms[3];
    };
    const Words words[] = {
        { core::WrYears, { "год", "года", "лет" } },
        { core::WrMonths, { "месяц", "месяца", "месяцев" } },
        { core::WrDays, { "день", "дня", "дней" } },
    };
    for (const Words &w : words) {
        for (int n = 0; n <= 130; ++n) {
            const int form = firstForm.count(n) ? 0 : secondForm.count(n) ? 1 : 2;
            EXPECT_EQ(w.fn(n), w.forms[form]) << n;
        }
        for (const std::int32_t n : { -1, -2, -21, -22, -111, INT_MIN, INT_MAX, 1000, 2000 })
            EXPECT_EQ(w.fn(n), w.forms[2]) << n;
        EXPECT_EQ(w.fn(2147483641), w.forms[0]);
        EXPECT_EQ(w.fn(1002), w.forms[1]);
    }
}

} // namespace
