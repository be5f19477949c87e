// The organisation page "单位情况", its three text dialogs and its place at
// the main window's first showing, over a seeded data folder.
#include "data/dm.h"
#include "db/dataset.h"
#include "entry/formnew.h"
#include "entry/formtree.h"
#include "forms/gbkvalidator.h"
#include "entry/recordpage.h"
#include "entry/treeflags.h"
#include "organisation/fpage11.h"
#include "organisation/fpage4a.h"
#include "organisation/unittexts.h"
#include "forms/dbgrid.h"
#include "shell/formwel.h"
#include "shell/mainform.h"
#include "support/seededfolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

using testsupport::Cells;

// Fifty double-byte characters: the shortest introduction the page takes.
const QString kIntroduction = u"青岚应用技术研究院创建于一九五八年，是以应用研究为主的综合性科研机构，设有十二个研究所和三个国家级工程中心。"_s.left(50);

Cells completeUnit()
{
    return {{u"item_9"_s, u"青岚应用技术研究院"_s},   {u"item_420"_s, u"40011235-7"_s},
            {u"item_37"_s, u"武汉市洪山区珞喻路129号"_s}, {u"item_38"_s, u"430072"_s},
            {u"item_39"_s, u"027-87654321"_s},          {u"item_40"_s, u"027-87654322"_s},
            {u"item_60"_s, u"www.qlyy.ac.cn"_s},        {u"item_41"_s, u"科技处"_s},
            {u"item_41_2"_s, u"027-87654300"_s},        {u"item_61"_s, u"kjc@qlyy.ac.cn"_s},
            {u"item_62"_s, u"3"_s},                     {u"item_41_3"_s, u"05"_s},
            {u"item_163"_s, u"1"_s},                    {u"item_64"_s, u"42"_s},
            {u"item_124_2"_s, u"0101 ;0302 ;"_s},       {u"item_15_1"_s, u"1101410 ;"_s},
            {u"item_124_1"_s, u"01 ;"_s},               {u"item_15"_s, u"110 ;11014 ;"_s},
            {u"unitintrod"_s, kIntroduction},           {u"advantage"_s, u"集成电路设计与测试"_s},
            {u"studydirec"_s, u"重点发展微电子方向"_s},   {u"unitcode"_s, u"9990001000"_s}};
}

class OrgPageTest : public testsupport::SeededFolderTest {
protected:
    TFpage4a *page = nullptr;

    // Creates the windows in the program's order, wires the page and runs
    // the main window's first showing (unless the test runs it).
    void start(bool firstShowing = true)
    {
        createWindows(data);
        windowsCreated();
        seams.onModal(u"formwel"_s, [](QDialog *) { return 1; });
        if (firstShowing)
            MainForm->FormShow();
    }
    void windowsCreated() override { page = Fpage4a; }
    void startLoaded(const Cells &unit = completeUnit())
    {
        append(u"unit"_s, unit);
        start();
        page->LoadUnitPage();
        page->FormShow();
    }
    QString stored(const QString &field)
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(u"unit"_s);
        t.open();
        return t.isEmpty() ? u"<no row>"_s : t.fieldByName(field).asString();
    }
    void expectQuestion(int answer)
    {
        seams.expectMessage(u"记录已经更改,是否保存？"_s, [answer](const platform::MessageCall &c) {
            EXPECT_EQ(c.caption, u"请注意！"_s);
            EXPECT_EQ(c.buttons, platform::Yes | platform::No);
            return answer;
        });
    }
    void expectEndQuestion(int answer)
    {
        seams.expectMessage(u"是否退出本程序"_s, [answer](const platform::MessageCall &c) {
            EXPECT_EQ(c.caption, AppTitle);
            EXPECT_EQ(c.icon, platform::Icon::Question);
            EXPECT_EQ(c.buttons, platform::Yes | platform::No);
            return answer;
        });
    }
    static void pick(QComboBox *c, const QString &code)
    {
        for (int i = 0; i < c->count(); ++i)
            if (codePart(c->itemText(i)) == code) {
                c->setCurrentIndex(i);
                emit c->activated(i);
                return;
            }
        FAIL() << "no code " << code.toStdString();
    }
    // Valid entries as an officer types them on an empty page.
    void fillValid()
    {
        page->edt_9->setText(u"青岚应用技术研究院"_s);
        page->Edt_37->setText(u"武汉市洪山区珞喻路129号"_s);
        page->Edt_38->setText(u"430072"_s);
        page->Edt_39->setText(u"027-87654321"_s);
        page->Edt_40->setText(u"027-87654322"_s);
        page->Memo3->setPlainText(kIntroduction);
        page->Edt_41->setText(u"科技处"_s);
        page->Edt_41_2->setText(u"027-87654300"_s);
    }
    QStringList slotTexts(int list)
    {
        QStringList out;
        for (QLineEdit *e : page->lists[list].edits)
            out << e->text();
        return out;
    }
};

