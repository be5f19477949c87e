#include "fpage1.h"

#include "entry/help.h"

#include "data/dm.h"
#include "db/dataset.h"
#include "db/gbk.h"
#include "entry/formtree.h"
#include "entry/treeflags.h"
#include "forms/controls.h"
#include "forms/gbkvalidator.h"
#include "platform/core/seams.h"
#include "platform/widgets/dispatch.h"
#include "shell/mainform.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include <limits>

TFpage1 *Fpage1 = nullptr;

namespace {

const QString kOwnUnitCode = QStringLiteral("9990001000");
const QColor kMaroon(0x80, 0x00, 0x00);

// Keyword boxes: a GBK byte limit, and no ";" (it separates the keywords
// in the stored list).
class KeywordValidator : public GbkLengthValidator {
public:
    using GbkLengthValidator::GbkLengthValidator;
    State validate(QString &input, int &pos) const override
    {
        if (input.contains(QLatin1Char(';')))
            return Invalid;
        return GbkLengthValidator::validate(input, pos);
    }
};

QToolButton *dropButton(QWidget *parent, const QString &name)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setArrowType(Qt::DownArrow);
    b->setFixedSize(20, 22);
    b->setToolTip(QStringLiteral("从分类表中选择"));
    return b;
}

QList<CodeCaption> captions(const QStringList &codes, const QStringList &texts)
{
    QList<CodeCaption> out;
    for (int i = 0; i < codes.size(); ++i)
        out << CodeCaption{codes[i], texts.value(i)};
    return out;
}

int fieldWidth(const QString &field)
{
    return DM->Qrykjcg.fieldByName(field).size();
}

void fillList(QComboBox *c, const QString &key, const QString &code)
{
    MainForm->FillComboFromDict(DM->Tblzdxx, key, false, c);
    // Nothing is chosen until the record names a code.
    c->setCurrentIndex(-1);
    MainForm->SelectComboByCode(code.trimmed(), c);
}

void showEmptyMemo(QPlainTextEdit *memo)
{
    if (!memo->toPlainText().trimmed().isEmpty())
        return;
    QTextCursor cursor = memo->textCursor();
    cursor.movePosition(QTextCursor::Start);
    memo->setTextCursor(cursor);
    memo->ensureCursorVisible();
    memo->setFocus(Qt::OtherFocusReason);
}

} // namespace

TFpage1::TFpage1(QWidget *parent)
    : RecordPage(QStringLiteral("Fpage1"), QStringLiteral("btn_page01"), QStringLiteral("成果概况"), parent)
{
    setWindowTitle(QStringLiteral("成果概况"));
    buildControls();
    connectHandlers();
    TreeEditsPage1[0] = Edt_15;
    TreeEditsPage1[1] = edt_15_1;
    TreeEditsPage1[2] = edt_12;
    TreeEditsPage1[3] = edt_12_1;
}

void TFpage1::buildControls()
{
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(8, 4, 8, 4);
    page->setSpacing(3);
    page->addWidget(makeHeading(this, QStringLiteral("成  果  概  况")));
    buildItems(page);
    buildCodePanels(page);
    buildMemos(page);
    page->addWidget(makeButtonRow(this));
}

