#include "finto8.h"

#include "data/dm.h"
#include "db/dataset.h"
#include "db/gbk.h"
#include "entry/fpage8.h"
#include "entry/recordpage.h"
#include "forms/controls.h"
#include "forms/gbkvalidator.h"
#include "platform/core/seams.h"
#include "platform/widgets/dispatch.h"
#include "shell/mainform.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFinto8 *Finto8 = nullptr;

namespace {

QString rowText(db::Dataset &ds, const char *field)
{
    return ds.fieldByName(QLatin1String(field)).asString();
}

// A code as a one-character field stores it.
QString oneChar(const QString &code)
{
    return code.left(1);
}

} // namespace

TFinto8::TFinto8(QWidget *parent) : ListDialog(QStringLiteral("Finto8"), TFpage8::ListName, parent)
{
    buildControls();
}

void TFinto8::buildControls()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(14, 12, 14, 10);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(7);
    outer->addLayout(grid);

    int row = 0;
    auto label = [&](const char *text) { grid->addWidget(makeFieldLabel(this, QString::fromUtf8(text)), row, 0); };
    auto place = [&](QWidget *w) {
        grid->addWidget(w, row, 1, Qt::AlignLeft);
        ++row;
    };

    label("序号");
    edtry_187 = makeLineEdit(this, QStringLiteral("edtry_187"), 3);
    edtry_187->setFixedWidth(60);
    place(edtry_187);
    label("姓名");
    edtry_180 = makeLineEdit(this, QStringLiteral("edtry_180"), 20);
    edtry_180->setFixedWidth(180);
    place(edtry_180);
    label("性别");
    cbry_181 = makeComboBox(this, QStringLiteral("cbry_181"), 180);
    place(cbry_181);

    label("出生年月");
    auto *birth = new QWidget(this);
    birth->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *bl = new QHBoxLayout(birth);
    bl->setContentsMargins(0, 0, 0, 0);
    bl->setSpacing(4);
    edt_182_y = new QLineEdit(birth);
    edt_182_y->setObjectName(QStringLiteral("edt_182_y"));
    edt_182_y->setMaxLength(4);
    edt_182_y->setFixedWidth(52);
    edt_182_m = new QLineEdit(birth);
    edt_182_m->setObjectName(QStringLiteral("edt_182_m"));
    edt_182_m->setMaxLength(2);
    edt_182_m->setFixedWidth(34);
    bl->addWidget(edt_182_y);
    bl->addWidget(new QLabel(QStringLiteral("年"), birth));
    bl->addWidget(edt_182_m);
    bl->addWidget(new QLabel(QStringLiteral("月"), birth));
    place(birth);

    label("技术职称");
    cbry_183 = makeComboBox(this, QStringLiteral("cbry_183"), 180);
    place(cbry_183);
    label("文化程度");
    cbry_184 = makeComboBox(this, QStringLiteral("cbry_184"), 180);
    place(cbry_184);
    label("是否留学归国");
    cbry_188 = makeComboBox(this, QStringLiteral("cbry_188"), 180);
    place(cbry_188);
    label("工作单位");
    edtry_185 = makeLineEdit(this, QStringLiteral("edtry_185"), 80);
    grid->addWidget(edtry_185, row++, 1);
    label("对成果创造性贡献");
    edtry_186 = makeLineEdit(this, QStringLiteral("edtry_186"), 160);
    grid->addWidget(edtry_186, row++, 1);
    grid->setColumnStretch(1, 1);

    QHBoxLayout *buttons = makeButtonRow(Button1, Button2);
    buttons->addStretch();
    outer->addStretch(1);
    outer->addLayout(buttons);

    setFixedSize(520, 336);
}

ListPage *TFinto8::listPage() const
{
    return Fpage8;
}

QString TFinto8::storedTitle(const QString &comboCode)
{
    if (comboCode == QLatin1String("1a") || comboCode == QLatin1String("1b") || comboCode == QLatin1String("1c"))
        return comboCode.mid(1, 1);
    return oneChar(comboCode);
}

