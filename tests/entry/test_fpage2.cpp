// The intellectual property and application page over a seeded data folder:
// what it loads, the patent summary counted from the record's patent rows,
// its rules, what a save stores and what happens to the patent rows.
#include "data/dm.h"
#include "db/dataset.h"
#include "entry/fpage2.h"
#include "entry/pages.h"
#include "platform/core/seams.h"
#include "shell/mainform.h"
#include "support/seededfolder.h"
#include "seed_loader.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using testsupport::Fields;
const QString kKey = u"2009000001"_s;
const QString kName = u"城市供水管网泄漏监测与定位技术"_s;

// The fields a save writes.
const QStringList kStored = {u"ITEM_51"_s,    u"ITEM_51_1"_s, u"patent_ty"_s,  u"ITEM_51_2"_s,  u"ITEM_51_3"_s,
                             u"ITEM_52"_s,    u"ITEM_53"_s,   u"ITEM_32"_s,    u"ITEM_32_1"_s,  u"ITEM_160"_s,
                             u"ITEM_161"_s,   u"ITEM_46"_s,   u"ITEM_47"_s,    u"ITEM_45"_s,    u"ITEM_150"_s,
                             u"ITEM_162"_s,   u"ITEM_151_1"_s, u"ITEM_152_1"_s, u"ITEM_153"_s, u"ITEM_154"_s};

// A record in stable use with one granted patent, fully filled.
Fields completeRecord()
{
    return {{u"ITEM_51"_s, u"1;"_s},      {u"ITEM_51_1"_s, u"3"_s},   {u"patent_ty"_s, u"1;"_s},
            {u"ITEM_51_2"_s, u"0"_s},     {u"ITEM_51_3"_s, u"1"_s},   {u"ITEM_32"_s, u"1"_s},
            {u"ITEM_161"_s, u"4;"_s},     {u"ITEM_46"_s, u"02"_s},    {u"ITEM_47"_s, u"01"_s},
            {u"ITEM_45"_s, u"3"_s},       {u"ITEM_150"_s, u"120"_s},  {u"ITEM_162"_s, u"80"_s},
            {u"ITEM_151_1"_s, u"45.5"_s}, {u"ITEM_152_1"_s, u"12"_s}, {u"ITEM_153"_s, u"0"_s},
            {u"ITEM_154"_s, u"30"_s}};
}

