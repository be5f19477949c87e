// The first completing organisation page, opened through the main window's
// page button over a seeded data folder.
#include "data/dm.h"
#include "support/fakeclock.h"
#include "db/dataset.h"
#include "entry/fpage4.h"
#include "forms/gbkvalidator.h"
#include "entry/pages.h"
#include "platform/core/seams.h"
#include "shell/mainform.h"
#include "support/seededfolder.h"
#include "seed_loader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using testsupport::Fields;

const QString kUnitName = u"青岚应用技术研究院"_s;

// A complete record of an outside organisation (a university).
const Fields kOutside = {
    {u"ITEM_9"_s, u"江城理工大学"_s}, {u"ITEM_420"_s, u"12345678-9"_s}, {u"ITEM_37"_s, u"武汉市洪山区珞狮路122号"_s},
    {u"ITEM_38"_s, u"430070"_s}, {u"ITEM_39"_s, u"027-87651234"_s}, {u"ITEM_40"_s, u"027-87651235"_s},
    {u"ITEM_60"_s, u"www.jclg.edu.cn"_s}, {u"ITEM_61"_s, u"kjc@jclg.edu.cn"_s}, {u"ITEM_62"_s, u"2"_s},
    {u"ITEM_41_3"_s, u"05"_s}, {u"ITEM_163"_s, u"1"_s}, {u"ITEM_64"_s, u"42"_s}, {u"ITEM_63"_s, u"102"_s},
    {u"ITEM_41"_s, u"周明远"_s}, {u"ITEM_41_2"_s, u"13907115566"_s}, {u"TLinkMan"_s, u"韩雪"_s},
    {u"TLinkManTe"_s, u"027-87659900"_s}, {u"TLinkManEm"_s, u"hanxue@jclg.edu.cn"_s}};

// The registering organisation's current row.
const Fields kUnit = {
    {u"item_9"_s, kUnitName}, {u"item_420"_s, u"45678912-3"_s}, {u"item_37"_s, u"武汉市东湖新技术开发区高新大道666号"_s},
    {u"item_38"_s, u"430075"_s}, {u"item_39"_s, u"027-65520001"_s}, {u"item_40"_s, u"027-65520002"_s},
    {u"item_60"_s, u"www.qinglan.cn"_s}, {u"item_61"_s, u"office@qinglan.cn"_s}, {u"item_41_2"_s, u"027-65520010"_s},
    {u"item_62"_s, u"3"_s}, {u"item_41_3"_s, u"06"_s}, {u"item_163"_s, u"1"_s}, {u"item_64"_s, u"42"_s},
    {u"item_41"_s, u"单位联系人"_s}, {u"unitintrod"_s, testsupport::completeOrganisation().value(u"unitintrod"_s)}};

const QStringList kStoredFields = {u"ITEM_9"_s,    u"ITEM_420"_s, u"ITEM_37"_s,   u"ITEM_38"_s,    u"ITEM_39"_s,
                                   u"ITEM_40"_s,   u"ITEM_60"_s,  u"ITEM_61"_s,   u"ITEM_62"_s,    u"ITEM_41_3"_s,
                                   u"ITEM_163"_s,  u"ITEM_64"_s,  u"ITEM_63"_s,   u"ITEM_41"_s,    u"ITEM_41_2"_s,
                                   u"TLinkMan"_s,  u"TLinkManTe"_s, u"TLinkManEm"_s};

