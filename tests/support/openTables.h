#pragma once

#include "store/uDM.h"

#include <QString>

namespace testsupport {

// Opens the data module's tables empty and links them the way the store
// opens them, without any file.
inline void OpenTables(store::Tdm &dm)
{
    dm.Emp.createDataSet();
    dm.Emp.setIndexName(QStringLiteral("FIO"));
    dm.Exp.createDataSet();
    dm.Exp.setMasterSource(&dm.DS_EMP, QStringLiteral("ID"));
    dm.Exp.setIndexName(QStringLiteral("EMP_ID"));
}

} // namespace testsupport
