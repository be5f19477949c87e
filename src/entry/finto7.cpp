#include "finto7.h"

#include "base/error.h"
#include "data/dm.h"
#include "data/records.h"
#include "db/dataset.h"
#include "db/error.h"
#include "entry/finto8.h"
#include "entry/fpage7.h"
#include "entry/recordpage.h"
#include "forms/controls.h"
#include "forms/gbkvalidator.h"
#include "platform/core/seams.h"
#include "platform/widgets/dispatch.h"
#include "shell/mainform.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFinto7 *Finto7 = nullptr;

const QString TFinto7::Chair = QStringLiteral("主任委员");
const QString TFinto7::ViceChair = QStringLiteral("副主任委员");
const QString TFinto7::Member = QStringLiteral("委员");

namespace {

const QString kListName = QStringLiteral("评价委员会名单");

QString fieldText(db::Dataset &ds, const char *name)
{
    return ds.fieldByName(QLatin1String(name)).asString();
}

QString recordKeyText(const char *field)
{
    db::Query &rec = DM->Qrykjcg;
    if (!rec.isActive() || rec.isEmpty())
        return QString();
    return rec.fieldByName(QLatin1String(field)).asString();
}

QString sexCode(const QComboBox *c)
{
    return c->currentIndex() < 0 ? QString() : comboCode(c).left(1);
}

// Titles are stored as the persons list stores them: "1a", "1b", "1c" as
// "a", "b", "c", other codes by their first character.
QString storedTitle(const QComboBox *c)
{
    return c->currentIndex() < 0 ? QString() : TFinto8::storedTitle(comboCode(c));
}

// Selects the item of a stored title: its own code ("b  中科院院士") or the
// two-character code it was stored from ("1b  中科院院士"); an empty title
// selects the blank item.  Nothing found: no choice.
void selectTitle(QComboBox *c, const QString &stored)
{
    c->setCurrentIndex(-1);
    const QString code = stored.trimmed();
    if (code.isEmpty()) {
        c->setCurrentIndex(c->findText(QStringLiteral(" ")));
        return;
    }
    MainForm->SelectComboByCode(code, c);
    if (c->currentIndex() < 0)
        MainForm->SelectComboByCode(TFinto8::titleComboCode(code), c);
}

} // namespace

TFinto7::TFinto7(QWidget *parent) : ListDialog(QStringLiteral("Finto7"), kListName, parent)
{
    auto *lay = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto combo = [&](const char *name, const char *label) {
        QComboBox *c = makeComboBox(this, QLatin1String(name));
        c->setEditable(false);
        c->setMinimumWidth(160);
        c->setMaximumWidth(200);
        form->addRow(QString::fromUtf8(label), c);
        return c;
    };
    auto edit = [&](const char *name, const char *label, int bytes, int width) {
        QLineEdit *e = makeLineEdit(this, QLatin1String(name), bytes);
        e->setMinimumWidth(width);
        form->addRow(QString::fromUtf8(label), e);
        return e;
    };
    cbwy_191 = combo("cbwy_191", "评价委员会职务");
    Edtwy_192 = edit("Edtwy_192", "姓名", 20, 160);
    Edtwy_192->setMaximumWidth(200);
    cbwy_193 = combo("cbwy_193", "性别");
    edtwy_195 = edit("edtwy_195", "工作单位", 80, 400);
    edtwy_196 = edit("edtwy_196", "所学专业", 30, 240);
    edtwy_197 = edit("edtwy_197", "现从事专业", 30, 240);
    cbwy_198 = combo("cbwy_198", "职称");
    lay->addLayout(form);

    lay->addLayout(makeButtonRow(Button1, Button2));
    connect(cbwy_191, &QComboBox::activated, this, [this] { platform::runHandler(this, [this] { cbwy_191Change(); }); });
    setFixedSize(sizeHint().expandedTo(QSize(540, 0)));
}

ListPage *TFinto7::listPage() const
{
    return Fpage7;
}

