#include "exchange/archiver.h"
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

TEST_F(RealArj, FailureIsReportedAndMissingProgramToo)
{
    const QString pkg = tmp.filePath(QStringLiteral("broken.arj"));
    QByteArray bytes = testsupport::buildArj({{"KJCG.TXT", "abcdef"}});
    bytes[bytes.size() - 7] = 'X';   // member data no longer matches its check sum
    writeFile(pkg, bytes);
    ArjArchiver arj;
    EXPECT_THROW(arj.extract(pkg, tmp.path()), ArchiveError);
    EXPECT_FALSE(QFile::exists(tmp.filePath(QStringLiteral("KJCG.TXT"))));

    ArjArchiver missing(QStringLiteral("/nonexistent/arj"));
    writeFile(tmp.filePath(QStringLiteral("A.TXT")), "a");
    EXPECT_THROW(missing.pack(tmp.path(), {QStringLiteral("A.TXT")}, tmp.filePath(QStringLiteral("x.arj"))), ArchiveError);
    EXPECT_THROW(missing.pack(tmp.path(), {QStringLiteral("NOPE.TXT")}, tmp.filePath(QStringLiteral("x.arj"))), ArchiveError);
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
