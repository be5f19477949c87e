#pragma once

#include "exchange/archiver.h"
#include "exchange/prompt.h"

#include <QList>
#include <QString>

// Export of records: the selected records of kjcg with their sub-table rows
// and the whole organisation profile as the seven members of "cgsbqy.arj".
namespace exchange {

class Exporter {
public:
    Exporter(QString dataFolder, Archiver &archiver, Prompt prompt)
        : m_data(std::move(dataFolder)), m_archiver(archiver), m_prompt(std::move(prompt)) {}

    // The longest folder text the export takes.
    static constexpr int kFolderLimit = 255;

    // Sets the export mark ITEM_SJDC of every record to "0" (window shown).
    void resetExportMarks();

    // Writes the records at the physical rows `selected` of kjcg (all
    // records, after asking, when none is selected) into `folder` as
    // "cgsbqy.arj".  Asks before replacing an archive there.  Returns true
    // when the archive was written; false when the user declined or the
    // export failed (the message has been shown).  The text files are
    // written in a private folder and never left behind; an archive already
    // in `folder` stays until the new one is complete.
    bool exportRecords(const QString &folder, QList<int> selected);

    // The seven member texts of the given kjcg rows, without packing
    // (member name -> bytes, in package order).
    QList<QPair<QString, QByteArray>> memberTexts(const QList<int> &rows);

private:
    QString m_data;
    Archiver &m_archiver;
    Prompt m_prompt;
};

// The package's member names in pack order.
QStringList packageMembers();

} // namespace exchange
