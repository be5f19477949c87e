#include "exchange/archiver.h"
#include "exchange/codeupdate.h"
#include "exchange/exporter.h"
#include "exchange/format.h"
#include "exchange/importer.h"
#include "arjbuild.h"
#include "exchangefixture.h"
#include "peerwriter.h"

#include "db/folder.h"
#include "db/gbk.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <sys/resource.h>

using namespace exchange;
using testsupport::Fields;
using testsupport::FakeArchiver;

namespace {

QByteArray gbk(const QString &s) { return db::gbk::encodeLossy(s); }

class ExportImport : public testsupport::ExchangeTest {
protected:
    QString source = tmp.filePath(QStringLiteral("source"));
    QString package() const { return outbox + QStringLiteral("/cgsbqy.arj"); }

    void SetUp() override
    {
        ExchangeTest::SetUp();
        data::layOutDataFolder(source);
        add(source, QStringLiteral("zdxx"), {{"zddm", "item_181"}, {"xxdm", "2"}, {"xxmc", "女"}});
        add(source, QStringLiteral("unit"), {{"item_9", "登记单位"}, {"unitcode", "9990001000"}, {"unitlevel", "1"},
                                             {"studydirec", "说明\"一\"\r\n二"}, {"endlevel", "1"}});
        add(source, QStringLiteral("unitexpert"), {{"unitcode", "9990001000"}, {"item_187", "1"}, {"item_180", "带头人"},
                                                   {"item_181", "2"}, {"item_124_1", "01"}});
    }

    // Exports the given source rows into the outbox.
    void exportRows(const QList<int> &rows)
    {
        Exporter ex(source, fake, prompt());
        ASSERT_TRUE(ex.exportRecords(outbox, rows));
    }
    QByteArray member(const QString &name) const
    {
        for (const auto &m : FakeArchiver::read(package()))
            if (m.first == name)
                return m.second;
        return QByteArray("<none>");
    }
    void replaceMember(const QString &name, const QByteArray &text)
    {
        auto members = FakeArchiver::read(package());
        for (auto &m : members)
            if (m.first == name)
                m.second = text;
        FakeArchiver::write(package(), members);
    }
    Importer importer() { return Importer(data, fake, prompt()); }
    void loadPackage(Importer &im)
    {
        im.emptyStaging();
        ASSERT_TRUE(im.choosePackage(package()));
        ASSERT_TRUE(im.load());
    }
};

} // namespace

TEST_F(ExportImport, ExportWritesTheSevenMembersInTheirLayouts)
{
    addRecord(source, "2005000003", "甲成果", "单位A");
    addRecord(source, "2005000007", "乙成果", "单位A");
    addRecord(source, "2006000001", "丙成果", "单位B");
    exportRows({1, 0});
    EXPECT_EQ(texts().last(), QStringLiteral("你已打包成功!文件在") + outbox + QStringLiteral("/cgsbqy.arj"));
    EXPECT_EQ(fake.list(package()), packageMembers());

    const QByteArray kjcg = member("KJCG.TXT");
    EXPECT_TRUE(kjcg.endsWith("\t\r\n"));
    // Every column but the table's last, each followed by a TAB.
    const auto mains = readExchangeText(kjcg, 106, "KJCG.TXT", LineStyle::TrailingTab);
    ASSERT_EQ(mains.size(), 2);
    EXPECT_THROW(readExchangeText(kjcg, 105, "KJCG.TXT", LineStyle::TrailingTab), FormatError);
    const int sjdc = data::schemaFor("kjcg").indexOf(u"ITEM_SJDC");
    EXPECT_EQ(mains[0].values[22], "2005000003");
    EXPECT_EQ(mains[1].values[22], "2005000007");
    EXPECT_EQ(mains[0].values[sjdc], "0");
    EXPECT_EQ(mains[0].values[11], gbk("第一行\r\n第二行\t制表"));
    EXPECT_EQ(mains[0].values[105], "");   // TLinkManEm does not travel
    EXPECT_TRUE(kjcg.contains("\t\"" + gbk("第一行\r\n第二行\t制表") + "\"\t"));

    // Persons: ITEM_188 last as a flag, ITEM_NO left out.
    const QByteArray persons = member("CGWCR.TXT");
    const auto p = readExchangeText(persons, 11, "CGWCR.TXT", LineStyle::PlainLast);
    ASSERT_EQ(p.size(), 2);
    EXPECT_TRUE(persons.endsWith("\t1\r\n"));
    EXPECT_EQ(p[0].values[9], gbk("贡献\t大"));
    // The never-quoted last value of a sub-table is cleaned, not quoted.
    const auto orgs = readExchangeText(member("CGWCDW.TXT"), 9, "CGWCDW.TXT", LineStyle::PlainLast);
    ASSERT_EQ(orgs.size(), 2);
    EXPECT_EQ(orgs[0].values[8], gbk("末列 值"));
    EXPECT_EQ(readExchangeText(member("JDWYHMD.TXT"), 12, "J", LineStyle::PlainLast).size(), 2);
    EXPECT_EQ(readExchangeText(member("ZLQK.TXT"), 7, "Z", LineStyle::PlainLast).size(), 2);

    const QByteArray unit = member("UNIT.TXT");
    EXPECT_TRUE(unit.endsWith(gbk("\"说明\"\"一\"\"\r\n二\"\r\n")));
    EXPECT_EQ(readExchangeText(unit, 26, "UNIT.TXT", LineStyle::QuotedLast).first().values[15], "9990001000");
    EXPECT_EQ(member("EXPERT.TXT"), gbk("9990001000\t1\t带头人\t2\t\t01\t女\r\n"));

    const auto marks = rows(source, "kjcg");
    EXPECT_EQ(marks[0]["ITEM_SJDC"], "1");
    EXPECT_EQ(marks[1]["ITEM_SJDC"], "1");
    EXPECT_EQ(marks[2]["ITEM_SJDC"], "0");
    Exporter(source, fake, prompt()).resetExportMarks();
    EXPECT_EQ(rows(source, "kjcg")[0]["ITEM_SJDC"], "0");
}

