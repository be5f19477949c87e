// The print dialog's four Word buttons start their outputs for the record
// the dialog was opened with.

#include "wordfixtures.h"

#include "data/dm.h"
#include "output/ui/printform.h"
#include "output/word/docxfiller.h"
#include "output/word/wordbookmarks.h"
#include "seed_loader.h"
#include "support/printsamples.h"
#include "support/tablerows.h"
#include "support/testseams.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

using word::WordForm;

namespace {

class PrintFormWordTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString data = tmp.filePath(QStringLiteral("data"));
    QString savedDataPath = DataPath;
    testsupport::TestSeams seams;
    TPrintForm form{[](const QString &name) { return report::ReportForm(name); }};
    QString bin = tmp.filePath(QStringLiteral("bin"));
    std::optional<wordtest::PathTo> path;

    void SetUp() override
    {
        QDir().mkpath(bin);
        wordtest::touch(bin + QStringLiteral("/soffice"), true);
        path.emplace(bin);
        seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), data);
        DataPath = data;
    }
    void TearDown() override
    {
        seams.verifyAllUsed();
        DataPath = savedDataPath;
        for (const auto &p : seams.programs())
            if (!p.args.isEmpty())
                QDir(QFileInfo(p.args.last()).path()).removeRecursively();
    }
    void addTemplate(WordForm which)
    {
        const QString name = word::templateFileName(which);
        ASSERT_TRUE(QFile::copy(QDir(QStringLiteral(WORD_TEMPLATE_DIR)).filePath(name), QDir(data).filePath(name)));
    }
    // What the last started document holds after the bookmark.
    QString filled(WordForm which, const QString &bookmark)
    {
        if (seams.programs().empty())
            return QStringLiteral("<nothing started>");
        const QString doc = seams.programs().back().args.last();
        for (const auto &p : word::filledTexts(QDir(data).filePath(word::templateFileName(which)), doc))
            if (p.first == bookmark)
                return p.second;
        return QStringLiteral("<no bookmark>");
    }
};

} // namespace

TEST_F(PrintFormWordTest, EachButtonFillsItsTemplateFromTheDialogsRecord)
{
    for (WordForm f : {WordForm::AppliedRegistration, WordForm::BasicRegistration, WordForm::AppraisalApplication,
                       WordForm::AppraisalCertificate})
        addTemplate(f);
    const output::PrintRecord applied = testsupport::richPrintRecord(true);
    for (const auto &[number, name] : {std::pair{"2", "乙单位"}, std::pair{"1", "甲单位"}})
        testsupport::appendRow(data, "cgwcdw",
                               {{"ITEM_4", applied.value(QStringLiteral("ITEM_4"))},
                                {"ITEM_DQDM", applied.value(QStringLiteral("ITEM_DQDM"))},
                                {"ITEM_176", number},
                                {"ITEM_170", QString::fromUtf8(name)}});
    testsupport::appendRow(data, "cgwcdw", {{"ITEM_4", "2024000099"}, {"ITEM_DQDM", "110"}, {"ITEM_176", "1"},
                                            {"ITEM_170", QStringLiteral("别的成果的单位")}});
    form.setRecord(applied);
    form.show();
    ASSERT_TRUE(form.YY_Button->isVisible());

    struct Click {
        QPushButton *button;
        WordForm form;
        const char *bookmark;
    };
    for (const Click &c : {Click{form.YY_Button, WordForm::AppliedRegistration, "item_3"},
                           Click{form.Button5, WordForm::AppraisalApplication, "item_3_2"},
                           Click{form.Button6, WordForm::AppraisalCertificate, "item_3_1"}}) {
        seams.expectMessage(QStringLiteral("您确定输出word文档吗？"), platform::Ok);
        c.button->click();
        ASSERT_FALSE(seams.programs().empty());
        EXPECT_EQ(seams.programs().back().program, QStringLiteral("soffice"));
        EXPECT_EQ(filled(c.form, QLatin1String(c.bookmark)), applied.value(QStringLiteral("ITEM_3")));
        EXPECT_EQ(filled(c.form, QStringLiteral("item_180_1")), applied.persons.at(0).value(QStringLiteral("ITEM_180")));
        if (c.form == WordForm::AppliedRegistration) {
            // The organisations in the table's order, not by their numbers.
            EXPECT_EQ(filled(c.form, QStringLiteral("item_176_1")), QStringLiteral("2"));
            EXPECT_EQ(filled(c.form, QStringLiteral("item_170_1")), QStringLiteral("乙单位"));
            EXPECT_EQ(filled(c.form, QStringLiteral("item_170_2")), QStringLiteral("甲单位"));
            EXPECT_FALSE((filled(c.form, QStringLiteral("patentl_no_1")) + filled(c.form, QStringLiteral("patent_no_1")))
                             .isEmpty());
        }
    }
    form.hide();

    form.setRecord(testsupport::richPrintRecord(false));
    form.show();
    ASSERT_TRUE(form.RJ_Button->isVisible());
    seams.expectMessage(QStringLiteral("您确定输出word文档吗？"), platform::Ok);
    form.RJ_Button->click();
    EXPECT_TRUE(seams.programs().back().args.last().endsWith(QStringLiteral("基础、软科学登记表.docx")));
    EXPECT_EQ(filled(WordForm::BasicRegistration, QStringLiteral("item_192_1")),
              testsupport::richPrintRecord(false).committee.at(0).value(QStringLiteral("ITEM_192")));
}

TEST_F(PrintFormWordTest, CancelAndAMissingTemplateStartNothing)
{
    form.setRecord(testsupport::richPrintRecord(true));
    form.show();
    seams.expectMessage(QStringLiteral("您确定输出word文档吗？"), platform::Cancel);
    form.Button6->click();
    seams.expectMessage(QStringLiteral("您确定输出word文档吗？"), platform::Ok);
    seams.expectMessage(QStringLiteral("您的电脑上没有相应的报表"), platform::Ok);
    form.Button6->click();
    EXPECT_TRUE(seams.programs().empty());
}
