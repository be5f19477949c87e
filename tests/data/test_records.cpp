// Record operations over the tables of a freshly laid out data folder: keys,
// re-keying with its undo, deleting, the record journal.
#include "data/dm.h"
#include "data/records.h"
#include "data/schema.h"
#include "db/dataset.h"
#include "db/error.h"
#include "db/recordcodec.h"
#include "db/tablefile.h"
#include "support/printqstring.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class RecordsTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString folder = tmp.path() + u"/data"_s;

    void SetUp() override
    {
        data::layOutDataFolder(folder);
        DataPath = folder;
    }
    void TearDown() override { DataPath.clear(); }

    void add(const QString &file, const QString &key, const QString &region, const QString &field = QString(),
             const QString &value = QString())
    {
        db::Table t;
        t.setDatabaseName(folder);
        t.setTableName(file);
        t.open();
        t.append();
        t.fieldByName(u"ITEM_4"_s).setAsString(key);
        t.fieldByName(u"ITEM_DQDM"_s).setAsString(region);
        if (!field.isEmpty())
            t.fieldByName(field).setAsString(value);
        t.post();
    }
    // A record with one row in every sub-table, its name in ITEM_3 and a
    // person's name in the person row.
    void record(data::Store store, const QString &key, const QString &region, const QString &name)
    {
        add(data::recordFile(store), key, region, u"ITEM_3"_s, name);
        for (const data::SubTable &s : data::subTables())
            add(s.file(store), key, region);
    }
    // "key/region" (and "=" with a field's value when asked) of every row of
    // a table, in file order.
    QStringList rows(const QString &file, const QString &field = QString())
    {
        db::Table t;
        t.setDatabaseName(folder);
        t.setTableName(file);
        t.open();
        QStringList out;
        for (t.first(); !t.eof(); t.next())
            out << t.fieldByName(u"ITEM_4"_s).asString().trimmed() + u'/' + t.fieldByName(u"ITEM_DQDM"_s).asString().trimmed()
                       + (field.isEmpty() ? QString() : u'=' + t.fieldByName(field).asString().trimmed());
        return out;
    }
    // Every row of the record table and the sub-tables of a store.
    QStringList everything(data::Store store)
    {
        QStringList out = rows(data::recordFile(store), u"ITEM_3"_s);
        for (const data::SubTable &s : data::subTables())
            out << s.exchangeName + u':' + rows(s.file(store)).join(u',');
        return out;
    }
    // Puts a copy of a sub-table in place whose key column holds only nine
    // characters, so that writing a ten-digit key into it fails.
    void narrowKeyColumn(const data::SubTable &sub, data::Store store)
    {
        const QString path = db::resolveFileName(folder, sub.file(store));
        QVector<db::FieldDef> fields = data::schemaFor(sub.fileName).fields;
        for (db::FieldDef &f : fields)
            if (f.name.compare(u"ITEM_4"_s, Qt::CaseInsensitive) == 0)
                f.width = 9;
        ASSERT_TRUE(QFile::remove(path));
        db::TableFile::createFile(path, fields);
    }
};

TEST_F(RecordsTest, SubTablesAndFilterPickOnlyTheRecordsOwnRows)
{
    QStringList names;
    for (const data::SubTable &s : data::subTables())
        names << s.exchangeName + u'=' + s.file(data::Store::Staging) + u'>' + s.orderField;
    EXPECT_EQ(names.join(u' '), u"CGWCDW=CGWCDWtemp.dbf>ITEM_176 CGWCR=CGWCRtemp.dbf>ITEM_187 "
                                u"JDWYHMD=JDWYHMDtemp.dbf>ITEM_190 ZLQK=ZLQKtemp.dbf>ITEM_NO"_s);
    EXPECT_EQ(data::findSubTable(u"cgwcrtemp.DBF"_s), &data::subTables()[1]);
    EXPECT_EQ(data::findSubTable(u"kjcg"_s), nullptr);

    // A quote in either part stays inside its literal.
    add(u"kjcg.DBF"_s, u"2009000001"_s, u"."_s);
    add(u"kjcg.DBF"_s, u"2009000001"_s, u"4'2"_s);
    add(u"kjcg.DBF"_s, u"2009000002"_s, u"."_s);
    db::Table t;
    t.setDatabaseName(folder);
    t.setTableName(u"kjcg"_s);
    t.setFilter(data::recordFilter(u"2009000001"_s, u"4'2"_s));
    t.setFiltered(true);
    t.open();
    ASSERT_EQ(t.recordCount(), 1);
    EXPECT_EQ(t.fieldByName(u"ITEM_DQDM"_s).asString(), u"4'2"_s);

    // A '*' at the end of either part is text, not "every key beginning so".
    t.close();
    t.setFilter(data::recordFilter(u"2009*"_s, u"."_s));
    t.open();
    EXPECT_EQ(t.recordCount(), 0);
    t.close();
    t.setFilter(data::recordFilter(u"2009000001"_s, u"*"_s));
    t.open();
    EXPECT_EQ(t.recordCount(), 0);
}

