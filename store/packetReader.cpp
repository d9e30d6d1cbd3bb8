#include "store/packetFormat.h"
#include "store/packetIo.h"
#include "store/storeError.h"

#include "platform/clock.h"
#include "platform/codePage.h"

#include <QDir>
#include <QFile>

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

using namespace Qt::StringLiterals;

// The XML syntax is left to pugixml, which is given the raw bytes: with
// entity and white-space conversion off it hands back every attribute
// value byte for byte, whatever the code page. Entities, encodings and
// values are then read here by the file's own rules.

namespace store {

namespace {

constexpr unsigned char kBom[] = {0xEF, 0xBB, 0xBF};

bool IsBlank(unsigned char c)
{
    return c >= 1 && c <= 32;
}

// Where in the file a fault lies, for the message.
[[noreturn]] void Reject(qint64 offset, const QString &why)
{
    throw StoreError(u"Not a data packet (byte %1): %2"_s.arg(offset).arg(why));
}

QString Shown(std::string_view s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

// The declaration's `encoding`, compared without regard to case on both
// name and value.
bool DeclaresUtf8(std::string_view decl)
{
    for (size_t at = 0; at + 8 <= decl.size(); ++at) {
        if (!EqualsNoCase(decl.substr(at, 8), "encoding"))
            continue;
        size_t i = at + 8;
        while (i < decl.size() && IsBlank(decl[i]))
            ++i;
        if (i >= decl.size() || decl[i] != '=')
            continue;
        ++i;
        while (i < decl.size() && IsBlank(decl[i]))
            ++i;
        if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\''))
            continue;
        const char quote = decl[i++];
        const size_t end = decl.find(quote, i);
        if (end == std::string_view::npos)
            return false;
        return EqualsNoCase(decl.substr(i, end - i), "UTF-8");
    }
    return false;
}

// Appends a code point as UTF-8.
void AppendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

// A numeric reference "&#...;" starting at s[0] == '&': its code point and
// length, or nothing when it is not one.
std::optional<std::pair<char32_t, size_t>> NumericReference(std::string_view s)
{
    if (s.size() < 4 || s[1] != '#')
        return std::nullopt;
    size_t i = 2;
    const bool hex = s[i] == 'x';
    if (hex)
        ++i;
    const size_t digitsAt = i;
    quint64 cp = 0;
    for (; i < s.size() && i - digitsAt < 10; ++i) {
        const char c = s[i];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            break;
        cp = cp * (hex ? 16 : 10) + quint64(digit);
    }
    if (i == digitsAt || i >= s.size() || s[i] != ';')
        return std::nullopt;
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return std::nullopt;
    return std::pair{char32_t(cp), i + 1};
}

struct NamedEntity {
    std::string_view text;
    char byte;
};
constexpr NamedEntity kNamedEntities[] = {
    {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&apos;", '\''}, {"&quot;", '"'},
};

class Reader {
public:
    Reader(QByteArrayView bytes) : m_bytes(bytes) { }

    Packet read();

private:
    QByteArrayView m_bytes;
    qint64 m_base = 0; // bytes before what pugixml sees (the byte-order mark)
    bool m_utf8 = false;
    pugi::xml_document m_doc;
    Packet m_packet;
    // Row attribute name as in the file -> column index.
    std::unordered_map<std::string, size_t> m_columnOfAttr;

    void prepare();
    qint64 at(pugi::xml_node node) const { return m_base + node.offset_debug(); }
    [[noreturn]] void reject(pugi::xml_node node, const QString &why) const { Reject(at(node), why); }

    std::vector<pugi::xml_node> elements(pugi::xml_node parent) const;
    std::string unescape(std::string_view raw) const;
    QByteArray text(std::string_view raw) const;
    QByteArray name(std::string_view raw) const;

    void readFields(pugi::xml_node fields);
    void readParams(pugi::xml_node params);
    void readRows(pugi::xml_node rowdata);
    PacketValue value(std::string_view raw, ColumnKind kind) const;
    void settleAutoInc();
};

// Byte-order mark, leading blanks, the declaration and its encoding.
void Reader::prepare()
{
    const auto *p = reinterpret_cast<const unsigned char *>(m_bytes.data());
    const qint64 n = m_bytes.size();
    if (n >= 3 && std::memcmp(p, kBom, 3) == 0) {
        m_base = 3;
        m_utf8 = true;
    }
    qint64 i = m_base;
    while (i < n && IsBlank(p[i]))
        ++i;
    if (i >= n)
        Reject(i, u"the file holds no markup"_s);
    if (p[i] != '<')
        Reject(i, u"markup must begin with '<'"_s);
    if (i + 1 < n && p[i + 1] == '?') {
        const std::string_view rest(m_bytes.data() + i, size_t(n - i));
        const size_t end = rest.find("?>");
        if (end == std::string_view::npos)
            Reject(i, u"the declaration is not closed"_s);
        const std::string_view decl = rest.substr(0, end);
        if (decl.find('\0') != std::string_view::npos)
            Reject(i + qint64(decl.find('\0')), u"a zero byte in the declaration"_s);
        if (!m_utf8 && DeclaresUtf8(decl))
            m_utf8 = platform::IsWellFormedUtf8(m_bytes.sliced(m_base));
    }
}

// Element children; text other than blanks where markup belongs rejects.
std::vector<pugi::xml_node> Reader::elements(pugi::xml_node parent) const
{
    std::vector<pugi::xml_node> out;
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        switch (child.type()) {
        case pugi::node_element:
            out.push_back(child);
            break;
        case pugi::node_pcdata: {
            const std::string_view v = child.value();
            if (!std::all_of(v.begin(), v.end(), [](char c) { return IsBlank(c); }))
                reject(child, u"text where markup belongs"_s);
            break;
        }
        case pugi::node_doctype:
            reject(child, u"a document type declaration is not accepted"_s);
        default:
            break;
        }
    }
    return out;
}

// Undoes the replacements of the writer and any numeric reference; an
// ampersand that starts none of them is kept as it is (files written with
// the old "&#" short form of ampersand and byte 1 thus load without error,
// though that pair is not restored).
// Numeric references name Unicode characters: UTF-8 in a UTF-8 file,
// converted to the code page in a code-page file.
std::string Reader::unescape(std::string_view raw) const
{
    if (raw.find('&') == std::string_view::npos)
        return std::string(raw);
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size();) {
        if (raw[i] != '&') {
            const size_t next = std::min(raw.find('&', i), raw.size());
            out.append(raw.substr(i, next - i));
            i = next;
            continue;
        }
        const std::string_view rest = raw.substr(i);
        bool done = false;
        for (const NamedEntity &e : kNamedEntities) {
            if (rest.substr(0, e.text.size()) == e.text) {
                out.push_back(e.byte);
                i += e.text.size();
                done = true;
                break;
            }
        }
        if (done)
            continue;
        if (const auto ref = NumericReference(rest)) {
            const char32_t cp = ref->first;
            if (m_utf8 || cp < 0x80)
                AppendUtf8(out, cp);
            else
                out += platform::ToAnsi(QString::fromUcs4(&cp, 1)).toStdString();
            i += ref->second;
            continue;
        }
        out.push_back(raw[i++]);
    }
    return out;
}

