// Start-up and shut-down of the store against real folders: what reaches
// the disk, when, and what a failure leaves behind.

#include "store/packetIo.h"
#include "store/startup.h"
#include "store/uDM.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;
using store::StartStore;
using store::Tdm;

namespace {

const QByteArray kEmptyEmployees =
    R"(<?xml version="1.0" standalone="yes"?>  <DATAPACKET Version="2.0"><METADATA><FIELDS>)"
    R"(<FIELD attrname="ID" fieldtype="i4" readonly="true" SUBTYPE="Autoinc"/>)"
    R"(<FIELD attrname="FName" fieldtype="string" WIDTH="50"/><FIELD attrname="LName" fieldtype="string" WIDTH="50"/>)"
    R"(<FIELD attrname="MName" fieldtype="string" WIDTH="50"/></FIELDS><PARAMS AUTOINCVALUE="1"/></METADATA>)"
    R"(<ROWDATA></ROWDATA></DATAPACKET>)";

const QByteArray kEmptyPeriods =
    R"(<?xml version="1.0" standalone="yes"?>  <DATAPACKET Version="2.0"><METADATA><FIELDS>)"
    R"(<FIELD attrname="ID" fieldtype="i4" readonly="true" SUBTYPE="Autoinc"/><FIELD attrname="Emp_ID" fieldtype="i4"/>)"
    R"(<FIELD attrname="PLACE" fieldtype="string" WIDTH="100"/><FIELD attrname="DATEBEG" fieldtype="date"/>)"
    R"(<FIELD attrname="DATEEND" fieldtype="date"/><FIELD attrname="TST" fieldtype="boolean"/>)"
    R"(<FIELD attrname="NST" fieldtype="boolean"/><FIELD attrname="STS" fieldtype="boolean"/>)"
    R"(<FIELD attrname="CHK" fieldtype="boolean"/></FIELDS><PARAMS AUTOINCVALUE="1"/></METADATA>)"
    R"(<ROWDATA></ROWDATA></DATAPACKET>)";

// A legacy period file as older versions left it: legacy identifiers out of
// order, a superseded and a deleted version, a marked period, a period
// without an owner, and the place column spelled in another letter case.
const QByteArray kLegacyPeriods =
    R"(<?xml version="1.0" standalone="yes"?>  <DATAPACKET Version="2.0"><METADATA><FIELDS>)"
    R"(<FIELD attrname="ID" fieldtype="i4" readonly="true" SUBTYPE="Autoinc"/><FIELD attrname="EMP_ID" fieldtype="i4"/>)"
    R"(<FIELD attrname="Place" fieldtype="string" WIDTH="100"/><FIELD attrname="DATEBEG" fieldtype="date"/>)"
    R"(<FIELD attrname="DATEEND" fieldtype="date"/><FIELD attrname="TST" fieldtype="boolean"/>)"
    R"(<FIELD attrname="NST" fieldtype="boolean"/><FIELD attrname="STS" fieldtype="boolean"/>)"
    R"(<FIELD attrname="CHK" fieldtype="boolean"/></FIELDS>)"
    R"(<PARAMS CHANGE_LOG="1 0 4 2 0 4 3 0 4 4 2 8 3 0 2 5 0 4" AUTOINCVALUE="10"/></METADATA><ROWDATA>)"
    R"(<ROW RowState="4" ID="7" EMP_ID="2" Place="Zavod" DATEBEG="20000101" DATEEND="20041231" TST="TRUE" NST="FALSE" STS="TRUE" CHK="TRUE"/>)"
    R"(<ROW RowState="5" ID="3" EMP_ID="1" Place="Old" DATEBEG="19900101" TST="TRUE"/>)"
    R"(<ROW RowState="6" ID="5" EMP_ID="1" Place="Gone" DATEBEG="19950101"/>)"
    R"(<ROW RowState="12" ID="3" EMP_ID="1" Place="School" DATEBEG="19900101" NST="TRUE"/>)"
    R"(<ROW RowState="4" ID="9" Place="Nobody" DATEBEG="20100101"/>)"
    R"(</ROWDATA></DATAPACKET>)";

const QString kFinal = u"\r\nРабота программы, будет завершена!"_s;

qint32 Day(int y, int m, int d)
{
    return qint32(QDate(1899, 12, 30).daysTo(QDate(y, m, d)));
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// Every file and folder under root with its bytes and modification time.
// Equal snapshots mean nothing was written, created, replaced or removed.
using Snapshot = QMap<QString, std::pair<QByteArray, QDateTime>>;

Snapshot TakeSnapshot(const QString &root)
{
    Snapshot s;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        const QString rel = QDir(root).relativeFilePath(info.filePath());
        s.insert(rel, {info.isFile() ? ReadAll(info.filePath()) : QByteArray("<dir>"),
                       info.isFile() ? info.lastModified() : QDateTime()});
    }
    return s;
}

// Backdates the files so that a rewrite within the same second shows.
void Backdate(const QString &dir)
{
    const QDateTime old(QDate(2001, 2, 3), QTime(4, 5, 6));
    for (const QFileInfo &info : QDir(dir).entryInfoList(QDir::Files)) {
        QFile f(info.filePath());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
}

// One run of the program: the store set up on construction, the end of
// the program on destruction.
struct ProgramRun {
    Tdm dm;
    store::StartupResult start;
    explicit ProgramRun(const QString &exeDir)
        : start(StartStore(dm, exeDir))
    {
    }
};

void AddEmployee(Tdm &dm, const QString &last, const QString &first = u"Иван"_s)
{
    dm.Emp.insert();
    dm.Emp.fieldByName(u"LName").setAsString(last);
    dm.Emp.fieldByName(u"FName").setAsString(first);
    dm.Emp.fieldByName(u"MName").setAsString(u"Петрович"_s);
    dm.Emp.post();
}

// A period of the current employee.
void AddPeriod(Tdm &dm, const QString &place, qint32 begin)
{
    dm.Exp.insert();
    dm.Exp.fieldByName(u"PLACE").setAsString(place);
    dm.Exp.fieldByName(u"DATEBEG").setAsDateTime(begin);
    dm.Exp.fieldByName(u"TST").setAsBoolean(true);
    dm.Exp.post();
}

void ToggleSelection(Tdm &dm)
{
    dm.Exp.edit();
    dm.Exp.fieldByName(u"CHK").setAsBoolean(!dm.Exp.fieldByName(u"CHK").asBoolean());
    dm.Exp.post();
}

int ColumnOf(const store::Packet &p, const char *attrName)
{
    for (size_t i = 0; i < p.columns.size(); ++i) {
        if (p.columns[i].attrName == attrName)
            return int(i);
    }
    ADD_FAILURE() << "no column " << attrName;
    return 0;
}

class Lifecycle : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        exeDir = tmp.path() + u"/app"_s;
        ASSERT_TRUE(QDir().mkpath(exeDir));
        base = exeDir + u"/BASE/"_s;
    }
    QString emp() const { return base + u"Employees.xml"_s; }
    QString exp() const { return base + u"Experience_v2.xml"_s; }
    QString legacy() const { return base + u"Experience.xml"_s; }

