#include "finto5.h"

#include "base/error.h"
#include "db/dataset.h"
#include "db/error.h"
#include "entry/fpage5.h"
#include "entry/recordpage.h"
#include "forms/controls.h"
#include "forms/gbkvalidator.h"
#include "platform/core/seams.h"
#include "platform/widgets/dispatch.h"
#include "shell/mainform.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFinto5 *Finto5 = nullptr;

namespace {

const QString kListName = QStringLiteral("合作完成单位情况");

// The row's field as the edit shows it (trailing blanks of the table's
// fixed width are not the user's).
QString fieldText(db::Dataset &ds, const char *name)
{
    return ds.fieldByName(QLatin1String(name)).asString();
}

} // namespace

TFinto5::TFinto5(QWidget *parent) : ListDialog(QStringLiteral("Finto5"), kListName, parent)
{
    auto *lay = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto edit = [&](const char *name, const char *label, int bytes, int width) {
        QLineEdit *e = makeLineEdit(this, QLatin1String(name), bytes);
        e->setMinimumWidth(width);
        form->addRow(QString::fromUtf8(label), e);
        return e;
    };
    edt_176 = edit("edt_176", "序号", 4, 60);
    edt_176->setReadOnly(true);
    edt_176->setMaximumWidth(60);
    edtdw_170 = edit("edtdw_170", "单位名称", 80, 420);
    edtdw_171 = edit("edtdw_171", "通讯地址", 80, 420);
    edtdw_172 = edit("edtdw_172", "邮政编码", 6, 80);
    edtdw_172->setMaximumWidth(80);
    makeFigureEdit(edtdw_172, false);
    edtdw_173 = edit("edtdw_173", "联系人", 20, 160);
    edtdw_173->setMaximumWidth(160);
    edtdw_174 = edit("edtdw_174", "联系人电话", 20, 160);
    edtdw_174->setMaximumWidth(160);
    lay->addLayout(form);

    lay->addLayout(makeButtonRow(Button1, Button2));
    setFixedSize(sizeHint().expandedTo(QSize(560, 0)));
}

ListPage *TFinto5::listPage() const
{
    return Fpage5;
}

void TFinto5::loadForAdd()
{
    m_editRow = -1;
    for (QLineEdit *e : {edtdw_170, edtdw_171, edtdw_172, edtdw_173, edtdw_174})
        e->clear();
    edt_176->setText(QString::number(Fpage5 ? Fpage5->newOrderNumber() : 1));
}

void TFinto5::loadForEdit()
{
    db::Dataset &ds = listPage()->rows();
    m_editRow = ds.currentRow();
    edtdw_170->setText(fieldText(ds, "ITEM_170"));
    edtdw_171->setText(fieldText(ds, "ITEM_171"));
    edtdw_172->setText(fieldText(ds, "ITEM_172"));
    edtdw_173->setText(fieldText(ds, "ITEM_173"));
    edtdw_174->setText(fieldText(ds, "ITEM_174"));
    edt_176->setText(fieldText(ds, "ITEM_176"));
}

bool TFinto5::inputEmpty(bool forQuit)
{
    for (QLineEdit *e : {edtdw_170, edtdw_171, edtdw_172, edtdw_173}) {
        const QString text = forQuit ? e->text() : e->text().trimmed();
        if (!text.isEmpty())
            return false;
    }
    return true;
}

void TFinto5::validate()
{
    const QString order = edt_176->text().trimmed();
    if (order.isEmpty())
        platform::abortSilently();   // stays open, nothing said
    bool ok = false;
    order.toInt(&ok);
    if (!ok) {
        platform::messageBox(this, QStringLiteral("输入序号必须为数字！"), AppTitle, platform::Icon::None, platform::Ok);
        platform::abortSilently();
    }
}

void TFinto5::fill(db::Dataset &ds)
{
    ListPage::writeRecordKey(ds);
    ds.fieldByName(QStringLiteral("ITEM_170")).setAsString(edtdw_170->text().trimmed());
    ds.fieldByName(QStringLiteral("ITEM_171")).setAsString(edtdw_171->text());
    ds.fieldByName(QStringLiteral("ITEM_172")).setAsString(edtdw_172->text());
    ds.fieldByName(QStringLiteral("ITEM_173")).setAsString(edtdw_173->text());
    ds.fieldByName(QStringLiteral("ITEM_176")).setAsString(edt_176->text().trimmed());
    ds.fieldByName(QStringLiteral("ITEM_174")).setAsString(edtdw_174->text());
}

void TFinto5::store(Mode mode)
{
    ListPage *page = listPage();
    db::Dataset &ds = page->rows();
    if (mode == Mode::Add) {
        page->appendRow([this](db::Dataset &d) { fill(d); });
        page->reopen();
        page->selectOrder(edt_176->text().trimmed().toInt());
    } else if (mode == Mode::Edit) {
        // The row the dialog was loaded from, whatever moved the cursor
        // since; the list keeps its order (the number does not change).
        if (m_editRow >= 0 && !ds.gotoRow(m_editRow))
            throw base::Error(QStringLiteral("要修改的单位已不在列表中"));
        const int position = ds.recNo() - 1;
        page->editCurrentRow([this](db::Dataset &d) { fill(d); });
        page->reopen();
        ds.moveToPosition(position);
        page->grid->refresh();
    }
}

void TFinto5::afterStored(Mode mode)
{
    if (mode != Mode::Add)
        return;
    for (QLineEdit *e : {edtdw_170, edtdw_171, edtdw_172, edtdw_173})
        e->clear();
}

bool TFinto5::isUnchanged()
{
    db::Dataset &ds = listPage()->rows();
    if (!ds.isActive() || ds.isEmpty()) {
        for (QLineEdit *e : {edtdw_170, edtdw_171, edtdw_172, edtdw_173, edtdw_174})
            if (!e->text().isEmpty())
                return false;
        return true;
    }
    if (m_editRow >= 0)
        ds.gotoRow(m_editRow);
    const std::pair<QLineEdit *, const char *> pairs[] = {
        {edtdw_170, "ITEM_170"}, {edtdw_171, "ITEM_171"}, {edtdw_172, "ITEM_172"}, {edtdw_173, "ITEM_173"},
        {edtdw_174, "ITEM_174"}};
    for (const auto &[e, field] : pairs)
        if (e->text() != fieldText(ds, field))
            return false;
    return true;
}
