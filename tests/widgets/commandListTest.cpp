#include "widgets/commandList.h"
#include "widgets/dbGrid.h"
#include "widgets/keys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QShortcut>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace widgets;

namespace {

// A control that records the keys that reach it.
class KeySink : public QWidget {
public:
    explicit KeySink(QWidget *parent)
        : QWidget(parent)
    {
        setFocusPolicy(Qt::StrongFocus);
    }
    QList<quint16> keys;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        // QTest presses the modifier keys on their own first; they are no commands' keys.
        const quint16 key = KeyFromEvent(*event);
        if (!QList<int> { 16, 17, 18 }.contains(key & 0xFF))
            keys.append(key);
    }
};

// Counts the key presses the filter lets through to a widget.
class KeyCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress)
            ++count;
        return false;
    }
};

// A window shaped like the main one, with a command list in the same
// spirit: a handlerless command with Ctrl+Space as its second key comes
// before the command that owns Ctrl+Space and Space.
class KeyDispatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto *layout = new QVBoxLayout(&window);
        grid = new TDBGrid(&window);
        sink = new KeySink(&window);
        layout->addWidget(grid);
        layout->addWidget(sink);

        add = &list.add(
            { u"acAdd"_s, u"Добавить"_s, u"Добавить"_s, 0, 45, {}, [this] { ++runs[u"acAdd"_s]; } });
        find = &list.add({ u"acFind"_s, u"Найти"_s, u"Найти"_s, 7, 16454, { u"Ctrl+Space"_s }, {} });
        exit = &list.add(
            { u"acExit"_s, u"Выйти"_s, u"Выйти"_s, 6, 32856, { u"F10"_s }, [this] { ++runs[u"acExit"_s]; } });
        sel = &list.add({ u"acSel"_s, u"Выбрать"_s, u"Выбрать"_s, 8, 16416, { u"SPACE"_s },
            [this] { ++runs[u"acSel"_s]; } });
        list.updateCommands();

        menu.addAction(add->action());
        menu.addAction(sel->action());
        grid->setPopupMenu(&menu);
        grid->viewport()->installEventFilter(&gridKeys);
        grid->installEventFilter(&gridKeys);

        preview = new KeyPreview(&window, list);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void press(QWidget *target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        target->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), target);
        QTest::keyClick(target, key, modifiers);
    }

    QWidget window;
    TDBGrid *grid = nullptr;
    KeySink *sink = nullptr;
    KeyCounter gridKeys;
    QMenu menu;
    CommandList list;
    KeyPreview *preview = nullptr;
    Command *add = nullptr;
    Command *find = nullptr;
    Command *exit = nullptr;
    Command *sel = nullptr;
    QHash<QString, int> runs;
};

TEST_F(KeyDispatchTest, SecondKeyOfALaterCommandRunsItAndIsConsumed)
{
    press(sink, Qt::Key_Space);
    EXPECT_EQ(runs.value(u"acSel"_s), 1);
    EXPECT_TRUE(sink->keys.isEmpty());

    press(sink, Qt::Key_F10);
    EXPECT_EQ(runs.value(u"acExit"_s), 1);
    EXPECT_TRUE(sink->keys.isEmpty());
}

