// The classification tree picker over a seeded data folder: the trees it
// builds, where its choice goes, and the query builder's drop-downs.
#include "data/dm.h"
#include "db/dataset.h"
#include "entry/formtree.h"
#include "entry/treeflags.h"
#include "platform/core/seams.h"
#include "shell/mainform.h"
#include "support/seededfolder.h"
#include "seed_loader.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kOld = u"旧值"_s;

int depthOf(const QTreeWidgetItem *item)
{
    int depth = 0;
    for (; item->parent(); item = item->parent())
        ++depth;
    return depth;
}

QString codeOf(const QTreeWidgetItem *item) { return item->text(0).section(u"  "_s, 0, 0); }

// Every node below the root in tree order: two blanks per depth, its text.
QStringList outline(QTreeWidget *tree)
{
    QStringList out;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->parent())
            out << QString(2 * qsizetype(depthOf(*it) - 1), u' ') + (*it)->text(0);
    return out;
}

bool anyFlagRaised()
{
    auto raised = [](const auto &flags) { return std::any_of(std::begin(flags), std::end(flags), [](bool f) { return f; }); };
    return raised(TreeFlagsPage1) || raised(TreeFlagsPage4a) || raised(TreeFlagsMain);
}

QTreeWidgetItem *node(const QString &code)
{
    const auto found = FormTree->TreeView1->findItems(code + u"  "_s, Qt::MatchStartsWith | Qt::MatchRecursive);
    EXPECT_EQ(found.size(), 1) << code.toStdString();
    return found.value(0);
}

// Selects the node of that code and presses "确认".
void choose(const QString &code)
{
    if (QTreeWidgetItem *n = node(code))
        FormTree->TreeView1->setCurrentItem(n);
    FormTree->Button1->click();
}

class FormTreeTest : public testsupport::SeededFolderTest {
protected:
    QLineEdit page1[4];      // the edits the pages register
    QLineEdit page4a[40];

    void SetUp() override
    {
        SeededFolderTest::SetUp();
        for (int i = 0; i < 40; ++i) {
            page4a[i].setText(kOld);
            TreeEditsPage4a[i] = &page4a[i];
            if (i < 4) {
                page1[i].setText(kOld);
                TreeEditsPage1[i] = &page1[i];
            }
        }
    }
    void TearDown() override
    {
        seams.verifyAllUsed();
        ClearTreeFlags();
        std::fill(std::begin(TreeEditsPage1), std::end(TreeEditsPage1), nullptr);
        std::fill(std::begin(TreeEditsPage4a), std::end(TreeEditsPage4a), nullptr);
        std::fill(std::begin(TreeEditsMain), std::end(TreeEditsMain), nullptr);
        delete std::exchange(FormTree, nullptr);
        SeededFolderTest::TearDown();
    }
    void start()
    {
        DM = new TDM(data);
        FormTree = new TFormTree;
    }
    std::unique_ptr<db::Table> table(const QString &file)
    {
        auto t = std::make_unique<db::Table>();
        t->setDatabaseName(data);
        t->setTableName(file);
        t->open();
        return t;
    }
    // Replaces every row of a classification table with (level, code, name) rows.
    void setRows(const QString &file, const QList<QStringList> &rows)
    {
        auto t = table(file);
        while (!t->isEmpty()) {
            t->first();
            t->deleteRecord();
        }
        for (const QStringList &r : rows) {
            t->append();
            for (int i = 0; i < 3; ++i)
                t->field(i).setAsString(r[i]);
            t->post();
        }
    }
    // Shows the picker as the flags stand, with `driver` working it.
    void show(const std::function<void()> &driver)
    {
        seams.onModal(u"FormTree"_s, [&](QDialog *) { driver(); return 0; });
        platform::showModal(FormTree);
    }
    // Raises one flag alone, as a caller does, and shows the picker.
    void pick(bool &flag, const std::function<void()> &driver)
    {
        ClearTreeFlags();
        flag = true;
        show(driver);
    }
};

