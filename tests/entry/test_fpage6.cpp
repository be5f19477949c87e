// The patents list and its dialog, opened through page 2's patent button over
// a seeded data folder: what the list shows and numbers, what the dialog
// stores and where, the questions it asks, and the counts page 2 shows once
// the list is left.
#include "entry/finto6.h"
#include "entry/fpage2.h"
#include "entry/fpage6.h"
#include "support/listpagetest.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

const QString kKey = u"2009000001"_s;
const QString kName = u"城市供水管网泄漏监测与定位技术"_s;
const QString kAddCaption = u"新增－－【专利情况】"_s;
const QString kEditCaption = u"修改－－【专利情况】"_s;
const QString kSaved = u"储存成功！"_s;

class Page6Test : public testsupport::ListPageTest {
protected:
    void SetUp() override
    {
        ListPageTest::SetUp();
        addOrganisation();
    }
    void record(const QString &key = kKey, const QString &region = u"."_s)
    {
        append(u"kjcg"_s, {{u"ITEM_4"_s, key}, {u"ITEM_DQDM"_s, region}, {u"ITEM_CGLB"_s, u"1"_s},
                           {u"ITEM_3"_s, kName}, {u"ITEM_51"_s, u"1;"_s}});
    }
    void patent(const QString &no, const QString &number, const QString &state, const QString &type,
                const QString &key = kKey, const QString &region = u"."_s)
    {
        append(u"zlqk"_s, {{u"ITEM_4"_s, key}, {u"ITEM_DQDM"_s, region}, {u"ITEM_NO"_s, no},
                           {u"PATENT_NO"_s, number}, {u"PATENT_NAM"_s, u"管网压力波检测装置"_s + number.right(1)},
                           {u"PATENT_ST"_s, state}, {u"PATENT_TY"_s, type}});
    }
    // Every patent row in file order: "key/region no number st ty".
    QStringList stored()
    {
        QStringList out;
        for (const QString &row : tableRows(u"zlqk"_s, {u"ITEM_4"_s, u"ITEM_DQDM"_s, u"ITEM_NO"_s, u"PATENT_NO"_s,
                                                        u"PATENT_ST"_s, u"PATENT_TY"_s}))
            out << QString(row).replace(row.indexOf(u' '), 1, u'/');
        return out;
    }
    // The program's windows, with page 2 showing the record.
    void open(const QString &key = kKey, const QString &region = u"."_s)
    {
        startWindows();
        showRecord(0, u"2009"_s, key, region);
        Fpage2->load();
        Fpage2->show();
    }
    // Opens the list from page 2, lets `work` drive it and leaves it by 退出.
    void throughList(const std::function<void()> &work)
    {
        seams.onModal(u"Fpage6"_s, [&](QDialog *) {
            work();
            Fpage6->quit01->click();
            EXPECT_FALSE(Fpage6->isVisible());
            return int(QDialog::Accepted);
        });
        Fpage2->Button1->click();
    }
    // Shows the dialog from a list button; `work` drives it.
    void throughDialog(QPushButton *button, const std::function<void()> &work)
    {
        seams.onModal(u"Finto6"_s, [&](QDialog *) { work(); return int(QDialog::Accepted); });
        button->click();
    }
    // The user picks the item of a code.
    static void pick(QComboBox *c, const QString &code)
    {
        const int i = c->findText(code + u"  "_s, Qt::MatchStartsWith);
        ASSERT_GE(i, 0) << code.toStdString();
        c->setCurrentIndex(i);
        emit c->activated(i);
    }
    static void select(int position) { Fpage6->grid->setCurrentIndex(Fpage6->grid->model()->index(position, 0)); }
    // What the grid shows in one column, top to bottom.
    static QStringList column(int col)
    {
        QStringList out;
        const QAbstractItemModel *m = Fpage6->grid->model();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, col).data().toString();
        return out;
    }
    static QString selectedNumber() { return DM->tblzlqk.fieldByName(u"PATENT_NO"_s).asString(); }
    static QStringList counts() { return {Fpage2->edt_51_2->text(), Fpage2->edt_51_3->text()}; }
};