TEST_F(KeyDispatchTest, DisabledEarlierCommandEndsTheSearchAndLeavesTheKeyToTheControl)
{
    ASSERT_FALSE(find->enabled());
    press(sink, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(runs.value(u"acSel"_s), 0);
    EXPECT_EQ(sink->keys, QList<quint16> { 16416 });

    add->setEnabled(false);
    press(sink, Qt::Key_Insert);
    EXPECT_EQ(runs.value(u"acAdd"_s), 0);
    EXPECT_EQ(sink->keys, (QList<quint16> { 16416, 45 }));
}

TEST_F(KeyDispatchTest, GridMenuItemsComeFirstAndSwallowTheirKeysWhenDisabled)
{
    // Ctrl+Space reaches acSel through the grid's menu, before acFind.
    press(grid, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(runs.value(u"acSel"_s), 1);

    add->setEnabled(false);
    const int before = gridKeys.count;
    press(grid, Qt::Key_Insert);
    EXPECT_EQ(runs.value(u"acAdd"_s), 0);
    EXPECT_EQ(gridKeys.count, before);

    add->setEnabled(true);
    press(grid, Qt::Key_Insert);
    EXPECT_EQ(runs.value(u"acAdd"_s), 1);
}

TEST_F(KeyDispatchTest, KeysMatchingNothingReachTheFocusedControl)
{
    press(sink, Qt::Key_Q, Qt::ControlModifier);
    press(sink, Qt::Key_1, Qt::ShiftModifier);
    EXPECT_EQ(sink->keys, (QList<quint16> { 0x4000 | 'Q', 0x2000 | '1' }));
    EXPECT_TRUE(runs.isEmpty());

    const int before = gridKeys.count;
    press(grid, Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_GT(gridKeys.count, before);
}

TEST_F(KeyDispatchTest, QtShortcutsDoNotFireOnKeysTheCommandsTake)
{
    // The actions sit in a menu and on the window, as tool strips and
    // menus put them, and still only the command list acts on the key.
    window.addAction(exit->action());
    int shortcutFired = 0;
    QShortcut competing(QKeySequence(Qt::ALT | Qt::Key_X), &window);
    QObject::connect(&competing, &QShortcut::activated, [&] { ++shortcutFired; });

    press(sink, Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(runs.value(u"acExit"_s), 1);
    EXPECT_EQ(shortcutFired, 0);
    EXPECT_TRUE(exit->action()->shortcut().isEmpty());
}

TEST(CommandListTest, ActionsFollowTheCommandAndShowTheFirstKeyInMenus)
{
    CommandList list;
    list.setImages([](int index) {
        QPixmap pixmap(16, 16);
        pixmap.fill(index == 2 ? Qt::red : Qt::blue);
        return QIcon(pixmap);
    });
    int runs = 0;
    Command &del = list.add({ u"acDel"_s, u"Удалить"_s, u"Удалить запись"_s, 2, 16430, {}, [&] { ++runs; } });
    QAction *action = del.action();
    EXPECT_EQ(action->text(), u"Удалить\tCtrl+Del"_s);
    EXPECT_EQ(action->toolTip(), u"Удалить запись"_s);
    EXPECT_EQ(action->icon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
    EXPECT_TRUE(action->shortcut().isEmpty());

    del.setCaption(u"Стереть"_s);
    del.setShortCut(45);
    EXPECT_EQ(action->text(), u"Стереть\tIns"_s);

    action->trigger();
    EXPECT_EQ(runs, 1);
    del.setEnabled(false);
    EXPECT_FALSE(action->isEnabled());
    action->trigger();
    EXPECT_FALSE(del.execute());
    EXPECT_FALSE(list.execute(u"acDel"));
    EXPECT_EQ(runs, 1);

    EXPECT_EQ(list.find(u"ACDEL"), &del);
    EXPECT_EQ(list.find(u"acNone"), nullptr);
    EXPECT_EQ(list.commandOf(action), &del);
}

TEST(CommandListTest, SecondKeysAreParsedAndUnknownOnesDropped)
{
    CommandList list;
    Command &c
        = list.add({ u"acFind"_s, u"Найти"_s, {}, -1, 16454, { u"ctrl+space"_s, u"Bogus"_s, u"F10"_s }, {} });
    EXPECT_EQ(c.secondaryShortCuts(), (QList<quint16> { 16416, 121 }));
    EXPECT_TRUE(c.matches(16454));
    EXPECT_TRUE(c.matches(121));
    EXPECT_FALSE(c.matches(0));
}

TEST(CommandListTest, CommandsWithoutHandlerTurnGreyOnceTheProgramIsIdle)
{
    CommandList list;
    Command &find = list.add({ u"acFind"_s, u"Найти"_s, {}, -1, 16454, {}, {} });
    Command &about = list.add({ u"acAbout"_s, u"О программке"_s, {}, -1, 112, {}, [] {} });
    EXPECT_TRUE(find.action()->isEnabled());

    // Idle means the event loop is about to wait for input.
    const auto runLoop = [] {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    };
    runLoop();
    EXPECT_FALSE(find.enabled());
    EXPECT_FALSE(find.action()->isEnabled());
    EXPECT_TRUE(about.enabled());

    // The handlerless command stays grey whatever its state is set to.
    find.setEnabled(true);
    runLoop();
    EXPECT_FALSE(find.action()->isEnabled());
    EXPECT_FALSE(DispatchKey(16454, nullptr, list));
}

} // namespace