class Page2Test : public testsupport::SeededFolderTest {
protected:
    void SetUp() override
    {
        SeededFolderTest::SetUp();
        addOrganisation();
    }
    void TearDown() override
    {
        QLocale::setDefault(QLocale::c());
        SeededFolderTest::TearDown();   // Fpage2 with the main window
    }
    void record(const QString &key, Fields more = {}, const QString &region = u"."_s, const QString &category = u"1"_s)
    {
        more.insert({{u"ITEM_4"_s, key}, {u"ITEM_CGLB"_s, category}, {u"ITEM_3"_s, kName}, {u"ITEM_DQDM"_s, region}});
        add(u"kjcg"_s, more);
    }
    void patent(const QString &key, const QString &state, const QString &type, const QString &region = u"."_s)
    {
        add(u"zlqk"_s, {{u"ITEM_4"_s, key},
                        {u"ITEM_DQDM"_s, region},
                        {u"PATENT_NO"_s, u"ZL2008100"_s + state + type},
                        {u"PATENT_NAM"_s, u"管网压力波检测装置"_s},
                        {u"PATENT_ST"_s, state},
                        {u"PATENT_TY"_s, type}});
    }
    // "key/region=state" of every patent row, in file order.
    QStringList patents()
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(u"zlqk"_s);
        t.open();
        QStringList out;
        for (t.first(); !t.eof(); t.next())
            out << t.fieldByName(u"ITEM_4"_s).asString() + u'/' + t.fieldByName(u"ITEM_DQDM"_s).asString() + u'='
                       + t.fieldByName(u"PATENT_ST"_s).asString();
        return out;
    }
    // The record's fields as stored.
    Fields stored(const QString &region = u"."_s)
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(u"kjcg"_s);
        t.open();
        Fields out;
        for (t.first(); !t.eof(); t.next())
            if (t.fieldByName(u"ITEM_4"_s).asString() == kKey && t.fieldByName(u"ITEM_DQDM"_s).asString() == region)
                for (const QString &f : kStored)
                    out.insert(f, t.fieldByName(f).asString());
        return out;
    }
    // Starts the program's windows and shows page 2 for the record.
    void open(const QString &region = u"."_s)
    {
        startWindows();
        MainForm->ComboBox1->setCurrentIndex(0);
        MainForm->cbYear->setEditText(u"2009"_s);
        MainForm->RefreshRecordList(DM->Qrykjcg, MainForm->ComboBox1, MainForm->btn_page02, MainForm->cbYear);
        for (DM->Qrykjcg.first(); !DM->Qrykjcg.eof(); DM->Qrykjcg.next())
            if (DM->Qrykjcg.fieldByName(u"item_4"_s).asString() == kKey
                && DM->Qrykjcg.fieldByName(u"item_dqdm"_s).asString() == region)
                break;
        ASSERT_FALSE(DM->Qrykjcg.eof());
        Fpage2->load();
        Fpage2->show();
    }
    void expectSaved() { expectWarning(u"储存成功！"_s); }
    void expectDropQuestion(int answer)
    {
        expectBox(u"知识产权形式如果不选择专利,专利信息将被删除"_s, u"提示信息"_s, platform::Icon::Information, answer);
    }
    // The user picks the state with that code.
    static void pickState(const QString &code)
    {
        QComboBox *c = Fpage2->CB_32;
        const int i = c->findText(code + u"  "_s, Qt::MatchStartsWith);
        ASSERT_GE(i, 0) << code.toStdString();
        c->setCurrentIndex(i);
        emit c->activated(i);
    }
    static QAbstractButton *box(const QString &name) { return Fpage2->findChild<QAbstractButton *>(name); }
    static void click(const QString &name) { Fpage2->findChild<QAbstractButton *>(name)->click(); }
    static QStringList ticked(std::initializer_list<CodePanel *> panels)
    {
        QStringList out;
        for (CodePanel *panel : panels)
            for (QAbstractButton *b : panel->boxes())
                if (b->isChecked())
                    out << b->objectName();
        return out;
    }
    static QStringList texts(const QList<QLineEdit *> &edits)
    {
        QStringList out;
        for (QLineEdit *e : edits)
            out << e->text();
        return out;
    }
    // The patent summary as shown: state, types, accepted, granted.
    static QStringList summary()
    {
        return texts({Fpage2->edt_51_1, Fpage2->patent_ty, Fpage2->edt_51_2, Fpage2->edt_51_3});
    }
    static QList<QLineEdit *> figures()
    {
        return {Fpage2->Edt_45, Fpage2->Edt_150, Fpage2->Edt_162, Fpage2->Edt_151_1, Fpage2->Edt_152_1, Fpage2->Edt_153,
                Fpage2->Edt_154};
    }
    static QString focused() { return Fpage2->focusWidget() ? Fpage2->focusWidget()->objectName() : QString(); }
    static void reopen()
    {
        Fpage2->hide();
        Fpage2->load();
        Fpage2->show();
    }
    // Changes a field of the current record, then shows the page afresh.
    static void reloadWith(const QString &field, const QString &value)
    {
        DM->Qrykjcg.edit();
        DM->Qrykjcg.fieldByName(field).setAsString(value);
        DM->Qrykjcg.post();
        reopen();
    }
};

