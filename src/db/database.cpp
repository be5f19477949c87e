#include "database.h"
#include "error.h"
#include "gbk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace db {

QString resolveTablePath(const QString &folder, const QString &name)
{
    QString file = name.trimmed();
    if (file.isEmpty())
        throw EngineError(QStringLiteral("No table name given"));
    if (file.contains(QLatin1Char('/')) || file.contains(QLatin1Char('\\')) || file == QLatin1String("..") || file == QLatin1String("."))
        throw EngineError(QStringLiteral("'%1' is not a table name").arg(name));
    QString found = resolveFileName(folder, file);
    if (found.isEmpty() && !file.contains(QLatin1Char('.')))
        found = resolveFileName(folder, file + QStringLiteral(".dbf"));
    if (found.isEmpty())
        throw EngineError(QStringLiteral("Table %1 not found in %2").arg(name, QDir::toNativeSeparators(folder)));
    return found;
}

QByteArray blankRecord(const Schema &schema)
{
    return QByteArray(schema.recordLength, ' ');
}

namespace {

[[noreturn]] void doesNotFit(const TableFile &t, const FieldDef &f, const QString &value, const QString &why)
{
    throw EngineError(QStringLiteral("Value '%1' does not fit field %2 of table %3: %4").arg(value, f.name, t.name(), why));
}

QDate parseDateText(const QString &s)
{
    const QString t = s.trimmed();
    for (const char *fmt : {"yyyy-MM-dd", "yyyyMMdd", "yyyy.MM.dd", "yyyy/M/d", "M/d/yyyy", "yyyy-M-d"}) {
        QDate d = QDate::fromString(t, QLatin1String(fmt));
        if (d.isValid())
            return d;
    }
    return QDate();
}

void putRight(char *cell, int width, const QByteArray &text)
{
    std::memset(cell, ' ', size_t(width));
    std::memcpy(cell + width - text.size(), text.constData(), size_t(text.size()));
}

} // namespace

void encodeFieldValue(const TableFile &t, char *record, int field, const Value &v)
{
    const FieldDef &f = t.schema().fields[field];
    char *cell = record + f.offset;
    if (v.isNull() && f.kind != FieldKind::Memo) {
        std::memset(cell, ' ', size_t(f.width));
        return;
    }
    switch (f.kind) {
    case FieldKind::Text: {
        QByteArray bytes = v.toBytes();
        // Trailing blanks are padding anyway.
        while (bytes.endsWith(' '))
            bytes.chop(1);
        if (bytes.size() > f.width)
            doesNotFit(t, f, gbk::decode(bytes),
                       QStringLiteral("it takes %1 bytes, the field holds %2").arg(bytes.size()).arg(f.width));
        std::memset(cell, ' ', size_t(f.width));
        std::memcpy(cell, bytes.constData(), size_t(bytes.size()));
        return;
    }
    case FieldKind::Float:
    case FieldKind::SmallInt:
    case FieldKind::Integer: {
        double d = 0;
        if (v.type == Value::Type::Number) {
            d = v.number;
        } else if (v.type == Value::Type::Text) {
            if (v.text.trimmed().isEmpty()) {
                std::memset(cell, ' ', size_t(f.width));
                return;
            }
            if (!parseNumber(v.text.constData(), v.text.size(), d))
                doesNotFit(t, f, v.toString(), QStringLiteral("it is not a number"));
        } else {
            doesNotFit(t, f, v.toString(), QStringLiteral("it is not a number"));
        }
        if (!std::isfinite(d))
            doesNotFit(t, f, v.toString(), QStringLiteral("it is not a number"));
        if (f.kind != FieldKind::Float) {
            if (std::fabs(d - std::round(d)) > 1e-9)
                doesNotFit(t, f, v.toString(), QStringLiteral("the field holds whole numbers"));
            d = std::round(d);
            const double lo = f.kind == FieldKind::SmallInt ? -32768 : -2147483648.0;
            const double hi = f.kind == FieldKind::SmallInt ? 32767 : 2147483647.0;
            if (d < lo || d > hi)
                doesNotFit(t, f, v.toString(), QStringLiteral("it lies outside %1 to %2").arg(formatNumber(lo), formatNumber(hi)));
        }
        QByteArray text = QByteArray::number(d, 'f', f.decimals);
        if (text.startsWith("-") && text.count('0') + text.count('.') == text.size() - 1)
            text.remove(0, 1);   // "-0.00"
        if (text.size() > f.width)
            doesNotFit(t, f, v.toString(),
                       QStringLiteral("it needs %1 characters, the field N(%2,%3) holds %2").arg(text.size()).arg(f.width).arg(f.decimals));
        putRight(cell, f.width, text);
        return;
    }
    case FieldKind::Date: {
        QDate d;
        if (v.type == Value::Type::Date)
            d = v.date;
        else if (v.type == Value::Type::Text) {
            if (v.text.trimmed().isEmpty()) {
                std::memset(cell, ' ', size_t(f.width));
                return;
            }
            d = parseDateText(v.toString());
        }
        if (!d.isValid() || d.year() < 1 || d.year() > 9999)
            doesNotFit(t, f, v.toString(), QStringLiteral("it is not a date"));
        QByteArray text = d.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        std::memcpy(cell, text.constData(), 8);
        return;
    }
    case FieldKind::Logical: {
        bool b = false;
        if (v.type == Value::Type::Bool)
            b = v.boolean;
        else if (v.type == Value::Type::Number)
            b = v.number != 0;
        else {
            const QByteArray s = v.toBytes().trimmed().toUpper();
            if (s == "T" || s == "Y" || s == "TRUE" || s == "1")
                b = true;
            else if (s == "F" || s == "N" || s == "FALSE" || s == "0")
                b = false;
            else if (s.isEmpty()) {
                cell[0] = ' ';
                return;
            } else
                doesNotFit(t, f, v.toString(), QStringLiteral("it is not true or false"));
        }
        cell[0] = b ? 'T' : 'F';
        return;
    }
    case FieldKind::Memo:
        throw EngineError(QStringLiteral("Memo field %1 of table %2 is written through its dataset").arg(f.name, t.name()));
    }
}

