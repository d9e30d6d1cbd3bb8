#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace platform {

// Text in the tables and data files is 8-bit text in the ANSI code page:
// the system's on Windows, Windows-1251 elsewhere (the code page existing
// data files were written in). These are the only two crossings.

// Unicode to code-page bytes; characters the code page lacks become '?'.
QByteArray ToAnsi(QStringView text);
// Code-page bytes to Unicode.
QString FromAnsi(QByteArrayView bytes);
// UTF-8 bytes to code-page bytes (for UTF-8 data files).
QByteArray Utf8ToAnsi(QByteArrayView utf8);
// True when the bytes are well-formed UTF-8.
bool IsWellFormedUtf8(QByteArrayView bytes);

} // namespace platform
