#include "seed_loader.h"

#include "data/schema.h"
#include "db/dataset.h"
#include "db/tablefile.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    f.write(bytes);
}

// Every row of a table of `folder`, as "a|b|c" over `fields`.
QStringList rowsOf(const QString &folder, const QString &table, const QStringList &fields)
{
    db::Table t;
    t.setDatabaseName(folder);
    t.setTableName(table);
    t.open();
    QStringList rows;
    for (t.first(); !t.eof(); t.next()) {
        QStringList cells;
        for (const QString &f : fields)
            cells << t.fieldByName(f).asString().trimmed();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// Every file of a folder with its bytes.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, readBytes(QDir(folder).filePath(name)));
    return files;
}

class SeedTables : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("seed")));
    }
    QString seedDir() const { return root.filePath(QStringLiteral("seed")); }
    QString dataDir() const { return root.filePath(QStringLiteral("data")); }
    void seedFile(const QString &name, const QByteArray &utf8) { writeBytes(QDir(seedDir()).filePath(name), utf8); }
    // What is beside the data folder besides the seeds: a staging folder
    // left behind would show here.
    QStringList leftovers() const
    {
        QStringList names = QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        names.removeAll(QStringLiteral("seed"));
        names.removeAll(QStringLiteral("data"));
        return names;
    }

    QTemporaryDir root;
};

} // namespace

TEST_F(SeedTables, FreshFolderGetsEveryTableAndTheSeededRows)
{
    // Byte order mark, CRLF, comments, blank lines, fields in another order
    // and letter case; 20 Chinese characters fill the 40 bytes of Province_n.
    seedFile(QStringLiteral("province.tsv"),
             QByteArray("\xEF\xBB\xBF# provinces\r\nprovince_n\tPROVINCE_I\r\n\r\n") + QStringLiteral("北京市\t11\r\n").toUtf8()
                 + QStringLiteral("一二三四五六七八九十一二三四五六七八九十\t99\n").toUtf8());
    // A field left out of the field line, and an empty cell, stay blank.
    seedFile(QStringLiteral("DFJHZDXX.tsv"), QStringLiteral("item_126\txxmc\n01\t国家科技支撑计划\n02\t\n").toUtf8());

    const seed::SeedSummary s = seed::seedDataFolder(seedDir(), dataDir());
    EXPECT_TRUE(s.laidOut);
    EXPECT_EQ(s.seedFiles, 2);
    EXPECT_EQ(s.rows, 4);
    for (const data::TableSchema &t : data::allTables())
        EXPECT_FALSE(db::resolveFileName(dataDir(), t.fileName).isEmpty()) << qPrintable(t.fileName);
    EXPECT_EQ(rowsOf(dataDir(), QStringLiteral("province"), {QStringLiteral("Province_i"), QStringLiteral("Province_n")}),
              QStringList({QStringLiteral("11|北京市"), QStringLiteral("99|一二三四五六七八九十一二三四五六七八九十")}));
    EXPECT_EQ(rowsOf(dataDir(), QStringLiteral("dfjhzdxx"), {QStringLiteral("item_126"), QStringLiteral("item_41_"), QStringLiteral("xxmc")}),
              QStringList({QStringLiteral("01||国家科技支撑计划"), QStringLiteral("02||")}));
    EXPECT_TRUE(rowsOf(dataDir(), QStringLiteral("kjcg"), {QStringLiteral("ITEM_4")}).isEmpty());
    EXPECT_TRUE(leftovers().isEmpty()) << qPrintable(leftovers().join(QLatin1Char(' ')));
}

TEST_F(SeedTables, FolderHoldingTablesIsLeftByteForByte)
{
    seedFile(QStringLiteral("province.tsv"), "Province_i\tProvince_n\n11\tX\n");
    // A laid-out folder with a row of the user's; then one holding only a
    // memo file in capitals: both are somebody's data.
    data::layOutDataFolder(dataDir());
    {
        db::Table t;
        t.setDatabaseName(dataDir());
        t.setTableName(QStringLiteral("province"));
        t.open();
        t.append();
        t.fieldByName(QStringLiteral("Province_n")).setAsString(QStringLiteral("用户的行"));
        t.post();
        t.flush();
    }
    const QString memoOnly = root.filePath(QStringLiteral("memo"));
    QDir().mkpath(memoOnly);
    writeBytes(QDir(memoOnly).filePath(QStringLiteral("KJCG.DBT")), "memo bytes");

    for (const QString &folder : {dataDir(), memoOnly}) {
        const auto before = snapshot(folder);
        EXPECT_FALSE(seed::seedDataFolder(seedDir(), folder).laidOut) << qPrintable(folder);
        EXPECT_EQ(snapshot(folder), before) << qPrintable(folder);
    }
    EXPECT_EQ(leftovers(), QStringList{QStringLiteral("memo")});
}

