#include "exchange/archiver.h"
#include "exchange/arjoutput.h"
#include "arjbuild.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace exchange;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class RealArj : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!ArjArchiver::available())
            GTEST_SKIP() << "arj is not installed";
    }
    QTemporaryDir tmp;
};

} // namespace

TEST_F(RealArj, PacksListsAndExtractsWithoutRegardToCase)
{
    const QString src = tmp.filePath(QStringLiteral("src"));
    const QString dst = tmp.filePath(QStringLiteral("dst"));
    QDir().mkpath(src);
    QDir().mkpath(dst);
    writeFile(src + QStringLiteral("/KJCG.TXT"), "k\t\xB3\xC9\xB9\xFB\r\n");
    writeFile(src + QStringLiteral("/unit.txt"), "u\r\n");
    qputenv("ARJ_SW", "-jm -g secret");   // would garble or change every run if honoured
    ArjArchiver arj;
    int ticks = 0;
    arj.setIdle([&] { ++ticks; });
    arj.pack(src, {QStringLiteral("KJCG.TXT"), QStringLiteral("UNIT.TXT")}, src + QStringLiteral("/cgsbqy.arj"));
    qunsetenv("ARJ_SW");
    ASSERT_TRUE(QFile::exists(src + QStringLiteral("/cgsbqy.arj")));
    EXPECT_EQ(arj.list(src + QStringLiteral("/cgsbqy.arj")), (QStringList{QStringLiteral("KJCG.TXT"), QStringLiteral("UNIT.TXT")}));

    writeFile(dst + QStringLiteral("/kjcg.txt"), "old");   // replaced, whatever its case
    const QStringList names = arj.extract(src + QStringLiteral("/cgsbqy.arj"), dst);
    EXPECT_EQ(names.size(), 2);
    EXPECT_EQ(readFile(dst + QStringLiteral("/kjcg.txt")), QByteArray("k\t\xB3\xC9\xB9\xFB\r\n"));
    EXPECT_EQ(readFile(dst + QStringLiteral("/UNIT.TXT")), QByteArray("u\r\n"));
    EXPECT_FALSE(QFile::exists(dst + QStringLiteral("/KJCG.TXT")));
}

TEST_F(RealArj, RefusesUnsafeMembersBeforeExtracting)
{
    const QString pkg = tmp.filePath(QStringLiteral("bad.arj"));
    writeFile(pkg, testsupport::buildArj({{"KJCG.TXT", "a"}, {"../escape.txt", "b"}}));
    ArjArchiver arj;
    const QString dst = tmp.filePath(QStringLiteral("dst"));
    QDir().mkpath(dst);
    EXPECT_THROW(arj.extract(pkg, dst), ArchiveError);
    EXPECT_TRUE(QDir(dst).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(QFile::exists(tmp.filePath(QStringLiteral("escape.txt"))));
}

// What goes wrong is said in Chinese, with the member: never arj's own
// English output.
TEST_F(RealArj, FailuresAreToldInChineseWithTheMember)
{
    const QString pkg = tmp.filePath(QStringLiteral("broken.arj"));
    QByteArray bytes = testsupport::buildArj({{"KJCG.TXT", "abcdef"}, {"JDWYHMD.TXT", "committee"}});
    bytes[bytes.size() - 7] = 'X';   // the second member's data no longer matches its check sum
    writeFile(pkg, bytes);
    ArjArchiver arj;
    const QString dst = tmp.filePath(QStringLiteral("dst"));
    QDir().mkpath(dst);
    try {
        arj.extract(pkg, dst);
        FAIL() << "no error";
    } catch (const ArchiveError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("解压失败：文件JDWYHMD.TXT，该文件已损坏（校验和不符）。请向发送单位重新索取导入包。"));
    }
    EXPECT_TRUE(QDir(dst).entryList(QDir::Files).isEmpty());

    // A program that is not there: what to install.
    ArjArchiver missing(QStringLiteral("arj-not-installed"));
    writeFile(tmp.filePath(QStringLiteral("A.TXT")), "a");
    try {
        missing.pack(tmp.path(), {QStringLiteral("A.TXT")}, tmp.filePath(QStringLiteral("x.arj")));
        FAIL() << "no error";
    } catch (const ArchiveError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("找不到压缩程序“arj-not-installed”"))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("Debian 软件包 arj"))) << e.message().toStdString();
    }
    EXPECT_THROW(missing.pack(tmp.path(), {QStringLiteral("NOPE.TXT")}, tmp.filePath(QStringLiteral("x.arj"))), ArchiveError);
}

