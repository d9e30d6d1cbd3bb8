// How the table scales: moving to another employee and building the
// summary should cost the same whatever the size of the store, and filling
// an indexed table should grow like n log n. Each pair of sizes is printed
// with the ratio of its times at the end.

#include "store/uDM.h"

#include "platform/clock.h"

#include <QCoreApplication>
#include <QDate>

#include <benchmark/benchmark.h>

#include <iostream>
#include <map>
#include <memory>
#include <random>

using namespace Qt::StringLiterals;

namespace {

QString RandomName(std::mt19937 &rng, int length)
{
    static const QString upper = u"АБВГДЕЁЖЗИКЛМНОПРСТУФХЦЧШЭЮЯ"_s;
    static const QString lower = u"абвгдеёжзиклмнопрстуфхцчшщыэюя"_s;
    QString s(upper[int(rng() % upper.size())]);
    for (int i = 1; i < length; ++i)
        s += lower[int(rng() % lower.size())];
    return s;
}

void OpenTables(store::Tdm &dm)
{
    dm.Emp.createDataSet();
    dm.Emp.setIndexName(u"FIO"_s);
    dm.Exp.createDataSet();
    dm.Exp.setMasterSource(&dm.DS_EMP, u"ID"_s);
    dm.Exp.setIndexName(u"EMP_ID"_s);
}

void AddEmployee(store::Tdm &dm, std::mt19937 &rng)
{
    dm.Emp.insert();
    dm.Emp.fieldByName(u"LName").setAsString(RandomName(rng, 8));
    dm.Emp.fieldByName(u"FName").setAsString(RandomName(rng, 6));
    dm.Emp.fieldByName(u"MName").setAsString(RandomName(rng, 10));
    dm.Emp.post();
}

// A store of `employees` employees with ten periods each.
store::Tdm &FilledStore(int employees)
{
    static std::map<int, std::unique_ptr<store::Tdm>> stores;
    auto &slot = stores[employees];
    if (slot)
        return *slot;
    slot = std::make_unique<store::Tdm>();
    store::Tdm &dm = *slot;
    OpenTables(dm);
    std::mt19937 rng(7);
    const qint32 start = platform::DayFromDate(QDate(1980, 1, 1));
    for (int e = 0; e < employees; ++e) {
        AddEmployee(dm, rng); // the new employee becomes current
        for (int p = 0; p < 10; ++p) {
            dm.Exp.insert();
            const qint32 begin = start + qint32(rng() % 12000);
            dm.Exp.fieldByName(u"PLACE").setAsString(RandomName(rng, 12));
            dm.Exp.fieldByName(u"DATEBEG").setAsDateTime(begin);
            if (p % 3)
                dm.Exp.fieldByName(u"DATEEND").setAsDateTime(begin + qint32(rng() % 2000));
            dm.Exp.fieldByName(u"TST").setAsBoolean(true);
            dm.Exp.fieldByName(u"STS").setAsBoolean(p % 2);
            dm.Exp.fieldByName(u"NST").setAsBoolean(p % 4 == 0);
            dm.Exp.fieldByName(u"CHK").setAsBoolean(p != 5);
            dm.Exp.post();
        }
    }
    return dm;
}

void BM_MoveAndSummary(benchmark::State &state)
{
    store::Tdm &dm = FilledStore(int(state.range(0)));
    const int employees = dm.Emp.recordCount();
    const double on = platform::DayFromDate(QDate(2020, 1, 1));
    std::mt19937 rng(11);
    for (auto _ : state) {
        dm.Emp.setRecNo(int(rng() % unsigned(employees)));
        store::TExpItog itog = dm.ExpItog(on);
        benchmark::DoNotOptimize(itog);
    }
    state.counters["periods"] = double(employees) * 10;
}
BENCHMARK(BM_MoveAndSummary)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

// Rows posted one by one into an open table with its index active.
void BM_FillIndexed(benchmark::State &state)
{
    const int rows = int(state.range(0));
    for (auto _ : state) {
        store::Tdm dm;
        OpenTables(dm);
        std::mt19937 rng(3);
        for (int i = 0; i < rows; ++i)
            AddEmployee(dm, rng);
        benchmark::DoNotOptimize(dm.Emp.recordCount());
    }
}
BENCHMARK(BM_FillIndexed)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A loaded file's rows indexed in one go.
void BM_LoadAndIndex(benchmark::State &state)
{
    const int rows = int(state.range(0));
    store::Packet packet;
    {
        store::Tdm dm;
        OpenTables(dm);
        std::mt19937 rng(5);
        for (int i = 0; i < rows; ++i)
            AddEmployee(dm, rng);
        packet = dm.Emp.toPacket();
    }
    for (auto _ : state) {
        store::Tdm dm;
        dm.Emp.setIndexName(u"FIO"_s);
        dm.Emp.loadFromPacket(packet);
        benchmark::DoNotOptimize(dm.Emp.recordCount());
    }
}
BENCHMARK(BM_LoadAndIndex)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Prints the usual table and remembers each run's time for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs)
            times[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    void PrintRatio(const std::string &small, const std::string &large) const
    {
        const auto a = times.find(small);
        const auto b = times.find(large);
        if (a == times.end() || b == times.end() || a->second <= 0)
            return;
        std::cout << large << " / " << small << " = " << b->second / a->second << '\n';
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("BM_MoveAndSummary/100", "BM_MoveAndSummary/10000");
    reporter.PrintRatio("BM_FillIndexed/10000", "BM_FillIndexed/100000");
    reporter.PrintRatio("BM_LoadAndIndex/10000", "BM_LoadAndIndex/100000");
    benchmark::Shutdown();
    return 0;
}
