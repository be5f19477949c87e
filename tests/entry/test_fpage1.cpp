// The record-page pattern and the overview page "成果概况", driven over a
// seeded data folder with the main window listing the record.
#include "data/dm.h"
#include "db/dataset.h"
#include "entry/formtree.h"
#include "entry/fpage1.h"
#include "entry/fpage9.h"
#include "entry/pages.h"
#include "entry/recordpage.h"
#include "entry/treeflags.h"
#include "platform/widgets/dispatch.h"
#include "shell/mainform.h"
#include "support/seededfolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

using testsupport::Cells;

const QString kName = u"高效低噪声离心风机研制"_s;

// A complete applied-technology record as an officer would have entered it.
Cells appliedRecord()
{
    return {{u"ITEM_120"_s, u"鄂科成登字2009012"_s}, {u"ITEM_128"_s, u"湖北省科学技术厅"_s},
            {u"ITEM_121"_s, u"2009-05-20"_s},         {u"ITEM_8"_s, u"2007.03   至2008.12"_s},
            {u"ITEM_1"_s, u"1"_s},                    {u"ITEM_14"_s, u"离心风机;降噪;叶轮"_s},
            {u"ITEM_15"_s, u"4601550"_s},             {u"ITEM_15_1"_s, u"46020"_s},
            {u"ITEM_12"_s, u"TH4"_s},                 {u"ITEM_12_1"_s, u"TH3"_s},
            {u"ITEM_2"_s, u"3"_s},                    {u"ITEM_201"_s, u"2"_s},
            {u"ITEM_125"_s, u"03;"_s},                {u"ITEM_13_1"_s, u"采用后向弯曲叶轮与蜗壳降噪结构。"_s},
            {u"ITEM_13"_s, u"风机效率提高8%，噪声降低6分贝。"_s},
            {u"ITEM_16"_s, u"3"_s},                   {u"ITEM_33"_s, u"2"_s},
            {u"ITEM_123"_s, u"3"_s},                  {u"ITEM_124_1"_s, u"04;"_s},
            {u"ITEM_125_1"_s, u"3"_s}};
}

class Page1Test : public testsupport::SeededFolderTest {
protected:
    TFpage1 *page = nullptr;

    void SetUp() override
    {
        SeededFolderTest::SetUp();
        addOrganisation();
    }
    void addRecord(const QString &key, const QString &category, Cells cells)
    {
        cells << Cells{{u"ITEM_4"_s, key}, {u"ITEM_DQDM"_s, u"."_s}, {u"ITEM_CGLB"_s, category}, {u"ITEM_3"_s, kName}};
        append(u"kjcg"_s, cells);
    }
    // Starts the windows with the record current and loads the page.
    void open(const QString &category = u"1"_s, const Cells &cells = appliedRecord())
    {
        addRecord(u"2009000001"_s, category, cells);
        startWindows();
        showRecord(category.toInt() - 1, u"2009"_s, u"2009000001"_s);
        ASSERT_EQ(DM->Qrykjcg.recordCount(), 1);
        page = Fpage1;
        page->load();
    }
    // The record as stored in the table file.
    QString stored(const QString &field)
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(u"kjcg"_s);
        t.open();
        t.first();
        return t.fieldByName(field).asString();
    }
    // Saves and expects the refusal `message` with the focus on `focus`
    // (none when empty); nothing is written.
    void expectRefusal(const QString &message, const QString &focus)
    {
        expectWarning(message);
        const QString before = stored(u"ITEM_8"_s);
        page->btnSave01->click();
        if (!focus.isEmpty()) {
            EXPECT_EQ(page->focusWidget() ? page->focusWidget()->objectName() : QString(), focus) << message.toStdString();
        }
        EXPECT_EQ(DM->Qrykjcg.state(), db::DatasetState::Browse);
        EXPECT_EQ(stored(u"ITEM_8"_s), before);
    }
    void saveExpectingSuccess()
    {
        expectWarning(u"储存成功！"_s);
        page->btnSave01->click();
    }
    QAbstractButton *box(const char *name) { return page->findChild<QAbstractButton *>(QLatin1String(name)); }
    static void pick(QComboBox *c, const QString &code)
    {
        for (int i = 0; i < c->count(); ++i)
            if (codePart(c->itemText(i)) == code)
                return c->setCurrentIndex(i);
        FAIL() << "no code " << code.toStdString();
    }
};

