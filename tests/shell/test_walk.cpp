// A new officer's first session, end to end through the real windows over a
// fresh data folder: the organisation page at the first start, a new
// applied-technology record locked until its required pages are filled,
// every page and list filled in turn, and a second start that finds it all
// again.  Every message box is answered and every modal window worked by
// the test, as the person at the screen would.
//
// With SORVEL_WALK_SHOTS naming a folder, each window is saved there as a
// PNG as it is filled, numbered in walk order.
#include "data/dm.h"
#include "db/dataset.h"
#include "entry/finto5.h"
#include "entry/finto6.h"
#include "entry/finto7.h"
#include "entry/finto8.h"
#include "entry/formnew.h"
#include "entry/formtree.h"
#include "entry/fpage1.h"
#include "entry/fpage2.h"
#include "entry/fpage3.h"
#include "entry/fpage4.h"
#include "entry/fpage5.h"
#include "entry/fpage6.h"
#include "entry/fpage7.h"
#include "entry/fpage8.h"
#include "entry/fpage9.h"
#include "entry/help.h"
#include "entry/recordpage.h"
#include "organisation/fpage4a.h"
#include "organisation/unittexts.h"
#include "forms/dbgrid.h"
#include "shell/mainform.h"
#include "app/startup.h"
#include "support/seededfolder.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

// The officer's own organisation, named as no data delivered with the
// program names one: the new-record dialog must propose it from the
// organisation page, and page 4 fill from it.
const QString kOrg = u"江汉平原农业机械研究所"_s;
const QString kName = u"高效低噪声离心风机研制"_s;
const QString kKey = u"2024000001"_s;
const QString kIntroduction =
    u"青岚应用技术研究院创建于一九五八年，是以应用研究为主的综合性科研机构，设有十二个研究所和三个国家级工程中心，"
    u"现有职工一千二百人。"_s;

class WalkTest : public testsupport::SeededFolderTest {
protected:
    int m_shot = 0;

    void SetUp() override
    {
        SeededFolderTest::SetUp();
        HelpWindow::setTextFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/help"));
    }
    void TearDown() override
    {
        HelpWindow::setTextFolder(QString());
        SeededFolderTest::TearDown();
    }

    // The program's start: the windows in their order, the first showing
    // (the splash answered), the main window on screen.
    void startProgram()
    {
        seams.onModal(u"formwel"_s, [this](QDialog *d) {
            shot(d, u"splash"_s);
            return 1;
        });
        createWindows(data);
        MainForm->FormShow();
        MainForm->show();
    }

    // Saves the window as the next numbered PNG when a folder is named.
    void shot(QWidget *w, const QString &name)
    {
        const QString folder = qEnvironmentVariable("SORVEL_WALK_SHOTS");
        ++m_shot;
        if (folder.isEmpty())
            return;
        QDir().mkpath(folder);
        const QString file = folder + u"/%1-%2.png"_s.arg(m_shot, 2, 10, QLatin1Char('0')).arg(name);
        EXPECT_TRUE(w->grab().save(file)) << file.toStdString();
    }

    // The next modal showing of `name` is worked by `work`.
    void onModal(const QString &name, std::function<void()> work)
    {
        seams.onModal(name, [work = std::move(work)](QDialog *) {
            work();
            return int(QDialog::Accepted);
        });
    }
    void expectSaved()
    {
        seams.expectMessage(u"储存成功！"_s, [](const platform::MessageCall &c) {
            EXPECT_EQ(c.text, u"储存成功！"_s);
            return platform::Ok;
        });
    }

    // The user picks the item of a code.
    static void pick(QComboBox *c, const QString &code)
    {
        for (int i = 0; i < c->count(); ++i)
            if (codePart(c->itemText(i)) == code) {
                c->setCurrentIndex(i);
                emit c->activated(i);
                return;
            }
        ADD_FAILURE() << c->objectName().toStdString() << " has no code " << code.toStdString();
    }
    static void tick(QWidget *form, const QString &box)
    {
        auto *b = form->findChild<QAbstractButton *>(box);
        ASSERT_TRUE(b) << box.toStdString();
        b->setChecked(true);
    }

