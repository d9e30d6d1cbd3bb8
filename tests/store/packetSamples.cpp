#include "packetSamples.h"

#include "platform/clock.h"
#include "platform/codePage.h"

namespace packetsamples {

using store::PacketColumn;

namespace {

PacketColumn Column(const char *name, const char *type, std::optional<qint32> width = std::nullopt)
{
    PacketColumn c;
    c.attrName = name;
    c.typeToken = type;
    c.width = width;
    return c;
}

PacketColumn Identifier()
{
    PacketColumn c = Column("ID", "i4");
    c.readOnly = true;
    c.subType = "Autoinc";
    return c;
}

} // namespace

std::vector<PacketColumn> EmployeeColumns()
{
    return {Identifier(), Column("FName", "string", 50), Column("LName", "string", 50),
            Column("MName", "string", 50)};
}

std::vector<PacketColumn> PeriodColumns()
{
    return {Identifier(),           Column("Emp_ID", "i4"),     Column("PLACE", "string", 100),
            Column("DATEBEG", "date"), Column("DATEEND", "date"), Column("TST", "boolean"),
            Column("NST", "boolean"),  Column("STS", "boolean"),  Column("CHK", "boolean")};
}

QByteArray Cp(QStringView text)
{
    return platform::ToAnsi(text);
}

store::PacketValue Text(QStringView text)
{
    return Cp(text);
}

store::PacketValue Day(int year, int month, int day)
{
    return store::PacketDate{platform::DayFromDate(QDate(year, month, day))};
}

store::PacketRow Employee(quint8 state, qint64 id, QStringView first, QStringView last, QStringView middle)
{
    return {state, {id, Text(first), Text(last), Text(middle)}};
}

} // namespace packetsamples
