#include "mainWindowFixture.h"

#include "dialogs/Exp.h"
#include "widgets/drawFrame.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QHeaderView>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

using namespace Qt::StringLiterals;
using apptest::MainWindowTest;
using apptest::Period;

namespace {

struct Enabled {
    bool add, del, edit, copy, calc;
    bool operator==(const Enabled &) const = default;
};

std::ostream &operator<<(std::ostream &os, const Enabled &e)
{
    return os << "add " << e.add << " del " << e.del << " edit " << e.edit << " copy " << e.copy << " calc "
              << e.calc;
}

Enabled Commands(const TfMain &w)
{
    return {w.acAdd->enabled(), w.acDel->enabled(), w.acEdit->enabled(), w.acCopy->enabled(),
            w.acCalc->enabled()};
}

enum class Data { None, EmployeeOnly, EmployeeWithPeriods };
enum class Where { EmpGrid, ExpGrid, Pane };

struct EnablingCase {
    const char *name;
    Data data;
    Where focus;
    Enabled expected;
};

const EnablingCase kEnablingCases[] = {
    {"first run, employee grid", Data::None, Where::EmpGrid, {true, false, false, false, false}},
    {"no employee, period grid", Data::None, Where::ExpGrid, {false, false, false, false, false}},
    {"no periods, employee grid", Data::EmployeeOnly, Where::EmpGrid, {true, true, true, false, true}},
    {"no periods, period grid", Data::EmployeeOnly, Where::ExpGrid, {true, false, false, false, true}},
    {"periods, employee grid", Data::EmployeeWithPeriods, Where::EmpGrid, {true, true, true, false, true}},
    {"periods, period grid", Data::EmployeeWithPeriods, Where::ExpGrid, {true, true, true, true, true}},
    {"summary pane focused", Data::EmployeeWithPeriods, Where::Pane, {false, false, false, false, true}},
    {"summary pane, no employee", Data::None, Where::Pane, {false, false, false, false, false}},
};

} // namespace

TEST_F(MainWindowTest, EnablingFollowsActiveControlAndData)
{
    for (const EnablingCase &c : kEnablingCases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        Start([&](store::Tdm &dm) {
            if (c.data == Data::None)
                return;
            AddEmployee(dm, u"Иванов"_s, u"Пётр"_s);
            if (c.data == Data::EmployeeWithPeriods)
                AddPeriod(dm, {u"Завод"_s, QDate(1990, 3, 1), QDate(1995, 8, 15)});
        });
        QWidget *target = c.focus == Where::EmpGrid ? static_cast<QWidget *>(window->grdEmp)
            : c.focus == Where::ExpGrid             ? static_cast<QWidget *>(window->grdExp)
                                                    : static_cast<QWidget *>(window->meExp);
        if (c.focus == Where::Pane)
            QTest::mouseClick(window->meExp->viewport(), Qt::LeftButton);
        else
            Focus(target);
        ASSERT_EQ(window->activeControl(), target);
        EXPECT_EQ(Commands(*window), c.expected);
        // Never disabled, whatever the focus.
        for (widgets::Command *always :
             {window->acSel, window->acSelAll, window->acUnSelAll, window->acAbout, window->acExit})
            EXPECT_TRUE(always->enabled()) << always->name().toStdString();
        EXPECT_FALSE(window->acFind->enabled());
    }
}

TEST_F(MainWindowTest, StartUpStateBeforeAndAfterFirstActivation)
{
    dm = std::make_unique<store::Tdm>();
    window = std::make_unique<TfMain>(*dm, fDir->path());
    ASSERT_TRUE(window->started());
    // No control is active before the window is shown.
    EXPECT_EQ(Commands(*window), (Enabled {false, false, false, false, false}));
    EXPECT_EQ(Summary(), QStringList {u"Итоги по стажу на 01.03.2005"_s});
    EXPECT_TRUE(QFileInfo(DataDir()).isDir());

    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    WaitForIdle();
    EXPECT_EQ(QApplication::focusWidget(), window->grdEmp);
    EXPECT_EQ(Commands(*window), (Enabled {true, false, false, false, false}));
    EXPECT_FALSE(window->acFind->enabled());
    EXPECT_FALSE(window->tbMain->findChild<QToolButton *>(u"btnFind"_s)->isEnabled());
}

