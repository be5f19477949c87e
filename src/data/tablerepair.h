#pragma once

#include <QString>
#include <QStringList>

// Keeping the readable rows of a damaged table of the data folder: the whole
// folder is copied beside it first (nothing is repaired in place without a
// copy), then the table is rewritten with the rows that can be read.
struct TableRepairResult {
    QString backupFolder;   // where the untouched folder was copied
    QStringList mended;     // what was found wrong and left behind
};

// Throws db::EngineError when the copy or the repair fails; the data folder
// is then as it was.
TableRepairResult keepReadableRows(const QString &dataPath, const QString &tableFile);
