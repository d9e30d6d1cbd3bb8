#pragma once

#include "store/uDM.h"

#include <QString>

namespace store {

// What the program's entry does after the store set-up: go on, or show
// `message` through MsgError (default title) and end at once.
struct StartupResult {
    bool ok = false;
    QString message;
};

// The data directory for an executable's folder: the folder, the
// platform's separator, "BASE" and the separator again.
QString DataDirPath(const QString &executableDir);

// Sets the data directory of dm beside the executable, creates it when
// missing, takes its lock and opens the store. On failure nothing has been
// written and the lock is released.
StartupResult StartStore(Tdm &dm, const QString &executableDir);

} // namespace store
