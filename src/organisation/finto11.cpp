#include "finto11.h"

#include "base/text.h"
#include "data/dm.h"
#include "db/dataset.h"
#include "forms/gbkvalidator.h"
#include "entry/recordpage.h"
#include "organisation/fpage11.h"
#include "platform/widgets/dispatch.h"
#include "platform/core/seams.h"
#include "shell/mainform.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFinto11 *Finto11 = nullptr;

const QString TFinto11::OwnUnitCode = QStringLiteral("9990001000");

namespace {

constexpr int kNameBytes = 20;
constexpr int kNoteBytes = 160;

QString rowText(db::Dataset &ds, const char *field)
{
    if (!ds.isActive() || ds.isEmpty())
        return QString();
    return ds.fieldByName(QLatin1String(field)).asString();
}

// Stored texts lose their trailing blanks.
bool sameText(const QString &shown, const QString &stored)
{
    auto cut = [](QString s) {
        while (!s.isEmpty() && s.back() == QLatin1Char(' '))
            s.chop(1);
        return s;
    };
    return cut(shown) == cut(stored);
}

QLabel *fieldLabel(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

} // namespace

TFinto11::TFinto11(QWidget *parent)
    : ListDialog(QStringLiteral("Finto11"), TFpage11::ListName, parent, QStringLiteral("Edit1"))
{
    buildControls();
    Edit1 = changeMarker();

    connect(cbry_124_1, &QComboBox::activated, this,
            [this] { platform::runHandler(this, [this] { cbry_124_1Change(); }); });
}

void TFinto11::buildControls()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 16, 16, 12);
    outer->setSpacing(12);

    auto *form = new QGridLayout;
    form->setHorizontalSpacing(8);
    form->setVerticalSpacing(10);

    edtry_180 = new QLineEdit(this);
    edtry_180->setObjectName(QStringLiteral("edtry_180"));
    limitGbkBytes(edtry_180, kNameBytes);
    cbry_181 = new QComboBox(this);
    cbry_181->setObjectName(QStringLiteral("cbry_181"));
    cbry_181->setMinimumWidth(90);
    form->addWidget(fieldLabel(QStringLiteral("姓名"), this), 0, 0);
    form->addWidget(edtry_180, 0, 1);
    form->addWidget(fieldLabel(QStringLiteral("性别"), this), 0, 2);
    form->addWidget(cbry_181, 0, 3);

    auto *birth = new QHBoxLayout;
    birth->setSpacing(4);
    Edt_both_1 = new QLineEdit(this);
    Edt_both_1->setObjectName(QStringLiteral("Edt_both_1"));
    Edt_both_1->setMaxLength(4);
    Edt_both_1->setFixedWidth(56);
    edt_both_2 = new QLineEdit(this);
    edt_both_2->setObjectName(QStringLiteral("edt_both_2"));
    edt_both_2->setMaxLength(2);
    edt_both_2->setFixedWidth(36);
    auto *hint = new QLabel(QStringLiteral("格式(YYYY.MM)"), this);
    hint->setObjectName(QStringLiteral("Label7"));
    hint->setStyleSheet(QStringLiteral("color: gray;"));
    birth->addWidget(Edt_both_1);
    birth->addWidget(new QLabel(QStringLiteral("年"), this));
    birth->addWidget(edt_both_2);
    birth->addWidget(new QLabel(QStringLiteral("月"), this));
    birth->addSpacing(12);
    birth->addWidget(hint);
    birth->addStretch();
    form->addWidget(fieldLabel(QStringLiteral("出生年月"), this), 1, 0);
    form->addLayout(birth, 1, 1, 1, 3);

    cbry_124_1 = new QComboBox(this);
    cbry_124_1->setObjectName(QStringLiteral("cbry_124_1"));
    form->addWidget(fieldLabel(QStringLiteral("研究领域"), this), 2, 0);
    form->addWidget(cbry_124_1, 2, 1, 1, 3);

    edtry_186 = new QLineEdit(this);
    edtry_186->setObjectName(QStringLiteral("edtry_186"));
    limitGbkBytes(edtry_186, kNoteBytes);
    form->addWidget(fieldLabel(QStringLiteral("简要说明"), this), 3, 0);
    form->addWidget(edtry_186, 3, 1, 1, 3);
    form->setColumnStretch(1, 1);
    outer->addLayout(form);
    outer->addStretch();

    outer->addLayout(makeButtonRow(Button1, Button2));
    resize(560, 220);
}

ListPage *TFinto11::listPage() const
{
    return Fpage11;
}

void TFinto11::cbry_124_1Change()
{
    markChanged();
}

