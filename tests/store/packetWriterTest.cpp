#include "packetSamples.h"

#include "store/packetIo.h"
#include "store/storeError.h"

#include "support/testSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace packetsamples;
using namespace store;
using namespace Qt::StringLiterals;

namespace {

Packet NewEmployees()
{
    Packet p;
    p.columns = EmployeeColumns();
    p.autoIncValue = 1;
    return p;
}

Packet OneEmployeeInserted()
{
    Packet p = NewEmployees();
    p.rows = {Employee(RowInserted, 1, u"Пётр", u"Иванв", u"Сергеевич")};
    p.changeLog = {{1, 0, 4}};
    p.autoIncValue = 2;
    return p;
}

Packet SurnameCorrected()
{
    Packet p = OneEmployeeInserted();
    p.rows[0].state = RowInserted | RowSuperseded;
    p.rows.push_back(Employee(RowInserted | RowModified, 1, u"Пётр", u"Иванов", u"Сергеевич"));
    p.changeLog.push_back({2, 1, 8});
    return p;
}

Packet OpenPeriod()
{
    Packet p;
    p.columns = PeriodColumns();
    p.rows = {{RowInserted, {qint64(1), qint64(1), Text(u"ООО «Ромашка»"), Day(2005, 3, 1), {}, true, false, true, true}}};
    p.changeLog = {{1, 0, 4}};
    p.autoIncValue = 2;
    return p;
}

// The part of a file between the ROWDATA tags.
QByteArray RowData(const QByteArray &file)
{
    const qsizetype from = file.indexOf("<ROWDATA>") + 9;
    return file.mid(from, file.indexOf("</ROWDATA>") - from);
}

} // namespace

TEST(PacketWriter, WritesTheKnownFilesByteForByteAndReadsThemBack)
{
    struct Case {
        const char *fixture;
        std::function<Packet()> packet;
    };
    const Case cases[] = {
        {"packet_emp_new.xml", NewEmployees},
        {"packet_emp_insert.xml", OneEmployeeInserted},
        {"packet_emp_edit.xml", SurnameCorrected},
        {"packet_exp_open.xml", OpenPeriod},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fixture);
        const QByteArray expected = testsupport::ReadFixture(QString::fromLatin1(c.fixture));
        EXPECT_EQ(WritePacket(c.packet()), expected);
        EXPECT_EQ(ReadPacket(expected), c.packet());
    }
}

TEST(PacketWriter, WithoutChangeLogWritesOnlyVisibleRowsWithoutState)
{
    Packet p = NewEmployees();
    p.rows = {Employee(0, 1, u"A", u"B", u"C"), Employee(RowSuperseded, 2, u"old", u"", u""),
              Employee(RowDeleted, 3, u"gone", u"", u""), Employee(RowInserted | RowModified, 4, u"D", u"E", u"F")};
    EXPECT_EQ(RowData(WritePacket(p)),
              R"(<ROW ID="1" FName="A" LName="B" MName="C"/><ROW ID="4" FName="D" LName="E" MName="F"/>)");
}

TEST(PacketWriter, DeletedAndSupersededVersionsStayWithTheirStates)
{
    Packet p = SurnameCorrected();
    p.rows[1].state |= RowDeleted;
    p.changeLog.push_back({2, 0, 2});
    const QByteArray file = WritePacket(p);
    EXPECT_TRUE(file.contains(R"(<PARAMS CHANGE_LOG="1 0 4 2 1 8 2 0 2" AUTOINCVALUE="2"/>)"));
    EXPECT_TRUE(RowData(file).startsWith(R"(<ROW RowState="5" ID="1")"));
    EXPECT_TRUE(RowData(file).contains(R"(<ROW RowState="14" ID="1")"));
    EXPECT_EQ(ReadPacket(file), p);
}

