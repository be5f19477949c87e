// The export sequence behind the print dialog's Word buttons: question,
// template check, document, opening; the record and code tables read from a
// data folder.

#include "wordfixtures.h"

#include "data/dm.h"
#include "db/dataset.h"
#include "output/word/docxfiller.h"
#include "output/word/documentopener.h"
#include "output/word/platformwordhost.h"
#include "output/word/wordexport.h"
#include "seed_loader.h"
#include "support/tablerows.h"
#include "support/testseams.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace wordtest;
using word::ExportEnd;
using word::WordForm;

namespace {

struct FakeHost : word::WordHost {
    bool answer = true;
    QStringList startable{QStringLiteral("soffice"), QStringLiteral("xdg-open")};
    QStringList log;  // what happened, in order
    QList<QStringList> started;
    QList<Fallback> fallbacks;  // of the programs started, in order
    QString details;            // of the last error

    bool confirm(const QString &text, const QString &caption) override
    {
        log << QStringLiteral("confirm:") + caption + u':' + text;
        return answer;
    }
    void error(const QString &text, const QString &more) override
    {
        log << QStringLiteral("error:") + text;
        details = more;
    }
    void inform(const QString &text, const QString &caption) override
    {
        log << QStringLiteral("inform:") + caption + u':' + text;
    }
    bool startProgram(const QString &program, const QStringList &args, const Fallback &ifItFails) override
    {
        log << QStringLiteral("start:") + program;
        if (!startable.contains(program))
            return false;
        started << (QStringList{program} + args);
        fallbacks << ifItFails;
        return true;
    }
};

class WordExportTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString data = tmp.filePath(QStringLiteral("data"));
    QString temp = tmp.filePath(QStringLiteral("temp"));
    FakeHost host;

    void SetUp() override
    {
        QDir().mkpath(data);
        QDir().mkpath(temp);
    }
    void addTemplate(WordForm form)
    {
        const QString name = word::templateFileName(form);
        ASSERT_TRUE(QFile::copy(QDir(QStringLiteral(WORD_TEMPLATE_DIR)).filePath(name), QDir(data).filePath(name)));
    }
    QStringList tempEntries() { return QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); }
    word::ExportOutcome run(WordForm form, const WordRecord &rec = richRecord())
    {
        const CodeTables t = richTables();
        return word::exportWord(host, form, data, rec, &t, temp);
    }
};

} // namespace

TEST_F(WordExportTest, CancelDoesNothing)
{
    addTemplate(WordForm::AppliedRegistration);
    host.answer = false;
    const auto out = run(WordForm::AppliedRegistration);
    EXPECT_EQ(out.end, ExportEnd::Cancelled);
    EXPECT_EQ(host.log, QStringList{QStringLiteral("confirm:提示:您确定输出word文档吗？\r\n")});
    EXPECT_TRUE(tempEntries().isEmpty());
}

TEST_F(WordExportTest, MissingTemplateIsToldBeforeAnythingStarts)
{
    addTemplate(WordForm::AppliedRegistration);  // the other family's template
    const auto out = run(WordForm::BasicRegistration, richRecord(QStringLiteral("2")));
    EXPECT_EQ(out.end, ExportEnd::NoTemplate);
    EXPECT_EQ(host.log, (QStringList{QStringLiteral("confirm:提示:您确定输出word文档吗？\r\n"),
                                     QStringLiteral("error:您的电脑上没有相应的报表")}));
    EXPECT_TRUE(host.started.isEmpty());
    EXPECT_TRUE(tempEntries().isEmpty());
}

