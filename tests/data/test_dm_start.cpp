// The data module's start over damaged and unwritable data folders: a damaged
// table stops it before anything is packed, the readable rows are kept only
// through a copy and a repair, and a pack that fails is noted, not fatal.
#include "data/dm.h"
#include "data/tablerepair.h"
#include "db/database.h"
#include "db/dataset.h"
#include "db/error.h"
#include "db/tablefile.h"
#include "seed_loader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class DataModuleStart : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString data = tmp.path() + QStringLiteral("/data");

    void SetUp() override { seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), data); }
    void TearDown() override
    {
        delete DM;
        DM = nullptr;
    }
    QString file(const QString &name) const { return db::resolveFileName(data, name); }
    static QByteArray bytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void write(const QString &path, const QByteArray &b)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(b);
    }
    // Rows with memos, the last `deleted` of them deleted.
    void addRows(const QString &table, const QString &nameField, int n, int deleted, const QString &memoField = {})
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(table);
        t.open();
        for (int i = 0; i < n; ++i) {
            t.append();
            t.fieldByName(QStringLiteral("ITEM_4")).setAsString(QStringLiteral("2009%1").arg(i + 1, 6, 10, QLatin1Char('0')));
            t.fieldByName(QStringLiteral("ITEM_DQDM")).setAsString(QStringLiteral("."));
            t.fieldByName(nameField).setAsString(QStringLiteral("第%1项").arg(i + 1));
            if (!memoField.isEmpty())
                t.fieldByName(memoField).setAsString(QStringLiteral("成果简介第%1条。").arg(i + 1).repeated(20));
            t.post();
        }
        for (int i = 0; i < deleted; ++i) {
            t.last();
            t.deleteRecord();
        }
    }
    int rowsIn(const QString &table)
    {
        return db::TableFile::open(db::resolveTablePath(data, table), false)->rowCount();
    }
};

TEST_F(DataModuleStart, DamagedTableStopsTheStartBeforeAnyTableIsPackedAndARepairKeepsItsReadableRows)
{
    addRows(QStringLiteral("kjcg"), QStringLiteral("ITEM_3"), 4, 1, QStringLiteral("ITEM_13"));
    addRows(QStringLiteral("cgwcr"), QStringLiteral("ITEM_180"), 400, 0);
    // 300 of the 400 person rows cut away: the header still counts 400.
    const QByteArray whole = bytes(file(QStringLiteral("cgwcr.DBF")));
    const int headerLength = uchar(whole[8]) | uchar(whole[9]) << 8, recLen = uchar(whole[10]) | uchar(whole[11]) << 8;
    const QByteArray cut = whole.left(headerLength + 100 * recLen);
    write(file(QStringLiteral("cgwcr.DBF")), cut);
    const QByteArray kjcgBefore = bytes(file(QStringLiteral("kjcg.DBF")));

    try {
        DM = new TDM(data);
        FAIL() << "a damaged table must stop the start";
    } catch (const db::TableDamagedError &e) {
        EXPECT_EQ(e.table(), QStringLiteral("cgwcr.DBF"));
        EXPECT_TRUE(e.fault().contains(QStringLiteral("400"))) << qPrintable(e.fault());
    }
    EXPECT_EQ(bytes(file(QStringLiteral("cgwcr.DBF"))), cut) << "the damaged table is left as it was";
    EXPECT_EQ(bytes(file(QStringLiteral("kjcg.DBF"))), kjcgBefore) << "nothing is packed";

    const TableRepairResult r = keepReadableRows(data, QStringLiteral("cgwcr.DBF"));
    EXPECT_FALSE(r.mended.isEmpty());
    EXPECT_EQ(bytes(db::resolveFileName(r.backupFolder, QStringLiteral("cgwcr.DBF"))), cut) << "the copy holds the damaged file";
    EXPECT_EQ(bytes(db::resolveFileName(r.backupFolder, QStringLiteral("kjcg.DBF"))), kjcgBefore);
    DM = new TDM(data);
    EXPECT_EQ(DM->TblCgwcr.recordCount(), 100);
    EXPECT_EQ(DM->Tblkjcg.recordCount(), 3);
    EXPECT_TRUE(DM->PackFailures.isEmpty()) << qPrintable(DM->PackFailures.join('\n'));
    QDir(r.backupFolder).removeRecursively();
}

TEST_F(DataModuleStart, GarbageMemoFileStopsTheStartAndIsNotRewritten)
{
    addRows(QStringLiteral("kjcg"), QStringLiteral("ITEM_3"), 6, 2, QStringLiteral("ITEM_13"));
    const QString memo = file(QStringLiteral("kjcg.dbt"));
    QByteArray garbage(int(QFileInfo(memo).size()), '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 131 + 7) % 256);
    write(memo, garbage);
    const QByteArray table = bytes(file(QStringLiteral("kjcg.DBF")));
    try {
        DM = new TDM(data);
        FAIL() << "a garbage memo file must stop the start";
    } catch (const db::TableDamagedError &e) {
        EXPECT_EQ(e.table().toLower(), QStringLiteral("kjcg.dbf"));
        EXPECT_TRUE(e.fault().contains(QStringLiteral("kjcg.dbt"), Qt::CaseInsensitive)) << qPrintable(e.fault());
    }
    EXPECT_EQ(bytes(memo), garbage);
    EXPECT_EQ(bytes(file(QStringLiteral("kjcg.DBF"))), table) << "nothing was packed";
}

TEST_F(DataModuleStart, PackThatCannotWriteIsNotedAndTheStartGoesOn)
{
    addRows(QStringLiteral("kjcg"), QStringLiteral("ITEM_3"), 5, 2, QStringLiteral("ITEM_13"));
    addRows(QStringLiteral("cgwcr"), QStringLiteral("ITEM_180"), 5, 2);
    // Something the pack cannot replace stands where its packed copy goes (as
    // a folder that cannot be written would stop it; the tests run as root).
    const QString obstacle = file(QStringLiteral("kjcg.DBF")) + QStringLiteral(".pack-new");
    ASSERT_TRUE(QDir().mkpath(obstacle + QStringLiteral("/inside")));

    DM = new TDM(data);
    ASSERT_EQ(DM->PackFailures.size(), 1) << qPrintable(DM->PackFailures.join('\n'));
    EXPECT_TRUE(DM->PackFailures[0].startsWith(QStringLiteral("kjcg.DBF: "))) << qPrintable(DM->PackFailures[0]);
    EXPECT_TRUE(DM->PackFailures[0].contains(QStringLiteral("无法整理数据表"))) << qPrintable(DM->PackFailures[0]);
    EXPECT_TRUE(DM->Qrykjcg.isActive());
    EXPECT_EQ(DM->Tblkjcg.recordCount(), 3);
    EXPECT_EQ(DM->TblCgwcr.recordCount(), 3);
    delete DM;
    DM = nullptr;
    EXPECT_EQ(rowsIn(QStringLiteral("kjcg")), 5) << "the unpacked table is whole";
    EXPECT_EQ(rowsIn(QStringLiteral("cgwcr")), 3) << "the other tables are packed";
    QDir(obstacle).removeRecursively();
}

} // namespace
