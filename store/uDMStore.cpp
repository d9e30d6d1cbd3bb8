// Opening and closing the store: the data files in the data directory,
// the one-time carry-over of the legacy period file, and the lock that
// keeps a second copy of the program off the same files.

#include "store/storeError.h"
#include "store/uDM.h"

#include <QFileInfo>
#include <QLockFile>

#include <exception>

using namespace Qt::StringLiterals;

namespace store {

namespace {

const QString kEmployeesFile = u"Employees.xml"_s;
const QString kPeriodsFile = u"Experience_v2.xml"_s;
const QString kLegacyPeriodsFile = u"Experience.xml"_s;
const QString kLockFile = u"Tarvik.lock"_s;

// The columns carried over from the legacy period file, in copy order.
const QStringView kLegacyColumns[] = {u"EMP_ID", u"PLACE", u"DATEBEG", u"DATEEND",
                                      u"TST",    u"NST",   u"STS"};

// The text of whatever an operation threw.
QString ReasonOf(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const StoreError &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return u"Unknown error"_s;
    }
}

// Runs fn; on any exception returns its text instead of letting it out.
template <typename Fn>
QString Guarded(Fn &&fn)
{
    try {
        fn();
        return {};
    } catch (...) {
        return ReasonOf(std::current_exception());
    }
}

void LoadOrCreate(Table &table, const QString &path, bool &created)
{
    table.setFileName(path);
    created = !QFileInfo::exists(path);
    if (created)
        table.createDataSet();
    else
        table.loadFromFile(path);
}

} // namespace

bool Tdm::OpenDB()
{
    fLastError.clear();
    const QString reason = Guarded([this] {
        bool empCreated = false;
        LoadOrCreate(Emp, fPath + kEmployeesFile, empCreated);
        Emp.setIndexName(u"FIO"_s);

        bool migrate = false;
        LoadOrCreate(Exp, fPath + kPeriodsFile, migrate);
        Exp.setMasterSource(&DS_EMP, u"ID"_s);
        Exp.setIndexName(u"EMP_ID"_s);

        if (migrate)
            MigrateLegacyPeriods(fPath + kLegacyPeriodsFile);
    });
    if (reason.isEmpty())
        return true;

    // A failed start must leave the disk as it was: a table created empty
    // would otherwise be written at the end of the program (an empty period
    // file would even stop the carry-over from being tried again), so the
    // tables forget their files before anything can close them.
    fLastError = reason;
    for (Table *table : {&Emp, &Exp, &Tmp}) {
        table->setFileName(QString());
        Guarded([table] {
            if (table->active())
                table->close();
        });
    }
    return false;
}

void Tdm::MigrateLegacyPeriods(const QString &legacyPath)
{
    if (!QFileInfo::exists(legacyPath))
        return;
    Tmp.loadFromFile(legacyPath);
    // Without a file name neither the close below nor the end of the
    // program can ever write the legacy file.
    Tmp.setFileName(QString());

    for (Tmp.first(); !Tmp.eof(); Tmp.next()) {
        Exp.insert();
        // EMP_ID first, so the legacy owner replaces the one the link filled in.
        for (QStringView column : kLegacyColumns)
            Exp.fieldByName(column).setValue(Tmp.fieldByName(column).value());
        Exp.post();
    }
    Tmp.close();
}

bool Tdm::CloseDB()
{
    // Each table gets its own chance: a failed write of the first must not
    // cost the changes of the second.
    QStringList reasons;
    for (Table *table : {&Emp, &Exp}) {
        const QString reason = Guarded([table] {
            if (table->active())
                table->close();
        });
        if (!reason.isEmpty())
            reasons.append(reason);
    }
    fLastError = reasons.join(u"\r\n"_s);
    if (!Emp.active() && !Exp.active())
        UnlockDB();
    return reasons.isEmpty();
}

bool Tdm::LockDB()
{
    auto lock = std::make_unique<QLockFile>(fPath + kLockFile);
    // No age limit: a copy that has been running for hours still holds the
    // lock. A lock left by a copy that no longer runs is still taken over,
    // because its owner's process is gone.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        fLock = std::move(lock);
        return true;
    }
    // Only another running copy refuses the start. When the lock file cannot
    // be made at all (a read-only folder), no copy can write there either,
    // so nothing can be lost by going on without it.
    return lock->error() != QLockFile::LockFailedError;
}

void Tdm::UnlockDB()
{
    fLock.reset();
}

void Tdm::EndOfProgram()
{
    for (Table *table : {&Emp, &Exp, &Tmp}) {
        Guarded([table] {
            if (table->active())
                table->close();
        });
    }
    UnlockDB();
}

Tdm::EndOfProgramGuard::~EndOfProgramGuard()
{
    dm.EndOfProgram();
}

} // namespace store
