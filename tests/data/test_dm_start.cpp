// The data module's start over damaged and unwritable data folders: a damaged
// table stops it before anything is packed, the readable rows are kept only
// through a copy and a repair, and a pack that fails is noted, not fatal.
#include "data/dm.h"
#include "data/schema.h"
#include "data/tablerepair.h"
#include "db/database.h"
#include "db/dataset.h"
#include "db/error.h"
#include "db/gbk.h"
#include "db/tablefile.h"
#include "seed_loader.h"

#include <QDir>
#include <functional>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class DataModuleStart : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString data = tmp.path() + QStringLiteral("/data");

    void SetUp() override { seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), data); }
    void TearDown() override
    {
        delete DM;
        DM = nullptr;
    }
    QString file(const QString &name) const { return db::resolveFileName(data, name); }
    static QByteArray bytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void write(const QString &path, const QByteArray &b)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(b);
    }
    // Rows with memos, the last `deleted` of them deleted.
    void addRows(const QString &table, const QString &nameField, int n, int deleted, const QString &memoField = {})
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(table);
        t.open();
        for (int i = 0; i < n; ++i) {
            t.append();
            t.fieldByName(QStringLiteral("ITEM_4")).setAsString(QStringLiteral("2009%1").arg(i + 1, 6, 10, QLatin1Char('0')));
            t.fieldByName(QStringLiteral("ITEM_DQDM")).setAsString(QStringLiteral("."));
            t.fieldByName(nameField).setAsString(QStringLiteral("第%1项").arg(i + 1));
            if (!memoField.isEmpty())
                t.fieldByName(memoField).setAsString(QStringLiteral("成果简介第%1条。").arg(i + 1).repeated(20));
            t.post();
        }
        for (int i = 0; i < deleted; ++i) {
            t.last();
            t.deleteRecord();
        }
    }
    int rowsIn(const QString &table)
    {
        return db::TableFile::open(db::resolveTablePath(data, table), false)->rowCount();
    }
};

TEST_F(DataModuleStart, DamagedTableStopsTheStartBeforeAnyTableIsPackedAndARepairKeepsItsReadableRows)
{
    addRows(QStringLiteral("kjcg"), QStringLiteral("ITEM_3"), 4, 1, QStringLiteral("ITEM_13"));
    addRows(QStringLiteral("cgwcr"), QStringLiteral("ITEM_180"), 400, 0);
    // 300 of the 400 person rows cut away: the header still counts 400.
    const QByteArray whole = bytes(file(QStringLiteral("cgwcr.DBF")));
    const int headerLength = uchar(whole[8]) | uchar(whole[9]) << 8, recLen = uchar(whole[10]) | uchar(whole[11]) << 8;
    const QByteArray cut = whole.left(headerLength + 100 * recLen);
    write(file(QStringLiteral("cgwcr.DBF")), cut);
    const QByteArray kjcgBefore = bytes(file(QStringLiteral("kjcg.DBF")));

    try {
        DM = new TDM(data);
        FAIL() << "a damaged table must stop the start";
    } catch (const db::TableDamagedError &e) {
        EXPECT_EQ(e.table(), QStringLiteral("cgwcr.DBF"));
        EXPECT_TRUE(e.fault().contains(QStringLiteral("400"))) << qPrintable(e.fault());
    }
    EXPECT_EQ(bytes(file(QStringLiteral("cgwcr.DBF"))), cut) << "the damaged table is left as it was";
    EXPECT_EQ(bytes(file(QStringLiteral("kjcg.DBF"))), kjcgBefore) << "nothing is packed";

    const TableRepairResult r = keepReadableRows(data, QStringLiteral("cgwcr.DBF"));
    EXPECT_FALSE(r.mended.isEmpty());
    EXPECT_EQ(bytes(db::resolveFileName(r.backupFolder, QStringLiteral("cgwcr.DBF"))), cut) << "the copy holds the damaged file";
    EXPECT_EQ(bytes(db::resolveFileName(r.backupFolder, QStringLiteral("kjcg.DBF"))), kjcgBefore);
    DM = new TDM(data);
    EXPECT_EQ(DM->TblCgwcr.recordCount(), 100);
    EXPECT_EQ(DM->Tblkjcg.recordCount(), 3);
    EXPECT_TRUE(DM->PackFailures.isEmpty()) << qPrintable(DM->PackFailures.join('\n'));
    QDir(r.backupFolder).removeRecursively();
}