    // The page buttons whose mark says incomplete, by number ("01 08").
    static QString incompletePages()
    {
        QStringList out;
        for (QPushButton *b : MainForm->pageButtons())
            if (!TMainForm::isPageComplete(b))
                out << b->objectName().right(2);
        return out.join(u' ');
    }
    // Whether every control of the lock is enabled, or every one disabled.
    static QString lockState()
    {
        int on = 0;
        const QList<QWidget *> controls = MainForm->lockedControls();
        for (QWidget *w : controls)
            on += w->isEnabled();
        return on == 0 ? u"locked"_s : on == controls.size() ? u"free"_s : u"partly locked"_s;
    }

    // Rows of a table file: each row's fields joined by "|".
    QStringList stored(const QString &table, const QStringList &fields)
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(table);
        t.open();
        QStringList out;
        for (t.first(); !t.eof(); t.next()) {
            QStringList row;
            for (const QString &f : fields)
                row << t.fieldByName(f).asString().trimmed();
            out << row.join(u'|');
        }
        return out;
    }

    // -----------------------------------------------------------------
    // The windows as the officer fills them

    void fillOrganisation()
    {
        TFpage4a *p = Fpage4a;
        EXPECT_TRUE(p->edt_9->text().isEmpty());
        p->edt_9->setText(kOrg);
        p->edt_420->setText(u"40011235-7"_s);
        p->Edt_37->setText(u"武汉市洪山区珞喻路129号"_s);
        p->Edt_38->setText(u"430072"_s);
        p->Edt_39->setText(u"027-87654321"_s);
        p->Edt_40->setText(u"027-87654322"_s);
        p->Edt_60->setText(u"www.qlyy.ac.cn"_s);
        p->Edt_41->setText(u"科技处"_s);
        p->Edt_41_2->setText(u"027-87654300"_s);
        p->Edt_61->setText(u"kjc@qlyy.ac.cn"_s);
        pick(p->cb_62, u"1"_s);
        pick(p->cb_64, u"42"_s);
        // One research field typed, one picked from the classification tree.
        p->lists[0].edits[0]->setText(u"0101"_s);
        onModal(u"FormTree"_s, [this] {
            QTreeWidget *tree = FormTree->TreeView1;
            const auto found = tree->findItems(u"0302"_s, Qt::MatchStartsWith | Qt::MatchRecursive);
            ASSERT_EQ(found.size(), 1);
            tree->setCurrentItem(found.first());
            shot(FormTree, u"classification-tree"_s);
            FormTree->Button1->click();
        });
        p->lists[0].drops[1]->click();
        EXPECT_EQ(p->lists[0].edits[1]->text(), u"0302  空中管制技术"_s);
        p->lists[3].edits[0]->setText(u"110"_s);
        // The introduction through its own dialog.
        onModal(u"formunitintrod"_s, [this] {
            formunitintrod->Memo1->setPlainText(kIntroduction);
            shot(formunitintrod, u"organisation-introduction"_s);
            formunitintrod->Button1->click();
            formunitintrod->Button2->click();
        });
        p->Memo3Click();
        EXPECT_EQ(p->Memo3->toPlainText(), kIntroduction);
        shot(p, u"organisation"_s);
        expectSaved();
        p->btnSave01->click();
        p->quit01->click();   // stored: leaves without a question
        EXPECT_FALSE(p->isVisible());
    }

    void fillNewRecord()
    {
        TFormNew *f = FormNew;
        EXPECT_EQ(f->windowTitle(), u"请填写新项目！"_s);
        EXPECT_EQ(f->edt_9->text(), kOrg);
        f->ComboBox1->setCurrentIndex(0);
        emit f->ComboBox1->activated(0);
        f->cbYear->setText(u"2024"_s);
        f->edt_120->setText(u"鄂科成登字2024017"_s);
        f->edt_3->setText(kName);
        shot(f, u"new-record"_s);
        f->Button1->click();
        EXPECT_FALSE(f->isVisible());
    }

    void fillPage1()
    {
        TFpage1 *p = Fpage1;
        EXPECT_EQ(p->windowTitle(), u"成果名称："_s + kName);
        EXPECT_EQ(p->Edt_120->text(), u"鄂科成登字2024017"_s);
        p->Edt_128->setText(u"湖北省科学技术厅"_s);
        p->edt_121_y->setText(u"2024"_s);
        p->edt_121_m->setText(u"05"_s);
        p->edt_121_d->setText(u"20"_s);
        p->edt_8_y_s->setText(u"2022"_s);
        p->edt_8_m_s->setText(u"3"_s);
        p->edt_8_y_e->setText(u"2023"_s);
        p->edt_8_m_e->setText(u"12"_s);
        pick(p->CB_1, u"1"_s);
        p->edt_14_1->setText(u"离心风机"_s);
        p->edt_14_2->setText(u"降噪"_s);
        p->edt_14_3->setText(u"叶轮"_s);
        p->edt_12->setText(u"TH4"_s);
        pick(p->cb_2, u"3"_s);
        pick(p->cb_201, u"2"_s);
        pick(p->cb_16, u"3"_s);
        pick(p->cb_33, u"2"_s);
        pick(p->Cb_125_1, u"3"_s);
        tick(p, u"RB_123_3"_s);
        tick(p, u"CB_124_1_04"_s);
        tick(p, u"CB_125_03"_s);
        p->Mo_13_1->setPlainText(u"采用后向弯曲叶轮与蜗壳降噪结构，风机效率提高8%，噪声降低6分贝。"_s);
        p->PageControl1->setCurrentIndex(1);
        p->Mo_13->setPlainText(u"本成果研制的高效低噪声离心风机已在三家企业投入使用。"_s);
        shot(p, u"page1-overview"_s);
        expectSaved();
        p->btnSave01->click();
        EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page01));
        p->quit01->click();
        EXPECT_FALSE(p->isVisible());
    }

    void addPatent()
    {
        TFpage6 *list = Fpage6;
        EXPECT_EQ(list->grid->model()->rowCount(), 0);
        onModal(u"Finto6"_s, [this] {
            TFinto6 *d = Finto6;
            EXPECT_EQ(d->windowTitle(), u"新增－－【专利情况】"_s);
            pick(d->cb_st, u"2"_s);
            pick(d->cb_ty, u"1"_s);
            d->edtzl_no->setText(u"ZL202310123456.7"_s);
            d->edtzl_name->setText(u"一种低噪声离心风机叶轮"_s);
            shot(d, u"patent-dialog"_s);
            expectSaved();
            d->Button1->click();
            EXPECT_FALSE(d->isVisible());
        });
        list->Button2->click();
        EXPECT_EQ(list->grid->model()->rowCount(), 1);
        shot(list, u"page6-patents"_s);
        list->quit01->click();
        EXPECT_FALSE(list->isVisible());
    }

    void fillPage2()
    {
        TFpage2 *p = Fpage2;
        p->cb_51_1->setChecked(true);
        onModal(u"Fpage6"_s, [this] { addPatent(); });
        p->Button1->click();
        EXPECT_EQ(p->edt_51_2->text(), u"0"_s);   // accepted
        EXPECT_EQ(p->edt_51_3->text(), u"1"_s);   // granted
        pick(p->CB_32, u"1"_s);
        tick(p, u"cb_161_4"_s);
        pick(p->cb_46, u"02"_s);
        pick(p->cb_47, u"03"_s);
        p->Edt_45->setText(u"3"_s);   // companies the result went to
        shot(p, u"page2-property-and-application"_s);
        expectSaved();
        p->btnSave01->click();
        EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page02));
        p->quit01->click();
        EXPECT_FALSE(p->isVisible());
    }

    void fillPage3()
    {
        TFpage3 *p = Fpage3;
        pick(p->cb_21, u"1"_s);
        p->cb_126_02->setChecked(true);
        p->Edt_127->setText(u"2022BAB01B03"_s);
        p->Edt_127_1->setText(u"高效节能风机关键技术研究"_s);
        p->Edt_141->setText(u"50"_s);
        p->Edt_142_1->setText(u"20"_s);
        p->Edt_130->setText(u"湖北省科学技术厅"_s);
        p->edt_22->setText(u"鄂科鉴字[2024]第0417号"_s);
        p->edt_34_y->setText(u"2024"_s);
        p->edt_34_m->setText(u"04"_s);
        p->edt_34_d->setText(u"18"_s);
        EXPECT_EQ(p->Edt_142->text(), u"20"_s);   // the local sum
        EXPECT_EQ(p->Edt_149->text(), u"70"_s);   // the total
        shot(p, u"page3-project-and-appraisal"_s);
        expectSaved();
        p->btnSave01->click();
        EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page03));
        p->quit01->click();
        EXPECT_FALSE(p->isVisible());
    }

    void fillPage4()
    {
        TFpage4 *p = Fpage4;
        // The record names the organisation itself: its own row is shown.
        EXPECT_TRUE(p->fromUnit());
        EXPECT_EQ(p->Edt_9->text(), kOrg);
        EXPECT_EQ(p->Edt_38->text(), u"430072"_s);
        EXPECT_EQ(comboCode(p->cb_64), u"42"_s);
        p->Edt_41->setText(u"刘静"_s);   // the contact is the record's own
        p->TLinkMan->setText(u"王志强"_s);
        p->TLinkManTel->setText(u"027-87654310"_s);
        p->TLinkManEmail->setText(u"wangzq@qlyy.ac.cn"_s);
        shot(p, u"page4-first-organisation"_s);
        expectSaved();
        p->btnSave01->click();
        EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page04));
        p->quit01->click();
        EXPECT_FALSE(p->isVisible());
    }

    void fillPage5()
    {
        TFpage5 *list = Fpage5;
        onModal(u"Finto5"_s, [this] {
            TFinto5 *d = Finto5;
            EXPECT_EQ(d->edt_176->text(), u"1"_s);
            d->edtdw_170->setText(u"华中机电设备有限公司"_s);
            d->edtdw_171->setText(u"武汉市东湖新技术开发区光谷大道77号"_s);
            d->edtdw_172->setText(u"430074"_s);
            d->edtdw_173->setText(u"陈建国"_s);
            d->edtdw_174->setText(u"027-87001234"_s);
            shot(d, u"cooperating-organisation-dialog"_s);
            expectSaved();
            d->Button1->click();
            EXPECT_FALSE(d->isVisible());
        });
        list->Button2->click();
        EXPECT_EQ(list->grid->model()->rowCount(), 1);
        shot(list, u"page5-cooperating-organisations"_s);
        list->quit01->click();
        EXPECT_FALSE(list->isVisible());
    }

    void fillPage7()
    {
        TFpage7 *list = Fpage7;
        onModal(u"Finto7"_s, [this] {
            TFinto7 *d = Finto7;
            const int chair = d->cbwy_191->findText(TFinto7::Chair);
            ASSERT_GE(chair, 0);
            d->cbwy_191->setCurrentIndex(chair);
            emit d->cbwy_191->activated(chair);
            d->Edtwy_192->setText(u"赵文博"_s);
            pick(d->cbwy_193, u"0"_s);
            d->edtwy_195->setText(u"华中科技大学"_s);
            d->edtwy_196->setText(u"流体机械"_s);
            d->edtwy_197->setText(u"流体机械及工程"_s);
            pick(d->cbwy_198, u"2"_s);
            shot(d, u"committee-member-dialog"_s);
            expectSaved();
            d->Button1->click();
            EXPECT_FALSE(d->isVisible());
        });
        list->Button2->click();
        EXPECT_EQ(list->grid->model()->rowCount(), 1);
        shot(list, u"page7-committee"_s);
        list->quit01->click();
        EXPECT_FALSE(list->isVisible());
    }

    void fillPage9()
    {
        TFpage9 *p = Fpage9;
        p->Edt_301->setText(u"鄂科鉴字[2024]第0417号"_s);
        p->edt_302_y->setText(u"2024"_s);
        p->edt_302_m->setText(u"4"_s);
        p->edt_302_d->setText(u"18"_s);
        p->Mo_13_2->setPlainText(u"该风机可推广至冶金、电力、化工等行业的通风系统。"_s);
        p->Mo_13_3->setPlainText(u"研制报告、测试报告、用户使用报告。"_s);
        p->Mo_133->setPlainText(u"经国家风机质量监督检验中心测试，效率达到86%。"_s);
        p->Mo_303->setPlainText(u"评价委员会一致认为该成果达到国内领先水平。"_s);
        shot(p, u"page9-certificate"_s);
        expectSaved();
        p->btnSave01->click();
        EXPECT_EQ(p->edt_302_m->text(), u"04"_s);
        EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page09));
        p->Button2->click();
        EXPECT_FALSE(p->isVisible());
    }

    void fillPage8()
    {
        TFpage8 *list = Fpage8;
        onModal(u"Finto8"_s, [this] {
            TFinto8 *d = Finto8;
            EXPECT_EQ(d->edtry_187->text(), u"1"_s);
            EXPECT_EQ(d->edtry_185->text(), kOrg);
            d->edtry_180->setText(u"李明华"_s);
            pick(d->cbry_181, u"0"_s);
            d->edt_182_y->setText(u"1972"_s);
            d->edt_182_m->setText(u"6"_s);
            pick(d->cbry_183, u"2"_s);
            pick(d->cbry_184, u"2"_s);
            d->edtry_186->setText(u"总体方案设计与叶轮降噪结构"_s);
            shot(d, u"person-dialog"_s);
            expectSaved();
            d->Button1->click();
            EXPECT_FALSE(d->isVisible());
        });
        list->Button2->click();
        EXPECT_EQ(list->grid->model()->rowCount(), 1);
        shot(list, u"page8-persons"_s);
        list->quit01->click();
        EXPECT_FALSE(list->isVisible());
    }

    // Opens a page through its main-window button; `fill` works it.
    void throughPage(QPushButton *button, const QString &window, std::function<void()> fill)
    {
        onModal(window, std::move(fill));
        button->click();
    }
};

