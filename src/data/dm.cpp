#include "dm.h"
#include "records.h"

#include "data/schema.h"
#include "db/error.h"
#include "db/folder.h"
#include "db/idle.h"
#include "db/tablefile.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

QString DataPath;
bool HasZtflh = false;
bool HasXkfl = false;
TDM *DM = nullptr;

namespace {

QString joinedParams(const QStringList &fields, const QString &prefix = QString())
{
    QStringList out;
    for (const QString &f : fields)
        out << QLatin1Char(':') + prefix + f;
    return out.join(QStringLiteral(", "));
}

db::UpdateSQL makeUpdate(const QString &file, const QStringList &setFields, const QStringList &modifyKey,
                         const QStringList &insertFields, const QStringList &deleteKey)
{
    db::UpdateSQL u;
    QStringList sets;
    for (const QString &f : setFields)
        sets << f + QStringLiteral(" = :") + f;
    auto where = [](const QStringList &keys) {
        QStringList parts;
        for (const QString &k : keys)
            parts << k + QStringLiteral(" = :OLD_") + k;
        return parts.join(QStringLiteral(" and "));
    };
    u.modifySQL = QStringLiteral("update \"%1\" set %2 where %3").arg(file, sets.join(QStringLiteral(", ")), where(modifyKey));
    u.insertSQL = QStringLiteral("insert into \"%1\" (%2) values (%3)")
                      .arg(file, insertFields.join(QStringLiteral(", ")), joinedParams(insertFields));
    u.deleteSQL = QStringLiteral("delete from \"%1\" where %2").arg(file, where(deleteKey));
    return u;
}

} // namespace

const QStringList &TDM::packedFiles()
{
    static const QStringList files = {
        QStringLiteral("kjcg.DBF"), QStringLiteral("kjcgtemp.DBF"), QStringLiteral("cgwcr.DBF"),
        QStringLiteral("cgwcrtemp.DBF"), QStringLiteral("jdwyhmd.DBF"), QStringLiteral("jdwyhmdtemp.DBF"),
        QStringLiteral("cgwcdw.DBF"), QStringLiteral("cgwcdwtemp.DBF"), QStringLiteral("zlqk.DBF"),
        QStringLiteral("zlqktemp.DBF"), QStringLiteral("cgwcrNew.dbf"), QStringLiteral("ZTFLH.dbf"),
        QStringLiteral("XKFL.dbf"), QStringLiteral("LSBW.dbf"), QStringLiteral("DFJHZDXX.DBF"),
        QStringLiteral("unit.dbf"), QStringLiteral("unitexpert.dbf"), QStringLiteral("gxjs.dbf")};
    return files;
}

