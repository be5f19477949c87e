// The main window at work: the shared routines, delete, print preparation,
// page completeness and the lock on an incomplete record.
#include "data/dm.h"
#include "db/dataset.h"
#include "platform/widgets/dispatch.h"
#include "platform/core/seams.h"
#include "seed_loader.h"
#include "forms/dbgrid.h"
#include "shell/formwel.h"
#include "shell/mainform.h"
#include "support/seededfolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString q(const char *s) { return QString::fromUtf8(s); }

class MainWindowTest : public testsupport::SeededFolderTest {
protected:
    void SetUp() override
    {
        SeededFolderTest::SetUp();
        addOrganisation();
    }
    // A record whose every required page is complete, with one person
    // unless told otherwise.
    void addRecord(const QString &key, const QString &category, const QString &name, bool withPerson = true)
    {
        addCompleteRecord(key, category, name);
        if (withPerson)
            addSubRow(QStringLiteral("cgwcr"), key, {{QStringLiteral("ITEM_180"), q("张伟")}});
    }
    // A row of a sub-table for the record of that key and region.
    void addSubRow(const QString &table, const QString &key, const testsupport::Cells &values,
                   const QString &region = QStringLiteral("."))
    {
        append(table, testsupport::Cells{{QStringLiteral("ITEM_4"), key}, {QStringLiteral("ITEM_DQDM"), region}} + values);
    }
    int rowsOf(const QString &table, const QString &key)
    {
        db::Query c;
        c.setDatabaseName(data);
        c.setSQL(QStringLiteral("select * from %1 where item_4='%2'").arg(table, key));
        c.open();
        return c.recordCount();
    }
    db::Query &rec() { return DM->Qrykjcg; }
    QString current(const char *f) { return rec().fieldByName(QLatin1String(f)).asString(); }
};

