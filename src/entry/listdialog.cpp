#include "listdialog.h"

#include "forms/firstfield.h"
#include "recordpage.h"

#include "listpage.h"

#include "base/error.h"
#include "data/dm.h"
#include "db/dataset.h"
#include "db/error.h"
#include "forms/controls.h"
#include "platform/core/captions.h"
#include "platform/core/seams.h"
#include "platform/widgets/dispatch.h"
#include "shell/mainform.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

const QString kDeleteQuestion = QStringLiteral("是否删除该项目？!");

} // namespace

// ---------------------------------------------------------------------------
// ListDialog

ListDialog::ListDialog(const QString &objectName, const QString &listName, QWidget *parent, const QString &markerName)
    : QDialog(parent), m_listName(listName)
{
    setObjectName(objectName);
    // A tool window without border icons.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    m_marker = new QLineEdit(this);
    m_marker->setObjectName(markerName);
    m_marker->hide();
}

ListDialog::Mode ListDialog::mode() const
{
    const QString caption = windowTitle();
    if (caption == ListPage::addCaption(m_listName))
        return Mode::Add;
    if (caption == ListPage::editCaption(m_listName))
        return Mode::Edit;
    return Mode::None;
}

void ListDialog::markChanged()
{
    m_marker->setText(QStringLiteral("1"));
}

bool ListDialog::save()
{
    const Mode m = mode();
    if (m == Mode::None)
        return false;
    if (inputEmpty(false)) {
        leave();
        return false;
    }
    validate();
    store(m);
    if (MainForm)
        MainForm->ShowMsg(platform::SavedMessage);
    afterStored(m);
    m_marker->clear();
    leave();
    return true;
}

void ListDialog::quit()
{
    if (!inputEmpty(true) && (!m_marker->text().isEmpty() || !isUnchanged())) {
        const int answer = platform::messageBox(this, changedQuestion(), platform::AttentionCaption,
                                                platform::Icon::Question, platform::Yes | platform::No);
        // A save whose checks fail shows its message and keeps the dialog
        // open on the failing field: the entry is not lost.
        if (answer == platform::Yes && save())
            return;
    }
    leave();
}

QHBoxLayout *ListDialog::makeButtonRow(QPushButton *&save, QPushButton *&quit)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    save = makeButton(this, QStringLiteral("Button1"), QStringLiteral("储存"), 80);
    quit = makeButton(this, QStringLiteral("Button2"), QStringLiteral("退出"), 80);
    row->addWidget(save);
    row->addWidget(quit);
    connect(save, &QPushButton::clicked, this, &ListDialog::saveClick);
    connect(quit, &QPushButton::clicked, this, &ListDialog::quitClick);
    return row;
}

void ListDialog::saveClick()
{
    platform::runHandler(this, [this] { save(); });
}

void ListDialog::quitClick()
{
    platform::runHandler(this, [this] { quit(); });
}

void ListDialog::reject()
{
    quitClick();
}

void ListDialog::leave()
{
    m_marker->clear();
    done(QDialog::Accepted);
}

void ListDialog::fail(QWidget *focus, const QString &message)
{
    refuseField(this, focus, message);
}

void ListDialog::showEvent(QShowEvent *e)
{
    platform::runHandler(this, [this] {
        m_marker->clear();
        prepare();
        if (mode() == Mode::Edit && listPage() && listPage()->rowCount() > 0)
            loadForEdit();
        else
            loadForAdd();
        m_marker->clear();
    });
    // What the user types at once goes into the first field he can write
    // (the order number before it is the list's).
    if (QWidget *first = firstWritableField(this))
        first->setFocus(Qt::OtherFocusReason);
    QDialog::showEvent(e);
}
