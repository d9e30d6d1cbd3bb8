#include "packetSamples.h"

#include "store/packetIo.h"
#include "store/storeError.h"

#include "support/testSupport.h"

#include <gtest/gtest.h>

using namespace packetsamples;
using namespace store;
using namespace Qt::StringLiterals;

namespace {

Packet ReadFixture(const char *name)
{
    return ReadPacket(testsupport::ReadFixture(QString::fromLatin1(name)));
}

// One row of columns I (i4), B (boolean), D (date), T (string), R (r8)
// with `attribute` as its only value.
Packet OneValue(const QByteArray &attribute)
{
    return ReadPacket("<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"I\" fieldtype=\"i4\"/>"
                      "<FIELD attrname=\"B\" fieldtype=\"boolean\"/><FIELD attrname=\"D\" fieldtype=\"date\"/>"
                      "<FIELD attrname=\"T\" fieldtype=\"string\" WIDTH=\"20\"/><FIELD attrname=\"R\" "
                      "fieldtype=\"r8\"/></FIELDS><PARAMS/></METADATA><ROWDATA><ROW "
                      + attribute + "/></ROWDATA></DATAPACKET>");
}

} // namespace

TEST(PacketReader, ReadsUtf8FilesIntoTheCodePage)
{
    for (const char *fixture : {"packet_utf8.xml", "packet_utf8_bom.xml"}) {
        SCOPED_TRACE(fixture);
        const Packet p = ReadFixture(fixture);
        ASSERT_EQ(p.rows.size(), 1u);
        EXPECT_EQ(p.rows[0], Employee(0, 1, u"Пётр", u"Иванов", u"Сергеевич \\"));
        EXPECT_EQ(p.autoIncValue, 2);
    }
}

TEST(PacketReader, FileThatOnlyClaimsUtf8IsReadAsCodePageBytes)
{
    const Packet p = ReadFixture("packet_utf8_false.xml");
    ASSERT_EQ(p.rows.size(), 1u);
    EXPECT_EQ(p.rows[0], Employee(0, 1, u"Пётр", u"Иванов", u"Сергеевич \\"));
}

TEST(PacketReader, KeepsEveryHighByteOfCodePageText)
{
    QByteArray all;
    for (int b = 0x80; b <= 0xFF; ++b)
        all.append(char(b));
    const Packet p = OneValue("T=\"" + all + "\" R=\"\xC0\xFF\"");
    EXPECT_EQ(p.rows[0].values[3], PacketValue(all));
    EXPECT_EQ(p.rows[0].values[4], PacketValue(QByteArray("\xC0\xFF")));
}

TEST(PacketReader, RowAttributesInAnotherLetterCaseAreNull)
{
    const Packet p = ReadFixture("packet_case.xml");
    ASSERT_EQ(p.rows.size(), 1u);
    EXPECT_EQ(p.rows[0].values[0], PacketValue(qint64(1)));
    EXPECT_TRUE(IsNull(p.rows[0].values[1]));
    EXPECT_TRUE(IsNull(p.rows[0].values[2]));
    EXPECT_EQ(p.rows[0].values[3], Text(u"С"));
}

