// The completing persons list (page 8), its add/edit dialog and the person
// pool, driven through the main window's page button over a seeded folder.
#include "data/dm.h"
#include "db/dataset.h"
#include "db/gbk.h"
#include "entry/finto8.h"
#include "entry/fpage8.h"
#include "entry/pages.h"
#include "platform/core/seams.h"
#include "seed_loader.h"
#include "shell/mainform.h"
#include "support/fakeclock.h"
#include "support/listpagetest.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyledItemDelegate>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using testsupport::Fields;

const QString kKey = u"2011000001"_s;
const QString kAddCaption = u"新增－－【成果完成人员名单】"_s;
const QString kEditCaption = u"修改－－【成果完成人员名单】"_s;

class PersonsTest : public testsupport::ListPageTest {
protected:
    void SetUp() override
    {
        testsupport::FakeClock::activate(QDateTime(QDate(2012, 6, 1), QTime(9, 0)));
        ListPageTest::SetUp();
        addOrganisation();
    }
    // An applied-technology record whose other pages are all complete.
    void record(const QString &employer = u"青岚应用技术研究院"_s)
    {
        db::Table check;
        check.setDatabaseName(data);
        check.setTableName(u"checkup"_s);
        check.open();
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(u"kjcg"_s);
        t.open();
        t.append();
        for (check.first(); !check.eof(); check.next()) {
            db::Field f = t.fieldByName(check.fieldByName(u"id"_s).asString());
            if (f.kind() == db::FieldKind::Date)
                f.setAsDate(QDate(2011, 5, 1));
            else
                f.setAsString(u"1"_s);
        }
        t.fieldByName(u"ITEM_4"_s).setAsString(kKey);
        t.fieldByName(u"ITEM_DQDM"_s).setAsString(u"."_s);
        t.fieldByName(u"ITEM_CGLB"_s).setAsString(u"1"_s);
        t.fieldByName(u"ITEM_3"_s).setAsString(u"城市供水管网漏损智能监测系统"_s);
        t.fieldByName(u"ITEM_9"_s).setAsString(employer);
        t.post();
    }
    void person(const QString &no, int order, const QString &name, const Fields &more = {})
    {
        Fields row = {{u"ITEM_4"_s, kKey}, {u"ITEM_DQDM"_s, u"."_s}, {u"ITEM_NO"_s, no},
                      {u"ITEM_187"_s, QString::number(order)}, {u"ITEM_180"_s, name}, {u"ITEM_181"_s, u"0"_s},
                      {u"ITEM_182"_s, u"1970.03"_s}, {u"ITEM_183"_s, u"2"_s}, {u"ITEM_184"_s, u"3"_s},
                      {u"ITEM_185"_s, u"青岚应用技术研究院"_s}, {u"ITEM_188"_s, u"0"_s}};
        row.insert(more);
        add(u"cgwcr"_s, row);
    }
    void start()
    {
        startWindows();
        showRecord(0, u"2011"_s, kKey);
    }
    // The stored persons of the record in list order: "order name no".
    QStringList stored(const QString &fields = u"ITEM_187 ITEM_180 ITEM_NO"_s, const QString &table = u"cgwcr"_s,
                       const QString &order = u" order by item_187"_s)
    {
        db::Query q;
        q.setDatabaseName(data);
        q.setSQL(u"select * from "_s + table + order);
        q.open();
        QStringList out;
        for (q.first(); !q.eof(); q.next()) {
            QStringList row;
            for (const QString &f : fields.split(u' '))
                row << q.fieldByName(f).asString();
            out << row.join(u' ');
        }
        return out;
    }
    void page(const std::function<void(TFpage8 *)> &driver) { throughPage(MainForm->btn_page08, Fpage8, driver); }
    void dialog(const std::function<void(TFinto8 *)> &driver) { onDialog(u"Finto8"_s, Finto8, driver); }
    void question(const QString &text, const QString &caption, platform::Icon icon, int answer)
    {
        seams.expectMessage(text, [=](const platform::MessageCall &c) {
            EXPECT_EQ(c.text, text);
            EXPECT_EQ(c.caption, caption);
            EXPECT_EQ(c.icon, icon);
            EXPECT_EQ(c.buttons, platform::Yes | platform::No);
            return answer;
        });
    }
    static void fill(TFinto8 *d, const QString &name, const QString &year = u"1968"_s, const QString &month = u"7"_s,
                     const QString &title = u"2  正高"_s)
    {
        d->edtry_180->setText(name);
        pick(d->cbry_181, u"1  女"_s);
        d->edt_182_y->setText(year);
        d->edt_182_m->setText(month);
        pick(d->cbry_183, title);
        pick(d->cbry_184, u"2  博士研究生"_s);
        d->edtry_186->setText(u"负责总体方案设计"_s);
    }
    // Adds one person through the page's add button.
    void addThroughDialog(TFpage8 *p, const QString &name)
    {
        dialog([=](TFinto8 *d) {
            fill(d, name);
            d->Button1->click();
        });
        expectSaved();
        p->Button2->click();
    }
};

