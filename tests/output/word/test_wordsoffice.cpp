// The generated templates and filled documents open in the word processor:
// converted to PDF without error, every filled value in the PDF's text, and
// full records laid out without blank pages, lone headings or broken labels.
// Needs soffice (Debian package libreoffice-writer-nogui) and pdftotext;
// skipped with a message where they are missing.

#include "wordfixtures.h"

#include "output/word/docxfiller.h"
#include "output/word/wordbookmarks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

using namespace wordtest;
using word::WordForm;

namespace {

// What pdftotext reads from a PDF (each page ends in a form feed).
QString rawPdfText(const QString &pdf, const QStringList &options = {})
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), options + QStringList{pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000))
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Without blanks and line ends: the text extraction puts blanks between
// Chinese characters and digits, and a value wrapped in its cell comes out
// on two lines.
QString withoutBlanks(QString text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s"));
    return text.remove(blanks);
}

QString pdfText(const QString &pdf)
{
    return withoutBlanks(rawPdfText(pdf));
}

// The text of each page, blanks and line ends removed.
QStringList pageTexts(const QString &pdf)
{
    QStringList pages = rawPdfText(pdf).split(u'\f');
    pages.removeLast();  // what follows the last page's form feed
    for (QString &p : pages)
        p = withoutBlanks(p);
    return pages;
}

// Converts documents to PDF beside them in one run of the writer; false,
// with its complaint in `why`, when it fails.
bool convertToPdf(const QTemporaryDir &tmp, const QStringList &inputs, QString &why)
{
    QProcess soffice;
    soffice.setWorkingDirectory(tmp.path());
    soffice.start(QStringLiteral("soffice"),
                  QStringList{QStringLiteral("-env:UserInstallation=file://") + tmp.filePath(QStringLiteral("profile")),
                              QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                              QStringLiteral("--outdir"), tmp.path()}
                      + inputs);
    if (!soffice.waitForFinished(300000)) {
        why = QStringLiteral("soffice did not finish");
        return false;
    }
    why = QString::fromLocal8Bit(soffice.readAllStandardError());
    return soffice.exitCode() == 0;
}

// SORVEL_WORD_KEEP names a folder that receives the documents and PDFs to look at.
void keep(const QString &file, const QString &name)
{
    const QString folder = qEnvironmentVariable("SORVEL_WORD_KEEP");
    if (folder.isEmpty())
        return;
    QFile::remove(QDir(folder).filePath(name));
    QFile::copy(file, QDir(folder).filePath(name));
}

// A form's headings and the labels of its ruled rows, from its description.
void headingsAndLabels(WordForm form, QStringList &headings, QStringList &labels)
{
    static const std::map<WordForm, const char *> descriptions{
        {WordForm::AppliedRegistration, "registration_applied"},
        {WordForm::BasicRegistration, "registration_basic"},
        {WordForm::AppraisalApplication, "appraisal_application"},
        {WordForm::AppraisalCertificate, "appraisal_certificate"}};
    QFile f(QStringLiteral(SORVEL_SOURCE_DIR "/resources/word/%1.txt").arg(QLatin1String(descriptions.at(form))));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    static const QRegularExpression share(QStringLiteral("\\*\\d+$")), height(QStringLiteral("^h=\\d+\\s+"));
    for (const QString &line : QString::fromUtf8(f.readAll()).split(u'\n')) {
        if (line.startsWith(QLatin1String("heading ")))
            headings << line.mid(8).trimmed();
        if (!line.startsWith(QLatin1String("row ")))
            continue;
        for (QString cell : line.mid(4).remove(height).split(u'|')) {
            cell = cell.trimmed().remove(share).trimmed();
            if (!cell.isEmpty() && !cell.contains(u'{') && !cell.startsWith(u'（'))
                labels << cell;
        }
    }
}

// A record over every list's cap, with a summary longer than a page and the
// other long texts of several lines.
WordRecord overCapsRecord(const QString &category)
{
    WordRecord r = withLists(richRecord(category), 40, 25, 12, 8);
    QString summary;
    for (int i = 1; i <= 60; ++i)
        summary += QStringLiteral("第%1段：本成果研制了一种适用于高寒地区的混凝土抗冻融外加剂，经三年工程应用，"
                                  "抗冻等级提高两级，节约养护费用百分之三十，效果良好。\r\n")
                       .arg(i);
    r.record.set(QStringLiteral("ITEM_13_1"), summary);
    QString longText;
    for (int i = 1; i <= 12; ++i)
        longText += QStringLiteral("第%1条：可在北方寒冷地区的道路、桥梁和水工工程中推广使用。\r\n").arg(i);
    for (const char *f : {"ITEM_13_2", "ITEM_13_3", "ITEM_133", "ITEM_303"})
        r.record.set(QLatin1String(f), longText);
    r.record.set(QStringLiteral("ITEM_3"),
                 QStringLiteral("高寒地区混凝土抗冻融外加剂的研制与在道路桥梁水工工程中的推广应用研究"));
    return r;
}

} // namespace