TEST(PacketReader, ReadsValuesByTheirColumnType)
{
    const PacketValue null;
    struct Case {
        QByteArray attribute;
        int column;
        PacketValue expected;
    };
    const Case cases[] = {
        {R"(I="12")", 0, qint64(12)},
        {R"(I="-7")", 0, qint64(-7)},
        {R"(I=" 5x")", 0, qint64(5)},
        {R"(I="x5")", 0, null},
        {R"(I="-")", 0, null},
        {R"(I="")", 0, null},
        {R"(I="99999999999999999999")", 0, null},
        {R"(B="TRUE")", 1, true},
        {R"(B="t")", 1, true},
        {R"(B="FALSE")", 1, false},
        {R"(B="yes")", 1, false},
        {R"(B="")", 1, null},
        {R"(D="20050301")", 2, Day(2005, 3, 1)},
        {R"(D="20040229")", 2, Day(2004, 2, 29)},
        {R"(D="00010101")", 2, Day(1, 1, 1)},
        {R"(D="20051301")", 2, null},
        {R"(D="20050132")", 2, null},
        {R"(D="20050231")", 2, null},
        {R"(D="20050001")", 2, null},
        {R"(D="20050100")", 2, null},
        {R"(D="00000101")", 2, null},
        {R"(D="2005031")", 2, null},
        {R"(D="2005-03-01")", 2, null},
        {R"(T="a&#092;b&#x41;&#65;")", 3, QByteArray("a\\bAA")},
        {R"(T="&lt;&gt;&amp;&apos;&quot;&#013;&#010;&#009;")", 3, QByteArray("<>&'\"\r\n\t")},
        {R"(T="&#1071;")", 3, Text(u"Я")},
        {"T=\"a&#b &x; &#;\"", 3, QByteArray("a&#b &x; &#;")},
        {"T=\"raw\r\nline\"", 3, QByteArray("raw\r\nline")},
        {R"(R="1.5&amp;")", 4, QByteArray("1.5&")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.attribute.toStdString());
        const Packet p = OneValue(c.attribute);
        ASSERT_EQ(p.rows.size(), 1u);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(p.rows[0].values[i], i == c.column ? c.expected : null) << "column " << i;
    }
}

TEST(PacketReader, ReadsColumnDefinitionsAndTypeTokensInAnyCase)
{
    const Packet p = ReadPacket(
        R"(<DATAPACKET><METADATA><FIELDS><FIELD tagname="A" fieldtype="INT" ReadOnly="x" readonly="TRUE"/>)"
        R"(<FIELD attrname="B" fieldtype="uint" SUBTYPE="Money" DECIMALS="4" WIDTH="8" required="true" hidden="true" linkfield="true" CALCULATED="1"/>)"
        R"(<FIELD fieldname="C c" attrname="C_c" fieldtype="DATETIME"/><FIELD attrname="D" fieldtype="String.Uni" WIDTH="10"/>)"
        R"(</FIELDS><PARAMS/></METADATA><ROWDATA/></DATAPACKET>)");
    ASSERT_EQ(p.columns.size(), 4u);
    EXPECT_EQ(p.columns[0].attrName, "A");
    EXPECT_EQ(p.columns[0].typeToken, "i4");
    EXPECT_TRUE(p.columns[0].readOnly);
    const PacketColumn &b = p.columns[1];
    EXPECT_EQ(b.typeToken, "ui4");
    EXPECT_EQ(b.subType, "Money");
    EXPECT_EQ(b.decimals, 4);
    EXPECT_EQ(b.width, 8);
    EXPECT_TRUE(b.required && b.hidden && b.linkField && b.calculated);
    EXPECT_EQ(p.columns[2].fieldName, "C c");
    EXPECT_EQ(p.columns[2].typeToken, "dateTime");
    EXPECT_EQ(p.columns[2].kind(), ColumnKind::Raw);
    EXPECT_EQ(p.columns[3].typeToken, "string.uni");
    EXPECT_EQ(p.columns[3].kind(), ColumnKind::Text);
}

TEST(PacketReader, AcceptsTheLooserLayouts)
{
    const Packet bare = ReadFixture("packet_bare.xml");
    EXPECT_EQ(bare.columns.size(), 4u);
    ASSERT_EQ(bare.rows.size(), 1u);
    EXPECT_EQ(bare.rows[0].values[0], PacketValue(qint64(7)));
    EXPECT_EQ(bare.rows[0].values[2], PacketValue(QByteArray("X")));

    const Packet rowsOnly = ReadFixture("packet_rows_only.xml");
    EXPECT_TRUE(rowsOnly.columns.empty());
    ASSERT_EQ(rowsOnly.rows.size(), 2u);
    EXPECT_EQ(rowsOnly.rows[0], (PacketRow{RowInserted, {}}));
    EXPECT_EQ(rowsOnly.rows[1], PacketRow{});
}

// Our files always carry the counter; without one, numbering goes on
// above every identifier ever stored, superseded versions included.
TEST(PacketReader, CounterWithoutAutoIncValueStartsAboveLargestIdentifier)
{
    const Packet p = ReadFixture("packet_no_autoinc.xml");
    EXPECT_EQ(p.autoIncValue, 10);
    EXPECT_EQ(p.changeLog, (std::vector<ChangeLogEntry>{{1, 0, 4}, {2, 1, 8}}));

    Packet empty = ReadFixture("packet_emp_new.xml");
    EXPECT_EQ(empty.autoIncValue, 1);
    const QByteArray noCounter = WritePacket(empty).replace(R"( AUTOINCVALUE="1")", "");
    EXPECT_EQ(ReadPacket(noCounter).autoIncValue, 1);
}

TEST(PacketReader, RejectsBrokenFilesWithTheReason)
{
    struct Case {
        const char *fixture;
        QString reason;
    };
    const Case cases[] = {
        {"packet_bad_empty.xml", u"no markup"_s},
        {"packet_bad_text_first.xml", u"must begin with '<'"_s},
        {"packet_bad_decl_zero.xml", u"zero byte"_s},
        {"packet_bad_decl_open.xml", u"declaration is not closed"_s},
        {"packet_bad_truncated.xml", u"byte"_s},
        {"packet_bad_mismatch.xml", u"byte"_s},
        {"packet_bad_doctype.xml", u"document type"_s},
        {"packet_bad_no_metadata.xml", u"METADATA expected"_s},
        {"packet_bad_no_fields.xml", u"must begin with FIELDS"_s},
        {"packet_bad_no_rowdata.xml", u"ROWDATA must follow METADATA"_s},
        {"packet_bad_text_in_rowdata.xml", u"text where markup belongs"_s},
        {"packet_bad_row_element.xml", u"'RECORD' instead of ROW"_s},
        {"packet_bad_field_element.xml", u"'COLUMN' instead of FIELD"_s},
        {"packet_bad_type.xml", u"unknown type 'varchar'"_s},
        {"packet_bad_no_type.xml", u"no fieldtype"_s},
        {"packet_bad_no_name.xml", u"without attrname"_s},
        {"packet_bad_bad_name.xml", u"'M Name' cannot serve as an attribute name"_s},
        {"packet_bad_dup_field.xml", u"'LName' is defined twice"_s},
        {"packet_bad_width.xml", u"WIDTH 'wide'"_s},
        {"packet_bad_rowstate.xml", u"RowState 'new'"_s},
        {"packet_bad_rowstate_range.xml", u"RowState '300'"_s},
        {"packet_bad_changelog.xml", u"numbers in threes"_s},
        {"packet_bad_changelog_row.xml", u"5 1 8 refers to a row beyond"_s},
        {"packet_bad_autoinc.xml", u"AUTOINCVALUE 'two'"_s},
        {"packet_bad_attribute.xml", u"byte"_s},
        {"packet_bad_zero_in_value.xml", u"byte"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fixture);
        const QByteArray bytes = testsupport::ReadFixture(QString::fromLatin1(c.fixture));
        ASSERT_FALSE(bytes.isNull());
        try {
            ReadPacket(bytes);
            ADD_FAILURE() << "accepted";
        } catch (const StoreError &e) {
            EXPECT_TRUE(e.message().contains(c.reason)) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(u"byte "_s)) << e.message().toStdString();
        }
    }
}

// Each row keeps a slot per column: empty rows under very many columns
// would otherwise cost memory far beyond the size of the file.
TEST(PacketReader, RejectsRowsOutOfProportionToTheFile)
{
    QByteArray file = "<DATAPACKET><METADATA><FIELDS>";
    for (int i = 0; i < 2000; ++i)
        file += "<FIELD attrname=\"C" + QByteArray::number(i) + "\" fieldtype=\"i4\"/>";
    file += "</FIELDS></METADATA><ROWDATA>";
    for (int i = 0; i < 2000; ++i)
        file += "<ROW/>";
    file += "</ROWDATA></DATAPACKET>";
    EXPECT_THROW(ReadPacket(file), StoreError);
}