TEST_F(MainWindowTest, TabFromSummaryPaneReturnsToAGridAndRecomputes)
{
    Start([](store::Tdm &dm) {
        AddEmployee(dm, u"Иванов"_s);
        AddPeriod(dm, {u"Завод"_s, QDate(1990, 3, 1), QDate(1995, 8, 15)});
    });
    QTest::mouseClick(window->meExp->viewport(), Qt::LeftButton);
    ASSERT_FALSE(window->acAdd->enabled());
    Press(Qt::Key_Tab);
    QWidget *now = QApplication::focusWidget();
    EXPECT_TRUE(now == window->grdEmp || now == window->grdExp);
    EXPECT_TRUE(window->acAdd->enabled());
    EXPECT_TRUE(window->acDel->enabled());
}

TEST_F(MainWindowTest, TabMovesBetweenTheTwoGridsOnly)
{
    Start();
    Focus(window->grdEmp);
    Press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window->grdExp);
    Press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window->grdEmp);
    Press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), window->grdExp);
}

TEST_F(MainWindowTest, LayoutTitlesWidthsAndTooltips)
{
    Start();
    EXPECT_EQ(window->windowTitle(), u"Тарвик"_s);
    EXPECT_EQ(window->frameGeometry().size(), QSize(1024, 768));
    EXPECT_EQ(window->grdEmp->toolTip(), u"Список работников (Shift+1)"_s);
    EXPECT_EQ(window->grdExp->toolTip(), u"Стаж работника (Shift+F2)"_s);
    EXPECT_EQ(window->grdEmp->width(), 320);
    EXPECT_EQ(window->meExp->height(), 155);

    const QStringList titles {u"*"_s, u"Место работы"_s, u"Принят"_s, u"Уволен"_s, u"Трудовой"_s, u"Страховой"_s,
                              u"Непрерывный"_s};
    const QList<widgets::GridColumn> &columns = window->grdExp->columns();
    ASSERT_EQ(columns.size(), titles.size());
    for (int i = 0; i < titles.size(); ++i)
        EXPECT_EQ(columns[i].title, titles[i]);
    const int widths[] = {30, 224, 75, 75, -1, 64, 64};
    for (int i = 0; i < 7; ++i) {
        if (widths[i] > 0)
            EXPECT_EQ(window->grdExp->columnWidth(i), widths[i]) << i;
    }
    // Wider than its two-letter values: the title's own width.
    EXPECT_GT(window->grdExp->columnWidth(4), QFontMetrics(window->grdExp->font()).horizontalAdvance(u"Да"_s));
    EXPECT_EQ(window->grdEmp->columns().front().title, u"Фамилия И.О."_s);
    EXPECT_EQ(window->grdEmp->columnWidth(0), 285);

    struct Tip {
        const char *button;
        QString tip;
    };
    const Tip tips[] = {
        {"btnAdd", u"Добавить"_s},       {"btnCopy", u"Добавить копированием"_s},
        {"btnEdit", u"Изменить"_s},      {"btnDel", u"Удалить"_s},
        {"btnCalc", u"Рассчитать на дату"_s}, {"btnFind", u"Найти"_s},
        {"btnSel", u"Выбрать"_s},        {"btnSelAll", u"Выбрать всё"_s},
        {"btnUnSelAll", u"Отменить выбор всех"_s}, {"btnAbout", u"О программке, краткая помощь"_s},
        {"btnExit", u"Выйти из программы"_s},
    };
    for (const Tip &t : tips) {
        auto *b = window->tbMain->findChild<QToolButton *>(QString::fromLatin1(t.button));
        ASSERT_NE(b, nullptr) << t.button;
        EXPECT_EQ(b->toolTip(), t.tip) << t.button;
        EXPECT_EQ(b->size(), QSize(34, 34)) << t.button;
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus) << t.button;
    }
    // The calculate button keeps its own tooltip when its command changes state.
    window->acCalc->setEnabled(true);
    window->acCalc->setEnabled(false);
    EXPECT_EQ(window->tbMain->findChild<QToolButton *>(u"btnCalc"_s)->toolTip(), u"Рассчитать на дату"_s);
}

