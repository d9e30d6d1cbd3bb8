#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The program's artwork: SVG drawings compiled into the binary and rendered
// at exactly the pixel sizes the windows use, so nothing depends on an icon
// engine plugin being installed.
namespace resources {

// Pictures of the message box, 32 x 32 each.
inline constexpr int kMsgPictureCount = 8;
inline constexpr int kMsgPictureSize = 32;
// Command icons, shown at 16 pixels in menus and 24 in the tool strip.
inline constexpr int kCommandIconCount = 11;
inline constexpr int kSmallIconSize = 16;
inline constexpr int kLargeIconSize = 24;

// Renders the SVG at a resource path (":/icons/cmd0.svg") into a square
// ARGB pixmap of the given size; a null pixmap when the file is missing or
// not a valid drawing. Results are cached.
QPixmap RenderSvg(const QString &resourcePath, int size);

// Picture 0..7 of the message box; a null pixmap for any other index.
QPixmap MsgPicture(int index);
// Command icon 0..10 with 16 and 24 pixel pixmaps; an empty icon for any other index.
QIcon CommandIcon(int index);
// The program's own icon, at the usual window and task-bar sizes.
QIcon ProgramIcon();

} // namespace resources
