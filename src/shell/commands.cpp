// The main window at work: the category and year choice, the commands, page
// completeness and the lock on an incomplete record.
#include "mainform.h"

#include "base/error.h"
#include "data/dm.h"
#include "db/dataset.h"
#include "db/error.h"
#include "forms/dbgrid.h"
#include "platform/core/captions.h"
#include "platform/core/seams.h"
#include "platform/widgets/dispatch.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

void filterTable(db::Table &t, const QString &filter)
{
    t.close();
    t.setFiltered(false);
    t.setFilter(filter);
    t.setFiltered(true);
    t.open();
}

QString field(db::Dataset &ds, const char *name)
{
    return ds.fieldByName(QLatin1String(name)).asString();
}

} // namespace

void TMainForm::connectHandlers()
{
    connect(ComboBox1, &QComboBox::activated, this, platform::handlerSlot(this, [this] { CategoryOrYearChange(); }));
    connect(cbYear, &QComboBox::activated, this, platform::handlerSlot(this, [this] { CategoryOrYearChange(); }));
    connect(cbYear->lineEdit(), &QLineEdit::textEdited, this,
            [this] { platform::runHandler(this, [this] { CategoryOrYearChange(); }); });
    platform::onClicked(Button1, this, [this] { Button1Click(); });
    platform::onClicked(Button5, this, [this] { Button5Click(); });
    platform::onClicked(Button4, this, [this] { Button4Click(); });
    platform::onClicked(BitBtn4, this, [this] { BitBtn4Click(); });
    platform::onClicked(Button2, this, [this] { Button2Click(); });
    platform::onClicked(BitBtn7, this, [this] { BitBtn7Click(); });
    platform::onClicked(BitBtn1, this, [this] {
        if (openImport)
            openImport();
    });
    platform::onClicked(BitBtn2, this, [this] {
        if (openExport)
            openExport();
    });
    platform::onClicked(BitBtn3, this, [this] {
        if (openCodeManage)
            openCodeManage();
    });
    for (QPushButton *b : pageButtons())
        platform::onClicked(b, this, [this, b] { PageButtonClick(b); });
    connect(ComboBox2, &QComboBox::activated, this, platform::handlerSlot(this, [this] { ComboBox2Change(); }));
    platform::onClicked(SpeedButton24, this, [this] { SpeedButton24Click(); });
    platform::onClicked(SpeedButton15, this, [this] { InsertConditionText(QStringLiteral("and ")); });
    platform::onClicked(SpeedButton18, this, [this] { InsertConditionText(QStringLiteral("or ")); });
    platform::onClicked(SpeedButton17, this, [this] { InsertConditionText(QStringLiteral("not ")); });
    platform::onClicked(SpeedButton20, this, [this] { InsertConditionText(QStringLiteral("(")); });
    platform::onClicked(SpeedButton21, this, [this] { InsertConditionText(QStringLiteral(")")); });
    platform::onClicked(SpeedButton23, this, [this] { SpeedButton23Click(); });
    platform::onClicked(SpeedButton16, this, [this] { SpeedButton16Click(); });
    platform::onClicked(SpeedButton26, this, [this] { SpeedButton26Click(); });
    connect(DBGrid1, &DBGrid::cellClicked, this, [this] { platform::runHandler(this, [this] { DBGrid1CellClick(); }); });
    // A user's move to another record (mouse or keys) has already
    // recomputed the marks; tell about the lock it brought.  (A click that
    // moves never arrives as a click: the grid is locked by then.)
    connect(DBGrid1, &DBGrid::userMoved, this, [this] {
        // Told once the grid has finished the move, so the box opens over
        // the newly selected row.
        QMetaObject::invokeMethod(this, [this] {
            if (!DBGrid1->isEnabled())
                platform::messageBox(this, QStringLiteral("当前项目有未完成栏目，请您填写完毕!"),
                                     platform::PromptCaption, platform::Icon::Information, platform::Ok);
        }, Qt::QueuedConnection);
    });
}

void TMainForm::connectRecordList()
{
    // Whatever moves the current record (mouse, keys, a command), the marks
    // and the lock follow it.
    connect(&DM->Qrykjcg, &db::Dataset::afterScroll, this, [this] {
        if (m_bulk == 0)
            platform::runHandler(this, [this] { currentRecordChanged(); });
    });
}

