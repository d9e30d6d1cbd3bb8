#include "store/packet.h"

namespace store {

namespace {

// Every column type token the format knows: its standard spelling, how its
// values are held, and the type name error messages give for it.
struct TypeToken {
    const char *token;
    ColumnKind kind;
    const char *typeName;
};

constexpr TypeToken kTypeTokens[] = {
    {"i1", ColumnKind::Integer, "Shortint"},
    {"i2", ColumnKind::Integer, "Smallint"},
    {"i4", ColumnKind::Integer, "Integer"},
    {"i8", ColumnKind::Integer, "Largeint"},
    {"ui1", ColumnKind::Integer, "Byte"},
    {"ui2", ColumnKind::Integer, "Word"},
    {"ui4", ColumnKind::Integer, "LongWord"},
    {"ui8", ColumnKind::Integer, "Largeint"},
    {"r4", ColumnKind::Raw, "Single"},
    {"r8", ColumnKind::Raw, "Float"},
    {"r10", ColumnKind::Raw, "Extended"},
    {"fixed", ColumnKind::Raw, "BCD"},
    {"fixedFMT", ColumnKind::Raw, "FMTBcd"},
    {"date", ColumnKind::Date, "Date"},
    {"time", ColumnKind::Raw, "Time"},
    {"dateTime", ColumnKind::Raw, "DateTime"},
    {"SQLdateTime", ColumnKind::Raw, "TimeStamp"},
    {"SQLdateTimeOffset", ColumnKind::Raw, "TimeStampOffset"},
    {"boolean", ColumnKind::Boolean, "Boolean"},
    {"string", ColumnKind::Text, "String"},
    {"string.uni", ColumnKind::Text, "WideString"},
    {"bin.hex", ColumnKind::Raw, "Blob"},
    {"nested", ColumnKind::Raw, "DataSet"},
    {"IntArray", ColumnKind::Raw, "Array"},
    {"UIntArray", ColumnKind::Raw, "Array"},
    {"struct", ColumnKind::Raw, "ADT"},
    // Older spellings, read as the standard ones.
    {"int", ColumnKind::Integer, "Integer"},
    {"uint", ColumnKind::Integer, "LongWord"},
};

const TypeToken *FindTypeToken(QByteArrayView token)
{
    for (const TypeToken &t : kTypeTokens) {
        if (token.compare(QByteArrayView(t.token), Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

} // namespace

ColumnKind KindOfTypeToken(QByteArrayView token)
{
    const TypeToken *t = FindTypeToken(token);
    return t ? t->kind : ColumnKind::Raw;
}

std::optional<QByteArray> CanonicalTypeToken(QByteArrayView token)
{
    const TypeToken *t = FindTypeToken(token);
    if (!t)
        return std::nullopt;
    if (QByteArrayView(t->token) == "int")
        return QByteArray("i4");
    if (QByteArrayView(t->token) == "uint")
        return QByteArray("ui4");
    return QByteArray(t->token);
}

QString TypeNameOfToken(QByteArrayView token)
{
    const TypeToken *t = FindTypeToken(token);
    return t ? QString::fromLatin1(t->typeName) : QStringLiteral("Unknown");
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