TEST_F(PersonsTest, AddEditAndDeleteKeepTheOrderOneToN)
{
    record();
    start();
    page([&](TFpage8 *p) {
        EXPECT_EQ(p->windowTitle(), u"成果名称：城市供水管网漏损智能监测系统"_s);
        EXPECT_EQ(p->size(), QSize(800, 600));
        // The add dialog: next order number read-only, employer preset, not abroad.
        dialog([&](TFinto8 *d) {
            EXPECT_EQ(d->windowTitle(), kAddCaption);
            EXPECT_EQ(d->edtry_187->text(), u"1"_s);
            EXPECT_TRUE(d->edtry_187->isReadOnly());
            EXPECT_EQ(d->edtry_185->text(), u"青岚应用技术研究院"_s);
            EXPECT_EQ(d->cbry_188->currentText(), u"0  否"_s);
            EXPECT_EQ(d->cbry_181->currentIndex(), -1);
            // What the user types at once goes into the name, not the
            // read-only order number before it.
            EXPECT_EQ(d->focusWidget(), d->edtry_180);
            fill(d, u"  赵立新 "_s, u"1968"_s, u" 5"_s);
            d->Button1->click();
            EXPECT_FALSE(d->isVisible());
            EXPECT_EQ(d->edtry_180->text(), QString());
        });
        expectSaved();
        p->Button2->click();
        for (const char *name : {"钱晓梅", "孙国华", "李卫东", "周敏", "吴志刚"})
            addThroughDialog(p, QString::fromUtf8(name));
    });
    EXPECT_EQ(stored(u"ITEM_187 ITEM_180 ITEM_NO ITEM_182 ITEM_181 ITEM_183 ITEM_184 ITEM_188"_s).first(),
              u"1 赵立新 1 1968.05 1 2 2 0"_s);
    EXPECT_EQ(stored().size(), 6);

    // The fifth person moved to order 1 stands first or second; the list reads 1..6.
    page([&](TFpage8 *p) {
        p->DBGrid4->selectRow(4);
        dialog([&](TFinto8 *d) {
            EXPECT_EQ(d->windowTitle(), kEditCaption);
            EXPECT_EQ(d->edtry_180->text(), u"周敏"_s);
            EXPECT_FALSE(d->edtry_187->isReadOnly());
            d->edtry_187->setText(u"1"_s);
            d->Button1->click();
        });
        expectSaved();
        p->Button3->click();
        EXPECT_EQ(DM->QryCgwcr.fieldByName(u"ITEM_180"_s).asString(), u"周敏"_s);   // still selected
        p->quit01->click();
    });
    QStringList list = stored();
    ASSERT_EQ(list.size(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(list[i].startsWith(QString::number(i + 1) + u' ')) << list[i].toStdString();
    EXPECT_TRUE(list[0].contains(u"周敏"_s) || list[1].contains(u"周敏"_s));

    // Deleting the second: No changes nothing, Yes closes up and selects the former third.
    page([&](TFpage8 *p) {
        p->DBGrid4->selectRow(1);
        const QString third = DM->QryCgwcr.valueAt(2, DM->QryCgwcr.fieldByName(u"ITEM_180"_s).index()).toString();
        answerDelete(platform::No);
        p->Button1->click();
        EXPECT_EQ(DM->QryCgwcr.recordCount(), 6);
        answerDelete(platform::Yes);
        p->Button1->click();
        EXPECT_EQ(DM->QryCgwcr.recordCount(), 5);
        EXPECT_EQ(DM->QryCgwcr.fieldByName(u"ITEM_180"_s).asString(), third);
        EXPECT_EQ(DM->QryCgwcr.fieldByName(u"ITEM_187"_s).asString(), u"2"_s);
        p->quit01->click();
    });
    list = stored(u"ITEM_187"_s);
    EXPECT_EQ(list, QStringList({u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}));
}

TEST_F(PersonsTest, DeleteWritesTheRowItWasReadFromEvenWithDuplicateNumbers)
{
    // Two rows share ITEM_NO in another region: only the record's row goes.
    record();
    person(u"1"_s, 1, u"甲"_s);
    person(u"2"_s, 2, u"乙"_s);
    add(u"cgwcr"_s, {{u"ITEM_4"_s, kKey}, {u"ITEM_DQDM"_s, u"X"_s}, {u"ITEM_NO"_s, u"2"_s}, {u"ITEM_187"_s, u"1"_s},
                     {u"ITEM_180"_s, u"外地"_s}});
    start();
    page([&](TFpage8 *p) {
        p->DBGrid4->selectRow(1);
        answerDelete(platform::Yes);
        p->Button1->click();
        p->quit01->click();
    });
    EXPECT_EQ(stored(u"ITEM_180"_s), QStringList({u"甲"_s, u"外地"_s}));
}

TEST_F(PersonsTest, TheCaptionAloneDecidesTheMode)
{
    record();
    person(u"1"_s, 1, u"甲"_s);
    start();
    page([&](TFpage8 *p) {
        // Any other caption: save does nothing, stores nothing.
        Finto8->setWindowTitle(u"完成人员"_s);
        seams.onModal(u"Finto8"_s, [&](QDialog *) {
            fill(Finto8, u"乙"_s);
            EXPECT_FALSE(Finto8->save());
            EXPECT_TRUE(Finto8->isVisible());
            return 0;
        });
        platform::showModal(Finto8);
        // The edit button on a list with rows opens in edit mode.
        dialog([&](TFinto8 *d) {
            EXPECT_EQ(d->windowTitle(), kEditCaption);
            EXPECT_EQ(d->edtry_180->text(), u"甲"_s);
            d->Button2->click();   // unchanged: no question
            EXPECT_FALSE(d->isVisible());
        });
        p->Button3->click();
        p->quit01->click();
    });
    EXPECT_EQ(stored(u"ITEM_180"_s), QStringList({u"甲"_s}));
}

TEST_F(PersonsTest, EditOnAnEmptyListAdds)
{
    record();
    start();
    page([&](TFpage8 *p) {
        dialog([&](TFinto8 *d) {
            EXPECT_EQ(d->windowTitle(), kAddCaption);
            d->edtry_185->setText(u"  "_s);   // only the preset employer, cleared
            d->Button1->click();   // nothing typed: closes without a word
            EXPECT_FALSE(d->isVisible());
        });
        p->Button3->click();
        expectWarning(u"成果完成人员名单不能为空！"_s);
        p->quit01->click();
        EXPECT_TRUE(p->isVisible());
        addThroughDialog(p, u"甲"_s);
        p->quit01->click();
        EXPECT_FALSE(p->isVisible());
    });
    EXPECT_EQ(stored(u"ITEM_180"_s), QStringList({u"甲"_s}));
}

TEST_F(PersonsTest, ThePersonsPageDecidesWhetherTheRecordIsComplete)
{
    record();
    start();
    MainForm->UpdatePageStatus();
    EXPECT_FALSE(TMainForm::isPageComplete(MainForm->btn_page08));
    EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page01));
    EXPECT_FALSE(MainForm->UpdateCommandState());
    EXPECT_FALSE(MainForm->DBGrid1->isEnabled());
    page([&](TFpage8 *p) {
        addThroughDialog(p, u"甲"_s);
        p->quit01->click();
    });
    EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page08));
    EXPECT_EQ(MainForm->btn_page08->text(), u"成果完成人员名单"_s);
    EXPECT_TRUE(MainForm->DBGrid1->isEnabled());   // the lock released on closing the page
    MainForm->UpdatePageStatus();
    EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page08));
}