TEST_F(Page2Test, LoadShowsTheRecordWithPatentCountsFromTheRows)
{
    Fields f = completeRecord();
    f.insert({{u"ITEM_51"_s, u"1;3;"_s}, {u"ITEM_51_2"_s, u"7"_s}, {u"ITEM_51_3"_s, u"7"_s},   // stale counts
              {u"ITEM_52"_s, u"管网泄漏定位分析软件V2.0"_s}, {u"ITEM_53"_s, u"2008SR12345"_s},
              {u"ITEM_32"_s, u"2"_s}, {u"ITEM_32_1"_s, u"1;"_s}, {u"ITEM_160"_s, u"12"_s},
              {u"ITEM_161"_s, u"2;4;"_s}, {u"ITEM_150"_s, u"1234.5"_s}});
    record(kKey, f);
    patent(kKey, u"2"_s, u"1"_s);
    patent(u"2009000002"_s, u"1"_s, u"2"_s);   // another record
    patent(kKey, u"1"_s, u"3"_s);
    patent(kKey, u"1"_s, u"2"_s, u"37"_s);     // same key, another region
    patent(kKey, u"2"_s, u"3"_s);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    open();

    EXPECT_EQ(Fpage2->windowTitle(), u"成果名称："_s + kName);
    EXPECT_EQ(Fpage2->size(), QSize(800, 600));
    EXPECT_EQ(summary(), QStringList({u"3"_s, u"1;3;"_s, u"1"_s, u"2"_s}));
    EXPECT_TRUE(Fpage2->PatentPart->isVisible() && Fpage2->SoftwarePart->isVisible());
    EXPECT_EQ(ticked({Fpage2->pl51, Fpage2->pl_161, Fpage2->pl_32_1, Fpage2->Pl_160}),
              QStringList({u"cb_51_1"_s, u"cb_51_3"_s, u"cb_161_2"_s, u"cb_161_4"_s, u"cb_32_1_1"_s, u"rb_160_12"_s}));
    EXPECT_EQ(QStringList({Fpage2->CB_32->currentText(), Fpage2->cb_46->currentText(), Fpage2->cb_47->currentText()}),
              QStringList({u"2  应用后停用"_s, u"02  100～500万元"_s, u"01  50万元以下"_s}));
    // Figures as the program writes numbers, whatever the user's locale.
    EXPECT_EQ(texts({Fpage2->Edt_52, Fpage2->Edt_53}), QStringList({u"管网泄漏定位分析软件V2.0"_s, u"2008SR12345"_s}));
    EXPECT_EQ(texts(figures()), QStringList({u"3"_s, u"1234.5"_s, u"80"_s, u"45.5"_s, u"12"_s, u"0"_s, u"30"_s}));

    // Without the software right or patents both parts are hidden and no
    // stored name is shown; an empty state is no choice at all.
    reloadWith(u"ITEM_51"_s, u"9;"_s);
    reloadWith(u"ITEM_32"_s, QString());
    EXPECT_FALSE(Fpage2->PatentPart->isVisible() || Fpage2->SoftwarePart->isVisible());
    EXPECT_EQ(texts({Fpage2->Edt_52, Fpage2->edt_51_2}), QStringList({QString(), QString()}));
    EXPECT_EQ(comboCode(Fpage2->CB_32), QString());
}

TEST_F(Page2Test, PatentSummaryFollowsTheRowsAndTheTicksKeepingTypedSoftware)
{
    // The region carries a quote: the patent filter must still pick exactly
    // this record's rows.
    const QString region = u"3'7"_s;
    record(kKey, {{u"ITEM_51"_s, u"3;"_s}, {u"ITEM_52"_s, u"旧名称"_s}}, region);
    patent(kKey, u"1"_s, u"2"_s, region);
    patent(kKey, u"1"_s, u"2"_s, region);
    patent(kKey, u"2"_s, u"1"_s, u"."_s);
    open(region);
    EXPECT_FALSE(Fpage2->PatentPart->isVisible());
    EXPECT_EQ(summary(), QStringList({QString(), QString(), QString(), QString()}));

    const QStringList typed = {u"管网压力数据采集系统"_s, u"2009SR00001"_s};
    Fpage2->Edt_52->setText(typed[0]);
    Fpage2->Edt_53->setText(typed[1]);
    Fpage2->cb_51_1->click();
    EXPECT_TRUE(Fpage2->PatentPart->isVisible());
    EXPECT_EQ(summary(), QStringList({u"2"_s, u"2;"_s, u"2"_s, u"0"_s}));
    // A patent added meanwhile (as the patents list does) is counted by the
    // next refresh; the typed software right survives every refresh.
    patent(kKey, u"2"_s, u"3"_s, region);
    Fpage2->RefreshPatentInfo();
    EXPECT_EQ(summary(), QStringList({u"3"_s, u"2;3;"_s, u"2"_s, u"1"_s}));
    EXPECT_EQ(texts({Fpage2->Edt_52, Fpage2->Edt_53}), typed);

    // The patents button opens the list on this record's rows and recounts.
    int opened = 0;
    Fpage2->openPatents = [&] {
        ++opened;
        EXPECT_EQ(DM->tblzlqk.recordCount(), 3);
        patent(kKey, u"2"_s, u"1"_s, region);
    };
    Fpage2->Button1->click();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(summary(), QStringList({u"3"_s, u"1;2;3;"_s, u"2"_s, u"2"_s}));

    // Unticking empties what belongs to each part.
    Fpage2->cb_51_3->click();
    EXPECT_FALSE(Fpage2->SoftwarePart->isVisible());
    EXPECT_EQ(Fpage2->Edt_52->text(), QString());
    Fpage2->cb_51_1->click();
    EXPECT_FALSE(Fpage2->PatentPart->isVisible());
    EXPECT_EQ(summary(), QStringList({QString(), QString(), QString(), QString()}));
}

