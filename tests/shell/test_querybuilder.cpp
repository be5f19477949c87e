// The query builder: condition parts from item, operator and value, the
// joining buttons, and the search over the shown category and year.
#include "data/dm.h"
#include "platform/widgets/dispatch.h"
#include "shell/formwel.h"
#include "shell/mainform.h"
#include "support/seededfolder.h"
#include "seed_loader.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

// Refills the query items with their fields (querybuilder.cpp).
void FillQueryItems(db::Dataset &items, QComboBox *combo);

namespace {

class QueryBuilder : public testsupport::SeededFolderTest {
protected:
    void SetUp() override
    {
        SeededFolderTest::SetUp();
        addOrganisation();
        const QStringList records[] = {{u"2009000001"_s, u"1"_s, u"高效节能电机控制技术"_s, u"110"_s},
                                       {u"2009000002"_s, u"1"_s, u"电机控制系统(二期)"_s, u"103"_s},
                                       {u"2009000003"_s, u"1"_s, u"用户'反馈'分析系统"_s, u"110"_s},
                                       {u"2009000004"_s, u"2"_s, u"节能政策研究"_s, u"110"_s},
                                       {u"2008000001"_s, u"1"_s, u"节能锅炉"_s, u"110"_s}};
        for (const QStringList &r : records)
            append(u"kjcg"_s, {{u"ITEM_4"_s, r[0]}, {u"ITEM_CGLB"_s, r[1]}, {u"ITEM_3"_s, r[2]}, {u"ITEM_63"_s, r[3]}});
    }
    void start() { startWindows(); }
    TMainForm &w() { return *MainForm; }
    QString condition() { return w().MMSysV->toPlainText(); }
    bool run(const std::function<void()> &handler) { return platform::runHandler(MainForm, handler); }

    // Adds one part: item, operator, and a typed value or the code list
    // entry beginning with `value`.
    bool add(const QString &item, const QString &op, const QString &value)
    {
        w().ComboBox2->setCurrentIndex(w().ComboBox2->findText(item));
        w().ComboBox2Change();
        w().ComboBox4->setCurrentIndex(w().ComboBox4->findText(op));
        if (!w().Edit2->isHidden())
            w().Edit2->setText(value);
        else
            w().Combobox3->setCurrentIndex(w().Combobox3->findText(value, Qt::MatchStartsWith));
        return run([&] { w().SpeedButton24Click(); });
    }
    QStringList listed(const char *field)
    {
        QStringList values;
        for (DM->Qrykjcg.first(); !DM->Qrykjcg.eof(); DM->Qrykjcg.next())
            values << DM->Qrykjcg.fieldByName(QLatin1String(field)).asString().trimmed();
        return values;
    }
    void search(const QString &text)
    {
        w().MMSysV->setPlainText(text);
        run([&] { w().SpeedButton16Click(); });
    }
    void expectLastBox(const QString &caption, platform::Icon icon)
    {
        EXPECT_EQ(seams.calls().back().caption, caption);
        EXPECT_EQ(seams.calls().back().icon, icon);
    }
};

TEST_F(QueryBuilder, AddBuildsEachPartWithEscapedValueAndWholeCode)
{
    append(u"zdxx"_s, {{u"zddm"_s, u"item_125"_s}, {u"xxdm"_s, u"C3410"_s}, {u"xxmc"_s, u"电机制造"_s}});
    start();
    EXPECT_TRUE(add(u"隶属部委"_s, u"="_s, u"110  "_s));
    EXPECT_EQ(condition(), u" item_63 ='110'"_s);
    w().MMSysV->clear();
    EXPECT_TRUE(add(u"成果名称"_s, u"包含"_s, u"节能"_s));
    EXPECT_TRUE(add(u"成果应用行业"_s, u"<>"_s, u"C3410"_s));
    EXPECT_TRUE(add(u"评价形式(软、基)"_s, u"="_s, u"2  "_s));
    EXPECT_TRUE(add(u"第一完成单位"_s, u"="_s, u"O'Neil  研究所"_s));
    EXPECT_EQ(condition(), u" item_3 like '%节能%' item_125 <>'C3410' item_21 ='2' item_9 ='O''Neil  研究所'"_s);

    seams.expectMessage(u"请选择比较符！"_s, platform::Ok);
    EXPECT_FALSE(add(u"成果名称"_s, QString(), u"y"_s));
    EXPECT_TRUE(condition().endsWith(u"研究所'"_s));

    // Classification codes, typed or picked, for both trees.
    w().MMSysV->clear();
    EXPECT_TRUE(add(u"中图分类号"_s, u"="_s, u" TP31 "_s));
    EXPECT_TRUE(add(u"第二中图分类号"_s, u"="_s, u"TP31  计算机软件"_s));
    HasZtflh = false;   // the subject tree alone
    EXPECT_TRUE(add(u"学科分类号"_s, u"="_s, u"11010  数学史"_s));
    EXPECT_TRUE(add(u"第二学科分类号"_s, u"包含"_s, u"110"_s));
    EXPECT_EQ(condition(), u" item_12 ='TP31' item_12_1 ='TP31' item_15 ='11010' item_15_1 like '%110%'"_s);
}

TEST_F(QueryBuilder, RowWithoutNameKeepsItemsAndFieldsTogether)
{
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(u"zdxx1"_s);
        t.open();
        t.first();   // 成果水平, item_2
        t.edit();
        t.fieldByName(u"Name"_s).clear();
        t.post();
    }
    start();
    // Whichever way the first showing filled the items, and refilled with
    // their fields attached.
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1)
            FillQueryItems(DM->tblzdxx1, w().ComboBox2);
        w().MMSysV->clear();
        EXPECT_EQ(w().ComboBox2->count(), DM->tblzdxx1.recordCount() - 1);
        EXPECT_TRUE(add(u"成果名称"_s, u"="_s, u"x"_s));
        EXPECT_TRUE(add(u"成果密级"_s, u"="_s, u"2  "_s));
        EXPECT_EQ(condition(), u" item_3 ='x' item_1 ='2'"_s);
    }
}