// ---------------------------------------------------------------------------
// The base: values, the figure check and a save that fails half way.

TEST_F(Page1Test, RecordPageFigureCheckResetsUnreadableText)
{
    open();
    QLineEdit e;
    e.setText(u"1O"_s);
    expectWarning(u"“其他”:1O 不是正确的数据格式！现在已经置零"_s);
    EXPECT_FALSE(checkFigure(&e, u"“其他”:"_s));
    EXPECT_EQ(e.text(), u"0"_s);
    e.setText(u" 2.5 "_s);
    EXPECT_TRUE(checkFigure(&e));
}

// A save whose write fails part way leaves nothing pending and nothing
// written, and the page can save again once the value is mended.
TEST_F(Page1Test, RecordPageFailedSaveLeavesNoPendingEdit)
{
    open();
    page->Edt_120->setText(u"鄂科成登字2009099"_s);     // written into the row first
    page->Edt_128->setText(QString(41, QChar(0x7814)));   // 82 bytes: more than ITEM_128 holds
    seams.expectMessage(QString(), [](const platform::MessageCall &c) {
        EXPECT_EQ(c.caption, u"提示"_s);
        EXPECT_EQ(c.icon, platform::Icon::None);
        return platform::Ok;
    });
    page->btnSave01->click();
    EXPECT_EQ(DM->Qrykjcg.state(), db::DatasetState::Browse);
    EXPECT_EQ(stored(u"ITEM_120"_s), u"鄂科成登字2009012"_s);
    EXPECT_EQ(DM->Qrykjcg.fieldByName(u"ITEM_120"_s).asString(), u"鄂科成登字2009012"_s);

    // "退出" with the failing value: Yes tries to save, the page stays open.
    page->show();
    seams.expectMessage(u"记录已经更改,是否保存？"_s, platform::Yes);
    seams.expectMessage(QString(), platform::Ok);
    page->quit01->click();
    EXPECT_TRUE(page->isVisible());

    page->Edt_128->setText(u"中国科学院"_s);
    saveExpectingSuccess();
    EXPECT_EQ(stored(u"ITEM_120"_s), u"鄂科成登字2009099"_s);
    EXPECT_EQ(stored(u"ITEM_128"_s), u"中国科学院"_s);
}

TEST_F(Page1Test, RecordPageValuesCompareByKind)
{
    open();
    RecordValues v;
    v.set(u"ITEM_128"_s, u"湖北省科学技术厅  "_s);
    v.setDate(u"ITEM_121"_s, QDate(2009, 5, 20));
    v.set(u"ITEM_141"_s, QString());
    v.set(u"outcomeb"_s, u"9990001000"_s, false);
    EXPECT_TRUE(v.differences(DM->Qrykjcg).isEmpty());
    v.set(u"ITEM_141"_s, u"1.50"_s);
    v.setDate(u"ITEM_121"_s, QDate());
    EXPECT_EQ(v.differences(DM->Qrykjcg), (QStringList{u"ITEM_121"_s, u"ITEM_141"_s}));
    DM->Qrykjcg.edit();
    v.writeTo(DM->Qrykjcg);
    DM->Qrykjcg.post();
    EXPECT_EQ(stored(u"ITEM_141"_s), u"1.5"_s);
    EXPECT_EQ(stored(u"outcomeb"_s), u"9990001000"_s);
    EXPECT_TRUE(v.differences(DM->Qrykjcg).isEmpty());
}

// ---------------------------------------------------------------------------
// Loading

