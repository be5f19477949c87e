// The project and appraisal page, opened through the main window's page
// button over a seeded data folder.
#include "data/dm.h"
#include "support/fakeclock.h"
#include "db/dataset.h"
#include "entry/fpage3.h"
#include "entry/pages.h"
#include "platform/core/seams.h"
#include "shell/mainform.h"
#include "support/seededfolder.h"
#include "seed_loader.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using testsupport::Fields;

// A complete applied-technology record on national-plan funding.
const Fields kNational = {
    {u"ITEM_126"_s, u"01;"_s}, {u"ITEM_140"_s, u"7"_s}, {u"ITEM_41_1"_s, u"03"_s}, {u"ITEM_127"_s, u"2009BAD12B03"_s},
    {u"ITEM_127_1"_s, u"城市供水管网漏损智能监测"_s}, {u"ITEM_142_1"_s, u"1.5"_s}, {u"ITEM_142_2"_s, u"2"_s},
    {u"ITEM_142"_s, u"3.5"_s}, {u"ITEM_141"_s, u"10"_s}, {u"ITEM_149"_s, u"13.5"_s}, {u"ITEM_21"_s, u"1"_s},
    {u"ITEM_130"_s, u"湖北省科学技术厅"_s}, {u"ITEM_22"_s, u"鄂科鉴字[2009]第112号"_s}, {u"ITEM_34"_s, u"2009.11.05"_s}};

class Page3Test : public testsupport::SeededFolderTest {
protected:
    void SetUp() override
    {
        testsupport::FakeClock::activate(QDateTime(QDate(2012, 6, 1), QTime(9, 0)));
        SeededFolderTest::SetUp();
        addOrganisation();
    }
    // The record's fields as the table file holds them, joined by "|".
    QString stored(const QString &key, const QStringList &fields) { return storedFields(key, fields); }
    // Starts the program's windows and makes the record current.
    void start(const QString &key) { startAt(key); }
    void select(const QString &key)
    {
        showRecord(stored(key, {u"ITEM_CGLB"_s}).toInt() - 1, key.left(4), key);
    }
    // Opens the page through its button; `driver` works it.
    void page(const std::function<void(TFpage3 *)> &driver) { throughPage(MainForm->btn_page03, Fpage3, driver); }
    static void pick(QComboBox *c, const QString &text)
    {
        const int i = c->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        c->setCurrentIndex(i);
    }
    static bool maroon(QLabel *l) { return l->palette().color(QPalette::WindowText) == QColor(128, 0, 0); }
};

TEST_F(Page3Test, LoadsARecordOfEachCategory)
{
    record(u"2009000001"_s, u"1"_s, kNational);
    record(u"2009000002"_s, u"2"_s, {{u"ITEM_126"_s, u"08;"_s}, {u"ITEM_21"_s, u"4"_s}});
    record(u"2009000003"_s, u"3"_s, {{u"ITEM_126"_s, u"02;"_s}, {u"ITEM_21"_s, u"6"_s}});
    start(u"2009000001"_s);
    page([](TFpage3 *p) {
        EXPECT_EQ(p->windowTitle(), u"成果名称：成果2009000001"_s);
        EXPECT_EQ(p->size(), QSize(800, 600));
        EXPECT_TRUE(p->cb_126_01->isChecked() && p->RB_140_7->isChecked() && maroon(p->Label1));
        EXPECT_TRUE(p->CB_41->isVisible());
        EXPECT_EQ(p->Lb_41->text(), u"“国家计划”的下属分类"_s);
        EXPECT_EQ(p->CB_41->currentText(), u"03  国家科技支撑计划"_s);
        EXPECT_EQ(QStringList({p->Edt_127->text(), p->Edt_142_1->text(), p->Edt_142->text(), p->Edt_149->text(),
                               p->edt_22->text(), p->edt_34_y->text(), p->edt_34_m->text(), p->edt_34_d->text()}),
                  QStringList({u"2009BAD12B03"_s, u"1.5"_s, u"3.5"_s, u"13.5"_s, u"鄂科鉴字[2009]第112号"_s, u"2009"_s,
                               u"11"_s, u"05"_s}));
        EXPECT_TRUE(p->cb_21->isVisible() && !p->cb_21_l->isVisible());
        EXPECT_EQ(p->cb_21->currentText(), u"1  鉴定"_s);
        p->quit01->click();   // nothing changed: no question
        EXPECT_FALSE(p->isVisible());
    });
    for (const char *key : {"2009000002", "2009000003"}) {
        select(QLatin1String(key));
        page([](TFpage3 *p) {
            const bool soft = p->cb_126_08->isChecked();
            EXPECT_NE(soft, p->cb_126_02->isChecked());
            // No sub-class stored: the list stays hidden, even for a source that has some.
            EXPECT_TRUE(!p->CB_41->isVisible() && !p->Lb_41->isVisible() && !maroon(p->Label1));
            EXPECT_TRUE(p->cb_21_l->isVisible() && !p->cb_21->isVisible());
            EXPECT_EQ(p->cb_21_l->currentText(), soft ? u"4  评审"_s : u"6  结题"_s);
            EXPECT_EQ(p->Edt_149->text() + p->edt_34_y->text(), QString());
        });
    }
}

