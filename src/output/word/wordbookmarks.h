#pragma once

#include "output/word/wordrecord.h"

#include <QString>
#include <QStringList>
#include <functional>

// The texts each Word output puts after the bookmarks of its template, in the
// order they are written.  Every bookmark of the record's own fields is
// written once (an empty text where the record has nothing); list rows are
// written for the rows the record has, up to the list's cap.
namespace word {

enum class WordForm {
    AppliedRegistration,   // "应用技术登记表.dot"
    BasicRegistration,     // "基础、软科学登记表.dot"
    AppraisalApplication,  // "科学技术成果鉴定申请表.dot"
    AppraisalCertificate,  // "科学技术成果鉴定证书.dot"
};

using BookmarkSink = std::function<void(const QString &bookmark, const QString &text)>;

void writeBookmarks(WordForm form, const WordRecord &rec, const CodeTables &tables, const BookmarkSink &sink);

// The template's file name in the data folder.
QString templateFileName(WordForm form);
// The registration form of the record's family.
WordForm registrationForm(const WordRecord &rec);

// Bookmarks a template may hold that no record ever writes (none today; the
// conformity test reads this list).
QStringList quietBookmarks(WordForm form);

// Every bookmark a form can write, list rows counted up to their caps.
QStringList allBookmarks(WordForm form);

} // namespace word
