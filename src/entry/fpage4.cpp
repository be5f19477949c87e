#include "fpage4.h"

#include "data/dm.h"
#include "db/dataset.h"
#include "db/gbk.h"
#include "forms/controls.h"
#include "forms/enterprise.h"
#include "forms/gbkvalidator.h"
#include "platform/widgets/dispatch.h"
#include "shell/mainform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFpage4 *Fpage4 = nullptr;

namespace {

const QString kPageCaption = QStringLiteral("第一完成单位情况");

// A code item's code: its first three characters, trimmed.
QString itemCode(const QComboBox *c)
{
    return c->currentText().left(3).trimmed();
}

QString emptyMessage(const char *label)
{
    return QLatin1Char('"') + QString::fromUtf8(label) + QStringLiteral("\"不能为空！");
}

// The edits of the page with the record field each one stores.
struct EditField {
    QLineEdit *TFpage4::*edit;
    const char *field;
};
const EditField kEdits[] = {
    {&TFpage4::Edt_9, "ITEM_9"},        {&TFpage4::Edt_420, "ITEM_420"},    {&TFpage4::Edt_37, "ITEM_37"},
    {&TFpage4::Edt_38, "ITEM_38"},      {&TFpage4::Edt_39, "ITEM_39"},      {&TFpage4::Edt_40, "ITEM_40"},
    {&TFpage4::Edt_60, "ITEM_60"},      {&TFpage4::Edt_41, "ITEM_41"},      {&TFpage4::Edt_61, "ITEM_61"},
    {&TFpage4::Edt_41_2, "ITEM_41_2"},  {&TFpage4::TLinkMan, "TLinkMan"},   {&TFpage4::TLinkManTel, "TLinkManTe"},
    {&TFpage4::TLinkManEmail, "TLinkManEm"}};

} // namespace

TFpage4::TFpage4(QWidget *parent)
    : RecordPage(QStringLiteral("Fpage4"), QStringLiteral("btn_page04"), kPageCaption, parent)
{
    buildControls();
    connect(cb_62, &QComboBox::activated, this, [this] { platform::runHandler(this, [this] { cb_62Change(); }); });
    // 帮助 is connected to its help window by wireHelpButtons().
}