    // BASE with two employees, Иванов (ID 1) and Петров (ID 2), and a
    // period file; Петров has one period.
    void MakeStore()
    {
        ProgramRun run(exeDir);
        ASSERT_TRUE(run.start.ok) << run.start.message.toStdString();
        AddEmployee(run.dm, u"Иванов"_s);
        AddEmployee(run.dm, u"Петров"_s);
        ASSERT_TRUE(run.dm.Emp.locate(u"ID", 2));
        AddPeriod(run.dm, u"Завод"_s, Day(2001, 5, 1));
        ASSERT_TRUE(run.dm.CloseDB()) << run.dm.lastError().toStdString();
    }

    QTemporaryDir tmp;
    QString exeDir;
    QString base;
};

TEST_F(Lifecycle, FirstStartCreatesTheFolderAndWritesBothTablesEmptyAtClose)
{
    {
        ProgramRun run(exeDir);
        ASSERT_TRUE(run.start.ok) << run.start.message.toStdString();
        EXPECT_EQ(run.dm.Path(), base);
        EXPECT_TRUE(QFileInfo(base).isDir());
        EXPECT_EQ(run.dm.Emp.recordCount(), 0);
        EXPECT_EQ(run.dm.Exp.recordCount(), 0);
        EXPECT_FALSE(QFileInfo::exists(emp())) << "nothing is written while the program runs";
        EXPECT_TRUE(run.dm.CloseDB());
    }
    EXPECT_EQ(ReadAll(emp()), kEmptyEmployees);
    EXPECT_EQ(ReadAll(exp()), kEmptyPeriods);
    // No legacy file made, no lock file left behind.
    EXPECT_EQ(QDir(base).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({u"Employees.xml"_s, u"Experience_v2.xml"_s}));
}