TEST_F(ExportImport, ExportQuestions)
{
    addRecord(source, "2005000003", "甲成果", "单位A");
    Exporter ex(source, fake, prompt());
    answer("是否全部选择", kNo);
    EXPECT_FALSE(ex.exportRecords(outbox, {}));
    EXPECT_EQ(fake.packs, 0);
    answer("是否全部选择", kYes);
    EXPECT_TRUE(ex.exportRecords(outbox, {}));
    answer("该路径存在上报文件", kNo);
    EXPECT_FALSE(ex.exportRecords(outbox, {0}));
    EXPECT_EQ(fake.packs, 1);
    answer("该路径存在上报文件", kYes);
    EXPECT_TRUE(ex.exportRecords(outbox, {0}));
    EXPECT_EQ(fake.packs, 2);
}

TEST_F(ExportImport, ImportIntoAnEmptyFolderGivesBackTheRecordsUnderNewKeys)
{
    addRecord(source, "2005000003", "甲成果", "单位A", "1");
    addRecord(source, "2005000007", "乙成果", "单位A", "2");
    exportRows({0, 1});
    // Rows some earlier failure left behind under a key of the year.
    add("zlqk", {{"ITEM_4", "2005000002"}, {"ITEM_DQDM", "."}, {"PATENT_NAM", "孤儿"}});
    Prompt p = prompt();
    QList<int> files;
    p.file = [&](int index) { files << index; };
    Importer im(data, fake, p);
    loadPackage(im);
    // Each file named while it is read and checked, and again while written.
    EXPECT_EQ(files, (QList<int>{0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(im.summaryCount(), QStringLiteral("记录条数:2条；"));
    EXPECT_EQ(im.summaryKinds(), QStringLiteral("其中：应用技术1条，基础理论0条，软科学1条。"));
    EXPECT_EQ(rows("kjcgtemp")[1]["NO"], "2");
    EXPECT_EQ(im.checkDuplicates(), -1);
    EXPECT_EQ(texts().last(), QStringLiteral("排重已经完成！"));
    im.save();
    EXPECT_EQ(texts().last(), QStringLiteral("入库完毕!"));

    const auto before = rows(source, "kjcg");
    const auto after = rows("kjcg");
    ASSERT_EQ(after.size(), 2);
    EXPECT_EQ(after[0]["ITEM_4"], "2005000003");   // past the orphan's key: kept
    EXPECT_EQ(after[1]["ITEM_4"], "2005000004");   // the year's largest key plus one
    for (int i = 0; i < 2; ++i) {
        for (auto it = before[i].begin(); it != before[i].end(); ++it) {
            if (QStringList{"ITEM_4", "ITEM_SJDC", "NO", "TLINKMANEM"}.contains(it.key()))
                continue;
            EXPECT_EQ(after[i][it.key()], it.value()) << it.key().toStdString();
        }
        EXPECT_EQ(after[i]["ITEM_DQDM"], ".");
    }
    for (const QString &sub : {QStringLiteral("cgwcr"), QStringLiteral("cgwcdw"), QStringLiteral("jdwyhmd"), QStringLiteral("zlqk")}) {
        auto got = rows(sub);
        if (sub == QLatin1String("zlqk"))
            got.removeFirst();   // the orphan
        ASSERT_EQ(got.size(), 2) << sub.toStdString();
        EXPECT_EQ(got[0]["ITEM_4"], "2005000003");
        EXPECT_EQ(got[1]["ITEM_4"], "2005000004");
    }
    EXPECT_EQ(rows("cgwcr")[0]["ITEM_186"], QStringLiteral("贡献\t大"));
    EXPECT_EQ(rows("cgwcr")[0]["ITEM_188"], "1");
    EXPECT_EQ(rows("cgwcr")[0]["ITEM_NO"], "");
    EXPECT_EQ(rows("cgwcdw")[1]["ITEM_175"], QStringLiteral("末列 值"));
    EXPECT_EQ(rows("zlqk")[2]["PATENT_NAM"], QStringLiteral("专利乙成果"));
    EXPECT_EQ(rows("cgwcrNew").size(), 2);
    EXPECT_TRUE(rows("kjcgtemp").isEmpty());
    EXPECT_TRUE(rows("cgwcrtemp").isEmpty());
    EXPECT_GT(progressCalls, 0);
}

TEST_F(ExportImport, NewKeysPassRowsLeftBehindAboveTheYearsRecords)
{
    addRecord(source, "2005000003", "甲成果", "单位A");
    addRecord(source, "2005000007", "乙成果", "单位A");
    addRecord(source, "2006000002", "丙成果", "单位A");
    exportRows({0, 1, 2});
    addRecord(data, "2005000001", "本地成果", "单位B");
    // A person row left behind well above the year's only record.
    add("cgwcr", {{"ITEM_4", "2005000060"}, {"ITEM_DQDM", "."}, {"ITEM_180", "孤儿"}});
    Importer im = importer();
    loadPackage(im);
    // A staged patent row astray under the first key of 2011.
    add("zlqktemp", {{"ITEM_4", "2011000001"}, {"ITEM_DQDM", "."}, {"PATENT_NAM", "孤儿"}});
    answer("确定要更改成果年份吗？", kYes);
    ASSERT_TRUE(im.redate(im.stagedRows()[2], "2011"));
    EXPECT_EQ(rows("kjcgtemp")[2]["ITEM_4"], "2011000002");
    EXPECT_EQ(im.checkDuplicates(), -1);
    im.save();

    QStringList keys;
    for (const auto &r : rows("kjcg"))
        keys << r["ITEM_4"] + "=" + r["ITEM_3"];
    EXPECT_EQ(keys,
              QStringList({"2005000001=本地成果", "2005000061=甲成果", "2005000062=乙成果", "2011000002=丙成果"}));
    QStringList persons;
    for (const auto &r : rows("cgwcr"))
        persons << r["ITEM_4"];
    EXPECT_EQ(persons, QStringList({"2005000001", "2005000060", "2005000061", "2005000062", "2011000002"}));
    EXPECT_EQ(rows("zlqk").size(), 4); // the stray staged patent was not taken along
}

TEST_F(ExportImport, EmptyApprovalDateArrivesAsTodayAndPersonsMergeIntoThePool)
{
    EXPECT_EQ(arrivalApprovalDate("2005-03-01", today), "2005-03-01");
    EXPECT_EQ(arrivalApprovalDate("", today), "2026-12-08");
    EXPECT_EQ(arrivalApprovalDate("2005-13-01", today), "2026-12-08");
    addRecord(source, "2005000003", "甲成果", "单位A");
    add(source, "kjcg", {{"ITEM_4", "2005000004"}, {"ITEM_DQDM", "."}, {"ITEM_3", "无日期"}, {"ITEM_CGLB", "3"}});
    exportRows({0, 1});
    // The pool holds the person once already, and another name twice.
    add("cgwcrNew", {{"ITEM_180", "甲成果人"}, {"ITEM_185", "旧单位"}});
    Importer im = importer();
    loadPackage(im);
    EXPECT_EQ(rows("kjcgtemp")[1]["ITEM_121"], "2026-12-08");
    EXPECT_EQ(rows("kjcgtemp")[0]["ITEM_121"], "2005-03-01");
    im.save();
    const auto pool = rows("cgwcrNew");
    ASSERT_EQ(pool.size(), 1);
    EXPECT_EQ(pool[0]["ITEM_185"], "");   // overwritten by the incoming person
    EXPECT_EQ(pool[0]["ITEM_186"], QStringLiteral("贡献\t大"));
}

TEST_F(ExportImport, DuplicateQuestionsDeleteOrRename)
{
    add("kjcg", {{"ITEM_4", "2005000001"}, {"ITEM_DQDM", "."}, {"ITEM_3", "名'称X"}, {"ITEM_9", "单位"}, {"ITEM_CGLB", "1"}});
    add("kjcg", {{"ITEM_4", "2005000002"}, {"ITEM_DQDM", "."}, {"ITEM_3", "旧成果"}, {"ITEM_9", "单位"}, {"ITEM_CGLB", "1"}});
    addRecord(source, "2005000003", "名'称*", "单位");   // a pattern character means nothing
    addRecord(source, "2005000004", "旧成果", "单位");
    addRecord(source, "2005000005", "名'称X", "单位");
    answer("是否全部选择", kYes);
    exportRows({});
    Importer im = importer();
    loadPackage(im);
    answer(QStringLiteral("导入的项目“旧成果”有重复,是否删除？"), kYes);
    answer(QStringLiteral("导入的项目“名'称X”有重复,是否删除？"), kNo);
    const int rename = im.checkDuplicates();
    ASSERT_GE(rename, 0);
    EXPECT_NE(texts().last(), QStringLiteral("排重已经完成！"));
    EXPECT_EQ(im.summaryCount(), QStringLiteral("记录条数:2条；"));
    EXPECT_EQ(rows("cgwcrtemp").size(), 2);   // the deleted record's persons went with it
    im.renameStaged(rename, QStringLiteral("名'称Y"));
    EXPECT_EQ(im.checkDuplicates(), -1);
    EXPECT_EQ(texts().last(), QStringLiteral("排重已经完成！"));
    EXPECT_EQ(asked.back().caption, QStringLiteral("状态！"));
    im.save();
    QStringList names;
    for (const auto &r : rows("kjcg"))
        names << r["ITEM_3"] + "/" + r["ITEM_4"];
    EXPECT_EQ(names, (QStringList{"名'称X/2005000001", "旧成果/2005000002", "名'称*/2005000003", "名'称Y/2005000004"}));
    EXPECT_TRUE(answers.empty());
}

TEST_F(ExportImport, DeletingAStagedRecordTakesItsRowsAndRenumbers)
{
    addRecord(source, "2005000003", "甲", "单位");
    addRecord(source, "2005000004", "乙", "单位");
    exportRows({0, 1});
    Importer im = importer();
    loadPackage(im);
    const QList<int> staged = im.stagedRows();
    answer("是否删除数据？", kNo);
    EXPECT_FALSE(im.deleteStaged(staged[0]));
    answer("是否删除数据？", kYes);
    EXPECT_TRUE(im.deleteStaged(staged[0]));
    const auto left = rows("kjcgtemp");
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(left[0]["NO"], "1");
    EXPECT_EQ(rows("zlqktemp").size(), 1);
    EXPECT_EQ(rows("zlqktemp")[0]["ITEM_4"], "2005000004");
}

TEST_F(ExportImport, OverwriteReplacesOnlyOnceTheNewRowsAreIn)
{
    addMainRecord("2005000001", "同名", "单位");
    addRecord(source, "2005000002", "同名", "单位");
    addRecord(source, "2005000003", "同名", "单位");
    addRecord(source, "2005000009", "", "单位");   // no name: dropped, not counted
    addRecord(source, "2005000010", "新的", "单位");
    exportRows({0, 1, 2, 3});
    Importer im = importer();
    loadPackage(im);
    im.saveOverwriting();
    EXPECT_EQ(texts().last(), QStringLiteral("入库完毕！新增1条,覆盖2条。"));
    const auto main = rows("kjcg");
    QStringList keys;
    for (const auto &r : main)
        keys << r["ITEM_3"] + "/" + r["ITEM_4"];
    // The first overwrote the old record, the second the first's copy.
    EXPECT_EQ(keys, (QStringList{"同名/2005000003", "新的/2005000004"}));
    for (const QString &sub : {QStringLiteral("cgwcr"), QStringLiteral("cgwcdw"), QStringLiteral("jdwyhmd"), QStringLiteral("zlqk")}) {
        QStringList subKeys;
        for (const auto &r : rows(sub))
            subKeys << r["ITEM_4"];
        EXPECT_EQ(subKeys, (QStringList{"2005000003", "2005000004"})) << sub.toStdString();
    }
}

TEST_F(ExportImport, AFailingRecordLeavesNoRowAndTheOthersAreSaved)
{
    addRecord(source, "2005000001", "短", "单位");
    addRecord(source, "2005000002", "很长很长的成果名称", "单位");
    addRecord(source, "2005000003", "另", "单位");
    exportRows({0, 1, 2});
    // This installation's patent table takes shorter names than the sender's.
    QFile::remove(data + "/zlqk.dbf");
    auto fields = data::schemaFor("zlqk").fields;
    fields[data::schemaFor("zlqk").indexOf(u"PATENT_NAM")].width = 10;
    db::TableFile::createFile(data + "/zlqk.dbf", fields);

    Importer im = importer();
    loadPackage(im);
    im.save();
    EXPECT_TRUE(std::any_of(asked.begin(), asked.end(), [](const testsupport::Asked &a) {
        return a.text.contains(QStringLiteral("成果“很长很长的成果名称”未能入库")) && a.caption == QStringLiteral("提示");
    }));
    QStringList names;
    for (const auto &r : rows("kjcg"))
        names << r["ITEM_3"];
    EXPECT_EQ(names, (QStringList{"短", "另"}));
    for (const QString &sub : {QStringLiteral("cgwcr"), QStringLiteral("cgwcdw"), QStringLiteral("jdwyhmd"), QStringLiteral("zlqk")})
        EXPECT_EQ(rows(sub).size(), 2) << sub.toStdString();
    QStringList persons;
    for (const auto &r : rows("cgwcr"))
        persons << r["ITEM_180"];
    EXPECT_EQ(persons, (QStringList{"短人", "另人"}));
    EXPECT_EQ(rows("cgwcrNew").size(), 2);
}

TEST_F(ExportImport, OverwriteKeepsTheOldRecordWhenTheNewOneCannotBeSaved)
{
    // This installation's patent table takes shorter names than the sender's.
    QFile::remove(data + "/zlqk.dbf");
    auto fields = data::schemaFor("zlqk").fields;
    fields[data::schemaFor("zlqk").indexOf(u"PATENT_NAM")].width = 10;
    db::TableFile::createFile(data + "/zlqk.dbf", fields);
    add("kjcg", {{"ITEM_4", "2005000001"}, {"ITEM_DQDM", "."}, {"ITEM_3", "很长很长的成果名称"}, {"ITEM_9", "单位"}, {"ITEM_CGLB", "1"}});
    add("zlqk", {{"ITEM_4", "2005000001"}, {"ITEM_DQDM", "."}, {"PATENT_NAM", "旧专利"}});
    add("cgwcr", {{"ITEM_4", "2005000001"}, {"ITEM_DQDM", "."}, {"ITEM_180", "旧人"}});
    addRecord(source, "2005000002", "很长很长的成果名称", "单位");
    exportRows({0});

    Importer im = importer();
    loadPackage(im);
    im.saveOverwriting();
    EXPECT_TRUE(texts().contains(QStringLiteral("入库完毕！新增0条,覆盖0条。")));
    const auto main = rows("kjcg");
    ASSERT_EQ(main.size(), 1);
    EXPECT_EQ(main[0]["ITEM_4"], "2005000001");
    ASSERT_EQ(rows("zlqk").size(), 1);
    EXPECT_EQ(rows("zlqk")[0]["PATENT_NAM"], QStringLiteral("旧专利"));
    ASSERT_EQ(rows("cgwcr").size(), 1);
    EXPECT_EQ(rows("cgwcr")[0]["ITEM_180"], QStringLiteral("旧人"));
    EXPECT_TRUE(rows("cgwcdw").isEmpty());
}

// A write that fails part way through a record (here the record table can
// grow by one row only) takes back the rows of that record already written.
TEST_F(ExportImport, AWriteFailingMidRecordTakesBackItsRows)
{
    addMainRecord("2004000001", "原有", "单位");
    addRecord(source, "2005000001", "乙", "单位");
    addRecord(source, "2005000002", "丙", "单位");
    exportRows({0, 1});
    Importer im = importer();
    loadPackage(im);

    const QString mainFile = db::resolveTablePath(data, "kjcg");
    QFile f(mainFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray head = f.read(12);
    f.close();
    const qint64 headerLength = quint8(head[8]) | (quint8(head[9]) << 8);
    const qint64 recordLength = quint8(head[10]) | (quint8(head[11]) << 8);
    const qint64 size = QFileInfo(mainFile).size();
    ASSERT_EQ(size, headerLength + recordLength + 1);   // one row and the end mark

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto *previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = old;
    tight.rlim_cur = rlim_t(size + recordLength);   // room for exactly one more row
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    im.save();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_TRUE(std::any_of(asked.begin(), asked.end(), [](const testsupport::Asked &a) {
        return a.text.contains(QStringLiteral("成果“丙”未能入库"));
    }));
    QStringList names;
    for (const auto &r : rows("kjcg"))
        names << r["ITEM_3"] + "/" + r["ITEM_4"];
    EXPECT_EQ(names, (QStringList{"原有/2004000001", "乙/2005000001"}));
    for (const QString &sub : {QStringLiteral("cgwcr"), QStringLiteral("cgwcdw"), QStringLiteral("jdwyhmd"), QStringLiteral("zlqk")}) {
        QStringList keys;
        for (const auto &r : rows(sub))
            keys << r["ITEM_4"];
        EXPECT_EQ(keys, (QStringList{"2004000001", "2005000001"})) << sub.toStdString();
    }
    QStringList pool;
    for (const auto &r : rows("cgwcrNew"))
        pool << r["ITEM_180"];
    EXPECT_EQ(pool, QStringList{QStringLiteral("乙人")});
}

TEST_F(ExportImport, AFailedLoadWritesNothing)
{
    addRecord(source, "2005000001", "甲", "单位");
    addRecord(source, "2005000002", "乙", "单位");
    exportRows({0, 1});
    const QByteArray persons = member("CGWCR.TXT");
    Importer im = importer();

    // A value its column cannot take, in the second person's line.
    QByteArray bad = persons;
    bad.replace("2005000002\t.\t1\t", "2005000002\t.\tone\t");
    replaceMember("CGWCR.TXT", bad);
    im.emptyStaging();
    ASSERT_TRUE(im.choosePackage(package()));
    EXPECT_FALSE(im.load());
    EXPECT_TRUE(texts().last().contains(QStringLiteral("CGWCR.TXT 第2行"))) << texts().last().toStdString();
    for (const QString &t : {QStringLiteral("kjcgtemp"), QStringLiteral("cgwcrtemp"), QStringLiteral("zlqktemp")})
        EXPECT_TRUE(rows(t).isEmpty()) << t.toStdString();

    // A malformed key is refused by the record's name.
    replaceMember("CGWCR.TXT", persons);
    QByteArray kjcg = member("KJCG.TXT");
    kjcg.replace("2005000002", "2005'00002");
    replaceMember("KJCG.TXT", kjcg);
    ASSERT_TRUE(im.choosePackage(package()));
    EXPECT_FALSE(im.load());
    EXPECT_TRUE(texts().last().contains(QStringLiteral("“乙”"))) << texts().last().toStdString();
    EXPECT_TRUE(texts().last().contains(QStringLiteral("2005'00002")));
    EXPECT_TRUE(rows("kjcgtemp").isEmpty());

    // A region code or a category that no record can have (the first
    // record's memo spans two lines, so the second starts on line 3).
    replaceMember("KJCG.TXT", member("KJCG.TXT").replace("2005'00002", "2005000002"));
    const QByteArray sound = member("KJCG.TXT");
    const auto &kjcgSchema = data::schemaFor("kjcg");
    for (const auto &[column, value] : QList<QPair<const char16_t *, QByteArray>>{{u"ITEM_DQDM", "a'b"}, {u"ITEM_CGLB", "*"}}) {
        auto parsed = readExchangeText(sound, 106, "KJCG.TXT", LineStyle::TrailingTab);
        QByteArray text;
        for (int i = 0; i < parsed.size(); ++i) {
            if (i == 1)
                parsed[i].values[kjcgSchema.indexOf(column)] = value;
            text += formatLine(parsed[i].values.mid(0, 105), LineStyle::TrailingTab);
        }
        replaceMember("KJCG.TXT", text);
        ASSERT_TRUE(im.choosePackage(package()));
        EXPECT_FALSE(im.load());
        EXPECT_TRUE(texts().last().contains(QStringLiteral("KJCG.TXT 第3行（“乙”）"))) << texts().last().toStdString();
        EXPECT_TRUE(texts().last().contains(QString::fromLatin1(value))) << texts().last().toStdString();
        EXPECT_TRUE(rows("kjcgtemp").isEmpty());
    }
    replaceMember("KJCG.TXT", sound);

    // More values than columns, an unclosed quote: file and line named.
    replaceMember("ZLQK.TXT", member("ZLQK.TXT") + "2005000001\t.\t2\tx\ty\t1\t1\textra\r\n");
    ASSERT_TRUE(im.choosePackage(package()));
    EXPECT_FALSE(im.load());
    EXPECT_TRUE(texts().last().contains(QStringLiteral("ZLQK.TXT 第3行"))) << texts().last().toStdString();
    EXPECT_TRUE(rows("kjcgtemp").isEmpty());

    // Fewer than five files.
    auto members = FakeArchiver::read(package());
    members.erase(members.begin() + 1, members.begin() + 3);
    FakeArchiver::write(package(), members);
    ASSERT_TRUE(im.choosePackage(package()));
    EXPECT_FALSE(im.load());
    EXPECT_EQ(texts().last(), QStringLiteral("文件的格式不正确"));

    // A wrong package name is refused before anything is unpacked.
    const int before = fake.extracts;
    EXPECT_FALSE(im.choosePackage(outbox + "/other.arj"));
    EXPECT_EQ(texts().last(), QStringLiteral("请选择正确导入包,名字是CGSBQY.ARJ!"));
    EXPECT_EQ(fake.extracts, before);
}

TEST_F(ExportImport, RedatingMovesTheRecordWithItsRows)
{
    addRecord(source, "2005000003", "甲", "单位");
    addRecord(source, "2006000001", "乙", "单位");
    exportRows({0, 1});
    Importer im = importer();
    loadPackage(im);
    const QList<int> staged = im.stagedRows();
    answer("确定要更改成果年份吗？", kNo);
    EXPECT_FALSE(im.redate(staged[0], "2010"));
    // A year that cannot be is refused before anything is asked.
    const qsizetype before = texts().size();
    EXPECT_FALSE(im.redate(staged[0], "20a0"));
    EXPECT_FALSE(im.redate(staged[0], "201"));
    EXPECT_EQ(texts().mid(before), QStringList(2, QStringLiteral("成果年份应为四位数字的年份！")));
    EXPECT_EQ(rows("kjcgtemp")[0]["ITEM_4"], "2005000003");
    answer("确定要更改成果年份吗？", kYes);
    EXPECT_TRUE(im.redate(staged[0], " 2010 "));
    EXPECT_EQ(texts().last(), QStringLiteral("成果年份修改成功！"));
    answer("确定要更改成果年份吗？", kYes);
    EXPECT_TRUE(im.redate(staged[1], "2010"));
    EXPECT_EQ(rows("kjcgtemp")[0]["ITEM_4"], "2010000001");
    EXPECT_EQ(rows("kjcgtemp")[1]["ITEM_4"], "2010000002");
    for (const QString &sub : {QStringLiteral("cgwcrtemp"), QStringLiteral("cgwcdwtemp"), QStringLiteral("jdwyhmdtemp"), QStringLiteral("zlqktemp")}) {
        EXPECT_EQ(rows(sub)[0]["ITEM_4"], "2010000001") << sub.toStdString();
        EXPECT_EQ(rows(sub)[1]["ITEM_4"], "2010000002") << sub.toStdString();
    }
    im.save();
    EXPECT_EQ(rows("zlqk")[1]["ITEM_4"], "2010000002");
}

// The disk runs full for a moment while a staged record is re-dated: its
// sub-rows have their new key, the record row is cut off a few bytes in
// (the file size limit lies there; when the write hits it the limit is
// lifted again, as when space is freed, so the rows can be put back).
// Every staging table is left as it was, on disk and as the cursors see it,
// and the record is named.
namespace {
rlimit roomAgain{};
void freeSpace(int)
{
    const int saved = errno;
    setrlimit(RLIMIT_FSIZE, &roomAgain);
    errno = saved;
}
} // namespace

TEST_F(ExportImport, RedatingThatFailsPartWayLeavesEveryStagingTableAsItWas)
{
    addRecord(source, "2005000003", "甲", "单位");
    addRecord(source, "2006000001", "乙", "单位");
    exportRows({0, 1});
    Importer im = importer();
    loadPackage(im);
    const QList<int> staged = im.stagedRows();

    const QStringList tables{"kjcgtemp", "cgwcrtemp", "cgwcdwtemp", "jdwyhmdtemp", "zlqktemp"};
    const auto layout = [&](const QString &table) {
        QFile f(db::resolveTablePath(data, table));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray head = f.read(12);
        return QPair<qint64, qint64>(quint8(head[8]) | (quint8(head[9]) << 8), quint8(head[10]) | (quint8(head[11]) << 8));
    };
    const auto snapshot = [&] {
        QList<QByteArray> files;
        for (const QString &t : tables) {
            QFile f(db::resolveTablePath(data, t));
            EXPECT_TRUE(f.open(QIODevice::ReadOnly));
            files << f.readAll();
        }
        return files;
    };
    const auto keys = [&] {
        QStringList out;
        for (const QString &t : tables)
            for (const auto &r : rows(t))
                out << t + ":" + r["ITEM_4"];
        return out;
    };
    const QList<QByteArray> bytesBefore = snapshot();
    const QStringList keysBefore = keys();

    // The second record's rows are the second row of every table; the
    // sub-tables' rows lie before the limit, the record row across it.
    const auto [mainHeader, mainLength] = layout("kjcgtemp");
    const qint64 limit = mainHeader + mainLength + 5;
    for (const QString &t : tables.mid(1)) {
        const auto [header, length] = layout(t);
        ASSERT_LT(header + 2 * length, limit) << t.toStdString();
    }

    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &roomAgain), 0);
    auto *previous = std::signal(SIGXFSZ, freeSpace);
    rlimit tight = roomAgain;
    tight.rlim_cur = rlim_t(limit);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    answer("确定要更改成果年份吗？", kYes);
    const bool moved = im.redate(staged[1], "2010");
    setrlimit(RLIMIT_FSIZE, &roomAgain);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(moved);
    EXPECT_TRUE(texts().last().startsWith(QStringLiteral("成果“乙”（编号2006000001）的年份未能修改，暂存的数据已恢复原样：")))
        << texts().last().toStdString();
    EXPECT_EQ(asked.back().caption, QStringLiteral("提示"));
    EXPECT_EQ(keys(), keysBefore);
    const QList<QByteArray> bytesAfter = snapshot();
    for (int i = 0; i < tables.size(); ++i)
        EXPECT_TRUE(bytesAfter[i] == bytesBefore[i]) << tables[i].toStdString();

    // With room again the same re-dating goes through whole.
    answer("确定要更改成果年份吗？", kYes);
    EXPECT_TRUE(im.redate(staged[1], "2010"));
    for (const QString &t : tables)
        EXPECT_EQ(rows(t)[1]["ITEM_4"], "2010000001") << t.toStdString();
}

TEST_F(ExportImport, OldPackagesAreConvertedAndLoad)
{
    addRecord(source, "2005000003", "甲", "单位");
    exportRows({0});
    const QList<QPair<QString, QString>> old{{"KJCG", "KJCG.TXT"}, {"CGDW", "CGWCDW.TXT"}, {"CGWCR", "CGWCR.TXT"},
                                             {"JDMD", "JDWYHMD.TXT"}, {"ZLQK", "ZLQK.TXT"}};
    QList<QPair<QString, QByteArray>> members;
    for (const auto &o : old)
        members.append({o.first + "12.txt", member(o.second)});
    const QString oldPackage = outbox + "/cgsb12.arj";
    FakeArchiver::write(oldPackage, members);
    QFile::remove(package());

    Importer im = importer();
    EXPECT_FALSE(im.convertOldPackage(outbox + "/CGSB1234.ARJ"));
    EXPECT_EQ(texts().last(), QStringLiteral("请选择正确文件,被改名的文件类似CGSBXXX.ARJ(XXX为数字)!"));
    EXPECT_FALSE(im.convertOldPackage(outbox + "/XGSB12.ARJ"));
    ASSERT_TRUE(im.convertOldPackage(oldPackage));
    EXPECT_EQ(texts().last(), QStringLiteral("你已改名成功!文件在") + outbox + QStringLiteral("/cgsbqy.arj"));
    EXPECT_EQ(fake.list(package()), (QStringList{"KJCG.TXT", "CGWCDW.TXT", "CGWCR.TXT", "JDWYHMD.TXT", "ZLQK.TXT"}));
    loadPackage(im);
    im.save();
    EXPECT_EQ(rows("kjcg").size(), 1);
    EXPECT_EQ(rows("zlqk").size(), 1);

    // A package lacking a member says which.
    members.removeLast();
    FakeArchiver::write(oldPackage, members);
    EXPECT_FALSE(im.convertOldPackage(oldPackage));
    EXPECT_TRUE(texts().last().contains(QStringLiteral("ZLQK12.TXT")));
}

TEST_F(ExportImport, RealArjCarriesAPackageBetweenInstallations)
{
    if (!ArjArchiver::available())
        GTEST_SKIP() << "arj is not installed";
    addRecord(source, "2005000003", "甲成果", "单位A");
    addRecord(source, "2005000007", "乙成果", "单位A");
    ArjArchiver arj;
    ASSERT_TRUE(Exporter(source, arj, prompt()).exportRecords(outbox, {0, 1}));
    EXPECT_EQ(arj.list(package()), packageMembers());
    EXPECT_EQ(QDir(outbox).entryList(QDir::Files), QStringList{"cgsbqy.arj"});   // no text files left
    Importer im(data, arj, prompt());
    im.emptyStaging();
    ASSERT_TRUE(im.choosePackage(package()));
    ASSERT_TRUE(im.load());
    EXPECT_EQ(im.checkDuplicates(), -1);
    im.save();
    ASSERT_EQ(rows("kjcg").size(), 2);
    EXPECT_EQ(rows("kjcg")[1]["ITEM_13"], QStringLiteral("第一行\r\n第二行\t制表"));
    EXPECT_EQ(rows("cgwcr").size(), 2);
}

namespace {

// A row of `table` in column order, empty but for the named values.
QList<QByteArray> peerRow(const QString &table, const QList<QPair<QString, QString>> &values)
{
    const data::TableSchema &s = data::schemaFor(table);
    QList<QByteArray> row(s.fields.size());
    for (const auto &[field, value] : values)
        row[s.indexOf(field)] = gbk(value);
    return row;
}

} // namespace

// A package as another installation writes it: values holding a bare LF,
// last values beginning with a quote, TABs and CR LF inside quotes, GBK
// text.  Every value arrives as it was written.
TEST_F(ExportImport, APackageAsAnotherInstallationWritesItArrivesWhole)
{
    namespace peer = testsupport::peer;
    const QString memo = QStringLiteral("第一段\r\n第二段，\"引号\"\t制表\n单独换行");
    const QByteArray kjcg =
        peer::mainLine(peerRow("kjcg", {{"ITEM_4", "2005000003"}, {"ITEM_DQDM", "01"}, {"ITEM_3", "外单位成果"},
                                        {"ITEM_9", "外单位"}, {"ITEM_CGLB", "2"}, {"ITEM_121", "2005-03-01"},
                                        {"ITEM_13", memo}, {"ITEM_14", "\"引号开头;关键词"}, {"ITEM_126", "两行\n名称"},
                                        {"ITEM_45", "12.5"}, {"TLinkManEm", "never@sent"}}));
    const QByteArray orgs = peer::subLine(peerRow("cgwcdw", {{"ITEM_4", "2005000003"}, {"ITEM_DQDM", "01"}, {"ITEM_176", "1"},
                                                             {"ITEM_170", "协作\n单位"}, {"ITEM_175", "\"末列引号"}}));
    const QByteArray persons = peer::personLine(peerRow("cgwcr", {{"ITEM_4", "2005000003"}, {"ITEM_DQDM", "01"}, {"ITEM_187", "1"},
                                                                  {"ITEM_180", "张三"}, {"ITEM_186", "贡献\t大"}, {"ITEM_188", "1"},
                                                                  {"ITEM_NO", "9"}}));
    const QByteArray committee = peer::subLine(peerRow("jdwyhmd", {{"ITEM_4", "2005000003"}, {"ITEM_DQDM", "01"}, {"ITEM_190", "1"},
                                                                   {"ITEM_192", "委员"}, {"ITEM_199", "\"\"两个\"引号"}}));
    const QByteArray patents = peer::subLine(peerRow("zlqk", {{"ITEM_4", "2005000003"}, {"ITEM_DQDM", "01"}, {"ITEM_NO", "1"},
                                                              {"PATENT_NAM", "专利\n名称"}, {"PATENT_TY", "1"}}));
    const QByteArray unit = peer::unitLine(peerRow("unit", {{"item_9", "外单位"}, {"unitcode", "1230001000"},
                                                            {"studydirec", "说明\"一\"\r\n二"}}));
    FakeArchiver::write(package(), {{"KJCG.TXT", kjcg}, {"CGWCDW.TXT", orgs}, {"CGWCR.TXT", persons},
                                    {"JDWYHMD.TXT", committee}, {"ZLQK.TXT", patents}, {"UNIT.TXT", unit},
                                    {"EXPERT.TXT", gbk("1230001000\t1\t专家\t1\t\t01\t男\r\n")}});
    Importer im = importer();
    loadPackage(im);
    EXPECT_EQ(rows("unittemp")[0]["STUDYDIREC"], QStringLiteral("说明\"一\"\r\n二"));
    im.save();

    const auto main = rows("kjcg");
    ASSERT_EQ(main.size(), 1);
    EXPECT_EQ(main[0]["ITEM_4"], "2005000003");
    EXPECT_EQ(main[0]["ITEM_DQDM"], ".");
    EXPECT_EQ(main[0]["ITEM_3"], QStringLiteral("外单位成果"));
    EXPECT_EQ(main[0]["ITEM_13"], memo);
    EXPECT_EQ(main[0]["ITEM_14"], QStringLiteral("\"引号开头;关键词"));
    EXPECT_EQ(main[0]["ITEM_126"], QStringLiteral("两行\n名称"));
    EXPECT_EQ(main[0]["ITEM_45"], "12.5");
    EXPECT_EQ(main[0]["TLINKMANEM"], "");
    EXPECT_EQ(rows("cgwcdw")[0]["ITEM_170"], QStringLiteral("协作\n单位"));
    EXPECT_EQ(rows("cgwcdw")[0]["ITEM_175"], QStringLiteral("\"末列引号"));
    EXPECT_EQ(rows("cgwcr")[0]["ITEM_186"], QStringLiteral("贡献\t大"));
    EXPECT_EQ(rows("cgwcr")[0]["ITEM_188"], "1");
    EXPECT_EQ(rows("cgwcr")[0]["ITEM_NO"], "");
    EXPECT_EQ(rows("jdwyhmd")[0]["ITEM_199"], QStringLiteral("\"\"两个\"引号"));
    EXPECT_EQ(rows("zlqk")[0]["PATENT_NAM"], QStringLiteral("专利\n名称"));
}

// A name of 10 MB is refused by its field's width before anything quotes
// it, and the message quotes its head only.
TEST_F(ExportImport, AHugeValueIsRefusedWithAShortMessage)
{
    addRecord(source, "2005000003", "甲成果", "单位A");
    exportRows({0});
    QByteArray kjcg = member("KJCG.TXT");
    const QByteArray huge(10 << 20, 'N');
    kjcg.replace(gbk("甲成果"), huge);
    replaceMember("KJCG.TXT", kjcg);
    Importer im = importer();
    im.emptyStaging();
    ASSERT_TRUE(im.choosePackage(package()));
    EXPECT_FALSE(im.load());
    const QString text = texts().last();
    EXPECT_LT(text.size(), 600) << text.left(600).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("ITEM_3"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("“NNNNNNNNNN"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("导入包未导入"))) << text.toStdString();
    EXPECT_TRUE(rows("kjcgtemp").isEmpty());
}

// The member sizes a package's listing gives are judged before anything is
// unpacked (the archiver program here cannot even start), for import
// packages and code-table update packages alike.
TEST_F(ExportImport, AMemberTooLargeForAnyRealPackageIsRefusedBeforeUnpacking)
{
    ArjArchiver arj(QStringLiteral("/nonexistent/arj"));
    const auto write = [](const QString &path, const QList<testsupport::ArjEntry> &entries) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(testsupport::buildArj(entries));
    };
    write(package(), {{"KJCG.TXT", "k\r\n"}, {"JDWYHMD.TXT", "small", 0, 0, 1000000000u}});
    Importer im(data, arj, prompt());
    EXPECT_FALSE(im.choosePackage(package()));
    EXPECT_TRUE(texts().last().contains(QStringLiteral("JDWYHMD.TXT解开后有953.7 MB，超过了允许的256.0 MB"))) << texts().last().toStdString();
    EXPECT_FALSE(im.hasPackage());

    // Members each within the limit but together past it.
    const quint32 part = quint32(kMaxMemberBytes);
    write(package(), {{"KJCG.TXT", "a", 0, 0, part}, {"CGWCR.TXT", "b", 0, 0, part}, {"ZLQK.TXT", "c", 0, 0, 1000}});
    EXPECT_FALSE(im.choosePackage(package()));
    EXPECT_TRUE(texts().last().contains(QStringLiteral("共有512.0 MB"))) << texts().last().toStdString();

    const QString update = outbox + "/LSBWB.ARJ";
    write(update, {{"LSBW.TXT", "101\tx\r\n", 0, 0, 300u << 20}});
    EXPECT_FALSE(CodeUpdater(data, arj, prompt()).updateFromPackage(3, update));
    EXPECT_TRUE(texts().last().contains(QStringLiteral("LSBW.TXT解开后有300.0 MB"))) << texts().last().toStdString();
    EXPECT_TRUE(texts().last().contains(QStringLiteral("代码表未更改")));
}
