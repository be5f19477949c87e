// Reading the record to print from a data folder, as the print command does.
#include "data/dm.h"
#include "output/fill/printprep.h"
#include "output/fill/printrecord.h"
#include "output/fill/fills.h"
#include "output/layouts/pages.h"
#include "db/error.h"
#include "seed_loader.h"
#include "support/tablerows.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PrintRecordTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString data = tmp.path() + QStringLiteral("/data");
    std::unique_ptr<TDM> dm;

    void SetUp() override
    {
        seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), data);
        dm = std::make_unique<TDM>(data);
        DM = dm.get();
    }
    void TearDown() override
    {
        DM = nullptr;
        dm.reset();
    }
    void add(const QString &table, const testsupport::Cells &cells) { testsupport::appendRow(data, table, cells); }
    output::PrintRecord readRecord()
    {
        dm->OpenQuerySQL(dm->Qrykjcg, QStringLiteral("select * from kjcg"));
        EXPECT_TRUE(output::closeKnowledgeForms(*dm).isEmpty());
        EXPECT_TRUE(output::openPrintLists(*dm));
        return output::readPrintRecord(*dm);
    }
};

} // namespace

TEST_F(PrintRecordTest, ReadsRecordListsAndCodeNamesOnce)
{
    add(QStringLiteral("kjcg"), {{"ITEM_4", "2024000001"}, {"ITEM_DQDM", "110"}, {"ITEM_CGLB", "1"},
                                 {"ITEM_3", "桥面铺装"}, {"ITEM_64", "11"}, {"ITEM_63", "103"},
                                 {"ITEM_15", "110"}, {"ITEM_12", "TP3"}, {"ITEM_12_1", "ZZ9"},
                                 {"ITEM_46", "02"}, {"ITEM_51", "1"}, {"ITEM_121", "2024-05-18"}});
    for (auto [order, name, rank] : {std::tuple{"1", "委员甲", "3"}, {"2", "主任", "1"}, {"3", "副主任", "2"}})
        add(QStringLiteral("jdwyhmd"), {{"ITEM_4", "2024000001"}, {"ITEM_DQDM", "110"}, {"ITEM_190", order},
                                        {"ITEM_192", name}, {"ITEM_194", rank}});
    add(QStringLiteral("cgwcr"), {{"ITEM_4", "2024000001"}, {"ITEM_DQDM", "110"}, {"ITEM_187", "2"}, {"ITEM_180", "乙"}});
    add(QStringLiteral("cgwcr"), {{"ITEM_4", "2024000001"}, {"ITEM_DQDM", "110"}, {"ITEM_187", "1"}, {"ITEM_180", "甲"}});
    add(QStringLiteral("cgwcr"), {{"ITEM_4", "2024000002"}, {"ITEM_DQDM", "110"}, {"ITEM_187", "1"}, {"ITEM_180", "别人"}});
    add(QStringLiteral("zlqk"), {{"ITEM_4", "2024000001"}, {"ITEM_DQDM", "110"}, {"PATENT_NO", "ZL1"}, {"PATENT_ST", "2"},
                                 {"PATENT_TY", "1"}});

    output::PrintRecord p = readRecord();
    EXPECT_TRUE(p.applied());
    EXPECT_EQ(p.value(QStringLiteral("item_3")), QStringLiteral("桥面铺装"));
    EXPECT_EQ(p.value(QStringLiteral("ITEM_51")), QStringLiteral("1;")); // closed by the print command
    EXPECT_EQ(p.value(QStringLiteral("ITEM_121")), QStringLiteral("2024-05-18"));
    EXPECT_EQ(p.value(QStringLiteral("ITEM_51_1")), QStringLiteral("3"));   // derived from the granted patent
    EXPECT_EQ(p.value(QStringLiteral("patent_ty")), QStringLiteral("1;"));
    ASSERT_EQ(p.persons.size(), 2u);
    EXPECT_EQ(p.persons[0].value(QStringLiteral("ITEM_180")), QStringLiteral("甲"));
    ASSERT_EQ(p.committee.size(), 3u);
    EXPECT_EQ(p.committee[0].value(QStringLiteral("ITEM_192")), QStringLiteral("主任"));
    EXPECT_EQ(p.committee[2].value(QStringLiteral("ITEM_192")), QStringLiteral("委员甲"));
    ASSERT_EQ(p.patents.size(), 1u);
    EXPECT_EQ(p.province, QStringLiteral("北京市"));
    EXPECT_EQ(p.department, QStringLiteral("科学技术部"));
    EXPECT_EQ(p.subject1, QStringLiteral("数学"));
    EXPECT_EQ(p.library1, QStringLiteral("TP3"));
    EXPECT_EQ(p.library2, QString()); // not in the library table
    EXPECT_EQ(p.investment, QStringLiteral("100～500万元"));
    EXPECT_TRUE(p.subjectError.isEmpty());
    EXPECT_TRUE(p.libraryError.isEmpty());
}

