#pragma once

#include <QRect>

#include <vector>

class QPainter;
class QWidget;

namespace widgets {

// The Windows drawing calls the period list's selection column is built on.

constexpr unsigned DFC_BUTTON = 4;
constexpr unsigned DFCS_BUTTONCHECK = 0x0000;
constexpr unsigned DFCS_BUTTONRADIO = 0x0004;
constexpr unsigned DFCS_INACTIVE = 0x0100;
constexpr unsigned DFCS_PUSHED = 0x0200;
constexpr unsigned DFCS_CHECKED = 0x0400;
constexpr unsigned DFCS_ADJUSTRECT = 0x2000;

// Grows each side of rect by dx and dy; negative values shrink it.
void InflateRect(QRect &rect, int dx, int dy);

// Draws a button of the kind in state into rect with the widget's style: a
// check box or a radio button as a square centred in rect. With
// DFCS_ADJUSTRECT, rect is shrunk to the inside of the button's edge.
// False for kinds it cannot draw (rect is then left as it was).
bool DrawFrameControl(QPainter *painter, QRect &rect, unsigned type, unsigned state, const QWidget *widget);

struct DrawFrameCall {
    unsigned type;
    unsigned state;
    QRect rect; // as passed in
};

// Records the DrawFrameControl calls made while it lives, for tests of the
// windows that draw with it.
class DrawFrameControlLog {
public:
    DrawFrameControlLog();
    ~DrawFrameControlLog();
    DrawFrameControlLog(const DrawFrameControlLog &) = delete;
    DrawFrameControlLog &operator=(const DrawFrameControlLog &) = delete;

    const std::vector<DrawFrameCall> &calls() const { return m_calls; }
    void clear() { m_calls.clear(); }

private:
    friend bool DrawFrameControl(QPainter *, QRect &, unsigned, unsigned, const QWidget *);
    std::vector<DrawFrameCall> m_calls;
    DrawFrameControlLog *m_previous;
};

} // namespace widgets
