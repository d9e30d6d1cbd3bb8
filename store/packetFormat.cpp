#include "store/packetFormat.h"
#include "store/storeError.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace store {

namespace {

// The name characters of the XML parser: letters, '_', ':' and every byte
// from 0x80 first; digits, '-' and '.' besides further on.
bool IsNameStart(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(unsigned char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

QString Shown(QByteArrayView name)
{
    return QString::fromLatin1(name);
}

} // namespace

bool IsAttributeName(QByteArrayView name)
{
    if (name.isEmpty() || !IsNameStart(static_cast<unsigned char>(name.front())))
        return false;
    for (const char c : name) {
        if (!IsNameChar(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

void CheckPacket(const Packet &packet)
{
    QSet<QByteArray> seen;
    for (const PacketColumn &c : packet.columns) {
        if (!IsAttributeName(c.attrName))
            throw StoreError(u"Column name '%1' cannot serve as an attribute name"_s.arg(Shown(c.attrName)));
        if (c.attrName == kRowStateAttr)
            throw StoreError(u"Column name '%1' is taken by the row state"_s.arg(Shown(c.attrName)));
        if (seen.contains(c.attrName))
            throw StoreError(u"Column name '%1' occurs twice"_s.arg(Shown(c.attrName)));
        seen.insert(c.attrName);
    }
    for (const PacketParam &p : packet.params) {
        if (!IsAttributeName(p.name))
            throw StoreError(u"Parameter name '%1' cannot serve as an attribute name"_s.arg(Shown(p.name)));
        if (p.name == kChangeLogParam || p.name == kAutoIncParam)
            throw StoreError(u"Parameter '%1' is written from the table itself"_s.arg(Shown(p.name)));
    }
    const auto rows = quint64(packet.rows.size());
    for (const ChangeLogEntry &e : packet.changeLog) {
        if (e.row == 0 || e.row > rows || e.replaced > rows)
            throw StoreError(u"Change log entry %1 %2 %3 refers to a row beyond the %4 stored"_s.arg(e.row)
                                 .arg(e.replaced)
                                 .arg(e.kind)
                                 .arg(rows));
    }
}

} // namespace store