TEST_F(Page1Test, LoadsAnAppliedTechnologyRecord)
{
    open();
    EXPECT_EQ(page->windowTitle(), u"成果名称："_s + kName);
    EXPECT_EQ(page->size(), QSize(800, 600));
    EXPECT_EQ(page->Edt_120->text(), u"鄂科成登字2009012"_s);
    EXPECT_EQ(QStringList({page->edt_8_y_s->text(), page->edt_8_m_s->text(), page->edt_8_y_e->text(), page->edt_8_m_e->text()}),
              (QStringList{u"2007"_s, u"03"_s, u"2008"_s, u"12"_s}));
    EXPECT_EQ(QStringList({page->edt_121_y->text(), page->edt_121_m->text(), page->edt_121_d->text()}),
              (QStringList{u"2009"_s, u"05"_s, u"20"_s}));
    EXPECT_EQ(page->CB_1->currentText(), u"1  公开"_s);
    EXPECT_EQ(page->cb_16->currentText(), u"3  成熟应用阶段"_s);
    EXPECT_EQ(comboCode(page->Cb_125_1), u"3"_s);
    EXPECT_EQ(page->edt_14_3->text(), u"叶轮"_s);
    EXPECT_TRUE(page->edt_14_3->isEnabled());
    EXPECT_EQ(page->Edt_15->text(), u"4601550  机械振动学"_s);
    EXPECT_EQ(page->edt_12_1->text(), u"TH3  泵"_s);
    EXPECT_TRUE(box("RB_123_3")->isChecked());
    EXPECT_TRUE(box("CB_124_1_04")->isChecked());
    EXPECT_TRUE(box("CB_125_03")->isChecked());
    EXPECT_FALSE(page->PL_123->isHidden());
    EXPECT_FALSE(page->Pl_124_1->isHidden());
    EXPECT_TRUE(page->PL_200->isHidden());
    EXPECT_TRUE(page->cb_210->isHidden());
    EXPECT_EQ(page->Label22->text(), u"所属高新科技领域"_s);
    EXPECT_EQ(page->Mo_13->toPlainText(), u"风机效率提高8%，噪声降低6分贝。"_s);
    EXPECT_FALSE(page->isChanged());

    // A resize is undone.
    page->show();
    page->resize(640, 480);
    EXPECT_EQ(page->size(), QSize(800, 600));
    // The panel's caption stands on one line, whichever text it shows.
    for (const QString &text : {u"所属高新科技领域"_s, u"社会经济目标"_s}) {
        page->Label22->setText(text);
        EXPECT_FALSE(page->Label22->wordWrap());
        EXPECT_GE(page->Label22->contentsRect().width(), page->Label22->fontMetrics().horizontalAdvance(text))
            << text.toStdString();
    }
}

TEST_F(Page1Test, LoadsASoftScienceRecord)
{
    open(u"2"_s, {{u"ITEM_8"_s, u"2005.3   至2007.11"_s}, {u"ITEM_210"_s, u"2"_s}, {u"ITEM_200"_s, u"09;"_s},
                  {u"ITEM_14"_s, u"区域经济"_s}});
    EXPECT_FALSE(page->cb_210->isHidden());
    EXPECT_EQ(page->cb_210->currentText(), u"2  著作"_s);
    EXPECT_TRUE(page->PL_123->isHidden());
    EXPECT_TRUE(page->cb_16->isHidden());
    EXPECT_TRUE(page->Cb_125_1->isHidden());
    EXPECT_FALSE(page->PL_200->isHidden());
    EXPECT_TRUE(box("cb_200_09")->isChecked());
    EXPECT_EQ(page->Label22->text(), u"社会经济目标"_s);
    EXPECT_EQ(page->Label22->palette().color(QPalette::WindowText), QColor(0x80, 0, 0));
    EXPECT_EQ(page->CB_1->currentIndex(), -1);   // no secrecy stored: nothing chosen
    EXPECT_EQ(page->edt_8_m_s->text().trimmed(), u"3"_s);
    EXPECT_EQ(page->edt_8_m_e->text(), u"11"_s);
    // Only the first keyword box holds text: the third stays closed.
    EXPECT_TRUE(page->edt_14_2->isEnabled());
    EXPECT_FALSE(page->edt_14_3->isEnabled());
}