TEST_F(Page3Test, NationalPlanKindsAndSourcesExcludeEachOther)
{
    record(u"2009000001"_s, u"1"_s, {{u"ITEM_126"_s, u"02;"_s}});
    start(u"2009000001"_s);
    page([](TFpage3 *p) {
        EXPECT_FALSE(p->cb_126_01->isEnabled());   // reached through the kinds only
        p->RB_140_7->click();
        EXPECT_TRUE(p->cb_126_01->isChecked() && !p->cb_126_02->isChecked() && maroon(p->Label1));
        EXPECT_TRUE(p->CB_41->isVisible());
        EXPECT_EQ(p->CB_41->count(), 18);   // 17 sub-classes of 01 and the blank item
        EXPECT_EQ(p->CB_41->itemText(0), u"01  国家重点基础研究发展计划（973计划）"_s);
        EXPECT_EQ(p->CB_41->currentIndex(), -1);
        p->cb_126_03->click();
        EXPECT_TRUE(!p->cb_126_01->isChecked() && !p->RB_140_7->isChecked() && !maroon(p->Label1));
        EXPECT_EQ(p->Lb_41->text(), u"“地方计划”的下属分类"_s);
        EXPECT_EQ(p->CB_41->itemText(0), u"01  省（自治区、直辖市）科技攻关计划"_s);
        p->cb_126_08->click();
        EXPECT_TRUE(!p->cb_126_03->isChecked() && !p->CB_41->isVisible() && !p->Lb_41->isVisible());
    });
}

// A sub-class code of any length is stored whole: the code before its two
// blanks, not the item's first two characters.
TEST_F(Page3Test, PlanSubClassKeepsALongerCodeWhole)
{
    append(u"dfjhzdxx"_s, {{u"item_126"_s, u"01"_s}, {u"item_41_"_s, u"0312"_s}, {u"xxmc"_s, u"国家科技支撑计划重点项目"_s}});
    record(u"2009000001"_s, u"1"_s, kNational);
    start(u"2009000001"_s);
    page([this](TFpage3 *p) {
        const int at = p->CB_41->findText(u"0312  国家科技支撑计划重点项目"_s);
        ASSERT_GE(at, 0);
        p->CB_41->setCurrentIndex(at);
        emit p->CB_41->activated(at);
        expectWarning(u"储存成功！"_s);
        p->btnSave01->click();
    });
    EXPECT_EQ(stored(u"2009000001"_s, {u"ITEM_41_1"_s}), u"0312"_s);
}

