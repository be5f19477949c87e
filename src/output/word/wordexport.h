#pragma once

#include "output/word/wordbookmarks.h"
#include "output/word/wordrecord.h"

#include <QString>
#include <QStringList>
#include <functional>

class TDM;

// The Word outputs as the print dialog starts them: ask, check the template,
// make the document from it in a temporary folder and open it.
namespace word {

// What an export asks of the person and the machine; the program's is
// PlatformWordHost (through the platform seams), tests give their own.
class WordHost {
public:
    // What to do when a started program soon ends with a failure; it runs
    // later, with a host to speak through.
    using Fallback = std::function<void(WordHost &)>;

    virtual ~WordHost() = default;
    // OK/Cancel question without icon; true for OK.
    virtual bool confirm(const QString &text, const QString &caption) = 0;
    // An error box; `details` (when not empty) is shown on request.
    virtual void error(const QString &text, const QString &details) = 0;
    void error(const QString &text) { error(text, QString()); }
    virtual void inform(const QString &text, const QString &caption) = 0;
    // Starts a program to show a document, without waiting for it; false
    // when it cannot start or would not show the document.  `ifItFails`
    // runs when the program soon ends with a failure.
    virtual bool startProgram(const QString &program, const QStringList &args, const Fallback &ifItFails) = 0;
};

enum class ExportEnd {
    Cancelled,         // the user said no
    NoTemplate,        // the template is not in the data folder
    Failed,            // the document could not be written
    OpenedInWriter,    // soffice took it as a new, unsaved document
    OpenedByDesktop,   // the desktop's opener took it
    LeftInFolder,      // nothing could show it; the user was told where it is
};
// A program that took the document and soon fails passes it on: the writer
// to the desktop's opener, the opener to the message saying where it is.

// The kind of the folders the documents are written into
// (platform::keptFolderTemplate): they outlive the run, since the document
// is handed to another program, and a start on a later day removes them.
inline const QString WordFolderKind = QStringLiteral("word");

struct ExportOutcome {
    ExportEnd end = ExportEnd::Cancelled;
    QString document;  // the written .docx, when there is one
};

// Runs one export of the record.  The code tables are read from the data
// folder after the user agreed (or `tables` is used when given); the
// document goes into a new folder under `tempRoot` (the system's temporary
// folder when empty).
ExportOutcome exportWord(WordHost &host, WordForm form, const QString &dataFolder, const WordRecord &record,
                         const CodeTables *tables = nullptr, const QString &tempRoot = QString());

// The print dialog's four Word buttons.
ExportOutcome exportRegistrationWord(WordHost &host, const QString &dataFolder, const WordRecord &record);
ExportOutcome exportAppraisalApplicationWord(WordHost &host, const QString &dataFolder, const WordRecord &record);
ExportOutcome exportAppraisalCertificateWord(WordHost &host, const QString &dataFolder, const WordRecord &record);

// The current record of DM.Qrykjcg with its rows, read from the tables of
// the data folder through cursors of the export's own.
WordRecord snapshotCurrentRecord(TDM &dm);
// A record's cooperating organisations in the order of the table's rows.
QList<WordRow> organisationsInTableOrder(const QString &dataFolder, const QString &key, const QString &region);
// The dictionary, provinces, ministries and (when present) the subject and
// library classification tables of a data folder.
CodeTables loadCodeTables(const QString &dataFolder);

} // namespace word
