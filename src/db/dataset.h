#pragma once

#include "expr.h"
#include "sql.h"
#include "tablefile.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QVector>
#include <memory>
#include <optional>

namespace db {

class Dataset;

enum class DatasetState { Inactive, Browse, Edit, Insert };

// One column of the current row of a dataset.  Reading a blank column gives
// Null; numbers read as the shortest decimal text, dates as yyyy-MM-dd.
// Writing needs the dataset in Edit or Insert state; a value that does not
// fit the column throws EngineError naming table, field and value.
class Field {
public:
    Field(Dataset *ds, int index) : m_ds(ds), m_index(index) {}

    QString name() const;
    FieldKind kind() const;
    int size() const;             // width in bytes (0 for lookups)
    int index() const { return m_index; }
    bool isLookup() const;

    Value value() const;
    bool isNull() const { return value().isNull(); }
    QString asString() const { return value().toString(); }
    qint32 asInteger() const;
    double asFloat() const;
    QDate asDate() const;
    bool asBoolean() const;

    void setValue(const Value &v);
    void setAsString(const QString &text);
    void setAsInteger(qint64 v) { setValue(Value::fromNumber(double(v))); }
    void setAsFloat(double v) { setValue(Value::fromNumber(v)); }
    void setAsDate(const QDate &d) { setValue(Value::fromDate(d)); }
    void clear() { setValue(Value()); }

private:
    Dataset *m_ds;
    int m_index;
};

// A cursor over one table's rows: a table, the live result of a query, or a
// query's own result rows.  Navigation never posts: moving while editing
// throws the pending changes away, as cancel does.
class Dataset : public QObject {
    Q_OBJECT
public:
    explicit Dataset(QObject *parent = nullptr);
    ~Dataset() override;

    virtual void open() = 0;
    void close();
    bool isActive() const { return m_state != DatasetState::Inactive; }
    DatasetState state() const { return m_state; }

    void first();
    void last();
    void next();
    void prior();
    int moveBy(int distance);
    bool eof() const;
    bool bof() const;
    bool isEmpty() const { return recordCount() == 0; }
    int recordCount() const;
    int recNo() const;                 // 1-based position, 0 when empty
    // Moves to the first row whose field equals the value (text: trailing
    // blanks ignored; `partial`: the field begins with the value).  Not
    // found: the cursor stays and false is returned.
    bool locate(const QString &field, const QString &value, bool partial = false);
    bool locate(const QString &field, qint64 value);

    void edit();
    void append();
    void insert() { append(); }
    void post();
    void cancel();
    void deleteRecord();

    Field fieldByName(const QString &name);      // any case; unknown name throws
    std::optional<Field> findField(const QString &name);
    Field field(int index);
    int fieldCount() const;
    QStringList fieldNames() const;
    const Schema &schema() const;
    QString tableName() const;