// ---------------------------------------------------------------------------
// Stored forms of the code lists and the postcode

TEST(OrgCodeLists, PackAndUnpack)
{
    // Code items, gaps, a typed code without a name, blanks only.
    EXPECT_EQ(PackCodeTexts({u"0101  微电子技术"_s, u""_s, u" 0302 "_s, u"   "_s}), u"0101 ;0302 ;"_s);
    EXPECT_EQ(PackCodeTexts({u"11014"_s}), u"11014 ;"_s);
    EXPECT_EQ(PackCodeTexts({}), QString());
    EXPECT_EQ(UnpackCodeList(u"0101 ;0302 ;"_s), (QStringList{u"0101"_s, u"0302"_s}));
    EXPECT_EQ(UnpackCodeList(u";0302 ;"_s), (QStringList{QString(), u"0302"_s}));
    EXPECT_EQ(UnpackCodeList(u"0101 ;03"_s), (QStringList{u"0101"_s})) << "a cut entry is not taken";
    EXPECT_EQ(UnpackCodeList(QString()), QStringList());
    EXPECT_EQ(UnpackCodeList(u"1 ;2 ;3 ;4 ;5 ;6 ;7 ;8 ;9 ;10 ;11 ;"_s).size(), 10);
    // Round trip.
    const QStringList texts{u"0101  微电子技术"_s, u"0302"_s};
    EXPECT_EQ(UnpackCodeList(PackCodeTexts(texts)), (QStringList{u"0101"_s, u"0302"_s}));
}

TEST(OrgCodeLists, PostcodeIsSixDigits)
{
    EXPECT_TRUE(IsPostcode(u"430072"_s));
    for (const QString &bad : {u"$1E240"_s, u"-12345"_s, u"+12345"_s, u" 43007"_s, u"43007"_s, u"4300721"_s,
                               u"４３００７２"_s})
        EXPECT_FALSE(IsPostcode(bad)) << bad.toStdString();
}

// ---------------------------------------------------------------------------
// Load

TEST_F(OrgPageTest, LoadShowsTheStoredRow)
{
    startLoaded();
    EXPECT_EQ(page->edt_9->text(), u"青岚应用技术研究院"_s);
    EXPECT_EQ(page->edt_420->text(), u"40011235-7"_s);
    EXPECT_EQ(page->Edt_61->text(), u"kjc@qlyy.ac.cn"_s);
    EXPECT_EQ(page->Memo3->toPlainText(), kIntroduction);
    EXPECT_EQ(page->Memo1->toPlainText(), u"重点发展微电子方向"_s);
    EXPECT_EQ(comboCode(page->cb_62), u"3"_s);
    EXPECT_EQ(comboCode(page->CB_41_3), u"05"_s);
    EXPECT_EQ(comboCode(page->cb_64), u"42"_s);
    EXPECT_TRUE(page->CB_41_3->isEnabled());
    EXPECT_TRUE(page->cb_163->isChecked());
    for (QComboBox *c : {page->cb_62, page->CB_41_3, page->cb_64})
        EXPECT_NE(c->itemText(c->count() - 1), u" "_s) << "no blank item";
    EXPECT_EQ(slotTexts(0).mid(0, 3), (QStringList{u"0101  微电子技术"_s, u"0302  空中管制技术"_s, QString()}));
    EXPECT_EQ(slotTexts(1).first(), u"1101410  演绎逻辑学"_s);
    EXPECT_EQ(slotTexts(3).mid(0, 2), (QStringList{u"110  数学"_s, u"11014  数理逻辑与数学基础"_s}));
    EXPECT_EQ(slotTexts(2).join(QString()), u"01  电子信息"_s);
    EXPECT_TRUE(page->Edit1->text().isEmpty()) << "showing empties the marker";
}

