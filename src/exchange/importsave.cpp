// Saving the staged records into the record tables under new keys.
//
// The records go in batches.  Each batch runs under one record journal: the
// rows it appends to the record tables, the rows of the records it replaces
// and the staged rows it takes are named (and synced) before they are
// touched, so a kill leaves every staged record either saved whole, with its
// staged copy gone, or still staged and not saved at all.  Only the rows that
// concern the staged records are looked up in the record tables, each table
// walked once, so the memory a save takes does not grow with them.

#include "exchange/importer.h"

#include "data/schema.h"
#include "exchange/importshared.h"
#include "exchange/tables.h"

#include <QHash>
#include <QSet>

namespace exchange {

using namespace import;
using data::Store;
using data::SubTable;

namespace {

constexpr int kBatch = 1000;

using NameOrg = QPair<QByteArray, QByteArray>;

int subIndex(const SubTable *s) { return int(s - data::subTables().constData()); }

} // namespace

// What a run of saves shares: the two sets of tables, the keys in use, and
// indexes of the rows the save may look for, kept current as records are
// added and removed: main records by name and organisation (only names that
// are staged), their rows by key, staged sub-table rows by key and region,
// and pool persons by name (only names that are staged).
struct Importer::Saving {
    std::unique_ptr<data::RecordTables> main, staged;
    TablePtr pool;
    std::unique_ptr<data::KeyBook> keys;
    QHash<NameOrg, QList<int>> byName;
    QHash<QByteArray, QList<int>> mainByKey;
    QList<QHash<QByteArray, QList<int>>> subByKey; // subTables() order
    QList<QHash<NameOrg, QList<int>>> stagedByKey; // subTables() order
    QHash<QByteArray, QList<int>> poolByName;
    int added = 0, overwritten = 0;
};

// One staged record of a batch, converted and appended.
struct Importer::Planned {
    int stagingRow = -1;
    QByteArray key, region, name, org, newKey;
    QList<data::Append> rows;          // the sub-table rows in copy order, the record row last
    QList<const SubTable *> rowTables; // the sub-table of each row (nullptr: the record row)
    QList<int> personRows;             // staged person rows
    QList<QPair<const SubTable *, int>> stagedSubRows;
    QList<int> written;
};

bool Importer::planRecord(Saving &s, int r, bool overwrite, Planned &p)
{
    const db::TableFile &st = s.staged->record();
    p.stagingRow = r;
    p.key = trimmedText(st, r, col(st, data::kKeyField));
    p.region = trimmedText(st, r, col(st, data::kRegionField));
    p.name = trimmedText(st, r, col(st, "ITEM_3"));
    p.org = trimmedText(st, r, col(st, "ITEM_9"));
    if (overwrite && p.name.isEmpty())
        return false;
    try {
        if (!isValidRecordKey(p.key) || !isValidRegion(p.region))
            throw db::EngineError(
                QStringLiteral("成果编号“%1”或地区代码“%2”不正确").arg(shown(p.key), shown(p.region)));
        // Every row of the record, converted before any is written.
        for (const SubTable *sub : copyOrder()) {
            const int i = subIndex(sub);
            db::TableFile &from = s.staged->sub(i);
            db::TableFile &to = s.main->sub(i);
            for (int sr : s.stagedByKey[i].value({p.key, p.region})) {
                p.rows.append({&to, copyRow(from, sr, to)});
                p.rowTables << sub;
                p.stagedSubRows.append({sub, sr});
                if (isPersons(*sub))
                    p.personRows << sr;
            }
        }
        p.rows.append({&s.main->record(), copyRow(st, r, s.main->record())});
        p.rowTables << nullptr;
        p.newKey = s.keys->take(p.key.left(4), p.key);
        for (data::Append &a : p.rows) {
            setText(*a.table, a.row, data::kKeyField, p.newKey);
            setText(*a.table, a.row, data::kRegionField, ".");
        }
        return true;
    } catch (const db::EngineError &e) {
        m_prompt.message(QStringLiteral("成果“%1”未能入库，其数据未写入：%2").arg(shown(p.name), e.message()), kNote);
        return false;
    }
}

void Importer::finishRecord(Saving &s, Planned &p, bool overwrite, QList<QPair<db::TableFile *, int>> &deletes)
{
    // Indexes follow the new rows.
    for (qsizetype i = 0; i + 1 < p.rows.size(); ++i)
        s.subByKey[subIndex(p.rowTables[i])][p.newKey] << p.written[i];
    const int mainRow = p.written.last();
    if (overwrite) {
        const QList<int> same = s.byName.value({p.name, p.org});
        if (!same.isEmpty()) {
            // The new record is in place: now the old one goes, with its rows.
            db::TableFile &main = s.main->record();
            const QByteArray oldKey = trimmedText(main, same.first(), col(main, data::kKeyField));
            for (int i = 0; i < s.subByKey.size(); ++i) {
                for (int row : s.subByKey[i].take(oldKey))
                    deletes.append({&s.main->sub(i), row});
            }
            const QList<int> oldRows = s.mainByKey.take(oldKey);
            for (int o : oldRows) {
                deletes.append({&main, o});
                s.byName[{trimmedText(main, o, col(main, "ITEM_3")), trimmedText(main, o, col(main, "ITEM_9"))}]
                    .removeAll(o);
            }
            ++s.overwritten;
        } else {
            ++s.added;
        }
    } else {
        ++s.added;
    }
    s.byName[{p.name, p.org}] << mainRow;
    s.mainByKey[p.newKey] << mainRow;
    // The staged copy goes in the same step.
    for (const auto &[sub, row] : std::as_const(p.stagedSubRows))
        deletes.append({&s.staged->sub(subIndex(sub)), row});
    deletes.append({&s.staged->record(), p.stagingRow});
}

void Importer::mergePersons(Saving &s, const Planned &p)
{
    // Every person also goes to the pool, merged by name.
    int persons = 0;
    for (const SubTable &sub : data::subTables())
        if (isPersons(sub))
            persons = subIndex(&sub);
    db::TableFile &from = s.staged->sub(persons);
    const int personName = col(from, "ITEM_180");
    for (int pr : p.personRows) {
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
}

void Importer::saveBatch(Saving &s, const QList<int> &stagingRows, bool overwrite)
{
    QList<Planned> plans;
    for (int r : stagingRows) {
        Planned p;
        if (planRecord(s, r, overwrite, p))
            plans << std::move(p);
    }
    if (plans.isEmpty())
        return;
    data::RecordJournal journal(m_data);
    for (db::TableFile *t : s.main->all())
        journal.appendsTo(*t);
    for (db::TableFile *t : s.staged->all())
        journal.appendsTo(*t); // nothing is appended there: named so they are synced with the rest
    journal.begin();

    // The new rows of every record first, each record all or none.
    for (Planned &p : plans) {
        try {
            p.written = data::appendRows(p.rows);
        } catch (const db::EngineError &e) {
            m_prompt.message(QStringLiteral("成果“%1”未能入库，其数据未写入：%2").arg(shown(p.name), e.message()),
                             kNote);
        }
    }
    // Then what they replace and their staged copies, named in the journal
    // before any of them goes.
    QList<QPair<db::TableFile *, int>> deletes;
    for (Planned &p : plans) {
        if (!p.written.isEmpty())
            finishRecord(s, p, overwrite, deletes);
    }
    if (!deletes.isEmpty()) {
        for (const auto &[table, row] : std::as_const(deletes))
            journal.deletes(*table, row);
        journal.begin();
        for (const auto &[table, row] : std::as_const(deletes))
            data::deleteRows(*table, {row});
    }
    journal.finish();
    for (const Planned &p : std::as_const(plans)) {
        if (!p.written.isEmpty())
            mergePersons(s, p);
    }
    s.pool->sync();
}

void Importer::runSave(bool overwrite)
{
    Saving s;
    s.main = std::make_unique<data::RecordTables>(m_data, Store::Main);
    s.staged = std::make_unique<data::RecordTables>(m_data, Store::Staging);
    s.pool = openTable(m_data, data::file::cgwcrNew);
    s.keys = std::make_unique<data::KeyBook>(*s.main);

    // What the staged records bring: their rows, names and persons.
    const db::TableFile &staged = s.staged->record();
    QSet<NameOrg> names;
    const int sn = col(staged, "ITEM_3"), so = col(staged, "ITEM_9");
    const QList<int> stagedRows = liveRows(staged);
    for (int r : stagedRows)
        names.insert({trimmedText(staged, r, sn), trimmedText(staged, r, so)});
    QSet<QByteArray> persons;
    for (int i = 0; i < data::subTables().size(); ++i) {
        const db::TableFile &st = s.staged->sub(i);
        const int k = col(st, data::kKeyField), d = col(st, data::kRegionField);
        QHash<NameOrg, QList<int>> byKey;
        for (int r : liveRows(st))
            byKey[{trimmedText(st, r, k), trimmedText(st, r, d)}] << r;
        s.stagedByKey << byKey;
        s.subByKey << QHash<QByteArray, QList<int>>();
        if (isPersons(data::subTables()[i])) {
            const int pn = col(st, "ITEM_180");
            for (int r : liveRows(st))
                persons.insert(trimmedText(st, r, pn));
        }
    }

    // The main records a staged one may replace, with their rows.
    if (overwrite) {
        const db::TableFile &main = s.main->record();
        const int mk = col(main, data::kKeyField), mn = col(main, "ITEM_3"), mo = col(main, "ITEM_9");
        QSet<QByteArray> oldKeys;
        data::forEachLiveRow(main, [&](int r) {
            const NameOrg id{trimmedText(main, r, mn), trimmedText(main, r, mo)};
            if (names.contains(id)) {
                s.byName[id] << r;
                oldKeys.insert(trimmedText(main, r, mk));
            }
        });
        if (!oldKeys.isEmpty()) {
            data::forEachLiveRow(main, [&](int r) {
                const QByteArray key = trimmedText(main, r, mk);
                if (oldKeys.contains(key))
                    s.mainByKey[key] << r;
            });
            for (int i = 0; i < data::subTables().size(); ++i) {
                const db::TableFile &t = s.main->sub(i);
                const int k = col(t, data::kKeyField);
                data::forEachLiveRow(t, [&](int r) {
                    const QByteArray key = trimmedText(t, r, k);
                    if (oldKeys.contains(key))
                        s.subByKey[i][key] << r;
                });
            }
        }
    }
    const int pn = col(*s.pool, "ITEM_180");
    data::forEachLiveRow(*s.pool, [&](int r) {
        const QByteArray person = trimmedText(*s.pool, r, pn);
        if (persons.contains(person))
            s.poolByName[person] << r;
    });

    for (qsizetype from = 0; from < stagedRows.size(); from += kBatch) {
        const QList<int> batch = stagedRows.mid(from, kBatch);
        saveBatch(s, batch, overwrite);
        m_prompt.step(int(from + batch.size()), int(stagedRows.size()));
    }
    emptyStaging();
    if (overwrite)
        m_prompt.notice(QStringLiteral("入库完毕！新增%1条,覆盖%2条。").arg(s.added).arg(s.overwritten));
    else
        m_prompt.notice(QStringLiteral("入库完毕!"));
}

void Importer::save() { runSave(false); }
void Importer::saveOverwriting() { runSave(true); }

} // namespace exchange