// The record's items, two or three to a line.
void TFpage1::buildItems(QVBoxLayout *page)
{
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    page->addLayout(grid);
    auto row = [&](int r, const QList<QWidget *> &widgets, int stretchAfter = -1) {
        auto *h = new QHBoxLayout;
        h->setSpacing(4);
        for (int i = 0; i < widgets.size(); ++i) {
            if (widgets[i])
                h->addWidget(widgets[i]);
            else
                h->addSpacing(14);
            if (i == stretchAfter)
                h->addStretch();
        }
        if (stretchAfter < 0)
            h->addStretch();
        grid->addLayout(h, r, 1);
    };

    Edt_120 = makeLineEdit(this, QStringLiteral("Edt_120"), 20);
    Edt_120->setFixedWidth(170);
    Date_121 = new SplitDateEdit(this, QStringLiteral("edt_121_y"), QStringLiteral("edt_121_m"), QStringLiteral("edt_121_d"));
    Date_121->setObjectName(QStringLiteral("Pl_121"));
    edt_121_y = Date_121->year();
    edt_121_m = Date_121->month();
    edt_121_d = Date_121->day();
    CB_1 = makeComboBox(this, QStringLiteral("CB_1"), 100);
    grid->addWidget(makeFieldLabel(this, QStringLiteral("批准登记号")), 0, 0);
    row(0, {Edt_120, nullptr, makeLabel(this, QStringLiteral("批准登记日期")), Date_121, nullptr,
            makeLabel(this, QStringLiteral("成果密级")), CB_1});

    Edt_128 = makeLineEdit(this, QStringLiteral("Edt_128"), 80);
    grid->addWidget(makeFieldLabel(this, QStringLiteral("推荐单位")), 1, 0);
    grid->addWidget(Edt_128, 1, 1);

    Date_8_s = new SplitDateEdit(this, QStringLiteral("edt_8_y_s"), QStringLiteral("edt_8_m_s"));
    Date_8_e = new SplitDateEdit(this, QStringLiteral("edt_8_y_e"), QStringLiteral("edt_8_m_e"));
    Date_8_s->setObjectName(QStringLiteral("Pl_8_s"));
    Date_8_e->setObjectName(QStringLiteral("Pl_8_e"));
    edt_8_y_s = Date_8_s->year();
    edt_8_m_s = Date_8_s->month();
    edt_8_y_e = Date_8_e->year();
    edt_8_m_e = Date_8_e->month();
    cb_2 = makeComboBox(this, QStringLiteral("cb_2"), 110);
    cb_201 = makeComboBox(this, QStringLiteral("cb_201"), 150);
    grid->addWidget(makeFieldLabel(this, QStringLiteral("研究起止时间")), 2, 0);
    row(2, {Date_8_s, makeLabel(this, QStringLiteral("至")), Date_8_e, nullptr,
            makeLabel(this, QStringLiteral("成果水平")), cb_2, nullptr, makeLabel(this, QStringLiteral("研究形式")),
            cb_201});

    edt_14_1 = makeLineEdit(this, QStringLiteral("edt_14_1"));
    edt_14_2 = makeLineEdit(this, QStringLiteral("edt_14_2"));
    edt_14_3 = makeLineEdit(this, QStringLiteral("edt_14_3"));
    for (QLineEdit *e : {edt_14_1, edt_14_2, edt_14_3}) {
        e->setMaxLength(198);
        e->setValidator(new KeywordValidator(198, e));
        e->setFixedWidth(132);
    }
    Lb_125_1 = makeLabel(this, QStringLiteral("成果属性"), QStringLiteral("Lb_125_1"));
    Cb_125_1 = makeComboBox(this, QStringLiteral("Cb_125_1"), 190);
    grid->addWidget(makeFieldLabel(this, QStringLiteral("关键词")), 3, 0);
    row(3, {edt_14_1, edt_14_2, edt_14_3, nullptr, Lb_125_1, Cb_125_1});

    Edt_15 = makeLineEdit(this, QStringLiteral("Edt_15"));
    edt_15_1 = makeLineEdit(this, QStringLiteral("edt_15_1"));
    cb_15 = dropButton(this, QStringLiteral("cb_15"));
    cb_15_1 = dropButton(this, QStringLiteral("cb_15_1"));
    edt_12 = makeLineEdit(this, QStringLiteral("edt_12"));
    edt_12_1 = makeLineEdit(this, QStringLiteral("edt_12_1"));
    CB_12 = dropButton(this, QStringLiteral("CB_12"));
    CB_12_1 = dropButton(this, QStringLiteral("CB_12_1"));
    for (QLineEdit *e : {Edt_15, edt_15_1, edt_12, edt_12_1})
        e->setFixedWidth(180);
    Lb_16 = makeLabel(this, QStringLiteral("成果所处阶段"), QStringLiteral("Lb_16"));
    cb_16 = makeComboBox(this, QStringLiteral("cb_16"), 140);
    Lb_210 = makeLabel(this, QStringLiteral("成果体现形式"), QStringLiteral("Lb_210"));
    cb_210 = makeComboBox(this, QStringLiteral("cb_210"), 140);
    Lb_33 = makeLabel(this, QStringLiteral("转让范围"), QStringLiteral("Lb_33"));
    cb_33 = makeComboBox(this, QStringLiteral("cb_33"), 140);
    grid->addWidget(makeFieldLabel(this, QStringLiteral("学科分类")), 4, 0);
    row(4, {Edt_15, cb_15, edt_15_1, cb_15_1, nullptr, Lb_16, cb_16, Lb_210, cb_210}, 3);
    grid->addWidget(makeFieldLabel(this, QStringLiteral("中图分类号")), 5, 0);
    row(5, {edt_12, CB_12, edt_12_1, CB_12_1, nullptr, Lb_33, cb_33}, 3);
    grid->setColumnStretch(1, 1);
}