void TMainForm::currentRecordChanged()
{
    UpdatePageStatus();
    UpdateCommandState();
}

void TMainForm::CategoryOrYearChange()
{
    BulkListWork bulk(this);
    RefreshRecordList(DM->Qrykjcg, ComboBox1, btn_page02, cbYear);
    RenumberList();
    UpdatePageStatus();
    UpdateCommandState();
}

void TMainForm::SelectYearOfNew(int categoryPosition, const QString &yearText)
{
    BulkListWork bulk(this);
    if (categoryPosition != ComboBox1->currentIndex()) {
        ComboBox1->setCurrentIndex(categoryPosition);
        RefreshRecordList(DM->Qrykjcg, ComboBox1, btn_page02, cbYear);
    }
    const QString year = yearText.trimmed();
    for (int i = 0; i < cbYear->count(); ++i) {
        if (cbYear->itemText(i) == year) {
            cbYear->setCurrentIndex(i);
            RefreshRecordList(DM->Qrykjcg, ComboBox1, btn_page02, cbYear);
        }
    }
}

QList<QWidget *> TMainForm::lockedControls() const
{
    return {DBGrid1, ComboBox1, cbYear, SpeedButton16, SpeedButton26, Button1, Button5, BitBtn1, BitBtn2, BitBtn4};
}

void TMainForm::UpdatePageStatus()
{
    for (QPushButton *b : pageButtons())
        setPageComplete(b, true);
    db::Query &rec = DM->Qrykjcg;
    if (!rec.isActive() || rec.isEmpty())
        return;
    const QString scope = ComboBox1->currentIndex() == 0 ? QStringLiteral("lb='a' or lb='1'") : QStringLiteral("lb='a' or lb='2'");
    db::Query &check = DM->QryCheckUp;
    check.close();
    check.setDatabaseName(DataPath);
    check.setSQL(QStringLiteral("select * from checkup where \n") + scope);
    check.open();
    const QHash<QString, QPushButton *> pages = {{QStringLiteral("01"), btn_page01}, {QStringLiteral("02"), btn_page02},
                                                {QStringLiteral("03"), btn_page03}, {QStringLiteral("04"), btn_page04}};
    for (check.first(); !check.eof(); check.next()) {
        const QString id = field(check, "id");
        if (rec.fieldByName(id).isNull())
            if (QPushButton *b = pages.value(field(check, "button")))
                setPageComplete(b, false);
    }
    filterTable(DM->TblCgwcr, data::recordFilter(field(rec, "item_4"), field(rec, "item_dqdm")));
    if (DM->TblCgwcr.recordCount() < 1)
        setPageComplete(btn_page08, false);
}

bool TMainForm::UpdateCommandState()
{
    const QString category = DM->Qrykjcg.isActive() && !DM->Qrykjcg.isEmpty() ? field(DM->Qrykjcg, "item_cglb") : QString();
    bool all = isPageComplete(btn_page01) && isPageComplete(btn_page03) && isPageComplete(btn_page04)
               && isPageComplete(btn_page08);
    if (category == QLatin1String("1"))
        all = all && isPageComplete(btn_page02);
    // What needs the organisation's row stays off while there is none.
    const bool hasUnit = hasOrganisation();
    const QList<QWidget *> needUnit = {DBGrid1, ComboBox1, cbYear, Button1, Button5, BitBtn2, BitBtn4};
    // A locked command tells, when pointed at, why it is off.
    const QString why = all ? QString() : QStringLiteral("当前项目有未完成栏目：") + IncompleteMessage();
    for (QWidget *w : lockedControls()) {
        w->setEnabled(all && (hasUnit || !needUnit.contains(w)));
        if (qobject_cast<QAbstractButton *>(w))
            w->setToolTip(why);
    }
    return all;
}