TEST_F(WalkTest, NewOfficerRegistersAnAppliedTechnologyRecordAndFindsItAgain)
{
    // The organisation is the officer's own: no row delivered with the
    // program names it, so wherever it shows it came from its page.
    const QDir seeds(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"));
    ASSERT_FALSE(seeds.entryList(QDir::Files).isEmpty());
    for (const QString &name : seeds.entryList(QDir::Files)) {
        QFile f(seeds.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        EXPECT_FALSE(QString::fromUtf8(f.readAll()).contains(kOrg)) << name.toStdString();
    }

    // 1. First start over an empty organisation table: its page comes first.
    onModal(u"Fpage4a"_s, [this] { fillOrganisation(); });
    startProgram();
    EXPECT_EQ(stored(u"unit"_s, {u"item_9"_s, u"item_38"_s, u"item_62"_s, u"item_64"_s, u"item_124_2"_s, u"item_15"_s}),
              QStringList({kOrg + u"|430072|1|42|0101 ;0302 ;|110 ;"_s}));
    for (QWidget *w : QList<QWidget *>{MainForm->Button1, MainForm->Button5, MainForm->btn_page01, MainForm->cbYear,
                                       MainForm->DBGrid1})
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    shot(MainForm, u"main-window-empty"_s);

    // 2. "新增": the new record starts with every page marked incomplete
    // and the main window locked; it may not be closed.
    onModal(u"FormNew"_s, [this] { fillNewRecord(); });
    MainForm->Button1->click();
    ASSERT_EQ(DM->Qrykjcg.recordCount(), 1);
    EXPECT_EQ(DM->Qrykjcg.fieldByName(u"ITEM_4"_s).asString(), kKey);
    EXPECT_EQ(MainForm->cbYear->currentText(), u"2024"_s);
    EXPECT_EQ(incompletePages(), u"01 02 03 04 05 07 08 09"_s);
    EXPECT_EQ(lockState(), u"locked"_s);
    shot(MainForm, u"main-window-locked"_s);
    seams.expectMessage(u"成果概况没有填完,请继续填写完成该项目！"_s, platform::Ok);
    EXPECT_FALSE(MainForm->close());
    EXPECT_TRUE(MainForm->isVisible());

    // 3. The pages one by one; the lock holds until the last required one.
    throughPage(MainForm->btn_page01, u"Fpage1"_s, [this] { fillPage1(); });
    throughPage(MainForm->btn_page02, u"Fpage2"_s, [this] { fillPage2(); });
    throughPage(MainForm->btn_page03, u"Fpage3"_s, [this] { fillPage3(); });
    throughPage(MainForm->btn_page04, u"Fpage4"_s, [this] { fillPage4(); });
    EXPECT_EQ(incompletePages(), u"05 07 08 09"_s);
    EXPECT_EQ(lockState(), u"locked"_s);
    throughPage(MainForm->btn_page05, u"Fpage5"_s, [this] { fillPage5(); });
    throughPage(MainForm->btn_page07, u"Fpage7"_s, [this] { fillPage7(); });
    throughPage(MainForm->btn_page09, u"Fpage9"_s, [this] { fillPage9(); });
    EXPECT_EQ(incompletePages(), u"08"_s);
    EXPECT_EQ(lockState(), u"locked"_s);
    seams.expectMessage(u"成果完成人员名单没有填完"_s, platform::Ok);
    EXPECT_FALSE(MainForm->close());
    throughPage(MainForm->btn_page08, u"Fpage8"_s, [this] { fillPage8(); });
    EXPECT_EQ(incompletePages(), QString());
    EXPECT_EQ(lockState(), u"free"_s);
    shot(MainForm, u"main-window-complete"_s);
    EXPECT_TRUE(MainForm->CanClose());
    EXPECT_TRUE(MainForm->close());
    seams.verifyAllUsed();

    // 4. Everything closed as at the program's end, and a second start.
    destroyWindows();
    startProgram();
    EXPECT_EQ(DM->Tblunit.fieldByName(u"item_9"_s).asString(), kOrg);
    ASSERT_EQ(DM->Qrykjcg.recordCount(), 1);
    db::Query &rec = DM->Qrykjcg;
    const QStringList fields = {u"ITEM_4"_s,   u"ITEM_CGLB"_s, u"ITEM_3"_s,   u"ITEM_9"_s,   u"ITEM_121"_s,
                                u"ITEM_8"_s,   u"ITEM_14"_s,   u"ITEM_125"_s, u"ITEM_123"_s, u"ITEM_51"_s,
                                u"ITEM_51_3"_s, u"ITEM_32"_s,  u"ITEM_161"_s, u"ITEM_126"_s, u"ITEM_149"_s,
                                u"ITEM_38"_s,  u"ITEM_64"_s,   u"ITEM_301"_s, u"ITEM_302"_s};
    QStringList values;
    for (const QString &f : fields)
        values << rec.fieldByName(f).asString().trimmed();
    EXPECT_EQ(values.join(u'|'), QStringList({kKey, u"1"_s, kName, kOrg, u"2024-05-20"_s, u"2022.03   至2023.12"_s,
                                              u"离心风机;降噪;叶轮"_s, u"03;"_s, u"3"_s, u"1;"_s, u"1"_s, u"1"_s,
                                              u"4;"_s, u"02;"_s, u"70"_s, u"430072"_s, u"42"_s,
                                              u"鄂科鉴字[2024]第0417号"_s, u"2024.04.18"_s})
                                     .join(u'|'));
    const QStringList key = {u"ITEM_4"_s, u"ITEM_DQDM"_s};
    // Each sub-table holds the one row added, under the record's key.
    EXPECT_EQ(stored(u"cgwcr"_s, key + QStringList{u"ITEM_180"_s, u"ITEM_182"_s}),
              QStringList({kKey + u"|.|李明华|1972.06"_s}));
    EXPECT_EQ(stored(u"cgwcdw"_s, key + QStringList{u"ITEM_170"_s, u"ITEM_176"_s}),
              QStringList({kKey + u"|.|华中机电设备有限公司|1"_s}));
    EXPECT_EQ(stored(u"jdwyhmd"_s, key + QStringList{u"ITEM_192"_s, u"ITEM_194"_s}),
              QStringList({kKey + u"|.|赵文博|1"_s}));
    EXPECT_EQ(stored(u"zlqk"_s, key + QStringList{u"PATENT_NO"_s, u"PATENT_ST"_s, u"PATENT_TY"_s}),
              QStringList({kKey + u"|.|ZL202310123456.7|2|1"_s}));
    // Complete: no lock, and a page shows what was stored.
    MainForm->DBGrid1CellClick();
    EXPECT_EQ(incompletePages(), QString());
    EXPECT_EQ(lockState(), u"free"_s);
    shot(MainForm, u"main-window-second-start"_s);
    throughPage(MainForm->btn_page01, u"Fpage1"_s, [] {
        EXPECT_EQ(Fpage1->Edt_128->text(), u"湖北省科学技术厅"_s);
        EXPECT_EQ(Fpage1->edt_8_m_s->text(), u"03"_s);
        EXPECT_EQ(comboCode(Fpage1->Cb_125_1), u"3"_s);
        Fpage1->quit01->click();   // unchanged: no question
        EXPECT_FALSE(Fpage1->isVisible());
    });
}

} // namespace
