#include "db/error.h"
#include "db/sql.h"

#include <gtest/gtest.h>

using namespace db;

namespace {

Schema sqlSchema()
{
    Schema s;
    for (const char *name : {"ITEM_4", "ITEM_DQDM", "ITEM_CGLB", "ITEM_3", "ITEM_9", "LB", "ITEM_NO", "ITEM_190"}) {
        FieldDef f;
        f.name = QString::fromLatin1(name);
        f.width = 20;
        s.fields.append(f);
    }
    s.layout();
    return s;
}

class TextRow : public RowSource {
public:
    explicit TextRow(std::initializer_list<std::pair<const char *, const char *>> values) : m_values(sqlSchema().count())
    {
        const Schema s = sqlSchema();
        for (const auto &[name, v] : values)
            m_values[s.indexOf(QString::fromLatin1(name))] = Value::fromString(QString::fromUtf8(v));
    }
    Value value(int field) const override { return m_values[field]; }
    QByteArrayView text(int field) const override { return m_values[field].text; }

private:
    QVector<Value> m_values;
};

template <typename T>
T parseAs(const char *sql)
{
    Statement st = parseStatement(QString::fromUtf8(sql));
    const T *t = std::get_if<T>(&st);
    if (!t)
        throw std::runtime_error(std::string("wrong statement kind: ") + sql);
    return *t;
}

bool whereMatches(const ExprPtr &where, const RowSource &row, const Params *p = nullptr)
{
    return BoundExpr(where, sqlSchema(), QStringLiteral("t")).matches(row, p);
}

QStringList names(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *s : list)
        out << QString::fromLatin1(s);
    return out;
}

} // namespace

TEST(SqlSelect, PlainSelects)
{
    const std::pair<const char *, const char *> all[] = {
        {"select * from kjcg", "kjcg"},
        {"select * from CheckUp", "CheckUp"},
        {"select * from unitexpert", "unitexpert"},
        {"SELECT * FROM \"cgwcr.DBF\" ;", "cgwcr.DBF"},
    };
    for (const auto &[sql, table] : all) {
        const auto s = parseAs<SelectStatement>(sql);
        EXPECT_EQ(s.projection, SelectStatement::Projection::All) << sql;
        EXPECT_EQ(s.table, QString::fromLatin1(table));
        EXPECT_FALSE(s.distinct);
        EXPECT_EQ(s.where, nullptr);
        EXPECT_TRUE(s.orderBy.isEmpty());
    }
    const auto f = parseAs<SelectStatement>("select ITEM_3 from kjcg");
    EXPECT_EQ(f.projection, SelectStatement::Projection::Field);
    EXPECT_EQ(f.field, QStringLiteral("ITEM_3"));
    EXPECT_EQ(parseAs<SelectStatement>("select max from t").field, QStringLiteral("max"));   // a field named max
}

TEST(SqlSelect, ProjectionsAndOrder)
{
    auto s = parseAs<SelectStatement>("select item_4 from kjcg order by item_4 desc");
    EXPECT_EQ(s.projection, SelectStatement::Projection::Field);
    EXPECT_EQ(s.field, QStringLiteral("item_4"));
    ASSERT_EQ(s.orderBy.size(), 1);
    EXPECT_EQ(s.orderBy[0].field, QStringLiteral("item_4"));
    EXPECT_TRUE(s.orderBy[0].descending);

    s = parseAs<SelectStatement>("select distinct item_4 from kjcg order by item_4 desc");
    EXPECT_TRUE(s.distinct);
    EXPECT_EQ(s.field, QStringLiteral("item_4"));

    s = parseAs<SelectStatement>("select max(item_4) from kjcg where item_4 like'2009%'");
    EXPECT_EQ(s.projection, SelectStatement::Projection::Max);
    EXPECT_EQ(s.field, QStringLiteral("item_4"));
    EXPECT_TRUE(whereMatches(s.where, TextRow({{"ITEM_4", "2009-1"}})));
    EXPECT_FALSE(whereMatches(s.where, TextRow({{"ITEM_4", "2010-1"}})));

    s = parseAs<SelectStatement>("select  max(item_190)  from  jdwyhmd  where  item_4=:item_4");
    EXPECT_EQ(s.projection, SelectStatement::Projection::Max);
    EXPECT_EQ(s.field, QStringLiteral("item_190"));
    EXPECT_EQ(s.table, QStringLiteral("jdwyhmd"));
    EXPECT_EQ(statementParams(s), names({"item_4"}));

    s = parseAs<SelectStatement>("select  max(item_no)  from  cgwcr  where  item_4=:item_4");
    EXPECT_EQ(s.field, QStringLiteral("item_no"));

    s = parseAs<SelectStatement>("select * from jdwyhmd where item_4=:item_4 and item_dqdm=:item_dqdm order by item_194, item_190");
    ASSERT_EQ(s.orderBy.size(), 2);
    EXPECT_EQ(s.orderBy[0].field, QStringLiteral("item_194"));
    EXPECT_EQ(s.orderBy[1].field, QStringLiteral("item_190"));
    EXPECT_FALSE(s.orderBy[0].descending || s.orderBy[1].descending);
    EXPECT_EQ(statementParams(s), names({"item_4", "item_dqdm"}));

    s = parseAs<SelectStatement>("select * from t order by f1 desc, f2 asc");
    ASSERT_EQ(s.orderBy.size(), 2);
    EXPECT_TRUE(s.orderBy[0].descending);
    EXPECT_FALSE(s.orderBy[1].descending);
}

