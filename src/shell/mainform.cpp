#include "mainform.h"

#include "data/dm.h"
#include "data/schema.h"
#include "db/error.h"
#include "forms/dbgrid.h"
#include "formwel.h"
#include "platform/widgets/dispatch.h"
#include "platform/core/seams.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

const QString AppTitle = QStringLiteral("Sorvel－【QuentaV6.0】");
const QString MainCaption = QStringLiteral("Sorvel【QuentaV6.0】");
const QString MsgCaption = QStringLiteral("Sorvel");
const QString NoOrganisationHint =
    QStringLiteral("尚未储存本单位情况，成果登记的命令暂不能使用：请点击“单位情况”，填写完整并储存。");
QString ListSQL;
QString EditOldItem4;
QString EditOldItem3;
TMainForm *MainForm = nullptr;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 570;

QIcon markIcon(bool complete)
{
    QPixmap pm(18, 18);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (complete) {
        p.setPen(QPen(QColor(0x1b, 0x8a, 0x3a), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(3, 9.5), QPointF(7.5, 14), QPointF(15, 4)}));
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xd9, 0x8a, 0x10));
        p.drawEllipse(QRectF(1, 1, 16, 16));
        p.setPen(Qt::white);
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(13);
        p.setFont(f);
        p.drawText(QRectF(1, 1, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
    }
    return QIcon(pm);
}

template <class W>
W *make(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *w = new W(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(geometry);
    return w;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    auto *b = make<QPushButton>(parent, name, geometry);
    b->setText(caption);
    return b;
}

} // namespace

TMainForm::TMainForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(MainCaption);
    setFixedSize(kWidth, kHeight);
    platform::setErrorCaption(AppTitle);
    buildControls();
}

