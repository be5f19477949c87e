// The appraisal committee list (page 7) and its add/edit dialog, driven
// through the main window's page button over a seeded folder.
#include "data/dm.h"
#include "db/dataset.h"
#include "entry/finto7.h"
#include "entry/fpage7.h"
#include "entry/pages.h"
#include "platform/core/seams.h"
#include "seed_loader.h"
#include "shell/mainform.h"
#include "support/listpagetest.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using testsupport::Fields;

const QString kKey = u"2010000012"_s;
const QString kAddCaption = u"新增－－【评价委员会名单】"_s;
const QString kEditCaption = u"修改－－【评价委员会名单】"_s;

class CommitteeTest : public testsupport::ListPageTest {
protected:
    void SetUp() override
    {
        ListPageTest::SetUp();
        addOrganisation();
        add(u"kjcg"_s, {{u"ITEM_4"_s, kKey}, {u"ITEM_DQDM"_s, u"."_s}, {u"ITEM_CGLB"_s, u"1"_s},
                        {u"ITEM_3"_s, u"高寒地区沥青路面抗裂技术"_s}});
    }
    void member(int number, const QString &post, const QString &name, const QString &rank, const QString &title = u"2"_s)
    {
        add(u"jdwyhmd"_s, {{u"ITEM_4"_s, kKey}, {u"ITEM_DQDM"_s, u"."_s}, {u"ITEM_190"_s, QString::number(number)},
                           {u"ITEM_191"_s, post}, {u"ITEM_192"_s, name}, {u"ITEM_193"_s, u"0"_s},
                           {u"ITEM_194"_s, rank}, {u"ITEM_195"_s, u"长安大学公路学院"_s},
                           {u"ITEM_196"_s, u"道路工程"_s}, {u"ITEM_197"_s, u"路面材料"_s}, {u"ITEM_198"_s, title}});
    }
    void start()
    {
        startWindows();
        showRecord(0, u"2010"_s, kKey);
    }
    // The stored members in file order: "number post name rank title".
    QStringList stored()
    {
        return tableRows(u"jdwyhmd"_s, {u"ITEM_190"_s, u"ITEM_191"_s, u"ITEM_192"_s, u"ITEM_194"_s, u"ITEM_198"_s});
    }
    // The names of the list as the page shows it.
    static QStringList listed()
    {
        db::Dataset &ds = DM->QryJdwyhmd;
        QStringList out;
        const int name = ds.fieldByName(u"ITEM_192"_s).index();
        for (int i = 0; i < ds.recordCount(); ++i)
            out << ds.valueAt(i, name).toString();
        return out;
    }
    static QString selected() { return DM->QryJdwyhmd.fieldByName(u"ITEM_192"_s).asString(); }
    void page(const std::function<void(TFpage7 *)> &driver) { throughPage(MainForm->btn_page07, Fpage7, driver); }
    void dialog(const std::function<void(TFinto7 *)> &driver) { onDialog(u"Finto7"_s, Finto7, driver); }
    void oneChair()
    {
        seams.expectMessage(u"只能有一个主任委员"_s, [](const platform::MessageCall &c) {
            EXPECT_EQ(c.icon, platform::Icon::None);
            return platform::Ok;
        });
    }
    // The user chooses a post (the change handler runs on a user's pick only).
    static void choosePost(TFinto7 *d, const QString &post)
    {
        pick(d->cbwy_191, post);
        emit d->cbwy_191->activated(d->cbwy_191->currentIndex());
    }
    void addThroughDialog(TFpage7 *p, const QString &post, const QString &name, const QString &title = u"3  副高"_s)
    {
        dialog([=, this](TFinto7 *d) {
            EXPECT_EQ(d->windowTitle(), kAddCaption);
            choosePost(d, post);
            d->Edtwy_192->setText(name);
            pick(d->cbwy_193, u"1  女"_s);
            pick(d->cbwy_198, title);
            d->edtwy_195->setText(u"哈尔滨工业大学交通科学与工程学院"_s);
            expectSaved();
            d->Button1->click();
            EXPECT_FALSE(d->isVisible());
        });
        p->Button2->click();
    }
};