TEST_F(RecordsTest, NextKeyOfTheStagingTablesCountsThereOnly)
{
    add(u"kjcg.DBF"_s, u"2009000007"_s, u"."_s);
    EXPECT_EQ(data::nextRecordKey(u"2009"_s, data::Store::Staging), u"2009000001"_s);
    add(u"KJCGtemp.dbf"_s, u"2009000001"_s, u"37"_s);
    add(u"ZLQKtemp.dbf"_s, u"2009000002"_s, u"37"_s);
    EXPECT_EQ(data::nextRecordKey(u"2009"_s, data::Store::Staging), u"2009000003"_s);
    EXPECT_EQ(data::nextRecordKey(u"2009"_s), u"2009000008"_s);
    EXPECT_THROW(data::nextRecordKey(u"09"_s, data::Store::Staging), db::EngineError);
}

TEST_F(RecordsTest, RekeyMovesTheRecordWithItsRowsAndLeavesOthersAlone)
{
    record(data::Store::Main, u"2009000001"_s, u"."_s, u"甲"_s);
    record(data::Store::Main, u"2009000001"_s, u"37"_s, u"乙"_s);   // same key, another region
    record(data::Store::Main, u"2009000002"_s, u"."_s, u"丙"_s);

    const int moved = data::rekeyRecord(data::Store::Main, {u"2009000001"_s, u"."_s}, u"2011000001"_s,
                                        [](data::RowText &row) { row.set(u"ITEM_3"_s, u"甲改"_s); });
    EXPECT_EQ(moved, 4);
    EXPECT_EQ(everything(data::Store::Main),
              QStringList({u"2011000001/.=甲改"_s, u"2009000001/37=乙"_s, u"2009000002/.=丙"_s,
                           u"CGWCDW:2011000001/.,2009000001/37,2009000002/."_s,
                           u"CGWCR:2011000001/.,2009000001/37,2009000002/."_s,
                           u"JDWYHMD:2011000001/.,2009000001/37,2009000002/."_s,
                           u"ZLQK:2011000001/.,2009000001/37,2009000002/."_s}));

    // The same key writes the record row only.
    EXPECT_EQ(data::rekeyRecord(data::Store::Main, {u"2009000002"_s, u"."_s}, u"2009000002"_s,
                                [](data::RowText &row) { row.set(u"ITEM_3"_s, u"丙改"_s); }),
              0);
    EXPECT_EQ(rows(u"kjcg"_s, u"ITEM_3"_s).last(), u"2009000002/.=丙改"_s);

    // Refused before anything is written: no such record, a key that is no
    // serial, a key another record of the region holds.
    const QStringList before = everything(data::Store::Main);
    EXPECT_THROW(data::rekeyRecord(data::Store::Main, {u"2009000003"_s, u"."_s}, u"2012000001"_s), db::EngineError);
    EXPECT_THROW(data::rekeyRecord(data::Store::Main, {u"2009000002"_s, u"."_s}, u"20120001"_s), db::EngineError);
    EXPECT_THROW(data::rekeyRecord(data::Store::Main, {u"2009000002"_s, u"."_s}, u"2011000001"_s), db::EngineError);
    EXPECT_EQ(everything(data::Store::Main), before);
}

TEST_F(RecordsTest, RekeyThatFailsHalfWayPutsEveryTableBack)
{
    for (data::Store store : {data::Store::Main, data::Store::Staging}) {
        SCOPED_TRACE(store == data::Store::Main ? "main" : "staging");
        // The committee table cannot hold a ten-digit key: the record row and
        // the first two sub-tables are written before it fails.
        narrowKeyColumn(data::subTables()[2], store);
        record(store, u"2009001"_s, u"."_s, u"甲"_s);
        const QStringList before = everything(store);
        try {
            data::rekeyRecord(store, {u"2009001"_s, u"."_s}, u"2010000001"_s,
                              [](data::RowText &row) { row.set(u"ITEM_3"_s, u"改名"_s); });
            ADD_FAILURE() << "no error";
        } catch (const db::EngineError &e) {
            EXPECT_TRUE(e.message().contains(u"ITEM_4"_s, Qt::CaseInsensitive)) << e.message().toStdString();
        }
        EXPECT_EQ(everything(store), before);
    }
}

