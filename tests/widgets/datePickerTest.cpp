#include "widgets/datePicker.h"

#include "platform/clock.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using widgets::TDateTimePicker;

namespace {

class DatePickerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        picker.setDate(QDate(2017, 3, 15));
        picker.show();
        QApplication::setActiveWindow(&picker);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&picker));
        picker.setFocus();
    }

    TDateTimePicker picker;
    QSignalSpy changed { &picker, &TDateTimePicker::changed };
    QSignalSpy closeUp { &picker, &TDateTimePicker::closeUp };
};

TEST_F(DatePickerTest, ProgramChangesAreSilentUserChangesAreReported)
{
    picker.setDate(QDate(2020, 1, 1));
    picker.setDateTime(1000.75);
    picker.setShowCheckbox(true);
    picker.setChecked(false);
    picker.setChecked(true);
    EXPECT_EQ(changed.count(), 0);

    picker.setDate(QDate(2017, 3, 15));
    QDateEdit *edit = picker.dateEdit();
    edit->setFocus();
    edit->setCurrentSection(QDateTimeEdit::DaySection);
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(picker.date(), QDate(2017, 3, 16));
    EXPECT_EQ(changed.count(), 1);

    edit->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClicks(edit, QStringLiteral("20"));
    EXPECT_EQ(picker.date(), QDate(2017, 3, 20));
    EXPECT_GE(changed.count(), 2);

    const int before = changed.count();
    QTest::mouseClick(picker.checkBox(), Qt::LeftButton);
    EXPECT_FALSE(picker.checked());
    EXPECT_EQ(changed.count(), before + 1);
}

TEST_F(DatePickerTest, CheckBoxDecidesWhetherThereIsADate)
{
    EXPECT_TRUE(picker.checked()) << "without a check box there always is a date";
    picker.setChecked(false);
    EXPECT_TRUE(picker.checked());
    EXPECT_TRUE(picker.dateEdit()->isEnabled());

    picker.setShowCheckbox(true);
    EXPECT_FALSE(picker.checked());
    EXPECT_FALSE(picker.dateEdit()->isEnabled());
    // The date stays readable while there is none.
    EXPECT_EQ(picker.date(), QDate(2017, 3, 15));

    picker.setChecked(true);
    EXPECT_TRUE(picker.checked());
    EXPECT_TRUE(picker.dateEdit()->isEnabled());
}

TEST_F(DatePickerTest, DaysConvertBothWaysOverTheWholeRange)
{
    const struct {
        double dateTime;
        QDate date;
    } cases[] = {
        { 0.0, QDate(1899, 12, 30) },
        { 42809.99, QDate(2017, 3, 15) },
        { 2958465.0, QDate(9999, 12, 31) },
    };
    for (const auto &c : cases) {
        picker.setDateTime(c.dateTime);
        EXPECT_EQ(picker.date(), c.date) << c.dateTime;
        EXPECT_EQ(picker.dateTime(), platform::WholeDay(c.dateTime)) << c.dateTime;
    }
}

TEST_F(DatePickerTest, PickingInTheCalendarChangesTheDateAndClosesUp)
{
    QDateEdit *edit = picker.dateEdit();
    edit->setFocus();
    // A click on the drop-down arrow at the right end opens the calendar.
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 4, edit->height() / 2));
    QCalendarWidget *calendar = edit->calendarWidget();
    ASSERT_TRUE(calendar->window()->isVisible());
    EXPECT_EQ(closeUp.count(), 0);

    QWidget *days = calendar->focusWidget() ? calendar->focusWidget() : calendar;
    QTest::keyClick(days, Qt::Key_Right);
    EXPECT_EQ(picker.date(), QDate(2017, 3, 16));
    EXPECT_EQ(changed.count(), 1);

    QTest::keyClick(days, Qt::Key_Return);
    EXPECT_FALSE(calendar->window()->isVisible());
    EXPECT_EQ(closeUp.count(), 1);
    EXPECT_EQ(picker.date(), QDate(2017, 3, 16));
}

} // namespace