TEST_F(CommitteeTest, MembersAreListedByRankInTheOrderTheyWereAdded)
{
    start();
    page([&](TFpage7 *p) {
        EXPECT_EQ(p->windowTitle(), u"成果名称：高寒地区沥青路面抗裂技术"_s);
        EXPECT_EQ(p->size(), QSize(800, 600));
        EXPECT_TRUE(p->windowFlags() & Qt::WindowCloseButtonHint);
        addThroughDialog(p, u"委员"_s, u"刘海"_s);
        addThroughDialog(p, u"副主任委员"_s, u"陈静"_s);
        addThroughDialog(p, u"主任委员"_s, u"王建军"_s, u"a  两院院士"_s);
        addThroughDialog(p, u"委员"_s, u"赵磊"_s, u" "_s);
        addThroughDialog(p, u"副主任委员"_s, u"孙丽"_s);
        EXPECT_EQ(listed(), QStringList({u"王建军"_s, u"陈静"_s, u"孙丽"_s, u"刘海"_s, u"赵磊"_s}));
        EXPECT_EQ(selected(), u"孙丽"_s);   // the member just stored
        // Codes show as their texts in the grid.
        const QModelIndex sex = p->DBGrid3->model()->index(0, 2), title = p->DBGrid3->model()->index(0, 6);
        auto shown = [&](const QModelIndex &i) {
            return static_cast<QStyledItemDelegate *>(p->DBGrid3->itemDelegateForColumn(i.column()))
                ->displayText(i.data(), QLocale());
        };
        EXPECT_EQ(shown(sex), u"  女"_s);
        EXPECT_EQ(shown(title), u"  两院院士"_s);
        p->quit01->click();
    });
    EXPECT_EQ(stored(), QStringList({u"1 委员 刘海 3 3"_s, u"2 副主任委员 陈静 2 3"_s, u"3 主任委员 王建军 1 a"_s,
                                     u"4 委员 赵磊 3 "_s, u"5 副主任委员 孙丽 2 3"_s}));
    EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page07));
    EXPECT_EQ(MainForm->btn_page07->text(), u"评价委员会名单"_s);
}

TEST_F(CommitteeTest, OnlyOneChairIsAllowed)
{
    member(1, u"主任委员"_s, u"王建军"_s, u"1"_s);
    member(2, u"委员"_s, u"刘海"_s, u"3"_s);
    member(3, u"委员"_s, u"赵磊"_s, u"3"_s);
    start();
    page([&](TFpage7 *p) {
        // A second chair: refused when chosen, "委员" stands instead, and
        // the member being edited stays selected although the scan moved.
        DM->QryJdwyhmd.moveToPosition(2);
        dialog([&](TFinto7 *d) {
            EXPECT_EQ(d->windowTitle(), kEditCaption);
            EXPECT_EQ(d->Edtwy_192->text(), u"赵磊"_s);
            oneChair();
            choosePost(d, u"主任委员"_s);
            EXPECT_EQ(d->cbwy_191->currentText(), u"委员"_s);
            EXPECT_EQ(selected(), u"赵磊"_s);
            d->edtwy_197->setText(u"道路检测"_s);
            expectSaved();
            d->Button1->click();
        });
        p->btnSave01->click();
        // The chair choosing "主任委员" again is told the same.
        DM->QryJdwyhmd.first();
        dialog([&](TFinto7 *d) {
            EXPECT_EQ(d->cbwy_191->currentText(), u"主任委员"_s);
            oneChair();
            choosePost(d, u"主任委员"_s);
            EXPECT_EQ(d->cbwy_191->currentText(), u"委员"_s);
            seams.expectMessage(u"记录已更改，是否保存后退出？"_s, platform::No);
            d->Button2->click();
        });
        p->btnSave01->click();
        // A vice-chair is no chair.
        dialog([&](TFinto7 *d) {
            choosePost(d, u"副主任委员"_s);
            EXPECT_EQ(d->cbwy_191->currentText(), u"副主任委员"_s);
            d->Button2->click();
        });
        p->Button2->click();
        p->quit01->click();
    });
    EXPECT_EQ(stored(), QStringList({u"1 主任委员 王建军 1 2"_s, u"2 委员 刘海 3 2"_s, u"3 委员 赵磊 3 2"_s}));
}