TEST_F(RecordsTest, DeleteTakesTheRecordAndItsRowsOnly)
{
    record(data::Store::Main, u"2009000001"_s, u"."_s, u"甲"_s);
    record(data::Store::Main, u"2009000001"_s, u"37"_s, u"乙"_s);
    add(u"cgwcr.DBF"_s, u"2009000001"_s, u"."_s);   // a second person
    record(data::Store::Staging, u"2009000001"_s, u"."_s, u"甲"_s);

    EXPECT_EQ(data::deleteRecord(data::Store::Main, {u"2009000001"_s, u"."_s}), 6);
    EXPECT_EQ(everything(data::Store::Main),
              QStringList({u"2009000001/37=乙"_s, u"CGWCDW:2009000001/37"_s, u"CGWCR:2009000001/37"_s,
                           u"JDWYHMD:2009000001/37"_s, u"ZLQK:2009000001/37"_s}));
    EXPECT_EQ(rows(u"KJCGtemp.dbf"_s).size(), 1);   // the staged copy stays
    EXPECT_EQ(data::deleteRecord(data::Store::Main, {u"2009000001"_s, u"."_s}), 0);
}

TEST_F(RecordsTest, NewKeysPassEveryKeyLeftInASubTable)
{
    // A person row left behind far above the year's records: neither a new
    // record, nor an import, nor a re-dating may take its key, or the stray
    // row would become part of it.
    record(data::Store::Main, u"2009000001"_s, u"."_s, u"甲"_s);
    add(u"cgwcr.DBF"_s, u"2009000040"_s, u"."_s);
    EXPECT_EQ(data::nextRecordKey(u"2009"_s), u"2009000041"_s);
    data::KeyBook book(data::RecordTables(folder, data::Store::Main));
    EXPECT_EQ(book.take("2009", "2009000005"), "2009000041");
    EXPECT_EQ(book.take("2009", "2009000005"), "2009000042"); // each key handed out once
    EXPECT_EQ(book.take("2012", "2012000007"), "2012000007"); // a year without keys keeps the incoming one
    add(u"ZLQKtemp.dbf"_s, u"2010000003"_s, u"37"_s);
    EXPECT_EQ(data::nextRecordKey(u"2010"_s, data::Store::Staging), u"2010000004"_s);
}

TEST_F(RecordsTest, JournalLeftByAKillPutsEveryNamedRowBack)
{
    record(data::Store::Main, u"2009000001"_s, u"."_s, u"甲"_s);
    record(data::Store::Main, u"2009000002"_s, u"."_s, u"乙"_s);
    const QStringList before = everything(data::Store::Main);
    const data::RecordTables tables(folder, data::Store::Main);
    QByteArray journal;
    {
        data::RecordJournal j(folder);
        for (db::TableFile *t : tables.all())
            j.appendsTo(*t);
        j.deletes(tables.sub(1), 0);
        j.rewrites(tables.record(), 1);
        j.begin();
        QByteArray row(tables.record().row(1), tables.record().schema().recordLength);
        data::RowText(tables.record(), row).set(u"ITEM_3"_s, u"改"_s);
        tables.record().writeRow(1, row, {});
        tables.sub(1).setDeleted(0, true);
        data::PreparedRow added{db::blankRecord(tables.sub(3).schema()), {}};
        QList<data::Append> rows{{&tables.sub(3), added}};
        data::appendRows(rows);
        QFile f(data::recordJournalPath(folder));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        journal = f.readAll();
        j.finish();
    }
    EXPECT_FALSE(QFile::exists(data::recordJournalPath(folder)));
    EXPECT_NE(everything(data::Store::Main), before);

    // The next open finds the journal as a kill left it.
    QFile f(data::recordJournalPath(folder));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(journal);
    f.close();
    EXPECT_TRUE(data::recoverRecordJournal(folder));
    EXPECT_EQ(everything(data::Store::Main), before);
    EXPECT_FALSE(QFile::exists(data::recordJournalPath(folder)));

    // One cut short was written before any row: it is only removed.
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(journal.left(journal.size() - 4));
    f.close();
    EXPECT_FALSE(data::recoverRecordJournal(folder));
    EXPECT_FALSE(QFile::exists(data::recordJournalPath(folder)));
}

TEST_F(RecordsTest, FailedDeleteOrRekeyLeavesNoJournalAndTheRecordWhole)
{
    record(data::Store::Main, u"2009000001"_s, u"."_s, u"甲"_s);
    const QStringList before = everything(data::Store::Main);
    // A write that fails part way is undone at once.
    static int writes = 0;
    writes = 0;
    data::recordWriteHook = [] {
        if (++writes == 4)
            throw db::EngineError(u"磁盘已满"_s);
    };
    EXPECT_THROW(data::deleteRecord(data::Store::Main, {u"2009000001"_s, u"."_s}), db::EngineError);
    EXPECT_EQ(everything(data::Store::Main), before);
    writes = 0;
    EXPECT_THROW(data::rekeyRecord(data::Store::Main, {u"2009000001"_s, u"."_s}, u"2010000001"_s), db::EngineError);
    data::recordWriteHook = nullptr;
    EXPECT_EQ(everything(data::Store::Main), before);
    EXPECT_FALSE(QFile::exists(data::recordJournalPath(folder)));
}

} // namespace
