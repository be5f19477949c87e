#include "records.h"
#include "base/text.h"
#include "db/expr.h"

#include "data/dm.h"
#include "data/schema.h"
#include "db/database.h"
#include "db/error.h"
#include "db/gbk.h"
#include "db/recordcodec.h"
#include "db/tablefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

QString EscapeSqlQuotes(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return out;
}

namespace data {

namespace {

using base::errorText;

bool isTenDigitKey(QByteArrayView s) { return s.size() == 10 && base::isAsciiDigits(s); }

QString text(db::Dataset &ds, const QString &field)
{
    return ds.fieldByName(field).asString().trimmed();
}

} // namespace

RecordId recordIdOf(db::Dataset &row)
{
    if (!row.isActive() || row.isEmpty())
        return {};
    return {text(row, kKeyField), text(row, kRegionField)};
}

QString SubTable::file(Store store) const { return store == Store::Main ? fileName : stagingFileName(exchangeName); }

const QList<SubTable> &subTables()
{
    static const QList<SubTable> tables = {
        {QStringLiteral("CGWCDW"), file::cgwcdw, QStringLiteral("ITEM_176")},
        {QStringLiteral("CGWCR"), file::cgwcr, QStringLiteral("ITEM_187")},
        {QStringLiteral("JDWYHMD"), file::jdwyhmd, QStringLiteral("ITEM_190")},
        {QStringLiteral("ZLQK"), file::zlqk, QStringLiteral("ITEM_NO")},
    };
    return tables;
}

const SubTable *findSubTable(const QString &name)
{
    for (const SubTable &s : subTables()) {
        for (const QString &candidate :
             {s.exchangeName, s.fileName, s.file(Store::Staging), s.fileName.section(QLatin1Char('.'), 0, 0)})
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
    return db::equalsFilter(QStringLiteral("item_4"), key) + QStringLiteral(" and ")
           + db::equalsFilter(QStringLiteral("item_dqdm"), region);
}

TablePtr openTableFile(const QString &folder, const QString &name)
{
    return db::TableFile::open(db::resolveTablePath(folder, name), false);
}

QByteArray trimmedField(const db::TableFile &t, int row, int field)
{
    return t.fieldText(t.row(row), field).trimmed().toByteArray();
}

int fieldIndex(const db::TableFile &t, const QString &name)
{
    const int i = t.schema().indexOf(name);
    if (i < 0)
        throw db::EngineError(QStringLiteral("表%1中没有字段%2").arg(t.name(), name));
    return i;
}

void forEachLiveRow(const db::TableFile &t, const std::function<void(int)> &visit)
{
    constexpr int kPiece = 4096;
    const int rows = t.rowCount();
    for (int first = 0; first < rows; first += kPiece) {
        const int end = qMin(rows, first + kPiece);
        for (int r = first; r < end; ++r) {
            if (!t.isDeleted(r))
                visit(r);
        }
        t.releaseRows(first, end);
    }
}

RecordTables::RecordTables(const QString &folder, Store store)
    : m_folder(folder), m_store(store), m_record(openTableFile(folder, recordFile(store)))
{
    for (const SubTable &s : subTables())
        m_subs << openTableFile(folder, s.file(store));
}

QList<db::TableFile *> RecordTables::all() const
{
    QList<db::TableFile *> out{m_record.get()};
    for (const TablePtr &t : m_subs)
        out << t.get();
    return out;
}

QList<QList<int>> RecordTables::rowsOf(const QByteArray &key, const QByteArray &region) const
{
    QList<QList<int>> out;
    for (db::TableFile *t : all()) {
        const int k = fieldIndex(*t, kKeyField), d = fieldIndex(*t, kRegionField);
        QList<int> rows;
        forEachLiveRow(*t, [&](int r) {
            if (t->fieldText(t->row(r), k).trimmed() == key && t->fieldText(t->row(r), d).trimmed() == region)
                rows << r;
        });
        out << rows;
    }
    return out;
}

KeyBook::KeyBook(const RecordTables &tables)
{
    for (db::TableFile *t : tables.all()) {
        const int k = fieldIndex(*t, kKeyField);
        forEachLiveRow(*t, [&](int r) {
            const QByteArrayView key = t->fieldText(t->row(r), k).trimmed();
            if (!isTenDigitKey(key))
                return;
            const QByteArray year = key.first(4).toByteArray();
            const qint64 n = key.toLongLong();
            auto it = m_top.find(year);
            if (it == m_top.end())
                m_top.insert(year, n);
            else if (*it < n)
                *it = n;
        });
    }
}

QByteArray KeyBook::take(const QByteArray &year, const QByteArray &incoming)
{
    if (!base::isYear(QString::fromLatin1(year)))
        throw db::EngineError(QStringLiteral("“%1”不是四位数字的年份").arg(QString::fromLatin1(year)));
    QByteArray key;
    if (auto it = m_top.constFind(year); it != m_top.constEnd())
        key = QByteArray::number(*it + 1);
    else if (isTenDigitKey(incoming) && incoming.startsWith(year))
        key = incoming;
    else
        key = year + "000001";
    if (!key.startsWith(year))
        throw db::EngineError(QStringLiteral("%1年的成果编号已经用完").arg(QString::fromLatin1(year)));
    m_top[year] = key.toLongLong();
    return key;
}

QString nextRecordKey(const QString &year, Store store)
{
    if (!base::isYear(year))
        throw db::EngineError(QStringLiteral("“%1”不是四位数字的年份").arg(year));
    return QString::fromLatin1(KeyBook(RecordTables(DataPath, store)).take(year.toLatin1()));
}

// ---- the record journal -------------------------------------------------

namespace {

const QByteArray kJournalHead = "sorvel record journal 1";

void callHook()
{
    if (recordWriteHook)
        recordWriteHook();
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        db::syncFile(fd);
        ::close(fd);
    }
}

QString journalError(const QString &path, const QString &why)
{
    return QStringLiteral("无法写入数据文件夹中的%1：%2").arg(QFileInfo(path).fileName(), why);
}

// Puts back what the entries name: rewritten rows get their old bytes,
// deleted rows their mark cleared, and appended rows are marked deleted.
// Returns the tables touched.  Problems are collected, not thrown, so one
// table that cannot be written does not keep the others from being put back.
QList<TablePtr> undo(const QString &folder, const QList<RecordJournal::Entry> &entries, QStringList &problems)
{
    QHash<QString, TablePtr> tables;
    const auto table = [&](const QString &file) -> TablePtr {
        if (!tables.contains(file))
            tables.insert(file, openTableFile(folder, file));
        return tables.value(file);
    };
    for (const char kind : {'w', 'd', 'a'}) {
        for (qsizetype i = entries.size() - 1; i >= 0; --i) {
            const RecordJournal::Entry &e = entries[i];
            if (e.kind != kind)
                continue;
            try {
                const TablePtr t = table(e.file);
                if (kind == 'w' && e.row < t->rowCount() && e.before.size() == t->schema().recordLength)
                    t->writeRow(e.row, e.before, {});
                else if (kind == 'd' && e.row < t->rowCount() && t->isDeleted(e.row))
                    t->setDeleted(e.row, false);
                else if (kind == 'a') {
                    for (int r = e.row; r < t->rowCount(); ++r)
                        if (!t->isDeleted(r))
                            t->setDeleted(r, true);
                }
            } catch (const std::exception &x) {
                problems << errorText(x);
            }
        }
    }
    QList<TablePtr> out;
    for (const TablePtr &t : std::as_const(tables)) {
        try {
            t->sync();
        } catch (const std::exception &x) {
            problems << errorText(x);
        }
        out << t;
    }
    return out;
}

} // namespace

WriteHook recordWriteHook = nullptr;

QString recordJournalPath(const QString &folder) { return QDir(folder).filePath(QStringLiteral("records.journal")); }

RecordJournal::RecordJournal(QString folder) : m_folder(std::move(folder)) {}

RecordJournal::~RecordJournal()
{
    // An operation that left by an exception without finishing is undone.
    if (m_begun) {
        try {
            rollBack();
        } catch (...) {}
    }
}

void RecordJournal::appendsTo(const db::TableFile &t)
{
    for (const Entry &e : std::as_const(m_entries))
        if (e.kind == 'a' && e.file == t.name())
            return;
    m_entries.append({'a', t.name(), t.rowCount(), {}});
    if (!m_tables.contains(&t))
        m_tables << const_cast<db::TableFile *>(&t);
}

void RecordJournal::deletes(const db::TableFile &t, int row)
{
    m_entries.append({'d', t.name(), row, {}});
    if (!m_tables.contains(&t))
        m_tables << const_cast<db::TableFile *>(&t);
}

void RecordJournal::rewrites(const db::TableFile &t, int row)
{
    m_entries.append({'w', t.name(), row, QByteArray(t.row(row), t.schema().recordLength)});
    if (!m_tables.contains(&t))
        m_tables << const_cast<db::TableFile *>(&t);
}

void RecordJournal::begin()
{
    QByteArray text = kJournalHead + '\n';
    for (const Entry &e : std::as_const(m_entries)) {
        text += e.kind;
        text += '\t' + e.file.toUtf8() + '\t' + QByteArray::number(e.row);
        if (e.kind == 'w')
            text += '\t' + e.before.toBase64();
        text += '\n';
    }
    text += "end\n";
    // Written beside and renamed over: a journal already in place (a batch
    // naming more changes as it goes) is never seen half written.
    const QString path = recordJournalPath(m_folder);
    const QString next = path + QStringLiteral(".new");
    callHook();
    QFile f(next);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size() || !f.flush())
        throw db::EngineError(journalError(path, f.errorString()));
    if (db::syncFile(f.handle()) != 0)
        throw db::EngineError(journalError(path, QString::fromLocal8Bit(std::strerror(errno))));
    f.close();
    callHook();
    if (::rename(QFile::encodeName(next).constData(), QFile::encodeName(path).constData()) != 0)
        throw db::EngineError(journalError(path, QString::fromLocal8Bit(std::strerror(errno))));
    syncFolder(m_folder);
    m_begun = true;
    callHook();
}

