#include "widgets/dbGrid.h"

#include "store/table.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace widgets;

namespace {

// Five rows A..E, marked on B and D, in a window with the grid and one
// other control.
class DBGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        table.addField({ u"ID"_s, store::FieldType::AutoInc });
        table.addField({ u"NAME"_s, store::FieldType::String, 20 });
        table.addField({ u"CHK"_s, store::FieldType::Boolean });
        table.createDataSet();
        for (const QString &name : { u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"E"_s })
            addRow(name, name == u"B"_s || name == u"D"_s);
        table.first();

        auto *layout = new QVBoxLayout(&window);
        grid = new TDBGrid(&window);
        other = new QLineEdit(&window);
        layout->addWidget(grid);
        layout->addWidget(other);
        grid->setColumns(
            { { u"name"_s, u"Имя"_s, Qt::AlignCenter, 80, {} }, { u"CHK"_s, u"✓"_s, {}, 30, {} } });
        grid->setDataSource(&source);
        QObject::connect(grid, &TDBGrid::entered, [this] { ++enteredBeforeTest; });
        window.resize(300, 400);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void addRow(const QString &name, bool chk)
    {
        table.insert();
        table.fieldByName(u"NAME").setAsString(name);
        table.fieldByName(u"CHK").setAsBoolean(chk);
        table.post();
    }

    QString cell(int row, int column = 0) const
    {
        return grid->model()->index(row, column).data().toString();
    }

    QPoint centreOf(int row) const { return grid->visualRect(grid->model()->index(row, 0)).center(); }

    store::Table table { u"T"_s };
    store::DataSource source { table };
    QWidget window;
    TDBGrid *grid = nullptr;
    QLineEdit *other = nullptr;
    int enteredBeforeTest = 0;
};

TEST_F(DBGridTest, ShowsTheViewAndFollowsTheTablesCurrentRow)
{
    ASSERT_EQ(grid->model()->rowCount(), 5);
    EXPECT_EQ(cell(1), u"B"_s);
    QString marked, unmarked;
    table.withRecord(1, [&] { marked = table.fieldByName(u"CHK").displayText(); });
    table.withRecord(2, [&] { unmarked = table.fieldByName(u"CHK").displayText(); });
    ASSERT_NE(marked, unmarked);
    EXPECT_EQ(cell(1, 1), marked);
    EXPECT_EQ(cell(2, 1), unmarked);
    EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), u"Имя"_s);
    EXPECT_FALSE(grid->model()->headerData(0, Qt::Vertical).isValid()) << "no row numbers";
    EXPECT_EQ(grid->currentRow(), 0);

    table.setRecNo(3);
    EXPECT_EQ(grid->currentRow(), 3);
    table.last();
    EXPECT_EQ(grid->currentRow(), 4);
    EXPECT_TRUE(grid->selectionModel()->isRowSelected(4, {}));
}

TEST_F(DBGridTest, RowIndicatorMarksOnlyTheCurrentRow)
{
    table.setRecNo(2);
    QHeaderView *indicator = grid->verticalHeader();
    const QImage image = indicator->grab().toImage();
    const auto darkPixels = [&](int row) {
        int dark = 0;
        const int top = indicator->sectionViewportPosition(row);
        for (int y = top + 1; y < top + indicator->sectionSize(row) - 1; ++y)
            for (int x = 1; x < image.width() - 1; ++x)
                dark += image.pixelColor(x, y).lightness() < 100;
        return dark;
    };
    EXPECT_GT(darkPixels(2), 0);
    for (int row : { 0, 1, 3, 4 })
        EXPECT_EQ(darkPixels(row), 0) << row;
}

TEST_F(DBGridTest, NavigationKeysMoveTheTable)
{
    grid->setFocus();
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int expected;
    } steps[] = {
        { Qt::Key_Down, Qt::NoModifier, 1 },
        { Qt::Key_Down, Qt::NoModifier, 2 },
        { Qt::Key_Up, Qt::NoModifier, 1 },
        { Qt::Key_End, Qt::NoModifier, 4 },
        { Qt::Key_Home, Qt::NoModifier, 0 },
        { Qt::Key_End, Qt::ControlModifier, 4 },
        { Qt::Key_Home, Qt::ControlModifier, 0 },
        { Qt::Key_PageDown, Qt::NoModifier, 4 },
        { Qt::Key_PageUp, Qt::NoModifier, 0 },
    };
    for (const auto &step : steps) {
        QTest::keyClick(grid, step.key, step.modifiers);
        EXPECT_EQ(table.recNo(), step.expected) << step.key;
        EXPECT_EQ(grid->currentRow(), step.expected) << step.key;
    }
    // Letters do not search the rows.
    QTest::keyClick(grid, Qt::Key_D);
    EXPECT_EQ(table.recNo(), 0);
}

TEST_F(DBGridTest, FollowsInsertsDeletesAndEditsThatMoveRows)
{
    table.setRecNo(2);
    addRow(u"F"_s, false);
    EXPECT_EQ(grid->model()->rowCount(), 6);
    EXPECT_EQ(grid->currentRow(), table.recNo());
    EXPECT_EQ(cell(table.recNo()), u"F"_s);

    table.setRecNo(1);
    table.del();
    EXPECT_EQ(grid->model()->rowCount(), 5);
    EXPECT_EQ(grid->currentRow(), table.recNo());
    EXPECT_EQ(cell(table.recNo()), u"C"_s);

    table.edit();
    table.fieldByName(u"NAME").setAsString(u"Z"_s);
    table.post();
    EXPECT_EQ(cell(table.recNo()), u"Z"_s);
    EXPECT_EQ(grid->currentRow(), table.recNo());
}