TEST_F(Page6Test, OpensOnTheRecordsRowsRenumberedAndCountsBackToPage2)
{
    record();
    record(u"2009000002"_s);
    patent(u"3"_s, u"ZL200810001"_s, u"1"_s, u"1"_s);
    patent(u"5"_s, u"ZL200910009"_s, u"1"_s, u"2"_s, u"2009000002"_s);   // another record
    patent(u"7"_s, u"ZL200810002"_s, u"2"_s, u"3"_s);
    patent(u"4"_s, u"ZL200810008"_s, u"2"_s, u"1"_s, kKey, u"37"_s);     // same key, another region
    patent(u"9"_s, u"ZL200810003"_s, u"1"_s, u"2"_s);
    open();
    ASSERT_EQ(counts(), QStringList({u"2"_s, u"1"_s}));

    throughList([&] {
        EXPECT_EQ(Fpage6->windowTitle(), u"成果名称："_s + kName);
        // Numbered 1..n in stored order, codes shown as their texts.
        EXPECT_EQ(column(0), QStringList({u"1"_s, u"2"_s, u"3"_s}));
        EXPECT_EQ(column(1), QStringList({u"已受理"_s, u"已授权"_s, u"已受理"_s}));
        EXPECT_EQ(column(2), QStringList({u"发明专利"_s, u"外观设计专利"_s, u"实用新型专利"_s}));
        EXPECT_EQ(column(3), QStringList({u"ZL200810001"_s, u"ZL200810002"_s, u"ZL200810003"_s}));
        // A patent granted meanwhile: the counts follow the rows on leaving.
        select(0);
        throughDialog(Fpage6->btnSave01, [&] {
            EXPECT_EQ(Finto6->windowTitle(), kEditCaption);
            pick(Finto6->cb_st, u"2"_s);
            expectWarning(kSaved);
            Finto6->Button1->click();
        });
    });

    EXPECT_EQ(counts(), QStringList({u"1"_s, u"2"_s}));
    EXPECT_EQ(Fpage2->edt_51_1->text(), u"3"_s);
    EXPECT_EQ(stored(), QStringList({u"2009000001/. 1 ZL200810001 2 1"_s, u"2009000002/. 5 ZL200910009 1 2"_s,
                                     u"2009000001/. 2 ZL200810002 2 3"_s, u"2009000001/37 4 ZL200810008 2 1"_s,
                                     u"2009000001/. 3 ZL200810003 1 2"_s}));
}

TEST_F(Page6Test, AddAndEditWriteTheRowTheyMeanAndNumberTheList)
{
    record();
    patent(u"1"_s, u"ZL200810001"_s, u"1"_s, u"1"_s);
    patent(u"2"_s, u"ZL200810002"_s, u"2"_s, u"3"_s);
    open();

    throughList([&] {
        // Add: empty inputs, no choice made, stored last with the next number.
        select(0);
        throughDialog(Fpage6->Button2, [&] {
            EXPECT_EQ(Finto6->windowTitle(), kAddCaption);
            EXPECT_EQ(Finto6->edtzl_no->text(), QString());
            EXPECT_EQ(Finto6->cb_st->currentText(), QString());
            EXPECT_EQ(Finto6->cb_ty->count(), 3);   // no blank item
            pick(Finto6->cb_st, u"2"_s);
            pick(Finto6->cb_ty, u"2"_s);
            Finto6->edtzl_no->setText(u"ZL200920003"_s);
            Finto6->edtzl_name->setText(u"一种管道内检测机器人"_s);
            expectWarning(kSaved);
            Finto6->Button1->click();
            EXPECT_FALSE(Finto6->isVisible());
            EXPECT_EQ(Finto6->changeMarker()->text(), QString());
        });
        EXPECT_EQ(column(0), QStringList({u"1"_s, u"2"_s, u"3"_s}));
        EXPECT_EQ(selectedNumber(), u"ZL200920003"_s);

        // Edit of the middle row: it is loaded and written back in place,
        // even when the cursor moved while the dialog was open.
        select(1);
        throughDialog(Fpage6->btnSave01, [&] {
            EXPECT_EQ(Finto6->windowTitle(), kEditCaption);
            EXPECT_EQ(Finto6->edtzl_no->text(), u"ZL200810002"_s);
            EXPECT_EQ(Finto6->edtzl_name->text(), u"管网压力波检测装置2"_s);
            EXPECT_EQ(Finto6->cb_st->currentText(), u"2  已授权"_s);
            EXPECT_EQ(Finto6->cb_ty->currentText(), u"3  外观设计专利"_s);
            EXPECT_EQ(Finto6->changeMarker()->text(), QString());
            DM->tblzlqk.first();
            Finto6->edtzl_no->setText(u"ZL200810022"_s);
            pick(Finto6->cb_ty, u"1"_s);
            expectWarning(kSaved);
            Finto6->Button1->click();
        });
    });

    EXPECT_EQ(stored(), QStringList({u"2009000001/. 1 ZL200810001 1 1"_s, u"2009000001/. 2 ZL200810022 2 1"_s,
                                     u"2009000001/. 3 ZL200920003 2 2"_s}));
    EXPECT_EQ(counts(), QStringList({u"1"_s, u"2"_s}));
}

