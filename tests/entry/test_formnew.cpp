// The new-record and main-items dialog, driven through the main window's
// "新增" and "修改主项" over a seeded data folder.
#include "data/dm.h"
#include "db/dataset.h"
#include "db/error.h"
#include "entry/formnew.h"
#include "forms/gbkvalidator.h"
#include "platform/widgets/dispatch.h"
#include "shell/mainform.h"
#include "support/seededfolder.h"
#include "seed_loader.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using testsupport::Fields;
const QString kOrg = u"湖北省青岚应用技术研究院"_s;   // the seeded organisation data
const QString kTooLong = QString(80, QChar(0x7814));      // 160 bytes, more than ITEM_9 holds

class FormNewTest : public testsupport::SeededFolderTest {
protected:
    void SetUp() override
    {
        SeededFolderTest::SetUp();
        addOrganisation();
    }
    void record(const QString &key, const QString &category, const QString &name, const QString &region = u"."_s,
                Fields more = {})
    {
        more.insert({{u"ITEM_4"_s, key}, {u"ITEM_CGLB"_s, category}, {u"ITEM_3"_s, name}, {u"ITEM_DQDM"_s, region}});
        more.insert(u"ITEM_9"_s, more.value(u"ITEM_9"_s, kOrg));
        add(u"kjcg"_s, more);
    }
    void subRow(const QString &table, const QString &key, const QString &region = u"."_s)
    {
        add(table, {{u"ITEM_4"_s, key}, {u"ITEM_DQDM"_s, region}});
    }
    // "key/region" of every row in file order, with "=" and a field's value when asked.
    QStringList rows(const QString &table, const QString &field = QString())
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(table);
        t.open();
        QStringList out;
        for (t.first(); !t.eof(); t.next())
            out << t.fieldByName(u"ITEM_4"_s).asString() + u'/' + t.fieldByName(u"ITEM_DQDM"_s).asString()
                       + (field.isEmpty() ? QString() : u'=' + t.fieldByName(field).asString());
        return out;
    }
    // Fields of the record with that key and region.
    QStringList at(const QString &key, const QStringList &fields, const QString &region = u"."_s)
    {
        QStringList out;
        for (const QString &f : fields)
            for (const QString &row : rows(u"kjcg"_s, f))
                if (row.startsWith(key + u'/' + region + u'='))
                    out << row.section(u'=', 1);
        return out;
    }
    void start() { startWindows(); }
    // The main window lists a category and year, with the record current.
    void show(int categoryPos, const QString &year, const QString &key = QString(), const QString &region = u"."_s)
    {
        MainForm->ComboBox1->setCurrentIndex(categoryPos);
        MainForm->cbYear->setEditText(year);
        MainForm->RefreshRecordList(DM->Qrykjcg, MainForm->ComboBox1, MainForm->btn_page02, MainForm->cbYear);
        for (DM->Qrykjcg.first(); !DM->Qrykjcg.eof(); DM->Qrykjcg.next())
            if (currentKey() == key && DM->Qrykjcg.fieldByName(u"item_dqdm"_s).asString() == region)
                return;
        ASSERT_TRUE(key.isEmpty()) << "not listed: " << key.toStdString();
    }
    QString currentKey() { return DM->Qrykjcg.fieldByName(u"item_4"_s).asString(); }
    void run(void (TMainForm::*command)(), const std::function<void(TFormNew *)> &driver)
    {
        seams.onModal(u"FormNew"_s, [&](QDialog *) { driver(FormNew); return 0; });
        (MainForm->*command)();
    }
    // The page marks, then the enabled state of what the lock disables.
    static QList<bool> lockState()
    {
        QList<bool> state;
        for (QPushButton *b : MainForm->pageButtons())
            state << TMainForm::isPageComplete(b);
        for (QWidget *w : MainForm->lockedControls())
            state << w->isEnabled();
        return state;
    }
    static void pick(TFormNew *f, int category)
    {
        f->ComboBox1->setCurrentIndex(category);
        emit f->ComboBox1->activated(category);
    }
};