TEST_F(Page2Test, RulesFireInOrderWithFocusAndWriteNothing)
{
    record(kKey, {{u"ITEM_51"_s, u"1;"_s}, {u"ITEM_52"_s, u"原有名称"_s}});
    open();
    const Fields before = stored();
    auto refused = [&](const QString &message, const QString &focus) {
        expectWarning(message);
        click(u"btnSave01"_s);
        EXPECT_EQ(focused(), focus) << message.toStdString();
        EXPECT_EQ(stored(), before);
        EXPECT_EQ(DM->Qrykjcg.state(), db::DatasetState::Browse);
    };

    // No state, then the blank item: both are no state.
    refused(u"\"应用状态\"不能为空！"_s, u"CB_32"_s);
    Fpage2->CB_32->setCurrentIndex(Fpage2->CB_32->findText(u" "_s));
    refused(u"\"应用状态\"不能为空！"_s, u"CB_32"_s);
    // Stopped, and not applied, need a reason.
    pickState(u"2"_s);
    refused(u"未应用或停用原因必须说明！"_s, u"rb_160_11"_s);
    pickState(u"3"_s);
    refused(u"未应用或停用原因必须说明！"_s, u"rb_160_11"_s);
    click(u"rb_160_34"_s);
    refused(u"\"推广形式\"必须选择！"_s, u"cb_161_1"_s);
    for (const char *b : {"cb_161_1", "cb_161_4", "cb_161_9"})
        click(QLatin1String(b));
    expectBox(u"'推广形式'项目为复选项目，但至多选择二项！"_s, u"提示"_s, platform::Icon::Question);
    click(u"btnSave01"_s);
    EXPECT_EQ(stored(), before);
    click(u"cb_161_9"_s);
    // Patents ticked and none registered.
    refused(u"请填写专利情况！"_s, u"Button1"_s);

    // Leaving runs the same rules first.
    expectWarning(u"请填写专利情况！"_s);
    click(u"quit01"_s);
    EXPECT_TRUE(Fpage2->isVisible());

    // In stable use no reason is asked for.
    patent(kKey, u"1"_s, u"1"_s);
    Fpage2->RefreshPatentInfo();
    pickState(u"1"_s);
    expectSaved();
    click(u"btnSave01"_s);
    EXPECT_EQ(stored().value(u"ITEM_32"_s), u"1"_s);
}

