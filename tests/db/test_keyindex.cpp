// In-memory key indexes and the check remembered between opens: lookups by
// key give what a full pass gives after every kind of write, and a table
// changed since it was checked is checked again.

#include "dbtestutil.h"

#include <QThread>

#include <sys/stat.h>

using namespace db;
using namespace dbtest;

namespace {

class KeyIndexTest : public DataFolder {
protected:
    void SetUp() override
    {
        DataFolder::SetUp();
        // The same rows in two tables; only the first is indexed.
        TableFile::setKeyIndexes(QStringLiteral("keyed.dbf"),
                                 {{QStringLiteral("ITEM_4"), 0}, {QStringLiteral("ITEM_4"), 4}});
        for (const char *name : {"keyed.DBF", "plain.DBF"}) {
            create(name, {fld("ITEM_4", 'C', 10), fld("ITEM_DQDM", 'C', 3), fld("ITEM_3", 'C', 20)});
            auto t = open(name);
            for (int i = 0; i < 300; ++i) {
                t->append();
                t->fieldByName("ITEM_4").setAsString(
                    QStringLiteral("%1%2").arg(2000 + i % 5).arg(i / 3, 6, 10, QLatin1Char('0')));
                t->fieldByName("ITEM_DQDM").setAsString(i % 3 == 0 ? "." : "110");
                t->fieldByName("ITEM_3").setAsString(QStringLiteral("成果%1").arg(i));
                t->post();
            }
        }
    }

    // Rows of a statement on one table, as "ITEM_4|ITEM_DQDM|ITEM_3".
    QStringList select(const QString &table, const QString &where, const QString &key = {})
    {
        Query q;
        q.setDatabaseName(folder());
        q.setSQL(QStringLiteral("select * from %1 where %2").arg(table, where));
        if (!key.isEmpty())
            q.setParam(QStringLiteral("k"), key);
        q.open();
        return rowsOf(q, {"ITEM_4", "ITEM_DQDM", "ITEM_3"});
    }
    QStringList filtered(const QString &table, const QString &filter)
    {
        auto t = open(table);
        t->setFilter(filter);
        t->setFiltered(true);
        return rowsOf(*t, {"ITEM_4", "ITEM_DQDM", "ITEM_3"});
    }
    // Every lookup gives on the indexed table what the full pass gives on
    // the other.
    void expectSameAnswers(const QStringList &keys)
    {
        const QStringList conditions = {"item_4 like '2003%'",
                                        "item_4 like '2001000%'",
                                        "item_4 like '20%'",
                                        "item_4 = :k",
                                        "item_4=:k and item_dqdm='110'",
                                        "item_dqdm='.' and item_4 like '2002%'",
                                        "item_4 like '2004%' or item_3 like '成果1%'"};
        for (const QString &key : keys)
            for (const QString &c : conditions) {
                SCOPED_TRACE(qPrintable(c + " / " + key));
                EXPECT_EQ(select("keyed", c, key), select("plain", c, key));
            }
        for (const QString &key : keys) {
            SCOPED_TRACE(qPrintable(key));
            EXPECT_EQ(filtered("keyed", equalsFilter("item_4", key)), filtered("plain", equalsFilter("item_4", key)));
            EXPECT_EQ(filtered("keyed", prefixFilter("item_4", key.left(4))),
                      filtered("plain", prefixFilter("item_4", key.left(4))));
        }
    }
    // The same change through a cursor on each table.
    void onBoth(const std::function<void(Table &)> &change)
    {
        for (const char *name : {"keyed", "plain"}) {
            auto t = open(name);
            change(*t);
        }
    }
};

TEST_F(KeyIndexTest, LookupsFollowEveryWrite)
{
    const QStringList keys = {"2003000001", "2001000010", "2003000200", "2009000001", "2003"};
    // A cursor holds the indexed table throughout, so its index lives on.
    auto held = open("keyed");
    EXPECT_EQ(select("keyed", "item_4 like '2003%'").size(), 60);
    expectSameAnswers(keys);

    // A key changed: the row leaves one year for another.
    onBoth([](Table &t) {
        t.first();
        t.moveBy(6); // 2001000002
        t.edit();
        t.fieldByName("ITEM_4").setAsString("2003000200");
        t.post();
    });
    expectSameAnswers(keys);
    EXPECT_EQ(select("keyed", "item_4 = :k", "2003000200").size(), 1);

    // Appended rows, one with a key shorter than the year prefix.
    onBoth([](Table &t) {
        for (const char *k : {"2009000001", "2003000001", "200"}) {
            t.append();
            t.fieldByName("ITEM_4").setAsString(k);
            t.fieldByName("ITEM_DQDM").setAsString("110");
            t.post();
        }
    });
    expectSameAnswers(keys);
    EXPECT_EQ(select("keyed", "item_4 = :k", "2003000001").size(), 2);

    // Deleted rows leave every answer.
    onBoth([](Table &t) {
        t.setFilter(equalsFilter("item_4", "2003000001"));
        t.setFiltered(true);
        t.first();
        t.deleteRecord();
    });
    expectSameAnswers(keys);

    // A pack renumbers the rows.
    held.reset();
    onBoth([](Table &t) {
        t.close();
        t.setExclusive(true);
        t.open();
        EXPECT_TRUE(t.pack());
    });
    expectSameAnswers(keys);
}

TEST_F(KeyIndexTest, RowWrittenBackUnchangedLeavesTheFileAlone)
{
    const QString file = path("keyed.DBF");
    QThread::msleep(30);
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &before), 0);
    auto t = open("keyed");
    t->first();
    t->edit();
    t->fieldByName("ITEM_3").setAsString(t->fieldByName("ITEM_3").asString());
    t->post();
    t->flush();
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &after), 0);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    // A real change is written.
    t->edit();
    t->fieldByName("ITEM_3").setAsString(QStringLiteral("改过"));
    t->post();
    t.reset();
    auto stored = TableFile::open(file, false);
    EXPECT_EQ(stored->fieldText(stored->row(0), 2).toByteArray(), gbkBytes(QStringLiteral("改过")));
}

TEST_F(KeyIndexTest, TableChangedSinceItsCheckIsCheckedAgain)
{
    create("cgwcr.DBF", {fld("ITEM_NO", 'C', 3), fld("NOTE", 'M')});
    fill("cgwcr", {"ITEM_NO", "NOTE"}, {{"1", QStringLiteral("第一条备注")}, {"2", QStringLiteral("末条")}});
    QThread::msleep(30);
    // Checked once and closed: remembered as sound.
    EXPECT_EQ(open("cgwcr")->recordCount(), 2);
    EXPECT_EQ(open("cgwcr")->recordCount(), 2);
    // A memo pointer spoilt in place, the file's size unchanged.
    QByteArray dbf = readFile(path("cgwcr.DBF"));
    const int headerLength = uchar(dbf[8]) | uchar(dbf[9]) << 8;
    dbf.replace(headerLength + 4, 10, QByteArray("      9999"));
    writeFile(path("cgwcr.DBF"), dbf);
    EXPECT_THROW(TableFile::open(path("cgwcr.DBF"), false), TableDamagedError);
}

} // namespace