void RecordJournal::finish()
{
    if (!m_begun)
        return;
    for (db::TableFile *t : std::as_const(m_tables))
        t->sync();
    callHook();
    QFile::remove(recordJournalPath(m_folder));
    syncFolder(m_folder);
    m_begun = false;
}

void RecordJournal::rollBack()
{
    if (!m_begun)
        return;
    m_begun = false;
    QStringList problems;
    undo(m_folder, m_entries, problems);
    if (!problems.isEmpty()) {
        // The journal stays: the next open of the folder tries again.
        problems.removeDuplicates();
        throw db::EngineError(QStringLiteral("未能全部恢复原样（%1），下次打开数据时将再次恢复。")
                                  .arg(problems.join(QStringLiteral("；"))));
    }
    QFile::remove(recordJournalPath(m_folder));
    syncFolder(m_folder);
}

bool recoverRecordJournal(const QString &folder)
{
    const QString path = recordJournalPath(folder);
    QFile::remove(path + QStringLiteral(".new")); // never renamed: nothing was written after it
    QFile f(path);
    if (!f.exists())
        return false;
    if (!f.open(QIODevice::ReadOnly))
        throw db::EngineError(
            QStringLiteral("无法读取数据文件夹中的%1：%2").arg(QFileInfo(path).fileName(), f.errorString()));
    const QList<QByteArray> lines = f.readAll().split('\n');
    f.close();
    // A journal is renamed into place only when whole; one without its end
    // line is not ours to trust, and nothing is put back from it.
    const bool whole = lines.size() >= 3 && lines.first() == kJournalHead && lines.at(lines.size() - 2) == "end";
    if (whole) {
        QList<RecordJournal::Entry> entries;
        for (qsizetype i = 1; i < lines.size() - 2; ++i) {
            const QList<QByteArray> parts = lines[i].split('\t');
            if (parts.size() < 3 || parts[0].size() != 1)
                continue;
            RecordJournal::Entry e{parts[0].at(0), QString::fromUtf8(parts[1]), parts[2].toInt(), {}};
            if (e.kind == 'w' && parts.size() > 3)
                e.before = QByteArray::fromBase64(parts[3]);
            entries << e;
        }
        QStringList problems;
        undo(folder, entries, problems);
        if (!problems.isEmpty())
            throw db::EngineError(QStringLiteral("数据文件夹中有一次未完成的保存，未能恢复原样：%1")
                                      .arg(problems.join(QStringLiteral("；"))));
    }
    QFile::remove(path);
    syncFolder(folder);
    return whole;
}