class Page4Test : public testsupport::SeededFolderTest {
protected:
    void SetUp() override
    {
        testsupport::FakeClock::activate(QDateTime(QDate(2012, 6, 1), QTime(9, 0)));
        SeededFolderTest::SetUp();
        add(u"unit"_s, kUnit);
    }
    // The record's fields as the table file holds them, joined by "|".
    QString stored(const QString &key, const QStringList &fields = kStoredFields) { return storedFields(key, fields); }
    void start(const QString &key) { startAt(key); }
    void page(const std::function<void(TFpage4 *)> &driver) { throughPage(MainForm->btn_page04, Fpage4, driver); }
    // What a user's pick does: select the item and run the change handler.
    static void pick(QComboBox *c, const QString &text)
    {
        const int i = c->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        c->setCurrentIndex(i);
        emit c->activated(i);
    }
    static QStringList texts(const TFpage4 *p)
    {
        return {p->Edt_9->text(),       p->Edt_420->text(),  p->Edt_37->text(),       p->Edt_38->text(),
                p->Edt_39->text(),      p->Edt_40->text(),   p->Edt_60->text(),       p->Edt_61->text(),
                p->cb_62->currentText(), p->CB_41_3->currentText(), p->cb_64->currentText(), p->cb_63->currentText(),
                p->Edt_41->text(),      p->Edt_41_2->text(), p->TLinkMan->text(),     p->TLinkManTel->text(),
                p->TLinkManEmail->text()};
    }
};

TEST_F(Page4Test, LoadsTheRecordsOwnOrganisation)
{
    record(u"2011000001"_s, kOutside);
    Fields enterprise = kOutside;
    enterprise.insert(u"ITEM_62"_s, u"3"_s);
    record(u"2011000002"_s, enterprise);
    start(u"2011000001"_s);
    page([this](TFpage4 *p) {
        EXPECT_EQ(p->windowTitle(), u"成果名称：成果2011000001"_s);
        EXPECT_EQ(p->size(), QSize(800, 600));
        EXPECT_FALSE(p->fromUnit());
        EXPECT_EQ(texts(p), QStringList({u"江城理工大学"_s, u"12345678-9"_s, u"武汉市洪山区珞狮路122号"_s, u"430070"_s,
                                         u"027-87651234"_s, u"027-87651235"_s, u"www.jclg.edu.cn"_s, u"kjc@jclg.edu.cn"_s,
                                         u"2  大专院校"_s, u"05  有限责任公司"_s, u"42  湖北省"_s, u"102  教育部"_s,
                                         u"周明远"_s, u"13907115566"_s, u"韩雪"_s, u"027-87659900"_s,
                                         u"hanxue@jclg.edu.cn"_s}));
        // Lists without a blank item, but the affiliation's.
        EXPECT_EQ(p->cb_62->count(), 5);
        EXPECT_EQ(p->CB_41_3->count(), 11);
        EXPECT_EQ(p->cb_64->findText(u" "_s), -1);
        EXPECT_EQ(p->cb_63->itemText(p->cb_63->count() - 1), u" "_s);
        // Not an enterprise: a stored "1" does not tick the box, and the
        // unticked box against that "1" is a change a save would make.
        EXPECT_FALSE(p->CB_41_3->isEnabled() || p->cb_163->isEnabled() || p->cb_163->isChecked());
        expectSaveQuestion(platform::No);
        p->quit01->click();
        EXPECT_FALSE(p->isVisible());
    });
    ASSERT_TRUE(DM->Qrykjcg.locate(u"item_4"_s, u"2011000002"_s));
    page([](TFpage4 *p) {
        EXPECT_TRUE(p->CB_41_3->isEnabled() && p->cb_163->isEnabled() && p->cb_163->isChecked());
        EXPECT_EQ(p->cb_62->currentText(), u"3  企业"_s);
        p->quit01->click();   // nothing changed: no question
        EXPECT_FALSE(p->isVisible());
    });
}

