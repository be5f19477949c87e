#include "unittexts.h"

#include "data/dm.h"
#include "db/dataset.h"
#include "forms/controls.h"
#include "organisation/fpage4a.h"
#include "platform/widgets/dispatch.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFormstudy *Formstudy = nullptr;
Tformadvantage *formadvantage = nullptr;
Tformunitintrod *formunitintrod = nullptr;

UnitTextDialog::UnitTextDialog(const QString &objectName, const QString &caption, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setFixedSize(DialogWidth, DialogHeight);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Button1 = makeButton(this, QStringLiteral("Button1"), QStringLiteral("保存"));
    Button2 = makeButton(this, QStringLiteral("Button2"), QStringLiteral("退出"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Memo1, 1);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, [this] { platform::runHandler(this, [this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { platform::runHandler(this, [this] { Button2Click(); }); });
}

void UnitTextDialog::Button2Click()
{
    close();
}

void UnitTextDialog::storeText(const QString &field)
{
    db::Table &t = DM->Tblunit;
    if (!t.isActive())
        t.open();
    // Before the organisation's row exists it is written by the page alone,
    // whole and checked: the text waits in the page's box for that save.
    if (t.isEmpty())
        return;
    try {
        t.edit();
        t.fieldByName(field).setAsString(Memo1->toPlainText());
        t.post();
    } catch (...) {
        t.cancel();
        throw;
    }
    t.flush();
}

TFormstudy::TFormstudy(QWidget *parent)
    : UnitTextDialog(QStringLiteral("Formstudy"), QStringLiteral("简要说明及补充"), parent)
{
}

void TFormstudy::Button1Click()
{
    storeText(QStringLiteral("studydirec"));
    if (Fpage4a)
        Fpage4a->Memo1->setPlainText(Memo1->toPlainText());
}

Tformadvantage::Tformadvantage(QWidget *parent)
    : UnitTextDialog(QStringLiteral("formadvantage"), QStringLiteral("研发优势简要说明"), parent)
{
}

void Tformadvantage::Button1Click()
{
    storeText(QStringLiteral("advantage"));
    if (Fpage4a)
        Fpage4a->Memo2->setPlainText(Memo1->toPlainText());
}

Tformunitintrod::Tformunitintrod(QWidget *parent)
    : UnitTextDialog(QStringLiteral("formunitintrod"), QStringLiteral("单位简介"), parent)
{
}

void Tformunitintrod::Button1Click()
{
    if (Fpage4a)
        Fpage4a->Memo3->setPlainText(Memo1->toPlainText());
}
