#include "records.h"
#include "base/text.h"
#include "db/expr.h"

#include "data/dm.h"
#include "data/schema.h"
#include "db/error.h"
#include "db/tablefile.h"

#include <QSet>
#include <memory>
#include <vector>

QString EscapeSqlQuotes(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return out;
}

namespace data {

namespace {

using base::errorText;

bool isTenDigitKey(const QString &s)
{
    return s.size() == 10 && base::isAsciiDigits(s);
}

QString text(db::Dataset &ds, const QString &field)
{
    return ds.fieldByName(field).asString().trimmed();
}

// A cursor of our own over one table file of the data folder, filtered to
// one record's rows when asked.
std::unique_ptr<db::Table> openTable(const QString &file, const QString &filter = QString())
{
    auto t = std::make_unique<db::Table>();
    t->setDatabaseName(DataPath);
    t->setTableName(file);
    if (!filter.isEmpty()) {
        t->setFilter(filter);
        t->setFiltered(true);
    }
    t->open();
    return t;
}

// The cursors over a store's sub-tables, filtered to one record.  The main
// sub-tables are worked through the data module's own table objects (when
// there is a data module), as the pages do: they are left unfiltered
// afterwards (release()), and every page sets its own filter before it
// reads.  The staging tables get cursors of their own, so T_temp_in stays
// where the import window has it.
class SubCursors {
public:
    SubCursors(Store store, const RecordId &id)
    {
        for (const SubTable &s : subTables()) {
            if (store == Store::Main && DM) {
                db::Table &t = s.table();
                t.cancel();
                t.close();
                t.setFiltered(false);
                t.setFilter(recordFilter(id));
                t.setFiltered(true);
                t.open();
                m_tables << &t;
                m_shared << &t;
            } else {
                m_owned.push_back(openTable(s.file(store), recordFilter(id)));
                m_tables << m_owned.back().get();
            }
        }
    }
    ~SubCursors() { release(); }
    const QList<db::Table *> &tables() const { return m_tables; }
    void cancel()
    {
        for (db::Table *t : m_tables)
            t->cancel();
    }
    void release()
    {
        for (db::Table *t : m_shared) {
            t->cancel();
            t->setFiltered(false);
            t->setFilter(QString());
        }
        for (db::Table *t : m_tables)
            if (t->isActive())
                t->flush();
        m_shared.clear();
    }

private:
    QList<db::Table *> m_tables;
    QList<db::Table *> m_shared;
    std::vector<std::unique_ptr<db::Table>> m_owned;
};

// The physical rows of a filtered cursor; the cursor is left unfiltered so
// the rows can be visited after a write moved them out of the filter.
QVector<int> takeRows(db::Table &t)
{
    QVector<int> rows;
    for (t.first(); !t.eof(); t.next())
        rows << t.currentRow();
    t.setFiltered(false);
    return rows;
}

void gotoRow(db::Table &t, int row)
{
    if (!t.gotoRow(row))
        throw db::EngineError(QStringLiteral("%1的第%2行已不存在").arg(t.tableName()).arg(row + 1));
}

// Every column of the current row, to put back when a later step fails.
struct RowUndo {
    db::Table *table;
    int row;
    QVector<db::Value> values;
};

RowUndo snapshot(db::Table &t)
{
    RowUndo u{&t, t.currentRow(), {}};
    for (int i = 0; i < t.fieldCount(); ++i)
        u.values << t.field(i).value();
    return u;
}

// Puts the rows back, last written first; returns what could not be put
// back, one line each.
QString undoRows(const std::vector<RowUndo> &undo)
{
    QString problems;
    for (auto it = undo.rbegin(); it != undo.rend(); ++it) {
        db::Table &t = *it->table;
        try {
            t.cancel();
            gotoRow(t, it->row);
            t.edit();
            for (int i = 0; i < it->values.size(); ++i)
                if (!t.field(i).isLookup())
                    t.field(i).setValue(it->values[i]);
            t.post();
        } catch (const std::exception &e) {
            t.cancel();
            problems += QLatin1Char('\n') + errorText(e);
        }
    }
    return problems;
}

// Whether any row of `store` (record table or sub-table) carries the record.
bool recordHasRows(Store store, const RecordId &id)
{
    if (!openTable(recordFile(store), recordFilter(id))->isEmpty())
        return true;
    for (const SubTable &s : subTables())
        if (!openTable(s.file(store), recordFilter(id))->isEmpty())
            return true;
    return false;
}

} // namespace

RecordId recordIdOf(db::Dataset &row)
{
    if (!row.isActive() || row.isEmpty())
        return {};
    return {text(row, kKeyField), text(row, kRegionField)};
}

QString SubTable::file(Store store) const
{
    return store == Store::Main ? fileName : stagingFileName(exchangeName);
}

db::Table &SubTable::table() const
{
    if (!DM)
        throw db::EngineError(QStringLiteral("数据模块尚未建立"));
    return DM->*dmTable;
}

const QList<SubTable> &subTables()
{
    static const QList<SubTable> tables = {
        {QStringLiteral("CGWCDW"), file::cgwcdw, &TDM::TblCgwcdw, kKeyField, kRegionField, QStringLiteral("ITEM_176")},
        {QStringLiteral("CGWCR"), file::cgwcr, &TDM::TblCgwcr, kKeyField, kRegionField, QStringLiteral("ITEM_187")},
        {QStringLiteral("JDWYHMD"), file::jdwyhmd, &TDM::Tbljdwyhmd, kKeyField, kRegionField, QStringLiteral("ITEM_190")},
        {QStringLiteral("ZLQK"), file::zlqk, &TDM::tblzlqk, kKeyField, kRegionField, QStringLiteral("ITEM_NO")},
    };
    return tables;
}

const SubTable *findSubTable(const QString &name)
{
    for (const SubTable &s : subTables()) {
        for (const QString &candidate : {s.exchangeName, s.fileName, s.file(Store::Staging), s.fileName.section(QLatin1Char('.'), 0, 0)})
            if (name.compare(candidate, Qt::CaseInsensitive) == 0)
                return &s;
    }
    return nullptr;
}

QString recordFile(Store store)
{
    return store == Store::Main ? QString(file::kjcg) : stagingFileName(QStringLiteral("KJCG"));
}

QString recordFilter(const QString &key, const QString &region)
{
    return db::equalsFilter(QStringLiteral("item_4"), key) + QStringLiteral(" and ") + db::equalsFilter(QStringLiteral("item_dqdm"), region);
}

QString nextRecordKey(const QString &year, Store store)
{
    if (!base::isYear(year))
        throw db::EngineError(QStringLiteral("“%1”不是四位数字的年份").arg(year));
    qint64 highest = 0;
    QSet<QString> used;
    QStringList files = {recordFile(store)};
    for (const SubTable &s : subTables())
        files << s.file(store);
    for (const QString &file : files) {
        db::Query q;
        q.setDatabaseName(DataPath);
        q.setSQL(QStringLiteral("select item_4 from \"%1\" where item_4 like'%2%'").arg(file, year));
        q.open();
        for (q.first(); !q.eof(); q.next()) {
            const QString key = q.field(0).asString().trimmed();
            used.insert(key);
            if (file == files.first() && isTenDigitKey(key))
                highest = qMax(highest, key.toLongLong());
        }
    }
    qint64 next = highest > 0 ? highest + 1 : (year + QStringLiteral("000001")).toLongLong();
    while (used.contains(QString::number(next)))
        ++next;
    const QString key = QString::number(next);
    if (!key.startsWith(year))
        throw db::EngineError(QStringLiteral("%1年的成果编号已经用完").arg(year));
    return key;
}

int rekeyRecord(Store store, const RecordId &from, const QString &newKey, const RowEdit &alsoWrite)
{
    const bool moving = newKey != from.key;
    if (moving && !isTenDigitKey(newKey))
        throw db::EngineError(QStringLiteral("新的成果编号“%1”不正确").arg(newKey));
    if (moving && recordHasRows(store, RecordId{newKey, from.region}))
        throw db::EngineError(QStringLiteral("成果编号%1已被其他项目使用").arg(newKey));

    auto record = openTable(recordFile(store), recordFilter(from));
    if (record->isEmpty())
        throw db::EngineError(QStringLiteral("找不到编号为%1的项目，它可能已被删除").arg(from.key));
    SubCursors subs(store, from);

    std::vector<RowUndo> undo;
    int moved = 0;
    try {
        for (int row : takeRows(*record)) {
            gotoRow(*record, row);
            undo.push_back(snapshot(*record));
            record->edit();
            if (alsoWrite)
                alsoWrite(*record);
            record->fieldByName(kKeyField).setAsString(newKey);
            record->post();
        }
        if (moving) {
            for (db::Table *t : subs.tables()) {
                for (int row : takeRows(*t)) {
                    gotoRow(*t, row);
                    undo.push_back(snapshot(*t));
                    t->edit();
                    t->fieldByName(kKeyField).setAsString(newKey);
                    t->post();
                    ++moved;
                }
            }
        }
    } catch (const std::exception &e) {
        QString message = errorText(e);
        record->cancel();
        subs.cancel();
        message += undoRows(undo);
        record->flush();
        subs.release();
        throw db::EngineError(message);
    }
    record->flush();
    subs.release();
    return moved;
}

int deleteRecord(Store store, const RecordId &id)
{
    int deleted = 0;
    auto removeAll = [&](db::Table &t) {
        for (t.first(); !t.isEmpty();) {
            t.deleteRecord();
            ++deleted;
        }
    };
    {
        SubCursors subs(store, id);
        for (db::Table *t : subs.tables())
            removeAll(*t);
    }
    auto record = openTable(recordFile(store), recordFilter(id));
    removeAll(*record);
    record->flush();
    return deleted;
}

int copyRecordRows(Store from, Store to, const RecordId &source, const RecordId &target, const CopiedRow &afterEach)
{
    auto sourceRecord = openTable(recordFile(from), recordFilter(source));
    if (sourceRecord->isEmpty())
        throw db::EngineError(QStringLiteral("找不到编号为%1的项目，它可能已被删除").arg(source.key));
    if (recordHasRows(to, target))
        throw db::EngineError(QStringLiteral("成果编号%1已被其他项目使用").arg(target.key));

    // What is written where: the record row first, then the sub-tables.
    struct Written {
        const SubTable *sub;
        db::Table *table;
        int row;
    };
    std::vector<std::unique_ptr<db::Table>> targets;
    std::vector<Written> written;

    auto copyAll = [&](const SubTable *sub, db::Table &src, const QString &targetFile) {
        targets.push_back(openTable(targetFile));
        db::Table &dst = *targets.back();
        for (src.first(); !src.eof(); src.next()) {
            dst.append();
            for (int i = 0; i < dst.fieldCount(); ++i) {
                db::Field f = dst.field(i);
                if (f.isLookup())
                    continue;
                if (auto s = src.findField(f.name()); s && !s->isLookup())
                    f.setValue(s->value());
            }
            dst.fieldByName(kKeyField).setAsString(target.key);
            dst.fieldByName(kRegionField).setAsString(target.region);
            dst.post();
            written.push_back({sub, &dst, dst.currentRow()});
        }
    };

    try {
        copyAll(nullptr, *sourceRecord, recordFile(to));
        for (const SubTable &s : subTables()) {
            auto src = openTable(s.file(from), recordFilter(source));
            copyAll(&s, *src, s.file(to));
        }
    } catch (const std::exception &e) {
        QString message = errorText(e);
        for (auto &t : targets)
            t->cancel();
        for (auto it = written.rbegin(); it != written.rend(); ++it) {
            try {
                gotoRow(*it->table, it->row);
                it->table->deleteRecord();
            } catch (const std::exception &undoError) {
                message += QLatin1Char('\n') + errorText(undoError);
            }
        }
        for (auto &t : targets)
            t->flush();
        throw db::EngineError(message);
    }
    for (auto &t : targets)
        t->flush();
    if (afterEach) {
        for (const Written &w : written) {
            gotoRow(*w.table, w.row);
            afterEach(w.sub, *w.table);
        }
    }
    return int(written.size());
}

} // namespace data