TEST(SqlSelect, Conditions)
{
    auto s = parseAs<SelectStatement>("select * from kjcg where item_cglb='1' and item_4 like '2009%'");
    EXPECT_TRUE(whereMatches(s.where, TextRow({{"ITEM_CGLB", "1"}, {"ITEM_4", "2009x"}})));
    EXPECT_FALSE(whereMatches(s.where, TextRow({{"ITEM_CGLB", "2"}, {"ITEM_4", "2009x"}})));

    s = parseAs<SelectStatement>("select * from checkup where lb='a' or lb='1'");
    EXPECT_TRUE(whereMatches(s.where, TextRow({{"LB", "1"}})));
    EXPECT_FALSE(whereMatches(s.where, TextRow({{"LB", "b"}})));

    s = parseAs<SelectStatement>("select * from kjcg where  (item_3 like '%x%' ) and (item_cglb='1' and item_4 like '2009%')");
    EXPECT_TRUE(whereMatches(s.where, TextRow({{"ITEM_3", "axb"}, {"ITEM_CGLB", "1"}, {"ITEM_4", "2009"}})));
    EXPECT_FALSE(whereMatches(s.where, TextRow({{"ITEM_3", "ab"}, {"ITEM_CGLB", "1"}, {"ITEM_4", "2009"}})));

    s = parseAs<SelectStatement>("select * from kjcg where item_3='N' and  item_9='O'");
    EXPECT_TRUE(whereMatches(s.where, TextRow({{"ITEM_3", "N"}, {"ITEM_9", "O"}})));

    s = parseAs<SelectStatement>("select * from zlqktemp where item_4='K'and item_dqdm='D'");
    EXPECT_TRUE(whereMatches(s.where, TextRow({{"ITEM_4", "K"}, {"ITEM_DQDM", "D"}})));
    EXPECT_FALSE(whereMatches(s.where, TextRow({{"ITEM_4", "K"}})));

    // In statements '*' is an ordinary character.
    s = parseAs<SelectStatement>("select * from t where item_4='20*'");
    EXPECT_FALSE(whereMatches(s.where, TextRow({{"ITEM_4", "2009"}})));
}

TEST(SqlSelect, GluedPiecesOfTheProgram)
{
    const auto s = parseAs<SelectStatement>(
        "select *  from  cgwcdw  where  item_4=:item_4and  item_dqdm=:item_dqdmorder  by  item_176 ");
    EXPECT_EQ(s.table, QStringLiteral("cgwcdw"));
    EXPECT_EQ(statementParams(s), names({"item_4", "item_dqdm"}));
    ASSERT_EQ(s.orderBy.size(), 1);
    EXPECT_EQ(s.orderBy[0].field, QStringLiteral("item_176"));
    Params p;
    p.setText(QStringLiteral("item_4"), QStringLiteral("K"));
    p.setText(QStringLiteral("item_dqdm"), QStringLiteral("D"));
    EXPECT_TRUE(whereMatches(s.where, TextRow({{"ITEM_4", "K"}, {"ITEM_DQDM", "D"}}), &p));
    EXPECT_FALSE(whereMatches(s.where, TextRow({{"ITEM_4", "K"}, {"ITEM_DQDM", "E"}}), &p));
}

TEST(SqlSelect, LongOrChain)
{
    QString sql = QStringLiteral("select * from CGWCDW where 1=0");
    for (int i = 0; i < 2000; ++i)
        sql += QStringLiteral(" or item_4='K%1'").arg(i);
    Statement st = parseStatement(sql);
    const auto &s = std::get<SelectStatement>(st);
    EXPECT_EQ(s.table, QStringLiteral("CGWCDW"));
    EXPECT_TRUE(whereMatches(s.where, TextRow({{"ITEM_4", "K1999"}})));
    EXPECT_FALSE(whereMatches(s.where, TextRow({{"ITEM_4", "K2000"}})));
}

