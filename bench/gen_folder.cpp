// A whole data folder shaped like a real one, for the whole-program
// benchmarks: the seed tables, the registering organisation's complete row,
// and N records of 2000..2024 (all three categories), each with 3 completing
// persons, 2 cooperating organisations, 2 committee members and a patent,
// Chinese names and memos of 100 to 2,000 bytes.  One record in ten is
// deleted with its sub-rows, so the first start packs.  The rows go straight
// into the table files (no cursor, no per-row checks); the contents come
// from a fixed seed.
//
//   gen_folder SEED_FOLDER DATA_FOLDER RECORDS

#include "data/schema.h"
#include "db/gbk.h"
#include "db/tablefile.h"
#include "exchange/tables.h"
#include "seed_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

#include <cstdio>
#include <random>

using namespace exchange;

namespace {

QByteArray g(const QString &s) { return db::gbk::encodeLossy(s); }

struct Filler {
    std::mt19937 rng{20261209};
    int pick(int n) { return int(rng() % unsigned(n)); }
    template <class T> const T &any(const QList<T> &l) { return l[pick(int(l.size()))]; }

    // Memo text of about `bytes` GBK bytes, in paragraphs.
    QByteArray memo(int bytes)
    {
        static const QList<QByteArray> sentences = {
            g(QStringLiteral("本成果针对生产中存在的关键技术问题，开展了系统的试验研究。")),
            g(QStringLiteral("项目组提出了一种新的控制方法，显著提高了系统的稳定性和效率。")),
            g(QStringLiteral("经过三年的推广应用，累计新增产值一亿二千万元，节约成本八百万元。")),
            g(QStringLiteral("该技术已获国家发明专利两项，发表论文十五篇，其中被收录八篇。")),
            g(QStringLiteral("经专家鉴定，该成果总体上达到国内领先水平。")),
        };
        QByteArray out;
        while (out.size() < bytes) {
            out += any(sentences);
            if (pick(5) == 0)
                out += "\r\n";
        }
        return out;
    }
};

void row(const TablePtr &t, const QList<QPair<const char *, QByteArray>> &values, bool deleted)
{
    PreparedRow p = prepareRow(*t, {});
    for (const auto &[name, value] : values) {
        const int i = t->schema().indexOf(QString::fromLatin1(name));
        if (i < 0) {
            std::fprintf(stderr, "no field %s in %s\n", name, qPrintable(t->name()));
            std::exit(2);
        }
        if (t->schema().fields[i].kind == db::FieldKind::Memo)
            p.memos.insert(i, value);
        else
            setText(*t, p, QString::fromLatin1(name), value);
    }
    const int at = t->appendRow(p.record, p.memos);
    if (deleted)
        t->setDeleted(at, true);
}

void fill(const QString &data, int records)
{
    Filler f;
    const QList<QByteArray> titles = {
        g(QStringLiteral("高效节能电机控制系统研究")), g(QStringLiteral("水稻抗病新品种选育与推广")),
        g(QStringLiteral("城市供水管网智能监测平台")), g(QStringLiteral("新型复合材料制备工艺")),
        g(QStringLiteral("区域科技创新政策研究")),     g(QStringLiteral("中药有效成分分析方法")),
        g(QStringLiteral("大跨度桥梁健康监测技术")),   g(QStringLiteral("煤矿瓦斯抽采关键技术及装备")),
    };
    const QList<QByteArray> orgs = {
        g(QStringLiteral("湖北省青岚应用技术研究院")),
        g(QStringLiteral("华中农业科学研究所")),
        g(QStringLiteral("江汉大学材料工程学院")),
        g(QStringLiteral("武汉市城市建设设计院")),
    };
    const QList<QByteArray> surnames = {g(QStringLiteral("张")),  g(QStringLiteral("王")), g(QStringLiteral("李")),
                                        g(QStringLiteral("刘")),  g(QStringLiteral("陈")), g(QStringLiteral("杨")),
                                        g(QStringLiteral("欧阳"))};
    const QList<QByteArray> given = {g(QStringLiteral("伟")),   g(QStringLiteral("芳")),  g(QStringLiteral("娜")),
                                     g(QStringLiteral("洋")),   g(QStringLiteral("静")),  g(QStringLiteral("帆")),
                                     g(QStringLiteral("建国")), g(QStringLiteral("晓明"))};
    const auto person = [&] { return f.any(surnames) + f.any(given); };

    const TablePtr kjcg = openTable(data, data::file::kjcg);
    const TablePtr cgwcr = openTable(data, data::file::cgwcr);
    const TablePtr cgwcdw = openTable(data, data::file::cgwcdw);
    const TablePtr jdwyhmd = openTable(data, data::file::jdwyhmd);
    const TablePtr zlqk = openTable(data, data::file::zlqk);
    const TablePtr unit = openTable(data, data::file::unit);
    row(unit,
        {{"UNITCODE", "9990001000"},
         {"UNITLEVEL", "1"},
         {"ITEM_9", orgs[0]},
         {"ITEM_37", g(QStringLiteral("武汉市洪山区珞喻路129号"))},
         {"ITEM_38", "430072"},
         {"ITEM_39", "027-87654321"},
         {"ITEM_40", "027-87654322"},
         {"ITEM_41", g(QStringLiteral("科技处"))},
         {"ITEM_41_2", "027-87654300"},
         {"UNITINTROD", g(QStringLiteral("青岚应用技术研究院创建于一九五八年，是以应用研究为主的综合性科研机构，"
                                         "设有十二个研究所和三个国家级工程中心，现有职工一千二百人。"))}},
        false);
    for (const TablePtr &t : {kjcg, cgwcr, cgwcdw, jdwyhmd, zlqk})
        t->reserveRows(records * 3);

    QVector<int> serial(25, 0);
    for (int r = 0; r < records; ++r) {
        const int year = 2000 + f.pick(25);
        const QByteArray key = QByteArray::number(year) + QByteArray::number(1000000 + ++serial[year - 2000]).right(6);
        const bool deleted = r % 10 == 3;
        const QByteArray memoEmpty;
        row(kjcg,
            {{"ITEM_4", key},
             {"ITEM_DQDM", "."},
             {"ITEM_CGLB", QByteArray::number(1 + f.pick(3))},
             {"ITEM_3", f.any(titles) + QByteArray::number(r)},
             {"ITEM_9", f.any(orgs)},
             {"ITEM_14", g(QStringLiteral("节能;控制;监测;推广"))},
             {"ITEM_121", "2005-03-01"},
             // Every field the completeness check asks for, so the list's
             // current record never locks the main window's commands.
             {"ITEM_8", "2003.01-2005.12"},
             {"ITEM_1", "1"},
             {"ITEM_201", "1"},
             {"ITEM_125", "01"},
             {"ITEM_16", "1"},
             {"ITEM_33", "1"},
             {"ITEM_123", "01"},
             {"ITEM_125_1", "1"},
             {"ITEM_210", "1"},
             {"ITEM_200", "01"},
             {"ITEM_161", "01;"},
             {"ITEM_126", g(QStringLiteral("省科技攻关计划"))},
             {"ITEM_37", g(QStringLiteral("武汉市洪山区珞喻路129号"))},
             {"ITEM_38", "430072"},
             {"ITEM_62", "1"},
             {"ITEM_64", "420"},
             {"ITEM_41", person()},
             {"ITEM_41_2", "027-87654300"},
             {"ITEM_141", QByteArray::number(f.pick(100000) / 100.0, 'f', 2)},
             {"ITEM_13", f.memo(100 + f.pick(1900))},
             {"ITEM_13_1", f.memo(100 + f.pick(1900))},
             {"ITEM_13_2", f.pick(5) < 2 ? memoEmpty : f.memo(100 + f.pick(900))},
             {"ITEM_13_3", f.pick(5) < 2 ? memoEmpty : f.memo(100 + f.pick(900))}},
            deleted);
        for (int p = 1; p <= 3; ++p)
            row(cgwcr,
                {{"ITEM_4", key},
                 {"ITEM_DQDM", "."},
                 {"ITEM_187", QByteArray::number(p)},
                 {"ITEM_180", person()},
                 {"ITEM_181", "1"},
                 {"ITEM_185", f.any(orgs)},
                 {"ITEM_186", g(QStringLiteral("主要完成人"))},
                 {"ITEM_188", "0"},
                 {"ITEM_NO", QByteArray::number(p)}},
                deleted);
        for (int o = 1; o <= 2; ++o)
            row(cgwcdw,
                {{"ITEM_4", key},
                 {"ITEM_DQDM", "."},
                 {"ITEM_176", QByteArray::number(o)},
                 {"ITEM_170", f.any(orgs)},
                 {"ITEM_171", g(QStringLiteral("湖北省武汉市武昌区"))}},
                deleted);
        for (int m = 1; m <= 2; ++m)
            row(jdwyhmd,
                {{"ITEM_4", key},
                 {"ITEM_DQDM", "."},
                 {"ITEM_190", QByteArray::number(m)},
                 {"ITEM_192", person()},
                 {"ITEM_195", f.any(orgs)}},
                deleted);
        row(zlqk,
            {{"ITEM_4", key},
             {"ITEM_DQDM", "."},
             {"ITEM_NO", "1"},
             {"PATENT_NO", "ZL" + key},
             {"PATENT_NAM", g(QStringLiteral("一种节能控制装置"))}},
            deleted);
    }
    for (const TablePtr &t : {kjcg, cgwcr, cgwcdw, jdwyhmd, zlqk, unit})
        t->sync();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: gen_folder SEED_FOLDER DATA_FOLDER RECORDS\n");
        return 2;
    }
    const QString data = QString::fromLocal8Bit(argv[2]);
    if (QDir(data).exists()) {
        std::fprintf(stderr, "%s exists already\n", argv[2]);
        return 2;
    }
    QElapsedTimer t;
    t.start();
    seed::seedDataFolder(QString::fromLocal8Bit(argv[1]), data);
    fill(data, std::atoi(argv[3]));
    std::printf("filled %s with %d records in %.1f s\n", argv[2], std::atoi(argv[3]), double(t.elapsed()) / 1000);
    return 0;
}