TEST_F(Page1Test, OpenRecordPageShowsTheLoadedPageModally)
{
    open();
    page->Edt_120->setText(u"改过"_s);
    seams.onModal(u"Fpage1"_s, [](QDialog *d) {
        EXPECT_EQ(static_cast<TFpage1 *>(d)->Edt_120->text(), u"鄂科成登字2009012"_s);
        EXPECT_EQ(d->windowTitle(), u"成果名称："_s + kName);
        return 0;
    });
    openRecordPage(MainForm->btn_page01);
    TFpage9 *page9 = std::exchange(Fpage9, nullptr);
    openRecordPage(MainForm->btn_page09);   // no page: nothing happens
    Fpage9 = page9;
}

// ---------------------------------------------------------------------------
// Checks

// Each broken item is reported before every item after it on the screen:
// the items are broken from the last to the first.
TEST_F(Page1Test, ChecksRunInScreenOrder)
{
    open();
    page->show();
    struct Rule {
        std::function<void()> breakIt;
        QString message;
        QString focus;
    };
    const QList<Rule> rules = {
        {[&] { page->edt_8_m_e->clear(); }, u"研究起止时间为必填项！"_s, u"edt_8_y_s"_s},
        {[&] { page->CB_1->setCurrentIndex(page->CB_1->count() - 1); }, u"\"成果密级\"不能为空！"_s, u"CB_1"_s},
        {[&] { page->edt_14_1->setText(QString(99, QChar(0x7814))); page->edt_14_2->setText(u"a"_s); },
         u"\"关键词\"三栏总字数不要超过98字"_s, u"edt_14_1"_s},
        {[&] { page->cb_16->setCurrentIndex(-1); }, u"\"成果所处阶段\"不能为空！"_s, u"cb_16"_s},
        {[&] { page->cb_33->setCurrentIndex(page->cb_33->count() - 1); }, u"\"转让范围\"不能为空！"_s, u"cb_33"_s},
        {[&] { MainForm->ClearChecks(page->PL_123); }, u"\"成果体现形式\"不能为空！"_s, QString()},
        {[&] { page->Cb_125_1->setCurrentIndex(-1); }, u"\"成果属性\"不能为空！"_s, u"Cb_125_1"_s},
        {[&] { page->cb_201->setCurrentIndex(-1); }, u"\"研究形式\"不能为空！"_s, u"cb_201"_s},
        {[&] { MainForm->ClearChecks(page->PL_125); }, u"\"成果应用行业\"不能为空！"_s, QString()},
        {[&] { page->Mo_13_1->setPlainText(u"  "_s); }, u"\"成果简介\"不能为空！"_s, u"Mo_13_1"_s},
        {[&] { page->Date_121->clear(); }, u"\"批准登记日期\"不能为空！"_s, u"edt_121_y"_s},
    };
    for (qsizetype i = rules.size() - 1; i >= 0; --i) {
        rules[i].breakIt();
        expectRefusal(rules[i].message, rules[i].focus);
    }
}

// An empty bulletin takes the summary before it is checked, so the save
// stores it as the summary's copy instead of refusing it.
TEST_F(Page1Test, EmptyBulletinTakesTheSummaryBeforeItsCheck)
{
    open();
    page->show();
    page->Mo_13_1->setPlainText(u"风机效率提高8%。"_s);
    page->Mo_13->setPlainText(u"   "_s);
    saveExpectingSuccess();
    EXPECT_EQ(stored(u"ITEM_13"_s), u"风机效率提高8%。"_s);
    EXPECT_EQ(page->Mo_13->toPlainText(), u"风机效率提高8%。"_s);
}