QString TFinto8::titleComboCode(const QString &stored)
{
    QString s = stored.trimmed();
    if (s == QLatin1String("a") || s == QLatin1String("b") || s == QLatin1String("c"))
        return QStringLiteral("1") + s;
    return s;
}

QString TFinto8::changedQuestion() const
{
    return QStringLiteral("记录已更改,是否保存后退出？");
}

void TFinto8::prepare()
{
    const struct {
        QComboBox *combo;
        const char *key;
    } combos[] = {{cbry_181, "item_181"}, {cbry_183, "item_183"}, {cbry_184, "item_184"}, {cbry_188, "item_188"}};
    for (const auto &c : combos) {
        MainForm->FillComboFromDict(DM->Tblzdxx, QLatin1String(c.key), true, c.combo);
        c.combo->setCurrentIndex(-1);
    }
}

void TFinto8::loadForAdd()
{
    edtry_180->clear();
    edt_182_y->clear();
    edt_182_m->clear();
    edtry_186->clear();
    // The first completing organisation is wider than the employer field:
    // it is cut at a whole character.
    edtry_185->setText(db::gbk::cutText(RecordPage::recordText(QStringLiteral("ITEM_9")), 80));
    cbry_188->setCurrentIndex(cbry_188->count() > 1 ? 1 : -1);
    edtry_187->setText(QString::number(listPage()->rowCount() + 1));
    edtry_187->setReadOnly(true);
}

void TFinto8::loadForEdit()
{
    db::Dataset &ds = listPage()->rows();
    edtry_187->setReadOnly(false);
    edtry_180->setText(rowText(ds, "ITEM_180"));
    edtry_187->setText(rowText(ds, "ITEM_187"));
    edtry_185->setText(rowText(ds, "ITEM_185"));
    edtry_186->setText(rowText(ds, "ITEM_186"));
    const QString born = rowText(ds, "ITEM_182");
    edt_182_y->setText(born.left(4));
    edt_182_m->setText(born.mid(5, 2));
    MainForm->SelectComboByCode(rowText(ds, "ITEM_181").trimmed(), cbry_181);
    MainForm->SelectComboByCode(titleComboCode(rowText(ds, "ITEM_183")), cbry_183);
    MainForm->SelectComboByCode(rowText(ds, "ITEM_184").trimmed(), cbry_184);
    const QString abroad = rowText(ds, "ITEM_188").trimmed();
    if (abroad.isEmpty())
        cbry_188->setCurrentIndex(cbry_188->count() > 1 ? 1 : -1);
    else
        MainForm->SelectComboByCode(abroad, cbry_188);
}

bool TFinto8::inputEmpty(bool forQuit)
{
    if (forQuit)
        return edtry_186->text().isEmpty() && edtry_180->text().isEmpty();
    return edtry_180->text().trimmed().isEmpty() && edtry_185->text().trimmed().isEmpty()
           && edtry_186->text().trimmed().isEmpty();
}

void TFinto8::validate()
{
    if (edtry_180->text().trimmed().isEmpty())
        fail(nullptr, QStringLiteral("姓名不能为空！"));
    if (comboCode(cbry_181).isEmpty())
        fail(nullptr, QStringLiteral("性别不能为空！"));
    if (edt_182_y->text().trimmed().isEmpty() || edt_182_m->text().trimmed().isEmpty())
        fail(edt_182_y, QStringLiteral("出生年月不能为空！"));
    if (!isValidYear(edt_182_y->text(), FirstYearOfBirth))
        fail(edt_182_y, QStringLiteral("出生年份不合法！"));
    if (!isIntegerIn(edt_182_m->text(), 1, 12))
        fail(edt_182_m, QStringLiteral("出生月份不合法！"));
    // Trimmed first, then a one-digit month padded: " 5" becomes "05".
    edt_182_y->setText(edt_182_y->text().trimmed());
    edt_182_m->setText(padTwo(edt_182_m->text()));
    if (comboCode(cbry_183).isEmpty())
        fail(nullptr, QStringLiteral("技术职称不能为空！"));
    if (comboCode(cbry_184).isEmpty())
        fail(nullptr, QStringLiteral("文化程度不能为空！"));
    const QString order = edtry_187->text().trimmed();
    if (order.isEmpty())
        fail(nullptr, QStringLiteral("序号不能为空！"));
    bool ok = false;
    order.toInt(&ok);
    if (!ok) {
        platform::messageBox(this, QStringLiteral("输入序号必须为数字！"), MsgCaption, platform::Icon::None, platform::Ok);
        platform::abortSilently();
    }
}

