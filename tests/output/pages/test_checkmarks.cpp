#include "output/pages/checkmarks.h"

#include "data/codetexts.h"

#include <gtest/gtest.h>

namespace {

using S = QStringList;

TEST(CheckMarks, StoredValuesTickTheirBoxes)
{
    const S boxes = {"QL_ITEM_51_1", "QL_ITEM_51_3", "QL_ITEM_51_9", "QL_ITEM_51_2"};
    // A bare code as stored, not trimmed.
    EXPECT_EQ(labelsToMark(boxes, "ITEM_51", "3"), S{"QL_ITEM_51_3"});
    EXPECT_TRUE(labelsToMark(boxes, "ITEM_51", " 3").isEmpty());
    // Lists tick their first three codes only.
    EXPECT_EQ(labelsToMark(boxes, "ITEM_51", "1;3;9;2;"), (S{"QL_ITEM_51_1", "QL_ITEM_51_3", "QL_ITEM_51_9"}));
    // A second code without its ";" is no code.
    EXPECT_EQ(labelsToMark(boxes, "ITEM_51", "1;3"), S{"QL_ITEM_51_1"});
    EXPECT_EQ(codesToMark(" 1 ; 3 ;"), (S{"1", "3"}));
    EXPECT_TRUE(codesToMark("").isEmpty());
    EXPECT_TRUE(codesToMark(";;").isEmpty());
}

TEST(CheckMarks, CodesCompareAsText)
{
    const S boxes = {"QL_ITEM_124_1_01", "QL_ITEM_124_1_10", "QL_ITEM_124_1_1"};
    EXPECT_EQ(labelsToMark(boxes, "ITEM_124_1", "01"), S{"QL_ITEM_124_1_01"});
    EXPECT_EQ(labelsToMark(boxes, "ITEM_124_1", "1"), S{"QL_ITEM_124_1_1"});
    EXPECT_TRUE(labelsToMark(boxes, "item_124_1", "01").isEmpty());
    // Any three-character prefix, and lower-case field names.
    EXPECT_TRUE(isCheckLabel("QR_ITEM_21_8", "ITEM_21", "8"));
    EXPECT_TRUE(isCheckLabel("QL_patent_ty_3", "patent_ty", "3"));
    EXPECT_FALSE(isCheckLabel("QL_ITEM_2_1", "ITEM_2", ""));
    EXPECT_FALSE(isCheckLabel("QL_ITEM_2", "ITEM_2", "1"));
}

TEST(CheckMarks, OnlyDataLabelsAreCleared)
{
    const S names = {"QL_ITEM_2_1", "QR_ITEM_34", "QL_patent_ty_1", "ITEM_2", "item_14_1", "QR_item_22",
                     "QRLabel44", "QRPage", "QLL_zlqk_zlh_1"};
    EXPECT_EQ(labelsToClear(names), (S{"QL_ITEM_2_1", "QR_ITEM_34", "QL_patent_ty_1"}));
}

TEST(CodeTexts, OneSetOfTables)
{
    using namespace codetexts;
    EXPECT_EQ(text(sex(), "0"), QStringLiteral("男"));
    EXPECT_EQ(text(sex(), "1"), QStringLiteral("女"));
    EXPECT_EQ(text(title(), "b"), QStringLiteral("中科院院士"));
    EXPECT_EQ(text(title(), "c"), QStringLiteral("工程院院士"));
    EXPECT_EQ(text(title(), "B"), QString());
    EXPECT_EQ(text(education(), "1"), QString());
    EXPECT_EQ(text(education(), "2"), QStringLiteral("博士研究生"));
    EXPECT_EQ(text(abroad(), "0"), QStringLiteral("否"));
    EXPECT_EQ(text(abroad(), " 1"), QString());
}

} // namespace
