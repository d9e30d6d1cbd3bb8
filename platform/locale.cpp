#include "platform/locale.h"

#include <QCollator>
#include <QRegularExpression>

namespace platform {

QLocale UserLocale()
{
    const QLocale system = QLocale::system();
    // A machine without regional settings gets the program's users' locale.
    if (system.language() == QLocale::C || system.name() == u"C" || system.name() == u"POSIX")
        return QLocale(QLocale::Russian, QLocale::Russia);
    return system;
}

QString ShortDateFormat()
{
    QString format = UserLocale().dateFormat(QLocale::ShortFormat);
    // A service history spans a century: always four-digit years.
    static const QRegularExpression years(QStringLiteral("y+"));
    format.replace(years, QStringLiteral("yyyy"));
    return format;
}

QString FormatShortDate(QDate date)
{
    if (!date.isValid())
        return {};
    return UserLocale().toString(date, ShortDateFormat());
}

QLocale LocaleFromLcid(quint32 lcid)
{
    struct Entry {
        quint16 lcid;
        QLocale::Language language;
        QLocale::Territory territory;
    };
    static const Entry table[] = {
        {0x0419, QLocale::Russian, QLocale::Russia},
        {0x0409, QLocale::English, QLocale::UnitedStates},
        {0x0809, QLocale::English, QLocale::UnitedKingdom},
        {0x0422, QLocale::Ukrainian, QLocale::Ukraine},
        {0x0423, QLocale::Belarusian, QLocale::Belarus},
        {0x043F, QLocale::Kazakh, QLocale::Kazakhstan},
        {0x0407, QLocale::German, QLocale::Germany},
        {0x040C, QLocale::French, QLocale::France},
        {0x0415, QLocale::Polish, QLocale::Poland},
        {0x0402, QLocale::Bulgarian, QLocale::Bulgaria},
        {0x0C1A, QLocale::Serbian, QLocale::Serbia},
    };
    for (const Entry &e : table) {
        if (e.lcid == (lcid & 0xFFFF))
            return QLocale(e.language, e.territory);
    }
    return UserLocale();
}

Collation::Collation(const QLocale &locale)
    : m_collator(std::make_unique<QCollator>(locale))
{
    m_collator->setCaseSensitivity(Qt::CaseSensitive);
    m_collator->setNumericMode(false);
    m_collator->setIgnorePunctuation(false);
}

Collation::~Collation() = default;

Collation::Collation(const Collation &other)
    : m_collator(std::make_unique<QCollator>(*other.m_collator))
{
}

Collation &Collation::operator=(const Collation &other)
{
    if (this != &other)
        m_collator = std::make_unique<QCollator>(*other.m_collator);
    return *this;
}

QLocale Collation::locale() const
{
    return m_collator->locale();
}

int Collation::compare(QStringView a, QStringView b) const
{
    return m_collator->compare(a, b);
}

QCollatorSortKey Collation::sortKey(const QString &text) const
{
    return m_collator->sortKey(text);
}

} // namespace platform