TEST_F(Page4Test, ShowsTheOrganisationsCurrentRowAndSavesItIntoTheRecord)
{
    Fields own = kOutside;
    own.insert(u"ITEM_9"_s, kUnitName);   // an older copy of the organisation's data
    own.insert(u"ITEM_62"_s, u"1"_s);
    record(u"2011000001"_s, own);
    start(u"2011000001"_s);
    page([this](TFpage4 *p) {
        EXPECT_TRUE(p->fromUnit());
        // The organisation's fields from `unit`; the contact, the
        // affiliation and the transfer contact stay the record's.
        EXPECT_EQ(texts(p), QStringList({kUnitName, u"45678912-3"_s, u"武汉市东湖新技术开发区高新大道666号"_s,
                                         u"430075"_s, u"027-65520001"_s, u"027-65520002"_s, u"www.qinglan.cn"_s,
                                         u"office@qinglan.cn"_s, u"3  企业"_s, u"06  股份有限公司"_s, u"42  湖北省"_s,
                                         u"102  教育部"_s, u"周明远"_s, u"027-65520010"_s, u"韩雪"_s, u"027-87659900"_s,
                                         u"hanxue@jclg.edu.cn"_s}));
        EXPECT_TRUE(p->cb_163->isEnabled() && p->cb_163->isChecked());
        expectSaveQuestion(platform::Yes);
        expectWarning(u"储存成功！"_s);
        p->quit01->click();
        EXPECT_FALSE(p->isVisible());
    });
    EXPECT_EQ(stored(u"2011000001"_s),
              kUnitName + u"|45678912-3|武汉市东湖新技术开发区高新大道666号|430075|027-65520001|027-65520002|"
                          u"www.qinglan.cn|office@qinglan.cn|3|06|1|42|102|周明远|027-65520010|韩雪|027-87659900|"
                          u"hanxue@jclg.edu.cn"_s);
    EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page04));
    EXPECT_EQ(MainForm->btn_page04->text(), u"第一完成单位情况"_s);
    page([](TFpage4 *p) {
        p->quit01->click();   // up to date now: no question
        EXPECT_FALSE(p->isVisible());
    });
}

TEST_F(Page4Test, ChecksRunInScreenOrderWithoutMovingTheFocus)
{
    record(u"2011000001"_s);
    start(u"2011000001"_s);
    page([this](TFpage4 *p) {
        auto refused = [&](const QString &message) {
            p->TLinkMan->setFocus();
            expectWarning(message);
            p->btnSave01->click();
            EXPECT_EQ(p->focusWidget(), p->TLinkMan) << message.toStdString();
            EXPECT_TRUE(p->isVisible());
        };
        EXPECT_EQ(p->cb_62->currentIndex(), -1);   // nothing chosen for the user
        refused(u"\"单位名称\"不能为空！"_s);
        p->Edt_9->setText(u"江城理工大学"_s);
        refused(u"\"通讯地址\"不能为空！"_s);
        p->Edt_37->setText(u"武汉市洪山区珞狮路122号"_s);
        refused(u"\"邮政编码\"不能为空！"_s);
        p->Edt_38->setText(u"430070"_s);
        refused(u"\"单位属性\"不能为空！"_s);
        pick(p->cb_62, u"3  企业"_s);
        refused(u"\"企业所有制属性\"不能为空！"_s);
        pick(p->CB_41_3, u"01  国有企业"_s);
        refused(u"\"单位所在省市\"不能为空！"_s);
        pick(p->cb_64, u"42  湖北省"_s);
        refused(u"\"联系人\"不能为空！"_s);
        p->Edt_41->setText(u"周明远"_s);
        refused(u"\"联系人电话\"不能为空！"_s);
        p->Edt_41_2->setText(u"13907115566"_s);
        // Short codes have no ninth character: malformed all the same.
        for (const char *bad : {"123456789", "1234567-89", "1234", "1234567-", "  1234  "}) {
            p->Edt_420->setText(QLatin1String(bad));
            refused(u"\"组织机构代码\"格式错误！"_s);
        }
        EXPECT_EQ(DM->Qrykjcg.state(), db::DatasetState::Browse);
        EXPECT_EQ(stored(u"2011000001"_s, {u"ITEM_9"_s, u"ITEM_62"_s}), u"|"_s);
        for (const char *good : {"", "   ", " 12345678-9 ", "12345678-9"}) {
            p->Edt_420->setText(QLatin1String(good));
            expectWarning(u"储存成功！"_s);
            p->btnSave01->click();
        }
    });
    EXPECT_EQ(stored(u"2011000001"_s, {u"ITEM_420"_s, u"ITEM_62"_s, u"ITEM_41_3"_s, u"ITEM_163"_s}),
              u"12345678-9|3|01|0"_s);
}

