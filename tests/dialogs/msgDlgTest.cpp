#include "dialogs/uMsgDlg.h"
#include "resources/resources.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QStringList kYesNo { u"Удалить"_s, u"Отмена"_s };

// What a shown box looked like, captured from inside its modal loop.
struct Seen {
    QString title;
    QString labelText;
    int image = -1;
    QStringList captions;
    int focused = 0; // number of the focused button, 0 for none
    QSize outerSize;
    QSize clientSize;
    QPoint centre;
};

// Runs `show` with a hook that records the box and then answers it with `answer`.
Seen RunBox(const std::function<void(TfMsgDlg &)> &answer, const std::function<void()> &show)
{
    Seen seen;
    int calls = 0;
    MsgDlgTestHook hook([&](TfMsgDlg &dlg) {
        ++calls;
        seen.title = dlg.title();
        seen.labelText = dlg.messageLabel()->text();
        seen.image = dlg.imageIndex();
        for (QPushButton *button : dlg.buttons())
            seen.captions.append(button->text());
        seen.focused = int(dlg.buttons().indexOf(QApplication::focusWidget())) + 1;
        seen.outerSize = dlg.frameGeometry().size();
        seen.clientSize = dlg.size();
        seen.centre = dlg.frameGeometry().center();
        answer(dlg);
        // A box the answer failed to close would otherwise hang the test run.
        if (dlg.isVisible()) {
            ADD_FAILURE() << "the box is still open";
            dlg.done(-99);
        }
    });
    show();
    EXPECT_EQ(calls, 1);
    return seen;
}

// Client width of a box whose outer width is 400, frame included.
int ClientWidth(const TfMsgDlg &dlg)
{
    const QMargins frame = dlg.windowHandle() ? dlg.windowHandle()->frameMargins() : QMargins();
    return 400 - frame.left() - frame.right();
}

QList<QRect> ButtonRects(const TfMsgDlg &dlg)
{
    QList<QRect> rects;
    for (QPushButton *button : dlg.buttons())
        rects.append(button->geometry());
    return rects;
}

} // namespace

TEST(MsgDlgLayout, LabelBarAndButtonsStandWhereTheWindowPlacesThem)
{
    TfMsgDlg dlg(u"Заголовок"_s, u"Удалить запись?"_s, 7, kYesNo, 2);
    EXPECT_EQ(dlg.messageLabel()->pos(), QPoint(64, 16));
    // Measured while the window was still 440 wide; it is narrowed afterwards.
    EXPECT_EQ(dlg.messageLabel()->width(), 360);
    const int width = ClientWidth(dlg);
    EXPECT_EQ(dlg.size(), QSize(width, 114));
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize()); // fixed frame

    EXPECT_EQ(dlg.buttonBar()->geometry(), QRect(0, 114 - 41, width, 41));
    const QList<QRect> rects = ButtonRects(dlg);
    ASSERT_EQ(rects.size(), 2);
    EXPECT_EQ(rects[0], QRect(width - 10 - 75 - 3 - 75, 8, 75, 25));
    EXPECT_EQ(rects[1], QRect(width - 10 - 75, 8, 75, 25));
    EXPECT_EQ(dlg.buttons()[0]->text(), u"Удалить"_s);
    for (QPushButton *button : dlg.buttons()) {
        EXPECT_EQ(button->parentWidget(), dlg.buttonBar());
        EXPECT_FALSE(button->isDefault());
        EXPECT_FALSE(button->autoDefault());
    }
}

TEST(MsgDlgLayout, WideCaptionsWidenTheirButtonAndPushTheRowLeft)
{
    const QString wide = u"Удалить вместе со всеми периодами стажа"_s;
    TfMsgDlg dlg(u"T"_s, u"M"_s, 7, { u"Да"_s, wide, u"Нет"_s }, 1);
    const int wideWidth = QFontMetrics(dlg.font()).horizontalAdvance(wide) + 20;
    ASSERT_GT(wideWidth, 75);
    const QList<QRect> rects = ButtonRects(dlg);
    ASSERT_EQ(rects.size(), 3);
    EXPECT_EQ(rects[2].width(), 75);
    EXPECT_EQ(rects[1].width(), wideWidth);
    EXPECT_EQ(rects[0].width(), 75);
    EXPECT_EQ(rects[2].right() + 1, ClientWidth(dlg) - 10);
    EXPECT_EQ(rects[1].right() + 1 + 3, rects[2].left());
    EXPECT_EQ(rects[0].right() + 1 + 3, rects[1].left());

    // A row wider than the window runs off its left edge, neither wrapped nor shrunk.
    const QStringList many(4, wide);
    TfMsgDlg crowded(u"T"_s, u"M"_s, 7, many, 1);
    const QList<QRect> crowdedRects = ButtonRects(crowded);
    EXPECT_LT(crowdedRects[0].left(), 0);
    for (const QRect &rect : crowdedRects) {
        EXPECT_EQ(rect.width(), wideWidth);
        EXPECT_EQ(rect.top(), 8);
    }
}

