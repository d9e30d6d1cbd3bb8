#include "widgets/datePicker.h"

#include "platform/clock.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
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
