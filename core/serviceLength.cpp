#include "core/serviceLength.h"

#include "core/calendar.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace core {

namespace {

// Calendar difference of a run's last and first day, plus its own day, as a
// count in which a month is 30 days and a year 360.
std::int64_t RunDays(std::int32_t first, std::int32_t last)
{
    const Ymd a = DecodeDay(first);
    const Ymd b = DecodeDay(last);
    return 360 * std::int64_t { b.year - a.year } + 30 * (b.month - a.month) + (b.day - a.day) + 1;
}

std::string WordForm(std::int32_t count, const char *one, const char *few, const char *many)
{
    // Both remainders keep the sign of the count, so negative counts take the third form.
    const std::int32_t r10 = count % 10;
    const std::int32_t r100 = count % 100;
    const std::int32_t selector = r100 - r10 == 10 ? r100 : r10;
    if (selector == 1)
        return one;
    if (selector >= 2 && selector <= 4)
        return few;
    return many;
}

} // namespace

Totals SumTotals(std::span<const TRExp> periods)
{
    if (periods.empty())
        return { 0, 0, 0 };
    std::int32_t earliest = periods.front().dtb;
    std::int32_t latest = periods.front().dte;
    for (const TRExp &p : periods) {
        earliest = std::min(earliest, p.dtb);
        latest = std::max(latest, p.dte);
    }
    if (!(earliest > 0 && latest > earliest))
        return { 0, 0, 0 };

    std::vector<TRExp> covering;
    covering.reserve(periods.size());
    for (const TRExp &p : periods) {
        if (p.dtb < FirstFourDigitDay || p.dtb > LastFourDigitDay || p.dte < FirstFourDigitDay
            || p.dte > LastFourDigitDay)
            throw std::length_error("service period beyond the four-digit years");
        if (p.dte >= p.dtb)
            covering.push_back(p);
    }
    std::sort(covering.begin(), covering.end(), [](const TRExp &a, const TRExp &b) { return a.dtb < b.dtb; });

    // Join intervals that overlap or touch; each finished run adds its length.
    std::int64_t total = 0;
    auto run = covering.begin();
    while (run != covering.end()) {
        std::int32_t runEnd = run->dte;
        auto next = run + 1;
        for (; next != covering.end() && std::int64_t { next->dtb } <= std::int64_t { runEnd } + 1; ++next)
            runEnd = std::max(runEnd, next->dte);
        total += RunDays(run->dtb, runEnd);
        run = next;
    }
    // Carrying days into months at 30 and months into years at 12 gives the
    // same as splitting the sum in day units; every run adds at least one
    // unit, so the sum is never negative.
    return { static_cast<std::int32_t>(total / 360), static_cast<std::int32_t>(total % 360 / 30),
        static_cast<std::int32_t>(total % 30) };
}

std::string TotalsText(const Totals &totals)
{
    return std::to_string(totals.years) + ' ' + WrYears(totals.years) + ' ' + std::to_string(totals.months)
        + ' ' + WrMonths(totals.months) + ' ' + std::to_string(totals.days) + ' ' + WrDays(totals.days);
}

std::string SumPeriods(std::span<const TRExp> periods)
{
    return TotalsText(SumTotals(periods));
}

std::string WrYears(std::int32_t years)
{
    return WordForm(years, "год", "года", "лет");
}

std::string WrMonths(std::int32_t months)
{
    return WordForm(months, "месяц", "месяца", "месяцев");
}

std::string WrDays(std::int32_t days)
{
    return WordForm(days, "день", "дня", "дней");
}

} // namespace core
