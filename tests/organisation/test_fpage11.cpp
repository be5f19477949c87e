// The discipline leaders list and its add/edit dialog, opened as the
// organisation page opens them, over a seeded data folder.
#include "data/dm.h"
#include "db/dataset.h"
#include "forms/dbgrid.h"
#include "organisation/finto11.h"
#include "organisation/fpage11.h"
#include "platform/core/seams.h"
#include "seed_loader.h"
#include "shell/mainform.h"
#include "support/fakeclock.h"
#include "support/listpagetest.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using testsupport::Fields;

const QString kAdd = u"新增－－【学科带头人名单】"_s;
const QString kEdit = u"修改－－【学科带头人名单】"_s;

class LeadersTest : public testsupport::ListPageTest {
protected:
    void SetUp() override
    {
        testsupport::FakeClock::activate(QDateTime(QDate(2012, 6, 1), QTime(9, 0)));
        ListPageTest::SetUp();
    }
    void unit(const QString &code = u"9990001000"_s)
    {
        testsupport::Fields row = testsupport::completeOrganisation();
        row[u"unitcode"_s] = code;
        add(u"unit"_s, row);
    }
    void leader(const QString &no, const QString &name, const QString &unitCode = u"9990001000"_s,
                const QString &birth = u"1968.04"_s)
    {
        add(u"unitexpert"_s, {{u"unitcode"_s, unitCode}, {u"item_187"_s, no}, {u"item_180"_s, name},
                              {u"item_181"_s, u"0"_s}, {u"item_182"_s, birth}, {u"item_124_1"_s, u"05"_s},
                              {u"item_186"_s, name + u"的研究方向"_s}});
    }
    // Every row of the table file in physical order: the fields joined by
    // "|", rows by "/".
    QString stored(const QStringList &fields = {u"unitcode"_s, u"item_187"_s, u"item_180"_s})
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(u"unitexpert"_s);
        t.open();
        QStringList rows;
        for (t.first(); !t.eof(); t.next()) {
            QStringList row;
            for (const QString &f : fields)
                row << t.fieldByName(f).asString();
            rows << row.join(u'|');
        }
        return rows.join(u'/');
    }
    void start() { startWindows(); }
    // Opens the list as the organisation page does; `driver` works it.
    void list(const std::function<void(TFpage11 *)> &driver)
    {
        seams.onModal(u"Fpage11"_s, [&](QDialog *) {
            driver(Fpage11);
            if (Fpage11->isVisible())
                Fpage11->quit01->click();
            return 0;
        });
        openDisciplineLeaders();
    }
    // The next showing of the dialog runs `driver`.
    void dialog(const std::function<void(TFinto11 *)> &driver) { onDialog(u"Finto11"_s, Finto11, driver); }
    void message(const QString &text, int answer = platform::Ok)
    {
        seams.expectMessage(text, [=](const platform::MessageCall &c) {
            EXPECT_EQ(c.text, text);
            return answer;
        });
    }
    static void fill(TFinto11 *d, const QString &name, const QString &year, const QString &month,
                     int sex = 0, int field = 1, const QString &note = u"高分子材料"_s)
    {
        d->edtry_180->setText(name);
        d->cbry_181->setCurrentIndex(sex);
        d->Edt_both_1->setText(year);
        d->edt_both_2->setText(month);
        d->cbry_124_1->setCurrentIndex(field);
        emit d->cbry_124_1->activated(field);
        d->edtry_186->setText(note);
    }
    static QString cell(TFpage11 *p, int row, int column)
    {
        QAbstractItemModel *m = p->DBGrid4->model();
        return m->data(m->index(row, column)).toString().trimmed();
    }
};

