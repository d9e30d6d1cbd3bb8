#include "support/testSupport.h"

#include <QFile>
#include <gtest/gtest.h>

namespace testsupport {

QString DataDir()
{
    return QStringLiteral(TARVIK_TEST_DATA_DIR);
}

QByteArray ReadFixture(const QString &name)
{
    QFile f(DataDir() + u'/' + name);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "fixture missing: " << name.toStdString();
        return {};
    }
    return f.readAll();
}

} // namespace testsupport