TDM::TDM(const QString &dataPath, QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("DM"));
    nameObjects();
    setUpDatasets();

    declareKeyIndexes();

    // 1. The data folder.
    QString path = QDir::cleanPath(dataPath);
    DataPath = path;
    // A save that a kill interrupted is undone before any table is read.
    data::recoverRecordJournal(DataPath);
    auto at = [&](db::Dataset &ds) {
        if (auto *t = qobject_cast<db::Table *>(&ds))
            t->setDatabaseName(DataPath);
        else if (auto *q = qobject_cast<db::Query *>(&ds))
            q->setDatabaseName(DataPath);
    };
    auto exists = [&](const QString &file) { return !db::resolveFileName(DataPath, file).isEmpty(); };

    // 2. Pack the record, organisation and code tables.  The two
    // classification tables are optional: a missing one is passed over.
    // Every table is looked at before any is packed: a damaged one stops
    // the start (db::TableDamagedError names it), and so does one that is
    // missing, cannot be read or is not laid out as the program reads it,
    // with nothing rewritten.  Tables without deleted rows stay open here,
    // so the datasets below share what was read; a pack that fails is noted
    // and the start goes on.
    std::vector<std::shared_ptr<db::TableFile>> held;
    QStringList toPack;
    QStringList checked = packedFiles();
    for (const char *other : {"dwqk.dbf", "CheckUp.dbf", "zdxx.dbf", "zdxx1.dbf", "province.dbf", "lsbw.dbf"})
        if (!checked.contains(QLatin1String(other), Qt::CaseInsensitive))
            checked << QLatin1String(other);
    for (const QString &f : checked) {
        const bool optional = f.compare(QLatin1String("ZTFLH.dbf"), Qt::CaseInsensitive) == 0
                              || f.compare(QLatin1String("XKFL.dbf"), Qt::CaseInsensitive) == 0;
        if (optional && !exists(f))
            continue;
        const QString file = db::resolveTablePath(DataPath, f);
        try {
            auto store = db::TableFile::open(file, false);
            if (const data::TableSchema *expected = data::findSchema(f)) {
                const QString mismatch =
                    data::layoutMismatch(*expected, store->schema().fields, QStringLiteral("数据表 ") + store->name());
                if (!mismatch.isEmpty())
                    throw db::EngineError(mismatch + QStringLiteral("，与程序使用的格式不符，程序无法使用该表。"));
            }
            if (packedFiles().contains(f, Qt::CaseInsensitive) && store->hasDeletedRows())
                toPack << f;
            else
                held.push_back(std::move(store));
        } catch (const db::TableBusyError &) {
            // Held by another program: packing it says so below.
            if (packedFiles().contains(f, Qt::CaseInsensitive))
                toPack << f;
        }
    }
    at(Table_pack);
    for (const QString &f : packedFiles()) {
        if (toPack.contains(f)) {
            PackTableFile(Table_pack, f);
            db::idle();
        }
    }

    // 3. The queries.
    OpenQuerySQL(Query1, QStringLiteral("select * from kjcg"));
    OpenQuerySQL(Query2, QStringLiteral("select * from kjcg"));
    OpenQuerySQL(Qrykjcg, QStringLiteral("select * from kjcg"));
    // The three lists of a record keep a private copy of what they read;
    // they are opened for the record that is shown (its page, printing), so
    // here they only learn their folder and statement and read nothing.
    for (auto [query, statement] :
         {std::pair{&QryCgwcdw, "select * from cgwcdw"}, std::pair{&QryJdwyhmd, "select * from jdwyhmd"},
          std::pair{&QryCgwcr, "select * from cgwcr"}}) {
        query->setDatabaseName(DataPath);
        query->close();
        query->setSQL(QLatin1String(statement));
    }
    OpenQuerySQL(Qrydwqk, QStringLiteral("select * from dwqk"));
    OpenQuerySQL(tempquery, QStringLiteral("select * from kjcg"));
    OpenQuerySQL(QryCheckUp, QStringLiteral("select * from CheckUp"));
    OpenQuerySQL(Qryunit, QStringLiteral("select * from unit"));
    OpenQuerySQL(Qryexpert, QStringLiteral("select * from unitexpert"));

    // 4. Export and import tables.
    at(T_temp_in);
    at(T_temp_out);
    T_temp_out.open();

    // 5. The dictionary tables behind the lookup fields.
    for (db::Table *t : {&TblCgwcr_181, &TblCgwcr_183, &TblCgwcr_184, &TblCgwcr_188, &Tbljdwyhmd_191,
                         &Tbljdwyhmd_193, &Tbljdwyhmd_198, &Tblzlqk_st, &Tblzlqk_ty, &Tblexpert_181,
                         &Tblexpert_124_1}) {
        at(*t);
        t->open();
    }

    // 6. The optional classification tables.  A missing one stays closed but
    // still knows its folder, so that whatever tries to open it says where
    // it looked.
    at(Tztflh2);
    at(Txkfl2);
    HasZtflh = exists(QStringLiteral("ztflh.dbf"));
    if (HasZtflh)
        Tztflh2.open();
    HasXkfl = exists(QStringLiteral("xkfl.dbf"));
    if (HasXkfl)
        Txkfl2.open();

    // 7.
    for (db::Table *t : {&Tblgxjs, &TblDFJHZDXX, &Tblzdxx, &Tblkjcg, &TblCgwcdw, &Tbljdwyhmd}) {
        at(*t);
        t->open();
    }
    // 8. Every dataset works on the data folder, whether or not a
    // classification table is there.
    at(Table1);
    // 9.
    for (db::Table *t : {&TblCgwcr, &Tblunit, &Tblexpert}) {
        at(*t);
        t->open();
    }
    at(Table2);
    for (db::Table *t : {&tblzlqk, &tblzdxx1, &tblProvince, &tblLsbw, &TblwcrNew}) {
        at(*t);
        t->open();
    }
    at(TableWcrTemp);
    at(tempquery2);
}

