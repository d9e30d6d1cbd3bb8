#include "packetSamples.h"

#include "store/packetIo.h"

#include "platform/clock.h"

#include <gtest/gtest.h>

#include <random>

using namespace packetsamples;
using namespace store;

namespace {

class RandomPacket {
public:
    explicit RandomPacket(unsigned seed) : m_rng(seed) { }

    Packet make()
    {
        Packet p;
        p.columns = pick(2) ? EmployeeColumns() : PeriodColumns();
        const int rows = pick(12);
        for (int i = 0; i < rows; ++i)
            p.rows.push_back(row(p.columns));
        if (rows > 0 && pick(3) != 0) {
            const int entries = 1 + pick(2 * rows);
            for (int i = 0; i < entries; ++i)
                p.changeLog.push_back({quint32(1 + pick(rows)), quint32(pick(rows + 1)), kKinds[pick(3)]});
        }
        p.autoIncValue = pick(1000); // both layouts have an identifier column
        if (pick(3) == 0)
            p.params.push_back({"LCID", text()});
        return p;
    }

private:
    static constexpr quint8 kStates[] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14};
    static constexpr quint32 kKinds[] = {2, 4, 8};
    std::mt19937 m_rng;

    int pick(int n) { return int(m_rng() % unsigned(n)); }

    // Bytes with the ones that need care made frequent: markup, control
    // bytes, zero, the ampersand before byte 1, and the upper half.
    QByteArray text()
    {
        static const QByteArray special("<>&'\"\r\n\t\\\x01\0 ;#", 14);
        QByteArray t;
        const int n = pick(12);
        for (int i = 0; i < n; ++i) {
            switch (pick(4)) {
            case 0: t.append(special[pick(int(special.size()))]); break;
            case 1: t.append(char(0x80 + pick(128))); break;
            case 2: t.append("&\x01"); break;
            default: t.append(char(pick(128))); break;
            }
        }
        return t;
    }

    PacketValue value(const PacketColumn &c)
    {
        if (pick(5) == 0)
            return {};
        switch (c.kind()) {
        case ColumnKind::Integer: return qint64(m_rng()) - qint64(m_rng()) * 1000;
        case ColumnKind::Boolean: return pick(2) == 1;
        case ColumnKind::Date: {
            static const qint32 first = platform::DayFromDate(QDate(1, 1, 1));
            static const qint32 last = platform::DayFromDate(QDate(9999, 12, 31));
            return PacketDate{first + qint32(m_rng() % quint32(last - first + 1))};
        }
        default: return text();
        }
    }

    PacketRow row(const std::vector<PacketColumn> &columns)
    {
        PacketRow r;
        r.state = kStates[pick(int(std::size(kStates)))];
        for (const PacketColumn &c : columns)
            r.values.push_back(value(c));
        return r;
    }
};

// What the file keeps of a packet: without a change log, the visible rows
// as unchanged rows.
Packet AsWritten(Packet p)
{
    if (p.changeLog.empty()) {
        std::erase_if(p.rows, [](const PacketRow &r) { return !r.visible(); });
        for (PacketRow &r : p.rows)
            r.state = 0;
    }
    return p;
}

} // namespace

TEST(PacketRoundTrip, RandomPacketsReadBackAndWriteTheSameBytes)
{
    for (unsigned seed = 1; seed <= 500; ++seed) {
        SCOPED_TRACE(seed);
        const Packet packet = RandomPacket(seed).make();
        const QByteArray file = WritePacket(packet);
        const Packet back = ReadPacket(file);
        ASSERT_EQ(back, AsWritten(packet)) << file.toStdString();
        ASSERT_EQ(WritePacket(back), file);
    }
}
