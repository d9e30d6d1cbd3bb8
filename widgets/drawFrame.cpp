#include "widgets/drawFrame.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

#include <algorithm>

namespace widgets {

namespace {

DrawFrameControlLog *g_log = nullptr;

// Width of the sunken edge around a Windows check box.
constexpr int kEdge = 2;

constexpr unsigned kKindMask = 0x001F;

} // namespace

void InflateRect(QRect &rect, int dx, int dy)
{
    rect.adjust(-dx, -dy, dx, dy);
}

bool DrawFrameControl(QPainter *painter, QRect &rect, unsigned type, unsigned state, const QWidget *widget)
{
    if (g_log)
        g_log->m_calls.push_back({ type, state, rect });
    const unsigned kind = state & kKindMask;
    if (type != DFC_BUTTON || (kind != DFCS_BUTTONCHECK && kind != DFCS_BUTTONRADIO))
        return false;

    QStyleOptionButton option;
    if (widget)
        option.initFrom(widget);
    else
        option.palette = QApplication::palette();
    const int side = std::max(0, std::min(rect.width(), rect.height()));
    option.rect = QRect(0, 0, side, side);
    option.rect.moveCenter(rect.center());
    option.state = QStyle::State_None;
    if (!(state & DFCS_INACTIVE))
        option.state |= QStyle::State_Enabled;
    option.state |= (state & DFCS_CHECKED) ? QStyle::State_On : QStyle::State_Off;
    if (state & DFCS_PUSHED)
        option.state |= QStyle::State_Sunken;

    QStyle *style = widget ? widget->style() : QApplication::style();
    const auto element
        = kind == DFCS_BUTTONRADIO ? QStyle::PE_IndicatorRadioButton : QStyle::PE_IndicatorCheckBox;
    if (painter)
        style->drawPrimitive(element, &option, painter, widget);
    if (state & DFCS_ADJUSTRECT)
        InflateRect(rect, -kEdge, -kEdge);
    return true;
}

DrawFrameControlLog::DrawFrameControlLog()
    : m_previous(g_log)
{
    g_log = this;
}

DrawFrameControlLog::~DrawFrameControlLog()
{
    g_log = m_previous;
}

} // namespace widgets
