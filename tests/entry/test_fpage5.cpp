// The cooperating organisations list (page 5) and its add/edit dialog,
// driven through the main window's page button over a seeded folder.
#include "data/dm.h"
#include "db/dataset.h"
#include "entry/finto5.h"
#include "entry/fpage5.h"
#include "entry/pages.h"
#include "platform/core/seams.h"
#include "seed_loader.h"
#include "shell/mainform.h"
#include "support/listpagetest.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using testsupport::Fields;

const QString kKey = u"2010000007"_s;
const QString kAddCaption = u"新增－－【合作完成单位情况】"_s;
const QString kEditCaption = u"修改－－【合作完成单位情况】"_s;

class CooperatingTest : public testsupport::ListPageTest {
protected:
    void SetUp() override
    {
        ListPageTest::SetUp();
        addOrganisation();
        add(u"kjcg"_s, {{u"ITEM_4"_s, kKey}, {u"ITEM_DQDM"_s, u"."_s}, {u"ITEM_CGLB"_s, u"1"_s},
                        {u"ITEM_3"_s, u"黄河下游滩区水沙调控技术"_s}});
    }
    void organisation(int order, const QString &name, const QString &dqdm = u"."_s)
    {
        add(u"cgwcdw"_s, {{u"ITEM_4"_s, kKey}, {u"ITEM_DQDM"_s, dqdm}, {u"ITEM_176"_s, QString::number(order)},
                          {u"ITEM_170"_s, name}, {u"ITEM_171"_s, u"郑州市金水区顺河路11号"_s},
                          {u"ITEM_172"_s, u"450003"_s}, {u"ITEM_173"_s, u"韩建国"_s},
                          {u"ITEM_174"_s, u"0371-66023311"_s}});
    }
    void start()
    {
        startWindows();
        showRecord(0, u"2010"_s, kKey);
    }
    // The table's rows in file order: "region order name address".
    QStringList stored()
    {
        return tableRows(u"cgwcdw"_s, {u"ITEM_DQDM"_s, u"ITEM_176"_s, u"ITEM_170"_s, u"ITEM_171"_s});
    }
    // The names of the list as the page shows it.
    static QStringList listed()
    {
        db::Dataset &ds = DM->QryCgwcdw;
        QStringList out;
        const int name = ds.fieldByName(u"ITEM_170"_s).index(), order = ds.fieldByName(u"ITEM_176"_s).index();
        for (int i = 0; i < ds.recordCount(); ++i)
            out << ds.valueAt(i, order).toString() + u' ' + ds.valueAt(i, name).toString();
        return out;
    }
    static QString selected() { return DM->QryCgwcdw.fieldByName(u"ITEM_170"_s).asString(); }
    void page(const std::function<void(TFpage5 *)> &driver) { throughPage(MainForm->btn_page05, Fpage5, driver); }
    void dialog(const std::function<void(TFinto5 *)> &driver) { onDialog(u"Finto5"_s, Finto5, driver); }
    // Adds one organisation through the page's add button.
    void addThroughDialog(TFpage5 *p, const QString &name, const QString &expectedOrder)
    {
        dialog([=](TFinto5 *d) {
            EXPECT_EQ(d->windowTitle(), kAddCaption);
            EXPECT_EQ(d->edt_176->text(), expectedOrder);
            d->edtdw_170->setText(name);
            d->edtdw_171->setText(u"西安市雁塔区科技路48号"_s);
            d->Button1->click();
            EXPECT_FALSE(d->isVisible());
        });
        expectSaved();
        p->Button2->click();
    }
};

