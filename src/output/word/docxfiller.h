#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Makes a document from an OOXML template: each text goes into a new run
// right after its bookmark (bookmark names compared without regard to case),
// carriage returns and line feeds become line breaks, and the run takes the
// paragraph's run properties.  The template file is only read.
namespace word {

using BookmarkTexts = QList<QPair<QString, QString>>;

struct FillResult {
    bool ok = false;
    QString error;          // why no document was written
    QStringList missing;    // bookmarks the template lacks (their texts were left out)
};

// Writes `documentPath` (a .docx) from `templatePath` (a .dotx or .docx).
FillResult fillDocument(const QString &templatePath, const QString &documentPath, const BookmarkTexts &texts);

// The names of the bookmarks of a document's main part, in document order;
// empty when the file cannot be read.
QStringList documentBookmarks(const QString &path);

// The texts placed after each bookmark of a document written by
// fillDocument from that template, line breaks read back as "\r".
BookmarkTexts filledTexts(const QString &templatePath, const QString &documentPath);

// One member of a zip archive; empty when the archive or the member cannot
// be read.
QByteArray archiveMember(const QString &path, const QString &name);

// The text without the characters an XML document cannot hold (control
// characters other than tab, line feed and carriage return, U+FFFE, U+FFFF,
// unpaired surrogates).
QString xmlSafe(const QString &text);

} // namespace word
