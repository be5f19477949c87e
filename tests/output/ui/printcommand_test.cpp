// "打印" of the main window: the print dialog opens for the current record,
// read once after the print preparation.
#include "output/ui/printform.h"
#include "recordingsink.h"
#include "support/seededfolder.h"

#include <QApplication>
#include <QPushButton>

namespace {

class PrintCommandTest : public testsupport::SeededFolderTest {
protected:
    void SetUp() override
    {
        SeededFolderTest::SetUp();
        addOrganisation();
    }
    // A complete record with twenty persons.
    void addRecord(const QString &key, const QString &category)
    {
        addCompleteRecord(key, category, QStringLiteral("高效节能电机"),
                          {{QStringLiteral("ITEM_121"), QStringLiteral("2010-03-09")}});
        for (int i = 1; i <= 20; ++i)
            add(QStringLiteral("cgwcr"), {{QStringLiteral("ITEM_4"), key}, {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                                          {QStringLiteral("ITEM_187"), QString::number(i)},
                                          {QStringLiteral("ITEM_180"), QStringLiteral("张伟%1").arg(i)}});
    }
};

} // namespace

TEST_F(PrintCommandTest, PrintOpensTheDialogForTheRecordAndPrintsItsPages)
{
    addRecord(QStringLiteral("2010000001"), QStringLiteral("1"));
    startWindows();
    RecordingSink sink;
    seams.onModal(QStringLiteral("PrintForm"), [&](QDialog *d) {
        auto *form = static_cast<TPrintForm *>(d);
        EXPECT_EQ(form->pages().record().value(QStringLiteral("ITEM_3")), QStringLiteral("高效节能电机"));
        EXPECT_EQ(form->pages().record().persons.size(), 20u);
        EXPECT_TRUE(form->YY_Button->isVisible());
        form->Button4->click();
        form->findChild<QPushButton *>(QStringLiteral("zBitBtn2"))->click(); // the persons list
        form->findChild<QPushButton *>(QStringLiteral("zBitBtn5"))->click(); // the cover
        return 1;
    });
    MainForm->findChild<QPushButton *>(QStringLiteral("BitBtn4"))->click();
    ASSERT_EQ(sink.jobs.size(), 3u);
    EXPECT_EQ(sink.jobs[0].pageTexts, QStringList{QStringLiteral("6--1")});
    EXPECT_EQ(sink.jobs[1].pageTexts, QStringList{QStringLiteral("6--2")});
    EXPECT_EQ(sink.jobs[2].report, QStringLiteral("yyfm1"));
}

TEST_F(PrintCommandTest, AnIncompleteRecordOpensNothing)
{
    add(QStringLiteral("kjcg"), {{QStringLiteral("ITEM_4"), QStringLiteral("2010000002")},
                                 {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                                 {QStringLiteral("ITEM_CGLB"), QStringLiteral("1")},
                                 {QStringLiteral("ITEM_51"), QStringLiteral("2")}});
    startWindows();
    // The start has marked the record incomplete and locked "打印".
    EXPECT_FALSE(MainForm->BitBtn4->isEnabled());
    EXPECT_TRUE(MainForm->BitBtn4->toolTip().contains(QStringLiteral("成果概况没有填完")));
    // Run anyway, the command says why it stops; the print dialog does not open.
    seams.expectMessage(QStringLiteral("成果概况没有填完,请继续填写完成该项目！"), platform::Ok);
    MainForm->BitBtn4Click();
    EXPECT_EQ(DM->Qrykjcg.fieldByName(QStringLiteral("ITEM_51")).asString(), QStringLiteral("2;"));
}

// With SORVEL_SHOTS set to a folder, the preview of a real page of the
// printed form is saved there as a picture.
TEST_F(PrintCommandTest, PreviewOfARealPageAsAPicture)
{
    const QString folder = qEnvironmentVariable("SORVEL_SHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "SORVEL_SHOTS not set";
    addRecord(QStringLiteral("2010000001"), QStringLiteral("1"));
    startWindows();
    seams.onModal(QStringLiteral("PrintForm"), [&](QDialog *d) {
        auto *form = static_cast<TPrintForm *>(d);
        form->grab().save(folder + QStringLiteral("/printform.png"));
        form->Button7->click();
        seams.onModal(QStringLiteral("ReportPreview"), [&](QDialog *p) {
            QApplication::processEvents();
            p->grab().save(folder + QStringLiteral("/preview-page10.png"));
            return 1;
        });
        form->findChild<QPushButton *>(QStringLiteral("BitBtn40"))->click();
        return 1;
    });
    MainForm->findChild<QPushButton *>(QStringLiteral("BitBtn4"))->click();
}