TEST_F(PersonsTest, ThePoolKeepsTheLastCopyOfAUniqueName)
{
    record();
    add(u"cgwcrNew"_s, {{u"ITEM_180"_s, u"王强"_s}, {u"ITEM_185"_s, u"旧单位"_s}, {u"ITEM_4"_s, u"2005000009"_s}});
    add(u"cgwcrNew"_s, {{u"ITEM_180"_s, u"李明"_s}, {u"ITEM_185"_s, u"甲单位"_s}});
    add(u"cgwcrNew"_s, {{u"ITEM_180"_s, u"李明"_s}, {u"ITEM_185"_s, u"乙单位"_s}});
    add(u"cgwcrNew"_s, {{u"ITEM_180"_s, u"O'Neil"_s}, {u"ITEM_185"_s, u"旧单位"_s}});
    start();
    page([&](TFpage8 *p) {
        for (const QString &name : {u"王强"_s, u"李明"_s, u"张伟"_s, u"O'Neil"_s})
            addThroughDialog(p, name);
        // An edit leaves the pool alone.
        p->DBGrid4->selectRow(2);
        dialog([&](TFinto8 *d) {
            d->edtry_185->setText(u"改后单位"_s);
            d->Button1->click();
        });
        expectSaved();
        p->Button3->click();
        p->quit01->click();
    });
    const QStringList pool = stored(u"ITEM_180 ITEM_185 ITEM_4 ITEM_NO ITEM_182"_s, u"cgwcrNew"_s);
    EXPECT_EQ(pool.size(), 5);
    EXPECT_TRUE(pool.contains(u"王强 青岚应用技术研究院 2011000001 1 1968.07"_s)) << pool.join(u'\n').toStdString();
    EXPECT_EQ(pool.filter(QRegularExpression(u"^李明 [甲乙]单位 +$"_s)).size(), 2);
    EXPECT_TRUE(pool.contains(u"张伟 青岚应用技术研究院 2011000001 3 1968.07"_s));
    EXPECT_TRUE(pool.contains(u"O'Neil 青岚应用技术研究院 2011000001 4 1968.07"_s));
}

