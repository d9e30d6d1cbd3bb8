#include "tableFixture.h"

#include "platform/locale.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tablefixture;
using store::Table;
using store::TExpItog;

namespace {

// A summary pane that keeps its lines.
struct Pane : store::TextPane {
    QStringList lines { u"typed by the user"_s };
    void clear() override { lines.clear(); }
    void addLine(const QString &line) override { lines << line; }
};

const QString kZero = u"0 лет 0 месяцев 0 дней"_s;

std::vector<quint32> LogKinds(const Table &t)
{
    std::vector<quint32> kinds;
    for (const store::ChangeLogEntry &e : t.toPacket().changeLog)
        kinds.push_back(e.kind);
    return kinds;
}

// ---------------------------------------------------------------------------
// Display fields

TEST(TdmCalcFieldsTest, ShortNameTakesTheInitialsOfTheNonBlankParts)
{
    struct Case {
        const char *name;
        QString last;
        std::optional<QString> first, middle;
        QString fio;
    };
    const Case cases[] = {
        { "all parts", u"Иванов"_s, u"Пётр"_s, u"Сергеевич"_s, u"Иванов П. С."_s },
        { "no patronymic", u"Иванов"_s, u"Пётр"_s, std::nullopt, u"Иванов П."_s },
        { "surname only", u"Иванов"_s, std::nullopt, std::nullopt, u"Иванов"_s },
        { "empty first name", u"Иванов"_s, QString(), u"Сергеевич"_s, u"Иванов С."_s },
        { "first name of blanks", u"Иванов"_s, u"   "_s, std::nullopt, u"Иванов"_s },
        { "leading blank is the initial", u"Иванов"_s, u" Пётр"_s, std::nullopt, u"Иванов  ."_s },
        { "no-break space is no blank", u"Иванов"_s, u"\u00A0"_s, std::nullopt, u"Иванов \u00A0."_s },
        { "tab before the patronymic", u"Иванов"_s, u"Пётр"_s, u"\tС"_s, u"Иванов П. \t."_s },
        { "cut to fifty, then the trailing blank", QString(49, u'Ж'), u"Пётр"_s, std::nullopt, QString(49, u'Ж') },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OpenStore s;
        s.addEmp(c.last, c.first, c.middle);
        EXPECT_EQ(s.dm.Emp.fieldByName(u"FIO").asString(), c.fio);
    }
}

TEST(TdmCalcFieldsTest, FlagTextsSayDaOnlyForTrueAndTheCheckColumnStaysEmpty)
{
    OpenStore s;
    s.addEmp(u"Иванов"_s);
    s.dm.Exp.insert();
    s.dm.Exp.fieldByName(u"TST").setAsBoolean(true);
    s.dm.Exp.fieldByName(u"NST").setAsBoolean(false); // STS stays null
    s.dm.Exp.fieldByName(u"CHK").setAsBoolean(true);
    s.dm.Exp.post();
    EXPECT_EQ(s.dm.Exp.fieldByName(u"CTST").asString(), u"Да"_s);
    EXPECT_EQ(s.dm.Exp.fieldByName(u"CNST").asString(), QString());
    EXPECT_EQ(s.dm.Exp.fieldByName(u"CSTS").asString(), QString());
    EXPECT_TRUE(s.dm.Exp.fieldByName(u"CCHK").isNull());
    s.dm.Exp.edit();
    s.dm.Exp.fieldByName(u"TST").clear();
    s.dm.Exp.fieldByName(u"STS").setAsBoolean(true);
    s.dm.Exp.post();
    EXPECT_EQ(s.dm.Exp.fieldByName(u"CTST").asString(), QString());
    EXPECT_EQ(s.dm.Exp.fieldByName(u"CSTS").asString(), u"Да"_s);
}

// ---------------------------------------------------------------------------
// Deleting an employee and the after-scroll callback

TEST(TdmEmpDelTest, DeletesTheEmployeeWithExactlyItsPeriods)
{
    OpenStore s;
    s.addEmp(u"Белов"_s);
    s.addPeriod({ .begin = Day(2000, 1, 1) });
    s.addPeriod({ .begin = Day(2001, 1, 1) });
    s.addEmp(u"Волков"_s);
    s.addPeriod({ .begin = Day(2002, 1, 1), .place = u"Волкова"_s });
    s.addEmp(u"Гусев"_s); // no periods
    ASSERT_TRUE(s.dm.Emp.locate(u"LName", u"Белов"_s));

    s.dm.EmpDel();
    EXPECT_EQ(Column(s.dm.Emp, u"LName"), (QStringList { u"Волков"_s, u"Гусев"_s }));
    EXPECT_EQ(Column(s.dm.Exp, u"PLACE"), QStringList { u"Волкова"_s }); // the next employee's
    EXPECT_EQ(LogKinds(s.dm.Exp), (std::vector<quint32> { 4, 4, 4, 2, 2 }));

    ASSERT_TRUE(s.dm.Emp.locate(u"LName", u"Гусев"_s));
    s.dm.EmpDel();
    EXPECT_EQ(Column(s.dm.Emp, u"LName"), QStringList { u"Волков"_s });
    EXPECT_EQ(LogKinds(s.dm.Exp).size(), 5u);
    EXPECT_EQ(LogKinds(s.dm.Emp), (std::vector<quint32> { 4, 4, 4, 2, 2 }));
}

TEST(TdmEmpDelTest, OnAnEmptyTableDoesNothing)
{
    OpenStore s;
    s.addPeriod({ .begin = Day(2000, 1, 1) }); // a period of nobody stays
    s.dm.EmpDel();
    EXPECT_EQ(s.dm.Exp.recordCount(), 1);
    EXPECT_EQ(LogKinds(s.dm.Exp), std::vector<quint32> { 4 });
    EXPECT_TRUE(LogKinds(s.dm.Emp).empty());
}

TEST(TdmAfterScrollTest, EveryEmployeeMoveRefreshesTheSummaryOnceInstalled)
{
    OpenStore s;
    s.addEmp(u"Белов"_s);
    s.addEmp(u"Волков"_s);
    s.dm.Emp.first(); // nothing installed yet: nothing happens
    QStringList seen;
    s.dm.setOutItog([&] { seen << s.dm.Emp.fieldByName(u"LName").asString(); });
    s.dm.Emp.next();
    s.dm.Emp.prior();
    ASSERT_TRUE(s.dm.Emp.locate(u"LName", u"Волков"_s));
    EXPECT_EQ(seen, (QStringList { u"Волков"_s, u"Белов"_s, u"Волков"_s }));
}

TEST(TdmAfterScrollTest, PeriodsFollowTheEmployeeBeforeTheSummaryIsBuilt)
{
    OpenStore s;
    s.addEmp(u"Белов"_s);
    s.addPeriod({ .begin = Day(1990, 3, 1), .end = Day(1995, 8, 15), .tst = true, .chk = true });
    s.addEmp(u"Волков"_s);
    QStringList seen;
    s.dm.setOutItog([&] { seen << s.dm.Emp.fieldByName(u"LName").asString() + u':' + s.dm.ExpItog(Day(2005, 3, 1)).TST; });
    s.dm.Emp.first();
    s.dm.Emp.next();
    EXPECT_EQ(seen, (QStringList { u"Белов:5 лет 5 месяцев 15 дней"_s, u"Волков:"_s }));
}

// ---------------------------------------------------------------------------
// Service results

TEST(TdmExpItogTest, ThreeKindsOnAReferenceDate)
{
    using Period = OpenStore::Period;
    struct Case {
        const char *name;
        std::vector<Period> periods;
        double vdt;
        TExpItog expected; // TST, STS, NST
    };
    const QString year1 = u"1 год 0 месяцев 1 день"_s;
    const double endOf2000 = Day(2000, 12, 31);
    const Case cases[] = {
        { "worked example",
          { { .begin = Day(1990, 3, 1), .end = Day(1995, 8, 15), .tst = true, .sts = true },
            { .begin = Day(1995, 8, 16), .tst = true, .nst = true },
            { .begin = Day(1993, 1, 1), .end = Day(1994, 12, 31), .sts = true, .chk = false } },
          double(Day(2005, 3, 1)),
          { u"15 лет 0 месяцев 1 день"_s, u"5 лет 5 месяцев 15 дней"_s, u"9 лет 6 месяцев 16 дней"_s } },
        { "all unselected",
          { { .begin = Day(2000, 1, 1), .tst = true, .sts = true, .nst = true, .chk = false },
            { .begin = Day(2001, 1, 1), .tst = true, .sts = true, .nst = true, .chk = std::nullopt } },
          endOf2000,
          { kZero, kZero, kZero } },
        { "open period counts to the reference day",
          { { .begin = Day(2000, 1, 1), .tst = true, .sts = true, .nst = true } },
          endOf2000,
          { year1, year1, year1 } },
        { "open period on a mid-year day",
          { { .begin = Day(2000, 1, 1), .tst = true } },
          double(Day(2000, 6, 30)),
          { u"0 лет 6 месяцев 0 дней"_s, kZero, kZero } },
        { "end after the reference day is clamped",
          { { .begin = Day(2000, 1, 1), .end = Day(2005, 12, 31), .sts = true } },
          endOf2000,
          { kZero, year1, kZero } },
        { "time of day is dropped",
          { { .begin = Day(2000, 1, 1), .nst = true } },
          endOf2000 + 0.99,
          { kZero, kZero, year1 } },
        { "overlapping periods count once",
          { { .begin = Day(2000, 1, 1), .end = Day(2000, 12, 31), .tst = true },
            { .begin = Day(2000, 3, 1), .end = Day(2000, 4, 30), .tst = true } },
          endOf2000,
          { year1, kZero, kZero } },
        { "begins after the reference day",
          { { .begin = Day(2001, 6, 1), .tst = true } },
          endOf2000,
          { kZero, kZero, kZero } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OpenStore s;
        s.addEmp(u"Иванов"_s);
        for (const Period &p : c.periods)
            s.addPeriod(p);
        const TExpItog got = s.dm.ExpItog(c.vdt);
        EXPECT_EQ(got.TST, c.expected.TST);
        EXPECT_EQ(got.STS, c.expected.STS);
        EXPECT_EQ(got.NST, c.expected.NST);
    }
}

TEST(TdmExpItogTest, ZeroMeansToday)
{
    OpenStore s;
    s.addEmp(u"Иванов"_s);
    s.addPeriod({ .begin = Day(2000, 1, 1), .tst = true });
    platform::SetClockForTesting([] { return Day(2000, 6, 30) + 0.4; });
    const TExpItog got = s.dm.ExpItog(0);
    platform::SetClockForTesting({});
    EXPECT_EQ(got.TST, u"0 лет 6 месяцев 0 дней"_s);
}

TEST(TdmExpItogTest, NoPeriodsOrNoEmployeeGiveEmptyResults)
{
    OpenStore s;
    const TExpItog none = s.dm.ExpItog(Day(2005, 3, 1));
    EXPECT_TRUE(none.TST.isEmpty() && none.STS.isEmpty() && none.NST.isEmpty());
    s.addEmp(u"Иванов"_s);
    const TExpItog empty = s.dm.ExpItog(Day(2005, 3, 1));
    EXPECT_TRUE(empty.TST.isEmpty() && empty.STS.isEmpty() && empty.NST.isEmpty());
}

TEST(TdmExpItogTest, TheWalkLeavesThePeriodListWhereItWasWithOneReset)
{
    OpenStore s;
    s.addEmp(u"Белов"_s);
    s.addEmp(u"Волков"_s);
    for (int y : { 2003, 2001, 2002 })
        s.addPeriod({ .begin = Day(y, 1, 1), .tst = true });
    s.dm.Exp.setRecNo(1);
    const Table::Bookmark before = s.dm.Exp.bookmark();
    const int empRow = s.dm.Emp.recNo();
    Recorder empViews, expViews;
    s.dm.Emp.addObserver(&empViews);
    s.dm.Exp.addObserver(&expViews);

    Pane pane;
    s.dm.pOutItog(Day(2005, 3, 1), pane);
    EXPECT_EQ(pane.lines.value(3), u"  Трудовой, общий стаж - 4 года 2 месяца 1 день"_s);
    EXPECT_EQ(s.dm.Exp.bookmark(), before);
    EXPECT_EQ(s.dm.Exp.recNo(), 1);
    EXPECT_EQ(s.dm.Emp.recNo(), empRow);
    EXPECT_FALSE(s.dm.Exp.controlsDisabled());
    EXPECT_EQ(expViews.events, QStringList { u"reset"_s });
    EXPECT_TRUE(empViews.events.isEmpty());
    s.dm.Emp.removeObserver(&empViews);
    s.dm.Exp.removeObserver(&expViews);
}

TEST(TdmExpItogTest, AFailedCalculationEmptiesAllThreeAndRestoresThePosition)
{
    OpenStore s;
    s.addEmp(u"Иванов"_s);
    s.addPeriod({ .begin = Day(2000, 1, 1), .end = Day(2000, 12, 31), .tst = true, .sts = true });
    s.addPeriod({ .begin = Day(2001, 1, 1), .nst = true }); // open: runs to the reference day
    s.dm.Exp.first();
    // A reference day beyond the year 9999 is no date the sum accepts; the
    // continuous service is computed last, after the other two succeeded.
    const double farFuture = Day(9999, 12, 31) + 1000.0;
    const TExpItog got = s.dm.ExpItog(farFuture);
    EXPECT_TRUE(got.TST.isEmpty());
    EXPECT_TRUE(got.STS.isEmpty());
    EXPECT_TRUE(got.NST.isEmpty());
    EXPECT_EQ(s.dm.Exp.recNo(), 0);
    EXPECT_FALSE(s.dm.Exp.controlsDisabled());

    Pane pane;
    s.dm.pOutItog(farFuture, pane);
    EXPECT_EQ(pane.lines.mid(3), (QStringList { u"  Трудовой, общий стаж - "_s,
                                                u"  Страховой, дающий право на льготы стаж - "_s,
                                                u"  Непрерывный стаж - "_s }));
}

// ---------------------------------------------------------------------------
// The summary text

TEST(TdmSummaryTest, PaneLinesForTheEmployeeCases)
{
    const QString heading = u"Итоги по стажу на "_s + platform::FormatShortDate(QDate(2005, 3, 1));
    const QStringList labelsOnly { u"Итого:"_s, u"  Трудовой, общий стаж - "_s,
                                   u"  Страховой, дающий право на льготы стаж - "_s, u"  Непрерывный стаж - "_s };

    OpenStore s;
    Pane pane;
    s.dm.pOutItog(Day(2005, 3, 1) + 0.5, pane);
    EXPECT_EQ(pane.lines, QStringList { heading }); // no employee: the heading alone

    s.addEmp(u"Иванов"_s, u"Пётр"_s); // no patronymic, no periods
    s.dm.pOutItog(Day(2005, 3, 1), pane);
    EXPECT_EQ(pane.lines, (QStringList { heading, u"Иванов Пётр "_s } + labelsOnly));

    s.addEmp(u"Петров"_s, QString(), u"Ильич"_s);
    s.addPeriod({ .begin = Day(1990, 3, 1), .end = Day(1995, 8, 15), .tst = true, .sts = true });
    s.addPeriod({ .begin = Day(1995, 8, 16), .tst = true, .nst = true });
    s.dm.pOutItog(Day(2005, 3, 1), pane);
    EXPECT_EQ(pane.lines, (QStringList { heading, u"Петров  Ильич"_s, u"Итого:"_s,
                                         u"  Трудовой, общий стаж - 15 лет 0 месяцев 1 день"_s,
                                         u"  Страховой, дающий право на льготы стаж - 5 лет 5 месяцев 15 дней"_s,
                                         u"  Непрерывный стаж - 9 лет 6 месяцев 16 дней"_s }));
}

TEST(TdmSummaryTest, WordFormsComeFromTheArithmetic)
{
    store::Tdm dm;
    EXPECT_EQ(dm.WrYears(1), u"год"_s);
    EXPECT_EQ(dm.WrMonths(3), u"месяца"_s);
    EXPECT_EQ(dm.WrDays(11), u"дней"_s);
}

} // namespace