TEST_F(DataModuleStart, RepairCopiesLinksAsLinksAndRefusesATableThatIsALink)
{
    addRows(QStringLiteral("cgwcr"), QStringLiteral("ITEM_180"), 3, 1);
    QTemporaryDir elsewhere;
    write(elsewhere.filePath(QStringLiteral("notes.txt")), "outside");
    // A link round a loop and a link out of the folder.
    ASSERT_EQ(::symlink("..", QFile::encodeName(data + QStringLiteral("/loop")).constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.filePath(QStringLiteral("notes.txt"))).constData(),
                        QFile::encodeName(data + QStringLiteral("/notes.txt")).constData()),
              0);
    const TableRepairResult r = keepReadableRows(data, QStringLiteral("cgwcr.DBF"));
    const QFileInfo loop(r.backupFolder + QStringLiteral("/loop")),
        notes(r.backupFolder + QStringLiteral("/notes.txt"));
    EXPECT_TRUE(loop.isSymLink());
    EXPECT_EQ(QFile::encodeName(QFile::symLinkTarget(loop.filePath())),
              QFile::encodeName(QFileInfo(r.backupFolder).absolutePath()));
    EXPECT_TRUE(notes.isSymLink());
    EXPECT_EQ(bytes(notes.filePath()), QByteArray("outside"));
    EXPECT_EQ(rowsIn(QStringLiteral("cgwcr")), 3) << "the repaired table is whole";
    QDir(r.backupFolder).removeRecursively();

    // The table itself behind a link: refused before anything is copied.
    const QString table = file(QStringLiteral("cgwcr.DBF"));
    ASSERT_TRUE(QFile::rename(table, elsewhere.filePath(QStringLiteral("cgwcr.DBF"))));
    ASSERT_TRUE(QFile::link(elsewhere.filePath(QStringLiteral("cgwcr.DBF")), table));
    const QStringList before = QDir(tmp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    try {
        keepReadableRows(data, QStringLiteral("cgwcr.DBF"));
        ADD_FAILURE() << "a linked table must be refused";
    } catch (const db::EngineError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("符号链接"))) << qPrintable(e.message());
        EXPECT_TRUE(e.message().contains(QStringLiteral("cgwcr.DBF"))) << qPrintable(e.message());
    }
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), before) << "no backup was made";
}