QString TFinto7::rankOf(const QString &post)
{
    const QString p = post.trimmed();
    if (p == Chair)
        return QStringLiteral("1");
    if (p == ViceChair)
        return QStringLiteral("2");
    if (p == Member)
        return QStringLiteral("3");
    return QString();
}

void TFinto7::prepare()
{
    MainForm->FillComboFromDict(DM->Tblzdxx, QStringLiteral("item_181"), true, cbwy_193);
    MainForm->FillComboFromDict(DM->Tblzdxx, QStringLiteral("item_198"), false, cbwy_198);
    cbwy_191->clear();
    cbwy_191->addItems({Chair, ViceChair, Member});
    for (QComboBox *c : {cbwy_191, cbwy_193, cbwy_198})
        c->setCurrentIndex(-1);
}

void TFinto7::loadForAdd()
{
    m_editRow = -1;
    for (QLineEdit *e : {Edtwy_192, edtwy_195, edtwy_196, edtwy_197})
        e->clear();
}

void TFinto7::loadForEdit()
{
    db::Dataset &ds = listPage()->rows();
    m_editRow = ds.currentRow();
    cbwy_191->setCurrentIndex(cbwy_191->findText(fieldText(ds, "ITEM_191").trimmed()));
    MainForm->SelectComboByCode(fieldText(ds, "ITEM_193"), cbwy_193);
    selectTitle(cbwy_198, fieldText(ds, "ITEM_198"));
    Edtwy_192->setText(fieldText(ds, "ITEM_192"));
    edtwy_195->setText(fieldText(ds, "ITEM_195"));
    edtwy_196->setText(fieldText(ds, "ITEM_196"));
    edtwy_197->setText(fieldText(ds, "ITEM_197"));
}

bool TFinto7::gotoTarget()
{
    db::Dataset &ds = listPage()->rows();
    return m_editRow < 0 || ds.gotoRow(m_editRow);
}

void TFinto7::cbwy_191Change()
{
    if (cbwy_191->currentText() != Chair)
        return;
    db::Dataset &ds = listPage()->rows();
    if (!ds.isActive() || ds.isEmpty())
        return;
    // The scan moves the list's cursor; the member that was selected (the
    // one being edited) is found again by its row, not by its position.
    const int selected = ds.currentRow();
    int chairs = 0;
    for (ds.first(); !ds.eof(); ds.next())
        if (fieldText(ds, "ITEM_191").trimmed() == Chair)
            ++chairs;
    if (selected < 0 || !ds.gotoRow(selected))
        ds.first();
    for (int i = 0; i < chairs; ++i)
        platform::messageBox(this, QStringLiteral("只能有一个主任委员"), AppTitle, platform::Icon::None, platform::Ok);
    if (chairs > 0)
        cbwy_191->setCurrentIndex(cbwy_191->findText(Member));
}

bool TFinto7::inputEmpty(bool forQuit)
{
    // Saving always checks: a member needs a post, a name, sex and title.
    if (!forQuit)
        return false;
    for (QLineEdit *e : {Edtwy_192, edtwy_196, edtwy_197, edtwy_195})
        if (!e->text().isEmpty())
            return false;
    return true;
}

void TFinto7::validate()
{
    auto require = [this](bool present, QWidget *focus, const char *label) {
        if (!present)
            fail(focus, QLatin1Char('"') + QString::fromUtf8(label) + QStringLiteral("\"不能为空！"));
    };
    require(!cbwy_191->currentText().isEmpty(), cbwy_191, "评价委员会职务");
    require(!Edtwy_192->text().trimmed().isEmpty(), Edtwy_192, "姓名");
    require(!cbwy_193->currentText().isEmpty(), cbwy_193, "性别");
    // The blank item is a choice: "no title".
    require(!cbwy_198->currentText().isEmpty(), cbwy_198, "职称");
}

