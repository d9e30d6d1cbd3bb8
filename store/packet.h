#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace store {

// A table as the data file holds it: column definitions, every stored row
// version with its state byte, the change log, the counter and the table
// parameters carried from the file. The reader and writer know only this;
// the table converts to and from it.

// How a column's values are held, from its type token.
enum class ColumnKind {
    Integer, // i1 i2 i4 i8 ui1 ui2 ui4 ui8 (int, uint)
    Boolean, // boolean
    Date,    // date
    Text,    // string, string.uni
    Raw,     // every other type: the attribute text is kept as it is
};

ColumnKind KindOfTypeToken(QByteArrayView token);
// The standard spelling of a type token ("int" is "i4"); nothing when unknown.
std::optional<QByteArray> CanonicalTypeToken(QByteArrayView token);
// The type name messages give for a token ("Integer", "String", ...).
QString TypeNameOfToken(QByteArrayView token);

struct PacketColumn {
    QByteArray fieldName; // `fieldname`, written only when not empty
    QByteArray attrName;  // `attrname`: the row attribute's name
    QByteArray typeToken; // "i4", "string", "date", "boolean", ...
    bool readOnly = false;
    bool required = false;
    bool hidden = false;
    bool linkField = false;
    QByteArray subType; // "Autoinc" for the identifier; empty when absent
    std::optional<qint32> decimals;
    std::optional<qint32> width; // text columns: size in bytes
    bool calculated = false;

    ColumnKind kind() const { return KindOfTypeToken(typeToken); }
    bool isAutoInc() const;
    bool operator==(const PacketColumn &) const = default;
};

// A calendar day as a day number (30.12.1899 is day 0).
struct PacketDate {
    qint32 day = 0;
    bool operator==(const PacketDate &) const = default;
};

// Null, an integer, a boolean, a day, or bytes: code-page text for Text
// columns, the unescaped attribute text for Raw columns.
using PacketValue = std::variant<std::monostate, qint64, bool, PacketDate, QByteArray>;

inline bool IsNull(const PacketValue &v) { return std::holds_alternative<std::monostate>(v); }

// Row state bits.
enum RowStateBits : quint8 {
    RowSuperseded = 1,
    RowDeleted = 2,
    RowInserted = 4,
    RowModified = 8,
    RowUnused = 32,
};

struct PacketRow {
    quint8 state = 0;
    std::vector<PacketValue> values; // one per column, in column order
    bool visible() const { return (state & (RowSuperseded | RowDeleted | RowUnused)) == 0; }
    bool operator==(const PacketRow &) const = default;
};

// (row number, replaced row number or 0, kind 4/8/2); row numbers count from 1.
struct ChangeLogEntry {
    quint32 row = 0;
    quint32 replaced = 0;
    quint32 kind = 0;
    bool operator==(const ChangeLogEntry &) const = default;
};

// A `PARAMS` attribute carried from a file and written back after the
// ones the writer produces itself (CHANGE_LOG, AUTOINCVALUE).
struct PacketParam {
    QByteArray name;
    QByteArray value; // unescaped
    bool operator==(const PacketParam &) const = default;
};

// A `PARAM` child element of `PARAMS` (never created by the program).
struct PacketParamElement {
    QByteArray name;
    QByteArray value;
    QByteArray type;
    bool roundtrip = false;
    bool operator==(const PacketParamElement &) const = default;
};

struct Packet {
    std::vector<PacketColumn> columns;
    std::vector<PacketRow> rows; // every stored row version; row number = index + 1
    std::vector<ChangeLogEntry> changeLog;
    std::optional<qint64> autoIncValue;
    std::vector<PacketParam> params; // carried, in file order (LCID among them)
    std::vector<PacketParamElement> paramElements;

    // The locale identifier of a carried LCID parameter, if any.
    std::optional<quint32> lcid() const;
    bool operator==(const Packet &) const = default;
};

} // namespace store
