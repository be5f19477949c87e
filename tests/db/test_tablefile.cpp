// Table files on disk: field types and their text forms, values that do not
// fit, file names in any letter case, headers that disagree with the file,
// damaged headers, packing (a process dying mid-pack included) and table
// replacement.

#include "dbtestutil.h"

#include <QFileInfo>

#include <functional>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace db;
using namespace dbtest;

namespace {

class TableFileTest : public DataFolder {};

QString messageOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const EngineError &e) {
        return e.message();
    }
    return QString();
}

// ---------------------------------------------------------------------------
// Field types

TEST_F(TableFileTest, TextAndNumberFieldsReadInTheirTextForms)
{
    create("t.dbf", {fld("NAME", 'C', 20), fld("AMOUNT", 'N', 12, 4), fld("SMALL", 'N', 6), fld("BIG", 'N', 10),
                     fld("WIDE", 'N', 12)});
    {
        auto t = open("t");
        EXPECT_EQ(t->fieldByName("amount").kind(), FieldKind::Float);
        EXPECT_EQ(t->fieldByName("small").kind(), FieldKind::SmallInt);
        EXPECT_EQ(t->fieldByName("big").kind(), FieldKind::Integer);
        EXPECT_EQ(t->fieldByName("wide").kind(), FieldKind::Float);

        t->append();
        t->fieldByName("NAME").setAsString(QStringLiteral("张三  "));
        t->fieldByName("AMOUNT").setAsFloat(0.1 + 0.2);
        t->fieldByName("SMALL").setAsInteger(-32768);
        t->fieldByName("BIG").setAsInteger(2147483647);
        t->fieldByName("WIDE").setAsString("12345678901");
        t->post();
        t->append();
        t->fieldByName("NAME").setAsString("   ");
        t->fieldByName("AMOUNT").setAsFloat(12.5);
        t->fieldByName("SMALL").setAsInteger(32767);
        t->post();
        t->append();
        t->fieldByName("AMOUNT").setAsFloat(3);
        t->post();
    }
    const QByteArray raw = readFile(path("t.dbf"));
    EXPECT_TRUE(raw.contains("    0.3000")) << "N(12,4) keeps its decimals on disk";

    auto t = open("T.DBF");
    EXPECT_EQ(rowsOf(*t, {"NAME", "AMOUNT", "SMALL", "BIG", "WIDE"}),
              QStringList({QStringLiteral("张三|0.3|-32768|2147483647|12345678901"), "|12.5|32767||", "|3|||"}));
    t->first();
    EXPECT_EQ(t->fieldByName("NAME").value().text, gbkBytes(QStringLiteral("张三")));
    t->next();
    EXPECT_TRUE(t->fieldByName("NAME").isNull());
    EXPECT_TRUE(t->fieldByName("BIG").isNull());
    EXPECT_EQ(t->fieldByName("SMALL").asInteger(), 32767);
    EXPECT_DOUBLE_EQ(t->fieldByName("AMOUNT").asFloat(), 12.5);
}

TEST_F(TableFileTest, ValuesThatDoNotFitAreRefusedAndChangeNothing)
{
    create("kjcg.DBF", {fld("ITEM_4", 'C', 10), fld("SHORT", 'C', 5), fld("MONEY", 'N', 5, 2), fld("SMALL", 'N', 6),
                        fld("BIG", 'N', 8)});
    fill("kjcg", {"ITEM_4", "SHORT", "MONEY", "SMALL", "BIG"}, {{"2009001", QStringLiteral("原值"), "1.5", "7", "8"}});
    auto t = open("kjcg");
    t->edit();
    t->fieldByName("SHORT").setAsString(QStringLiteral("测试"));   // 4 GBK bytes fit C(5)

    const QString msg = messageOf([&] { t->fieldByName("short").setAsString(QStringLiteral("测试中")); });
    EXPECT_TRUE(msg.contains("kjcg", Qt::CaseInsensitive)) << qPrintable(msg);
    EXPECT_TRUE(msg.contains("SHORT")) << qPrintable(msg);
    EXPECT_TRUE(msg.contains(QStringLiteral("测试中"))) << qPrintable(msg);
    EXPECT_EQ(t->fieldByName("SHORT").asString(), QStringLiteral("测试"));

    auto refused = [&](const char *field, const Value &v) {
        EXPECT_THROW(t->fieldByName(field).setValue(v), EngineError) << field << " " << qPrintable(v.toString());
    };
    refused("MONEY", Value::fromNumber(123.45));     // "123.45" needs 6 of 5
    refused("MONEY", Value::fromNumber(99.999));     // rounds to "100.00"
    refused("MONEY", Value::fromString("abc"));
    refused("SMALL", Value::fromNumber(32768));
    refused("SMALL", Value::fromNumber(-32769));
    refused("SMALL", Value::fromNumber(1.5));
    refused("BIG", Value::fromNumber(123456789));    // 9 digits in N(8,0)
    // Decimals the field does not keep are refused, never rounded away;
    // trailing zeros are no decimals.
    for (const char *more : {"0.001", "1.505", "0.00001"}) {
        const QString m = messageOf([&] { t->fieldByName("MONEY").setAsString(QString::fromLatin1(more)); });
        EXPECT_TRUE(m.contains("MONEY") && m.contains(QStringLiteral("只保留 2 位小数"))) << qPrintable(m);
    }
    refused("MONEY", Value::fromNumber(0.00001));
    refused("BIG", Value::fromString("12.5"));
    t->fieldByName("MONEY").setAsString("1.2500");
    t->fieldByName("MONEY").setAsFloat(0.1 + 0.2);
    EXPECT_EQ(t->fieldByName("MONEY").asString(), "0.3");
    t->fieldByName("MONEY").setAsString("1.5");
    t->post();
    t->close();

    auto fresh = open("kjcg");
    EXPECT_EQ(rowsOf(*fresh, {"SHORT", "MONEY", "SMALL", "BIG"}), QStringList({QStringLiteral("测试|1.5|7|8")}));
}