TEST_F(Page1Test, DateRulesEachWithItsMessage)
{
    open();
    page->show();
    const QString nextYear = QString::number(QDate::currentDate().year() + 1);
    struct Case {
        QLineEdit *edit;
        QString text;
        QString message;
        QString focus;
    };
    const QList<Case> cases = {
        {page->edt_121_y, u"1948"_s, u"批准登记日期年份非法！合理年份应为1949年至今!"_s, u"edt_121_y"_s},
        {page->edt_8_y_s, nextYear, u"研究起始日期年份非法！合理年份应为1949年至今!"_s, u"edt_8_y_s"_s},
        {page->edt_8_y_e, u"20o8"_s, u"研究终止日期年份非法！合理年份应为1949年至今!"_s, u"edt_8_y_e"_s},
        {page->edt_121_m, u"13"_s, u"批准登记日期月份非法!"_s, u"edt_121_m"_s},
        {page->edt_8_m_s, u"0"_s, u"研究起始日期月份非法!"_s, u"edt_8_m_s"_s},
        {page->edt_8_m_e, u"13"_s, u"研究终止日期月份非法!"_s, u"edt_8_m_e"_s},
        {page->edt_121_d, u"32"_s, u"批准登记日期日期非法!"_s, u"edt_121_d"_s},
        // Month 0 passes the month rule and fails as a date.
        {page->edt_121_m, u"0"_s, u"日期非法!"_s, QString()},
        {page->edt_121_d, u"31"_s, u"日期非法!"_s, QString()},   // 2009-05-31 is fine, 2009-06-31 is not
        {page->edt_8_y_e, u"2009"_s, u"所填写的研究终止时间不应大于登记日期！"_s, u"edt_8_y_e"_s},
        {page->edt_8_y_s, u"2009"_s, u"所填写的研究起始时间不应大于研究终止时间！"_s, u"edt_8_y_s"_s},
    };
    for (const Case &c : cases) {
        page->load();
        if (c.edit == page->edt_121_d && c.text == u"31"_s)
            page->edt_121_m->setText(u"6"_s);
        c.edit->setText(c.text);
        expectRefusal(c.message, c.focus);
    }
}

TEST_F(Page1Test, ResearchEndAgainstRegistrationMonthAndKeywordLimit)
{
    open();
    page->edt_121_y->setText(u"2008"_s);
    page->edt_121_m->setText(u"5"_s);
    page->edt_8_y_e->setText(u"2008"_s);
    page->edt_8_m_e->setText(u"06"_s);
    expectRefusal(u"所填写的研究终止时间不应大于登记日期！"_s, QString());
    page->edt_8_m_e->setText(u"5"_s);
    // 98 double-byte characters over the three boxes pass.
    page->edt_14_1->setText(QString(49, QChar(0x98CE)));
    page->edt_14_2->setText(QString(49, QChar(0x673A)));
    page->edt_14_3->clear();
    saveExpectingSuccess();
    EXPECT_EQ(stored(u"ITEM_8"_s), u"2007.03   至2008.05"_s);
    EXPECT_EQ(stored(u"ITEM_14"_s), QString(49, QChar(0x98CE)) + u";"_s + QString(49, QChar(0x673A)));
}

TEST_F(Page1Test, SoftScienceChecksItsOwnItems)
{
    open(u"2"_s, appliedRecord() << Cells{{u"ITEM_210"_s, u"1"_s}, {u"ITEM_200"_s, u"10;"_s}});
    page->show();
    MainForm->ClearChecks(page->PL_200);
    expectRefusal(u"\"社会经济目标\"不能为空！"_s, QString());
    page->cb_210->setCurrentIndex(page->cb_210->count() - 1);   // the blank item
    expectRefusal(u"\"成果体现形式\"不能为空！"_s, u"cb_210"_s);
}

// ---------------------------------------------------------------------------
// Saving

