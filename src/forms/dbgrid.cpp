#include "dbgrid.h"

#include <QHeaderView>

class DBGrid::Model : public QAbstractTableModel {
public:
    QVector<Column> columns;
    db::Dataset *ds = nullptr;
    QVector<int> fieldIndex;   // per column; -1 when the dataset lacks it

    void bind(db::Dataset *d)
    {
        beginResetModel();
        ds = d;
        fieldIndex.clear();
        for (const Column &c : columns) {
            int i = -1;
            if (ds && ds->isActive()) {
                if (auto f = ds->findField(c.field))
                    i = f->index();
            }
            fieldIndex << i;
        }
        endResetModel();
    }
    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() || !ds || !ds->isActive() ? 0 : ds->recordCount();
    }
    int columnCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : int(columns.size()); }
    QVariant data(const QModelIndex &index, int role) const override
    {
        // A cell too narrow for its text shows it whole on hover.
        if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || !ds || !index.isValid())
            return {};
        const int fi = fieldIndex.value(index.column(), -1);
        if (fi < 0)
            return {};
        return ds->valueAt(index.row(), fi).toString();
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        if (o == Qt::Horizontal)
            return columns.value(section).title;
        return QVariant();
    }
};

DBGrid::DBGrid(QWidget *parent) : QTableView(parent), m_model(new Model)
{
    m_model->setParent(this);
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Names that differ only at their end ("……（二）") stay told apart.
    setTextElideMode(Qt::ElideMiddle);
    verticalHeader()->setDefaultSectionSize(22);
    verticalHeader()->setFixedWidth(12);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &cur) {
        if (m_moving || !cur.isValid() || !m_attached || !m_attached->isActive())
            return;
        m_moving = true;
        m_attached->moveToPosition(cur.row());
        m_moving = false;
        emit userMoved();
    });
    connect(this, &QTableView::clicked, this, [this] { emit cellClicked(); });
}

void DBGrid::setColumns(const QVector<Column> &columns)
{
    m_model->columns = columns;
    m_model->bind(m_attached);
    for (int i = 0; i < columns.size(); ++i) {
        setColumnWidth(i, columns[i].width);
        setColumnHidden(i, !columns[i].visible);
    }
}

const QVector<DBGrid::Column> &DBGrid::columns() const
{
    return m_model->columns;
}

void DBGrid::setDataSource(db::DataSource *source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source)
        connect(m_source, &db::DataSource::dataSetChanged, this, &DBGrid::attach);
    attach();
}

void DBGrid::attach()
{
    for (const auto &c : m_links)
        disconnect(c);
    m_links.clear();
    m_attached = m_source ? m_source->dataSet() : nullptr;
    if (m_attached) {
        db::Dataset *ds = m_attached;
        for (auto sig : {&db::Dataset::afterOpen, &db::Dataset::afterClose, &db::Dataset::afterPost, &db::Dataset::afterDelete})
            m_links << connect(ds, sig, this, &DBGrid::refresh);
        m_links << connect(ds, &db::Dataset::afterScroll, this, &DBGrid::followCursor);
    }
    refresh();
}

void DBGrid::refresh()
{
    m_model->bind(m_attached);
    followCursor();
}

void DBGrid::followCursor()
{
    if (m_moving || !m_attached || !m_attached->isActive())
        return;
    const int rows = m_model->rowCount(QModelIndex());
    if (rows != m_attached->recordCount()) {
        m_model->bind(m_attached);
    }
    const int pos = m_attached->recNo() - 1;
    m_moving = true;
    if (pos >= 0) {
        const QModelIndex idx = m_model->index(pos, 0);
        selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(idx);
    } else {
        selectionModel()->clear();
    }
    m_moving = false;
    viewport()->update();
}
