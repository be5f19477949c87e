#include "output/pages/vocabulary.h"

#include <gtest/gtest.h>

#include <QSet>

namespace {

QStringList codes(const CheckItem &item)
{
    QStringList c;
    for (const auto &o : item.options())
        c << o.code;
    return c;
}

TEST(Vocabulary, EveryItemOfBothFamilies)
{
    QStringList applied, basic;
    for (const auto &i : checkItems(FormFamily::Applied))
        applied << i.field;
    for (const auto &i : checkItems(FormFamily::BasicTheory))
        basic << i.field;
    EXPECT_EQ(applied, (QStringList{"ITEM_123", "ITEM_125_1", "ITEM_16", "ITEM_2", "ITEM_33", "ITEM_201",
                                    "ITEM_124_1", "ITEM_125", "ITEM_140", "ITEM_126", "ITEM_21", "patent_ty",
                                    "ITEM_51", "ITEM_51_1", "ITEM_32", "ITEM_161", "ITEM_32_1", "ITEM_160",
                                    "ITEM_62", "ITEM_41_3", "ITEM_163"}));
    EXPECT_EQ(basic, (QStringList{"ITEM_2", "ITEM_201", "ITEM_210", "ITEM_200", "ITEM_125", "ITEM_140",
                                  "ITEM_126", "ITEM_21", "ITEM_62", "ITEM_41_3", "ITEM_163"}));
    // Box names are unique within a family.
    for (auto f : {FormFamily::Applied, FormFamily::BasicTheory}) {
        QSet<QString> seen;
        for (const auto &i : checkItems(f))
            for (const auto &n : i.boxNames())
                EXPECT_TRUE(!seen.contains(n) && (seen.insert(n), true)) << n.toStdString();
    }
}

TEST(Vocabulary, CodesAsTheRecordsStoreThem)
{
    // The "否" box of a converted institute carries the stored "0".
    const auto &converted = checkItem(FormFamily::Applied, "ITEM_163");
    EXPECT_EQ(codes(converted), (QStringList{"1", "0"}));
    EXPECT_EQ(converted.boxName("0"), QStringLiteral("QL_ITEM_163_0"));
    EXPECT_EQ(converted.options()[1].text, QStringLiteral("否"));

    // Industries in printed order; 06 and 11..19 have no box.
    const auto &industry = checkItem(FormFamily::BasicTheory, "ITEM_125");
    EXPECT_EQ(industry.options().size(), 20);
    EXPECT_EQ(industry.lines.size(), 7);
    EXPECT_EQ(codes(industry).mid(5, 3), (QStringList{"07", "20", "08"}));
    for (const char *none : {"06", "11", "15", "19", "6", "1"})
        EXPECT_FALSE(industry.hasCode(none)) << none;

    // The organisation attribute has no box for enterprises.
    EXPECT_EQ(codes(checkItem(FormFamily::Applied, "ITEM_62")), (QStringList{"1", "2", "4", "9"}));
    EXPECT_EQ(checkItem(FormFamily::Applied, "ITEM_41_3").options().size(), 11);
    EXPECT_EQ(checkItem(FormFamily::Applied, "ITEM_124_1").lines.size(), 3);
    EXPECT_EQ(checkItem(FormFamily::BasicTheory, "ITEM_200").lines.size(), 4);
    EXPECT_EQ(checkItem(FormFamily::Applied, "ITEM_123").lines.size(), 3);
}

TEST(Vocabulary, FamiliesDifferWhereTheFormsDo)
{
    const auto &rjEval = checkItem(FormFamily::BasicTheory, "ITEM_21");
    EXPECT_EQ(rjEval.boxNames(), (QStringList{"QR_ITEM_21_2", "QR_ITEM_21_4", "QR_ITEM_21_6", "QR_ITEM_21_8"}));
    EXPECT_FALSE(rjEval.hasCode("1"));
    EXPECT_EQ(codes(checkItem(FormFamily::Applied, "ITEM_21")), (QStringList{"1", "2", "3", "5", "8"}));
    EXPECT_EQ(checkItem(FormFamily::Applied, "ITEM_140").options()[0].text, QStringLiteral("高技术研究发展计划（863计划）"));
    EXPECT_EQ(checkItem(FormFamily::BasicTheory, "ITEM_140").options()[0].text, QStringLiteral("高技术研究发展计划(863计划)"));
    EXPECT_EQ(checkItem(FormFamily::Applied, "patent_ty").boxName("1"), QStringLiteral("QL_patent_ty_1"));
    EXPECT_THROW(checkItem(FormFamily::BasicTheory, "ITEM_123"), std::out_of_range);

    // The reason block: one group box per line, its reasons beside it.
    const auto &groups = checkItem(FormFamily::Applied, "ITEM_32_1");
    const auto &reasons = checkItem(FormFamily::Applied, "ITEM_160");
    ASSERT_EQ(groups.lines.size(), reasons.lines.size());
    for (int i = 0; i < groups.lines.size(); ++i)
        for (const auto &r : reasons.lines[i])
            EXPECT_EQ(r.code.left(1), groups.lines[i][0].code);
}

TEST(Vocabulary, MalformedFilesAreRefusedWithTheirLine)
{
    EXPECT_THROW(parseVocabulary("1 a | 2 b\n", FormFamily::Applied), std::runtime_error);
    EXPECT_THROW(parseVocabulary("[ITEM_2 QL_ single yy:3 x]\n1 a | 1 b\n", FormFamily::Applied), std::runtime_error);
    EXPECT_THROW(parseVocabulary("[ITEM_2 QL single yy:3 x]\n1 a\n", FormFamily::Applied), std::runtime_error);
    EXPECT_THROW(parseVocabulary("[ITEM_2 QL_ single zz:3 x]\n1 a\n", FormFamily::Applied), std::runtime_error);
    EXPECT_THROW(parseVocabulary("[ITEM_2 QL_ single yy:3 x]\n123 a\n", FormFamily::Applied), std::runtime_error);
    try {
        parseVocabulary("# c\n[ITEM_2 QL_ single yy:3 x]\n1 a\n2\n", FormFamily::Applied);
        FAIL();
    } catch (const std::runtime_error &e) {
        EXPECT_NE(std::string(e.what()).find("line 4"), std::string::npos);
    }
    EXPECT_TRUE(parseVocabulary("[ITEM_2 QL_ single rj:3 x]\n1 a\n", FormFamily::Applied).isEmpty());
}

} // namespace