// The coded items: a caption at the left of each panel, on one line, all as
// wide as the widest of them (Label22 takes two texts).
void TFpage1::buildCodePanels(QVBoxLayout *page)
{
    int captionWidth = 0;
    for (const char *text : {"成果体现形式", "所属高新科技领域", "社会经济目标", "成果应用行业"})
        captionWidth = std::max(captionWidth, fontMetrics().horizontalAdvance(QString::fromUtf8(text)) + 6);
    auto panelRow = [&, captionWidth](QLabel *title, QWidget *panel) {
        auto *h = new QHBoxLayout;
        h->setSpacing(4);
        title->setFixedWidth(captionWidth);
        title->setWordWrap(false);
        title->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        h->addWidget(title);
        h->addWidget(panel, 1);
        page->addLayout(h);
        return h;
    };
    auto framed = [](QWidget *panel) {
        panel->setStyleSheet(QStringLiteral("#%1 { border: 1px solid palette(mid); }").arg(panel->objectName()));
        panel->setAttribute(Qt::WA_StyledBackground);
    };

    PL_123 = new CodePanel(this, QStringLiteral("PL_123"), CodePanel::RadioButtons, QStringLiteral("RB_123_"),
                           captions({"1", "2", "3", "4", "5", "6", "7", "9", "A", "B", "C", "D", "E"},
                                    {"新技术", "新工艺", "新产品", "新材料", "农业、生物新品种", "矿产新品种", "新装备",
                                     "其他应用技术", "国际标准", "国家标准", "行业标准", "地方标准", "企业标准"}),
                           7);
    Lb_123 = makeLabel(this, QStringLiteral("成果体现形式"), QStringLiteral("Lb_123"));
    framed(PL_123);
    panelRow(Lb_123, PL_123);

    Label22 = makeLabel(this, QStringLiteral("所属高新科技领域"), QStringLiteral("Label22"));
    Pl_124_1 = new CodePanel(this, QStringLiteral("Pl_124_1"), CodePanel::CheckBoxes, QStringLiteral("CB_124_1_"),
                             captions({"01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11"},
                                      {"电子信息", "软件", "航空航天", "光机电一体化", "生物、医药和医疗器械", "新材料",
                                       "新能源与高效节能", "环境保护", "地球、空间与海洋", "核应用技术", "农业"}),
                             6);
    PL_200 = new CodePanel(this, QStringLiteral("PL_200"), CodePanel::CheckBoxes, QStringLiteral("cb_200_"),
                           captions({"01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11", "12", "13"},
                                    {"陆地、海洋和大气的开发与评价", "民用宇宙空间", "农业、林业和渔业的发展", "促进工业的发展",
                                     "能源的生产、储存和分配", "交通、通讯事业的发展", "教育事业的发展", "卫生事业的发展",
                                     "社会发展和社会经济服务", "环境保护", "知识的全面发展", "其他民用目标", "国防"}),
                           4);
    framed(Pl_124_1);
    framed(PL_200);
    {
        auto *stack = new QWidget(this);
        auto *v = new QVBoxLayout(stack);
        v->setContentsMargins(0, 0, 0, 0);
        v->setSpacing(0);
        v->addWidget(Pl_124_1);
        v->addWidget(PL_200);
        panelRow(Label22, stack);
    }

    PL_125 = new CodePanel(this, QStringLiteral("PL_125"), CodePanel::CheckBoxes, QStringLiteral("CB_125_"),
                           captions({"01", "02", "03", "04", "05", "07", "08", "09", "10", "20",
                                     "21", "22", "23", "24", "25", "26", "27", "28", "29", "30"},
                                    {"农、林、牧、渔业", "采矿业", "制造业", "电力、煤气及水的生产和供应业", "建筑业",
                                     "交通运输、仓储和邮政业", "批发和零售业", "金融业", "房地产业",
                                     "信息传输、计算机服务和软件业", "住宿和餐饮业", "租赁和商务服务业",
                                     "科学研究、技术服务和地质勘查业", "水利、环境和公共设施管理业", "居民服务和其他服务业",
                                     "教育", "卫生、社会保障和社会福利业", "文化、体育和娱乐业", "公共管理和社会组织",
                                     "国际组织"}),
                           3, {{QStringLiteral("20"), QStringLiteral("Cb_125_20")}});
    framed(PL_125);
    if (auto *grid125 = qobject_cast<QGridLayout *>(PL_125->layout()))
        grid125->setVerticalSpacing(0);   // twenty boxes: keep room for the memos
    panelRow(makeLabel(this, QStringLiteral("成果应用行业"), QStringLiteral("Lb_125")), PL_125);
}