// ---- writing rows -------------------------------------------------------

QList<int> appendRows(QList<Append> &rows, const std::function<void(int, int)> &progress)
{
    QList<QPair<db::TableFile *, int>> written;
    QList<int> out;
    try {
        for (qsizetype i = 0; i < rows.size(); ++i) {
            Append &a = rows[i];
            callHook();
            const int r = a.table->appendRow(a.row.record, a.row.memos);
            written.append({a.table, r});
            out << r;
            const bool runEnds = i + 1 < rows.size() && rows[i + 1].table != a.table;
            if (progress && (out.size() % 500 == 0 || runEnds))
                progress(int(out.size()), int(rows.size()));
        }
    } catch (...) {
        for (auto it = written.rbegin(); it != written.rend(); ++it) {
            try {
                it->first->setDeleted(it->second, true);
            } catch (...) {}
        }
        throw;
    }
    return out;
}

void deleteRows(db::TableFile &t, const QList<int> &rows)
{
    for (int r : rows) {
        callHook();
        t.setDeleted(r, true);
    }
}

QString RowText::text(const QString &field) const
{
    const int i = fieldIndex(m_t, field);
    if (m_t.schema().fields[i].kind == db::FieldKind::Text)
        return db::gbk::decode(m_t.fieldText(m_record.constData(), i).trimmed().toByteArray());
    return m_t.fieldValue(m_record.constData(), i).toString().trimmed();
}

