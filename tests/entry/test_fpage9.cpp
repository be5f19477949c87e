// The appraisal certificate page, opened through the main window's page
// button over a seeded data folder.
#include "data/dm.h"
#include "support/fakeclock.h"
#include "db/dataset.h"
#include "entry/fpage9.h"
#include "entry/pages.h"
#include "platform/core/seams.h"
#include "shell/mainform.h"
#include "support/seededfolder.h"
#include "seed_loader.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using testsupport::Fields;

const QString kLong = [] {
    QStringList lines;
    for (int i = 1; i <= 80; ++i)
        lines << u"第%1条：管网压力传感器布设与数据回传方案。"_s.arg(i);
    return lines.join(u'\n');
}();

const Fields kCertificate = {
    {u"ITEM_301"_s, u"鄂科鉴字[2010]第057号"_s}, {u"ITEM_302"_s, u"2010.09.18"_s},
    {u"ITEM_13_2"_s, u"可在全省地级以上城市供水企业推广。"_s}, {u"ITEM_13_3"_s, u"1. 研究报告（课题组）\n2. 测试报告（省计量院）"_s},
    {u"ITEM_133"_s, u"漏损定位误差小于1.5米。"_s}, {u"ITEM_303"_s, u"该成果总体达到国内领先水平。"_s}};

const QStringList kFields = {u"ITEM_301"_s, u"ITEM_302"_s, u"ITEM_13_2"_s, u"ITEM_13_3"_s, u"ITEM_133"_s, u"ITEM_303"_s};

class Page9Test : public testsupport::SeededFolderTest {
protected:
    void SetUp() override
    {
        testsupport::FakeClock::activate(QDateTime(QDate(2012, 6, 1), QTime(9, 0)));
        SeededFolderTest::SetUp();
        addOrganisation();
    }
    QString stored(const QString &key, const QStringList &fields = kFields) { return storedFields(key, fields); }
    void start(const QString &key) { startAt(key); }
    void page(const std::function<void(TFpage9 *)> &driver) { throughPage(MainForm->btn_page09, Fpage9, driver); }
    static void date(TFpage9 *p, const char *y, const char *m, const char *d)
    {
        p->edt_302_y->setText(QString::fromUtf8(y));
        p->edt_302_m->setText(QString::fromUtf8(m));
        p->edt_302_d->setText(QString::fromUtf8(d));
    }
    static QString shown(TFpage9 *p)
    {
        return p->edt_302_y->text() + u'/' + p->edt_302_m->text() + u'/' + p->edt_302_d->text();
    }
};

TEST_F(Page9Test, LoadsTheCertificate)
{
    record(u"2010000001"_s, kCertificate);
    record(u"2010000002"_s);
    start(u"2010000001"_s);
    page([](TFpage9 *p) {
        EXPECT_EQ(p->windowTitle(), u"成果名称：成果2010000001"_s);
        EXPECT_EQ(p->size(), QSize(800, 600));
        // The bottom row reads as on every page: 储存, 退出, 帮助.
        EXPECT_LT(p->btnSave01->x(), p->Button2->x());
        EXPECT_LT(p->Button2->x(), p->Button1->x());
        EXPECT_EQ(p->Button2->text() + p->Button1->text(), u"退出帮助"_s);
        EXPECT_EQ(p->Edt_301->text(), u"鄂科鉴字[2010]第057号"_s);
        EXPECT_EQ(shown(p), u"2010/09/18"_s);
        EXPECT_EQ(p->Mo_13_3->toPlainText(), u"1. 研究报告（课题组）\n2. 测试报告（省计量院）"_s);
        EXPECT_EQ(p->Mo_303->toPlainText(), u"该成果总体达到国内领先水平。"_s);
        EXPECT_EQ(p->PageControl1->count(), 4);
        EXPECT_EQ(p->PageControl1->tabText(2), u"评价委员会专家测试报告"_s);
        p->Button2->click();   // nothing changed: no question
        EXPECT_FALSE(p->isVisible());
    });
    // Another record: the memos hold nothing of the one before.
    ASSERT_TRUE(DM->Qrykjcg.locate(u"item_4"_s, u"2010000002"_s));
    page([](TFpage9 *p) {
        EXPECT_EQ(p->Edt_301->text() + shown(p) + p->Mo_13_2->toPlainText() + p->Mo_13_3->toPlainText()
                      + p->Mo_133->toPlainText() + p->Mo_303->toPlainText(),
                  u"//"_s);
        p->Button2->click();
        EXPECT_FALSE(p->isVisible());
    });
}

