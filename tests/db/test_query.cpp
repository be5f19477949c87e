// Local SQL on real tables: the statements the program issues, ordering,
// live results edited while iterating, and cached updates applied through
// update objects.

#include "dbtestutil.h"

#include <QSet>

using namespace db;
using namespace dbtest;

namespace {

class QueryTest : public DataFolder {
protected:
    void SetUp() override
    {
        DataFolder::SetUp();
        create("kjcg.DBF", {fld("NO", 'C', 3), fld("ITEM_4", 'C', 10), fld("ITEM_DQDM", 'C', 3), fld("ITEM_3", 'C', 60),
                            fld("ITEM_CGLB", 'C', 1)});
        fill("kjcg", {"NO", "ITEM_4", "ITEM_DQDM", "ITEM_3", "ITEM_CGLB"},
             {{"3", "2009001", "110", QStringLiteral("新型节能测试装置的研制"), "1"},
              {"1", "2008015", "110", QStringLiteral("水稻高产栽培技术推广"), "1"},
              {"2", "2009002", "320", QStringLiteral("城市交通规划软科学研究"), "2"},
              {"", "2009003", "110", QStringLiteral("土壤重金属快速测试方法"), "1"},
              {"5", "2005010", "440", QStringLiteral("中药材质量测试标准"), "1"},
              {"4", "2009004", "110", QStringLiteral("桥梁健康监测系统"), "1"},
              {"6", "2009001", "320", QStringLiteral("新型节能测试装置的研制（推广）"), "2"}});
        create("cgwcdw.DBF", {fld("ITEM_4", 'C', 10), fld("ITEM_DQDM", 'C', 3), fld("ITEM_176", 'N', 12, 2),
                              fld("ITEM_170", 'C', 80)});
        fill("cgwcdw", {"ITEM_4", "ITEM_DQDM", "ITEM_176", "ITEM_170"},
             {{"2009001", "110", "2", QStringLiteral("北京理工大学")},
              {"2009001", "110", "1", QStringLiteral("中国科学院力学研究所")},
              {"2009001", "320", "1", QStringLiteral("南京大学")},
              {"2009002", "320", "1", QStringLiteral("东南大学")},
              {"2009001", "110", "10", QStringLiteral("清华大学")},
              {"2009001", "110", "2.5", QStringLiteral("北京大学")}});
        create("jdwyhmd.DBF", {fld("ITEM_4", 'C', 10), fld("ITEM_DQDM", 'C', 3), fld("ITEM_190", 'N', 12, 2),
                               fld("ITEM_192", 'C', 20), fld("ITEM_194", 'C', 14)});
        fill("jdwyhmd", {"ITEM_4", "ITEM_DQDM", "ITEM_190", "ITEM_192", "ITEM_194"},
             {{"2009001", "110", "1", QStringLiteral("王建国"), "3"},
              {"2009001", "110", "2", QStringLiteral("李明"), "1"},
              {"2009001", "110", "3", QStringLiteral("张华"), "2"},
              {"2009001", "110", "4", QStringLiteral("赵强"), "3"},
              {"2009001", "320", "7", QStringLiteral("孙丽"), "1"},
              {"2009002", "320", "1", QStringLiteral("陈静"), "1"}});
        create("cgwcr.DBF", {fld("ITEM_4", 'C', 10), fld("ITEM_DQDM", 'C', 3), fld("ITEM_187", 'N', 12, 2),
                             fld("ITEM_180", 'C', 20), fld("ITEM_NO", 'C', 3)});
        fill("cgwcr", {"ITEM_4", "ITEM_DQDM", "ITEM_187", "ITEM_180", "ITEM_NO"},
             {{"2009001", "110", "3", QStringLiteral("刘洋"), "1"},
              {"2009001", "110", "1", QStringLiteral("张伟"), "2"},
              {"2009002", "320", "1", QStringLiteral("李娜"), "1"},
              {"2009001", "110", "2", QStringLiteral("王芳"), "3"}});
        create("CheckUp.dbf", {fld("ID", 'C', 10), fld("BUTTON", 'C', 2), fld("LB", 'C', 1)});
        fill("checkup", {"ID", "BUTTON", "LB"},
             {{"item_3", "01", "a"}, {"item_5", "01", "1"}, {"item_9", "02", "2"}, {"item_11", "03", "a"}});
        create("zlqktemp.dbf", {fld("ITEM_4", 'C', 10), fld("ITEM_DQDM", 'C', 3), fld("PATENT_NO", 'C', 16)});
        fill("zlqktemp", {"ITEM_4", "ITEM_DQDM", "PATENT_NO"},
             {{"K", "D", "ZL200910001"}, {"K", "E", "ZL200910002"}, {"K", "D", "ZL200910003"}, {"L", "D", "ZL200910004"}});
    }

