#pragma once

#include "db/value.h"

#include <QLatin1String>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVector>

namespace data {

// One table file of the data folder with the columns the program lays it out
// with, in file order.  The exchange files and the import staging tables are
// read and written by column position, so the order here is binding.
struct TableSchema {
    QString fileName;                 // as the program spells it ("kjcg.DBF")
    QVector<db::FieldDef> fields;

    QString tableName() const;                 // without extension: "kjcg"
    int indexOf(QStringView field) const;      // any letter case; -1 when absent
    bool hasMemo() const;
    db::Schema schema() const;                 // with offsets and record length
};

// File names of the tables, spelled as the program writes them.  Files are
// found without regard to letter case (db::resolveFileName).
namespace file {
inline constexpr QLatin1String kjcg("kjcg.DBF");
inline constexpr QLatin1String cgwcdw("cgwcdw.DBF");
inline constexpr QLatin1String cgwcr("cgwcr.DBF");
inline constexpr QLatin1String jdwyhmd("jdwyhmd.DBF");
inline constexpr QLatin1String zlqk("zlqk.dbf");
inline constexpr QLatin1String cgwcrNew("cgwcrNew.dbf");
inline constexpr QLatin1String unit("unit.dbf");
inline constexpr QLatin1String unitexpert("unitexpert.dbf");
inline constexpr QLatin1String dwqk("dwqk.dbf");
inline constexpr QLatin1String zdxx("zdxx.dbf");
inline constexpr QLatin1String zdxx1("zdxx1.dbf");
inline constexpr QLatin1String province("province.dbf");
inline constexpr QLatin1String lsbw("lsbw.dbf");
inline constexpr QLatin1String xkfl("xkfl.dbf");
inline constexpr QLatin1String ztflh("ztflh.dbf");
inline constexpr QLatin1String gxjs("gxjs.dbf");
inline constexpr QLatin1String dfjhzdxx("DFJHZDXX.DBF");
inline constexpr QLatin1String checkup("checkup.dbf");
inline constexpr QLatin1String kjcgTemp("kjcgtemp.DBF");
inline constexpr QLatin1String cgwcdwTemp("cgwcdwtemp.DBF");
inline constexpr QLatin1String cgwcrTemp("cgwcrtemp.DBF");
inline constexpr QLatin1String jdwyhmdTemp("jdwyhmdtemp.DBF");
inline constexpr QLatin1String zlqkTemp("zlqktemp.DBF");
inline constexpr QLatin1String unitTemp("unittemp.dbf");
} // namespace file

// Every table of the data folder: the record tables, the organisation
// tables, the dictionary and code tables, then the import staging tables.
const QVector<TableSchema> &allTables();

// The table a name stands for: a file name in any letter case ("KJCG.dbf"),
// or a table name without extension ("kjcg", "CheckUp").  findSchema gives
// nullptr for a name that is no table of the program; schemaFor throws
// db::EngineError naming it.
const TableSchema *findSchema(const QString &name);
const TableSchema &schemaFor(const QString &name);

// The columns of the tables whose column order other parts rely on.
const QVector<db::FieldDef> &kjcgFields();
const QVector<db::FieldDef> &cgwcdwFields();
const QVector<db::FieldDef> &cgwcrFields();
const QVector<db::FieldDef> &jdwyhmdFields();
const QVector<db::FieldDef> &zlqkFields();
const QVector<db::FieldDef> &unitFields();
const QVector<db::FieldDef> &unitexpertFields();

// What keeps a table file's fields from being the layout of `expected`:
// a field missing, one too many, or one of another name, type, width or
// decimals, in the words of a message naming `shownName` and the field.
// Empty when every field matches in order.
QString layoutMismatch(const TableSchema &expected, const QVector<db::FieldDef> &actual, const QString &shownName);

// The staging table of an exchange name ("KJCG" -> "KJCGtemp.dbf").
QString stagingFileName(const QString &exchangeName);

// Creates, in `folder`, every table of allTables() that is not there yet,
// empty, with the language driver of the engine.  A table that exists under
// any letter case is left alone, byte for byte.  The folder is made when
// missing.  Returns the file names created, in allTables() order.
// Throws db::EngineError before creating anything when a missing table with
// memo fields finds a stray memo file of its name in the folder; a failure
// while creating leaves the tables made so far in place.
QStringList layOutDataFolder(const QString &folder);

} // namespace data