// ---------------------------------------------------------------------------

namespace {

void checkParams(const QStringList &names, const Params &params)
{
    for (const QString &n : names)
        if (!params.find(n))
            throw EngineError(QStringLiteral("Parameter '%1' has no value").arg(n));
}

int fieldIndexOrThrow(const TableFile &t, const QString &name)
{
    int i = t.schema().indexOf(name);
    if (i < 0)
        throw EngineError(QStringLiteral("Field '%1' not found in table %2").arg(name, t.name()));
    return i;
}

// Rows of `t` (not deleted) that satisfy the condition, in file order.
QVector<int> matchingRows(const TableFile &t, const BoundExpr &cond, const Params &params)
{
    QVector<int> rows;
    const int n = t.rowCount();
    rows.reserve(n);
    const bool all = cond.isEmpty();
    for (int i = 0; i < n; ++i) {
        const char *rec = t.row(i);
        if (rec[0] == '*')
            continue;
        if (all || cond.matches(RecordRow(t, rec), &params))
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
        throw EngineError(QStringLiteral("select distinct * is not supported; name one field"));

    const int fi = fieldIndexOrThrow(*table, st.field);
    Schema schema;
    FieldDef def = table->schema().fields[fi];
    if (st.projection == SelectStatement::Projection::Max)
        def.name = QStringLiteral("MAX OF ") + def.name;
    schema.fields << def;
    schema.layout();
    res.store = TableFile::createMemory(schema, table->name());
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
    QVector<Value> seen;
    for (int r : rows) {
        Value v = table->fieldValue(table->row(r), fi);
        if (st.distinct) {
            bool dup = false;
            for (const Value &s : seen)
                if (compareValues(s, v) == 0) {
                    dup = true;
                    break;
                }
            if (dup)
                continue;
            seen << v;
        }
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
                throw EngineError(QStringLiteral("A row of table %1 was changed or deleted since it was read").arg(t.name()));
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
            throw EngineError(QStringLiteral("Insert into %1 names %2 columns but gives %3 values")
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
    throw EngineError(QStringLiteral("This statement does not change data; open it as a query"));
}

void replaceTableFile(const QString &folder, const QString &name, const QString &sourcePath)
{
    QString target;
    try {
        target = resolveTablePath(folder, name);
    } catch (const EngineError &) {
        target = QDir(folder).filePath(name);
    }
    if (TableFile::isOpen(target))
        throw EngineError(QStringLiteral("Table %1 is in use and cannot be replaced").arg(QFileInfo(target).fileName()));
    // The source must be a table we can read, or the data folder would be left
    // with a broken file.
    {
        auto probe = TableFile::open(sourcePath, false);
        Q_UNUSED(probe);
    }
    auto copyAtomically = [](const QString &from, const QString &to) {
        const QString tmp = to + QStringLiteral(".replace-new");
        QFile::remove(tmp);
        if (!QFile::copy(from, tmp))
            throw EngineError(QStringLiteral("Cannot copy %1 to %2").arg(from, tmp));
        int fd = ::open(QFile::encodeName(tmp).constData(), O_RDWR | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
        if (::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(to).constData()) != 0) {
            QFile::remove(tmp);
            throw EngineError(QStringLiteral("Cannot replace %1").arg(to));
        }
    };
    QFileInfo src(sourcePath);
    const QString srcMemo = resolveFileName(src.absolutePath(), src.completeBaseName() + QStringLiteral(".dbt"));
    if (!srcMemo.isEmpty()) {
        QFileInfo tf(target);
        QString memoTarget = resolveFileName(tf.absolutePath(), tf.completeBaseName() + QStringLiteral(".dbt"));
        if (memoTarget.isEmpty())
            memoTarget = tf.absolutePath() + QLatin1Char('/') + tf.completeBaseName() + QStringLiteral(".dbt");
        copyAtomically(srcMemo, memoTarget);
    }
    copyAtomically(sourcePath, target);
    int dfd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

} // namespace db