TEST_F(Lifecycle, LinkToAFolderServesAsTheDataFolder)
{
    const QString target = tmp.path() + u"/elsewhere"_s;
    ASSERT_TRUE(QDir().mkdir(target));
    ASSERT_TRUE(QFile::link(target, exeDir + u"/BASE"_s));
    {
        ProgramRun run(exeDir);
        ASSERT_TRUE(run.start.ok) << run.start.message.toStdString();
        EXPECT_TRUE(run.dm.CloseDB());
    }
    EXPECT_EQ(ReadAll(target + u"/Employees.xml"_s), kEmptyEmployees);
}

TEST_F(Lifecycle, LegacyPeriodsAreCarriedOverOnceWithFreshIdentifiers)
{
    MakeStore();
    ASSERT_TRUE(QFile::remove(exp()));
    WriteAll(legacy(), kLegacyPeriods);
    Backdate(base);
    const Snapshot before = TakeSnapshot(base);
    {
        ProgramRun run(exeDir);
        ASSERT_TRUE(run.start.ok) << run.start.message.toStdString();
        // The periods show under their owners.
        ASSERT_TRUE(run.dm.Emp.locate(u"ID", 2));
        ASSERT_EQ(run.dm.Exp.recordCount(), 1);
        EXPECT_EQ(run.dm.Exp.fieldByName(u"PLACE").asString(), u"Zavod"_s);
        EXPECT_TRUE(run.dm.Exp.fieldByName(u"CHK").isNull());
        ASSERT_TRUE(run.dm.Emp.locate(u"ID", 1));
        ASSERT_EQ(run.dm.Exp.recordCount(), 1);
        EXPECT_EQ(run.dm.Exp.fieldByName(u"PLACE").asString(), u"School"_s);
        EXPECT_TRUE(run.dm.CloseDB());
    }
    // The legacy file and the employees are left as they were.
    const Snapshot after = TakeSnapshot(base);
    EXPECT_EQ(after.value(u"Experience.xml"_s), before.value(u"Experience.xml"_s));
    EXPECT_EQ(after.value(u"Employees.xml"_s), before.value(u"Employees.xml"_s));

    // Visible legacy rows only, in legacy order, as ordinary insertions.
    const store::Packet p = store::ReadPacketFile(exp());
    using V = store::PacketValue;
    const V null;
    const std::vector<std::vector<V>> expected = {
        {V(qint64(1)), V(qint64(2)), V(QByteArray("Zavod")), V(store::PacketDate{Day(2000, 1, 1)}),
         V(store::PacketDate{Day(2004, 12, 31)}), V(true), V(false), V(true), null},
        {V(qint64(2)), V(qint64(1)), V(QByteArray("School")), V(store::PacketDate{Day(1990, 1, 1)}), null,
         null, V(true), null, null},
        // The legacy owner, even a missing one, replaces the current employee.
        {V(qint64(3)), null, V(QByteArray("Nobody")), V(store::PacketDate{Day(2010, 1, 1)}), null, null,
         null, null, null},
    };
    ASSERT_EQ(p.rows.size(), expected.size());
    const char *order[] = {"ID", "Emp_ID", "PLACE", "DATEBEG", "DATEEND", "TST", "NST", "STS", "CHK"};
    for (size_t r = 0; r < expected.size(); ++r) {
        EXPECT_EQ(p.rows[r].state, store::RowInserted) << "row " << r;
        for (size_t c = 0; c < expected[r].size(); ++c)
            EXPECT_EQ(p.rows[r].values[ColumnOf(p, order[c])], expected[r][c]) << "row " << r << " " << order[c];
    }
    EXPECT_EQ(p.changeLog, (std::vector<store::ChangeLogEntry>{{1, 0, 4}, {2, 0, 4}, {3, 0, 4}}));
    EXPECT_EQ(p.autoIncValue, 4);

    // From now on the legacy file is ignored.
    {
        ProgramRun run(exeDir);
        ASSERT_TRUE(run.start.ok);
        ASSERT_TRUE(run.dm.Emp.locate(u"ID", 2));
        EXPECT_EQ(run.dm.Exp.recordCount(), 1);
    }
    EXPECT_EQ(store::ReadPacketFile(exp()).rows.size(), 3u);
}

