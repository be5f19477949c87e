#include "data/schema.h"

#include "db/error.h"
#include "db/tablefile.h"

#include <QDir>
#include <QFileInfo>

namespace data {

namespace {

db::FieldDef column(const char *name, char type, int width, int decimals = 0)
{
    db::FieldDef f;
    f.name = QString::fromLatin1(name);
    f.type = type;
    f.width = width;
    f.decimals = decimals;
    f.kind = db::FieldDef::kindFor(type, width, decimals);
    return f;
}

// The column kinds the tables are declared with.  The engine takes an N
// column with decimals as a double, N(<=6,0) as a 16-bit and N(7..11,0) as a
// 32-bit integer.
db::FieldDef text(const char *name, int width = 20) { return column(name, 'C', width); }
db::FieldDef real(const char *name) { return column(name, 'N', 15, 4); }
db::FieldDef smallInt(const char *name) { return column(name, 'N', 6); }
db::FieldDef integer(const char *name) { return column(name, 'N', 11); }
db::FieldDef date(const char *name) { return column(name, 'D', 8); }
db::FieldDef memo(const char *name) { return column(name, 'M', 10); }

// Every row of a sub-table carries the key of its record first.
QVector<db::FieldDef> withRecordKey(std::initializer_list<db::FieldDef> rest)
{
    QVector<db::FieldDef> fields{text("ITEM_4", 10), text("ITEM_DQDM", 3)};
    fields.append(QVector<db::FieldDef>(rest));
    return fields;
}

QVector<db::FieldDef> makeKjcg()
{
    return {
        text("ITEM_1", 1), text("ITEM_110", 1), text("ITEM_12", 12), text("ITEM_12_1", 12),
        text("ITEM_120", 20), date("ITEM_121"), text("ITEM_123", 2), text("ITEM_124_1", 15),
        text("ITEM_125", 15), text("ITEM_125_1", 7), text("ITEM_126", 50), memo("ITEM_13"),
        memo("ITEM_13_1"), memo("ITEM_13_2"), memo("ITEM_13_3"), text("ITEM_14", 200),
        text("ITEM_16", 1), text("ITEM_2", 1), text("ITEM_200", 15), text("ITEM_210", 1),
        text("ITEM_3", 140), text("ITEM_33", 1), text("ITEM_4", 10), text("ITEM_420", 20),
        text("ITEM_8", 22), text("ITEM_127", 30), text("ITEM_201", 1), text("ITEM_37", 100),
        text("ITEM_38", 6), text("ITEM_39", 30), text("ITEM_40", 30), text("ITEM_41", 20),
        text("ITEM_41_1", 20), text("ITEM_41_2", 30), text("ITEM_41_3", 2), text("ITEM_60", 100),
        text("ITEM_61", 80), text("ITEM_62", 1), text("ITEM_63", 3), text("ITEM_64", 3),
        text("ITEM_9", 140), text("ITEM_32", 3), text("ITEM_32_1", 10), text("ITEM_34", 14),
        real("ITEM_45"), text("ITEM_46", 2), text("ITEM_47", 2), text("ITEM_300", 1),
        text("ITEM_301", 80), text("ITEM_302", 14), memo("ITEM_303"), text("ITEM_304", 1),
        text("ITEM_305", 1), text("ITEM_306", 14), text("ITEM_160", 30), text("ITEM_161", 10),
        text("ITEM_163", 4), real("ITEM_151"), real("ITEM_152"), real("ITEM_153"),
        real("ITEM_150"), text("ITEM_140", 1), real("ITEM_142"), real("ITEM_143"),
        real("ITEM_141"), real("ITEM_162"), text("ITEM_130", 80), memo("ITEM_133"),
        text("ITEM_21", 1), text("ITEM_22", 30), text("ITEM_131", 1), text("ITEM_52", 80),
        text("ITEM_53", 12), text("ITEM_56", 12), text("ITEM_SJDR", 1), text("ITEM_SJDC", 1),
        text("ITEM_DQDM", 3), text("ITEM_CGLB", 1), real("ITEM_144"), real("ITEM_145"),
        real("ITEM_149"), real("ITEM_154"), text("ITEM_128", 80), text("ITEM_15", 10),
        text("ITEM_15_1", 10), real("ITEM_142_1"), real("ITEM_142_2"), real("ITEM_142_3"),
        real("ITEM_XH"), real("ITEM_148"), real("ITEM_243"), real("ITEM_244"),
        text("ITEM_51_1", 1), smallInt("ITEM_51_2"), smallInt("ITEM_51_3"), real("ITEM_151_1"),
        real("ITEM_152_1"), text("ITEM_127_1", 140), text("NO", 10), text("item_check", 20),
        text("outcomeb", 20), text("ITEM_51", 6), text("patent_ty", 6), text("TLinkMan", 20),
        text("TLinkManTe", 30), text("TLinkManEm", 80),
    };
}

QVector<db::FieldDef> makeCgwcdw()
{
    return withRecordKey({
        real("ITEM_176"), text("ITEM_170", 80), text("ITEM_171", 80), text("ITEM_172", 20),
        text("ITEM_173", 20), text("ITEM_174", 20), text("ITEM_175", 20),
    });
}

QVector<db::FieldDef> makeCgwcr()
{
    return withRecordKey({
        real("ITEM_187"), text("ITEM_180", 20), text("ITEM_181", 1), text("ITEM_182", 14),
        text("ITEM_183", 1), text("ITEM_184", 1), text("ITEM_185", 80), text("ITEM_186", 160),
        text("ITEM_188", 1), text("ITEM_NO", 3),
    });
}

QVector<db::FieldDef> makeJdwyhmd()
{
    return withRecordKey({
        real("ITEM_190"), text("ITEM_191", 20), text("ITEM_192", 20), text("ITEM_193", 1),
        text("ITEM_194", 14), text("ITEM_195", 80), text("ITEM_196", 30), text("ITEM_197", 30),
        text("ITEM_198", 1), text("ITEM_199", 16),
    });
}

QVector<db::FieldDef> makeZlqk()
{
    return withRecordKey({
        real("ITEM_NO"), text("PATENT_NO", 16), text("PATENT_NAM", 140), text("PATENT_ST", 1),
        text("PATENT_TY", 1),
    });
}

// The column order is the one of the organisation exchange file.
QVector<db::FieldDef> makeUnit()
{
    return {
        text("item_124_1", 100), memo("unitintrod"), memo("advantage"), memo("chiefexper"),
        text("item_37", 100), text("item_38", 6), text("item_39", 30), text("item_40", 30),
        text("item_41", 20), text("item_41_2", 30), text("item_61", 80), text("item_64", 3),
        text("item_9", 140), text("item_15", 100), text("item_420", 20), text("unitcode", 10),
        text("unitlevel", 1), integer("endlevel"), text("item_62", 10), text("item_163", 4),
        text("item_60", 100), text("item_41_3", 2), text("upunitcode", 10), text("item_124_2", 100),
        text("item_15_1", 100), memo("studydirec"),
    };
}

QVector<db::FieldDef> makeUnitexpert()
{
    return {
        text("unitcode", 20), text("item_187", 20), text("item_180", 20), text("item_181", 20),
        text("item_182", 20), text("item_124_1", 20), text("item_186", 160),
    };
}

// Organisation data named and sized like the same items of kjcg.
QVector<db::FieldDef> makeDwqk()
{
    return {
        text("ITEM_9", 140), text("ITEM_420", 20), text("ITEM_37", 100), text("ITEM_38", 6),
        text("ITEM_39", 30), text("ITEM_40", 30), text("ITEM_41", 20), text("ITEM_41_2", 30),
        text("ITEM_41_3", 2), text("ITEM_60", 100), text("ITEM_61", 80), text("ITEM_62", 1),
        text("ITEM_63", 3), text("ITEM_64", 3), text("ITEM_163", 4),
    };
}

// Classification trees are read by position: level, code, name.
QVector<db::FieldDef> makeTree()
{
    return {text("jb", 2), text("xxdm", 20), text("xxmc", 100)};
}

QVector<TableSchema> makeAll()
{
    const QVector<db::FieldDef> kjcg = makeKjcg();
    const QVector<db::FieldDef> cgwcdw = makeCgwcdw();
    const QVector<db::FieldDef> cgwcr = makeCgwcr();
    const QVector<db::FieldDef> jdwyhmd = makeJdwyhmd();
    const QVector<db::FieldDef> zlqk = makeZlqk();
    const QVector<db::FieldDef> unit = makeUnit();
    return {
        {file::kjcg, kjcg},
        {file::cgwcdw, cgwcdw},
        {file::cgwcr, cgwcr},
        {file::jdwyhmd, jdwyhmd},
        {file::zlqk, zlqk},
        {file::cgwcrNew, cgwcr},
        {file::unit, unit},
        {file::unitexpert, makeUnitexpert()},
        {file::dwqk, makeDwqk()},
        {file::zdxx, {text("zddm", 20), text("xxdm", 10), text("xxmc", 100)}},
        {file::zdxx1, {text("Name", 40), text("ZDDM", 20)}},
        {file::province, {text("Province_i", 3), text("Province_n", 40)}},
        {file::lsbw, {text("Bwdm", 3), text("Bwmc", 80)}},
        {file::xkfl, makeTree()},
        {file::ztflh, makeTree()},
        {file::gxjs, makeTree()},
        {file::dfjhzdxx, {text("item_126", 10), text("item_41_", 20), text("xxmc", 100)}},
        {file::checkup, {text("id", 20), text("button", 2), text("lb", 1)}},
        {file::kjcgTemp, kjcg},
        {file::cgwcdwTemp, cgwcdw},
        {file::cgwcrTemp, cgwcr},
        {file::jdwyhmdTemp, jdwyhmd},
        {file::zlqkTemp, zlqk},
        {file::unitTemp, unit},
    };
}

} // namespace

QString TableSchema::tableName() const
{
    return QFileInfo(fileName).completeBaseName();
}

int TableSchema::indexOf(QStringView field) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (QStringView(fields[i].name).compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool TableSchema::hasMemo() const
{
    for (const db::FieldDef &f : fields)
        if (f.type == 'M')
            return true;
    return false;
}

db::Schema TableSchema::schema() const
{
    db::Schema s;
    s.fields = fields;
    s.layout();
    return s;
}

const QVector<TableSchema> &allTables()
{
    static const QVector<TableSchema> tables = makeAll();
    return tables;
}

const TableSchema *findSchema(const QString &name)
{
    const QString wanted = name.trimmed();
    if (wanted.isEmpty())
        return nullptr;
    // Like the engine: a name without extension stands for its .dbf file.
    const bool bare = !wanted.contains(QLatin1Char('.'));
    for (const TableSchema &t : allTables()) {
        const QString candidate = bare ? t.tableName() : t.fileName;
        if (candidate.compare(wanted, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

const TableSchema &schemaFor(const QString &name)
{
    if (const TableSchema *t = findSchema(name))
        return *t;
    throw db::EngineError(QStringLiteral("%1 不是数据文件夹中的数据表").arg(name));
}

const QVector<db::FieldDef> &kjcgFields() { return schemaFor(file::kjcg).fields; }
const QVector<db::FieldDef> &cgwcdwFields() { return schemaFor(file::cgwcdw).fields; }
const QVector<db::FieldDef> &cgwcrFields() { return schemaFor(file::cgwcr).fields; }
const QVector<db::FieldDef> &jdwyhmdFields() { return schemaFor(file::jdwyhmd).fields; }
const QVector<db::FieldDef> &zlqkFields() { return schemaFor(file::zlqk).fields; }
const QVector<db::FieldDef> &unitFields() { return schemaFor(file::unit).fields; }
const QVector<db::FieldDef> &unitexpertFields() { return schemaFor(file::unitexpert).fields; }

namespace {
QString fieldText(const db::FieldDef &f)
{
    QString t = QStringLiteral("%1(%2").arg(QChar::fromLatin1(f.type)).arg(f.width);
    if (f.decimals)
        t += QStringLiteral(",%1").arg(f.decimals);
    return t + QLatin1Char(')');
}
} // namespace

QString layoutMismatch(const TableSchema &expected, const QVector<db::FieldDef> &actual, const QString &shownName)
{
    const auto &want = expected.fields;
    for (qsizetype i = 0; i < want.size(); ++i) {
        if (i >= actual.size())
            return QStringLiteral("%1 缺少字段 %2").arg(shownName, want[i].name);
        const db::FieldDef &a = actual[i], &w = want[i];
        if (a.name.compare(w.name, Qt::CaseInsensitive) != 0)
            return QStringLiteral("%1 的第%2个字段是 %3，应为 %4").arg(shownName).arg(i + 1).arg(a.name, w.name);
        if (a.type != w.type || a.width != w.width || a.decimals != w.decimals)
            return QStringLiteral("%1 的字段 %2 是 %3，应为 %4").arg(shownName, w.name, fieldText(a), fieldText(w));
    }
    if (actual.size() > want.size())
        return QStringLiteral("%1 多出字段 %2").arg(shownName, actual[want.size()].name);
    return QString();
}

QString stagingFileName(const QString &exchangeName)
{
    return exchangeName + QStringLiteral("temp.dbf");
}

QStringList layOutDataFolder(const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw db::EngineError(QStringLiteral("无法创建数据文件夹 %1").arg(QDir::toNativeSeparators(folder)));
    const QDir dir(folder);

    // Find what is missing first, so that a folder we must not write into
    // is reported before any table is made.
    QVector<const TableSchema *> missing;
    for (const TableSchema &t : allTables()) {
        if (!db::resolveFileName(folder, t.fileName).isEmpty())
            continue;
        if (t.hasMemo()) {
            // The engine refuses to put a new memo file over an old one, and
            // a memo file without its table is somebody's data: leave it.
            const QString memoName = t.tableName() + QStringLiteral(".dbt");
            const QString stray = db::resolveFileName(folder, memoName);
            if (!stray.isEmpty())
                throw db::EngineError(QStringLiteral("备注文件 %1 旁边没有数据表 %2；请把该备注文件移走，以便新建数据表")
                                          .arg(QDir::toNativeSeparators(stray), t.fileName));
        }
        missing.append(&t);
    }

    QStringList created;
    for (const TableSchema *t : missing) {
        db::TableFile::createFile(dir.filePath(t->fileName), t->fields, db::kLanguageDriverGbk);
        created << t->fileName;
    }
    return created;
}

} // namespace data
