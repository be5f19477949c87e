// The value routines: dictionary lists, periods, keywords, dates, padding.

#include "output/word/wordvalues.h"

#include <gtest/gtest.h>

using namespace word;

namespace {
CodeTables tables()
{
    CodeTables t;
    t.addDict("k", "1", QStringLiteral("甲"));
    t.addDict("k", "2", QStringLiteral("乙"));
    t.addDict("k", "3", QStringLiteral("丙"));
    t.addDict("k", "1", QStringLiteral("后来的甲"));
    return t;
}
} // namespace

TEST(WordValues, DictionaryNames)
{
    const CodeTables t = tables();
    EXPECT_EQ(getDictName(t, "k", "1"), QStringLiteral("甲")) << "the first row of a code wins";
    EXPECT_EQ(getDictName(t, "k", "9"), QString());
    EXPECT_EQ(getDictName(t, "other", "1"), QString());

    EXPECT_EQ(getDictNames2(t, "k", ""), QString());
    EXPECT_EQ(getDictNames2(t, "k", "2"), QStringLiteral("乙"));
    EXPECT_EQ(getDictNames2(t, "k", "2;"), QStringLiteral("乙;"));
    EXPECT_EQ(getDictNames2(t, "k", " 1 ; 3;"), QStringLiteral("甲;丙"));
    EXPECT_EQ(getDictNames2(t, "k", "1;2;3;"), QStringLiteral("甲;乙")) << "a third code is ignored";
    EXPECT_EQ(getDictNames2(t, "k", "1;2"), QStringLiteral("甲;")) << "a second code needs its ;";

    EXPECT_EQ(getDictNameList(t, "k", ""), QString());
    EXPECT_EQ(getDictNameList(t, "k", "1;2;3;"), QStringLiteral("甲;乙;丙;"));
    EXPECT_EQ(getDictNameList(t, "k", "1;3"), QStringLiteral("甲;")) << "a last code without ; is dropped";
    EXPECT_EQ(getDictNameList(t, "k", "3"), QStringLiteral(";"));
}

TEST(WordValues, Periods)
{
    EXPECT_EQ(splitDateRange(QStringLiteral("2004.01   至2006.12")),
              std::make_pair(QStringLiteral("2004年01月"), QStringLiteral("2006年12月")));
    EXPECT_EQ(splitDateRange(QString()), std::make_pair(QString(), QString()));
    EXPECT_EQ(splitDateRange(QStringLiteral("   至2006.12")), std::make_pair(QString(), QStringLiteral("2006年12月")));
    EXPECT_EQ(splitDateRange(QStringLiteral("2004.01")), std::make_pair(QStringLiteral("2004年01月"), QString()));
    EXPECT_EQ(splitDateRange(QStringLiteral("2004.01至2006.12")),
              std::make_pair(QStringLiteral("2004年01月"), QStringLiteral("2006年12月")))
        << "a period without blanks keeps the last digit of its start";
}

TEST(WordValues, KeywordsAndDates)
{
    using A = std::array<QString, 3>;
    EXPECT_EQ(splitSemicolon3(QStringLiteral("甲")), (A{QStringLiteral("甲"), {}, {}}));
    EXPECT_EQ(splitSemicolon3(QStringLiteral("甲;乙")), (A{QStringLiteral("甲"), QStringLiteral("乙"), {}}));
    EXPECT_EQ(splitSemicolon3(QStringLiteral("甲;乙;丙;丁")), (A{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}));
    EXPECT_EQ(splitSemicolon3(QString()), (A{}));

    EXPECT_EQ(splitDate(QStringLiteral("2006.05.17")), (A{"2006", "05", "17"}));
    EXPECT_EQ(splitDate(QStringLiteral("2006-05-17")), (A{"2006", "05", "17"})) << "cut by position";
    EXPECT_EQ(splitDate(QString()), (A{}));
    EXPECT_EQ(splitDate(QStringLiteral("2006.05")), (A{"2006", "05", ""}));
    // Double-byte characters count two bytes and are never cut in half.
    EXPECT_EQ(splitDate(QStringLiteral("二〇.05.17")), (A{QStringLiteral("二〇"), "05", "17"}));
}

TEST(WordValues, PaddingCountsGbkBytes)
{
    EXPECT_EQ(padded(QString(), 42), QStringLiteral("\r"));
    EXPECT_EQ(padded(QStringLiteral("名") + QString(39, u'x'), 42), QStringLiteral("名") + QString(39, u'x') + "\r");
    EXPECT_EQ(padded(QStringLiteral("名") + QString(40, u'x'), 42), QStringLiteral("名") + QString(40, u'x'));
}

TEST(WordValues, CodeToTextTables)
{
    EXPECT_EQ(sexText("0"), QStringLiteral("男"));
    EXPECT_EQ(sexText("1"), QStringLiteral("女"));
    EXPECT_EQ(sexText(" 1"), QString());
    EXPECT_EQ(titleText("b"), QStringLiteral("中科院院士"));
    EXPECT_EQ(titleText("c"), QStringLiteral("工程院院士"));
    EXPECT_EQ(titleText("C"), QString());
    EXPECT_EQ(educationText("1"), QString());
    EXPECT_EQ(educationText("6"), QStringLiteral("中专"));
    EXPECT_EQ(abroadText("0"), QStringLiteral("否"));
}
