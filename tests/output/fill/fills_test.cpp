// The fills' rules on small forms that carry just the named labels.
#include "output/fill/fills.h"
#include "report/layout.h"
#include "support/printsamples.h"

#include <gtest/gtest.h>

using namespace output;
using testsupport::emptyPrintRecord;
using testsupport::richPrintRecord;

namespace {

report::ReportForm labels(std::initializer_list<const char *> names)
{
    report::ReportForm f(QStringLiteral("t"));
    report::Band &b = f.addBand(report::BandKind::Title, 100);
    double y = 0;
    for (const char *n : names) {
        b.label(QLatin1String(n), {0, y, 100, 4}, QStringLiteral("placeholder"));
        y += 4;
    }
    return f;
}

// A list page: header, detail rows of 8 mm over `dataset`, optional summary, footer.
report::ReportForm listPage(const QString &dataset, double header, double summary)
{
    report::ReportForm f(QStringLiteral("list"));
    f.addBand(report::BandKind::ColumnHeader, header);
    f.addBand(report::BandKind::Detail, 8, dataset)
        .data(QStringLiteral("QRDBText1"), {0, 0, 40, 8}, QStringLiteral("ITEM_180"), dataset);
    if (summary > 0)
        f.addBand(report::BandKind::Summary, summary).atPageFoot = true;
    report::Band &foot = f.addBand(report::BandKind::PageFooter, 10);
    foot.pageNumber(QStringLiteral("QRSysData1"), {0, 0, 190, 8}, QStringLiteral("10--"));
    foot.label(QStringLiteral("QRpage"), {0, 0, 190, 8}, QStringLiteral("10"));
    return f;
}

} // namespace

TEST(PageFills, CutsAndCommitteeRowsClampAndPad)
{
    EXPECT_EQ(chars(QStringLiteral("20240518"), 7, 8), QStringLiteral("18"));
    EXPECT_EQ(chars(QStringLiteral("2024"), 5, 6), QString());
    EXPECT_EQ(chars(QStringLiteral("20245"), 5, 6), QStringLiteral("5"));
    EXPECT_EQ(chars(QString(), 1, 4), QString());
    for (auto [n, rows] : {std::pair{0, 13}, {13, 13}, {14, 34}, {34, 34}, {35, 55}})
        EXPECT_EQ(committeeRows(n, Family::Applied), rows) << n;
    for (auto [n, rows] : {std::pair{0, 15}, {15, 15}, {16, 37}, {37, 37}})
        EXPECT_EQ(committeeRows(n, Family::Basic), rows) << n;
}

TEST(PageFills, CoverSplitsPeriodAndDateAndEmptiesThemForAnEmptyRecord)
{
    report::ReportForm f = labels({"item_8_1", "item_8_2", "item_8_3", "item_8_4", "item_121_1", "item_121_2", "item_121_3"});
    fillCover(f, richPrintRecord(true));
    QStringList got;
    for (const char *n : {"item_8_1", "item_8_2", "item_8_3", "item_8_4", "item_121_1", "item_121_2", "item_121_3"})
        got << f.text(QLatin1String(n));
    EXPECT_EQ(got, (QStringList{"2019", "03", "2023", "11", "2024", "05", "18"}));
    // A period stored with a dash keeps its end date.
    PrintRecord dashed = richPrintRecord(true);
    dashed.record.set(QStringLiteral("ITEM_8"), QStringLiteral("2019.03-2023.11"));
    fillCover(f, dashed);
    EXPECT_EQ(f.text(QStringLiteral("item_8_3")), QStringLiteral("2023"));
    EXPECT_EQ(f.text(QStringLiteral("item_8_4")), QStringLiteral("11"));
    fillCover(f, emptyPrintRecord(true));
    for (const char *n : {"item_8_1", "item_8_4", "item_121_1", "item_121_3"})
        EXPECT_EQ(f.text(QLatin1String(n)), QString()) << n;
}