TEST_F(Page2Test, SaveStoresCodesListsAndFigures)
{
    record(kKey, {{u"ITEM_51"_s, u"1;3;"_s}, {u"ITEM_51_2"_s, u"9"_s}});
    patent(kKey, u"2"_s, u"3"_s);
    patent(kKey, u"1"_s, u"1"_s);
    patent(kKey, u"2"_s, u"1"_s);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    open();
    MainForm->setPageComplete(MainForm->btn_page02, false);
    Fpage2->Edt_52->setText(u"管网泄漏定位分析软件V2.0"_s);
    Fpage2->Edt_53->setText(u"2008SR12345"_s);
    for (const char *b : {"cb_51_9", "cb_161_4", "cb_161_2"})   // all three forms of property may be chosen
        click(QLatin1String(b));
    pickState(u"2"_s);
    click(u"rb_160_33"_s);
    Fpage2->cb_46->setCurrentIndex(2);
    Fpage2->cb_47->setCurrentIndex(1);
    const QStringList typed = {u"003"_s, u"120"_s, u"80"_s, u"1234567"_s, u"12"_s, QString(), u"30"_s};
    for (int i = 0; i < typed.size(); ++i)
        figures()[i]->setText(typed[i]);
    // Fractions are typed as they are: the point is a key like the digits.
    for (const auto &[edit, keys] : {std::pair{Fpage2->Edt_150, "120.5"}, std::pair{Fpage2->Edt_151_1, "300.75"}}) {
        edit->clear();
        QTest::keyClicks(edit, keys);
    }
    expectSaved();
    click(u"btnSave01"_s);

    const Fields want = {{u"ITEM_51"_s, u"1;3;9;"_s},      {u"ITEM_51_1"_s, u"3"_s},     {u"patent_ty"_s, u"1;3;"_s},
                         {u"ITEM_51_2"_s, u"1"_s},       {u"ITEM_51_3"_s, u"2"_s},     {u"ITEM_52"_s, u"管网泄漏定位分析软件V2.0"_s},
                         {u"ITEM_53"_s, u"2008SR12345"_s}, {u"ITEM_32"_s, u"2"_s},     {u"ITEM_32_1"_s, u"3;"_s},
                         {u"ITEM_160"_s, u"33"_s},       {u"ITEM_161"_s, u"2;4;"_s},   {u"ITEM_46"_s, u"03"_s},
                         {u"ITEM_47"_s, u"02"_s},        {u"ITEM_45"_s, u"3"_s},       {u"ITEM_150"_s, u"120.5"_s},
                         {u"ITEM_162"_s, u"80"_s},       {u"ITEM_151_1"_s, u"300.75"_s}, {u"ITEM_152_1"_s, u"12"_s},
                         {u"ITEM_153"_s, QString()},     {u"ITEM_154"_s, u"30"_s}};
    EXPECT_EQ(stored(), want);
    EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page02));
    EXPECT_EQ(MainForm->btn_page02->text(), u"知识产权，成果应用情况"_s);
    EXPECT_TRUE(Fpage2->isVisible());

    // A state whose code begins with "1" stores no reasons, ticked or not.
    Fpage2->CB_32->setCurrentIndex(0);
    expectSaved();
    click(u"btnSave01"_s);
    EXPECT_EQ(stored().value(u"ITEM_32_1"_s) + stored().value(u"ITEM_160"_s), QString());
}

TEST_F(Page2Test, LeavingAsksOnlyWhenSomethingChanged)
{
    record(kKey, completeRecord());
    patent(kKey, u"2"_s, u"1"_s);
    open();
    // Untouched: no question.
    click(u"quit01"_s);
    EXPECT_FALSE(Fpage2->isVisible());

    // Only the IP transfer income changed; "No" leaves the record as it was.
    reopen();
    Fpage2->Edt_162->setText(u"81"_s);
    expectSaveQuestion(platform::No);
    click(u"quit01"_s);
    EXPECT_FALSE(Fpage2->isVisible());
    EXPECT_EQ(stored().value(u"ITEM_162"_s), u"80"_s);

    // Only a detailed reason changed; "Yes" stores it.
    reopen();
    pickState(u"2"_s);
    click(u"rb_160_21"_s);
    expectSaveQuestion(platform::Yes);
    expectSaved();
    click(u"quit01"_s);
    EXPECT_FALSE(Fpage2->isVisible());
    const Fields s = stored();
    EXPECT_EQ(QStringList({s[u"ITEM_32"_s], s[u"ITEM_32_1"_s], s[u"ITEM_160"_s]}), QStringList({u"2"_s, u"2;"_s, u"21"_s}));
}

