#include "output/layouts/pages.h"
#include "output/ui/preview.h"
#include "output/ui/printform.h"
#include "recordingsink.h"
#include "support/printsamples.h"
#include "support/testseams.h"

#include <QDir>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using output::Family;

namespace {

// Small stand-in pages: the number labels of each page, and list pages over
// their datasets with rows of 20 mm (13 rows to a page).
report::ReportForm stubPage(const QString &name)
{
    report::ReportForm f(name);
    const bool persons = name.endsWith(QLatin1String("Print10")) && name.startsWith(QLatin1String("yy"));
    const bool committee = name == QLatin1String("yyPrint11") || name == QLatin1String("rjPrint09");
    const bool personsRj = name == QLatin1String("rjPrint08");
    if (persons || committee || personsRj) {
        const QString ds = committee ? QStringLiteral("ClientDataSet1") : QStringLiteral("ClientDataSet2");
        f.addBand(report::BandKind::ColumnHeader, 7);
        f.addBand(report::BandKind::Detail, 20, ds)
            .data(QStringLiteral("QRDBText1"), {0, 0, 50, 20}, QStringLiteral("ITEM_180"), ds);
        report::Band &foot = f.addBand(report::BandKind::PageFooter, 10);
        foot.pageNumber(QStringLiteral("QRSysData1"), {0, 0, 190, 8}, QStringLiteral("?--"));
        foot.label(QStringLiteral("QRpage"), {0, 0, 190, 8}, QStringLiteral("?"));
        return f;
    }
    report::Band &b = f.addBand(report::BandKind::Title, 50);
    b.label(QStringLiteral("Name"), {0, 0, 100, 8}, name);
    report::Band &foot = f.addBand(report::BandKind::PageFooter, 10);
    foot.label(name == QLatin1String("yyPrint07") ? QStringLiteral("QRPage1") : QStringLiteral("QRPage"),
               {0, 0, 190, 8}, QStringLiteral("layout"));
    return f;
}

class PrintFormTest : public ::testing::Test {
protected:
    testsupport::TestSeams seams;
    RecordingSink sink;
    TPrintForm form{stubPage};

    void TearDown() override { seams.verifyAllUsed(); }
    QPushButton *button(const char *name) { return form.findChild<QPushButton *>(QLatin1String(name)); }
};

} // namespace

TEST_F(PrintFormTest, EveryShowingStartsAtTheStartPanelWithTheFamilysWordButton)
{
    form.setRecord(testsupport::richPrintRecord(true));
    form.show();
    EXPECT_TRUE(form.Panel5->isVisible());
    EXPECT_TRUE(form.YY_Button->isVisible());
    EXPECT_FALSE(form.RJ_Button->isVisible());
    form.Button4->click();
    EXPECT_TRUE(form.Panel3->isVisible());
    EXPECT_FALSE(form.Panel5->isVisible());
    form.hide();

    for (const QString &category : {QStringLiteral("2"), QStringLiteral("3"), QString()}) {
        output::PrintRecord r = testsupport::richPrintRecord(false);
        r.record.set(QStringLiteral("ITEM_CGLB"), category);
        form.setRecord(r);
        form.show();
        EXPECT_TRUE(form.Panel5->isVisible());
        EXPECT_TRUE(form.RJ_Button->isVisible());
        EXPECT_FALSE(form.YY_Button->isVisible());
        form.Button7->click();
        EXPECT_TRUE(form.Panel1->isVisible());
        form.hide();
    }
    form.ShowPanel(7); // changes nothing
    EXPECT_TRUE(form.Panel1->isHidden() == false || form.Panel5->isHidden() == false);
}