void TMainForm::buildControls()
{
    auto *lb1 = make<QLabel>(this, "Label1", QRect(10, 12, 70, 20));
    lb1->setText(QStringLiteral("成果类型："));
    ComboBox1 = make<QComboBox>(this, "ComboBox1", QRect(80, 9, 120, 24));
    ComboBox1->addItems({QStringLiteral("应用技术"), QStringLiteral("软科学"), QStringLiteral("基础理论")});
    auto *lb2 = make<QLabel>(this, "Label2", QRect(218, 12, 70, 20));
    lb2->setText(QStringLiteral("登记年度："));
    cbYear = make<QComboBox>(this, "cbYear", QRect(288, 9, 90, 24));
    cbYear->setEditable(true);
    cbYear->setInsertPolicy(QComboBox::NoInsert);

    DBGrid1 = make<DBGrid>(this, "DBGrid1", QRect(8, 40, 560, 300));
    QVector<DBGrid::Column> cols = {{QStringLiteral("NO"), QStringLiteral("序号"), 44, true},
                                    {QStringLiteral("ITEM_120"), QStringLiteral("批准登记号"), 130, true},
                                    {QStringLiteral("ITEM_3"), QStringLiteral("成果名称"), 200, true},
                                    {QStringLiteral("ITEM_9"), QStringLiteral("成果完成单位"), 170, true}};
    // Every other field of the record is a hidden column.
    for (const db::FieldDef &f : data::kjcgFields()) {
        bool shown = false;
        for (const DBGrid::Column &c : cols)
            shown = shown || c.field.compare(f.name, Qt::CaseInsensitive) == 0;
        if (!shown)
            cols.append({f.name, f.name, 60, false});
    }
    DBGrid1->setColumns(cols);
    DBGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    Panel8 = make<QWidget>(this, "Panel8", QRect(576, 40, 216, 300));
    Panel8->setAutoFillBackground(true);
    const struct { QPushButton **slot; const char *name; const char *caption; } pages[] = {
        {&btn_page01, "btn_page01", "成果概况"},
        {&btn_page02, "btn_page02", "知识产权，成果应用情况"},
        {&btn_page03, "btn_page03", "课题立项，评价情况"},
        {&btn_page04, "btn_page04", "第一完成单位情况"},
        {&btn_page05, "btn_page05", "合作完成单位情况"},
        {&btn_page07, "btn_page07", "评价委员会名单"},
        {&btn_page08, "btn_page08", "成果完成人员名单"},
        {&btn_page09, "btn_page09", "评价证书内容"},
    };
    int y = 4;
    for (const auto &p : pages) {
        QPushButton *b = button(Panel8, p.name, QString::fromUtf8(p.caption), QRect(4, y, 208, 33));
        b->setStyleSheet(QStringLiteral("text-align: left; padding-left: 8px;"));
        b->setIconSize(QSize(18, 18));
        setPageComplete(b, true);
        *p.slot = b;
        y += 37;
    }

    const struct { QPushButton **slot; const char *name; const char *caption; } commands[] = {
        {&Button1, "Button1", "新增"},   {&Button5, "Button5", "修改主项"}, {&Button4, "Button4", "删除"},
        {&BitBtn1, "BitBtn1", "导入"},   {&BitBtn2, "BitBtn2", "导出"},     {&BitBtn4, "BitBtn4", "打印"},
        {&BitBtn3, "BitBtn3", "更新指标项"}, {&Button2, "Button2", "单位情况"}, {&BitBtn7, "BitBtn7", "退出"},
    };
    int x = 8;
    for (const auto &c : commands) {
        *c.slot = button(this, c.name, QString::fromUtf8(c.caption), QRect(x, 348, 82, 28));
        x += 87;
    }

    GroupBox1 = make<QGroupBox>(this, "GroupBox1", QRect(8, 382, 784, 162));
    GroupBox1->setTitle(QStringLiteral("查询条件输入区"));
    ComboBox2 = make<QComboBox>(GroupBox1, "ComboBox2", QRect(10, 24, 160, 24));
    ComboBox4 = make<QComboBox>(GroupBox1, "ComboBox4", QRect(176, 24, 64, 24));
    ComboBox4->addItems({QStringLiteral("包含"), QStringLiteral("="), QStringLiteral("<"), QStringLiteral(">"),
                         QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("<>"), QString()});
    Combobox3 = make<QComboBox>(GroupBox1, "Combobox3", QRect(246, 24, 290, 24));
    Combobox3->setToolTip(QStringLiteral("选择查询条件，加‘**’的选项为1.0版的指标项"));
    ComboBox6 = make<QToolButton>(GroupBox1, "ComboBox6", QRect(246, 24, 20, 24));
    ComboBox6->setArrowType(Qt::DownArrow);
    Edit2 = make<QLineEdit>(GroupBox1, "Edit2", QRect(266, 24, 250, 24));
    ComboBox5 = make<QToolButton>(GroupBox1, "ComboBox5", QRect(516, 24, 20, 24));
    ComboBox5->setArrowType(Qt::DownArrow);
    SpeedButton24 = button(GroupBox1, "SpeedButton24", QStringLiteral("加入"), QRect(544, 23, 70, 26));

    const struct { QPushButton **slot; const char *name; const char *caption; } ops[] = {
        {&SpeedButton15, "SpeedButton15", "and"}, {&SpeedButton18, "SpeedButton18", "or"},
        {&SpeedButton17, "SpeedButton17", "not"}, {&SpeedButton20, "SpeedButton20", "("},
        {&SpeedButton21, "SpeedButton21", ")"},   {&SpeedButton23, "SpeedButton23", "剪切"},
    };
    x = 10;
    for (const auto &o : ops) {
        *o.slot = button(GroupBox1, o.name, QString::fromUtf8(o.caption), QRect(x, 56, 52, 24));
        x += 57;
    }
    MMSysV = make<QPlainTextEdit>(GroupBox1, "MMSysV", QRect(10, 86, 604, 68));
    MMSysV->setReadOnly(true);
    SpeedButton16 = button(GroupBox1, "SpeedButton16", QStringLiteral("查询"), QRect(626, 86, 148, 31));
    SpeedButton26 = button(GroupBox1, "SpeedButton26", QStringLiteral("恢复"), QRect(626, 123, 148, 31));

    // The status line: why the record commands are off, and where to go.
    StatusBar1 = make<QLabel>(this, "StatusBar1", QRect(0, kHeight - 24, kWidth, 24));
    StatusBar1->setFrameShape(QFrame::StyledPanel);
    StatusBar1->setFrameShadow(QFrame::Sunken);
    StatusBar1->setIndent(8);
    StatusBar1->setStyleSheet(QStringLiteral("color: maroon;"));

    connectHandlers();
}

QList<QPushButton *> TMainForm::pageButtons() const
{
    return {btn_page01, btn_page02, btn_page03, btn_page04, btn_page05, btn_page07, btn_page08, btn_page09};
}

void TMainForm::setPageComplete(QPushButton *b, bool complete)
{
    static const QIcon tick = markIcon(true), question = markIcon(false);
    b->setIcon(complete ? tick : question);
    b->setProperty("complete", complete);
}

bool TMainForm::isPageComplete(const QPushButton *b)
{
    return b->property("complete").toBool();
}