TEST_F(CooperatingTest, OpensInOrderAndAddsEditsDeletesWithRenumbering)
{
    organisation(3, u"黄河水利科学研究院"_s);
    organisation(1, u"河南省水利勘测设计研究有限公司"_s);
    organisation(2, u"郑州大学水利与环境学院"_s);
    start();
    page([&](TFpage5 *p) {
        EXPECT_EQ(p->windowTitle(), u"成果名称：黄河下游滩区水沙调控技术"_s);
        EXPECT_EQ(p->size(), QSize(800, 600));
        EXPECT_FALSE(p->windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_EQ(listed(), QStringList({u"1 河南省水利勘测设计研究有限公司"_s, u"2 郑州大学水利与环境学院"_s,
                                         u"3 黄河水利科学研究院"_s}));

        // Add: the next number, read-only; the name is stored trimmed and
        // the dialog's edits are emptied after the save.
        dialog([&](TFinto5 *d) {
            EXPECT_EQ(d->edt_176->text(), u"4"_s);
            EXPECT_TRUE(d->edt_176->isReadOnly());
            EXPECT_EQ(d->focusWidget(), d->edtdw_170);   // typing at once names the organisation
            EXPECT_EQ(d->edtdw_170->text(), QString());
            d->edtdw_170->setText(u"  华北水利水电大学 "_s);
            d->edtdw_172->setText(u"450046"_s);
            d->edtdw_174->setText(u"0371-69127000"_s);
            d->Button1->click();
            EXPECT_EQ(d->edtdw_170->text() + d->edtdw_172->text(), QString());
        });
        expectSaved();
        p->Button2->click();
        EXPECT_EQ(listed().last(), u"4 华北水利水电大学"_s);
        EXPECT_EQ(selected(), u"华北水利水电大学"_s);

        // Edit the second: it shows its stored telephone; an unchanged
        // save keeps it; a changed address is written to that row only.
        DM->QryCgwcdw.moveToPosition(1);
        dialog([&](TFinto5 *d) {
            EXPECT_EQ(d->windowTitle(), kEditCaption);
            EXPECT_EQ(d->edt_176->text(), u"2"_s);
            EXPECT_EQ(d->edtdw_174->text(), u"0371-66023311"_s);
            d->edtdw_171->setText(u"郑州市高新区科学大道100号"_s);
            d->Button1->click();
        });
        expectSaved();
        p->btnSave01->click();
        EXPECT_EQ(selected(), u"郑州大学水利与环境学院"_s);
        EXPECT_EQ(DM->QryCgwcdw.fieldByName(u"ITEM_174"_s).asString(), u"0371-66023311"_s);

        // Delete the second of 1..4: No keeps it; Yes closes the numbers
        // up and selects the former third.
        answerDelete(platform::No);
        p->Button1->click();
        EXPECT_EQ(DM->QryCgwcdw.recordCount(), 4);
        answerDelete(platform::Yes);
        p->Button1->click();
        EXPECT_EQ(listed(), QStringList({u"1 河南省水利勘测设计研究有限公司"_s, u"2 黄河水利科学研究院"_s,
                                         u"3 华北水利水电大学"_s}));
        EXPECT_EQ(selected(), u"黄河水利科学研究院"_s);
        p->quit01->click();
        EXPECT_FALSE(p->isVisible());
    });
    EXPECT_EQ(stored(), QStringList({u". 2 黄河水利科学研究院 郑州市金水区顺河路11号"_s,
                                     u". 1 河南省水利勘测设计研究有限公司 郑州市金水区顺河路11号"_s,
                                     u". 3 华北水利水电大学 "_s}));
    EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page05));
    EXPECT_EQ(MainForm->btn_page05->text(), u"合作完成单位情况"_s);
}