TEST_F(CommitteeTest, AnEditLandsOnTheMemberItWasLoadedFrom)
{
    // Imported rows that share a member number: only the position tells
    // them apart, and the chair scan moves the cursor across both.
    member(4, u"主任委员"_s, u"王建军"_s, u"1"_s);
    member(7, u"委员"_s, u"刘海"_s, u"3"_s);
    member(7, u"委员"_s, u"赵磊"_s, u"3"_s);
    start();
    page([&](TFpage7 *p) {
        DM->QryJdwyhmd.moveToPosition(2);
        dialog([&](TFinto7 *d) {
            EXPECT_EQ(d->Edtwy_192->text(), u"赵磊"_s);
            oneChair();
            choosePost(d, u"主任委员"_s);
            DM->QryJdwyhmd.first();   // anything else moving the list
            choosePost(d, u"副主任委员"_s);
            expectSaved();
            d->Button1->click();
        });
        p->btnSave01->click();
        EXPECT_EQ(listed(), QStringList({u"王建军"_s, u"赵磊"_s, u"刘海"_s}));
        p->quit01->click();
    });
    EXPECT_EQ(stored(), QStringList({u"4 主任委员 王建军 1 2"_s, u"7 委员 刘海 3 2"_s, u"7 副主任委员 赵磊 2 2"_s}));
}

TEST_F(CommitteeTest, MemberNumbersContinueFromTheLargestAndAreNeverRenumbered)
{
    member(1, u"委员"_s, u"甲"_s, u"3"_s);
    member(2, u"委员"_s, u"乙"_s, u"3"_s);
    member(5, u"委员"_s, u"丙"_s, u"3"_s);
    start();
    page([&](TFpage7 *p) {
        addThroughDialog(p, u"委员"_s, u"丁"_s);
        DM->QryJdwyhmd.moveToPosition(1);
        answerDelete(platform::Yes);
        p->Button1->click();
        EXPECT_EQ(listed(), QStringList({u"甲"_s, u"丙"_s, u"丁"_s}));
        p->quit01->click();
    });
    EXPECT_EQ(stored(), QStringList({u"1 委员 甲 3 2"_s, u"5 委员 丙 3 2"_s, u"6 委员 丁 3 3"_s}));
}

TEST_F(CommitteeTest, RequiredInputsAndTheCaptionDecideTheSave)
{
    member(1, u"委员"_s, u"刘海"_s, u"3"_s, QString());
    start();
    page([&](TFpage7 *p) {
        dialog([&](TFinto7 *d) {
            // A stored empty title shows as the blank item and is kept.
            EXPECT_EQ(d->cbwy_198->currentText(), u" "_s);
            EXPECT_EQ(d->cbwy_193->currentText(), u"0  男"_s);
            EXPECT_EQ(d->cbwy_193->findText(u" "_s), -1);   // sex has no blank item
            d->Edtwy_192->setText(u"  "_s);
            expectWarning(u"\"姓名\"不能为空！"_s);
            d->Button1->click();
            EXPECT_TRUE(d->isVisible());
            // Any other caption: the save does nothing.
            d->Edtwy_192->setText(u"刘海涛"_s);
            d->setWindowTitle(u"评价委员会名单"_s);
            EXPECT_FALSE(d->save());
            d->setWindowTitle(kEditCaption);
            expectSaved();
            d->Button1->click();
        });
        p->btnSave01->click();
        // The checks in order: post, name, sex, title.
        dialog([&](TFinto7 *d) {
            EXPECT_EQ(d->cbwy_191->currentIndex(), -1);
            EXPECT_EQ(d->cbwy_193->currentIndex(), -1);
            EXPECT_EQ(d->cbwy_198->currentIndex(), -1);
            EXPECT_EQ(d->Edtwy_192->text(), QString());
            expectWarning(u"\"评价委员会职务\"不能为空！"_s);
            d->Button1->click();
            choosePost(d, u"委员"_s);
            expectWarning(u"\"姓名\"不能为空！"_s);
            d->Button1->click();
            d->Edtwy_192->setText(u"陈静"_s);
            expectWarning(u"\"性别\"不能为空！"_s);
            d->Button1->click();
            pick(d->cbwy_193, u"1  女"_s);
            expectWarning(u"\"职称\"不能为空！"_s);
            d->Button1->click();
            pick(d->cbwy_198, u"9  其他"_s);
            expectSaved();
            d->Button1->click();
            EXPECT_FALSE(d->isVisible());
        });
        p->Button2->click();
        p->quit01->click();
    });
    EXPECT_EQ(stored(), QStringList({u"1 委员 刘海涛 3 "_s, u"2 委员 陈静 3 9"_s}));
}