void TDM::declareKeyIndexes()
{
    // Records are listed by year ("like '2009%'") and found by key; the rows
    // of a record in the lists by its key; a person in the pool by name.
    const QString key = QStringLiteral("ITEM_4");
    db::TableFile::setKeyIndexes(QStringLiteral("kjcg.dbf"), {{key, 0}, {key, 4}});
    for (const char *list : {"cgwcr.dbf", "jdwyhmd.dbf", "cgwcdw.dbf", "zlqk.dbf"})
        db::TableFile::setKeyIndexes(QLatin1String(list), {{key, 0}});
    db::TableFile::setKeyIndexes(QStringLiteral("cgwcrNew.dbf"), {{QStringLiteral("ITEM_180"), 0}});
}

TDM::~TDM()
{
    if (DM == this)
        DM = nullptr;
}

void TDM::nameObjects()
{
#define NAME(x) x.setObjectName(QStringLiteral(#x))
    NAME(Qrykjcg); NAME(DSQkjcg); NAME(Tblkjcg); NAME(DSTkjcg); NAME(T_temp_out); NAME(DS_temp_out);
    NAME(T_temp_in); NAME(DS_temp_in); NAME(QryCgwcdw); NAME(DSQcgwcdw); NAME(QryJdwyhmd); NAME(DSQjdwyhmd);
    NAME(QryCgwcr); NAME(DSQcgwcr); NAME(TblCgwcdw); NAME(DSTcgwcdw); NAME(Tbljdwyhmd); NAME(DSTjdwyhmd);
    NAME(TblCgwcr); NAME(DSTcgwcr); NAME(tblzlqk); NAME(DSTzlqk); NAME(TblwcrNew); NAME(DSTwcrNew);
    NAME(TableWcrTemp); NAME(Tblunit); NAME(DSTunit); NAME(Qryunit); NAME(DSQunit); NAME(Tblexpert);
    NAME(DSTexpert); NAME(Qryexpert); NAME(DSQexpert); NAME(Qrydwqk); NAME(DSQdwqk); NAME(Tblzdxx);
    NAME(DSTzdxx); NAME(tblzdxx1); NAME(tblProvince); NAME(tblLsbw); NAME(Tblgxjs); NAME(Table1);
    NAME(Tztflh2); NAME(Txkfl2); NAME(TblDFJHZDXX); NAME(DSTDFJHZDXX); NAME(QryCheckUp); NAME(Query1);
    NAME(DataSource1); NAME(Query2); NAME(DataSource2); NAME(tempquery); NAME(tempquery2); NAME(Table2);
    NAME(DS_null); NAME(Table_pack); NAME(TblCgwcr_181); NAME(TblCgwcr_183); NAME(TblCgwcr_184);
    NAME(TblCgwcr_188); NAME(Tbljdwyhmd_191); NAME(Tbljdwyhmd_193); NAME(Tbljdwyhmd_198); NAME(Tblzlqk_st);
    NAME(Tblzlqk_ty); NAME(Tblexpert_181); NAME(Tblexpert_124_1);
#undef NAME
}