TEST_F(LeadersTest, AddingToAnEmptyListNumbersFromOneAndWritesTheOwnUnitCode)
{
    unit();
    start();
    list([this](TFpage11 *p) {
        EXPECT_TRUE(p->windowState() & Qt::WindowMaximized) << "shown maximised";
        EXPECT_EQ(p->size(), QSize(800, 600));
        EXPECT_FALSE(p->Button1->isEnabled());
        EXPECT_FALSE(p->Button3->isEnabled());
        // "修改" on an empty list adds.
        dialog([this](TFinto11 *d) {
            EXPECT_EQ(d->windowTitle(), kAdd);
            EXPECT_EQ(d->cbry_181->currentIndex(), -1);
            EXPECT_EQ(d->cbry_124_1->currentIndex(), -1);
            EXPECT_EQ(d->cbry_181->count(), 2);   // no blank item
            fill(d, u"  王建国 "_s, u"1965"_s, u"3"_s, 0, 1);
            message(u"储存成功！"_s);
            d->Button1->click();
            EXPECT_FALSE(d->isVisible());
            EXPECT_EQ(d->edtry_180->text() + d->edtry_186->text(), QString());
        });
        p->editClick();   // the handler as such: its button is off
        EXPECT_TRUE(p->Button1->isEnabled() && p->Button3->isEnabled());

        dialog([this](TFinto11 *d) {
            EXPECT_EQ(d->windowTitle(), kAdd);
            EXPECT_EQ(d->edtry_180->text(), QString());
            fill(d, u"李秀英"_s, u"1972"_s, u"11"_s, 1, 5);
            message(u"储存成功！"_s);
            d->Button1->click();
        });
        p->Button2->click();

        // The grid shows the lookups' texts.
        ASSERT_EQ(p->DBGrid4->model()->rowCount(), 2);
        EXPECT_EQ(QStringList({cell(p, 0, 0), cell(p, 0, 1), cell(p, 0, 2), cell(p, 0, 3)}),
                  QStringList({u"王建国"_s, u"1965.3"_s, u"男"_s, u"软件"_s}));
        EXPECT_EQ(QStringList({cell(p, 1, 2), cell(p, 1, 3), cell(p, 1, 4)}),
                  QStringList({u"女"_s, u"新材料"_s, u"高分子材料"_s}));
    });
    EXPECT_EQ(stored({u"unitcode"_s, u"item_187"_s, u"item_180"_s, u"item_181"_s, u"item_182"_s, u"item_124_1"_s}),
              u"9990001000|1|王建国|0|1965.3|02/9990001000|2|李秀英|1|1972.11|06"_s);
}

TEST_F(LeadersTest, NewNumberSkipsPastATakenNumberAndOtherUnitsStayHidden)
{
    // A quote in the code must not break the filter, nor a '*' at its end
    // take in the leaders of "O'Neil".
    unit(u"O'Neil*"_s);
    leader(u"1"_s, u"赵立新"_s, u"O'Neil*"_s);
    leader(u"3"_s, u"孙志刚"_s, u"O'Neil*"_s);
    leader(u"1"_s, u"外单位专家"_s, u"1234567890"_s);
    leader(u"2"_s, u"前缀单位专家"_s, u"O'Neil"_s);
    start();
    list([this](TFpage11 *p) {
        ASSERT_EQ(p->DBGrid4->model()->rowCount(), 2);
        EXPECT_TRUE(p->Button1->isEnabled() && p->Button3->isEnabled());
        dialog([this](TFinto11 *d) {
            fill(d, u"周海燕"_s, u"1980"_s, u"07"_s);
            message(u"储存成功！"_s);
            d->Button1->click();
        });
        p->Button2->click();
    });
    // Row count 2 + 1 is taken: the next number is one past the largest.
    EXPECT_EQ(stored(), u"O'Neil*|1|赵立新/O'Neil*|3|孙志刚/1234567890|1|外单位专家/O'Neil|2|前缀单位专家/9990001000|4|周海燕"_s);
}

TEST_F(LeadersTest, EditingLoadsTheSelectedRowAndWritesItBackInPlace)
{
    unit();
    leader(u"1"_s, u"赵立新"_s);
    leader(u"2"_s, u"孙志刚"_s, u"9990001000"_s, u"1959.3"_s);   // a month stored with one digit
    leader(u"3"_s, u"吴敏"_s);
    start();
    list([this](TFpage11 *p) {
        ASSERT_TRUE(DM->Tblexpert.locate(u"item_187"_s, u"2"_s));
        dialog([this](TFinto11 *d) {
            EXPECT_EQ(d->windowTitle(), kEdit);
            EXPECT_EQ(d->edtry_180->text(), u"孙志刚"_s);
            EXPECT_EQ(d->cbry_181->currentText(), u"0  男"_s);
            EXPECT_EQ(d->cbry_124_1->currentText().left(2), u"05"_s);
            EXPECT_EQ(d->Edt_both_1->text() + u"|"_s + d->edt_both_2->text(), u"1959|3"_s);
            EXPECT_EQ(d->Edit1->text(), QString());
            d->edtry_180->setText(u" 孙志刚"_s);   // kept as typed when editing
            d->cbry_181->setCurrentIndex(1);
            message(u"储存成功！"_s);
            d->Button1->click();
            EXPECT_FALSE(d->isVisible());
        });
        p->Button3->click();
        EXPECT_EQ(cell(p, 1, 2), u"女"_s);

        // The caption alone decides: another one stores nothing, the add
        // caption turns an edit into an add.
        dialog([this](TFinto11 *d) {
            d->setWindowTitle(u"学科带头人"_s);
            fill(d, u"钱学明"_s, u"1970"_s, u"1"_s);
            d->Button1->click();
            EXPECT_TRUE(d->isVisible());
            d->setWindowTitle(kAdd);
            message(u"储存成功！"_s);
            d->Button1->click();
        });
        p->Button3->click();
    });
    EXPECT_EQ(stored({u"item_187"_s, u"item_180"_s, u"item_181"_s, u"item_182"_s}),
              u"1|赵立新|0|1968.04/2| 孙志刚|1|1959.3/3|吴敏|0|1968.04/4|钱学明|0|1970.1"_s);
}

