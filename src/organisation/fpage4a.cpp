#include "fpage4a.h"

#include "base/error.h"
#include "data/dm.h"
#include "db/dataset.h"
#include "db/error.h"
#include "db/gbk.h"
#include "entry/formtree.h"
#include "entry/recordpage.h"
#include "entry/treeflags.h"
#include "forms/controls.h"
#include "forms/elidededit.h"
#include "forms/enterprise.h"
#include "forms/gbkvalidator.h"
#include "organisation/fpage11.h"
#include "organisation/unittexts.h"
#include "platform/core/captions.h"
#include "platform/core/seams.h"
#include "platform/widgets/dispatch.h"
#include "shell/mainform.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

TFpage4a *Fpage4a = nullptr;

namespace {

const QString kOwnUnitCode = QStringLiteral("9990001000");
const QString kChiefExpert = QStringLiteral("   9999999999");
const QString kEndQuestion = QStringLiteral("单位情况尚未填写完整，本程序需要先填写单位情况才能使用。\n是否退出本程序？");
const QString kLeaveUnstoredQuestion =
    QStringLiteral("单位情况尚未填写完整，现在退出将不储存任何内容，成果登记的命令仍不能使用。\n是否退出？");
const QString kRowRequired = QStringLiteral("单位情况尚未完整储存，请填写完整并储存后再退出！");

// A code edit shows "code  name": the tree tables' code and name widths
// and the two blanks between them.
constexpr int kCodeItemBytes = 20 + 2 + 100;
constexpr int kIntroductionBytes = 100;

// The list captions as the page shows them, in flag order.
const char *const kListCaptions[4] = {"研究领域", "研究所属学科", "优势领域", "优势学科"};

QString quoted(const QString &caption, const QString &tail)
{
    return QLatin1Char('"') + caption + QLatin1Char('"') + tail;
}

QString listTooLong(int list)
{
    return quoted(QString::fromUtf8(kListCaptions[list]),
                  QStringLiteral("所填代码过多，合计不能超过%1个字符！").arg(TFpage4a::CodeListWidth));
}

// What the checks read, from the controls or from the stored row.
struct UnitFacts {
    QString name, address, postcode, phone, fax, introduction, department, departmentPhone;
    QString lists[4];
};

// The rules in screen order.  Returns the number of the first rule broken
// (0 when none) and its message.  Rules 12 to 15 keep each code list within
// its field.
int brokenRule(const UnitFacts &f, QString *message)
{
    struct Rule {
        bool broken;
        const char *caption;
        const char *tail;
    };
    const Rule rules[] = {
        {f.name.isEmpty(), "单位名称", "不能为空！"},
        {f.address.isEmpty(), "通讯地址", "不能为空！"},
        {f.postcode.isEmpty(), "邮政编码", "不能为空！"},
        {f.postcode.size() < 6, "邮政编码", "应该为6位数字！"},
        {!IsPostcode(f.postcode), "邮政编码", "必须为数字！"},
        {f.phone.isEmpty(), "单位电话", "不能为空！"},
        {f.fax.isEmpty(), "单位传真", "不能为空！"},
        {f.introduction.isEmpty(), "单位简介", "不能为空！"},
        {db::gbk::byteLength(f.introduction.trimmed()) < kIntroductionBytes, "单位简介", "内容不得小于50字！"},
        {f.department.isEmpty(), "联系部门", "不能为空！"},
        {f.departmentPhone.isEmpty(), "联系部门电话", "不能为空！"},
    };
    int n = 0;
    for (const Rule &r : rules) {
        ++n;
        if (r.broken) {
            if (message)
                *message = quoted(QString::fromUtf8(r.caption), QString::fromUtf8(r.tail));
            return n;
        }
    }
    for (int i = 0; i < 4; ++i) {
        ++n;
        if (db::gbk::byteLength(f.lists[i]) > TFpage4a::CodeListWidth) {
            if (message)
                *message = listTooLong(i);
            return n;
        }
    }
    return 0;
}

QString unitText(const QString &field)
{
    db::Table &t = DM->Tblunit;
    if (!t.isActive() || t.isEmpty())
        return QString();
    return t.fieldByName(field).asString();
}

bool unitHasRow()
{
    db::Table &t = DM->Tblunit;
    if (!t.isActive())
        t.open();
    return !t.isEmpty();
}

QPlainTextEdit *makeMemo(QWidget *parent, const QString &name)
{
    auto *m = new QPlainTextEdit(parent);
    m->setObjectName(name);
    // The texts are edited in their dialogs; a click opens the dialog.
    m->setReadOnly(true);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m->viewport()->setCursor(Qt::PointingHandCursor);
    m->setToolTip(QStringLiteral("单击此处编辑"));
    return m;
}

} // namespace