TEST_F(Page3Test, FundingIsCheckedAndSummedWithoutLocaleOrBinaryNoise)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    record(u"2009000001"_s, u"1"_s, {{u"ITEM_141"_s, u"1234.5"_s}, {u"ITEM_126"_s, u"10;"_s}, {u"ITEM_21"_s, u"5"_s}});
    start(u"2009000001"_s);
    page([this](TFpage3 *p) {
        EXPECT_EQ(p->Edt_141->text(), u"1234.5"_s);
        const std::pair<QLineEdit *, QString> prefixes[] = {
            {p->Edt_142_1, u"读取数据时，发现“省级投入”:"_s}, {p->Edt_142_2, u"读取数据时，发现“地级投入”:"_s},
            {p->Edt_142_3, u"读取数据时，发现“县级投入”:"_s}, {p->Edt_142, u"“地方投入”:"_s},
            {p->Edt_141, u"“国家投入”:"_s}, {p->Edt_148, u"“部门投入”:"_s}, {p->Edt_143, u"“基金投入”:"_s},
            {p->Edt_144, u"“自有资金”:"_s}, {p->Edt_243, u"“银行贷款”:"_s}, {p->Edt_244, u"“国外资金”:"_s},
            {p->Edt_145, u"“其他”:"_s}};
        for (const auto &[edit, prefix] : prefixes) {
            // Each prefix names the caption beside its own edit.
            auto *grid = qobject_cast<QGridLayout *>(edit->parentWidget()->layout());
            ASSERT_TRUE(grid);
            auto *label = qobject_cast<QLabel *>(grid->itemAt(grid->indexOf(edit) - 1)->widget());
            ASSERT_TRUE(label);
            EXPECT_TRUE(prefix.endsWith(u"“"_s + label->text() + u"”:"_s)) << prefix.toStdString();
            expectWarning(prefix + u"1.2.3 不是正确的数据格式！现在已经置零"_s);
            edit->setText(u"1.2.3"_s);   // pasted: the keys would not type it
            EXPECT_EQ(edit->text(), u"0"_s) << edit->objectName().toStdString();
        }
        p->Edt_145->clear();
        QSignalSpy refused(p->Edt_145, &QLineEdit::inputRejected);
        QTest::keyClicks(p->Edt_145, "1a,5.5");
        EXPECT_EQ(p->Edt_145->text(), u"15.5"_s);
        // A second point is refused at the key, without a box: the text
        // stays as it was and the next key goes in.
        QTest::keyClicks(p->Edt_145, ".7");
        EXPECT_EQ(p->Edt_145->text(), u"15.57"_s);
        EXPECT_EQ(refused.size(), 3);
        // A paste that is no number is told once the field is left.
        p->Edt_244->clear();
        QGuiApplication::clipboard()->setText(u"2.5.1"_s);
        QTest::keyClick(p->Edt_244, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(p->Edt_244->text(), u"2.5.1"_s);
        expectWarning(u"“国外资金”:2.5.1 不是正确的数据格式！现在已经置零"_s);
        settleFigures(p);
        EXPECT_EQ(p->Edt_244->text(), u"0"_s);
        p->Edt_244->clear();
        p->Edt_145->clear();
        p->Edt_142_1->setText(u"1.5"_s);
        p->Edt_142_2->setText(u"2"_s);
        p->Edt_142_3->clear();
        EXPECT_EQ(p->Edt_142->text(), u"3.5"_s);
        p->Edt_141->setText(u"10"_s);
        EXPECT_EQ(p->Edt_149->text(), u"13.5"_s);
        p->Edt_142_1->setText(u"0.1"_s);
        p->Edt_142_2->setText(u"0.2"_s);
        EXPECT_EQ(p->Edt_142->text(), u"0.3"_s);
        EXPECT_EQ(p->Edt_149->text(), u"10.3"_s);
        expectWarning(u"储存成功！"_s);
        p->btnSave01->click();
    });
    EXPECT_EQ(stored(u"2009000001"_s, {u"ITEM_142"_s, u"ITEM_149"_s}), u"0.3|10.3"_s);
    QLocale::setDefault(before);
}