TEST_F(CooperatingTest, ModeComesFromTheCaptionAndEmptyInputsStoreNothing)
{
    start();
    TMainForm::setPageComplete(MainForm->btn_page05, false);
    page([&](TFpage5 *p) {
        // Leaving this page leaves the command state alone.
        MainForm->DBGrid1->setEnabled(true);
        // 修改 on an empty list adds.
        dialog([&](TFinto5 *d) {
            EXPECT_EQ(d->windowTitle(), kAddCaption);
            EXPECT_EQ(d->edt_176->text(), u"1"_s);
            // Only a telephone: closes, stores nothing, says nothing.
            d->edtdw_174->setText(u"029-88888888"_s);
            d->Button1->click();
            EXPECT_FALSE(d->isVisible());
        });
        p->btnSave01->click();
        EXPECT_EQ(DM->QryCgwcdw.recordCount(), 0);

        // Letters typed into the postcode are dropped; pasted text is not.
        dialog([&](TFinto5 *d) {
            QTest::keyClicks(d->edtdw_172, u"71a0b06"_s);
            EXPECT_EQ(d->edtdw_172->text(), u"71006"_s);
            // Any other caption: the save does nothing at all.
            d->setWindowTitle(u"合作完成单位情况"_s);
            d->edtdw_170->setText(u"西北农林科技大学"_s);
            EXPECT_FALSE(d->save());
            EXPECT_TRUE(d->isVisible());
            // A number that is not an integer is refused in a plain box.
            d->setWindowTitle(kAddCaption);
            d->edt_176->setText(u"2a"_s);
            seams.expectMessage(u"输入序号必须为数字！"_s, [](const platform::MessageCall &c) {
                EXPECT_EQ(c.icon, platform::Icon::None);
                return platform::Ok;
            });
            d->Button1->click();
            EXPECT_TRUE(d->isVisible());
            // An empty number: the dialog stays open without a word.
            d->edt_176->setText(u" "_s);
            d->Button1->click();
            EXPECT_TRUE(d->isVisible());
            d->edt_176->setText(u"1"_s);
            expectSaved();
            d->Button1->click();
        });
        p->Button2->click();
        p->quit01->click();
    });
    EXPECT_EQ(stored(), QStringList({u". 1 西北农林科技大学 "_s}));
    EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page05));
    EXPECT_TRUE(MainForm->DBGrid1->isEnabled());
}

TEST_F(CooperatingTest, QuitAsksOnlyAboutRealChanges)
{
    organisation(1, u"黄河水利科学研究院"_s);
    start();
    page([&](TFpage5 *p) {
        // Unchanged edit: closes without a question.
        dialog([&](TFinto5 *d) { d->Button2->click(); EXPECT_FALSE(d->isVisible()); });
        p->btnSave01->click();
        // A changed telephone counts; Yes saves.
        dialog([&](TFinto5 *d) {
            d->edtdw_174->setText(u"0371-66020000"_s);
            seams.expectMessage(u"记录已更改，是否保存后退出？"_s, [](const platform::MessageCall &c) {
                EXPECT_EQ(c.caption, u"请注意！"_s);
                EXPECT_EQ(c.icon, platform::Icon::Question);
                return platform::Yes;
            });
            expectSaved();
            d->Button2->click();
            EXPECT_FALSE(d->isVisible());
        });
        p->btnSave01->click();
        EXPECT_EQ(DM->QryCgwcdw.fieldByName(u"ITEM_174"_s).asString(), u"0371-66020000"_s);
        // No: closes and keeps the row as it was.
        dialog([&](TFinto5 *d) {
            d->edtdw_170->setText(u"改名"_s);
            seams.expectMessage(u"记录已更改，是否保存后退出？"_s, platform::No);
            d->Button2->click();
            EXPECT_FALSE(d->isVisible());
        });
        p->btnSave01->click();
        EXPECT_EQ(selected(), u"黄河水利科学研究院"_s);
        // Yes with a refused save: the dialog stays open with the entry.
        dialog([&](TFinto5 *d) {
            d->edtdw_170->setText(u"改名"_s);
            d->edt_176->setText(u"x1"_s);
            seams.expectMessage(u"记录已更改，是否保存后退出？"_s, platform::Yes);
            seams.expectMessage(u"输入序号必须为数字！"_s, platform::Ok);
            d->Button2->click();
            EXPECT_TRUE(d->isVisible());
            EXPECT_EQ(d->edtdw_170->text(), u"改名"_s);
            seams.expectMessage(u"记录已更改，是否保存后退出？"_s, platform::No);
            d->Button2->click();
            EXPECT_FALSE(d->isVisible());
        });
        p->btnSave01->click();
        EXPECT_EQ(selected(), u"黄河水利科学研究院"_s);
        // Add with nothing typed: closes at once.
        dialog([&](TFinto5 *d) { d->Button2->click(); EXPECT_FALSE(d->isVisible()); });
        p->Button2->click();
        p->quit01->click();
    });
}