void RowText::set(const QString &field, const QString &value)
{
    const int i = fieldIndex(m_t, field);
    if (value.isEmpty()) {
        db::encodeFieldValue(m_t, m_record.data(), i, db::Value::null());
        return;
    }
    QByteArray gbk;
    if (!db::gbk::encode(value, gbk))
        throw db::EngineError(QStringLiteral("“%1”中有GBK不能表示的字符").arg(value));
    db::encodeFieldValue(m_t, m_record.data(), i, db::Value::fromBytes(gbk));
}

int rekeyRecord(const RecordTables &tables, const RecordId &from, const QString &newKey, const RowEdit &alsoWrite)
{
    const bool moving = newKey != from.key;
    if (moving && !isTenDigitKey(newKey.toLatin1()))
        throw db::EngineError(QStringLiteral("新的成果编号“%1”不正确").arg(newKey));
    QByteArray key, region, target;
    if (!db::gbk::encode(from.key, key) || !db::gbk::encode(from.region, region))
        throw db::EngineError(QStringLiteral("找不到编号为%1的项目，它可能已被删除").arg(from.key));
    target = newKey.toLatin1();
    if (moving) {
        for (const QList<int> &rows : tables.rowsOf(target, region))
            if (!rows.isEmpty())
                throw db::EngineError(QStringLiteral("成果编号%1已被其他项目使用").arg(newKey));
    }
    const QList<QList<int>> rows = tables.rowsOf(key, region);
    if (rows.first().isEmpty())
        throw db::EngineError(QStringLiteral("找不到编号为%1的项目，它可能已被删除").arg(from.key));

    // Every new row is made before a single one is written.
    struct Change {
        db::TableFile *table;
        int row;
        QByteArray after;
    };
    QList<Change> changes;
    const QList<db::TableFile *> all = tables.all();
    int moved = 0;
    for (qsizetype t = 0; t < all.size(); ++t) {
        if (t > 0 && !moving)
            break;
        db::TableFile &table = *all[t];
        const int k = fieldIndex(table, kKeyField);
        for (int r : rows[t]) {
            QByteArray after(table.row(r), table.schema().recordLength);
            if (t == 0 && alsoWrite) {
                RowText row(table, after);
                alsoWrite(row);
            }
            db::encodeFieldValue(table, after.data(), k, db::Value::fromBytes(target));
            changes.append({&table, r, after});
            if (t > 0)
                ++moved;
        }
    }
    RecordJournal journal(tables.folder());
    for (const Change &c : std::as_const(changes))
        journal.rewrites(*c.table, c.row);
    try {
        journal.begin();
        for (const Change &c : std::as_const(changes)) {
            callHook();
            c.table->writeRow(c.row, c.after, {});
        }
        journal.finish();
    } catch (const std::exception &e) {
        QString message = errorText(e);
        try {
            journal.rollBack();
        } catch (const std::exception &u) {
            message += QLatin1Char('\n') + errorText(u);
        }
        throw db::EngineError(message);
    }
    return moved;
}

int rekeyRecord(Store store, const RecordId &from, const QString &newKey, const RowEdit &alsoWrite)
{
    return rekeyRecord(RecordTables(DataPath, store), from, newKey, alsoWrite);
}

int deleteRecord(const RecordTables &tables, const RecordId &id)
{
    QByteArray key, region;
    if (!db::gbk::encode(id.key, key) || !db::gbk::encode(id.region, region))
        return 0;
    const QList<QList<int>> rows = tables.rowsOf(key, region);
    const QList<db::TableFile *> all = tables.all();
    RecordJournal journal(tables.folder());
    int count = 0;
    for (qsizetype t = 0; t < all.size(); ++t) {
        for (int r : rows[t]) {
            journal.deletes(*all[t], r);
            ++count;
        }
    }
    if (count == 0)
        return 0;
    journal.begin();
    // The sub-table rows first, the record row last.
    for (qsizetype t = all.size() - 1; t >= 0; --t)
        deleteRows(*all[t], rows[t]);
    journal.finish();
    return count;
}

int deleteRecord(Store store, const RecordId &id) { return deleteRecord(RecordTables(DataPath, store), id); }

} // namespace data