TEST_F(PrintFormTest, PreviewAndDirectPrintNumberThePageDifferently)
{
    form.setRecord(testsupport::richPrintRecord(true));
    form.show();
    QString shown;
    seams.onModal(QStringLiteral("ReportPreview"), [&](QDialog *d) {
        shown = static_cast<output::ReportPreview *>(d)->document().pages[0].text(QStringLiteral("QRPage"));
        return 1;
    });
    button("BitBtn30")->click(); // preview of page 3
    EXPECT_EQ(shown, QStringLiteral("3"));

    // Direct print of the same page: straight to the default printer, no
    // print dialog, even where the person would have cancelled one.
    sink.accept = false;
    button("zBitBtn6")->click();
    ASSERT_EQ(sink.jobs.size(), 1u);
    EXPECT_EQ(sink.jobs[0].pageTexts, QStringList{"1"});
    EXPECT_EQ(sink.jobs[0].printer, output::PrintSink::Printer::Default);
    EXPECT_EQ(sink.chooses, 0);

    seams.onModal(QStringLiteral("ReportPreview"), [&](QDialog *d) {
        shown = static_cast<output::ReportPreview *>(d)->document().pages[0].text(QStringLiteral("QRPage"));
        return 1;
    });
    button("BitBtn30")->click();
    EXPECT_EQ(shown, QStringLiteral("3"));
    button("zBitBtn7")->click();
    EXPECT_EQ(sink.jobs.size(), 2u);
    EXPECT_EQ(sink.chooses, 0);
}

TEST_F(PrintFormTest, ListPagesPrintOneJobPerPageKeepingTheRunningNumbers)
{
    // 20 persons and a blank row: 21 rows, two pages of 13.
    form.setRecord(testsupport::richPrintRecord(true, 20));
    form.show();
    button("zBitBtn2")->click();
    ASSERT_EQ(sink.jobs.size(), 2u);
    EXPECT_EQ(sink.reports(), (QStringList{"yyPrint10[1-1]", "yyPrint10[2-2]"}));
    EXPECT_EQ(sink.jobs[0].pageTexts, QStringList{"6--1"});
    EXPECT_EQ(sink.jobs[1].pageTexts, QStringList{"6--2"});

    // No persons: one page with the page's own label.
    sink.jobs.clear();
    form.setRecord(testsupport::richPrintRecord(true, 0));
    button("zBitBtn2")->click();
    ASSERT_EQ(sink.jobs.size(), 1u);
    EXPECT_EQ(sink.jobs[0].pageTexts, QStringList{"6"});
}

TEST_F(PrintFormTest, WholeFormPrintsCoverDataPagesAndListsInOrder)
{
    form.setRecord(testsupport::richPrintRecord(true, 3, 27));
    form.show();
    button("zBitBtn4")->click();
    EXPECT_EQ(sink.chooses, 0);
    EXPECT_EQ(sink.reports(), (QStringList{"yyfm1[1-1]", "yyPrint03[1-1]", "yyPrint05[1-1]", "yyPrint07[1-1]",
                                           "yyPrint08[1-1]", "yyPrint09[1-1]", "yyPrint10[1-1]", "yyPrint11[1-1]",
                                           "yyPrint11[2-2]", "yyPrint11[3-3]"}));
    QStringList numbers;
    for (const auto &j : sink.jobs)
        numbers << j.pageTexts;
    EXPECT_EQ(numbers, (QStringList{"layout", "1", "2", "3", "4", "5", "6", "7--1", "7--2", "7--3"}));

    sink.jobs.clear();
    form.setRecord(testsupport::richPrintRecord(false, 1, 14));
    button("zBitBtn12")->click();
    EXPECT_EQ(sink.reports(), (QStringList{"rjfm1[1-1]", "rjPrint03[1-1]", "rjPrint05[1-1]", "rjPrint06[1-1]",
                                           "rjPrint07[1-1]", "rjPrint08[1-1]", "rjPrint09[1-1]", "rjPrint09[2-2]"}));
}