TEST_F(DataModuleStart, GarbageMemoFileStopsTheStartAndIsNotRewritten)
{
    addRows(QStringLiteral("kjcg"), QStringLiteral("ITEM_3"), 6, 2, QStringLiteral("ITEM_13"));
    const QString memo = file(QStringLiteral("kjcg.dbt"));
    QByteArray garbage(int(QFileInfo(memo).size()), '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 131 + 7) % 256);
    write(memo, garbage);
    const QByteArray table = bytes(file(QStringLiteral("kjcg.DBF")));
    try {
        DM = new TDM(data);
        FAIL() << "a garbage memo file must stop the start";
    } catch (const db::TableDamagedError &e) {
        EXPECT_EQ(e.table().toLower(), QStringLiteral("kjcg.dbf"));
        EXPECT_TRUE(e.fault().contains(QStringLiteral("kjcg.dbt"), Qt::CaseInsensitive)) << qPrintable(e.fault());
    }
    EXPECT_EQ(bytes(memo), garbage);
    EXPECT_EQ(bytes(file(QStringLiteral("kjcg.DBF"))), table) << "nothing was packed";
}

TEST_F(DataModuleStart, AnyFaultOfALaterTableStopsTheStartBeforeAnythingIsPacked)
{
    addRows(QStringLiteral("kjcg"), QStringLiteral("ITEM_3"), 5, 2, QStringLiteral("ITEM_13"));
    const QString kjcg = file(QStringLiteral("kjcg.DBF"));
    const QByteArray before = bytes(kjcg), memoBefore = bytes(file(QStringLiteral("kjcg.dbt")));
    // A table of another layout, made beside the folder and put in place.
    auto relaidOut = [&](const QString &name, const std::function<void(QVector<db::FieldDef> &)> &change) {
        const data::TableSchema &schema = data::schemaFor(name);
        QVector<db::FieldDef> fields = schema.fields;
        change(fields);
        const QString target = file(name);
        QFile::remove(target);
        QFile::remove(db::resolveFileName(data, schema.tableName() + QStringLiteral(".dbt")));
        db::TableFile::createFile(target, fields);
    };
    struct Case {
        const char *name;
        std::function<void()> make;
        QStringList said;
    };
    const Case cases[] = {
        {"zero bytes", [&] { write(file(QStringLiteral("gxjs.dbf")), QByteArray()); }, {QStringLiteral("gxjs.dbf")}},
        {"a folder",
         [&] {
             const QString f = file(QStringLiteral("zdxx1.dbf"));
             QFile::remove(f);
             ASSERT_TRUE(QDir().mkpath(f));
         },
         {QStringLiteral("zdxx1.dbf")}},
        {"missing", [&] { QFile::remove(file(QStringLiteral("province.dbf"))); }, {QStringLiteral("province")}},
        {"field missing",
         [&] { relaidOut(QStringLiteral("cgwcdw.DBF"), [](QVector<db::FieldDef> &f) { f.removeLast(); }); },
         {QStringLiteral("cgwcdw.DBF"), QStringLiteral("缺少字段")}},
        {"field of another type",
         [&] {
             relaidOut(QStringLiteral("unit.dbf"), [](QVector<db::FieldDef> &f) {
                 f[1].type = 'D';
                 f[1].width = 8;
             });
         },
         {QStringLiteral("unit.dbf"), data::schemaFor(QStringLiteral("unit.dbf")).fields[1].name}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        c.make();
        try {
            DM = new TDM(data);
            ADD_FAILURE() << "the start must stop";
        } catch (const db::TableDamagedError &e) {
            ADD_FAILURE() << qPrintable(e.message());
        } catch (const db::EngineError &e) {
            for (const QString &said : c.said)
                EXPECT_TRUE(e.message().contains(said, Qt::CaseInsensitive)) << qPrintable(e.message());
        }
        delete DM;
        DM = nullptr;
        EXPECT_EQ(bytes(kjcg), before) << "kjcg is not packed";
        EXPECT_EQ(bytes(file(QStringLiteral("kjcg.dbt"))), memoBefore);
        QDir(data).removeRecursively();
        seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), data);
        addRows(QStringLiteral("kjcg"), QStringLiteral("ITEM_3"), 5, 2, QStringLiteral("ITEM_13"));
        ASSERT_EQ(bytes(kjcg), before);
    }
}

TEST_F(DataModuleStart, GarbageMemoBlocksBehindASoundHeaderStopTheStartAndARepairKeepsTheReadableText)
{
    addRows(QStringLiteral("kjcg"), QStringLiteral("ITEM_3"), 6, 2, QStringLiteral("ITEM_13"));
    const QString memo = file(QStringLiteral("kjcg.dbt"));
    QByteArray damaged = bytes(memo);
    damaged.replace(512, damaged.size() - 512, QByteArray(damaged.size() - 512, '\xFF'));
    const QByteArray readable = QStringLiteral("可读的开头").toUtf8();
    QByteArray readableGbk;
    ASSERT_TRUE(db::gbk::encode(QString::fromUtf8(readable), readableGbk));
    damaged.replace(512, readableGbk.size(), readableGbk);
    write(memo, damaged);
    const QByteArray table = bytes(file(QStringLiteral("kjcg.DBF")));
    try {
        DM = new TDM(data);
        FAIL() << "garbage memo blocks must stop the start";
    } catch (const db::TableDamagedError &e) {
        EXPECT_EQ(e.table().toLower(), QStringLiteral("kjcg.dbf"));
        EXPECT_TRUE(e.fault().contains(QStringLiteral("ITEM_13"))) << qPrintable(e.fault());
        EXPECT_TRUE(e.fault().contains(QStringLiteral("不是文字"))) << qPrintable(e.fault());
    }
    EXPECT_EQ(bytes(memo), damaged) << "nothing was packed";
    EXPECT_EQ(bytes(file(QStringLiteral("kjcg.DBF"))), table);

    const TableRepairResult r = keepReadableRows(data, QStringLiteral("kjcg.DBF"));
    ASSERT_GE(r.mended.size(), 4) << qPrintable(r.mended.join(u'\n'));
    EXPECT_TRUE(r.mended[0].startsWith(QStringLiteral("第 1 条记录：备注字段 ITEM_13"))) << qPrintable(r.mended[0]);
    EXPECT_EQ(bytes(db::resolveFileName(r.backupFolder, QStringLiteral("kjcg.dbt"))), damaged);
    DM = new TDM(data);
    QStringList memos;
    for (DM->Tblkjcg.first(); !DM->Tblkjcg.eof(); DM->Tblkjcg.next())
        memos << DM->Tblkjcg.fieldByName(QStringLiteral("ITEM_13")).asString();
    EXPECT_EQ(memos, QStringList({QString::fromUtf8(readable), QString(), QString(), QString()}));
    QDir(r.backupFolder).removeRecursively();
}