TEST_F(QueryBuilder, JoinButtonsInsertAtCaretAndCutTakesTheSelection)
{
    start();
    w().MMSysV->setPlainText(u" item_3 ='a' item_9 ='b'"_s);
    QTextCursor c = w().MMSysV->textCursor();
    c.setPosition(12);
    w().MMSysV->setTextCursor(c);
    w().InsertConditionText(u"and "_s);
    w().InsertConditionText(u")"_s);   // the caret went to the end
    EXPECT_EQ(condition(), u" item_3 ='a'and  item_9 ='b')"_s);
    c.setPosition(12);
    c.setPosition(16, QTextCursor::KeepAnchor);
    w().MMSysV->setTextCursor(c);
    w().SpeedButton23Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"and "_s);
    EXPECT_EQ(condition(), u" item_3 ='a' item_9 ='b')"_s);
}

TEST_F(QueryBuilder, SearchNarrowsTheShownListAndFailuresRestoreThePreviousOne)
{
    start();
    const QString plain = ListSQL;
    seams.expectMessage(u"您的查询语句含有不正确的的“（”“）”,请修改！"_s, platform::Ok);
    search(u")("_s);
    EXPECT_EQ(DM->Qrykjcg.sql(), plain);

    // Only records of the shown category and year, numbered 1..n.
    search(u" item_63 ='110' "_s);
    EXPECT_EQ(ListSQL, plain);
    EXPECT_EQ(listed("ITEM_4"), QStringList({u"2009000001"_s, u"2009000003"_s}));
    EXPECT_EQ(listed("NO"), QStringList({u"1"_s, u"2"_s}));
    const QString first = DM->Qrykjcg.sql();
    search(u"(item_3 like '%)%') or (item_3 like '%用户''反馈%')"_s);
    EXPECT_EQ(listed("ITEM_4"), QStringList({u"2009000002"_s, u"2009000003"_s}));
    EXPECT_EQ(ListSQL, first);
    const QString second = DM->Qrykjcg.sql();

    seams.expectMessage(u"没找到符合条件的条目,请再输入合适语句!"_s, platform::Ok);
    search(u" item_3 like '%锅炉%'"_s);
    expectLastBox(u"信息"_s, platform::Icon::Information);
    EXPECT_EQ(DM->Qrykjcg.sql(), second);
    EXPECT_EQ(listed("ITEM_4").size(), 2);
    seams.expectMessage(u"条件输入有误，请检查"_s, platform::Ok);
    search(u"((item_3 like '%a%'"_s);
    expectLastBox(u"请注意！"_s, platform::Icon::Question);
    EXPECT_EQ(DM->Qrykjcg.sql(), second);
    seams.expectMessage(u"没有条件无法查询!"_s, platform::Ok);
    search(u"  "_s);
    expectLastBox(u"信息"_s, platform::Icon::Information);
    EXPECT_EQ(listed("ITEM_4").size(), 2);

    run([&] { w().SpeedButton26Click(); });
    EXPECT_EQ(listed("NO"), QStringList({u"1"_s, u"2"_s, u"3"_s}));
    EXPECT_TRUE(condition().isEmpty());
}