// Every page is filled before the first job goes out: a page that cannot be
// filled stops the whole form with its message and nothing printed.  A
// printer that refuses a job is named with the reason; jobs it took are
// named on the status line.
TEST_F(PrintFormTest, TheDialogSaysWhereTheJobsWentOrWhyThePrinterRefusedThem)
{
    output::PrintRecord r = testsupport::richPrintRecord(true, 20, 3);
    form.setRecord(r);
    form.show();
    button("zBitBtn4")->click();
    EXPECT_EQ(form.lblStatus->text(), QStringLiteral("“全文打印”已送往打印机“测试打印机”：9 个打印任务，共 9 页。"));
    button("zBitBtn2")->click();
    EXPECT_EQ(form.lblStatus->text(), QStringLiteral("“成果完成人员名单”已送往打印机“测试打印机”：2 个打印任务，共 2 页。"));
    form.hide();
    form.show();
    EXPECT_TRUE(form.lblStatus->text().isEmpty());

    sink.jobs.clear();
    r.subjectError = QStringLiteral("在 /data 中找不到数据表 xkfl.dbf");
    form.setRecord(r);
    seams.expectMessage(QStringLiteral("在 /data 中找不到数据表 xkfl.dbf"), platform::Ok);
    button("zBitBtn4")->click();
    EXPECT_TRUE(sink.jobs.empty());

    sink.failing = true;
    seams.expectMessage(QStringLiteral("打印机“测试打印机”没有接受打印任务：打印机不接受新的打印任务。"), platform::Ok);
    button("zBitBtn9")->click();
    EXPECT_TRUE(form.lblStatus->text().isEmpty());
    sink.printer.clear();
    seams.expectMessage(QStringLiteral("无法直接打印"), platform::Ok);
    button("zBitBtn9")->click();
}

// A value longer than its box is named, with how much of it is lost, before
// anything is printed; the person may stop there.
TEST_F(PrintFormTest, ValuesThatDoNotPrintWholeAreNamedBeforePrinting)
{
    TPrintForm real([](const QString &instance) { return layouts::buildPage(QLatin1Char('T') + instance); });
    output::PrintRecord r = testsupport::richPrintRecord(true);
    r.record.set(QStringLiteral("ITEM_13_1"), QString(6000, QChar(0x7814)));
    real.setRecord(r);
    real.show();
    QString asked;
    seams.expectMessage(QStringLiteral("第9页“成果简介”：约"), [&](const platform::MessageCall &c) {
        asked = c.text;
        return int(platform::No);
    });
    real.findChild<QPushButton *>(QStringLiteral("zBitBtn10"))->click();
    EXPECT_TRUE(sink.jobs.empty());
    EXPECT_EQ(real.lblStatus->text(), QStringLiteral("没有打印。"));
    const int lost = QRegularExpression(QStringLiteral("约 (\\d+) 字")).match(asked).captured(1).toInt();
    EXPECT_GT(lost, 1000);
    EXPECT_LT(lost, 6000);
    seams.expectMessage(QStringLiteral("成果简介"), platform::Yes);
    real.findChild<QPushButton *>(QStringLiteral("zBitBtn10"))->click();
    EXPECT_EQ(sink.reports(), QStringList{"yyPrint09[1-1]"});
}

