#include "store/packetFormat.h"
#include "store/packetIo.h"
#include "store/storeError.h"

#include "platform/clock.h"

#include <QDir>
#include <QSaveFile>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace store {

namespace {

// Attribute values, with the replacements the reader undoes. A zero byte
// is written as a numeric reference: raw, it would end the file for any
// XML reader.
void AppendEscaped(QByteArray &out, QByteArrayView value)
{
    for (const char c : value) {
        switch (c) {
        case '<': out.append("&lt;"); break;
        case '>': out.append("&gt;"); break;
        // Always a full "&amp;", also before byte 1: the short "&#" form
        // that used to stand for that pair could not be read back.
        case '&': out.append("&amp;"); break;
        case '\'': out.append("&apos;"); break;
        case '"': out.append("&quot;"); break;
        case '\r': out.append("&#013;"); break;
        case '\n': out.append("&#010;"); break;
        case '\t': out.append("&#009;"); break;
        case '\\': out.append("&#092;"); break;
        case '\0': out.append("&#000;"); break;
        default: out.append(c); break;
        }
    }
}

void AppendAttribute(QByteArray &out, QByteArrayView name, QByteArrayView value)
{
    out.append(' ');
    out.append(name);
    out.append("=\"");
    AppendEscaped(out, value);
    out.append('"');
}

void AppendNumberAttribute(QByteArray &out, QByteArrayView name, qint64 value)
{
    AppendAttribute(out, name, QByteArray::number(value));
}

QByteArray DateText(qint32 day, const PacketColumn &column)
{
    const QDate d = platform::DateFromDay(day);
    if (!d.isValid() || d.year() < 1 || d.year() > 9999)
        throw StoreError(u"Column '%1': day %2 has no eight-digit date"_s.arg(QLatin1StringView(column.attrName)).arg(day));
    char text[9];
    std::snprintf(text, sizeof text, "%04d%02d%02d", d.year(), d.month(), d.day());
    return QByteArray(text, 8);
}

// The value as written, or nothing for null. The value must be of the
// column's kind, or the file would not read back to the same packet.
std::optional<QByteArray> ValueText(const PacketValue &value, const PacketColumn &column)
{
    if (IsNull(value))
        return std::nullopt;
    const ColumnKind kind = column.kind();
    const auto mismatch = [&] {
        return StoreError(u"Column '%1': value does not match its type '%2'"_s.arg(
            QLatin1StringView(column.attrName), QLatin1StringView(column.typeToken)));
    };
    switch (kind) {
    case ColumnKind::Integer:
        if (const auto *i = std::get_if<qint64>(&value))
            return QByteArray::number(*i);
        throw mismatch();
    case ColumnKind::Boolean:
        if (const auto *b = std::get_if<bool>(&value))
            return *b ? QByteArray("TRUE") : QByteArray("FALSE");
        throw mismatch();
    case ColumnKind::Date:
        if (const auto *d = std::get_if<PacketDate>(&value))
            return DateText(d->day, column);
        throw mismatch();
    case ColumnKind::Text:
    case ColumnKind::Raw:
        if (const auto *t = std::get_if<QByteArray>(&value))
            return *t;
        throw mismatch();
    }
    throw mismatch();
}

void AppendField(QByteArray &out, const PacketColumn &c)
{
    out.append("<FIELD");
    if (!c.fieldName.isEmpty())
        AppendAttribute(out, "fieldname", c.fieldName);
    AppendAttribute(out, "attrname", c.attrName);
    AppendAttribute(out, "fieldtype", c.typeToken);
    if (c.readOnly)
        AppendAttribute(out, "readonly", "true");
    if (c.required)
        AppendAttribute(out, "required", "true");
    if (c.hidden)
        AppendAttribute(out, "hidden", "true");
    if (c.linkField)
        AppendAttribute(out, "linkfield", "true");
    if (!c.subType.isEmpty())
        AppendAttribute(out, "SUBTYPE", c.subType);
    if (c.decimals)
        AppendNumberAttribute(out, "DECIMALS", *c.decimals);
    if (c.width)
        AppendNumberAttribute(out, "WIDTH", *c.width);
    if (c.calculated)
        AppendAttribute(out, "CALCULATED", "1");
    out.append("/>");
}

void AppendParams(QByteArray &out, const Packet &p)
{
    out.append("<PARAMS");
    if (!p.changeLog.empty()) {
        QByteArray log;
        log.reserve(qsizetype(p.changeLog.size()) * 12);
        for (const ChangeLogEntry &e : p.changeLog) {
            if (!log.isEmpty())
                log.append(' ');
            log.append(QByteArray::number(e.row)).append(' ');
            log.append(QByteArray::number(e.replaced)).append(' ');
            log.append(QByteArray::number(e.kind));
        }
        AppendAttribute(out, kChangeLogParam, log);
    }
    if (p.autoIncValue)
        AppendNumberAttribute(out, kAutoIncParam, *p.autoIncValue);
    for (const PacketParam &param : p.params)
        AppendAttribute(out, param.name, param.value);
    if (p.paramElements.empty()) {
        out.append("/>");
        return;
    }
    out.append('>');
    for (const PacketParamElement &e : p.paramElements) {
        out.append("<PARAM");
        AppendAttribute(out, "Name", e.name);
        AppendAttribute(out, "Value", e.value);
        AppendAttribute(out, "Type", e.type);
        if (e.roundtrip)
            AppendAttribute(out, "Roundtrip", "True");
        out.append("/>");
    }
    out.append("</PARAMS>");
}

void AppendRow(QByteArray &out, const PacketRow &row, const std::vector<PacketColumn> &columns, bool withState)
{
    if (row.values.size() != columns.size())
        throw StoreError(u"A row has %1 values for %2 columns"_s.arg(row.values.size()).arg(columns.size()));
    out.append("<ROW");
    if (withState && row.state != 0)
        AppendNumberAttribute(out, kRowStateAttr, row.state);
    for (size_t i = 0; i < columns.size(); ++i) {
        if (const auto text = ValueText(row.values[i], columns[i]))
            AppendAttribute(out, columns[i].attrName, *text);
    }
    out.append("/>");
}

} // namespace