TEST_F(QueryBuilder, ContainsMatchesPercentAndUnderscoreAsTyped)
{
    const QStringList more[] = {{u"2009000005"_s, u"节能50%方案"_s},
                                {u"2009000006"_s, u"节能500方案"_s},
                                {u"2009000007"_s, u"A_B型电机"_s},
                                {u"2009000008"_s, u"AxB型电机"_s},
                                {u"2009000009"_s, u"路径C:\\_x"_s}};
    for (const QStringList &r : more)
        append(u"kjcg"_s,
               {{u"ITEM_4"_s, r[0]}, {u"ITEM_CGLB"_s, u"1"_s}, {u"ITEM_3"_s, r[1]}, {u"ITEM_63"_s, u"110"_s}});
    start();
    const struct {
        QString typed;
        QStringList found;
    } cases[] = {{u"50%"_s, {u"2009000005"_s}},
                 {u"A_B"_s, {u"2009000007"_s}},
                 {u"\\_"_s, {u"2009000009"_s}},
                 {u"电机"_s, {u"2009000001"_s, u"2009000002"_s, u"2009000007"_s, u"2009000008"_s}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        w().MMSysV->clear();
        ASSERT_TRUE(add(u"成果名称"_s, u"包含"_s, c.typed));
        search(condition());
        EXPECT_EQ(listed("ITEM_4"), c.found) << qPrintable(condition());
    }
    EXPECT_EQ(condition(), u" item_3 like '%电机%'"_s) << "a plain value is written as before";
}

TEST_F(QueryBuilder, SearchAndRestoreLeaveTheMarksAndTheLockAlone)
{
    start();
    // The records hold none of their required fields: the start marks the
    // current one incomplete and locks the window.  A search or a restore
    // chooses no record: the marks and the lock stay as the start left them.
    QList<bool> marks;
    for (QPushButton *b : w().pageButtons())
        marks << TMainForm::isPageComplete(b);
    EXPECT_FALSE(TMainForm::isPageComplete(w().btn_page01));
    EXPECT_FALSE(w().SpeedButton16->isEnabled());
    const auto untouched = [&] {
        QList<bool> now;
        for (QPushButton *b : w().pageButtons())
            now << TMainForm::isPageComplete(b);
        EXPECT_EQ(now, marks);
        EXPECT_FALSE(w().SpeedButton16->isEnabled());
        EXPECT_FALSE(w().SpeedButton26->isEnabled());
    };
    search(u"item_3 like '%电机%'"_s);
    untouched();
    EXPECT_EQ(DM->Qrykjcg.recordCount(), 2);
    run([&] { w().SpeedButton26Click(); });
    untouched();
    EXPECT_EQ(DM->Qrykjcg.recordCount(), 3);
}

} // namespace
