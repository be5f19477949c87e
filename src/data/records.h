#pragma once

// Record operations over the data module's tables, without any window: which
// tables hold a record's rows, how its rows are found, the key a new record
// gets, and the operations that move, delete or copy a record together with
// all of its sub-table rows.
//
// A record is one row of kjcg and any number of rows in the four sub-tables,
// all carrying the record's key (ITEM_4) and region code (ITEM_DQDM).  The
// import stages incoming records in tables of the same columns ("KJCGtemp.dbf",
// "CGWCDWtemp.dbf", ...); every operation here works on either set.
//
// Every operation works on the shared table files themselves (db::TableFile),
// so all cursors of a file see the change at once and none of them is moved
// or refiltered.  Every operation that writes more than one row runs under a
// record journal: a small synced file in the data folder that names what the
// operation is about to change, removed once the tables are synced.  When the
// program dies part way, the next open of the data folder puts every row the
// journal names back as it was, so a record is always whole or absent.
// Failures throw db::EngineError (a base::Error) with a message for the user.

#include "db/dataset.h"
#include "db/tablefile.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>

// Doubles every single quote, for a text inside a quoted SQL literal or
// filter.
QString EscapeSqlQuotes(const QString &text);

namespace data {

// The key and region code fields every record row and sub-table row carries.
inline constexpr QLatin1String kKeyField("ITEM_4");
inline constexpr QLatin1String kRegionField("ITEM_DQDM");

// Which set of tables an operation works on: the program's own record tables
// or the import's staging tables.
enum class Store { Main, Staging };

// A record as the tables know it: its key and its region code, both
// trimmed.  Records made here carry the region ".".
struct RecordId {
    QString key;
    QString region;
};

// The key and region of a dataset's current row, trimmed; both empty when
// the dataset is closed or empty.
RecordId recordIdOf(db::Dataset &row);

// One table that holds rows of a record.
struct SubTable {
    QString exchangeName;        // "CGWCDW": the exchange file and staging table name
    QString fileName;            // the main table's file: "cgwcdw.DBF"
    QString orderField;          // the column the record's list pages sort by

    // The file of this table in `store` ("cgwcdw.DBF" or "CGWCDWtemp.dbf").
    QString file(Store store) const;
};

// The four sub-tables of a record, in exchange order: cooperating
// organisations (cgwcdw), completing persons (cgwcr), appraisal committee
// (jdwyhmd), patents (zlqk).
const QList<SubTable> &subTables();

// The sub-table of an exchange name or file name ("CGWCR", "cgwcr.DBF",
// "cgwcrtemp.dbf"; any letter case); nullptr when it is none.
const SubTable *findSubTable(const QString &name);

// The record table's file in a store: "kjcg.DBF" or "KJCGtemp.dbf".
QString recordFile(Store store);

// The filter (and statement condition) that picks a record's own rows:
//   item_4='KEY' and item_dqdm='REGION'
// with single quotes in either part doubled.
QString recordFilter(const QString &key, const QString &region);
inline QString recordFilter(const RecordId &id) { return recordFilter(id.key, id.region); }

using TablePtr = std::shared_ptr<db::TableFile>;

// The shared store of a table of `folder` (any letter case).
TablePtr openTableFile(const QString &folder, const QString &name);

// A text column of a stored row, trimmed at both ends.
QByteArray trimmedField(const db::TableFile &t, int row, int field);
// The index of a column; throws naming table and column when there is none.
int fieldIndex(const db::TableFile &t, const QString &name);

// Visits the live rows of a table in file order.  The pages read are let go
// behind the walk, so a walk over a large table does not keep it in memory.
void forEachLiveRow(const db::TableFile &t, const std::function<void(int row)> &visit);

// The record table and the four sub-tables (in subTables() order) of one
// store of a data folder.
class RecordTables {
public:
    RecordTables(const QString &folder, Store store);
    const QString &folder() const { return m_folder; }
    Store store() const { return m_store; }
    db::TableFile &record() const { return *m_record; }
    db::TableFile &sub(qsizetype i) const { return *m_subs.at(i); }
    // The record table first, then the sub-tables.
    QList<db::TableFile *> all() const;
    // The physical rows of a record in each table of all() (key and region
    // compared trimmed, as stored bytes).
    QList<QList<int>> rowsOf(const QByteArray &key, const QByteArray &region) const;

private:
    QString m_folder;
    Store m_store;
    TablePtr m_record;
    QList<TablePtr> m_subs;
};

// The keys in use in one store: the rule every new key follows, for a new
// record, an import and a re-dating alike.  A new key is one more than the
// year's largest ten-digit key held by the record table or by any of its
// sub-tables (rows left behind in a sub-table count as used), or the year
// followed by "000001" when the year has none; so a new record never takes
// over somebody else's rows.
class KeyBook {
public:
    explicit KeyBook(const RecordTables &tables);
    // The next key of `year` (four digits).  `incoming`, when given, is kept
    // when the year has no key in use yet (an imported record keeps its
    // key).  The key returned counts as used from then on.  Throws for a
    // year that is not four digits and when the year's serials are used up.
    QByteArray take(const QByteArray &year, const QByteArray &incoming = {});

private:
    QHash<QByteArray, qint64> m_top; // year -> largest key in use
};

// The key the next record of `year` gets in the tables of DataPath.
QString nextRecordKey(const QString &year, Store store = Store::Main);

// The journal of one operation (or one batch of an import) on the data
// folder.  Name every change first, then begin(): the journal is written and
// synced, with its folder.  Then write the rows; finish() syncs the tables
// and removes the journal.  rollBack() puts back what the journal names, as
// the next open of the folder does after a kill.
class RecordJournal {
public:
    explicit RecordJournal(QString folder);
    ~RecordJournal();
    RecordJournal(const RecordJournal &) = delete;
    RecordJournal &operator=(const RecordJournal &) = delete;