TEST_F(LeadersTest, DeletingRenumbersKeepsThePlaceAndEmptyListTurnsCommandsOff)
{
    unit();
    leader(u"1"_s, u"赵立新"_s);
    leader(u"2"_s, u"孙志刚"_s);
    leader(u"3"_s, u"吴敏"_s);
    start();
    list([this](TFpage11 *p) {
        ASSERT_TRUE(DM->Tblexpert.locate(u"item_187"_s, u"2"_s));
        seams.expectMessage(u"是否删除该项目？!"_s, [](const platform::MessageCall &c) {
            EXPECT_EQ(c.caption, u"提示信息"_s);
            EXPECT_EQ(c.buttons, platform::Yes | platform::No);
            return int(platform::No);
        });
        p->Button1->click();
        EXPECT_EQ(p->DBGrid4->model()->rowCount(), 3);

        message(u"是否删除该项目？!"_s, platform::Yes);
        p->Button1->click();
        EXPECT_EQ(p->DBGrid4->model()->rowCount(), 2);
        EXPECT_EQ(DM->Tblexpert.fieldByName(u"item_180"_s).asString(), u"吴敏"_s);
        EXPECT_EQ(DM->Tblexpert.fieldByName(u"item_187"_s).asString(), u"2"_s);
        EXPECT_TRUE(p->Button1->isEnabled());
        EXPECT_EQ(stored(), u"9990001000|1|赵立新/9990001000|2|吴敏"_s);

        // Down to nothing: "删除" and "修改" go off.
        for (int i = 0; i < 2; ++i) {
            message(u"是否删除该项目？!"_s, platform::Yes);
            p->Button1->click();
        }
        EXPECT_EQ(p->DBGrid4->model()->rowCount(), 0);
        EXPECT_FALSE(p->Button1->isEnabled() || p->Button3->isEnabled());
    });
    EXPECT_EQ(stored(), QString());
}

TEST_F(LeadersTest, ChecksRunInOrderAndBirthYearsRunFrom1900ToThisYear)
{
    unit();
    start();
    struct Case {
        QString name, year, month;
        int sex;
        QString message;
        const char *focus;
    };
    const Case cases[] = {
        {u"   "_s, u"1965"_s, u"3"_s, 0, u"姓名不能为空！"_s, nullptr},
        {u"王建国"_s, u"1965"_s, u"3"_s, -1, u"性别不能为空！"_s, nullptr},
        {u"王建国"_s, u""_s, u"3"_s, 0, u"出生年月均不能为空！"_s, "Edt_both_1"},
        {u"王建国"_s, u"1965"_s, u""_s, 0, u"出生年月均不能为空！"_s, "Edt_both_1"},
        {u"王建国"_s, u"1899"_s, u"3"_s, 0, u"出生年份不合法！"_s, "Edt_both_1"},
        {u"王建国"_s, u"2013"_s, u"3"_s, 0, u"出生年份不合法！"_s, "Edt_both_1"},
        {u"王建国"_s, u"19a5"_s, u"3"_s, 0, u"出生年份不合法！"_s, "Edt_both_1"},
        {u"王建国"_s, u"1965"_s, u"0"_s, 0, u"出生月份不合法！"_s, "edt_both_2"},
        {u"王建国"_s, u"1965"_s, u"13"_s, 0, u"出生月份不合法！"_s, "edt_both_2"},
    };
    list([&](TFpage11 *p) {
        for (const Case &c : cases) {
            SCOPED_TRACE(c.message.toStdString() + " " + c.year.toStdString() + "." + c.month.toStdString());
            dialog([&](TFinto11 *d) {
                fill(d, c.name, c.year, c.month, c.sex);
                message(c.message);
                d->Button1->click();
                EXPECT_TRUE(d->isVisible());
                if (c.focus) {
                    EXPECT_EQ(d->focusWidget() ? d->focusWidget()->objectName() : QString(), QLatin1String(c.focus));
                }
                d->edtry_180->clear();
                d->edtry_186->clear();
                d->Button2->click();   // empty name and note: no question
            });
            p->Button2->click();
        }
        EXPECT_EQ(p->DBGrid4->model()->rowCount(), 0);
        // The edges that pass: 1900 and this year (2012 on the test clock).
        for (const auto &[year, month] : {std::pair{u"1900"_s, u" 1"_s}, std::pair{u"2012"_s, u"12"_s}}) {
            dialog([&, y = year, m = month](TFinto11 *d) {
                fill(d, u"王建国"_s, y, m);
                message(u"储存成功！"_s);
                d->Button1->click();
            });
            p->Button2->click();
        }
    });
    EXPECT_EQ(stored({u"item_182"_s}), u"1900.1/2012.12"_s);
}