TEST_F(MainWindowTest, CodePanelsAndComboRoutines)
{
    startWindows();
    QWidget form;
    auto *panel = new QGroupBox(&form);
    panel->setObjectName(QStringLiteral("Panel_125"));
    QStringList codes = {QStringLiteral("05"), QStringLiteral("02"), QStringLiteral("11")};
    QList<QCheckBox *> boxes;
    for (const QString &c : codes) {
        auto *b = new QCheckBox(panel);
        b->setObjectName(QStringLiteral("CB_125_") + c);
        boxes << b;
    }
    boxes[0]->setChecked(true);
    boxes[1]->setChecked(true);
    EXPECT_EQ(MainForm->GetCheckedCodes(&form, panel, q("成果应用行业"), 2), QStringLiteral("02;05;"));
    boxes[2]->setChecked(true);
    seams.expectMessage(q("'成果应用行业'项目为复选项目，但至多选择二项！"), platform::Ok);
    EXPECT_THROW(MainForm->GetCheckedCodes(&form, panel, q("成果应用行业"), 2), platform::SilentAbort);
    EXPECT_EQ(seams.calls().back().caption, q("提示"));
    // The intellectual-property group is not limited; its one-digit codes
    // stay as ticked.
    auto *ipPanel = new QGroupBox(&form);
    ipPanel->setObjectName(QStringLiteral("Panel_51"));
    for (const char *c : {"1", "2", "3"}) {
        auto *b = new QCheckBox(ipPanel);
        b->setObjectName(QStringLiteral("CB_51_") + QLatin1String(c));
        b->setChecked(true);
    }
    EXPECT_EQ(MainForm->GetCheckedCodes(&form, ipPanel, q("知识产权形式"), 1), QStringLiteral("1;2;3;"));

    MainForm->ClearChecks(&form);
    MainForm->CheckCodes(&form, panel, 2, QStringLiteral("02;11;"));
    EXPECT_FALSE(boxes[0]->isChecked());
    EXPECT_TRUE(boxes[1]->isChecked());
    EXPECT_TRUE(boxes[2]->isChecked());

    // A radio group gives its code alone; clearing unchecks it.
    auto *radioPanel = new QGroupBox(&form);
    radioPanel->setObjectName(QStringLiteral("Panel_123"));
    auto *r1 = new QRadioButton(radioPanel);
    r1->setObjectName(QStringLiteral("RB_123_1"));
    auto *r2 = new QRadioButton(radioPanel);
    r2->setObjectName(QStringLiteral("RB_123_2"));
    MainForm->CheckCodes(&form, radioPanel, 1, QStringLiteral("2"));
    EXPECT_EQ(MainForm->GetCheckedCodes(&form, radioPanel, q("成果体现形式"), 1), QStringLiteral("2"));
    MainForm->ClearChecks(&form);
    EXPECT_FALSE(r2->isChecked());

    QLineEdit a, b, c;
    MainForm->SplitToEdits(q("节能;控制"), &a, &b, &c);
    EXPECT_EQ(QStringList({a.text(), b.text(), c.text()}), QStringList({q("节能"), q("控制"), QString()}));

    QComboBox combo;
    MainForm->FillComboFromDict(DM->Tblzdxx, QStringLiteral("no-such-key"), false, &combo);
    EXPECT_EQ(combo.count(), 1);
    MainForm->FillComboFromDict(DM->Tblzdxx, QStringLiteral("item_2"), false, &combo);
    MainForm->SelectComboByCode(QStringLiteral("2"), &combo);
    EXPECT_TRUE(combo.currentText().startsWith(QStringLiteral("2  ")));
    MainForm->SelectComboByCode(QStringLiteral("nothing"), &combo);
    EXPECT_TRUE(combo.currentText().startsWith(QStringLiteral("2  ")));
    MainForm->FillComboCodeName(DM->tblProvince, &combo, QStringLiteral("Province_i"), QStringLiteral("Province_n"), true);
    EXPECT_EQ(combo.count(), 34);

    // Codes and keys taken from fields and edits compare exactly: "01*"
    // is no code, and "item_*" no dictionary key.
    QLineEdit shown;
    MainForm->ShowCodeName(DM->Tblgxjs, QStringLiteral("0101"), &shown);
    EXPECT_EQ(shown.text(), q("0101  微电子技术"));
    MainForm->ShowCodeName(DM->Tblgxjs, QStringLiteral("01*"), &shown);
    EXPECT_EQ(shown.text(), QString());
    MainForm->FillComboFromDict(DM->Tblzdxx, QStringLiteral("item_*"), false, &combo);
    EXPECT_EQ(combo.count(), 1);

    seams.expectMessage(q("成果名称不能为空！"), platform::Ok);
    EXPECT_THROW(MainForm->RequireText(QStringLiteral("  "), q("成果名称不能为空！")), platform::SilentAbort);
    EXPECT_EQ(seams.calls().back().caption, MsgCaption);
    seams.verifyAllUsed();
}