TEST_F(PrintFormTest, PreviewMovesBetweenPagesPrintsAndSavesTheWholeForm)
{
    QTemporaryDir dir;
    form.setRecord(testsupport::richPrintRecord(true, 0, 27));
    form.show();
    seams.answerFileDialog(dir.filePath(QStringLiteral("form")));
    seams.onModal(QStringLiteral("ReportPreview"), [&](QDialog *d) {
        auto *p = static_cast<output::ReportPreview *>(d);
        EXPECT_EQ(p->lblPage->text(), QStringLiteral("第 1 页 / 共 3 页"));
        EXPECT_FALSE(p->btnPrior->isEnabled());
        p->btnLast->click();
        EXPECT_EQ(p->currentPage(), 2);
        EXPECT_FALSE(p->btnNext->isEnabled());
        EXPECT_EQ(p->document().pages[2].text(QStringLiteral("QRSysData1")), QStringLiteral("11--3"));
        EXPECT_FALSE(p->view->pixmap().isNull());
        p->btnPrint->click();
        EXPECT_EQ(p->lblStatus->text(), QStringLiteral("已送往打印机“测试打印机”，共 3 页。"));
        p->btnSavePdf->click();
        EXPECT_TRUE(p->lblStatus->text().startsWith(QStringLiteral("已保存为 ")));
        EXPECT_TRUE(p->lblStatus->text().contains(QStringLiteral("form.pdf")));
        EXPECT_TRUE(p->lblCuts->isHidden());
        return 1;
    });
    button("BitBtn39")->click(); // committee preview
    EXPECT_EQ(sink.reports(), QStringList{"yyPrint11[1-3]"});
    // The preview's printing asks for the printer first.
    EXPECT_EQ(sink.chooses, 1);
    EXPECT_EQ(sink.jobs[0].printer, output::PrintSink::Printer::Chosen);
    sink.accept = false;
    sink.jobs.clear();
    seams.onModal(QStringLiteral("ReportPreview"), [&](QDialog *d) {
        static_cast<output::ReportPreview *>(d)->btnPrint->click();
        return 1;
    });
    button("BitBtn39")->click();
    EXPECT_TRUE(sink.jobs.empty()); // the print dialog cancelled: nothing printed
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("form.pdf"))));
    // "保存PDF" proposes the record's name and family in the home folder.
    ASSERT_EQ(seams.fileDialogs().size(), 1u);
    EXPECT_TRUE(seams.fileDialogs()[0].save);
    EXPECT_EQ(seams.fileDialogs()[0].folder,
              QDir::home().filePath(QStringLiteral("高寒地区复合材料桥面铺装关键技术研究与应用-科技成果登记表（应用技术类）.pdf")));
}

// The preview fits the screen it opens on, with its buttons and status line
// in sight, opens every page at its top, and names what does not print.
TEST_F(PrintFormTest, PreviewFitsTheScreenOpensPagesAtTheTopAndNamesCutValues)
{
    TPrintForm real([](const QString &instance) { return layouts::buildPage(QLatin1Char('T') + instance); });
    output::PrintRecord r = testsupport::richPrintRecord(false, 30, 3);
    r.record.set(QStringLiteral("ITEM_13_1"), QString(6000, QChar(0x7814)));
    real.setRecord(r);
    real.show();
    seams.onModal(QStringLiteral("ReportPreview"), [&](QDialog *d) {
        auto *p = static_cast<output::ReportPreview *>(d);
        const QRect screen = p->screen()->availableGeometry();
        EXPECT_TRUE(screen.contains(p->frameGeometry())) << p->frameGeometry().height() << " on " << screen.height();
        EXPECT_TRUE(screen.contains(p->lblStatus->mapToGlobal(QPoint(0, 0))));
        auto *bar = p->findChild<QScrollArea *>()->verticalScrollBar();
        EXPECT_GT(bar->maximum(), 0);
        bar->setValue(bar->maximum());
        p->btnNext->click();
        EXPECT_EQ(bar->value(), 0);
        EXPECT_TRUE(p->lblCuts->isHidden());
        return 1;
    });
    real.findChild<QPushButton *>(QStringLiteral("BitBtn24"))->click(); // the persons list, two sheets
    seams.onModal(QStringLiteral("ReportPreview"), [&](QDialog *d) {
        auto *p = static_cast<output::ReportPreview *>(d);
        EXPECT_FALSE(p->lblCuts->isHidden());
        EXPECT_TRUE(p->lblCuts->text().contains(QStringLiteral("第7页“成果简介”：约 "))) << qPrintable(p->lblCuts->text());
        // Saving the form names the cut value first; "否" saves nothing.
        p->btnSavePdf->click();
        return 1;
    });
    seams.expectMessage(QStringLiteral("是否仍然保存？"), platform::No);
    real.findChild<QPushButton *>(QStringLiteral("BitBtn23"))->click(); // the abstract
    EXPECT_TRUE(seams.fileDialogs().empty());
}

