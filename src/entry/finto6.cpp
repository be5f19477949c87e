#include "finto6.h"

#include "base/error.h"
#include "data/dm.h"
#include "db/dataset.h"
#include "db/error.h"
#include "entry/fpage6.h"
#include "entry/recordpage.h"
#include "forms/controls.h"
#include "forms/gbkvalidator.h"
#include "platform/widgets/dispatch.h"
#include "shell/mainform.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFinto6 *Finto6 = nullptr;

namespace {

QString rowText(db::Dataset &ds, const char *field)
{
    return ds.fieldByName(QLatin1String(field)).asString();
}

// Texts compare as the table keeps them: trailing blanks do not count.
bool sameText(const QString &typed, const QString &stored)
{
    auto cut = [](QString s) {
        while (s.endsWith(QLatin1Char(' ')))
            s.chop(1);
        return s;
    };
    return cut(typed) == cut(stored);
}

} // namespace

TFinto6::TFinto6(QWidget *parent) : ListDialog(QStringLiteral("Finto6"), TFpage6::ListName, parent)
{
    buildControls();
    for (QComboBox *c : {cb_st, cb_ty})
        connect(c, &QComboBox::activated, this, platform::handlerSlot(this, [this] { markChanged(); }));
}

void TFinto6::buildControls()
{
    setFixedSize(560, 180);
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(16, 14, 16, 12);
    lay->setSpacing(10);

    auto *form = new QGridLayout;
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(8);
    cb_st = makeComboBox(this, QStringLiteral("cb_st"), 170);
    cb_ty = makeComboBox(this, QStringLiteral("cb_ty"), 170);
    edtzl_no = makeLineEdit(this, QStringLiteral("edtzl_no"), 16);
    edtzl_no->setFixedWidth(170);
    edtzl_name = makeLineEdit(this, QStringLiteral("edtzl_name"), 140);

    form->addWidget(makeLabel(this, QStringLiteral("专利状况"), QStringLiteral("Label1")), 0, 0, Qt::AlignRight);
    form->addWidget(cb_st, 0, 1, Qt::AlignLeft);
    form->addWidget(makeLabel(this, QStringLiteral("专利类型"), QStringLiteral("Label2")), 0, 2, Qt::AlignRight);
    form->addWidget(cb_ty, 0, 3, Qt::AlignLeft);
    form->addWidget(makeLabel(this, QStringLiteral("专利号"), QStringLiteral("Label3")), 1, 0, Qt::AlignRight);
    form->addWidget(edtzl_no, 1, 1, Qt::AlignLeft);
    form->addWidget(makeLabel(this, QStringLiteral("专利名称"), QStringLiteral("Label4")), 2, 0, Qt::AlignRight);
    form->addWidget(edtzl_name, 2, 1, 1, 3);
    form->setColumnStretch(3, 1);
    lay->addLayout(form);
    lay->addStretch();

    lay->addLayout(makeButtonRow(Button1, Button2));
}

ListPage *TFinto6::listPage() const
{
    return Fpage6;
}

QString TFinto6::statusCode() const
{
    return comboCode(cb_st);
}

QString TFinto6::typeCode() const
{
    return comboCode(cb_ty);
}

void TFinto6::prepare()
{
    MainForm->FillComboFromDict(DM->Tblzdxx, QStringLiteral("patent_st"), true, cb_st);
    MainForm->FillComboFromDict(DM->Tblzdxx, QStringLiteral("patent_ty"), true, cb_ty);
    // Nothing is chosen until the row or the user chooses.
    cb_st->setCurrentIndex(-1);
    cb_ty->setCurrentIndex(-1);
    m_row = -1;
}

void TFinto6::loadForAdd()
{
    edtzl_no->clear();
    edtzl_name->clear();
}

void TFinto6::loadForEdit()
{
    db::Dataset &ds = listPage()->rows();
    m_row = ds.currentRow();
    edtzl_no->setText(rowText(ds, "PATENT_NO"));
    edtzl_name->setText(rowText(ds, "PATENT_NAM"));
    MainForm->SelectComboByCode(rowText(ds, "PATENT_ST").trimmed(), cb_st);
    MainForm->SelectComboByCode(rowText(ds, "PATENT_TY").trimmed(), cb_ty);
}

bool TFinto6::inputEmpty(bool forQuit)
{
    // Only the quit passes over an empty dialog; the save checks it.
    return forQuit && edtzl_no->text().isEmpty() && edtzl_name->text().isEmpty();
}

void TFinto6::validate()
{
    if (statusCode().isEmpty())
        fail(cb_st, QStringLiteral("\"专利状况\"不能为空！"));
    if (typeCode().isEmpty())
        fail(cb_ty, QStringLiteral("\"专利类型\"不能为空！"));
    if (edtzl_no->text().trimmed().isEmpty())
        fail(edtzl_no, QStringLiteral("\"专利号\"不能为空！"));
    if (edtzl_name->text().trimmed().isEmpty())
        fail(edtzl_name, QStringLiteral("\"专利名称\"不能为空！"));
}

void TFinto6::store(Mode mode)
{
    auto *page = static_cast<TFpage6 *>(listPage());
    const auto fill = [this](db::Dataset &ds) {
        ds.fieldByName(QStringLiteral("PATENT_NO")).setAsString(edtzl_no->text());
        ds.fieldByName(QStringLiteral("PATENT_NAM")).setAsString(edtzl_name->text());
        ds.fieldByName(QStringLiteral("PATENT_ST")).setAsString(statusCode());
        ds.fieldByName(QStringLiteral("PATENT_TY")).setAsString(typeCode());
    };
    if (mode == Mode::Add) {
        const int number = page->highestOrder() + 1;
        page->appendRow([&](db::Dataset &ds) {
            ListPage::writeRecordKey(ds);
            ds.fieldByName(QStringLiteral("ITEM_NO")).setAsInteger(number);
            fill(ds);
        });
        page->renumber();
    } else if (mode == Mode::Edit) {
        // The row the dialog was loaded from, wherever the cursor went since.
        if (m_row < 0 || !page->rows().gotoRow(m_row))
            throw base::Error(QStringLiteral("要修改的专利记录已不存在。"));
        page->editCurrentRow(fill);
    }
}

bool TFinto6::isUnchanged()
{
    db::Dataset &ds = listPage()->rows();
    if (!ds.isActive() || ds.isEmpty())
        return false;
    if (mode() == Mode::Edit && m_row >= 0)
        ds.gotoRow(m_row);
    return sameText(edtzl_no->text(), rowText(ds, "PATENT_NO"))
           && sameText(edtzl_name->text(), rowText(ds, "PATENT_NAM"));
}