void TFpage4::buildControls()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(12, 4, 12, 4);
    root->setSpacing(8);
    root->addWidget(makeHeading(this, kPageCaption));

    // --- The organisation ---------------------------------------------------
    // Every edit holds what its field holds, in GBK bytes.
    auto *gbUnit = new QGroupBox(QStringLiteral("单位基本情况"), this);
    gbUnit->setObjectName(QStringLiteral("gbUnit"));
    auto *g = new QGridLayout(gbUnit);
    g->setContentsMargins(8, 6, 8, 6);
    g->setHorizontalSpacing(6);
    g->setVerticalSpacing(6);
    int row = 0;
    g->addWidget(makeFieldLabel(gbUnit, QStringLiteral("单位名称")), row, 0);
    g->addWidget(Edt_9 = makeLineEdit(gbUnit, QStringLiteral("Edt_9"), 140), row, 1, 1, 3);
    ++row;
    g->addWidget(makeFieldLabel(gbUnit, QStringLiteral("组织机构代码")), row, 0);
    auto *codeRow = new QHBoxLayout;
    codeRow->addWidget(Edt_420 = makeLineEdit(gbUnit, QStringLiteral("Edt_420"), 20));
    Label420Hint = new QLabel(QStringLiteral("格式为(XXXXXXXX-X)"), gbUnit);
    Label420Hint->setObjectName(QStringLiteral("Label420Hint"));
    Label420Hint->setStyleSheet(QStringLiteral("color: maroon;"));
    codeRow->addWidget(Label420Hint);
    g->addLayout(codeRow, row, 1);
    g->addWidget(makeFieldLabel(gbUnit, QStringLiteral("邮政编码")), row, 2);
    g->addWidget(Edt_38 = makeLineEdit(gbUnit, QStringLiteral("Edt_38"), 6), row, 3);
    ++row;
    g->addWidget(makeFieldLabel(gbUnit, QStringLiteral("通讯地址")), row, 0);
    g->addWidget(Edt_37 = makeLineEdit(gbUnit, QStringLiteral("Edt_37"), 100), row, 1, 1, 3);
    ++row;
    g->addWidget(makeFieldLabel(gbUnit, QStringLiteral("电话（含区号）")), row, 0);
    g->addWidget(Edt_39 = makeLineEdit(gbUnit, QStringLiteral("Edt_39"), 30), row, 1);
    g->addWidget(makeFieldLabel(gbUnit, QStringLiteral("传真（含区号）")), row, 2);
    g->addWidget(Edt_40 = makeLineEdit(gbUnit, QStringLiteral("Edt_40"), 30), row, 3);
    ++row;
    g->addWidget(makeFieldLabel(gbUnit, QStringLiteral("单位网址")), row, 0);
    g->addWidget(Edt_60 = makeLineEdit(gbUnit, QStringLiteral("Edt_60"), 100), row, 1);
    g->addWidget(makeFieldLabel(gbUnit, QStringLiteral("电子信箱")), row, 2);
    g->addWidget(Edt_61 = makeLineEdit(gbUnit, QStringLiteral("Edt_61"), 80), row, 3);
    ++row;
    g->addWidget(makeFieldLabel(gbUnit, QStringLiteral("单位属性")), row, 0);
    g->addWidget(cb_62 = makeComboBox(gbUnit, QStringLiteral("cb_62")), row, 1);
    g->addWidget(makeFieldLabel(gbUnit, QStringLiteral("企业所有制属性")), row, 2);
    g->addWidget(CB_41_3 = makeComboBox(gbUnit, QStringLiteral("CB_41_3")), row, 3);
    ++row;
    Pl_163 = new QWidget(gbUnit);
    Pl_163->setObjectName(QStringLiteral("Pl_163"));
    auto *pl = new QHBoxLayout(Pl_163);
    pl->setContentsMargins(0, 0, 0, 0);
    cb_163 = new QCheckBox(QStringLiteral("其中，科研机构转制型企业"), Pl_163);
    cb_163->setObjectName(QStringLiteral("cb_163"));
    pl->addWidget(cb_163);
    pl->addStretch();
    g->addWidget(Pl_163, row, 3);
    ++row;
    g->addWidget(makeFieldLabel(gbUnit, QStringLiteral("单位所在省市")), row, 0);
    g->addWidget(cb_64 = makeComboBox(gbUnit, QStringLiteral("cb_64")), row, 1);
    g->addWidget(makeFieldLabel(gbUnit, QStringLiteral("隶属关系")), row, 2);
    g->addWidget(cb_63 = makeComboBox(gbUnit, QStringLiteral("cb_63")), row, 3);
    ++row;
    g->addWidget(makeFieldLabel(gbUnit, QStringLiteral("联系人")), row, 0);
    g->addWidget(Edt_41 = makeLineEdit(gbUnit, QStringLiteral("Edt_41"), 20), row, 1);
    g->addWidget(makeFieldLabel(gbUnit, QStringLiteral("联系人电话")), row, 2);
    g->addWidget(Edt_41_2 = makeLineEdit(gbUnit, QStringLiteral("Edt_41_2"), 30), row, 3);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    root->addWidget(gbUnit);

    // --- Transfer of the result -------------------------------------------
    auto *gbLink = new QGroupBox(QStringLiteral("成果转让联系方式"), this);
    gbLink->setObjectName(QStringLiteral("gbLink"));
    auto *l = new QGridLayout(gbLink);
    l->setContentsMargins(8, 6, 8, 6);
    l->setHorizontalSpacing(6);
    l->setVerticalSpacing(6);
    l->addWidget(makeFieldLabel(gbLink, QStringLiteral("成果转让联系人")), 0, 0);
    l->addWidget(TLinkMan = makeLineEdit(gbLink, QStringLiteral("TLinkMan"), 20), 0, 1);
    l->addWidget(makeFieldLabel(gbLink, QStringLiteral("成果转让联系人电话")), 0, 2);
    l->addWidget(TLinkManTel = makeLineEdit(gbLink, QStringLiteral("TLinkManTel"), 30), 0, 3);
    l->addWidget(makeFieldLabel(gbLink, QStringLiteral("成果转让联系人电子信箱")), 1, 0);
    l->addWidget(TLinkManEmail = makeLineEdit(gbLink, QStringLiteral("TLinkManEmail"), 80), 1, 1, 1, 3);
    l->setColumnStretch(1, 1);
    l->setColumnStretch(3, 1);
    root->addWidget(gbLink);

    for (QComboBox *c : {cb_62, CB_41_3, cb_64, cb_63}) {
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->setMinimumContentsLength(12);
    }

    root->addStretch();
    root->addWidget(makeButtonRow(this));
}

