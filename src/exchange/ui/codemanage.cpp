#include "exchange/ui/codemanage.h"

#include "data/dm.h"
#include "exchange/archiver.h"
#include "exchange/codeupdate.h"
#include "exchange/ui/windowprompt.h"
#include "platform/widgets/dispatch.h"
#include "platform/core/seams.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFcodeManage *FcodeManage = nullptr;

namespace {

// The data module's tables on a code-table file: closed while it is
// replaced, reopened after.
QList<db::Table *> usersOf(const QString &tableFile)
{
    QList<db::Table *> out;
    for (db::Table *t : {&DM->TblDFJHZDXX, &DM->Table1, &DM->Tztflh2, &DM->Txkfl2, &DM->tblLsbw}) {
        const QString name = QFileInfo(t->tableNameSetting()).completeBaseName();
        if (name.compare(QFileInfo(tableFile).completeBaseName(), Qt::CaseInsensitive) == 0)
            out << t;
    }
    return out;
}

} // namespace

TFcodeManage::TFcodeManage(QWidget *parent)
    : QDialog(parent), m_arj(std::make_unique<exchange::ArjArchiver>()), m_archiver(m_arj.get())
{
    setObjectName(QStringLiteral("FcodeManage"));
    setWindowTitle(QStringLiteral("代码管理"));
    resize(620, 420);
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("栏目选项维护"), this);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    struct Group {
        const char *caption, *edit, *packageButton, *packageText, *fileButton, *fileText;
        QLineEdit **editPtr;
        QPushButton **packagePtr, **filePtr;
    };
    const Group groups[] = {
        {"课题来源子类维护", "Edit1", "Button4", "选择“DFJHXX.ARJ”更新", "Button2", "选用“DFJHZDXX.DBF”更新", &Edit1, &Button4, &Button2},
        {"中图分类选项维护", "Edit3", "Button6", "选择“ZTFLB.ARJ”更新", "Button7", "选择“ZTFLH.DBF”更新", &Edit3, &Button6, &Button7},
        {"学科分类选项维护", "Edit4", "Button8", "选择“XKFLB.ARJ”更新", "Button9", "选择“XKFL.DBF”更新", &Edit4, &Button8, &Button9},
        {"隶属部委分类选项维护", "Edit5", "Button10", "选择“LSBWB.ARJ”更新", "Button11", "选用“LSBW.DBF”更新", &Edit5, &Button10, &Button11},
    };
    int index = 0;
    for (const Group &g : groups) {
        auto *box = new QGroupBox(QString::fromUtf8(g.caption), this);
        auto *gl = new QGridLayout(box);
        *g.editPtr = new QLineEdit(box);
        (*g.editPtr)->setObjectName(QLatin1String(g.edit));
        (*g.editPtr)->setReadOnly(true);
        *g.packagePtr = new QPushButton(QString::fromUtf8(g.packageText), box);
        (*g.packagePtr)->setObjectName(QLatin1String(g.packageButton));
        *g.filePtr = new QPushButton(QString::fromUtf8(g.fileText), box);
        (*g.filePtr)->setObjectName(QLatin1String(g.fileButton));
        gl->addWidget(*g.editPtr, 0, 0, 1, 2);
        gl->addWidget(*g.packagePtr, 1, 0);
        gl->addWidget(*g.filePtr, 1, 1);
        layout->addWidget(box);
        m_edits << *g.editPtr;
        connect(*g.packagePtr, &QPushButton::clicked, this,
                [this, index] { platform::runHandler(this, [this, index] { updateFromPackage(index); }); });
        connect(*g.filePtr, &QPushButton::clicked, this,
                [this, index] { platform::runHandler(this, [this, index] { updateFromFile(index); }); });
        ++index;
    }
    Button3 = new QPushButton(QStringLiteral("退出"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    layout->addWidget(Button3, 0, Qt::AlignRight);
    connect(Button3, &QPushButton::clicked, this, [this] {
        if (m_busy)   // the archiver waits: stop it, then leave
            m_stop.request();
        else
            accept();
    });
    m_stop.watch(*m_archiver, Button3);
}

TFcodeManage::~TFcodeManage() = default;

void TFcodeManage::setArchiver(exchange::Archiver *archiver)
{
    m_archiver = archiver;
    m_stop.watch(*m_archiver, Button3);
}

void TFcodeManage::updateFromPackage(int group)
{
    const QString file = platform::openFileName(this, QStringLiteral("打开"), QString(), QString());
    if (file.isEmpty()) {
        m_edits[group]->clear();
        return;
    }
    m_edits[group]->setText(QDir::toNativeSeparators(file));
    runUpdate([&](exchange::CodeUpdater &updater) { updater.updateFromPackage(group, file); });
}

void TFcodeManage::runUpdate(const std::function<void(exchange::CodeUpdater &)> &work)
{
    QList<QPair<db::Table *, bool>> closed;
    exchange::CodeUpdater updater(
        DataPath, *m_archiver, windowPrompt(this),
        [&closed](const QString &t) {
            for (db::Table *u : usersOf(t)) {
                closed.append({u, u->isActive()});
                u->close();
            }
        },
        [&closed](const QString &) {
            for (const auto &c : closed)
                if (c.second)
                    c.first->open();
            closed.clear();
        });
    {
        const WorkGuard guard(m_busy, {Button4, Button2, Button6, Button7, Button8, Button9, Button10, Button11, Button3});
        work(updater);
    }
    if (m_stop.stopped())
        accept();
}

void TFcodeManage::updateFromFile(int group)
{
    const QString file = platform::openFileName(this, QStringLiteral("打开"), QString(), QString());
    if (file.isEmpty())
        return;
    runUpdate([&](exchange::CodeUpdater &updater) { updater.updateFromFile(group, file); });
}

void TFcodeManage::reject()
{
    if (m_busy)
        m_stop.request();
    else
        QDialog::reject();
}
