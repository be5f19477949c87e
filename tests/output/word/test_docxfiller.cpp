// The filler over the generated templates: every bookmark in its place, the
// template left alone, texts XML cannot hold dropped; and the templates'
// bookmarks against what the code writes.

#include "wordfixtures.h"

#include "output/word/docxfiller.h"
#include "output/word/wordbookmarks.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

using namespace wordtest;
using word::WordForm;

namespace {

const std::vector<WordForm> kForms{WordForm::AppliedRegistration, WordForm::BasicRegistration,
                                   WordForm::AppraisalApplication, WordForm::AppraisalCertificate};

QString templatePath(WordForm form)
{
    return QDir(QStringLiteral(WORD_TEMPLATE_DIR)).filePath(word::templateFileName(form));
}

QByteArray digest(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QString lineBreaks(QString s)
{
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    s.replace(u'\n', u'\r');
    return s;
}

WordRecord fullRecord(WordForm form)
{
    return withLists(richRecord(form == WordForm::BasicRegistration ? QStringLiteral("3") : QStringLiteral("1")), 50,
                     20, 8, 5);
}

} // namespace

TEST(WordTemplates, BookmarksOfTemplatesAndCodeAgree)
{
    for (WordForm form : kForms) {
        SCOPED_TRACE(qPrintable(word::templateFileName(form)));
        const QStringList inTemplate = word::documentBookmarks(templatePath(form));
        ASSERT_FALSE(inTemplate.isEmpty()) << "template missing or unreadable";
        QSet<QString> templateSet, codeSet;
        for (const QString &b : inTemplate)
            templateSet.insert(b.toLower());
        EXPECT_EQ(templateSet.size(), inTemplate.size()) << "a bookmark name appears twice";
        const QStringList written = word::allBookmarks(form);
        for (const QString &b : written) {
            codeSet.insert(b.toLower());
            EXPECT_TRUE(templateSet.contains(b.toLower())) << "written but not in the template: " << qPrintable(b);
        }
        for (const QString &b : word::quietBookmarks(form))
            codeSet.insert(b.toLower());
        for (const QString &b : inTemplate)
            EXPECT_TRUE(codeSet.contains(b.toLower())) << "in the template but never written: " << qPrintable(b);
    }
}

// What stands in a template's body, in order: "table", "text", "empty" (an
// empty paragraph), "new page" (a paragraph that starts a page), and
// "page break" for a paragraph holding a page break.
QStringList bodyBlocks(const QByteArray &document)
{
    QStringList blocks;
    QXmlStreamReader xml(document);
    int depth = 0, bodyDepth = -1;
    bool text = false, startsPage = false, pageBreak = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            const auto name = xml.qualifiedName();
            if (name == QLatin1String("w:body"))
                bodyDepth = depth;
            else if (depth == bodyDepth + 1 && name == QLatin1String("w:tbl"))
                blocks << QStringLiteral("table");
            else if (depth == bodyDepth + 1 && name == QLatin1String("w:p"))
                text = startsPage = pageBreak = false;
            else if (name == QLatin1String("w:t"))
                text = true;
            else if (name == QLatin1String("w:pageBreakBefore"))
                startsPage = true;
            else if (name == QLatin1String("w:br") && xml.attributes().value(QLatin1String("w:type")) == QLatin1String("page"))
                pageBreak = true;
        } else if (xml.isEndElement()) {
            if (depth == bodyDepth + 1 && xml.qualifiedName() == QLatin1String("w:p"))
                blocks << (pageBreak ? QStringLiteral("page break")
                                     : startsPage ? QStringLiteral("new page")
                                                  : text ? QStringLiteral("text") : QStringLiteral("empty"));
            --depth;
        }
    }
    return blocks;
}

// A paragraph that only breaks the page, or empty ones between a table that
// ends at the foot of a page and the next page's start, make a page of their
// own: new pages are asked of the paragraph that starts them, and what
// follows a table's empty paragraphs is never a new page.
TEST(WordTemplates, NothingAfterATableCanSpillOntoAPageOfItsOwn)
{
    for (WordForm form : kForms) {
        SCOPED_TRACE(qPrintable(word::templateFileName(form)));
        const QStringList blocks = bodyBlocks(word::archiveMember(templatePath(form), QStringLiteral("word/document.xml")));
        ASSERT_GT(blocks.size(), 10);
        EXPECT_FALSE(blocks.contains(QStringLiteral("page break")));
        EXPECT_GE(blocks.count(QStringLiteral("new page")), 3);
        for (qsizetype i = 0; i < blocks.size(); ++i) {
            if (blocks[i] != QLatin1String("table"))
                continue;
            qsizetype next = i + 1;
            while (next < blocks.size() && blocks[next] == QLatin1String("empty"))
                ++next;
            if (next == blocks.size()) {
                EXPECT_EQ(next, i + 2) << "one paragraph ends the body";
            } else if (next > i + 1) {
                EXPECT_NE(blocks[next], QStringLiteral("new page")) << "after the table at block " << i;
            }
        }
        EXPECT_EQ(blocks.last(), QStringLiteral("empty")) << "the body ends with a paragraph";
    }
}

