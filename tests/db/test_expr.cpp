#include "db/error.h"
#include "db/expr.h"
#include "db/gbk.h"

#include <gtest/gtest.h>

using namespace db;

namespace {

// A table with one field of every kind the conditions meet.
Schema exprSchema()
{
    Schema s;
    auto add = [&s](const char *name, char type, int width, int decimals = 0) {
        FieldDef f;
        f.name = QString::fromLatin1(name);
        f.type = type;
        f.width = width;
        f.decimals = decimals;
        f.kind = FieldDef::kindFor(type, width, decimals);
        s.fields.append(f);
    };
    add("ITEM_4", 'C', 20);
    add("ITEM_DQDM", 'C', 6);
    add("ITEM_3", 'C', 60);
    add("PATENT_ST", 'C', 2);
    add("ITEM_45", 'N', 6);
    add("AMOUNT", 'N', 12, 2);
    add("ITEM_DATE", 'D', 8);
    add("DONE", 'L', 1);
    add("NOTE", 'M', 10);
    add("Province_i", 'C', 10);
    add("ZDDM", 'C', 20);
    add("XXDM", 'C', 20);
    s.layout();
    return s;
}

Value text(const char *utf8) { return Value::fromString(QString::fromUtf8(utf8)); }

// A row as the table code hands it over: text fields without trailing
// blanks, blank fields Null.
class FakeRow : public RowSource {
public:
    FakeRow(const Schema &schema, std::initializer_list<std::pair<const char *, Value>> values)
        : m_values(schema.count())
    {
        for (const auto &[name, v] : values)
            m_values[schema.indexOf(QString::fromLatin1(name))] = v;
    }
    Value value(int field) const override { return m_values[field]; }
    QByteArrayView text(int field) const override { return m_values[field].text; }

private:
    QVector<Value> m_values;
};

class ExprEval : public ::testing::Test {
protected:
    Schema schema = exprSchema();

    FakeRow row(std::initializer_list<std::pair<const char *, Value>> values) const { return FakeRow(schema, values); }

