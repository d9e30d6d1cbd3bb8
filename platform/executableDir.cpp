#include "platform/executableDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace platform {

QString ExecutableDir()
{
    QString dir;
    if (QCoreApplication::instance())
        dir = QCoreApplication::applicationDirPath();
    else
        dir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return QDir::toNativeSeparators(dir);
}

QChar DirSeparator()
{
    return QDir::separator();
}

} // namespace platform
