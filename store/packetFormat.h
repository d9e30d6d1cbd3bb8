#pragma once

#include "store/packet.h"

#include <QByteArrayView>

// Shared by the data file reader and writer.
namespace store {

inline constexpr char kChangeLogParam[] = "CHANGE_LOG";
inline constexpr char kAutoIncParam[] = "AUTOINCVALUE";
inline constexpr char kRowStateAttr[] = "RowState";

// True when the bytes can stand as an attribute name in the file.
bool IsAttributeName(QByteArrayView name);

// Throws StoreError when the packet could not be written so that it reads
// back the same: column or parameter names that are not attribute names,
// two columns under one name, a column named like the row state, or a
// change log entry pointing past the rows.
void CheckPacket(const Packet &packet);

} // namespace store
