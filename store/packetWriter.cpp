#include "store/packetFormat.h"
#include "store/packetIo.h"
#include "store/storeError.h"

#include "platform/clock.h"

#include <QDir>
#include <QSaveFile>

#include <charconv>

using namespace Qt::StringLiterals;

namespace store {

namespace {

// Attribute values, with the replacements the reader undoes. A zero byte
// is written as a numeric reference: raw, it would end the file for any
// XML reader.
const char *Replacement(char c)
{
    switch (c) {
    case '<': return "&lt;";
    case '>': return "&gt;";
    // Always a full "&amp;", also before byte 1: the short "&#" form that
    // used to stand for that pair could not be read back.
    case '&': return "&amp;";
    case '\'': return "&apos;";
    case '"': return "&quot;";
    case '\r': return "&#013;";
    case '\n': return "&#010;";
    case '\t': return "&#009;";
    case '\\': return "&#092;";
    case '\0': return "&#000;";
    default: return nullptr;
    }
}

void AppendEscaped(QByteArray &out, QByteArrayView value)
{
    const char *run = value.data();
    const char *const end = run + value.size();
    for (const char *p = run; p != end; ++p) {
        if (const char *r = Replacement(*p)) {
            out.append(run, p - run);
            out.append(r);
            run = p + 1;
        }
    }
    out.append(run, end - run);
}

void AppendAttribute(QByteArray &out, QByteArrayView name, QByteArrayView value)
{
    out.append(' ');
    out.append(name);
    out.append("=\"");
    AppendEscaped(out, value);
    out.append('"');
}


void AppendDigits(char *to, int value, int count)
{
    for (int i = count - 1; i >= 0; --i, value /= 10)
        to[i] = char('0' + value % 10);
}

void AppendDate(QByteArray &out, qint32 day, const PacketColumn &column)
{
    int year = 0, month = 0, dayOfMonth = 0;
    platform::DateFromDay(day).getDate(&year, &month, &dayOfMonth);
    if (year < 1 || year > 9999)
        throw StoreError(u"Column '%1': day %2 has no eight-digit date"_s.arg(QLatin1StringView(column.attrName)).arg(day));
    char text[8];
    AppendDigits(text, year, 4);
    AppendDigits(text + 4, month, 2);
    AppendDigits(text + 6, dayOfMonth, 2);
    out.append(text, 8);
}

void AppendInteger(QByteArray &out, qint64 value)
{
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out.append(text, end - text);
}

void AppendNumberAttribute(QByteArray &out, QByteArrayView name, qint64 value)
{
    out.append(' ').append(name).append("=\"");
    AppendInteger(out, value);
    out.append('"');
}

// A column's value as the attribute of a row; nothing for null. The value
// must be of the column's kind, or the file would not read back the same.
void AppendValue(QByteArray &out, const PacketValue &value, const PacketColumn &column, ColumnKind kind)
{
    if (IsNull(value))
        return;
    out.append(' ').append(column.attrName).append("=\"");
    bool matches = false;
    switch (kind) {
    case ColumnKind::Integer:
        if (const auto *i = std::get_if<qint64>(&value); (matches = i != nullptr))
            AppendInteger(out, *i);
        break;
    case ColumnKind::Boolean:
        if (const auto *b = std::get_if<bool>(&value); (matches = b != nullptr))
            out.append(*b ? "TRUE" : "FALSE");
        break;
    case ColumnKind::Date:
        if (const auto *d = std::get_if<PacketDate>(&value); (matches = d != nullptr))
            AppendDate(out, d->day, column);
        break;
    case ColumnKind::Text:
    case ColumnKind::Raw:
        if (const auto *t = std::get_if<QByteArray>(&value); (matches = t != nullptr))
            AppendEscaped(out, *t);
        break;
    }
    if (!matches)
        throw StoreError(u"Column '%1': value does not match its type '%2'"_s.arg(
            QLatin1StringView(column.attrName), QLatin1StringView(column.typeToken)));
    out.append('"');
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
            AppendInteger(log, e.row);
            log.append(' ');
            AppendInteger(log, e.replaced);
            log.append(' ');
            AppendInteger(log, e.kind);
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

void AppendRow(QByteArray &out, const PacketRow &row, const std::vector<PacketColumn> &columns,
               const std::vector<ColumnKind> &kinds, bool withState)
{
    if (row.values.size() != columns.size())
        throw StoreError(u"A row has %1 values for %2 columns"_s.arg(row.values.size()).arg(columns.size()));
    out.append("<ROW");
    if (withState && row.state != 0)
        AppendNumberAttribute(out, kRowStateAttr, row.state);
    for (size_t i = 0; i < columns.size(); ++i)
        AppendValue(out, row.values[i], columns[i], kinds[i]);
    out.append("/>");
}

} // namespace

QByteArray WritePacket(const Packet &packet)
{
    CheckPacket(packet);
    // Without a log only the visible rows are written, as unchanged rows;
    // with one, every version, so that the log's row numbers stay valid.
    const bool withHistory = !packet.changeLog.empty();
    std::vector<ColumnKind> kinds;
    for (const PacketColumn &c : packet.columns)
        kinds.push_back(c.kind());

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
            AppendRow(out, row, packet.columns, kinds, withHistory);
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
    // The explicit flush matters: a short write of what still sat in the
    // write buffer would otherwise surface only inside commit(), which
    // does not see it and puts the truncated file in place.
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw fail();
    if (!file.commit())
        throw StoreError(u"Cannot write file '%1': %2"_s.arg(shown, file.errorString()));
}

} // namespace store