TEST_F(Page6Test, DeleteAsksRenumbersAndSelectsTheNextRow)
{
    record();
    patent(u"1"_s, u"ZL200810001"_s, u"1"_s, u"1"_s);
    patent(u"2"_s, u"ZL200810002"_s, u"2"_s, u"1"_s);
    patent(u"3"_s, u"ZL200810003"_s, u"1"_s, u"2"_s);
    open();
    const QString question = u"是否删除该项目？!"_s;

    throughList([&] {
        select(0);
        expectBox(question, u"提示信息"_s, platform::Icon::Information, platform::No);
        Fpage6->btnDelete->click();
        EXPECT_EQ(column(3).size(), 3);

        expectBox(question, u"提示信息"_s, platform::Icon::Information, platform::Yes);
        Fpage6->btnDelete->click();
        EXPECT_EQ(column(0), QStringList({u"1"_s, u"2"_s}));
        EXPECT_EQ(selectedNumber(), u"ZL200810002"_s);

        // Down to an empty list; then delete asks nothing and 修改 adds.
        for (int i = 0; i < 2; ++i) {
            expectBox(question, u"提示信息"_s, platform::Icon::Information, platform::Yes);
            Fpage6->btnDelete->click();
        }
        Fpage6->btnDelete->click();
        throughDialog(Fpage6->btnSave01, [&] {
            EXPECT_EQ(Finto6->windowTitle(), kAddCaption);
            Finto6->Button2->click();
        });
    });

    EXPECT_EQ(stored(), QStringList());
    EXPECT_EQ(counts(), QStringList({u"0"_s, u"0"_s}));
}

TEST_F(Page6Test, DialogChecksInOrderAndTakesItsModeFromTheCaption)
{
    record();
    patent(u"1"_s, u"ZL200810001"_s, u"1"_s, u"1"_s);
    open();
    const QStringList before = stored();

    throughList([&] {
        throughDialog(Fpage6->Button2, [&] {
            // An empty dialog is refused too, first for its status.
            auto refused = [&](const QString &message) {
                expectWarning(message);
                Finto6->Button1->click();
                EXPECT_TRUE(Finto6->isVisible()) << message.toStdString();
                EXPECT_EQ(stored(), before);
            };
            refused(u"\"专利状况\"不能为空！"_s);
            pick(Finto6->cb_st, u"1"_s);
            refused(u"\"专利类型\"不能为空！"_s);
            pick(Finto6->cb_ty, u"1"_s);
            Finto6->edtzl_name->setText(u"一种漏水定位方法"_s);
            Finto6->edtzl_no->setText(u"   "_s);
            refused(u"\"专利号\"不能为空！"_s);
            Finto6->edtzl_no->setText(u"ZL200910077"_s);
            Finto6->edtzl_name->setText(u"  "_s);
            refused(u"\"专利名称\"不能为空！"_s);

            // Complete, but under a caption of neither mode: nothing happens.
            Finto6->edtzl_name->setText(u"一种漏水定位方法"_s);
            Finto6->setWindowTitle(u"专利情况"_s);
            Finto6->Button1->click();
            EXPECT_TRUE(Finto6->isVisible());
            EXPECT_EQ(stored(), before);
            Finto6->setWindowTitle(kAddCaption);
            expectWarning(kSaved);
            Finto6->Button1->click();
        });
        EXPECT_EQ(column(0), QStringList({u"1"_s, u"2"_s}));
    });
}

