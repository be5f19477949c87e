#pragma once

#include "db/dataset.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>

// A read-only grid on a data source: one line per row of its dataset, the
// current row selected; clicking a line makes it the dataset's current row.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    struct Column {
        QString field;
        QString title;
        int width = 80;
        bool visible = true;
    };

    explicit DBGrid(QWidget *parent = nullptr);
    void setColumns(const QVector<Column> &columns);
    const QVector<Column> &columns() const;
    void setDataSource(db::DataSource *source);
    db::DataSource *dataSource() const { return m_source; }
    // Rebuilds the lines from the dataset (after bulk work).
    void refresh();

signals:
    // The user clicked a line (after the dataset moved to it).
    void cellClicked();
    // The user moved the current row (mouse or keys).
    void userMoved();

private:
    class Model;
    void attach();
    void followCursor();
    Model *m_model;
    QPointer<db::DataSource> m_source;
    QPointer<db::Dataset> m_attached;
    QVector<QMetaObject::Connection> m_links;
    bool m_moving = false;
};
