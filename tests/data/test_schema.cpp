#include "data/schema.h"
#include "db/dataset.h"
#include "db/error.h"
#include "db/tablefile.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace data;
using db::FieldKind;

namespace {

QStringList namesOf(const QVector<db::FieldDef> &fields)
{
    QStringList names;
    for (const db::FieldDef &f : fields)
        names << f.name;
    return names;
}

const db::FieldDef &fieldOf(const QVector<db::FieldDef> &fields, const char *name)
{
    for (const db::FieldDef &f : fields)
        if (f.name == QLatin1String(name))
            return f;
    throw std::runtime_error(std::string("no field ") + name);
}

void expectSameColumns(const QVector<db::FieldDef> &a, const QVector<db::FieldDef> &b, const QString &what)
{
    ASSERT_EQ(a.size(), b.size()) << what.toStdString();
    for (int i = 0; i < a.size(); ++i) {
        SCOPED_TRACE(QStringLiteral("%1 column %2 (%3)").arg(what).arg(i).arg(a[i].name).toStdString());
        EXPECT_EQ(a[i].name, b[i].name);
        EXPECT_EQ(a[i].type, b[i].type);
        EXPECT_EQ(a[i].width, b[i].width);
        EXPECT_EQ(a[i].decimals, b[i].decimals);
        EXPECT_EQ(a[i].kind, b[i].kind);
    }
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// The exchange files of other installations are read by position, so the
// record table's column order is part of the data format.
TEST(RecordSchema, KjcgColumnsInDeclaredOrder)
{
    const QStringList expected = QStringLiteral(
        "ITEM_1 ITEM_110 ITEM_12 ITEM_12_1 ITEM_120 ITEM_121 ITEM_123 ITEM_124_1 ITEM_125 ITEM_125_1 "
        "ITEM_126 ITEM_13 ITEM_13_1 ITEM_13_2 ITEM_13_3 ITEM_14 ITEM_16 ITEM_2 ITEM_200 ITEM_210 "
        "ITEM_3 ITEM_33 ITEM_4 ITEM_420 ITEM_8 ITEM_127 ITEM_201 ITEM_37 ITEM_38 ITEM_39 "
        "ITEM_40 ITEM_41 ITEM_41_1 ITEM_41_2 ITEM_41_3 ITEM_60 ITEM_61 ITEM_62 ITEM_63 ITEM_64 "
        "ITEM_9 ITEM_32 ITEM_32_1 ITEM_34 ITEM_45 ITEM_46 ITEM_47 ITEM_300 ITEM_301 ITEM_302 "
        "ITEM_303 ITEM_304 ITEM_305 ITEM_306 ITEM_160 ITEM_161 ITEM_163 ITEM_151 ITEM_152 ITEM_153 "
        "ITEM_150 ITEM_140 ITEM_142 ITEM_143 ITEM_141 ITEM_162 ITEM_130 ITEM_133 ITEM_21 ITEM_22 "
        "ITEM_131 ITEM_52 ITEM_53 ITEM_56 ITEM_SJDR ITEM_SJDC ITEM_DQDM ITEM_CGLB ITEM_144 ITEM_145 "
        "ITEM_149 ITEM_154 ITEM_128 ITEM_15 ITEM_15_1 ITEM_142_1 ITEM_142_2 ITEM_142_3 ITEM_XH ITEM_148 "
        "ITEM_243 ITEM_244 ITEM_51_1 ITEM_51_2 ITEM_51_3 ITEM_151_1 ITEM_152_1 ITEM_127_1 NO item_check "
        "outcomeb ITEM_51 patent_ty TLinkMan TLinkManTe TLinkManEm").split(QLatin1Char(' '));
    ASSERT_EQ(expected.size(), 106);
    EXPECT_EQ(namesOf(kjcgFields()), expected);
    // The import tests the registration date by its position.
    EXPECT_EQ(kjcgFields()[5].name, QLatin1String("ITEM_121"));
}

TEST(RecordSchema, KjcgColumnTypes)
{
    const auto &f = kjcgFields();
    struct Want { const char *name; char type; int width; int decimals; FieldKind kind; };
    const Want wants[] = {
        {"ITEM_1", 'C', 1, 0, FieldKind::Text},
        {"ITEM_121", 'D', 8, 0, FieldKind::Date},
        {"ITEM_13", 'M', 10, 0, FieldKind::Memo},
        {"ITEM_303", 'M', 10, 0, FieldKind::Memo},
        {"ITEM_14", 'C', 200, 0, FieldKind::Text},
        {"ITEM_3", 'C', 140, 0, FieldKind::Text},
        {"ITEM_4", 'C', 10, 0, FieldKind::Text},
        {"ITEM_8", 'C', 22, 0, FieldKind::Text},
        {"ITEM_45", 'N', 15, 4, FieldKind::Float},
        {"ITEM_XH", 'N', 15, 4, FieldKind::Float},
        {"ITEM_152_1", 'N', 15, 4, FieldKind::Float},
        {"ITEM_51_2", 'N', 6, 0, FieldKind::SmallInt},
        {"ITEM_51_3", 'N', 6, 0, FieldKind::SmallInt},
        {"ITEM_DQDM", 'C', 3, 0, FieldKind::Text},
        {"NO", 'C', 10, 0, FieldKind::Text},
        {"item_check", 'C', 20, 0, FieldKind::Text},
        {"TLinkManEm", 'C', 80, 0, FieldKind::Text},
    };
    for (const Want &w : wants) {
        SCOPED_TRACE(w.name);
        const db::FieldDef &d = fieldOf(f, w.name);
        EXPECT_EQ(d.type, w.type);
        EXPECT_EQ(d.width, w.width);
        EXPECT_EQ(d.decimals, w.decimals);
        EXPECT_EQ(d.kind, w.kind);
    }
    EXPECT_EQ(fieldOf(unitFields(), "endlevel").kind, FieldKind::Integer);
}

TEST(RecordSchema, SubTablesLeadWithTheRecordKey)
{
    for (const auto *fields : {&cgwcdwFields(), &cgwcrFields(), &jdwyhmdFields(), &zlqkFields()}) {
        ASSERT_GE(fields->size(), 3);
        EXPECT_EQ((*fields)[0].name, QLatin1String("ITEM_4"));
        EXPECT_EQ((*fields)[0].width, 10);
        EXPECT_EQ((*fields)[1].name, QLatin1String("ITEM_DQDM"));
        EXPECT_EQ((*fields)[1].width, 3);
    }
    // The person file leaves out its last column and writes the one before
    // it as a flag.
    const QStringList persons = namesOf(cgwcrFields());
    EXPECT_EQ(persons.size(), 12);
    EXPECT_EQ(persons.mid(10), (QStringList{QStringLiteral("ITEM_188"), QStringLiteral("ITEM_NO")}));
    expectSameColumns(schemaFor(file::cgwcrNew).fields, cgwcrFields(), QStringLiteral("cgwcrNew"));
    EXPECT_EQ(unitFields().size(), 26);
    EXPECT_EQ(unitFields().last().name, QLatin1String("studydirec"));
}

TEST(RecordSchema, StagingTablesCopyTheirMainTables)
{
    // Staging files are named after the exchange names, upper case included.
    const std::pair<const char *, QLatin1String> pairs[] = {
        {"KJCG", file::kjcg}, {"CGWCDW", file::cgwcdw}, {"CGWCR", file::cgwcr},
        {"JDWYHMD", file::jdwyhmd}, {"ZLQK", file::zlqk}, {"unit", file::unit},
    };
    for (const auto &[exchange, main] : pairs) {
        const TableSchema *staging = findSchema(stagingFileName(QLatin1String(exchange)));
        ASSERT_NE(staging, nullptr) << exchange;
        expectSameColumns(staging->fields, schemaFor(main).fields, staging->fileName);
    }
}

TEST(RecordSchema, NamesFitAndAreUnique)
{
    QSet<QString> files;
    for (const TableSchema &t : allTables()) {
        EXPECT_FALSE(files.contains(t.fileName.toLower())) << t.fileName.toStdString();
        files.insert(t.fileName.toLower());
        ASSERT_FALSE(t.fields.isEmpty());
        QSet<QString> seen;
        for (const db::FieldDef &f : t.fields) {
            SCOPED_TRACE((t.fileName + QLatin1Char('.') + f.name).toStdString());
            EXPECT_GE(f.name.size(), 1);
            EXPECT_LE(f.name.size(), 10);
            EXPECT_FALSE(seen.contains(f.name.toUpper()));
            seen.insert(f.name.toUpper());
        }
    }
    EXPECT_EQ(allTables().size(), 24);
}

TEST(RecordSchema, LookupByAnySpelling)
{
    // Spellings the start-up and the queries use.
    for (const char *name : {"kjcg.DBF", "kjcgtemp.DBF", "cgwcr.DBF", "zlqk.DBF", "cgwcrNew.dbf",
                             "ZTFLH.dbf", "XKFL.dbf", "LSBW.dbf", "DFJHZDXX.DBF", "unit.dbf",
                             "unitexpert.dbf", "gxjs.dbf", "CheckUp", "kjcg", "dwqk", "KJCGtemp.dbf"})
        EXPECT_NE(findSchema(QLatin1String(name)), nullptr) << name;
    EXPECT_EQ(&schemaFor(QStringLiteral("KJCG")), &schemaFor(file::kjcg));
    EXPECT_EQ(findSchema(QStringLiteral("kjcg.txt")), nullptr);
    EXPECT_EQ(findSchema(QStringLiteral("kjc")), nullptr);
    EXPECT_THROW(schemaFor(QStringLiteral("nosuch")), db::EngineError);
}

// Codes picked from a code table are stored into record fields; the code
// columns must be able to hold what the record fields hold.
TEST(RecordSchema, CodeTablesMatchTheFieldsTheyFeed)
{
    for (QLatin1String tree : {file::xkfl, file::ztflh, file::gxjs}) {
        const auto &f = schemaFor(tree).fields;
        ASSERT_GE(f.size(), 3);
        EXPECT_EQ(f[1].name, QLatin1String("xxdm"));
    }
    EXPECT_GE(schemaFor(file::ztflh).fields[1].width, fieldOf(kjcgFields(), "ITEM_12").width);
    EXPECT_GE(schemaFor(file::xkfl).fields[1].width, fieldOf(kjcgFields(), "ITEM_15").width);
    EXPECT_GE(fieldOf(schemaFor(file::province).fields, "Province_i").width, fieldOf(kjcgFields(), "ITEM_64").width);
    EXPECT_GE(fieldOf(schemaFor(file::lsbw).fields, "Bwdm").width, fieldOf(kjcgFields(), "ITEM_63").width);
    EXPECT_GE(fieldOf(schemaFor(file::dfjhzdxx).fields, "item_41_").width, fieldOf(kjcgFields(), "ITEM_41_1").width);
    // Field names are held in the checkup and query-item tables.
    EXPECT_GE(fieldOf(schemaFor(file::checkup).fields, "id").width, 10);
    EXPECT_GE(schemaFor(file::zdxx1).fields[1].width, 10);
    for (const db::FieldDef &f : schemaFor(file::dwqk).fields) {
        SCOPED_TRACE(f.name.toStdString());
        EXPECT_EQ(f.width, fieldOf(kjcgFields(), f.name.toLatin1().constData()).width);
    }
}

TEST(DataFolderLayout, CreatesEveryTableAsDeclared)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString folder = tmp.filePath(QStringLiteral("nested/data"));
    const QStringList created = layOutDataFolder(folder);
    EXPECT_EQ(created.size(), allTables().size());
    for (const TableSchema &t : allTables()) {
        SCOPED_TRACE(t.fileName.toStdString());
        EXPECT_TRUE(QFile::exists(QDir(folder).filePath(t.fileName)));
        db::Table table;
        table.setDatabaseName(folder);
        table.setTableName(t.tableName());
        table.open();
        expectSameColumns(table.schema().fields, t.fields, t.fileName);
        EXPECT_EQ(table.recordCount(), 0);
    }
}

TEST(DataFolderLayout, LeavesExistingTablesAlone)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString folder = tmp.path();
    layOutDataFolder(folder);
    {
        db::Table t;
        t.setDatabaseName(folder);
        t.setTableName(QStringLiteral("kjcg"));
        t.open();
        t.append();
        t.fieldByName(QStringLiteral("ITEM_4")).setAsString(QStringLiteral("2024000001"));
        t.fieldByName(QStringLiteral("ITEM_DQDM")).setAsString(QStringLiteral("."));
        t.fieldByName(QStringLiteral("ITEM_13")).setAsString(QStringLiteral("summary"));
        t.fieldByName(QStringLiteral("ITEM_51_2")).setAsInteger(2);
        t.post();
        t.close();
    }
    const QString kjcgPath = QDir(folder).filePath(file::kjcg);
    const QString memoPath = QDir(folder).filePath(QStringLiteral("kjcg.dbt"));
    const QByteArray table = fileBytes(kjcgPath), memo = fileBytes(memoPath);
    ASSERT_FALSE(table.isEmpty());