TEST_F(MainWindowTest, RecordWithoutPersonsIsLockedUntilAPersonIsAdded)
{
    addRecord(QStringLiteral("2009000001"), QStringLiteral("1"), q("城市供水管网智能监测"));
    addRecord(QStringLiteral("2009000002"), QStringLiteral("1"), q("水稻抗病育种"), false);
    startWindows();
    ASSERT_EQ(rec().recordCount(), 2);
    // The first record is complete.
    MainForm->DBGrid1CellClick();
    EXPECT_TRUE(MainForm->DBGrid1->isEnabled());
    EXPECT_TRUE(MainForm->Button1->isEnabled());

    // Moving to the second record (as the arrow keys do) locks at once.
    rec().next();
    EXPECT_FALSE(TMainForm::isPageComplete(MainForm->btn_page08));
    EXPECT_FALSE(MainForm->DBGrid1->isEnabled());
    EXPECT_FALSE(MainForm->Button1->isEnabled());
    EXPECT_FALSE(MainForm->SpeedButton16->isEnabled());
    EXPECT_TRUE(MainForm->Button4->isEnabled()) << "delete is never locked";

    seams.expectMessage(q("当前项目有未完成栏目，请您填写完毕!"), platform::Ok);
    MainForm->DBGrid1CellClick();
    EXPECT_EQ(seams.calls().back().caption, q("提示信息"));

    seams.expectMessage(q("成果完成人员名单没有填完,请继续填写完成该项目！"), platform::Ok);
    EXPECT_FALSE(MainForm->close());

    // A click on another record is a move too: the grid and the record stay
    // on the clicked row, and the lock is told.
    rec().first();
    ASSERT_TRUE(MainForm->DBGrid1->isEnabled());
    MainForm->show();
    seams.expectMessage(q("当前项目有未完成栏目，请您填写完毕!"), platform::Ok);
    const QRect cell = MainForm->DBGrid1->visualRect(MainForm->DBGrid1->model()->index(1, 2));
    QTest::mouseClick(MainForm->DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
    QCoreApplication::processEvents();
    EXPECT_EQ(rec().recNo(), 2);
    EXPECT_EQ(MainForm->DBGrid1->currentIndex().row(), 1);
    EXPECT_FALSE(MainForm->DBGrid1->isEnabled());

    addSubRow(QStringLiteral("cgwcr"), QStringLiteral("2009000002"), {{QStringLiteral("ITEM_180"), q("李娜")}});
    MainForm->DBGrid1CellClick();
    EXPECT_TRUE(MainForm->DBGrid1->isEnabled());
    seams.verifyAllUsed();
}

TEST_F(MainWindowTest, CloseIsRefusedWithTheFirstIncompletePage)
{
    addRecord(QStringLiteral("2010000001"), QStringLiteral("1"), q("新型复合材料制备工艺"));
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(QStringLiteral("kjcg"));
        t.open();
        t.edit();
        t.fieldByName(QStringLiteral("ITEM_161")).clear();   // page 02 only
        t.post();
    }
    startWindows();
    seams.expectMessage(q("当前项目有未完成栏目，请您填写完毕!"), platform::Ok);
    MainForm->DBGrid1CellClick();
    seams.expectMessage(q("知识产权，成果应用情况没有填完,请继续填写完成该项目！"), platform::Ok);
    EXPECT_FALSE(MainForm->close());
    seams.verifyAllUsed();
}

TEST_F(MainWindowTest, CommandsStayOffWithoutOrganisation)
{
    {
        db::Table unit;
        unit.setDatabaseName(data);
        unit.setTableName(QStringLiteral("unit"));
        unit.open();
        unit.deleteRecord();
    }
    seams.onModal(QStringLiteral("Fpage4a"), [](QDialog *) { return 0; });   // shown first, left alone
    startWindows();
    MainForm->UpdatePageStatus();
    EXPECT_TRUE(MainForm->UpdateCommandState());
    EXPECT_FALSE(MainForm->Button1->isEnabled());
    EXPECT_FALSE(MainForm->DBGrid1->isEnabled());
    EXPECT_TRUE(MainForm->BitBtn1->isEnabled()) << "import works without the organisation";
    EXPECT_TRUE(MainForm->SpeedButton16->isEnabled());
}

TEST_F(MainWindowTest, DeleteRemovesTheRecordAndItsRowsByKeyAndRegion)
{
    addRecord(QStringLiteral("2009000001"), QStringLiteral("1"), q("第一项"));
    addRecord(QStringLiteral("2009000002"), QStringLiteral("1"), q("第二项"));
    addRecord(QStringLiteral("2009000003"), QStringLiteral("1"), q("第三项"));
    for (const char *t : {"cgwcdw", "zlqk", "jdwyhmd"})
        addSubRow(QLatin1String(t), QStringLiteral("2009000002"), {});
    // Rows of the same key from another region belong to another record.
    addSubRow(QStringLiteral("cgwcdw"), QStringLiteral("2009000002"), {}, QStringLiteral("420"));
    startWindows();
    rec().locate(QStringLiteral("item_4"), QStringLiteral("2009000002"));
    seams.expectMessage(q("是否删除'第二项'项目?"), platform::Yes);
    MainForm->Button4Click();
    EXPECT_EQ(seams.calls().back().caption, q("提示信息"));
    EXPECT_EQ(rec().recordCount(), 2);
    for (const char *t : {"zlqk", "jdwyhmd", "cgwcr"})
        EXPECT_EQ(rowsOf(QLatin1String(t), QStringLiteral("2009000002")), 0) << t;
    EXPECT_EQ(rowsOf(QStringLiteral("cgwcdw"), QStringLiteral("2009000002")), 1);
    // The list stays on the row that took the deleted one's number, and the
    // marks are those of that row.
    EXPECT_EQ(current("item_4"), QStringLiteral("2009000003"));
    EXPECT_EQ(current("no"), QStringLiteral("2"));
    EXPECT_TRUE(MainForm->DBGrid1->isEnabled());

    seams.expectMessage(q("是否删除'第三项'项目?"), platform::No);
    MainForm->Button4Click();
    EXPECT_EQ(rec().recordCount(), 2);
    seams.verifyAllUsed();
}