// "Save before leaving?" answered Yes with a check failing: the message, and
// the dialog stays open on the failing field with what was typed.
TEST_F(CommitteeTest, YesToTheLeavingQuestionKeepsARefusedEntry)
{
    start();
    page([&](TFpage7 *p) {
        dialog([&](TFinto7 *d) {
            choosePost(d, u"委员"_s);
            d->Edtwy_192->setText(u"陈静"_s);
            d->edtwy_197->setText(u"道路检测"_s);
            seams.expectMessage(u"记录已更改，是否保存后退出？"_s, platform::Yes);
            expectWarning(u"\"性别\"不能为空！"_s);
            d->Button2->click();
            EXPECT_TRUE(d->isVisible());
            EXPECT_EQ(d->focusWidget(), d->cbwy_193);
            EXPECT_EQ(d->Edtwy_192->text(), u"陈静"_s);
            pick(d->cbwy_193, u"1  女"_s);
            pick(d->cbwy_198, u"9  其他"_s);
            seams.expectMessage(u"记录已更改，是否保存后退出？"_s, platform::Yes);
            expectSaved();
            d->Button2->click();
            EXPECT_FALSE(d->isVisible());
        });
        p->Button2->click();
        p->quit01->click();
    });
    EXPECT_EQ(stored(), QStringList({u"1 委员 陈静 3 9"_s}));
}

TEST_F(CommitteeTest, TwoCharacterTitleCodesKeepTheirMeaning)
{
    // An older dictionary gives the academicians two-character codes.
    add(u"zdxx"_s, {{u"zddm"_s, u"item_198"_s}, {u"xxdm"_s, u"1b"_s}, {u"xxmc"_s, u"中科院院士（旧）"_s}});
    start();
    page([&](TFpage7 *p) {
        addThroughDialog(p, u"主任委员"_s, u"王建军"_s, u"1b  中科院院士（旧）"_s);
        dialog([&](TFinto7 *d) {
            EXPECT_TRUE(d->cbwy_198->currentText().contains(u"中科院院士"_s)) << d->cbwy_198->currentText().toStdString();
            d->Button2->click();   // unchanged: no question
            EXPECT_FALSE(d->isVisible());
        });
        p->btnSave01->click();
        p->quit01->click();
    });
    EXPECT_EQ(stored(), QStringList({u"1 主任委员 王建军 1 b"_s}));
}

TEST_F(CommitteeTest, LeavingMarksThePageOnlyThroughQuitAndAlwaysRecomputesTheCommands)
{
    start();
    TMainForm::setPageComplete(MainForm->btn_page07, false);
    MainForm->btn_page07->setText(u"第七页"_s);
    page([&](TFpage7 *p) {
        MainForm->DBGrid1->setEnabled(true);
        p->close();   // the close box
        EXPECT_FALSE(p->isVisible());
    });
    EXPECT_FALSE(TMainForm::isPageComplete(MainForm->btn_page07));
    EXPECT_EQ(MainForm->btn_page07->text(), u"第七页"_s);
    // The record's other pages are incomplete: the recomputed state locks the list.
    EXPECT_FALSE(MainForm->DBGrid1->isEnabled());
    page([&](TFpage7 *p) {
        MainForm->DBGrid1->setEnabled(true);
        // Quitting an untouched add dialog asks nothing; an empty list may be left.
        dialog([&](TFinto7 *d) { d->Button2->click(); });
        p->Button2->click();
        p->quit01->click();
        EXPECT_FALSE(p->isVisible());
    });
    EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page07));
    EXPECT_EQ(MainForm->btn_page07->text(), u"评价委员会名单"_s);
    EXPECT_FALSE(MainForm->DBGrid1->isEnabled());
}

} // namespace
