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
// Every operation works through cursors of its own over the tables of
// DataPath, so the data module's tables and queries (and the grids bound to
// them, T_temp_in's included) keep their filters and positions; since all
// cursors of a file share its rows, the data module's tables see the changes
// at once.  Failures throw db::EngineError with a message for the user.

#include "db/dataset.h"

#include <QList>
#include <QString>
#include <functional>

class TDM;

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
    db::Table TDM::*dmTable;     // the data module's object of the main table
    QString keyField;            // ITEM_4
    QString regionField;         // ITEM_DQDM
    QString orderField;          // the column the record's list pages sort by

    // The file of this table in `store` ("cgwcdw.DBF" or "CGWCDWtemp.dbf").
    QString file(Store store) const;
    // The data module's table object (main tables only; needs DM).
    db::Table &table() const;
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

// The key the next record of `year` (four digits) gets in `store`: one more
// than the year's largest ten-digit key in the record table (year + "000001"
// when the year has none), stepped past every key of the year already used
// by a record or left behind in a sub-table, so a new record never inherits
// somebody else's rows.  Throws for a year that is not four digits and when
// the year's serials are used up.
QString nextRecordKey(const QString &year, Store store = Store::Main);

// Called with the record row being re-keyed (in edit state) so the caller can
// change further fields of it in the same write.
using RowEdit = std::function<void(db::Dataset &recordRow)>;

// Gives the record `from` of `store` the key `newKey` (keeping its region):
// its record row and every row of it in the sub-tables.  `alsoWrite`, when
// given, writes further fields of the record row in the same post (it is run
// also when the key stays the same).  All or nothing: when any row cannot be
// written, every row already written is put back as it was, and the
// EngineError thrown names the failure (and anything that could not be put
// back).  Refused without writing anything when the record is not there, the
// new key is not ten digits, or another record of the region already holds
// the new key.  Returns the number of sub-table rows that moved.
int rekeyRecord(Store store, const RecordId &from, const QString &newKey, const RowEdit &alsoWrite = {});

// Deletes the record `id` of `store`: its rows in the sub-tables first, then
// its record row.  Returns the number of rows deleted (0 when there was no
// such record).  A failure stops at the row it happened on and throws; since
// the record row goes last, a record is never left without the rows that a
// retry would delete.
int deleteRecord(Store store, const RecordId &id);

// Called once for every row a copy wrote, after all of them are in, with the
// sub-table (nullptr for the record row) and a cursor on the written row.
using CopiedRow = std::function<void(const SubTable *table, db::Dataset &written)>;

// Copies the record `source` of store `from` into store `to` as the record
// `target`: its record row and its sub-table rows are appended with every
// column of the same name copied, then their key and region set to the
// target's.  The source rows stay.  All or nothing: a row that cannot be
// written removes every row appended so far and throws.  Refused when
// `source` is not there or `to` already holds `target`.  `afterEach`, when
// given, sees every written row once the copy stands (the person pool is
// merged there).  Returns the number of rows written.
int copyRecordRows(Store from, Store to, const RecordId &source, const RecordId &target,
                   const CopiedRow &afterEach = {});

} // namespace data