TEST_F(WordExportTest, TheDocumentMadeFromTheTemplateIsFilledAndOpenedAsNew)
{
    for (WordForm form : {WordForm::AppliedRegistration, WordForm::BasicRegistration,
                          WordForm::AppraisalApplication, WordForm::AppraisalCertificate})
        addTemplate(form);
    const auto out = run(WordForm::AppraisalCertificate);
    ASSERT_EQ(out.end, ExportEnd::OpenedInWriter);
    EXPECT_EQ(host.started, (QList<QStringList>{{QStringLiteral("soffice"), QStringLiteral("-n"), out.document}}));
    EXPECT_TRUE(out.document.startsWith(temp + QStringLiteral("/sorvel-word-")));
    EXPECT_TRUE(out.document.endsWith(QStringLiteral("/科学技术成果鉴定证书.docx")));
    // The values are in the new document, not in the template.
    const QString tpl = QDir(data).filePath(word::templateFileName(WordForm::AppraisalCertificate));
    QMap<QString, QString> filled;
    for (const auto &p : word::filledTexts(tpl, out.document))
        filled.insert(p.first, p.second);
    EXPECT_EQ(filled["item_64_2"], QStringLiteral("山东省"));
    EXPECT_EQ(filled["item_192_2"], QStringLiteral("评委2"));
    for (const auto &p : word::filledTexts(tpl, tpl))
        EXPECT_TRUE(p.second.isEmpty()) << "template touched at " << qPrintable(p.first);

    // Two exports never share a file.
    const auto again = run(WordForm::AppraisalCertificate);
    EXPECT_NE(again.document, out.document);
    EXPECT_TRUE(QFile::exists(out.document));
}

TEST_F(WordExportTest, WithoutTheWriterTheDesktopOpensItElseTheUserLearnsWhereItIs)
{
    addTemplate(WordForm::AppraisalApplication);
    host.startable = {QStringLiteral("xdg-open")};
    auto out = run(WordForm::AppraisalApplication);
    EXPECT_EQ(out.end, ExportEnd::OpenedByDesktop);
    EXPECT_EQ(host.started, (QList<QStringList>{{QStringLiteral("xdg-open"), out.document}}));

    host.startable.clear();
    host.log.clear();
    out = run(WordForm::AppraisalApplication);
    EXPECT_EQ(out.end, ExportEnd::LeftInFolder);
    ASSERT_EQ(host.log.size(), 4);
    EXPECT_EQ(host.log[1], QStringLiteral("start:soffice"));
    EXPECT_EQ(host.log[2], QStringLiteral("start:xdg-open"));
    EXPECT_TRUE(host.log[3].startsWith(QStringLiteral("inform:提示:没有可以显示Word文档的程序，文档已保存在：")));
    EXPECT_TRUE(host.log[3].contains(out.document));
    EXPECT_TRUE(QFile::exists(out.document));
}

TEST_F(WordExportTest, AProgramThatSoonFailsPassesTheDocumentOnUntilTheUserIsTold)
{
    addTemplate(WordForm::AppraisalApplication);
    const auto out = run(WordForm::AppraisalApplication);
    ASSERT_EQ(out.end, ExportEnd::OpenedInWriter);
    ASSERT_EQ(host.fallbacks.size(), 1);
    host.log.clear();

    // The writer ends with a failure: the desktop's opener gets the document.
    host.fallbacks[0](host);
    EXPECT_EQ(host.log, QStringList{QStringLiteral("start:xdg-open")});
    ASSERT_EQ(host.started.size(), 2);
    EXPECT_EQ(host.started[1], (QStringList{QStringLiteral("xdg-open"), out.document}));

    // The opener fails too: the user learns where the document is.
    host.fallbacks[1](host);
    ASSERT_EQ(host.log.size(), 2);
    EXPECT_TRUE(host.log[1].startsWith(QStringLiteral("inform:提示:")));
    EXPECT_TRUE(host.log[1].contains(out.document));

    // A writer that fails while no opener can start: told at once.
    host.startable = {QStringLiteral("soffice")};
    host.log.clear();
    host.fallbacks[0](host);
    ASSERT_EQ(host.log.size(), 2);
    EXPECT_TRUE(host.log[1].contains(out.document));
}