TEST_F(Page6Test, DialogQuitAsksOnlyWhenSomethingChanged)
{
    record();
    patent(u"1"_s, u"ZL200810001"_s, u"1"_s, u"1"_s);
    open();
    const QString question = u"记录已更改，是否保存后退出？"_s;
    // Quits, answering the question; `then` is the message the answer brings.
    auto quitAsked = [&](int answer, const QString &then = QString()) {
        expectBox(question, u"请注意！"_s, platform::Icon::Question, answer);
        if (!then.isEmpty())
            expectWarning(then);
        Finto6->Button2->click();
        EXPECT_FALSE(Finto6->isVisible());
    };

    throughList([&] {
        // Unchanged edit, and empty inputs whatever the choices: no question.
        throughDialog(Fpage6->btnSave01, [&] { Finto6->Button2->click(); });
        throughDialog(Fpage6->Button2, [&] {
            pick(Finto6->cb_st, u"2"_s);
            Finto6->Button2->click();
        });
        // Only the status changed: asked; No keeps the row.
        throughDialog(Fpage6->btnSave01, [&] {
            pick(Finto6->cb_st, u"2"_s);
            EXPECT_EQ(Finto6->changeMarker()->text(), u"1"_s);
            quitAsked(platform::No);
            EXPECT_EQ(Finto6->changeMarker()->text(), QString());
        });
        EXPECT_EQ(stored(), QStringList({u"2009000001/. 1 ZL200810001 1 1"_s}));
        // A changed name: Yes saves it.
        throughDialog(Fpage6->btnSave01, [&] {
            Finto6->edtzl_no->setText(u"ZL200810011"_s);
            quitAsked(platform::Yes, u"储存成功！"_s);
        });
        EXPECT_EQ(stored(), QStringList({u"2009000001/. 1 ZL200810011 1 1"_s}));
        // Typed in add mode: asked; Yes runs the save, whose refusal keeps
        // the dialog open with the entry; No then leaves it.
        throughDialog(Fpage6->Button2, [&] {
            Finto6->edtzl_no->setText(u"ZL200910099"_s);
            expectBox(question, u"请注意！"_s, platform::Icon::Question, platform::Yes);
            expectWarning(u"\"专利状况\"不能为空！"_s);
            Finto6->Button2->click();
            EXPECT_TRUE(Finto6->isVisible());
            EXPECT_EQ(Finto6->edtzl_no->text(), u"ZL200910099"_s);
            quitAsked(platform::No);
        });
    });
    EXPECT_EQ(stored(), QStringList({u"2009000001/. 1 ZL200810011 1 1"_s}));
}

TEST_F(Page6Test, QuotesInTheKeyAndRegionKeepToTheRecordsRows)
{
    const QString key = u"2009'00001"_s;
    const QString region = u"3'7"_s;
    record(key, region);
    patent(u"1"_s, u"ZL200810001"_s, u"2"_s, u"1"_s, key, region);
    patent(u"2"_s, u"ZL200810002"_s, u"1"_s, u"1"_s, key, u"."_s);
    patent(u"3"_s, u"ZL200810003"_s, u"1"_s, u"1"_s, kKey, region);
    open(key, region);
    ASSERT_EQ(counts(), QStringList({u"0"_s, u"1"_s}));

    throughList([&] {
        EXPECT_EQ(column(3), QStringList({u"ZL200810001"_s}));
        throughDialog(Fpage6->Button2, [&] {
            pick(Finto6->cb_st, u"1"_s);
            pick(Finto6->cb_ty, u"3"_s);
            Finto6->edtzl_no->setText(u"ZL200930004"_s);
            Finto6->edtzl_name->setText(u"水表读数采集器外壳"_s);
            expectWarning(kSaved);
            Finto6->Button1->click();
        });
        EXPECT_EQ(column(0), QStringList({u"1"_s, u"2"_s}));
    });

    EXPECT_EQ(stored(), QStringList({u"2009'00001/3'7 1 ZL200810001 2 1"_s, u"2009'00001/. 2 ZL200810002 1 1"_s,
                                     u"2009000001/3'7 3 ZL200810003 1 1"_s, u"2009'00001/3'7 2 ZL200930004 1 3"_s}));
    EXPECT_EQ(counts(), QStringList({u"1"_s, u"1"_s}));
}

} // namespace
