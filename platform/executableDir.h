#pragma once

#include <QString>

namespace platform {

// Folder of the running executable, without a trailing separator.
QString ExecutableDir();
// The platform's directory separator ('\\' on Windows, '/' elsewhere).
QChar DirSeparator();

} // namespace platform