namespace {

const QDate kToday(2026, 12, 10);

// A small form as the dialogs build it: an edit field, the picker, another
// edit field; the focus arrives in the picker by Tab and leaves it by Tab.
class TypedDateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetClockForTesting([] { return double(platform::DayFromDate(kToday)) + 0.5; });
        window.resize(300, 100);
        before = new QLineEdit(&window);
        before->setGeometry(4, 4, 200, 24);
        picker = new TDateTimePicker(&window);
        picker->setGeometry(4, 34, 160, 24);
        after = new QLineEdit(&window);
        after->setGeometry(4, 64, 200, 24);
        picker->setDate(kToday);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        before->setFocus();
    }
    void TearDown() override { platform::SetClockForTesting({}); }

    static void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    static void type(const char *keys)
    {
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(keys));
    }
    // Tab from the field before the picker.
    void tabIn(QDate start = kToday)
    {
        picker->setDate(start);
        before->setFocus();
        key(Qt::Key_Tab);
    }
    QString shown() const { return picker->dateEdit()->text(); }
    QString selected() const { return picker->dateEdit()->findChild<QLineEdit *>()->selectedText(); }

    QWidget window;
    QLineEdit *before = nullptr;
    TDateTimePicker *picker = nullptr;
    QLineEdit *after = nullptr;
};

TEST_F(TypedDateTest, TypedDigitsFillDayMonthAndYearAndShowAsTyped)
{
    const struct {
        const char *keys;
        const char *shownWhileTyping;
        QDate date;
    } cases[] = {
        { "01.03.1990", "01.03.1990", QDate(1990, 3, 1) },
        { "01031990", "01.03.1990", QDate(1990, 3, 1) },
        { "1.3.1990", "01.03.1990", QDate(1990, 3, 1) },
        { "1,3/1990", "01.03.1990", QDate(1990, 3, 1) },
        { "1-3 1990", "01.03.1990", QDate(1990, 3, 1) },
        // No two-digit day begins with 4, no month with 2: one digit does.
        { "4.7.2001", "04.07.2001", QDate(2001, 7, 4) },
        { "472001", "04.07.2001", QDate(2001, 7, 4) },
        { "15.08.95", "15.08.95", QDate(1995, 8, 15) },
        { "31.12.25", "31.12.25", QDate(2025, 12, 31) },
        { "15.08.7", "15.08.7", QDate(2007, 8, 15) },
        // Only the day: the rest stays.
        { "25", "25.12.2026", QDate(2026, 12, 25) },
        { "2", "2.12.2026", QDate(2026, 12, 2) },
    };
    for (const auto &c : cases) {
        tabIn();
        ASSERT_EQ(QApplication::focusWidget(), picker->dateEdit()) << c.keys;
        type(c.keys);
        EXPECT_EQ(shown(), QString::fromLatin1(c.shownWhileTyping)) << c.keys;
        key(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), after) << c.keys;
        EXPECT_EQ(picker->date(), c.date) << c.keys;
        EXPECT_EQ(shown(), c.date.toString(u"dd.MM.yyyy")) << c.keys;
    }
}

TEST_F(TypedDateTest, TwoDigitYearsLieWithinEightyYearsBackAndNineteenAhead)
{
    const struct {
        int thisYear;
        const char *year;
        int fullYear;
    } cases[] = {
        { 2026, "46", 1946 },
        { 2026, "45", 2045 },
        { 2026, "00", 2000 },
        { 2026, "99", 1999 },
        { 2050, "69", 2069 },
        { 2050, "70", 1970 },
    };
    for (const auto &c : cases) {
        const QDate today(c.thisYear, 6, 1);
        platform::SetClockForTesting([today] { return double(platform::DayFromDate(today)); });
        tabIn(QDate(2010, 5, 20));
        key(Qt::Key_End);
        type(c.year);
        key(Qt::Key_Tab);
        EXPECT_EQ(picker->date(), QDate(c.fullYear, 5, 20)) << c.thisYear << " " << c.year;
    }
}

TEST_F(TypedDateTest, ValueStaysARealDayInsideTheRange)
{
    const struct {
        QDate start;
        const char *keys;
        QDate date;
    } cases[] = {
        // Day 0, month 13 and year 0 name nothing: the value keeps its own.
        { kToday, "00.13.0000", kToday },
        { kToday, "00", kToday },
        // A day the month lacks becomes its last day.
        { kToday, "31.02.2023", QDate(2023, 2, 28) },
        { kToday, "30.02.2024", QDate(2024, 2, 29) },
        { QDate(2026, 1, 31), ".04", QDate(2026, 4, 30) },
        // Years the picker cannot hold end at its first day.
        { kToday, "01.01.1800", QDate(1899, 12, 30) },
    };
    for (const auto &c : cases) {
        tabIn(c.start);
        type(c.keys);
        key(Qt::Key_Tab);
        EXPECT_EQ(picker->date(), c.date) << c.keys;
        EXPECT_EQ(shown(), c.date.toString(u"dd.MM.yyyy")) << c.keys;
    }
}