TEST_F(Page9Test, DateChecksRunInOrderAndFocusTheFailingPart)
{
    record(u"2010000001"_s, kCertificate);
    start(u"2010000001"_s);
    page([this](TFpage9 *p) {
        const struct { const char *y, *m, *d, *message; QLineEdit *focus; } cases[] = {
            {"1899", "13", "32", "非法月份!", p->edt_302_m},          // month before day before year
            {"1899", "0", "", "非法月份!", p->edt_302_m},
            {"1899", "12", "32", "非法日期!", p->edt_302_d},
            {"1899", "12", "x", "非法日期!", p->edt_302_d},
            {"1899", "5", "7", "评价日期年份不合法！", p->edt_302_y},
            {"2013", "5", "7", "评价日期年份不合法！", p->edt_302_y}, // next year
            {"20a0", "", "", "评价日期年份不合法！", p->edt_302_y},
            {"1900", "5", "0", "日期非法!", p->edt_302_y},             // 1900 is allowed, day 0 is not
            {"2011", "2", "30", "日期非法!", p->edt_302_y},
            {"2011", "", "", "日期非法!", p->edt_302_y},               // only a year
            {"", "3", "7", "日期非法!", p->edt_302_y},
        };
        for (const auto &c : cases) {
            date(p, c.y, c.m, c.d);
            p->Edt_301->setFocus();
            expectWarning(QString::fromUtf8(c.message));
            p->btnSave01->click();
            EXPECT_EQ(p->focusWidget(), c.focus) << c.y << "." << c.m << "." << c.d;
        }
        EXPECT_EQ(DM->Qrykjcg.state(), db::DatasetState::Browse);
        EXPECT_EQ(stored(u"2010000001"_s, {u"ITEM_302"_s}), u"2010.09.18"_s);
    });
}

TEST_F(Page9Test, SaveWritesTheStoredForms)
{
    record(u"2010000001"_s);
    start(u"2010000001"_s);
    page([this](TFpage9 *p) {
        p->Edt_301->setText(u"鄂科鉴字[2005]第011号"_s);
        date(p, "2005", " 3", "7 ");   // blanks around the parts are not stored
        p->Mo_13_2->setPlainText(u"推广\t措施"_s);
        p->Mo_13_3->setPlainText(u"文件\t\t目录"_s);
        p->Mo_133->setPlainText(u"测试报告"_s);
        p->Mo_303->setPlainText(u"评价\t意见"_s);
        expectWarning(u"储存成功！"_s);
        p->btnSave01->click();
        EXPECT_EQ(shown(p), u"2005/03/07"_s);
        EXPECT_EQ(p->Mo_13_3->toPlainText(), u"文件  目录"_s);   // the memo shows what was stored
        EXPECT_TRUE(p->isVisible());
    });
    EXPECT_EQ(stored(u"2010000001"_s),
              u"鄂科鉴字[2005]第011号|2005.03.07|推广 措施|文件  目录|测试报告|评价 意见"_s);
    EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page09));
    EXPECT_EQ(MainForm->btn_page09->text(), u"评价证书内容"_s);

    // No date at all stores an empty one.
    page([this](TFpage9 *p) {
        date(p, "", " ", "");
        expectWarning(u"储存成功！"_s);
        p->btnSave01->click();
    });
    EXPECT_EQ(stored(u"2010000001"_s, {u"ITEM_302"_s}), QString());
}

TEST_F(Page9Test, LeavingAsksOnlyWhenTheControlsDifferFromTheRecord)
{
    record(u"2010000001"_s, kCertificate);
    start(u"2010000001"_s);
    const QString before = stored(u"2010000001"_s);
    const std::function<void(TFpage9 *)> changes[] = {
        [](TFpage9 *p) { p->edt_302_d->setText(u"19"_s); },
        [](TFpage9 *p) { p->edt_302_m->clear(); },   // an incomplete date is a change too
        [](TFpage9 *p) { p->Edt_301->setText(u"鄂科鉴字[2010]第058号"_s); },
        [](TFpage9 *p) { p->Mo_133->appendPlainText(u"复测合格。"_s); },
    };
    for (const auto &change : changes) {
        page([&](TFpage9 *p) {
            change(p);
            expectSaveQuestion(platform::No);
            p->Button2->click();
            EXPECT_FALSE(p->isVisible());
        });
    }
    EXPECT_EQ(stored(u"2010000001"_s), before);

    // Blanks around a memo, a one-digit month that is stored padded: no change.
    page([](TFpage9 *p) {
        p->Mo_303->setPlainText(u"\n  该成果总体达到国内领先水平。  \n"_s);
        p->edt_302_m->setText(u"9"_s);
        p->Button2->click();
        EXPECT_FALSE(p->isVisible());
    });

    page([this](TFpage9 *p) {
        p->edt_302_d->setText(u"20"_s);
        expectSaveQuestion(platform::Yes);
        expectWarning(u"储存成功！"_s);
        p->Button2->click();
        EXPECT_FALSE(p->isVisible());
    });
    EXPECT_EQ(stored(u"2010000001"_s, {u"ITEM_302"_s}), u"2010.09.20"_s);
}