TEST_F(CooperatingTest, NumbersWithGapsGetAFreshNumberAndChangesHitOneRow)
{
    // Rows arriving as 1, 4, 5: the row count plus one (4) is taken.
    organisation(1, u"甲单位"_s);
    organisation(4, u"乙单位"_s);
    organisation(5, u"丙单位"_s);
    organisation(4, u"别的地区的单位"_s, u"X"_s);   // same number, another region
    start();
    page([&](TFpage5 *p) {
        EXPECT_EQ(listed(), QStringList({u"1 甲单位"_s, u"4 乙单位"_s, u"5 丙单位"_s}));   // no renumbering on opening
        addThroughDialog(p, u"丁单位"_s, u"6"_s);
        EXPECT_EQ(listed(), QStringList({u"1 甲单位"_s, u"4 乙单位"_s, u"5 丙单位"_s, u"6 丁单位"_s}));
        // Editing number 4 changes that row alone.
        DM->QryCgwcdw.moveToPosition(1);
        dialog([&](TFinto5 *d) {
            EXPECT_EQ(d->edtdw_170->text(), u"乙单位"_s);
            d->edtdw_171->setText(u"新地址"_s);
            d->Button1->click();
        });
        expectSaved();
        p->btnSave01->click();
        p->quit01->click();
    });
    EXPECT_EQ(stored(), QStringList({u". 1 甲单位 郑州市金水区顺河路11号"_s, u". 4 乙单位 新地址"_s,
                                     u". 5 丙单位 郑州市金水区顺河路11号"_s,
                                     u"X 4 别的地区的单位 郑州市金水区顺河路11号"_s, u". 6 丁单位 西安市雁塔区科技路48号"_s}));
}

TEST_F(CooperatingTest, DuplicateNumbersAreEditedAndDeletedOneRowAtATime)
{
    // Two rows of the record already share number 2.
    organisation(1, u"甲单位"_s);
    organisation(2, u"乙单位"_s);
    organisation(2, u"丙单位"_s);
    start();
    page([&](TFpage5 *p) {
        DM->QryCgwcdw.moveToPosition(2);
        dialog([&](TFinto5 *d) {
            EXPECT_EQ(d->edtdw_170->text(), u"丙单位"_s);
            d->edtdw_170->setText(u"丙单位（改）"_s);
            // Something moves the cursor while the dialog is open: the edit
            // still lands on the row it was loaded from.
            DM->QryCgwcdw.first();
            d->Button1->click();
        });
        expectSaved();
        p->btnSave01->click();
        EXPECT_EQ(listed(), QStringList({u"1 甲单位"_s, u"2 乙单位"_s, u"2 丙单位（改）"_s}));
        EXPECT_EQ(selected(), u"丙单位（改）"_s);
        // Deleting one of the two deletes that one; the rest read 1..n.
        DM->QryCgwcdw.moveToPosition(1);
        answerDelete(platform::Yes);
        p->Button1->click();
        EXPECT_EQ(listed(), QStringList({u"1 甲单位"_s, u"2 丙单位（改）"_s}));
        // The next new row follows the largest number.
        addThroughDialog(p, u"丁单位"_s, u"3"_s);
        p->quit01->click();
    });
    const QStringList rows = stored();
    EXPECT_EQ(rows.size(), 3);
    EXPECT_TRUE(rows.contains(u". 2 丙单位（改） 郑州市金水区顺河路11号"_s)) << rows.join(u'|').toStdString();
    EXPECT_FALSE(rows.join(u'|').contains(u"乙单位"_s));
}

} // namespace