TEST_F(Page2Test, PatentRowsGoOnlyAfterTheRulesPassAndTheUserAgrees)
{
    record(kKey, completeRecord());
    record(kKey, completeRecord(), u"37"_s);
    patent(kKey, u"2"_s, u"1"_s);
    patent(kKey, u"1"_s, u"2"_s, u"37"_s);
    patent(kKey, u"1"_s, u"3"_s);
    const QStringList all = patents();
    open();
    click(u"cb_51_1"_s);
    click(u"cb_51_9"_s);

    // A failing rule: no question, nothing deleted, nothing stored.
    click(u"cb_161_4"_s);
    expectWarning(u"\"推广形式\"必须选择！"_s);
    click(u"btnSave01"_s);
    EXPECT_EQ(patents(), all);
    EXPECT_EQ(stored().value(u"ITEM_51"_s), u"1;"_s);

    // "No": the rows stay, the record no longer names patents.
    click(u"cb_161_4"_s);
    expectDropQuestion(platform::No);
    expectSaved();
    click(u"btnSave01"_s);
    EXPECT_EQ(patents(), all);
    const Fields s = stored();
    EXPECT_EQ(QStringList({s[u"ITEM_51"_s], s[u"ITEM_51_1"_s], s[u"patent_ty"_s], s[u"ITEM_51_2"_s]}),
              QStringList({u"9;"_s, QString(), QString(), QString()}));

    // A save that fails (a figure too wide for its field) writes nothing of
    // the row and deletes nothing, though the user agreed.
    Fpage2->Edt_45->setText(u"9999999999999999"_s);
    Fpage2->Edt_52->setText(u"不应写入"_s);
    expectDropQuestion(platform::Yes);
    seams.expectMessage(QString(), [](const platform::MessageCall &c) {
        EXPECT_EQ(c.caption, u"提示"_s);
        EXPECT_TRUE(c.text.contains(u"ITEM_45"_s, Qt::CaseInsensitive)) << c.text.toStdString();
        return int(platform::Ok);
    });
    click(u"btnSave01"_s);
    EXPECT_EQ(patents(), all);
    EXPECT_EQ(stored(), s);
    EXPECT_EQ(DM->Qrykjcg.state(), db::DatasetState::Browse);
    EXPECT_EQ(DM->Qrykjcg.fieldByName(u"ITEM_52"_s).asString(), QString());
    EXPECT_TRUE(Fpage2->isVisible());

    // "Yes" on a page that stores: this record's rows go, the other region's
    // stay; afterwards there is nothing to ask.
    Fpage2->Edt_45->setText(u"2"_s);
    expectDropQuestion(platform::Yes);
    expectSaved();
    click(u"btnSave01"_s);
    EXPECT_EQ(patents(), QStringList{u"2009000001/37=1"_s});
    EXPECT_EQ(stored().value(u"ITEM_52"_s), u"不应写入"_s);
    expectSaved();
    click(u"btnSave01"_s);
}

// The record is stored before its patent rows go; when they cannot go,
// the message says so: the record stored, the rows kept.
TEST_F(Page2Test, PatentRowsThatCannotGoAreReportedWithWhatWasStored)
{
    record(kKey, completeRecord());
    patent(kKey, u"2"_s, u"1"_s);
    const QStringList all = patents();
    open();
    click(u"cb_51_1"_s);
    click(u"cb_51_9"_s);
    Fpage2->Edt_52->setText(u"已储存"_s);
    const QString file = data + u"/zlqk.dbf"_s, away = data + u"/zlqk.away"_s;
    ASSERT_TRUE(QFile::exists(file));
    // The patent table goes missing while the user answers.
    seams.expectMessage(u"知识产权形式如果不选择专利"_s, [&](const platform::MessageCall &) {
        EXPECT_TRUE(QFile::rename(file, away));
        return int(platform::Yes);
    });
    seams.expectMessage(u"本页内容已储存，但专利信息未能删除，仍然保留"_s, [](const platform::MessageCall &c) {
        EXPECT_EQ(c.caption, u"提示"_s);
        EXPECT_TRUE(c.text.contains(u"zlqk"_s, Qt::CaseInsensitive)) << c.text.toStdString();
        return int(platform::Ok);
    });
    expectSaved();
    click(u"btnSave01"_s);
    ASSERT_TRUE(QFile::rename(away, file));
    EXPECT_EQ(patents(), all);
    EXPECT_EQ(stored().value(u"ITEM_52"_s), u"已储存"_s);
    EXPECT_EQ(stored().value(u"ITEM_51"_s), u"9;"_s);
}