TEST_F(Page9Test, ARefusedSaveOnLeavingKeepsThePageAndItsTexts)
{
    record(u"2010000001"_s, kCertificate);
    start(u"2010000001"_s);
    page([this](TFpage9 *p) {
        const QString opinion = u"经审查，该成果创新性突出，建议推广。"_s;
        p->Mo_303->setPlainText(opinion);
        p->Mo_13_2->setPlainText(kLong);
        date(p, "2010", "2", "30");
        expectSaveQuestion(platform::Yes);
        expectWarning(u"日期非法!"_s);
        p->Button2->click();
        EXPECT_TRUE(p->isVisible());
        EXPECT_EQ(p->focusWidget(), p->edt_302_y);
        EXPECT_EQ(p->Mo_303->toPlainText(), opinion);
        EXPECT_EQ(p->Mo_13_2->toPlainText(), kLong);
        EXPECT_EQ(stored(u"2010000001"_s, {u"ITEM_303"_s}), u"该成果总体达到国内领先水平。"_s);

        // Escape goes the same way.
        date(p, "2010", "13", "1");
        expectSaveQuestion(platform::Yes);
        expectWarning(u"非法月份!"_s);
        p->reject();
        EXPECT_TRUE(p->isVisible());
        EXPECT_EQ(p->focusWidget(), p->edt_302_m);

        // A failed post: told with "提示", nothing pending, still open.
        date(p, "2010", "9", "18");
        p->Edt_301->setText(u"证书"_s + QChar(0x1F600));
        expectSaveQuestion(platform::Yes);
        expectBox(QString(), u"提示"_s, platform::Icon::None);
        p->Button2->click();
        EXPECT_TRUE(p->isVisible());
        EXPECT_EQ(DM->Qrykjcg.state(), db::DatasetState::Browse);

        // Corrected, the same way out saves everything.
        p->Edt_301->setText(u"鄂科鉴字[2010]第057号"_s);
        expectSaveQuestion(platform::Yes);
        expectWarning(u"储存成功！"_s);
        p->Button2->click();
        EXPECT_FALSE(p->isVisible());
    });
    EXPECT_EQ(stored(u"2010000001"_s, {u"ITEM_302"_s, u"ITEM_303"_s}), u"2010.09.18|经审查，该成果创新性突出，建议推广。"_s);
    EXPECT_EQ(stored(u"2010000001"_s, {u"ITEM_13_2"_s}), kLong);
}

TEST_F(Page9Test, MemosPutTheCaretAtTheStart)
{
    record(u"2010000001"_s, {{u"ITEM_13_3"_s, kLong}, {u"ITEM_133"_s, kLong}, {u"ITEM_303"_s, u"  \n \n"_s}});
    start(u"2010000001"_s);
    page([](TFpage9 *p) {
        auto atEnd = [](QPlainTextEdit *m) {
            QTextCursor c = m->textCursor();
            c.movePosition(QTextCursor::End);
            m->setTextCursor(c);
            m->ensureCursorVisible();
        };
        auto click = [](QPlainTextEdit *m) {
            const QPoint at = m->viewport()->rect().center();
            QTest::mousePress(m->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(m->viewport(), Qt::LeftButton, {}, at);
        };
        // Showing a sheet.
        p->PageControl1->setCurrentIndex(1);
        atEnd(p->Mo_13_3);
        p->PageControl1->setCurrentIndex(0);
        p->PageControl1->setCurrentIndex(1);
        EXPECT_EQ(p->Mo_13_3->textCursor().position(), 0);
        EXPECT_EQ(p->Mo_13_3->verticalScrollBar()->value(), 0);
        EXPECT_EQ(p->focusWidget(), p->Mo_13_3);

        // Clicking into the memo from elsewhere.
        atEnd(p->Mo_13_3);
        p->Edt_301->setFocus();
        click(p->Mo_13_3);
        EXPECT_EQ(p->Mo_13_3->textCursor().position(), 0);
        EXPECT_EQ(p->Mo_13_3->verticalScrollBar()->value(), 0);
        EXPECT_EQ(p->focusWidget(), p->Mo_13_3);

        // Right-clicking the first tab.
        p->PageControl1->tabBar()->setFocus();
        QTest::mouseClick(p->PageControl1->tabBar(), Qt::RightButton, {},
                          p->PageControl1->tabBar()->tabRect(0).center());
        EXPECT_EQ(p->focusWidget(), p->Mo_13_2);

        // The test report: caret at the start, the view where it was.
        p->PageControl1->setCurrentIndex(2);
        atEnd(p->Mo_133);
        const int scroll = p->Mo_133->verticalScrollBar()->value();
        ASSERT_GT(scroll, 0);
        p->Edt_301->setFocus();
        click(p->Mo_133);
        EXPECT_EQ(p->Mo_133->textCursor().position(), 0);
        EXPECT_EQ(p->Mo_133->verticalScrollBar()->value(), scroll);
        EXPECT_EQ(p->focusWidget(), p->Mo_133);

        // A blank opinion is emptied by a click; a real one is left alone.
        p->PageControl1->setCurrentIndex(3);
        click(p->Mo_303);
        EXPECT_EQ(p->Mo_303->toPlainText(), QString());
        p->Mo_303->setPlainText(u" 同意 "_s);
        click(p->Mo_303);
        EXPECT_EQ(p->Mo_303->toPlainText(), u" 同意 "_s);
        p->done(0);
    });
}

} // namespace
