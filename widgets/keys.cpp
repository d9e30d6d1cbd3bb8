#include "widgets/keys.h"

#include <QGuiApplication>
#include <QKeyEvent>

#include <array>
#include <optional>

using namespace Qt::StringLiterals;

namespace widgets {

namespace {

struct KeyName {
    quint16 code;
    QLatin1StringView name;
};

// Names of the keys that have no single character of their own; letters
// and digits are named by themselves, function keys by F and the number.
constexpr std::array kKeyNames {
    KeyName { vk::Back, "BkSp"_L1 },
    KeyName { vk::Tab, "Tab"_L1 },
    KeyName { vk::Return, "Enter"_L1 },
    KeyName { vk::Escape, "Esc"_L1 },
    KeyName { vk::Space, "Space"_L1 },
    KeyName { vk::Prior, "PgUp"_L1 },
    KeyName { vk::Next, "PgDn"_L1 },
    KeyName { vk::End, "End"_L1 },
    KeyName { vk::Home, "Home"_L1 },
    KeyName { vk::Left, "Left"_L1 },
    KeyName { vk::Up, "Up"_L1 },
    KeyName { vk::Right, "Right"_L1 },
    KeyName { vk::Down, "Down"_L1 },
    KeyName { vk::Insert, "Ins"_L1 },
    KeyName { vk::Delete, "Del"_L1 },
    KeyName { 106, "Num *"_L1 },
    KeyName { 107, "Num +"_L1 },
    KeyName { 109, "Num -"_L1 },
    KeyName { 110, "Num ."_L1 },
    KeyName { 111, "Num /"_L1 },
    KeyName { 186, ";"_L1 },
    KeyName { 187, "="_L1 },
    KeyName { 188, ","_L1 },
    KeyName { 189, "-"_L1 },
    KeyName { 190, "."_L1 },
    KeyName { 191, "/"_L1 },
    KeyName { 192, "`"_L1 },
    KeyName { 219, "["_L1 },
    KeyName { 220, "\\"_L1 },
    KeyName { 221, "]"_L1 },
    KeyName { 222, "'"_L1 },
};

constexpr quint16 kNumpad0 = 96;
constexpr int kFunctionKeys = 24;

struct Modifier {
    quint16 bit;
    QLatin1StringView prefix;
};

constexpr std::array kModifiers {
    Modifier { kShiftBit, "Shift+"_L1 },
    Modifier { kCtrlBit, "Ctrl+"_L1 },
    Modifier { kAltBit, "Alt+"_L1 },
};

QString KeyName(quint16 code)
{
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9'))
        return QString(QChar(code));
    if (code >= vk::F1 && code < vk::F1 + kFunctionKeys)
        return u"F"_s + QString::number(code - vk::F1 + 1);
    if (code >= kNumpad0 && code <= kNumpad0 + 9)
        return u"Num "_s + QString::number(code - kNumpad0);
    for (const auto &entry : kKeyNames) {
        if (entry.code == code)
            return entry.name;
    }
    return {};
}

// Characters of the main key block as a US layout gives them, unshifted and
// shifted, for the keys whose Qt key is the character typed.
struct SymbolKey {
    char16_t plain;
    char16_t shifted;
    quint16 code;
};

constexpr std::array kSymbolKeys {
    SymbolKey { u'1', u'!', '1' },
    SymbolKey { u'2', u'@', '2' },
    SymbolKey { u'3', u'#', '3' },
    SymbolKey { u'4', u'$', '4' },
    SymbolKey { u'5', u'%', '5' },
    SymbolKey { u'6', u'^', '6' },
    SymbolKey { u'7', u'&', '7' },
    SymbolKey { u'8', u'*', '8' },
    SymbolKey { u'9', u'(', '9' },
    SymbolKey { u'0', u')', '0' },
    SymbolKey { u';', u':', 186 },
    SymbolKey { u'=', u'+', 187 },
    SymbolKey { u',', u'<', 188 },
    SymbolKey { u'-', u'_', 189 },
    SymbolKey { u'.', u'>', 190 },
    SymbolKey { u'/', u'?', 191 },
    SymbolKey { u'`', u'~', 192 },
    SymbolKey { u'[', u'{', 219 },
    SymbolKey { u'\\', u'|', 220 },
    SymbolKey { u']', u'}', 221 },
    SymbolKey { u'\'', u'"', 222 },
};

// The Russian layout puts its letters on the keys of the Latin ones; Qt
// reports the Cyrillic letter, the command keys mean the key underneath.
constexpr std::array<char, 32> kCyrillicKeys { // А Б В Г Д Е Ж З И Й К Л М Н О П
    'F', ',', 'D', 'U', 'L', 'T', ';', 'P', 'B', 'Q', 'R', 'K', 'V', 'Y', 'J', 'G',
    // Р С Т У Ф Х Ц Ч Ш Щ Ъ Ы Ь Э Ю Я
    'H', 'C', 'N', 'E', 'A', '[', 'W', 'X', 'I', 'O', ']', 'S', 'M', '\'', '.', 'Z'
};

quint16 CodeOfSymbol(char ch)
{
    if (ch >= 'A' && ch <= 'Z')
        return static_cast<quint16>(ch);
    for (const auto &entry : kSymbolKeys) {
        if (entry.plain == static_cast<char16_t>(ch))
            return entry.code;
    }
    return 0;
}

std::optional<quint16> CodeOfKeypadKey(int key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<quint16>(kNumpad0 + (key - Qt::Key_0));
    switch (key) {
    case Qt::Key_Asterisk:
        return 106;
    case Qt::Key_Plus:
        return 107;
    case Qt::Key_Minus:
        return 109;
    case Qt::Key_Period:
    case Qt::Key_Comma:
        return 110;
    case Qt::Key_Slash:
        return 111;
    default:
        return std::nullopt; // Enter, arrows and the like are the same keys as elsewhere
    }
}

quint16 CodeOfQtKey(int key, bool keypad, bool shift)
{
    if (keypad) {
        if (const auto code = CodeOfKeypadKey(key))
            return *code;
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<quint16>(key);
    if (key >= Qt::Key_F1 && key < Qt::Key_F1 + kFunctionKeys)
        return static_cast<quint16>(vk::F1 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Backspace:
        return vk::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return vk::Tab;
    case Qt::Key_Clear:
        return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return vk::Return;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Escape:
        return vk::Escape;
    case Qt::Key_Space:
        return vk::Space;
    case Qt::Key_PageUp:
        return vk::Prior;
    case Qt::Key_PageDown:
        return vk::Next;
    case Qt::Key_End:
        return vk::End;
    case Qt::Key_Home:
        return vk::Home;
    case Qt::Key_Left:
        return vk::Left;
    case Qt::Key_Up:
        return vk::Up;
    case Qt::Key_Right:
        return vk::Right;
    case Qt::Key_Down:
        return vk::Down;
    case Qt::Key_Print:
        return 44;
    case Qt::Key_Insert:
        return vk::Insert;
    case Qt::Key_Delete:
        return vk::Delete;
    case Qt::Key_Help:
        return 47;
    case Qt::Key_Meta:
        return 91;
    case Qt::Key_Menu:
        return 93;
    case Qt::Key_NumLock:
        return 144;
    case Qt::Key_ScrollLock:
        return 145;
    case 0x2116: // № is Shift+3 on the Russian layout
        return '3';
    default:
        break;
    }
    if (key >= 0x0410 && key <= 0x042F)
        return CodeOfSymbol(kCyrillicKeys[key - 0x0410]);
    if (key == 0x0401) // Ё
        return 192;
    // Qt gives the character typed: Shift+1 arrives as '!', and must still
    // be the key 1 with Shift.
    for (const auto &entry : kSymbolKeys) {
        if (shift && entry.shifted == key)
            return entry.code;
    }
    for (const auto &entry : kSymbolKeys) {
        if (entry.plain == key || entry.shifted == key)
            return entry.code;
    }
    return 0;
}

} // namespace

quint16 KeyFromEvent(const QKeyEvent &event)
{
    const Qt::KeyboardModifiers mods = event.modifiers();
    quint16 code
        = CodeOfQtKey(event.key(), mods.testFlag(Qt::KeypadModifier), mods.testFlag(Qt::ShiftModifier));
    // Only Windows reports virtual-key codes as native keys; elsewhere they
    // are key symbols and mean something else.
    if (code == 0 && QGuiApplication::platformName() == "windows"_L1) {
        const quint32 native = event.nativeVirtualKey();
        if (native > 0 && native < 0xFF)
            code = static_cast<quint16>(native);
    }
    if (code == 0)
        return 0;
    if (mods.testFlag(Qt::ShiftModifier))
        code |= kShiftBit;
    if (mods.testFlag(Qt::ControlModifier))
        code |= kCtrlBit;
    if (mods.testFlag(Qt::AltModifier))
        code |= kAltBit;
    return code;
}

QString ShortCutToText(quint16 shortCut)
{
    const QString name = KeyName(shortCut & 0xFF);
    if (name.isEmpty())
        return {};
    QString text;
    for (const auto &modifier : kModifiers) {
        if (shortCut & modifier.bit)
            text += modifier.prefix;
    }
    return text + name;
}

quint16 TextToShortCut(QStringView text)
{
    quint16 modifiers = 0;
    bool found = true;
    while (found) {
        found = false;
        for (const auto &modifier : kModifiers) {
            if (text.startsWith(modifier.prefix, Qt::CaseInsensitive)) {
                modifiers |= modifier.bit;
                text = text.mid(modifier.prefix.size());
                found = true;
            }
        }
    }
    if (text.isEmpty())
        return 0;
    for (quint16 code = 1; code < 0xFF; ++code) {
        if (text.compare(KeyName(code), Qt::CaseInsensitive) == 0)
            return modifiers | code;
    }
    return 0;
}

} // namespace widgets
