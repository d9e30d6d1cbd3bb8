#include "dialogs/Exp.h"
#include "formDriver.h"
#include "widgets/datePicker.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

using namespace Qt::StringLiterals;
using formtest::MessageLog;
using formtest::TypeText;
using formtest::WhenShown;

namespace {

const QDate kToday(2024, 5, 20);
const QString kDateRange = u"Не верный диапазон дат в периоде!\r\n"
                           u"Дата уволнения не может быть раньше или равна,\r\n"
                           u"дате принятия на работу!"_s;
const QString kBlankPlace = u"Укажите наименование место работы!"_s;

double Day(QDate date)
{
    return platform::DayFromDate(date);
}

// What the dialog showed when it opened.
struct Shown {
    QString caption;
    QString place;
    QDate begin;
    QDate end;
    bool endTicked = false;
    bool tst = false, sts = false, nst = false;
    bool operator==(const Shown &) const = default;
};

void PrintTo(const Shown &s, std::ostream *os)
{
    *os << s.caption.toStdString() << " | " << s.place.toStdString() << " | "
        << s.begin.toString(Qt::ISODate).toStdString() << " - " << s.end.toString(Qt::ISODate).toStdString()
        << (s.endTicked ? " ticked" : " cleared") << " | TST " << s.tst << " STS " << s.sts << " NST "
        << s.nst;
}

const QString kAddCaption = u"Добавление записи о стаже работника"_s;
const QString kEditCaption = u"Редактирование записи о стаже работника"_s;
const QString kCopyCaption = u"Добавление записи о стаже работника копированием"_s;

Shown Read(const TfExp &form)
{
    return { form.windowTitle(), form.edtPlace->text(), form.dtpDATEBEG->date(), form.dtpDATEEND->date(),
        form.dtpDATEEND->checked(), form.cbTST->isChecked(), form.cbSTS->isChecked(),
        form.cbNST->isChecked() };
}

// Opens a factory, records what it showed and cancels it.
Shown Open(TfExp *(*factory)(store::Table *), store::Table *table)
{
    Shown shown;
    WhenShown<TfExp>([&](TfExp &form) {
        shown = Read(form);
        QTest::keyClick(form.edtPlace, Qt::Key_Escape);
    });
    std::unique_ptr<TfExp> dlg(factory(table));
    EXPECT_EQ(dlg->modalResult(), TModalForm::mrCancel);
    return shown;
}

// What a view of the table is told.
struct ViewLog : store::TableObserver {
    int moves = 0;
    int resets = 0;
    void currentChanged(store::Table &) override { ++moves; }
    void reset(store::Table &) override { ++resets; }
};

class ExpDialog : public ::testing::Test {
protected:
    formtest::FixedToday today { kToday };
    formtest::OpenStore store;
    store::Table &exp = store.dm.Exp;
};

} // namespace

TEST_F(ExpDialog, AddWithoutPeriodsShowsTheDefaultsAtItsOuterSize)
{
    store.addEmployee(u"Иванов"_s);
    QSize outer;
    QWidget *focused = nullptr;
    int cancelRightGap = -1;
    Shown shown;
    WhenShown<TfExp>([&](TfExp &form) {
        shown = Read(form);
        outer = form.frameGeometry().size();
        focused = form.focusWidget();
        cancelRightGap = form.width() - form.btnCancel->geometry().right() - 1;
        form.btnCancel->click();
    });
    std::unique_ptr<TfExp> dlg(AddExpDlg(&exp));
    EXPECT_EQ(shown, (Shown { kAddCaption, QString(), kToday, kToday, false, true, true, false }));
    EXPECT_EQ(outer, QSize(485, 276));
    EXPECT_EQ(focused, dlg->edtPlace);
    EXPECT_EQ(cancelRightGap, 8);
}

TEST_F(ExpDialog, TabRunsThroughPlaceDatesFlagsThenButtons)
{
    TfExp dlg;
    dlg.Clear(); // dismissal cleared: its check box takes the focus, not the date
    EXPECT_EQ(formtest::TabChain(dlg.edtPlace),
        (QList<QWidget *> { dlg.edtPlace, dlg.dtpDATEBEG->dateEdit(), dlg.dtpDATEEND->checkBox(), dlg.cbTST,
            dlg.cbSTS, dlg.cbNST, dlg.btnOk, dlg.btnCancel }));
}

