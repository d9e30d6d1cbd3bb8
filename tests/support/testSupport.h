#pragma once

#include <QByteArray>
#include <QString>

namespace testsupport {

// Folder of the fixtures in tests/data.
QString DataDir();
// Whole content of a fixture file in tests/data.
QByteArray ReadFixture(const QString &name);

} // namespace testsupport

#include <ostream>

// Readable QString values in test failure messages.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
