#include "fpage6.h"

#include "data/dm.h"
#include "data/records.h"
#include "db/dataset.h"
#include "entry/finto6.h"
#include "entry/fpage2.h"
#include "platform/widgets/dispatch.h"
#include "platform/core/seams.h"
#include "shell/mainform.h"

#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

TFpage6 *Fpage6 = nullptr;

const QString TFpage6::ListName = QStringLiteral("专利情况");

namespace {

QString recordKeyPart(const char *field)
{
    db::Query &rec = DM->Qrykjcg;
    if (!rec.isActive() || rec.isEmpty())
        return QString();
    return rec.fieldByName(QLatin1String(field)).asString().trimmed();
}

} // namespace

TFpage6::TFpage6(QWidget *parent) : ListPage(QStringLiteral("Fpage6"), ListName, ListPage::ButtonNames::recordList(), parent)
{
    Button2 = btnAdd;
    Button1 = btnDelete;
    btnSave01 = btnEdit;
    Button3 = btnHelp;
    quit01 = btnQuit;
    DBGrid5 = grid;
    grid->setObjectName(QStringLiteral("DBGrid5"));
    // The codes themselves stay in the grid's columns for whoever reads
    // them, hidden behind their texts.
    grid->setColumns({{QStringLiteral("ITEM_NO"), QStringLiteral("序号"), 50},
                      {QStringLiteral("V_st"), QStringLiteral("专利状况"), 80},
                      {QStringLiteral("V_ty"), QStringLiteral("专利类型"), 110},
                      {QStringLiteral("PATENT_NO"), QStringLiteral("专利号"), 150},
                      {QStringLiteral("PATENT_NAM"), QStringLiteral("专利名称"), 380},
                      {QStringLiteral("PATENT_ST"), QStringLiteral("PATENT_ST"), 40, false},
                      {QStringLiteral("PATENT_TY"), QStringLiteral("PATENT_TY"), 40, false}});
    setOrderField(QStringLiteral("ITEM_NO"));
    // The counts go to page 2 first; the command state is recomputed after.
    setUpdateCommandStateOnClose(false);
    connect(this, &QDialog::finished, this, [this] { platform::runHandler(this, [this] { formClose(); }); });
}

ListDialog *TFpage6::dialog() const
{
    return Finto6;
}

void TFpage6::bindTable()
{
    // The data module comes after this page at start-up.
    if (DM)
        useTable(&DM->tblzlqk, &DM->DSTzlqk);
}

void TFpage6::filterToRecord()
{
    db::Table &t = DM->tblzlqk;
    t.close();
    t.setFiltered(false);
    t.setFilter(data::recordFilter(recordKeyPart("ITEM_4"), recordKeyPart("ITEM_DQDM")));
    t.setFiltered(true);
    t.open();
}

void TFpage6::load()
{
    bindTable();
    filterToRecord();
    ListPage::load();
}

int TFpage6::highestOrder() const
{
    db::Dataset &ds = rows();
    if (!ds.isActive())
        return 0;
    const int f = ds.schema().indexOf(QStringLiteral("ITEM_NO"));
    int highest = 0;
    for (int i = 0; i < ds.recordCount(); ++i) {
        bool ok = false;
        const double n = ds.valueAt(i, f).toString().trimmed().toDouble(&ok);
        if (ok)
            highest = std::max(highest, int(n));
    }
    return highest;
}

TFpage6::Counts TFpage6::countPatents() const
{
    Counts c;
    db::Dataset &ds = rows();
    if (!ds.isActive())
        return c;
    const int f = ds.schema().indexOf(QStringLiteral("PATENT_ST"));
    for (int i = 0; i < ds.recordCount(); ++i) {
        const QString st = ds.valueAt(i, f).toString().trimmed();
        c.accepted += st == QLatin1String("1");
        c.granted += st == QLatin1String("2");
    }
    return c;
}

void TFpage6::showEvent(QShowEvent *e)
{
    bindTable();
    platform::runHandler(this, [this] {
        if (DM && DM->tblzlqk.isActive())
            renumber();
    });
    ListPage::showEvent(e);
}

bool TFpage6::canQuit()
{
    // Leaving brings page 2's patent part up to date first.
    if (Fpage2)
        Fpage2->RefreshPatentInfo();
    return true;
}

void TFpage6::formClose()
{
    if (DM && DM->tblzlqk.isActive()) {
        renumber();
        const Counts c = countPatents();
        if (Fpage2) {
            Fpage2->edt_51_2->setText(QString::number(c.accepted));
            Fpage2->edt_51_3->setText(QString::number(c.granted));
        }
    }
    if (MainForm)
        MainForm->UpdateCommandState();
}

void wirePatentsList()
{
    if (!Fpage2 || !Fpage6)
        return;
    Fpage2->openPatents = [] {
        Fpage6->load();
        platform::showModal(Fpage6);
        Fpage2->RefreshPatentInfo();
    };
}