TEST_F(ExpDialog, AddProposesTheDayAfterTheLatestDismissal)
{
    // Another employee's later dismissal must not count.
    store.addEmployee(u"Яковлев"_s);
    store.addPeriod(u"Чужое"_s, QDate(2018, 1, 1), QDate(2021, 6, 30));
    store.addEmployee(u"Андреев"_s);
    store.addPeriod(u"Завод"_s, QDate(2010, 1, 1), QDate(2015, 8, 31));
    const qint32 current = store.addPeriod(u"Фабрика"_s, QDate(2016, 1, 1), QDate(2017, 3, 15));
    store.addPeriod(u"Контора"_s, QDate(2019, 1, 1));
    ASSERT_TRUE(exp.locate(u"ID", current));
    const int currentRow = exp.recNo();
    ViewLog view;
    exp.addObserver(&view);

    EXPECT_EQ(Open(AddExpDlg, &exp).begin, QDate(2017, 3, 16));
    exp.removeObserver(&view);
    // The views did not follow the walk: one refresh at its end, and the
    // same period current as before.
    EXPECT_EQ(view.moves, 0);
    EXPECT_EQ(view.resets, 1);
    EXPECT_EQ(exp.fieldByName(u"ID").asInteger(), current);
    EXPECT_EQ(exp.recNo(), currentRow);
    EXPECT_FALSE(exp.controlsDisabled());
    EXPECT_EQ(exp.state(), store::Table::State::Browse);
}

TEST_F(ExpDialog, OnlyOpenPeriodsProposeToday)
{
    store.addEmployee(u"Андреев"_s);
    store.addPeriod(u"Завод"_s, QDate(2010, 1, 1));
    store.addPeriod(u"Фабрика"_s, QDate(2016, 1, 1));
    TfExp dlg;
    EXPECT_EQ(platform::WholeDay(dlg.getMaxDate(&exp)), Day(kToday));
    EXPECT_EQ(platform::WholeDay(dlg.getMaxDate(nullptr)), Day(kToday));
}

TEST_F(ExpDialog, CopyTakesPlaceAndFlagsButNotTheDates)
{
    store.addEmployee(u"Андреев"_s);
    store.addPeriod(u"Завод"_s, QDate(2010, 1, 1), QDate(2012, 4, 30), true, false, true);
    EXPECT_EQ(Open(CopyExpDlg, &exp),
        (Shown { kCopyCaption, u"Завод"_s, QDate(2012, 5, 1), kToday, false, true, false, true }));

    store.addEmployee(u"Борисов"_s); // no periods
    EXPECT_EQ(Open(CopyExpDlg, &exp),
        (Shown { kCopyCaption, QString(), kToday, kToday, false, true, true, false }));
}

TEST_F(ExpDialog, EditShowsTheRowWithAnOpenEndAsTodayCleared)
{
    store.addEmployee(u"Андреев"_s);
    store.addPeriod(u"Завод"_s, QDate(2010, 1, 1), QDate(2012, 4, 30), false, true, false);
    EXPECT_EQ(Open(EditExpDlg, &exp),
        (Shown {
            kEditCaption, u"Завод"_s, QDate(2010, 1, 1), QDate(2012, 4, 30), true, false, true, false }));

    store.addEmployee(u"Борисов"_s);
    store.addPeriod(u"Фабрика"_s, QDate(2016, 1, 1));
    EXPECT_EQ(Open(EditExpDlg, &exp),
        (Shown { kEditCaption, u"Фабрика"_s, QDate(2016, 1, 1), kToday, false, true, true, true }));

    // An empty hiring date reads as day 0.
    store.addEmployee(u"Васильев"_s);
    store.addPeriod(u"Артель"_s, QDate(), QDate(1950, 1, 1));
    EXPECT_EQ(Open(EditExpDlg, &exp),
        (Shown {
            kEditCaption, u"Артель"_s, QDate(1899, 12, 30), QDate(1950, 1, 1), true, true, true, true }));
}

TEST_F(ExpDialog, SavingAnOpenPeriodKeepsItsEndEmpty)
{
    store.addEmployee(u"Андреев"_s);
    store.addPeriod(u"Завод"_s, QDate(2016, 1, 1), QDate(), true, true, true, false);
    WhenShown<TfExp>([](TfExp &form) {
        form.edtPlace->clear();
        TypeText(form.edtPlace, u" Новый завод\t"_s);
        QTest::keyClick(form.edtPlace, Qt::Key_Return);
    });
    std::unique_ptr<TfExp> dlg(EditExpDlg(&exp));
    ASSERT_EQ(dlg->modalResult(), TModalForm::mrOk);

    exp.edit();
    ASSERT_TRUE(dlg->SaveToDS(&exp));
    exp.post();
    EXPECT_EQ(exp.fieldByName(u"PLACE").asString(), u"Новый завод"_s);
    EXPECT_TRUE(exp.fieldByName(u"DATEEND").isNull());
    EXPECT_EQ(exp.fieldByName(u"DATEBEG").asDateTime(), Day(QDate(2016, 1, 1)));
    // The mark is the list's business, not the dialog's.
    EXPECT_FALSE(exp.fieldByName(u"CHK").asBoolean());
}

