#pragma once

#include "output/word/wordbookmarks.h"
#include "output/word/wordrecord.h"

#include <QString>
#include <QStringList>

class TDM;

// The Word outputs as the print dialog starts them: ask, check the template,
// make the document from it in a temporary folder and open it.
namespace word {

// What an export asks of the person and the machine; the program's is
// PlatformWordHost (through the platform seams), tests give their own.
class WordHost {
public:
    virtual ~WordHost() = default;
    // OK/Cancel question without icon; true for OK.
    virtual bool confirm(const QString &text, const QString &caption) = 0;
    virtual void error(const QString &text) = 0;
    virtual void inform(const QString &text, const QString &caption) = 0;
    // Starts a program without waiting for it; false when it cannot start.
    virtual bool startProgram(const QString &program, const QStringList &args) = 0;
};

enum class ExportEnd {
    Cancelled,         // the user said no
    NoTemplate,        // the template is not in the data folder
    Failed,            // the document could not be written
    OpenedInWriter,    // soffice took it as a new, unsaved document
    OpenedByDesktop,   // the desktop's opener took it
    LeftInFolder,      // nothing could open it; the user was told where it is
};

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
// The dictionary, provinces, ministries and (when present) the subject and
// library classification tables of a data folder.
CodeTables loadCodeTables(const QString &dataFolder);

} // namespace word