TEST_F(Page1Test, SaveWritesTheStoredForms)
{
    open();
    page->edt_8_y_s->setText(u"2008"_s);
    page->edt_8_m_s->setText(u"3"_s);
    page->edt_8_y_e->setText(u"2009"_s);
    page->edt_8_m_e->setText(u"12"_s);
    page->edt_121_y->setText(u"2010"_s);
    page->edt_121_m->setText(u"1"_s);
    page->edt_121_d->setText(u"8"_s);
    page->edt_14_2->setText(u"叶片"_s);
    pick(page->cb_2, u"1"_s);
    pick(page->cb_33, u"3"_s);
    box("RB_123_B")->setChecked(true);
    box("CB_124_1_02")->setChecked(true);   // unticks 04
    box("Cb_125_20")->setChecked(true);     // unticks 03
    page->Mo_13_1->setPlainText(u"第一段\t说明"_s);
    page->Mo_13->clear();
    page->PageControl1->setCurrentIndex(1);   // leaving the summary fills the bulletin
    EXPECT_EQ(page->Mo_13->toPlainText(), u"第一段\t说明"_s);
    MainForm->setPageComplete(MainForm->btn_page01, false);
    saveExpectingSuccess();

    EXPECT_EQ(stored(u"ITEM_8"_s), u"2008.03   至2009.12"_s);
    EXPECT_EQ(DM->Qrykjcg.fieldByName(u"ITEM_121"_s).asDate(), QDate(2010, 1, 8));
    EXPECT_EQ(stored(u"ITEM_14"_s), u"离心风机;叶片;叶轮"_s);
    EXPECT_EQ(stored(u"ITEM_2"_s), u"1"_s);
    EXPECT_EQ(stored(u"ITEM_33"_s), u"3"_s);
    EXPECT_EQ(stored(u"ITEM_123"_s), u"B"_s);
    EXPECT_EQ(stored(u"ITEM_124_1"_s), u"02;"_s);
    EXPECT_EQ(stored(u"ITEM_125"_s), u"20;"_s);
    EXPECT_EQ(stored(u"ITEM_13_1"_s), u"第一段 说明"_s);
    EXPECT_EQ(stored(u"ITEM_13"_s), u"第一段 说明"_s);
    EXPECT_EQ(page->Mo_13_1->toPlainText(), u"第一段 说明"_s);
    EXPECT_EQ(stored(u"ITEM_15"_s), u"4601550"_s);
    EXPECT_EQ(stored(u"ITEM_12_1"_s), u"TH3"_s);
    EXPECT_EQ(stored(u"outcomeb"_s), u"9990001000"_s);
    EXPECT_EQ(page->edt_8_m_s->text(), u"03"_s);
    EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page01));
    EXPECT_FALSE(page->isChanged());
}

TEST_F(Page1Test, SoftScienceSaveEmptiesTheAppliedItems)
{
    open(u"3"_s, appliedRecord() << Cells{{u"ITEM_210"_s, u"1"_s}, {u"ITEM_200"_s, u"11;"_s}});
    saveExpectingSuccess();
    for (const char *f : {"ITEM_123", "ITEM_124_1", "ITEM_16", "ITEM_33", "ITEM_125_1", "outcomeb"})
        EXPECT_EQ(stored(QLatin1String(f)), QString()) << f;
    EXPECT_EQ(stored(u"ITEM_210"_s), u"1"_s);
    EXPECT_EQ(stored(u"ITEM_200"_s), u"11;"_s);
}

TEST_F(Page1Test, MemoDefaultsFollowTheTabs)
{
    open();
    page->show();
    page->Mo_13->clear();
    QTest::mouseClick(page->Mo_13->viewport(), Qt::LeftButton);
    EXPECT_EQ(page->Mo_13->toPlainText(), u"采用后向弯曲叶轮与蜗壳降噪结构。"_s);
    page->Mo_13_1->clear();
    // The memo's own menu opens too; close it once it is up.
    QTimer::singleShot(100, [] {
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
    });
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), page->Mo_13->viewport()->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(page->Mo_13->viewport(), &menu);
    EXPECT_EQ(page->Mo_13_1->toPlainText(), u"采用后向弯曲叶轮与蜗壳降噪结构。"_s);
}

// ---------------------------------------------------------------------------
// Leaving

TEST_F(Page1Test, QuitAsksOnlyWhenSomethingChanged)
{
    open();
    page->show();
    page->quit01->click();   // unchanged: no question
    EXPECT_FALSE(page->isVisible());

    page->load();
    page->show();
    page->edt_121_d->setText(u"21"_s);
    seams.expectMessage(u"记录已经更改,是否保存？"_s, [](const platform::MessageCall &c) {
        EXPECT_EQ(c.caption, u"请注意！"_s);
        EXPECT_EQ(c.buttons, platform::Yes | platform::No);
        return platform::No;
    });
    page->quit01->click();
    EXPECT_FALSE(page->isVisible());
    EXPECT_EQ(DM->Qrykjcg.fieldByName(u"ITEM_121"_s).asDate(), QDate(2009, 5, 20));

    page->load();
    page->show();
    box("CB_125_05")->setChecked(true);
    seams.expectMessage(u"记录已经更改,是否保存？"_s, platform::Yes);
    expectWarning(u"储存成功！"_s);
    page->quit01->click();
    EXPECT_FALSE(page->isVisible());
    EXPECT_EQ(stored(u"ITEM_125"_s), u"05;"_s);

    // An invalid page cannot be left through "退出".
    page->load();
    page->show();
    page->edt_8_y_s->clear();
    expectWarning(u"研究起止时间为必填项！"_s);
    page->quit01->click();
    EXPECT_TRUE(page->isVisible());
    page->hide();
}

