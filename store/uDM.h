#pragma once

#include "store/table.h"
#include "store/textPane.h"

#include <QString>

#include <functional>
#include <memory>

class QLockFile;

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
    // Declared first so that it is released after the tables have been
    // closed (and written) at the end of the program.
    std::unique_ptr<QLockFile> fLock;

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
    // Why the last OpenDB or CloseDB failed; empty after a success.
    const QString &lastError() const { return fLastError; }
    // Keeps a second copy of the program off the data directory's files.
    bool LockDB();
    void UnlockDB();
    // Closes every table still open under the save rule, releases the lock.
    void EndOfProgram();
    // Runs EndOfProgram when it goes out of scope.
    struct EndOfProgramGuard {
        Tdm &dm;
        ~EndOfProgramGuard();
    };

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
    void MigrateLegacyPeriods(const QString &legacyPath);

    QString fPath;
    TOutItog fOutItog;
    QString fLastError;
};

} // namespace store
