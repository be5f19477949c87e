// Cursors over table files: several cursors on one file, navigation, locate,
// edit/cancel rules and filters.

#include "dbtestutil.h"

#include <algorithm>

using namespace db;
using namespace dbtest;

namespace {

class DatasetTest : public DataFolder {
protected:
    void SetUp() override
    {
        DataFolder::SetUp();
        create("cgwcr.DBF", {fld("ITEM_4", 'C', 10), fld("ITEM_180", 'C', 20), fld("ITEM_187", 'N', 7), fld("NOTE", 'M')});
        fill("cgwcr", {"ITEM_4", "ITEM_180", "ITEM_187", "NOTE"},
             {{"2009001", QStringLiteral("张伟"), "1", QStringLiteral("项目负责人")},
              {"2009001", QStringLiteral("王芳"), "2", ""},
              {"2009001", QStringLiteral("张伟民"), "3", ""},
              {"2009002", QStringLiteral("李娜"), "1", ""},
              {"2009003", QStringLiteral("刘洋"), "42", QStringLiteral("外聘专家")}});
    }
    QString name(Dataset &ds) { return ds.fieldByName("ITEM_180").asString(); }
};

TEST_F(DatasetTest, CursorsOnOneFileSeeEachOthersChangesAtOnce)
{
    auto a = open("cgwcr");
    auto b = open("CGWCR.DBF");
    Query q;
    q.setDatabaseName(folder());
    q.setSQL("select * from cgwcr");
    q.open();
    ASSERT_TRUE(q.isLive());

    ASSERT_TRUE(a->locate("ITEM_180", QStringLiteral("王芳")));
    ASSERT_TRUE(b->locate("ITEM_180", QStringLiteral("王芳")));
    ASSERT_TRUE(q.locate("ITEM_180", QStringLiteral("王芳")));
    a->edit();
    a->fieldByName("ITEM_180").setAsString(QStringLiteral("王芳芳"));
    a->fieldByName("NOTE").setAsString(QStringLiteral("改名"));
    EXPECT_EQ(name(*b), QStringLiteral("王芳")) << "not posted yet";
    a->post();
    EXPECT_EQ(name(*b), QStringLiteral("王芳芳"));
    EXPECT_EQ(name(q), QStringLiteral("王芳芳"));
    EXPECT_EQ(q.fieldByName("NOTE").asString(), QStringLiteral("改名"));

    q.edit();
    q.fieldByName("ITEM_187").setAsInteger(9);
    q.post();
    EXPECT_EQ(a->fieldByName("ITEM_187").asInteger(), 9);

    a->append();
    a->fieldByName("ITEM_4").setAsString("2009004");
    a->fieldByName("ITEM_180").setAsString(QStringLiteral("陈静"));
    a->post();
    EXPECT_EQ(b->recordCount(), 6);
    EXPECT_TRUE(b->locate("ITEM_180", QStringLiteral("陈静")));

    ASSERT_TRUE(a->locate("ITEM_180", QStringLiteral("李娜")));
    a->deleteRecord();
    EXPECT_EQ(b->recordCount(), 5);
    EXPECT_EQ(q.recordCount(), 4) << "the query keeps its rows but drops deleted ones";
    EXPECT_FALSE(b->locate("ITEM_180", QStringLiteral("李娜")));
    EXPECT_FALSE(q.locate("ITEM_180", QStringLiteral("李娜")));
    EXPECT_EQ(name(*b), QStringLiteral("陈静")) << "a failed locate leaves the cursor";
}

TEST_F(DatasetTest, Navigation)
{
    auto t = open("cgwcr");
    EXPECT_EQ(t->recordCount(), 5);
    EXPECT_TRUE(t->bof());
    EXPECT_FALSE(t->eof());
    EXPECT_EQ(t->recNo(), 1);
    t->prior();
    EXPECT_TRUE(t->bof());
    EXPECT_EQ(t->recNo(), 1);

    QStringList seen;
    for (t->first(); !t->eof(); t->next())
        seen << name(*t);
    EXPECT_EQ(seen.size(), 5);
    EXPECT_EQ(t->recNo(), 5) << "next past the end stays on the last row";
    EXPECT_EQ(name(*t), QStringLiteral("刘洋"));

    QStringList back;
    for (t->last(); !t->bof(); t->prior())
        back << name(*t);
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(back, seen);

    t->first();
    EXPECT_EQ(t->moveBy(2), 2);
    EXPECT_EQ(t->recNo(), 3);
    EXPECT_FALSE(t->eof() || t->bof());
    EXPECT_EQ(t->moveBy(10), 2);
    EXPECT_TRUE(t->eof());
    EXPECT_EQ(t->recNo(), 5);
    EXPECT_EQ(t->moveBy(-10), -4);
    EXPECT_TRUE(t->bof());
    EXPECT_EQ(name(*t), QStringLiteral("张伟"));

    create("empty.dbf", {fld("A", 'C', 2)});
    auto e = open("empty");
    EXPECT_TRUE(e->eof() && e->bof() && e->isEmpty());
    EXPECT_EQ(e->recNo(), 0);
    EXPECT_TRUE(e->fieldByName("A").isNull());
    EXPECT_THROW(e->deleteRecord(), EngineError);
    EXPECT_THROW(e->edit(), EngineError) << "an edit of nothing must not turn into a new row";
    EXPECT_EQ(e->state(), DatasetState::Browse);
}

TEST_F(DatasetTest, Locate)
{
    auto t = open("cgwcr");
    EXPECT_TRUE(t->locate("item_180", QStringLiteral("张伟   ")));
    EXPECT_EQ(t->recNo(), 1);
    EXPECT_TRUE(t->locate("ITEM_180", QStringLiteral("张伟民")));
    EXPECT_EQ(t->recNo(), 3);
    EXPECT_TRUE(t->locate("ITEM_180", QStringLiteral("李"), true));
    EXPECT_EQ(name(*t), QStringLiteral("李娜"));
    EXPECT_FALSE(t->locate("ITEM_180", QStringLiteral("李"))) << "whole value without partial";
    EXPECT_EQ(name(*t), QStringLiteral("李娜"));
    EXPECT_TRUE(t->locate("ITEM_187", 42));
    EXPECT_EQ(name(*t), QStringLiteral("刘洋"));
    EXPECT_FALSE(t->locate("ITEM_187", 43));
    EXPECT_FALSE(t->locate("ITEM_4", "2009009"));
    EXPECT_EQ(name(*t), QStringLiteral("刘洋"));
    EXPECT_THROW(t->locate("NOSUCH", "x"), EngineError);
}

TEST_F(DatasetTest, MovingOrCancellingDiscardsTheEdit)
{
    auto t = open("cgwcr");
    auto other = open("cgwcr");
    t->edit();
    t->fieldByName("ITEM_180").setAsString(QStringLiteral("改动"));
    t->fieldByName("NOTE").setAsString(QStringLiteral("改动的备注"));
    t->next();
    EXPECT_EQ(t->state(), DatasetState::Browse);
    t->prior();
    EXPECT_EQ(name(*t), QStringLiteral("张伟"));
    EXPECT_EQ(t->fieldByName("NOTE").asString(), QStringLiteral("项目负责人"));
    EXPECT_EQ(name(*other), QStringLiteral("张伟"));

    t->edit();
    t->fieldByName("ITEM_180").setAsString(QStringLiteral("改动"));
    EXPECT_EQ(name(*t), QStringLiteral("改动")) << "the edit buffer is what the row shows";
    t->cancel();
    EXPECT_EQ(name(*t), QStringLiteral("张伟"));

    t->append();
    t->fieldByName("ITEM_180").setAsString(QStringLiteral("新人"));
    t->last();
    t->cancel();
    EXPECT_EQ(t->recordCount(), 5);
    EXPECT_THROW(t->fieldByName("ITEM_180").setAsString("x"), EngineError) << "browse state";
    t->close();
    auto fresh = open("cgwcr");
    EXPECT_EQ(rowsOf(*fresh, {"ITEM_180"}).first(), QStringLiteral("张伟"));
}

// ---------------------------------------------------------------------------
// Filters

class FilterTest : public DataFolder {
protected:
    void SetUp() override
    {
        DataFolder::SetUp();
        create("zlqk.dbf", {fld("ITEM_4", 'C', 10), fld("ITEM_DQDM", 'C', 3), fld("PATENT_ST", 'C', 1),
                            fld("PATENT_NAM", 'C', 40)});
        fill("zlqk", {"ITEM_4", "ITEM_DQDM", "PATENT_ST", "PATENT_NAM"},
             {{"K", "D", "1", QStringLiteral("一种节能灯")},
              {"K", "D", "2", "O'Brien valve"},
              {"K", "E", "1", QStringLiteral("太阳能板")},
              {"2005001", "D", "1", QStringLiteral("水处理装置")},
              {"2005002", "D", "", QStringLiteral("测温仪")},
              {"2006001", "D", "2", QStringLiteral("传感器")},
              {"K", "D", "", QStringLiteral("控制器")}});
        create("zdxx.dbf", {fld("ZDDM", 'C', 20), fld("XXDM", 'C', 10), fld("XXMC", 'C', 40)});
        fill("zdxx", {"ZDDM", "XXDM", "XXMC"},
             {{"item_181", "1", QStringLiteral("男")}, {"item_181", "2", QStringLiteral("女")},
              {"item_183", "1", QStringLiteral("高级")}, {QStringLiteral("成果体现形式"), "1", QStringLiteral("论文")},
              {QStringLiteral("成果体现形式"), "2", QStringLiteral("**专著")}});
    }
    QStringList filtered(const QString &table, const QString &filter, const QString &field)
    {
        auto t = open(table);
        t->setFilter(filter);
        t->setFiltered(true);
        return rowsOf(*t, {field});
    }
};

TEST_F(FilterTest, ProgramFilters)
{
    const QStringList all = {QStringLiteral("一种节能灯"), "O'Brien valve", QStringLiteral("太阳能板"), QStringLiteral("水处理装置"),
                             QStringLiteral("测温仪"), QStringLiteral("传感器"), QStringLiteral("控制器")};
    EXPECT_EQ(filtered("zlqk", "", "PATENT_NAM"), all);
    EXPECT_EQ(filtered("zlqk", "item_4='K' and item_dqdm='D'", "PATENT_NAM"),
              QStringList({QStringLiteral("一种节能灯"), "O'Brien valve", QStringLiteral("控制器")}));
    EXPECT_EQ(filtered("zlqk", "ITEM_4 = 'K  ' AND Item_Dqdm='E'", "PATENT_NAM"), QStringList({QStringLiteral("太阳能板")}));
    EXPECT_EQ(filtered("zlqk", "item_4='2005*'", "PATENT_NAM"), QStringList({QStringLiteral("水处理装置"), QStringLiteral("测温仪")}));
    EXPECT_EQ(filtered("zlqk", "patent_st=1", "PATENT_NAM"),
              QStringList({QStringLiteral("一种节能灯"), QStringLiteral("太阳能板"), QStringLiteral("水处理装置")}));
    EXPECT_EQ(filtered("zlqk", "patent_nam='O''Brien valve'", "ITEM_4"), QStringList({"K"}));
    EXPECT_EQ(filtered("zlqk", "patent_nam=' 控制器'", "ITEM_4"), QStringList()) << "leading blanks count";

    EXPECT_EQ(filtered("zdxx", "zddm ='item_181' and xxdm ='2'", "XXMC"), QStringList({QStringLiteral("女")}));
    EXPECT_EQ(filtered("zdxx", "zddm='item_181'", "XXMC"), QStringList({QStringLiteral("男"), QStringLiteral("女")}));
    EXPECT_EQ(filtered("zdxx", QStringLiteral("zddm='成果体现形式'"), "XXDM"), QStringList({"1", "2"}));
}

TEST_F(FilterTest, FilterSwitchesOnAndOff)
{
    auto t = open("zdxx");
    t->setFilter("zddm ='item_181'");
    EXPECT_EQ(t->recordCount(), 5) << "a filter set but not switched on";
    t->setFiltered(true);
    EXPECT_EQ(rowsOf(*t, {"XXDM"}), QStringList({"1", "2"}));
    t->setFiltered(false);
    EXPECT_EQ(t->recordCount(), 5);
    t->setFiltered(true);
    t->setFilter("zddm ='item_183'");
    EXPECT_EQ(rowsOf(*t, {"XXMC"}), QStringList({QStringLiteral("高级")}));
    EXPECT_THROW(t->setFilter("zddm ='item_183"), EngineError);
    EXPECT_THROW(t->setFilter("nosuch ='x'"), EngineError);
    EXPECT_EQ(t->filter(), "zddm ='item_183'") << "a bad filter changes nothing";
    t->setFilter("");
    EXPECT_EQ(t->recordCount(), 5);

    // Rows posted through another cursor come and go with the filter.
    t->setFilter("zddm ='item_181'");
    auto other = open("zdxx");
    other->append();
    other->fieldByName("ZDDM").setAsString("item_181");
    other->fieldByName("XXDM").setAsString("9");
    other->post();
    EXPECT_EQ(rowsOf(*t, {"XXDM"}), QStringList({"1", "2", "9"}));
    ASSERT_TRUE(other->locate("XXDM", "1"));
    other->edit();
    other->fieldByName("ZDDM").setAsString("item_999");
    other->post();
    EXPECT_EQ(rowsOf(*t, {"XXDM"}), QStringList({"2", "9"}));
}

} // namespace
