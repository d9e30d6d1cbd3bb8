#include "mainWindowFixture.h"

#include "dialogs/About.h"
#include "dialogs/Calc.h"
#include "dialogs/Emp.h"
#include "dialogs/Exp.h"
#include "widgets/datePicker.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;
using apptest::MainWindowTest;
using apptest::Period;

namespace {

// What a message box showed and how it was answered.
struct Box {
    QString title;
    QString message;
    int icon = -1;
    QStringList captions;
    QString focused;
};

// Answers every message box: with Enter on the focused button, or by
// clicking the button with the given caption.
class BoxAnswers {
public:
    explicit BoxAnswers(QString click = {})
        : fHook([this, click](TfMsgDlg &box) {
            shown.push_back({box.title(), box.message(), box.imageIndex(), box.captions(),
                             box.activeButton() ? box.activeButton()->text() : QString()});
            if (click.isEmpty()) {
                QWidget *focused = box.focusWidget();
                QTest::keyClick(focused ? focused : &box, Qt::Key_Return);
                return;
            }
            for (QPushButton *b : box.buttons()) {
                if (b->text() == click)
                    b->click();
            }
        })
    {
    }
    std::vector<Box> shown;

private:
    MsgDlgTestHook fHook;
};

QStringList Places(store::Table &exp)
{
    QStringList places;
    for (int i = 0; i < exp.recordCount(); ++i)
        exp.withRecord(i, [&] { places << exp.fieldByName(u"PLACE").asString(); });
    return places;
}

std::size_t Versions(store::Table &table)
{
    return table.toPacket().rows.size();
}

} // namespace

TEST_F(MainWindowTest, FirstPeriodIsAddedUnmarkedAndCountsOnceMarked)
{
    Start([](store::Tdm &dm) { AddEmployee(dm, u"Иванов"_s, u"Пётр"_s); });
    Focus(window->grdExp);
    formtest::WhenShown<TfExp>([](TfExp &dlg) {
        EXPECT_EQ(dlg.windowTitle(), u"Добавление записи о стаже работника"_s);
        formtest::TypeText(dlg.edtPlace, u"Завод"_s);
        dlg.dtpDATEBEG->setDate(QDate(1990, 3, 1));
        dlg.dtpDATEEND->setChecked(true);
        dlg.dtpDATEEND->setDate(QDate(1995, 8, 15));
        QTest::keyClick(dlg.edtPlace, Qt::Key_Return);
    });
    Press(Qt::Key_Insert);
    ASSERT_EQ(dm->Exp.recordCount(), 1);
    EXPECT_TRUE(dm->Exp.fieldByName(u"CHK").isNull());
    EXPECT_EQ(Summary().value(3), u"  Трудовой, общий стаж - 0 лет 0 месяцев 0 дней"_s);
    // The new period made Copy, Edit and Delete available at once.
    EXPECT_TRUE(window->acCopy->enabled());
    EXPECT_TRUE(window->acDel->enabled());

    Press(Qt::Key_Space);
    EXPECT_TRUE(dm->Exp.fieldByName(u"CHK").asBoolean());
    EXPECT_EQ(Summary().value(3), u"  Трудовой, общий стаж - 5 лет 5 месяцев 15 дней"_s);
    EXPECT_EQ(Summary().value(5), u"  Непрерывный стаж - 0 лет 0 месяцев 0 дней"_s);
}

TEST_F(MainWindowTest, AValueTheTableRefusesLeavesNoRowAndNoMessage)
{
    Start([](store::Tdm &dm) { AddEmployee(dm, u"Иванов"_s); });
    // The middle name is written last, after the first and last names.
    dm->Emp.fieldByName(u"MName").setReadOnly(true);
    Focus(window->grdEmp);
    BoxAnswers answers;
    formtest::WhenShown<TfEmp>([](TfEmp &dlg) {
        formtest::TypeText(dlg.edtLName, u"Петров"_s);
        QTest::keyClick(dlg.edtLName, Qt::Key_Return);
    });
    Press(Qt::Key_Insert);
    EXPECT_TRUE(answers.shown.empty());
    EXPECT_EQ(dm->Emp.recordCount(), 1);
    EXPECT_EQ(dm->Emp.state(), store::Table::State::Browse);
    EXPECT_EQ(Versions(dm->Emp), 1u);
    EXPECT_EQ(Summary().value(1), u"Иванов  "_s);
}

