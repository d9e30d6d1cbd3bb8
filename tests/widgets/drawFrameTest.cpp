#include "widgets/drawFrame.h"

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>

using namespace widgets;

namespace {

TEST(InflateRect, GrowsOrShrinksEachSide)
{
    const struct {
        int dx, dy;
        QRect expected;
    } cases[] = {
        { -1, -1, QRect(QPoint(11, 21), QPoint(28, 38)) },
        { 2, 0, QRect(QPoint(8, 20), QPoint(31, 39)) },
        { 0, 0, QRect(QPoint(10, 20), QPoint(29, 39)) },
    };
    for (const auto &c : cases) {
        QRect rect(10, 20, 20, 20);
        InflateRect(rect, c.dx, c.dy);
        EXPECT_EQ(rect, c.expected) << c.dx << "," << c.dy;
    }
}

QImage Draw(unsigned state, QRect &rect, bool *drawn = nullptr)
{
    QWidget widget;
    QImage image(40, 20, QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    const bool ok = DrawFrameControl(&painter, rect, DFC_BUTTON, state, &widget);
    if (drawn)
        *drawn = ok;
    return image;
}

TEST(DrawFrameControl, DrawsACheckBoxSquareCentredInTheRect)
{
    QRect unchecked(0, 0, 40, 20);
    QRect checked = unchecked;
    bool drawn = false;
    const QImage off = Draw(DFCS_BUTTONCHECK, unchecked, &drawn);
    EXPECT_TRUE(drawn);
    const QImage on = Draw(DFCS_BUTTONCHECK | DFCS_CHECKED, checked, &drawn);
    EXPECT_TRUE(drawn);
    EXPECT_NE(off, on);
    // Without DFCS_ADJUSTRECT the rect stays as it was.
    EXPECT_EQ(unchecked, QRect(0, 0, 40, 20));

    // Only the centred 20x20 square is painted: the side strips keep the background.
    for (int y = 0; y < 20; ++y) {
        EXPECT_EQ(on.pixelColor(0, y), QColor(Qt::magenta));
        EXPECT_EQ(on.pixelColor(39, y), QColor(Qt::magenta));
    }
    int painted = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 10; x < 30; ++x)
            painted += on.pixelColor(x, y) != QColor(Qt::magenta);
    EXPECT_GT(painted, 0);
}

TEST(DrawFrameControl, AdjustsTheRectAndRefusesOtherKinds)
{
    QRect rect(5, 5, 16, 16);
    Draw(DFCS_BUTTONCHECK | DFCS_ADJUSTRECT, rect);
    EXPECT_EQ(rect, QRect(7, 7, 12, 12));

    QImage image(10, 10, QImage::Format_ARGB32);
    QPainter painter(&image);
    QRect caption(0, 0, 10, 10);
    EXPECT_FALSE(DrawFrameControl(&painter, caption, 1, DFCS_ADJUSTRECT, nullptr));
    QRect push(0, 0, 10, 10);
    EXPECT_FALSE(DrawFrameControl(&painter, push, DFC_BUTTON, 0x0010 | DFCS_ADJUSTRECT, nullptr));
    EXPECT_EQ(caption, QRect(0, 0, 10, 10));
    EXPECT_EQ(push, QRect(0, 0, 10, 10));
}

TEST(DrawFrameControl, LogRecordsKindAndStateOfEachCall)
{
    QRect rect(0, 0, 12, 12);
    {
        DrawFrameControlLog log;
        Draw(DFCS_BUTTONCHECK | DFCS_ADJUSTRECT, rect);
        Draw(DFCS_BUTTONCHECK | DFCS_ADJUSTRECT | DFCS_CHECKED, rect);
        ASSERT_EQ(log.calls().size(), 2u);
        EXPECT_EQ(log.calls()[0].type, 4u);
        EXPECT_EQ(log.calls()[0].state, 8192u);
        EXPECT_EQ(log.calls()[1].state, 9216u);
        EXPECT_EQ(log.calls()[1].rect, QRect(2, 2, 8, 8));
    }
    DrawFrameControlLog later;
    EXPECT_TRUE(later.calls().empty());
}

} // namespace
