#include "tableFixture.h"

#include "store/packetIo.h"
#include "store/storeError.h"

#include "platform/codePage.h"
#include "platform/locale.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tablefixture;
using store::FieldType;
using store::StoreError;
using store::Table;

namespace {

// The text of the StoreError fn throws, or "no error".
template <class Fn>
QString ErrorOf(Fn &&fn)
{
    try {
        fn();
    } catch (const StoreError &e) {
        return e.message();
    }
    return u"no error"_s;
}

// Row states and change log of a table as the data file would hold them.
struct History {
    std::vector<int> states;
    std::vector<std::array<quint32, 3>> log;
};

store::PacketColumn ColumnOfType(const char *name, const char *token)
{
    store::PacketColumn c;
    c.attrName = name;
    c.typeToken = token;
    return c;
}

History HistoryOf(const Table &t)
{
    const store::Packet p = t.toPacket();
    History h;
    for (const store::PacketRow &r : p.rows)
        h.states.push_back(r.state);
    for (const store::ChangeLogEntry &e : p.changeLog)
        h.log.push_back({ e.row, e.replaced, e.kind });
    return h;
}

// ---------------------------------------------------------------------------
// Field values

TEST(TableFieldTest, TextIsCutToTheFieldSizeAndLosesTrailingBlanksOnly)
{
    struct Case {
        const char *name;
        QString field;
        QString input;
        QString stored;
    };
    const QString sixty = QString(60, u'Щ');
    const Case cases[] = {
        { "60-character surname keeps its first 50", u"LName"_s, sixty, QString(50, u'Щ') },
        { "trailing blanks removed", u"LName"_s, u"Иванов   "_s, u"Иванов"_s },
        { "leading blanks kept", u"LName"_s, u"  Иванов"_s, u"  Иванов"_s },
        { "blank inside the cut end removed", u"FName"_s, QString(49, u'ж') + u"  x"_s, QString(49, u'ж') },
        { "only blanks give empty", u"MName"_s, u"   "_s, QString() },
    };
    OpenStore s;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        s.dm.Emp.insert();
        s.dm.Emp.fieldByName(c.field).setAsString(c.input);
        s.dm.Emp.post();
        store::Field &f = s.dm.Emp.fieldByName(c.field);
        EXPECT_EQ(f.asString(), c.stored);
        EXPECT_EQ(f.asBytes(), platform::ToAnsi(c.stored));
        EXPECT_FALSE(f.isNull()); // an empty text is a value
    }
}

TEST(TableFieldTest, PlaceWithTrailingBlanksIsStoredAndSavedWithout)
{
    OpenStore s;
    s.addEmp(u"Иванов"_s);
    s.addPeriod({ .begin = Day(2000, 1, 1), .place = u"Завод \"Искра\"  "_s });
    EXPECT_EQ(s.dm.Exp.fieldByName(u"PLACE").displayText(), u"Завод \"Искра\""_s);
    const store::Packet p = s.dm.Exp.toPacket();
    EXPECT_EQ(std::get<QByteArray>(p.rows.back().values[2]), platform::ToAnsi(u"Завод \"Искра\""));
}

TEST(TableFieldTest, LookupIgnoresCaseAndTheThreeErrorsCarryTheirTexts)
{
    OpenStore s;
    s.addEmp(u"Иванов"_s);
    for (const QStringView name : { u"EMP_ID", u"Emp_ID", u"emp_id", u"Place", u"DateBeg" })
        EXPECT_NE(s.dm.Exp.findField(name), nullptr) << name.toString().toStdString();
    EXPECT_EQ(&s.dm.Exp.fieldByName(u"place"), &s.dm.Exp.fieldByName(u"PLACE"));

    EXPECT_EQ(ErrorOf([&] { s.dm.Exp.fieldByName(u"NOPE"); }), u"Field 'NOPE' not found"_s);
    EXPECT_EQ(ErrorOf([&] { s.dm.Emp.fieldByName(u"LName").setAsString(u"x"_s); }),
              u"Dataset not in edit or insert mode"_s);
    s.dm.Exp.insert();
    EXPECT_EQ(ErrorOf([&] { s.dm.Exp.fieldByName(u"id").setAsInteger(7); }), u"Field 'ID' cannot be modified"_s);
    s.dm.Exp.cancel();
    // The employee's identifier has only the read-only attribute: it may be
    // written, and the post overwrites it.
    s.dm.Emp.insert();
    s.dm.Emp.fieldByName(u"ID").setAsInteger(77);
    s.dm.Emp.post();
    EXPECT_EQ(s.dm.Emp.fieldByName(u"ID").asInteger(), 2);
}

