#include "resources/resources.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

// Alpha at the corner (the drawings leave it empty) and whether any pixel is opaque.
struct Coverage {
    int cornerAlpha = -1;
    bool anyOpaque = false;
};

Coverage CoverageOf(const QPixmap &pixmap)
{
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    Coverage coverage;
    coverage.cornerAlpha = qAlpha(image.pixel(0, 0));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            coverage.anyOpaque = coverage.anyOpaque || qAlpha(image.pixel(x, y)) == 255;
    return coverage;
}

} // namespace

TEST(Resources, MessagePicturesAre32PixelsWithTransparentBackgroundAndAllDiffer)
{
    QList<QImage> seen;
    for (int i = 0; i < resources::kMsgPictureCount; ++i) {
        SCOPED_TRACE(i);
        const QPixmap picture = resources::MsgPicture(i);
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.size(), QSize(32, 32));
        EXPECT_TRUE(picture.hasAlphaChannel());
        const Coverage coverage = CoverageOf(picture);
        EXPECT_EQ(coverage.cornerAlpha, 0);
        EXPECT_TRUE(coverage.anyOpaque);
        const QImage image = picture.toImage();
        for (const QImage &other : seen)
            EXPECT_NE(image, other);
        seen.append(image);
    }
}

TEST(Resources, IndexesOutsideTheListGiveNothing)
{
    EXPECT_TRUE(resources::MsgPicture(-1).isNull());
    EXPECT_TRUE(resources::MsgPicture(resources::kMsgPictureCount).isNull());
    EXPECT_TRUE(resources::CommandIcon(-1).isNull());
    EXPECT_TRUE(resources::CommandIcon(resources::kCommandIconCount).isNull());
}

TEST(Resources, CommandIconsHoldExactSmallAndLargePixmaps)
{
    for (int i = 0; i < resources::kCommandIconCount; ++i) {
        SCOPED_TRACE(i);
        const QIcon icon = resources::CommandIcon(i);
        ASSERT_FALSE(icon.isNull());
        const QList<QSize> sizes = icon.availableSizes();
        EXPECT_TRUE(sizes.contains(QSize(16, 16)));
        EXPECT_TRUE(sizes.contains(QSize(24, 24)));
        for (int size : { 16, 24 }) {
            const QPixmap pixmap = icon.pixmap(size, size);
            EXPECT_EQ(pixmap.size(), QSize(size, size));
            EXPECT_TRUE(CoverageOf(pixmap).anyOpaque);
        }
    }
}

TEST(Resources, ProgramIconAndMissingDrawings)
{
    const QIcon icon = resources::ProgramIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(CoverageOf(icon.pixmap(32, 32)).anyOpaque);
    EXPECT_TRUE(resources::RenderSvg(QStringLiteral(":/icons/none.svg"), 16).isNull());
    EXPECT_TRUE(resources::RenderSvg(QStringLiteral(":/icons/cmd0.svg"), 0).isNull());
}