    // A table moved to another letter case still counts as present.
    ASSERT_TRUE(QFile::rename(QDir(folder).filePath(file::zdxx), QDir(folder).filePath(QStringLiteral("ZDXX.DBF"))));
    ASSERT_TRUE(QFile::remove(QDir(folder).filePath(file::province)));

    EXPECT_EQ(layOutDataFolder(folder), QStringList{QString(file::province)});
    EXPECT_EQ(fileBytes(kjcgPath), table);
    EXPECT_EQ(fileBytes(memoPath), memo);
    EXPECT_FALSE(QFile::exists(QDir(folder).filePath(file::zdxx)));

    db::Table t;
    t.setDatabaseName(folder);
    t.setTableName(QStringLiteral("kjcg"));
    t.open();
    ASSERT_EQ(t.recordCount(), 1);
    t.first();
    EXPECT_EQ(t.fieldByName(QStringLiteral("ITEM_4")).asString(), QStringLiteral("2024000001"));
    EXPECT_EQ(t.fieldByName(QStringLiteral("ITEM_13")).asString(), QStringLiteral("summary"));
    EXPECT_EQ(t.fieldByName(QStringLiteral("ITEM_51_2")).asInteger(), 2);
}

TEST(DataFolderLayout, StrayMemoFileStopsBeforeAnythingIsMade)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    QFile stray(tmp.filePath(QStringLiteral("KJCG.DBT")));
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.write("somebody's memos");
    stray.close();

    EXPECT_THROW(layOutDataFolder(tmp.path()), db::EngineError);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList{QStringLiteral("KJCG.DBT")});
    EXPECT_EQ(fileBytes(tmp.filePath(QStringLiteral("KJCG.DBT"))), QByteArray("somebody's memos"));
}
