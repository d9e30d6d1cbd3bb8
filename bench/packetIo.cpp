// Data file speed: a period file of 100,000 row versions, written, parsed,
// and for scale plainly read from disk.
#include "store/packetIo.h"

#include "platform/codePage.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace store;

namespace {

constexpr int kVersions = 100000;

// The period file's columns, as the file itself defines them.
std::vector<PacketColumn> PeriodColumns()
{
    return ReadPacket(R"(<DATAPACKET Version="2.0"><METADATA><FIELDS>)"
                      R"(<FIELD attrname="ID" fieldtype="i4" readonly="true" SUBTYPE="Autoinc"/>)"
                      R"(<FIELD attrname="Emp_ID" fieldtype="i4"/><FIELD attrname="PLACE" fieldtype="string" WIDTH="100"/>)"
                      R"(<FIELD attrname="DATEBEG" fieldtype="date"/><FIELD attrname="DATEEND" fieldtype="date"/>)"
                      R"(<FIELD attrname="TST" fieldtype="boolean"/><FIELD attrname="NST" fieldtype="boolean"/>)"
                      R"(<FIELD attrname="STS" fieldtype="boolean"/><FIELD attrname="CHK" fieldtype="boolean"/>)"
                      R"(</FIELDS></METADATA><ROWDATA/></DATAPACKET>)")
        .columns;
}

// Periods inserted and then each edited once: half the versions superseded.
const Packet &Periods()
{
    static const Packet packet = [] {
        Packet p;
        p.columns = PeriodColumns();
        const QByteArray place = platform::ToAnsi(u"ООО \"Ромашка\", цех №3 & склад");
        for (int i = 0; i < kVersions; ++i) {
            const qint64 id = i / 2 + 1;
            const bool edited = i % 2 == 1;
            PacketValue end = edited ? PacketValue(PacketDate{40000 + i % 3000}) : PacketValue();
            p.rows.push_back({quint8(edited ? RowInserted | RowModified : RowInserted | RowSuperseded),
                              {id, qint64(i % 500 + 1), place, PacketDate{35000 + i % 3000}, end, true, i % 3 == 0,
                               false, true}});
            p.changeLog.push_back(edited ? ChangeLogEntry{quint32(i + 1), quint32(i), 8}
                                         : ChangeLogEntry{quint32(i + 1), 0, 4});
        }
        p.autoIncValue = kVersions / 2 + 1;
        return p;
    }();
    return packet;
}

const QByteArray &PeriodBytes()
{
    static const QByteArray bytes = WritePacket(Periods());
    return bytes;
}

void BM_WritePacket(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(WritePacket(Periods()));
    state.SetBytesProcessed(state.iterations() * PeriodBytes().size());
}
BENCHMARK(BM_WritePacket)->Unit(benchmark::kMillisecond);

void BM_ReadPacket(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadPacket(PeriodBytes()));
    state.SetBytesProcessed(state.iterations() * PeriodBytes().size());
}
BENCHMARK(BM_ReadPacket)->Unit(benchmark::kMillisecond);

void BM_WriteAndReadPacketFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Experience_v2.xml"));
    for (auto _ : state) {
        WritePacketFile(path, Periods());
        benchmark::DoNotOptimize(ReadPacketFile(path));
    }
    state.SetBytesProcessed(state.iterations() * PeriodBytes().size() * 2);
}
BENCHMARK(BM_WriteAndReadPacketFile)->Unit(benchmark::kMillisecond);

// The floor: the same bytes read into memory without parsing.
void BM_ReadFileBytes(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Experience_v2.xml"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(PeriodBytes()) != PeriodBytes().size()) {
            state.SkipWithError("cannot write the sample file");
            return;
        }
    }
    for (auto _ : state) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot read the sample file");
            return;
        }
        benchmark::DoNotOptimize(f.readAll());
    }
    state.SetBytesProcessed(state.iterations() * PeriodBytes().size());
}
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