TEST(PageFills, KeywordsSubjectsAndCheckMarksOfPage3)
{
    report::ReportForm f = labels({"item_14_1", "item_14_2", "item_14_3", "item_15", "item_15_1", "item_12", "item_12_1",
                                   "QL_ITEM_123_3", "QL_ITEM_123_7", "QL_ITEM_123_1", "QL_ITEM_124_1_06",
                                   "QL_ITEM_124_1_6", "QL_ITEM_2_2"});
    PrintRecord rec = richPrintRecord(true);
    rec.record.set(QStringLiteral("ITEM_14"), QStringLiteral(" 甲 ;乙;丙;"));
    fillApplied03(f, rec);
    EXPECT_EQ(f.text(QStringLiteral("item_14_1")), QStringLiteral("甲"));
    EXPECT_EQ(f.text(QStringLiteral("item_14_2")), QStringLiteral("乙"));
    EXPECT_EQ(f.text(QStringLiteral("item_14_3")), QStringLiteral("丙;"));
    EXPECT_EQ(f.text(QStringLiteral("item_15")), QStringLiteral("道路工程"));
    EXPECT_EQ(f.text(QStringLiteral("item_12_1")), QStringLiteral("TB33"));
    EXPECT_EQ(f.text(QStringLiteral("QL_ITEM_123_3")), QStringLiteral("√"));
    EXPECT_EQ(f.text(QStringLiteral("QL_ITEM_123_7")), QStringLiteral("√"));
    EXPECT_EQ(f.text(QStringLiteral("QL_ITEM_123_1")), QString());
    EXPECT_EQ(f.text(QStringLiteral("QL_ITEM_124_1_06")), QStringLiteral("√"));
    EXPECT_EQ(f.text(QStringLiteral("QL_ITEM_124_1_6")), QString());
    EXPECT_EQ(f.text(QStringLiteral("QL_ITEM_2_2")), QStringLiteral("√"));

    // Refilled for an empty record: nothing of the first one stays.
    fillApplied03(f, emptyPrintRecord(true));
    for (const char *n : {"item_14_1", "item_14_2", "item_14_3", "item_15", "item_12", "QL_ITEM_123_3", "QL_ITEM_2_2"})
        EXPECT_EQ(f.text(QLatin1String(n)), QString()) << n;

    // A classification table that could not be opened refuses the page
    // that looks codes up in it: both families look up subjects, only the
    // applied family library codes.
    PrintRecord broken = richPrintRecord(true);
    broken.subjectError = QStringLiteral("xkfl.dbf 不存在");
    EXPECT_THROW(fillApplied03(f, broken), std::exception);
    EXPECT_THROW(fillBasic03(f, broken), std::exception);
    broken.subjectError.clear();
    broken.libraryError = QStringLiteral("ztflh.dbf 不存在");
    EXPECT_THROW(fillApplied03(f, broken), std::exception);
    EXPECT_NO_THROW(fillBasic03(f, broken));
}

TEST(PageFills, PatentRowsTakeTheFirstSixOfEachStatus)
{
    std::vector<const char *> names;
    report::ReportForm f = labels({"QL_zlqk_zlh_1", "QL_zlqk_zlm_1", "QL_zlqk_zlh_6", "QLL_zlqk_zlh_1", "QLL_zlqk_zlh_2",
                                   "QR_ITEM_34", "QRLabel44", "QRLabel45", "QL_patent_ty_1"});
    PrintRecord rec = richPrintRecord(true, 0, 0, 0, 16); // 8 granted, 8 accepted
    fillApplied05(f, rec);
    EXPECT_EQ(f.text(QStringLiteral("QL_zlqk_zlh_1")), QStringLiteral("ZL20211034567%1.X").arg(0));
    EXPECT_EQ(f.text(QStringLiteral("QL_zlqk_zlh_6")), QStringLiteral("ZL20211034567%1.X").arg(10));
    EXPECT_EQ(f.text(QStringLiteral("QLL_zlqk_zlh_1")), QStringLiteral("ZL20211034567%1.X").arg(1));
    EXPECT_EQ(f.text(QStringLiteral("QR_ITEM_34")), QStringLiteral("2023.12.20"));
    EXPECT_EQ(f.text(QStringLiteral("QRLabel44")), QStringLiteral("100～500万元"));
    EXPECT_EQ(f.text(QStringLiteral("QL_patent_ty_1")), QStringLiteral("√"));

    fillApplied05(f, richPrintRecord(true, 0, 0, 0, 1)); // one granted patent only
    EXPECT_EQ(f.text(QStringLiteral("QL_zlqk_zlh_6")), QString());
    EXPECT_EQ(f.text(QStringLiteral("QLL_zlqk_zlh_1")), QString());
}