TEST_F(FormNewTest, RecordKeyFollowsTheLargestTenDigitKeyOfItsYear)
{
    start();
    EXPECT_EQ(data::nextRecordKey(u"2009"_s), u"2009000001"_s);
    record(u"2009000001"_s, u"1"_s, u"甲"_s);
    record(u"2009000009"_s, u"2"_s, u"乙"_s);   // other category, same year
    record(u"2009ZZZZZZ"_s, u"1"_s, u"丙"_s);   // larger as text, no serial
    record(u"200900099"_s, u"3"_s, u"丁"_s);
    record(u"2010000050"_s, u"1"_s, u"戊"_s);
    EXPECT_EQ(data::nextRecordKey(u"2009"_s), u"2009000010"_s);
    EXPECT_EQ(data::nextRecordKey(u"2010"_s), u"2010000051"_s);
    // Keys left in sub-tables are never handed out again.
    subRow(u"cgwcr"_s, u"2009000010"_s);
    subRow(u"zlqk"_s, u"2009000011"_s, u"37"_s);
    EXPECT_EQ(data::nextRecordKey(u"2009"_s), u"2009000012"_s);
    EXPECT_THROW(data::nextRecordKey(u"20a9"_s), db::EngineError);
    record(u"2011999999"_s, u"1"_s, u"己"_s);
    EXPECT_THROW(data::nextRecordKey(u"2011"_s), db::EngineError);
}

TEST_F(FormNewTest, NewRecordIsStoredListedAndLocksTheMainWindow)
{
    record(u"2009000001"_s, u"1"_s, u"城市供水管网监测"_s);
    start();
    ASSERT_EQ(MainForm->cbYear->findText(u"2031"_s), -1);
    run(&TMainForm::Button1Click, [&](TFormNew *f) {
        EXPECT_EQ(f->windowTitle(), u"请填写新项目！"_s);
        // The blank organisation data proposes the user's own organisation.
        EXPECT_EQ(f->edt_9->text(), u"青岚应用技术研究院"_s);
        f->edt_9->setText(kOrg);
        EXPECT_EQ(f->cbYear->text(), u"2009"_s);
        pick(f, 1);
        EXPECT_EQ(MainForm->ComboBox1->currentIndex(), 0);   // the list waits for the save
        f->cbYear->setText(u"2031"_s);
        f->edt_120->setText(u"DJ-01"_s);
        f->edt_3->setText(u"  李氏'三段式'育种法 "_s);
        f->Button1->click();
        EXPECT_FALSE(f->isVisible());
    });
    EXPECT_EQ(at(u"2031000001"_s, {u"ITEM_3"_s, u"ITEM_CGLB"_s, u"ITEM_9"_s, u"ITEM_120"_s, u"NO"_s}),
              QStringList({u"李氏'三段式'育种法"_s, u"2"_s, kOrg, u"DJ-01"_s, u"1"_s}));
    EXPECT_EQ(MainForm->cbYear->currentText(), u"2031"_s);
    EXPECT_EQ(currentKey(), u"2031000001"_s);
    EXPECT_FALSE(lockState().contains(true));
}

