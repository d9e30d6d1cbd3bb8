#include "resources/fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QString>

namespace resources {

void RegisterFonts()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    static const char *const candidates[] = {
        "/usr/share/wine/fonts/tahoma.ttf",
        "/usr/share/wine/fonts/tahomabd.ttf",
    };
    for (const char *path : candidates) {
        const QString file = QString::fromLatin1(path);
        if (QFile::exists(file))
            QFontDatabase::addApplicationFont(file);
    }
}

} // namespace resources