void TFpage4::loadFields()
{
    MainForm->ClearChecks(this);

    // The organisation's own row stands in for the record's copies when the
    // record names the organisation.
    db::Table &unit = DM->Tblunit;
    const QString name = recordText(QStringLiteral("ITEM_9"));
    m_fromUnit = unit.isActive() && !unit.isEmpty() && !name.isEmpty()
                 && unit.fieldByName(QStringLiteral("item_9")).asString() == name;
    auto shown = [&](const char *field) {
        const QString f = QLatin1String(field);
        return m_fromUnit ? unit.fieldByName(f.toLower()).asString() : recordText(f);
    };

    Edt_9->setText(shown("ITEM_9"));
    Edt_420->setText(shown("ITEM_420"));
    Edt_37->setText(shown("ITEM_37"));
    Edt_38->setText(shown("ITEM_38"));
    Edt_39->setText(shown("ITEM_39"));
    Edt_40->setText(shown("ITEM_40"));
    Edt_60->setText(shown("ITEM_60"));
    Edt_61->setText(shown("ITEM_61"));
    Edt_41_2->setText(shown("ITEM_41_2"));
    // Always the record's: the contact, the affiliation, the transfer contact.
    Edt_41->setText(recordText(QStringLiteral("ITEM_41")));
    TLinkMan->setText(recordText(QStringLiteral("TLinkMan")));
    TLinkManTel->setText(recordText(QStringLiteral("TLinkManTe")));
    TLinkManEmail->setText(recordText(QStringLiteral("TLinkManEm")));

    // Nothing is chosen until the shown data names a code.
    auto select = [](QComboBox *c, const QString &code) {
        c->setCurrentIndex(-1);
        MainForm->SelectComboByCode(code.trimmed(), c);
    };
    const QString attribute = shown("ITEM_62").trimmed();
    MainForm->FillComboFromDict(DM->Tblzdxx, QStringLiteral("item_62"), true, cb_62);
    select(cb_62, attribute);
    const bool enterprise = isEnterpriseAttribute(attribute);
    CB_41_3->setEnabled(enterprise);
    cb_163->setEnabled(enterprise);
    cb_163->setChecked(enterprise && shown("ITEM_163").trimmed() == QLatin1String("1"));
    MainForm->FillComboFromDict(DM->Tblzdxx, QStringLiteral("item_41_3"), true, CB_41_3);
    select(CB_41_3, shown("ITEM_41_3"));

    MainForm->FillComboCodeName(DM->tblProvince, cb_64, QStringLiteral("Province_i"), QStringLiteral("Province_n"), true);
    select(cb_64, shown("ITEM_64"));
    MainForm->FillComboCodeName(DM->tblLsbw, cb_63, QStringLiteral("Bwdm"), QStringLiteral("Bwmc"), false);
    select(cb_63, recordText(QStringLiteral("ITEM_63")));
}

void TFpage4::cb_62Change()
{
    MainForm->FillComboFromDict(DM->Tblzdxx, QStringLiteral("item_41_3"), true, CB_41_3);
    CB_41_3->setCurrentIndex(-1);
    showEnterpriseDetails(isEnterpriseAttribute(itemCode(cb_62)), CB_41_3, cb_163);
}

void TFpage4::checks()
{
    // The focus stays where it is: the messages name the field.
    if (Edt_9->text().isEmpty())
        fail(nullptr, emptyMessage("单位名称"));
    if (Edt_37->text().isEmpty())
        fail(nullptr, emptyMessage("通讯地址"));
    if (Edt_38->text().isEmpty())
        fail(nullptr, emptyMessage("邮政编码"));
    if (cb_62->currentIndex() < 0 || itemCode(cb_62).isEmpty())
        fail(nullptr, emptyMessage("单位属性"));
    if (isEnterpriseAttribute(itemCode(cb_62)) && CB_41_3->currentText().trimmed().isEmpty())
        fail(nullptr, emptyMessage("企业所有制属性"));
    if (cb_64->currentIndex() < 0 || itemCode(cb_64).isEmpty())
        fail(nullptr, emptyMessage("单位所在省市"));
    if (Edt_41->text().isEmpty())
        fail(nullptr, emptyMessage("联系人"));
    if (Edt_41_2->text().isEmpty())
        fail(nullptr, emptyMessage("联系人电话"));
    // XXXXXXXX-X: a code too short to have a ninth character is malformed too.
    const QString code = Edt_420->text().trimmed();
    if (!code.isEmpty() && (code.size() < 9 || code.at(8) != QLatin1Char('-')))
        fail(nullptr, QStringLiteral("\"组织机构代码\"格式错误！"));
}

void TFpage4::collect(RecordValues &values)
{
    db::Query &rec = DM->Qrykjcg;
    // A text is stored cut to its field's width.
    auto put = [&](const QString &field, const QString &text, bool compared = true) {
        values.set(field, db::gbk::cutText(text, rec.fieldByName(field).size()), compared);
    };
    for (const EditField &e : kEdits)
        put(QLatin1String(e.field), (this->*e.edit)->text());
    const QString attribute = itemCode(cb_62);
    put(QStringLiteral("ITEM_62"), attribute);
    // Ownership and conversion belong to enterprises; the unsaved-change
    // test compares them by its own rules (isChanged).
    if (isEnterpriseAttribute(attribute)) {
        put(QStringLiteral("ITEM_41_3"), itemCode(CB_41_3), false);
        put(QStringLiteral("ITEM_163"), cb_163->isChecked() ? QStringLiteral("1") : QStringLiteral("0"), false);
    } else {
        put(QStringLiteral("ITEM_41_3"), QString(), false);
        put(QStringLiteral("ITEM_163"), QString(), false);
    }
    put(QStringLiteral("ITEM_64"), itemCode(cb_64));
    put(QStringLiteral("ITEM_63"), itemCode(cb_63));
}

bool TFpage4::isChanged()
{
    if (RecordPage::isChanged())
        return true;
    // The ownership list as shown, and the box against "1"/"0" (a blank
    // stored value agrees with an unticked box).
    if (itemCode(CB_41_3) != recordText(QStringLiteral("ITEM_41_3")).trimmed())
        return true;
    const QString converted = recordText(QStringLiteral("ITEM_163")).trimmed();
    return cb_163->isChecked() != (converted == QLatin1String("1"));
}