void TFpage1::buildMemos(QVBoxLayout *page)
{
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    Mo_13_1 = new QPlainTextEdit;
    Mo_13_1->setObjectName(QStringLiteral("Mo_13_1"));
    Mo_13 = new QPlainTextEdit;
    Mo_13->setObjectName(QStringLiteral("Mo_13"));
    PageControl1->addTab(Mo_13_1, QStringLiteral("成果简介"));
    PageControl1->addTab(Mo_13, QStringLiteral("成果公报内容"));
    for (int i = 0; i < PageControl1->count(); ++i)
        PageControl1->tabBar()->setTabTextColor(i, kMaroon);
    PageControl1->setMinimumHeight(90);
    page->addWidget(PageControl1, 1);
}

void TFpage1::connectHandlers()
{
    connect(edt_14_1, &QLineEdit::textChanged, this, platform::handlerSlot(this, [this] { edt_14_1Change(); }));
    connect(edt_14_2, &QLineEdit::textChanged, this, platform::handlerSlot(this, [this] { edt_14_2Change(); }));
    connect(cb_15, &QToolButton::clicked, this, platform::handlerSlot(this, [this] { cb_15DropDown(); }));
    connect(cb_15_1, &QToolButton::clicked, this, platform::handlerSlot(this, [this] { cb_15_1DropDown(); }));
    connect(CB_12, &QToolButton::clicked, this, platform::handlerSlot(this, [this] { CB_12DropDown(); }));
    connect(CB_12_1, &QToolButton::clicked, this, platform::handlerSlot(this, [this] { CB_12_1DropDown(); }));
    connect(Button3, &QPushButton::clicked, this, platform::handlerSlot(this, [this] { Button3Click(); }));
    markHelpButtonWired(Button3);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int i) {
        platform::runHandler(this, [this, i] { PageControl1Change(i); });
    });
    for (CodePanel *p : {Pl_124_1, PL_200, PL_125})
        p->setOneAtATime(this);
    Mo_13->viewport()->installEventFilter(this);
    Mo_13->installEventFilter(this);
}

bool TFpage1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Mo_13->viewport() || watched == Mo_13) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            platform::runHandler(this, [this] { fillBulletinFromSummary(); });
            break;
        case QEvent::ContextMenu:
        case QEvent::Drop:
            platform::runHandler(this, [this] { fillSummaryFromBulletin(); });
            break;
        default:
            break;
        }
    }
    return RecordPage::eventFilter(watched, event);
}

void TFpage1::showEvent(QShowEvent *e)
{
    FormShow();
    RecordPage::showEvent(e);
}

void TFpage1::FormShow()
{
    applyTableAvailability();
    setFixedSize(PageWidth, PageHeight);
}

void TFpage1::applyTableAvailability()
{
    cb_15->setVisible(HasXkfl);
    cb_15_1->setVisible(HasXkfl);
    CB_12->setVisible(HasZtflh);
    CB_12_1->setVisible(HasZtflh);
}

// Keywords are filled in order: a box opens only when the one before it
// holds a keyword.
void TFpage1::edt_14_1Change()
{
    if (edt_14_1->text().trimmed().isEmpty()) {
        edt_14_2->clear();
        edt_14_3->clear();
        edt_14_2->setEnabled(false);
        edt_14_3->setEnabled(false);
    } else {
        edt_14_2->setEnabled(true);
        edt_14_2Change();
    }
}

