// Saving the staged records into the record tables under new keys.

#include "exchange/importer.h"

#include "exchange/importshared.h"
#include "data/schema.h"
#include "exchange/tables.h"

#include <QHash>

namespace exchange {

using namespace import;
using data::Store;
using data::SubTable;

// What a run of saves shares: the tables, the largest key of every year,
// and indexes of the rows by key, by name and organisation, and of the
// person pool by name, kept current as records are added and removed.
struct Importer::Saving {
    TablePtr main, staged, pool;
    QList<TablePtr> subs, stagedSubs;
    QHash<QByteArray, qint64> topKey;                          // year -> largest key
    QHash<QPair<QByteArray, QByteArray>, QList<int>> byName;   // main rows by name and organisation
    QList<QHash<QByteArray, QList<int>>> subByKey;             // main sub-table rows by key
    QHash<QByteArray, QList<int>> mainByKey;
    QList<QHash<QPair<QByteArray, QByteArray>, QList<int>>> stagedByKey;
    QHash<QByteArray, QList<int>> poolByName;
    int added = 0, overwritten = 0;
};

bool Importer::saveRecord(Saving &s, int r, bool overwrite)
{
    const db::TableFile &st = *s.staged;
    const QByteArray key = trimmedText(st, r, col(st, data::kKeyField));
    const QByteArray region = trimmedText(st, r, col(st, data::kRegionField));
    const QByteArray name = trimmedText(st, r, col(st, "ITEM_3"));
    const QByteArray org = trimmedText(st, r, col(st, "ITEM_9"));
    const QString shownName = shown(name);
    if (overwrite && name.isEmpty())
        return false;
    try {
        if (!isValidRecordKey(key) || !isValidRegion(region))
            throw db::EngineError(QStringLiteral("成果编号“%1”或地区代码“%2”不正确").arg(shown(key), shown(region)));
        const QByteArray year = key.left(4);
        QByteArray newKey = s.topKey.contains(year) ? keyText(s.topKey.value(year) + 1) : key;
        if (!newKey.startsWith(year))
            throw db::EngineError(QStringLiteral("%1年的成果编号已用完").arg(QString::fromLatin1(year)));

        // Every row of the record, converted before any is written.
        QList<Append> rows;
        QList<int> personRows;
        for (int i = 0; i < copyOrder().size(); ++i) {
            db::TableFile &from = *s.stagedSubs[i];
            db::TableFile &to = *s.subs[i];
            for (int sr : s.stagedByKey[i].value({key, region})) {
                PreparedRow p = copyRow(from, sr, to);
                setText(to, p, data::kKeyField, newKey);
                setText(to, p, data::kRegionField, ".");
                rows.append({&to, std::move(p)});
                if (isPersons(*copyOrder()[i]))
                    personRows << sr;
            }
        }
        PreparedRow p = copyRow(st, r, *s.main);
        setText(*s.main, p, data::kKeyField, newKey);
        setText(*s.main, p, data::kRegionField, ".");
        rows.append({s.main.get(), std::move(p)});
        const QList<int> written = appendAll(rows);

        // Indexes follow the new rows.
        for (int i = 0; i < rows.size() - 1; ++i) {
            const int t = int(std::find_if(s.subs.begin(), s.subs.end(), [&](const TablePtr &x) { return x.get() == rows[i].table; })
                              - s.subs.begin());
            s.subByKey[t][newKey] << written[i];
        }
        const int mainRow = written.last();
        s.topKey[year] = newKey.toLongLong();

        if (overwrite) {
            const QList<int> same = s.byName.value({name, org});
            if (!same.isEmpty()) {
                // The new record is in place: now the old one goes, with its rows.
                const QByteArray oldKey = trimmedText(*s.main, same.first(), col(*s.main, data::kKeyField));
                for (int i = 0; i < s.subs.size(); ++i) {
                    deleteRows(*s.subs[i], s.subByKey[i].take(oldKey));
                }
                const QList<int> oldRows = s.mainByKey.take(oldKey);
                deleteRows(*s.main, oldRows);
                for (int o : oldRows) {
                    const QPair<QByteArray, QByteArray> id{trimmedText(*s.main, o, col(*s.main, "ITEM_3")),
                                                           trimmedText(*s.main, o, col(*s.main, "ITEM_9"))};
                    s.byName[id].removeAll(o);
                }
                ++s.overwritten;
            } else {
                ++s.added;
            }
        } else {
            ++s.added;
        }
        s.byName[{name, org}] << mainRow;
        s.mainByKey[newKey] << mainRow;

        // Every person also goes to the pool, merged by name.
        const int stagedPersons = int(std::find_if(copyOrder().begin(), copyOrder().end(),
                                                   [](const SubTable *x) { return isPersons(*x); })
                                      - copyOrder().begin());
        db::TableFile &from = *s.stagedSubs[stagedPersons];
        const int personName = col(from, "ITEM_180");
        for (int pr : personRows) {
            const QByteArray person = trimmedText(from, pr, personName);
            QList<int> &known = s.poolByName[person];
            if (known.size() > 1)
                continue;
            PreparedRow row = copyRow(from, pr, *s.pool);
            setText(*s.pool, row, QStringLiteral("ITEM_180"), person);
            if (known.isEmpty())
                known << s.pool->appendRow(row.record, row.memos);
            else
                s.pool->writeRow(known.first(), row.record, row.memos);
        }
        return true;
    } catch (const db::EngineError &e) {
        m_prompt.message(QStringLiteral("成果“%1”未能入库，其数据未写入：%2").arg(shownName, e.message()), kNote);
        return false;
    }
}

namespace {
void indexRows(const db::TableFile &t, QHash<QByteArray, QList<int>> &index, int field)
{
    for (int r : liveRows(t))
        index[trimmedText(t, r, field)] << r;
}
} // namespace

void Importer::runSave(bool overwrite)
{
    Saving s;
    s.main = openTable(m_data, data::recordFile(Store::Main));
    s.staged = openTable(m_data, data::recordFile(Store::Staging));
    s.pool = openTable(m_data, data::file::cgwcrNew);
    for (const SubTable *sub : copyOrder()) {
        s.subs << openTable(m_data, sub->file(Store::Main));
        s.stagedSubs << openTable(m_data, sub->file(Store::Staging));
        QHash<QByteArray, QList<int>> byKey;
        indexRows(*s.subs.last(), byKey, col(*s.subs.last(), sub->keyField));
        s.subByKey << byKey;
        const db::TableFile &st = *s.stagedSubs.last();
        QHash<QPair<QByteArray, QByteArray>, QList<int>> staged;
        const int k = col(st, sub->keyField), d = col(st, sub->regionField);
        for (int r : liveRows(st))
            staged[{trimmedText(st, r, k), trimmedText(st, r, d)}] << r;
        s.stagedByKey << staged;
    }
    const int mk = col(*s.main, data::kKeyField), mn = col(*s.main, "ITEM_3"), mo = col(*s.main, "ITEM_9");
    for (int r : liveRows(*s.main)) {
        const QByteArray key = trimmedText(*s.main, r, mk);
        s.mainByKey[key] << r;
        s.byName[{trimmedText(*s.main, r, mn), trimmedText(*s.main, r, mo)}] << r;
        if (key.size() == 10 && isValidRecordKey(key))
            s.topKey[key.left(4)] = std::max(s.topKey.value(key.left(4), 0), key.toLongLong());
    }
    // Keys left behind in a sub-table count as used: a new record must not
    // inherit somebody else's rows.
    for (int i = 0; i < s.subs.size(); ++i) {
        for (auto it = s.subByKey[i].cbegin(); it != s.subByKey[i].cend(); ++it) {
            if (isValidRecordKey(it.key()))
                s.topKey[it.key().left(4)] = std::max(s.topKey.value(it.key().left(4), 0), it.key().toLongLong());
        }
    }
    indexRows(*s.pool, s.poolByName, col(*s.pool, "ITEM_180"));

    const QList<int> staged = liveRows(*s.staged);
    int done = 0;
    for (int r : staged) {
        saveRecord(s, r, overwrite);
        m_prompt.step(++done, int(staged.size()));
    }
    for (const TablePtr &t : s.subs)
        t->sync();
    s.main->sync();
    s.pool->sync();
    emptyStaging();
    if (overwrite)
        m_prompt.notice(QStringLiteral("入库完毕！新增%1条,覆盖%2条。").arg(s.added).arg(s.overwritten));
    else
        m_prompt.notice(QStringLiteral("入库完毕!"));
}

void Importer::save() { runSave(false); }
void Importer::saveOverwriting() { runSave(true); }


} // namespace exchange