void TFinto11::prepare()
{
    MainForm->FillComboFromDict(DM->Tblzdxx, QStringLiteral("item_181"), true, cbry_181);
    MainForm->FillComboFromDict(DM->Tblzdxx, QStringLiteral("item_124_1"), true, cbry_124_1);
    cbry_181->setCurrentIndex(-1);
    cbry_124_1->setCurrentIndex(-1);
}

void TFinto11::loadForAdd()
{
    edtry_180->clear();
    edtry_186->clear();
    Edt_both_1->clear();
    edt_both_2->clear();
}

void TFinto11::loadForEdit()
{
    db::Dataset &ds = listPage()->rows();
    edtry_180->setText(rowText(ds, "item_180"));
    MainForm->SelectComboByCode(rowText(ds, "item_181").trimmed(), cbry_181);
    MainForm->SelectComboByCode(rowText(ds, "item_124_1").trimmed(), cbry_124_1);
    edtry_186->setText(rowText(ds, "item_186"));
    const QString birth = rowText(ds, "item_182");
    Edt_both_1->setText(birth.left(4));
    edt_both_2->setText(birth.mid(5, 2));
}

bool TFinto11::inputEmpty(bool forQuit)
{
    // "储存" always checks; only leaving skips the question on an empty entry.
    return forQuit && edtry_186->text().isEmpty() && edtry_180->text().isEmpty();
}

void TFinto11::validate()
{
    const int thisYear = platform::today().year();
    if (edtry_180->text().trimmed().isEmpty())
        fail(nullptr, QStringLiteral("姓名不能为空！"));
    if (cbry_181->currentText().left(2).trimmed().isEmpty())
        fail(nullptr, QStringLiteral("性别不能为空！"));
    if (Edt_both_1->text().isEmpty() || edt_both_2->text().isEmpty())
        fail(Edt_both_1, QStringLiteral("出生年月均不能为空！"));
    const QString year = Edt_both_1->text().trimmed();
    if (!base::isAsciiDigits(year) || !isIntegerIn(year, FirstYearOfBirth, thisYear))
        fail(Edt_both_1, QStringLiteral("出生年份不合法！"));
    const QString month = edt_both_2->text().trimmed();
    if (!base::isAsciiDigits(month) || !isIntegerIn(month, 1, 12))
        fail(edt_both_2, QStringLiteral("出生月份不合法！"));
}

QString TFinto11::birthText(const QString &year, const QString &month)
{
    // The month as typed ("1959.3" stays so): a stored date is not rewritten.
    return year.trimmed() + QLatin1Char('.') + month.trimmed();
}

void TFinto11::writeFields(db::Dataset &ds, bool trimName)
{
    ds.fieldByName(QStringLiteral("item_180")).setAsString(trimName ? edtry_180->text().trimmed() : edtry_180->text());
    ds.fieldByName(QStringLiteral("item_181")).setAsString(cbry_181->currentText().left(2));
    ds.fieldByName(QStringLiteral("item_182")).setAsString(birthText(Edt_both_1->text(), edt_both_2->text()));
    ds.fieldByName(QStringLiteral("item_186")).setAsString(edtry_186->text());
    ds.fieldByName(QStringLiteral("item_124_1")).setAsString(cbry_124_1->currentText().left(2));
}

void TFinto11::store(Mode mode)
{
    ListPage *page = listPage();
    if (mode == Mode::Add) {
        const int order = page->nextOrder();
        page->appendRow([&](db::Dataset &ds) {
            ds.fieldByName(QStringLiteral("item_187")).setAsString(QString::number(order));
            writeFields(ds, true);
            ds.fieldByName(QStringLiteral("unitcode")).setAsString(OwnUnitCode);
        });
        if (Fpage11)
            Fpage11->setRowCommandsEnabled(true);
    } else {
        page->editCurrentRow([&](db::Dataset &ds) { writeFields(ds, false); });
    }
    page->grid->refresh();
}

void TFinto11::afterStored(Mode mode)
{
    if (mode == Mode::Add) {
        edtry_180->clear();
        edtry_186->clear();
    }
}

bool TFinto11::ExpertUnchanged()
{
    db::Dataset &ds = listPage()->rows();
    return sameText(edtry_186->text(), rowText(ds, "item_186")) && sameText(edtry_180->text(), rowText(ds, "item_180"))
        && rowText(ds, "item_181").trimmed() == cbry_181->currentText().left(3).trimmed()
        && Edit1->text() != QLatin1String("1")
        && Edt_both_1->text() == rowText(ds, "item_182").left(4) && edt_both_2->text() == rowText(ds, "item_182").mid(5, 2);
}
