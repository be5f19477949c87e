#pragma once

#include "data/records.h"
#include "exchange/archiver.h"
#include "exchange/prompt.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// Import of packages: unpacking "CGSBQY.ARJ", loading its text files into
// the staging tables, the duplicate check, renaming, deleting and re-dating
// staged records, and saving them into the record tables under new keys.
namespace exchange {

// The registration approval date ITEM_121 of an incoming main record: a
// valid yyyy-MM-dd date stays as it is; anything else, the empty value
// included, becomes `today` (the record counts as registered on the day it
// arrives).  The only place this rule lives.
QByteArray arrivalApprovalDate(const QByteArray &token, const QDate &today);

// A record key: ten digits, the first four a year from 1900 on.
bool isValidRecordKey(QByteArrayView key);
// A region code: one to three letters, digits or full stops.
bool isValidRegion(QByteArrayView region);

class Importer {
public:
    Importer(QString dataFolder, Archiver &archiver, Prompt prompt);
    ~Importer();

    // Empties the staging tables of the records and their sub-tables (the
    // window is shown).
    void emptyStaging();

    // Checks the package's name and unpacks it into a private folder.  False
    // (after a message) for a wrong name or a package that cannot be unpacked.
    bool choosePackage(const QString &path);
    bool hasPackage() const { return bool(m_unpacked); }

    // Reads the unpacked text files into the staging tables: every file is
    // read and converted first, and only when all of them are sound are the
    // rows written.  False (after a message) when nothing was loaded.
    bool load();

    // The duplicate check from the first staged record: a staged record with
    // the name and first organisation of a main record is deleted when the
    // user says so.  Returns the staging row the user chose to rename, or -1
    // when the check ran to its end.
    int checkDuplicates();
    // Gives a staged record another name.  Throws db::EngineError.
    void renameStaged(int stagingRow, const QString &name);
    // Asks, then deletes a staged record with its staged sub-rows.
    bool deleteStaged(int stagingRow);
    // Moves a staged record, with its staged sub-rows, to another year: all
    // of them or, when a write fails, none (every staging table is put back
    // as it was and a message names the record).  A year isRedateYear
    // refuses is told before the question is asked.
    bool redate(int stagingRow, const QString &yearText);
    // Whether a typed year (blanks around it aside) is four digits a record
    // key can begin with.
    static bool isRedateYear(const QString &yearText);

    // Saves every staged record into the record tables under a new key;
    // empties the staging tables.
    void save();
    // Saves the staged records, each replacing the main record of the same
    // name and first organisation once its own rows are in place.
    void saveOverwriting();

    // Converts an older package "CGSB" + number + ".ARJ" into "cgsbqy.arj"
    // beside it.
    bool convertOldPackage(const QString &path);

    // The staged records, physical rows of the main staging table in order.
    QList<int> stagedRows() const;
    QString summaryCount() const;   // "记录条数:n条；"
    QString summaryKinds() const;   // "其中：应用技术…"

    QString dataFolder() const { return m_data; }

private:
    struct Saving;
    struct Planned;
    bool planRecord(Saving &s, int stagingRow, bool overwrite, Planned &p);
    void finishRecord(Saving &s, Planned &p, bool overwrite, QList<QPair<db::TableFile *, int>> &deletes);
    void mergePersons(Saving &s, const Planned &p);
    void saveBatch(Saving &s, const QList<int> &stagingRows, bool overwrite);
    void runSave(bool overwrite);
    void renumber();
    void deleteStagedRecord(int stagingRow);

    QString m_data;
    Archiver &m_archiver;
    Prompt m_prompt;
    std::unique_ptr<QTemporaryDir> m_unpacked;
};

} // namespace exchange
