#include "resources.h"

#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

namespace resources {

QPixmap RenderSvg(const QString &resourcePath, int size)
{
    if (size <= 0)
        return {};
    const QString key = QStringLiteral("tarvik:%1@%2").arg(resourcePath).arg(size);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;

    QSvgRenderer renderer(resourcePath);
    if (!renderer.isValid())
        return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, size, size));
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QPixmap MsgPicture(int index)
{
    if (index < 0 || index >= kMsgPictureCount)
        return {};
    return RenderSvg(QStringLiteral(":/pictures/msg%1.svg").arg(index), kMsgPictureSize);
}

static QIcon IconAt(const QString &resourcePath, std::initializer_list<int> sizes)
{
    QIcon icon;
    for (int size : sizes) {
        const QPixmap pixmap = RenderSvg(resourcePath, size);
        if (!pixmap.isNull())
            icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon CommandIcon(int index)
{
    if (index < 0 || index >= kCommandIconCount)
        return {};
    return IconAt(QStringLiteral(":/icons/cmd%1.svg").arg(index), { kSmallIconSize, kLargeIconSize });
}

QIcon ProgramIcon()
{
    return IconAt(QStringLiteral(":/icons/app.svg"), { 16, 24, 32, 48, 64, 256 });
}

} // namespace resources