TEST_F(WordExportTest, TemplatesThatCannotBeFilledAndFoldersThatCannotBeMadeAreToldInChinese)
{
    const QString tpl = QDir(data).filePath(word::templateFileName(WordForm::AppraisalApplication));
    const auto failsWith = [&](const QString &reason, const QString &root = QString()) {
        host.log.clear();
        const CodeTables t = richTables();
        const auto out = word::exportWord(host, WordForm::AppraisalApplication, data, richRecord(), &t,
                                          root.isEmpty() ? temp : root);
        EXPECT_EQ(out.end, ExportEnd::Failed);
        ASSERT_EQ(host.log.size(), 2);
        EXPECT_TRUE(host.log[1].startsWith(QStringLiteral("error:") + reason)) << qPrintable(host.log[1]);
        EXPECT_TRUE(whollyChinese(host.log[1].mid(6), {tpl, data, root})) << qPrintable(host.log[1]);
        EXPECT_TRUE(host.started.isEmpty());
        EXPECT_TRUE(tempEntries().isEmpty()) << "no half-made folder is left";
    };
    writeFile(tpl, "not a word-processing template at all");
    failsWith(QStringLiteral("无法生成Word文档：模板“%1”无法读出：不是本程序能读的Word模板格式")
                  .arg(QDir::toNativeSeparators(tpl)));
    // A binary template of the old format, as older installations have them.
    writeFile(tpl, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(8192, '\x01'));
    failsWith(QStringLiteral("无法生成Word文档：模板“科学技术成果鉴定申请表.dot”是旧的二进制Word格式"));
    EXPECT_TRUE(host.log[1].contains(QStringLiteral("另存为“Word 模板（.dotx）”格式")));

    // The temporary folder cannot be made: its reason, in Chinese.
    QFile::remove(tpl);
    addTemplate(WordForm::AppraisalApplication);
    writeFile(tmp.filePath(QStringLiteral("plain")), "x");
    failsWith(QStringLiteral("无法建立临时文件夹：路径中有一部分不是文件夹"), tmp.filePath(QStringLiteral("plain/t")));
}

TEST_F(WordExportTest, BookmarksATemplateLacksAreNamedAndTheRestIsFilled)
{
    // An application form standing where the certificate is looked for.
    ASSERT_TRUE(QFile::copy(
        QDir(QStringLiteral(WORD_TEMPLATE_DIR)).filePath(word::templateFileName(WordForm::AppraisalApplication)),
        QDir(data).filePath(word::templateFileName(WordForm::AppraisalCertificate))));
    const auto out = run(WordForm::AppraisalCertificate);
    EXPECT_EQ(out.end, ExportEnd::OpenedInWriter);
    ASSERT_EQ(host.log.size(), 3);
    // The box says how many and names the first five; the details list all.
    const QStringList expectedMissing = [] {
        QStringList missing;
        const QStringList present = word::documentBookmarks(
            QDir(QStringLiteral(WORD_TEMPLATE_DIR)).filePath(word::templateFileName(WordForm::AppraisalApplication)));
        for (const auto &t : written(WordForm::AppraisalCertificate, richRecord()))
            if (!present.contains(t.first, Qt::CaseInsensitive) && !missing.contains(t.first))
                missing << t.first;
        return missing;
    }();
    ASSERT_GT(expectedMissing.size(), 5);
    EXPECT_EQ(host.log[1], QStringLiteral("error:模板“科学技术成果鉴定证书.dot”中缺少 %1 个书签，这些内容未能填入Word文档：%2 等。")
                               .arg(expectedMissing.size())
                               .arg(expectedMissing.mid(0, 5).join(QStringLiteral("、"))));
    EXPECT_EQ(host.details, QStringLiteral("缺少的书签：\n") + expectedMissing.join(u'\n'));
    EXPECT_TRUE(host.details.contains(QStringLiteral("\nitem_34_y\n")));
    EXPECT_FALSE(host.details.contains(QStringLiteral("item_13_1"))) << "both forms have it";
    QMap<QString, QString> filled;
    for (const auto &p : word::filledTexts(QDir(data).filePath(word::templateFileName(WordForm::AppraisalCertificate)),
                                           out.document))
        filled.insert(p.first, p.second);
    EXPECT_EQ(filled["item_13_1"], richRecord().record["ITEM_13_1"].replace(QStringLiteral("\r\n"), QStringLiteral("\r")));
}

