#pragma once

#include "core/serviceLength.h"

#include <span>

namespace core {

// The service-length rule done the slow, literal way: one cell per day from
// the earliest to the day after the latest day, runs read off the marked
// cells, carries done one by one. Tests and benchmarks hold SumTotals
// against it; the program itself never calls it.

// Sums of years, months and days over the runs plus one day per run, before
// any carry. Throws std::length_error exactly where SumTotals does.
Totals SumUncarriedByMarking(std::span<const TRExp> periods);
// The carries applied to such sums step by step.
Totals CarryStepwise(Totals sums);
// CarryStepwise(SumUncarriedByMarking(periods)).
Totals SumTotalsByMarking(std::span<const TRExp> periods);

} // namespace core