    // Rows appended to `t` from now on belong to the operation.
    void appendsTo(const db::TableFile &t);
    // The operation marks row `row` of `t` deleted.
    void deletes(const db::TableFile &t, int row);
    // The operation rewrites row `row` of `t` (its bytes now are kept).
    void rewrites(const db::TableFile &t, int row);

    void begin();
    void finish();
    void rollBack();

    struct Entry {
        char kind;    // 'a' appends from row on, 'd' deletes row, 'w' rewrites row
        QString file; // the table's file name
        int row;
        QByteArray before; // 'w': the row's bytes before
    };

private:
    QString m_folder;
    QList<Entry> m_entries;
    QList<db::TableFile *> m_tables;
    bool m_begun = false;
};

// The journal's file in a data folder.
QString recordJournalPath(const QString &folder);
// Rolls back an operation a kill interrupted, when the folder holds its
// journal; run by every open of a data folder before its tables are read.
// Returns true when something was rolled back.
bool recoverRecordJournal(const QString &folder);

// Called before every row write of the record store and at every step of a
// journal; a kill test stops the program there.
using WriteHook = void (*)();
extern WriteHook recordWriteHook;

// A row ready to append: the record buffer and its memo texts.
struct PreparedRow {
    QByteArray record;
    QHash<int, QByteArray> memos;
};
struct Append {
    db::TableFile *table;
    PreparedRow row;
};
// Appends prepared rows to their tables, all or none: when one append fails
// the rows already appended are marked deleted again and the error is
// rethrown.  Returns the physical rows written, in order.  `progress` hears
// rows done of all every 500 rows and where one table's rows end.
QList<int> appendRows(QList<Append> &rows, const std::function<void(int, int)> &progress = {});
// Marks rows deleted.
void deleteRows(db::TableFile &t, const QList<int> &rows);

// A record row being rewritten: fields read and set by name.
class RowText {
public:
    RowText(const db::TableFile &t, QByteArray &record) : m_t(t), m_record(record) {}
    QString text(const QString &field) const;
    // Throws db::EngineError when the value does not fit the field.
    void set(const QString &field, const QString &value);
    void clear(const QString &field) { set(field, QString()); }

private:
    const db::TableFile &m_t;
    QByteArray &m_record;
};
using RowEdit = std::function<void(RowText &recordRow)>;

// Gives the record `from` of the store the key `newKey` (keeping its region):
// its record row and every row of it in the sub-tables.  `alsoWrite`, when
// given, writes further fields of the record row in the same write (it is
// run also when the key stays the same).  All or nothing, against errors and
// against a kill.  Refused without writing anything when the record is not
// there, the new key is not ten digits, or another record of the region
// already holds the new key.  Returns the number of sub-table rows that moved.
int rekeyRecord(const RecordTables &tables, const RecordId &from, const QString &newKey, const RowEdit &alsoWrite = {});
int rekeyRecord(Store store, const RecordId &from, const QString &newKey, const RowEdit &alsoWrite = {});

// Deletes the record `id`: its rows in the sub-tables and its record row,
// all or nothing.  Returns the number of rows deleted (0 when there was no
// such record).
int deleteRecord(const RecordTables &tables, const RecordId &id);
int deleteRecord(Store store, const RecordId &id);

} // namespace data