    bool match(const char *cond, const RowSource &r, const Params *p = nullptr, ExprMode mode = ExprMode::Filter) const
    {
        return BoundExpr(parseExpression(QString::fromUtf8(cond), mode), schema, QStringLiteral("kjcg")).matches(r, p);
    }
};

// The message of the EngineError `f` throws.
template <typename F>
QString errorFrom(F &&f)
{
    try {
        f();
    } catch (const EngineError &e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

QString errorOf(const QString &cond)
{
    return errorFrom([&] { parseExpression(cond, ExprMode::Filter); });
}

} // namespace

TEST(ExprParse, BlankTextIsNoCondition)
{
    EXPECT_EQ(parseExpression(QString(), ExprMode::Filter), nullptr);
    EXPECT_EQ(parseExpression(QStringLiteral(" \r\n\t "), ExprMode::Sql), nullptr);
    BoundExpr empty(nullptr, exprSchema(), QStringLiteral("kjcg"));
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_TRUE(empty.matches(FakeRow(exprSchema(), {})));
}

TEST(ExprParse, MalformedConditionsThrow)
{
    const char *bad[] = {
        "item_4=",          "item_4 'K'",          "(item_4='K'",          "item_4='K')",
        "item_4='K' and",   "item_4 and item_3='x'", "not item_4",         "(item_4)",
        "item_4 = #",       "item_4 like",         "item_4 not 'x'",       "and",
        "x=1 y=2",          "item_4='K' item_3",   "item_4 == 'K'",        "item_4 = - 'x'",
        "item_4=:",         "item_4 = and",        "item_4='a' or or item_4='b'", "item_4 = 1.2.3",
    };
    for (const char *cond : bad)
        EXPECT_THROW(parseExpression(QString::fromUtf8(cond), ExprMode::Filter), EngineError) << cond;

    EXPECT_TRUE(errorOf(QStringLiteral("item_4='abc")).contains(QStringLiteral("带引号文本没有结束")));
    EXPECT_TRUE(errorOf(QStringLiteral("item_4 = xyz abc")).contains(QStringLiteral("在“abc”附近")));
    EXPECT_TRUE(errorOf(QStringLiteral("item_4 =")).contains(QStringLiteral("条件不完整")));
    // A character GBK lacks cannot be compared with stored bytes.
    EXPECT_TRUE(errorOf(QString::fromUtf8("item_4='\xF0\x9F\x98\x80'")).contains(QLatin1String("GBK")));
}

TEST(ExprParse, NestingIsCapped)
{
    const QString deep = QString(5000, u'(') + QStringLiteral("item_4='K'") + QString(5000, u')');
    EXPECT_TRUE(errorOf(deep).contains(QStringLiteral("嵌套层数过多")));
    EXPECT_TRUE(errorOf(QStringLiteral("not ").repeated(5000) + QStringLiteral("item_4='K'")).contains(QStringLiteral("嵌套层数过多")));
    const QString ok = QString(150, u'(') + QStringLiteral("item_4='K'") + QString(150, u')');
    EXPECT_NE(parseExpression(ok, ExprMode::Filter), nullptr);
}

TEST(ExprParse, GluedKeywordsAreSplitOffNames)
{
    EXPECT_EQ(expressionParams(parseExpression(QStringLiteral("item_4=:item_4and  item_dqdm=:item_dqdm"), ExprMode::Sql)),
              QStringList({QStringLiteral("item_4"), QStringLiteral("item_dqdm")}));
    EXPECT_EQ(expressionParams(parseExpression(QStringLiteral("item_4=:ITEM_4OR item_4=:b"), ExprMode::Sql)),
              QStringList({QStringLiteral("item_4"), QStringLiteral("b")}));
    // A name that merely ends like a keyword stays whole when nothing is wrong.
    EXPECT_EQ(expressionParams(parseExpression(QStringLiteral("item_4=:vendor and item_3=:brand"), ExprMode::Sql)),
              QStringList({QStringLiteral("vendor"), QStringLiteral("brand")}));
    EXPECT_THROW(parseExpression(QStringLiteral("item_4=:item_4order by x"), ExprMode::Sql), EngineError);
}

TEST(ExprParse, ParamsAreListedOnceInOrder)
{
    auto e = parseExpression(QStringLiteral("ITEM_4=:ITEM_4 or (item_3=:b and not item_dqdm=:Item_4) or item_3 like :c"),
                             ExprMode::Sql);
    EXPECT_EQ(expressionParams(e), QStringList({QStringLiteral("item_4"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_TRUE(expressionParams(nullptr).isEmpty());
}

TEST_F(ExprEval, UnknownFieldNamesFieldAndTable)
{
    const QString message = errorFrom([&] {
        BoundExpr(parseExpression(QStringLiteral("item_4='a' and ITEM_X='b'"), ExprMode::Filter), schema, QStringLiteral("kjcg"));
    });
    EXPECT_TRUE(message.contains(QStringLiteral("数据表 kjcg")) && message.contains(QStringLiteral("字段“ITEM_X”")))
        << message.toStdString();
}

TEST_F(ExprEval, ProgramFilters)
{
    const FakeRow r = row({{"ITEM_4", text("K")},
                           {"ITEM_DQDM", text("D")},
                           {"PATENT_ST", text("1")},
                           {"ZDDM", text("item_181")},
                           {"XXDM", text("code")},
                           {"Province_i", text("v")},
                           {"ITEM_3", text("O'Brien")}});
    const char *matching[] = {
        "item_4='K' and item_dqdm='D'",
        "item_4='K' and item_dqdm='D' and patent_st=1",
        "zddm='item_181'",
        "zddm ='item_181' and xxdm ='code'",
        "xxdm='code '",
        "Province_i ='v'",
        "PROVINCE_I='v'",
        "item_3 ='O''Brien'",
        "item_4='K'and item_dqdm='D'",
        "item_4\r\n=\t'K'",
        "(item_4='K' or item_4='X') and not item_dqdm='E'",
    };
    for (const char *cond : matching)
        EXPECT_TRUE(match(cond, r)) << cond;
    const char *failing[] = {"item_4='K' and item_dqdm='E'", "patent_st=2", "xxdm='cod'", "zddm='ITEM_181'"};
    for (const char *cond : failing)
        EXPECT_FALSE(match(cond, r)) << cond;
}

TEST_F(ExprEval, TextComparesGbkBytes)
{
    const FakeRow r = row({{"ITEM_4", text("abc")}, {"ITEM_3", text("中文名称")}});
    EXPECT_TRUE(match("item_3='中文名称'", r));
    EXPECT_TRUE(match("item_3>'zzz'", r));   // double-byte text sorts after ASCII
    EXPECT_TRUE(match("item_4<'abd' and item_4>'ab' and item_4<='abc' and item_4>='abc'", r));
    EXPECT_TRUE(match("item_4<>'ABC'", r));
    EXPECT_TRUE(match("'abd'>item_4", r));   // literal on the left
    EXPECT_TRUE(match("item_dqdm=''", r));   // blank field
    EXPECT_TRUE(match("item_dqdm='   '", r));
    EXPECT_FALSE(match("item_dqdm<>''", r));
    EXPECT_TRUE(match("item_4=item_4 and item_4<>item_3", r));
}

TEST_F(ExprEval, StarLiteralIsPrefixInFiltersOnly)
{
    const FakeRow r = row({{"ITEM_4", text("200512")}});
    EXPECT_TRUE(match("item_4='2005*'", r));
    EXPECT_TRUE(match("'2005*'=item_4", r));
    EXPECT_FALSE(match("item_4='2004*'", r));
    EXPECT_TRUE(match("item_4<>'2004*'", r));
    EXPECT_FALSE(match("item_4<>'2005*'", r));
    EXPECT_TRUE(match("item_dqdm<>'2005*'", r));
    EXPECT_FALSE(match("item_4='2005*'", r, nullptr, ExprMode::Sql));
    EXPECT_TRUE(match("item_4='2005*'", row({{"ITEM_4", text("2005*")}}), nullptr, ExprMode::Sql));
}

TEST_F(ExprEval, ExactLiteralsBuiltFromValuesMatchOnlyThemselves)
{
    // A person named "张*" and a code "46*": as values they are text, never
    // patterns, in filters and statements alike; quotes are doubled.
    const FakeRow zhang = row({{"ITEM_3", text("张伟")}});
    const FakeRow star = row({{"ITEM_3", text("张*")}});
    const FakeRow quote = row({{"ITEM_3", text("O'Neil*")}});
    for (ExprMode mode : {ExprMode::Filter, ExprMode::Sql}) {
        const QString f = equalsFilter(QStringLiteral("item_3"), QStringLiteral("张*"));
        EXPECT_FALSE(match(f.toUtf8().constData(), zhang, nullptr, mode)) << qPrintable(f);
        EXPECT_TRUE(match(f.toUtf8().constData(), star, nullptr, mode)) << qPrintable(f);
        const QString q = equalsFilter(QStringLiteral("item_3"), QStringLiteral("O'Neil*"));
        EXPECT_TRUE(match(q.toUtf8().constData(), quote, nullptr, mode)) << qPrintable(q);
        EXPECT_FALSE(match((q + QStringLiteral(" and item_3<>") + exactLiteral(QStringLiteral("O'Neil*"))).toUtf8().constData(), quote, nullptr, mode));
        EXPECT_TRUE(match((QStringLiteral("item_3 = ") + exactLiteral(QStringLiteral("张伟  "))).toUtf8().constData(), zhang, nullptr, mode))
            << "trailing blanks still do not count";
    }
    EXPECT_TRUE(match("item_3='张*'", zhang)) << "a written pattern stays a pattern";

    // A prefix taken from a stored text: its own '*' and quotes are text.
    const FakeRow year = row({{"ITEM_4", text("2005000001")}});
    const FakeRow odd = row({{"ITEM_4", text("200*000001")}});
    const FakeRow quoted = row({{"ITEM_4", text("20'9000001")}});
    auto prefix = [&](const char *p, const FakeRow &r) {
        return match(prefixFilter(QStringLiteral("item_4"), QString::fromUtf8(p)).toUtf8().constData(), r);
    };
    EXPECT_TRUE(prefix("2005", year));
    EXPECT_FALSE(prefix("2005", odd));
    EXPECT_FALSE(prefix("200*", year));
    EXPECT_TRUE(prefix("200*", odd));
    EXPECT_TRUE(prefix("20'9", quoted));
    EXPECT_FALSE(prefix("20'9", year));
}

TEST_F(ExprEval, NumbersAgainstTextAndNumericFields)
{
    const FakeRow r = row({{"PATENT_ST", text("01")}, {"ITEM_45", Value::fromNumber(3)}, {"AMOUNT", Value::fromNumber(2.5)}});
    // Text field against a bare number: compared as numbers.
    EXPECT_TRUE(match("patent_st=1", r));
    EXPECT_FALSE(match("patent_st=1", row({{"PATENT_ST", text("x")}})));
    EXPECT_FALSE(match("patent_st<>1", row({{"PATENT_ST", text("x")}})));
    EXPECT_FALSE(match("patent_st<>1", row({})));
    // Numeric fields against numbers and numeric texts.
    EXPECT_TRUE(match("item_45=3 and item_45='3' and item_45>2.5 and item_45<=3.0 and amount<3", r));
    EXPECT_TRUE(match("item_45 > -1 and amount = '2.50'", r));
    EXPECT_TRUE(match("item_45 > amount", r));
    // A blank number field compares false whatever the operator.
    const FakeRow blank = row({});
    for (const char *cond : {"item_45=0", "item_45<>0", "item_45<1", "item_45>=0", "item_45='0'"})
        EXPECT_FALSE(match(cond, blank)) << cond;
    // Literals compare among themselves.
    EXPECT_FALSE(match("1=0", r));
    EXPECT_TRUE(match("1=0 or 'a'='a'", r));
    EXPECT_TRUE(match("'a'<'b' and 2>1.5 and -1<0", r));

    const QString mismatch = errorFrom([&] { match("item_45='abc'", r); });
    EXPECT_TRUE(mismatch.contains(QStringLiteral("类型不符")) && mismatch.contains(QStringLiteral("字段 item_45"))
                && mismatch.contains(QStringLiteral("'abc'")))
        << mismatch.toStdString();
}

TEST_F(ExprEval, DatesLogicalsAndMemos)
{
    const FakeRow r = row({{"ITEM_DATE", Value::fromDate(QDate(2009, 1, 2))},
                           {"DONE", Value::fromBool(true)},
                           {"NOTE", text("long text")}});
    for (const char *cond : {"item_date='2009-01-02'", "item_date='20090102'", "item_date='2009.01.02'",
                             "item_date='1/2/2009'", "item_date<'2009-01-03'", "item_date>'2008-12-31'"})
        EXPECT_TRUE(match(cond, r)) << cond;
    EXPECT_THROW(match("item_date='soon'", r), EngineError);
    EXPECT_THROW(match("item_date='2009-02-30'", r), EngineError);
    EXPECT_FALSE(match("item_date='2009-01-02'", row({})));

    EXPECT_TRUE(match("done='T' and done='y' and done<>'F'", r));
    EXPECT_TRUE(match("done='N'", row({{"DONE", Value::fromBool(false)}})));
    EXPECT_THROW(match("done='maybe'", r), EngineError);

    EXPECT_TRUE(match("note='long text' and note like '%text'", r));
    EXPECT_TRUE(match("note=''", row({})));
}

TEST_F(ExprEval, Parameters)
{
    Params p;
    p.setText(QStringLiteral("item_4"), QStringLiteral("K  "));
    p.setText(QStringLiteral("ITEM_190"), QStringLiteral("3"));
    p.set(QStringLiteral("num"), Value::fromNumber(1));
    p.set(QStringLiteral("nothing"), Value::null());
    p.setText(QStringLiteral("bad"), QStringLiteral("x"));
    const FakeRow r = row({{"ITEM_4", text("K")}, {"ITEM_45", Value::fromNumber(3)}, {"PATENT_ST", text("1")}});

    EXPECT_TRUE(match("item_4=:ITEM_4", r, &p));
    EXPECT_TRUE(match("item_45=:item_190", r, &p));   // text parameter, numeric field
    EXPECT_TRUE(match("patent_st=:num", r, &p));      // number parameter, text field
    EXPECT_FALSE(match("item_4=:nothing", r, &p));
    EXPECT_FALSE(match("item_4<>:nothing", r, &p));
    EXPECT_THROW(match("item_45=:bad", r, &p), EngineError);

    EXPECT_TRUE(errorFrom([&] { match("item_dqdm='D' or item_4=:item_5", r, &p); }).contains(QStringLiteral("参数“item_5”")));
    EXPECT_THROW(match("item_4=:item_4", r, nullptr), EngineError);
    // Short-circuit: the unset parameter is never looked at.
    EXPECT_TRUE(match("item_4='K' or item_4=:unset", r, &p));
    EXPECT_FALSE(match("item_4='X' and item_4=:unset", r, &p));
}

TEST_F(ExprEval, LogicPrecedence)
{
    const FakeRow r = row({{"ITEM_4", text("a")}});
    EXPECT_TRUE(match("item_4='a' or item_4='b' and item_4='c'", r));
    EXPECT_FALSE(match("(item_4='a' or item_4='b') and item_4='c'", r));
    EXPECT_TRUE(match("not item_4='b' and not not item_4='a'", r));
    EXPECT_FALSE(match("NOT (item_4='a' OR item_4='b')", r));
}

TEST_F(ExprEval, LongOrChain)
{
    QString cond = QStringLiteral("1=0");
    for (int i = 0; i < 3000; ++i)
        cond += QStringLiteral(" or item_4='K%1'").arg(i);
    BoundExpr e(parseExpression(cond, ExprMode::Sql), schema, QStringLiteral("t"));
    EXPECT_TRUE(e.matches(row({{"ITEM_4", text("K2999")}})));
    EXPECT_FALSE(e.matches(row({{"ITEM_4", text("K3000")}})));
}

TEST_F(ExprEval, Like)
{
    const FakeRow r = row({{"ITEM_4", text("2009abc")}, {"ITEM_45", Value::fromNumber(125)}, {"ITEM_3", text("一二三")}});
    for (const char *cond : {"item_4 like '2009%'", "item_4 like'%abc'", "item_4 like '%09a%'", "item_4 like '2009___'",
                             "item_4 like '%'", "item_4 like '2009abc  '", "item_4 not like '2010%'",
                             "item_45 like '12_'", "item_3 like '_二_'", "item_3 like '%三'", "item_dqdm like ''"})
        EXPECT_TRUE(match(cond, r)) << cond;
    for (const char *cond : {"item_4 like '2009'", "item_4 like '2009ABC'", "item_4 like '2009____'", "item_4 not like '%c'",
                             "item_3 like '______'", "item_4 like ''", "item_45 not like '%'"})
        EXPECT_FALSE(match(cond, r)) << cond;
    EXPECT_FALSE(match("item_45 like '%'", row({})));
}

TEST_F(ExprEval, LikeEscapeMakesWildcardsMatchThemselves)
{
    const FakeRow r = row({{"ITEM_3", text("节能50%方案")}, {"ITEM_4", text("A_B")}, {"NOTE", text("C:\\x%")}});
    for (const char *cond :
         {"item_3 like '%50\\%%' escape '\\'", "item_4 like 'A\\_B' escape '\\'", "item_4 like 'A!_%' escape '!'",
          "note like '%\\\\x\\%' escape '\\'", "item_3 like '%%%' escape '\\'", "item_4 not like 'A\\%' escape '\\'"})
        EXPECT_TRUE(match(cond, r)) << cond;
    for (const char *cond : {"item_3 like '%500\\%%' escape '\\'", "item_4 like 'Ax\\_B' escape '\\'",
                             "item_4 like '\\%' escape '\\'", "item_3 like '节能\\%' escape '\\'"})
        EXPECT_FALSE(match(cond, r)) << cond;
    const FakeRow plain = row({{"ITEM_4", text("AxB")}});
    EXPECT_TRUE(match("item_4 like 'A_B'", plain));
    EXPECT_FALSE(match("item_4 like 'A\\_B' escape '\\'", plain));
    // The escape is one plain character.
    for (const char *bad : {"item_4 like 'a' escape", "item_4 like 'a' escape ''", "item_4 like 'a' escape 'ab'",
                            "item_4 like 'a' escape item_3", "item_4 = 'a' escape '!'"})
        EXPECT_THROW(parseExpression(QString::fromUtf8(bad), ExprMode::Sql), EngineError) << bad;
}

TEST_F(ExprEval, LikeWalksGbkCharacters)
{
    // Two characters sharing the lead byte 0x81; the first has 0x5F ('_') as
    // its second byte.
    const QString underTrail = gbk::decode("\x81\x5F", 2);
    const QString otherTrail = gbk::decode("\x81\x60", 2);
    ASSERT_EQ(underTrail.size(), 1);
    ASSERT_NE(underTrail[0], QChar(QChar::ReplacementCharacter));
    ASSERT_EQ(otherTrail.size(), 1);
    ASSERT_NE(otherTrail[0], QChar(QChar::ReplacementCharacter));

    auto likes = [&](const QString &subject, const QString &pattern) {
        FakeRow r(schema, {{"ITEM_4", Value::fromString(subject)}});
        return BoundExpr(parseExpression(QStringLiteral("item_4 like '%1'").arg(pattern), ExprMode::Sql), schema,
                         QStringLiteral("t"))
            .matches(r);
    };
    EXPECT_TRUE(likes(underTrail, QStringLiteral("_")));
    EXPECT_FALSE(likes(underTrail, QStringLiteral("__")));
    EXPECT_TRUE(likes(QStringLiteral("x") + underTrail, QStringLiteral("x_")));
    EXPECT_TRUE(likes(underTrail + QStringLiteral("a"), QStringLiteral("_a")));
    EXPECT_TRUE(likes(underTrail, underTrail));
    // Its second byte is no wildcard inside the pattern.
    EXPECT_FALSE(likes(otherTrail, underTrail));
    EXPECT_FALSE(likes(otherTrail + QStringLiteral("z"), QStringLiteral("%") + underTrail + QStringLiteral("%")));
    // Nor is a '%' restart allowed to land inside a character (0x81 0x41 ends in 'A').
    const QString letterTrail = gbk::decode("\x81\x41", 2);
    EXPECT_FALSE(likes(letterTrail, QStringLiteral("%A")));
    EXPECT_TRUE(likes(letterTrail + QStringLiteral("A"), QStringLiteral("%A")));
}

TEST_F(ExprEval, LikeStaysFastOnHostilePatterns)
{
    const FakeRow r = row({{"ITEM_3", Value::fromBytes(QByteArray(60, 'a'))}, {"NOTE", Value::fromBytes(QByteArray(20000, 'a'))}});
    EXPECT_FALSE(match("item_3 like '%a%a%a%a%a%a%a%a%a%a%a%a%b'", r));
    EXPECT_FALSE(match("note like '%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%b'", r));
    EXPECT_TRUE(match("note like '%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%'", r));
}

TEST_F(ExprEval, ValuesAndConditions)
{
    const FakeRow r = row({{"ITEM_4", text("K")}, {"ITEM_45", Value::fromNumber(7)}});
    Params p;
    p.setText(QStringLiteral("a"), QStringLiteral("pv"));
    auto eval = [&](const char *text) {
        return BoundExpr(parseExpression(QString::fromUtf8(text), ExprMode::Sql), schema, QStringLiteral("t")).evaluate(r, &p);
    };
    EXPECT_EQ(eval("'O''Brien '").text, QByteArray("O'Brien "));
    EXPECT_EQ(eval("-1.5").number, -1.5);
    EXPECT_EQ(eval(":A").text, QByteArray("pv"));
    EXPECT_EQ(eval("item_45").number, 7);
    EXPECT_EQ(eval("item_4").text, QByteArray("K"));
    EXPECT_EQ(eval("item_4='K'").type, Value::Type::Bool);
    EXPECT_TRUE(eval("item_4='K'").boolean);

    BoundExpr bare(parseExpression(QStringLiteral("item_4"), ExprMode::Sql), schema, QStringLiteral("t"));
    EXPECT_THROW(bare.matches(r), EngineError);

    // Copies stay usable after the original is gone.
    BoundExpr copy;
    {
        BoundExpr original(parseExpression(QStringLiteral("item_4 like 'K%'"), ExprMode::Sql), schema, QStringLiteral("t"));
        copy = original;
    }
    EXPECT_TRUE(copy.matches(r));
    BoundExpr moved(std::move(copy));
    EXPECT_TRUE(moved.matches(r));
}

TEST(ExprCompareValues, Ordering)
{
    const Value null;
    const Value a = Value::fromBytes("a"), z = Value::fromBytes("z"), wide = Value::fromBytes("\xD6\xD0");
    EXPECT_LT(compareValues(null, a), 0);
    EXPECT_EQ(compareValues(null, Value()), 0);
    EXPECT_LT(compareValues(a, z), 0);
    EXPECT_LT(compareValues(z, wide), 0);   // bytes compare unsigned
    EXPECT_LT(compareValues(Value::fromBytes("ab"), Value::fromBytes("abc")), 0);
    EXPECT_EQ(compareValues(Value::fromBytes("ab  "), Value::fromBytes("ab")), 0);
    EXPECT_GT(compareValues(Value::fromNumber(10), Value::fromNumber(9.5)), 0);
    EXPECT_LT(compareValues(Value::fromDate(QDate(2008, 12, 31)), Value::fromDate(QDate(2009, 1, 1))), 0);
    EXPECT_LT(compareValues(Value::fromBool(false), Value::fromBool(true)), 0);
    EXPECT_LT(compareValues(Value::fromBytes("9"), Value::fromNumber(1)), 0);   // mixed: by type
}