TEST_F(MainWindowTest, CancelledDialogsChangeNothingButStillRefresh)
{
    Start([](store::Tdm &dm) {
        AddEmployee(dm, u"Иванов"_s);
        AddPeriod(dm, {u"Завод"_s, QDate(1990, 3, 1), QDate(1995, 8, 15)});
    });
    const std::size_t emp = Versions(dm->Emp);
    const std::size_t exp = Versions(dm->Exp);
    struct Step {
        QWidget *grid;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const Step steps[] = {
        {window->grdEmp, Qt::Key_Insert, Qt::NoModifier},
        {window->grdEmp, Qt::Key_Return, Qt::ControlModifier},
        {window->grdExp, Qt::Key_Insert, Qt::NoModifier},
        {window->grdExp, Qt::Key_Insert, Qt::ControlModifier},
        {window->grdExp, Qt::Key_Return, Qt::ControlModifier},
    };
    for (const Step &step : steps) {
        Focus(step.grid);
        window->meExp->setPlainText(u"typed by the user"_s);
        QMetaObject::invokeMethod(
            qApp,
            [] {
                QWidget *dlg = QApplication::activeModalWidget();
                ASSERT_NE(dlg, nullptr);
                QWidget *focused = dlg->focusWidget();
                QTest::keyClick(focused ? focused : dlg, Qt::Key_Escape);
                if (dlg->isVisible()) {
                    ADD_FAILURE() << "Esc left the dialog open";
                    dlg->close();
                }
            },
            Qt::QueuedConnection);
        Press(step.key, step.modifiers);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(Summary().value(0), u"Итоги по стажу на 01.03.2005"_s);
    }
    EXPECT_EQ(Versions(dm->Emp), emp);
    EXPECT_EQ(Versions(dm->Exp), exp);
    EXPECT_EQ(dm->Emp.state(), store::Table::State::Browse);
    EXPECT_EQ(dm->Exp.state(), store::Table::State::Browse);
}

TEST_F(MainWindowTest, DeleteAsksAndRemovesWhatItSays)
{
    struct Case {
        const char *name;
        bool withPeriods;
        bool inPeriodGrid;
        QString answer; // empty: Enter on the focused button
        QString question;
        int employeesLeft;
        int periodsLeft; // of the first employee
    };
    const QString emp = u"Удалить запись о работнике ?!"_s;
    const QString empAndPeriods = u"Удалить запись о работнике и его стаже ?!"_s;
    const QString period = u"Удалить запись о стаже ?!"_s;
    const Case cases[] = {
        {"employee without periods", false, false, u"Удалить"_s, emp, 1, 0},
        {"employee with periods", true, false, u"Удалить"_s, empAndPeriods, 1, 0},
        {"period", true, true, u"Удалить"_s, period, 2, 1},
        {"Enter keeps the employee", true, false, {}, empAndPeriods, 2, 2},
        {"Enter keeps the period", true, true, {}, period, 2, 2},
        {"Cancel keeps the employee", false, false, u"Отмена"_s, emp, 2, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        Start([&](store::Tdm &dm) {
            AddEmployee(dm, u"Яковлев"_s);
            AddEmployee(dm, u"Абрамов"_s);
            if (c.withPeriods) {
                AddPeriod(dm, {u"Завод"_s, QDate(1990, 3, 1), QDate(1995, 8, 15)});
                AddPeriod(dm, {u"Школа"_s, QDate(1996, 1, 1), QDate(1997, 1, 1)});
            }
        });
        ASSERT_EQ(dm->Emp.fieldByName(u"LName").asString(), u"Абрамов"_s);
        Focus(c.inPeriodGrid ? static_cast<QWidget *>(window->grdExp) : static_cast<QWidget *>(window->grdEmp));
        BoxAnswers answers(c.answer);
        Press(Qt::Key_Delete, Qt::ControlModifier);
        ASSERT_EQ(answers.shown.size(), 1u);
        const Box &box = answers.shown.front();
        EXPECT_EQ(box.title, u"Удалить запись?!"_s);
        EXPECT_EQ(box.message, c.question);
        EXPECT_EQ(box.icon, 7);
        EXPECT_EQ(box.captions, (QStringList {u"Удалить"_s, u"Отмена"_s}));
        EXPECT_EQ(box.focused, u"Отмена"_s);
        EXPECT_EQ(dm->Emp.recordCount(), c.employeesLeft);
        if (c.employeesLeft == 2)
            EXPECT_EQ(dm->Exp.recordCount(), c.periodsLeft);
    }
}

TEST_F(MainWindowTest, DeletingTheLastEmployeeLeavesBothListsEmpty)
{
    Start([](store::Tdm &dm) {
        AddEmployee(dm, u"Иванов"_s);
        AddPeriod(dm, {u"Завод"_s, QDate(1990, 3, 1), QDate(1995, 8, 15), true, true, false, true});
    });
    Focus(window->grdEmp);
    BoxAnswers answers(u"Удалить"_s);
    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(dm->Emp.recordCount(), 0);
    EXPECT_EQ(dm->Exp.recordCount(), 0);
    EXPECT_EQ(window->grdEmp->model()->rowCount(), 0);
    EXPECT_EQ(window->grdExp->model()->rowCount(), 0);
    EXPECT_EQ(Summary(), QStringList {u"Итоги по стажу на 01.03.2005"_s});
    EXPECT_TRUE(window->acAdd->enabled());
    EXPECT_FALSE(window->acDel->enabled());
    EXPECT_FALSE(window->acEdit->enabled());
    EXPECT_FALSE(window->acCalc->enabled());
    // Deleted rows stay in the history with their state.
    const store::Packet exp = dm->Exp.toPacket();
    ASSERT_FALSE(exp.rows.empty());
    EXPECT_TRUE(exp.rows.back().state & store::RowDeleted);
}

TEST_F(MainWindowTest, SelectAllAndUnselectAllFromTheEmployeeGrid)
{
    Start([](store::Tdm &dm) {
        AddEmployee(dm, u"Иванов"_s);
        AddPeriod(dm, {u"Завод"_s, QDate(1990, 3, 1), QDate(1995, 8, 15), true, true, false, true});
        AddPeriod(dm, {u"Школа"_s, QDate(1996, 1, 1), QDate(1997, 1, 1), true, true, false, std::nullopt});
        AddPeriod(dm, {u"Цех"_s, QDate(1998, 1, 1), QDate(1999, 1, 1), true, true, false, false});
        dm.Exp.first();
        dm.Exp.next();
    });
    dm->Exp.first();
    dm->Exp.next();
    ASSERT_EQ(dm->Exp.fieldByName(u"PLACE").asString(), u"Школа"_s);
    Focus(window->grdEmp);
    const std::size_t before = Versions(dm->Exp);

    Press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(dm->Exp.fieldByName(u"PLACE").asString(), u"Школа"_s);
    EXPECT_EQ(window->grdExp->currentRow(), 1);
    EXPECT_EQ(Versions(dm->Exp), before + 2); // the marked one gets no new version
    for (int i = 0; i < 3; ++i)
        dm->Exp.withRecord(i, [&] { EXPECT_TRUE(dm->Exp.fieldByName(u"CHK").asBoolean()) << i; });
    EXPECT_EQ(Summary().value(3), u"  Трудовой, общий стаж - 7 лет 5 месяцев 17 дней"_s);

    Press(Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(Versions(dm->Exp), before + 5);
    for (int i = 0; i < 3; ++i)
        dm->Exp.withRecord(i, [&] { EXPECT_FALSE(dm->Exp.fieldByName(u"CHK").asBoolean()) << i; });
    EXPECT_EQ(dm->Exp.fieldByName(u"PLACE").asString(), u"Школа"_s);
    EXPECT_EQ(Summary().value(3), u"  Трудовой, общий стаж - 0 лет 0 месяцев 0 дней"_s);
}

TEST_F(MainWindowTest, SelectAllWithoutPeriodsDoesNothing)
{
    Start([](store::Tdm &dm) { AddEmployee(dm, u"Иванов"_s); });
    Focus(window->grdEmp);
    window->meExp->setPlainText(u"typed by the user"_s);
    Press(Qt::Key_A, Qt::ControlModifier);
    Press(Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(window->meExp->toPlainText(), u"typed by the user"_s);
    EXPECT_EQ(Versions(dm->Exp), 0u);
}

TEST_F(MainWindowTest, CalculateWarnsWithoutEmployeeOrPeriodsAndOpensOtherwise)
{
    struct Case {
        const char *name;
        int employees;
        bool periods;
        QString notice; // empty: the calculation window opens
    };
    const Case cases[] = {
        {"no employee", 0, false, u"Укажите или введите работника для расчёта стажа!"_s},
        {"no periods", 1, false, u"По выбраному работнику нет данных для расчёта стажа!"_s},
        {"unmarked periods", 1, true, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        Start([&](store::Tdm &dm) {
            if (c.employees)
                AddEmployee(dm, u"Иванов"_s);
            if (c.periods)
                AddPeriod(dm, {u"Завод"_s, QDate(1990, 3, 1), QDate(1995, 8, 15)});
        });
        Focus(window->grdEmp);
        BoxAnswers answers;
        bool opened = false;
        if (c.notice.isEmpty()) {
            formtest::WhenShown<TfCalc>([&](TfCalc &calc) {
                opened = true;
                EXPECT_EQ(calc.meExp->lines().value(0), u"Итоги по стажу на 01.03.2005"_s);
                QTest::keyClick(calc.focusWidget() ? calc.focusWidget() : &calc, Qt::Key_Escape);
            });
        }
        // The command runs from the tool strip whatever its enabled state here.
        window->acCalcExecute();
        if (c.notice.isEmpty()) {
            EXPECT_TRUE(opened);
            EXPECT_TRUE(answers.shown.empty());
        } else {
            ASSERT_EQ(answers.shown.size(), 1u);
            EXPECT_EQ(answers.shown[0].title, u" Внимание ! "_s);
            EXPECT_EQ(answers.shown[0].message, c.notice);
            EXPECT_EQ(answers.shown[0].icon, 2);
            EXPECT_EQ(answers.shown[0].captions, QStringList {u"Закрыть"_s});
        }
    }
}

TEST_F(MainWindowTest, CopyTakesPlaceAndFlagsAndAddsAnUnmarkedPeriod)
{
    Start([](store::Tdm &dm) {
        AddEmployee(dm, u"Иванов"_s);
        AddPeriod(dm, {u"Завод"_s, QDate(1990, 3, 1), QDate(1995, 8, 15), true, false, true, true});
    });
    Focus(window->grdExp);
    formtest::WhenShown<TfExp>([](TfExp &dlg) {
        EXPECT_EQ(dlg.windowTitle(), u"Добавление записи о стаже работника копированием"_s);
        EXPECT_EQ(dlg.Place(), u"Завод"_s);
        EXPECT_EQ(dlg.DateBeg(), apptest::Day(1995, 8, 16));
        EXPECT_FALSE(dlg.isDateEnd());
        QTest::keyClick(dlg.edtPlace, Qt::Key_Return);
    });
    Press(Qt::Key_Insert, Qt::ControlModifier);
    ASSERT_EQ(dm->Exp.recordCount(), 2);
    EXPECT_EQ(Places(dm->Exp), (QStringList {u"Завод"_s, u"Завод"_s}));
    dm->Exp.last();
    EXPECT_TRUE(dm->Exp.fieldByName(u"CHK").isNull());
    EXPECT_TRUE(dm->Exp.fieldByName(u"DATEEND").isNull());
    EXPECT_TRUE(dm->Exp.fieldByName(u"TST").asBoolean());
    EXPECT_FALSE(dm->Exp.fieldByName(u"STS").asBoolean());
    EXPECT_TRUE(dm->Exp.fieldByName(u"NST").asBoolean());
}

TEST_F(MainWindowTest, DoubleClickOnATitleEditsTheCurrentEmployee)
{
    Start([](store::Tdm &dm) {
        AddEmployee(dm, u"Абрамов"_s);
        AddEmployee(dm, u"Иванов"_s, u"Пётр"_s);
        AddEmployee(dm, u"Яковлев"_s);
    });
    Focus(window->grdEmp);
    Press(Qt::Key_Down);
    ASSERT_EQ(dm->Emp.fieldByName(u"LName").asString(), u"Иванов"_s);
    formtest::WhenShown<TfEmp>([](TfEmp &dlg) {
        EXPECT_EQ(dlg.windowTitle(), u"Редактирование данных работника"_s);
        EXPECT_EQ(dlg.LName(), u"Иванов"_s);
        dlg.edtLName->selectAll();
        formtest::TypeText(dlg.edtLName, u"  Иванова "_s);
        QTest::keyClick(dlg.edtLName, Qt::Key_Return);
    });
    QHeaderView *titles = window->grdEmp->horizontalHeader();
    QTest::mouseDClick(titles->viewport(), Qt::LeftButton, {}, QPoint(titles->sectionPosition(0) + 10, 5));
    EXPECT_EQ(dm->Emp.fieldByName(u"LName").asString(), u"Иванова"_s);
    EXPECT_EQ(Summary().value(1), u"Иванова Пётр "_s);
    EXPECT_EQ(dm->Emp.recordCount(), 3);
    EXPECT_TRUE(dm->Emp.locate(u"LName", u"Абрамов"_s));
    EXPECT_TRUE(dm->Emp.locate(u"LName", u"Яковлев"_s));
}

TEST_F(MainWindowTest, F1ShowsTheHelpText)
{
    Start();
    int lines = 0;
    formtest::WhenShown<TfAbout>([&](TfAbout &about) {
        lines = about.findChild<QPlainTextEdit *>()->document()->blockCount();
        QTest::keyClick(about.focusWidget() ? about.focusWidget() : &about, Qt::Key_Escape);
    });
    Press(Qt::Key_F1);
    EXPECT_EQ(lines, 44);
}
