#include "statements.h"
#include "error.h"
#include "folder.h"
#include "gbk.h"
#include "idle.h"
#include "keyindex.h"
#include "recordcodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <unistd.h>

namespace db {

// ---------------------------------------------------------------------------

namespace {

void checkParams(const QStringList &names, const Params &params)
{
    for (const QString &n : names)
        if (!params.find(n))
            throw EngineError(QStringLiteral("参数“%1”没有赋值").arg(n));
}

int fieldIndexOrThrow(const TableFile &t, const QString &name)
{
    int i = t.schema().indexOf(name);
    if (i < 0)
        throw EngineError(QStringLiteral("数据表 %2 中没有字段“%1”").arg(name, t.name()));
    return i;
}

// Rows of `t` (not deleted) that satisfy the condition, in file order.
QVector<int> matchingRows(const TableFile &t, const BoundExpr &cond, const Params &params)
{
    if (const QVector<int> *candidates = indexedCandidates(t, cond, &params)) {
        QVector<int> rows;
        for (int i : *candidates)
            if (!t.isDeleted(i) && cond.matches(RecordRow(t, t.row(i)), &params))
                rows.append(i);
        return rows;
    }
    QVector<int> rows;
    const int n = t.rowCount();
    rows.reserve(n);
    const bool all = cond.isEmpty();
    for (int i = 0; i < n; ++i) {
        if ((i & 0x3FFF) == 0x3FFF)
            idle();
        if (t.isDeleted(i))
            continue;
        if (all || cond.matches(RecordRow(t, t.row(i)), &params))
            rows.append(i);
    }
    return rows;
}

} // namespace

SelectResult runSelect(const SelectStatement &st, const QString &folder, const Params &params)
{
    checkParams(statementParams(Statement(st)), params);
    auto table = TableFile::open(resolveTablePath(folder, st.table), false);
    const BoundExpr cond = st.where ? BoundExpr(st.where, table->schema(), table->name()) : BoundExpr();
    QVector<int> rows = matchingRows(*table, cond, params);

    // Stable ordering on the values of the order fields.
    if (!st.orderBy.isEmpty()) {
        QVector<int> idx;
        QVector<bool> desc;
        for (const OrderItem &o : st.orderBy) {
            idx << fieldIndexOrThrow(*table, o.field);
            desc << o.descending;
        }
        const int k = int(idx.size());
        QVector<Value> keys(rows.size() * k);
        for (qsizetype r = 0; r < rows.size(); ++r)
            for (int j = 0; j < k; ++j)
                keys[r * k + j] = table->fieldValue(table->row(rows[r]), idx[j]);
        QVector<int> order(rows.size());
        for (int i = 0; i < order.size(); ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            for (int j = 0; j < k; ++j) {
                int c = compareValues(keys[a * k + j], keys[b * k + j]);
                if (c != 0)
                    return desc[j] ? c > 0 : c < 0;
            }
            return false;
        });
        QVector<int> sorted(rows.size());
        for (int i = 0; i < order.size(); ++i)
            sorted[i] = rows[order[i]];
        rows = std::move(sorted);
    }

    SelectResult res;
    if (st.projection == SelectStatement::Projection::All && !st.distinct) {
        res.store = table;
        res.rows = std::move(rows);
        res.live = true;
        return res;
    }
    if (st.projection == SelectStatement::Projection::All)
        throw EngineError(QStringLiteral("不支持 select distinct *，请指定一个字段"));

    const int fi = fieldIndexOrThrow(*table, st.field);
    Schema schema;
    FieldDef def = table->schema().fields[fi];
    if (st.projection == SelectStatement::Projection::Max)
        def.name = QStringLiteral("MAX OF ") + def.name;
    schema.fields << def;
    schema.layout();
    res.store = TableFile::createMemory(schema, table->name());
    res.store->reserveRows(st.projection == SelectStatement::Projection::Max ? 1 : int(rows.size()));
    auto put = [&](const Value &v) {
        QByteArray rec = blankRecord(res.store->schema());
        QHash<int, QByteArray> memos;
        if (def.kind == FieldKind::Memo)
            memos.insert(0, v.text);
        else
            encodeFieldValue(*res.store, rec.data(), 0, v);
        res.rows << res.store->appendRow(rec, memos);
    };
    if (st.projection == SelectStatement::Projection::Max) {
        Value best;
        for (int r : rows) {
            Value v = table->fieldValue(table->row(r), fi);
            if (!v.isNull() && (best.isNull() || compareValues(v, best) > 0))
                best = v;
        }
        put(best);
        return res;
    }
    // Values already listed, ordered as the engine compares them, so each
    // row is looked up in log time and the first of equal values is kept.
    auto less = [](const Value &a, const Value &b) { return compareValues(a, b) < 0; };
    std::set<Value, decltype(less)> seen(less);
    for (int r : rows) {
        Value v = table->fieldValue(table->row(r), fi);
        if (st.distinct && !seen.insert(v).second)
            continue;
        put(v);
    }
    return res;
}