TEST_F(MainWindowTest, ContextMenuShowsCaptionsAndFirstKeys)
{
    Start();
    QStringList items;
    for (QAction *a : window->pmMain->actions())
        items << (a->isSeparator() ? u"-"_s : a->text());
    const QStringList expected {
        u"Добавить\tIns"_s,        u"Добавить копированием\tCtrl+Ins"_s, u"Изменить\tCtrl+Enter"_s,
        u"Удалить\tCtrl+Del"_s,    u"-"_s,
        u"Найти\tCtrl+F"_s,        u"Расчитать на дату\tCtrl+R"_s,
        u"-"_s,
        u"Выбрать\tCtrl+Space"_s,  u"Выбрать всё\tCtrl+A"_s,              u"Отменить выбор всех\tAlt+A"_s,
    };
    EXPECT_EQ(items, expected);
    for (QAction *a : window->pmMain->actions()) {
        EXPECT_TRUE(a->shortcut().isEmpty()) << a->text().toStdString();
        // Hovering an item writes nothing into the status bar.
        a->showStatusText(window->grdEmp);
        EXPECT_TRUE(window->sbMain->currentMessage().isEmpty()) << a->text().toStdString();
    }
}

TEST_F(MainWindowTest, SpaceAndCtrlSpaceByFocus)
{
    Start([](store::Tdm &dm) {
        AddEmployee(dm, u"Иванов"_s);
        AddPeriod(dm, {u"Завод"_s, QDate(1990, 3, 1), QDate(1995, 8, 15)});
    });
    auto chk = [&] { return dm->Exp.fieldByName(u"CHK").asBoolean(); };

    Focus(window->grdEmp);
    Press(Qt::Key_Space);
    Press(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_FALSE(chk());

    Focus(window->grdExp);
    Press(Qt::Key_Space);
    EXPECT_TRUE(chk());
    EXPECT_EQ(Summary().value(3), u"  Трудовой, общий стаж - 5 лет 5 месяцев 15 дней"_s);
    Press(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_FALSE(chk());

    // In the summary pane a typed space is swallowed and Ctrl+Space does nothing.
    QTest::mouseClick(window->meExp->viewport(), Qt::LeftButton);
    const QString before = window->meExp->toPlainText();
    Press(Qt::Key_Space);
    Press(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(window->meExp->toPlainText(), before);
    EXPECT_FALSE(chk());
}

TEST_F(MainWindowTest, DisabledCommandsSwallowTheirKeysInAGrid)
{
    Start();
    Focus(window->grdExp);
    int reached = 0;
    struct Counter : QObject {
        int *count;
        bool eventFilter(QObject *, QEvent *e) override
        {
            // Modifier keys pressed on their own are no command's and do reach the grid.
            if (e->type() == QEvent::KeyPress) {
                const int key = static_cast<QKeyEvent *>(e)->key();
                if (key != Qt::Key_Control && key != Qt::Key_Shift && key != Qt::Key_Alt && key != Qt::Key_Meta)
                    ++*count;
            }
            return false;
        }
    } counter;
    counter.count = &reached;
    window->grdExp->installEventFilter(&counter);

    formtest::MessageLog log;
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Insert, Qt::NoModifier},      {Qt::Key_Delete, Qt::ControlModifier},
        {Qt::Key_Return, Qt::ControlModifier}, {Qt::Key_Insert, Qt::ControlModifier},
        {Qt::Key_F, Qt::ControlModifier},      {Qt::Key_R, Qt::ControlModifier},
    };
    for (const auto &[key, modifiers] : keys)
        Press(key, modifiers);
    EXPECT_EQ(reached, 0);
    EXPECT_TRUE(log.titles.isEmpty());
    EXPECT_EQ(dm->Emp.recordCount(), 0);

    // A key no command takes goes on to the grid.
    Press(Qt::Key_Down);
    EXPECT_EQ(reached, 1);
}

TEST_F(MainWindowTest, KeysNamedInTooltipsAndCtrlFDoNothing)
{
    Start([](store::Tdm &dm) {
        AddEmployee(dm, u"Иванов"_s);
        AddPeriod(dm, {u"Завод"_s, QDate(1990, 3, 1), QDate(1995, 8, 15)});
    });
    formtest::MessageLog log;
    const std::size_t versions = dm->Exp.toPacket().rows.size();
    for (QWidget *grid : {static_cast<QWidget *>(window->grdEmp), static_cast<QWidget *>(window->grdExp)}) {
        Focus(grid);
        Press(Qt::Key_1, Qt::ShiftModifier);
        Press(Qt::Key_F2, Qt::ShiftModifier);
        Press(Qt::Key_F, Qt::ControlModifier);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget(), grid);
    }
    EXPECT_TRUE(log.titles.isEmpty());
    EXPECT_FALSE(dm->Exp.fieldByName(u"CHK").asBoolean());
    EXPECT_EQ(dm->Exp.toPacket().rows.size(), versions);
}