TEST_F(PersonsTest, UpdatePersonPoolFromAnotherTable)
{
    // The import hands over rows of its own tables.
    record();
    start();
    db::Table src;
    src.setDatabaseName(data);
    src.setTableName(u"cgwcrtemp"_s);
    src.open();
    src.append();
    src.fieldByName(u"ITEM_180"_s).setAsString(u" 陈静 "_s);
    src.fieldByName(u"ITEM_187"_s).setAsInteger(3);
    src.post();
    UpdatePersonPool(src);
    UpdatePersonPool(src);   // the second time it overwrites its own copy
    EXPECT_EQ(stored(u"ITEM_180 ITEM_187"_s, u"cgwcrNew"_s), QStringList({u"陈静 3"_s}));
    EXPECT_FALSE(DM->TblwcrNew.filtered());
}

TEST_F(PersonsTest, PoolMatchesTheNameExactlyEvenWithAStar)
{
    // "张*" is a name like any other: it neither overwrites 张伟's pool row
    // nor counts it as a namesake.
    record();
    start();
    db::Table src;
    src.setDatabaseName(data);
    src.setTableName(u"cgwcrtemp"_s);
    src.open();
    for (const QString &name : {u"张伟"_s, u"张*"_s}) {
        src.append();
        src.fieldByName(u"ITEM_180"_s).setAsString(name);
        src.fieldByName(u"ITEM_185"_s).setAsString(name + u"的单位"_s);
        src.post();
        UpdatePersonPool(src);
    }
    src.last();
    src.edit();
    src.fieldByName(u"ITEM_185"_s).setAsString(u"新单位"_s);
    src.post();
    UpdatePersonPool(src);
    QStringList pool = stored(u"ITEM_180 ITEM_185"_s, u"cgwcrNew"_s);
    pool.sort();
    EXPECT_EQ(pool, QStringList({u"张* 新单位"_s, u"张伟 张伟的单位"_s}));
}

