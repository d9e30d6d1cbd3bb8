#include "dialogs/Calc.h"
#include "formDriver.h"
#include "platform/locale.h"
#include "widgets/datePicker.h"
#include "widgets/memoPane.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QPushButton>
#include <QTableView>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using formtest::TypeText;
using formtest::WhenShown;

namespace {

const QDate kToday(2000, 12, 31);

QString Heading(QDate date)
{
    return u"Итоги по стажу на "_s + platform::FormatShortDate(date);
}

// The heading and the labour service line of the pane.
QStringList Summary(const TfCalc &form)
{
    const QStringList lines = form.meExp->lines();
    return { lines.value(0), lines.value(3) };
}

const QString kNote = u"заметка"_s;

// Types a note at the end of the pane, as the user may; true when it shows.
bool Scribble(TfCalc &form)
{
    form.meExp->moveCursor(QTextCursor::End);
    TypeText(form.meExp, kNote);
    return form.meExp->toPlainText().endsWith(kNote);
}

class CalcWindow : public ::testing::Test {
protected:
    CalcWindow()
    {
        store.addEmployee(u"Иванов"_s, u"Иван"_s, u"Иванович"_s);
        store.addPeriod(u"Завод"_s, QDate(2000, 1, 1));
    }
    // Runs act inside the shown window; the window is closed by Esc afterwards.
    void Show(std::function<void(TfCalc &)> act)
    {
        WhenShown<TfCalc>([act = std::move(act)](TfCalc &form) {
            // The offscreen platform does not activate windows by itself;
            // window shortcuts need the window to be the active one.
            QApplication::setActiveWindow(&form);
            act(form);
            QTest::keyClick(form.dtpDATE->dateEdit(), Qt::Key_Escape);
        });
        ShowCalc(store.dm);
    }

    formtest::FixedToday today { kToday };
    formtest::OpenStore store;
    // On the last day of 2000 the open period counts the whole year and a day.
    const QStringList onToday { Heading(kToday), u"  Трудовой, общий стаж - 1 год 0 месяцев 1 день"_s };
    const QStringList onTheDayBefore { Heading(kToday.addDays(-1)),
        u"  Трудовой, общий стаж - 1 год 0 месяцев 0 дней"_s };
};

} // namespace

TEST_F(CalcWindow, OpensOnTodaysSummaryWithTheFocusInThePicker)
{
    QStringList shown;
    QString caption, buttonText, buttonTip;
    QDate pickerDate;
    QSize outer;
    bool pickerFocused = false;
    int closeRightGap = -1;
    Show([&](TfCalc &form) {
        shown = form.meExp->lines();
        caption = form.windowTitle();
        buttonText = form.btnCalc->text();
        buttonTip = form.btnCalc->toolTip();
        pickerDate = form.dtpDATE->date();
        outer = form.frameGeometry().size();
        pickerFocused = form.dtpDATE->isAncestorOf(form.focusWidget());
        closeRightGap = form.width() - form.btnClose->mapTo(&form, QPoint(form.btnClose->width(), 0)).x();
    });
    EXPECT_EQ(caption, u"Расчёт на дату"_s);
    EXPECT_EQ(buttonText, u"Рассчитать"_s);
    EXPECT_EQ(buttonTip, u"Расчитать стаж на укзанную дату"_s);
    EXPECT_EQ(pickerDate, kToday);
    EXPECT_EQ(outer, QSize(700, 435));
    EXPECT_TRUE(pickerFocused);
    EXPECT_EQ(closeRightGap, 8);
    EXPECT_EQ(shown,
        (QStringList { Heading(kToday), u"Иванов Иван Иванович"_s, u"Итого:"_s,
            u"  Трудовой, общий стаж - 1 год 0 месяцев 1 день"_s,
            u"  Страховой, дающий право на льготы стаж - 1 год 0 месяцев 1 день"_s,
            u"  Непрерывный стаж - 1 год 0 месяцев 1 день"_s }));
}

TEST_F(CalcWindow, TabSkipsTheSummaryPane)
{
    TfCalc form(store.dm);
    EXPECT_EQ(formtest::TabChain(form.dtpDATE->dateEdit()),
        (QList<QWidget *> { form.dtpDATE->dateEdit(), form.btnCalc, form.btnClose }));
}

TEST_F(CalcWindow, SteppingTheDateRecalculatesAtOnce)
{
    QStringList stepped, back;
    Show([&](TfCalc &form) {
        QDateEdit *edit = form.dtpDATE->dateEdit();
        edit->setCurrentSection(QDateTimeEdit::DaySection);
        QTest::keyClick(edit, Qt::Key_Down);
        stepped = Summary(form);
        QTest::keyClick(edit, Qt::Key_Up);
        back = Summary(form);
    });
    EXPECT_EQ(stepped, onTheDayBefore);
    EXPECT_EQ(back, onToday);
}

TEST_F(CalcWindow, CommandAndButtonReplaceTypedText)
{
    const struct {
        const char *name;
        std::function<void(TfCalc &)> recalc;
    } cases[] = {
        { "Ctrl+R", [](TfCalc &form) { QTest::keyClick(form.meExp, Qt::Key_R, Qt::ControlModifier); } },
        { "button", [](TfCalc &form) { QTest::mouseClick(form.btnCalc, Qt::LeftButton); } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        bool typed = false;
        QStringList after;
        Show([&](TfCalc &form) {
            form.meExp->setFocus();
            typed = Scribble(form);
            c.recalc(form);
            after = form.meExp->lines();
        });
        EXPECT_TRUE(typed);
        EXPECT_FALSE(after.join(u'\n').contains(kNote));
        ASSERT_EQ(after.size(), 6);
        EXPECT_EQ((QStringList { after[0], after[3] }), onToday);
    }
}

TEST_F(CalcWindow, PickingInTheMonthCalendarRecalculatesAndAgainOnClosing)
{
    QStringList picked, afterClose;
    bool typed = false;
    bool calendarClosed = false;
    Show([&](TfCalc &form) {
        QCalendarWidget *calendar = form.dtpDATE->dateEdit()->calendarWidget();
        ASSERT_NE(calendar, nullptr);
        QWidget *popup = calendar->window();
        popup->show();
        auto *days = calendar->findChild<QTableView *>();
        ASSERT_NE(days, nullptr);
        QTest::keyClick(days, Qt::Key_Left);
        picked = Summary(form);
        typed = Scribble(form);
        QTest::keyClick(days, Qt::Key_Return);
        calendarClosed = !popup->isVisible();
        afterClose = form.meExp->lines();
    });
    EXPECT_EQ(picked, onTheDayBefore);
    EXPECT_TRUE(typed);
    EXPECT_TRUE(calendarClosed);
    // The date did not change on closing: only the close-up recalculated.
    ASSERT_EQ(afterClose.size(), 6);
    EXPECT_EQ((QStringList { afterClose[0], afterClose[3] }), onTheDayBefore);
}
