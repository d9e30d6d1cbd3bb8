#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace core {

// One period of work: first and last day number, both inclusive. Nothing
// guarantees dte >= dtb; such an interval covers no day.
struct TRExp {
    std::int32_t dtb;
    std::int32_t dte;
};

// Years, months and days; after normalisation days are 0..29 and months 0..11.
struct Totals {
    std::int32_t years, months, days;
    friend bool operator==(const Totals &, const Totals &) = default;
};

// Length of service of an interval list. Intervals that overlap, nest or
// touch are joined into runs; each run counts as the calendar difference of
// its last and first day plus one day; the sums carry at 30 days a month and
// 12 months a year.
//
// The whole list counts as nothing unless its smallest dtb F is after day 0
// and its largest dte L is after F; empty intervals take part in F and L too.
// A list that gets past that test must keep every dtb and dte within
// 01.01.0001..31.12.9999 (FirstFourDigitDay..LastFourDigitDay of
// calendar.h), else std::length_error is thrown:
// such numbers are no enterable date, and the caller shows the calculation
// as failed rather than a result made from them.
Totals SumTotals(std::span<const TRExp> periods);

// SumTotals as "%d %s %d %s %d %s" in UTF-8, e.g. "20 лет 2 месяца 24 дня".
std::string SumPeriods(std::span<const TRExp> periods);
std::string TotalsText(const Totals &totals);

// The Russian word that goes with a count of years, months or days.
std::string WrYears(std::int32_t years);
std::string WrMonths(std::int32_t months);
std::string WrDays(std::int32_t days);

} // namespace core
