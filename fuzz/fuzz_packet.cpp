// Feeds arbitrary bytes to the data file reader. Whatever it accepts must
// write out and read back to the same packet, and write the same bytes again.
#include "store/packetIo.h"
#include "store/storeError.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    store::Packet packet;
    try {
        packet = store::ReadPacket(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    } catch (const store::StoreError &) {
        return 0;
    }
    const QByteArray written = store::WritePacket(packet);
    const store::Packet again = store::ReadPacket(written);
    // Without a change log only the visible rows are written, as unchanged rows.
    if (packet.changeLog.empty()) {
        std::erase_if(packet.rows, [](const store::PacketRow &r) { return !r.visible(); });
        for (store::PacketRow &r : packet.rows)
            r.state = 0;
    }
    if (!(again == packet)) {
        std::fprintf(stderr, "packet changed on the way through the file:\n%s\n", written.constData());
        std::abort();
    }
    if (store::WritePacket(again) != written) {
        std::fprintf(stderr, "second write differs:\n%s\n", written.constData());
        std::abort();
    }
    return 0;
}