TEST_F(MainWindowTest, EveryWayOfClosingClosesTheStoreOnce)
{
    struct Way {
        const char *name;
        std::function<void(TfMain &)> close;
    };
    const Way ways[] = {
        {"Alt+X in the employee grid", [](TfMain &w) { QTest::keyClick(w.grdEmp, Qt::Key_X, Qt::AltModifier); }},
        {"F10 in the summary pane", [](TfMain &w) {
             QTest::mouseClick(w.meExp->viewport(), Qt::LeftButton);
             QTest::keyClick(w.meExp, Qt::Key_F10);
         }},
        {"Alt+F4", [](TfMain &w) { QTest::keyClick(w.grdExp, Qt::Key_F4, Qt::AltModifier); }},
        {"close box", [](TfMain &w) { w.close(); }},
        {"exit button", [](TfMain &w) { w.tbMain->findChild<QToolButton *>(u"btnExit"_s)->click(); }},
    };
    for (const Way &way : ways) {
        SCOPED_TRACE(way.name);
        TearDown();
        SetUp();
        Start([](store::Tdm &dm) { AddEmployee(dm, u"Иванов"_s); });
        if (QString::fromLatin1(way.name).contains(u"Alt+X"))
            Focus(window->grdEmp);
        way.close(*window);
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(window->closeDbCalls(), 1);
        EXPECT_FALSE(dm->Emp.active());
        EXPECT_TRUE(QFileInfo::exists(DataDir() + u"Employees.xml"_s));
        EXPECT_TRUE(QFileInfo::exists(DataDir() + u"Experience_v2.xml"_s));
        window->close();
        EXPECT_EQ(window->closeDbCalls(), 1);
    }
}

TEST_F(MainWindowTest, SelectionColumnDrawsACheckBoxPerRow)
{
    Start([](store::Tdm &dm) {
        AddEmployee(dm, u"Иванов"_s);
        AddPeriod(dm, {u"Завод"_s, QDate(1990, 3, 1), QDate(1995, 8, 15), true, true, false, true});
        AddPeriod(dm, {u"Школа"_s, QDate(1996, 1, 1), QDate(1997, 1, 1), true, true, false, std::nullopt});
        AddPeriod(dm, {u"Цех"_s, QDate(1998, 1, 1), QDate(1999, 1, 1), true, true, false, false});
    });
    widgets::DrawFrameControlLog log;
    window->grdExp->viewport()->repaint();
    std::vector<unsigned> states;
    for (const widgets::DrawFrameCall &call : log.calls()) {
        EXPECT_EQ(call.type, widgets::DFC_BUTTON);
        states.push_back(call.state);
    }
    // Rows in hiring-date order: marked, never marked, unmarked.
    EXPECT_EQ(states, (std::vector<unsigned> {9216, 8192, 8192}));
}