TEST(TableFieldTest, NullsDatesAndBooleansReadAsTheProgramExpects)
{
    OpenStore s;
    s.addEmp(u"Иванов"_s);
    s.dm.Exp.insert();
    store::Field &beg = s.dm.Exp.fieldByName(u"DATEBEG");
    store::Field &chk = s.dm.Exp.fieldByName(u"CHK");
    store::Field &id = s.dm.Exp.fieldByName(u"ID");
    EXPECT_TRUE(id.isNull()); // before the post
    EXPECT_TRUE(beg.isNull());
    EXPECT_EQ(beg.asDateTime(), 0.0);
    EXPECT_EQ(beg.displayText(), QString());
    EXPECT_FALSE(chk.asBoolean());
    beg.setAsDateTime(Day(2005, 3, 1) + 0.75); // the time of day is dropped
    s.dm.Exp.post();
    EXPECT_EQ(beg.asDateTime(), double(Day(2005, 3, 1)));
    EXPECT_EQ(beg.value(), QVariant(QDate(2005, 3, 1)));
    EXPECT_EQ(beg.displayText(), platform::FormatShortDate(QDate(2005, 3, 1)));
    EXPECT_TRUE(chk.isNull());
    EXPECT_EQ(id.asInteger(), 1);

    // Reading any field of an empty view gives null.
    s.dm.Exp.del();
    EXPECT_TRUE(s.dm.Exp.fieldByName(u"PLACE").isNull());
    EXPECT_TRUE(id.isNull());
}

// ---------------------------------------------------------------------------
// Order

TEST(TableOrderTest, SurnamesFollowTheLocaleCollationNotTheCodePageBytes)
{
    OpenStore s;
    // In Windows-1251 Ё (0xA8) lies below every other capital letter.
    for (const QString &name : { u"Яковлев"_s, u"Ёлкин"_s, u"петров"_s, u"Жуков"_s, u"Абрамов"_s, u"Петров"_s,
                                 u"Егоров"_s })
        s.addEmp(name, u"Иван"_s);
    const QStringList got = Column(s.dm.Emp, u"LName");
    ASSERT_EQ(got.size(), 7); // Петров and петров are distinct keys
    const platform::Collation collation;
    const auto [lower, upper] = collation.compare(u"петров", u"Петров") < 0
                                         ? std::pair { u"петров"_s, u"Петров"_s }
                                         : std::pair { u"Петров"_s, u"петров"_s };
    EXPECT_EQ(got, (QStringList { u"Абрамов"_s, u"Егоров"_s, u"Ёлкин"_s, u"Жуков"_s, lower, upper, u"Яковлев"_s }));
}

TEST(TableOrderTest, MissingNamePartsSortFirstAndEqualKeysKeepInsertionOrder)
{
    OpenStore s;
    s.addEmp(u"Иванов"_s, u"Анна"_s, u"Б"_s);
    s.addEmp(u"Иванов"_s, u"Анна"_s); // null patronymic
    s.addEmp(u"Иванов"_s, u"Анна"_s, u"Б"_s);
    s.addEmp(u"Иванов"_s, QString()); // empty first name
    s.addEmp(u"Иванов"_s); // null first name
    EXPECT_EQ(Column(s.dm.Emp, u"ID"), (QStringList { u"5"_s, u"4"_s, u"2"_s, u"1"_s, u"3"_s }));
    EXPECT_EQ(Column(s.dm.Emp, u"FIO"),
              (QStringList { u"Иванов"_s, u"Иванов"_s, u"Иванов А."_s, u"Иванов А. Б."_s, u"Иванов А. Б."_s }));
}