// ---------------------------------------------------------------------------
// Stored forms

QString PackCodeTexts(const QStringList &texts)
{
    QString out;
    for (const QString &t : texts) {
        const QString text = t.trimmed();
        if (text.isEmpty())
            continue;
        const qsizetype blank = text.indexOf(QLatin1Char(' '));
        out += (blank < 0 ? text : text.left(blank)) + QStringLiteral(" ;");
    }
    return out;
}

QStringList UnpackCodeList(const QString &list, int count)
{
    QStringList codes = list.split(QLatin1Char(';'));
    codes.removeLast();   // after the last ";": nothing, or a cut entry
    for (QString &c : codes)
        c = c.trimmed();
    return codes.mid(0, count);
}

bool IsPostcode(const QString &text)
{
    if (text.size() != 6)
        return false;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

bool UnitRowComplete()
{
    if (!DM || !unitHasRow())
        return false;
    UnitFacts f;
    f.name = unitText(QStringLiteral("item_9"));
    f.address = unitText(QStringLiteral("item_37"));
    f.postcode = unitText(QStringLiteral("item_38"));
    f.phone = unitText(QStringLiteral("item_39"));
    f.fax = unitText(QStringLiteral("item_40"));
    f.introduction = unitText(QStringLiteral("unitintrod"));
    f.department = unitText(QStringLiteral("item_41"));
    f.departmentPhone = unitText(QStringLiteral("item_41_2"));
    return brokenRule(f, nullptr) == 0;
}

// ---------------------------------------------------------------------------
// The page

TFpage4a::TFpage4a(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fpage4a"));
    setWindowTitle(QStringLiteral("单位情况"));
    // Minimise and maximise only: the page is left through "退出".
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowMaximizeButtonHint);
    buildControls();
    connectHandlers();
    for (int n = 0; n < 40; ++n)
        TreeEditsPage4a[n] = codeEdit(n);
    setFixedSize(PageWidth, PageHeight);
}

void TFpage4a::buildControls()
{
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(10, 4, 10, 6);
    page->setSpacing(4);

    Panel1 = makeHeading(this, QStringLiteral("Panel1"), QStringLiteral("单  位  情  况"), Qt::AlignCenter, 2);
    page->addWidget(Panel1);
    buildItems(page);
    buildCodeLists(page);
    buildTexts(page);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->hide();
    Button2 = new QPushButton(this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->hide();

    BitBtndtr = makeButton(this, QStringLiteral("BitBtndtr"), QStringLiteral("学科带头人情况"), 90);
    btnSave01 = makeButton(this, QStringLiteral("btnSave01"), QStringLiteral("储存"), 90);
    quit01 = makeButton(this, QStringLiteral("quit01"), QStringLiteral("退出"), 90);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BitBtndtr);
    buttons->addStretch();
    buttons->addWidget(btnSave01);
    buttons->addWidget(quit01);
    page->addLayout(buttons);
}

