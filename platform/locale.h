#pragma once

#include <QByteArray>
#include <QCollatorSortKey>
#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <memory>

class QCollator;

namespace platform {

// The user's locale; Russian where the system locale is C or POSIX.
QLocale UserLocale();
// The user's short date format as a QDate format string, always with a
// four-digit year ("dd.MM.yyyy" for Russian).
QString ShortDateFormat();
// A calendar day in the short date format.
QString FormatShortDate(QDate date);
// The locale of a Windows locale identifier (LCID) as data files carry it;
// the user's locale for identifiers we do not know.
QLocale LocaleFromLcid(quint32 lcid);

// Case-sensitive, locale-aware comparison of texts (upper and lower case
// are distinct, ordered by the locale's rule).
class Collation {
public:
    explicit Collation(const QLocale &locale = UserLocale());
    ~Collation();
    Collation(const Collation &other);
    Collation &operator=(const Collation &other);

    QLocale locale() const;
    // <0, 0, >0 like strcmp.
    int compare(QStringView a, QStringView b) const;
    // A key whose compare() gives the collation order of the text; cheaper
    // than compare() when one text is compared many times.
    QCollatorSortKey sortKey(const QString &text) const;

private:
    std::unique_ptr<QCollator> m_collator;
};

} // namespace platform
