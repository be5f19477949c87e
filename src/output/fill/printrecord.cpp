#include "printrecord.h"

#include "db/expr.h"

#include "data/dm.h"
#include "data/records.h"
#include "db/error.h"

namespace output {
namespace {

report::Record rowOf(db::Dataset &ds)
{
    report::Record r;
    for (int i = 0; i < ds.fieldCount(); ++i) {
        db::Field f = ds.field(i);
        r.set(f.name(), f.asString());
    }
    return r;
}

std::vector<report::Record> rowsOf(db::Dataset &ds)
{
    std::vector<report::Record> rows;
    if (!ds.isActive())
        return rows;
    for (ds.first(); !ds.eof(); ds.next())
        rows.push_back(rowOf(ds));
    ds.first();
    return rows;
}

void refilter(db::Table &t, const QString &filter, bool closeFirst)
{
    if (closeFirst)
        t.close();
    t.setFiltered(false);
    t.setFilter(filter);
    t.setFiltered(true);
    t.open();
}

// One row of a code table by its key: the filter holds the value as an
// escaped literal, and the row found must hold exactly that key (a value
// ending in "*" would otherwise match as a prefix).
QString lookup(db::Table &t, const QString &keyField, const QString &resultField, const QString &value,
               bool closeFirst, bool returnKey = false)
{
    refilter(t, keyField + QStringLiteral(" =") + quotedLiteral(value), closeFirst);
    if (t.isEmpty())
        return {};
    t.first();
    if (t.fieldByName(keyField).asString().trimmed() != value.trimmed())
        return {};
    const QString result = t.fieldByName(resultField).asString();
    if (result.isEmpty())
        return {};
    return returnKey ? t.fieldByName(keyField).asString() : result;
}

QString dictText(db::Table &zdxx, const QString &key, const QString &code)
{
    refilter(zdxx, QStringLiteral("zddm =") + quotedLiteral(key), false);
    QString text;
    for (zdxx.first(); !zdxx.eof(); zdxx.next())
        if (zdxx.fieldByName(QStringLiteral("xxdm")).asString() == code)
            text = zdxx.fieldByName(QStringLiteral("xxmc")).asString();
    return text;
}

} // namespace

QString quotedLiteral(const QString &text)
{
    return db::exactLiteral(text);
}

PrintRecord readPrintRecord(TDM &dm)
{
    PrintRecord p;
    p.record = rowOf(dm.Qrykjcg);
    const QString key = p.value(QStringLiteral("ITEM_4"));
    const QString region = p.value(QStringLiteral("ITEM_DQDM"));

    p.persons = rowsOf(dm.QryCgwcr);
    p.organisations = rowsOf(dm.QryCgwcdw);

    // The committee by role rank: chair, vice-chairs, members.
    db::Query committee;
    committee.setDatabaseName(DataPath);
    committee.setSQL(QStringLiteral("select *  from  jdwyhmd  where  item_4=:item_4\nand  item_dqdm=:item_dqdm\n"
                                    "order  by  item_194 "));
    committee.setParam(QStringLiteral("item_4"), key);
    committee.setParam(QStringLiteral("item_dqdm"), region);
    committee.open();
    p.committee = rowsOf(committee);

    refilter(dm.tblzlqk,
             data::recordFilter(key, region),
             true);
    p.patents = rowsOf(dm.tblzlqk);

    p.investment = dictText(dm.Tblzdxx, QStringLiteral("item_46"), p.value(QStringLiteral("ITEM_46")));
    p.profit = dictText(dm.Tblzdxx, QStringLiteral("item_47"), p.value(QStringLiteral("ITEM_47")));
    p.province = lookup(dm.tblProvince, QStringLiteral("Province_i"), QStringLiteral("Province_n"),
                        p.value(QStringLiteral("ITEM_64")), true);
    p.department = lookup(dm.tblLsbw, QStringLiteral("Bwdm"), QStringLiteral("Bwmc"),
                          p.value(QStringLiteral("ITEM_63")), true);
    try {
        const auto subject = [&](const char *field) {
            return lookup(dm.Txkfl2, QStringLiteral("xxdm"), QStringLiteral("xxmc"), p.value(QLatin1String(field)).trimmed(),
                          false).trimmed();
        };
        p.subject1 = subject("ITEM_15");
        p.subject2 = subject("ITEM_15_1");
    } catch (const db::EngineError &e) {
        p.subjectError = e.message();
    }
    try {
        const auto library = [&](const char *field) {
            return lookup(dm.Tztflh2, QStringLiteral("xxdm"), QStringLiteral("xxmc"), p.value(QLatin1String(field)),
                          false, true);
        };
        p.library1 = library("ITEM_12");
        p.library2 = library("ITEM_12_1");
    } catch (const db::EngineError &e) {
        p.libraryError = e.message();
    }
    return p;
}

} // namespace output