TEST_F(SeedTables, FolderWithoutTablesGetsThemBesideItsFiles)
{
    seedFile(QStringLiteral("province.tsv"), "Province_i\tProvince_n\n11\tX\n");
    QDir().mkpath(dataDir());
    writeBytes(QDir(dataDir()).filePath(QStringLiteral("form.dot")), "template");

    EXPECT_TRUE(seed::seedDataFolder(seedDir(), dataDir()).laidOut);
    EXPECT_EQ(readBytes(QDir(dataDir()).filePath(QStringLiteral("form.dot"))), QByteArray("template"));
    EXPECT_EQ(rowsOf(dataDir(), QStringLiteral("province"), {QStringLiteral("Province_i")}), QStringList{QStringLiteral("11")});
    EXPECT_TRUE(leftovers().isEmpty()) << qPrintable(leftovers().join(QLatin1Char(' ')));
}

TEST_F(SeedTables, MalformedSeedNamesFileAndLineAndLeavesNothing)
{
    struct Case { const char *file; QByteArray text; QStringList mentions; };
    const QList<Case> cases{
        {"province.tsv", "# c\nProvince_i\tProvince_x\n", {QStringLiteral("province.tsv:2:"), QStringLiteral("Province_x")}},
        {"province.tsv", "Province_i\tProvince_n\n11\tA\n12\tB\tC\n", {QStringLiteral("province.tsv:3:"), QStringLiteral("3 cells")}},
        {"province.tsv", "Province_i\tProvince_n\n1234\tA\n", {QStringLiteral("province.tsv:2:"), QStringLiteral("Province_i"), QStringLiteral("1234")}},
        // 21 Chinese characters are 42 GBK bytes for a 40-byte field.
        {"province.tsv", QStringLiteral("Province_i\tProvince_n\n11\t一二三四五六七八九十一二三四五六七八九十一\n").toUtf8(),
         {QStringLiteral("province.tsv:2:"), QStringLiteral("Province_n")}},
        {"province.tsv", "Province_i\tProvince_n\n11\t\xB1\xB1\n", {QStringLiteral("province.tsv:2:"), QStringLiteral("UTF-8")}},
        {"provinces.tsv", "Province_i\n", {QStringLiteral("provinces.tsv"), QStringLiteral("no table")}},
    };
    // A good seed loaded before the bad one must not survive either.
    seedFile(QStringLiteral("lsbw.tsv"), QStringLiteral("Bwdm\tBwmc\n103\t科学技术部\n").toUtf8());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.mentions.join(QLatin1Char(' ')).toStdString());
        seedFile(QString::fromLatin1(c.file), c.text);
        try {
            seed::seedDataFolder(seedDir(), dataDir());
            ADD_FAILURE() << "loaded";
        } catch (const seed::SeedError &e) {
            for (const QString &m : c.mentions)
                EXPECT_TRUE(e.message().contains(m)) << qPrintable(e.message());
        }
        EXPECT_FALSE(QFileInfo::exists(dataDir()));
        EXPECT_TRUE(leftovers().isEmpty()) << qPrintable(leftovers().join(QLatin1Char(' ')));
        QFile::remove(QDir(seedDir()).filePath(QString::fromLatin1(c.file)));
    }
}