TEST_F(TableFileTest, DatesAndLogicals)
{
    create("d.dbf", {fld("NAME", 'C', 10), fld("BORN", 'D')});
    fill("d", {"NAME", "BORN"}, {{"a", "2009-03-15"}, {"b", ""}});
    EXPECT_TRUE(readFile(path("d.dbf")).contains("a         20090315"));
    {
        auto t = open("d");
        EXPECT_EQ(rowsOf(*t, {"NAME", "BORN"}), QStringList({"a|2009-03-15", "b|"}));
        t->last();
        EXPECT_TRUE(t->fieldByName("BORN").isNull());
        t->edit();
        t->fieldByName("BORN").setAsDate(QDate(2000, 2, 29));
        EXPECT_THROW(t->fieldByName("BORN").setAsString("2000-02-30"), EngineError);
        t->post();
        EXPECT_EQ(t->fieldByName("BORN").asDate(), QDate(2000, 2, 29));
    }

    RawTable raw;
    raw.fields = {fld("K", 'C', 2), fld("OK", 'L')};
    for (const char *v : {"T", "F", "Y", "n", "?", ""})
        raw.add({QString::fromLatin1(v), QString::fromLatin1(v)});
    writeFile(path("flags.dbf"), raw.bytes());
    auto t = open("flags");
    EXPECT_EQ(rowsOf(*t, {"OK"}), QStringList({"T", "F", "T", "F", "", ""}));
    t->first();
    EXPECT_TRUE(t->fieldByName("OK").asBoolean());
}

TEST_F(TableFileTest, MemosHoldChineseTextOfAnyLength)
{
    create("m.dbf", {fld("ID", 'C', 4), fld("NOTE", 'M')});
    const QString longText = QString(QStringLiteral("科技成果登记，测试备注。")).repeated(60);   // 1440 GBK bytes
    ASSERT_GT(gbkBytes(longText).size(), 1024);
    fill("m", {"ID", "NOTE"}, {{"1", QStringLiteral("短备注：节能")}, {"2", longText}, {"3", ""}, {"4", QStringLiteral("第四")}});
    {
        auto t = open("m");
        ASSERT_TRUE(t->locate("ID", "2"));
        t->edit();
        t->fieldByName("NOTE").setAsString(QStringLiteral("改过的") + longText);
        EXPECT_EQ(t->fieldByName("NOTE").asString(), QStringLiteral("改过的") + longText);
        t->post();
        ASSERT_TRUE(t->locate("ID", "4"));
        t->edit();
        t->fieldByName("NOTE").setAsString("");
        t->post();
        EXPECT_TRUE(t->fieldByName("NOTE").isNull());
    }
    auto t = open("m");
    EXPECT_EQ(rowsOf(*t, {"ID", "NOTE"}), QStringList({QStringLiteral("1|短备注：节能"), QStringLiteral("2|改过的") + longText, "3|", "4|"}));
}

// ---------------------------------------------------------------------------
// File names

TEST_F(TableFileTest, TableNamesIgnoreLetterCase)
{
    create("kjcg.DBF", {fld("ITEM_4", 'C', 10)});
    fill("kjcg.DBF", {"ITEM_4"}, {{"2009001"}});
    for (const char *name : {"KJCG", "kjcg", "Kjcg.dbf", "KJCG.DBF"}) {
        auto t = open(QString::fromLatin1(name));
        EXPECT_EQ(t->fieldByName("item_4").asString(), "2009001") << name;
    }
    EXPECT_THROW(open("kjcg2"), EngineError);

    // Two files differing only in case: the exact name wins, others are ambiguous.
    create("zdxx.dbf", {fld("ZDDM", 'C', 10)});
    create("ZDXX.DBF", {fld("XXDM", 'C', 10)});
    EXPECT_TRUE(open("zdxx.dbf")->findField("ZDDM"));
    EXPECT_TRUE(open("ZDXX.DBF")->findField("XXDM"));
    const QString msg = messageOf([&] { open("Zdxx.dbf"); });
    EXPECT_TRUE(msg.contains("zdxx.dbf") && msg.contains("ZDXX.DBF")) << qPrintable(msg);
    EXPECT_THROW(open("ZDXX"), EngineError);
}

// ---------------------------------------------------------------------------
// Header and file size