TEST_F(Page4Test, OwnershipBelongsToEnterprisesOnly)
{
    Fields enterprise = kOutside;
    enterprise.insert(u"ITEM_62"_s, u"3"_s);
    record(u"2011000001"_s, enterprise);
    start(u"2011000001"_s);
    page([this](TFpage4 *p) {
        // Picking another kind unticks and locks the box and empties the list.
        pick(p->cb_62, u"4  医疗机构"_s);
        EXPECT_FALSE(p->cb_163->isChecked() || p->cb_163->isEnabled() || p->CB_41_3->isEnabled());
        EXPECT_EQ(p->CB_41_3->count(), 0);
        // Back to an enterprise: a fresh list, nothing chosen, the box free.
        pick(p->cb_62, u"3  企业"_s);
        EXPECT_TRUE(p->cb_163->isEnabled() && p->CB_41_3->isEnabled() && !p->cb_163->isChecked());
        EXPECT_EQ(p->CB_41_3->count(), 11);
        EXPECT_EQ(p->CB_41_3->currentIndex(), -1);
        pick(p->CB_41_3, u"10  外商投资企业"_s);
        expectWarning(u"储存成功！"_s);
        p->btnSave01->click();
        EXPECT_EQ(stored(u"2011000001"_s, {u"ITEM_62"_s, u"ITEM_41_3"_s, u"ITEM_163"_s}), u"3|10|0"_s);
        // Any other attribute clears what only an enterprise has.
        pick(p->cb_62, u"9  其他"_s);
        expectWarning(u"储存成功！"_s);
        p->btnSave01->click();
    });
    EXPECT_EQ(stored(u"2011000001"_s, {u"ITEM_62"_s, u"ITEM_41_3"_s, u"ITEM_163"_s, u"ITEM_63"_s}), u"9|||102"_s);

    // A blank affiliation is stored empty.
    page([this](TFpage4 *p) {
        pick(p->cb_63, u" "_s);
        expectWarning(u"储存成功！"_s);
        p->btnSave01->click();
    });
    EXPECT_EQ(stored(u"2011000001"_s, {u"ITEM_63"_s}), QString());
}

TEST_F(Page4Test, EditsHoldNoMoreThanTheirFields)
{
    record(u"2011000001"_s, kOutside);
    start(u"2011000001"_s);
    page([](TFpage4 *p) {
        const std::pair<QLineEdit *, const char *> edits[] = {
            {p->Edt_9, "ITEM_9"},       {p->Edt_420, "ITEM_420"},   {p->Edt_37, "ITEM_37"},
            {p->Edt_38, "ITEM_38"},     {p->Edt_39, "ITEM_39"},     {p->Edt_40, "ITEM_40"},
            {p->Edt_60, "ITEM_60"},     {p->Edt_61, "ITEM_61"},     {p->Edt_41, "ITEM_41"},
            {p->Edt_41_2, "ITEM_41_2"}, {p->TLinkMan, "TLinkMan"},  {p->TLinkManTel, "TLinkManTe"},
            {p->TLinkManEmail, "TLinkManEm"}};
        for (const auto &[edit, field] : edits) {
            auto *v = qobject_cast<const GbkLengthValidator *>(edit->validator());
            ASSERT_TRUE(v) << field;
            EXPECT_EQ(v->maxBytes(), DM->Qrykjcg.fieldByName(QLatin1String(field)).size()) << field;
        }
        // Typed: the transfer contact takes 20 bytes, its telephone 30.
        p->TLinkMan->clear();
        QTest::keyClicks(p->TLinkMan, QByteArray(25, 'a').constData());
        EXPECT_EQ(p->TLinkMan->text(), QString(20, u'a'));
        p->TLinkManTel->clear();
        QTest::keyClicks(p->TLinkManTel, QByteArray(35, '8').constData());
        EXPECT_EQ(p->TLinkManTel->text().size(), 30);
        // Ten Chinese characters fill the contact; an eleventh does not fit.
        p->TLinkMan->clear();
        p->TLinkMan->insert(QString(10, QChar(0x97E9)));
        EXPECT_EQ(p->TLinkMan->text().size(), 10);
        p->TLinkMan->insert(u"雪"_s);
        EXPECT_EQ(p->TLinkMan->text().size(), 10);
        p->done(0);
    });
}