// With SORVEL_SHOTS set to a folder, the dialog's panels and a preview are
// saved as pictures there for looking at.
TEST_F(PrintFormTest, PanelsAsPictures)
{
    const QString folder = qEnvironmentVariable("SORVEL_SHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "SORVEL_SHOTS not set";
    form.setRecord(testsupport::richPrintRecord(true, 20));
    form.show();
    form.grab().save(folder + QStringLiteral("/panel5.png"));
    form.Button7->click();
    form.grab().save(folder + QStringLiteral("/panel2.png"));
    form.ShowPanel(5);
    form.Button4->click();
    form.grab().save(folder + QStringLiteral("/panel3.png"));
    button("zBitBtn2")->click();
    form.grab().save(folder + QStringLiteral("/panel3-printed.png"));
    form.setRecord(testsupport::richPrintRecord(false));
    form.ShowPanel(5);
    form.Button4->click();
    form.grab().save(folder + QStringLiteral("/panel4.png"));
    form.ShowPanel(5);
    form.Button7->click();
    form.grab().save(folder + QStringLiteral("/panel1.png"));
    seams.onModal(QStringLiteral("ReportPreview"), [&](QDialog *d) {
        auto *p = static_cast<output::ReportPreview *>(d);
        p->btnNext->click();
        p->grab().save(folder + QStringLiteral("/preview.png"));
        return 1;
    });
    form.setRecord(testsupport::richPrintRecord(true, 20));
    form.ShowPanel(5);
    form.Button7->click();
    button("BitBtn40")->click();
}

// The printer itself: the print dialog (answered through the seam) points it
// at a PDF file, and a list page printed alone keeps its running number.
TEST(PrinterSink, PrintsTheChosenPagesThroughThePrintDialog)
{
    testsupport::TestSeams seams;
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("job.pdf"));
    seams.onModal(QStringLiteral("PrintDialog"), [&](QDialog *d) {
        QPrinter *printer = static_cast<QPrintDialog *>(d)->printer();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(output::printSink().choose(nullptr));
    output::PrintPages pages(stubPage);
    pages.setRecord(testsupport::richPrintRecord(true, 20));
    const report::Document doc = pages.direct(Family::Applied, output::PrintPages::indexOf(Family::Applied, QStringLiteral("10")));
    ASSERT_EQ(doc.pageCount(), 2);
    const output::PrintResult printed = output::printSink().print(doc, 2, 2, output::PrintSink::Printer::Chosen);
    ASSERT_TRUE(printed.ok);
    EXPECT_EQ(printed.printer, pdf);
    EXPECT_EQ(printed.pages, 1);
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QStringLiteral("6--2")));
    EXPECT_FALSE(text.contains(QStringLiteral("6--1")));
    EXPECT_EQ(text.count(QChar(0x000C)), 1); // one page
    seams.verifyAllUsed();
}

// Direct printing goes to the default printer without a dialog; where the
// system has no printer at all it fails rather than writing a file nowhere.
TEST(PrinterSink, DirectPrintWithoutADefaultPrinterFails)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "a default printer is installed; not printing to it";
    testsupport::TestSeams seams;
    output::PrintPages pages(stubPage);
    pages.setRecord(testsupport::richPrintRecord(true));
    const report::Document doc = pages.direct(Family::Applied, output::PrintPages::indexOf(Family::Applied, QStringLiteral("3")));
    const output::PrintResult r = output::printSink().print(doc, 1, 1, output::PrintSink::Printer::Default);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.printer.isEmpty());
    EXPECT_EQ(r.reason, QStringLiteral("系统没有设置默认打印机"));
    seams.verifyAllUsed(); // no dialog was shown
}