void TDM::setUpDatasets()
{
    // Data sources.
    DSQkjcg.setDataSet(&Qrykjcg);
    DSTkjcg.setDataSet(&Tblkjcg);
    DS_temp_out.setDataSet(&T_temp_out);
    DS_temp_in.setDataSet(&T_temp_in);
    DSQcgwcdw.setDataSet(&QryCgwcdw);
    DSQjdwyhmd.setDataSet(&QryJdwyhmd);
    DSQcgwcr.setDataSet(&QryCgwcr);
    DSTcgwcdw.setDataSet(&TblCgwcdw);
    DSTjdwyhmd.setDataSet(&Tbljdwyhmd);
    DSTcgwcr.setDataSet(&TblCgwcr);
    DSTzlqk.setDataSet(&tblzlqk);
    DSTwcrNew.setDataSet(&TblwcrNew);
    DSTunit.setDataSet(&Tblunit);
    DSQunit.setDataSet(&Qryunit);
    DSTexpert.setDataSet(&Tblexpert);
    DSQexpert.setDataSet(&Qryexpert);
    DSQdwqk.setDataSet(&Qrydwqk);
    DSTzdxx.setDataSet(&Tblzdxx);
    DSTDFJHZDXX.setDataSet(&TblDFJHZDXX);
    DataSource1.setDataSet(&Query1);
    DataSource2.setDataSet(&Query2);

    // Table files.
    Tblkjcg.setTableName(QStringLiteral("kjcg.dbf"));
    T_temp_out.setTableName(QStringLiteral("kjcg.DBF"));
    TblCgwcdw.setTableName(QStringLiteral("cgwcdw.DBF"));
    Tbljdwyhmd.setTableName(QStringLiteral("jdwyhmd.DBF"));
    TblCgwcr.setTableName(QStringLiteral("cgwcr.DBF"));
    tblzlqk.setTableName(QStringLiteral("zlqk.dbf"));
    TblwcrNew.setTableName(QStringLiteral("cgwcrNew.dbf"));
    TableWcrTemp.setTableName(QStringLiteral("cgwcr.DBF"));
    Tblunit.setTableName(QStringLiteral("unit.dbf"));
    Tblexpert.setTableName(QStringLiteral("unitexpert.dbf"));
    Tblzdxx.setTableName(QStringLiteral("zdxx.dbf"));
    tblzdxx1.setTableName(QStringLiteral("zdxx1.dbf"));
    tblProvince.setTableName(QStringLiteral("province.dbf"));
    tblLsbw.setTableName(QStringLiteral("lsbw.dbf"));
    Tblgxjs.setTableName(QStringLiteral("gxjs.dbf"));
    Tztflh2.setTableName(QStringLiteral("ztflh.dbf"));
    Txkfl2.setTableName(QStringLiteral("xkfl.dbf"));
    TblDFJHZDXX.setTableName(QStringLiteral("DFJHZDXX.DBF"));

    // Dictionary rows of one key each.
    auto dict = [](db::Table &t, const char *key) {
        t.setTableName(QStringLiteral("zdxx.dbf"));
        t.setFilter(QStringLiteral("zddm='%1'").arg(QLatin1String(key)));
        t.setFiltered(true);
    };
    dict(TblCgwcr_181, "item_181");
    dict(TblCgwcr_183, "item_183");
    dict(TblCgwcr_184, "item_184");
    dict(TblCgwcr_188, "item_188");
    dict(Tbljdwyhmd_191, "item_191");
    dict(Tbljdwyhmd_193, "item_193");
    dict(Tbljdwyhmd_198, "item_198");
    dict(Tblzlqk_st, "patent_st");
    dict(Tblzlqk_ty, "patent_ty");
    dict(Tblexpert_181, "item_181");
    dict(Tblexpert_124_1, "item_124_1");

    // Lookup fields.
    const QString xxdm = QStringLiteral("XXDM"), xxmc = QStringLiteral("XXMC");
    TblCgwcr.addLookupField(QStringLiteral("V_181"), QStringLiteral("性别"), QStringLiteral("ITEM_181"), &TblCgwcr_181, xxdm, xxmc);
    TblCgwcr.addLookupField(QStringLiteral("V_183"), QStringLiteral("技术职称"), QStringLiteral("ITEM_183"), &TblCgwcr_183, xxdm, xxmc);
    TblCgwcr.addLookupField(QStringLiteral("V_184"), QStringLiteral("文化程度"), QStringLiteral("ITEM_184"), &TblCgwcr_184, xxdm, xxmc);
    TblCgwcr.addLookupField(QStringLiteral("V_188"), QStringLiteral("是否留学归国"), QStringLiteral("ITEM_188"), &TblCgwcr_188, xxdm, xxmc);
    Tbljdwyhmd.addLookupField(QStringLiteral("V_191"), QStringLiteral("鉴定会职务"), QStringLiteral("ITEM_191"), &Tbljdwyhmd_191, xxmc, xxdm);
    Tbljdwyhmd.addLookupField(QStringLiteral("V_193"), QStringLiteral("性别"), QStringLiteral("ITEM_193"), &Tbljdwyhmd_193, xxdm, xxmc);
    Tbljdwyhmd.addLookupField(QStringLiteral("V_198"), QStringLiteral("技术职称"), QStringLiteral("ITEM_198"), &Tbljdwyhmd_198, xxdm, xxmc);
    tblzlqk.addLookupField(QStringLiteral("V_st"), QStringLiteral("专利状况"), QStringLiteral("PATENT_ST"), &Tblzlqk_st, xxdm, xxmc);
    tblzlqk.addLookupField(QStringLiteral("V_ty"), QStringLiteral("专利类型"), QStringLiteral("PATENT_TY"), &Tblzlqk_ty, xxdm, xxmc);
    Tblexpert.addLookupField(QStringLiteral("V_181"), QStringLiteral("性别"), QStringLiteral("item_181"), &TblCgwcr_181, QStringLiteral("xxdm"), QStringLiteral("xxmc"));
    Tblexpert.addLookupField(QStringLiteral("V_124_1"), QStringLiteral("研究领域"), QStringLiteral("item_124_1"), &Tblexpert_124_1, QStringLiteral("xxdm"), QStringLiteral("xxmc"));

    Query2.setDisplayLabel(QStringLiteral("ITEM_4"), QStringLiteral("成果管理编号"));
    Query2.setDisplayLabel(QStringLiteral("ITEM_3"), QStringLiteral("成果名称"));

    // Update objects of the three list queries.
    UpdateSQL1 = makeUpdate(QStringLiteral("cgwcr.DBF"),
                            {QStringLiteral("ITEM_180"), QStringLiteral("ITEM_181"), QStringLiteral("ITEM_182"), QStringLiteral("ITEM_185"),
                             QStringLiteral("ITEM_183"), QStringLiteral("ITEM_184"), QStringLiteral("ITEM_186"), QStringLiteral("ITEM_187"),
                             QStringLiteral("ITEM_188"), QStringLiteral("ITEM_NO")},
                            {QStringLiteral("ITEM_4"), QStringLiteral("ITEM_DQDM"), QStringLiteral("ITEM_NO")},
                            {QStringLiteral("ITEM_4"), QStringLiteral("ITEM_DQDM"), QStringLiteral("ITEM_187"), QStringLiteral("ITEM_180"),
                             QStringLiteral("ITEM_181"), QStringLiteral("ITEM_182"), QStringLiteral("ITEM_183"), QStringLiteral("ITEM_184"),
                             QStringLiteral("ITEM_185"), QStringLiteral("ITEM_186"), QStringLiteral("ITEM_188"), QStringLiteral("ITEM_NO")},
                            {QStringLiteral("ITEM_4"), QStringLiteral("ITEM_DQDM"), QStringLiteral("ITEM_NO")});
    UpdateSQL2 = makeUpdate(QStringLiteral("jdwyhmd.DBF"),
                            {QStringLiteral("ITEM_190"), QStringLiteral("ITEM_191"), QStringLiteral("ITEM_192"), QStringLiteral("ITEM_195"),
                             QStringLiteral("ITEM_193"), QStringLiteral("ITEM_194"), QStringLiteral("ITEM_196"), QStringLiteral("ITEM_197"),
                             QStringLiteral("ITEM_198"), QStringLiteral("ITEM_199")},
                            {QStringLiteral("ITEM_4"), QStringLiteral("ITEM_190")},
                            {QStringLiteral("ITEM_4"), QStringLiteral("ITEM_DQDM"), QStringLiteral("ITEM_190"), QStringLiteral("ITEM_191"),
                             QStringLiteral("ITEM_192"), QStringLiteral("ITEM_193"), QStringLiteral("ITEM_194"), QStringLiteral("ITEM_195"),
                             QStringLiteral("ITEM_196"), QStringLiteral("ITEM_197"), QStringLiteral("ITEM_198"), QStringLiteral("ITEM_199")},
                            {QStringLiteral("ITEM_4"), QStringLiteral("ITEM_DQDM"), QStringLiteral("ITEM_190")});
    UpdateSQL3 = makeUpdate(QStringLiteral("cgwcdw.DBF"),
                            {QStringLiteral("ITEM_170"), QStringLiteral("ITEM_171"), QStringLiteral("ITEM_172"), QStringLiteral("ITEM_173"),
                             QStringLiteral("ITEM_174"), QStringLiteral("ITEM_175"), QStringLiteral("ITEM_176")},
                            {QStringLiteral("ITEM_4"), QStringLiteral("ITEM_176")},
                            {QStringLiteral("ITEM_4"), QStringLiteral("ITEM_DQDM"), QStringLiteral("ITEM_176"), QStringLiteral("ITEM_170"),
                             QStringLiteral("ITEM_171"), QStringLiteral("ITEM_172"), QStringLiteral("ITEM_173"), QStringLiteral("ITEM_174"),
                             QStringLiteral("ITEM_175")},
                            {QStringLiteral("ITEM_4"), QStringLiteral("ITEM_DQDM"), QStringLiteral("ITEM_176")});
    QryCgwcr.setCachedUpdates(true);
    QryCgwcr.setUpdateObject(&UpdateSQL1);
    QryJdwyhmd.setCachedUpdates(true);
    QryJdwyhmd.setUpdateObject(&UpdateSQL2);
    QryCgwcdw.setCachedUpdates(true);
    QryCgwcdw.setUpdateObject(&UpdateSQL3);
}

bool TDM::PackTable(db::Table &table)
{
    if (!table.isActive())
        return false;
    return table.pack();
}

void TDM::PackTableFile(db::Table &table, const QString &fileName)
{
    table.setTableName(fileName);
    table.close();
    table.setExclusive(true);
    try {
        table.open();
    } catch (const db::TableDamagedError &) {
        throw;
    } catch (const db::EngineError &e) {
        // Another program holds the table: it is packed at a later start.  A
        // table that cannot be opened at all stops the start here.
        table.setExclusive(false);
        table.open();
        table.close();
        PackFailures << QStringLiteral("%1: %2").arg(fileName, e.message());
        return;
    }
    if (!PackTable(table) && !table.lastError().isEmpty())
        PackFailures << QStringLiteral("%1: %2").arg(fileName, table.lastError());
    table.close();
}

void TDM::OpenQuerySQL(db::Query &query, const QString &statement)
{
    query.setDatabaseName(DataPath);
    query.close();
    query.setSQL(statement);
    query.open();
}
