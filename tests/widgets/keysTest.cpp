#include "widgets/keys.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using widgets::KeyFromEvent;
using widgets::ShortCutToText;
using widgets::TextToShortCut;

namespace {

struct EventCase {
    const char *label;
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    quint16 expected;
};

class KeyFromEventTest : public ::testing::TestWithParam<EventCase> { };

TEST_P(KeyFromEventTest, GivesTheVirtualKeyWithModifierBits)
{
    const EventCase &c = GetParam();
    const QKeyEvent event(QEvent::KeyPress, c.qtKey, c.modifiers);
    EXPECT_EQ(KeyFromEvent(event), c.expected) << c.label;
}

INSTANTIATE_TEST_SUITE_P(CommandKeys, KeyFromEventTest,
    ::testing::Values(EventCase { "Ins", Qt::Key_Insert, Qt::NoModifier, 45 },
        EventCase { "Ctrl+Del", Qt::Key_Delete, Qt::ControlModifier, 16430 },
        EventCase { "Ctrl+Enter (main)", Qt::Key_Return, Qt::ControlModifier, 16397 },
        EventCase { "Ctrl+Enter (keypad)", Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier, 16397 },
        EventCase { "Ctrl+F", Qt::Key_F, Qt::ControlModifier, 16454 },
        EventCase { "F1", Qt::Key_F1, Qt::NoModifier, 112 },
        EventCase { "F10", Qt::Key_F10, Qt::NoModifier, 121 },
        EventCase { "Alt+X", Qt::Key_X, Qt::AltModifier, 32856 },
        EventCase { "Ctrl+R", Qt::Key_R, Qt::ControlModifier, 16466 },
        EventCase { "Ctrl+Ins", Qt::Key_Insert, Qt::ControlModifier, 16429 },
        EventCase { "Ctrl+Space", Qt::Key_Space, Qt::ControlModifier, 16416 },
        EventCase { "Space", Qt::Key_Space, Qt::NoModifier, 32 },
        EventCase { "Ctrl+A", Qt::Key_A, Qt::ControlModifier, 16449 },
        EventCase { "Alt+A", Qt::Key_A, Qt::AltModifier, 32833 },
        EventCase { "Shift+F2", Qt::Key_F2, Qt::ShiftModifier, 0x2000 | 113 },
        // Qt reports the character typed; the key is still the digit key.
        EventCase { "Shift+1 as typed", Qt::Key_Exclam, Qt::ShiftModifier, 0x2000 | 49 },
        EventCase { "Shift+1 as key", Qt::Key_1, Qt::ShiftModifier, 0x2000 | 49 },
        EventCase { "Shift+Tab", Qt::Key_Backtab, Qt::ShiftModifier, 0x2000 | 9 },
        EventCase { "keypad 5 is not the digit 5", Qt::Key_5, Qt::KeypadModifier, 101 },
        // A Russian layout reports Cyrillic letters for the Latin keys.
        EventCase { "Ctrl+F on a Russian layout", 0x0410, Qt::ControlModifier, 16454 },
        EventCase { "unknown key", Qt::Key_unknown, Qt::NoModifier, 0 }));

TEST(ShortCutText, NamesKeysWithModifierPrefixesInOrder)
{
    const struct {
        quint16 key;
        QString text;
    } cases[] = {
        { 45, u"Ins"_s },
        { 16430, u"Ctrl+Del"_s },
        { 16397, u"Ctrl+Enter"_s },
        { 16416, u"Ctrl+Space"_s },
        { 32, u"Space"_s },
        { 112, u"F1"_s },
        { 121, u"F10"_s },
        { 32856, u"Alt+X"_s },
        { 16449, u"Ctrl+A"_s },
        { 27, u"Esc"_s },
        { 9, u"Tab"_s },
        { 0x2000 | 0x4000 | 0x8000 | 'Q', u"Shift+Ctrl+Alt+Q"_s },
        { 0x2000 | 49, u"Shift+1"_s },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ShortCutToText(c.key), c.text) << c.key;
        EXPECT_EQ(TextToShortCut(c.text), c.key) << c.text.toStdString();
    }
}

TEST(ShortCutText, ParsesIgnoringCaseAndRejectsUnknownNames)
{
    EXPECT_EQ(TextToShortCut(u"Ctrl+Space"), 16416);
    EXPECT_EQ(TextToShortCut(u"ctrl+SPACE"), 16416);
    EXPECT_EQ(TextToShortCut(u"SPACE"), 32);
    EXPECT_EQ(TextToShortCut(u"F10"), 121);
    EXPECT_EQ(TextToShortCut(u"alt+shift+x"), 0x8000 | 0x2000 | 'X');

    for (const QString &bad : { u""_s, u"Ctrl+"_s, u"Spacebar"_s, u"F25"_s, u"Ctrl+Foo"_s, u"Ctrl Space"_s })
        EXPECT_EQ(TextToShortCut(bad), 0) << bad.toStdString();
    EXPECT_TRUE(ShortCutToText(0).isEmpty());
    EXPECT_TRUE(ShortCutToText(0x4000 | 255).isEmpty());
}

} // namespace
