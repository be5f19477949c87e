// The generated templates and filled documents open in the word processor:
// converted to PDF without error, every filled value in the PDF's text.
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

using namespace wordtest;
using word::WordForm;

namespace {

QString pdfText(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000))
        return QString();
    // Without blanks and line ends: the text extraction puts blanks between
    // Chinese characters and digits, and a value wrapped in its cell comes
    // out on two lines.
    QString text = QString::fromUtf8(p.readAllStandardOutput());
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
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
    QProcess soffice;
    soffice.setWorkingDirectory(tmp.path());
    soffice.start(QStringLiteral("soffice"),
                  QStringList{QStringLiteral("-env:UserInstallation=file://") + tmp.filePath(QStringLiteral("profile")),
                              QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                              QStringLiteral("--outdir"), tmp.path()}
                      + inputs);
    ASSERT_TRUE(soffice.waitForFinished(300000)) << "soffice did not finish";
    EXPECT_EQ(soffice.exitCode(), 0) << soffice.readAllStandardError().constData();

    for (const Case &c : cases) {
        SCOPED_TRACE(qPrintable(word::templateFileName(c.form)));
        const QString tplPdf = tmp.filePath(QStringLiteral("t%1.pdf").arg(int(c.form)));
        const QString docPdf = tmp.filePath(QStringLiteral("d%1.pdf").arg(int(c.form)));
        EXPECT_GT(QFileInfo(tplPdf).size(), 1000);
        EXPECT_GT(QFileInfo(docPdf).size(), 1000);
        // SORVEL_WORD_KEEP names a folder that receives the documents and PDFs to look at.
        const QString keep = qEnvironmentVariable("SORVEL_WORD_KEEP");
        if (!keep.isEmpty()) {
            QFile::copy(tplPdf, QDir(keep).filePath(QFileInfo(word::templateFileName(c.form)).completeBaseName()
                                                    + QStringLiteral("-template.pdf")));
            QFile::copy(docPdf, QDir(keep).filePath(QFileInfo(word::templateFileName(c.form)).completeBaseName()
                                                    + QStringLiteral("-filled.pdf")));
            QFile::copy(tmp.filePath(QStringLiteral("d%1.docx").arg(int(c.form))),
                        QDir(keep).filePath(QFileInfo(word::templateFileName(c.form)).completeBaseName()
                                            + QStringLiteral(".docx")));
        }
        if (!haveText)
            continue;
        const QString text = pdfText(docPdf);
        static const QRegularExpression blanks(QStringLiteral("\\s"));
        for (const auto &[bookmark, value] : written(c.form, richRecord(c.category))) {
            const QString shown = QString(value).remove(blanks);
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