TEST(ArjMessages, NameTheMemberAtFaultFromTheOutput)
{
    const QByteArray crc = "ARJ32 v 3.10, Copyright (c) 1998-2004, ARJ Software Russia.\n\nProcessing archive: ../package.arj\n"
                           "Extracting KJCG.TXT                  , Warning! Binary file from a different OS  OK        \n"
                           "Extracting JDWYHMD.TXT               , Warning! Binary file from a different OS  CRC error!\n"
                           "Extracting ZLQK.TXT                  OK        \n     3 file(s)\n\nFound     1 error(s)!\n";
    EXPECT_EQ(arjFailedMember(crc), "JDWYHMD.TXT");
    // Cut off after a member it finished: no member is blamed.
    const QByteArray cut = "Extracting KJCG.TXT                  OK        \n\nError (25): Inappropriate ioctl for device\n\n"
                           "Can't read file or unexpected end of file\n";
    EXPECT_EQ(arjFailedMember(cut), "");
    EXPECT_EQ(arjFailure(ArjTask::Unpack, 2, cut), QStringLiteral("解压失败：压缩包不完整（文件在中途结束），可能在传送中损坏。请向发送单位重新索取导入包。"));
    EXPECT_EQ(arjFailedMember("Adding    KJCG.TXT   \n"), "KJCG.TXT");   // packing, cut off
    // A member name of any length is quoted by its head.
    const QString longName = arjFailure(ArjTask::Unpack, 3, "Extracting " + QByteArray(5000, 'N') + "  CRC error!\n");
    EXPECT_LT(longName.size(), 200);
}

TEST(ArjRoom, FreeSpaceDecidesBeforeUnpacking)
{
    const QList<ArjMember> members{{"KJCG.TXT", 1000, 100 << 20, 0}, {"CGWCR.TXT", 1000, 50 << 20, 0}};
    const qint64 mb = 1 << 20;
    EXPECT_NO_THROW(checkUnpackRoom(members, 2000, 200 * mb, 0, true));
    try {
        checkUnpackRoom(members, 2000, 100 * mb, 0, true);
        FAIL() << "no error";
    } catch (const ArchiveError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("临时文件夹所在的磁盘只剩100.0 MB"))) << e.message().toStdString();
    }
    // The destination on another disk needs the members once more.
    EXPECT_THROW(checkUnpackRoom(members, 2000, 200 * mb, 100 * mb, false), ArchiveError);
    EXPECT_NO_THROW(checkUnpackRoom(members, 2000, 200 * mb, 200 * mb, false));
}

TEST(ArjRunner, TimeLimitStopsAHangingArchiver)
{
    QTemporaryDir tmp;
    const QString fake = tmp.filePath(QStringLiteral("slowarj"));
    writeFile(fake, "#!/bin/sh\nexec sleep 30\n");
    QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    writeFile(tmp.filePath(QStringLiteral("A.TXT")), "a");
    ArjArchiver arj(fake, 500);
    try {
        arj.pack(tmp.path(), {QStringLiteral("A.TXT")}, tmp.filePath(QStringLiteral("x.arj")));
        FAIL() << "no error";
    } catch (const ArchiveError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("没有完成"))) << e.message().toStdString();
    }
    EXPECT_FALSE(QFile::exists(tmp.filePath(QStringLiteral("x.arj"))));
}