void TFpage1::edt_14_2Change()
{
    const bool open = edt_14_2->isEnabled() && !edt_14_2->text().trimmed().isEmpty();
    if (!open)
        edt_14_3->clear();
    edt_14_3->setEnabled(open);
}

void TFpage1::dropDown(int flag)
{
    for (int i = 0; i < 4; ++i)
        TreeFlagsPage1[i] = i == flag;
    if (FormTree)
        platform::showModal(FormTree);
}

void TFpage1::Button3Click()
{
    showPageHelp(objectName());
}

void TFpage1::fillBulletinFromSummary()
{
    if (Mo_13->toPlainText().trimmed().isEmpty() && !Mo_13_1->toPlainText().isEmpty())
        Mo_13->setPlainText(Mo_13_1->toPlainText());
}

void TFpage1::fillSummaryFromBulletin()
{
    if (Mo_13_1->toPlainText().trimmed().isEmpty() && !Mo_13->toPlainText().isEmpty())
        Mo_13_1->setPlainText(Mo_13->toPlainText());
}

void TFpage1::PageControl1Change(int index)
{
    if (m_lastTab == 0 && index != 0)
        fillBulletinFromSummary();
    m_lastTab = index;
    if (auto *memo = qobject_cast<QPlainTextEdit *>(PageControl1->widget(index)))
        showEmptyMemo(memo);
}

// Brings a memo's tab forward without the defaults of a tab change: a
// refused save must not fill the memo it complains about.
void TFpage1::showTab(QWidget *memo)
{
    const QSignalBlocker quiet(PageControl1);
    PageControl1->setCurrentWidget(memo);
    m_lastTab = PageControl1->currentIndex();
}

// ---------------------------------------------------------------------------
// Load

void TFpage1::loadClassification(bool haveTable, db::Table &table, const QString &field, QLineEdit *edit)
{
    const QString stored = recordText(field);
    if (haveTable) {
        edit->setValidator(nullptr);
        edit->setMaxLength(32767);
        const QString code = stored.trimmed();
        MainForm->ShowCodeName(table, code, edit);
        // A code the table lacks stays visible, and a save keeps it.
        if (edit->text().isEmpty() && !code.isEmpty())
            edit->setText(code + QStringLiteral("  "));
    } else {
        limitGbkBytes(edit, fieldWidth(field));
        edit->setText(stored);
    }
    edit->setReadOnly(false);
}

void TFpage1::showCategory(bool applied)
{
    for (QWidget *w : std::initializer_list<QWidget *>{Lb_125_1, Cb_125_1, Lb_123, PL_123, Lb_16, cb_16, Lb_33, cb_33})
        w->setVisible(applied);
    Lb_210->setVisible(!applied);
    cb_210->setVisible(!applied);
    Pl_124_1->setVisible(applied);
    PL_200->setVisible(!applied);
    Label22->setText(applied ? QStringLiteral("所属高新科技领域") : QStringLiteral("社会经济目标"));
    QPalette pal = Label22->palette();
    pal.setColor(QPalette::WindowText, applied ? palette().color(QPalette::WindowText) : kMaroon);
    Label22->setPalette(pal);
}

