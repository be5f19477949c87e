#include "exchange/codeupdate.h"
#include "exchangefixture.h"

#include "db/gbk.h"
#include "db/tablefile.h"

#include <QDir>
#include <QFile>

using namespace exchange;
using testsupport::FakeArchiver;

namespace {

class CodeUpdate : public testsupport::ExchangeTest {
protected:
    QStringList released, reopened;
    CodeUpdater updater()
    {
        return CodeUpdater(data, fake, prompt(), [this](const QString &t) { released << t; },
                           [this](const QString &t) { reopened << t; });
    }
    QStringList lsbw()
    {
        QStringList out;
        for (const auto &r : rows("lsbw"))
            out << r["BWDM"] + " " + r["BWMC"];
        return out;
    }
    QByteArray fileBytes(const QString &path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
};

} // namespace

TEST_F(CodeUpdate, FromAPackageTheTableHoldsExactlyTheMemberRows)
{
    add("lsbw", {{"Bwdm", "001"}, {"Bwmc", "旧部委"}});
    {
        // Somebody left the table filtered: the update does not care.
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName("lsbw");
        t.setFilter("Bwdm='xyz'");
        t.setFiltered(true);
        t.open();
    }
    const QString pkg = outbox + "/lsbwb.arj";
    // The name is the last column: written as it is, never quoted, so a
    // name beginning with a quote arrives as written.
    FakeArchiver::write(pkg, {{"lsbw.txt", db::gbk::encodeLossy(QStringLiteral("101\t国家部委一\r\n102\t\"带\"引号\r\n"))}});
    CodeUpdater u = updater();
    EXPECT_FALSE(u.updateFromPackage(3, outbox + "/ZTFLB.ARJ"));
    EXPECT_EQ(texts().last(), QStringLiteral("请选择正确导入包,名字是LSBWB.ARJ!"));
    ASSERT_TRUE(u.updateFromPackage(3, pkg));   // lower case is accepted
    EXPECT_EQ(texts().last(), QStringLiteral("导入更新成功！"));
    EXPECT_EQ(lsbw(), (QStringList{"101 国家部委一", "102 \"带\"引号"}));
    EXPECT_EQ(released, QStringList{"LSBW.DBF"});
    EXPECT_EQ(reopened, QStringList{"LSBW.DBF"});
}

TEST_F(CodeUpdate, ABadPackageLeavesTheOldTableInUse)
{
    add("lsbw", {{"Bwdm", "001"}, {"Bwmc", "旧部委"}});
    const QByteArray before = fileBytes(data + "/lsbw.dbf");
    const QString pkg = outbox + "/LSBWB.ARJ";
    CodeUpdater u = updater();
    // A line the table cannot take (too many values), then a code too wide.
    FakeArchiver::write(pkg, {{"LSBW.TXT", "101\tone\r\n102\ttwo\tthree\r\n"}});
    EXPECT_FALSE(u.updateFromPackage(3, pkg));
    EXPECT_TRUE(texts().last().contains(QStringLiteral("LSBW.TXT 第2行"))) << texts().last().toStdString();
    FakeArchiver::write(pkg, {{"LSBW.TXT", "101\tone\r\n10234\ttwo\r\n"}});
    EXPECT_FALSE(u.updateFromPackage(3, pkg));
    EXPECT_TRUE(texts().last().contains(QStringLiteral("第2行"))) << texts().last().toStdString();
    FakeArchiver::write(pkg, {{"OTHER.TXT", "101\tone\r\n"}});
    EXPECT_FALSE(u.updateFromPackage(3, pkg));
    EXPECT_TRUE(texts().last().contains("LSBW.TXT"));
    EXPECT_EQ(fileBytes(data + "/lsbw.dbf"), before);
    EXPECT_EQ(lsbw(), QStringList{"001 旧部委"});
    EXPECT_TRUE(released.isEmpty());
}

TEST_F(CodeUpdate, FromATableFile)
{
    add("lsbw", {{"Bwdm", "001"}, {"Bwmc", "旧部委"}});
    const QString other = tmp.filePath("delivered");
    data::layOutDataFolder(other);
    add(other, "lsbw", {{"Bwdm", "201"}, {"Bwmc", "新部委"}});
    CodeUpdater u = updater();

    EXPECT_FALSE(u.updateFromFile(3, other + "/XLSBW.DBF"));   // the name must follow a separator
    EXPECT_EQ(texts().last(), QStringLiteral("请选择正确的文件（LSBW.DBF）！"));
    EXPECT_FALSE(u.updateFromFile(3, data + "/lsbw.dbf"));     // the table itself
    EXPECT_EQ(lsbw(), QStringList{"001 旧部委"});

    // A file of that name with other columns, and one that is no table.
    QFile::copy(other + "/province.dbf", tmp.filePath("LSBW.DBF"));
    EXPECT_FALSE(u.updateFromFile(3, tmp.filePath("LSBW.DBF")));
    QDir().mkpath(tmp.filePath("junk"));
    QFile junk(tmp.filePath("junk/LSBW.DBF"));
    junk.open(QIODevice::WriteOnly);
    junk.write("this is no table at all");
    junk.close();
    EXPECT_FALSE(u.updateFromFile(3, tmp.filePath("junk/LSBW.DBF")));
    EXPECT_TRUE(texts().last().contains(QStringLiteral("代码表未更改")));
    EXPECT_EQ(lsbw(), QStringList{"001 旧部委"});

    ASSERT_TRUE(u.updateFromFile(3, other + "/lsbw.dbf"));
    EXPECT_EQ(texts().last(), QStringLiteral("更新“隶属部委”菜单成功!"));
    EXPECT_EQ(lsbw(), QStringList{"201 新部委"});
}

// A replacement table must have the code table's layout field for field:
// a wider code column, or one of another type, would hold codes no page can
// show or store.
TEST_F(CodeUpdate, AReplacementWithAnotherLayoutIsRefused)
{
    add("lsbw", {{"Bwdm", "001"}, {"Bwmc", "旧部委"}});
    const QByteArray before = fileBytes(data + "/lsbw.dbf");
    CodeUpdater u = updater();
    const auto offer = [&](const QString &folder, QVector<db::FieldDef> fields) {
        QDir().mkpath(tmp.filePath(folder));
        const QString path = tmp.filePath(folder + "/LSBW.DBF");
        db::TableFile::createFile(path, fields);
        return u.updateFromFile(3, path);
    };
    auto fields = data::schemaFor("lsbw").fields;
    fields[0].width = 5;
    EXPECT_FALSE(offer("wide", fields));
    EXPECT_TRUE(texts().last().startsWith(QStringLiteral("文件LSBW.DBF 的字段 Bwdm 是 C(5)，应为 C(3)，与代码表LSBW.DBF的格式不符")))
        << texts().last().toStdString();
    fields = data::schemaFor("lsbw").fields;
    fields[0].type = 'N';
    fields[0].kind = db::FieldDef::kindFor('N', fields[0].width, 0);
    EXPECT_FALSE(offer("numeric", fields));
    EXPECT_TRUE(texts().last().contains(QStringLiteral("字段 Bwdm 是 N(3)"))) << texts().last().toStdString();
    fields = data::schemaFor("lsbw").fields;
    fields.removeLast();
    EXPECT_FALSE(offer("short", fields));
    EXPECT_TRUE(texts().last().contains(QStringLiteral("缺少字段 Bwmc"))) << texts().last().toStdString();
    EXPECT_TRUE(released.isEmpty());
    EXPECT_EQ(fileBytes(data + "/lsbw.dbf"), before);
    EXPECT_TRUE(offer("same", data::schemaFor("lsbw").fields));
}