// The organisation's items; field widths in GBK bytes.
void TFpage4a::buildItems(QVBoxLayout *page)
{
    edt_9 = makeLineEdit(this, QStringLiteral("edt_9"), 140);
    edt_420 = makeLineEdit(this, QStringLiteral("edt_420"), 10);
    Edt_37 = makeLineEdit(this, QStringLiteral("Edt_37"), 100);
    Edt_38 = makeLineEdit(this, QStringLiteral("Edt_38"), 6);
    Edt_39 = makeLineEdit(this, QStringLiteral("Edt_39"), 30);
    Edt_40 = makeLineEdit(this, QStringLiteral("Edt_40"), 30);
    Edt_60 = makeLineEdit(this, QStringLiteral("Edt_60"), 100);
    Edt_41 = makeLineEdit(this, QStringLiteral("Edt_41"), 20);
    Edt_41_2 = makeLineEdit(this, QStringLiteral("Edt_41_2"), 30);
    Edt_61 = makeLineEdit(this, QStringLiteral("Edt_61"), 80);
    cb_62 = makeComboBox(this, QStringLiteral("cb_62"));
    CB_41_3 = makeComboBox(this, QStringLiteral("CB_41_3"));
    cb_64 = makeComboBox(this, QStringLiteral("cb_64"));
    for (QComboBox *c : {cb_62, CB_41_3, cb_64})
        c->setMaxVisibleItems(20);
    cb_163 = new QCheckBox(QStringLiteral("其中,科研机构转制型企业"), this);
    cb_163->setObjectName(QStringLiteral("cb_163"));
    edt_420->setFixedWidth(110);
    Edt_38->setFixedWidth(70);
    // A full department (ten double-byte characters) shows whole.
    Edt_41->setMinimumWidth(Edt_41->fontMetrics().horizontalAdvance(QString(10, QChar(0x79d1))) + 16);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    page->addLayout(grid);
    grid->addWidget(makeFieldLabel(this, QStringLiteral("单位名称")), 0, 0);
    grid->addWidget(edt_9, 0, 1, 1, 3);
    grid->addWidget(makeFieldLabel(this, QStringLiteral("单位所在省市")), 0, 4);
    grid->addWidget(cb_64, 0, 5);
    grid->addWidget(makeFieldLabel(this, QStringLiteral("组织机构代码")), 1, 0);
    {
        auto *h = new QHBoxLayout;
        h->setSpacing(6);
        h->addWidget(edt_420);
        auto *hint = new QLabel(QStringLiteral("(格式为XXXXXXXX-X)"), this);
        hint->setObjectName(QStringLiteral("Label420"));
        hint->setStyleSheet(QStringLiteral("color: gray;"));
        h->addWidget(hint);
        h->addStretch();
        grid->addLayout(h, 1, 1, 1, 3);
    }
    grid->addWidget(makeFieldLabel(this, QStringLiteral("邮政编码")), 1, 4);
    {
        auto *h = new QHBoxLayout;
        h->addWidget(Edt_38);
        h->addStretch();
        grid->addLayout(h, 1, 5);
    }
    grid->addWidget(makeFieldLabel(this, QStringLiteral("通讯地址")), 2, 0);
    grid->addWidget(Edt_37, 2, 1, 1, 3);
    grid->addWidget(makeFieldLabel(this, QStringLiteral("单位网址")), 2, 4);
    grid->addWidget(Edt_60, 2, 5);
    grid->addWidget(makeFieldLabel(this, QStringLiteral("单位电话（含区号）")), 3, 0);
    grid->addWidget(Edt_39, 3, 1);
    grid->addWidget(makeFieldLabel(this, QStringLiteral("单位传真（含区号）")), 3, 2);
    grid->addWidget(Edt_40, 3, 3);
    grid->addWidget(makeFieldLabel(this, QStringLiteral("联系部门")), 4, 0);
    grid->addWidget(Edt_41, 4, 1);
    grid->addWidget(makeFieldLabel(this, QStringLiteral("联系部门电话")), 4, 2);
    grid->addWidget(Edt_41_2, 4, 3);
    grid->addWidget(makeFieldLabel(this, QStringLiteral("联系部门电子信箱")), 4, 4);
    grid->addWidget(Edt_61, 4, 5);
    grid->addWidget(makeFieldLabel(this, QStringLiteral("单位属性")), 5, 0);
    grid->addWidget(cb_62, 5, 1);
    grid->addWidget(makeFieldLabel(this, QStringLiteral("企业所有制属性")), 5, 2);
    grid->addWidget(CB_41_3, 5, 3);
    grid->addWidget(cb_163, 5, 4, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(5, 1);
}

// The code lists: ten slots each, five to a line.
void TFpage4a::buildCodeLists(QVBoxLayout *page)
{
    struct ListShape {
        const char *panel, *field, *prefix;
    };
    const ListShape shapes[4] = {{"Panel4", "item_124_2", "edt_124_2_"},
                                 {"Panel5", "item_15_1", "edt_15_1_"},
                                 {"Panel6", "item_124_1", "edt_124_1_"},
                                 {"Panel7", "item_15", "edt_15_"}};
    QWidget **panels[4] = {&Panel4, &Panel5, &Panel6, &Panel7};
    QVBoxLayout *groups[2] = {};
    const char *headings[2] = {"研发方向", "研发优势"};
    for (int g = 0; g < 2; ++g) {
        auto *box = new QGroupBox(QString::fromUtf8(headings[g]), this);
        box->setObjectName(g == 0 ? QStringLiteral("GroupBox1") : QStringLiteral("GroupBox2"));
        groups[g] = new QVBoxLayout(box);
        groups[g]->setContentsMargins(6, 2, 6, 4);
        groups[g]->setSpacing(2);
        page->addWidget(box);
    }
    for (int i = 0; i < 4; ++i) {
        UnitCodeList &list = lists[i];
        list.field = QLatin1String(shapes[i].field);
        list.prefix = QLatin1String(shapes[i].prefix);
        list.caption = QString::fromUtf8(kListCaptions[i]);
        auto *row = new QHBoxLayout;
        row->setSpacing(4);
        auto *label = new QLabel(list.caption, this);
        label->setFixedWidth(84);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row->addWidget(label, 0, Qt::AlignTop);
        auto *panel = new QWidget(this);
        panel->setObjectName(QLatin1String(shapes[i].panel));
        *panels[i] = panel;
        list.panel = panel;
        auto *slotGrid = new QGridLayout(panel);
        slotGrid->setContentsMargins(0, 0, 0, 0);
        slotGrid->setHorizontalSpacing(0);
        slotGrid->setVerticalSpacing(2);
        for (int s = 0; s < 10; ++s) {
            const QString tail = list.prefix.mid(4) + QString::number(s + 1);   // "124_2_3"
            // A code item wider than its slot ends in "…", whole in its tip.
            QLineEdit *e = new ElidedLineEdit(panel);
            e->setObjectName(QStringLiteral("edt_") + tail);
            limitGbkBytes(e, kCodeItemBytes);
            e->setMinimumWidth(60);
            auto *drop = new QToolButton(panel);
            drop->setObjectName(QStringLiteral("cb_") + tail);
            drop->setArrowType(Qt::DownArrow);
            drop->setFixedSize(18, 22);
            drop->setToolTip(QStringLiteral("从分类表中选择"));
            list.edits[s] = e;
            list.drops[s] = drop;
            const int r = s / 5, c = (s % 5) * 3;
            slotGrid->addWidget(e, r, c);
            slotGrid->addWidget(drop, r, c + 1);
            if (s % 5 != 4)
                slotGrid->addItem(new QSpacerItem(6, 1, QSizePolicy::Fixed), r, c + 2);
            slotGrid->setColumnStretch(c, 1);
        }
        row->addWidget(panel, 1);
        groups[i / 2]->addLayout(row);
    }
}

// The three long texts, each opened in its dialog by a click.
void TFpage4a::buildTexts(QVBoxLayout *page)
{
    Memo1 = makeMemo(this, QStringLiteral("Memo1"));
    Memo2 = makeMemo(this, QStringLiteral("Memo2"));
    Memo3 = makeMemo(this, QStringLiteral("Memo3"));
    {
        auto *texts = new QGridLayout;
        texts->setHorizontalSpacing(8);
        texts->setVerticalSpacing(1);
        const QList<QPair<QString, QPlainTextEdit *>> memos = {{QStringLiteral("单位简介"), Memo3},
                                                                {QStringLiteral("研发优势简要说明"), Memo2},
                                                                {QStringLiteral("简要说明及补充"), Memo1}};
        for (int i = 0; i < memos.size(); ++i) {
            texts->addWidget(new QLabel(memos[i].first, this), 0, i);
            texts->addWidget(memos[i].second, 1, i);
            texts->setColumnStretch(i, 1);
        }
        page->addLayout(texts, 1);
    }
}

void TFpage4a::connectHandlers()
{
    connect(btnSave01, &QPushButton::clicked, this, platform::handlerSlot(this, [this] { btnSave01Click(); }));
    connect(quit01, &QPushButton::clicked, this, platform::handlerSlot(this, [this] { quit01Click(); }));
    connect(BitBtndtr, &QPushButton::clicked, this, platform::handlerSlot(this, [this] { BitBtndtrClick(); }));
    connect(Button2, &QPushButton::clicked, this, platform::handlerSlot(this, [this] { Button2Click(); }));
    connect(cb_62, &QComboBox::activated, this, platform::handlerSlot(this, [this] { cb_62Change(); }));
    for (int n = 0; n < 40; ++n) {
        QLineEdit *e = codeEdit(n);
        const QString marker = QStringLiteral("item_") + e->objectName().mid(4);
        connect(e, &QLineEdit::textChanged, this, [this, e, marker] {
            Edit1->setText(marker);
            // A long name shows from its code on.
            if (!e->hasFocus())
                e->setCursorPosition(0);
        });
        connect(lists[n / 10].drops[n % 10], &QToolButton::clicked, this,
                platform::handlerSlot(this, [this, n] { dropDown(n); }));
    }
    for (QPlainTextEdit *m : {Memo1, Memo2, Memo3})
        m->viewport()->installEventFilter(this);
}

bool TFpage4a::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == Memo1->viewport())
            platform::runHandler(this, [this] { Memo1Click(); });
        else if (watched == Memo2->viewport())
            platform::runHandler(this, [this] { Memo2Click(); });
        else if (watched == Memo3->viewport())
            platform::runHandler(this, [this] { Memo3Click(); });
    }
    return QDialog::eventFilter(watched, event);
}

