#include "listpage.h"

#include "listdialog.h"

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

QString recordField(const char *name)
{
    db::Query &rec = DM->Qrykjcg;
    if (!rec.isActive() || rec.isEmpty())
        return QString();
    return rec.fieldByName(QLatin1String(name)).asString();
}

void setOrderValue(db::Field f, int n)
{
    if (f.kind() == db::FieldKind::Text)
        f.setAsString(QString::number(n));
    else
        f.setAsInteger(n);
}

int orderValue(db::Field f)
{
    bool ok = false;
    const int n = f.asString().trimmed().toInt(&ok);
    return ok ? n : 0;
}

} // namespace

// ---------------------------------------------------------------------------
// ListPage

ListPage::ListPage(const QString &objectName, const QString &listName, const ButtonNames &names, QWidget *parent)
    : QDialog(parent), m_listName(listName)
{
    setObjectName(objectName);
    setCloseBox(false);
    setFixedSize(PageWidth, PageHeight);

    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);

    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setAutoFillBackground(true);
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(12, 6, 12, 6);
    heading = makeHeading(panel, QStringLiteral("Label1"), listName, Qt::AlignLeft | Qt::AlignVCenter);
    row->addWidget(heading);
    row->addStretch();
    auto make = [&](const QString &name, const char *caption, void (ListPage::*handler)()) -> QPushButton * {
        if (name.isEmpty())
            return nullptr;
        QPushButton *b = makeButton(panel, name, QString::fromUtf8(caption), 76);
        row->addWidget(b);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    btnAdd = make(names.add, "新增", &ListPage::addClick);
    btnDelete = make(names.del, "删除", &ListPage::deleteClick);
    btnEdit = make(names.edit, "修改", &ListPage::editClick);
    btnHelp = make(names.help, "帮助", &ListPage::helpClick);
    btnQuit = make(names.quit, "退出", &ListPage::quitClick);
    lay->addWidget(panel);

    grid = new DBGrid(this);
    lay->addWidget(grid, 1);

    connect(this, &QDialog::finished, this, [this] { formClose(); });
}

QString ListPage::addCaption(const QString &listName)
{
    return QStringLiteral("新增－－【") + listName + QStringLiteral("】");
}

QString ListPage::editCaption(const QString &listName)
{
    return QStringLiteral("修改－－【") + listName + QStringLiteral("】");
}

void ListPage::useQuery(db::Query *query, db::DataSource *source, const QString &statement)
{
    m_query = query;
    m_table = nullptr;
    m_source = source;
    m_statement = statement;
}

void ListPage::useTable(db::Table *table, db::DataSource *source)
{
    m_table = table;
    m_query = nullptr;
    m_source = source;
}