TEST(WordFiller, EveryTextLandsAfterItsBookmarkAndTheTemplateStaysAsItWas)
{
    QTemporaryDir tmp;
    for (WordForm form : kForms) {
        SCOPED_TRACE(qPrintable(word::templateFileName(form)));
        const QString tpl = templatePath(form);
        const QByteArray before = digest(tpl);
        const auto texts = written(form, fullRecord(form));
        const QString doc = tmp.filePath(QStringLiteral("out%1.docx").arg(int(form)));
        const word::FillResult r = word::fillDocument(tpl, doc, texts);
        ASSERT_TRUE(r.ok) << qPrintable(r.error);
        EXPECT_TRUE(r.missing.isEmpty()) << qPrintable(r.missing.join(u' '));
        EXPECT_EQ(digest(tpl), before);

        QMap<QString, QString> filled;
        for (const auto &p : word::filledTexts(tpl, doc))
            filled.insert(p.first.toLower(), p.second);
        for (const auto &p : texts)
            EXPECT_EQ(filled.value(p.first.toLower()), lineBreaks(p.second)) << qPrintable(p.first);

        const QByteArray types = word::archiveMember(doc, QStringLiteral("[Content_Types].xml"));
        EXPECT_TRUE(types.contains("wordprocessingml.document.main+xml"));
        EXPECT_FALSE(types.contains("wordprocessingml.template.main+xml"));
        EXPECT_TRUE(word::archiveMember(tpl, QStringLiteral("[Content_Types].xml")).contains("template.main+xml"));
    }
}

TEST(WordFiller, RunsTakeTheParagraphsPropertiesAndBreakLines)
{
    QTemporaryDir tmp;
    const QString tpl = templatePath(WordForm::AppliedRegistration);
    const QString doc = tmp.filePath(QStringLiteral("d.docx"));
    ASSERT_TRUE(word::fillDocument(tpl, doc,
                                   {{QStringLiteral("item_3_a"), QStringLiteral("封面名称")},
                                    {QStringLiteral("ITEM_13_1"), QStringLiteral("第一行\r\n第二行\n第三行\t完")},
                                    {QStringLiteral("item_13_1"), QStringLiteral("续")}})
                    .ok);
    const QString xml = QString::fromUtf8(word::archiveMember(doc, QStringLiteral("word/document.xml")));
    // The cover's paragraph is set in 14 points; the inserted run is too.
    const QRegularExpression cover(QStringLiteral(
        "w:name=\"item_3_a\"/><w:bookmarkEnd w:id=\"\\d+\"/><w:r><w:rPr><w:sz w:val=\"28\"/><w:szCs w:val=\"28\"/>"
        "</w:rPr><w:t xml:space=\"preserve\">封面名称</w:t></w:r>"));
    EXPECT_TRUE(cover.match(xml).hasMatch()) << qPrintable(xml.mid(xml.indexOf("item_3_a") - 10, 400));
    EXPECT_TRUE(xml.contains(QStringLiteral("第一行</w:t><w:br/><w:t xml:space=\"preserve\">第二行</w:t><w:br/>"
                                            "<w:t xml:space=\"preserve\">第三行</w:t><w:tab/>")));
    // Bookmark names are matched without regard to case; a second text of
    // the same bookmark follows the first.
    QMap<QString, QString> filled;
    for (const auto &p : word::filledTexts(tpl, doc))
        filled.insert(p.first, p.second);
    EXPECT_EQ(filled["item_13_1"], QStringLiteral("第一行\r第二行\r第三行\t完续"));
}

TEST(WordFiller, ControlCharactersAreDroppedAndTheDocumentStaysWellFormed)
{
    EXPECT_EQ(word::xmlSafe(QStringLiteral("甲\x01乙\x0b丙\x1f") + QChar(0xFFFE) + QChar(0xD800) + QStringLiteral("丁")),
              QStringLiteral("甲乙丙丁"));
    EXPECT_EQ(word::xmlSafe(QStringLiteral("a\tb\r\nc")), QStringLiteral("a\tb\r\nc"));
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    EXPECT_EQ(word::xmlSafe(emoji), emoji) << "a surrogate pair is kept whole";

    QTemporaryDir tmp;
    const QString tpl = templatePath(WordForm::AppraisalApplication);
    const QString doc = tmp.filePath(QStringLiteral("c.docx"));
    const QString nasty = QStringLiteral("名\x02称") + QChar(0) + QStringLiteral("<&>\"'") + QChar(0xFFFF);
    const word::FillResult r = word::fillDocument(tpl, doc, {{QStringLiteral("item_3_2"), nasty}});
    ASSERT_TRUE(r.ok) << qPrintable(r.error);
    QMap<QString, QString> filled;
    for (const auto &p : word::filledTexts(tpl, doc))
        filled.insert(p.first, p.second);
    ASSERT_FALSE(filled.isEmpty()) << "the document no longer parses";
    EXPECT_EQ(filled["item_3_2"], QStringLiteral("名称<&>\"'"));
}

