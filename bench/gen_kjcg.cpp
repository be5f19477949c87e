// Builds a kjcg record table for the benchmarks: about 106 fields like the
// real one (mostly text fields, Chinese names and keywords, twenty N(12,4)
// amounts, a date, five memos), one tenth of the rows deleted.  The contents
// come from a fixed seed, so two runs give the same bytes.
//
//   gen_kjcg FOLDER [--rows N] [--via store|table] [--seed S]
//
// --via table (default) appends through a Table cursor (append, set fields,
// post, delete), the way the program's forms do it; --via store appends
// straight to the shared table store.  The time spent writing is printed
// apart from the time spent making up the values.

#include "db/database.h"
#include "db/dataset.h"
#include "db/error.h"
#include "db/gbk.h"
#include "db/tablefile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <random>

namespace {

const char *const kWords[] = {
    "研究", "技术", "系统", "应用", "开发", "方法", "分析", "设计", "新型", "高效",
    "材料", "工艺", "装置", "控制", "检测", "智能", "农业", "水稻", "小麦", "玉米",
    "品种", "选育", "栽培", "病虫害", "防治", "环境", "保护", "污染", "治理", "能源",
    "节能", "减排", "信息", "网络", "数据", "平台", "建设", "示范", "推广", "机械",
    "制造", "自动化", "生物", "医药", "临床", "诊断", "治疗", "中药", "化学", "合成",
    "催化", "电子", "通信", "软件", "集成", "优化", "评价", "关键", "基础", "理论",
    "实验", "模型", "资源", "利用", "开采", "矿山", "安全", "监测", "预警", "水利",
    "工程", "桥梁", "道路", "交通", "城市", "规划", "综合", "产业化", "及其", "基于",
};
const char *const kPlaces[] = {
    "北京", "上海", "天津", "重庆", "河北", "山西", "辽宁", "吉林", "黑龙江", "江苏",
    "浙江", "安徽", "福建", "江西", "山东", "河南", "湖北", "湖南", "广东", "海南",
    "四川", "贵州", "云南", "陕西", "甘肃", "青海",
};
const char *const kOrgKinds[] = {
    "省农业科学院", "大学", "理工大学", "医科大学", "省科学技术研究院", "市环境监测中心",
    "机械研究所", "化工研究院", "电子有限公司", "人民医院", "水利水电勘测设计院",
};
const char *const kPeople[] = {"张伟", "王芳", "李娜", "刘洋", "陈静", "杨磊", "赵敏", "黄勇", "周杰", "吴霞"};

// The word lists above, in GBK, encoded once.
struct Pool {
    QVector<QByteArray> items;
    template <size_t N>
    explicit Pool(const char *const (&list)[N])
    {
        for (const char *s : list)
            items << db::gbk::encodeLossy(QString::fromUtf8(s));
    }
    const QByteArray &pick(std::mt19937 &rng) const
    {
        return items[std::uniform_int_distribution<qsizetype>(0, items.size() - 1)(rng)];
    }
};

const Pool &words() { static const Pool p(kWords); return p; }
const Pool &places() { static const Pool p(kPlaces); return p; }
const Pool &orgKinds() { static const Pool p(kOrgKinds); return p; }
const Pool &people() { static const Pool p(kPeople); return p; }

int uniform(std::mt19937 &rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

// Chinese words strung together up to `bytes` GBK bytes (a character is
// never cut in two).
QByteArray chineseText(std::mt19937 &rng, int bytes)
{
    QByteArray s;
    while (s.size() < bytes)
        s += words().pick(rng);
    return db::gbk::cutBytes(s, bytes);
}

QByteArray orgName(std::mt19937 &rng)
{
    return places().pick(rng) + orgKinds().pick(rng);
}

QByteArray memoText(std::mt19937 &rng)
{
    static const QByteArray comma = db::gbk::encodeLossy(QStringLiteral("，"));
    static const QByteArray stop = db::gbk::encodeLossy(QStringLiteral("。\r\n"));
    const int len = uniform(rng, 100, 2000);
    QByteArray s;
    while (s.size() < len) {
        s += words().pick(rng);
        if (uniform(rng, 0, 9) == 0)
            s += comma;
        if (uniform(rng, 0, 29) == 0)
            s += stop;
    }
    return db::gbk::cutBytes(s, len);
}

db::FieldDef fieldDef(const QString &name, char type, int width, int decimals = 0)
{
    db::FieldDef f;
    f.name = name;
    f.type = type;
    f.width = width;
    f.decimals = decimals;
    f.kind = db::FieldDef::kindFor(type, width, decimals);
    return f;
}

QVector<db::FieldDef> kjcgFields()
{
    static const int widths[] = {1, 2, 4, 6, 8, 10, 12, 20, 30, 40, 60, 100};
    QVector<db::FieldDef> f;
    f << fieldDef(QStringLiteral("NO"), 'C', 10);
    for (int k = 1; k <= 77; ++k) {
        int w = widths[(k * 7) % std::size(widths)];
        if (k == 3 || k == 9)
            w = 140;
        else if (k == 4)
            w = 10;
        else if (k == 14)
            w = 200;
        f << fieldDef(QStringLiteral("ITEM_%1").arg(k), 'C', w);
    }
    f << fieldDef(QStringLiteral("ITEM_DQDM"), 'C', 3);
    f << fieldDef(QStringLiteral("ITEM_CGLB"), 'C', 1);
    for (int k = 1; k <= 20; ++k)
        f << fieldDef(QStringLiteral("ITEM_N%1").arg(k, 2, 10, QLatin1Char('0')), 'N', 12, 4);
    f << fieldDef(QStringLiteral("ITEM_RQ"), 'D', 8);
    for (int k = 1; k <= 5; ++k)
        f << fieldDef(QStringLiteral("ITEM_M%1").arg(k), 'M', 10);
    return f;
}

// One row's values, field by field (memo texts included), as GBK bytes or
// numbers; the row number gives NO and the serial of ITEM_4.
struct RowValues {
    QVector<db::Value> values;
    bool deleted = false;
};

// Time spent making up values, kept apart from the time spent writing them.
qint64 g_makeNanos = 0;

RowValues makeRowValues(std::mt19937 &rng, const QVector<db::FieldDef> &fields, int rowNo);

RowValues makeRow(std::mt19937 &rng, const QVector<db::FieldDef> &fields, int rowNo)
{
    QElapsedTimer t;
    t.start();
    RowValues r = makeRowValues(rng, fields, rowNo);
    g_makeNanos += t.nsecsElapsed();
    return r;
}

RowValues makeRowValues(std::mt19937 &rng, const QVector<db::FieldDef> &fields, int rowNo)
{
    RowValues r;
    r.values.resize(fields.size());
    for (int i = 0; i < fields.size(); ++i) {
        const db::FieldDef &f = fields[i];
        const QString &n = f.name;
        db::Value v;
        if (n == QLatin1String("NO")) {
            v = db::Value::fromBytes(QByteArray::number(rowNo + 1));
        } else if (n == QLatin1String("ITEM_3")) {
            v = db::Value::fromBytes(chineseText(rng, uniform(rng, 16, 100)));
        } else if (n == QLatin1String("ITEM_4")) {
            v = db::Value::fromBytes(QByteArray::number(uniform(rng, 2000, 2024))
                                     + QByteArray::number(rowNo + 1).rightJustified(6, '0'));
        } else if (n == QLatin1String("ITEM_9")) {
            QByteArray org = orgName(rng);
            if (uniform(rng, 0, 3) == 0)
                org += "," + orgName(rng);
            v = db::Value::fromBytes(db::gbk::cutBytes(org, 140));
        } else if (n == QLatin1String("ITEM_14")) {
            QByteArray kw;
            for (int k = uniform(rng, 2, 8); k > 0; --k)
                kw += chineseText(rng, uniform(rng, 4, 8)) + ";";
            v = db::Value::fromBytes(db::gbk::cutBytes(kw, 200));
        } else if (n == QLatin1String("ITEM_DQDM")) {
            v = db::Value::fromBytes(".");
        } else if (n == QLatin1String("ITEM_CGLB")) {
            v = db::Value::fromBytes(QByteArray(1, char('1' + uniform(rng, 0, 2))));
        } else if (f.type == 'N') {
            if (uniform(rng, 0, 4) != 0)
                v = db::Value::fromNumber(uniform(rng, 0, 99999999) / 1e4);
        } else if (f.type == 'D') {
            v = db::Value::fromDate(QDate(2000, 1, 1).addDays(uniform(rng, 0, 9100)));
        } else if (f.type == 'M') {
            if (uniform(rng, 0, 9) >= 4)
                v = db::Value::fromBytes(memoText(rng));
        } else if (uniform(rng, 0, 1) == 0) {
            // Other text fields: half blank, the rest codes, names or words.
            const int choice = uniform(rng, 0, 2);
            QByteArray t;
            if (choice == 0 || f.width < 4)
                t = QByteArray::number(uniform(rng, 0, 999999999));
            else if (choice == 1)
                t = people().pick(rng);
            else
                t = chineseText(rng, uniform(rng, 2, f.width));
            v = db::Value::fromBytes(db::gbk::cutBytes(t, f.width));
        }
        r.values[i] = v;
    }
    r.deleted = uniform(rng, 0, 9) == 0;
    return r;
}

void appendViaStore(const QString &path, const QVector<db::FieldDef> &fields, int rows, std::mt19937 &rng)
{
    auto t = db::TableFile::open(path, true);
    for (int i = 0; i < rows; ++i) {
        const RowValues r = makeRow(rng, fields, i);
        QByteArray rec = db::blankRecord(t->schema());
        QHash<int, QByteArray> memos;
        for (int f = 0; f < fields.size(); ++f) {
            if (fields[f].type == 'M')
                memos.insert(f, r.values[f].text);
            else
                db::encodeFieldValue(*t, rec.data(), f, r.values[f]);
        }
        const int row = t->appendRow(rec, memos);
        if (r.deleted)
            t->setDeleted(row, true);
    }
    t->sync();
}

void appendViaTable(const QString &folder, const QVector<db::FieldDef> &fields, int rows, std::mt19937 &rng)
{
    db::Table t;
    t.setDatabaseName(folder);
    t.setTableName(QStringLiteral("kjcg"));
    t.setExclusive(true);
    t.open();
    QElapsedTimer lap;
    lap.start();
    for (int i = 0; i < rows; ++i) {
        const RowValues r = makeRow(rng, fields, i);
        t.append();
        for (int f = 0; f < fields.size(); ++f)
            t.field(f).setValue(r.values[f]);
        t.post();
        if (r.deleted)
            t.deleteRecord();
        if ((i + 1) % 10000 == 0) {
            std::fprintf(stderr, "  %d rows, last 10000 in %.2f s\n", i + 1, lap.nsecsElapsed() / 1e9);
            lap.restart();
        }
    }
    t.flush();
    t.close();
}

} // namespace

int main(int argc, char **argv)
{
    QString folder;
    int rows = 50000;
    unsigned seed = 20240601;
    bool viaTable = true;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--rows" && i + 1 < argc)
            rows = std::atoi(argv[++i]);
        else if (a == "--seed" && i + 1 < argc)
            seed = unsigned(std::strtoul(argv[++i], nullptr, 10));
        else if (a == "--via" && i + 1 < argc)
            viaTable = QByteArray(argv[++i]) == "table";
        else if (!a.startsWith("--") && folder.isEmpty())
            folder = QString::fromLocal8Bit(a);
        else {
            std::fprintf(stderr, "usage: gen_kjcg FOLDER [--rows N] [--via store|table] [--seed S]\n");
            return 2;
        }
    }
    if (folder.isEmpty() || rows < 0) {
        std::fprintf(stderr, "usage: gen_kjcg FOLDER [--rows N] [--via store|table] [--seed S]\n");
        return 2;
    }
    try {
        QDir().mkpath(folder);
        const QString path = QDir(folder).filePath(QStringLiteral("kjcg.dbf"));
        QFile::remove(path);
        QFile::remove(QDir(folder).filePath(QStringLiteral("kjcg.dbt")));
        const QVector<db::FieldDef> fields = kjcgFields();
        db::TableFile::createFile(path, fields);
        std::mt19937 rng(seed);
        QElapsedTimer timer;
        timer.start();
        if (viaTable)
            appendViaTable(folder, fields, rows, rng);
        else
            appendViaStore(path, fields, rows, rng);
        const double total = timer.nsecsElapsed() / 1e9;
        const double secs = total - g_makeNanos / 1e9;
        std::printf("wrote %d rows of %d fields via %s: %.3f s writing (%.1f us a row), %.3f s making up values\n",
                    rows, int(fields.size()), viaTable ? "table" : "store", secs, rows ? secs * 1e6 / rows : 0.0,
                    g_makeNanos / 1e9);
    } catch (const db::EngineError &e) {
        std::fprintf(stderr, "gen_kjcg: %s\n", e.what());
        return 1;
    }
    return 0;
}