TEST(TableOrderTest, PostResortsTheRowAndMakesItCurrent)
{
    OpenStore s;
    for (const QString &name : { u"Белов"_s, u"Волков"_s, u"Гусев"_s })
        s.addEmp(name);
    Recorder views;
    s.dm.Emp.addObserver(&views);
    ASSERT_TRUE(s.dm.Emp.locate(u"LName", u"Гусев"_s));
    s.dm.Emp.edit();
    s.dm.Emp.fieldByName(u"LName").setAsString(u"Абрамов"_s);
    views.events.clear();
    s.dm.Emp.post();
    EXPECT_EQ(s.dm.Emp.recNo(), 0);
    EXPECT_EQ(s.dm.Emp.fieldByName(u"LName").asString(), u"Абрамов"_s);
    EXPECT_EQ(views.events, (QStringList { u"removed 2-2"_s, u"inserted 0-0"_s, u"current"_s }));

    views.events.clear();
    s.addEmp(u"Борисов"_s);
    EXPECT_EQ(s.dm.Emp.recNo(), 2); // after Абрамов and Белов
    EXPECT_EQ(views.events, (QStringList { u"current"_s, u"inserted 2-2"_s, u"current"_s }));
    s.dm.Emp.removeObserver(&views);
}

// ---------------------------------------------------------------------------
// Identifiers, row versions and the change log

TEST(TableHistoryTest, IdentifiersAreNeverReusedAndContinueAfterAReload)
{
    OpenStore s;
    s.addEmp(u"А"_s);
    s.addEmp(u"Б"_s);
    s.addEmp(u"В"_s);
    ASSERT_TRUE(s.dm.Emp.locate(u"ID", 2));
    s.dm.Emp.del();
    s.addEmp(u"Г"_s);
    EXPECT_EQ(Column(s.dm.Emp, u"ID"), (QStringList { u"1"_s, u"3"_s, u"4"_s }));

    const store::Packet saved = s.dm.Emp.toPacket();
    EXPECT_EQ(saved.autoIncValue, 5);
    s.dm.Emp.loadFromPacket(saved);
    EXPECT_FALSE(s.dm.Emp.changed());
    s.addEmp(u"Д"_s);
    EXPECT_EQ(s.dm.Emp.fieldByName(u"ID").asInteger(), 5);
    EXPECT_TRUE(s.dm.Emp.changed());
}