    // Filter text (see the expression parser); empty passes every row.
    void setFilter(const QString &filter);
    const QString &filter() const { return m_filterText; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    // A read-only column holding the text of a code from another dataset:
    // the first row of `lookup` whose `lookupKeyField` equals this row's
    // `keyField` gives `resultField`.
    void addLookupField(const QString &name, const QString &label, const QString &keyField,
                        Dataset *lookup, const QString &lookupKeyField, const QString &resultField);
    QString displayLabel(const QString &fieldName) const;
    void setDisplayLabel(const QString &fieldName, const QString &label) { m_labels.insert(fieldName.toLower(), label); }

    // Rows by their position in the dataset (0-based), for grids: the value
    // of a column without moving the cursor, and a move to a position.
    Value valueAt(int position, int field) const;
    void moveToPosition(int position);

    // The physical row under the cursor (-1 when none) and a move back to it.
    int currentRow() const;
    bool gotoRow(int physicalRow);

    // What the open found wrong with the table file, if anything.
    QStringList warnings() const;
    // Syncs the table file to disk (end of a user operation).
    void flush();

    // Value access used by Field.
    Value currentValue(int index) const;
    void setCurrentValue(int index, const Value &v);

signals:
    void afterOpen();
    void afterClose();
    void afterScroll();
    void afterPost();
    void afterDelete();
    void afterCancel();
    void stateChanged();

protected:
    // Subclasses call this from open() with the store and (optionally) a
    // fixed list of physical rows; without a list every row of the store
    // takes part, in file order.
    void activate(std::shared_ptr<TableFile> store, std::optional<QVector<int>> rows, bool readOnly);
    virtual void beforePostHook() {}
    virtual void beforeDeleteHook() {}
    virtual bool isReadOnlyResult() const { return m_readOnly; }
    std::shared_ptr<TableFile> store() const { return m_store; }
    void refreshView() const;
    bool viewUpToDate() const;
    void markViewCurrent() const;
    void setCursorToRow(int physicalRow, bool emitScroll);
    void checkActive() const;

private:
    struct Lookup {
        QString name, label;
        QString keyField;
        Dataset *dataset = nullptr;
        QString lookupKeyField, resultField;
    };
    void checkBrowse(const char *what);
    void leaveEditState();
    void rebuildFilter();
    bool rowPasses(int physicalRow) const;
    void setPos(int pos, bool emitScroll = true);
    Value lookupValue(int index, const Value &key) const;
    const char *currentRecord() const;

    std::shared_ptr<TableFile> m_store;
    std::optional<QVector<int>> m_baseRows;   // fixed membership (queries)
    mutable QVector<int> m_view;               // visible physical rows
    mutable quint64 m_viewDataGen = 0;
    mutable quint64 m_viewMemberGen = 0;
    mutable int m_pos = -1;
    mutable int m_curRow = -1;
    bool m_eof = true;
    bool m_bof = true;
    DatasetState m_state = DatasetState::Inactive;
    bool m_readOnly = false;
    QByteArray m_buf;                          // record being edited
    QHash<int, QByteArray> m_memoEdits;        // memo texts being edited
    QString m_filterText;
    bool m_filtered = false;
    BoundExpr m_filterExpr;
    QVector<Lookup> m_lookups;
    QHash<QString, QString> m_labels;
};

// A table of the data folder, opened by folder and file name ("kjcg.DBF",
// "zdxx", "CheckUp"; letter case does not matter).
class Table : public Dataset {
    Q_OBJECT
public:
    explicit Table(QObject *parent = nullptr) : Dataset(parent) {}
    void setDatabaseName(const QString &folder) { m_folder = folder; }
    const QString &databaseName() const { return m_folder; }
    void setTableName(const QString &name) { m_table = name; }
    const QString &tableNameSetting() const { return m_table; }
    void setExclusive(bool on) { m_exclusive = on; }
    bool exclusive() const { return m_exclusive; }
    void open() override;
    // Purges deleted rows of a table opened exclusively.  Returns false (and
    // keeps the message in lastError()) when the table is closed or the pack
    // failed; a table without deleted rows is left as it is.
    bool pack();
    const QString &lastError() const { return m_lastError; }

private:
    QString m_folder, m_table, m_lastError;
    bool m_exclusive = false;
};

// The statements run when a cached-update query applies its changes.  A
// parameter named like a field takes the row's new value, ":OLD_" and a
// field name the value as read.
struct UpdateSQL {
    QString modifySQL;
    QString insertSQL;
    QString deleteSQL;
};

// Local SQL over the table files of a folder.  A single-table "select *"
// without distinct is a live result: its rows can be edited and posted back;
// its membership and order are fixed when it opens.  Other selections give
// read-only rows.  With cached updates, edits, appends and deletes are kept
// until applyUpdates().
class Query : public Dataset {
    Q_OBJECT
public:
    explicit Query(QObject *parent = nullptr) : Dataset(parent) {}
    void setDatabaseName(const QString &folder) { m_folder = folder; }
    const QString &databaseName() const { return m_folder; }
    void setSQL(const QString &sql);
    const QString &sql() const { return m_sql; }
    Params &params() { return m_params; }
    void setParam(const QString &name, const QString &text) { m_params.setText(name, text); }
    QStringList paramNames() const;

    void open() override;          // select statements only
    int execSQL();                 // any statement; returns the rows touched or selected

    void setCachedUpdates(bool on);
    bool cachedUpdates() const { return m_cached; }
    void setUpdateObject(const UpdateSQL *u) { m_update = u; }
    bool updatesPending() const;
    void applyUpdates();           // runs the update object per changed row
    void commitUpdates();          // (applyUpdates commits too)
    void cancelUpdates();          // back to the rows as read
    bool isLive() const { return m_live; }

private:
    const Statement &parsed();
    void runCachedChange(const QString &sql, int memRow, int sourceRow);
    QString m_folder;
    QString m_sql;
    std::optional<Statement> m_parsed;
    Params m_params;
    bool m_cached = false;
    bool m_live = false;
    const UpdateSQL *m_update = nullptr;
    // Cached updates: the source table, and per row of the private copy the
    // physical source row (-1 when appended) and the record as read.
    std::shared_ptr<TableFile> m_source;
    QVector<int> m_origin;
    QVector<QByteArray> m_original;
};

// Binds grids and controls to a dataset.
class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(QObject *parent = nullptr) : QObject(parent) {}
    void setDataSet(Dataset *ds);
    Dataset *dataSet() const { return m_ds; }
signals:
    void dataSetChanged();

private:
    Dataset *m_ds = nullptr;
};

} // namespace db