TEST_F(PersonsTest, DialogChecksInOrder)
{
    record();
    start();
    page([&](TFpage8 *p) {
        struct Case {
            std::function<void(TFinto8 *)> change;
            QString message;
        };
        const Case cases[] = {
            {[](TFinto8 *d) { d->edtry_180->setText(u"  "_s); }, u"姓名不能为空！"_s},
            {[](TFinto8 *d) { d->cbry_181->setCurrentIndex(-1); }, u"性别不能为空！"_s},
            {[](TFinto8 *d) { d->edt_182_m->clear(); }, u"出生年月不能为空！"_s},
            {[](TFinto8 *d) { d->edt_182_y->setText(u"1899"_s); }, u"出生年份不合法！"_s},
            {[](TFinto8 *d) { d->edt_182_y->setText(u"2013"_s); }, u"出生年份不合法！"_s},
            {[](TFinto8 *d) { d->edt_182_m->setText(u"0"_s); }, u"出生月份不合法！"_s},
            {[](TFinto8 *d) { d->edt_182_m->setText(u"13"_s); }, u"出生月份不合法！"_s},
            {[](TFinto8 *d) { d->edt_182_m->setText(u"ab"_s); }, u"出生月份不合法！"_s},
            {[](TFinto8 *d) { d->cbry_183->setCurrentIndex(-1); }, u"技术职称不能为空！"_s},
            {[](TFinto8 *d) { d->cbry_184->setCurrentIndex(-1); }, u"文化程度不能为空！"_s},
        };
        for (const Case &c : cases) {
            dialog([&](TFinto8 *d) {
                fill(d, u"甲"_s);
                c.change(d);
                d->Button1->click();
                EXPECT_TRUE(d->isVisible()) << c.message.toStdString();
                d->edtry_180->clear();
                d->edtry_186->clear();
                d->Button2->click();
            });
            expectWarning(c.message);
            p->Button2->click();
        }
        // A plain dialog for a non-numeric order (edit mode only: add shows it read-only).
        addThroughDialog(p, u"甲"_s);
        dialog([&](TFinto8 *d) {
            d->edtry_187->setText(u"一"_s);
            d->Button1->click();
            d->edtry_187->setText(u" "_s);
            d->Button1->click();
            d->edtry_180->clear();
            d->edtry_186->clear();
            d->Button2->click();
        });
        seams.expectMessage(u"输入序号必须为数字！"_s, [](const platform::MessageCall &c) {
            EXPECT_EQ(c.icon, platform::Icon::None);
            return platform::Ok;
        });
        expectWarning(u"序号不能为空！"_s);
        p->Button3->click();
        p->quit01->click();
    });
    EXPECT_EQ(stored(), QStringList({u"1 甲 1"_s}));
}

TEST_F(PersonsTest, QuitAsksOnlyWhenSomethingChanged)
{
    record();
    person(u"1"_s, 1, u"甲"_s);
    start();
    page([&](TFpage8 *p) {
        // A changed name: No closes without storing.
        dialog([&](TFinto8 *d) {
            d->edtry_180->setText(u"乙"_s);
            d->Button2->click();
            EXPECT_FALSE(d->isVisible());
        });
        question(u"记录已更改,是否保存后退出？"_s, u"请注意！"_s, platform::Icon::Question, platform::No);
        p->Button3->click();
        // Yes with a failing check keeps the dialog open on the failing
        // field; leaving then with No stores nothing.
        dialog([&](TFinto8 *d) {
            question(u"记录已更改,是否保存后退出？"_s, u"请注意！"_s, platform::Icon::Question, platform::Yes);
            expectWarning(u"出生年份不合法！"_s);
            d->edt_182_y->setText(u"1800"_s);
            d->Button2->click();
            EXPECT_TRUE(d->isVisible());
            EXPECT_EQ(d->focusWidget(), d->edt_182_y);
            question(u"记录已更改,是否保存后退出？"_s, u"请注意！"_s, platform::Icon::Question, platform::No);
            d->Button2->click();
            EXPECT_FALSE(d->isVisible());
        });
        p->Button3->click();
        // Yes with a sound change stores it.
        dialog([&](TFinto8 *d) {
            pick(d->cbry_188, u"1  是"_s);
            d->Button2->click();
        });
        question(u"记录已更改,是否保存后退出？"_s, u"请注意！"_s, platform::Icon::Question, platform::Yes);
        expectSaved();
        p->Button3->click();
        p->quit01->click();
    });
    EXPECT_EQ(stored(u"ITEM_180 ITEM_182 ITEM_188"_s), QStringList({u"甲 1970.03 1"_s}));
}