void TFpage4a::showEvent(QShowEvent *e)
{
    FormShow();
    QDialog::showEvent(e);
    // Centred at its first showing; later showings keep its place.
    if (!e->spontaneous() && !m_placed) {
        m_placed = true;
        if (QScreen *s = QGuiApplication::primaryScreen())
            move(s->availableGeometry().center() - rect().center());
    }
}

void TFpage4a::FormShow()
{
    setFixedSize(PageWidth, PageHeight);
    Edit1->clear();
}

void TFpage4a::resizeEvent(QResizeEvent *e)
{
    if (e->size() != QSize(PageWidth, PageHeight))
        resize(PageWidth, PageHeight);
    QDialog::resizeEvent(e);
}

void TFpage4a::closeEvent(QCloseEvent *e)
{
    // A close asked for by the window system goes through "退出".
    if (m_leaving || !isVisible()) {
        QDialog::closeEvent(e);
        return;
    }
    e->ignore();
    platform::runHandler(this, [this] { quit01Click(); });
}

void TFpage4a::reject()
{
    // Escape leaves as "退出" does.
    if (m_leaving)
        QDialog::reject();
    else
        platform::runHandler(this, [this] { quit01Click(); });
}

// ---------------------------------------------------------------------------
// Load

void TFpage4a::setEnterpriseControls(bool enterprise)
{
    CB_41_3->setEnabled(enterprise);
    cb_163->setEnabled(enterprise);
}