// A value as code-page bytes.
QByteArray Reader::text(std::string_view raw) const
{
    if (!m_utf8 && raw.find('&') == std::string_view::npos)
        return QByteArray(raw.data(), qsizetype(raw.size()));
    const std::string bytes = unescape(raw);
    if (m_utf8)
        return platform::Utf8ToAnsi(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

// An attribute name as code-page bytes.
QByteArray Reader::name(std::string_view raw) const
{
    const QByteArrayView bytes(raw.data(), qsizetype(raw.size()));
    return m_utf8 ? platform::Utf8ToAnsi(bytes) : bytes.toByteArray();
}

std::optional<qint64> StrictInteger(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    bool ok = false;
    const qint64 v = QByteArrayView(s.data(), qsizetype(s.size())).toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

bool IsTrue(std::string_view s)
{
    return EqualsNoCase(s, "true");
}

void Reader::readFields(pugi::xml_node fields)
{
    for (const pugi::xml_node f : elements(fields)) {
        if (std::string_view(f.name()) != "FIELD")
            reject(f, u"FIELDS holds '%1' instead of FIELD"_s.arg(Shown(f.name())));
        PacketColumn c;
        pugi::xml_attribute attr = f.attribute("attrname");
        if (!attr)
            attr = f.attribute("tagname");
        if (!attr)
            reject(f, u"a FIELD without attrname"_s);
        const std::string rawName = unescape(attr.value());
        c.attrName = name(rawName);
        const QString shown = Shown(rawName);
        if (const pugi::xml_attribute a = f.attribute("fieldname"))
            c.fieldName = text(a.value());

        const pugi::xml_attribute type = f.attribute("fieldtype");
        if (!type)
            reject(f, u"field '%1' has no fieldtype"_s.arg(shown));
        const auto canonical = CanonicalTypeToken(QByteArrayView(type.value()));
        if (!canonical)
            reject(f, u"field '%1' has the unknown type '%2'"_s.arg(shown, Shown(type.value())));
        c.typeToken = *canonical;

        c.readOnly = IsTrue(f.attribute("readonly").value());
        c.required = IsTrue(f.attribute("required").value());
        c.hidden = IsTrue(f.attribute("hidden").value());
        c.linkField = IsTrue(f.attribute("linkfield").value());
        c.calculated = std::string_view(f.attribute("CALCULATED").value()) == "1"
                    || IsTrue(f.attribute("CALCULATED").value());
        if (const pugi::xml_attribute a = f.attribute("SUBTYPE"))
            c.subType = text(a.value());
        const auto number = [&](const char *attrName) -> std::optional<qint32> {
            const pugi::xml_attribute a = f.attribute(attrName);
            if (!a)
                return std::nullopt;
            const auto v = StrictInteger(unescape(a.value()));
            if (!v || *v < INT32_MIN || *v > INT32_MAX)
                reject(f, u"field '%1': %2 '%3' is not a number"_s.arg(shown, QLatin1StringView(attrName),
                                                                      Shown(a.value())));
            return qint32(*v);
        };
        c.decimals = number("DECIMALS");
        c.width = number("WIDTH");
        if (!m_columnOfAttr.emplace(rawName, m_packet.columns.size()).second)
            reject(f, u"field '%1' is defined twice"_s.arg(shown));
        m_packet.columns.push_back(std::move(c));
    }
}

// Change log numbers come in threes: row, replaced row, kind.
std::vector<ChangeLogEntry> ParseChangeLog(std::string_view s, bool &ok)
{
    std::vector<quint32> numbers;
    ok = false;
    for (size_t i = 0; i < s.size();) {
        if (IsBlank(s[i])) {
            ++i;
            continue;
        }
        quint64 v = 0;
        const size_t start = i;
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
            v = v * 10 + quint64(s[i] - '0');
            if (v > UINT32_MAX)
                return {};
        }
        if (i == start || (i < s.size() && !IsBlank(s[i])))
            return {};
        numbers.push_back(quint32(v));
    }
    if (numbers.size() % 3 != 0)
        return {};
    std::vector<ChangeLogEntry> log;
    log.reserve(numbers.size() / 3);
    for (size_t i = 0; i < numbers.size(); i += 3)
        log.push_back({numbers[i], numbers[i + 1], numbers[i + 2]});
    ok = true;
    return log;
}

void Reader::readParams(pugi::xml_node params)
{
    for (const pugi::xml_attribute a : params.attributes()) {
        const std::string_view n = a.name();
        if (n == kChangeLogParam) {
            bool ok = false;
            m_packet.changeLog = ParseChangeLog(unescape(a.value()), ok);
            if (!ok)
                reject(params, u"CHANGE_LOG is not a list of numbers in threes"_s);
        } else if (n == kAutoIncParam) {
            const auto v = StrictInteger(unescape(a.value()));
            if (!v)
                reject(params, u"AUTOINCVALUE '%1' is not a number"_s.arg(Shown(a.value())));
            m_packet.autoIncValue = *v;
        } else {
            m_packet.params.push_back({name(n), text(a.value())});
        }
    }
    for (const pugi::xml_node e : elements(params)) {
        if (std::string_view(e.name()) != "PARAM")
            reject(e, u"PARAMS holds '%1' instead of PARAM"_s.arg(Shown(e.name())));
        m_packet.paramElements.push_back({text(e.attribute("Name").value()), text(e.attribute("Value").value()),
                                          text(e.attribute("Type").value()),
                                          IsTrue(e.attribute("Roundtrip").value())});
    }
}

// Integers: optional minus, then the digits up to the first other byte;
// no digit there (a letter first, say) means null, as does overflow.
std::optional<qint64> LeadingInteger(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    const bool negative = i < s.size() && s[i] == '-';
    if (negative)
        ++i;
    const size_t start = i;
    quint64 v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + quint64(s[i] - '0');
        if (v > quint64(INT64_MAX) + (negative ? 1 : 0))
            return std::nullopt;
    }
    if (i == start)
        return std::nullopt;
    return negative ? qint64(0 - v) : qint64(v);
}

// Dates: YYYYMMDD; anything that is not a day of the calendar is null.
std::optional<qint32> DayOf(std::string_view s)
{
    if (s.size() < 8 || !std::all_of(s.begin(), s.begin() + 8, [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const auto num = [&](size_t from, size_t len) {
        int v = 0;
        for (size_t i = from; i < from + len; ++i)
            v = v * 10 + (s[i] - '0');
        return v;
    };
    const QDate d(num(0, 4), num(4, 2), num(6, 2));
    if (d.year() < 1 || !d.isValid())
        return std::nullopt;
    return platform::DayFromDate(d);
}

PacketValue Reader::value(std::string_view raw, ColumnKind kind) const
{
    switch (kind) {
    case ColumnKind::Integer:
        if (const auto v = LeadingInteger(unescape(raw)))
            return *v;
        return {};
    case ColumnKind::Boolean: {
        const std::string v = unescape(raw);
        if (v.empty())
            return {};
        return v[0] == 'T' || v[0] == 't';
    }
    case ColumnKind::Date:
        if (const auto day = DayOf(unescape(raw)))
            return PacketDate{*day};
        return {};
    case ColumnKind::Text:
    case ColumnKind::Raw:
        return text(raw);
    }
    return {};
}

void Reader::readRows(pugi::xml_node rowdata)
{
    const std::vector<pugi::xml_node> rows = elements(rowdata);
    const size_t columns = m_packet.columns.size();
    // Each row holds a slot per column, present in the file or not: a
    // bound keeps many columns times many empty rows from taking memory
    // out of all proportion to the file.
    const quint64 cells = quint64(columns) * rows.size();
    if (cells > 8 * quint64(m_bytes.size()) + (1u << 20))
        reject(rowdata, u"%1 rows of %2 columns are out of proportion to the file"_s.arg(rows.size()).arg(columns));
    m_packet.rows.reserve(rows.size());
    std::vector<ColumnKind> kinds;
    for (const PacketColumn &c : m_packet.columns)
        kinds.push_back(c.kind());
    for (const pugi::xml_node r : rows) {
        if (std::string_view(r.name()) != "ROW")
            reject(r, u"ROWDATA holds '%1' instead of ROW"_s.arg(Shown(r.name())));
        PacketRow row;
        row.values.resize(columns);
        std::vector<bool> seen(columns, false);
        for (const pugi::xml_attribute a : r.attributes()) {
            const std::string_view n = a.name();
            if (n == kRowStateAttr) {
                const auto v = StrictInteger(unescape(a.value()));
                if (!v || *v < 0 || *v > 255)
                    reject(r, u"RowState '%1' is not a state"_s.arg(Shown(a.value())));
                row.state = quint8(*v);
                continue;
            }
            const auto it = m_columnOfAttr.find(std::string(n));
            if (it == m_columnOfAttr.end() || seen[it->second])
                continue;
            seen[it->second] = true;
            row.values[it->second] = value(a.value(), kinds[it->second]);
        }
        m_packet.rows.push_back(std::move(row));
    }
}

// A file with an identifier column but no counter (never one of ours)
// continues above the largest identifier of any stored version.
void Reader::settleAutoInc()
{
    if (m_packet.autoIncValue)
        return;
    const auto column = std::find_if(m_packet.columns.begin(), m_packet.columns.end(),
                                     [](const PacketColumn &c) { return c.isAutoInc(); });
    if (column == m_packet.columns.end())
        return;
    const size_t index = size_t(column - m_packet.columns.begin());
    qint64 largest = 0;
    for (const PacketRow &row : m_packet.rows) {
        if (const auto *id = std::get_if<qint64>(&row.values[index]))
            largest = std::max(largest, *id);
    }
    m_packet.autoIncValue = largest == INT64_MAX ? largest : largest + 1;
}

Packet Reader::read()
{
    prepare();
    const pugi::xml_parse_result parsed =
        m_doc.load_buffer(m_bytes.data() + m_base, size_t(m_bytes.size() - m_base), pugi::parse_doctype,
                          pugi::encoding_utf8);
    if (!parsed)
        Reject(m_base + parsed.offset, QString::fromLatin1(parsed.description()));

    const std::vector<pugi::xml_node> top = elements(m_doc);
    if (top.empty())
        Reject(m_base, u"no element"_s);
    const bool wrapped = std::string_view(top[0].name()) == "DATAPACKET";
    const std::vector<pugi::xml_node> parts = wrapped ? elements(top[0]) : top;
    if (parts.empty())
        reject(top[0], u"METADATA expected"_s);
    const std::string_view first = parts[0].name();
    if (first == "METADATA") {
        const std::vector<pugi::xml_node> meta = elements(parts[0]);
        if (meta.empty() || std::string_view(meta[0].name()) != "FIELDS")
            reject(meta.empty() ? parts[0] : meta[0], u"METADATA must begin with FIELDS"_s);
        readFields(meta[0]);
        for (size_t i = 1; i < meta.size(); ++i) {
            if (std::string_view(meta[i].name()) == "PARAMS") {
                readParams(meta[i]);
                break;
            }
        }
        if (parts.size() < 2 || std::string_view(parts[1].name()) != "ROWDATA")
            reject(parts.size() < 2 ? parts[0] : parts[1], u"ROWDATA must follow METADATA"_s);
        readRows(parts[1]);
    } else if (first == "ROWDATA") {
        readRows(parts[0]); // rows without column definitions
    } else {
        reject(parts[0], u"METADATA expected instead of '%1'"_s.arg(Shown(first)));
    }
    settleAutoInc();
    try {
        CheckPacket(m_packet);
    } catch (const StoreError &e) {
        Reject(m_base, e.message());
    }
    return std::move(m_packet);
}

} // namespace

Packet ReadPacket(QByteArrayView bytes)
{
    return Reader(bytes).read();
}

Packet ReadPacketFile(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(u"Cannot open file '%1': %2"_s.arg(shown, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw StoreError(u"Cannot read file '%1': %2"_s.arg(shown, file.errorString()));
    try {
        return ReadPacket(bytes);
    } catch (const StoreError &e) {
        throw StoreError(u"File '%1': %2"_s.arg(shown, e.message()));
    }
}

} // namespace store