TEST(MsgDlgLayout, ClientHeightGrowsOnlyForTallMessages)
{
    struct Case {
        QString message;
        int lines;
    };
    const Case cases[] = {
        { u"Одна строка"_s, 1 },
        { u"Первая строка\rвторая строка"_s, 2 },
        { u"Первая строка\r\nвторая строка"_s, 2 },
        { u"Дата приёма\rне может быть позже\rдаты увольнения!"_s, 3 },
        { u"1\r\n2\n3\r4"_s, 4 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        TfMsgDlg dlg(u"T"_s, c.message, 2, { u"Закрыть"_s }, 1);
        const QLabel *label = dlg.messageLabel();
        EXPECT_EQ(label->text().count(u'\n'), c.lines - 1);
        EXPECT_FALSE(label->text().contains(u'\r'));
        EXPECT_GE(label->height(), c.lines * QFontMetrics(label->font()).height());
        if (c.lines <= 2) {
            EXPECT_EQ(dlg.height(), 114);
        } else {
            EXPECT_GT(dlg.height(), 114);
            EXPECT_EQ(dlg.height(), 16 + label->height() + 25 + 40);
        }
        EXPECT_EQ(dlg.buttonBar()->geometry().bottom() + 1, dlg.height());
    }
}

TEST(MsgDlgLayout, TabOrderRunsLeftToRight)
{
    TfMsgDlg dlg(u"T"_s, u"M"_s, 7, { u"Один"_s, u"Два"_s, u"Три"_s }, 1);
    const QList<QPushButton *> buttons = dlg.buttons();
    ASSERT_EQ(buttons.size(), 3);
    for (int i = 0; i + 1 < buttons.size(); ++i) {
        QWidget *next = buttons[i]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus)
            next = next->nextInFocusChain();
        EXPECT_EQ(next, buttons[i + 1]);
    }
}

TEST(MsgDlgPaint, PictureAtSixteenOnTheHighlightedTextColourAboveAButtonFaceBar)
{
    for (int icon : { 0, 5, 7, -1, 8 }) {
        SCOPED_TRACE(icon);
        TfMsgDlg dlg(u"T"_s, u"M"_s, qint16(icon), { u"Закрыть"_s }, 1);
        const QImage shot = dlg.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QColor background = dlg.palette().color(QPalette::HighlightedText);
        EXPECT_EQ(background, QApplication::palette().color(QPalette::HighlightedText));

        QImage expected(32, 32, QImage::Format_RGB32);
        expected.fill(background);
        QPainter(&expected).drawPixmap(0, 0, resources::MsgPicture(icon)); // null draws nothing
        EXPECT_EQ(shot.copy(16, 16, 32, 32), expected);
        EXPECT_EQ(shot.pixelColor(4, 4), background);
        EXPECT_EQ(shot.pixelColor(2, dlg.height() - 2), QApplication::palette().color(QPalette::Button));
    }
}