TEST_F(WordExportTest, ThroughThePlatformSeams)
{
    // A writer of its own on the PATH, whatever this machine has installed.
    const QString bin = tmp.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    wordtest::touch(bin + QStringLiteral("/soffice"), true);
    const wordtest::PathTo path(bin);
    addTemplate(WordForm::BasicRegistration);
    seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), data);
    testsupport::TestSeams seams;
    seams.expectMessage(QStringLiteral("您确定输出word文档吗？"), platform::Ok);
    word::PlatformWordHost platformHost;
    const auto out = word::exportRegistrationWord(platformHost, data, richRecord(QStringLiteral("3")));
    seams.verifyAllUsed();
    ASSERT_EQ(seams.calls().size(), 1u);
    EXPECT_EQ(seams.calls()[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(seams.calls()[0].icon, platform::Icon::None);
    EXPECT_EQ(seams.calls()[0].buttons, platform::Ok | platform::Cancel);
    ASSERT_EQ(out.end, ExportEnd::OpenedInWriter);
    ASSERT_EQ(seams.programs().size(), 1u);
    EXPECT_EQ(seams.programs()[0].program, QStringLiteral("soffice"));
    EXPECT_EQ(seams.programs()[0].args, (QStringList{QStringLiteral("-n"), out.document}));
    EXPECT_TRUE(out.document.endsWith(QStringLiteral("基础、软科学登记表.docx")));
    // The seed dictionary's name of the basic family's evaluation code.
    const QString tpl = QDir(data).filePath(word::templateFileName(WordForm::BasicRegistration));
    QMap<QString, QString> filled;
    for (const auto &p : word::filledTexts(tpl, out.document))
        filled.insert(p.first, p.second);
    EXPECT_EQ(filled["item_21"], QStringLiteral("验收"));
    QDir(QFileInfo(out.document).path()).removeRecursively();

    seams.expectMessage(QStringLiteral("您确定输出word文档吗？"), platform::Ok);
    seams.expectMessage(QStringLiteral("您的电脑上没有相应的报表"), platform::Ok);
    EXPECT_EQ(word::exportAppraisalApplicationWord(platformHost, data, richRecord()).end, ExportEnd::NoTemplate);
    seams.verifyAllUsed();
    EXPECT_EQ(seams.calls().back().icon, platform::Icon::Error);
    EXPECT_EQ(seams.programs().size(), 1u) << "nothing more was started";
}

class WordDataFolderTest : public WordExportTest {
protected:
    void add(const QString &table, const testsupport::Cells &cells) { testsupport::appendRow(data, table, cells); }
};

TEST_F(WordDataFolderTest, RecordAndRowsAreTakenFromTheCurrentRecord)
{
    seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), data);
    for (const char *key : {"2007000001", "2007000002"})
        add("kjcg", {{"ITEM_4", key}, {"ITEM_DQDM", "."}, {"ITEM_CGLB", "1"},
                     {"ITEM_3", QStringLiteral("成果") + key}, {"ITEM_145", "12.5"}});
    add("cgwcr", {{"ITEM_4", "2007000001"}, {"ITEM_DQDM", "."}, {"ITEM_187", "2"}, {"ITEM_180", QStringLiteral("乙")}});
    add("cgwcr", {{"ITEM_4", "2007000002"}, {"ITEM_DQDM", "."}, {"ITEM_187", "1"}, {"ITEM_180", QStringLiteral("别人")}});
    add("cgwcr", {{"ITEM_4", "2007000001"}, {"ITEM_DQDM", "."}, {"ITEM_187", "1"}, {"ITEM_180", QStringLiteral("甲")}});
    add("jdwyhmd", {{"ITEM_4", "2007000001"}, {"ITEM_DQDM", "."}, {"ITEM_194", "3"}, {"ITEM_192", QStringLiteral("委员")}});
    add("jdwyhmd", {{"ITEM_4", "2007000001"}, {"ITEM_DQDM", "."}, {"ITEM_194", "1"}, {"ITEM_192", QStringLiteral("主任")}});
    add("cgwcdw", {{"ITEM_4", "2007000001"}, {"ITEM_DQDM", "."}, {"ITEM_176", "2"}, {"ITEM_170", QStringLiteral("合作乙")}});
    add("cgwcdw", {{"ITEM_4", "2007000002"}, {"ITEM_DQDM", "."}, {"ITEM_176", "1"}, {"ITEM_170", QStringLiteral("别人的")}});
    add("cgwcdw", {{"ITEM_4", "2007000001"}, {"ITEM_DQDM", "."}, {"ITEM_176", "1"}, {"ITEM_170", QStringLiteral("合作甲")}});
    add("zlqk", {{"ITEM_4", "2007000001"}, {"ITEM_DQDM", "."}, {"PATENT_NO", "ZL1"}, {"PATENT_ST", "2"}});

    TDM dm(data);
    dm.OpenQuerySQL(dm.Qrykjcg, QStringLiteral("select * from kjcg order by ITEM_4"));
    const WordRecord rec = word::snapshotCurrentRecord(dm);
    EXPECT_EQ(rec.record["ITEM_3"], QStringLiteral("成果2007000001"));
    EXPECT_EQ(rec.record["item_145"], QStringLiteral("12.5"));
    ASSERT_EQ(rec.persons.size(), 2);
    EXPECT_EQ(rec.persons[0]["ITEM_180"], QStringLiteral("甲")) << "persons in order of their number";
    ASSERT_EQ(rec.committee.size(), 2);
    EXPECT_EQ(rec.committee[0]["ITEM_192"], QStringLiteral("主任")) << "committee by role rank";
    ASSERT_EQ(rec.organisations.size(), 2);
    EXPECT_EQ(rec.organisations[0]["ITEM_170"], QStringLiteral("合作乙")) << "organisations in the table's order";
    ASSERT_EQ(rec.patents.size(), 1);
    EXPECT_EQ(rec.patents[0]["PATENT_ST"], QStringLiteral("2"));
    EXPECT_FALSE(dm.TblCgwcdw.filtered()) << "the shared datasets are left alone";

    const CodeTables t = word::loadCodeTables(data);
    EXPECT_EQ(t.dict(QStringLiteral("item_21_l"), QStringLiteral("2")), QStringLiteral("验收"));
    EXPECT_FALSE(t.province(QStringLiteral("37")).isEmpty());
    EXPECT_TRUE(t.subject(QStringLiteral("no such")).has_value());
}

