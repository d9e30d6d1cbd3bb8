#include "packetSamples.h"

#include "store/packetIo.h"
#include "store/storeError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace packetsamples;
using namespace store;
using namespace Qt::StringLiterals;

namespace {

Packet Employees(int count)
{
    Packet p;
    p.columns = EmployeeColumns();
    for (int i = 1; i <= count; ++i) {
        p.rows.push_back(Employee(RowInserted, i, u"Имя", u"Фамилия", u"Отчество"));
        p.changeLog.push_back({quint32(i), 0, 4});
    }
    p.autoIncValue = count + 1;
    return p;
}

QByteArray Content(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The write failed, said so with the file's name, and left the old file
// and no temporary file behind.
void ExpectFailedWrite(const QString &path, const Packet &packet, const QByteArray &oldContent)
{
    try {
        WritePacketFile(path, packet);
        ADD_FAILURE() << "write reported success";
    } catch (const StoreError &e) {
        EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(path))) << e.message().toStdString();
    }
    EXPECT_EQ(Content(path), oldContent);
    const QStringList left = QFileInfo(path).dir().entryList(QDir::Files | QDir::Hidden);
    EXPECT_LE(left.size(), oldContent.isNull() ? 0 : 1) << left.join(u' ').toStdString();
}

} // namespace

TEST(PacketFile, WritesReplacesAndReadsBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Employees.xml"_s);
    WritePacketFile(path, Employees(1));
    const Packet two = Employees(2);
    WritePacketFile(path, two);
    EXPECT_EQ(Content(path), WritePacket(two));
    EXPECT_EQ(ReadPacketFile(path), two);
}

TEST(PacketFile, ReadErrorsNameTheFile)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(u"Nothing.xml"_s);
    const QString broken = dir.filePath(u"Broken.xml"_s);
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<DATAPACKET><ROWDATA>");
    f.close();
    for (const QString &path : {missing, broken}) {
        try {
            ReadPacketFile(path);
            ADD_FAILURE() << "read " << path.toStdString();
        } catch (const StoreError &e) {
            EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(path))) << e.message().toStdString();
        }
    }
}

TEST(PacketFile, FailedWriteLeavesTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Employees.xml"_s);
    WritePacketFile(path, Employees(1));
    const QByteArray old = Content(path);

    // A folder that does not exist.
    ExpectFailedWrite(dir.filePath(u"missing/Employees.xml"_s), Employees(1), {});

    // A file system that refuses to grow the file past a few bytes: both
    // for a packet small enough to sit in the write buffer until the end
    // and for one written straight through.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    for (const int employees : {20, 400}) {
        SCOPED_TRACE(employees);
        ExpectFailedWrite(path, Employees(employees), old);
    }
    setrlimit(RLIMIT_FSIZE, &saved);
}

TEST(PacketFile, ReadOnlyFolderLeavesTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Employees.xml"_s);
    WritePacketFile(path, Employees(1));
    const QByteArray old = Content(path);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    QFile probe(dir.filePath(u"probe"_s));
    if (probe.open(QIODevice::WriteOnly)) { // the super-user writes anyway
        probe.remove();
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        GTEST_SKIP() << "permissions do not bind this user";
    }
    ExpectFailedWrite(path, Employees(2), old);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