void TFpage1::loadFields()
{
    const bool applied = appliedTechnology();
    MainForm->ClearChecks(this);
    Edt_120->setText(recordText(QStringLiteral("ITEM_120")));
    Edt_128->setText(recordText(QStringLiteral("ITEM_128")));

    // "2008.03   至2009.12"
    const QString period = recordText(QStringLiteral("ITEM_8"));
    edt_8_y_s->setText(period.mid(0, 4));
    edt_8_m_s->setText(period.mid(5, 2));
    const qsizetype to = period.indexOf(QStringLiteral("至"));
    const QString end = to < 0 ? QString() : period.mid(to + 1);
    edt_8_y_e->setText(end.mid(0, 4));
    edt_8_m_e->setText(end.mid(5, 2));

    // yyyy-MM-dd
    const QStringList date = recordText(QStringLiteral("ITEM_121")).split(QLatin1Char('-'));
    edt_121_y->setText(date.value(0).left(4));
    edt_121_m->setText(date.value(1));
    edt_121_d->setText(date.value(2));

    fillList(CB_1, QStringLiteral("item_1"), recordText(QStringLiteral("ITEM_1")));
    fillList(Cb_125_1, QStringLiteral("item_125_1"), recordText(QStringLiteral("ITEM_125_1")));
    MainForm->SplitToEdits(recordText(QStringLiteral("ITEM_14")), edt_14_1, edt_14_2, edt_14_3);
    edt_14_1Change();

    showCategory(applied);
    if (applied) {
        MainForm->CheckCodes(this, PL_123, 1, recordText(QStringLiteral("ITEM_123")));
        fillList(cb_16, QStringLiteral("item_16"), recordText(QStringLiteral("ITEM_16")));
        fillList(cb_33, QStringLiteral("item_33"), recordText(QStringLiteral("ITEM_33")));
        cb_210->clear();
    } else {
        fillList(cb_210, QStringLiteral("item_210"), recordText(QStringLiteral("ITEM_210")));
        cb_16->clear();
        cb_33->clear();
    }
    fillList(cb_2, QStringLiteral("item_2"), recordText(QStringLiteral("ITEM_2")));
    fillList(cb_201, QStringLiteral("item_201"), recordText(QStringLiteral("ITEM_201")));

    loadClassification(HasXkfl, DM->Txkfl2, QStringLiteral("ITEM_15"), Edt_15);
    loadClassification(HasXkfl, DM->Txkfl2, QStringLiteral("ITEM_15_1"), edt_15_1);
    loadClassification(HasZtflh, DM->Tztflh2, QStringLiteral("ITEM_12"), edt_12);
    loadClassification(HasZtflh, DM->Tztflh2, QStringLiteral("ITEM_12_1"), edt_12_1);
    applyTableAvailability();

    if (applied)
        MainForm->CheckCodes(this, Pl_124_1, 2, recordText(QStringLiteral("ITEM_124_1")));
    else
        MainForm->CheckCodes(this, PL_200, 2, recordText(QStringLiteral("ITEM_200")));
    MainForm->CheckCodes(this, PL_125, 2, recordText(QStringLiteral("ITEM_125")));

    Mo_13->setPlainText(recordText(QStringLiteral("ITEM_13")));
    Mo_13_1->setPlainText(recordText(QStringLiteral("ITEM_13_1")));
    {
        const QSignalBlocker quiet(PageControl1);
        PageControl1->setCurrentIndex(0);
    }
    m_lastTab = 0;
}

// ---------------------------------------------------------------------------
// Checks