int runChange(const Statement &st, const QString &folder, const Params &params,
              const std::shared_ptr<TableFile> &targetTable, int targetRow, int *appendedRow)
{
    checkParams(statementParams(st), params);
    auto openTable = [&](const QString &name) {
        auto t = TableFile::open(resolveTablePath(folder, name), false);
        return t;
    };
    auto candidates = [&](const TableFile &t, const BoundExpr &cond) -> QVector<int> {
        if (targetRow >= 0 && targetTable && targetTable.get() == &t) {
            if (targetRow >= t.rowCount() || t.isDeleted(targetRow)
                || !(cond.isEmpty() || cond.matches(RecordRow(t, t.row(targetRow)), &params)))
                throw EngineError(QStringLiteral("数据表 %1 的一条记录在读出后已被修改或删除").arg(t.name()));
            return {targetRow};
        }
        return matchingRows(t, cond, params);
    };

    if (auto *del = std::get_if<DeleteStatement>(&st)) {
        auto t = openTable(del->table);
        const BoundExpr cond = del->where ? BoundExpr(del->where, t->schema(), t->name()) : BoundExpr();
        const QVector<int> rows = candidates(*t, cond);
        for (int r : rows)
            t->setDeleted(r, true);
        t->sync();
        return int(rows.size());
    }
    if (auto *upd = std::get_if<UpdateStatement>(&st)) {
        auto t = openTable(upd->table);
        const BoundExpr cond = upd->where ? BoundExpr(upd->where, t->schema(), t->name()) : BoundExpr();
        QVector<QPair<int, BoundExpr>> sets;
        for (const auto &a : upd->assignments)
            sets.append({fieldIndexOrThrow(*t, a.first), BoundExpr(a.second, t->schema(), t->name())});
        const QVector<int> rows = candidates(*t, cond);
        // Compute every new record first, so a value that does not fit
        // changes nothing.
        QVector<QByteArray> recs;
        QVector<QHash<int, QByteArray>> memos;
        for (int r : rows) {
            QByteArray rec(t->row(r), t->schema().recordLength);
            QHash<int, QByteArray> m;
            const RecordRow src(*t, t->row(r));
            for (const auto &s : sets) {
                Value v = s.second.evaluate(src, &params);
                if (t->schema().fields[s.first].kind == FieldKind::Memo)
                    m.insert(s.first, v.toBytes());
                else
                    encodeFieldValue(*t, rec.data(), s.first, v);
            }
            recs << rec;
            memos << m;
        }
        for (int i = 0; i < rows.size(); ++i)
            t->writeRow(rows[i], recs[i], memos[i]);
        t->sync();
        return int(rows.size());
    }
    if (auto *ins = std::get_if<InsertStatement>(&st)) {
        auto t = openTable(ins->table);
        if (ins->columns.size() != ins->values.size())
            throw EngineError(QStringLiteral("向数据表 %1 插入记录时列出了 %2 个字段，却给出了 %3 个值")
                                  .arg(t->name()).arg(ins->columns.size()).arg(ins->values.size()));
        QByteArray rec = blankRecord(t->schema());
        QHash<int, QByteArray> memos;
        // Values are constants and parameters: evaluate them against the blank row.
        const RecordRow blank(*t, rec.constData());
        for (int i = 0; i < ins->columns.size(); ++i) {
            const int fi = fieldIndexOrThrow(*t, ins->columns[i]);
            Value v = BoundExpr(ins->values[i], t->schema(), t->name()).evaluate(blank, &params);
            if (t->schema().fields[fi].kind == FieldKind::Memo)
                memos.insert(fi, v.toBytes());
            else
                encodeFieldValue(*t, rec.data(), fi, v);
        }
        int row = t->appendRow(rec, memos);
        if (appendedRow)
            *appendedRow = row;
        t->sync();
        return 1;
    }
    throw EngineError(QStringLiteral("该语句不修改数据，请作为查询打开"));
}

} // namespace db