void TMainForm::RefreshRecordList(db::Query &query, QComboBox *category, QPushButton *page02, QComboBox *year)
{
    const int pos = category->currentIndex();
    if (pos < 0 || pos > 2)
        return;
    // Only a four-digit year goes into the statement; anything else typed
    // into the year choice shows an empty list.
    const QString y = year->currentText().trimmed().left(4);
    bool digits = y.size() == 4;
    for (QChar c : y)
        digits = digits && c.unicode() >= '0' && c.unicode() <= '9';
    const QString condition = digits ? QStringLiteral("item_4 like '") + y + QStringLiteral("%'") : QStringLiteral("1=0");
    query.close();
    query.setDatabaseName(DataPath);
    query.setSQL(QStringLiteral("select * from kjcg where item_cglb='%1' and ").arg(pos + 1) + condition);
    query.open();
    page02->setVisible(pos == 0);
    ListSQL = query.sql();
}

void TMainForm::RenumberList()
{
    BulkListWork bulk(this);
    db::Query &q = DM->Qrykjcg;
    DBGrid1->setDataSource(&DM->DS_null);
    q.first();
    const int n = q.recordCount();
    for (int i = 1; i <= n; ++i) {
        q.edit();
        q.fieldByName(QStringLiteral("no")).setAsString(QString::number(i));
        q.post();
        q.next();
    }
    q.flush();
    DBGrid1->setDataSource(&DM->DSQkjcg);
    q.first();
}


void TMainForm::FormShow()
{
    BulkListWork bulk(this);
    if (!m_listConnected) {
        connectRecordList();
        m_listConnected = true;
    }
    // 1. The program's own date and time formats are fixed (platform).
    // 2. The splash window, closed by its timer.
    if (formwel && !formwel->timedOut())
        platform::showModal(formwel);
    // 3. Without the organisation's complete row, its page comes first; the
    // user may end the program there.
    if (!hasOrganisation() && openOrganisation) {
        m_firstShowing = true;
        try {
            openOrganisation();
        } catch (...) {
            m_firstShowing = false;
            throw;
        }
        m_firstShowing = false;
    }
    if (formwel)
        formwel->close();
    if (m_startEnded)
        return;
    // 4.
    Edit2->hide();
    ComboBox5->hide();
    ComboBox6->hide();
    // 5. The query builder's items.
    FillQueryItems(DM->tblzdxx1, ComboBox2);
    // 6. The years of the records, newest first.  The keys are read as
    // they lie (FillYearList orders the few years it finds), never sorted.
    DM->OpenQuerySQL(DM->tempquery, QStringLiteral("select * from kjcg"));
    FillYearList(DM->tempquery, cbYear);
    // 7.
    ComboBox1->setCurrentIndex(0);
    cbYear->setCurrentIndex(0);
    ComboBox2->setCurrentIndex(0);
    // 8. The codes of the first query item.
    if (ComboBox2->count() > 0)
        FillComboFromDict(DM->Tblzdxx, ComboBox2->currentData().toString(), false, Combobox3);
    Combobox3->setCurrentIndex(0);
    ComboBox4->setCurrentIndex(0);
    // 9. Without the organisation's row the record commands stay off.
    setOrganisationControls();
    // 10. The record list.
    DBGrid1->setDataSource(&DM->DSQkjcg);
    RefreshRecordList(DM->Qrykjcg, ComboBox1, btn_page02, cbYear);
    RenumberList();
    // 11. The current record's marks and lock, by the rule every later
    // recomputation follows (without the organisation's row the record
    // commands are off already).
    if (hasOrganisation()) {
        UpdatePageStatus();
        UpdateCommandState();
    }
}


void TMainForm::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (m_shown)
        return;
    m_shown = true;
    if (QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void TMainForm::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    if (width() != kWidth || height() != kHeight)
        resize(kWidth, kHeight);
}

void TMainForm::closeEvent(QCloseEvent *e)
{
    bool allowed = false;
    platform::runHandler(this, [&] { allowed = CanClose(); });
    if (!allowed) {
        e->ignore();
        return;
    }
    e->accept();
    if (formwel)
        formwel->close();
}


void TMainForm::setOrganisationControls()
{
    const bool hasUnit = hasOrganisation();
    StatusBar1->setText(hasUnit ? QString() : NoOrganisationHint);
    QList<QWidget *> needUnit = {Button1, Button5, BitBtn2, BitBtn3, BitBtn4, cbYear, ComboBox1, DBGrid1};
    for (QPushButton *b : pageButtons())
        needUnit << b;
    for (QWidget *w : needUnit)
        w->setEnabled(hasUnit);
    if (hasUnit) {
        Button4->setEnabled(true);
        BitBtn1->setEnabled(true);
    }
}

bool TMainForm::hasOrganisation() const
{
    if (organisationReady)
        return organisationReady();
    return DM && DM->Tblunit.isActive() && !DM->Tblunit.isEmpty();
}

void TMainForm::UpdateOrganisationState()
{
    setOrganisationControls();
    if (m_firstShowing)
        return;
    UpdatePageStatus();
    UpdateCommandState();
}
