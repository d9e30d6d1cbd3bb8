#pragma once

#include "platform/clock.h"
#include "store/uDM.h"
#include "support/openTables.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <ostream>

// Readable texts in failure messages.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace tablefixture {

inline qint32 Day(int y, int m, int d)
{
    return platform::DayFromDate(QDate(y, m, d));
}

// The data module opened the way the program opens it, without files.
struct OpenStore {
    store::Tdm dm;
    OpenStore() { testsupport::OpenTables(dm); }

    // Inserts and posts an employee; null parts stay null.
    void addEmp(const QString &last, const std::optional<QString> &first = {},
                const std::optional<QString> &middle = {})
    {
        dm.Emp.insert();
        dm.Emp.fieldByName(u"LName").setAsString(last);
        if (first)
            dm.Emp.fieldByName(u"FName").setAsString(*first);
        if (middle)
            dm.Emp.fieldByName(u"MName").setAsString(*middle);
        dm.Emp.post();
    }

    struct Period {
        std::optional<qint32> begin {};
        std::optional<qint32> end {};
        bool tst = false, sts = false, nst = false;
        std::optional<bool> chk = true;
        QString place = QStringLiteral("Завод");
    };

    // A period of the current employee.
    void addPeriod(const Period &p)
    {
        store::Table &t = dm.Exp;
        t.insert();
        t.fieldByName(u"PLACE").setAsString(p.place);
        if (p.begin)
            t.fieldByName(u"DATEBEG").setAsDateTime(*p.begin);
        if (p.end)
            t.fieldByName(u"DATEEND").setAsDateTime(*p.end);
        t.fieldByName(u"TST").setAsBoolean(p.tst);
        t.fieldByName(u"STS").setAsBoolean(p.sts);
        t.fieldByName(u"NST").setAsBoolean(p.nst);
        if (p.chk)
            t.fieldByName(u"CHK").setAsBoolean(*p.chk);
        t.post();
    }
};

// One field of every row of the view, in view order, read through withRecord.
inline QStringList Column(store::Table &t, QStringView field)
{
    QStringList out;
    for (int i = 0; i < t.recordCount(); ++i)
        t.withRecord(i, [&] { out << t.fieldByName(field).asString(); });
    return out;
}

// What a view hears from its table.
struct Recorder : store::TableObserver {
    QStringList events;
    void currentChanged(store::Table &) override { events << QStringLiteral("current"); }
    void rowChanged(store::Table &, int row) override { events << QStringLiteral("changed %1").arg(row); }
    void rowsInserted(store::Table &, int first, int last) override
    {
        events << QStringLiteral("inserted %1-%2").arg(first).arg(last);
    }
    void rowsRemoved(store::Table &, int first, int last) override
    {
        events << QStringLiteral("removed %1-%2").arg(first).arg(last);
    }
    void reset(store::Table &) override { events << QStringLiteral("reset"); }
};

} // namespace tablefixture
