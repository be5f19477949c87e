#pragma once

#include "exchange/archiver.h"
#include "exchange/prompt.h"

#include <QList>
#include <QString>
#include <functional>

// Code-table updates: one of the four delivered code tables replaced from an
// update package (one text file in the exchange format) or from a table file.
namespace exchange {

struct CodeTable {
    QString package;     // "DFJHXX.ARJ"
    QString member;      // "DFJHXX.TXT"
    QString tableFile;   // "DFJHZDXX.DBF"
    QString success;     // the message after an update from a table file
};
// The four tables, in the dialog's order.
const QList<CodeTable> &codeTables();

class CodeUpdater {
public:
    // `release` closes every dataset of the program on the table before it is
    // replaced; `reopen` opens them again (also when the update failed).
    CodeUpdater(QString dataFolder, Archiver &archiver, Prompt prompt, std::function<void(const QString &tableFile)> release = {},
                std::function<void(const QString &tableFile)> reopen = {})
        : m_data(std::move(dataFolder)), m_archiver(archiver), m_prompt(std::move(prompt)),
          m_release(std::move(release)), m_reopen(std::move(reopen)) {}

    // Replaces the table's rows by those of the package's member file.  The
    // whole file is read and converted into a new table first; the old table
    // stays in use until the new one is swapped in whole.
    bool updateFromPackage(int table, const QString &chosenFile);
    // Replaces the table file by a copy of `chosenFile`, once it has been
    // found to open and to hold the expected columns.
    bool updateFromFile(int table, const QString &chosenFile);

private:
    void swapIn(const CodeTable &t, const QString &newFile);
    QString m_data;
    Archiver &m_archiver;
    Prompt m_prompt;
    std::function<void(const QString &)> m_release, m_reopen;
};

} // namespace exchange