TEST(PageFills, ListsCopyRowsAddBlanksAndChooseTheFooterFromLaidOutPages)
{
    PrintLists lists;
    // 30 mm header, 8 mm rows, 40 mm summary, 10 mm footer: 237 mm under the
    // header; 24 rows fit with the summary, 25 do not.
    report::ReportForm persons = listPage(QStringLiteral("ClientDataSet2"), 30, 40);
    fillPersons(persons, richPrintRecord(true, 0), lists, Family::Applied);
    EXPECT_EQ(lists.ClientDataSet2.rowCount(), 1);
    EXPECT_FALSE(persons.find(QStringLiteral("QRSysData1"))->visible);
    EXPECT_TRUE(persons.find(QStringLiteral("QRpage"))->visible);

    // 23 persons and the blank row fit with the summary; with 24 the blank
    // row gives way rather than push the summary onto a sheet of its own.
    fillPersons(persons, richPrintRecord(true, 23), lists, Family::Applied);
    EXPECT_EQ(report::layout(persons).pages[0].detailRows(), 24);
    EXPECT_TRUE(persons.find(QStringLiteral("QRpage"))->visible);
    fillPersons(persons, richPrintRecord(true, 24), lists, Family::Applied);
    EXPECT_EQ(lists.ClientDataSet2.rowCount(), 25);
    EXPECT_TRUE(lists.ClientDataSet2.isPadding(24));
    EXPECT_EQ(report::layout(persons).pageCount(), 1);
    EXPECT_EQ(report::layout(persons).pages[0].detailRows(), 24);

    // 25 persons: the last one goes over with the summary.
    fillPersons(persons, richPrintRecord(true, 25), lists, Family::Applied);
    report::Document doc = report::layout(persons);
    ASSERT_EQ(doc.pageCount(), 2);
    EXPECT_EQ(doc.pages[0].detailRows(), 24);
    EXPECT_GE(doc.pages[1].detailRows(), 1);
    EXPECT_TRUE(persons.find(QStringLiteral("QRSysData1"))->visible);
    EXPECT_FALSE(persons.find(QStringLiteral("QRpage"))->visible);
    EXPECT_EQ(doc.pages[1].text(QStringLiteral("QRSysData1")), QStringLiteral("10--2"));
    // Codes as texts; the last row blank.
    EXPECT_EQ(lists.ClientDataSet2.value(1, QStringLiteral("ITEM_181")), QStringLiteral("女"));
    EXPECT_EQ(lists.ClientDataSet2.value(0, QStringLiteral("ITEM_183")), QStringLiteral("正高"));
    EXPECT_EQ(lists.ClientDataSet2.value(0, QStringLiteral("ITEM_184")), QStringLiteral("硕士研究生"));
    EXPECT_EQ(lists.ClientDataSet2.value(0, QStringLiteral("ITEM_188")), QStringLiteral("否"));
    EXPECT_EQ(lists.ClientDataSet2.value(25, QStringLiteral("ITEM_180")), QString());

    report::ReportForm committee = listPage(QStringLiteral("ClientDataSet1"), 30, 0);
    fillCommittee(committee, richPrintRecord(true, 0, 14), lists, Family::Applied);
    EXPECT_EQ(lists.ClientDataSet1.rowCount(), 34);
    EXPECT_EQ(lists.ClientDataSet1.value(0, QStringLiteral("ITEM_198")), QStringLiteral("中科院院士"));
    EXPECT_EQ(lists.ClientDataSet1.value(0, QStringLiteral("ITEM_193")), QStringLiteral("男"));
    EXPECT_EQ(lists.ClientDataSet1.value(14, QStringLiteral("ITEM_192")), QString());
    EXPECT_TRUE(lists.ClientDataSet1.isPadding(14));
    EXPECT_FALSE(lists.ClientDataSet1.isPadding(13));
    // 29 rows fit a page of this list: the padding does not start a second.
    EXPECT_FALSE(committee.find(QStringLiteral("QRSysData1"))->visible);
    fillCommittee(committee, richPrintRecord(true, 0, 30), lists, Family::Applied);
    EXPECT_TRUE(committee.find(QStringLiteral("QRSysData1"))->visible);

    report::ReportForm orgs = listPage(QStringLiteral("ClientDataSet3"), 30, 0);
    fillOrganisations(orgs, richPrintRecord(true, 0, 0, 3), lists, Family::Applied);
    EXPECT_EQ(lists.ClientDataSet3.rowCount(), 8);
    EXPECT_EQ(lists.ClientDataSet3.value(3, QStringLiteral("ITEM_170")), QString());
    EXPECT_TRUE(lists.ClientDataSet3.isPadding(3));
    fillOrganisations(orgs, richPrintRecord(false, 0, 0, 10), lists, Family::Basic);
    EXPECT_EQ(lists.ClientDataSet3.rowCount(), 8);
    EXPECT_EQ(lists.ClientDataSet3.value(7, QStringLiteral("ITEM_176")), QStringLiteral("8"));
    fillOrganisations(orgs, richPrintRecord(false, 0, 0, 3), lists, Family::Basic);
    EXPECT_EQ(lists.ClientDataSet3.rowCount(), 3);
}
