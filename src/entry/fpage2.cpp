#include "fpage2.h"

#include "base/error.h"
#include "entry/help.h"

#include "data/dm.h"
#include "data/records.h"
#include "db/dataset.h"
#include "db/error.h"
#include "db/value.h"
#include "forms/controls.h"
#include "forms/gbkvalidator.h"
#include "platform/core/captions.h"
#include "platform/core/seams.h"
#include "platform/widgets/dispatch.h"
#include "shell/mainform.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

TFpage2 *Fpage2 = nullptr;

namespace {

const QString kHeading = QStringLiteral("知识产权，成果应用情况");
const QString kIpCaption = QStringLiteral("知识产权形式");
const QString kReasonCaption = QStringLiteral("未应用或停用原因");
const QString kReasonDetailCaption = QStringLiteral("未应用或停用原因细类");
const QString kPromotionCaption = QStringLiteral("推广形式");
const QString kDropPatentsQuestion = QStringLiteral("知识产权形式如果不选择专利,专利信息将被删除");
const QString kPatentsKept = QStringLiteral("本页内容已储存，但专利信息未能删除，仍然保留：\n%1");

constexpr int kRowHeight = 22;

// The detailed reasons, one row per reason group (the group digit is the
// first digit of the code and the code of the group's box in pl_32_1).
const QList<QList<CodeCaption>> &reasonDetails()
{
    static const QList<QList<CodeCaption>> groups = {
        {{"11", "拨款未到位"}, {"12", "贷款困难"}, {"13", "无资金渠道"}, {"14", "协议终止"}, {"15", "其他"}},
        {{"21", "技术过时"}, {"22", "成熟度不够"}, {"23", "成套性差"}, {"24", "引进技术冲击"}, {"25", "其他"}},
        {{"31", "进口产品冲击"}, {"32", "新产品替代"}, {"33", "与市场要求不吻合"}, {"34", "市场信息不灵"}, {"35", "其他"}},
        {{"41", "管理不好"}, {"42", "经营不善"}, {"43", "其他"}},
        {{"51", "产业政策调整"}, {"52", "技术政策调整"}, {"53", "金融信贷政策"}, {"54", "进出口政策"}, {"55", "其他"}},
    };
    return groups;
}

// A figure edit: digits and one "." (the fields keep fractions), at most
// `length` characters typed; a text that is no number is told when the user
// leaves the edit.  The limit is a validator and not a maximum length, so a
// stored value wider than the edit is shown whole and never cut on loading.
QLineEdit *figureEdit(QWidget *parent, const char *name, int length)
{
    QLineEdit *e = makeLineEdit(parent, QLatin1String(name));
    e->setValidator(new GbkLengthValidator(length, e));
    makeFigureEdit(e, true, [e] { checkFigure(e); });
    e->setAlignment(Qt::AlignRight);
    e->setFixedWidth(96);
    return e;
}

// A figure in its stored form: the number without the user's locale and
// without binary noise; anything unreadable as typed (the engine refuses it).
QString storedFigure(const QLineEdit *edit)
{
    const QString text = edit->text().trimmed();
    double d = 0;
    return db::parseNumber(text, d) ? db::formatNumber(d) : text;
}

// Every radio button lying on the panel: unticked and disabled, or enabled.
void DisableRadioGroup(QWidget *form, QWidget *panel)
{
    for (QRadioButton *r : form->findChildren<QRadioButton *>())
        if (r->objectName() != QLatin1String("ImageList1") && r->parent() == panel) {
            setCheckedQuietly(r, false);
            r->setEnabled(false);
        }
}

void EnableRadioGroup(QWidget *form, QWidget *panel)
{
    for (QRadioButton *r : form->findChildren<QRadioButton *>())
        if (r->objectName() != QLatin1String("ImageList1") && r->parent() == panel)
            r->setEnabled(true);
}

// Selects the item of a stored code, or nothing (an empty choice) when the
// code is empty or not offered.
void selectCode(QComboBox *c, const QString &code)
{
    c->setCurrentIndex(-1);
    if (MainForm)
        MainForm->SelectComboByCode(code.trimmed(), c);
}

void keepSpaceWhenHidden(QWidget *w)
{
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

} // namespace

TFpage2::TFpage2(QWidget *parent) : RecordPage(QStringLiteral("Fpage2"), QStringLiteral("btn_page02"), kHeading, parent)
{
    buildControls();
    connectHandlers();
}

void TFpage2::buildControls()
{
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(10, 6, 10, 4);
    page->setSpacing(6);
    page->addWidget(makeHeading(this, kHeading));
    buildProperty(page);
    buildApplication(page);
    buildFigures(page);
    page->addStretch();
    page->addWidget(makeButtonRow(this));
}

// Intellectual property: its forms, the patent counts and the software
// copyright.
void TFpage2::buildProperty(QVBoxLayout *page)
{
    auto *ipBox = new QGroupBox(QStringLiteral("知识产权"), this);
    ipBox->setObjectName(QStringLiteral("GroupBox1"));
    auto *ip = new QGridLayout(ipBox);
    ip->setContentsMargins(10, 6, 10, 6);
    ip->setHorizontalSpacing(8);
    ip->setVerticalSpacing(4);
    ip->addWidget(makeLabel(ipBox, QStringLiteral("知识产权形式："), QStringLiteral("Label51")), 0, 0);
    pl51 = new CodePanel(ipBox, QStringLiteral("pl51"), CodePanel::CheckBoxes, QStringLiteral("cb_51_"),
                         {{"1", "专利"}, {"3", "软件著作权"}, {"9", "其他"}}, 3);
    cb_51_1 = pl51->box(QStringLiteral("1"));
    cb_51_3 = pl51->box(QStringLiteral("3"));
    cb_51_9 = pl51->box(QStringLiteral("9"));
    auto *ipRow = new QHBoxLayout;
    ipRow->addWidget(pl51);
    ipRow->addWidget(makeLabel(ipBox, QStringLiteral("（可复选，最多2项）"), QStringLiteral("Label51hint")));
    ipRow->addStretch();
    ip->addLayout(ipRow, 0, 1);

    edt_51_1 = makeLineEdit(ipBox, QStringLiteral("edt_51_1"));
    edt_51_1->hide();
    patent_ty = makeLineEdit(ipBox, QStringLiteral("patent_ty"));
    patent_ty->hide();

    PatentPart = new QWidget(ipBox);
    PatentPart->setObjectName(QStringLiteral("PatentPart"));
    auto *pat = new QHBoxLayout(PatentPart);
    pat->setContentsMargins(0, 0, 0, 0);
    pat->setSpacing(8);
    edt_51_2 = makeLineEdit(PatentPart, QStringLiteral("edt_51_2"));
    edt_51_3 = makeLineEdit(PatentPart, QStringLiteral("edt_51_3"));
    for (QLineEdit *e : {edt_51_2, edt_51_3}) {
        e->setReadOnly(true);
        e->setFixedWidth(60);
        e->setAlignment(Qt::AlignRight);
    }
    pat->addWidget(makeLabel(PatentPart, QStringLiteral("已受理专利项数"), QStringLiteral("Label51_2")));
    pat->addWidget(edt_51_2);
    pat->addSpacing(16);
    pat->addWidget(makeLabel(PatentPart, QStringLiteral("授权专利项数"), QStringLiteral("Label51_3")));
    pat->addWidget(edt_51_3);
    pat->addSpacing(16);
    Button1 = new QPushButton(QStringLiteral("进入填写专利"), PatentPart);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    pat->addWidget(Button1);
    pat->addStretch();
    keepSpaceWhenHidden(PatentPart);
    ip->addWidget(PatentPart, 1, 1);

    SoftwarePart = new QWidget(ipBox);
    SoftwarePart->setObjectName(QStringLiteral("SoftwarePart"));
    auto *soft = new QHBoxLayout(SoftwarePart);
    soft->setContentsMargins(0, 0, 0, 0);
    soft->setSpacing(8);
    Edt_52 = makeLineEdit(SoftwarePart, QStringLiteral("Edt_52"));
    limitGbkBytes(Edt_52, 80);
    Edt_53 = makeLineEdit(SoftwarePart, QStringLiteral("Edt_53"));
    limitGbkBytes(Edt_53, 12);
    Edt_53->setFixedWidth(120);
    soft->addWidget(makeLabel(SoftwarePart, QStringLiteral("软件著作权名称"), QStringLiteral("Label52")));
    soft->addWidget(Edt_52, 1);
    soft->addSpacing(8);
    soft->addWidget(makeLabel(SoftwarePart, QStringLiteral("软件著作权登记号"), QStringLiteral("Label53")));
    soft->addWidget(Edt_53);
    keepSpaceWhenHidden(SoftwarePart);
    ip->addWidget(SoftwarePart, 2, 1);
    ip->setColumnStretch(1, 1);
    page->addWidget(ipBox);
}

// The application: its state, the reasons it is not applied, its promotion.
void TFpage2::buildApplication(QVBoxLayout *page)
{
    auto *useBox = new QGroupBox(QStringLiteral("成果应用情况"), this);
    useBox->setObjectName(QStringLiteral("GroupBox2"));
    auto *use = new QGridLayout(useBox);
    use->setContentsMargins(10, 6, 10, 6);
    use->setHorizontalSpacing(8);
    use->setVerticalSpacing(4);
    use->addWidget(makeLabel(useBox, QStringLiteral("应用状态："), QStringLiteral("Label32")), 0, 0);
    CB_32 = makeComboBox(useBox, QStringLiteral("CB_32"));
    CB_32->setFixedWidth(220);
    use->addWidget(CB_32, 0, 1, Qt::AlignLeft);

    use->addWidget(makeLabel(useBox, kReasonCaption + QStringLiteral("："), QStringLiteral("Label32_1")), 1, 0,
                   Qt::AlignTop);
    auto *reasons = new QHBoxLayout;
    reasons->setSpacing(0);
    // The group boxes carry no caption of their own: they are never clicked,
    // and the labels beside them stay readable while the boxes are disabled.
    pl_32_1 = new CodePanel(useBox, QStringLiteral("pl_32_1"), CodePanel::CheckBoxes, QStringLiteral("cb_32_1_"),
                            {{"1", ""}, {"2", ""}, {"3", ""}, {"4", ""}, {"5", ""}}, 1);
    auto *groupGrid = static_cast<QGridLayout *>(pl_32_1->layout());
    const char *groupNames[] = {"资金问题", "技术问题", "市场问题", "管理问题", "政策因素"};
    for (int g = 0; g < 5; ++g) {
        QAbstractButton *box = pl_32_1->boxes().at(g);
        box->setEnabled(false);
        box->setFocusPolicy(Qt::NoFocus);
        box->setFixedHeight(kRowHeight);
        auto *l = new QLabel(QString::fromUtf8(groupNames[g]), pl_32_1);
        l->setObjectName(QStringLiteral("Label32_1_%1").arg(g + 1));
        l->setFixedHeight(kRowHeight);
        groupGrid->addWidget(l, g, 1);
    }
    reasons->addWidget(pl_32_1);

    QList<CodeCaption> details;
    for (const auto &group : reasonDetails())
        details += group;
    Pl_160 = new CodePanel(useBox, QStringLiteral("Pl_160"), CodePanel::RadioButtons, QStringLiteral("rb_160_"), details, 5);
    // One row per reason group, beside the group's box.
    auto *detailGrid = static_cast<QGridLayout *>(Pl_160->layout());
    for (QAbstractButton *r : Pl_160->boxes()) {
        const QString code = r->property("code").toString();
        detailGrid->removeWidget(r);
        detailGrid->addWidget(r, code.at(0).digitValue() - 1, code.at(1).digitValue() - 1);
        r->setFixedHeight(kRowHeight);
    }
    reasons->addWidget(Pl_160, 1);
    use->addLayout(reasons, 1, 1);

    use->addWidget(makeLabel(useBox, kPromotionCaption + QStringLiteral("："), QStringLiteral("Label161")), 2, 0);
    pl_161 = new CodePanel(useBox, QStringLiteral("pl_161"), CodePanel::CheckBoxes, QStringLiteral("cb_161_"),
                           {{"1", "产权转让"}, {"2", "资金入股"}, {"3", "技术入股"}, {"4", "合作开发"}, {"5", "技术服务"},
                            {"9", "其他"}},
                           6);
    auto *promotion = new QHBoxLayout;
    promotion->addWidget(pl_161);
    promotion->addWidget(makeLabel(useBox, QStringLiteral("（可复选，最多2项）"), QStringLiteral("Label161hint")));
    promotion->addStretch();
    use->addLayout(promotion, 2, 1);

    auto *ranges = new QHBoxLayout;
    ranges->setSpacing(8);
    ranges->addWidget(makeLabel(useBox, QStringLiteral("预计达产投资（万元）"), QStringLiteral("Label46")));
    cb_46 = makeComboBox(useBox, QStringLiteral("cb_46"));
    cb_46->setFixedWidth(170);
    ranges->addWidget(cb_46);
    ranges->addSpacing(24);
    ranges->addWidget(makeLabel(useBox, QStringLiteral("预计达产利税（万元）"), QStringLiteral("Label47")));
    cb_47 = makeComboBox(useBox, QStringLiteral("cb_47"));
    cb_47->setFixedWidth(170);
    ranges->addWidget(cb_47);
    ranges->addStretch();
    use->addLayout(ranges, 3, 0, 1, 2);
    use->setColumnStretch(1, 1);
    page->addWidget(useBox);
}

void TFpage2::buildFigures(QVBoxLayout *page)
{
    auto *figBox = new QGroupBox(QStringLiteral("经济效益"), this);
    figBox->setObjectName(QStringLiteral("GroupBox3"));
    auto *fig = new QGridLayout(figBox);
    fig->setContentsMargins(10, 6, 10, 6);
    fig->setHorizontalSpacing(8);
    fig->setVerticalSpacing(4);
    Edt_45 = figureEdit(figBox, "Edt_45", 16);
    Edt_150 = figureEdit(figBox, "Edt_150", 5);
    Edt_162 = figureEdit(figBox, "Edt_162", 5);
    Edt_151_1 = figureEdit(figBox, "Edt_151_1", 7);
    Edt_152_1 = figureEdit(figBox, "Edt_152_1", 7);
    Edt_153 = figureEdit(figBox, "Edt_153", 7);
    Edt_154 = figureEdit(figBox, "Edt_154", 7);
    auto place = [&](int row, int col, const char *name, const char *caption, QLineEdit *edit) {
        fig->addWidget(makeLabel(figBox, QString::fromUtf8(caption), QLatin1String(name)), row, col, Qt::AlignRight);
        fig->addWidget(edit, row, col + 1);
    };
    place(0, 0, "Label45", "已转让企业数（个）", Edt_45);
    place(0, 2, "Label150", "技术转让收入（万元）", Edt_150);
    place(0, 4, "Label162", "其中，知识产权技术转让收入（万元）", Edt_162);
    place(1, 0, "Label151_1", "净利润  （万元）", Edt_151_1);
    place(1, 2, "Label152_1", "实交税金（万元）", Edt_152_1);
    place(2, 0, "Label153", "出口创汇（万元）", Edt_153);
    place(2, 2, "Label154", "节约资金（万元）", Edt_154);
    auto *hint = makeLabel(figBox, QStringLiteral("（数据长度及格式 9999999）"), QStringLiteral("LabelHint"));
    hint->setStyleSheet(QStringLiteral("color: maroon;"));
    fig->addWidget(hint, 1, 4, 2, 2, Qt::AlignLeft | Qt::AlignVCenter);
    fig->setColumnStretch(5, 1);
    page->addWidget(figBox);
}

void TFpage2::connectHandlers()
{
    connect(cb_51_1, &QAbstractButton::toggled, this, platform::handlerSlot(this, [this] { cb_51_1Click(); }));
    connect(cb_51_3, &QAbstractButton::toggled, this, platform::handlerSlot(this, [this] { cb_51_1Click(); }));
    connect(CB_32, &QComboBox::activated, this, platform::handlerSlot(this, [this] { cb_32Change(); }));
    connect(Button1, &QPushButton::clicked, this, platform::handlerSlot(this, [this] { Button1Click(); }));
    connect(Button3, &QPushButton::clicked, this, platform::handlerSlot(this, [this] { Button3Click(); }));
    markHelpButtonWired(Button3);

    // One reason group at a time, chosen through its detailed reasons.
    pl_32_1->setOneAtATime(this);
    connect(Pl_160, &CodePanel::boxToggled, this, [this](QAbstractButton *radio, bool on) {
        if (!on)
            return;
        const QString group = radio->property("code").toString().left(1);
        platform::runHandler(this, [this, group] {
            if (QAbstractButton *box = pl_32_1->box(group))
                box->setChecked(true);
        });
    });

    for (QLineEdit *e : figureEdits())
        connect(e, &QLineEdit::textChanged, this, platform::handlerSlot(this, [e] { checkFigure(e); }));
}

QList<QLineEdit *> TFpage2::figureEdits() const
{
    return {Edt_45, Edt_150, Edt_151_1, Edt_152_1, Edt_153, Edt_154, Edt_162};
}

bool TFpage2::patentTicked() const
{
    return cb_51_1->isChecked();
}

void TFpage2::filterPatents()
{
    db::Table &t = DM->tblzlqk;
    t.close();
    t.setFiltered(false);
    t.setFilter(data::recordFilter(recordText(QStringLiteral("ITEM_4")).trimmed(),
                                   recordText(QStringLiteral("ITEM_DQDM")).trimmed()));
    t.setFiltered(true);
    t.open();
}

void TFpage2::RefreshPatentInfo()
{
    const bool patents = cb_51_1->isChecked();
    const bool software = cb_51_3->isChecked();
    if (patents) {
        int accepted = 0, granted = 0;
        bool types[3] = {false, false, false};
        if (DM->Qrykjcg.isActive() && !DM->Qrykjcg.isEmpty()) {
            filterPatents();
            db::Table &t = DM->tblzlqk;
            for (t.first(); !t.eof(); t.next()) {
                const QString state = t.fieldByName(QStringLiteral("PATENT_ST")).asString().trimmed();
                const QString type = t.fieldByName(QStringLiteral("PATENT_TY")).asString().trimmed();
                accepted += state == QLatin1String("1");
                granted += state == QLatin1String("2");
                for (int i = 0; i < 3; ++i)
                    types[i] = types[i] || type == QString::number(i + 1);
            }
        }
        QString typeList;
        for (int i = 0; i < 3; ++i)
            if (types[i])
                typeList += QString::number(i + 1) + QLatin1Char(';');
        patent_ty->setText(typeList);
        edt_51_1->setText(granted > 0 ? QStringLiteral("3") : accepted > 0 ? QStringLiteral("2") : QStringLiteral("1"));
        edt_51_2->setText(QString::number(accepted));
        edt_51_3->setText(QString::number(granted));
    } else {
        for (QLineEdit *e : {edt_51_2, edt_51_3, patent_ty, edt_51_1})
            e->clear();
    }
    // What the user typed for the software right stays while it is ticked;
    // the record's values are loaded with the page only.
    if (!software) {
        Edt_52->clear();
        Edt_53->clear();
    }
    PatentPart->setVisible(patents);
    SoftwarePart->setVisible(software);
}

void TFpage2::loadFields()
{
    if (MainForm)
        MainForm->ClearChecks(this);
    if (MainForm)
        MainForm->CheckCodes(this, pl51, 1, recordText(QStringLiteral("ITEM_51")));
    RefreshPatentInfo();
    if (cb_51_3->isChecked()) {
        Edt_52->setText(recordText(QStringLiteral("ITEM_52")));
        Edt_53->setText(recordText(QStringLiteral("ITEM_53")));
    }

    db::Table &dict = DM->Tblzdxx;
    const struct {
        QComboBox *combo;
        const char *key;
        const char *field;
    } lists[] = {{CB_32, "item_32", "ITEM_32"}, {cb_46, "item_46", "ITEM_46"}, {cb_47, "item_47", "ITEM_47"}};
    for (const auto &l : lists) {
        MainForm->FillComboFromDict(dict, QLatin1String(l.key), false, l.combo);
        selectCode(l.combo, recordText(QLatin1String(l.field)));
    }
    MainForm->CheckCodes(this, pl_161, 1, recordText(QStringLiteral("ITEM_161")));
    MainForm->CheckCodes(this, pl_32_1, 1, recordText(QStringLiteral("ITEM_32_1")));
    MainForm->CheckCodes(this, Pl_160, 2, recordText(QStringLiteral("ITEM_160")));

    // The patent counts come from the patent rows (RefreshPatentInfo), not
    // from what an earlier save stored.
    const struct {
        QLineEdit *edit;
        const char *field;
    } figures[] = {{Edt_45, "ITEM_45"},         {Edt_150, "ITEM_150"},     {Edt_151_1, "ITEM_151_1"},
                   {Edt_152_1, "ITEM_152_1"}, {Edt_153, "ITEM_153"},     {Edt_154, "ITEM_154"},
                   {Edt_162, "ITEM_162"}};
    for (const auto &f : figures)
        f.edit->setText(recordText(QLatin1String(f.field)));
}

void TFpage2::applyStateRules()
{
    const QString state = CB_32->currentText();
    const bool inUse = state.contains(QStringLiteral("稳定")) || state.contains(QStringLiteral("小范围"))
                       || state.contains(QStringLiteral("试用"));
    if (inUse) {
        for (QAbstractButton *b : pl_32_1->boxes())
            b->setChecked(false);
        DisableRadioGroup(this, Pl_160);
    } else {
        EnableRadioGroup(this, Pl_160);
    }
    const bool notApplied = state.contains(QStringLiteral("未应用"));
    for (QLineEdit *e : figureEdits()) {
        if (notApplied)
            e->clear();
        e->setEnabled(!notApplied);
    }
}

void TFpage2::cb_32Change()
{
    applyStateRules();
}

void TFpage2::showEvent(QShowEvent *e)
{
    applyStateRules();
    RecordPage::showEvent(e);
}

void TFpage2::cb_51_1Click()
{
    RefreshPatentInfo();
}

void TFpage2::Button1Click()
{
    if (!DM->Qrykjcg.isActive() || DM->Qrykjcg.isEmpty())
        return;
    filterPatents();
    if (openPatents)
        openPatents();
    RefreshPatentInfo();
}

void TFpage2::Button3Click()
{
    showPageHelp(objectName());
}

void TFpage2::checks()
{
    const QString state = CB_32->currentText();
    if (comboCode(CB_32).isEmpty())
        fail(CB_32, QStringLiteral("\"应用状态\"不能为空！"));
    const bool reasonWanted = state.contains(QStringLiteral("停用")) || state.contains(QStringLiteral("未应用"));
    if (reasonWanted && MainForm->GetCheckedCodes(this, pl_32_1, kReasonCaption, 1).isEmpty())
        fail(Pl_160->boxes().value(0), QStringLiteral("未应用或停用原因必须说明！"));
    if (MainForm->GetCheckedCodes(this, pl_161, kPromotionCaption, 1).isEmpty())
        fail(pl_161->boxes().value(0), QStringLiteral("\"推广形式\"必须选择！"));
    if (patentTicked() && edt_51_2->text() == QLatin1String("0") && edt_51_3->text() == QLatin1String("0"))
        fail(Button1, QStringLiteral("请填写专利情况！"));
}

void TFpage2::collect(RecordValues &v)
{
    v.set(QStringLiteral("ITEM_51_2"), edt_51_2->text().trimmed());
    v.set(QStringLiteral("ITEM_51_3"), edt_51_3->text().trimmed());
    v.set(QStringLiteral("ITEM_45"), storedFigure(Edt_45));
    v.set(QStringLiteral("ITEM_150"), storedFigure(Edt_150));
    v.set(QStringLiteral("ITEM_53"), Edt_53->text());
    v.set(QStringLiteral("ITEM_52"), Edt_52->text());
    v.set(QStringLiteral("ITEM_151_1"), storedFigure(Edt_151_1));
    v.set(QStringLiteral("ITEM_152_1"), storedFigure(Edt_152_1));
    v.set(QStringLiteral("ITEM_153"), storedFigure(Edt_153));
    v.set(QStringLiteral("ITEM_154"), storedFigure(Edt_154));
    v.set(QStringLiteral("ITEM_162"), storedFigure(Edt_162));
    v.set(QStringLiteral("ITEM_51"), MainForm->GetCheckedCodes(this, pl51, kIpCaption, 1));
    const QString state = comboCode(CB_32);
    v.set(QStringLiteral("ITEM_32"), state);
    v.set(QStringLiteral("ITEM_161"), MainForm->GetCheckedCodes(this, pl_161, kPromotionCaption, 1));
    v.set(QStringLiteral("ITEM_46"), comboCode(cb_46));
    v.set(QStringLiteral("ITEM_47"), comboCode(cb_47));
    const bool patents = patentTicked();
    v.set(QStringLiteral("ITEM_51_1"), patents ? edt_51_1->text().trimmed() : QString());
    v.set(QStringLiteral("patent_ty"), patents ? patent_ty->text().trimmed() : QString());
    // A result in stable use has no reasons for non-use.
    const bool stable = state.startsWith(QLatin1Char('1'));
    v.set(QStringLiteral("ITEM_32_1"), stable ? QString() : MainForm->GetCheckedCodes(this, pl_32_1, kReasonCaption, 1));
    v.set(QStringLiteral("ITEM_160"), stable ? QString() : MainForm->GetCheckedCodes(this, Pl_160, kReasonDetailCaption, 2));
}

bool TFpage2::save()
{
    // The rules come first: a page that cannot be stored asks nothing and
    // deletes nothing.
    checks();
    m_dropPatents = false;
    if (!patentTicked() && DM->Qrykjcg.isActive() && !DM->Qrykjcg.isEmpty()) {
        filterPatents();
        if (!DM->tblzlqk.isEmpty())
            m_dropPatents = platform::messageBox(this, kDropPatentsQuestion, platform::PromptCaption,
                                                 platform::Icon::Information, platform::Yes | platform::No)
                            == platform::Yes;
    }
    const bool saved = RecordPage::save();
    m_dropPatents = false;
    return saved;
}

void TFpage2::afterSave()
{
    if (!m_dropPatents)
        return;
    // The record no longer names patents and is stored; its patent rows go
    // now.  Should that fail, the record still stands and the rows are kept,
    // as after a "No", and the user is told exactly that.
    db::Table &t = DM->tblzlqk;
    try {
        filterPatents();
        while (!t.isEmpty()) {
            t.first();
            t.deleteRecord();
        }
        t.flush();
    } catch (const base::Error &e) {
        if (t.isActive())
            t.cancel();
        platform::messageBox(this, kPatentsKept.arg(e.message()), platform::NoteCaption, platform::Icon::Warning,
                             platform::Ok);
    }
}
