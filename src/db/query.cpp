#include "dataset.h"
#include "database.h"
#include "error.h"
#include "gbk.h"

#include <cmath>
#include <cstring>

namespace db {

// ---------------------------------------------------------------------------
// Query

void Query::setSQL(const QString &sql)
{
    if (isActive())
        close();
    m_sql = sql;
    m_parsed.reset();
}

const Statement &Query::parsed()
{
    if (!m_parsed)
        m_parsed = parseStatement(m_sql);
    return *m_parsed;
}

QStringList Query::paramNames() const
{
    return statementParams(parseStatement(m_sql));
}

void Query::setCachedUpdates(bool on)
{
    if (isActive() && on != m_cached)
        throw EngineError(QStringLiteral("请先关闭查询，再切换缓存更新"));
    m_cached = on;
}

void Query::open()
{
    if (isActive())
        return;
    const auto *sel = std::get_if<SelectStatement>(&parsed());
    if (!sel)
        throw EngineError(QStringLiteral("只有 select 语句可以打开，其他语句请用 execSQL 执行"));
    SelectResult res = runSelect(*sel, m_folder, m_params);
    m_live = res.live;
    m_source.reset();
    m_origin.clear();
    m_original.clear();
    if (m_cached && res.live) {
        // A private copy of the rows; the table is written only when the
        // changes are applied.
        auto copy = TableFile::createMemory(res.store->schema(), res.store->name());
        const Schema &s = res.store->schema();
        copy->reserveRows(int(res.rows.size()));
        m_origin.reserve(res.rows.size());
        m_original.reserve(res.rows.size());
        QVector<int> memoFields;
        for (int f = 0; f < s.count(); ++f)
            if (s.fields[f].kind == FieldKind::Memo)
                memoFields << f;
        for (int r : res.rows) {
            QByteArray rec(res.store->row(r), s.recordLength);
            QHash<int, QByteArray> memos;
            for (int f : memoFields)
                memos.insert(f, res.store->memoText(res.store->row(r), f));
            int m = copy->appendRow(std::move(rec), memos);
            m_origin << r;
            m_original << QByteArray(copy->row(m), s.recordLength);
        }
        m_source = res.store;
        activate(copy, std::nullopt, false);
        return;
    }
    activate(res.store, res.rows, !res.live);
}

int Query::execSQL()
{
    const Statement &st = parsed();
    if (std::holds_alternative<SelectStatement>(st)) {
        close();
        open();
        return recordCount();
    }
    return runChange(st, m_folder, m_params);
}

bool Query::updatesPending() const
{
    if (!m_cached || !m_source || !store())
        return false;
    const auto s = store();
    for (int i = 0; i < s->rowCount(); ++i) {
        const bool del = s->isDeleted(i);
        // Rows appended to the cache since it was filled have no entries yet.
        if (i >= m_original.size() || m_origin[i] < 0) {   // not in the table (yet)
            if (!del)
                return true;
        } else if (del || std::memcmp(s->row(i), m_original[i].constData(), size_t(m_original[i].size())) != 0) {
            return true;
        }
    }
    return false;
}

void Query::runCachedChange(const QString &sql, int memRow, int sourceRow)
{
    const auto mem = store();
    const Schema &s = mem->schema();
    Params p = m_params;
    for (int f = 0; f < s.count(); ++f) {
        const QString name = s.fields[f].name;
        p.set(name, mem->fieldValue(mem->row(memRow), f));
        p.set(QStringLiteral("OLD_") + name,
              m_original[memRow].isEmpty() ? Value() : mem->fieldValue(m_original[memRow].constData(), f));
    }
    int appended = -1;
    runChange(parseStatement(sql), m_folder, p, m_source, sourceRow, &appended);
    if (appended >= 0)
        m_origin[memRow] = appended;
}

void Query::applyUpdates()
{
    checkActive();
    if (!m_cached || !m_source)
        throw EngineError(QStringLiteral("该查询没有待提交的缓存更新"));
    if (state() == DatasetState::Edit || state() == DatasetState::Insert)
        post();
    const auto mem = store();
    const Schema &s = mem->schema();
    const int n = mem->rowCount();
    m_origin.resize(n, -1);     // rows appended to the cache: not in the table yet
    m_original.resize(n);
    // Each applied row is committed at once, so a failure part-way leaves the
    // cache describing exactly what is still to be written.
    for (int i = 0; i < n; ++i) {
        const bool del = mem->isDeleted(i);
        // A row that never reached the table is inserted, also when a
        // commit without apply made it look like a row as read.
        const bool inserted = m_original[i].isEmpty() || m_origin[i] < 0;
        const int origin = m_origin[i];
        if (inserted && del)
            continue;
        if (!inserted && !del && std::memcmp(mem->row(i), m_original[i].constData(), size_t(s.recordLength)) == 0)
            continue;
        if (del && origin < 0)
            continue;
        if (m_update) {
            const QString &sql = del ? m_update->deleteSQL : inserted ? m_update->insertSQL : m_update->modifySQL;
            if (sql.trimmed().isEmpty())
                throw EngineError(QStringLiteral("没有为%1数据表 %2 的记录指定语句")
                                      .arg(del ? QStringLiteral("删除") : inserted ? QStringLiteral("插入") : QStringLiteral("修改"), tableName()));
            runCachedChange(sql, i, inserted ? -1 : origin);
        } else {
            QByteArray rec(mem->row(i), s.recordLength);
            QHash<int, QByteArray> memos;
            for (int f = 0; f < s.count(); ++f)
                if (s.fields[f].kind == FieldKind::Memo)
                    memos.insert(f, mem->memoText(mem->row(i), f));
            if (del) {
                if (origin >= 0 && origin < m_source->rowCount())
                    m_source->setDeleted(origin, true);
            } else if (inserted) {
                m_origin[i] = m_source->appendRow(rec, memos);
            } else {
                rec[0] = ' ';
                m_source->writeRow(origin, rec, memos);
            }
        }
        if (del)
            m_origin[i] = -1;
        m_original[i] = del ? QByteArray() : QByteArray(mem->row(i), s.recordLength);
    }
    m_source->sync();
}

void Query::commitUpdates()
{
    if (!m_cached || !store())
        return;
    const auto mem = store();
    m_origin.resize(mem->rowCount(), -1);
    m_original.resize(mem->rowCount());
    for (int i = 0; i < mem->rowCount(); ++i)
        m_original[i] = mem->isDeleted(i) ? QByteArray() : QByteArray(mem->row(i), mem->schema().recordLength);
}

void Query::cancelUpdates()
{
    if (!m_cached || !store())
        return;
    cancel();
    const auto mem = store();
    m_origin.resize(mem->rowCount(), -1);
    m_original.resize(mem->rowCount());
    for (int i = 0; i < mem->rowCount(); ++i) {
        const bool inserted = m_original[i].isEmpty();
        if (inserted) {
            if (!mem->isDeleted(i))
                mem->setDeleted(i, true);
        } else if (std::memcmp(mem->row(i), m_original[i].constData(), size_t(m_original[i].size())) != 0) {
            mem->writeRow(i, m_original[i], {});
        }
    }
    first();
}

} // namespace db
