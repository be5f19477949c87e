#include "exchange/ui/formout.h"

#include "data/dm.h"
#include "db/expr.h"
#include "exchange/archiver.h"
#include "exchange/exporter.h"
#include "exchange/ui/windowprompt.h"
#include "platform/widgets/dispatch.h"
#include "platform/core/seams.h"
#include "forms/dbgrid.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

TFormout *Formout = nullptr;

namespace {
template <typename T>
T *named(T *w, const char *name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

QString defaultFolder() { return QDir::homePath() + QStringLiteral("/国家SorvelQuenta【V6.0】"); }
} // namespace

TFormout::TFormout(QWidget *parent)
    : QDialog(parent), m_arj(std::make_unique<exchange::ArjArchiver>()), m_archiver(m_arj.get())
{
    setObjectName(QStringLiteral("Formout"));
    setWindowTitle(QStringLiteral("数据导出"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(760, 540);

    DBGrid1 = named(new DBGrid(this), "DBGrid1");
    DBGrid1->setColumns({{QStringLiteral("ITEM_3"), QStringLiteral("成果名称"), 360}, {QStringLiteral("ITEM_9"), QStringLiteral("完成单位"), 300}});
    DBGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DBGrid1->setToolTip(QStringLiteral("多条选择，按住ctrl键！"));
    DBGrid1->setStyleSheet(QStringLiteral("QTableView { selection-background-color: #800000; selection-color: white; }"));
    DBGrid1->setDataSource(&DM->DS_temp_out);

    Edit1 = named(new QLineEdit(this), "Edit1");
    Edit1->setReadOnly(true);
    btnFolder = named(new QPushButton(QStringLiteral("选择文件夹"), this), "btnFolder");
    RadioButton5 = named(new QRadioButton(QStringLiteral("全部"), this), "RadioButton5");
    RadioButton7 = named(new QRadioButton(QStringLiteral("年份"), this), "RadioButton7");
    ComboBox2 = named(new QComboBox(this), "ComboBox2");
    Button2 = named(new QPushButton(QStringLiteral("导出"), this), "Button2");
    Button1 = named(new QPushButton(QStringLiteral("退出"), this), "Button1");
    Label1 = named(new QLabel(QStringLiteral("选择了0条记录"), this), "Label1");
    Panelstat = named(new QWidget(this), "Panelstat");
    Gauge1 = named(new QProgressBar(Panelstat), "Gauge1");
    auto *statLayout = new QHBoxLayout(Panelstat);
    statLayout->addWidget(new QLabel(QStringLiteral("正在处理数据"), Panelstat));
    statLayout->addWidget(Gauge1, 1);
    Panelstat->hide();

    auto *range = named(new QGroupBox(QStringLiteral("导出范围"), this), "GroupBox1");
    auto *rl = new QHBoxLayout(range);
    rl->addWidget(RadioButton5);
    rl->addWidget(RadioButton7);
    rl->addWidget(ComboBox2);
    rl->addStretch();
    auto *folder = new QHBoxLayout;
    folder->addWidget(new QLabel(QStringLiteral("导出到："), this));
    folder->addWidget(Edit1, 1);
    folder->addWidget(btnFolder);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Label1, 1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(folder);
    layout->addWidget(range);
    layout->addWidget(DBGrid1, 1);
    layout->addWidget(Panelstat);
    layout->addLayout(buttons);

    connect(RadioButton5, &QRadioButton::clicked, this, [this] { platform::runHandler(this, [this] { RadioButton5Click(); }); });
    connect(RadioButton7, &QRadioButton::clicked, this, [this] { platform::runHandler(this, [this] { RadioButton7Click(); }); });
    connect(ComboBox2, &QComboBox::activated, this, [this] { platform::runHandler(this, [this] { ComboBox2Change(); }); });
    connect(btnFolder, &QPushButton::clicked, this, [this] { platform::runHandler(this, [this] { btnFolderClick(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { platform::runHandler(this, [this] { Button2Click(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { platform::runHandler(this, [this] { Button1Click(); }); });
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { updateCount(); });
    Button2->setEnabled(DM->T_temp_out.isActive() && !DM->T_temp_out.isEmpty());
    m_stop.watch(*m_archiver, Button1);
}

TFormout::~TFormout() = default;

void TFormout::setArchiver(exchange::Archiver *archiver)
{
    m_archiver = archiver;
    m_stop.watch(*m_archiver, Button1);
}

void TFormout::showEvent(QShowEvent *e)
{
    if (!e->spontaneous())
        platform::runHandler(this, [this] { FormShow(); });
    QDialog::showEvent(e);
}

void TFormout::FormShow()
{
    // Years newest first, from the record keys.
    DM->OpenQuerySQL(DM->tempquery, QStringLiteral("select distinct item_4 from kjcg order by item_4 desc"));
    ComboBox2->clear();
    QString previous;
    for (DM->tempquery.first(); !DM->tempquery.eof(); DM->tempquery.next()) {
        const QString year = DM->tempquery.field(0).asString().trimmed().left(4);
        if (year != previous && !year.trimmed().isEmpty())
            ComboBox2->addItem(year);
        previous = year;
    }
    ComboBox2->setCurrentIndex(0);
    ComboBox2->hide();
    RadioButton5->setAutoExclusive(false);
    RadioButton7->setAutoExclusive(false);
    RadioButton5->setChecked(false);
    RadioButton7->setChecked(false);
    RadioButton5->setAutoExclusive(true);
    RadioButton7->setAutoExclusive(true);
    exchange::ArjArchiver arj;
    exchange::Exporter(DataPath, arj, windowPrompt(this)).resetExportMarks();
    DM->T_temp_out.close();
    DBGrid1->refresh();
    Button2->setEnabled(false);
    Edit1->setText(QDir::toNativeSeparators(defaultFolder()));
    Label1->setText(QStringLiteral("选择了0条记录"));
}

void TFormout::selectAllRows()
{
    DBGrid1->refresh();
    DBGrid1->selectAll();
    updateCount();
}

void TFormout::updateCount()
{
    const int n = DBGrid1->selectionModel() ? int(DBGrid1->selectionModel()->selectedRows().size()) : 0;
    Label1->setText(QStringLiteral("选择了%1记录！").arg(n));
}

void TFormout::RadioButton5Click()
{
    DM->T_temp_out.close();
    DM->T_temp_out.setFiltered(false);
    DM->T_temp_out.setFilter(QString());
    DM->T_temp_out.open();
    ComboBox2->hide();
    Button2->setEnabled(true);
    selectAllRows();
}

void TFormout::RadioButton7Click()
{
    ComboBox2->show();
    Button2->setEnabled(true);
}

void TFormout::ComboBox2Change()
{
    // The years are the first four characters of the stored keys; a key
    // another program wrote may hold a quote or a '*', which stay text.
    const QString year = ComboBox2->currentText().trimmed();
    DM->T_temp_out.close();
    DM->T_temp_out.setFiltered(false);
    DM->T_temp_out.setFilter(db::prefixFilter(QStringLiteral("item_4"), year));
    DM->T_temp_out.setFiltered(true);
    DM->T_temp_out.open();
    Button2->setEnabled(true);
    selectAllRows();
}

void TFormout::btnFolderClick()
{
    const QString folder = platform::folderName(this, QStringLiteral("选择导出文件夹"), Edit1->text());
    if (!folder.isEmpty())
        Edit1->setText(QDir::toNativeSeparators(folder));
}

QList<int> TFormout::selectedRows()
{
    QList<int> positions;
    if (DBGrid1->selectionModel()) {
        for (const QModelIndex &i : DBGrid1->selectionModel()->selectedRows())
            positions << i.row();
    }
    QList<int> rows;
    db::Table &t = DM->T_temp_out;
    if (!t.isActive() || t.isEmpty())
        return rows;
    // The grid must not follow these moves: it would drop the selection.
    const QSignalBlocker quiet(&t);
    const int here = t.recNo() - 1;
    for (int p : positions) {
        t.moveToPosition(p);
        rows << t.currentRow();
    }
    t.moveToPosition(std::max(here, 0));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TFormout::Button2Click()
{
    const QList<int> rows = selectedRows();
    Panelstat->show();
    Gauge1->setValue(0);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    {
        const WorkGuard guard(m_busy, {Button2, Button1, btnFolder, RadioButton5, RadioButton7, ComboBox2, DBGrid1});
        exchange::Prompt prompt = windowPrompt(this, Gauge1);
        auto ask = prompt.ask;
        prompt.ask = [ask](const QString &text, const QString &caption, exchange::Tone tone, int buttons) {
            QApplication::restoreOverrideCursor();
            const int a = ask(text, caption, tone, buttons);
            QApplication::setOverrideCursor(Qt::WaitCursor);
            return a;
        };
        exchange::Exporter(DataPath, *m_archiver, prompt).exportRecords(QDir::fromNativeSeparators(Edit1->text()), rows);
    }
    QApplication::restoreOverrideCursor();
    Panelstat->hide();
    if (m_stop.stopped()) {
        Button1Click();
        return;
    }
    // The list follows the marks just written.
    if (DM->T_temp_out.isActive())
        DBGrid1->viewport()->update();
}

void TFormout::reject()
{
    if (m_busy) {
        m_stop.request();
        return;
    }
    platform::runHandler(this, [this] { Button1Click(); });
}

void TFormout::Button1Click()
{
    if (m_busy) {   // the archiver waits: stop it, then leave
        m_stop.request();
        return;
    }
    DM->T_temp_out.close();
    DM->T_temp_out.setFiltered(false);
    DM->T_temp_out.setFilter(QString());
    DM->T_temp_out.open();
    Edit1->clear();
    accept();
}