// The seeds the program is delivered with: they load, and the code tables
// hang together the way the pages read them.
TEST(DeliveredSeeds, LoadAndHangTogether)
{
    QTemporaryDir root;
    const QString dir = root.filePath(QStringLiteral("data"));
    ASSERT_NO_THROW(seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), dir));
    const auto codes = [&](const QString &table, const QString &field) {
        const QStringList rows = rowsOf(dir, table, {field});
        return QSet<QString>(rows.cbegin(), rows.cend());
    };
    const auto dictionary = [&](const QString &key) {
        QSet<QString> out;
        for (const QString &row : rowsOf(dir, QStringLiteral("zdxx"), {QStringLiteral("zddm"), QStringLiteral("xxdm")}))
            if (row.section(QLatin1Char('|'), 0, 0) == key)
                out << row.section(QLatin1Char('|'), 1);
        return out;
    };

    const QStringList provinces = rowsOf(dir, QStringLiteral("province"), {QStringLiteral("Province_i")});
    EXPECT_EQ(provinces.size(), 34);
    EXPECT_EQ(codes(QStringLiteral("province"), QStringLiteral("Province_i")).size(), 34);

    // A tree row of level L hangs under the nearest row above of level L-1:
    // every row must follow a row of the level above with no shallower row
    // between, and its code must extend its parent's (library classes only
    // keep the parent's letters: O4 physics runs from O41 to O59).  No code
    // holds a blank: the organisation page keeps a code up to its first one.  A code fits the
    // record field it is kept in, and ten codes, each with " ;", fit the
    // organisation's lists.
    const auto width = [](QLatin1String table, const char16_t *field) {
        const data::TableSchema &t = data::schemaFor(table);
        return t.fields[t.indexOf(field)].width;
    };
    const int inUnitList = width(data::file::unit, u"item_15") / 10 - 2;
    const struct { QString table; int codeWidth; bool lettersOnly; } trees[]{
        {QStringLiteral("xkfl"), qMin(width(data::file::kjcg, u"ITEM_15"), inUnitList), false},
        {QStringLiteral("ztflh"), width(data::file::kjcg, u"ITEM_12"), true},
        {QStringLiteral("gxjs"), inUnitList, false},
    };
    for (const auto &tree : trees) {
        SCOPED_TRACE(tree.table.toStdString());
        QStringList path;
        QSet<QString> seen;
        const QStringList rows = rowsOf(dir, tree.table, {QStringLiteral("jb"), QStringLiteral("xxdm"), QStringLiteral("xxmc")});
        EXPECT_GT(rows.size(), 100);
        for (const QString &row : rows) {
            const QStringList r = row.split(QLatin1Char('|'));
            bool ok = false;
            const int level = r[0].toInt(&ok);
            ASSERT_TRUE(ok && level >= 1 && level <= 4 && level <= path.size() + 1) << qPrintable(row);
            path.resize(level - 1);
            if (level > 1) {
                QString stem = path.last();
                if (tree.lettersOnly)
                    stem.truncate(stem.indexOf(QRegularExpression(QStringLiteral("[0-9]"))));
                EXPECT_TRUE(r[1].startsWith(stem) && r[1].size() > path.last().size()) << qPrintable(row);
            }
            EXPECT_FALSE(r[1].contains(QLatin1Char(' ')) || r[2].isEmpty()) << qPrintable(row);
            EXPECT_LE(r[1].size(), tree.codeWidth) << qPrintable(row);
            EXPECT_FALSE(seen.contains(r[1])) << "twice: " << qPrintable(row);
            seen << r[1];
            path << r[1];
        }
    }

    // The record's high-technology check boxes are the level-1 fields.
    QSet<QString> topFields;
    for (const QString &row : rowsOf(dir, QStringLiteral("gxjs"), {QStringLiteral("jb"), QStringLiteral("xxdm")}))
        if (row.startsWith(QLatin1String("1|")))
            topFields << row.mid(2);
    EXPECT_EQ(topFields, dictionary(QStringLiteral("item_124_1")));

    // Plan sub-classes belong to project sources of the dictionary; the page
    // keeps the first two characters of a sub-class entry.
    const QSet<QString> sources = dictionary(QStringLiteral("item_126"));
    QSet<QString> keys;
    for (const QString &row : rowsOf(dir, QStringLiteral("dfjhzdxx"), {QStringLiteral("item_126"), QStringLiteral("item_41_")})) {
        const QStringList r = row.split(QLatin1Char('|'));
        EXPECT_TRUE(sources.contains(r[0])) << qPrintable(row);
        EXPECT_EQ(r[1].size(), 2) << qPrintable(row);
        EXPECT_FALSE(keys.contains(row)) << "twice: " << qPrintable(row);
        keys << row;
    }

    // The organisation data ships as one blank row: the new-record dialog
    // proposes the user's own organisation, not an invented one.
    const QStringList org = rowsOf(dir, QStringLiteral("dwqk"), {QStringLiteral("ITEM_64"), QStringLiteral("ITEM_63"), QStringLiteral("ITEM_62"), QStringLiteral("ITEM_9")});
    ASSERT_EQ(org.size(), 1);
    EXPECT_EQ(org.first(), QStringLiteral("|||"));
}
