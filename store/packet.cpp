#include "store/packet.h"

namespace store {

ColumnKind KindOfTypeToken(QByteArrayView token)
{
    const QByteArray t = token.toByteArray().toLower();
    static const char *const integers[] = {"i1", "i2", "i4", "i8", "ui1", "ui2", "ui4", "ui8", "int", "uint"};
    for (const char *name : integers) {
        if (t == name)
            return ColumnKind::Integer;
    }
    if (t == "boolean")
        return ColumnKind::Boolean;
    if (t == "date")
        return ColumnKind::Date;
    if (t == "string" || t == "string.uni")
        return ColumnKind::Text;
    return ColumnKind::Raw;
}

bool PacketColumn::isAutoInc() const
{
    return subType.compare("Autoinc", Qt::CaseInsensitive) == 0 && kind() == ColumnKind::Integer;
}

std::optional<quint32> Packet::lcid() const
{
    for (const PacketParam &p : params) {
        if (p.name.compare("LCID", Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const quint32 v = p.value.trimmed().toUInt(&ok);
            if (ok)
                return v;
        }
    }
    return std::nullopt;
}

} // namespace store
