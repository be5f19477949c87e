#include "printprep.h"

#include "data/dm.h"
#include "db/error.h"
#include "printrecord.h"

namespace output {
namespace {

QString field(db::Dataset &ds, const char *name)
{
    return ds.fieldByName(QLatin1String(name)).asString();
}

void listQuery(db::Query &q, const QString &table, const QString &order, const QString &key, const QString &region)
{
    q.close();
    q.setDatabaseName(DataPath);
    q.setSQL(QStringLiteral("select *  from  %1  where  item_4=:item_4\nand  item_dqdm=:item_dqdm\norder  by  %2 ")
                 .arg(table, order));
    q.setParam(QStringLiteral("item_4"), key);
    q.setParam(QStringLiteral("item_dqdm"), region);
    q.open();
}

} // namespace

QString closeKnowledgeForms(TDM &dm)
{
    db::Query &rec = dm.Qrykjcg;
    if (rec.isEmpty())
        return {};
    const QString forms = field(rec, "ITEM_51");
    if (forms.isEmpty() || forms.contains(QLatin1Char(';')))
        return {};
    try {
        rec.edit();
        rec.fieldByName(QStringLiteral("ITEM_51")).setAsString(forms + QLatin1Char(';'));
        rec.post();
    } catch (const db::EngineError &e) {
        rec.cancel();
        return e.message();
    }
    return {};
}

bool openPrintLists(TDM &dm)
{
    db::Query &rec = dm.Qrykjcg;
    const QString key = field(rec, "item_4"), region = field(rec, "item_dqdm");
    listQuery(dm.QryCgwcdw, QStringLiteral("cgwcdw"), QStringLiteral("item_176"), key, region);

    db::Table &patents = dm.tblzlqk;
    patents.close();
    patents.setFiltered(false);
    patents.setFilter(QStringLiteral("item_4=") + quotedLiteral(key) + QStringLiteral(" and item_dqdm=")
                      + quotedLiteral(region));
    patents.setFiltered(true);
    patents.open();
    if (!patents.isEmpty() && rec.fieldByName(QStringLiteral("ITEM_51_1")).isNull()
        && rec.fieldByName(QStringLiteral("patent_ty")).isNull()) {
        bool accepted = false, granted = false, types[4] = {false, false, false, false};
        for (patents.first(); !patents.eof(); patents.next()) {
            const QString st = field(patents, "patent_st").trimmed(), ty = field(patents, "patent_ty").trimmed();
            accepted = accepted || st == QLatin1String("1");
            granted = granted || st == QLatin1String("2");
            if (ty == QLatin1String("1") || ty == QLatin1String("2") || ty == QLatin1String("3"))
                types[ty.toInt()] = true;
        }
        QString ptypes;
        for (int t = 1; t <= 3; ++t)
            if (types[t])
                ptypes += QString::number(t) + QLatin1Char(';');
        try {
            rec.edit();
            rec.fieldByName(QStringLiteral("patent_ty")).setAsString(ptypes);
            rec.fieldByName(QStringLiteral("ITEM_51_1"))
                .setAsString(granted ? QStringLiteral("3") : accepted ? QStringLiteral("2") : QStringLiteral("1"));
            rec.post();
        } catch (const db::EngineError &) {
            rec.cancel();
            return false;
        }
    }
    listQuery(dm.QryJdwyhmd, QStringLiteral("Jdwyhmd"), QStringLiteral("item_190"), key, region);
    listQuery(dm.QryCgwcr, QStringLiteral("cgwcr"), QStringLiteral("item_187"), key, region);
    rec.flush();
    return true;
}

} // namespace output