TEST_F(PersonsTest, ItemNumbersAreComparedAsNumbers)
{
    record();
    for (int i = 1; i <= 10; ++i)
        person(QString::number(i), i, u"人"_s + QString::number(i));
    start();
    EXPECT_EQ(TFpage8::nextItemNo(kKey), 11);
    page([&](TFpage8 *p) {
        addThroughDialog(p, u"第十一人"_s);
        p->quit01->click();
    });
    const QStringList nos = stored(u"ITEM_NO"_s);
    EXPECT_EQ(nos.size(), 11);
    EXPECT_EQ(nos.last(), u"11"_s);
    EXPECT_EQ(QSet<QString>(nos.begin(), nos.end()).size(), 11);
}

TEST_F(PersonsTest, OpeningRenumbersItemNumbersOfTheRecordOnly)
{
    record();
    person(u"7"_s, 1, u"甲"_s);
    person(u"7"_s, 2, u"乙"_s);
    add(u"cgwcr"_s, {{u"ITEM_4"_s, u"2011000002"_s}, {u"ITEM_DQDM"_s, u"."_s}, {u"ITEM_NO"_s, u"9"_s},
                     {u"ITEM_187"_s, u"3"_s}, {u"ITEM_180"_s, u"他人"_s}});
    start();
    page([](TFpage8 *p) { p->quit01->click(); });
    EXPECT_EQ(stored(u"ITEM_180 ITEM_NO"_s), QStringList({u"甲 1"_s, u"乙 2"_s, u"他人 9"_s}));
}

TEST_F(PersonsTest, TheThousandthPersonIsRefused)
{
    record();
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(u"cgwcr"_s);
        t.open();
        for (int i = 1; i <= 999; ++i) {
            t.append();
            t.fieldByName(u"ITEM_4"_s).setAsString(kKey);
            t.fieldByName(u"ITEM_DQDM"_s).setAsString(u"."_s);
            t.fieldByName(u"ITEM_NO"_s).setAsString(QString::number(i));
            t.fieldByName(u"ITEM_187"_s).setAsInteger(i);
            t.fieldByName(u"ITEM_180"_s).setAsString(u"人"_s + QString::number(i));
            t.post();
        }
    }
    start();
    page([&](TFpage8 *p) {
        dialog([&](TFinto8 *d) {
            fill(d, u"第一千人"_s);
            d->Button1->click();
            EXPECT_TRUE(d->isVisible());
            d->edtry_180->clear();
            d->edtry_186->clear();
            d->Button2->click();
        });
        expectWarning(u"每项成果最多登记999名完成人员，不能再增加！"_s);
        p->Button2->click();
        p->quit01->click();
    });
    EXPECT_EQ(stored(u"ITEM_NO"_s).size(), 999);
}

TEST_F(PersonsTest, StoredAcademicianTitlesRoundTrip)
{
    record();
    person(u"1"_s, 1, u"甲"_s, {{u"ITEM_183"_s, u"b"_s}, {u"ITEM_181"_s, u"1"_s}, {u"ITEM_188"_s, u""_s}});
    start();
    page([&](TFpage8 *p) {
        // The grid shows the code's text.
        auto text = [&](int column) {
            auto *dg = static_cast<QStyledItemDelegate *>(p->DBGrid4->itemDelegateForColumn(column));
            const QVariant v = p->DBGrid4->model()->index(0, column).data();
            return dg ? dg->displayText(v, QLocale()) : v.toString();
        };
        EXPECT_EQ(text(4), u"  中科院院士"_s);
        EXPECT_EQ(text(2), u"  女"_s);
        EXPECT_EQ(text(1), u"甲"_s);
        dialog([&](TFinto8 *d) {
            EXPECT_EQ(d->cbry_183->currentText(), u"1b  中科院院士"_s);
            EXPECT_EQ(d->cbry_188->currentText(), u"0  否"_s);   // nothing stored: "no"
            d->Button1->click();
        });
        expectSaved();
        p->Button3->click();
        // Added as 1c, stored as c.
        dialog([&](TFinto8 *d) {
            fill(d, u"乙"_s, u"1950"_s, u"12"_s, u"1c  工程院院士"_s);
            d->Button1->click();
        });
        expectSaved();
        p->Button2->click();
        p->quit01->click();
    });
    EXPECT_EQ(stored(u"ITEM_180 ITEM_183 ITEM_188"_s), QStringList({u"甲 b 0"_s, u"乙 c 0"_s}));
}