TEST_F(Lifecycle, RunWithoutChangesWritesNothingAndIgnoresTheLegacyFile)
{
    MakeStore();
    WriteAll(legacy(), kLegacyPeriods);
    Backdate(base);
    const Snapshot before = TakeSnapshot(base);
    {
        ProgramRun run(exeDir);
        ASSERT_TRUE(run.start.ok);
        int periods = 0;
        for (run.dm.Emp.first(); !run.dm.Emp.eof(); run.dm.Emp.next())
            periods += run.dm.Exp.recordCount();
        EXPECT_EQ(periods, 1) << "legacy periods must not be added to an existing period file";
        // An edit that changes nothing is no change.
        run.dm.Emp.edit();
        run.dm.Emp.fieldByName(u"LName").setAsString(run.dm.Emp.fieldByName(u"LName").asString());
        run.dm.Emp.post();
        EXPECT_TRUE(run.dm.CloseDB());
    }
    EXPECT_EQ(TakeSnapshot(base), before);
}

TEST_F(Lifecycle, SelectionToggleAddsOneRowVersionToThePeriodFileOnly)
{
    MakeStore();
    Backdate(base);
    const Snapshot before = TakeSnapshot(base);
    const store::Packet old = store::ReadPacketFile(exp());
    {
        ProgramRun run(exeDir);
        ASSERT_TRUE(run.start.ok);
        ASSERT_TRUE(run.dm.Emp.locate(u"ID", 2));
        ToggleSelection(run.dm);
        EXPECT_TRUE(run.dm.CloseDB());
    }
    EXPECT_EQ(TakeSnapshot(base).value(u"Employees.xml"_s), before.value(u"Employees.xml"_s));
    const store::Packet now = store::ReadPacketFile(exp());
    ASSERT_EQ(now.rows.size(), old.rows.size() + 1);
    EXPECT_EQ(now.rows.back().state, store::RowInserted | store::RowModified);
    EXPECT_EQ(now.rows.back().values[ColumnOf(now, "CHK")], store::PacketValue(true));
    ASSERT_EQ(now.changeLog.size(), old.changeLog.size() + 1);
    EXPECT_EQ(now.changeLog.back().kind, 8u);
}