    std::unique_ptr<Query> query(const QString &sql, const QList<QPair<QString, QString>> &params = {})
    {
        auto q = std::make_unique<Query>();
        q->setDatabaseName(folder());
        q->setSQL(sql);
        for (const auto &p : params)
            q->setParam(p.first, p.second);
        return q;
    }
    QStringList select(const QString &sql, const QStringList &fields, const QList<QPair<QString, QString>> &params = {})
    {
        auto q = query(sql, params);
        q->open();
        return rowsOf(*q, fields);
    }
    int exec(const QString &sql)
    {
        return query(sql)->execSQL();
    }
};

const QList<QPair<QString, QString>> record2009001 = {{"item_4", "2009001"}, {"ITEM_DQDM", "110"}};

TEST_F(QueryTest, SelectionsOfTheProgram)
{
    EXPECT_EQ(select("select * from kjcg", {"ITEM_4"}),
              QStringList({"2009001", "2008015", "2009002", "2009003", "2005010", "2009004", "2009001"}));
    EXPECT_EQ(select("select item_4 from kjcg order by item_4 desc", {"item_4"}),
              QStringList({"2009004", "2009003", "2009002", "2009001", "2009001", "2008015", "2005010"}));
    EXPECT_EQ(select("select distinct item_4 from kjcg order by item_4 desc", {"ITEM_4"}),
              QStringList({"2009004", "2009003", "2009002", "2009001", "2008015", "2005010"}));
    EXPECT_EQ(select("select * from kjcg where item_cglb='1' and item_4 like '2009%'", {"ITEM_4"}),
              QStringList({"2009001", "2009003", "2009004"}));
    EXPECT_EQ(select(QStringLiteral("select * from kjcg where  (item_3 like '%测试%' ) and (item_cglb='1' and item_4 like '2009%')"),
                     {"ITEM_4"}),
              QStringList({"2009001", "2009003"}));
    EXPECT_EQ(select("select * from checkup where lb='a' or lb='1'", {"ID"}), QStringList({"item_3", "item_5", "item_11"}));
    EXPECT_EQ(select("select * from zlqktemp where item_4='K'and item_dqdm='D'", {"PATENT_NO"}),
              QStringList({"ZL200910001", "ZL200910003"}));

    // The list pages' statements, glued from their pieces exactly as written.
    EXPECT_EQ(select(QString("select *  from  cgwcdw  where  item_4=:item_4") + "and  item_dqdm=:item_dqdm" + "order  by  item_176 ",
                     {"ITEM_176", "ITEM_170"}, record2009001),
              QStringList({QStringLiteral("1|中国科学院力学研究所"), QStringLiteral("2|北京理工大学"), QStringLiteral("2.5|北京大学"),
                           QStringLiteral("10|清华大学")}));
    EXPECT_EQ(select(QString("select *  from  Jdwyhmd  where  item_4=:item_4") + "and  item_dqdm=:item_dqdm" + "order  by  item_190",
                     {"ITEM_192"}, record2009001),
              QStringList({QStringLiteral("王建国"), QStringLiteral("李明"), QStringLiteral("张华"), QStringLiteral("赵强")}));
    EXPECT_EQ(select(QString("select *  from  jdwyhmd  where  item_4=:item_4") + "and  item_dqdm=:item_dqdm" + "order  by  item_194",
                     {"ITEM_192"}, record2009001),
              QStringList({QStringLiteral("李明"), QStringLiteral("张华"), QStringLiteral("王建国"), QStringLiteral("赵强")}));
    EXPECT_EQ(select(QString("select *  from  cgwcr  where  item_4=:item_4") + "and  item_dqdm=:item_dqdm" + "order  by  item_187 ",
                     {"ITEM_180"}, record2009001),
              QStringList({QStringLiteral("张伟"), QStringLiteral("王芳"), QStringLiteral("刘洋")}));
}

// Distinct keeps the first row of each value in the order the rows come,
// sorted or not, skips deleted rows, and stays quick over many rows.
TEST_F(QueryTest, DistinctKeepsFirstOfEachValue)
{
    EXPECT_EQ(select("select distinct item_dqdm from kjcg", {"ITEM_DQDM"}), QStringList({"110", "320", "440"}));
    EXPECT_EQ(select("select distinct item_cglb from kjcg order by item_cglb", {"ITEM_CGLB"}), QStringList({"1", "2"}));
    {
        auto t = open("kjcg");
        t->first();
        t->next(); // the only 2008 record
        t->deleteRecord();
    }
    EXPECT_EQ(select("select distinct item_4 from kjcg where item_4 < '2009'", {"ITEM_4"}), QStringList({"2005010"}));

    create("many.DBF", {fld("K", 'C', 8)});
    {
        auto t = open("many");
        for (int i = 0; i < 30000; ++i) {
            t->append();
            t->fieldByName("K").setAsString(QString::number((i * 7919) % 3000));
            t->post();
        }
    }
    const QStringList keys = select("select distinct k from many", {"K"});
    ASSERT_EQ(keys.size(), 3000);
    EXPECT_EQ(keys.mid(0, 3), QStringList({"0", "1919", "838"}));
    const QStringList sorted = select("select distinct k from many order by k desc", {"K"});
    ASSERT_EQ(sorted.size(), 3000);
    EXPECT_EQ(sorted.first(), "999");
    EXPECT_EQ(sorted.last(), "0");
}

TEST_F(QueryTest, MaxGivesOneRowNullOverNothing)
{
    auto top = query("select max(item_4) from kjcg where item_4 like'2009%'");
    top->open();
    ASSERT_EQ(top->recordCount(), 1);
    EXPECT_EQ(top->field(0).asString(), "2009004");
    auto q = query("select  max(item_190)  from  jdwyhmd  where  item_4=:item_4", {{"ITEM_4", "2009001"}});
    q->open();
    ASSERT_EQ(q->recordCount(), 1);
    EXPECT_EQ(q->field(0).asString(), "7");
    EXPECT_EQ(q->field(0).asInteger(), 7);
    EXPECT_THROW(q->edit(), EngineError) << "computed rows are read-only";

    auto none = query("select max(item_4) from kjcg where item_4 like'1999%'");
    none->open();
    ASSERT_EQ(none->recordCount(), 1);
    EXPECT_TRUE(none->field(0).isNull());
}

TEST_F(QueryTest, LongOrChainOfFiveHundredTerms)
{
    fill("cgwcdw", {"ITEM_4", "ITEM_170"}, {{"K7", "a"}, {"K250", "b"}, {"K501", "c"}, {"K500", "d"}});
    QString sql = "select * from CGWCDW where 1=0";
    for (int i = 1; i <= 500; ++i)
        sql += QStringLiteral(" or item_4='K%1'").arg(i);
    EXPECT_EQ(select(sql, {"ITEM_4"}), QStringList({"K7", "K250", "K500"}));
}

TEST_F(QueryTest, DeleteStatements)
{
    fill("kjcg", {"ITEM_4"}, {{"K"}, {"K"}});
    EXPECT_EQ(exec("DELETE FROM kjcg WHERE item_4=\n'K'"), 2);
    EXPECT_EQ(select("select * from kjcg", {"ITEM_4"}).size(), 7);

    EXPECT_EQ(exec("delete from  zlqktemp where item_4='K'and item_dqdm='D'"), 2);
    EXPECT_EQ(select("select * from zlqktemp", {"PATENT_NO"}), QStringList({"ZL200910002", "ZL200910004"}));
    EXPECT_EQ(exec("delete from  zlqktemp"), 2);
    auto t = open("zlqktemp");
    EXPECT_TRUE(t->isEmpty());
}

TEST_F(QueryTest, BadStatementsAndMissingParametersThrow)
{
    auto unset = query("select * from cgwcdw where item_4=:item_4 and item_dqdm=:item_dqdm", {{"item_4", "2009001"}});
    EXPECT_THROW(unset->open(), EngineError);
    EXPECT_FALSE(unset->isActive());
    EXPECT_THROW(query("delete from zlqktemp where item_4=:k")->execSQL(), EngineError);
    EXPECT_EQ(select("select * from zlqktemp", {"ITEM_4"}).size(), 4);

    auto del = query("delete from zlqktemp");
    EXPECT_THROW(del->open(), EngineError);
    EXPECT_EQ(select("select * from zlqktemp", {"ITEM_4"}).size(), 4) << "open() ran nothing";

    for (const char *bad : {"select from kjcg", "select * kjcg", "select * from kjcg where item_4='K",
                            "select * from kjcg where", "select * from kjcg order item_4", "delete kjcg",
                            "select * from kjcg where nosuch='1'", "select * from nosuch", "drop table kjcg", ""}) {
        auto q = query(QString::fromLatin1(bad));
        EXPECT_THROW(q->open(), EngineError) << bad;
    }
}

TEST_F(QueryTest, OrderIsStableAndComparesGbkBytes)
{
    // 啊 B0A1 < 李 C0EE < 一 D2BB < 张 D5C5 in GBK; in Unicode 一 comes first and 李 last.
    ASSERT_LT(gbkBytes(QStringLiteral("啊")), gbkBytes(QStringLiteral("李")));
    ASSERT_LT(gbkBytes(QStringLiteral("一")), gbkBytes(QStringLiteral("张")));
    ASSERT_LT(QStringLiteral("一"), QStringLiteral("啊"));
    create("names.dbf", {fld("NAME", 'C', 10), fld("GRP", 'N', 3)});
    QVector<QStringList> rows;
    for (int i = 0; i < 20; ++i)
        rows << QStringList{QStringLiteral("张一李啊").mid(i % 4, 1) + QString::number(i % 2), QString::number(i % 3)};
    fill("names", {"NAME", "GRP"}, rows);

    const QStringList byName = select("select * from names order by name", {"NAME"});
    QStringList expected;
    for (const QString &c : {QStringLiteral("啊"), QStringLiteral("李"), QStringLiteral("一"), QStringLiteral("张")})
        for (const QString &d : {QStringLiteral("0"), QStringLiteral("1")})
            for (const QStringList &r : rows)
                if (r[0] == c + d)
                    expected << r[0];
    EXPECT_EQ(byName, expected);

    // Equal keys keep the file order.
    auto q = query("select * from names order by grp desc");
    q->open();
    int lastGroup = 99, lastRow = -1;
    for (q->first(); !q->eof(); q->next()) {
        const int g = q->fieldByName("GRP").asInteger();
        const int row = q->currentRow();
        EXPECT_TRUE(g < lastGroup || (g == lastGroup && row > lastRow)) << g << " " << row;
        lastGroup = g;
        lastRow = row;
    }
}

TEST_F(QueryTest, LikeWalksWholeGbkCharacters)
{
    // 癬 is B0 5F: its trail byte is '_'.  啊 B0A1 shares its lead byte.
    ASSERT_EQ(gbkBytes(QStringLiteral("癬")), QByteArray("\xB0\x5F"));
    create("words.dbf", {fld("W", 'C', 20)});
    fill("words", {"W"}, {{QStringLiteral("啊呀")}, {QStringLiteral("癬病")}, {QStringLiteral("皮癬")}, {QStringLiteral("X啊")}, {"XY"}});
    EXPECT_EQ(select(QStringLiteral("select * from words where w like '癬%'"), {"W"}), QStringList({QStringLiteral("癬病")}));
    EXPECT_EQ(select(QStringLiteral("select * from words where w like '%癬'"), {"W"}), QStringList({QStringLiteral("皮癬")}));
    EXPECT_EQ(select("select * from words where w like 'X_'", {"W"}), QStringList({QStringLiteral("X啊"), "XY"}));
    EXPECT_EQ(select("select * from words where w like '__'", {"W"}).size(), 5);
}

TEST_F(QueryTest, LiveResultRenumberedWhileIterating)
{
    auto q = query("select * from kjcg where item_cglb='1' order by NO");
    q->open();
    ASSERT_TRUE(q->isLive());
    const QStringList before = rowsOf(*q, {"ITEM_4"});
    ASSERT_EQ(before, QStringList({"2009003", "2008015", "2009001", "2009004", "2005010"}));

    QStringList visited;
    int n = 0;
    for (q->first(); !q->eof(); q->next()) {
        visited << q->fieldByName("ITEM_4").asString();
        q->edit();
        q->fieldByName("NO").setAsString(QString::number(++n));
        q->post();
        EXPECT_EQ(q->recNo(), n);
        ASSERT_LE(n, 10) << "looping";
    }
    EXPECT_EQ(visited, before);
    EXPECT_EQ(rowsOf(*q, {"ITEM_4"}), before);
    q->close();
    ASSERT_FALSE(TableFile::isOpen(path("kjcg.DBF")));

    auto t = open("kjcg");
    EXPECT_EQ(rowsOf(*t, {"ITEM_4", "NO"}),
              QStringList({"2009001|3", "2008015|2", "2009002|2", "2009003|1", "2005010|5", "2009004|4", "2009001|6"}));
}

// ---------------------------------------------------------------------------
// Cached updates

class CachedUpdateTest : public DataFolder {
protected:
    UpdateSQL upd{
        R"(update "cgwcdw.DBF" set ITEM_170 = :ITEM_170, ITEM_176 = :ITEM_176 where ITEM_4 = :OLD_ITEM_4 and ITEM_176 = :OLD_ITEM_176)",
        R"(insert into "cgwcdw.DBF" (ITEM_4, ITEM_DQDM, ITEM_176, ITEM_170) values (:ITEM_4, :ITEM_DQDM, :ITEM_176, :ITEM_170))",
        R"(delete from "cgwcdw.DBF" where ITEM_4 = :OLD_ITEM_4 and ITEM_DQDM = :OLD_ITEM_DQDM and ITEM_176 = :OLD_ITEM_176)"};
    Query q;
    const QStringList initial = {QStringLiteral("K1|110|1|甲单位"), QStringLiteral("K1|110|4|乙单位"), QStringLiteral("K1|110|4|丙单位"),
                                 QStringLiteral("K2|110|4|丁单位")};