TEST_F(PersonsTest, TheEmployerPresetFitsItsField)
{
    // 140 bytes of organisation name: an ASCII letter, then 69 Chinese characters.
    QString longName = u"A"_s;
    while (db::gbk::byteLength(longName) < 139)
        longName += u"研"_s;
    record(longName);
    start();
    page([&](TFpage8 *p) {
        dialog([&](TFinto8 *d) {
            EXPECT_EQ(d->edtry_185->text(), longName.left(40));   // 79 bytes, no half character
            fill(d, u"甲"_s);
            d->Button1->click();
        });
        expectSaved();
        p->Button2->click();
        p->quit01->click();
    });
    EXPECT_EQ(stored(u"ITEM_185"_s), QStringList({longName.left(40)}));
}

} // namespace

// The list-page base over a table filtered to its record (the patents and
// discipline-leader pages work that way).
namespace {

class TableListPage : public ListPage {
public:
    TableListPage() : ListPage(u"TableList"_s, u"专利情况"_s, ButtonNames{})
    {
        grid->setColumns({{u"ITEM_NO"_s, u"序号"_s}, {u"PATENT_NAM"_s, u"专利名称"_s}});
        useTable(&DM->tblzlqk, &DM->DSTzlqk);
        setOrderField(u"ITEM_NO"_s);
    }
    ListDialog *dialog() const override { return nullptr; }
};

TEST_F(PersonsTest, TableListsRenumberAndDeleteTheRowsTheyShow)
{
    record();
    const auto patent = [&](const QString &key, const QString &no, const QString &name) {
        add(u"zlqk"_s, {{u"ITEM_4"_s, key}, {u"ITEM_DQDM"_s, u"."_s}, {u"ITEM_NO"_s, no}, {u"PATENT_NAM"_s, name}});
    };
    patent(kKey, u"9"_s, u"甲"_s);
    patent(u"2011000002"_s, u"2"_s, u"他人"_s);
    patent(kKey, u"3"_s, u"乙"_s);
    patent(kKey, u"7"_s, u"丙"_s);
    start();
    DM->tblzlqk.setFilter(u"item_4='"_s + kKey + u"' and item_dqdm='.'"_s);
    DM->tblzlqk.setFiltered(true);
    TableListPage page;
    page.load();
    EXPECT_EQ(page.rowCount(), 3);
    page.renumber();   // the stored order
    EXPECT_EQ(stored(u"PATENT_NAM ITEM_NO"_s, u"zlqk"_s, QString()),
              QStringList({u"甲 1"_s, u"他人 2"_s, u"乙 2"_s, u"丙 3"_s}));
    EXPECT_EQ(page.nextOrder(), 4);
    page.grid->selectRow(1);
    seams.expectMessage(u"是否删除该项目？!"_s, platform::Yes);
    page.deleteClick();
    EXPECT_EQ(stored(u"PATENT_NAM ITEM_NO"_s, u"zlqk"_s, QString()), QStringList({u"甲 1"_s, u"他人 2"_s, u"丙 2"_s}));
    EXPECT_EQ(DM->tblzlqk.fieldByName(u"PATENT_NAM"_s).asString(), u"丙"_s);
    // The last row deleted: the selection falls back to the new last row.
    seams.expectMessage(u"是否删除该项目？!"_s, platform::Yes);
    page.deleteClick();
    EXPECT_EQ(DM->tblzlqk.fieldByName(u"PATENT_NAM"_s).asString(), u"甲"_s);
    page.editCurrentRow([](db::Dataset &ds) { ds.fieldByName(u"PATENT_NAM"_s).setAsString(u"甲改"_s); });
    EXPECT_EQ(stored(u"PATENT_NAM ITEM_NO"_s, u"zlqk"_s, QString()), QStringList({u"甲改 1"_s, u"他人 2"_s}));
}

} // namespace
