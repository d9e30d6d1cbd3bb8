#include "core/serviceLengthReference.h"

#include "core/calendar.h"

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace core {

Totals SumUncarriedByMarking(std::span<const TRExp> periods)
{
    std::int64_t y = 0, m = 0, d = 0;
    if (periods.empty())
        return { 0, 0, 0 };

    std::int32_t f = periods[0].dtb;
    std::int32_t l = periods[0].dte;
    for (const TRExp &p : periods) {
        if (p.dtb < f)
            f = p.dtb;
        if (p.dte > l)
            l = p.dte;
    }
    if (!(f > 0 && l > f))
        return { 0, 0, 0 };
    for (const TRExp &p : periods) {
        if (p.dtb < FirstFourDigitDay || p.dtb > LastFourDigitDay || p.dte < FirstFourDigitDay
            || p.dte > LastFourDigitDay)
            throw std::length_error("service period beyond the four-digit years");
    }

    // One cell per day F .. L + 1; the last one stays unmarked so every run closes.
    std::vector<bool> cells(static_cast<std::size_t>(l - f + 2), false);
    for (const TRExp &p : periods) {
        if (p.dte < p.dtb)
            continue;
        for (std::int32_t k = p.dtb - f; k <= p.dte - f; ++k)
            cells[static_cast<std::size_t>(k)] = true;
    }

    std::int64_t runs = 0;
    bool inRun = false;
    std::int32_t runStart = 0;
    for (std::int32_t k = 0; k < static_cast<std::int32_t>(cells.size()); ++k) {
        if (!inRun && cells[static_cast<std::size_t>(k)]) {
            inRun = true;
            runStart = k;
        } else if (inRun && !cells[static_cast<std::size_t>(k)]) {
            inRun = false;
            ++runs;
            const Ymd first = DecodeDay(f + runStart);
            const Ymd last = DecodeDay(f + k - 1);
            y += last.year - first.year;
            m += last.month - first.month;
            d += last.day - first.day;
        }
    }
    d += runs;
    return { static_cast<std::int32_t>(y), static_cast<std::int32_t>(m), static_cast<std::int32_t>(d) };
}

Totals CarryStepwise(Totals sums)
{
    std::int64_t y = sums.years, m = sums.months, d = sums.days;
    if (d < 0) {
        const std::int64_t k = std::llabs(d) / 30 + 1;
        m -= k;
        d += 30 * k;
    }
    if (m < 0) {
        const std::int64_t k = std::llabs(m) / 12 + 1;
        y -= k;
        m += 12 * k;
    }
    if (d / 30 > 0) {
        const std::int64_t q = d / 30;
        d -= 30 * q;
        m += q;
    }
    if (m / 12 > 0) {
        const std::int64_t q = m / 12;
        m -= 12 * q;
        y += q;
    }
    return { static_cast<std::int32_t>(y), static_cast<std::int32_t>(m), static_cast<std::int32_t>(d) };
}

Totals SumTotalsByMarking(std::span<const TRExp> periods)
{
    return CarryStepwise(SumUncarriedByMarking(periods));
}

} // namespace core