TEST_F(Lifecycle, FailedStartShowsItsMessageAndWritesNothing)
{
    const QString cyrillicExe = tmp.path() + u"/Мои программы/Тарвик 2"_s;
    const QString fileAsExe = tmp.path() + u"/afile"_s;
    struct Case {
        const char *name;
        QString exeDir;
        QMap<QString, QByteArray> files; // in BASE
        QString message;                 // before the path
    };
    const Case cases[] = {
        {"empty employee file", exeDir, {{u"Employees.xml"_s, {}}}, u"Ошибка открытия БД"_s},
        {"empty employee file, path with Cyrillic and blanks", cyrillicExe,
         {{u"Employees.xml"_s, {}}}, u"Ошибка открытия БД"_s},
        // A damaged period file must not cost a fresh employee file either.
        {"damaged period file", exeDir, {{u"Experience_v2.xml"_s, "<DATAPACKET"}}, u"Ошибка открытия БД"_s},
        {"period file lacking a column", exeDir,
         {{u"Experience_v2.xml"_s, QByteArray(kEmptyPeriods).replace("<FIELD attrname=\"CHK\" fieldtype=\"boolean\"/>", "")}},
         u"Ошибка открытия БД"_s},
        // No empty period file may appear, or the carry-over would never be retried.
        {"unreadable legacy file", exeDir, {{u"Experience.xml"_s, "not a data packet"}}, u"Ошибка открытия БД"_s},
        {"legacy file lacking a copied column", exeDir,
         {{u"Experience.xml"_s, QByteArray(kLegacyPeriods).replace("<FIELD attrname=\"STS\" fieldtype=\"boolean\"/>", "")}},
         u"Ошибка открытия БД"_s},
        {"data folder name taken by a file", exeDir, {}, u"Не могу создать директорию для БД"_s},
        // Even root cannot make a folder under a regular file.
        {"executable folder is a file", fileAsExe, {}, u"Не могу создать директорию для БД"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(tmp.path()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(tmp.path()));
        const QString dataDir = c.exeDir + u"/BASE/"_s;
        if (c.exeDir == fileAsExe) {
            WriteAll(fileAsExe, "x");
        } else if (c.message.startsWith(u"Не могу"_s)) {
            ASSERT_TRUE(QDir().mkpath(c.exeDir));
            WriteAll(c.exeDir + u"/BASE"_s, "x");
        } else {
            ASSERT_TRUE(QDir().mkpath(dataDir));
        }
        for (auto it = c.files.begin(); it != c.files.end(); ++it)
            WriteAll(dataDir + it.key(), it.value());
        Backdate(dataDir);
        const Snapshot before = TakeSnapshot(tmp.path());
        {
            ProgramRun run(c.exeDir);
            EXPECT_FALSE(run.start.ok);
            EXPECT_EQ(run.start.message, c.message + u" - \r\n"_s + dataDir + kFinal);
        }
        EXPECT_EQ(TakeSnapshot(tmp.path()), before);
    }
}

TEST_F(Lifecycle, LegacyFileFixedAfterAFailedStartIsCarriedOverNextTime)
{
    ASSERT_TRUE(QDir().mkpath(base));
    WriteAll(legacy(), "not a data packet");
    {
        ProgramRun run(exeDir);
        ASSERT_FALSE(run.start.ok);
    }
    EXPECT_FALSE(QFileInfo::exists(exp()));
    WriteAll(legacy(), kLegacyPeriods);
    {
        ProgramRun run(exeDir);
        ASSERT_TRUE(run.start.ok) << run.start.message.toStdString();
        EXPECT_TRUE(run.dm.CloseDB());
    }
    EXPECT_EQ(store::ReadPacketFile(exp()).rows.size(), 3u);
}

TEST_F(Lifecycle, FolderWithCyrillicLettersAndBlanksKeepsItsData)
{
    const QString dir = tmp.path() + u"/Кадры и стаж/Тарвик"_s;
    ASSERT_TRUE(QDir().mkpath(dir));
    {
        ProgramRun run(dir);
        ASSERT_TRUE(run.start.ok);
        EXPECT_EQ(run.dm.Path(), dir + u"/BASE/"_s);
        AddEmployee(run.dm, u"Щукин"_s);
        EXPECT_TRUE(run.dm.CloseDB());
    }
    ProgramRun run(dir);
    ASSERT_TRUE(run.start.ok);
    ASSERT_EQ(run.dm.Emp.recordCount(), 1);
    EXPECT_EQ(run.dm.Emp.fieldByName(u"LName").asString(), u"Щукин"_s);
}

TEST_F(Lifecycle, SecondCopyIsRefusedUntilTheFirstHasClosed)
{
    MakeStore();
    ProgramRun first(exeDir);
    ASSERT_TRUE(first.start.ok);
    AddEmployee(first.dm, u"Сидоров"_s);
    const Snapshot before = TakeSnapshot(base);
    {
        ProgramRun second(exeDir);
        EXPECT_FALSE(second.start.ok);
        EXPECT_EQ(second.start.message,
                  u"База данных уже открыта другой копией программы - \r\n"_s + base + kFinal);
    }
    EXPECT_EQ(TakeSnapshot(base), before) << "the refused copy must write nothing";
    ASSERT_TRUE(first.dm.CloseDB());
    ProgramRun third(exeDir);
    ASSERT_TRUE(third.start.ok) << "the lock is released at close";
    EXPECT_EQ(third.dm.Emp.recordCount(), 3);
}

#ifdef Q_OS_UNIX

// A child process forked from this one; killed with SIGKILL if still
// running when the test ends.
class Child {
public:
    // Runs body in the child, which then ends without running any
    // destructors of the parent's objects.
    template <typename Body>
    explicit Child(Body &&body)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            const int rc = body(fds[1]);
            ::_exit(rc);
        }
        ::close(fds[1]);
        m_ready = fds[0];
    }
    ~Child()
    {
        if (m_pid > 0) {
            kill();
        }
        if (m_ready >= 0)
            ::close(m_ready);
    }
    bool started() const { return m_pid > 0; }
    // Waits for the byte the child sends through the pipe.
    bool waitReady()
    {
        char c;
        return ::read(m_ready, &c, 1) == 1;
    }
    void kill()
    {
        ::kill(m_pid, SIGKILL);
        wait();
    }
    int wait()
    {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return status;
    }

private:
    pid_t m_pid = -1;
    int m_ready = -1;
};

void SignalReady(int fd)
{
    const char c = 1;
    (void)!::write(fd, &c, 1);
}