TEST_F(DBGridTest, ResumingAfterASuspensionRefreshesEverything)
{
    table.disableControls();
    addRow(u"F"_s, false);
    addRow(u"G"_s, true);
    table.setRecNo(5);
    EXPECT_EQ(grid->model()->rowCount(), 5) << "a suspended table does not notify";
    table.enableControls();
    EXPECT_EQ(grid->model()->rowCount(), 7);
    EXPECT_EQ(grid->currentRow(), 5);
    EXPECT_EQ(cell(6), u"G"_s);

    table.close();
    EXPECT_EQ(grid->model()->rowCount(), 0);
    EXPECT_EQ(grid->currentRow(), -1);
}

TEST_F(DBGridTest, RightClickFocusesAndMovesBeforeTheMenuOpens)
{
    QMenu menu;
    menu.addAction(u"Удалить"_s);
    grid->setPopupMenu(&menu);
    other->setFocus();
    int rowAtShow = -1;
    bool focusedAtShow = false;
    QObject::connect(&menu, &QMenu::aboutToShow, [&] {
        rowAtShow = table.recNo();
        focusedAtShow = grid->hasFocus();
    });

    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, centreOf(3));
    if (!menu.isVisible()) {
        // Where the platform opens context menus on release, send it.
        QContextMenuEvent event(
            QContextMenuEvent::Mouse, centreOf(3), grid->viewport()->mapToGlobal(centreOf(3)));
        QApplication::sendEvent(grid->viewport(), &event);
    }
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(rowAtShow, 3);
    EXPECT_TRUE(focusedAtShow);
    menu.hide();
}

TEST_F(DBGridTest, LeftDoubleClickEmitsAnywhereIncludingTheTitles)
{
    QSignalSpy spy(grid, &TDBGrid::doubleClicked);
    QHeaderView *titles = grid->horizontalHeader();
    QTest::mouseDClick(titles->viewport(), Qt::LeftButton, {},
        QPoint(titles->sectionPosition(0) + 10, titles->height() / 2));
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(table.recNo(), 0) << "a click on a title moves no row";
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centreOf(2));
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(table.recNo(), 2);
    QTest::mouseDClick(grid->viewport(), Qt::RightButton, {}, centreOf(1));
    EXPECT_EQ(spy.count(), 2);
}

TEST_F(DBGridTest, TabLeavesTheGridAndFocusChangesWithinTheWindowSignal)
{
    // The window's first activation gave the grid, first in tab order, the focus.
    EXPECT_EQ(QApplication::focusWidget(), grid);
    EXPECT_EQ(enteredBeforeTest, 1);
    other->setFocus();
    EXPECT_FALSE(grid->isActiveControl());
    QSignalSpy entered(grid, &TDBGrid::entered);
    QSignalSpy exited(grid, &TDBGrid::exited);
    // When the grid exits, the window's active control is already the new one.
    QWidget *activeAtExit = nullptr;
    QObject::connect(grid, &TDBGrid::exited, [&] { activeAtExit = window.focusWidget(); });
    grid->setFocus();
    EXPECT_EQ(entered.count(), 1);
    EXPECT_TRUE(grid->isActiveControl());

    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), other);
    EXPECT_EQ(exited.count(), 1);
    EXPECT_EQ(activeAtExit, other);
    EXPECT_EQ(table.recNo(), 0);
    QTest::keyClick(other, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), grid);
    EXPECT_EQ(entered.count(), 2);

    // Another window taking and giving back the activation is no change
    // of the active control.
    QWidget dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.hide();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(entered.count(), 2);
    EXPECT_EQ(exited.count(), 1);
    EXPECT_TRUE(grid->isActiveControl());
}

TEST_F(DBGridTest, DrawingCallbackSeesTheDrawnRowAndTheHighlight)
{
    struct Drawn {
        int column;
        QString name;
        bool chk;
        bool selected;
    };
    std::vector<Drawn> drawn;
    grid->setOnDrawColumnCell([&](QPainter *, const QRect &, int column, store::Field &field, bool selected) {
        drawn.push_back({ column, table.fieldByName(u"NAME").asString(),
            table.fieldByName(u"CHK").asBoolean(), selected });
        if (column == 1) {
            EXPECT_EQ(field.asBoolean(), table.fieldByName(u"CHK").asBoolean());
        }
    });
    table.setRecNo(3);

    const auto paint = [&] {
        drawn.clear();
        grid->viewport()->repaint();
    };
    grid->setFocus();
    paint();
    ASSERT_EQ(drawn.size(), 10u);
    for (const Drawn &d : drawn) {
        EXPECT_EQ(d.chk, d.name == u"B"_s || d.name == u"D"_s) << d.name.toStdString();
        EXPECT_EQ(d.selected, d.name == u"D"_s) << d.name.toStdString();
    }

    // Unfocused, the current row is marked only by the indicator: no bar
    // behind its cells either.
    const auto highlighted = [&](int row) {
        const QImage image = grid->viewport()->grab().toImage();
        const QRect cell = grid->visualRect(grid->model()->index(row, 0));
        return image.pixelColor(cell.left() + 2, cell.center().y())
            == grid->palette().color(QPalette::Active, QPalette::Highlight);
    };
    EXPECT_TRUE(highlighted(3));
    other->setFocus();
    paint();
    ASSERT_EQ(drawn.size(), 10u);
    for (const Drawn &d : drawn)
        EXPECT_FALSE(d.selected) << d.name.toStdString();
    EXPECT_FALSE(highlighted(3));
    EXPECT_EQ(grid->currentRow(), 3);
    // The bar comes back with the focus, on the row the table moved to meanwhile.
    table.setRecNo(1);
    grid->setFocus();
    EXPECT_TRUE(highlighted(1));
    EXPECT_FALSE(highlighted(3));
}

} // namespace