TEST(WordFiller, MissingBookmarksAndBadTemplates)
{
    QTemporaryDir tmp;
    const QString tpl = templatePath(WordForm::AppraisalCertificate);
    const QString doc = tmp.filePath(QStringLiteral("m.docx"));
    const word::FillResult r = word::fillDocument(
        tpl, doc, {{QStringLiteral("no_such_mark"), QStringLiteral("x")}, {QStringLiteral("item_41"), QStringLiteral("周敏")}});
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.missing, QStringList{QStringLiteral("no_such_mark")});
    bool found = false;
    for (const auto &p : word::filledTexts(tpl, doc))
        found |= p.first == QLatin1String("item_41") && p.second == QStringLiteral("周敏");
    EXPECT_TRUE(found) << "the texts with bookmarks are filled all the same";

    // Templates that cannot be read and documents that cannot be written:
    // the reason in the program's words, nothing left behind.
    const auto fails = [&](const QString &from, const QString &to, const QString &reason) {
        const word::FillResult b = word::fillDocument(from, to, {{QStringLiteral("item_3"), QStringLiteral("x")}});
        EXPECT_FALSE(b.ok);
        EXPECT_TRUE(b.error.contains(reason)) << qPrintable(b.error);
        EXPECT_TRUE(whollyChinese(b.error, {from, to, tmp.path()})) << qPrintable(b.error);
        EXPECT_FALSE(QFile::exists(to));
    };
    const QString bad = tmp.filePath(QStringLiteral("bad.dot"));
    writeFile(bad, "this is no zip archive");
    fails(bad, tmp.filePath(QStringLiteral("bad.docx")), QStringLiteral("不是本程序能读的Word模板格式"));
    fails(tmp.filePath(QStringLiteral("none.dot")), tmp.filePath(QStringLiteral("none.docx")),
          QStringLiteral("无法读出：文件不存在"));
    // A binary template: named as such, with what to do.
    const QString binary = tmp.filePath(QStringLiteral("old.dot"));
    writeFile(binary, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(4096, '\0'));
    fails(binary, tmp.filePath(QStringLiteral("old.docx")),
          QStringLiteral("模板“old.dot”是旧的二进制Word格式，本程序只能填写“.dotx”格式的Word模板。"
                         "请用文字处理软件打开它，另存为“Word 模板（.dotx）”格式，再把文件改名为“old.dot”，放回数据文件夹 ")
              + QDir::toNativeSeparators(tmp.path()));
    // A document whose folder is a file.
    writeFile(tmp.filePath(QStringLiteral("plain")), "x");
    fails(tpl, tmp.filePath(QStringLiteral("plain/d.docx")), QStringLiteral("无法写入"));
}

TEST(WordFiller, RowsBeyondTheRecordsAndAnEmptyRecordLeaveTheTemplatesRowsEmpty)
{
    QTemporaryDir tmp;
    WordRecord six = richRecord();
    six.organisations.clear();
    for (int i = 1; i <= 6; ++i)
        six.organisations << organisation(i);
    WordRecord empty;
    empty.record.set(QStringLiteral("ITEM_CGLB"), QStringLiteral("1"));
    for (WordForm form : kForms) {
        SCOPED_TRACE(qPrintable(word::templateFileName(form)));
        const QString tpl = templatePath(form);
        if (form == WordForm::BasicRegistration) {
            six.record.set(QStringLiteral("ITEM_CGLB"), QStringLiteral("2"));
            empty.record.set(QStringLiteral("ITEM_CGLB"), QStringLiteral("2"));
        }
        const QString doc = tmp.filePath(QStringLiteral("six%1.docx").arg(int(form)));
        ASSERT_TRUE(word::fillDocument(tpl, doc, written(form, six)).ok);
        QMap<QString, QString> filled;
        for (const auto &p : word::filledTexts(tpl, doc))
            filled.insert(p.first, p.second);
        if (form != WordForm::AppraisalApplication) {
            EXPECT_EQ(filled.value("item_170_6"), QStringLiteral("合作单位6"));
            EXPECT_TRUE(filled.contains("item_170_7")) << "the template holds the row";
            EXPECT_EQ(filled.value("item_170_7"), QString());
        }
        EXPECT_TRUE(filled.contains("item_180_3"));
        EXPECT_EQ(filled.value("item_180_3"), QString());

        const QString blank = tmp.filePath(QStringLiteral("empty%1.docx").arg(int(form)));
        const word::FillResult r = word::fillDocument(tpl, blank, written(form, empty));
        ASSERT_TRUE(r.ok) << qPrintable(r.error);
        EXPECT_TRUE(r.missing.isEmpty());
        for (const auto &p : word::filledTexts(tpl, blank)) {
            const QString &t = p.second;
            EXPECT_TRUE(t.isEmpty() || t == QLatin1String("\r") || (p.first == "item_1_1" && t == "0"))
                << qPrintable(p.first) << " holds " << qPrintable(t);
        }
    }
}