TEST_F(FormTreeTest, EachFlagBuildsItsTableWithTheWholeHierarchy)
{
    start();
    struct Case {
        bool &flag;
        QString file, parent, child;   // one node under another
        bool codesNest;                // every code begins with its parent's
    };
    // The seeded library classification skips some classes (G5, O3), so its
    // codes do not always begin with their parent's.
    const Case cases[] = {
        {TreeFlagsPage1[0], u"xkfl.dbf"_s, u"11014  数理逻辑与数学基础"_s, u"1101420"_s, true},
        {TreeFlagsPage1[2], u"ztflh.dbf"_s, u"TP  自动化技术、计算机技术"_s, u"TP3"_s, false},
        {TreeFlagsPage4a[0], u"gxjs.dbf"_s, u"0101  微电子技术"_s, u"010103"_s, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        QHash<QString, int> levels;   // code -> level, of the rows with a level above 0
        auto t = table(c.file);
        for (t->first(); !t->eof(); t->next())
            if (const int level = t->field(0).asString().trimmed().toInt(); level > 0)
                levels.insert(t->field(1).asString().trimmed(), level);
        pick(c.flag, [&] {
            QTreeWidget *tree = FormTree->TreeView1;
            ASSERT_EQ(tree->topLevelItemCount(), 1);
            QTreeWidgetItem *root = tree->topLevelItem(0);
            EXPECT_EQ(root->text(0), u"详细分类"_s);
            EXPECT_TRUE(root->isExpanded());
            EXPECT_FALSE(root->child(0)->isExpanded());
            EXPECT_EQ(outline(tree).size(), levels.size());
            int wrongDepth = 0, notNested = 0;
            for (QTreeWidgetItemIterator it(tree); *it; ++it) {
                if (!(*it)->parent())
                    continue;
                wrongDepth += depthOf(*it) != levels.value(codeOf(*it));
                notNested += (*it)->parent()->parent() && !codeOf(*it).startsWith(codeOf((*it)->parent()));
            }
            EXPECT_EQ(wrongDepth, 0);
            if (c.codesNest) {
                EXPECT_EQ(notNested, 0);
            }
            QTreeWidgetItem *child = node(c.child);
            ASSERT_TRUE(child && child->parent());
            EXPECT_EQ(child->parent()->text(0), c.parent);
            FormTree->Button2->click();
        });
        EXPECT_FALSE(DM->Table1.isActive());
    }

    // The remaining flags, by the first node of the table they open.
    const QString subjects = u"110  数学"_s, library = u"A  马克思主义、列宁主义、毛泽东思想、邓小平理论"_s,
                  hightech = u"01  电子信息"_s;
    const std::pair<bool *, QString> firsts[] = {
        {&TreeFlagsPage1[1], subjects},   {&TreeFlagsPage1[3], library},    {&TreeFlagsPage4a[9], hightech},
        {&TreeFlagsPage4a[10], subjects}, {&TreeFlagsPage4a[29], hightech}, {&TreeFlagsPage4a[39], subjects},
        {&TreeFlagsMain[0], library},     {&TreeFlagsMain[1], subjects},
    };
    for (const auto &[flag, first] : firsts)
        pick(*flag, [expected = first] {
            EXPECT_EQ(FormTree->TreeView1->topLevelItem(0)->child(0)->text(0), expected);
            FormTree->Button2->click();
        });
}

TEST_F(FormTreeTest, RowsOutOfOrderDeepOrBadlyLevelledDoNotBreakThePicker)
{
    setRows(u"xkfl.dbf"_s, {
                               {u"2"_s, u"Q1"_s, u"无上级"_s},        // no level 1 yet: under the root
                               {u"1"_s, u"A"_s, u"甲"_s},
                               {u"2"_s, u"A1"_s, u"甲一"_s},
                               {u"1"_s, u"B"_s, u"乙"_s},
                               {u"3"_s, u"A11"_s, u"甲一一"_s},      // under the latest level 2
                               {u"0"_s, u"Z"_s, u"零级"_s},           // passed over
                               {u"4"_s, u"A111"_s, u"四级"_s},
                               {u"5"_s, u"A1111"_s, u"五级"_s},
                               {u"6"_s, u"A11111"_s, u"六级"_s},
                               {u"8"_s, u"A111111"_s, u"八级"_s},    // no level 7: under the deepest
                               {u" 2"_s, u" B1"_s, u" 乙一 "_s},      // blanks trimmed
                               {u"-1"_s, u"Y"_s, u"负级"_s},
                           });
    setRows(u"gxjs.dbf"_s, {{u"1"_s, u"01"_s, u"电子信息"_s}, {u"x"_s, u"0101"_s, u"微电子技术"_s},
                            {u"1"_s, u"02"_s, u"生物"_s}});
    start();
    pick(TreeFlagsPage1[0], [&] {
        EXPECT_EQ(outline(FormTree->TreeView1),
                  QStringList({u"Q1  无上级"_s, u"A  甲"_s, u"  A1  甲一"_s, u"    A11  甲一一"_s, u"      A111  四级"_s,
                               u"        A1111  五级"_s, u"          A11111  六级"_s, u"            A111111  八级"_s,
                               u"B  乙"_s, u"  B1  乙一"_s}));
        choose(u"A111111"_s);
    });
    EXPECT_EQ(page1[0].text(), u"A111111  八级"_s);

    // A level that is no number: the error box, the rows before it, the table closed.
    seams.expectMessage(u"\"x\""_s, [](const platform::MessageCall &c) {
        EXPECT_TRUE(c.text.contains(u"gxjs"_s)) << c.text.toStdString();
        EXPECT_EQ(c.icon, platform::Icon::Error);
        return platform::Ok;
    });
    pick(TreeFlagsPage4a[0], [&] {
        EXPECT_FALSE(DM->Table1.isActive());
        EXPECT_EQ(outline(FormTree->TreeView1), QStringList({u"01  电子信息"_s}));
        FormTree->Button2->click();
    });
    EXPECT_EQ(page4a[0].text(), kOld);
}

TEST_F(FormTreeTest, TheChoiceReachesOnlyTheFlaggedEdit)
{
    start();
    pick(TreeFlagsPage1[1], [] { choose(u"11014"_s); });
    pick(TreeFlagsPage1[3], [] { choose(u"TP3"_s); });
    pick(TreeFlagsPage4a[21], [] { choose(u"0101"_s); });
    EXPECT_EQ(page1[1].text(), u"11014  数理逻辑与数学基础"_s);
    EXPECT_EQ(page1[3].text(), u"TP3  计算技术、计算机技术"_s);
    EXPECT_EQ(page4a[21].text(), u"0101  微电子技术"_s);
    for (QLineEdit *untouched : {&page1[0], &page1[2], &page4a[20], &page4a[22]})
        EXPECT_EQ(untouched->text(), kOld);
    EXPECT_FALSE(anyFlagRaised());
    EXPECT_EQ(FormTree->TreeView1->topLevelItemCount(), 0);

    // The overview page resets only its own flags before it opens the
    // picker: the organisation page's earlier pick is not repeated.
    pick(TreeFlagsPage4a[35], [] { choose(u"110"_s); });
    page4a[35].setText(kOld);
    std::fill(std::begin(TreeFlagsPage1), std::end(TreeFlagsPage1), false);
    TreeFlagsPage1[0] = true;
    show([] { choose(u"11017"_s); });
    EXPECT_EQ(page1[0].text(), u"11017  数论"_s);
    EXPECT_EQ(page4a[35].text(), kOld);
}

TEST_F(FormTreeTest, RootCancelNoChoiceAndDoubleClick)
{
    start();
    pick(TreeFlagsPage1[0], [] {
        FormTree->TreeView1->setCurrentItem(FormTree->TreeView1->topLevelItem(0));
        FormTree->Button1->click();
    });
    EXPECT_EQ(page1[0].text(), QString());

    pick(TreeFlagsPage1[2], [] {
        FormTree->TreeView1->setCurrentItem(node(u"TP"_s));
        FormTree->Button2->click();
        EXPECT_FALSE(FormTree->isVisible());
    });
    EXPECT_EQ(page1[2].text(), kOld);
    EXPECT_FALSE(anyFlagRaised());
    EXPECT_EQ(FormTree->TreeView1->topLevelItemCount(), 0);

    // OK with nothing selected does nothing; the picker stays.
    pick(TreeFlagsPage1[3], [] {
        FormTree->Button1->click();
        EXPECT_TRUE(FormTree->isVisible());
        EXPECT_TRUE(TreeFlagsPage1[3]);
        FormTree->Button2->click();
    });
    EXPECT_EQ(page1[3].text(), kOld);
    EXPECT_FALSE(anyFlagRaised());

    // A double-click folds the root and picks any other node.
    pick(TreeFlagsPage1[2], [] {
        QTreeWidgetItem *root = FormTree->TreeView1->topLevelItem(0);
        emit FormTree->TreeView1->itemDoubleClicked(root, 0);
        EXPECT_FALSE(root->isExpanded());
        EXPECT_TRUE(FormTree->isVisible());
        emit FormTree->TreeView1->itemDoubleClicked(node(u"TP"_s), 0);
        EXPECT_FALSE(FormTree->isVisible());
    });
    EXPECT_EQ(page1[2].text(), u"TP  自动化技术、计算机技术"_s);
}

TEST_F(FormTreeTest, QueryBuilderDropDownsFillItsValueEdit)
{
    addOrganisation();   // so the commands are on
    startWindows();

    auto item = [](const QString &name) {
        MainForm->ComboBox2->setCurrentIndex(MainForm->ComboBox2->findText(name));
        MainForm->ComboBox2Change();
    };
    auto add = [] {
        MainForm->ComboBox4->setCurrentIndex(MainForm->ComboBox4->findText(u"="_s));
        MainForm->SpeedButton24Click();
        return MainForm->MMSysV->toPlainText();
    };

    item(u"中图分类号"_s);
    ASSERT_FALSE(MainForm->ComboBox5->isHidden());
    seams.onModal(u"FormTree"_s, [](QDialog *) { EXPECT_TRUE(TreeFlagsMain[0]); choose(u"TP3"_s); return 0; });
    MainForm->ComboBox5->click();
    EXPECT_EQ(MainForm->Edit2->text(), u"TP3  计算技术、计算机技术"_s);
    EXPECT_TRUE(add().endsWith(u"'TP3'"_s)) << MainForm->MMSysV->toPlainText().toStdString();

    item(u"学科分类号"_s);
    ASSERT_FALSE(MainForm->ComboBox6->isHidden());
    TreeFlagsPage1[0] = true;   // left over from elsewhere: the drop-down lowers it
    seams.onModal(u"FormTree"_s, [](QDialog *) { choose(u"11017"_s); return 0; });
    MainForm->ComboBox6->click();
    EXPECT_EQ(MainForm->Edit2->text(), u"11017  数论"_s);
    EXPECT_EQ(page1[0].text(), kOld);
    EXPECT_TRUE(add().endsWith(u"'11017'"_s)) << MainForm->MMSysV->toPlainText().toStdString();
    EXPECT_FALSE(anyFlagRaised());
}

} // namespace