QString TFinto8::birth() const
{
    return edt_182_y->text() + QLatin1Char('.') + edt_182_m->text();
}

void TFinto8::writeFields(db::Dataset &ds)
{
    ds.fieldByName(QStringLiteral("ITEM_180")).setAsString(edtry_180->text().trimmed());
    ds.fieldByName(QStringLiteral("ITEM_181")).setAsString(oneChar(comboCode(cbry_181)));
    ds.fieldByName(QStringLiteral("ITEM_182")).setAsString(birth());
    ds.fieldByName(QStringLiteral("ITEM_183")).setAsString(storedTitle(comboCode(cbry_183)));
    ds.fieldByName(QStringLiteral("ITEM_184")).setAsString(oneChar(comboCode(cbry_184)));
    ds.fieldByName(QStringLiteral("ITEM_185")).setAsString(edtry_185->text());
    ds.fieldByName(QStringLiteral("ITEM_186")).setAsString(edtry_186->text());
    ds.fieldByName(QStringLiteral("ITEM_188")).setAsString(oneChar(comboCode(cbry_188)));
}

void TFinto8::store(Mode mode)
{
    ListPage *page = listPage();
    db::Dataset &ds = page->rows();
    if (mode == Mode::Add) {
        const int itemNo = page->rowCount() == 0 ? 1 : TFpage8::nextItemNo(RecordPage::recordText(QStringLiteral("ITEM_4")));
        if (itemNo > MaxItemNo)
            fail(nullptr, QStringLiteral("每项成果最多登记%1名完成人员，不能再增加！").arg(MaxItemNo));
        const int order = page->rowCount() + 1;
        page->appendRow([&](db::Dataset &row) {
            row.fieldByName(QStringLiteral("ITEM_NO")).setAsString(QString::number(itemNo));
            ListPage::writeRecordKey(row);
            row.fieldByName(QStringLiteral("ITEM_187")).setAsInteger(order);
            writeFields(row);
        });
        UpdatePersonPool(ds);
        page->reopen();
        page->renumber();
        ds.locate(QStringLiteral("ITEM_NO"), QString::number(itemNo));
        return;
    }
    const QString itemNo = rowText(ds, "ITEM_NO");
    const int order = edtry_187->text().trimmed().toInt();
    page->editCurrentRow([&](db::Dataset &row) {
        ListPage::writeRecordKey(row);
        row.fieldByName(QStringLiteral("ITEM_187")).setAsInteger(order);
        writeFields(row);
    });
    page->reopen();
    page->renumber();
    ds.locate(QStringLiteral("ITEM_NO"), itemNo);
}

void TFinto8::afterStored(Mode mode)
{
    if (mode != Mode::Add)
        return;
    edtry_180->clear();
    edtry_185->clear();
    edtry_186->clear();
}

bool TFinto8::PersonUnchanged()
{
    db::Dataset &ds = listPage()->rows();
    if (!ds.isActive() || ds.isEmpty())
        return false;
    return edtry_185->text() == rowText(ds, "ITEM_185") && edtry_186->text() == rowText(ds, "ITEM_186")
           && edtry_180->text() == rowText(ds, "ITEM_180")
           && oneChar(comboCode(cbry_181)) == rowText(ds, "ITEM_181").trimmed()
           && storedTitle(comboCode(cbry_183)) == rowText(ds, "ITEM_183").trimmed()
           && oneChar(comboCode(cbry_184)) == rowText(ds, "ITEM_184").trimmed()
           && oneChar(comboCode(cbry_188)) == rowText(ds, "ITEM_188").trimmed() && birth() == rowText(ds, "ITEM_182");
}