// ---------------------------------------------------------------------------
// Classification codes and keyword boxes

TEST_F(Page1Test, CodesTheTableLacksAndTypedCodesAreKept)
{
    Cells cells = appliedRecord();
    cells << Cells{{u"ITEM_15"_s, u"4609999"_s}, {u"ITEM_12"_s, u"TH'9"_s}};
    open(u"1"_s, cells);
    EXPECT_EQ(page->Edt_15->text(), u"4609999  "_s);
    EXPECT_EQ(page->edt_12->text(), u"TH'9  "_s);
    EXPECT_FALSE(page->isChanged());
    page->edt_15_1->setText(u" 46015 "_s);   // typed, no name
    saveExpectingSuccess();
    EXPECT_EQ(stored(u"ITEM_15"_s), u"4609999"_s);
    EXPECT_EQ(stored(u"ITEM_12"_s), u"TH'9"_s);
    EXPECT_EQ(stored(u"ITEM_15_1"_s), u"46015"_s);
}

TEST_F(Page1Test, WithoutTheTablesCodesAreTypedToTheFieldWidth)
{
    QFile::remove(data + u"/ztflh.dbf"_s);
    QFile::remove(data + u"/xkfl.dbf"_s);
    open();
    EXPECT_FALSE(HasZtflh);
    EXPECT_TRUE(page->CB_12->isHidden());
    EXPECT_TRUE(page->cb_15_1->isHidden());
    EXPECT_EQ(page->edt_12->text(), u"TH4"_s);
    page->edt_12->clear();
    QTest::keyClicks(page->edt_12, u"TP311.138-12X"_s);
    EXPECT_EQ(page->edt_12->text(), u"TP311.138-12"_s);   // ITEM_12 holds 12
    page->Edt_15->clear();
    QTest::keyClicks(page->Edt_15, u"46015501234"_s);
    EXPECT_EQ(page->Edt_15->text(), u"4601550123"_s);   // ITEM_15 holds 10
    saveExpectingSuccess();
    EXPECT_EQ(stored(u"ITEM_12"_s), u"TP311.138-12"_s);
    EXPECT_EQ(stored(u"ITEM_15"_s), u"4601550123"_s);
}

TEST_F(Page1Test, DropDownsRaiseTheirFlagForThePicker)
{
    open();
    seams.onModal(u"FormTree"_s, [](QDialog *) {
        EXPECT_EQ(QList<bool>({TreeFlagsPage1[0], TreeFlagsPage1[1], TreeFlagsPage1[2], TreeFlagsPage1[3]}),
                  (QList<bool>{false, false, true, false}));
        TreeEditsPage1[2]->setText(u"TP31  计算机软件"_s);
        return 1;
    });
    page->CB_12->click();
    saveExpectingSuccess();
    EXPECT_EQ(stored(u"ITEM_12"_s), u"TP31"_s);
}

TEST_F(Page1Test, KeywordBoxesOpenInOrderAndRefuseTheSeparator)
{
    open();
    page->edt_14_3->clear();
    page->edt_14_2->clear();
    EXPECT_FALSE(page->edt_14_3->isEnabled());
    page->edt_14_1->clear();
    QTest::keyClicks(page->edt_14_1, u"fan;noise"_s);
    EXPECT_EQ(page->edt_14_1->text(), u"fannoise"_s);
    EXPECT_TRUE(page->edt_14_2->isEnabled());
    page->edt_14_2->setText(u"blade"_s);
    EXPECT_TRUE(page->edt_14_3->isEnabled());
    page->edt_14_1->clear();
    EXPECT_EQ(page->edt_14_2->text(), QString());
    EXPECT_FALSE(page->edt_14_2->isEnabled());
    EXPECT_FALSE(page->edt_14_3->isEnabled());
}

} // namespace
