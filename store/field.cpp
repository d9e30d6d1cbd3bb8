#include "store/storeError.h"
#include "store/tableImpl.h"

#include "platform/clock.h"
#include "platform/codePage.h"

using namespace Qt::StringLiterals;

namespace store {

namespace {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// Code-page bytes cut to the field's size; trailing blanks go, leading ones stay.
QByteArray StoredText(QByteArray bytes, int size)
{
    if (size > 0 && bytes.size() > size)
        bytes.truncate(size);
    qsizetype n = bytes.size();
    while (n > 0 && bytes[n - 1] == ' ')
        --n;
    bytes.truncate(n);
    if (bytes.isNull())
        bytes = QByteArray("", 0); // empty text is a value, not null
    return bytes;
}

QString DateText(qint32 day)
{
    return platform::FormatShortDate(platform::DateFromDay(day));
}

QString BoolText(bool b)
{
    return b ? u"True"_s : u"False"_s;
}

std::optional<qint32> ParseDate(const QString &text)
{
    const QString t = text.trimmed();
    QDate date = QDate::fromString(t, platform::ShortDateFormat());
    if (!date.isValid())
        date = QDate::fromString(t, Qt::ISODate);
    if (!date.isValid())
        return std::nullopt;
    return platform::DayFromDate(date);
}

std::optional<bool> ParseBool(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const QChar c = t.front().toUpper();
    if (c == u'T' || c == u'Y' || t == u"1")
        return true;
    if (c == u'F' || c == u'N' || t == u"0")
        return false;
    return std::nullopt;
}

StoreError BadValue(const QString &text, const QString &what)
{
    return StoreError(u"'%1' is not a valid %2"_s.arg(text, what));
}

} // namespace

Field::Field(Table &table, FieldDef def, int index)
    : m_table(table)
    , m_def(std::move(def))
    , m_index(index)
{
}

const QString &Field::fieldName() const
{
    return m_def.name;
}

FieldType Field::dataType() const
{
    return m_def.type;
}

int Field::size() const
{
    return m_def.size;
}

bool Field::isCalculated() const
{
    return m_def.calculated;
}

bool Field::readOnly() const
{
    return m_def.readOnly;
}

void Field::setReadOnly(bool readOnly)
{
    m_def.readOnly = readOnly;
}

bool Field::isNull() const
{
    const PacketValue *v = m_table.d->read(*this);
    return !v || IsNull(*v);
}

QString Field::asString() const
{
    const PacketValue *v = m_table.d->read(*this);
    if (!v)
        return {};
    return std::visit(Overloaded {
                          [](std::monostate) { return QString(); },
                          [](qint64 n) { return QString::number(n); },
                          [](bool b) { return BoolText(b); },
                          [](PacketDate date) { return DateText(date.day); },
                          [](const QByteArray &bytes) { return platform::FromAnsi(bytes); },
                      },
                      *v);
}

QByteArray Field::asBytes() const
{
    const PacketValue *v = m_table.d->read(*this);
    if (v) {
        if (const auto *bytes = std::get_if<QByteArray>(v))
            return *bytes;
    }
    return platform::ToAnsi(asString());
}

qint32 Field::asInteger() const
{
    const PacketValue *v = m_table.d->read(*this);
    if (!v)
        return 0;
    return std::visit(Overloaded {
                          [](std::monostate) { return qint32(0); },
                          [](qint64 n) { return qint32(n); },
                          [](bool b) { return qint32(b); },
                          [](PacketDate date) { return date.day; },
                          [](const QByteArray &bytes) {
                              bool ok = false;
                              const qint32 n = bytes.trimmed().toInt(&ok);
                              if (!ok)
                                  throw BadValue(platform::FromAnsi(bytes), u"integer value"_s);
                              return n;
                          },
                      },
                      *v);
}

bool Field::asBoolean() const
{
    const PacketValue *v = m_table.d->read(*this);
    if (!v)
        return false;
    return std::visit(Overloaded {
                          [](std::monostate) { return false; },
                          [](qint64 n) { return n != 0; },
                          [](bool b) { return b; },
                          [](PacketDate date) { return date.day != 0; },
                          [](const QByteArray &bytes) {
                              return ParseBool(platform::FromAnsi(bytes)).value_or(false);
                          },
                      },
                      *v);
}

double Field::asDateTime() const
{
    const PacketValue *v = m_table.d->read(*this);
    if (!v)
        return 0;
    return std::visit(Overloaded {
                          [](std::monostate) { return 0.0; },
                          [](qint64 n) { return double(n); },
                          [](bool) { return 0.0; },
                          [](PacketDate date) { return double(date.day); },
                          [](const QByteArray &bytes) {
                              const QString text = platform::FromAnsi(bytes);
                              if (text.trimmed().isEmpty())
                                  return 0.0;
                              const auto day = ParseDate(text);
                              if (!day)
                                  throw BadValue(text, u"date"_s);
                              return double(*day);
                          },
                      },
                      *v);
}

QVariant Field::value() const
{
    const PacketValue *v = m_table.d->read(*this);
    if (!v)
        return {};
    return std::visit(Overloaded {
                          [](std::monostate) { return QVariant(); },
                          [](qint64 n) { return QVariant(qint32(n)); },
                          [](bool b) { return QVariant(b); },
                          [](PacketDate date) { return QVariant(platform::DateFromDay(date.day)); },
                          [](const QByteArray &bytes) { return QVariant(platform::FromAnsi(bytes)); },
                      },
                      *v);
}

QString Field::displayText() const
{
    return asString();
}

PacketValue Field::fromText(const QString &text) const
{
    switch (m_def.type) {
    case FieldType::String:
        return StoredText(platform::ToAnsi(text), m_def.size);
    case FieldType::AutoInc:
    case FieldType::Integer: {
        if (text.trimmed().isEmpty())
            return {};
        bool ok = false;
        const qint32 n = text.trimmed().toInt(&ok);
        if (!ok)
            throw BadValue(text, u"integer value"_s);
        return qint64(n);
    }
    case FieldType::Date: {
        if (text.trimmed().isEmpty())
            return {};
        const auto day = ParseDate(text);
        if (!day)
            throw BadValue(text, u"date"_s);
        return PacketDate { *day };
    }
    case FieldType::Boolean: {
        if (text.trimmed().isEmpty())
            return {};
        const auto b = ParseBool(text);
        if (!b)
            throw BadValue(text, u"boolean value"_s);
        return *b;
    }
    }
    return {};
}

PacketValue Field::fromInteger(qint32 value) const
{
    switch (m_def.type) {
    case FieldType::String:
        return fromText(QString::number(value));
    case FieldType::AutoInc:
    case FieldType::Integer:
        return qint64(value);
    case FieldType::Date:
        return PacketDate { value };
    case FieldType::Boolean:
        return value != 0;
    }
    return {};
}

PacketValue Field::fromBoolean(bool value) const
{
    switch (m_def.type) {
    case FieldType::String:
        return fromText(BoolText(value));
    case FieldType::AutoInc:
    case FieldType::Integer:
        return qint64(value);
    case FieldType::Boolean:
        return value;
    case FieldType::Date:
        break;
    }
    throw StoreError(u"Invalid type conversion for field '%1'"_s.arg(m_def.name));
}

PacketValue Field::fromDateTime(double dateTime) const
{
    const qint32 day = platform::WholeDay(dateTime);
    switch (m_def.type) {
    case FieldType::String:
        return fromText(DateText(day));
    case FieldType::AutoInc:
    case FieldType::Integer:
        return qint64(day);
    case FieldType::Date:
        return PacketDate { day };
    case FieldType::Boolean:
        break;
    }
    throw StoreError(u"Invalid type conversion for field '%1'"_s.arg(m_def.name));
}

PacketValue Field::toStored(const QVariant &value) const
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Bool:
        return fromBoolean(value.toBool());
    case QMetaType::QDate:
        return fromInteger(platform::DayFromDate(value.toDate()));
    case QMetaType::QDateTime:
        return fromDateTime(platform::DateTimeFromQDateTime(value.toDateTime()));
    case QMetaType::Double:
    case QMetaType::Float:
        return fromDateTime(value.toDouble());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return fromInteger(value.toInt());
    case QMetaType::QByteArray:
        if (m_def.type == FieldType::String)
            return StoredText(value.toByteArray(), m_def.size);
        return fromText(platform::FromAnsi(value.toByteArray()));
    default:
        return fromText(value.toString());
    }
}

void Field::store(PacketValue value)
{
    m_table.d->writeSlot(*this) = std::move(value);
}

void Field::setAsString(const QString &text)
{
    m_table.d->checkWritable(*this);
    store(fromText(text));
}

void Field::setAsInteger(qint32 value)
{
    m_table.d->checkWritable(*this);
    store(fromInteger(value));
}

void Field::setAsBoolean(bool value)
{
    m_table.d->checkWritable(*this);
    store(fromBoolean(value));
}

void Field::setAsDateTime(double dateTime)
{
    m_table.d->checkWritable(*this);
    store(fromDateTime(dateTime));
}

void Field::setValue(const QVariant &value)
{
    m_table.d->checkWritable(*this);
    store(toStored(value));
}

void Field::clear()
{
    store(PacketValue {});
}

} // namespace store