TEST_F(MainWindowTest, SummaryFollowsTheCurrentEmployee)
{
    Start([](store::Tdm &dm) {
        AddEmployee(dm, u"Абрамов"_s, u"Илья"_s);
        AddPeriod(dm, {u"Завод"_s, QDate(1990, 3, 1), QDate(1995, 8, 15), true, true, false, true});
        AddEmployee(dm, u"Яковлев"_s);
    });
    Focus(window->grdEmp);
    EXPECT_EQ(Summary().value(1), u"Абрамов Илья "_s);
    EXPECT_EQ(Summary().value(3), u"  Трудовой, общий стаж - 5 лет 5 месяцев 15 дней"_s);
    Press(Qt::Key_Down);
    EXPECT_EQ(Summary().value(1), u"Яковлев  "_s);
    EXPECT_EQ(Summary().value(3), u"  Трудовой, общий стаж - "_s);
    Press(Qt::Key_Up);
    EXPECT_EQ(Summary().value(1), u"Абрамов Илья "_s);
}

TEST_F(MainWindowTest, RightClickMakesTheRowCurrentBeforeTheMenu)
{
    Start([](store::Tdm &dm) {
        AddEmployee(dm, u"Иванов"_s);
        AddPeriod(dm, {u"Завод"_s, QDate(1990, 3, 1), QDate(1995, 8, 15)});
        AddPeriod(dm, {u"Школа"_s, QDate(1996, 1, 1), QDate(1997, 1, 1)});
    });
    Focus(window->grdEmp);
    dm->Exp.first();
    QString placeWhenMenuOpened;
    QObject::connect(window->pmMain, &QMenu::aboutToShow, window.get(), [&] {
        placeWhenMenuOpened = dm->Exp.fieldByName(u"PLACE").asString();
        QMetaObject::invokeMethod(window->pmMain, &QMenu::close, Qt::QueuedConnection);
    });
    const QRect second = window->grdExp->visualRect(window->grdExp->model()->index(1, 1));
    QTest::mousePress(window->grdExp->viewport(), Qt::RightButton, {}, second.center());
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, second.center(),
                                window->grdExp->viewport()->mapToGlobal(second.center()));
    QApplication::sendEvent(window->grdExp->viewport(), &menuEvent);
    EXPECT_EQ(QApplication::focusWidget(), window->grdExp);
    EXPECT_EQ(placeWhenMenuOpened, u"Школа"_s);
}

TEST_F(MainWindowTest, EditAndSelectLeaveTheCommandStatesAlone)
{
    Start([](store::Tdm &dm) {
        AddEmployee(dm, u"Иванов"_s);
        AddPeriod(dm, {u"Завод"_s, QDate(1990, 3, 1), QDate(1995, 8, 15)});
    });
    Focus(window->grdExp);
    // A state the enabling rule would correct at once, were it run.
    window->acCopy->setEnabled(false);
    Press(Qt::Key_Space);
    Press(Qt::Key_A, Qt::ControlModifier);
    formtest::WhenShown<TfExp>([](TfExp &dlg) { QTest::keyClick(&dlg, Qt::Key_Escape); });
    Press(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_FALSE(window->acCopy->enabled());
    // Add refreshes them whatever the dialog's answer.
    Focus(window->grdExp);
    window->acCopy->setEnabled(false);
    formtest::WhenShown<TfExp>([](TfExp &dlg) { QTest::keyClick(&dlg, Qt::Key_Escape); });
    Press(Qt::Key_Insert);
    EXPECT_TRUE(window->acCopy->enabled());
}