TEST(MsgBoxAnswers, ResultFollowsTheWayTheBoxWasClosed)
{
    using Act = std::function<void(TfMsgDlg &)>;
    const auto key = [](Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) -> Act {
        return [=](TfMsgDlg &) { QTest::keyClick(QApplication::focusWidget(), k, mods); };
    };
    const auto click = [](int number) -> Act {
        return [=](TfMsgDlg &dlg) { QTest::mouseClick(dlg.buttons()[number - 1], Qt::LeftButton); };
    };
    struct Case {
        const char *name;
        qint16 defaultButton;
        Act act;
        int focused;
        int result;
    };
    const Case cases[] = {
        { "Enter presses the default button", 2, key(Qt::Key_Return), 2, 2 },
        { "keypad Enter", 2, key(Qt::Key_Enter), 2, 2 },
        { "Space presses the focused button", 2, key(Qt::Key_Space), 2, 2 },
        { "default 0 focuses the leftmost", 0, key(Qt::Key_Return), 1, 1 },
        { "default past the end focuses the leftmost", 9, key(Qt::Key_Space), 1, 1 },
        { "click", 2, click(1), 2, 1 },
        { "Tab then Enter", 1,
            [](TfMsgDlg &) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            },
            1, 2 },
        { "Esc", 2, key(Qt::Key_Escape), 2, -1 },
        { "Shift+Esc", 2, key(Qt::Key_Escape, Qt::ShiftModifier), 2, -1 },
        { "Ctrl+Alt+Esc", 1, key(Qt::Key_Escape, Qt::ControlModifier | Qt::AltModifier), 1, -1 },
        { "close box", 1, [](TfMsgDlg &dlg) { dlg.close(); }, 1, -1 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        int result = 0;
        const Seen seen
            = RunBox(c.act, [&] { result = MsgBox(u"Вопрос"_s, u"Удалить?"_s, 7, kYesNo, c.defaultButton); });
        EXPECT_EQ(seen.focused, c.focused);
        EXPECT_EQ(result, c.result);
    }
}

TEST(MsgBoxAnswers, EscClosesOnReleaseNotOnPress)
{
    bool openAfterPress = false;
    int result = 0;
    RunBox(
        [&](TfMsgDlg &dlg) {
            QTest::keyPress(QApplication::focusWidget(), Qt::Key_Escape);
            openAfterPress = dlg.isVisible();
            if (openAfterPress)
                QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Escape);
        },
        [&] { result = MsgBox(u"T"_s, u"M"_s, 7, kYesNo, 1); });
    EXPECT_TRUE(openAfterPress);
    EXPECT_EQ(result, -1);
}

TEST(MsgBoxAnswers, NoticesReturnZeroHoweverClosed)
{
    const auto esc = [](TfMsgDlg &) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); };
    int result = -5;
    Seen seen = RunBox(esc, [&] { result = MsgBox(u"Внимание"_s, u"Нет периодов"_s, 2, {}, 3); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(seen.captions, QStringList { u"Закрыть"_s });
    EXPECT_EQ(seen.focused, 1);
    EXPECT_EQ(seen.image, 2);

    const auto enter = [](TfMsgDlg &) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); };
    result = -5;
    seen = RunBox(enter, [&] { result = MsgInfo(u"Внимание"_s, u"Готово"_s, 3); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(seen.title, u"Внимание"_s);
    EXPECT_EQ(seen.image, 3);
}

TEST(MsgBoxAnswers, MsgErrorFillsInTitleAndTextOnlyWhenEmpty)
{
    const auto enter = [](TfMsgDlg &) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); };
    Seen seen = RunBox(enter, [] { MsgError(); });
    EXPECT_EQ(seen.title, u"Внимание ошибка!"_s);
    EXPECT_EQ(seen.labelText,
        u"При выполнение последней операции произошла ошибка!\nОперация не была выполнена!"_s);
    EXPECT_EQ(seen.image, 0);
    EXPECT_EQ(seen.captions, QStringList { u"Закрыть"_s });
    EXPECT_EQ(seen.focused, 1);
    EXPECT_EQ(seen.outerSize.width(), 400);
    EXPECT_EQ(seen.clientSize.height(), 114);

    seen = RunBox(enter, [] { MsgError(u"Ошибка ввода"_s, u"Не указана фамилия!"_s); });
    EXPECT_EQ(seen.title, u"Ошибка ввода"_s);
    EXPECT_EQ(seen.labelText, u"Не указана фамилия!"_s);
}

TEST(MsgBoxPlacement, CentredOverTheMainWindowElseOnTheScreen)
{
    const auto enter = [](TfMsgDlg &) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); };
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    Seen seen = RunBox(enter, [] { MsgInfo(u"T"_s, u"M"_s, 2); });
    EXPECT_LE((seen.centre - screen.center()).manhattanLength(), 1);

    QMainWindow main;
    main.setGeometry(50, 60, 700, 500);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    seen = RunBox(enter, [] { MsgInfo(u"T"_s, u"M"_s, 2); });
    EXPECT_LE((seen.centre - main.frameGeometry().center()).manhattanLength(), 1);
}