TEST(SqlDelete, Forms)
{
    auto d = parseAs<DeleteStatement>("DELETE FROM kjcg WHERE item_4=\n'K'");
    EXPECT_EQ(d.table, QStringLiteral("kjcg"));
    EXPECT_TRUE(whereMatches(d.where, TextRow({{"ITEM_4", "K"}})));

    d = parseAs<DeleteStatement>("delete from  zlqktemp where item_4='K'and item_dqdm='D'");
    EXPECT_TRUE(whereMatches(d.where, TextRow({{"ITEM_4", "K"}, {"ITEM_DQDM", "D"}})));
    EXPECT_FALSE(whereMatches(d.where, TextRow({{"ITEM_4", "K"}, {"ITEM_DQDM", "X"}})));

    d = parseAs<DeleteStatement>("delete from  zlqktemp");
    EXPECT_EQ(d.table, QStringLiteral("zlqktemp"));
    EXPECT_EQ(d.where, nullptr);

    d = parseAs<DeleteStatement>(
        "delete from \"jdwyhmd.DBF\" where ITEM_4 = :OLD_ITEM_4 and ITEM_DQDM = :OLD_ITEM_DQDM and ITEM_190 = :OLD_ITEM_190");
    EXPECT_EQ(d.table, QStringLiteral("jdwyhmd.DBF"));
    EXPECT_EQ(statementParams(d), names({"old_item_4", "old_item_dqdm", "old_item_190"}));
}

TEST(SqlUpdate, AssignmentsAndWhere)
{
    const auto u = parseAs<UpdateStatement>(
        "update \"cgwcr.DBF\" set ITEM_180 = :ITEM_180, ITEM_181 = :ITEM_181 where ITEM_4 = :OLD_ITEM_4 and "
        "ITEM_DQDM = :OLD_ITEM_DQDM and ITEM_NO = :OLD_ITEM_NO");
    EXPECT_EQ(u.table, QStringLiteral("cgwcr.DBF"));
    ASSERT_EQ(u.assignments.size(), 2);
    EXPECT_EQ(u.assignments[0].first, QStringLiteral("ITEM_180"));
    EXPECT_EQ(u.assignments[1].first, QStringLiteral("ITEM_181"));
    EXPECT_EQ(expressionParams(u.assignments[1].second), names({"item_181"}));
    EXPECT_EQ(statementParams(u), names({"item_180", "item_181", "old_item_4", "old_item_dqdm", "old_item_no"}));

    const auto lit = parseAs<UpdateStatement>("update t set item_3 = 'x, y', item_9 = -2 where item_4 = 'K';");
    ASSERT_EQ(lit.assignments.size(), 2);
    const TextRow row({{"ITEM_4", "K"}});
    EXPECT_EQ(BoundExpr(lit.assignments[0].second, sqlSchema(), QStringLiteral("t")).evaluate(row).text, QByteArray("x, y"));
    EXPECT_EQ(BoundExpr(lit.assignments[1].second, sqlSchema(), QStringLiteral("t")).evaluate(row).number, -2);
    EXPECT_TRUE(whereMatches(lit.where, row));
}

TEST(SqlInsert, ColumnsAndValues)
{
    const auto i = parseAs<InsertStatement>(
        "insert into \"cgwcr.DBF\" (ITEM_4, ITEM_DQDM, ITEM_187) values (:ITEM_4, :ITEM_DQDM, :ITEM_187)");
    EXPECT_EQ(i.table, QStringLiteral("cgwcr.DBF"));
    EXPECT_EQ(i.columns, names({"ITEM_4", "ITEM_DQDM", "ITEM_187"}));
    ASSERT_EQ(i.values.size(), 3);
    EXPECT_EQ(statementParams(i), names({"item_4", "item_dqdm", "item_187"}));
    EXPECT_THROW(parseStatement(QStringLiteral("insert into t (a, b) values (:a)")), EngineError);
}

TEST(SqlErrors, MalformedStatementsThrow)
{
    const char *bad[] = {
        "",
        "   ",
        "garbage",
        "select",
        "select * kjcg",
        "select * from",
        "select * from kjcg where",
        "select * from kjcg where item_4",
        "select * from kjcg order item_4",
        "select * from kjcg order by",
        "select a, b from kjcg",
        "select distinct * from kjcg",
        "select max(item_4 from kjcg",
        "select * from kjcg; select * from kjcg",
        "select * from kjcg extra",
        "select * from \"kjcg",
        "select * from where",
        "delete kjcg",
        "update t set where a='1'",
        "update t set a = where a='1'",
        "insert into t values (:a)",
        "insert into t (a) values (:a",
        "select * from t where a='1' order by b desc desc",
    };
    for (const char *sql : bad)
        EXPECT_THROW(parseStatement(QString::fromUtf8(sql)), EngineError) << sql;

    QString message;
    try {
        parseStatement(QStringLiteral("select * from kjcg; delete from kjcg"));
    } catch (const EngineError &e) {
        message = e.message();
    }
    EXPECT_TRUE(message.contains(QStringLiteral("一次只能执行一条语句"))) << message.toStdString();
}