void TFpage1::checks()
{
    for (QLineEdit *e : {edt_8_y_s, edt_8_y_e})
        e->setText(e->text().trimmed());
    for (QLineEdit *e : {edt_8_m_s, edt_8_m_e})
        e->setText(padTwo(e->text()));
    const QString regYear = edt_121_y->text().trimmed();
    const QString regMonth = padTwo(edt_121_m->text());
    const QString regDay = edt_121_d->text().trimmed();
    const bool applied = appliedTechnology();

    for (QLineEdit *e : {edt_8_y_s, edt_8_m_s, edt_8_y_e, edt_8_m_e})
        if (e->text().isEmpty())
            fail(edt_8_y_s, QStringLiteral("研究起止时间为必填项！"));
    if (comboCode(CB_1).isEmpty())
        fail(CB_1, QStringLiteral("\"成果密级\"不能为空！"));
    if (db::gbk::byteLength(edt_14_1->text()) + db::gbk::byteLength(edt_14_2->text())
            + db::gbk::byteLength(edt_14_3->text())
        > 196)
        fail(edt_14_1, QStringLiteral("\"关键词\"三栏总字数不要超过98字"));
    if (applied) {
        if (comboCode(cb_16).isEmpty())
            fail(cb_16, QStringLiteral("\"成果所处阶段\"不能为空！"));
        if (comboCode(cb_33).isEmpty())
            fail(cb_33, QStringLiteral("\"转让范围\"不能为空！"));
        if (MainForm->GetCheckedCodes(this, PL_123, QStringLiteral("成果体现形式"), 1).isEmpty())
            fail(PL_123, QStringLiteral("\"成果体现形式\"不能为空！"));
    } else {
        if (comboCode(cb_210).isEmpty())
            fail(cb_210, QStringLiteral("\"成果体现形式\"不能为空！"));
        if (MainForm->GetCheckedCodes(this, PL_200, QStringLiteral("社会经济目标"), 2).isEmpty())
            fail(PL_200, QStringLiteral("\"社会经济目标\"不能为空！"));
    }
    if (applied && comboCode(Cb_125_1).isEmpty())
        fail(Cb_125_1, QStringLiteral("\"成果属性\"不能为空！"));
    if (comboCode(cb_201).isEmpty())
        fail(cb_201, QStringLiteral("\"研究形式\"不能为空！"));
    if (MainForm->GetCheckedCodes(this, PL_125, QStringLiteral("成果应用行业"), 2).isEmpty())
        fail(PL_125, QStringLiteral("\"成果应用行业\"不能为空！"));
    if (Mo_13_1->toPlainText().trimmed().isEmpty()) {
        showTab(Mo_13_1);
        fail(Mo_13_1, QStringLiteral("\"成果简介\"不能为空！"));
    }
    // An empty bulletin takes the summary, as the save stores it.
    fillBulletinFromSummary();
    if (Mo_13->toPlainText().trimmed().isEmpty()) {
        showTab(Mo_13);
        fail(Mo_13, QStringLiteral("\"成果公报内容\"不能为空！"));
    }

    if (regYear.isEmpty() && regMonth.isEmpty() && regDay.isEmpty())
        fail(edt_121_y, QStringLiteral("\"批准登记日期\"不能为空！"));
    if (!isValidYear(regYear))
        fail(edt_121_y, QStringLiteral("批准登记日期年份非法！合理年份应为1949年至今!"));
    if (!isValidYear(edt_8_y_s->text()))
        fail(edt_8_y_s, QStringLiteral("研究起始日期年份非法！合理年份应为1949年至今!"));
    if (!isValidYear(edt_8_y_e->text()))
        fail(edt_8_y_e, QStringLiteral("研究终止日期年份非法！合理年份应为1949年至今!"));
    if (!regMonth.isEmpty() && !isIntegerIn(regMonth, 0, 12))
        fail(edt_121_m, QStringLiteral("批准登记日期月份非法!"));
    if (!isIntegerIn(edt_8_m_s->text(), 1, 12))
        fail(edt_8_m_s, QStringLiteral("研究起始日期月份非法!"));
    if (!isIntegerIn(edt_8_m_e->text(), 1, 12))
        fail(edt_8_m_e, QStringLiteral("研究终止日期月份非法!"));
    if (!regDay.isEmpty() && !isIntegerIn(regDay, std::numeric_limits<int>::min(), 31))
        fail(edt_121_d, QStringLiteral("批准登记日期日期非法!"));
    if (!parseDateParts(regYear, regMonth, regDay).isValid())
        fail(nullptr, QStringLiteral("日期非法!"));

    const int registered = regYear.toInt() * 100 + regMonth.toInt();
    const int started = edt_8_y_s->text().toInt() * 100 + edt_8_m_s->text().toInt();
    const int ended = edt_8_y_e->text().toInt() * 100 + edt_8_m_e->text().toInt();
    if (ended > registered)
        fail(edt_8_y_e, QStringLiteral("所填写的研究终止时间不应大于登记日期！"));
    if (started > ended)
        fail(edt_8_y_s, QStringLiteral("所填写的研究起始时间不应大于研究终止时间！"));
}

// ---------------------------------------------------------------------------
// Stored forms

QString TFpage1::keywords() const
{
    QStringList filled;
    for (const QLineEdit *e : {edt_14_1, edt_14_2, edt_14_3}) {
        const QString k = e->text().trimmed();
        if (k.isEmpty())
            break;   // a keyword after an empty box is not kept
        filled << k;
    }
    return filled.join(QLatin1Char(';'));
}

QString TFpage1::classificationCode(bool haveTable, const QString &field, const QLineEdit *edit) const
{
    // With the table the edit holds "code  name" as picked, or a typed code;
    // without it the typed code.  Either way it is cut to the field's width.
    const QString code = haveTable ? codePart(edit->text()) : edit->text().trimmed();
    return db::gbk::cutText(code, fieldWidth(field));
}

