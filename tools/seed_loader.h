#pragma once

// Filling a new data folder with the rows the program is delivered with: the
// dictionary and code tables, and the one row of organisation data.
//
// A seed file is named after its table ("province.tsv" for province.dbf) and
// holds UTF-8 text, one row a line, cells separated by TAB.  Lines beginning
// with "#" and blank lines are passed over.  The first other line names the
// fields the cells fill, in any letter case and any order; fields it leaves
// out stay blank, as do empty cells.

#include <QString>
#include <stdexcept>

namespace seed {

// A seed that cannot be loaded, or a data folder that cannot be laid out.
// The message names the seed file, and its line where one is at fault
// ("/…/province.tsv:7: …").
class SeedError : public std::runtime_error {
public:
    explicit SeedError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// Appends the rows of one seed file to its table in `dataFolder` (the table
// must exist) and syncs the table file.  Returns the number of rows added.
// Throws SeedError; rows added before the failing line stay in the table.
int loadSeedFile(const QString &seedFile, const QString &dataFolder);

struct SeedSummary {
    bool laidOut = false;     // false: the folder already held tables
    int seedFiles = 0;
    int rows = 0;
};

// Lays out `dataFolder` with every table of the program and loads every seed
// file of `seedFolder` into it, unless the folder already holds a table or
// memo file (any letter case), which is left exactly as it is.
// The tables are built in a sibling folder "<data>.new-XXXXXX" and take
// the data folder's place only when every seed has loaded: an absent folder
// (or an empty one) is replaced by renaming; into a folder holding other
// files the table files are moved one by one, never over an existing file.
// On failure nothing of the new tables is left behind and SeedError is
// thrown.
SeedSummary seedDataFolder(const QString &seedFolder, const QString &dataFolder);

// Whether `folder` holds a table (.dbf) or memo (.dbt) file, in any case.
bool holdsTables(const QString &folder);

} // namespace seed