RawTable sampleRaw()
{
    RawTable raw;
    raw.fields = {fld("ITEM_4", 'C', 10), fld("ITEM_180", 'C', 20), fld("ITEM_187", 'N', 6, 1)};
    raw.add({"2009001", QStringLiteral("张伟"), "1"});
    raw.add({"2009001", QStringLiteral("王芳"), "2"});
    raw.add({"2009002", QStringLiteral("李娜"), "1"}, true);
    raw.add({"2009003", QStringLiteral("刘洋"), "1.5"});
    return raw;
}

TEST_F(TableFileTest, RowsMissingOrCutOffRefuseTheTableUntilARepairKeepsTheReadableRows)
{
    const RawTable raw = sampleRaw();
    const QStringList all = {QStringLiteral("张伟"), QStringLiteral("王芳"), QStringLiteral("刘洋")};
    struct Case {
        const char *file;
        QByteArray bytes;
        const char *fault;   // nullptr: the table opens
        bool warns;
    } cases[] = {
        {"exact.dbf", raw.bytes(), nullptr, false},
        {"noend.dbf", raw.bytes(-1, {}), nullptr, false},
        // The last append died after its row and before the header count:
        // nothing is lost, the row is read.
        {"lagging.dbf", raw.bytes(3), nullptr, true},
        // Rows missing against the header: records are gone.
        {"ahead.dbf", raw.bytes(6), "文件头记有 6 条记录，文件中只有 4 条", false},
        // A row cut off half way at the end of the file.
        {"halfrow.dbf", raw.bytes(-1, QByteArray(" 2009004  ") + gbkBytes(QStringLiteral("陈"))), "最后一条记录不完整", false},
        {"lagginghalf.dbf", raw.bytes(3, QByteArrayLiteral(" 2009")), "最后一条记录不完整", false},
        {"garbagetail.dbf", raw.bytes(-1, QByteArray(40, '\x07')), "第 5 条记录无效", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        writeFile(path(c.file), c.bytes);
        if (!c.fault) {
            auto t = open(c.file);
            EXPECT_EQ(rowsOf(*t, {"ITEM_180"}), all);
            EXPECT_EQ(t->warnings().isEmpty(), !c.warns) << qPrintable(t->warnings().join('\n'));
            continue;
        }
        try {
            TableFile::open(path(c.file), false);
            ADD_FAILURE() << "a damaged table opened";
        } catch (const TableDamagedError &e) {
            EXPECT_EQ(e.table(), QString::fromLatin1(c.file));
            EXPECT_TRUE(e.fault().contains(QString::fromUtf8(c.fault))) << qPrintable(e.fault());
        }
        EXPECT_EQ(readFile(path(c.file)), c.bytes) << "a refused table is not touched";
        const QStringList mended = TableFile::repair(path(c.file));
        EXPECT_FALSE(mended.isEmpty());
        auto t = open(c.file);
        EXPECT_EQ(rowsOf(*t, {"ITEM_180"}), all);
        EXPECT_TRUE(t->warnings().isEmpty()) << qPrintable(t->warnings().join('\n'));
        EXPECT_EQ(t->recordCount(), 3) << "the deleted row stays deleted, nothing else is purged";
    }
}

TEST_F(TableFileTest, MemoDamageIsFoundAtOpenAndRepairClearsOnlyTheBrokenMemos)
{
    auto makeTable = [&] {
        QFile::remove(path("cgwcr.DBF"));
        QFile::remove(path("cgwcr.dbt"));
        create("cgwcr.DBF", {fld("ITEM_NO", 'C', 3), fld("NOTE", 'M')});
        fill("cgwcr", {"ITEM_NO", "NOTE"},
             {{"1", QStringLiteral("第一条备注")}, {"2", QString(QStringLiteral("较长的备注。")).repeated(200)}, {"3", QStringLiteral("末条")}});
    };
    makeTable();
    const QByteArray dbf = readFile(path("cgwcr.DBF")), dbt = readFile(path("cgwcr.dbt"));
    const int headerLength = uchar(dbf[8]) | uchar(dbf[9]) << 8, recLen = uchar(dbf[10]) | uchar(dbf[11]) << 8;
    auto withPointer = [&](int row, const QByteArray &cell) {
        QByteArray b = dbf;
        b.replace(headerLength + row * recLen + 4, 10, cell.rightJustified(10, ' '));
        return b;
    };
    QByteArray garbage(dbt.size(), '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919 + 13) % 251);
    struct Case {
        const char *name;
        QByteArray dbf, dbt;
        const char *fault;
        QStringList afterRepair;
    } cases[] = {
        {"garbage memo file", dbf, garbage, "备注文件 cgwcr.dbt：文件头", {"1|", "2|", "3|"}},
        {"pointer past the end", withPointer(0, "9999"), dbt, "第 1 条记录：备注字段 NOTE 指向第 9999 块", {"1|", "2|" + QString(QStringLiteral("较长的备注。")).repeated(200), QStringLiteral("3|末条")}},
        {"pointer not a number", withPointer(2, "12ab"), dbt, "第 3 条记录：备注字段 NOTE 的内容是“12ab”", {QStringLiteral("1|第一条备注"), "2|" + QString(QStringLiteral("较长的备注。")).repeated(200), "3|"}},
        {"memo file cut short", dbf, dbt.left(dbt.size() - 512), "备注文件 cgwcr.dbt", {}},
        {"memo header cut off", dbf, dbt.left(10), "备注文件 cgwcr.dbt", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(path("cgwcr.DBF"), c.dbf);
        writeFile(path("cgwcr.dbt"), c.dbt);
        try {
            TableFile::open(path("cgwcr.DBF"), false);
            ADD_FAILURE() << "a table with damaged memos opened";
        } catch (const TableDamagedError &e) {
            EXPECT_EQ(e.table(), QStringLiteral("cgwcr.DBF"));
            EXPECT_TRUE(e.fault().contains(QString::fromUtf8(c.fault))) << qPrintable(e.fault());
        }
        EXPECT_EQ(readFile(path("cgwcr.dbt")), c.dbt);
        EXPECT_FALSE(TableFile::repair(path("cgwcr.DBF")).isEmpty());
        auto t = open("cgwcr");
        const QStringList rows = rowsOf(*t, {"ITEM_NO", "NOTE"});
        ASSERT_EQ(rows.size(), 3);
        if (!c.afterRepair.isEmpty()) {
            EXPECT_EQ(rows, c.afterRepair);
        }
        t.reset();
        makeTable();
    }
}

TEST_F(TableFileTest, FilesTheEngineWritesCarryCountEndMarkAndLanguageByte)
{
    create("cgwcr.DBF", {fld("ITEM_4", 'C', 10), fld("ITEM_180", 'C', 20)});
    fill("cgwcr", {"ITEM_4", "ITEM_180"}, {{"2009001", QStringLiteral("张伟")}, {"2009001", QStringLiteral("王芳")}});
    const QByteArray b = readFile(path("cgwcr.DBF"));
    ASSERT_GE(b.size(), 32);
    EXPECT_EQ(uchar(b[0]), 0x03);
    EXPECT_EQ(uchar(b[4]), 2);
    EXPECT_EQ(uchar(b[29]), 0x7A);
    EXPECT_EQ(b.back(), '\x1A');
    const int headerLength = uchar(b[8]) | uchar(b[9]) << 8;
    const int recordLength = uchar(b[10]) | uchar(b[11]) << 8;
    EXPECT_EQ(recordLength, 31);
    EXPECT_EQ(b.size(), headerLength + 2 * recordLength + 1);
    EXPECT_EQ(b.mid(headerLength + recordLength, recordLength), QByteArray(" 2009001   ") + gbkBytes(QStringLiteral("王芳")).leftJustified(20, ' '));
    EXPECT_TRUE(open("cgwcr")->warnings().isEmpty());

    // Another writer's language byte 0x4D is GBK as well.
    RawTable raw = sampleRaw();
    raw.language = 0x4D;
    writeFile(path("other.dbf"), raw.bytes());
    auto t = open("other");
    EXPECT_EQ(rowsOf(*t, {"ITEM_180"}), QStringList({QStringLiteral("张伟"), QStringLiteral("王芳"), QStringLiteral("刘洋")}));
}

// A full disk part way through an appended row: the error is reported and
// the file is left as it was, so the table still opens.
TEST_F(TableFileTest, AnAppendTheDiskRefusesLeavesTheFileAsItWas)
{
    create("cgwcr.DBF", {fld("ITEM_4", 'C', 10), fld("ITEM_180", 'C', 20)});
    fill("cgwcr", {"ITEM_4", "ITEM_180"}, {{"2009001", QStringLiteral("张伟")}, {"2009001", QStringLiteral("王芳")}});
    const QByteArray before = readFile(path("cgwcr.DBF"));
    QString error;
    {
        auto t = open("cgwcr");
        rlimit old{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
        auto *previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit tight = old;
        tight.rlim_cur = rlim_t(before.size() + 10);   // a third of a row fits
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
        error = messageOf([&] {
            t->append();
            t->fieldByName("ITEM_4").setAsString("2009002");
            t->post();
        });
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
        t->cancel();
    }
    EXPECT_TRUE(error.contains(QStringLiteral("无法写入 数据表 cgwcr.DBF"))) << error.toStdString();
    EXPECT_EQ(readFile(path("cgwcr.DBF")), before);
    auto again = open("cgwcr");
    EXPECT_EQ(rowsOf(*again, {"ITEM_180"}), QStringList({QStringLiteral("张伟"), QStringLiteral("王芳")}));
    EXPECT_TRUE(again->warnings().isEmpty());
}

TEST_F(TableFileTest, DamagedHeadersAreRefusedWithoutCrashing)
{
    const QByteArray good = sampleRaw().bytes();
    auto patched = [&](int at, const QByteArray &with) {
        QByteArray b = good;
        b.replace(at, with.size(), with);
        return b;
    };
    QByteArray noFields(32, '\0');
    noFields[0] = 0x03;
    noFields[8] = 65;
    noFields[10] = 2;
    noFields += '\x0D' + QByteArray(32, ' ') + '\x1A';
    const QVector<QPair<const char *, QByteArray>> bad = {
        {"short.dbf", good.left(20)},
        {"version.dbf", patched(0, QByteArray(1, '\x30'))},
        {"headerlen.dbf", patched(8, QByteArray("\xFF\x7F", 2))},
        {"nofields.dbf", noFields},
        {"reclen.dbf", patched(10, QByteArray("\x05\x00", 2))},
        {"type.dbf", patched(32 + 11, QByteArray("X"))},
        {"numwidth.dbf", patched(32 + 2 * 32 + 16, QByteArray("\x06\x06", 2))},
    };
    for (const auto &c : bad) {
        writeFile(path(c.first), c.second);
        EXPECT_THROW(open(c.first), EngineError) << c.first;
        EXPECT_FALSE(TableFile::isOpen(path(c.first))) << c.first;
    }

    // Every prefix of a table with memos either opens or is refused.
    create("memo.dbf", {fld("ID", 'C', 4), fld("NOTE", 'M')});
    fill("memo", {"ID", "NOTE"}, {{"1", QStringLiteral("备注")}, {"2", QStringLiteral("第二条")}});
    const QByteArray whole = readFile(path("memo.dbf"));
    for (int n = 0; n < whole.size(); ++n) {
        writeFile(path("cut.dbf"), whole.left(n));
        QFile::copy(path("memo.dbt"), path("cut.dbt"));
        try {
            auto t = open("cut");
            rowsOf(*t, {"ID", "NOTE"});
        } catch (const EngineError &) {
        }
    }
    QFile::remove(path("memo.dbt"));
    EXPECT_THROW(open("memo"), EngineError) << "memo file missing";
}

// ---------------------------------------------------------------------------
// Packing

class PackTest : public DataFolder {
protected:
    const QString longMemo = QString(QStringLiteral("成果完成人员的创造性贡献说明。")).repeated(50);
    const QStringList kept = {QStringLiteral("1|张伟|") + longMemo, QStringLiteral("3|刘洋|短备注"), QStringLiteral("5|陈静|")};

    // Six rows, the second, fourth and sixth deleted; the language byte is
    // another writer's, to see it kept.
    void makeTable()
    {
        create("cgwcr.DBF", {fld("ITEM_NO", 'C', 3), fld("ITEM_180", 'C', 20), fld("NOTE", 'M')}, 0x4D);
        fill("cgwcr", {"ITEM_NO", "ITEM_180", "NOTE"},
             {{"1", QStringLiteral("张伟"), longMemo}, {"2", QStringLiteral("王芳"), longMemo + longMemo},
              {"3", QStringLiteral("刘洋"), QStringLiteral("短备注")}, {"4", QStringLiteral("李娜"), QStringLiteral("删")},
              {"5", QStringLiteral("陈静"), ""}, {"6", QStringLiteral("杨帆"), longMemo}});
        auto t = open("cgwcr");
        for (const char *no : {"2", "4", "6"}) {
            ASSERT_TRUE(t->locate("ITEM_NO", QString::fromLatin1(no)));
            t->deleteRecord();
        }
    }
    QStringList content()
    {
        auto t = open("cgwcr");
        return rowsOf(*t, {"ITEM_NO", "ITEM_180", "NOTE"});
    }
    int physicalRows()
    {
        auto t = TableFile::open(path("cgwcr.DBF"), false);
        return t->rowCount();
    }
};

qint64 sizeOf(const QString &p) { return QFileInfo(p).size(); }

TEST_F(PackTest, PackPurgesDeletedRowsKeepingOrderMemosAndLanguage)
{
    makeTable();
    const qint64 dbfBefore = sizeOf(path("cgwcr.DBF")), dbtBefore = sizeOf(path("cgwcr.dbt"));
    {
        auto shared = open("cgwcr");
        EXPECT_FALSE(shared->pack());
        EXPECT_FALSE(shared->lastError().isEmpty());
    }
    {
        auto t = open("cgwcr", true);
        EXPECT_THROW(open("cgwcr"), EngineError) << "exclusive use keeps others out";
        ASSERT_TRUE(t->pack()) << qPrintable(t->lastError());
        EXPECT_EQ(rowsOf(*t, {"ITEM_NO", "ITEM_180", "NOTE"}), kept);
        t->append();
        t->fieldByName("ITEM_NO").setAsString("7");
        t->fieldByName("NOTE").setAsString(QStringLiteral("新增"));
        t->post();
    }
    EXPECT_EQ(content(), kept + QStringList{QStringLiteral("7||新增")});
    EXPECT_EQ(physicalRows(), 4);
    const QByteArray b = readFile(path("cgwcr.DBF"));
    EXPECT_EQ(uchar(b[29]), 0x4D);
    EXPECT_LT(sizeOf(path("cgwcr.DBF")), dbfBefore);
    EXPECT_LT(sizeOf(path("cgwcr.dbt")), dbtBefore);
    EXPECT_EQ(entries(), QStringList({"cgwcr.DBF", "cgwcr.dbt"}));
}

TEST_F(PackTest, LargeMemoFilesPackIntact)
{
    // Enough memo text that the packed memo file is written in several pieces.
    create("big.DBF", {fld("ID", 'C', 6), fld("NOTE", 'M')});
    auto t = open("big");
    QStringList expected;
    for (int i = 0; i < 8000; ++i) {
        const QString memo = QStringLiteral("第%1条：").arg(i) + longMemo.left(200 + i % 700);
        t->append();
        t->fieldByName("ID").setAsString(QString::number(i));
        t->fieldByName("NOTE").setAsString(memo);
        t->post();
        if (i % 3 != 1)
            expected << QString::number(i) + QLatin1Char('|') + memo;
    }
    for (t->first(); !t->eof();) {
        if (t->fieldByName("ID").asInteger() % 3 == 1)
            t->deleteRecord();
        else
            t->next();
    }
    t.reset();
    ASSERT_GT(sizeOf(path("big.dbt")), 4 << 20);
    {
        auto x = open("big", true);
        ASSERT_TRUE(x->pack()) << qPrintable(x->lastError());
    }
    EXPECT_GT(sizeOf(path("big.dbt")), 4 << 20);
    auto back = open("big");
    EXPECT_EQ(rowsOf(*back, {"ID", "NOTE"}), expected);
}

TEST_F(PackTest, RowsAndMemosKeptExactlyWhateverTheirLayout)
{
    // Without memos: runs of kept rows between deleted ones, and rows
    // appended after the open (held in memory as well as in the file).
    create("wcr.dbf", {fld("ID", 'C', 6), fld("NAME", 'C', 30)});
    QStringList expected;
    {
        auto t = open("wcr");
        for (int i = 0; i < 300; ++i) {
            t->append();
            t->fieldByName("ID").setAsString(QString::number(i));
            t->fieldByName("NAME").setAsString(QStringLiteral("完成人%1").arg(i));
            t->post();
        }
    }
    {
        auto t = open("wcr", true);
        for (int i = 300; i < 310; ++i) {
            t->append();
            t->fieldByName("ID").setAsString(QString::number(i));
            t->fieldByName("NAME").setAsString(QStringLiteral("完成人%1").arg(i));
            t->post();
        }
        for (t->first(); !t->eof();) {
            const int id = t->fieldByName("ID").asInteger();
            if (id % 7 == 0 || (id >= 40 && id < 60) || id == 305)
                t->deleteRecord();
            else {
                expected << QString::number(id) + QLatin1Char('|') + QStringLiteral("完成人%1").arg(id);
                t->next();
            }
        }
        ASSERT_TRUE(t->pack()) << qPrintable(t->lastError());
        EXPECT_EQ(rowsOf(*t, {"ID", "NAME"}), expected);
    }
    auto back = open("wcr");
    EXPECT_EQ(rowsOf(*back, {"ID", "NAME"}), expected);
    EXPECT_EQ(sizeOf(path("wcr.dbf")), 32 + 32 * 2 + 1 + qint64(expected.size()) * 37 + 1);

    // With memos: a memo rewritten (its old blocks left unused), a memo
    // whose text with its end marks fills its blocks exactly, and a memo
    // another writer ended with a single end mark; each comes out whole in
    // the blocks it needs, ended by two end marks, and nothing else.
    create("gk.dbf", {fld("ID", 'C', 6), fld("NOTE", 'M'), fld("NOTE2", 'M')});
    const QString exact = QString(QLatin1Char('x')).repeated(510); // 510 + 2 end marks = one block
    fill("gk", {"ID", "NOTE", "NOTE2"},
         {{"1", longMemo, ""},
          {"2", QStringLiteral("删除的备注"), ""},
          {"3", exact, ""},
          {"4", QStringLiteral("单个结束符"), ""},
          {"5", longMemo.left(40), QStringLiteral("第二个备注")}});
    {
        auto t = open("gk");
        ASSERT_TRUE(t->locate("ID", QStringLiteral("5")));
        t->edit();
        t->fieldByName("NOTE").setAsString(QStringLiteral("改过的备注"));
        t->post();
        ASSERT_TRUE(t->locate("ID", QStringLiteral("2")));
        t->deleteRecord();
    }
    QByteArray dbt = readFile(path("gk.dbt"));
    const qsizetype single = dbt.indexOf(gbkBytes(QStringLiteral("单个结束符")) + "\x1A\x1A");
    ASSERT_GT(single, 0);
    dbt[single + gbkBytes(QStringLiteral("单个结束符")).size() + 1] = '\0';
    writeFile(path("gk.dbt"), dbt);
    {
        auto t = open("gk", true);
        ASSERT_TRUE(t->pack()) << qPrintable(t->lastError());
    }
    const QStringList memos = {longMemo, exact, QStringLiteral("单个结束符"), QStringLiteral("改过的备注")};
    const QStringList stored = memos + QStringList{QStringLiteral("第二个备注")};
    auto gk = open("gk");
    EXPECT_EQ(rowsOf(*gk, {"ID", "NOTE", "NOTE2"}),
              QStringList({"1|" + memos[0] + "|", "3|" + memos[1] + "|", "4|" + memos[2] + "|",
                           "5|" + memos[3] + QStringLiteral("|第二个备注")}));
    const QByteArray packed = readFile(path("gk.dbt"));
    qint64 blocks = 1;
    for (const QString &m : stored) {
        const QByteArray text = gbkBytes(m);
        const qsizetype at = packed.indexOf(text);
        ASSERT_EQ(at % 512, 0) << qPrintable(m);
        EXPECT_EQ(packed.mid(at + text.size(), 2), QByteArray("\x1A\x1A")) << qPrintable(m);
        blocks += (text.size() + 2 + 511) / 512;
    }
    EXPECT_EQ(packed.size(), blocks * 512);
}

TEST_F(PackTest, TableWithoutDeletedRowsIsLeftAlone)
{
    create("unit.dbf", {fld("UNITCODE", 'C', 20)});
    fill("unit", {"UNITCODE"}, {{"110000"}, {"320000"}});
    struct stat before {}, after {};
    ASSERT_EQ(::stat(QFile::encodeName(path("unit.dbf")).constData(), &before), 0);
    ::usleep(20000);
    auto t = open("unit", true);
    EXPECT_TRUE(t->pack()) << qPrintable(t->lastError());
    ASSERT_EQ(::stat(QFile::encodeName(path("unit.dbf")).constData(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(before.st_mtim.tv_sec, after.st_mtim.tv_sec);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
    EXPECT_EQ(rowsOf(*t, {"UNITCODE"}), QStringList({"110000", "320000"}));
    t->close();
    EXPECT_FALSE(t->pack()) << "a closed table is not packed";
}

int g_dieAtStep = 0;
void dieAtStep(int step)
{
    if (step == g_dieAtStep)
        ::_exit(3);
}

TEST_F(PackTest, ProcessDyingMidPackLeavesTheOldOrThePackedTable)
{
    makeTable();
    const QStringList old = content();
    ASSERT_EQ(old, kept);
    const QByteArray pristineDbf = readFile(path("cgwcr.DBF")), pristineDbt = readFile(path("cgwcr.dbt"));

    for (int step = 1; step <= 5; ++step) {
        SCOPED_TRACE(step);
        writeFile(path("cgwcr.DBF"), pristineDbf);
        writeFile(path("cgwcr.dbt"), pristineDbt);
        ASSERT_FALSE(TableFile::isOpen(path("cgwcr.DBF")));
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            g_dieAtStep = step;
            TableFile::packStepHook = dieAtStep;
            try {
                auto t = TableFile::open(path("cgwcr.DBF"), true);
                t->pack();
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_EQ(WEXITSTATUS(status), 3) << "the pack reached step " << step;

        EXPECT_EQ(content(), kept);
        const int rows = physicalRows();
        EXPECT_TRUE(rows == 6 || rows == 3) << rows;
        EXPECT_EQ(rows, step <= 2 ? 6 : 3) << "the commit mark decides";
        EXPECT_EQ(entries(), QStringList({"cgwcr.DBF", "cgwcr.dbt"}));
        if (rows == 3) {
            EXPECT_EQ(sizeOf(path("cgwcr.DBF")), pristineDbf.size() - 3 * qsizetype(1 + 3 + 20 + 10));
        }
    }
}

int g_toParent = -1, g_fromParent = -1, g_pauseAtStep = 0;
void pauseAtStep(int step)
{
    if (step != g_pauseAtStep)
        return;
    char c = 'p';
    if (::write(g_toParent, &c, 1) != 1 || ::read(g_fromParent, &c, 1) != 1)
        ::_exit(4);
}

TEST_F(PackTest, AnotherProcessOpeningDuringAPackNeitherDisturbsItNorSeesAMismatchedPair)
{
    makeTable();
    const QByteArray pristineDbf = readFile(path("cgwcr.DBF")), pristineDbt = readFile(path("cgwcr.dbt"));
    for (int step = 1; step <= 5; ++step) {
        SCOPED_TRACE(step);
        writeFile(path("cgwcr.DBF"), pristineDbf);
        writeFile(path("cgwcr.dbt"), pristineDbt);
        int up[2], down[2];
        ASSERT_EQ(::pipe(up), 0);
        ASSERT_EQ(::pipe(down), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            g_toParent = up[1];
            g_fromParent = down[0];
            g_pauseAtStep = step;
            TableFile::packStepHook = pauseAtStep;
            try {
                auto t = TableFile::open(path("cgwcr.DBF"), true);
                ::_exit(t->pack() ? 0 : 2);
            } catch (...) {
                ::_exit(1);
            }
        }
        char c = 0;
        ASSERT_EQ(::read(up[0], &c, 1), 1) << "the pack reached its step";
        // The packing process holds the table: this one is kept out, and the
        // files of the running pack stay where they are.
        const QStringList during = entries();
        const QString msg = messageOf([&] { TableFile::open(path("cgwcr.DBF"), false); });
        EXPECT_TRUE(msg.contains(QStringLiteral("正被其他程序使用"))) << qPrintable(msg);
        EXPECT_EQ(entries(), during);
        ASSERT_EQ(::write(down[1], &c, 1), 1);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the pack finished";
        for (int fd : {up[0], up[1], down[0], down[1]})
            ::close(fd);
        EXPECT_EQ(content(), kept);
        EXPECT_EQ(physicalRows(), 3);
        EXPECT_EQ(entries(), QStringList({"cgwcr.DBF", "cgwcr.dbt"}));
    }
}

mode_t modeOf(const QString &p)
{
    struct stat st {};
    ::stat(QFile::encodeName(p).constData(), &st);
    return st.st_mode & 07777;
}

TEST_F(PackTest, PackedAndReplacedFilesKeepTheModeOfTheFilesTheyReplace)
{
    makeTable();
    ::chmod(QFile::encodeName(path("cgwcr.DBF")).constData(), 0600);
    ::chmod(QFile::encodeName(path("cgwcr.dbt")).constData(), 0640);
    {
        auto t = open("cgwcr", true);
        ASSERT_TRUE(t->pack()) << qPrintable(t->lastError());
    }
    EXPECT_EQ(physicalRows(), 3);
    EXPECT_EQ(modeOf(path("cgwcr.DBF")), mode_t(0600));
    EXPECT_EQ(modeOf(path("cgwcr.dbt")), mode_t(0640));

    // A replacement takes the place, and the mode, of the table it replaces.
    QTemporaryDir incoming;
    const QString src = incoming.filePath("cgwcr.DBF");
    TableFile::createFile(src, {fld("ITEM_NO", 'C', 3), fld("ITEM_180", 'C', 20), fld("NOTE", 'M')});
    ::chmod(QFile::encodeName(src).constData(), 0664);
    replaceTableFile(folder(), "cgwcr.DBF", src);
    EXPECT_EQ(physicalRows(), 0);
    EXPECT_EQ(modeOf(path("cgwcr.DBF")), mode_t(0600));
    EXPECT_EQ(modeOf(path("cgwcr.dbt")), mode_t(0640));
}

TEST_F(PackTest, TablesReachedThroughASymbolicLinkAreNeitherPackedNorRepaired)
{
    // The table lives elsewhere; the data folder holds a link to it.
    QTemporaryDir elsewhere;
    makeTable();
    for (const char *f : {"cgwcr.DBF", "cgwcr.dbt"})
        ASSERT_TRUE(QFile::rename(path(f), elsewhere.filePath(f)));
    ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.filePath("cgwcr.DBF")).constData(),
                        QFile::encodeName(path("cgwcr.DBF")).constData()),
              0);
    ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.filePath("cgwcr.dbt")).constData(),
                        QFile::encodeName(path("cgwcr.dbt")).constData()),
              0);
    const QByteArray before = readFile(elsewhere.filePath("cgwcr.DBF"));
    {
        auto t = open("cgwcr", true);
        EXPECT_FALSE(t->pack());
        EXPECT_TRUE(t->lastError().contains(QStringLiteral("符号链接"))) << qPrintable(t->lastError());
        EXPECT_TRUE(t->lastError().contains(path("cgwcr.DBF"))) << qPrintable(t->lastError());
    }
    const QString repairRefusal = messageOf([&] { TableFile::repair(path("cgwcr.DBF")); });
    EXPECT_TRUE(repairRefusal.contains(QStringLiteral("符号链接"))) << qPrintable(repairRefusal);
    EXPECT_EQ(readFile(elsewhere.filePath("cgwcr.DBF")), before);
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files), QStringList({"cgwcr.DBF", "cgwcr.dbt"}));
    EXPECT_TRUE(QFileInfo(path("cgwcr.DBF")).isSymLink());

    // A memo alone behind a link is refused too: the rename would put a file
    // where the link was.
    ASSERT_TRUE(QFile::remove(path("cgwcr.DBF")));
    ASSERT_TRUE(QFile::copy(elsewhere.filePath("cgwcr.DBF"), path("cgwcr.DBF")));
    auto t = open("cgwcr", true);
    EXPECT_FALSE(t->pack());
    EXPECT_TRUE(t->lastError().contains(path("cgwcr.dbt"))) << qPrintable(t->lastError());
}