TEST_F(OrgPageTest, LoadWithoutRowLeavesEverythingEmpty)
{
    seams.onModal(u"Fpage4a"_s, [this](QDialog *) {
        EXPECT_TRUE(page->edt_9->text().isEmpty());
        for (QComboBox *c : {page->cb_62, page->CB_41_3, page->cb_64})
            EXPECT_EQ(c->currentIndex(), -1);
        EXPECT_FALSE(page->CB_41_3->isEnabled());
        for (int n = 0; n < 40; ++n)
            EXPECT_TRUE(page->codeEdit(n)->text().isEmpty());
        EXPECT_TRUE(page->windowFlags() & Qt::CustomizeWindowHint);
        EXPECT_FALSE(page->windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_EQ(page->size(), QSize(800, 600));
        return 0;
    });
    start();
}

// Slots a shorter list does not reach are emptied; ";" alone empties its
// slot; a quote or "*" in a stored code is looked up as written.
TEST_F(OrgPageTest, UnpackEmptiesStaleSlotsAndTakesCodesLiterally)
{
    startLoaded();
    page->lists[0].edits[5]->setText(u"旧内容"_s);
    DM->Tblunit.edit();
    DM->Tblunit.fieldByName(u"item_124_2"_s).setAsString(u";0101 ;01'9 ;01* ;"_s);
    DM->Tblunit.post();
    page->LoadUnitPage();
    EXPECT_EQ(slotTexts(0), (QStringList{QString(), u"0101  微电子技术"_s, u"01'9"_s, u"01*"_s, QString(), QString(),
                                         QString(), QString(), QString(), QString()}));
    // An unknown code survives a save.
    page->FormShow();
    expectWarning(u"储存成功！"_s);
    page->btnSave01->click();
    EXPECT_EQ(stored(u"item_124_2"_s), u"0101 ;01'9 ;01* ;"_s);
}

// ---------------------------------------------------------------------------
// Checks

TEST_F(OrgPageTest, ChecksRunInScreenOrderWithExactMessages)
{
    seams.onModal(u"Fpage4a"_s, [](QDialog *) { return 0; });   // a half row: the page comes first
    startLoaded({{u"item_9"_s, u"旧名称"_s}});
    page->show();
    fillValid();
    struct Rule {
        std::function<void()> breakIt;
        QString message;
        QWidget *focus;
    };
    const QList<Rule> rules = {
        {[&] { page->Edt_41_2->clear(); }, u"\"联系部门电话\"不能为空！"_s, page->Edt_41_2},
        {[&] { page->Edt_41->clear(); }, u"\"联系部门\"不能为空！"_s, page->Edt_41},
        {[&] { page->Memo3->setPlainText(kIntroduction.left(49) + u"   "_s); }, u"\"单位简介\"内容不得小于50字！"_s, page->Memo3},
        {[&] { page->Memo3->clear(); }, u"\"单位简介\"不能为空！"_s, page->Memo3},
        {[&] { page->Edt_40->clear(); }, u"\"单位传真\"不能为空！"_s, page->Edt_40},
        {[&] { page->Edt_39->clear(); }, u"\"单位电话\"不能为空！"_s, page->Edt_39},
        {[&] { page->Edt_38->setText(u"4300a7"_s); }, u"\"邮政编码\"必须为数字！"_s, page->Edt_38},
        {[&] { page->Edt_38->setText(u"43007"_s); }, u"\"邮政编码\"应该为6位数字！"_s, page->Edt_38},
        {[&] { page->Edt_38->clear(); }, u"\"邮政编码\"不能为空！"_s, page->Edt_38},
        {[&] { page->Edt_37->clear(); }, u"\"通讯地址\"不能为空！"_s, page->Edt_37},
        {[&] { page->edt_9->clear(); }, u"\"单位名称\"不能为空！"_s, page->edt_9},
    };
    for (const Rule &r : rules) {
        r.breakIt();
        expectWarning(r.message);
        page->btnSave01->click();
        EXPECT_EQ(page->focusWidget(), r.focus) << r.message.toStdString();
        EXPECT_EQ(stored(u"item_9"_s), u"旧名称"_s) << "nothing written: " << r.message.toStdString();
        EXPECT_EQ(DM->Tblunit.state(), db::DatasetState::Browse);
    }
    // Fifty characters pass, blanks count as text for the emptiness rules.
    fillValid();
    page->edt_9->setText(u"   "_s);
    page->Memo3->setPlainText(kIntroduction);
    EXPECT_TRUE(page->passesChecks());
    for (const QString &bad : {u"$1E240"_s, u"-12345"_s}) {
        page->Edt_38->setText(bad);
        expectWarning(u"\"邮政编码\"必须为数字！"_s);
        page->btnSave01->click();
    }
}

// Ten typed codes would need 120 bytes: the save is refused whole instead
// of cutting the list inside an entry; so is the save without checks.
TEST_F(OrgPageTest, OverlongCodeListIsRefused)
{
    startLoaded();
    for (QLineEdit *e : page->lists[0].edits)
        e->setText(u"0101010101"_s);
    const QString message = u"\"研究领域\"所填代码过多，合计不能超过100个字符！"_s;
    expectWarning(message);
    page->btnSave01->click();
    EXPECT_EQ(page->focusWidget(), page->lists[0].edits[0]);
    seams.expectMessage(message, [](const platform::MessageCall &c) {
        EXPECT_EQ(c.caption, u"提示"_s);
        EXPECT_EQ(c.buttons, platform::Ok);
        return platform::Ok;
    });
    page->Button2Click();
    EXPECT_EQ(stored(u"item_124_2"_s), u"0101 ;0302 ;"_s);
    EXPECT_EQ(DM->Tblunit.state(), db::DatasetState::Browse);
    // Eight of them fit (96 bytes).
    page->lists[0].edits[8]->clear();
    page->lists[0].edits[9]->clear();
    expectWarning(u"储存成功！"_s);
    page->btnSave01->click();
    EXPECT_EQ(stored(u"item_124_2"_s), u"0101010101 ;"_s.repeated(8));
}

TEST_F(OrgPageTest, EveryEditIsLimitedToItsFieldWidth)
{
    startLoaded();
    const QList<QPair<QLineEdit *, int>> widths = {
        {page->edt_9, 140}, {page->edt_420, 10}, {page->Edt_37, 100}, {page->Edt_38, 6},   {page->Edt_39, 30},
        {page->Edt_40, 30}, {page->Edt_60, 100}, {page->Edt_41, 20},  {page->Edt_41_2, 30}, {page->Edt_61, 80}};
    for (const auto &[edit, bytes] : widths) {
        auto *v = qobject_cast<const GbkLengthValidator *>(edit->validator());
        ASSERT_TRUE(v) << edit->objectName().toStdString();
        EXPECT_EQ(v->maxBytes(), bytes) << edit->objectName().toStdString();
        edit->clear();
        edit->setFocus();
        edit->insert(QString(bytes / 2 + 1, QChar(0x79d1)));   // one double-byte character too many
        EXPECT_EQ(edit->text(), QString(bytes / 2, QChar(0x79d1))) << edit->objectName().toStdString();
    }
    for (int n = 0; n < 40; ++n)
        EXPECT_TRUE(qobject_cast<const GbkLengthValidator *>(page->codeEdit(n)->validator())) << n;
}

// The short items show all they may hold, without scrolling: a full
// department, organisation code and postcode.
TEST_F(OrgPageTest, ShortItemsShowAllTheyHold)
{
    startLoaded();
    page->show();
    QCoreApplication::processEvents();
    const QList<QPair<QLineEdit *, QString>> full = {{page->Edt_41, QString(10, QChar(0x79d1))},
                                                     {page->edt_420, u"40011235-7"_s},
                                                     {page->Edt_38, u"888888"_s}};
    for (const auto &[edit, text] : full) {
        edit->setText(text);
        // The frame and the edit's own margins take a few pixels each side.
        EXPECT_LE(edit->fontMetrics().horizontalAdvance(text), edit->width() - 10)
            << edit->objectName().toStdString() << " is " << edit->width() << " wide";
    }
    page->hide();
}

// ---------------------------------------------------------------------------
// Save

TEST_F(OrgPageTest, SaveWritesTheStoredForms)
{
    seams.onModal(u"Fpage4a"_s, [this](QDialog *) {
        fillValid();
        page->edt_9->setText(u"  青岚应用技术研究院 "_s);
        page->edt_420->setText(u"40011235-7"_s);
        pick(page->cb_62, u"3"_s);
        pick(page->CB_41_3, u"06"_s);
        page->cb_163->setChecked(false);
        pick(page->cb_64, u"42"_s);
        page->lists[0].edits[0]->setText(u"0101  微电子技术"_s);
        page->lists[0].edits[2]->setText(u"0302  空中管制技术"_s);
        page->lists[3].edits[4]->setText(u"11014"_s);   // typed, no blank
        expectWarning(u"储存成功！"_s);
        page->btnSave01->click();
        EXPECT_TRUE(page->Edit1->text().isEmpty());
        page->quit01->click();   // saved: no question
        return 1;
    });
    start();
    EXPECT_EQ(stored(u"item_9"_s), u"青岚应用技术研究院"_s);
    EXPECT_EQ(stored(u"item_62"_s), u"3"_s);
    EXPECT_EQ(stored(u"item_41_3"_s), u"06"_s);
    EXPECT_EQ(stored(u"item_163"_s), u"0"_s);
    EXPECT_EQ(stored(u"item_64"_s), u"42"_s);
    EXPECT_EQ(stored(u"item_124_2"_s), u"0101 ;0302 ;"_s);
    EXPECT_EQ(stored(u"item_15"_s), u"11014 ;"_s);
    EXPECT_EQ(stored(u"item_124_1"_s), QString());
    EXPECT_EQ(stored(u"unitcode"_s), u"9990001000"_s);
    EXPECT_EQ(stored(u"unitlevel"_s), u"1"_s);
    EXPECT_EQ(stored(u"endlevel"_s), u"1"_s);
    EXPECT_EQ(stored(u"chiefexper"_s), u"   9999999999"_s);
    EXPECT_EQ(stored(u"unitintrod"_s), kIntroduction);
    // The organisation is in: the record commands are on.
    EXPECT_TRUE(MainForm->Button1->isEnabled());
    // The typed code comes back, the codes close up.
    page->LoadUnitPage();
    EXPECT_EQ(slotTexts(0).mid(0, 3), (QStringList{u"0101  微电子技术"_s, u"0302  空中管制技术"_s, QString()}));
    EXPECT_EQ(slotTexts(3).first(), u"11014  数理逻辑与数学基础"_s);
}

TEST_F(OrgPageTest, EnterpriseDetailsFollowTheAttribute)
{
    startLoaded();
    pick(page->cb_62, u"1"_s);
    EXPECT_FALSE(page->cb_163->isChecked());
    EXPECT_FALSE(page->cb_163->isEnabled());
    EXPECT_EQ(page->CB_41_3->count(), 0);
    expectWarning(u"储存成功！"_s);
    page->btnSave01->click();
    EXPECT_EQ(stored(u"item_62"_s), u"1"_s);
    EXPECT_EQ(stored(u"item_41_3"_s), QString());
    EXPECT_EQ(stored(u"item_163"_s), QString());
    pick(page->cb_62, u"3"_s);
    EXPECT_TRUE(page->CB_41_3->isEnabled());
    EXPECT_EQ(page->CB_41_3->currentIndex(), -1);
    page->cb_163->setChecked(true);
    expectWarning(u"储存成功！"_s);
    page->btnSave01->click();
    EXPECT_EQ(stored(u"item_41_3"_s), QString());
    EXPECT_EQ(stored(u"item_163"_s), u"1"_s);
}

// ---------------------------------------------------------------------------
// Leaving and unsaved changes

TEST_F(OrgPageTest, EveryShownItemCountsAsAChange)
{
    startLoaded();
    const QList<std::function<void()>> changes = {
        [&] { page->edt_420->setText(u"40011235-8"_s); },
        [&] { pick(page->CB_41_3, u"01"_s); },
        [&] { page->cb_163->setChecked(false); },
        [&] { page->Memo1->setPlainText(u"新的补充说明"_s); },
        [&] { page->Memo2->setPlainText(u"新的研发优势"_s); },
        [&] { page->Memo3->setPlainText(kIntroduction + u"另设博士后工作站。"_s); },
        [&] { page->Edt_61->setText(u"office@qlyy.ac.cn"_s); },
        [&] { page->lists[2].edits[1]->setText(u"02  软件"_s); },
    };
    EXPECT_TRUE(page->UnitUnchanged());
    for (int i = 0; i < changes.size(); ++i) {
        page->LoadUnitPage();
        page->FormShow();
        changes[i]();
        EXPECT_FALSE(page->UnitUnchanged()) << "change " << i;
    }
}

// A new introduction saved in its dialog reaches the table through the
// save question on leaving; the notes dialog stores at once.
TEST_F(OrgPageTest, TextDialogsAndTheSaveQuestion)
{
    startLoaded();
    seams.onModal(u"formunitintrod"_s, [](QDialog *d) {
        auto *dlg = static_cast<Tformunitintrod *>(d);
        EXPECT_EQ(dlg->Memo1->toPlainText(), kIntroduction);
        dlg->Memo1->setPlainText(kIntroduction + u"现有职工一千二百人。"_s);
        dlg->Button1->click();
        EXPECT_TRUE(dlg->isVisible()) << "stays open after saving";
        dlg->Button2->click();
        return 0;
    });
    page->Memo3Click();
    EXPECT_EQ(stored(u"unitintrod"_s), kIntroduction) << "the introduction waits for the page's save";
    seams.onModal(u"Formstudy"_s, [](QDialog *d) {
        static_cast<TFormstudy *>(d)->Memo1->setPlainText(u"拟拓展物联网方向"_s);
        static_cast<TFormstudy *>(d)->Button1->click();
        return 0;
    });
    page->Memo1Click();
    EXPECT_EQ(stored(u"studydirec"_s), u"拟拓展物联网方向"_s);
    EXPECT_EQ(page->Memo1->toPlainText(), u"拟拓展物联网方向"_s);

    expectQuestion(platform::Yes);
    expectWarning(u"储存成功！"_s);
    page->quit01Click();
    EXPECT_EQ(stored(u"unitintrod"_s), kIntroduction + u"现有职工一千二百人。"_s);
}

TEST_F(OrgPageTest, DropDownRaisesItsOwnFlagAndMarksTheChange)
{
    startLoaded();
    seams.onModal(u"FormTree"_s, [](QDialog *) {
        for (int n = 0; n < 40; ++n)
            EXPECT_EQ(TreeFlagsPage4a[n], n == 32) << n;
        TreeEditsPage4a[32]->setText(u"1101420  证明论"_s);
        return 1;
    });
    page->findChild<QToolButton *>(u"cb_15_3"_s)->click();
    EXPECT_EQ(page->findChild<QLineEdit *>(u"edt_15_3"_s)->text(), u"1101420  证明论"_s);
    EXPECT_EQ(page->Edit1->text(), u"item_15_3"_s);
    EXPECT_EQ(TreeEditsPage4a[0]->objectName(), u"edt_124_2_1"_s);
    EXPECT_EQ(TreeEditsPage4a[19]->objectName(), u"edt_15_1_10"_s);
    EXPECT_EQ(TreeEditsPage4a[39]->objectName(), u"edt_15_10"_s);
}

// "学科带头人情况" stores what the page holds without checks, then opens the
// leaders of the organisation's unit code.
TEST_F(OrgPageTest, LeadersButtonSavesWithoutChecks)
{
    append(u"unitexpert"_s, {{u"unitcode"_s, u"9990001000"_s}, {u"item_187"_s, u"张明远"_s}});
    append(u"unitexpert"_s, {{u"unitcode"_s, u"1234567890"_s}, {u"item_187"_s, u"李华"_s}});
    startLoaded();
    page->Edt_38->setText(u"43"_s);
    seams.onModal(u"Fpage11"_s, [](QDialog *) {
        EXPECT_EQ(DM->Tblexpert.recordCount(), 1);
        EXPECT_EQ(DM->Tblexpert.fieldByName(u"item_187"_s).asString(), u"张明远"_s);
        return 0;
    });
    page->BitBtndtr->click();
    EXPECT_EQ(stored(u"item_38"_s), u"43"_s);
}

// ---------------------------------------------------------------------------
// The first start and the main window's commands

TEST_F(OrgPageTest, FirstStartAsksForTheOrganisationAndKeepsCommandsOffWhileEmpty)
{
    seams.onModal(u"Fpage4a"_s, [this](QDialog *) {
        // Every close request asks whether to end the program; No stays
        // on the first field the checks miss.
        expectEndQuestion(platform::No);
        page->quit01->click();
        EXPECT_TRUE(page->isVisible());
        EXPECT_EQ(page->focusWidget(), page->edt_9);
        expectEndQuestion(platform::No);
        page->close();
        EXPECT_TRUE(page->isVisible());
        page->edt_9->setText(u"青岚应用技术研究院"_s);
        expectEndQuestion(platform::No);
        page->reject();
        EXPECT_TRUE(page->isVisible());
        EXPECT_EQ(page->focusWidget(), page->Edt_37);
        fillValid();
        expectQuestion(platform::No);
        page->quit01->click();   // valid but not stored: may leave
        EXPECT_FALSE(page->isVisible());
        return 1;
    });
    start();
    EXPECT_FALSE(MainForm->startEnded());
    EXPECT_EQ(stored(u"item_9"_s), u"<no row>"_s);
    for (QWidget *w : QList<QWidget *>{MainForm->Button1, MainForm->Button5, MainForm->btn_page01, MainForm->DBGrid1,
                                       MainForm->cbYear})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_TRUE(MainForm->Button2->isEnabled());
    // The status line says why, and where to go.
    EXPECT_EQ(MainForm->StatusBar1->text(), NoOrganisationHint);
    EXPECT_TRUE(NoOrganisationHint.contains(u"“单位情况”"_s));
    // Opened through "单位情况" with nothing stored, the page may be left
    // unfilled after a question, writing nothing.
    seams.onModal(u"Fpage4a"_s, [this](QDialog *) {
        const auto leaveQuestion = [this](int answer) {
            seams.expectMessage(u"单位情况尚未填写完整，现在退出将不储存任何内容"_s, [answer](const platform::MessageCall &c) {
                EXPECT_EQ(c.caption, u"请注意！"_s);
                EXPECT_EQ(c.buttons, platform::Yes | platform::No);
                return answer;
            });
        };
        page->Edt_37->setText(u"武汉市洪山区珞喻路129号"_s);
        leaveQuestion(platform::No);
        page->quit01->click();
        EXPECT_TRUE(page->isVisible());
        EXPECT_EQ(page->focusWidget(), page->edt_9);
        leaveQuestion(platform::Yes);
        page->reject();
        EXPECT_FALSE(page->isVisible());
        return 0;
    });
    MainForm->Button2Click();
    EXPECT_EQ(stored(u"item_9"_s), u"<no row>"_s);
    EXPECT_FALSE(MainForm->Button1->isEnabled());
    EXPECT_EQ(MainForm->StatusBar1->text(), NoOrganisationHint);
    // Entered later through "单位情况": the commands come on as it closes.
    seams.onModal(u"Fpage4a"_s, [this](QDialog *) {
        EXPECT_TRUE(page->edt_9->text().isEmpty()) << "loaded afresh";
        fillValid();
        expectQuestion(platform::Yes);
        expectWarning(u"储存成功！"_s);
        page->quit01->click();
        return 1;
    });
    MainForm->Button2Click();
    EXPECT_TRUE(MainForm->Button1->isEnabled());
    EXPECT_TRUE(MainForm->btn_page01->isEnabled());
    EXPECT_EQ(MainForm->StatusBar1->text(), QString());
}

// Ending the program at the first start, by any close request, writes
// nothing and ends the start before the main window appears; the next
// start asks again.
TEST_F(OrgPageTest, FirstStartMayBeEndedWritingNothing)
{
    const std::function<void(TFpage4a *)> requests[] = {
        [](TFpage4a *p) { p->quit01->click(); },
        [](TFpage4a *p) { p->close(); },
        [](TFpage4a *p) { QTest::keyClick(p, Qt::Key_Escape); },
    };
    for (const auto &request : requests) {
        seams.onModal(u"Fpage4a"_s, [&](QDialog *) {
            page->edt_9->setText(u"青岚应用技术研究院"_s);
            page->Memo2->setPlainText(u"集成电路设计与测试"_s);
            expectEndQuestion(platform::Yes);
            request(page);
            EXPECT_FALSE(page->isVisible());
            return 0;
        });
        start(false);
        EXPECT_FALSE(showMainWindow());
        EXPECT_TRUE(MainForm->startEnded());
        EXPECT_FALSE(MainForm->isVisible());
        EXPECT_EQ(stored(u"item_9"_s), u"<no row>"_s);
        closeWindows();
        Fpage4a = nullptr;
    }
}

// A row that exists but fails the page's checks (written half by an older
// copy, or by the leaders button) is no organisation: the page comes first
// and does not let go until the row is complete.  The text dialogs write
// no row of their own.
TEST_F(OrgPageTest, HalfFilledRowKeepsThePageUntilItIsComplete)
{
    append(u"unit"_s, {{u"advantage"_s, u"集成电路设计与测试"_s}});
    seams.onModal(u"Fpage4a"_s, [this](QDialog *) {
        EXPECT_EQ(page->Memo2->toPlainText(), u"集成电路设计与测试"_s);
        fillValid();
        expectQuestion(platform::No);
        expectEndQuestion(platform::No);   // left unsaved: end the program, or stay
        page->quit01->click();
        EXPECT_TRUE(page->isVisible());
        expectQuestion(platform::Yes);
        expectWarning(u"储存成功！"_s);
        page->reject();          // Escape goes through "退出"
        EXPECT_FALSE(page->isVisible());
        return 1;
    });
    start();
    EXPECT_TRUE(UnitRowComplete());
    EXPECT_EQ(stored(u"unitcode"_s), u"9990001000"_s);
    EXPECT_TRUE(MainForm->Button1->isEnabled());
    EXPECT_TRUE(MainForm->btn_page01->isEnabled());
}

// Later, from "单位情况": a row the leaders button stored half keeps the
// page until it is complete (no end of the program offered there).
TEST_F(OrgPageTest, FromItsButtonAHalfStoredRowKeepsThePage)
{
    append(u"unit"_s, completeUnit());
    start();
    Fpage11 = new TFpage11(MainForm);
    seams.onModal(u"Fpage4a"_s, [this](QDialog *) {
        page->Edt_38->clear();
        seams.onModal(u"Fpage11"_s, [](QDialog *) { return 0; });
        page->BitBtndtr->click();            // stored without checks
        EXPECT_FALSE(UnitRowComplete());
        page->Edt_38->setText(u"430072"_s);
        expectQuestion(platform::No);
        expectWarning(u"单位情况尚未完整储存，请填写完整并储存后再退出！"_s);
        page->quit01->click();
        EXPECT_TRUE(page->isVisible());
        expectQuestion(platform::Yes);
        expectWarning(u"储存成功！"_s);
        page->quit01->click();
        EXPECT_FALSE(page->isVisible());
        return 1;
    });
    MainForm->Button2Click();
    EXPECT_FALSE(MainForm->startEnded());
    EXPECT_TRUE(UnitRowComplete());
}

// From "单位情况" with nothing stored at its opening, a half row the
// leaders button stored does not keep the page: it may be left as it is.
TEST_F(OrgPageTest, FromItsButtonWithNothingStoredTheLeadersButtonDoesNotLockThePage)
{
    seams.onModal(u"Fpage4a"_s, [this](QDialog *) {
        fillValid();
        expectQuestion(platform::No);
        page->quit01->click(); // valid but not stored
        return 1;
    });
    start();
    ASSERT_EQ(stored(u"item_9"_s), u"<no row>"_s);
    Fpage11 = new TFpage11(MainForm);
    const auto leaveQuestion = [this](int answer) {
        seams.expectMessage(u"单位情况尚未填写完整，现在退出将不储存任何内容"_s,
                            [answer](const platform::MessageCall &) { return answer; });
    };
    seams.onModal(u"Fpage4a"_s, [&](QDialog *) {
        page->edt_9->setText(u"青岚应用技术研究院"_s);
        seams.onModal(u"Fpage11"_s, [](QDialog *) { return 0; });
        page->BitBtndtr->click(); // stored without checks
        EXPECT_EQ(stored(u"item_9"_s), u"青岚应用技术研究院"_s);
        page->Edt_37->setText(u"武汉市洪山区珞喻路129号"_s);
        leaveQuestion(platform::No);
        page->quit01->click();
        EXPECT_TRUE(page->isVisible());
        leaveQuestion(platform::Yes);
        page->reject();
        EXPECT_FALSE(page->isVisible());
        return 0;
    });
    MainForm->Button2Click();
    EXPECT_EQ(stored(u"item_37"_s), QString()) << "leaving wrote nothing";
    EXPECT_FALSE(MainForm->Button1->isEnabled());
    EXPECT_FALSE(MainForm->startEnded());
}

TEST_F(OrgPageTest, TextDialogsWriteNoRowBeforeThePage)
{
    seams.onModal(u"Fpage4a"_s, [this](QDialog *) {
        for (const QString &name : {u"formadvantage"_s, u"Formstudy"_s})
            seams.onModal(name, [](QDialog *d) {
                static_cast<UnitTextDialog *>(d)->Memo1->setPlainText(u"集成电路设计与测试"_s);
                static_cast<UnitTextDialog *>(d)->Button1->click();
                return 0;
            });
        page->Memo2Click();
        page->Memo1Click();
        EXPECT_EQ(stored(u"advantage"_s), u"<no row>"_s);
        EXPECT_EQ(page->Memo2->toPlainText(), u"集成电路设计与测试"_s);
        EXPECT_EQ(page->Memo1->toPlainText(), u"集成电路设计与测试"_s);
        fillValid();
        expectQuestion(platform::Yes);
        expectWarning(u"储存成功！"_s);
        page->quit01->click();
        return 1;
    });
    start();
    EXPECT_EQ(stored(u"advantage"_s), u"集成电路设计与测试"_s);
    EXPECT_EQ(stored(u"studydirec"_s), u"集成电路设计与测试"_s);
}

// Leaving the page from "单位情况" leaves the lock of an incomplete current
// record in place.
TEST_F(OrgPageTest, LeavingKeepsTheLockOfAnIncompleteRecord)
{
    append(u"kjcg"_s, {{u"ITEM_4"_s, u"2009000001"_s},
                       {u"ITEM_DQDM"_s, u"."_s},
                       {u"ITEM_CGLB"_s, u"1"_s},
                       {u"ITEM_3"_s, u"高效低噪声离心风机研制"_s}});
    startLoaded();
    seams.expectMessage(u"当前项目有未完成栏目"_s, platform::Ok);
    MainForm->DBGrid1CellClick();
    ASSERT_FALSE(MainForm->Button1->isEnabled());
    seams.onModal(u"Fpage4a"_s, [this](QDialog *) {
        page->quit01->click();
        return 1;
    });
    MainForm->Button2Click();
    EXPECT_FALSE(MainForm->Button1->isEnabled());
    EXPECT_FALSE(MainForm->BitBtn2->isEnabled());
    EXPECT_TRUE(MainForm->btn_page01->isEnabled());
}

} // namespace