// Choosing another category and leaving without saving, in either mode,
// leaves the main window on its category, record and marks.
TEST_F(FormNewTest, CancelledCategoryChangeLeavesTheMainWindowAlone)
{
    record(u"2009000001"_s, u"1"_s, u"城市供水管网监测"_s);
    record(u"2009000002"_s, u"2"_s, u"区域创新政策研究"_s);
    start();
    show(0, u"2009"_s, u"2009000001"_s);
    MainForm->UpdatePageStatus();
    MainForm->UpdateCommandState();
    const QList<bool> before = lockState();
    seams.expectMessage(u"退出并储存？"_s, platform::Cancel);
    run(&TMainForm::Button5Click, [&](TFormNew *f) {
        pick(f, 2);
        EXPECT_EQ(MainForm->ComboBox1->currentIndex(), 0);
        f->Button2->click();
        EXPECT_FALSE(f->isVisible());
    });
    EXPECT_EQ(MainForm->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(currentKey(), u"2009000001"_s);
    EXPECT_EQ(lockState(), before);
    EXPECT_EQ(at(u"2009000001"_s, {u"ITEM_CGLB"_s}), QStringList({u"1"_s}));
    seams.expectMessage(u"退出并储存？"_s, platform::Cancel);
    run(&TMainForm::Button1Click, [&](TFormNew *f) {
        pick(f, 1);
        f->edt_3->setText(u"水稻抗病育种"_s);
        f->Button2->click();
    });
    EXPECT_EQ(MainForm->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(currentKey(), u"2009000001"_s);
}

TEST_F(FormNewTest, SaveRefusesMissingItemsBadYearsAndTakenNames)
{
    record(u"2009000001"_s, u"1"_s, u"水稻抗病育种"_s);
    start();
    for (const char *text : {"年份不能为空！", "不能输入1900到2050外的年份！", "不能输入1900到2050外的年份！", "不能输入非数字的字符！",
                             "成果名称不能为空！", "成果第一完成单位不能为空！"})
        expectWarning(QString::fromUtf8(text));
    expectBox(u"已有同名项目!"_s, u"提示信息"_s, platform::Icon::Information);
    expectBox(u"退出并储存？"_s, u"提示信息"_s, platform::Icon::Information, platform::Cancel);
    run(&TMainForm::Button1Click, [&](TFormNew *f) {
        f->edt_3->setText(u"水稻抗病育种"_s);
        for (const char *year : {"", "205", "2051", "20a9"}) {
            f->cbYear->setText(QLatin1String(year));
            f->Button1->click();
        }
        f->cbYear->setText(u"2009"_s);
        f->edt_3->setText(u"   "_s);
        f->Button1->click();
        f->edt_3->setText(u" 水稻抗病育种  "_s);
        f->edt_9->clear();
        f->Button1->click();
        f->edt_9->setText(kOrg);
        f->Button1->click();   // the trimmed name is taken
        EXPECT_TRUE(f->isVisible());
        f->Button2->click();   // leave without saving
        EXPECT_FALSE(f->isVisible());
    });
    // Nothing typed at all: 存储 just closes.
    run(&TMainForm::Button1Click, [&](TFormNew *f) {
        f->edt_9->clear();
        f->Button1->click();
        EXPECT_FALSE(f->isVisible());
    });
    EXPECT_EQ(rows(u"kjcg"_s), QStringList{u"2009000001/."_s});
}

TEST_F(FormNewTest, FailedNewRecordLeavesNoPendingRowAndNoLock)
{
    // The current record is complete: nothing marked, nothing locked.
    Fields complete = {{u"ITEM_121"_s, u"2009-05-01"_s}};
    for (const char *f : {"ITEM_8", "ITEM_1", "ITEM_201", "ITEM_125", "ITEM_13_1", "ITEM_13", "ITEM_16", "ITEM_33", "ITEM_123",
                          "ITEM_125_1", "ITEM_161", "ITEM_126", "ITEM_37", "ITEM_38", "ITEM_62", "ITEM_64", "ITEM_41", "ITEM_41_2"})
        complete.insert(QLatin1String(f), u"1"_s);
    record(u"2009000001"_s, u"1"_s, u"城市供水管网监测"_s, u"."_s, complete);
    subRow(u"cgwcr"_s, u"2009000001"_s);
    start();
    MainForm->UpdatePageStatus();
    ASSERT_TRUE(MainForm->UpdateCommandState());
    const QList<bool> before = lockState();
    expectBox(QString(), u"提示"_s, platform::Icon::None);
    run(&TMainForm::Button1Click, [&](TFormNew *f) {
        f->edt_3->setText(u"高效节能电机控制技术"_s);
        f->edt_9->setText(kTooLong);
        f->Button1->click();
        EXPECT_TRUE(f->isVisible());
        EXPECT_EQ(DM->T_temp_out.state(), db::DatasetState::Browse);
        EXPECT_EQ(lockState(), before);
        EXPECT_EQ(currentKey(), u"2009000001"_s);
        f->edt_9->setText(kOrg);
        f->Button1->click();
        EXPECT_FALSE(f->isVisible());
    });
    EXPECT_EQ(rows(u"kjcg"_s, u"ITEM_3"_s), QStringList({u"2009000001/.=城市供水管网监测"_s, u"2009000002/.=高效节能电机控制技术"_s}));
}

TEST_F(FormNewTest, RenameInItsYearKeepsTheKeyAndRefusesAnotherRecordsName)
{
    record(u"2009000001"_s, u"1"_s, u"城市供水管网监测"_s);
    record(u"2009000002"_s, u"1"_s, u"水稻抗病育种"_s);
    subRow(u"cgwcr"_s, u"2009000002"_s);
    start();
    show(0, u"2009"_s, u"2009000002"_s);
    run(&TMainForm::Button5Click, [&](TFormNew *f) {
        EXPECT_EQ(f->cbYear->text(), u"2009"_s);
        EXPECT_EQ(f->edt_3->text(), u"水稻抗病育种"_s);
        f->edt_3->setText(u" 水稻抗病育种（二期） "_s);
        f->edt_120->setText(u" DJ-7 "_s);
        f->Button1->click();
        EXPECT_FALSE(f->isVisible());
    });
    const QStringList renamed = {u"水稻抗病育种（二期）"_s, u"DJ-7"_s};
    EXPECT_EQ(at(u"2009000002"_s, {u"ITEM_3"_s, u"ITEM_120"_s}), renamed);
    EXPECT_EQ(rows(u"cgwcr"_s), QStringList{u"2009000002/."_s});
    EXPECT_EQ(currentKey(), u"2009000002"_s);

    // Its own name again is accepted; the other record's name is not, and
    // the list stays on the edited record.
    run(&TMainForm::Button5Click, [&](TFormNew *f) { f->Button1->click(); });
    expectBox(u"已有同名项目!"_s, u"提示信息"_s, platform::Icon::Information);
    run(&TMainForm::Button5Click, [&](TFormNew *f) {
        f->edt_3->setText(u"城市供水管网监测 "_s);
        f->Button1->click();
        EXPECT_FALSE(f->isVisible());
    });
    EXPECT_EQ(at(u"2009000002"_s, {u"ITEM_3"_s, u"ITEM_120"_s}), renamed);
    EXPECT_EQ(currentKey(), u"2009000002"_s);
}

TEST_F(FormNewTest, MoveToAnotherCategoryAndYearTakesTheRecordsOwnRowsAlong)
{
    const QString name = u"高效节能电机控制技术"_s;
    record(u"2009000002"_s, u"1"_s, name);   // same key and name, another region
    record(u"2009000002"_s, u"1"_s, name, u"37"_s, {{u"ITEM_123"_s, u"01"_s}, {u"ITEM_16"_s, u"1"_s}, {u"ITEM_21"_s, u"8"_s}});
    record(u"2010000003"_s, u"2"_s, u"区域创新政策研究"_s);
    subRow(u"cgwcr"_s, u"2010000004"_s);
    const QStringList subs = {u"cgwcdw"_s, u"zlqk"_s, u"jdwyhmd"_s, u"cgwcr"_s};
    for (const QString &sub : subs)
        for (const char *region : {"37", ".", "37"})
            subRow(sub, u"2009000002"_s, QLatin1String(region));
    start();
    show(0, u"2009"_s, u"2009000002"_s, u"37"_s);
    run(&TMainForm::Button5Click, [&](TFormNew *f) {
        pick(f, 1);
        f->cbYear->setText(u"2010"_s);
        f->edt_3->setText(name + u"（软科学版）"_s);
        f->Button1->click();
        EXPECT_FALSE(f->isVisible());
    });
    const QString moved = u"2010000005"_s;   // 2010000004 is taken by a persons row
    EXPECT_EQ(at(moved, {u"ITEM_CGLB"_s, u"ITEM_123"_s, u"ITEM_16"_s, u"ITEM_21"_s}, u"37"_s),
              QStringList({u"2"_s, QString(), QString(), u"8"_s}));
    EXPECT_EQ(at(u"2009000002"_s, {u"ITEM_3"_s}), QStringList{name});
    for (const QString &sub : subs) {
        QStringList want = {moved + u"/37"_s, u"2009000002/."_s, moved + u"/37"_s};
        if (sub == u"cgwcr"_s)
            want.prepend(u"2010000004/."_s);
        EXPECT_EQ(rows(sub), want) << sub.toStdString();
    }
    EXPECT_EQ(MainForm->ComboBox1->currentIndex(), 1);
    EXPECT_EQ(MainForm->cbYear->currentText(), u"2010"_s);
    EXPECT_EQ(currentKey(), moved);
    EXPECT_EQ(DM->Qrykjcg.fieldByName(u"NO"_s).asString(), u"1"_s);
}

TEST_F(FormNewTest, CategoryChangeEmptiesWhatTheNewCategoryDoesNotHave)
{
    struct Case { const char *key; int from, to; const char *item21, *item21After; };
    const Case cases[] = {
        {"2009000001", 0, 1, "1", ""},  {"2009000002", 0, 1, "8", "8"}, {"2009000003", 1, 0, "4", ""},
        {"2009000004", 1, 0, "8", "8"}, {"2009000005", 1, 2, "4", "4"}, {"2009000006", 0, 0, "4", "4"},
    };
    const QStringList fields = {u"ITEM_CGLB"_s, u"ITEM_21"_s, u"ITEM_210"_s, u"ITEM_200"_s, u"ITEM_32"_s, u"ITEM_125_1"_s};
    for (const Case &c : cases)
        record(QLatin1String(c.key), QString::number(c.from + 1), u"成果"_s + QLatin1String(c.key), u"."_s,
               {{u"ITEM_21"_s, QLatin1String(c.item21)}, {u"ITEM_210"_s, u"1"_s}, {u"ITEM_200"_s, u"A01"_s},
                {u"ITEM_32"_s, u"110"_s}, {u"ITEM_125_1"_s, u"1234567"_s}});
    start();
    for (const Case &c : cases) {
        show(c.from, u"2009"_s, QLatin1String(c.key));
        run(&TMainForm::Button5Click, [&](TFormNew *f) {
            pick(f, c.to);
            f->Button1->click();
        });
        const bool toApplied = c.from != c.to && c.to == 0, toOther = c.from != c.to && c.to != 0;
        EXPECT_EQ(at(QLatin1String(c.key), fields),
                  QStringList({QString::number(c.to + 1), QLatin1String(c.item21After), toApplied ? QString() : u"1"_s,
                               toApplied ? QString() : u"A01"_s, toOther ? QString() : u"110"_s, toOther ? QString() : u"1234567"_s}))
            << c.key;
    }
}

TEST_F(FormNewTest, FailedMovePutsTheRecordAndItsRowsBack)
{
    record(u"2009000001"_s, u"1"_s, u"城市供水管网监测"_s, u"."_s, {{u"ITEM_21"_s, u"1"_s}});
    for (const QString &sub : {u"cgwcdw"_s, u"zlqk"_s, u"jdwyhmd"_s, u"cgwcr"_s, u"cgwcr"_s})
        subRow(sub, u"2009000001"_s);
    start();
    static int writes; // the fifth row of the move cannot be written
    writes = 0;
    data::recordWriteHook = [] {
        if (++writes == 6)
            throw db::EngineError(u"磁盘已满"_s);
    };
    show(0, u"2009"_s, u"2009000001"_s);
    expectBox(QString(), u"提示"_s, platform::Icon::None);   // the organisation does not fit
    expectBox(u"磁盘已满"_s, u"提示"_s, platform::Icon::None);
    expectBox(u"退出并储存？"_s, u"提示信息"_s, platform::Icon::Information, platform::Cancel);
    run(&TMainForm::Button5Click, [&](TFormNew *f) {
        pick(f, 2);
        f->cbYear->setText(u"2010"_s);
        f->edt_9->setText(kTooLong);
        f->Button1->click();
        EXPECT_EQ(writes, 0);
        f->edt_9->setText(kOrg);
        f->edt_3->setText(u"城市供水管网在线监测"_s);
        f->Button1->click();
        EXPECT_TRUE(f->isVisible());
        EXPECT_EQ(MainForm->ComboBox1->currentIndex(), 0);
        EXPECT_EQ(MainForm->cbYear->currentText(), u"2009"_s);
        EXPECT_EQ(currentKey(), u"2009000001"_s);
        f->Button2->click();
        EXPECT_FALSE(f->isVisible());
    });
    data::recordWriteHook = nullptr;
    EXPECT_EQ(writes, 6);
    EXPECT_EQ(rows(u"kjcg"_s, u"ITEM_3"_s), QStringList{u"2009000001/.=城市供水管网监测"_s});
    EXPECT_EQ(at(u"2009000001"_s, {u"ITEM_CGLB"_s, u"ITEM_21"_s}), QStringList({u"1"_s, u"1"_s}));
    for (const QString &sub : {u"cgwcdw"_s, u"zlqk"_s, u"jdwyhmd"_s})
        EXPECT_EQ(rows(sub), QStringList{u"2009000001/."_s}) << sub.toStdString();
    EXPECT_EQ(rows(u"cgwcr"_s), QStringList(2, u"2009000001/."_s));
}

TEST_F(FormNewTest, EditKeepsTheRecordsYearWhateverTheMainWindowShows)
{
    record(u"2008000001"_s, u"1"_s, u"城市供水管网监测"_s);
    record(u"2009000001"_s, u"1"_s, u"水稻抗病育种"_s);
    start();
    show(0, u"2009"_s);
    DM->OpenQuerySQL(DM->Qrykjcg, u"select * from kjcg where item_3 like '%管网%'"_s);   // a search result
    run(&TMainForm::Button5Click, [&](TFormNew *f) {
        EXPECT_EQ(f->cbYear->text(), u"2008"_s);
        f->edt_3->setText(u"城市供水管网漏损监测"_s);
        f->Button1->click();
    });
    EXPECT_EQ(rows(u"kjcg"_s, u"ITEM_3"_s), QStringList({u"2008000001/.=城市供水管网漏损监测"_s, u"2009000001/.=水稻抗病育种"_s}));
    EXPECT_EQ(MainForm->cbYear->currentText(), u"2008"_s);
}

TEST_F(FormNewTest, YearEditLeavingAndClosing)
{
    start();
    const QString mainYear = MainForm->cbYear->currentText();
    expectWarning(u"不能输入非数字的字符！"_s);
    expectWarning(u"不能输入1900到2050外的年份！"_s);
    expectWarning(u"成果第一完成单位不能为空！"_s);
    run(&TMainForm::Button1Click, [&](TFormNew *f) {
        EXPECT_TRUE(f->NewFormSaved);
        f->cbYear->clear();
        QTest::keyClicks(f->cbYear, u"201x"_s);
        EXPECT_EQ(MainForm->cbYear->currentText(), mainYear);
        f->cbYear->setText(u"205"_s);
        EXPECT_FALSE(platform::runHandler(f, [f] { f->cbYearExit(); }));
        QStringList stepped;
        for (const auto &[from, button] : {std::pair{"2050", f->UpDown1->upButton()}, std::pair{"1900", f->UpDown1->downButton()},
                                           std::pair{"2009", f->UpDown1->upButton()}}) {
            f->cbYear->setText(QLatin1String(from));
            button->click();
            stepped << f->cbYear->text();
        }
        EXPECT_EQ(stepped, QStringList({u"2050"_s, u"1900"_s, u"2010"_s}));
        EXPECT_FALSE(f->NewFormSaved);
        f->close();   // refused while something is unsaved
        f->reject();
        EXPECT_TRUE(f->isVisible());
        f->edt_3->setText(u"水稻抗病育种"_s);
        f->edt_9->clear();
        f->Button2->click();   // one of the two missing: its message, and stay
        EXPECT_TRUE(f->isVisible());
        f->edt_3->clear();
        f->Button2->click();
        EXPECT_FALSE(f->isVisible());
    });
    EXPECT_TRUE(rows(u"kjcg"_s).isEmpty());
}

} // namespace