// ---------------------------------------------------------------------------
// Replacing a table file

TEST_F(TableFileTest, ReplaceTableFileSwapsClosedTablesOnly)
{
    create("ZTFLH.dbf", {fld("CODE", 'C', 10), fld("NOTE", 'M')});
    fill("ztflh", {"CODE", "NOTE"}, {{"OLD", QStringLiteral("旧")}});
    QTemporaryDir incoming;
    const QString src = incoming.filePath("ZTFLH.DBF");
    TableFile::createFile(src, {fld("CODE", 'C', 10), fld("NOTE", 'M')});
    {
        Table t;
        t.setDatabaseName(incoming.path());
        t.setTableName("ztflh");
        t.open();
        for (const QString &code : {QStringLiteral("A"), QStringLiteral("B")}) {
            t.append();
            t.fieldByName("CODE").setAsString(code);
            t.fieldByName("NOTE").setAsString(QStringLiteral("新分类号") + code);
            t.post();
        }
    }
    {
        auto held = open("ztflh");
        EXPECT_THROW(replaceTableFile(folder(), "ZTFLH.dbf", src), EngineError);
        EXPECT_EQ(rowsOf(*held, {"CODE"}), QStringList({"OLD"}));
    }
    replaceTableFile(folder(), "ZTFLH.dbf", src);
    EXPECT_EQ(rowsOf(*open("ztflh"), {"CODE", "NOTE"}), QStringList({QStringLiteral("A|新分类号A"), QStringLiteral("B|新分类号B")}));
    EXPECT_EQ(entries(), QStringList({"ZTFLH.dbf", "ZTFLH.dbt"}));

    // A source that is no table leaves the old one in place.
    writeFile(incoming.filePath("junk.dbf"), "not a table");
    EXPECT_THROW(replaceTableFile(folder(), "ZTFLH.dbf", incoming.filePath("junk.dbf")), EngineError);
    EXPECT_EQ(rowsOf(*open("ztflh"), {"CODE"}), QStringList({"A", "B"}));
}

} // namespace