TEST_F(Page4Test, LeavingAsksOnlyWhenTheControlsDifferFromTheRecord)
{
    Fields enterprise = kOutside;
    enterprise.insert(u"ITEM_62"_s, u"3"_s);
    record(u"2011000001"_s, enterprise);
    record(u"2011000002"_s);
    start(u"2011000001"_s);
    const QString before = stored(u"2011000001"_s);
    // Each change alone makes leaving ask; No leaves the record as it was.
    const std::function<void(TFpage4 *)> changes[] = {
        [](TFpage4 *p) { p->TLinkManEmail->setText(u"zhuanrang@jclg.edu.cn"_s); },
        [](TFpage4 *p) { p->TLinkMan->setText(u"韩 雪"_s); },
        [](TFpage4 *p) { p->cb_163->setChecked(false); },
        [](TFpage4 *p) { pick(p->CB_41_3, u"07  私营企业"_s); },
        [](TFpage4 *p) { pick(p->cb_63, u"103  科学技术部"_s); },
        [](TFpage4 *p) { pick(p->cb_64, u"11  北京市"_s); },
    };
    for (const auto &change : changes) {
        page([&](TFpage4 *p) {
            change(p);
            expectSaveQuestion(platform::No);
            p->quit01->click();
            EXPECT_FALSE(p->isVisible());
        });
    }
    EXPECT_EQ(stored(u"2011000001"_s), before);

    // A new record's page cannot be left without a name.
    ASSERT_TRUE(DM->Qrykjcg.locate(u"item_4"_s, u"2011000002"_s));
    page([this](TFpage4 *p) {
        expectWarning(u"\"单位名称\"不能为空！"_s);
        p->quit01->click();
        EXPECT_TRUE(p->isVisible());
        expectWarning(u"\"单位名称\"不能为空！"_s);
        p->reject();   // Escape goes the same way
        EXPECT_TRUE(p->isVisible());
        p->done(0);
    });
}

TEST_F(Page4Test, FailedPostIsCancelledAndThePageStaysOpen)
{
    record(u"2011000001"_s, kOutside);
    start(u"2011000001"_s);
    page([this](TFpage4 *p) {
        p->TLinkMan->setText(u"韩雪"_s + QChar(0x1F600));   // pasted past the validator: GBK cannot hold it
        expectBox(QString(), u"提示"_s, platform::Icon::None);
        p->btnSave01->click();
        EXPECT_TRUE(p->isVisible());
        EXPECT_EQ(DM->Qrykjcg.state(), db::DatasetState::Browse);

        // Leaving with Yes: the save fails, the page stays with the text.
        expectSaveQuestion(platform::Yes);
        expectBox(QString(), u"提示"_s, platform::Icon::None);
        p->quit01->click();
        EXPECT_TRUE(p->isVisible());
        EXPECT_EQ(DM->Qrykjcg.state(), db::DatasetState::Browse);

        // The row under the page went away: the post itself fails.
        p->TLinkMan->setText(u"韩雪"_s);
        {
            db::Table t;
            t.setDatabaseName(data);
            t.setTableName(u"kjcg"_s);
            t.open();
            ASSERT_TRUE(t.locate(u"ITEM_4"_s, u"2011000001"_s));
            t.deleteRecord();
        }
        expectBox(QString(), u"提示"_s, platform::Icon::None);
        p->btnSave01->click();
        EXPECT_TRUE(p->isVisible());
        EXPECT_EQ(DM->Qrykjcg.state(), db::DatasetState::Browse);
        p->done(0);
    });
}

} // namespace