TEST_F(TypedDateTest, DayTypedBeyondTheMonthComesBackWithALongerMonth)
{
    tabIn();
    type("31.02.2024");
    EXPECT_EQ(picker->date(), QDate(2024, 2, 29));
    key(Qt::Key_Home);
    key(Qt::Key_Right);
    type("03");
    EXPECT_EQ(picker->date(), QDate(2024, 3, 31));
}

TEST_F(TypedDateTest, ArrowsMoveBetweenAndStepTheSections)
{
    tabIn();
    EXPECT_EQ(picker->dateEdit()->currentSection(), QDateTimeEdit::DaySection);
    EXPECT_EQ(selected(), u"10");

    key(Qt::Key_Right);
    EXPECT_EQ(selected(), u"12");
    key(Qt::Key_Down);
    EXPECT_EQ(picker->date(), QDate(2026, 11, 10));
    key(Qt::Key_Left);
    EXPECT_EQ(selected(), u"10");
    key(Qt::Key_Up);
    EXPECT_EQ(picker->date(), QDate(2026, 11, 11));
    key(Qt::Key_End);
    EXPECT_EQ(selected(), u"2026");
    key(Qt::Key_Right); // stays on the last section
    EXPECT_EQ(selected(), u"2026");

    // Stepping a half-typed section steps what was typed.
    key(Qt::Key_Home);
    type("2");
    key(Qt::Key_Up);
    EXPECT_EQ(picker->date(), QDate(2026, 11, 3));
}

TEST_F(TypedDateTest, BackspaceAndEscapeTakeBackTypedDigits)
{
    tabIn();
    type("1");
    key(Qt::Key_Backspace);
    type("25");
    EXPECT_EQ(picker->date(), QDate(2026, 12, 25));

    type("1");
    EXPECT_EQ(shown(), u"25.1.2026");
    key(Qt::Key_Escape);
    EXPECT_EQ(shown(), u"25.12.2026");
    key(Qt::Key_Tab);
    EXPECT_EQ(picker->date(), QDate(2026, 12, 25));
}

TEST_F(TypedDateTest, EachTypedChangeIsReportedOnce)
{
    QSignalSpy changed(picker, &TDateTimePicker::changed);
    tabIn();
    EXPECT_EQ(changed.count(), 0) << "setting the date is not a change by the user";
    type("01.03.1990");
    EXPECT_EQ(changed.count(), 3) << "day, month and year";
    key(Qt::Key_Home);
    type("01.03.1990");
    key(Qt::Key_Tab);
    EXPECT_EQ(changed.count(), 3) << "the same day again changes nothing";
}

TEST_F(TypedDateTest, WindowShortcutsAndEnterSeeTheHalfTypedYear)
{
    // The calculation window recalculates on Ctrl+R with the focus still in
    // the picker; a dialog takes Enter for its default button.
    QList<QDate> seen;
    auto *calc = new QAction(&window);
    calc->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    window.addAction(calc);
    QObject::connect(calc, &QAction::triggered, [&] { seen.append(picker->date()); });

    tabIn();
    type("15.08.95");
    key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(selected(), u"1995");
    key(Qt::Key_Home);
    type("17.09.96");
    key(Qt::Key_Return);
    EXPECT_EQ(seen, QList<QDate> { QDate(1995, 8, 15) });
    EXPECT_EQ(picker->date(), QDate(1996, 9, 17));
}

TEST_F(TypedDateTest, TickedCheckBoxLeadsIntoTheDate)
{
    picker->setShowCheckbox(true);
    picker->setChecked(false);
    QSignalSpy changed(picker, &TDateTimePicker::changed);
    tabIn();
    EXPECT_EQ(QApplication::focusWidget(), picker->checkBox());
    EXPECT_FALSE(picker->dateEdit()->isEnabled());

    key(Qt::Key_Space);
    EXPECT_TRUE(picker->checked());
    key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), picker->dateEdit());
    EXPECT_EQ(selected(), u"10");
    type("01.03.1990");
    key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), after);
    EXPECT_EQ(picker->date(), QDate(1990, 3, 1));
    EXPECT_EQ(changed.count(), 4) << "the tick, then day, month and year";
}

} // namespace