// Without the library table the applied-technology page 3 is refused with a
// message that names the folder looked in; the other family's page 3, which
// prints library codes as stored, is not.
TEST_F(PrintRecordTest, AMissingLibraryTableIsNamedWithItsFolderAndOnlyTheAppliedPageNeedsIt)
{
    TearDown();
    ASSERT_TRUE(QFile::remove(data + QStringLiteral("/ztflh.dbf")));
    dm = std::make_unique<TDM>(data);
    DM = dm.get();
    add(QStringLiteral("kjcg"), {{"ITEM_4", "2024000003"}, {"ITEM_DQDM", "110"}, {"ITEM_CGLB", "2"},
                                 {"ITEM_12", "TP3"}, {"ITEM_15", "110"}});
    const output::PrintRecord p = readRecord();
    EXPECT_TRUE(p.subjectError.isEmpty());
    EXPECT_EQ(p.libraryError, QStringLiteral("在 %1 中找不到数据表 ztflh.dbf").arg(QDir::toNativeSeparators(QDir::cleanPath(data))));
    report::ReportForm page = layouts::buildPage(QStringLiteral("TrjPrint03"));
    output::fillBasic03(page, p);
    EXPECT_EQ(page.text(QStringLiteral("QR_item_12")), QStringLiteral("TP3"));
    report::ReportForm applied = layouts::buildPage(QStringLiteral("TyyPrint03"));
    try {
        output::fillApplied03(applied, p);
        ADD_FAILURE() << "the applied page printed without its library table";
    } catch (const db::EngineError &e) {
        EXPECT_EQ(e.message(), p.libraryError);
    }
}

TEST_F(PrintRecordTest, CodesWithQuotesOrStarsFindNothingInsteadOfFailingOrMatchingAPrefix)
{
    add(QStringLiteral("kjcg"), {{"ITEM_4", "2024'0001"}, {"ITEM_DQDM", "1'0"}, {"ITEM_CGLB", "2"},
                                 {"ITEM_64", "1*"}, {"ITEM_63", "'1"}, {"ITEM_15", "11*"}});
    add(QStringLiteral("cgwcr"), {{"ITEM_4", "2024'0001"}, {"ITEM_DQDM", "1'0"}, {"ITEM_187", "1"}, {"ITEM_180", "甲"}});
    add(QStringLiteral("zlqk"), {{"ITEM_4", "2024'0001"}, {"ITEM_DQDM", "1'0"}, {"PATENT_NO", "ZL9"}, {"PATENT_ST", "1"}});
    output::PrintRecord p = readRecord();
    EXPECT_FALSE(p.applied());
    EXPECT_EQ(p.province, QString());
    EXPECT_EQ(p.department, QString());
    EXPECT_EQ(p.subject1, QString());
    ASSERT_EQ(p.persons.size(), 1u);
    ASSERT_EQ(p.patents.size(), 1u);
    EXPECT_EQ(p.patents[0].value(QStringLiteral("PATENT_NO")), QStringLiteral("ZL9"));
    EXPECT_EQ(output::quotedLiteral(QStringLiteral("a'b*")), QStringLiteral("#'a''b*'"));
}
