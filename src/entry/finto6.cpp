#include "finto6.h"

#include "data/dm.h"
#include "db/dataset.h"
#include "db/error.h"
#include "entry/fpage6.h"
#include "forms/gbkvalidator.h"
#include "entry/recordpage.h"
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
    auto mark = [this] { platform::runHandler(this, [this] { markChanged(); }); };
    connect(cb_st, &QComboBox::activated, this, mark);
    connect(cb_ty, &QComboBox::activated, this, mark);
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
    auto label = [this](const char *name, const char *text) {
        auto *l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    auto edit = [this](const char *name, int bytes) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        limitGbkBytes(e, bytes);
        return e;
    };
    auto combo = [this](const char *name) {
        auto *c = new QComboBox(this);
        c->setObjectName(QLatin1String(name));
        c->setFixedWidth(170);
        return c;
    };
    cb_st = combo("cb_st");
    cb_ty = combo("cb_ty");
    edtzl_no = edit("edtzl_no", 16);
    edtzl_no->setFixedWidth(170);
    edtzl_name = edit("edtzl_name", 140);

    form->addWidget(label("Label1", "专利状况"), 0, 0, Qt::AlignRight);
    form->addWidget(cb_st, 0, 1, Qt::AlignLeft);
    form->addWidget(label("Label2", "专利类型"), 0, 2, Qt::AlignRight);
    form->addWidget(cb_ty, 0, 3, Qt::AlignLeft);
    form->addWidget(label("Label3", "专利号"), 1, 0, Qt::AlignRight);
    form->addWidget(edtzl_no, 1, 1, Qt::AlignLeft);
    form->addWidget(label("Label4", "专利名称"), 2, 0, Qt::AlignRight);
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
            throw db::EngineError(QStringLiteral("要修改的专利记录已不存在。"));
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