TEST(PacketWriter, EscapesMarkupAndLineBreaksAndReadsThemBack)
{
    Packet p = OpenPeriod();
    p.rows[0].values[2] = QByteArray("\"Q\" 'A' & <L> \\ x\r\ny\tz");
    const QByteArray file = WritePacket(p);
    EXPECT_TRUE(file.contains(R"(PLACE="&quot;Q&quot; &apos;A&apos; &amp; &lt;L&gt; &#092; x&#013;&#010;y&#009;z")"));
    EXPECT_EQ(ReadPacket(file), p);
}

// An ampersand before byte 1 used to be written as a bare "&#", which no
// reader accepts; it must come back as it went out, as must a zero byte.
TEST(PacketWriter, AmpersandBeforeByteOneAndZeroByteReadBack)
{
    Packet p = OneEmployeeInserted();
    p.rows[0].values[1] = QByteArray("a&\x01" "b", 4);
    p.rows[0].values[3] = QByteArray("n\0m", 3);
    const QByteArray file = WritePacket(p);
    EXPECT_TRUE(file.contains("FName=\"a&amp;\x01" "b\""));
    EXPECT_TRUE(file.contains("MName=\"n&#000;m\""));
    EXPECT_EQ(ReadPacket(file), p);
}

TEST(PacketWriter, EmptyTextIsWrittenNullTextIsLeftOut)
{
    Packet p = OneEmployeeInserted();
    p.rows[0].values[1] = PacketValue{};
    p.rows[0].values[3] = QByteArray("");
    const QByteArray file = WritePacket(p);
    EXPECT_TRUE(file.contains(R"(<ROW RowState="4" ID="1" LName=")"));
    EXPECT_TRUE(file.contains(R"( MName=""/>)"));
    const Packet back = ReadPacket(file);
    EXPECT_TRUE(IsNull(back.rows[0].values[1]));
    EXPECT_EQ(back.rows[0].values[3], PacketValue(QByteArray("")));
}

TEST(PacketWriter, WritesCarriedParametersAndColumnAttributesInOrder)
{
    Packet p = NewEmployees();
    PacketColumn &c = p.columns[1];
    c.fieldName = "First Name";
    c.required = c.hidden = c.linkField = c.calculated = true;
    c.decimals = 2;
    p.params = {{"LCID", "1049"}, {"DEFAULT_ORDER", "1 2"}};
    p.paramElements = {{"Extra", "v&1", "i4", true}, {"Other", "", "", false}};
    const QByteArray file = WritePacket(p);
    EXPECT_TRUE(file.contains(R"(<FIELD fieldname="First Name" attrname="FName" fieldtype="string" required="true" )"
                              R"(hidden="true" linkfield="true" DECIMALS="2" WIDTH="50" CALCULATED="1"/>)"));
    EXPECT_TRUE(file.contains(R"(<PARAMS AUTOINCVALUE="1" LCID="1049" DEFAULT_ORDER="1 2">)"
                              R"(<PARAM Name="Extra" Value="v&amp;1" Type="i4" Roundtrip="True"/>)"
                              R"(<PARAM Name="Other" Value="" Type=""/></PARAMS></METADATA>)"));
    const Packet back = ReadPacket(file);
    EXPECT_EQ(back, p);
    EXPECT_EQ(back.lcid(), 1049u);
}

TEST(PacketWriter, RefusesPacketsThatWouldNotReadBack)
{
    struct Case {
        const char *what;
        std::function<void(Packet &)> spoil;
    };
    const Case cases[] = {
        {"text in an integer column", [](Packet &p) { p.rows[0].values[0] = QByteArray("1"); }},
        {"integer in a text column", [](Packet &p) { p.rows[0].values[1] = qint64(1); }},
        {"too few values", [](Packet &p) { p.rows[0].values.pop_back(); }},
        {"column name with a blank", [](Packet &p) { p.columns[1].attrName = "F Name"; }},
        {"empty column name", [](Packet &p) { p.columns[1].attrName = ""; }},
        {"two columns of one name", [](Packet &p) { p.columns[2].attrName = "FName"; }},
        {"column named like the state", [](Packet &p) { p.columns[3].attrName = "RowState"; }},
        {"log past the rows", [](Packet &p) { p.changeLog.push_back({2, 0, 2}); }},
        {"log row zero", [](Packet &p) { p.changeLog[0].row = 0; }},
        {"carried CHANGE_LOG", [](Packet &p) { p.params.push_back({"CHANGE_LOG", "1 0 4"}); }},
        {"parameter name with '='", [](Packet &p) { p.params.push_back({"A=B", "1"}); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Packet p = OneEmployeeInserted();
        c.spoil(p);
        EXPECT_THROW(WritePacket(p), StoreError);
    }

    Packet period = OpenPeriod();
    period.rows[0].values[4] = Day(10000, 1, 1);
    try {
        WritePacket(period);
        ADD_FAILURE() << "a date past 9999 was written";
    } catch (const StoreError &e) {
        EXPECT_TRUE(e.message().contains(u"DATEEND"_s)) << e.message().toStdString();
    }
}