void ListPage::setCloseBox(bool on)
{
    m_closeBox = on;
    if (on)
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    else
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

void ListPage::setCodeTexts(const QString &field, const QHash<QString, QString> &texts)
{
    const auto &cols = grid->columns();
    for (int i = 0; i < cols.size(); ++i)
        if (cols[i].field.compare(field, Qt::CaseInsensitive) == 0)
            grid->setItemDelegateForColumn(i, new CodeTextDelegate(texts, grid));
}

void ListPage::load()
{
    reopen();
    setWindowTitle(QStringLiteral("成果名称：") + recordField("ITEM_3"));
}

void ListPage::reopen()
{
    if (m_source && grid->dataSource() != m_source)
        grid->setDataSource(m_source);
    if (m_query) {
        m_query->close();
        m_query->setDatabaseName(DataPath);
        m_query->setSQL(m_statement);
        m_query->setParam(QStringLiteral("item_4"), recordField("ITEM_4"));
        m_query->setParam(QStringLiteral("item_dqdm"), recordField("ITEM_DQDM"));
        m_query->open();
    } else if (m_table) {
        if (!m_table->isActive())
            m_table->open();
        m_table->first();
    }
    grid->refresh();
}

db::Dataset &ListPage::rows() const
{
    if (m_query)
        return *m_query;
    if (m_table)
        return *m_table;
    throw base::Error(QStringLiteral("The list of %1 has no dataset").arg(objectName()));
}

int ListPage::rowCount() const
{
    db::Dataset &ds = rows();
    return ds.isActive() ? ds.recordCount() : 0;
}

int ListPage::nextOrder() const
{
    const int count = rowCount();
    if (m_orderField.isEmpty())
        return count + 1;
    db::Dataset &ds = rows();
    int highest = 0;
    bool taken = false;
    for (int i = 0; i < count; ++i) {
        const int f = ds.schema().indexOf(m_orderField);
        bool ok = false;
        const int n = ds.valueAt(i, f).toString().trimmed().toInt(&ok);
        if (!ok)
            continue;
        highest = std::max(highest, n);
        taken = taken || n == count + 1;
    }
    return taken ? highest + 1 : count + 1;
}

void ListPage::writeRows()
{
    db::Dataset &ds = rows();
    if (m_query && m_query->cachedUpdates())
        m_query->applyUpdates();
    ds.flush();
}

void ListPage::appendRow(const std::function<void(db::Dataset &)> &fill)
{
    db::Dataset &ds = rows();
    try {
        ds.append();
        fill(ds);
        ds.post();
    } catch (...) {
        ds.cancel();
        throw;
    }
    writeRows();
}

void ListPage::editCurrentRow(const std::function<void(db::Dataset &)> &fill)
{
    db::Dataset &ds = rows();
    if (ds.isEmpty())
        return;
    try {
        ds.edit();
        fill(ds);
        ds.post();
    } catch (...) {
        ds.cancel();
        throw;
    }
    writeRows();
}

void ListPage::renumber()
{
    if (m_orderField.isEmpty())
        return;
    db::Dataset &ds = rows();
    if (!ds.isActive() || ds.isEmpty())
        return;
    // The rows are visited by their identity, taken before any of them
    // changes: a filtered table may reorder or refilter its view while it
    // is being written.
    const int selected = ds.currentRow();
    QVector<int> order;
    for (int i = 0; i < ds.recordCount(); ++i) {
        ds.moveToPosition(i);
        order << ds.currentRow();
    }
    int n = 0;
    for (int row : order) {
        ++n;
        if (!ds.gotoRow(row))
            continue;
        if (orderValue(ds.fieldByName(m_orderField)) == n && !ds.fieldByName(m_orderField).isNull())
            continue;
        try {
            ds.edit();
            setOrderValue(ds.fieldByName(m_orderField), n);
            ds.post();
        } catch (...) {
            ds.cancel();
            throw;
        }
        writeRows();
    }
    if (selected < 0 || !ds.gotoRow(selected))
        ds.first();
    grid->refresh();
}

void ListPage::selectOrder(int order)
{
    db::Dataset &ds = rows();
    if (!ds.isActive() || ds.isEmpty())
        return;
    if (m_orderField.isEmpty() || !ds.locate(m_orderField, qint64(order)))
        ds.last();
    grid->refresh();
}

int ListPage::currentOrder() const
{
    db::Dataset &ds = rows();
    if (m_orderField.isEmpty() || !ds.isActive() || ds.isEmpty())
        return 0;
    return orderValue(ds.fieldByName(m_orderField));
}

void ListPage::writeRecordKey(db::Dataset &ds)
{
    ds.fieldByName(QStringLiteral("ITEM_4")).setAsString(recordField("ITEM_4"));
    ds.fieldByName(QStringLiteral("ITEM_DQDM")).setAsString(recordField("ITEM_DQDM"));
}

void ListPage::addClick()
{
    platform::runHandler(this, [this] {
        ListDialog *d = dialog();
        if (!d)
            return;
        d->setWindowTitle(addCaption(m_listName));
        platform::showModal(d);
    });
}

void ListPage::editClick()
{
    platform::runHandler(this, [this] {
        ListDialog *d = dialog();
        if (!d)
            return;
        d->setWindowTitle(rowCount() > 0 ? editCaption(m_listName) : addCaption(m_listName));
        platform::showModal(d);
    });
}

void ListPage::deleteClick()
{
    platform::runHandler(this, [this] {
        db::Dataset &ds = rows();
        if (!ds.isActive() || ds.isEmpty())
            return;
        const int order = m_orderField.isEmpty() ? ds.recNo() : currentOrder();
        if (platform::messageBox(this, kDeleteQuestion, platform::PromptCaption, platform::Icon::Information,
                                 platform::Yes | platform::No)
            != platform::Yes)
            return;
        ds.deleteRecord();
        writeRows();
        reopen();
        if (m_renumberOnDelete)
            renumber();
        if (!m_orderField.isEmpty())
            selectOrder(order);
        afterDelete();
        grid->refresh();
    });
}

void ListPage::helpClick()
{
    platform::runHandler(this, [this] { help(); });
}

void ListPage::quitClick()
{
    platform::runHandler(this, [this] {
        if (!canQuit())
            return;
        markPageComplete();
        m_leaving = true;
        done(QDialog::Accepted);
        m_leaving = false;
    });
}

void ListPage::markPageComplete()
{
    if (m_pageButton.isEmpty() || !MainForm)
        return;
    if (auto *b = MainForm->findChild<QPushButton *>(m_pageButton)) {
        TMainForm::setPageComplete(b, true);
        b->setText(m_listName);
    }
}

void ListPage::reject()
{
    // Escape: a page with a close box closes as the box does; the others
    // leave through "退出".
    if (m_leaving || m_closeBox)
        QDialog::reject();
    else
        quitClick();
}

void ListPage::showEvent(QShowEvent *e)
{
    setFixedSize(PageWidth, PageHeight);
    if (m_source && grid->dataSource() != m_source)
        grid->setDataSource(m_source);
    else
        grid->refresh();
    QDialog::showEvent(e);
}

void ListPage::resizeEvent(QResizeEvent *e)
{
    if (e->size() != QSize(PageWidth, PageHeight))
        resize(PageWidth, PageHeight);
    QDialog::resizeEvent(e);
}

void ListPage::closeEvent(QCloseEvent *e)
{
    if (m_leaving || m_closeBox || !isVisible()) {
        QDialog::closeEvent(e);
        return;
    }
    e->ignore();
    quitClick();
}

void ListPage::formClose()
{
    if (m_updateCommandState && MainForm)
        MainForm->UpdateCommandState();
}