TEST_F(ExpDialog, SaveToDsWritesByNameAndLeavesIdsAndMarkAlone)
{
    store.addEmployee(u"Андреев"_s);
    const qint32 employee = store.dm.Emp.fieldByName(u"ID").asInteger();
    TfExp dlg;
    dlg.Clear();
    dlg.setPlace(u"  Депо "_s);
    dlg.setDateBeg(Day(QDate(2001, 2, 3)) + 0.75);
    dlg.setDateEnd(Day(QDate(2004, 5, 6)));
    dlg.setSTS(false);
    dlg.setNST(true);
    dlg.setTST(false);

    EXPECT_FALSE(dlg.SaveToDS(nullptr));
    exp.insert();
    ASSERT_TRUE(dlg.SaveToDS(&exp));
    exp.post();
    EXPECT_EQ(exp.fieldByName(u"PLACE").asString(), u"Депо"_s);
    EXPECT_EQ(exp.fieldByName(u"DATEBEG").asDateTime(), Day(QDate(2001, 2, 3)));
    EXPECT_EQ(exp.fieldByName(u"DATEEND").asDateTime(), Day(QDate(2004, 5, 6)));
    EXPECT_FALSE(exp.fieldByName(u"STS").asBoolean());
    EXPECT_TRUE(exp.fieldByName(u"NST").asBoolean());
    EXPECT_FALSE(exp.fieldByName(u"TST").asBoolean());
    EXPECT_TRUE(exp.fieldByName(u"CHK").isNull());
    EXPECT_EQ(exp.fieldByName(u"EMP_ID").asInteger(), employee);
    EXPECT_FALSE(exp.fieldByName(u"ID").isNull());
    // In browsing state the table refuses the write and nothing is raised.
    EXPECT_FALSE(dlg.SaveToDS(&exp));
}

TEST_F(ExpDialog, ClosingChecksTheDateRangeFirstThenThePlace)
{
    const QDate begin(2020, 3, 10);
    const struct {
        const char *name;
        QString place;
        QDate end; // invalid: the dismissal stays cleared
        QStringList messages;
    } cases[] = {
        { "end on the hiring day", u"Завод"_s, begin, { kDateRange } },
        { "end before the hiring day", u"Завод"_s, begin.addDays(-1), { kDateRange } },
        { "bad range and blank place", u" \t"_s, begin, { kDateRange } },
        { "end the day after", u"Завод"_s, begin.addDays(1), {} },
        { "no end, any hiring day", u"Завод"_s, QDate(), {} },
        { "blank place", u"   "_s, begin.addDays(1), { kBlankPlace } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        MessageLog log;
        bool openAfterOk = false;
        WhenShown<TfExp>([&](TfExp &form) {
            form.setPlace(c.place);
            form.setDateBeg(Day(begin));
            if (c.end.isValid())
                form.setDateEnd(Day(c.end));
            else
                form.setDateEnd(Day(begin.addYears(-1))); // shown, but not ticked
            form.setIsDateEnd(c.end.isValid());
            QTest::keyClick(form.edtPlace, Qt::Key_Return);
            openAfterOk = form.isVisible();
            if (openAfterOk) {
                EXPECT_EQ(form.modalResult(), TModalForm::mrNone);
                EXPECT_EQ(form.edtPlace->text(), c.place);
                form.btnCancel->click();
            }
        });
        std::unique_ptr<TfExp> dlg(AddExpDlg(&exp));
        EXPECT_EQ(log.messages, c.messages);
        EXPECT_EQ(openAfterOk, !c.messages.isEmpty());
        EXPECT_EQ(dlg->modalResult(), c.messages.isEmpty() ? TModalForm::mrOk : TModalForm::mrCancel);
    }
}

TEST_F(ExpDialog, TickingTheDismissalByClickEnablesTheRangeCheck)
{
    MessageLog log;
    WhenShown<TfExp>([](TfExp &form) {
        TypeText(form.edtPlace, u"Завод"_s);
        // Clear leaves both dates on today: ticked, they make an empty range.
        QTest::mouseClick(form.dtpDATEEND->checkBox(), Qt::LeftButton);
        form.btnOk->click();
        QTest::mouseClick(form.dtpDATEEND->checkBox(), Qt::LeftButton);
        form.btnOk->click();
    });
    std::unique_ptr<TfExp> dlg(AddExpDlg(&exp));
    EXPECT_EQ(log.messages, QStringList { kDateRange });
    EXPECT_EQ(dlg->modalResult(), TModalForm::mrOk);
    EXPECT_FALSE(dlg->isDateEnd());
}

TEST_F(ExpDialog, CancelWithInvalidInputClosesWithoutMessages)
{
    MessageLog log;
    WhenShown<TfExp>([](TfExp &form) {
        form.setDateEnd(form.DateBeg()); // bad range, blank place
        form.close();
    });
    std::unique_ptr<TfExp> dlg(AddExpDlg(&exp));
    EXPECT_TRUE(log.messages.isEmpty());
    EXPECT_EQ(dlg->modalResult(), TModalForm::mrCancel);
}