TEST_F(Lifecycle, LockOfAnotherProcessRefusesTheStartAndIsTakenOverOnceItIsKilled)
{
    MakeStore();
    const QString lockPath = base + u"Tarvik.lock"_s;
    Child holder([&](int ready) {
        Tdm dm;
        dm.setPath(base);
        if (!dm.LockDB())
            return 1;
        SignalReady(ready);
        ::pause();
        return 0;
    });
    ASSERT_TRUE(holder.started());
    ASSERT_TRUE(holder.waitReady());
    // A copy that has been running for hours still holds its lock.
    Backdate(base);
    {
        ProgramRun run(exeDir);
        EXPECT_FALSE(run.start.ok);
        EXPECT_TRUE(run.start.message.startsWith(u"База данных уже открыта"_s));
    }
    holder.kill();
    ASSERT_TRUE(QFileInfo::exists(lockPath)) << "a killed copy leaves its lock file";
    ProgramRun run(exeDir);
    EXPECT_TRUE(run.start.ok) << "a lock whose owner is gone must not block the start";
}

// Makes every write past `bytes` fail for this process, as a full disk would;
// root cannot write past it either.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST_F(Lifecycle, FailedWriteAtCloseIsReportedAndKeepsThePreviousFile)
{
    MakeStore();
    const QByteArray oldEmployees = ReadAll(emp());
    {
        ProgramRun run(exeDir);
        ASSERT_TRUE(run.start.ok);
        // The employee file grows far past the limit, the period file stays under it.
        for (int i = 0; i < 80; ++i)
            AddEmployee(run.dm, u"Сотрудник%1"_s.arg(i, 3, 10, QLatin1Char('0')));
        ASSERT_TRUE(run.dm.Emp.locate(u"ID", 2));
        ToggleSelection(run.dm);
        bool closed = true;
        {
            FileSizeLimit limit(2048);
            closed = run.dm.CloseDB();
        }
        EXPECT_FALSE(closed);
        EXPECT_TRUE(run.dm.lastError().contains(QDir::toNativeSeparators(emp())))
            << run.dm.lastError().toStdString();
        EXPECT_EQ(ReadAll(emp()), oldEmployees);
        // The period table was still closed and written.
        const store::Packet periods = store::ReadPacketFile(exp());
        EXPECT_EQ(periods.rows.back().values[ColumnOf(periods, "CHK")], store::PacketValue(true));
        ASSERT_LT(ReadAll(exp()).size(), 2048);
    }
    // The end of the program tries the table left open once more, and now
    // there is room.
    EXPECT_EQ(store::ReadPacketFile(emp()).rows.size(), 82u);
}

TEST_F(Lifecycle, ProcessKilledWhileWritingLeavesTheOldOrTheNewFile)
{
    MakeStore();
    const QByteArray oldEmployees = ReadAll(emp());
    // No lock: the forked writers share this process's memory image, and
    // their close would release a lock this process took.
    Tdm dm;
    dm.setPath(base);
    ASSERT_TRUE(dm.OpenDB());
    for (int i = 0; i < 3000; ++i)
        AddEmployee(dm, u"Работник%1"_s.arg(i), u"Имя%1"_s.arg(i));

    const auto closeInChild = [&](int ready) {
        SignalReady(ready);
        return dm.CloseDB() ? 0 : 1;
    };
    // The new content, from a writer left to finish; its duration sets the
    // range of the moments to kill at.
    QElapsedTimer timer;
    {
        Child writer(closeInChild);
        ASSERT_TRUE(writer.waitReady());
        timer.start();
        const int status = writer.wait();
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const qint64 writeNs = timer.nsecsElapsed();
    const QByteArray newEmployees = ReadAll(emp());
    ASSERT_NE(newEmployees, oldEmployees);
    ASSERT_EQ(store::ReadPacketFile(emp()).rows.size(), 3002u);

    const int kills = 40;
    int keptOld = 0;
    for (int i = 0; i <= kills; ++i) {
        WriteAll(emp(), oldEmployees);
        Child writer(closeInChild);
        ASSERT_TRUE(writer.waitReady());
        const qint64 delayUs = writeNs * i / kills / 1000;
        if (delayUs > 0)
            ::usleep(useconds_t(delayUs));
        writer.kill();
        const QByteArray now = ReadAll(emp());
        EXPECT_TRUE(now == oldEmployees || now == newEmployees)
            << "kill after " << delayUs << " us left " << now.size() << " bytes";
        keptOld += now == oldEmployees;
    }
    // How many kills came before the file was replaced, for the record.
    RecordProperty("killsBeforeReplace", keptOld);
    // The parent still holds the same changes and writes the same file.
    EXPECT_TRUE(dm.CloseDB());
    EXPECT_EQ(ReadAll(emp()), newEmployees);
}

#endif // Q_OS_UNIX

} // namespace