TEST_F(DataModuleStart, PackThatCannotWriteIsNotedAndTheStartGoesOn)
{
    addRows(QStringLiteral("kjcg"), QStringLiteral("ITEM_3"), 5, 2, QStringLiteral("ITEM_13"));
    addRows(QStringLiteral("cgwcr"), QStringLiteral("ITEM_180"), 5, 2);
    const QString kjcg = file(QStringLiteral("kjcg.DBF"));
    const QByteArray before = bytes(kjcg), memoBefore = bytes(file(QStringLiteral("kjcg.dbt")));

    // Each way a pack of kjcg is blocked (the tests run as root, so a folder
    // without write permission would not stop them): something the pack
    // cannot replace where its packed copy goes; another program holding
    // the table; writes that fail as on a full disk (a file size limit).
    struct Case {
        const char *name;
        const char *reason;
        std::function<void()> block, unblock;
    };
    int held = -1;
    struct rlimit oldLimit {};
    const Case cases[] = {
        {"obstacle", "无法整理数据表",
         [&] { ASSERT_TRUE(QDir().mkpath(kjcg + QStringLiteral(".pack-new/inside"))); },
         [&] { QDir(kjcg + QStringLiteral(".pack-new")).removeRecursively(); }},
        {"held by another program", "正被其他程序使用",
         [&] {
             held = ::open(QFile::encodeName(kjcg).constData(), O_RDONLY | O_CLOEXEC);
             ASSERT_GE(held, 0);
             ASSERT_EQ(::flock(held, LOCK_SH | LOCK_NB), 0);
         },
         [&] { ::close(held); }},
        {"full disk", "File too large",
         [&] {
             ::signal(SIGXFSZ, SIG_IGN);
             ::getrlimit(RLIMIT_FSIZE, &oldLimit);
             struct rlimit small = oldLimit;
             small.rlim_cur = 8192;
             ::setrlimit(RLIMIT_FSIZE, &small);
         },
         [&] {
             ::setrlimit(RLIMIT_FSIZE, &oldLimit);
             ::signal(SIGXFSZ, SIG_DFL);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        c.block();
        DM = new TDM(data);
        c.unblock();
        ASSERT_EQ(DM->PackFailures.size(), 1) << qPrintable(DM->PackFailures.join('\n'));
        EXPECT_TRUE(DM->PackFailures[0].startsWith(QStringLiteral("kjcg.DBF: "))) << qPrintable(DM->PackFailures[0]);
        EXPECT_TRUE(DM->PackFailures[0].contains(QString::fromUtf8(c.reason))) << qPrintable(DM->PackFailures[0]);
        EXPECT_TRUE(DM->Qrykjcg.isActive());
        EXPECT_EQ(DM->Tblkjcg.recordCount(), 3);
        EXPECT_EQ(DM->TblCgwcr.recordCount(), 3);
        delete DM;
        DM = nullptr;
        EXPECT_EQ(bytes(kjcg), before) << "the unpacked table is whole";
        EXPECT_EQ(bytes(file(QStringLiteral("kjcg.dbt"))), memoBefore);
        EXPECT_EQ(rowsIn(QStringLiteral("cgwcr")), 3) << "the other tables are packed";
        EXPECT_EQ(QDir(data).entryList({QStringLiteral("*.pack-*")}, QDir::Files | QDir::Dirs), QStringList())
            << "no leftovers";
    }
}

TEST_F(DataModuleStart, PackInAFolderThatCannotBeWrittenIsNotedAndTheStartGoesOn)
{
    addRows(QStringLiteral("kjcg"), QStringLiteral("ITEM_3"), 5, 2, QStringLiteral("ITEM_13"));
    const QString kjcg = file(QStringLiteral("kjcg.DBF"));
    const QByteArray before = bytes(kjcg);
    // The folder is read-only, its files are not.  Root writes anywhere, so
    // the start runs in a child process that has given root up.
    const auto folderMode = QFile::permissions(data);
    QFile::setPermissions(tmp.path(), QFile::permissions(tmp.path()) | QFile::ExeOther | QFile::ReadOther);
    for (const QString &f : QDir(data).entryList(QDir::Files))
        QFile::setPermissions(data + u'/' + f, QFile::permissions(data + u'/' + f) | QFile::WriteOther | QFile::ReadOther);
    QFile::setPermissions(data, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                    | QFile::ReadOther | QFile::ExeOther);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::close(out[0]);
        QByteArray report;
        if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        try {
            DM = new TDM(data);
            report = DM->PackFailures.join(u'\n').toUtf8() + "\n" + QByteArray::number(DM->Tblkjcg.recordCount());
        } catch (const db::EngineError &e) {
            report = "stopped: " + e.message().toUtf8();
        }
        const bool written = ::write(out[1], report.constData(), size_t(report.size())) == report.size();
        ::_exit(written ? 0 : 3);
    }
    ::close(out[1]);
    QByteArray report;
    char buf[4096];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;)
        report.append(buf, n);
    ::close(out[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    QFile::setPermissions(data, folderMode);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const QStringList lines = QString::fromUtf8(report).split(u'\n');
    ASSERT_EQ(lines.size(), 2) << report.constData();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("kjcg.DBF: "))) << report.constData();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("Permission denied"))) << report.constData();
    EXPECT_EQ(lines[1], QStringLiteral("3")) << "the start went on with the live rows";
    EXPECT_EQ(bytes(kjcg), before) << "the unpacked table is whole";
}

} // namespace

