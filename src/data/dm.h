#pragma once

#include "db/dataset.h"

#include <QObject>
#include <QString>

// The data folder and whether the two optional classification tables were
// there when the data module was created.
extern QString DataPath;
extern bool HasZtflh;
extern bool HasXkfl;

// The data module: owns every table, query, data source and update object of
// the program.  Forms reach data only through it.
class TDM : public QObject {
    Q_OBJECT
public:
    // Fixes the data folder, packs the record, organisation and code tables
    // and opens the datasets.  A missing or locked table throws
    // db::EngineError naming it; a damaged one db::TableDamagedError, before
    // any table is packed.  Nothing is left half open.  A pack that fails
    // (a table held by another program, a folder that cannot be written) is
    // noted in PackFailures and the start goes on.
    explicit TDM(const QString &dataPath, QObject *parent = nullptr);
    ~TDM() override;

    // Packs an open table; false when it is closed or the pack failed.
    bool PackTable(db::Table &table);
    // Opens `fileName` exclusively through Table_pack, packs and closes it.
    void PackTableFile(db::Table &table, const QString &fileName);
    // Points the query at the data folder, closes it, replaces its statement
    // and opens it.
    void OpenQuerySQL(db::Query &query, const QString &statement);

    db::Query Qrykjcg;
    db::DataSource DSQkjcg;
    db::Table Tblkjcg;
    db::DataSource DSTkjcg;
    db::Table T_temp_out;
    db::DataSource DS_temp_out;
    db::Table T_temp_in;
    db::DataSource DS_temp_in;
    db::Query QryCgwcdw;
    db::DataSource DSQcgwcdw;
    db::Query QryJdwyhmd;
    db::DataSource DSQjdwyhmd;
    db::Query QryCgwcr;
    db::DataSource DSQcgwcr;
    db::Table TblCgwcdw;
    db::DataSource DSTcgwcdw;
    db::Table Tbljdwyhmd;
    db::DataSource DSTjdwyhmd;
    db::Table TblCgwcr;
    db::DataSource DSTcgwcr;
    db::Table tblzlqk;
    db::DataSource DSTzlqk;
    db::Table TblwcrNew;
    db::DataSource DSTwcrNew;
    db::Table TableWcrTemp;
    db::Table Tblunit;
    db::DataSource DSTunit;
    db::Query Qryunit;
    db::DataSource DSQunit;
    db::Table Tblexpert;
    db::DataSource DSTexpert;
    db::Query Qryexpert;
    db::DataSource DSQexpert;
    db::Query Qrydwqk;
    db::DataSource DSQdwqk;
    db::Table Tblzdxx;
    db::DataSource DSTzdxx;
    db::Table tblzdxx1;
    db::Table tblProvince;
    db::Table tblLsbw;
    db::Table Tblgxjs;
    db::Table Table1;
    db::Table Tztflh2;
    db::Table Txkfl2;
    db::Table TblDFJHZDXX;
    db::DataSource DSTDFJHZDXX;
    db::Query QryCheckUp;
    db::Query Query1;
    db::DataSource DataSource1;
    db::Query Query2;
    db::DataSource DataSource2;
    db::Query tempquery;
    db::Query tempquery2;
    db::Table Table2;
    db::DataSource DS_null;
    db::Table Table_pack;
    db::UpdateSQL UpdateSQL1;
    db::UpdateSQL UpdateSQL2;
    db::UpdateSQL UpdateSQL3;

    // Dictionary rows of one key each, the sources of the lookup fields.
    db::Table TblCgwcr_181;
    db::Table TblCgwcr_183;
    db::Table TblCgwcr_184;
    db::Table TblCgwcr_188;
    db::Table Tbljdwyhmd_191;
    db::Table Tbljdwyhmd_193;
    db::Table Tbljdwyhmd_198;
    db::Table Tblzlqk_st;
    db::Table Tblzlqk_ty;
    db::Table Tblexpert_181;
    db::Table Tblexpert_124_1;

    // The tables packed at creation, in order.
    static const QStringList &packedFiles();
    // One line per table whose pack failed at creation: table and reason.
    QStringList PackFailures;

private:
    // The in-memory key indexes of the record table and its lists.
    static void declareKeyIndexes();
    void nameObjects();
    void setUpDatasets();
};

extern TDM *DM;
