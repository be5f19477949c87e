#include "exchange/ui/formin.h"

#include "data/dm.h"
#include "data/records.h"
#include "data/schema.h"
#include "db/error.h"
#include "exchange/archiver.h"
#include "exchange/importer.h"
#include "exchange/ui/fileanimation.h"
#include "exchange/ui/windowprompt.h"
#include "forms/dbgrid.h"
#include "forms/gbkvalidator.h"
#include "platform/core/captions.h"
#include "platform/core/seams.h"
#include "platform/widgets/dispatch.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TFormin *Formin = nullptr;

namespace {
template <typename T>
T *named(T *w, const char *name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}
} // namespace

TFormin::TFormin(QWidget *parent)
    : QDialog(parent), m_arj(std::make_unique<exchange::ArjArchiver>()), m_archiver(m_arj.get())
{
    setObjectName(QStringLiteral("Formin"));
    setWindowTitle(QStringLiteral("数据导入"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(780, 560);

    DBGrid1 = named(new DBGrid(this), "DBGrid1");
    DBGrid1->setColumns({{QStringLiteral("ITEM_3"), QStringLiteral("成果名称"), 360},
                         {QStringLiteral("ITEM_9"), QStringLiteral("完成单位"), 240},
                         {QStringLiteral("ITEM_4"), QStringLiteral("年份"), 100}});
    Button1 = named(new QPushButton(QStringLiteral("请选择导入文件"), this), "Button1");
    Edit1 = named(new QLineEdit(this), "Edit1");
    Edit1->setReadOnly(true);
    Button3 = named(new QPushButton(QStringLiteral("导入"), this), "Button3");
    Button4 = named(new QPushButton(QStringLiteral("排重"), this), "Button4");
    Button6 = named(new QPushButton(QStringLiteral("保存"), this), "Button6");
    Button8 = named(new QPushButton(QStringLiteral("同名覆盖"), this), "Button8");
    Button7 = named(new QPushButton(QStringLiteral("删除"), this), "Button7");
    btnformat = named(new QPushButton(QStringLiteral("修改成果年份"), this), "btnformat");
    Button5 = named(new QPushButton(QStringLiteral("退出"), this), "Button5");
    Label6 = named(new QLabel(this), "Label6");
    Label2 = named(new QLabel(this), "Label2");
    auto *explain = new QLabel(QStringLiteral("先选择导入包“CGSBQY.ARJ”，再按“导入”；按“排重”检查重复的项目。旧格式的导入包请先"), this);
    Label7 = named(new QLabel(QStringLiteral("<a href=\"#\">改名</a>"), this), "Label7");
    Label7->setCursor(Qt::PointingHandCursor);

    Panel1 = named(new QWidget(this), "Panel1");
    Edit2 = named(new QLineEdit(Panel1), "Edit2");
    // The name goes into ITEM_3: as many GBK bytes as the field holds.
    const data::TableSchema &staged = data::schemaFor(data::recordFile(data::Store::Staging));
    limitGbkBytes(Edit2, staged.fields[staged.indexOf(u"ITEM_3")].width);
    Button2 = named(new QPushButton(QStringLiteral("确定"), Panel1), "Button2");
    auto *p1 = new QHBoxLayout(Panel1);
    p1->addWidget(new QLabel(QStringLiteral("请修改成果名称"), Panel1));
    p1->addWidget(Edit2, 1);
    p1->addWidget(Button2);

    Panelstat = named(new QWidget(this), "Panelstat");
    Gauge1 = named(new QProgressBar(Panelstat), "Gauge1");
    auto *ps = new QHBoxLayout(Panelstat);
    ps->addWidget(new QLabel(QStringLiteral("正在处理数据"), Panelstat));
    ps->addWidget(Gauge1, 1);
    Panel4 = named(new QWidget(this), "Panel4");
    Label5 = named(new QLabel(Panel4), "Label5");
    Animate1 = new FileCopyAnimation(Panel4);
    auto *p4 = new QHBoxLayout(Panel4);
    p4->addWidget(Animate1);
    p4->addWidget(Label5, 1);
    m_stop.watch(*m_archiver, Button5);
    m_importer = std::make_unique<exchange::Importer>(DataPath, *m_archiver, importPrompt());

    auto *top = new QHBoxLayout;
    top->addWidget(Button1);
    top->addWidget(Edit1, 1);
    auto *explainRow = new QHBoxLayout;
    explainRow->setSpacing(0);   // the link ends the sentence
    explainRow->addWidget(explain);
    explainRow->addWidget(Label7);
    explainRow->addStretch(1);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {Button3, Button4, Button6, Button8, Button7, btnformat, Button5})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(explainRow);
    layout->addWidget(DBGrid1, 1);
    layout->addWidget(Label6);
    layout->addWidget(Label2);
    layout->addWidget(Panel1);
    layout->addWidget(Panelstat);
    layout->addWidget(Panel4);
    layout->addLayout(buttons);

    platform::onClicked(Button1, this, &TFormin::Button1Click);
    platform::onClicked(Button3, this, &TFormin::Button3Click);
    platform::onClicked(Button4, this, &TFormin::Button4Click);
    platform::onClicked(Button2, this, &TFormin::Button2Click);
    platform::onClicked(Button6, this, &TFormin::Button6Click);
    platform::onClicked(Button8, this, &TFormin::Button8Click);
    platform::onClicked(Button7, this, &TFormin::Button7Click);
    platform::onClicked(btnformat, this, &TFormin::btnformatClick);
    platform::onClicked(Button5, this, &TFormin::Button5Click);
    connect(Label7, &QLabel::linkActivated, this, [this] { platform::runHandler(this, [this] { Label7Click(); }); });
}

TFormin::~TFormin() = default;

void TFormin::setArchiver(exchange::Archiver *archiver)
{
    m_archiver = archiver;
    m_stop.watch(*m_archiver, Button5);
    m_importer = std::make_unique<exchange::Importer>(DataPath, *m_archiver, importPrompt());
}

exchange::Prompt TFormin::importPrompt()
{
    exchange::Prompt p = windowPrompt(this, Gauge1);
    p.file = [this](int index) {
        static const char *const texts[] = {"正在导入科技成果主表……", "正在导入成果完成单位……", "正在导入成果完成人……",
                                            "正在导入鉴定委员会名单……", "正在导入专利情况……", "正在导入专利情况……"};
        if (index >= 0 && index < 6)
            Label5->setText(QString::fromUtf8(texts[index]));
    };
    return p;
}

void TFormin::showEvent(QShowEvent *e)
{
    if (!e->spontaneous())
        platform::runHandler(this, [this] { FormShow(); });
    QDialog::showEvent(e);
}

void TFormin::FormShow()
{
    Edit1->clear();
    m_importer->emptyStaging();
    DM->T_temp_in.close();
    DM->T_temp_in.setFiltered(false);
    DM->T_temp_in.setTableName(data::recordFile(data::Store::Staging));
    DM->T_temp_in.open();
    DM->DS_temp_in.setDataSet(&DM->T_temp_in);
    DBGrid1->setDataSource(&DM->DS_temp_in);
    DBGrid1->refresh();
    SetImportButtons(0);
    Panel1->hide();
    Panelstat->hide();
    Panel4->hide();
    Label6->clear();
    Label2->clear();
}

void TFormin::SetImportButtons(int state)
{
    // 0: nothing chosen; 1: saving; 3 and 5: saved; 2: loaded.
    const bool idle = state == 0 || state == 3 || state == 5;
    Button1->setEnabled(idle);
    Button5->setEnabled(state != 1);
    Button3->setEnabled(false);
    Button4->setEnabled(state == 2);
    Button6->setEnabled(false);
    Button7->setEnabled(state == 2);
    Button8->setEnabled(state == 2);
    btnformat->setEnabled(state == 2);
}

void TFormin::writeSummary()
{
    Label6->setText(m_importer->summaryCount());
    Label2->setText(m_importer->summaryKinds());
    DBGrid1->refresh();
}

int TFormin::currentStagedRow()
{
    db::Table &t = DM->T_temp_in;
    return t.isActive() && !t.isEmpty() ? t.currentRow() : -1;
}

void TFormin::Button1Click()
{
    const QString file = platform::openFileName(this, QStringLiteral("请选择要导入的文件夹"), QString(), QStringLiteral("arj(*.arj)"));
    if (file.isEmpty()) {
        Edit1->clear();
        return;
    }
    Edit1->setText(QDir::toNativeSeparators(file));   // as chosen: the letters' case is part of the name
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool ok;
    {
        const WorkGuard guard(m_busy, {Button1, Button3, Button5, Label7});
        ok = m_importer->choosePackage(file);
    }
    QApplication::restoreOverrideCursor();
    if (m_stop.stopped()) {
        Edit1->clear();
        Button5Click();
        return;
    }
    Button3->setEnabled(ok);
}

void TFormin::Button3Click()
{
    if (!m_importer->hasPackage())
        return;
    Panel4->show();
    Animate1->start();
    Label5->setText(QStringLiteral("正在导入科技成果主表……"));
    Gauge1->setValue(0);
    Panelstat->show();
    DBGrid1->setDataSource(&DM->DS_null);
    bool ok;
    {
        const WorkGuard guard(m_busy, {Button1, Button3, Button5, Label7});
        ok = m_importer->load();
    }
    DBGrid1->setDataSource(&DM->DS_temp_in);
    Animate1->stop();
    Panel4->hide();
    Panelstat->hide();
    if (!ok)
        return;
    SetImportButtons(2);
    writeSummary();
    Button1->setEnabled(false);
}

void TFormin::Button4Click()
{
    const int row = m_importer->checkDuplicates();
    writeSummary();
    if (row >= 0) {
        m_renaming = row;
        DM->T_temp_in.gotoRow(row);
        Edit2->setText(DM->T_temp_in.fieldByName(QStringLiteral("ITEM_3")).asString());
        for (QWidget *w : {static_cast<QWidget *>(Button1), static_cast<QWidget *>(Button3), static_cast<QWidget *>(Button4),
                           static_cast<QWidget *>(Button5), static_cast<QWidget *>(Button6), static_cast<QWidget *>(Button8),
                           static_cast<QWidget *>(Button7), static_cast<QWidget *>(DBGrid1)})
            w->setEnabled(false);
        Panel1->show();
        return;
    }
    const bool left = !m_importer->stagedRows().isEmpty();
    Button6->setEnabled(left);
    if (!left) {
        Button1->setEnabled(true);
        Button4->setEnabled(false);
        Button7->setEnabled(false);
        Button8->setEnabled(false);
    }
}

void TFormin::Button2Click()
{
    const auto reenable = [this] {
        for (QWidget *w : {static_cast<QWidget *>(Button5), static_cast<QWidget *>(Button4), static_cast<QWidget *>(Button7),
                           static_cast<QWidget *>(Button8), static_cast<QWidget *>(DBGrid1)})
            w->setEnabled(true);
        Panel1->hide();
        DBGrid1->refresh();
    };
    try {
        m_importer->renameStaged(m_renaming, Edit2->text());
    } catch (const base::Error &e) {
        platform::messageBox(this, e.message(), platform::NoteCaption, platform::Icon::Error, platform::Ok);
    }
    reenable();
}

void TFormin::save(bool overwrite)
{
    SetImportButtons(1);
    Panelstat->show();
    Gauge1->setValue(0);
    DBGrid1->setDataSource(&DM->DS_null);
    {
        const WorkGuard guard(m_busy, {Label7});
        if (overwrite)
            m_importer->saveOverwriting();
        else
            m_importer->save();
    }
    Panelstat->hide();
    DBGrid1->setDataSource(&DM->DS_temp_in);
    DBGrid1->refresh();
    SetImportButtons(overwrite ? 3 : 5);
    Label6->setText(QStringLiteral("导入完毕。"));
    Label2->clear();
}

void TFormin::Button6Click() { save(false); }
void TFormin::Button8Click() { save(true); }

void TFormin::Button7Click()
{
    if (m_importer->stagedRows().isEmpty())
        return;
    m_importer->deleteStaged(currentStagedRow());
    if (m_importer->stagedRows().isEmpty()) {
        Button1->setEnabled(true);
        Button4->setEnabled(false);
        Button8->setEnabled(false);
        Button7->setEnabled(false);
    }
    writeSummary();
}

void TFormin::btnformatClick()
{
    const int row = currentStagedRow();
    if (row < 0)
        return;
    Tformformat dialog(*m_importer, row, this);
    platform::showModal(&dialog);
    writeSummary();
}

void TFormin::Label7Click()
{
    const QString file = platform::openFileName(this, QStringLiteral("请选择要改名的文件夹"), QString(), QStringLiteral("arj(*.arj)"));
    if (file.isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    {
        const WorkGuard guard(m_busy, {Button1, Button3, Button4, Button5, Button6, Button7, Button8, btnformat, Label7});
        m_importer->convertOldPackage(file);
    }
    QApplication::restoreOverrideCursor();
    if (m_stop.stopped())
        Button5Click();
}

void TFormin::reject()
{
    if (m_busy) {
        m_stop.request();
        return;
    }
    if (!Button5->isEnabled())
        return;
    platform::runHandler(this, [this] { Button5Click(); });
}

void TFormin::Button5Click()
{
    if (m_busy) {   // the archiver waits: stop it, then leave
        m_stop.request();
        return;
    }
    if (Button6->isEnabled()
        && platform::messageBox(this, QStringLiteral("是否保存导入数据？"), platform::AttentionCaption,
                                platform::Icon::Question, platform::Yes | platform::No)
               == platform::Yes)
        save(false);
    SetImportButtons(0);
    Panel1->hide();
    accept();
}

Tformformat::Tformformat(exchange::Importer &importer, int stagedRow, QWidget *parent)
    : QDialog(parent), m_importer(importer), m_row(stagedRow)
{
    setObjectName(QStringLiteral("formformat"));
    setWindowTitle(QStringLiteral("修改成果年份"));
    edt_4 = named(new QLineEdit(this), "edt_4");
    edt_4->setMaxLength(4);
    btnsave = named(new QPushButton(QStringLiteral("保存"), this), "btnsave");
    btnexit = named(new QPushButton(QStringLiteral("退出"), this), "btnexit");
    auto *l = new QHBoxLayout(this);
    l->addWidget(new QLabel(QStringLiteral("成果年份"), this));
    l->addWidget(edt_4);
    l->addWidget(btnsave);
    l->addWidget(btnexit);
    db::Table &t = DM->T_temp_in;
    if (t.gotoRow(stagedRow))
        edt_4->setText(t.fieldByName(QStringLiteral("ITEM_4")).asString().left(4));
    connect(btnsave, &QPushButton::clicked, this, [this] { platform::runHandler(this, [this] { btnsaveClick(); }); });
    connect(btnexit, &QPushButton::clicked, this, &QDialog::reject);
}

void Tformformat::btnsaveClick()
{
    // A refused year stays in the dialog to be mended.
    if (!m_importer.redate(m_row, edt_4->text()) && !exchange::Importer::isRedateYear(edt_4->text())) {
        edt_4->setFocus();
        edt_4->selectAll();
        return;
    }
    accept();
}