namespace {

// The lists of a record read nothing at the start; opened for a record they
// hold its rows, find its rows by key as the indexes are kept, and write back.
TEST_F(DataModuleStart, RecordListsAreReadForTheRecordShown)
{
    addRows(QStringLiteral("kjcg"), QStringLiteral("ITEM_3"), 3, 0);
    addRows(QStringLiteral("cgwcr"), QStringLiteral("ITEM_180"), 3, 0);
    addRows(QStringLiteral("cgwcr"), QStringLiteral("ITEM_180"), 2, 0); // two more for 2009000001 and 2009000002
    DM = new TDM(data);
    for (db::Query *q : {&DM->QryCgwcr, &DM->QryJdwyhmd, &DM->QryCgwcdw})
        EXPECT_FALSE(q->isActive()) << qPrintable(q->objectName());
    EXPECT_FALSE(DM->QryCgwcr.updatesPending());

    auto openFor = [](const QString &key) {
        db::Query &q = DM->QryCgwcr;
        q.close();
        q.setSQL(QStringLiteral(
            "select *  from  cgwcr  where  item_4=:item_4 and  item_dqdm=:item_dqdm order  by  item_187 "));
        q.setParam(QStringLiteral("item_4"), key);
        q.setParam(QStringLiteral("item_dqdm"), QStringLiteral("."));
        q.open();
        return q.recordCount();
    };
    EXPECT_EQ(openFor(QStringLiteral("2009000001")), 2);
    EXPECT_EQ(openFor(QStringLiteral("2009000003")), 1);
    // A person added through the cached list.
    db::Query &q = DM->QryCgwcr;
    q.append();
    q.fieldByName(QStringLiteral("ITEM_4")).setAsString(QStringLiteral("2009000003"));
    q.fieldByName(QStringLiteral("ITEM_DQDM")).setAsString(QStringLiteral("."));
    q.fieldByName(QStringLiteral("ITEM_NO")).setAsString(QStringLiteral("2"));
    q.fieldByName(QStringLiteral("ITEM_180")).setAsString(QStringLiteral("张伟"));
    q.post();
    q.applyUpdates();
    EXPECT_EQ(openFor(QStringLiteral("2009000003")), 2);
    EXPECT_EQ(openFor(QStringLiteral("2009000002")), 2);
}

} // namespace