TEST_F(MainWindowTest, PrintPreparationDerivesPatentSummary)
{
    addRecord(QStringLiteral("2009000001"), QStringLiteral("1"), q("高效节能电机"));
    addSubRow(QStringLiteral("zlqk"), QStringLiteral("2009000001"), {{QStringLiteral("PATENT_ST"), QStringLiteral("1")}, {QStringLiteral("PATENT_TY"), QStringLiteral("3")}});
    addSubRow(QStringLiteral("zlqk"), QStringLiteral("2009000001"), {{QStringLiteral("PATENT_ST"), QStringLiteral("1")}, {QStringLiteral("PATENT_TY"), QStringLiteral("1")}});
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(QStringLiteral("kjcg"));
        t.open();
        t.edit();
        t.fieldByName(QStringLiteral("ITEM_51")).setAsString(QStringLiteral("1"));
        t.post();
    }
    startWindows();
    // The print dialog opens for the record as prepared.
    seams.onModal(QStringLiteral("PrintForm"), [](QDialog *d) {
        EXPECT_TRUE(d->findChild<QWidget *>(QStringLiteral("Panel5"))->isVisible());
        return 1;
    });
    MainForm->BitBtn4Click();
    EXPECT_EQ(current("ITEM_51"), QStringLiteral("1;"));
    EXPECT_EQ(current("patent_ty"), QStringLiteral("1;3;"));
    EXPECT_EQ(current("ITEM_51_1"), QStringLiteral("2"));
    EXPECT_TRUE(DM->QryCgwcr.isActive());
    EXPECT_EQ(DM->QryCgwcr.recordCount(), 1);
}

// Two imported names that differ only at their end stay told apart in the
// narrow name column: the middle is elided, and the whole name shows on
// hover.
TEST_F(MainWindowTest, NamesDifferingAtTheirEndStayApartInTheList)
{
    const QString stem = q("黄河下游滩区水沙调控与生态修复关键技术集成研究与示范应用");
    addRecord(QStringLiteral("2009000001"), QStringLiteral("1"), stem + q("（一）"));
    addRecord(QStringLiteral("2009000002"), QStringLiteral("1"), stem + q("（二）"));
    startWindows();
    DBGrid *grid = MainForm->DBGrid1;
    QAbstractItemModel *m = grid->model();
    int nameColumn = -1;
    for (int c = 0; c < m->columnCount(); ++c)
        if (m->headerData(c, Qt::Horizontal).toString() == q("成果名称"))
            nameColumn = c;
    ASSERT_GE(nameColumn, 0);
    QStringList shown, hovered;
    const QFontMetrics fm(grid->font());
    for (int r = 0; r < 2; ++r) {
        const QModelIndex cell = m->index(r, nameColumn);
        hovered << cell.data(Qt::ToolTipRole).toString();
        shown << fm.elidedText(cell.data().toString(), grid->textElideMode(), grid->columnWidth(nameColumn) - 8);
    }
    EXPECT_EQ(hovered, QStringList({stem + q("（一）"), stem + q("（二）")}));
    EXPECT_NE(shown[0], shown[1]) << shown[0].toStdString();
    EXPECT_TRUE(shown[0].contains(QChar(0x2026))) << "the name is wider than its column";
}

} // namespace