TEST_F(Page3Test, ChecksRunInScreenOrderAndWriteNothing)
{
    record(u"2009000001"_s, u"1"_s);
    start(u"2009000001"_s);
    page([this](TFpage3 *p) {
        auto refused = [&](const QString &message, QWidget *focus = nullptr) {
            p->Edt_130->setFocus();
            expectWarning(message);
            p->btnSave01->click();
            if (focus) {
                EXPECT_EQ(p->focusWidget(), focus) << message.toStdString();
            }
        };
        refused(u"“评价形式”不能为空！"_s);
        pick(p->cb_21, u" "_s);   // the blank item is no choice
        refused(u"“评价形式”不能为空！"_s);
        pick(p->cb_21, u"3  行业准入"_s);
        refused(u"“课题来源”不能为空！"_s);
        p->RB_140_3->click();
        p->Edt_127->setText(u"   "_s);
        refused(u"“课题来源”为“国家计划”的项目，“课题立项编号”不能为空！"_s);
        p->Edt_127->setText(u"2011CB707300"_s);
        refused(u"“课题来源”为“国家计划”的项目，“课题立项名称”不能为空！"_s);
        p->Edt_127_1->setText(u"长江中游湿地演变机理"_s);
        p->Edt_142_1->setText(u"9999999"_s);
        p->Edt_142_2->setText(u"1"_s);
        refused(u"经费最大长度不超得过7位！"_s);   // the local sum
        p->Edt_142_1->clear();
        p->Edt_148->setText(u"9999999"_s);
        refused(u"经费最大长度不超得过7位！"_s);   // the total
        p->Edt_148->clear();
        const struct { const char *y, *m, *d, *message; QLineEdit *focus; } dates[] = {
            {"1948", "", "", "非法年份！合理年份应为1949年至今!", p->edt_34_y},
            {"2013", "5", "3", "非法年份！合理年份应为1949年至今!", p->edt_34_y},
            {"2008", "13", "3", "非法月份!", p->edt_34_m},
            {"2008", "5", "32", "非法日期!", p->edt_34_d},
            {"2008", "5", "", "日期非法!", p->edt_34_y},
            {"2008", "0", "3", "日期非法!", p->edt_34_y},
            {"2008", "2", "30", "日期非法!", p->edt_34_y},
            {"", "", "3", "日期非法!", p->edt_34_y}};
        for (const auto &d : dates) {
            p->edt_34_y->setText(QLatin1String(d.y));
            p->edt_34_m->setText(QLatin1String(d.m));
            p->edt_34_d->setText(QLatin1String(d.d));
            refused(QString::fromUtf8(d.message), d.focus);
        }
        EXPECT_EQ(DM->Qrykjcg.state(), db::DatasetState::Browse);
        EXPECT_EQ(stored(u"2009000001"_s, {u"ITEM_21"_s, u"ITEM_127"_s}), u"|"_s);
        p->edt_34_y->setText(u"2012"_s);
        p->edt_34_m->setText(u"6"_s);
        p->edt_34_d->setText(u"1"_s);
        expectWarning(u"储存成功！"_s);
        p->btnSave01->click();
    });
    EXPECT_EQ(stored(u"2009000001"_s, {u"ITEM_34"_s}), u"2012.06.01"_s);
}

TEST_F(Page3Test, SaveWritesTheStoredForms)
{
    record(u"2009000001"_s, u"1"_s);
    record(u"2009000002"_s, u"2"_s, kNational);
    start(u"2009000001"_s);
    page([this](TFpage3 *p) {
        p->RB_140_7->click();
        pick(p->CB_41, u"03  国家科技支撑计划"_s);
        p->Edt_127->setText(u"2009BAD12B03"_s);
        p->Edt_127_1->setText(u"城市供水管网漏损智能监测"_s);
        p->Edt_142_1->setText(u"1.5"_s);
        p->Edt_142_2->setText(u"2"_s);
        p->Edt_141->setText(u"10"_s);
        pick(p->cb_21, u"1  鉴定"_s);
        p->Edt_130->setText(u"O'Neil 评价中心"_s);
        p->edt_34_y->setText(u"2008"_s);
        p->edt_34_m->setText(u"5"_s);
        p->edt_34_d->setText(u"3"_s);
        expectWarning(u"储存成功！"_s);
        p->btnSave01->click();
    });
    const QStringList fields = {u"ITEM_126"_s, u"ITEM_140"_s, u"ITEM_41_1"_s, u"ITEM_142"_s, u"ITEM_149"_s,
                                u"ITEM_21"_s,  u"ITEM_130"_s, u"ITEM_34"_s,   u"ITEM_127_1"_s};
    EXPECT_EQ(stored(u"2009000001"_s, fields), u"01;|7|03|3.5|13.5|1|O'Neil 评价中心|2008.05.03|城市供水管网漏损智能监测"_s);
    EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page03));
    EXPECT_EQ(MainForm->btn_page03->text(), u"课题立项，评价情况"_s);

    // A soft-science record: another source with the blank sub-class, its
    // own appraisal list, no date.
    select(u"2009000002"_s);
    page([this](TFpage3 *p) {
        p->cb_126_02->click();
        pick(p->CB_41, u" "_s);
        pick(p->cb_21_l, u"4  评审"_s);
        for (QLineEdit *e : {p->edt_34_y, p->edt_34_m, p->edt_34_d})
            e->clear();
        expectWarning(u"储存成功！"_s);
        p->btnSave01->click();
    });
    EXPECT_EQ(stored(u"2009000002"_s, fields), u"02;|||3.5|13.5|4|湖北省科学技术厅||城市供水管网漏损智能监测"_s);
}