void TFpage4a::UnpackCodes(const QString &list, UnitCodeList &codes, db::Table &table)
{
    const QStringList entries = UnpackCodeList(list);
    for (int i = 0; i < 10; ++i) {
        QLineEdit *e = codes.edits[i];
        const QString code = entries.value(i);
        if (code.isEmpty()) {
            e->clear();
            continue;
        }
        // A "*" would make the filter a prefix match: such a code is no
        // code of the table.
        bool found = false;
        if (!code.contains(QLatin1Char('*'))) {
            table.close();
            table.setFiltered(false);
            table.setFilter(db::equalsFilter(QStringLiteral("xxdm"), code));
            table.setFiltered(true);
            table.open();
            if (!table.isEmpty() && table.fieldCount() >= 3) {
                e->setText(table.field(1).asString().trimmed() + QStringLiteral("  ")
                           + table.field(2).asString().trimmed());
                found = true;
            }
        }
        // A code the table lacks stays visible, and a save keeps it.
        if (!found)
            e->setText(code);
    }
}

void TFpage4a::LoadUnitPage()
{
    m_rowWhenLoaded = unitHasRow();
    edt_9->setText(unitText(QStringLiteral("item_9")));
    edt_420->setText(unitText(QStringLiteral("item_420")));
    Edt_37->setText(unitText(QStringLiteral("item_37")));
    Edt_38->setText(unitText(QStringLiteral("item_38")));
    Edt_39->setText(unitText(QStringLiteral("item_39")));
    Edt_40->setText(unitText(QStringLiteral("item_40")));
    Edt_60->setText(unitText(QStringLiteral("item_60")));
    Edt_41->setText(unitText(QStringLiteral("item_41")));
    Edt_61->setText(unitText(QStringLiteral("item_61")));
    Edt_41_2->setText(unitText(QStringLiteral("item_41_2")));
    Memo3->setPlainText(unitText(QStringLiteral("unitintrod")));
    Memo2->setPlainText(unitText(QStringLiteral("advantage")));
    Memo1->setPlainText(unitText(QStringLiteral("studydirec")));

    const QString attribute = unitText(QStringLiteral("item_62")).trimmed();
    MainForm->FillComboFromDict(DM->Tblzdxx, QStringLiteral("item_62"), true, cb_62);
    cb_62->setCurrentIndex(-1);
    MainForm->SelectComboByCode(attribute, cb_62);

    const bool enterprise = isEnterpriseAttribute(attribute);
    setEnterpriseControls(enterprise);
    cb_163->setChecked(enterprise && unitText(QStringLiteral("item_163")).trimmed() == QLatin1String("1"));

    MainForm->FillComboFromDict(DM->Tblzdxx, QStringLiteral("item_41_3"), true, CB_41_3);
    CB_41_3->setCurrentIndex(-1);
    if (enterprise)
        MainForm->SelectComboByCode(unitText(QStringLiteral("item_41_3")).trimmed(), CB_41_3);

    MainForm->FillComboCodeName(DM->tblProvince, cb_64, QStringLiteral("Province_i"), QStringLiteral("Province_n"),
                                true);
    cb_64->setCurrentIndex(-1);
    MainForm->SelectComboByCode(unitText(QStringLiteral("item_64")).trimmed(), cb_64);

    UnpackCodes(unitText(QStringLiteral("item_124_1")), lists[2], DM->Tblgxjs);
    UnpackCodes(unitText(QStringLiteral("item_124_2")), lists[0], DM->Tblgxjs);
    UnpackCodes(unitText(QStringLiteral("item_15_1")), lists[1], DM->Txkfl2);
    UnpackCodes(unitText(QStringLiteral("item_15")), lists[3], DM->Txkfl2);
}