void TFpage1::collect(RecordValues &v)
{
    v.set(QStringLiteral("ITEM_120"), Edt_120->text());
    v.set(QStringLiteral("ITEM_128"), Edt_128->text());
    v.setDate(QStringLiteral("ITEM_121"), parseDateParts(edt_121_y->text(), edt_121_m->text(), edt_121_d->text()));
    v.set(QStringLiteral("ITEM_8"), edt_8_y_s->text().trimmed() + QLatin1Char('.') + padTwo(edt_8_m_s->text())
                                          + QStringLiteral("   至") + edt_8_y_e->text().trimmed() + QLatin1Char('.')
                                          + padTwo(edt_8_m_e->text()));
    v.set(QStringLiteral("ITEM_1"), comboCode(CB_1));
    v.set(QStringLiteral("ITEM_14"), keywords());

    // Fields of the other category are emptied; they are no part of the
    // unsaved-change test, nor is the unit code.
    constexpr bool hidden = false;
    if (appliedTechnology()) {
        v.set(QStringLiteral("ITEM_16"), comboCode(cb_16));
        v.set(QStringLiteral("ITEM_33"), comboCode(cb_33));
        v.set(QStringLiteral("ITEM_123"), MainForm->GetCheckedCodes(this, PL_123, QStringLiteral("成果体现形式"), 1));
        v.set(QStringLiteral("ITEM_124_1"),
              MainForm->GetCheckedCodes(this, Pl_124_1, QStringLiteral("所属高新科技领域"), 2));
        v.set(QStringLiteral("ITEM_210"), QString(), hidden);
        v.set(QStringLiteral("ITEM_200"), QString(), hidden);
        v.set(QStringLiteral("ITEM_125_1"), comboCode(Cb_125_1));
        v.set(QStringLiteral("outcomeb"), kOwnUnitCode, hidden);
    } else {
        v.set(QStringLiteral("ITEM_210"), comboCode(cb_210));
        v.set(QStringLiteral("ITEM_200"), MainForm->GetCheckedCodes(this, PL_200, QStringLiteral("社会经济目标"), 2));
        for (const char *f : {"ITEM_123", "ITEM_124_1", "ITEM_16", "ITEM_33", "ITEM_125_1"})
            v.set(QLatin1String(f), QString(), hidden);
    }

    const QString summary = TMainForm::ReplaceTabs(Mo_13_1->toPlainText());
    const QString bulletin = TMainForm::ReplaceTabs(Mo_13->toPlainText());
    v.set(QStringLiteral("ITEM_13_1"), summary);
    v.set(QStringLiteral("ITEM_13"), bulletin.trimmed().isEmpty() ? summary : bulletin);

    v.set(QStringLiteral("ITEM_2"), comboCode(cb_2));
    v.set(QStringLiteral("ITEM_201"), comboCode(cb_201));
    v.set(QStringLiteral("ITEM_125"), MainForm->GetCheckedCodes(this, PL_125, QStringLiteral("成果应用行业"), 2));

    v.set(QStringLiteral("ITEM_15"), classificationCode(HasXkfl, QStringLiteral("ITEM_15"), Edt_15));
    v.set(QStringLiteral("ITEM_15_1"), classificationCode(HasXkfl, QStringLiteral("ITEM_15_1"), edt_15_1));
    v.set(QStringLiteral("ITEM_12"), classificationCode(HasZtflh, QStringLiteral("ITEM_12"), edt_12));
    v.set(QStringLiteral("ITEM_12_1"), classificationCode(HasZtflh, QStringLiteral("ITEM_12_1"), edt_12_1));
}

void TFpage1::afterSave()
{
    // The memos show what was stored.
    for (QPlainTextEdit *m : {Mo_13_1, Mo_13})
        if (m->toPlainText().contains(QLatin1Char('\t')))
            m->setPlainText(TMainForm::ReplaceTabs(m->toPlainText()));
    // The registration month and day as stored.
    edt_121_m->setText(padTwo(edt_121_m->text()));
    edt_121_d->setText(padTwo(edt_121_d->text()));
}
