#pragma once

#include "store/packet.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace store {

// The data file's bytes for a packet: declaration, two spaces, one line.
// Only visible rows, without states, when the change log is empty;
// every row version with its state otherwise.
QByteArray WritePacket(const Packet &packet);

// A packet from file bytes. Throws StoreError with the reason when the
// bytes are not a data packet.
Packet ReadPacket(QByteArrayView bytes);

// Writes through a temporary file in the same folder that replaces the
// old file only when complete. Throws StoreError naming the file and the
// system's reason; the old file is then left as it was.
void WritePacketFile(const QString &path, const Packet &packet);

// Reads and parses a whole file. Throws StoreError naming the file.
Packet ReadPacketFile(const QString &path);

} // namespace store