TEST(TableHistoryTest, CounterOfAFileStartsAboveItsLargestIdentifier)
{
    struct Case {
        const char *name;
        std::optional<qint64> autoInc;
        qint32 next;
    };
    const Case cases[] = {
        { "no counter in the file", std::nullopt, 8 },
        { "counter below an identifier", 3, 8 },
        { "counter kept when above", 20, 20 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OpenStore s;
        s.addEmp(u"А"_s);
        store::Packet p = s.dm.Emp.toPacket();
        p.rows[0].values[0] = qint64(7);
        p.autoIncValue = c.autoInc;
        s.dm.Emp.loadFromPacket(p);
        s.addEmp(u"Б"_s);
        EXPECT_EQ(s.dm.Emp.fieldByName(u"ID").asInteger(), c.next);
    }
}

TEST(TableHistoryTest, StatesAndLogFollowInsertsEditsAndDeletes)
{
    OpenStore s;
    Table &emp = s.dm.Emp;
    auto rename = [&](const QString &name) {
        emp.edit();
        emp.fieldByName(u"LName").setAsString(name);
        emp.post();
    };
    s.addEmp(u"Иванов"_s);
    EXPECT_EQ(HistoryOf(emp).states, (std::vector<int> { 4 }));
    rename(u"Иванова"_s);
    rename(u"Иванов"_s);
    s.addEmp(u"Петров"_s);
    emp.del();
    const History h = HistoryOf(emp);
    EXPECT_EQ(h.states, (std::vector<int> { 5, 13, 12, 6 }));
    EXPECT_EQ(h.log, (std::vector<std::array<quint32, 3>> { { 1, 0, 4 }, { 2, 1, 8 }, { 3, 2, 8 }, { 4, 0, 4 }, { 4, 0, 2 } }));
    EXPECT_EQ(Column(emp, u"LName"), QStringList { u"Иванов"_s });

    // Rows loaded unchanged (state 0): an edit supersedes with 1 and adds 8;
    // deleting that version gives 10.
    store::Packet clean = emp.toPacket();
    clean.rows = { clean.rows[2] };
    clean.rows[0].state = 0;
    clean.changeLog.clear();
    emp.loadFromPacket(clean);
    rename(u"Сидоров"_s);
    emp.del();
    const History h2 = HistoryOf(emp);
    EXPECT_EQ(h2.states, (std::vector<int> { 1, 10 }));
    EXPECT_EQ(h2.log, (std::vector<std::array<quint32, 3>> { { 2, 1, 8 }, { 2, 0, 2 } }));
}

TEST(TableHistoryTest, AnEditThatChangesNothingLeavesNoTrace)
{
    OpenStore s;
    s.addEmp(u"Иванов"_s, u""_s); // empty first name, null patronymic
    s.dm.Emp.loadFromPacket(s.dm.Emp.toPacket());
    ASSERT_FALSE(s.dm.Emp.changed());

    s.dm.Emp.edit();
    s.dm.Emp.fieldByName(u"LName").setAsString(u"Иванов  "_s); // stored as before
    s.dm.Emp.fieldByName(u"FName").setAsString(QString());
    s.dm.Emp.post();
    EXPECT_EQ(HistoryOf(s.dm.Emp).states, (std::vector<int> { 4 }));
    EXPECT_FALSE(s.dm.Emp.changed());

    // Null and empty text differ: filling the null patronymic with "" is a change.
    s.dm.Emp.edit();
    s.dm.Emp.fieldByName(u"MName").setAsString(QString());
    s.dm.Emp.post();
    EXPECT_EQ(HistoryOf(s.dm.Emp).states, (std::vector<int> { 5, 12 }));
    EXPECT_TRUE(s.dm.Emp.changed());
}

TEST(TableHistoryTest, CancelAndPendingRowsAreNeverStored)
{
    OpenStore s;
    s.addEmp(u"Иванов"_s);
    s.dm.Emp.insert();
    s.dm.Emp.fieldByName(u"LName").setAsString(u"Петров"_s);
    EXPECT_EQ(s.dm.Emp.recordCount(), 1);
    s.dm.Emp.cancel();
    s.dm.Emp.edit();
    s.dm.Emp.fieldByName(u"LName").setAsString(u"Сидоров"_s);
    EXPECT_EQ(s.dm.Emp.fieldByName(u"LName").asString(), u"Сидоров"_s);
    s.dm.Emp.cancel();
    EXPECT_EQ(s.dm.Emp.fieldByName(u"LName").asString(), u"Иванов"_s);
    EXPECT_EQ(s.dm.Emp.toPacket().rows.size(), 1u);
    EXPECT_EQ(s.dm.Emp.state(), Table::State::Browse);
}

// ---------------------------------------------------------------------------
// Navigation

TEST(TableNavigationTest, WalkCountLocateAndBookmarksWorkWithinTheView)
{
    OpenStore s;
    for (const QString &name : { u"Белов"_s, u"Волков"_s, u"Гусев"_s })
        s.addEmp(name);
    Table &emp = s.dm.Emp;
    QStringList walked;
    for (emp.first(); !emp.eof(); emp.next())
        walked << emp.fieldByName(u"LName").asString();
    EXPECT_EQ(walked, (QStringList { u"Белов"_s, u"Волков"_s, u"Гусев"_s }));
    EXPECT_EQ(emp.recordCount(), 3);
    EXPECT_EQ(emp.fieldByName(u"LName").asString(), u"Гусев"_s); // eof stays on the last row

    ASSERT_TRUE(emp.locate(u"lname", u"Волков"_s));
    EXPECT_EQ(emp.recNo(), 1);
    const Table::Bookmark mark = emp.bookmark();
    EXPECT_FALSE(emp.locate(u"LName", u"Волк"_s));
    EXPECT_EQ(emp.recNo(), 1); // a failed locate does not move
    emp.edit(); // a bookmark survives new versions of its row
    emp.fieldByName(u"MName").setAsString(u"И"_s);
    emp.post();
    emp.last();
    EXPECT_EQ(emp.recNo(), 2);
    emp.gotoBookmark(mark);
    EXPECT_EQ(emp.fieldByName(u"FIO").asString(), u"Волков И."_s);
    emp.prior();
    EXPECT_EQ(emp.recNo(), 0);
    emp.prior();
    EXPECT_TRUE(emp.bof());
    emp.setRecNo(2);
    EXPECT_EQ(emp.fieldByName(u"LName").asString(), u"Гусев"_s);
}

TEST(TableNavigationTest, DeleteMovesToTheFollowingRowOrThePrecedingAtTheEnd)
{
    OpenStore s;
    for (const QString &name : { u"А"_s, u"Б"_s, u"В"_s })
        s.addEmp(name);
    Table &emp = s.dm.Emp;
    emp.setRecNo(1);
    emp.del();
    EXPECT_EQ(emp.fieldByName(u"LName").asString(), u"В"_s);
    emp.del();
    EXPECT_EQ(emp.fieldByName(u"LName").asString(), u"А"_s);
    emp.del();
    EXPECT_EQ(emp.recordCount(), 0);
    EXPECT_TRUE(emp.eof());
    EXPECT_TRUE(emp.fieldByName(u"ID").isNull());
    EXPECT_EQ(emp.recNo(), -1);
}

// ---------------------------------------------------------------------------
// Master and detail

TEST(TableMasterDetailTest, PeriodsFollowTheCurrentEmployeeInHiringDateOrder)
{
    OpenStore s;
    s.addEmp(u"Белов"_s);
    s.addPeriod({ .begin = Day(2001, 1, 1), .place = u"Б"_s });
    s.addPeriod({ .begin = std::nullopt, .place = u"нет даты"_s });
    s.addPeriod({ .begin = Day(1999, 1, 1), .end = std::nullopt, .place = u"А"_s });
    s.addEmp(u"Волков"_s);
    EXPECT_EQ(s.dm.Exp.recordCount(), 0);
    s.addPeriod({ .begin = Day(1990, 1, 1), .place = u"В"_s });
    EXPECT_EQ(s.dm.Exp.fieldByName(u"EMP_ID").asInteger(), 2); // filled by the link

    ASSERT_TRUE(s.dm.Emp.locate(u"LName", u"Белов"_s));
    EXPECT_EQ(Column(s.dm.Exp, u"PLACE"), (QStringList { u"нет даты"_s, u"А"_s, u"Б"_s }));
    EXPECT_EQ(s.dm.Exp.recNo(), 0); // moved to the first row
    s.dm.Exp.last();
    s.dm.Emp.next();
    EXPECT_EQ(Column(s.dm.Exp, u"PLACE"), QStringList { u"В"_s });
    EXPECT_EQ(s.dm.Exp.fieldByName(u"PLACE").asString(), u"В"_s);
}

TEST(TableMasterDetailTest, AMasterMovePostsAChangedPendingRowAndCancelsAnUntouchedOne)
{
    OpenStore s;
    s.addEmp(u"Белов"_s);
    s.addEmp(u"Волков"_s);
    Table &exp = s.dm.Exp;

    exp.insert(); // only the link field: no change of its own
    EXPECT_FALSE(exp.modified());
    s.dm.Emp.first();
    EXPECT_EQ(exp.state(), Table::State::Browse);
    EXPECT_EQ(exp.toPacket().rows.size(), 0u);

    exp.insert();
    exp.fieldByName(u"PLACE").setAsString(u"Завод"_s);
    s.dm.Emp.next();
    EXPECT_EQ(exp.toPacket().rows.size(), 1u);
    EXPECT_EQ(exp.recordCount(), 0);
    s.dm.Emp.first();
    EXPECT_EQ(Column(exp, u"PLACE"), QStringList { u"Завод"_s });
}

TEST(TableMasterDetailTest, AnEmptyEmployeeTableShowsThePeriodsWithoutAnOwner)
{
    OpenStore s;
    s.addPeriod({ .begin = Day(2000, 1, 1) });
    EXPECT_TRUE(s.dm.Exp.fieldByName(u"EMP_ID").isNull());
    EXPECT_EQ(s.dm.Exp.recordCount(), 1);
    s.addEmp(u"Белов"_s);
    EXPECT_EQ(s.dm.Exp.recordCount(), 0);
    s.dm.Emp.del();
    EXPECT_EQ(s.dm.Exp.recordCount(), 1);
}

// ---------------------------------------------------------------------------
// Views

TEST(TableViewsTest, NestedSuspensionSilencesViewsAndDetailsUntilOneReset)
{
    OpenStore s;
    s.addEmp(u"Белов"_s);
    s.addPeriod({ .begin = Day(2000, 1, 1) });
    s.addEmp(u"Волков"_s);
    s.dm.Emp.first();
    Recorder empViews, expViews;
    s.dm.Emp.addObserver(&empViews);
    s.dm.Exp.addObserver(&expViews);
    int scrolls = 0;
    s.dm.setOutItog([&] { ++scrolls; });

    s.dm.Emp.disableControls();
    s.dm.Emp.disableControls();
    s.dm.Emp.next();
    s.addEmp(u"Гусев"_s);
    s.dm.Emp.first();
    s.dm.Emp.enableControls();
    EXPECT_TRUE(s.dm.Emp.controlsDisabled());
    s.dm.Emp.last();
    EXPECT_TRUE(empViews.events.isEmpty());
    EXPECT_TRUE(expViews.events.isEmpty());
    EXPECT_EQ(s.dm.Exp.recordCount(), 1); // still Белов's periods
    EXPECT_GE(scrolls, 3); // the table's own after-scroll still ran

    s.dm.Emp.enableControls();
    EXPECT_EQ(empViews.events, QStringList { u"reset"_s });
    EXPECT_EQ(expViews.events, QStringList { u"reset"_s }); // the detail caught up once
    EXPECT_EQ(s.dm.Exp.recordCount(), 0);
    s.dm.Emp.removeObserver(&empViews);
    s.dm.Exp.removeObserver(&expViews);
}

TEST(TableViewsTest, CalculatedFieldsAreRecomputedOnEveryFetch)
{
    OpenStore s;
    s.addEmp(u"Белов"_s, u"Пётр"_s);
    s.addEmp(u"Волков"_s);
    s.dm.Emp.first();
    EXPECT_EQ(s.dm.Emp.fieldByName(u"FIO").asString(), u"Белов П."_s);
    s.dm.Emp.withRecord(1, [&] { EXPECT_EQ(s.dm.Emp.fieldByName(u"FIO").asString(), u"Волков"_s); });
    EXPECT_EQ(s.dm.Emp.recNo(), 0); // drawing a row does not move
    s.dm.Emp.edit();
    s.dm.Emp.fieldByName(u"MName").setAsString(u"Ильич"_s);
    EXPECT_EQ(s.dm.Emp.fieldByName(u"FIO").asString(), u"Белов П. И."_s);
    s.dm.Emp.cancel();
    EXPECT_EQ(s.dm.Emp.fieldByName(u"FIO").asString(), u"Белов П."_s);
}

// ---------------------------------------------------------------------------
// Conversion to and from the data packet

TEST(TablePacketTest, ARoundTripRestoresRowsStatesLogAndCounter)
{
    OpenStore s;
    s.addEmp(u"Белов"_s, u"Пётр"_s);
    s.addPeriod({ .begin = Day(2000, 1, 1), .end = Day(2001, 2, 3), .tst = true });
    s.addPeriod({ .begin = Day(2002, 1, 1), .nst = true, .chk = std::nullopt });
    s.dm.Exp.first();
    s.dm.Exp.del();
    const store::Packet before = s.dm.Exp.toPacket();

    const std::vector<store::PacketColumn> &cols = before.columns;
    ASSERT_EQ(cols.size(), 9u); // the calculated fields are not stored
    EXPECT_EQ(cols[0].attrName, "ID");
    EXPECT_TRUE(cols[0].isAutoInc());
    EXPECT_TRUE(cols[0].readOnly);
    EXPECT_EQ(cols[1].attrName, "Emp_ID");
    EXPECT_EQ(cols[2].width, 100);
    EXPECT_EQ(cols[3].typeToken, "date");
    EXPECT_EQ(cols[8].typeToken, "boolean");

    s.dm.Exp.loadFromPacket(before);
    EXPECT_EQ(s.dm.Exp.toPacket(), before);
    EXPECT_FALSE(s.dm.Exp.changed());
    EXPECT_EQ(Column(s.dm.Exp, u"DATEEND"), QStringList { QString() });
    EXPECT_TRUE(s.dm.Exp.fieldByName(u"CHK").isNull());
}

TEST(TablePacketTest, LoadingMatchesTheFileAgainstTheDefinition)
{
    auto drop = [](store::Packet &p, const char *name) {
        std::erase_if(p.columns, [&](const store::PacketColumn &c) { return c.attrName == name; });
        for (store::PacketRow &r : p.rows)
            r.values.pop_back(); // the rows carry no values in these cases
    };
    struct Case {
        const char *name;
        std::function<void(store::Packet &)> change;
        QString error;
    };
    const Case cases[] = {
        { "missing field", [&](store::Packet &p) { drop(p, "MName"); }, u"Field 'MName' not found"_s },
        { "identifier without Autoinc",
          [](store::Packet &p) { p.columns[0].subType.clear(); },
          u"Type mismatch for field 'ID', expecting: AutoInc actual: Integer"_s },
        { "name stored as a date",
          [](store::Packet &p) { p.columns[2] = ColumnOfType("LName", "date"); },
          u"Type mismatch for field 'LName', expecting: String actual: Date"_s },
        { "name stored as wide text",
          [](store::Packet &p) { p.columns[1].typeToken = "string.uni"; },
          u"Type mismatch for field 'FName', expecting: String actual: WideString"_s },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OpenStore s;
        store::Packet p = s.dm.Emp.toPacket();
        c.change(p);
        EXPECT_EQ(ErrorOf([&] { s.dm.Emp.loadFromPacket(p); }), c.error);
        EXPECT_FALSE(s.dm.Emp.active());
    }
}

TEST(TablePacketTest, NamesIgnoreCaseNarrowTextShrinksAndExtraColumnsAreKept)
{
    OpenStore s;
    s.addEmp(u"Белов"_s);
    store::Packet p = s.dm.Emp.toPacket();
    p.columns[2].attrName = "LNAME";
    p.columns[2].width = 10;
    p.columns.push_back(ColumnOfType("NOTE", "r8"));
    p.rows[0].values.push_back(QByteArray("1.5"));
    s.dm.Emp.loadFromPacket(p);

    store::Field &last = s.dm.Emp.fieldByName(u"LName");
    EXPECT_EQ(last.size(), 10);
    EXPECT_EQ(last.asString(), u"Белов"_s);
    EXPECT_EQ(s.dm.Emp.findField(u"NOTE"), nullptr);
    s.addEmp(u"Александров-Петров"_s);
    EXPECT_EQ(last.asString(), u"Александро"_s);

    const store::Packet saved = s.dm.Emp.toPacket();
    ASSERT_EQ(saved.columns.size(), 5u);
    EXPECT_EQ(saved.columns[2].attrName, "LNAME");
    EXPECT_EQ(saved.rows[0].values[4], store::PacketValue(QByteArray("1.5")));
    EXPECT_TRUE(store::IsNull(saved.rows[1].values[4]));

    // A fresh table gets its defined size back.
    s.dm.Emp.createDataSet();
    EXPECT_EQ(last.size(), 50);
}

TEST(TablePacketTest, ATableWithoutDefinitionTakesTheFileColumns)
{
    OpenStore s;
    s.addEmp(u"Белов"_s);
    s.addPeriod({ .begin = Day(2000, 1, 1), .tst = true });
    store::Packet p = s.dm.Exp.toPacket();
    p.columns[1].attrName = "EMP_ID";
    p.columns.push_back(ColumnOfType("BLOB", "bin.hex"));
    p.rows[0].values.push_back(QByteArray("00"));

    Table tmp(u"Tmp"_s);
    tmp.loadFromPacket(p);
    EXPECT_EQ(tmp.fieldCount(), 9); // the raw column is kept but has no field
    tmp.first();
    EXPECT_EQ(tmp.fieldByName(u"emp_id").asInteger(), 1);
    EXPECT_EQ(tmp.fieldByName(u"DATEBEG").value(), QVariant(QDate(2000, 1, 1)));
    EXPECT_EQ(tmp.fieldByName(u"PLACE").dataType(), FieldType::String);
    EXPECT_EQ(tmp.fieldByName(u"ID").dataType(), FieldType::AutoInc);
    EXPECT_EQ(tmp.toPacket(), p);
    tmp.close();
    EXPECT_EQ(tmp.fieldCount(), 0);
}

} // namespace