TEST_F(LeadersTest, LeavingAsksOnlyWhenNameSexNoteBirthOrResearchFieldChanged)
{
    unit();
    leader(u"1"_s, u"赵立新"_s);
    start();
    list([this](TFpage11 *p) {
        // A changed birth date asks; Yes with a failing check keeps the
        // dialog open on the failing field, then No leaves storing nothing.
        dialog([this](TFinto11 *d) {
            d->Edt_both_1->setText(u"1950"_s);
            d->edt_both_2->setText(u"13"_s);
            message(u"记录已更改，是否保存后退出？"_s, platform::Yes);
            message(u"出生月份不合法！"_s);
            d->Button2->click();
            EXPECT_TRUE(d->isVisible());
            EXPECT_EQ(d->focusWidget(), d->edt_both_2);
            EXPECT_EQ(d->edt_both_2->text(), u"13"_s);
            message(u"记录已更改，是否保存后退出？"_s, platform::No);
            d->Button2->click();
            EXPECT_FALSE(d->isVisible());
        });
        p->Button3->click();
        EXPECT_EQ(stored({u"item_182"_s}), u"1968.04"_s);
        // Answered Yes, the sound change is stored, the month as typed.
        dialog([this](TFinto11 *d) {
            d->edt_both_2->setText(u"4"_s);
            message(u"记录已更改，是否保存后退出？"_s, platform::Yes);
            message(u"储存成功！"_s);
            d->Button2->click();
            EXPECT_FALSE(d->isVisible());
        });
        p->Button3->click();
        EXPECT_EQ(stored({u"item_182"_s}), u"1968.4"_s);
        // Loaded again unchanged: no question.
        dialog([](TFinto11 *d) {
            EXPECT_EQ(d->edt_both_2->text(), u"4"_s);
            d->Button2->click();
            EXPECT_FALSE(d->isVisible());
        });
        p->Button3->click();

        // Picking a research field raises the question; No keeps the row.
        dialog([this](TFinto11 *d) {
            d->cbry_124_1->setCurrentIndex(0);
            emit d->cbry_124_1->activated(0);
            EXPECT_EQ(d->Edit1->text(), u"1"_s);
            seams.expectMessage(u"记录已更改，是否保存后退出？"_s, [](const platform::MessageCall &c) {
                EXPECT_EQ(c.caption, u"请注意！"_s);
                EXPECT_EQ(c.icon, platform::Icon::Question);
                return int(platform::No);
            });
            d->Button2->click();
            EXPECT_FALSE(d->isVisible());
        });
        p->Button3->click();

        // A changed note, answered Yes, is stored.
        dialog([this](TFinto11 *d) {
            EXPECT_EQ(d->Edit1->text(), QString());   // the marker starts empty again
            d->edtry_186->setText(u"光纤传感"_s);
            message(u"记录已更改，是否保存后退出？"_s, platform::Yes);
            message(u"储存成功！"_s);
            d->Button2->click();
            EXPECT_FALSE(d->isVisible());
        });
        p->Button3->click();
    });
    EXPECT_EQ(stored({u"item_181"_s, u"item_182"_s, u"item_124_1"_s, u"item_186"_s}), u"0|1968.4|05|光纤传感"_s);
}

} // namespace