// ---------------------------------------------------------------------------
// Checks and stored values

QString TFpage4a::PackCodes(const UnitCodeList &codes) const
{
    QStringList texts;
    for (QLineEdit *e : codes.edits)
        texts << e->text();
    return PackCodeTexts(texts);
}

TFpage4a::Failure TFpage4a::firstFailure() const
{
    UnitFacts f;
    f.name = edt_9->text();
    f.address = Edt_37->text();
    f.postcode = Edt_38->text();
    f.phone = Edt_39->text();
    f.fax = Edt_40->text();
    f.introduction = Memo3->toPlainText();
    f.department = Edt_41->text();
    f.departmentPhone = Edt_41_2->text();
    for (int i = 0; i < 4; ++i)
        f.lists[i] = PackCodes(lists[i]);
    Failure out;
    const int rule = brokenRule(f, &out.message);
    QWidget *const focus[] = {nullptr, edt_9,  Edt_37, Edt_38, Edt_38, Edt_38,   Edt_39,   Edt_40,
                              Memo3,   Memo3,  Edt_41, Edt_41_2, lists[0].edits[0], lists[1].edits[0],
                              lists[2].edits[0], lists[3].edits[0]};
    out.focus = focus[rule];
    return out;
}

bool TFpage4a::passesChecks() const
{
    return firstFailure().message.isEmpty();
}

void TFpage4a::ValidateUnit()
{
    const Failure f = firstFailure();
    if (f.message.isEmpty())
        return;
    MainForm->ShowMsg(f.message);
    if (f.focus)
        f.focus->setFocus(Qt::OtherFocusReason);
    platform::abortSilently();
}