namespace {

// ---------------------------------------------------------------------------
// Closing with a file name

TEST(TableCloseTest, WritesOnlyWhenChangedOrWhenTheFileIsMissing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"Employees.xml"_s);
    // Bytes no write would leave: they show whether close() wrote.
    const QByteArray marker("untouched");
    auto mark = [&] {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(marker);
    };
    auto content = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };

    store::Tdm dm;
    Table &emp = dm.Emp;
    emp.setFileName(path);
    emp.createDataSet();
    emp.close(); // no file yet: written although unchanged
    ASSERT_NE(content(), QByteArray());

    struct Case {
        const char *name;
        std::function<void()> act;
        bool writes;
    };
    const Case cases[] = {
        { "nothing done", [] {}, false },
        { "pending insert discarded",
          [&] {
              emp.insert();
              emp.fieldByName(u"LName").setAsString(u"Иванов"_s);
          },
          false },
        { "posted insert",
          [&] {
              emp.insert();
              emp.fieldByName(u"LName").setAsString(u"Иванов"_s);
              emp.post();
          },
          true },
        { "edit that changes nothing",
          [&] {
              emp.edit();
              emp.fieldByName(u"LName").setAsString(u"Иванов"_s);
              emp.post();
          },
          false },
        { "delete", [&] { emp.del(); }, true },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const store::Packet before = store::ReadPacketFile(path);
        emp.loadFromFile(path);
        mark();
        c.act();
        emp.close();
        EXPECT_FALSE(emp.active());
        if (c.writes) {
            ASSERT_NE(content(), marker);
            emp.loadFromFile(path);
            EXPECT_EQ(emp.toPacket().changeLog.size(), before.changeLog.size() + 1);
            emp.close();
        } else {
            EXPECT_EQ(content(), marker);
            store::WritePacketFile(path, before); // the next case starts from a real file
        }
    }
}

TEST(TableCloseTest, AFileThatDoesNotFitLeavesTheTableClosed)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"Experience_v2.xml"_s);
    OpenStore s;
    s.dm.Emp.saveToFile(path); // an employee file where periods are expected
    EXPECT_EQ(ErrorOf([&] { s.dm.Exp.loadFromFile(path); }), u"Field 'Emp_ID' not found"_s);
    EXPECT_FALSE(s.dm.Exp.active());
    EXPECT_EQ(s.dm.Exp.recordCount(), 0);
}

} // namespace