TEST_F(Page2Test, FiguresAndStateRules)
{
    record(kKey, completeRecord());
    patent(kKey, u"2"_s, u"1"_s);
    open();
    // Digits and one point can be typed into every figure (the fields keep
    // fractions); any other key is refused where it is typed, visibly, the
    // text unchanged.  Text that arrives otherwise and is no number is reset.
    for (QLineEdit *e : figures()) {
        e->clear();
        QSignalSpy refused(e, &QLineEdit::inputRejected);
        QTest::keyClicks(e, "1a.-2 .");
        EXPECT_EQ(e->text(), u"1.2"_s) << e->objectName().toStdString();
        EXPECT_EQ(refused.size(), 4) << e->objectName().toStdString();
        expectWarning(u"1,5 不是正确的数据格式！现在已经置零"_s);
        e->setText(u"1,5"_s);
        EXPECT_EQ(e->text(), u"0"_s) << e->objectName().toStdString();
    }
    // The typing limit does not cut a wider stored value.
    Fpage2->Edt_150->setText(u"123456.25"_s);
    EXPECT_EQ(Fpage2->Edt_150->text(), u"123456.25"_s);

    // A detailed reason ticks its group and only its group; the group boxes
    // are never clicked themselves.
    pickState(u"2"_s);
    click(u"rb_160_12"_s);
    EXPECT_EQ(ticked({Fpage2->pl_32_1, Fpage2->Pl_160}), QStringList({u"cb_32_1_1"_s, u"rb_160_12"_s}));
    click(u"rb_160_43"_s);
    EXPECT_EQ(ticked({Fpage2->pl_32_1, Fpage2->Pl_160}), QStringList({u"cb_32_1_4"_s, u"rb_160_43"_s}));
    EXPECT_FALSE(box(u"cb_32_1_4"_s)->isEnabled());

    // Not applied: the seven figures are emptied and closed.
    pickState(u"3"_s);
    EXPECT_EQ(texts(figures()), QStringList(7, QString()));
    for (QLineEdit *e : figures())
        EXPECT_FALSE(e->isEnabled()) << e->objectName().toStdString();
    EXPECT_TRUE(box(u"rb_160_11"_s)->isEnabled());

    // In use (stable, small scale, on trial): no reasons at all.
    for (const char *state : {"1", "4", "5"}) {
        pickState(u"2"_s);
        click(u"rb_160_51"_s);
        pickState(QLatin1String(state));
        EXPECT_EQ(ticked({Fpage2->pl_32_1, Fpage2->Pl_160}), QStringList()) << state;
        EXPECT_FALSE(box(u"rb_160_51"_s)->isEnabled()) << state;
        EXPECT_TRUE(Fpage2->Edt_45->isEnabled()) << state;
    }

    // The rules hold for a stored state when the page is shown.
    reloadWith(u"ITEM_32"_s, u"3"_s);
    EXPECT_FALSE(Fpage2->Edt_162->isEnabled());
    EXPECT_EQ(Fpage2->Edt_150->text(), QString());
}

TEST_F(Page2Test, PageButtonOpensThePageForAppliedTechnologyOnly)
{
    record(kKey, completeRecord());
    patent(kKey, u"2"_s, u"1"_s);
    open();
    Fpage2->hide();
    seams.onModal(u"Fpage2"_s, [](QDialog *) {
        EXPECT_EQ(Fpage2->edt_51_3->text(), u"1"_s);
        click(u"quit01"_s);
        return 0;
    });
    openRecordPage(MainForm->btn_page02);
    EXPECT_FALSE(Fpage2->isVisible());

    // A soft-science record has no page 2: nothing opens.
    DM->Qrykjcg.edit();
    DM->Qrykjcg.fieldByName(u"ITEM_CGLB"_s).setAsString(u"2"_s);
    DM->Qrykjcg.post();
    openRecordPage(MainForm->btn_page02);
}

} // namespace
