#pragma once

// Fills a data folder with records shaped like real ones, for the exchange
// benchmarks: every record has 3 persons, 2 cooperating organisations, 2
// committee members and 1 patent, a summary memo of about 600 bytes and
// Chinese names.  Keys run over the years 2000 to 2019.

#include "data/schema.h"
#include "db/gbk.h"
#include "exchange/tables.h"

namespace benchfill {

using namespace exchange;

inline QByteArray g(const QString &s) { return db::gbk::encodeLossy(s); }

inline void fill(const QString &folder, int records)
{
    data::layOutDataFolder(folder);
    const TablePtr kjcg = openTable(folder, data::file::kjcg);
    const TablePtr cgwcr = openTable(folder, data::file::cgwcr);
    const TablePtr cgwcdw = openTable(folder, data::file::cgwcdw);
    const TablePtr jdwyhmd = openTable(folder, data::file::jdwyhmd);
    const TablePtr zlqk = openTable(folder, data::file::zlqk);
    const QByteArray memo = g(QStringLiteral("本成果研究了一种新的方法，").repeated(25) + QStringLiteral("\r\n第二段"));
    const auto row = [](const TablePtr &t, const QList<QPair<const char *, QByteArray>> &values) {
        PreparedRow p = prepareRow(*t, {});
        for (const auto &v : values) {
            const int i = t->schema().indexOf(QString::fromLatin1(v.first));
            if (t->schema().fields[i].kind == db::FieldKind::Memo)
                p.memos.insert(i, v.second);
            else
                setText(*t, p, QString::fromLatin1(v.first), v.second);
        }
        t->appendRow(p.record, p.memos);
    };
    for (int r = 0; r < records; ++r) {
        const QByteArray key = QByteArray::number(2000 + r % 20) + QByteArray::number(100000 + r).right(6);
        const QByteArray n = QByteArray::number(r);
        row(kjcg, {{"ITEM_4", key},
                   {"ITEM_DQDM", "."},
                   {"ITEM_3", g(QStringLiteral("一种新型材料的研究")) + n},
                   {"ITEM_9", g(QStringLiteral("某某研究院"))},
                   {"ITEM_CGLB", QByteArray::number(1 + r % 3)},
                   {"ITEM_121", "2005-03-01"},
                   {"ITEM_13_1", memo},
                   {"ITEM_14", g(QStringLiteral("材料;方法;应用"))},
                   {"ITEM_45", "12.5"}});
        for (int p = 1; p <= 3; ++p)
            row(cgwcr, {{"ITEM_4", key},
                        {"ITEM_DQDM", "."},
                        {"ITEM_187", QByteArray::number(p)},
                        {"ITEM_180", g(QStringLiteral("张三")) + n + QByteArray::number(p)},
                        {"ITEM_181", "1"},
                        {"ITEM_185", g(QStringLiteral("某某研究院"))},
                        {"ITEM_186", g(QStringLiteral("主要完成人"))},
                        {"ITEM_188", "0"},
                        {"ITEM_NO", QByteArray::number(p)}});
        for (int o = 1; o <= 2; ++o)
            row(cgwcdw, {{"ITEM_4", key},
                         {"ITEM_DQDM", "."},
                         {"ITEM_176", QByteArray::number(o)},
                         {"ITEM_170", g(QStringLiteral("协作单位"))},
                         {"ITEM_171", g(QStringLiteral("北京市海淀区"))}});
        for (int m = 1; m <= 2; ++m)
            row(jdwyhmd, {{"ITEM_4", key},
                          {"ITEM_DQDM", "."},
                          {"ITEM_190", QByteArray::number(m)},
                          {"ITEM_192", g(QStringLiteral("李四"))},
                          {"ITEM_195", g(QStringLiteral("某大学"))}});
        row(zlqk, {{"ITEM_4", key},
                   {"ITEM_DQDM", "."},
                   {"ITEM_NO", "1"},
                   {"PATENT_NO", "ZL" + key},
                   {"PATENT_NAM", g(QStringLiteral("一种装置"))}});
    }
    for (const TablePtr &t : {kjcg, cgwcr, cgwcdw, jdwyhmd, zlqk})
        t->sync();
}

} // namespace benchfill