TEST_F(WordDataFolderTest, WithoutTheClassificationTablesTheExportGoesOnWithCodes)
{
    seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), data);
    for (const QString &f : QDir(data).entryList({QStringLiteral("xkfl.*"), QStringLiteral("ztflh.*")}, QDir::Files,
                                                  QDir::NoSort))
        ASSERT_TRUE(QFile::remove(QDir(data).filePath(f)));
    const CodeTables t = word::loadCodeTables(data);
    EXPECT_FALSE(t.subject(QStringLiteral("6202010")).has_value());
    EXPECT_FALSE(t.libraryClass(QStringLiteral("TU528")).has_value());

    addTemplate(WordForm::AppliedRegistration);
    const auto out = word::exportWord(host, WordForm::AppliedRegistration, data, richRecord(), nullptr, temp);
    ASSERT_EQ(out.end, ExportEnd::OpenedInWriter);
    QMap<QString, QString> filled;
    for (const auto &p : word::filledTexts(QDir(data).filePath(word::templateFileName(WordForm::AppliedRegistration)),
                                           out.document))
        filled.insert(p.first, p.second);
    EXPECT_EQ(filled["item_15"], QStringLiteral("6202010"));
    EXPECT_EQ(filled["item_12_1"], QStringLiteral("TU5"));
    EXPECT_EQ(filled["item_192_1"], QStringLiteral("评委1")) << "the lists after them are filled";
}

