#include "fpage3.h"

#include "entry/help.h"

#include "data/dm.h"
#include "db/dataset.h"
#include "forms/controls.h"
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
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include <limits>

TFpage3 *Fpage3 = nullptr;

namespace {

const QString kPageCaption = QStringLiteral("课题立项，评价情况");
const QString kSourceCaption = QStringLiteral("课题来源");
const QColor kMaroon(128, 0, 0);
constexpr int kFigureLength = 7;
constexpr int kAnyLow = std::numeric_limits<int>::min();

// An exclusive radio button cannot be unticked directly.
void untick(QAbstractButton *b)
{
    if (!b->isChecked())
        return;
    const bool exclusive = b->autoExclusive();
    b->setAutoExclusive(false);
    b->setChecked(false);
    b->setAutoExclusive(exclusive);
}

QString trimmedText(const QLineEdit *e)
{
    return e->text().trimmed();
}

QComboBox *listCombo(const char *name, QWidget *parent)
{
    QComboBox *c = makeComboBox(parent, QLatin1String(name));
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return c;
}

} // namespace

TFpage3::TFpage3(QWidget *parent)
    : RecordPage(QStringLiteral("Fpage3"), QStringLiteral("btn_page03"), kPageCaption, parent)
{
    buildControls();

    connect(Pl_126, &CodePanel::boxToggled, this, [this](QAbstractButton *box, bool on) {
        platform::runHandler(this, [=, this] { cb_126OnClick(box, on); });
    });
    // Choosing a national-plan kind makes the source "国家计划".
    connect(Pl_140, &CodePanel::boxToggled, this, [this](QAbstractButton *, bool on) {
        if (on)
            platform::runHandler(this, [this] { cb_126_01->setChecked(true); });
    });
    connect(cb_126_01, &QAbstractButton::toggled, this, [this] { colourLabel1(); });

    for (QLineEdit *e : {Edt_142_1, Edt_142_2, Edt_142_3})
        connect(e, &QLineEdit::textChanged, this, [this] { platform::runHandler(this, [this] { Edt_142_1Change(); }); });
    for (QLineEdit *e : {Edt_141, Edt_142, Edt_148, Edt_143, Edt_144, Edt_243, Edt_244, Edt_145})
        connect(e, &QLineEdit::textChanged, this, [this] { platform::runHandler(this, [this] { Edt_141Change(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { platform::runHandler(this, [this] { Button3Click(); }); });
    markHelpButtonWired(Button3);
}

void TFpage3::buildControls()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(12, 4, 12, 4);
    root->setSpacing(10);
    root->addWidget(makeHeading(this, kPageCaption));
    buildSources(root);
    buildProject(root);
    buildFunding(root);
    buildAppraisal(root);
    root->addStretch();
    root->addWidget(makeButtonRow(this));
}

// The project's sources: "国家计划" with its kinds on the first row, the
// other sources below, and the sub-classes of the chosen plan.
void TFpage3::buildSources(QVBoxLayout *root)
{
    auto *gbSource = new QGroupBox(kSourceCaption, this);
    gbSource->setObjectName(QStringLiteral("gbSource"));
    auto *sourceLay = new QVBoxLayout(gbSource);
    sourceLay->setContentsMargins(8, 4, 8, 4);
    sourceLay->setSpacing(2);

    const QList<CodeCaption> sources = {
        {QStringLiteral("01"), QString()},   // its caption is Label_gjjh: the box itself is not for clicking
        {QStringLiteral("02"), QStringLiteral("部门计划")}, {QStringLiteral("03"), QStringLiteral("地方计划")},
        {QStringLiteral("05"), QStringLiteral("部门基金")}, {QStringLiteral("06"), QStringLiteral("地方基金")},
        {QStringLiteral("07"), QStringLiteral("国际合作")}, {QStringLiteral("08"), QStringLiteral("横向委托")},
        {QStringLiteral("09"), QStringLiteral("民间基金")}, {QStringLiteral("10"), QStringLiteral("自选")},
        {QStringLiteral("19"), QStringLiteral("其他")}};
    Pl_126 = new CodePanel(gbSource, QStringLiteral("Pl_126"), CodePanel::CheckBoxes, QStringLiteral("cb_126_"), sources, 5);
    const QList<QAbstractButton *> sourceBoxes = Pl_126->boxes();
    QAbstractButton **sourceSlots[] = {&cb_126_01, &cb_126_02, &cb_126_03, &cb_126_05, &cb_126_06,
                                       &cb_126_07, &cb_126_08, &cb_126_09, &cb_126_10, &cb_126_19};
    for (int i = 0; i < sourceBoxes.size(); ++i)
        *sourceSlots[i] = sourceBoxes[i];
    cb_126_01->setEnabled(false);
    Label_gjjh = makeLabel(Pl_126, QStringLiteral("国家计划"), QStringLiteral("Label_gjjh"));

    const QList<CodeCaption> kinds = {{QStringLiteral("1"), QStringLiteral("高技术研究发展计划(863计划）")},
                                      {QStringLiteral("3"), QStringLiteral("基础研究计划")},
                                      {QStringLiteral("6"), QStringLiteral("科技基础条件平台建设  ")},
                                      {QStringLiteral("7"), QStringLiteral("国家科技支撑计划")},
                                      {QStringLiteral("8"), QStringLiteral("政策引导类计划及专项")},
                                      {QStringLiteral("9"), QStringLiteral("其他")}};
    Pl_140 = new CodePanel(Pl_126, QStringLiteral("Pl_140"), CodePanel::RadioButtons, QStringLiteral("RB_140_"), kinds, 3);
    Pl_140->setStyleSheet(QStringLiteral("#Pl_140 { border: 1px solid palette(mid); }"));
    Pl_140->setAttribute(Qt::WA_StyledBackground);
    const QList<QAbstractButton *> kindBoxes = Pl_140->boxes();
    QAbstractButton **kindSlots[] = {&RB_140_1, &RB_140_3, &RB_140_6, &RB_140_7, &RB_140_8, &RB_140_9};
    for (int i = 0; i < kindBoxes.size(); ++i)
        *kindSlots[i] = kindBoxes[i];

    // "国家计划" with its kinds on the first row, the other sources below.
    auto *grid = static_cast<QGridLayout *>(Pl_126->layout());
    for (QAbstractButton *b : sourceBoxes)
        grid->removeWidget(b);
    // The box and its caption in line, as a box with its own text, and
    // level with the middle of the kinds beside them.
    auto *national = new QHBoxLayout;
    national->setContentsMargins(0, 0, 0, 0);
    national->setSpacing(cb_126_01->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, cb_126_01));
    national->addWidget(cb_126_01, 0, Qt::AlignVCenter);
    national->addWidget(Label_gjjh, 0, Qt::AlignVCenter);
    national->addStretch();
    grid->addLayout(national, 0, 0, Qt::AlignVCenter);
    grid->addWidget(Pl_140, 0, 1, 1, 4);
    for (int i = 1; i < sourceBoxes.size(); ++i)
        grid->addWidget(sourceBoxes[i], 1 + (i - 1) / 5, (i - 1) % 5);
    for (int col = 0; col < 5; ++col)
        grid->setColumnStretch(col, 1);
    sourceLay->addWidget(Pl_126);

    auto *subRow = new QHBoxLayout;
    Lb_41 = new QLabel(gbSource);
    Lb_41->setObjectName(QStringLiteral("Lb_41"));
    CB_41 = listCombo("CB_41", gbSource);
    CB_41->setMinimumWidth(360);
    subRow->addSpacing(6);
    subRow->addWidget(Lb_41);
    subRow->addWidget(CB_41);
    subRow->addStretch();
    for (QWidget *w : {static_cast<QWidget *>(Lb_41), static_cast<QWidget *>(CB_41)}) {
        // Showing and hiding the sub-classes does not move the rest of the page.
        QSizePolicy p = w->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        w->setSizePolicy(p);
        w->hide();
    }
    sourceLay->addLayout(subRow);
    root->addWidget(gbSource);
}

void TFpage3::buildProject(QVBoxLayout *root)
{
    auto *projectRow = new QHBoxLayout;
    projectRow->setContentsMargins(4, 0, 4, 0);
    Label1 = makeLabel(this, QStringLiteral("课题立项编号"), QStringLiteral("Label1"));
    Edt_127 = makeLineEdit(this, QStringLiteral("Edt_127"), 30);
    Edt_127->setFixedWidth(210);
    Edt_127_1 = makeLineEdit(this, QStringLiteral("Edt_127_1"), 140);
    projectRow->addWidget(Label1);
    projectRow->addWidget(Edt_127);
    projectRow->addSpacing(12);
    projectRow->addWidget(new QLabel(QStringLiteral("课题立项名称"), this));
    projectRow->addWidget(Edt_127_1, 1);
    root->addLayout(projectRow);
}

// The invested funds: figure edits, the local and total sums read-only.
void TFpage3::buildFunding(QVBoxLayout *root)
{
    auto *gbMoney = new QGroupBox(QStringLiteral("实际投入经费（万元）"), this);
    gbMoney->setObjectName(QStringLiteral("gbMoney"));
    auto *money = new QGridLayout(gbMoney);
    money->setContentsMargins(8, 4, 8, 4);
    money->setHorizontalSpacing(6);
    money->setVerticalSpacing(4);
    auto figure = [&](QLineEdit *&edit, const char *name, const char *caption, int row, int col, bool sum = false) {
        edit = makeLineEdit(gbMoney, QLatin1String(name));
        edit->setFixedWidth(86);
        edit->setAlignment(Qt::AlignRight);
        if (sum) {
            // No length limit: a sum beyond seven places must show whole for
            // the length check to refuse it.
            edit->setReadOnly(true);
            edit->setFocusPolicy(Qt::NoFocus);
            edit->setStyleSheet(QStringLiteral("background: palette(window);"));
        } else {
            edit->setMaxLength(kFigureLength);
            // The sums check every part again, the one just left included.
            makeFigureEdit(edit, true, [this, local = QByteArray(name).startsWith("Edt_142_")] {
                platform::runHandler(this, [this, local] { local ? Edt_142_1Change() : Edt_141Change(); });
            });
        }
        money->addWidget(makeFieldLabel(gbMoney, QString::fromUtf8(caption)), row, col * 2);
        money->addWidget(edit, row, col * 2 + 1);
    };
    figure(Edt_141, "Edt_141", "国家投入", 0, 0);
    figure(Edt_148, "Edt_148", "部门投入", 0, 1);
    figure(Edt_143, "Edt_143", "基金投入", 0, 2);
    figure(Edt_144, "Edt_144", "自有资金", 0, 3);
    figure(Edt_142_1, "Edt_142_1", "省级投入", 1, 0);
    figure(Edt_142_2, "Edt_142_2", "地级投入", 1, 1);
    figure(Edt_142_3, "Edt_142_3", "县级投入", 1, 2);
    figure(Edt_142, "Edt_142", "地方投入", 1, 3, true);
    figure(Edt_243, "Edt_243", "银行贷款", 2, 0);
    figure(Edt_244, "Edt_244", "国外资金", 2, 1);
    figure(Edt_145, "Edt_145", "其他", 2, 2);
    figure(Edt_149, "Edt_149", "总计（万元）", 2, 3, true);
    auto *moneyHint = new QLabel(QStringLiteral("（数据长度及格式均为：9999999）"), gbMoney);
    moneyHint->setObjectName(QStringLiteral("LabelMoneyHint"));
    moneyHint->setStyleSheet(QStringLiteral("color: maroon;"));
    money->addWidget(moneyHint, 3, 0, 1, 8);
    money->setColumnStretch(8, 1);
    root->addWidget(gbMoney);
}

void TFpage3::buildAppraisal(QVBoxLayout *root)
{
    auto *gbAppraisal = new QGroupBox(QStringLiteral("评价情况"), this);
    gbAppraisal->setObjectName(QStringLiteral("gbAppraisal"));
    auto *appraisal = new QGridLayout(gbAppraisal);
    appraisal->setContentsMargins(8, 4, 8, 4);
    appraisal->setVerticalSpacing(4);
    cb_21 = listCombo("cb_21", gbAppraisal);
    cb_21_l = listCombo("cb_21_l", gbAppraisal);
    auto *forms = new QHBoxLayout;
    for (QComboBox *c : {cb_21, cb_21_l}) {
        c->setFixedWidth(180);
        forms->addWidget(c);
    }
    cb_21_l->hide();
    forms->addStretch();
    Edt_130 = makeLineEdit(gbAppraisal, QStringLiteral("Edt_130"), 80);
    edt_22 = makeLineEdit(gbAppraisal, QStringLiteral("edt_22"), 30);
    date_34 = new SplitDateEdit(gbAppraisal, QStringLiteral("edt_34_y"), QStringLiteral("edt_34_m"),
                                QStringLiteral("edt_34_d"));
    date_34->setObjectName(QStringLiteral("date_34"));
    date_34->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    edt_34_y = date_34->year();
    edt_34_m = date_34->month();
    edt_34_d = date_34->day();
    auto *dateRow = new QHBoxLayout;
    dateRow->addWidget(date_34);
    dateRow->addSpacing(16);
    dateRow->addWidget(new QLabel(QStringLiteral("(日期格式：YYYY.MM.DD)"), gbAppraisal));
    dateRow->addStretch();
    appraisal->addWidget(makeFieldLabel(gbAppraisal, QStringLiteral("评价方式")), 0, 0);
    appraisal->addLayout(forms, 0, 1);
    appraisal->addWidget(makeFieldLabel(gbAppraisal, QStringLiteral("评价报告编号")), 0, 2);
    appraisal->addWidget(edt_22, 0, 3);
    appraisal->addWidget(makeFieldLabel(gbAppraisal, QStringLiteral("评价单位")), 1, 0);
    appraisal->addWidget(Edt_130, 1, 1, 1, 3);
    appraisal->addWidget(makeFieldLabel(gbAppraisal, QStringLiteral("评价日期")), 2, 0);
    appraisal->addLayout(dateRow, 2, 1, 1, 3);
    appraisal->setColumnStretch(1, 1);
    appraisal->setColumnStretch(3, 1);
    root->addWidget(gbAppraisal);
}

QComboBox *TFpage3::appraisalCombo() const
{
    return appliedTechnology() ? cb_21 : cb_21_l;
}

QString TFpage3::sourceCaption(const QAbstractButton *box) const
{
    return box == cb_126_01 ? Label_gjjh->text() : box->text();
}

void TFpage3::colourLabel1()
{
    QPalette p = Label1->palette();
    p.setColor(QPalette::WindowText, cb_126_01->isChecked() ? kMaroon : palette().color(QPalette::WindowText));
    Label1->setPalette(p);
}

void TFpage3::showEvent(QShowEvent *e)
{
    RecordPage::showEvent(e);
    colourLabel1();
}

void TFpage3::GetItem41List(db::Table &table, const QString &sourceCode, bool noBlank, QLabel *label, QComboBox *combo)
{
    table.setFiltered(false);
    table.setFilter(db::equalsFilter(QStringLiteral("item_126"), sourceCode));
    table.setFiltered(true);
    table.open();
    combo->clear();
    if (table.isEmpty()) {
        combo->hide();
        label->hide();
        return;
    }
    combo->show();
    label->show();
    for (table.first(); !table.eof(); table.next()) {
        const QString code = table.fieldByName(QStringLiteral("item_41_")).asString();
        const QString name = table.fieldByName(QStringLiteral("xxmc")).asString();
        if (!code.isEmpty() && !name.isEmpty())
            combo->addItem(code + QStringLiteral("  ") + name);
    }
    if (!noBlank)
        combo->addItem(QStringLiteral(" "));
    combo->setCurrentIndex(-1);   // the user picks; nothing is chosen for him
}

void TFpage3::cb_126OnClick(QAbstractButton *box, bool on)
{
    if (!cb_126_01->isChecked())
        for (QAbstractButton *kind : Pl_140->boxes())
            untick(kind);
    if (!on)
        return;
    UncheckSiblings(this, Pl_126, box->objectName());
    CB_41->clear();
    CB_41->show();
    Lb_41->setText(QStringLiteral("“") + sourceCaption(box) + QStringLiteral("”的下属分类"));
    GetItem41List(DM->TblDFJHZDXX, box->objectName().right(2), false, Lb_41, CB_41);
}

void TFpage3::Edt_142_1Change()
{
    const std::pair<QLineEdit *, const char *> parts[] = {{Edt_142_1, "读取数据时，发现“省级投入”:"},
                                                          {Edt_142_2, "读取数据时，发现“地级投入”:"},
                                                          {Edt_142_3, "读取数据时，发现“县级投入”:"}};
    double sum = 0;
    for (const auto &[edit, prefix] : parts) {
        checkFigure(edit, QString::fromUtf8(prefix));
        sum += figureValue(edit->text());
    }
    Edt_142->setText(figureText(sum));
}

void TFpage3::Edt_141Change()
{
    const std::pair<QLineEdit *, const char *> sources[] = {
        {Edt_141, "“国家投入”:"}, {Edt_142, "“地方投入”:"}, {Edt_148, "“部门投入”:"}, {Edt_143, "“基金投入”:"},
        {Edt_144, "“自有资金”:"}, {Edt_243, "“银行贷款”:"}, {Edt_244, "“国外资金”:"}, {Edt_145, "“其他”:"}};
    double sum = 0;
    for (const auto &[edit, prefix] : sources) {
        checkFigure(edit, QString::fromUtf8(prefix));
        sum += figureValue(edit->text());
    }
    Edt_149->setText(figureText(sum));
}

void TFpage3::loadFields()
{
    MainForm->ClearChecks(this);
    Edt_127->setText(recordText(QStringLiteral("ITEM_127")));
    Edt_127_1->setText(recordText(QStringLiteral("ITEM_127_1")));
    Edt_130->setText(recordText(QStringLiteral("ITEM_130")));
    edt_22->setText(recordText(QStringLiteral("ITEM_22")));

    // Ticking the stored source builds its sub-class list.
    const QString source = recordText(QStringLiteral("ITEM_126"));
    MainForm->CheckCodes(this, Pl_126, 2, source);
    MainForm->CheckCodes(this, Pl_140, 1, recordText(QStringLiteral("ITEM_140")));
    const QString subClass = recordText(QStringLiteral("ITEM_41_1")).trimmed();
    if (subClass.isEmpty()) {
        CB_41->hide();
        Lb_41->hide();
    } else {
        // "05;": the code before the closing ";".
        GetItem41List(DM->TblDFJHZDXX, source.size() >= 3 ? source.mid(source.size() - 3, 2) : QString(), false,
                      Lb_41, CB_41);
        MainForm->SelectComboByCode(subClass, CB_41);
    }

    const bool applied = appliedTechnology();
    cb_21->setVisible(applied);
    cb_21_l->setVisible(!applied);
    QComboBox *form = appraisalCombo();
    MainForm->FillComboFromDict(DM->Tblzdxx, applied ? QStringLiteral("item_21") : QStringLiteral("item_21_l"), false, form);
    form->setCurrentIndex(-1);
    MainForm->SelectComboByCode(recordText(QStringLiteral("ITEM_21")).trimmed(), form);

    // The parts before their sums: each change recomputes the sums, and the
    // stored sums are shown last.
    const std::pair<QLineEdit *, const char *> figures[] = {
        {Edt_142_1, "ITEM_142_1"}, {Edt_142_2, "ITEM_142_2"}, {Edt_142_3, "ITEM_142_3"}, {Edt_142, "ITEM_142"},
        {Edt_141, "ITEM_141"},     {Edt_148, "ITEM_148"},     {Edt_143, "ITEM_143"},     {Edt_144, "ITEM_144"},
        {Edt_243, "ITEM_243"},     {Edt_244, "ITEM_244"},     {Edt_145, "ITEM_145"},     {Edt_149, "ITEM_149"}};
    for (const auto &[edit, field] : figures)
        edit->setText(recordText(QLatin1String(field)));

    const QString date = recordText(QStringLiteral("ITEM_34"));
    edt_34_y->setText(date.mid(0, 4));
    edt_34_m->setText(date.mid(5, 2));
    edt_34_d->setText(date.mid(8, 2));
    colourLabel1();
}

void TFpage3::checks()
{
    if (comboCode(appraisalCombo()).isEmpty())
        fail(nullptr, QStringLiteral("“评价形式”不能为空！"));
    if (MainForm->GetCheckedCodes(this, Pl_126, kSourceCaption, 2).isEmpty())
        fail(nullptr, QStringLiteral("“课题来源”不能为空！"));
    if (cb_126_01->isChecked()) {
        if (trimmedText(Edt_127).isEmpty())
            fail(nullptr, QStringLiteral("“课题来源”为“国家计划”的项目，“课题立项编号”不能为空！"));
        if (trimmedText(Edt_127_1).isEmpty())
            fail(nullptr, QStringLiteral("“课题来源”为“国家计划”的项目，“课题立项名称”不能为空！"));
    }
    if (Edt_142->text().size() > kFigureLength || Edt_149->text().size() > kFigureLength)
        fail(nullptr, QStringLiteral("经费最大长度不超得过7位！"));

    const QString y = trimmedText(edt_34_y), m = trimmedText(edt_34_m), d = trimmedText(edt_34_d);
    if (!y.isEmpty() && !isValidYear(y, FirstYear))
        fail(edt_34_y, QStringLiteral("非法年份！合理年份应为1949年至今!"));
    if (!m.isEmpty() && !isIntegerIn(m, kAnyLow, 12))
        fail(edt_34_m, QStringLiteral("非法月份!"));
    if (!d.isEmpty() && !isIntegerIn(d, kAnyLow, 31))
        fail(edt_34_d, QStringLiteral("非法日期!"));
    // A month or day 0, or a missing part, ends here.
    if (!date_34->isEmpty() && !parseDateParts(y, m, d).isValid())
        fail(edt_34_y, QStringLiteral("日期非法!"));
}

void TFpage3::collect(RecordValues &values)
{
    const std::pair<const char *, QLineEdit *> texts[] = {
        {"ITEM_127", Edt_127}, {"ITEM_127_1", Edt_127_1}, {"ITEM_130", Edt_130}, {"ITEM_22", edt_22}};
    for (const auto &[field, edit] : texts)
        values.set(QLatin1String(field), edit->text());
    const std::pair<const char *, QLineEdit *> figures[] = {
        {"ITEM_142_1", Edt_142_1}, {"ITEM_142_2", Edt_142_2}, {"ITEM_142_3", Edt_142_3}, {"ITEM_142", Edt_142},
        {"ITEM_141", Edt_141},     {"ITEM_148", Edt_148},     {"ITEM_143", Edt_143},     {"ITEM_144", Edt_144},
        {"ITEM_243", Edt_243},     {"ITEM_244", Edt_244},     {"ITEM_145", Edt_145},     {"ITEM_149", Edt_149}};
    for (const auto &[field, edit] : figures)
        values.set(QLatin1String(field), trimmedText(edit));

    values.set(QStringLiteral("ITEM_126"), MainForm->GetCheckedCodes(this, Pl_126, kSourceCaption, 2));
    values.set(QStringLiteral("ITEM_140"), MainForm->GetCheckedCodes(this, Pl_140, kSourceCaption, 1));

    const QString y = trimmedText(edt_34_y), m = trimmedText(edt_34_m), d = trimmedText(edt_34_d);
    values.set(QStringLiteral("ITEM_34"), date_34->isIncomplete()
                                              ? QString()
                                              : y + QLatin1Char('.') + padTwo(m) + QLatin1Char('.') + padTwo(d));
    values.set(QStringLiteral("ITEM_41_1"), comboCode(CB_41));
    values.set(QStringLiteral("ITEM_21"), appraisalCombo()->currentText().left(3).trimmed());
}

void TFpage3::Button3Click()
{
    showPageHelp(objectName());
}