    void SetUp() override
    {
        DataFolder::SetUp();
        create("cgwcdw.DBF", {fld("ITEM_4", 'C', 10), fld("ITEM_DQDM", 'C', 3), fld("ITEM_176", 'N', 12, 2),
                              fld("ITEM_170", 'C', 80)});
        QVector<QStringList> rows;
        for (const QString &r : initial)
            rows << r.split('|');
        fill("cgwcdw", {"ITEM_4", "ITEM_DQDM", "ITEM_176", "ITEM_170"}, rows);
        q.setDatabaseName(folder());
        q.setSQL("select * from cgwcdw where item_4=:item_4 and item_dqdm=:item_dqdm order by item_176");
        q.setParam("item_4", "K1");
        q.setParam("item_dqdm", "110");
        q.setCachedUpdates(true);
        q.setUpdateObject(&upd);
        q.open();
    }
    // The table as a fresh cursor and as bytes on disk see it.
    QStringList fileRows()
    {
        auto t = open("cgwcdw");
        return rowsOf(*t, {"ITEM_4", "ITEM_DQDM", "ITEM_176", "ITEM_170"});
    }
    bool fileHolds(const QString &text) { return readFile(path("cgwcdw.DBF")).contains(gbkBytes(text)); }
    void setName(const QString &from, const QString &to)
    {
        ASSERT_TRUE(q.locate("ITEM_170", from));
        q.edit();
        q.fieldByName("ITEM_170").setAsString(to);
        q.post();
    }
};

TEST_F(CachedUpdateTest, RenumberingDuplicatesTouchesEachRowOnly)
{
    ASSERT_EQ(rowsOf(q, {"ITEM_170"}), QStringList({QStringLiteral("甲单位"), QStringLiteral("乙单位"), QStringLiteral("丙单位")}));
    int n = 0;
    for (q.first(); !q.eof(); q.next()) {
        q.edit();
        q.fieldByName("ITEM_176").setAsInteger(++n);
        q.post();
    }
    setName(QStringLiteral("丙单位"), QStringLiteral("丙单位（新址）"));
    EXPECT_TRUE(q.updatesPending());
    EXPECT_EQ(fileRows(), initial) << "nothing is written before applyUpdates";
    EXPECT_FALSE(fileHolds(QStringLiteral("丙单位（新址）")));

    q.applyUpdates();
    EXPECT_FALSE(q.updatesPending());
    const QStringList applied = {QStringLiteral("K1|110|1|甲单位"), QStringLiteral("K1|110|2|乙单位"),
                                 QStringLiteral("K1|110|3|丙单位（新址）"), QStringLiteral("K2|110|4|丁单位")};
    EXPECT_EQ(fileRows(), applied);
    EXPECT_TRUE(fileHolds(QStringLiteral("丙单位（新址）")));
    q.applyUpdates();
    EXPECT_EQ(fileRows(), applied) << "applying twice changes nothing";
}

TEST_F(CachedUpdateTest, DeletingOneOfTwoDuplicatesDeletesItsOwnRow)
{
    ASSERT_TRUE(q.locate("ITEM_170", QStringLiteral("丙单位")));
    q.deleteRecord();
    EXPECT_EQ(q.recordCount(), 2);
    EXPECT_EQ(fileRows(), initial);
    q.applyUpdates();
    EXPECT_EQ(fileRows(), QStringList({initial[0], initial[1], initial[3]}));
}

TEST_F(CachedUpdateTest, AppendedRowsAreInserted)
{
    q.append();
    q.fieldByName("ITEM_4").setAsString("K1");
    q.fieldByName("ITEM_DQDM").setAsString("110");
    q.fieldByName("ITEM_176").setAsInteger(5);
    q.fieldByName("ITEM_170").setAsString(QStringLiteral("戊单位"));
    q.post();
    setName(QStringLiteral("甲单位"), QStringLiteral("甲单位二部"));
    EXPECT_EQ(fileRows(), initial);
    q.applyUpdates();
    EXPECT_EQ(fileRows(), QStringList({QStringLiteral("K1|110|1|甲单位二部"), initial[1], initial[2], initial[3],
                                       QStringLiteral("K1|110|5|戊单位")}));
}

TEST_F(CachedUpdateTest, CancelUpdatesRestoresTheRowsAsRead)
{
    setName(QStringLiteral("甲单位"), QStringLiteral("改名"));
    ASSERT_TRUE(q.locate("ITEM_170", QStringLiteral("乙单位")));
    q.deleteRecord();
    q.append();
    q.fieldByName("ITEM_170").setAsString(QStringLiteral("新增"));
    q.post();
    q.cancelUpdates();
    EXPECT_FALSE(q.updatesPending());
    EXPECT_EQ(rowsOf(q, {"ITEM_170"}), QStringList({QStringLiteral("甲单位"), QStringLiteral("乙单位"), QStringLiteral("丙单位")}));
    q.applyUpdates();
    EXPECT_EQ(fileRows(), initial);
}

TEST_F(CachedUpdateTest, RowChangedBehindTheCacheIsReported)
{
    {
        auto t = open("cgwcdw");
        ASSERT_TRUE(t->locate("ITEM_170", QStringLiteral("乙单位")));
        t->edit();
        t->fieldByName("ITEM_176").setAsInteger(8);
        t->post();
    }
    setName(QStringLiteral("乙单位"), QStringLiteral("乙单位（改）"));
    EXPECT_THROW(q.applyUpdates(), EngineError);
    EXPECT_FALSE(fileHolds(QStringLiteral("乙单位（改）")));
    EXPECT_TRUE(q.updatesPending());
}

} // namespace