TEST(WordInWriter, TemplatesAndFilledDocumentsConvertToPdf)
{
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        GTEST_SKIP() << "soffice is not installed (Debian package libreoffice-writer-nogui): "
                        "the conversion of the Word templates was not checked";
    const bool haveText = !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();

    QTemporaryDir tmp;
    struct Case {
        WordForm form;
        QString category;
        QString title;  // the form's title, on the empty template too
    };
    const std::vector<Case> cases{
        {WordForm::AppliedRegistration, "1", QStringLiteral("应用技术类成果")},
        {WordForm::BasicRegistration, "3", QStringLiteral("基础理论、软科学类成果")},
        {WordForm::AppraisalApplication, "1", QStringLiteral("科学技术成果鉴定申请表")},
        {WordForm::AppraisalCertificate, "1", QStringLiteral("科学技术成果鉴定证书")},
    };
    QStringList inputs;
    for (const Case &c : cases) {
        const QString name = word::templateFileName(c.form);
        const QString tpl = tmp.filePath(QStringLiteral("t%1.dot").arg(int(c.form)));
        ASSERT_TRUE(QFile::copy(QDir(QStringLiteral(WORD_TEMPLATE_DIR)).filePath(name), tpl));
        const QString doc = tmp.filePath(QStringLiteral("d%1.docx").arg(int(c.form)));
        ASSERT_TRUE(word::fillDocument(tpl, doc, written(c.form, richRecord(c.category))).ok);
        inputs << tpl << doc;
    }
    QString why;
    ASSERT_TRUE(convertToPdf(tmp, inputs, why)) << qPrintable(why);

    for (const Case &c : cases) {
        SCOPED_TRACE(qPrintable(word::templateFileName(c.form)));
        const QString tplPdf = tmp.filePath(QStringLiteral("t%1.pdf").arg(int(c.form)));
        const QString docPdf = tmp.filePath(QStringLiteral("d%1.pdf").arg(int(c.form)));
        EXPECT_GT(QFileInfo(tplPdf).size(), 1000);
        EXPECT_GT(QFileInfo(docPdf).size(), 1000);
        const QString base = QFileInfo(word::templateFileName(c.form)).completeBaseName();
        keep(tplPdf, base + QStringLiteral("-template.pdf"));
        keep(docPdf, base + QStringLiteral("-filled.pdf"));
        keep(tmp.filePath(QStringLiteral("d%1.docx").arg(int(c.form))), base + QStringLiteral(".docx"));
        if (!haveText)
            continue;
        const QString text = pdfText(docPdf);
        for (const auto &[bookmark, value] : written(c.form, richRecord(c.category))) {
            const QString shown = withoutBlanks(value);
            EXPECT_TRUE(text.contains(shown)) << qPrintable(bookmark) << " not in the PDF: " << qPrintable(shown);
        }
        const QString empty = pdfText(tplPdf);
        EXPECT_TRUE(empty.contains(c.title));
        EXPECT_TRUE(text.contains(c.title));
        EXPECT_FALSE(empty.contains(QStringLiteral("完成人1")));
    }
    if (!haveText)
        GTEST_SKIP() << "pdftotext is not installed (poppler-utils): the PDFs' texts were not checked";
}

// Lists over their caps and a summary longer than a page: every value in the
// PDF's text, no page without text, no heading left at the foot of a page
// without what it heads, and no label of a ruled row broken over two lines.
TEST(WordInWriter, FullRecordsLayOutWithoutBlankPagesLoneHeadingsOrBrokenLabels)
{
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "soffice (libreoffice-writer-nogui) or pdftotext (poppler-utils) is not installed: "
                        "the layout of the filled documents was not checked";
    QTemporaryDir tmp;
    const std::vector<std::pair<WordForm, QString>> cases{{WordForm::AppliedRegistration, "1"},
                                                          {WordForm::BasicRegistration, "3"},
                                                          {WordForm::AppraisalApplication, "1"},
                                                          {WordForm::AppraisalCertificate, "1"}};
    QStringList inputs;
    for (const auto &[form, category] : cases) {
        const QString doc = tmp.filePath(QStringLiteral("full%1.docx").arg(int(form)));
        const QString tpl = QDir(QStringLiteral(WORD_TEMPLATE_DIR)).filePath(word::templateFileName(form));
        ASSERT_TRUE(word::fillDocument(tpl, doc, written(form, overCapsRecord(category))).ok);
        inputs << doc;
    }
    QString why;
    ASSERT_TRUE(convertToPdf(tmp, inputs, why)) << qPrintable(why);

    for (const auto &[form, category] : cases) {
        SCOPED_TRACE(qPrintable(word::templateFileName(form)));
        const QString pdf = tmp.filePath(QStringLiteral("full%1.pdf").arg(int(form)));
        keep(pdf, QFileInfo(word::templateFileName(form)).completeBaseName() + QStringLiteral("-full.pdf"));
        const QString text = pdfText(pdf);
        for (const auto &[bookmark, value] : written(form, overCapsRecord(category))) {
            const QString shown = withoutBlanks(value);
            EXPECT_TRUE(text.contains(shown)) << qPrintable(bookmark) << " not in the PDF: " << qPrintable(shown.left(40));
        }
        const QStringList pages = pageTexts(pdf);
        ASSERT_GT(pages.size(), 3);
        QStringList headings, labels;
        headingsAndLabels(form, headings, labels);
        ASSERT_FALSE(headings.isEmpty());
        ASSERT_FALSE(labels.isEmpty());
        for (qsizetype i = 0; i < pages.size(); ++i) {
            EXPECT_FALSE(pages[i].isEmpty()) << "page " << i + 1 << " is blank";
            for (const QString &h : headings)
                EXPECT_FALSE(pages[i].endsWith(h)) << "heading " << qPrintable(h) << " alone at the foot of page " << i + 1;
        }
        // Each label whole on one line of the laid-out text.
        const QStringList lines = rawPdfText(pdf, {QStringLiteral("-layout")}).split(u'\n');
        for (const QString &label : labels) {
            bool whole = false;
            for (const QString &line : lines)
                whole = whole || withoutBlanks(line).contains(label);
            EXPECT_TRUE(whole) << "label " << qPrintable(label) << " is broken over lines";
        }
    }
}
