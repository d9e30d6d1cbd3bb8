#pragma once

#include "store/table.h"
#include "store/textPane.h"

#include <QString>

#include <functional>

namespace store {

// The summary refresh the main window installs.
using TOutItog = std::function<void()>;

// The three service results for one employee on one day.
struct TExpItog {
    QString TST; // labour or total service
    QString STS; // insurance service
    QString NST; // continuous service
};

// The data module: the tables, the summary report and the store lifecycle.
class Tdm {
public:
    Tdm();
    ~Tdm();
    Tdm(const Tdm &) = delete;
    Tdm &operator=(const Tdm &) = delete;

    Table Emp;
    Table Exp;
    Table Tmp;
    DataSource DS_EMP;
    DataSource DS_EXP;

    // Data directory, ending with the platform's separator.
    const QString &Path() const { return fPath; }
    void setPath(const QString &path) { fPath = path; }
    const TOutItog &OutItog() const { return fOutItog; }
    void setOutItog(TOutItog outItog) { fOutItog = std::move(outItog); }

    // Opens or creates both tables, links them, migrates the legacy period
    // file once. False on any failure.
    bool OpenDB();
    // Closes both tables, which writes the changed ones. False on failure.
    bool CloseDB();

    // Deletes the current employee and all of that employee's periods.
    void EmpDel();
    // Results for the current employee on the day of vdt (0: today).
    TExpItog ExpItog(double vdt);
    // Replaces the pane's lines with the summary on the day of dt.
    void pOutItog(double dt, TextPane &meExp);

    QString WrYears(qint32 n) const;
    QString WrMonths(qint32 n) const;
    QString WrDays(qint32 n) const;

    void EmpCalcFields(Table &dataSet);
    void ExpCalcFields(Table &dataSet);
    void EmpAfterScroll(Table &dataSet);

private:
    void ClearItog(TExpItog &itog) const;

    QString fPath;
    TOutItog fOutItog;
};

} // namespace store
