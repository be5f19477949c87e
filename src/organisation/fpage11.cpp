#include "fpage11.h"

#include "data/dm.h"
#include "db/dataset.h"
#include "organisation/finto11.h"
#include "platform/core/seams.h"
#include "shell/mainform.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

TFpage11 *Fpage11 = nullptr;

const QString TFpage11::ListName = QStringLiteral("学科带头人名单");
const QString TFpage11::Title = QStringLiteral("学科带头人情况");

TFpage11::TFpage11(QWidget *parent)
    : ListPage(QStringLiteral("Fpage11"), ListName, ButtonNames{}, parent)
{
    // Minimise and maximise only: no close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowMaximizeButtonHint);
    setWindowTitle(Title);
    heading->setText(Title);

    Button2 = btnAdd;
    Button1 = btnDelete;
    Button3 = btnEdit;
    quit01 = btnQuit;
    DBGrid4 = grid;
    DBGrid4->setObjectName(QStringLiteral("DBGrid4"));
    DBGrid4->setColumns({{QStringLiteral("item_180"), QStringLiteral("姓名"), 90},
                         {QStringLiteral("item_182"), QStringLiteral("出生年月"), 80},
                         {QStringLiteral("V_181"), QStringLiteral("性别"), 50},
                         {QStringLiteral("V_124_1"), QStringLiteral("研究领域"), 150},
                         {QStringLiteral("item_186"), QStringLiteral("简要说明"), 400}});

    useTable(&DM->Tblexpert, &DM->DSTexpert);
    setOrderField(QStringLiteral("item_187"));
    // The organisation page is underneath, not a record page.
    setUpdateCommandStateOnClose(false);
}

ListDialog *TFpage11::dialog() const
{
    return Finto11;
}

void TFpage11::load()
{
    reopen();
    setWindowTitle(Title);
}

void TFpage11::setRowCommandsEnabled(bool on)
{
    Button1->setEnabled(on);
    Button3->setEnabled(on);
}

void TFpage11::afterDelete()
{
    if (rowCount() == 0)
        setRowCommandsEnabled(false);
}

void TFpage11::showEvent(QShowEvent *e)
{
    // Shown maximised (its size stays fixed).
    if (!(windowState() & Qt::WindowMaximized))
        setWindowState(windowState() | Qt::WindowMaximized);
    ListPage::showEvent(e);
    setRowCommandsEnabled(rowCount() > 0);
}

void openDisciplineLeaders()
{
    if (!Fpage11 || !DM)
        return;
    db::Table &unit = DM->Tblunit;
    if (!unit.isActive())
        unit.open();
    QString code = unit.isEmpty() ? QString() : unit.fieldByName(QStringLiteral("unitcode")).asString().trimmed();
    if (code.isEmpty())
        code = TFinto11::OwnUnitCode;

    db::Table &leaders = DM->Tblexpert;
    leaders.close();
    leaders.setFiltered(false);
    leaders.setFilter(db::equalsFilter(QStringLiteral("unitcode"), code));
    leaders.setFiltered(true);
    leaders.open();

    Fpage11->load();
    platform::showModal(Fpage11);
}