TEST_F(Page3Test, LeavingAsksOnlyWhenTheControlsDifferFromTheRecord)
{
    record(u"2009000001"_s, u"1"_s, kNational);
    start(u"2009000001"_s);
    page([this](TFpage3 *p) {
        p->edt_34_d->setText(u"6"_s);
        expectSaveQuestion(platform::No);
        p->quit01->click();
        EXPECT_FALSE(p->isVisible());
    });
    EXPECT_EQ(stored(u"2009000001"_s, {u"ITEM_34"_s}), u"2009.11.05"_s);
    page([this](TFpage3 *p) {
        p->edt_34_y->setText(u"1900"_s);   // an invalid page cannot be left
        expectWarning(u"非法年份！合理年份应为1949年至今!"_s);
        p->quit01->click();
        EXPECT_TRUE(p->isVisible());
        p->edt_34_y->setText(u"2009"_s);
        p->edt_34_d->setText(u"6"_s);
        expectSaveQuestion(platform::Yes);
        expectWarning(u"储存成功！"_s);
        p->quit01->click();
        EXPECT_FALSE(p->isVisible());
    });
    EXPECT_EQ(stored(u"2009000001"_s, {u"ITEM_34"_s}), u"2009.11.06"_s);
}

TEST_F(Page3Test, AnAmountWithMoreDecimalsThanItsFieldKeepsIsRefusedNamingTheField)
{
    record(u"2009000001"_s, u"1"_s, {{u"ITEM_141"_s, u"1234.5"_s}, {u"ITEM_126"_s, u"10;"_s}, {u"ITEM_21"_s, u"5"_s}});
    start(u"2009000001"_s);
    page([this](TFpage3 *p) {
        p->Edt_141->setText(u"0.00001"_s);
        seams.expectMessage(u"ITEM_141"_s, [](const platform::MessageCall &c) {
            EXPECT_TRUE(c.text.contains(u"0.00001"_s) && c.text.contains(u"只保留 4 位小数"_s)) << c.text.toStdString();
            return int(platform::Ok);
        });
        p->btnSave01->click();
        EXPECT_TRUE(p->isVisible());
        EXPECT_EQ(DM->Qrykjcg.state(), db::DatasetState::Browse);
    });
    EXPECT_EQ(stored(u"2009000001"_s, {u"ITEM_141"_s}), u"1234.5"_s) << "not rounded to 0";
}

TEST_F(Page3Test, FailedSaveLeavesNoHalfWrittenRow)
{
    record(u"2009000001"_s, u"1"_s, kNational);
    start(u"2009000001"_s);
    page([this](TFpage3 *p) {
        p->Edt_127->setText(u"2010AA000001"_s);
        p->Edt_127_1->setText(QString(100, QChar(0x7814)));   // 200 bytes: more than the field holds
        expectBox(QString(), u"提示"_s, platform::Icon::None);
        p->btnSave01->click();
        EXPECT_TRUE(p->isVisible());
        EXPECT_EQ(DM->Qrykjcg.state(), db::DatasetState::Browse);
        DM->Qrykjcg.edit();   // a later post of the same row carries nothing of the failed save
        DM->Qrykjcg.post();
        EXPECT_EQ(stored(u"2009000001"_s, {u"ITEM_127"_s}), u"2009BAD12B03"_s);
    });
}

TEST_F(Page3Test, SourceCodesWithQuotesOrStarsAreTextInTheSubClassFilter)
{
    add(u"dfjhzdxx"_s, {{u"item_126"_s, u"9'"_s}, {u"item_41_"_s, u"01"_s}, {u"xxmc"_s, u"试点专项"_s}});
    add(u"dfjhzdxx"_s, {{u"item_126"_s, u"90"_s}, {u"item_41_"_s, u"02"_s}, {u"xxmc"_s, u"其他专项"_s}});
    record(u"2009000001"_s, u"1"_s, {{u"ITEM_126"_s, u"9';"_s}, {u"ITEM_41_1"_s, u"01"_s}});
    start(u"2009000001"_s);
    page([](TFpage3 *p) {
        EXPECT_TRUE(p->CB_41->isVisible());
        EXPECT_EQ(p->CB_41->currentText(), u"01  试点专项"_s);
        p->GetItem41List(DM->TblDFJHZDXX, u"x' or item_126 <> '"_s, false, p->Lb_41, p->CB_41);
        EXPECT_FALSE(p->CB_41->isVisible());
        // "9*" is a code of its own, not every code beginning with 9.
        p->GetItem41List(DM->TblDFJHZDXX, u"9*"_s, false, p->Lb_41, p->CB_41);
        EXPECT_FALSE(p->CB_41->isVisible()) << qPrintable(p->CB_41->itemText(0));
    });
}

} // namespace
