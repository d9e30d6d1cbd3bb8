#pragma once

#include <QMargins>
#include <Qt>

class QWidget;

// Window flags of a fixed dialog frame: caption and close box, no resizing,
// no minimise, maximise or context-help box.
inline constexpr Qt::WindowFlags kFixedDialogFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint
    | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// The program's main window: the active top-level main window, else the first
// visible one; null while none is shown yet (failures during start-up).
QWidget *FindMainWindow();

// Frame margins of a top-level window, creating its native window first so
// the platform can tell them before the window is shown (zero when it cannot).
QMargins FrameMargins(QWidget *window);

// Moves a top-level window so that it stands centred over `owner`, or over the
// screen when `owner` is null.
void CentreOver(QWidget *window, QWidget *owner);
