#include "listpage.h"

#include "data/dm.h"
#include "db/dataset.h"
#include "db/error.h"
#include "platform/widgets/dispatch.h"
#include "platform/core/seams.h"
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
const QString kDeleteCaption = QStringLiteral("提示信息");
const QString kSaved = QStringLiteral("储存成功！");
const QString kChangedCaption = QStringLiteral("请注意！");

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
// Code texts

CodeTextDelegate::CodeTextDelegate(const QHash<QString, QString> &texts, QObject *parent)
    : QStyledItemDelegate(parent), m_texts(texts)
{
}

QString CodeTextDelegate::displayText(const QVariant &value, const QLocale &locale) const
{
    const auto it = m_texts.constFind(value.toString().trimmed());
    if (it != m_texts.constEnd() && !value.toString().trimmed().isEmpty())
        return *it;
    return QStyledItemDelegate::displayText(value, locale);
}

namespace codetexts {

const QHash<QString, QString> &sex()
{
    static const QHash<QString, QString> t = {{QStringLiteral("0"), QStringLiteral("  男")},
                                              {QStringLiteral("1"), QStringLiteral("  女")}};
    return t;
}

const QHash<QString, QString> &title()
{
    static const QHash<QString, QString> t = {
        {QStringLiteral("1"), QStringLiteral("  院士")},     {QStringLiteral("2"), QStringLiteral("  正高")},
        {QStringLiteral("3"), QStringLiteral("  副高")},     {QStringLiteral("4"), QStringLiteral("  中级")},
        {QStringLiteral("5"), QStringLiteral("  初级")},     {QStringLiteral("9"), QStringLiteral("  其他")},
        {QStringLiteral("a"), QStringLiteral("  两院院士")}, {QStringLiteral("b"), QStringLiteral("  中科院院士")},
        {QStringLiteral("c"), QStringLiteral("  工程院院士")}};
    return t;
}

const QHash<QString, QString> &education()
{
    static const QHash<QString, QString> t = {
        {QStringLiteral("2"), QStringLiteral("  博士研究生")}, {QStringLiteral("3"), QStringLiteral("  硕士研究生")},
        {QStringLiteral("4"), QStringLiteral("  大本")},       {QStringLiteral("5"), QStringLiteral("  大专")},
        {QStringLiteral("6"), QStringLiteral("  中专")},       {QStringLiteral("9"), QStringLiteral("  其他")}};
    return t;
}

const QHash<QString, QString> &abroad()
{
    static const QHash<QString, QString> t = {{QStringLiteral("1"), QStringLiteral("  是")},
                                              {QStringLiteral("0"), QStringLiteral("  否")}};
    return t;
}

} // namespace codetexts

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
    heading = new QLabel(listName, panel);
    heading->setObjectName(QStringLiteral("Label1"));
    QFont f = heading->font();
    f.setPointSizeF(f.pointSizeF() * 1.5);
    f.setBold(true);
    heading->setFont(f);
    heading->setStyleSheet(QStringLiteral("color: navy;"));
    row->addWidget(heading);
    row->addStretch();
    auto make = [&](const QString &name, const char *caption, void (ListPage::*handler)()) -> QPushButton * {
        if (name.isEmpty())
            return nullptr;
        auto *b = new QPushButton(QString::fromUtf8(caption), panel);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setMinimumWidth(76);
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
    throw db::EngineError(QStringLiteral("The list of %1 has no dataset").arg(objectName()));
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
        if (platform::messageBox(this, kDeleteQuestion, kDeleteCaption, platform::Icon::Information,
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
        MainForm->ShowMsg(kSaved);
    afterStored(m);
    m_marker->clear();
    leave();
    return true;
}

void ListDialog::quit()
{
    if (!inputEmpty(true) && (!m_marker->text().isEmpty() || !isUnchanged())) {
        const int answer = platform::messageBox(this, changedQuestion(), kChangedCaption, platform::Icon::Question,
                                                platform::Yes | platform::No);
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
    save = new QPushButton(QStringLiteral("储存"), this);
    save->setObjectName(QStringLiteral("Button1"));
    quit = new QPushButton(QStringLiteral("退出"), this);
    quit->setObjectName(QStringLiteral("Button2"));
    for (QPushButton *b : {save, quit}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(80);
        row->addWidget(b);
    }
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
    if (MainForm)
        MainForm->ShowMsg(message);
    else
        platform::messageBox(this, message, MsgCaption, platform::Icon::Warning, platform::Ok);
    if (focus)
        focus->setFocus(Qt::OtherFocusReason);
    platform::abortSilently();
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
    QDialog::showEvent(e);
}
