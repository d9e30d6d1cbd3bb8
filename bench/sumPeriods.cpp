// Service length of one interval list: the sort-and-join sum the program
// uses against the one-cell-per-day marking it must agree with. The marking
// grows with the span in days, the join with the number of intervals.
#include "core/calendar.h"
#include "core/serviceLength.h"
#include "core/serviceLengthReference.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// `count` periods of random length scattered over `years` years from 1960,
// the first starting and the last ending at the ends of that span.
std::vector<core::TRExp> Career(int count, int years)
{
    std::mt19937 rng(1960);
    const std::int32_t first = core::EncodeDay(1960, 1, 1).value();
    const std::int32_t last = core::EncodeDay(1960 + years - 1, 12, 31).value();
    const std::int32_t longest = std::max(1, 2 * (last - first) / count);
    std::uniform_int_distribution<std::int32_t> length(0, longest);
    std::uniform_int_distribution<std::int32_t> start(first, last - longest);
    std::vector<core::TRExp> periods = { { first, first + length(rng) }, { last - length(rng), last } };
    while (static_cast<int>(periods.size()) < count) {
        const std::int32_t dtb = start(rng);
        periods.push_back({ dtb, dtb + length(rng) });
    }
    return periods;
}

void Run(benchmark::State &state, int count, int years, bool marking)
{
    const std::vector<core::TRExp> periods = Career(count, years);
    for (auto _ : state) {
        std::string text
            = marking ? core::TotalsText(core::SumTotalsByMarking(periods)) : core::SumPeriods(periods);
        benchmark::DoNotOptimize(text);
    }
    state.counters["intervals"] = count;
    state.counters["years"] = years;
    state.SetLabel(core::SumPeriods(periods));
}

void Register(int count, int years)
{
    const std::string name = "SumPeriods/" + std::to_string(count) + "x" + std::to_string(years) + "y/";
    benchmark::RegisterBenchmark(
        (name + "fast").c_str(), [=](benchmark::State &state) { Run(state, count, years, false); });
    benchmark::RegisterBenchmark(
        (name + "marking").c_str(), [=](benchmark::State &state) { Run(state, count, years, true); });
}

} // namespace

int main(int argc, char **argv)
{
    Register(20, 40);
    Register(1000, 100);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