RecordValues TFpage4a::unitValues() const
{
    constexpr bool fixed = false;   // not shown, so no part of the change test
    RecordValues v;
    v.set(QStringLiteral("item_9"), edt_9->text().trimmed());
    v.set(QStringLiteral("item_420"), edt_420->text());
    v.set(QStringLiteral("item_37"), Edt_37->text());
    v.set(QStringLiteral("chiefexper"), kChiefExpert, fixed);
    v.set(QStringLiteral("item_38"), Edt_38->text());
    v.set(QStringLiteral("item_39"), Edt_39->text());
    v.set(QStringLiteral("item_40"), Edt_40->text());
    v.set(QStringLiteral("item_60"), Edt_60->text());
    v.set(QStringLiteral("item_41"), Edt_41->text());
    v.set(QStringLiteral("item_61"), Edt_61->text());
    v.set(QStringLiteral("item_41_2"), Edt_41_2->text());
    v.set(QStringLiteral("unitcode"), kOwnUnitCode, fixed);
    v.set(QStringLiteral("advantage"), Memo2->toPlainText());
    v.set(QStringLiteral("unitintrod"), Memo3->toPlainText());
    v.set(QStringLiteral("studydirec"), Memo1->toPlainText());
    v.set(QStringLiteral("endlevel"), QStringLiteral("1"), fixed);
    v.set(QStringLiteral("unitlevel"), QStringLiteral("1"), fixed);
    const QString attribute = comboCode(cb_62);
    v.set(QStringLiteral("item_62"), attribute);
    if (!isEnterpriseAttribute(attribute)) {
        v.set(QStringLiteral("item_41_3"), QString());
        v.set(QStringLiteral("item_163"), QString());
    } else {
        v.set(QStringLiteral("item_41_3"), comboCode(CB_41_3));
        v.set(QStringLiteral("item_163"), cb_163->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    }
    v.set(QStringLiteral("item_64"), comboCode(cb_64));
    // The code lists are compared through the change marker.
    v.set(QStringLiteral("item_124_1"), PackCodes(lists[2]), fixed);
    v.set(QStringLiteral("item_124_2"), PackCodes(lists[0]), fixed);
    v.set(QStringLiteral("item_15_1"), PackCodes(lists[1]), fixed);
    v.set(QStringLiteral("item_15"), PackCodes(lists[3]), fixed);
    return v;
}

bool TFpage4a::UnitUnchanged()
{
    if (!Edit1->text().isEmpty())
        return false;
    const RecordValues values = unitValues();
    if (unitHasRow())
        return values.differences(DM->Tblunit).isEmpty();
    // Without a row, anything entered is a change.
    for (const RecordValues::Entry &e : values.entries())
        if (e.compared && !e.text.trimmed().isEmpty())
            return false;
    return true;
}

void TFpage4a::WriteUnitFields()
{
    const RecordValues values = unitValues();
    for (int i = 0; i < 4; ++i)
        if (db::gbk::byteLength(PackCodes(lists[i])) > CodeListWidth)
            throw base::Error(listTooLong(i));
    db::Table &t = DM->Tblunit;
    if (!t.isActive())
        t.open();
    if (t.isEmpty())
        t.append();
    else
        t.edit();
    values.writeTo(t);
}

void TFpage4a::saveChecked()
{
    ValidateUnit();
    db::Table &t = DM->Tblunit;
    try {
        WriteUnitFields();
        t.post();
    } catch (...) {
        if (t.isActive())
            t.cancel();
        throw;
    }
    t.flush();
    Edit1->clear();
    MainForm->ShowMsg(platform::SavedMessage);
}

// ---------------------------------------------------------------------------
// Handlers

void TFpage4a::btnSave01Click()
{
    saveChecked();
}

void TFpage4a::leaveUnfilledOrStay(const QString &question, const QString &caption, QWidget *focus)
{
    const int answer = platform::messageBox(this, question, caption, platform::Icon::Question, platform::Yes | platform::No);
    if (answer != platform::Yes) {
        if (focus)
            focus->setFocus(Qt::OtherFocusReason);
        platform::abortSilently();
    }
    Edit1->clear();
    m_leaving = true;
    done(QDialog::Rejected);
    m_leaving = false;
}

void TFpage4a::endProgramOrStay(QWidget *focus)
{
    leaveUnfilledOrStay(kEndQuestion, AppTitle, focus);
    MainForm->EndStart();
}

void TFpage4a::quit01Click()
{
    // At the first start the page cannot be left without a complete
    // organisation; the user may end the program instead, writing nothing.
    if (m_firstStart && !passesChecks()) {
        endProgramOrStay(firstFailure().focus);
        return;
    }
    // Opened later with nothing stored yet, it may be left unfilled: the
    // record commands stay off and the main window's status line says why.
    // A half row the leaders button stored meanwhile does not close this
    // way out.
    const bool nothingStoredBefore = !m_rowWhenLoaded || !unitHasRow();
    if (nothingStoredBefore && !passesChecks()) {
        leaveUnfilledOrStay(kLeaveUnstoredQuestion, platform::AttentionCaption, firstFailure().focus);
        return;
    }
    ValidateUnit();
    if (!UnitUnchanged()) {
        const int answer = platform::messageBox(this, platform::UnsavedQuestion, platform::AttentionCaption,
                                                platform::Icon::Question, platform::Yes | platform::No);
        if (answer == platform::Yes)
            saveChecked();
    }
    // Once a row is stored, it is the organisation's: it must pass the
    // checks before the page lets go.  With no row at all the main window
    // keeps its commands off and asks again at the next start.
    if (unitHasRow() && !UnitRowComplete()) {
        if (m_firstStart) {
            endProgramOrStay(nullptr);
            return;
        }
        if (!nothingStoredBefore) {
            MainForm->ShowMsg(kRowRequired);
            platform::abortSilently();
        }
    }
    Edit1->clear();
    m_leaving = true;
    done(QDialog::Accepted);
    m_leaving = false;
}

void TFpage4a::Button2Click()
{
    db::Table &t = DM->Tblunit;
    try {
        WriteUnitFields();
        t.post();
        t.flush();
    } catch (const base::Error &e) {
        if (t.isActive())
            t.cancel();
        platform::messageBox(this, e.message(), platform::NoteCaption, platform::Icon::Error, platform::Ok);
    } catch (const std::exception &e) {
        if (t.isActive())
            t.cancel();
        platform::messageBox(this, QString::fromLocal8Bit(e.what()), platform::NoteCaption, platform::Icon::Error,
                             platform::Ok);
    }
}

void TFpage4a::BitBtndtrClick()
{
    Button2Click();
    // The list filters the leaders to the unit code of the stored row.
    openDisciplineLeaders();
}

void TFpage4a::cb_62Change()
{
    MainForm->FillComboFromDict(DM->Tblzdxx, QStringLiteral("item_41_3"), true, CB_41_3);
    CB_41_3->setCurrentIndex(-1);
    showEnterpriseDetails(isEnterpriseAttribute(comboCode(cb_62)), CB_41_3, cb_163);
}

void TFpage4a::dropDown(int flag)
{
    ClearTreeFlags();
    TreeFlagsPage4a[flag] = true;
    if (FormTree)
        platform::showModal(FormTree);
}

void TFpage4a::Memo1Click()
{
    if (!Formstudy)
        return;
    Formstudy->Memo1->setPlainText(Memo1->toPlainText());
    platform::showModal(Formstudy);
}

void TFpage4a::Memo2Click()
{
    if (!formadvantage)
        return;
    formadvantage->Memo1->setPlainText(Memo2->toPlainText());
    platform::showModal(formadvantage);
}

void TFpage4a::Memo3Click()
{
    if (!formunitintrod)
        return;
    formunitintrod->Memo1->setPlainText(Memo3->toPlainText());
    platform::showModal(formunitintrod);
}

// ---------------------------------------------------------------------------

void wireOrganisationPage()
{
    MainForm->organisationReady = [] { return UnitRowComplete(); };
    MainForm->openOrganisation = [] {
        if (!Fpage4a)
            return;
        // A page that cannot be loaded is not shown: its save would store
        // what it failed to read as empty.
        if (platform::runHandler(MainForm, [] { Fpage4a->LoadUnitPage(); })) {
            Fpage4a->setFirstStart(MainForm->inFirstShowing());
            platform::showModal(Fpage4a);
            Fpage4a->setFirstStart(false);
        }
        MainForm->UpdateOrganisationState();
    };
}
