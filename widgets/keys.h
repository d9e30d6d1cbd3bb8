#pragma once

#include <QString>
#include <QStringView>

class QKeyEvent;

namespace widgets {

// A key combination as the command table stores it: the Windows
// virtual-key code in the low byte plus modifier bits.
constexpr quint16 kShiftBit = 0x2000;
constexpr quint16 kCtrlBit = 0x4000;
constexpr quint16 kAltBit = 0x8000;

// Virtual-key codes the program refers to by name.
namespace vk {
constexpr quint16 Back = 8;
constexpr quint16 Tab = 9;
constexpr quint16 Return = 13;
constexpr quint16 Escape = 27;
constexpr quint16 Space = 32;
constexpr quint16 Prior = 33;
constexpr quint16 Next = 34;
constexpr quint16 End = 35;
constexpr quint16 Home = 36;
constexpr quint16 Left = 37;
constexpr quint16 Up = 38;
constexpr quint16 Right = 39;
constexpr quint16 Down = 40;
constexpr quint16 Insert = 45;
constexpr quint16 Delete = 46;
constexpr quint16 F1 = 112;
} // namespace vk

// The combination of a key press; 0 when the key has no virtual-key code.
quint16 KeyFromEvent(const QKeyEvent &event);

// "Ctrl+Del", "Alt+X", "F10", "Space"; empty for 0 or an unnamed key.
QString ShortCutToText(quint16 shortCut);

// The inverse of ShortCutToText, ignoring letter case ("ctrl+space",
// "SPACE"); 0 when the text names no key.
quint16 TextToShortCut(QStringView text);

} // namespace widgets