void TFinto7::fill(db::Dataset &ds)
{
    ListPage::writeRecordKey(ds);
    ds.fieldByName(QStringLiteral("ITEM_191")).setAsString(cbwy_191->currentText());
    ds.fieldByName(QStringLiteral("ITEM_192")).setAsString(Edtwy_192->text());
    ds.fieldByName(QStringLiteral("ITEM_193")).setAsString(sexCode(cbwy_193));
    ds.fieldByName(QStringLiteral("ITEM_194")).setAsString(rankOf(cbwy_191->currentText()));
    ds.fieldByName(QStringLiteral("ITEM_195")).setAsString(edtwy_195->text());
    ds.fieldByName(QStringLiteral("ITEM_196")).setAsString(edtwy_196->text());
    ds.fieldByName(QStringLiteral("ITEM_197")).setAsString(edtwy_197->text());
    ds.fieldByName(QStringLiteral("ITEM_198")).setAsString(storedTitle(cbwy_198));
}

int TFinto7::nextMemberNumber()
{
    // Numbers are compared over the whole key (any region): the update
    // statements find a member by ITEM_4 and ITEM_190.
    db::Query q;
    q.setDatabaseName(DataPath);
    q.setSQL(QStringLiteral("select  max(item_190)  from  jdwyhmd  where  item_4=:item_4"));
    q.setParam(QStringLiteral("item_4"), recordKeyText("ITEM_4"));
    q.open();
    bool ok = false;
    const double highest = q.isEmpty() ? 0 : q.field(0).asString().trimmed().toDouble(&ok);
    return ok && highest > 0 ? int(highest) + 1 : 1;
}

void TFinto7::rewriteRanks()
{
    db::Table &t = DM->Tbljdwyhmd;
    const QString oldFilter = t.filter();
    const bool wasFiltered = t.filtered();
    t.setFiltered(false);
    t.setFilter(data::recordFilter(recordKeyText("ITEM_4"), recordKeyText("ITEM_DQDM")));
    t.setFiltered(true);
    if (!t.isActive())
        t.open();
    QVector<int> members;
    for (t.first(); !t.eof(); t.next())
        members << t.currentRow();
    for (int row : members) {
        if (!t.gotoRow(row))
            continue;
        const QString rank = rankOf(fieldText(t, "ITEM_191"));
        if (rank.isEmpty() || fieldText(t, "ITEM_194").trimmed() == rank)
            continue;
        try {
            t.edit();
            t.fieldByName(QStringLiteral("ITEM_194")).setAsString(rank);
            t.post();
        } catch (...) {
            t.cancel();
            throw;
        }
    }
    t.flush();
    t.setFiltered(false);
    t.setFilter(oldFilter);
    t.setFiltered(wasFiltered);
}

void TFinto7::store(Mode mode)
{
    ListPage *page = listPage();
    db::Dataset &ds = page->rows();
    int member = 0;
    if (mode == Mode::Add) {
        member = nextMemberNumber();
        page->appendRow([&](db::Dataset &d) {
            fill(d);
            d.fieldByName(QStringLiteral("ITEM_190")).setAsInteger(member);
        });
    } else if (mode == Mode::Edit) {
        if (!gotoTarget())
            throw base::Error(QStringLiteral("要修改的委员已不在列表中"));
        member = ds.fieldByName(QStringLiteral("ITEM_190")).asString().toInt();
        page->editCurrentRow([this](db::Dataset &d) { fill(d); });
    } else {
        return;
    }
    rewriteRanks();
    page->reopen();
    // The stored member stays selected.
    if (!ds.locate(QStringLiteral("ITEM_190"), qint64(member)))
        ds.first();
    page->grid->refresh();
}

bool TFinto7::isUnchanged()
{
    db::Dataset &ds = listPage()->rows();
    const bool hasRow = ds.isActive() && !ds.isEmpty() && gotoTarget();
    auto stored = [&](const char *field) { return hasRow ? fieldText(ds, field) : QString(); };
    return Edtwy_192->text().trimmed() == stored("ITEM_192").trimmed() && edtwy_196->text() == stored("ITEM_196")
           && edtwy_197->text() == stored("ITEM_197") && edtwy_195->text() == stored("ITEM_195")
           && cbwy_191->currentText().trimmed() == stored("ITEM_191").trimmed()
           && sexCode(cbwy_193) == stored("ITEM_193").trimmed() && storedTitle(cbwy_198) == stored("ITEM_198").trimmed();
}
