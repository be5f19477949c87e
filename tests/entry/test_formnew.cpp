// The new-record and main-items dialog, driven through the main window's
// "新增" and "修改主项" over a seeded data folder.
#include "data/dm.h"
#include "db/dataset.h"
#include "db/error.h"
#include "entry/formnew.h"
#include "entry/gbkvalidator.h"
#include "platform/dispatch.h"
#include "shell/mainform.h"
#include "support/testseams.h"
#include "seed_loader.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

// Readable failures.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace {

using Fields = QMap<QString, QString>;
const QString kOrg = QStringLiteral("湖北省青岚应用技术研究院");   // the seeded organisation data

class FormNewTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString data;
    testsupport::TestSeams seams;

    void SetUp() override
    {
        data = tmp.path() + QStringLiteral("/data");
        seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), data);
        add(QStringLiteral("unit"), {{QStringLiteral("item_9"), QStringLiteral("青岚应用技术研究院")}});
    }
    void TearDown() override
    {
        seams.verifyAllUsed();
        delete MainForm;
        MainForm = nullptr;
        FormNew = nullptr;
        delete DM;
        DM = nullptr;
    }
    void add(const QString &name, const Fields &values)
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(name);
        t.open();
        t.append();
        for (auto it = values.begin(); it != values.end(); ++it)
            t.fieldByName(it.key()).setAsString(it.value());
        t.post();
    }
    void record(const QString &key, const QString &category, const QString &name, const QString &region = QStringLiteral("."),
                Fields more = {})
    {
        more.insert(QStringLiteral("ITEM_4"), key);
        more.insert(QStringLiteral("ITEM_CGLB"), category);
        more.insert(QStringLiteral("ITEM_3"), name);
        more.insert(QStringLiteral("ITEM_DQDM"), region);
        if (!more.contains(QStringLiteral("ITEM_9")))
            more.insert(QStringLiteral("ITEM_9"), kOrg);
        add(QStringLiteral("kjcg"), more);
    }
    // "key/region" of every row, in file order (a field's value appended after "=").
    QStringList rows(const QString &name, const QString &field = QString())
    {
        QStringList out;
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(name);
        t.open();
        for (t.first(); !t.eof(); t.next())
            out << t.fieldByName(QStringLiteral("ITEM_4")).asString() + QLatin1Char('/') + t.fieldByName(QStringLiteral("ITEM_DQDM")).asString()
                       + (field.isEmpty() ? QString() : QLatin1Char('=') + t.fieldByName(field).asString());
        return out;
    }
    QString value(const QString &key, const QString &region, const QString &field)
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(QStringLiteral("kjcg"));
        t.open();
        for (t.first(); !t.eof(); t.next())
            if (t.fieldByName(QStringLiteral("ITEM_4")).asString() == key && t.fieldByName(QStringLiteral("ITEM_DQDM")).asString() == region)
                return t.fieldByName(field).asString();
        return QStringLiteral("<no record>");
    }
    void start()
    {
        DM = new TDM(data);
        MainForm = new TMainForm;
        FormNew = new TFormNew(MainForm);
        MainForm->FormShow();
    }
    // The main window lists a category and year with the record current.
    void show(int categoryPos, const QString &year, const QString &key = QString(), const QString &region = QStringLiteral("."))
    {
        MainForm->ComboBox1->setCurrentIndex(categoryPos);
        MainForm->cbYear->setEditText(year);
        MainForm->RefreshRecordList(DM->Qrykjcg, MainForm->ComboBox1, MainForm->btn_page02, MainForm->cbYear);
        for (DM->Qrykjcg.first(); !key.isEmpty() && !DM->Qrykjcg.eof(); DM->Qrykjcg.next())
            if (DM->Qrykjcg.fieldByName(QStringLiteral("item_4")).asString() == key
                && DM->Qrykjcg.fieldByName(QStringLiteral("item_dqdm")).asString() == region)
                return;
        ASSERT_TRUE(key.isEmpty()) << "record not listed: " << key.toStdString();
    }
    QString currentKey() { return DM->Qrykjcg.fieldByName(QStringLiteral("item_4")).asString(); }
    void expect(const QString &text, const QString &caption, platform::Icon icon, int answer = platform::Ok)
    {
        seams.expectMessage(text, [=](const platform::MessageCall &c) {
            if (!text.isEmpty())
                EXPECT_EQ(c.text, text);
            EXPECT_EQ(c.caption, caption) << c.text.toStdString();
            EXPECT_EQ(c.icon, icon) << c.text.toStdString();
            return answer;
        });
    }
    void warning(const QString &text) { expect(text, MsgCaption, platform::Icon::Warning); }
    // Runs a command of the main window with the dialog worked by `driver`.
    void run(void (TMainForm::*command)(), const std::function<void(TFormNew *)> &driver)
    {
        seams.onModal(QStringLiteral("FormNew"), [&](QDialog *) { driver(FormNew); return 0; });
        (MainForm->*command)();
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
    EXPECT_EQ(NextRecordKey(QStringLiteral("2009")), QStringLiteral("2009000001"));
    record(QStringLiteral("2009000001"), QStringLiteral("1"), QStringLiteral("甲"));
    record(QStringLiteral("2009000009"), QStringLiteral("2"), QStringLiteral("乙"));   // other category, same year
    record(QStringLiteral("2009ZZZZZZ"), QStringLiteral("1"), QStringLiteral("丙"));   // larger as text, no serial
    record(QStringLiteral("200900099"), QStringLiteral("3"), QStringLiteral("丁"));
    record(QStringLiteral("2010000050"), QStringLiteral("1"), QStringLiteral("戊"));
    EXPECT_EQ(NextRecordKey(QStringLiteral("2009")), QStringLiteral("2009000010"));
    EXPECT_EQ(NextRecordKey(QStringLiteral("2010")), QStringLiteral("2010000051"));
    // Keys left in sub-tables are never handed out again.
    add(QStringLiteral("cgwcr"), {{QStringLiteral("ITEM_4"), QStringLiteral("2009000010")}, {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")}});
    add(QStringLiteral("zlqk"), {{QStringLiteral("ITEM_4"), QStringLiteral("2009000011")}, {QStringLiteral("ITEM_DQDM"), QStringLiteral("37")}});
    EXPECT_EQ(NextRecordKey(QStringLiteral("2009")), QStringLiteral("2009000012"));
    EXPECT_THROW(NextRecordKey(QStringLiteral("20a9")), db::EngineError);
    record(QStringLiteral("2011999999"), QStringLiteral("1"), QStringLiteral("己"));
    EXPECT_THROW(NextRecordKey(QStringLiteral("2011")), db::EngineError);
}

TEST_F(FormNewTest, NewRecordIsStoredListedAndLocksTheMainWindow)
{
    record(QStringLiteral("2009000001"), QStringLiteral("1"), QStringLiteral("城市供水管网监测"));
    start();
    ASSERT_EQ(MainForm->cbYear->findText(QStringLiteral("2031")), -1);
    run(&TMainForm::Button1Click, [&](TFormNew *f) {
        EXPECT_EQ(f->windowTitle(), QStringLiteral("请填写新项目！"));
        EXPECT_EQ(f->edt_9->text(), kOrg);
        EXPECT_EQ(f->cbYear->text(), QStringLiteral("2009"));
        pick(f, 1);
        EXPECT_EQ(MainForm->ComboBox1->currentIndex(), 1);   // the list follows the category at once
        f->cbYear->setText(QStringLiteral("2031"));
        f->edt_120->setText(QStringLiteral("DJ-01"));
        f->edt_3->setText(QStringLiteral("  李氏'三段式'育种法 "));
        f->Button1->click();
        EXPECT_FALSE(f->isVisible());
    });
    EXPECT_EQ(value(QStringLiteral("2031000001"), QStringLiteral("."), QStringLiteral("ITEM_3")), QStringLiteral("李氏'三段式'育种法"));
    EXPECT_EQ(value(QStringLiteral("2031000001"), QStringLiteral("."), QStringLiteral("ITEM_CGLB")), QStringLiteral("2"));
    EXPECT_EQ(value(QStringLiteral("2031000001"), QStringLiteral("."), QStringLiteral("ITEM_9")), kOrg);
    EXPECT_EQ(value(QStringLiteral("2031000001"), QStringLiteral("."), QStringLiteral("ITEM_120")), QStringLiteral("DJ-01"));
    EXPECT_EQ(value(QStringLiteral("2031000001"), QStringLiteral("."), QStringLiteral("NO")), QStringLiteral("1"));
    EXPECT_EQ(MainForm->cbYear->currentText(), QStringLiteral("2031"));
    EXPECT_EQ(currentKey(), QStringLiteral("2031000001"));
    for (QPushButton *b : MainForm->pageButtons())
        EXPECT_FALSE(TMainForm::isPageComplete(b)) << b->objectName().toStdString();
    for (QWidget *w : MainForm->lockedControls())
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
}

TEST_F(FormNewTest, SaveRefusesMissingItemsBadYearsAndTakenNames)
{
    record(QStringLiteral("2009000001"), QStringLiteral("1"), QStringLiteral("水稻抗病育种"));
    start();
    warning(QStringLiteral("年份不能为空！"));
    for (int i = 0; i < 2; ++i)
        warning(QStringLiteral("不能输入1900到2050外的年份！"));
    warning(QStringLiteral("不能输入非数字的字符！"));
    warning(QStringLiteral("成果名称不能为空！"));
    warning(QStringLiteral("成果第一完成单位不能为空！"));
    expect(QStringLiteral("已有同名项目!"), QStringLiteral("提示信息"), platform::Icon::Information);
    expect(QStringLiteral("退出并储存？"), QStringLiteral("提示信息"), platform::Icon::Information, platform::Cancel);
    run(&TMainForm::Button1Click, [&](TFormNew *f) {
        f->edt_3->setText(QStringLiteral("水稻抗病育种"));
        for (const char *year : {"", "205", "2051", "20a9"}) {
            f->cbYear->setText(QLatin1String(year));
            f->Button1->click();
        }
        f->cbYear->setText(QStringLiteral("2009"));
        f->edt_3->setText(QStringLiteral("   "));
        f->Button1->click();
        f->edt_3->setText(QStringLiteral(" 水稻抗病育种  "));
        f->edt_9->clear();
        f->Button1->click();
        f->edt_9->setText(kOrg);
        f->Button1->click();                       // the trimmed name is taken
        EXPECT_TRUE(f->isVisible());
        f->Button2->click();                       // leave without saving
        EXPECT_FALSE(f->isVisible());
    });
    EXPECT_EQ(rows(QStringLiteral("kjcg")), QStringList{QStringLiteral("2009000001/.")});

    // Nothing typed at all: 存储 just closes.
    run(&TMainForm::Button1Click, [&](TFormNew *f) {
        f->edt_9->clear();
        f->Button1->click();
        EXPECT_FALSE(f->isVisible());
    });
    EXPECT_EQ(rows(QStringLiteral("kjcg")).size(), 1);
}

TEST_F(FormNewTest, FailedNewRecordLeavesNoPendingRowAndNoLock)
{
    // A complete record is current: nothing is marked or locked.
    Fields complete = {{QStringLiteral("ITEM_121"), QStringLiteral("2009-05-01")}};
    for (const char *f : {"ITEM_8", "ITEM_1", "ITEM_201", "ITEM_125", "ITEM_13_1", "ITEM_13", "ITEM_16", "ITEM_33", "ITEM_123",
                          "ITEM_125_1", "ITEM_161", "ITEM_126", "ITEM_37", "ITEM_38", "ITEM_62", "ITEM_64", "ITEM_41", "ITEM_41_2"})
        complete.insert(QLatin1String(f), QStringLiteral("1"));
    record(QStringLiteral("2009000001"), QStringLiteral("1"), QStringLiteral("城市供水管网监测"), QStringLiteral("."), complete);
    add(QStringLiteral("cgwcr"), {{QStringLiteral("ITEM_4"), QStringLiteral("2009000001")}, {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")}});
    start();
    MainForm->UpdatePageStatus();
    ASSERT_TRUE(MainForm->UpdateCommandState());
    QList<bool> before;
    for (QPushButton *b : MainForm->pageButtons())
        before << TMainForm::isPageComplete(b);
    for (QWidget *w : MainForm->lockedControls())
        before << w->isEnabled();
    expect(QString(), QStringLiteral("提示"), platform::Icon::None);
    run(&TMainForm::Button1Click, [&](TFormNew *f) {
        f->edt_3->setText(QStringLiteral("高效节能电机控制技术"));
        f->edt_9->setText(QString(80, QChar(0x7814)));   // 160 bytes: more than the field holds
        f->Button1->click();
        EXPECT_TRUE(f->isVisible());
        EXPECT_EQ(DM->T_temp_out.state(), db::DatasetState::Browse);
        EXPECT_EQ(rows(QStringLiteral("kjcg")).size(), 1);
        QList<bool> after;
        for (QPushButton *b : MainForm->pageButtons())
            after << TMainForm::isPageComplete(b);
        for (QWidget *w : MainForm->lockedControls())
            after << w->isEnabled();
        EXPECT_EQ(after, before);
        EXPECT_EQ(currentKey(), QStringLiteral("2009000001"));
        f->edt_9->setText(kOrg);
        f->Button1->click();
        EXPECT_FALSE(f->isVisible());
    });
    EXPECT_EQ(rows(QStringLiteral("kjcg"), QStringLiteral("ITEM_3")),
              QStringList({QStringLiteral("2009000001/.=城市供水管网监测"), QStringLiteral("2009000002/.=高效节能电机控制技术")}));
}

TEST_F(FormNewTest, RenameInItsYearKeepsTheKeyAndRefusesAnotherRecordsName)
{
    record(QStringLiteral("2009000001"), QStringLiteral("1"), QStringLiteral("城市供水管网监测"));
    record(QStringLiteral("2009000002"), QStringLiteral("1"), QStringLiteral("水稻抗病育种"));
    add(QStringLiteral("cgwcr"), {{QStringLiteral("ITEM_4"), QStringLiteral("2009000002")}, {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")}});
    start();
    show(0, QStringLiteral("2009"), QStringLiteral("2009000002"));
    run(&TMainForm::Button5Click, [&](TFormNew *f) {
        EXPECT_EQ(f->cbYear->text(), QStringLiteral("2009"));
        EXPECT_EQ(f->edt_3->text(), QStringLiteral("水稻抗病育种"));
        f->edt_3->setText(QStringLiteral(" 水稻抗病育种（二期） "));
        f->edt_120->setText(QStringLiteral(" DJ-7 "));
        f->Button1->click();
        EXPECT_FALSE(f->isVisible());
    });
    EXPECT_EQ(value(QStringLiteral("2009000002"), QStringLiteral("."), QStringLiteral("ITEM_3")), QStringLiteral("水稻抗病育种（二期）"));
    EXPECT_EQ(value(QStringLiteral("2009000002"), QStringLiteral("."), QStringLiteral("ITEM_120")), QStringLiteral("DJ-7"));
    EXPECT_EQ(rows(QStringLiteral("cgwcr")), QStringList{QStringLiteral("2009000002/.")});
    EXPECT_EQ(currentKey(), QStringLiteral("2009000002"));

    // Its own name again is accepted; the other record's name is not, and
    // the list stays on the edited record.
    run(&TMainForm::Button5Click, [&](TFormNew *f) { f->Button1->click(); });
    expect(QStringLiteral("已有同名项目!"), QStringLiteral("提示信息"), platform::Icon::Information);
    run(&TMainForm::Button5Click, [&](TFormNew *f) {
        f->edt_3->setText(QStringLiteral("城市供水管网监测 "));
        f->Button1->click();
        EXPECT_FALSE(f->isVisible());
    });
    EXPECT_EQ(value(QStringLiteral("2009000002"), QStringLiteral("."), QStringLiteral("ITEM_3")), QStringLiteral("水稻抗病育种（二期）"));
    EXPECT_EQ(currentKey(), QStringLiteral("2009000002"));
}

TEST_F(FormNewTest, MoveToAnotherCategoryAndYearTakesTheRecordsOwnRowsAlong)
{
    const QString name = QStringLiteral("高效节能电机控制技术");
    record(QStringLiteral("2009000002"), QStringLiteral("1"), name);   // same key and name, another region
    record(QStringLiteral("2009000002"), QStringLiteral("1"), name, QStringLiteral("37"),
           {{QStringLiteral("ITEM_123"), QStringLiteral("01")}, {QStringLiteral("ITEM_16"), QStringLiteral("1")},
            {QStringLiteral("ITEM_21"), QStringLiteral("8")}});
    record(QStringLiteral("2010000003"), QStringLiteral("2"), QStringLiteral("区域创新政策研究"));
    add(QStringLiteral("cgwcr"), {{QStringLiteral("ITEM_4"), QStringLiteral("2010000004")}, {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")}});
    const QStringList subs = {QStringLiteral("cgwcdw"), QStringLiteral("zlqk"), QStringLiteral("jdwyhmd"), QStringLiteral("cgwcr")};
    for (const QString &sub : subs)
        for (const char *region : {"37", ".", "37"})
            add(sub, {{QStringLiteral("ITEM_4"), QStringLiteral("2009000002")}, {QStringLiteral("ITEM_DQDM"), QLatin1String(region)}});
    start();
    show(0, QStringLiteral("2009"), QStringLiteral("2009000002"), QStringLiteral("37"));
    run(&TMainForm::Button5Click, [&](TFormNew *f) {
        pick(f, 1);
        f->cbYear->setText(QStringLiteral("2010"));
        f->edt_3->setText(name + QStringLiteral("（软科学版）"));
        f->Button1->click();
        EXPECT_FALSE(f->isVisible());
    });
    const QString moved = QStringLiteral("2010000005");   // 2010000004 is taken by a persons row
    EXPECT_EQ(value(moved, QStringLiteral("37"), QStringLiteral("ITEM_CGLB")), QStringLiteral("2"));
    EXPECT_EQ(value(moved, QStringLiteral("37"), QStringLiteral("ITEM_123")), QString());
    EXPECT_EQ(value(moved, QStringLiteral("37"), QStringLiteral("ITEM_16")), QString());
    EXPECT_EQ(value(moved, QStringLiteral("37"), QStringLiteral("ITEM_21")), QStringLiteral("8"));
    EXPECT_EQ(value(QStringLiteral("2009000002"), QStringLiteral("."), QStringLiteral("ITEM_3")), name);
    for (const QString &sub : subs) {
        QStringList want = {moved + QStringLiteral("/37"), QStringLiteral("2009000002/."), moved + QStringLiteral("/37")};
        if (sub == QLatin1String("cgwcr"))
            want.prepend(QStringLiteral("2010000004/."));
        EXPECT_EQ(rows(sub), want) << sub.toStdString();
    }
    EXPECT_EQ(MainForm->ComboBox1->currentIndex(), 1);
    EXPECT_EQ(MainForm->cbYear->currentText(), QStringLiteral("2010"));
    EXPECT_EQ(currentKey(), moved);
    EXPECT_EQ(DM->Qrykjcg.fieldByName(QStringLiteral("NO")).asString(), QStringLiteral("1"));
}

TEST_F(FormNewTest, CategoryChangeEmptiesWhatTheNewCategoryDoesNotHave)
{
    struct Case { const char *key, *from; int to; const char *item21, *item21After; };
    const Case cases[] = {
        {"2009000001", "1", 1, "1", ""},  {"2009000002", "1", 1, "8", "8"}, {"2009000003", "2", 0, "4", ""},
        {"2009000004", "2", 0, "8", "8"}, {"2009000005", "2", 2, "4", "4"}, {"2009000006", "1", 0, "4", "4"},
    };
    for (const Case &c : cases)
        record(QLatin1String(c.key), QLatin1String(c.from), QStringLiteral("成果") + QLatin1String(c.key), QStringLiteral("."),
               {{QStringLiteral("ITEM_21"), QLatin1String(c.item21)}, {QStringLiteral("ITEM_210"), QStringLiteral("1")},
                {QStringLiteral("ITEM_200"), QStringLiteral("A01")}, {QStringLiteral("ITEM_32"), QStringLiteral("110")},
                {QStringLiteral("ITEM_125_1"), QStringLiteral("1234567")}});
    start();
    for (const Case &c : cases) {
        const QString key = QLatin1String(c.key);
        show(QString::fromLatin1(c.from).toInt() - 1, QStringLiteral("2009"), key);
        run(&TMainForm::Button5Click, [&](TFormNew *f) {
            pick(f, c.to);
            f->Button1->click();
        });
        const bool changed = c.to + 1 != QString::fromLatin1(c.from).toInt();
        const bool applied = c.to == 0;
        SCOPED_TRACE(c.key);
        EXPECT_EQ(value(key, QStringLiteral("."), QStringLiteral("ITEM_CGLB")), QString::number(c.to + 1));
        EXPECT_EQ(value(key, QStringLiteral("."), QStringLiteral("ITEM_21")), QLatin1String(c.item21After));
        EXPECT_EQ(value(key, QStringLiteral("."), QStringLiteral("ITEM_210")).isEmpty(), changed && applied);
        EXPECT_EQ(value(key, QStringLiteral("."), QStringLiteral("ITEM_200")).isEmpty(), changed && applied);
        EXPECT_EQ(value(key, QStringLiteral("."), QStringLiteral("ITEM_32")).isEmpty(), changed && !applied);
        EXPECT_EQ(value(key, QStringLiteral("."), QStringLiteral("ITEM_125_1")).isEmpty(), changed && !applied);
    }
}

TEST_F(FormNewTest, FailedMovePutsTheRecordAndItsRowsBack)
{
    record(QStringLiteral("2009000001"), QStringLiteral("1"), QStringLiteral("城市供水管网监测"), QStringLiteral("."),
           {{QStringLiteral("ITEM_21"), QStringLiteral("1")}});
    for (const QString &sub : {QStringLiteral("cgwcdw"), QStringLiteral("zlqk"), QStringLiteral("jdwyhmd"), QStringLiteral("cgwcr"), QStringLiteral("cgwcr")})
        add(sub, {{QStringLiteral("ITEM_4"), QStringLiteral("2009000001")}, {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")}});
    start();
    int posts = 0;
    QObject::connect(&DM->TblCgwcr, &db::Dataset::afterPost, [&] {
        if (++posts == 2)
            throw db::EngineError(QStringLiteral("磁盘已满"));
    });
    show(0, QStringLiteral("2009"), QStringLiteral("2009000001"));
    expect(QString(), QStringLiteral("提示"), platform::Icon::None);       // the name does not fit
    expect(QStringLiteral("磁盘已满"), QStringLiteral("提示"), platform::Icon::None);
    expect(QStringLiteral("退出并储存？"), QStringLiteral("提示信息"), platform::Icon::Information, platform::Cancel);
    run(&TMainForm::Button5Click, [&](TFormNew *f) {
        pick(f, 2);
        f->cbYear->setText(QStringLiteral("2010"));
        f->edt_9->setText(QString(80, QChar(0x7814)));
        f->Button1->click();
        EXPECT_EQ(posts, 0);
        f->edt_9->setText(kOrg);
        f->edt_3->setText(QStringLiteral("城市供水管网在线监测"));
        f->Button1->click();
        EXPECT_TRUE(f->isVisible());
        EXPECT_EQ(MainForm->ComboBox1->currentIndex(), 0);
        EXPECT_EQ(MainForm->cbYear->currentText(), QStringLiteral("2009"));
        EXPECT_EQ(currentKey(), QStringLiteral("2009000001"));
        f->Button2->click();
        EXPECT_FALSE(f->isVisible());
    });
    EXPECT_EQ(rows(QStringLiteral("kjcg"), QStringLiteral("ITEM_3")), QStringList{QStringLiteral("2009000001/.=城市供水管网监测")});
    EXPECT_EQ(value(QStringLiteral("2009000001"), QStringLiteral("."), QStringLiteral("ITEM_CGLB")), QStringLiteral("1"));
    EXPECT_EQ(value(QStringLiteral("2009000001"), QStringLiteral("."), QStringLiteral("ITEM_21")), QStringLiteral("1"));
    for (const QString &sub : {QStringLiteral("cgwcdw"), QStringLiteral("zlqk"), QStringLiteral("jdwyhmd")})
        EXPECT_EQ(rows(sub), QStringList{QStringLiteral("2009000001/.")}) << sub.toStdString();
    EXPECT_EQ(rows(QStringLiteral("cgwcr")), QStringList(2, QStringLiteral("2009000001/.")));
}

TEST_F(FormNewTest, EditKeepsTheRecordsYearWhateverTheMainWindowShows)
{
    record(QStringLiteral("2008000001"), QStringLiteral("1"), QStringLiteral("城市供水管网监测"));
    record(QStringLiteral("2009000001"), QStringLiteral("1"), QStringLiteral("水稻抗病育种"));
    start();
    show(0, QStringLiteral("2009"));
    DM->OpenQuerySQL(DM->Qrykjcg, QStringLiteral("select * from kjcg where item_3 like '%管网%'"));   // a search result
    run(&TMainForm::Button5Click, [&](TFormNew *f) {
        EXPECT_EQ(f->cbYear->text(), QStringLiteral("2008"));
        f->edt_3->setText(QStringLiteral("城市供水管网漏损监测"));
        f->Button1->click();
    });
    EXPECT_EQ(rows(QStringLiteral("kjcg"), QStringLiteral("ITEM_3")),
              QStringList({QStringLiteral("2008000001/.=城市供水管网漏损监测"), QStringLiteral("2009000001/.=水稻抗病育种")}));
    EXPECT_EQ(MainForm->cbYear->currentText(), QStringLiteral("2008"));
}

TEST_F(FormNewTest, YearEditLeavingAndClosing)
{
    start();
    const QString mainYear = MainForm->cbYear->currentText();
    warning(QStringLiteral("不能输入非数字的字符！"));
    warning(QStringLiteral("不能输入1900到2050外的年份！"));
    warning(QStringLiteral("成果第一完成单位不能为空！"));
    run(&TMainForm::Button1Click, [&](TFormNew *f) {
        EXPECT_TRUE(f->NewFormSaved);
        f->cbYear->clear();
        QTest::keyClicks(f->cbYear, QStringLiteral("201x"));
        EXPECT_EQ(MainForm->cbYear->currentText(), mainYear);
        f->cbYear->setText(QStringLiteral("205"));
        EXPECT_FALSE(platform::runHandler(f, [f] { f->cbYearExit(); }));
        const std::pair<const char *, QToolButton *> steps[] = {
            {"2050", f->UpDown1->upButton()}, {"1900", f->UpDown1->downButton()}, {"2009", f->UpDown1->upButton()}};
        QStringList after;
        for (const auto &s : steps) {
            f->cbYear->setText(QLatin1String(s.first));
            s.second->click();
            after << f->cbYear->text();
        }
        EXPECT_EQ(after, QStringList({QStringLiteral("2050"), QStringLiteral("1900"), QStringLiteral("2010")}));
        EXPECT_FALSE(f->NewFormSaved);
        f->close();                                  // refused while something is unsaved
        f->reject();
        EXPECT_TRUE(f->isVisible());
        f->edt_3->setText(QStringLiteral("水稻抗病育种"));
        f->edt_9->clear();
        f->Button2->click();                         // one of the two missing: its message, and stay
        EXPECT_TRUE(f->isVisible());
        f->edt_3->clear();
        f->Button2->click();
        EXPECT_FALSE(f->isVisible());
    });
    EXPECT_TRUE(rows(QStringLiteral("kjcg")).isEmpty());
}

TEST(GbkLengthValidator, LimitsByGbkBytesAndRefusesWhatGbkLacks)
{
    GbkLengthValidator v(20);
    const std::pair<QString, QValidator::State> cases[] = {
        {QString(20, QLatin1Char('A')), QValidator::Acceptable}, {QString(21, QLatin1Char('A')), QValidator::Invalid},
        {QString(10, QChar(0x7814)), QValidator::Acceptable},    {QString(10, QChar(0x7814)) + QLatin1Char('A'), QValidator::Invalid},
        {QStringLiteral("DJ-\U0001F600"), QValidator::Invalid},
    };
    for (const auto &c : cases) {
        QString text = c.first;
        int pos = 0;
        EXPECT_EQ(v.validate(text, pos), c.second) << text.toStdString();
    }
}

} // namespace