QByteArray WritePacket(const Packet &packet)
{
    CheckPacket(packet);
    // Without a log only the visible rows are written, as unchanged rows;
    // with one, every version, so that the log's row numbers stay valid.
    const bool withHistory = !packet.changeLog.empty();

    QByteArray out;
    out.reserve(512 + qsizetype(packet.rows.size()) * (16 + 24 * qsizetype(packet.columns.size())));
    out.append("<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>");
    for (const PacketColumn &c : packet.columns)
        AppendField(out, c);
    out.append("</FIELDS>");
    AppendParams(out, packet);
    out.append("</METADATA><ROWDATA>");
    for (const PacketRow &row : packet.rows) {
        if (withHistory || row.visible())
            AppendRow(out, row, packet.columns, withHistory);
    }
    out.append("</ROWDATA></DATAPACKET>");
    return out;
}

void WritePacketFile(const QString &path, const Packet &packet)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QByteArray bytes = WritePacket(packet);
    // The new content goes to a temporary file beside the old one, which
    // is replaced only once everything has been written.
    QSaveFile file(path);
    const auto fail = [&] {
        const QString reason = file.errorString();
        file.cancelWriting();
        return StoreError(u"Cannot write file '%1': %2"_s.arg(shown, reason));
    };
    if (!file.open(QIODevice::WriteOnly))
        throw fail();
    if (file.write(bytes) != bytes.size())
        throw fail();
    if (!file.commit())
        throw StoreError(u"Cannot write file '%1': %2"_s.arg(shown, file.errorString()));
}

} // namespace store