TEST_F(WordDataFolderTest, AnUnreadableDictionaryEndsTheExportWithItsMessage)
{
    seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), data);
    ASSERT_TRUE(QFile::remove(QDir(data).filePath(QStringLiteral("zdxx.dbf"))));
    addTemplate(WordForm::AppraisalApplication);
    const auto out = word::exportWord(host, WordForm::AppraisalApplication, data, richRecord(), nullptr, temp);
    EXPECT_EQ(out.end, ExportEnd::Failed);
    ASSERT_EQ(host.log.size(), 2);
    EXPECT_TRUE(host.log[1].startsWith(QStringLiteral("error:")));
    EXPECT_TRUE(host.log[1].contains(QStringLiteral("zdxx"), Qt::CaseInsensitive)) << qPrintable(host.log[1]);
    EXPECT_TRUE(host.started.isEmpty());
    EXPECT_TRUE(tempEntries().isEmpty());
}

TEST(WordWriter, AWriterWithoutDesktopFrontEndIsPassedOverForTheDesktopsOpener)
{
    QTemporaryDir tmp;
    const QString program = tmp.filePath(QStringLiteral("lib/office/program"));
    const QString bin = tmp.filePath(QStringLiteral("bin"));
    QDir().mkpath(program);
    QDir().mkpath(bin);
    wordtest::touch(program + QStringLiteral("/soffice"), true);
    wordtest::touch(program + QStringLiteral("/soffice.bin"), true);
    ASSERT_TRUE(QFile::link(program + QStringLiteral("/soffice"), bin + QStringLiteral("/soffice")));
    wordtest::touch(bin + QStringLiteral("/xdg-open"), true);

    // Headless only: the link is followed to the program folder.
    EXPECT_FALSE(word::writerShowsWindows(bin + QStringLiteral("/soffice")));
    EXPECT_FALSE(word::writerShowsWindows(program + QStringLiteral("/soffice")));
    {
        const wordtest::PathTo path(bin);
        const wordtest::EnvSet display("DISPLAY", QStringLiteral(":0"));
        testsupport::TestSeams seams;
        word::PlatformWordHost host;
        EXPECT_FALSE(host.startProgram(QStringLiteral("soffice"), {QStringLiteral("-n"), QStringLiteral("x.docx")}, {}));
        EXPECT_TRUE(host.startProgram(QStringLiteral("xdg-open"), {QStringLiteral("x.docx")}, {}));
        ASSERT_EQ(seams.programs().size(), 1u);
        EXPECT_EQ(seams.programs()[0].program, QStringLiteral("xdg-open"));
    }
    // With a front end it is used; a folder that is no writer's is trusted.
    wordtest::touch(program + QStringLiteral("/libvclplug_genlo.so"));
    EXPECT_TRUE(word::writerShowsWindows(bin + QStringLiteral("/soffice")));
    EXPECT_TRUE(word::writerShowsWindows(bin + QStringLiteral("/xdg-open")));
    {
        const wordtest::PathTo path(tmp.filePath(QStringLiteral("nowhere")));
        testsupport::TestSeams seams;
        word::PlatformWordHost host;
        EXPECT_FALSE(host.startProgram(QStringLiteral("soffice"), {QStringLiteral("-n"), QStringLiteral("x.docx")}, {}))
            << "no writer on the PATH";
        EXPECT_TRUE(seams.programs().empty());
    }
}