QString TMainForm::IncompleteMessage() const
{
    const bool applied = DM && DM->Qrykjcg.isActive() && !DM->Qrykjcg.isEmpty()
                         && field(DM->Qrykjcg, "item_cglb") == QLatin1String("1");
    if (!isPageComplete(btn_page01))
        return QStringLiteral("成果概况没有填完,请继续填写完成该项目！");
    if (!isPageComplete(btn_page02) && applied)
        return QStringLiteral("知识产权，成果应用情况没有填完,请继续填写完成该项目！");
    if (!isPageComplete(btn_page03))
        return QStringLiteral("课题立项，评价没有填完,请继续填写完成该项目！");
    if (!isPageComplete(btn_page04))
        return QStringLiteral("第一完成单位情况没有填完,请继续填写完成该项目！");
    if (!isPageComplete(btn_page08))
        return QStringLiteral("成果完成人员名单没有填完,请继续填写完成该项目！");
    return {};
}

bool TMainForm::CanClose()
{
    const QString message = IncompleteMessage();
    if (message.isEmpty())
        return true;
    ShowMsg(message);
    platform::abortSilently();
}

void TMainForm::DBGrid1CellClick()
{
    if (DM->Qrykjcg.isEmpty())
        return;
    UpdatePageStatus();
    UpdateCommandState();
    if (!DBGrid1->isEnabled())
        platform::messageBox(this, QStringLiteral("当前项目有未完成栏目，请您填写完毕!"), platform::PromptCaption,
                             platform::Icon::Information, platform::Ok);
}

void TMainForm::BitBtn7Click()
{
    close();
}

void TMainForm::Button1Click()
{
    if (openNewRecord)
        openNewRecord();
}

void TMainForm::Button5Click()
{
    db::Query &rec = DM->Qrykjcg;
    if (rec.isEmpty()) {
        platform::messageBox(this, QStringLiteral("当前没有可以修改的项目"), platform::AttentionCaption,
                             platform::Icon::Question, platform::Ok);
        return;
    }
    EditOldItem4 = field(rec, "item_4");
    EditOldItem3 = field(rec, "item_3");
    // The dialog starts from the record's own category and year.
    const QString category = field(rec, "ITEM_CGLB").trimmed();
    bool ok = false;
    const int c = category.toInt(&ok);
    if (!ok)
        throw base::Error(QStringLiteral("成果类别“%1”不是有效的数字").arg(category));
    if (openMainItems)
        openMainItems(c >= 1 && c <= 3 ? c - 1 : 0);
}

void TMainForm::Button4Click()
{
    db::Query &rec = DM->Qrykjcg;
    if (rec.isEmpty())
        return;
    if (platform::messageBox(
            this, QStringLiteral("是否删除'") + field(rec, "item_3") + QStringLiteral("'") + QStringLiteral("项目?"),
            platform::PromptCaption, platform::Icon::Information, platform::Yes | platform::No)
        != platform::Yes)
        return;
    BulkListWork bulk(this);
    const QString no = field(rec, "no").trimmed();
    const QString key = field(rec, "item_4"), region = field(rec, "item_dqdm");
    // The record's rows in the sub-tables first, then the record itself,
    // each found by key and region.
    data::deleteRecord(data::Store::Main, {key, region});
    RefreshRecordList(rec, ComboBox1, btn_page02, cbYear);
    RenumberList();
    if (!no.isEmpty())
        rec.locate(QStringLiteral("no"), no, true);
    UpdatePageStatus();
    UpdateCommandState();
}

void TMainForm::BitBtn4Click()
{
    // The print command lives with the print dialog.
    if (!DM->Qrykjcg.isEmpty() && openPrint)
        openPrint();
}

void TMainForm::Button2Click()
{
    if (openOrganisation)
        openOrganisation();
}

void TMainForm::PageButtonClick(QPushButton *button)
{
    if (DM->Qrykjcg.isEmpty())
        Button1Click();
    if (!DM->Qrykjcg.isEmpty() && openPage)
        openPage(button);
}

void TMainForm::AfterExchange(bool refillYears)
{
    if (refillYears) {
        DM->OpenQuerySQL(DM->tempquery, QStringLiteral("select item_4 from kjcg order by item_4 desc"));
        FillYearList(DM->tempquery, cbYear);
    }
    RefreshRecordList(DM->Qrykjcg, ComboBox1, btn_page02, cbYear);
    UpdatePageStatus();
    RenumberList();
    UpdateCommandState();
}
