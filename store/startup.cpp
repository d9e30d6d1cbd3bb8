#include "store/startup.h"

#include "platform/executableDir.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace store {

namespace {

QString FatalMessage(const QString &what, const QString &path)
{
    return what + u" - \r\n"_s + path + u"\r\n"_s + u"Работа программы, будет завершена!"_s;
}

} // namespace

QString DataDirPath(const QString &executableDir)
{
    const QChar sep = platform::DirSeparator();
    QString dir = executableDir;
    // A drive or file-system root already ends with the separator.
    while (dir.endsWith(sep))
        dir.chop(1);
    return dir + sep + u"BASE"_s + sep;
}

StartupResult StartStore(Tdm &dm, const QString &executableDir)
{
    const QString path = DataDirPath(executableDir);
    dm.setPath(path);

    // isDir follows links, so a link to a directory will do.
    if (!QFileInfo(path).isDir() && !QDir().mkdir(path))
        return {false, FatalMessage(u"Не могу создать директорию для БД"_s, path)};

    if (!dm.LockDB())
        return {false, FatalMessage(u"База данных уже открыта другой копией программы"_s, path)};

    if (!dm.OpenDB()) {
        dm.UnlockDB();
        return {false, FatalMessage(u"Ошибка открытия БД"_s, path)};
    }
    return {true, QString()};
}

} // namespace store
