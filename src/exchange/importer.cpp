#include "exchange/importer.h"

#include "data/records.h"
#include "data/schema.h"
#include "db/database.h"
#include "db/error.h"
#include "db/gbk.h"
#include "exchange/format.h"
#include "exchange/tables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace exchange {

namespace {

const QString kAttention = QStringLiteral("请注意！");
const QString kNote = QStringLiteral("提示");

using data::Store;
using data::SubTable;

// A record's sub-tables with the ones named (by exchange name) first, in
// that order, and any others after them in data::subTables() order.  Only
// the order is written here; what the tables are and where their files lie
// comes from data::subTables().
QList<const SubTable *> subTablesInOrder(const QStringList &first)
{
    QList<const SubTable *> out;
    for (const QString &name : first) {
        if (const SubTable *s = data::findSubTable(name))
            out << s;
    }
    for (const SubTable &s : data::subTables()) {
        if (!out.contains(&s))
            out << &s;
    }
    return out;
}

// The order a saved record's rows are written in: patents, persons,
// committee, organisations, and the record row after all of them.  It
// decides which table a failed save names when rows of more than one table
// cannot be written, so it is kept as it is.  Deleting and re-keying staged
// rows follow it too.
const QList<const SubTable *> &copyOrder()
{
    static const QList<const SubTable *> order = subTablesInOrder(
        {QStringLiteral("ZLQK"), QStringLiteral("CGWCR"), QStringLiteral("JDWYHMD"), QStringLiteral("CGWCDW")});
    return order;
}

// The order the staging sub-tables are emptied in; the record table is
// emptied after them, so a failure part way leaves no sub-table row behind
// a staged record that is already gone.
const QList<const SubTable *> &emptyingOrder()
{
    static const QList<const SubTable *> order = subTablesInOrder(
        {QStringLiteral("ZLQK"), QStringLiteral("JDWYHMD"), QStringLiteral("CGWCR"), QStringLiteral("CGWCDW")});
    return order;
}

bool isPersons(const SubTable &s) { return s.exchangeName == QLatin1String("CGWCR"); }

int col(const db::TableFile &t, const QString &name)
{
    const int i = t.schema().indexOf(name);
    if (i < 0)
        throw db::EngineError(QStringLiteral("表%1中没有字段%2").arg(t.name(), name));
    return i;
}

QList<int> liveRows(const db::TableFile &t)
{
    QList<int> rows;
    for (int r = 0; r < t.rowCount(); ++r) {
        if (!t.isDeleted(r))
            rows << r;
    }
    return rows;
}

QString shown(const QByteArray &gbk) { return db::gbk::decode(gbk); }

QByteArray keyText(qint64 key) { return QByteArray::number(key).rightJustified(10, '0'); }

} // namespace

QByteArray arrivalApprovalDate(const QByteArray &token, const QDate &today)
{
    if (QDate::fromString(QString::fromLatin1(token), QStringLiteral("yyyy-MM-dd")).isValid())
        return token;
    return today.toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
}

bool isValidRecordKey(QByteArrayView key)
{
    if (key.size() != 10)
        return false;
    for (char c : key) {
        if (c < '0' || c > '9')
            return false;
    }
    return key.first(4).toInt() >= 1900;
}

bool isValidRegion(QByteArrayView region)
{
    if (region.isEmpty() || region.size() > 3)
        return false;
    for (char c : region) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.'))
            return false;
    }
    return true;
}

Importer::Importer(QString dataFolder, Archiver &archiver, Prompt prompt)
    : m_data(std::move(dataFolder)), m_archiver(archiver), m_prompt(std::move(prompt))
{
}

Importer::~Importer() = default;

void Importer::emptyStaging()
{
    QStringList files;
    for (const SubTable *s : emptyingOrder())
        files << s->file(Store::Staging);
    files << data::recordFile(Store::Staging);
    for (const QString &name : files) {
        const TablePtr t = openTable(m_data, name);
        deleteRows(*t, liveRows(*t));
        t->sync();
    }
}

bool Importer::choosePackage(const QString &path)
{
    const QString name = path.trimmed();
    if (!name.toUpper().endsWith(QStringLiteral("CGSBQY.ARJ"))) {
        m_prompt.message(QStringLiteral("请选择正确导入包,名字是CGSBQY.ARJ!"), kAttention);
        return false;
    }
    m_unpacked.reset();
    auto dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/sorvel-import-XXXXXX"));
    try {
        if (!dir->isValid())
            throw ArchiveError(QStringLiteral("无法建立临时文件夹：%1").arg(dir->errorString()));
        m_archiver.extract(name, dir->path());
    } catch (const ArchiveError &e) {
        m_prompt.message(e.message(), kNote);
        return false;
    }
    m_unpacked = std::move(dir);
    return true;
}

bool Importer::load()
{
    if (!m_unpacked)
        return false;
    const QString folder = m_unpacked->path();
    const QStringList names = exchangeTables().mid(0, 6);
    QStringList present;
    for (const QString &n : names) {
        if (!db::resolveFileName(folder, n + QStringLiteral(".txt")).isEmpty())
            present << n;
    }
    if (present.size() < 5) {
        m_prompt.notice(QStringLiteral("文件的格式不正确"));
        return false;
    }

    // Read and convert every file before a single row is written.
    QList<Append> rows;
    QList<TablePtr> tables;
    QList<QPair<qsizetype, int>> fileStarts;   // first row of each file, exchange name index
    try {
        const QDate today = m_prompt.date();
        for (const QString &n : present) {
            const int fileIndex = int(names.indexOf(n));
            m_prompt.atFile(fileIndex);
            fileStarts.append({rows.size(), fileIndex});
            const QString fileName = n.toUpper() + QStringLiteral(".TXT");
            QFile f(db::resolveFileName(folder, n + QStringLiteral(".txt")));
            if (!f.open(QIODevice::ReadOnly))
                throw ArchiveError(QStringLiteral("无法读取%1：%2").arg(fileName, f.errorString()));
            const QByteArray bytes = f.readAll();
            const TablePtr t = openTable(m_data, data::stagingFileName(n.toUpper()));
            tables << t;
            const bool main = n == QLatin1String("KJCG");
            const bool keyed = n != QLatin1String("unit");
            const int approval = main ? col(*t, "ITEM_121") : -1;
            const int keyCol = keyed ? col(*t, data::kKeyField) : -1;
            const int regionCol = keyed ? col(*t, data::kRegionField) : -1;
            const int kindCol = main ? col(*t, "ITEM_CGLB") : -1;
            const int nameCol = main ? col(*t, "ITEM_3") : -1;
            for (TextRow &r : readExchangeText(bytes, t->schema().count(), fileName)) {
                const auto where = [&] {
                    QString s = QStringLiteral("%1 第%2行").arg(fileName).arg(r.line);
                    if (main)
                        s += QStringLiteral("（“%1”）").arg(shown(r.values[nameCol].trimmed()));
                    return s;
                };
                if (main)
                    r.values[approval] = arrivalApprovalDate(r.values[approval], today);
                if (keyed) {
                    const QByteArray key = r.values[keyCol].trimmed();
                    const QByteArray region = r.values[regionCol].trimmed();
                    if (!isValidRecordKey(key))
                        throw ArchiveError(QStringLiteral("%1：成果编号“%2”不正确，应为四位年份加六位序号。").arg(where(), shown(key)));
                    if (!isValidRegion(region))
                        throw ArchiveError(QStringLiteral("%1：地区代码“%2”不正确。").arg(where(), shown(region)));
                    r.values[keyCol] = key;
                    r.values[regionCol] = region;
                }
                if (main) {
                    const QByteArray kind = r.values[kindCol].trimmed();
                    if (kind != "1" && kind != "2" && kind != "3")
                        throw ArchiveError(QStringLiteral("%1：成果类型“%2”不正确。").arg(where(), shown(kind)));
                }
                if (rows.size() % 500 == 0)
                    m_prompt.step(0, 1);   // lets the window breathe while a long file converts
                try {
                    rows.append({t.get(), prepareRow(*t, r.values)});
                } catch (const db::EngineError &e) {
                    throw ArchiveError(QStringLiteral("%1：%2").arg(where(), e.message()));
                }
            }
        }
    } catch (const FormatError &e) {
        m_prompt.message(e.message() + QStringLiteral("\n导入包未导入。"), kNote);
        return false;
    } catch (const ArchiveError &e) {
        m_prompt.message(e.message() + QStringLiteral("\n导入包未导入。"), kNote);
        return false;
    } catch (const db::EngineError &e) {
        m_prompt.message(e.message() + QStringLiteral("\n导入包未导入。"), kNote);
        return false;
    }
    try {
        int shownFile = -1;
        const auto announce = [&](qsizetype next) {
            int at = -1;
            for (const auto &f : fileStarts)
                if (f.first <= next && f.first < rows.size())
                    at = f.second;
            if (at >= 0 && at != shownFile)
                m_prompt.atFile(shownFile = at);
        };
        announce(0);
        appendAll(rows, [&](int done, int total) {
            announce(std::min<qsizetype>(done, total - 1));
            m_prompt.step(done, total);
        });
    } catch (const db::EngineError &e) {
        // appendAll has taken back every row this load wrote.
        m_prompt.message(e.message() + QStringLiteral("\n导入包未导入。"), kNote);
        return false;
    }
    for (const TablePtr &t : tables)
        t->sync();
    renumber();
    if (stagedRows().isEmpty())
        m_prompt.notice(QStringLiteral("导入的文件为空表！"));
    m_unpacked.reset();   // the text files go with the private folder
    m_prompt.notice(QStringLiteral("导入完毕！"));
    return true;
}

void Importer::renumber()
{
    const TablePtr t = openTable(m_data, data::recordFile(Store::Staging));
    const int no = col(*t, "NO");
    int n = 0;
    for (int r : liveRows(*t)) {
        QByteArray rec(t->row(r), t->schema().recordLength);
        db::encodeFieldValue(*t, rec.data(), no, db::Value::fromBytes(QByteArray::number(++n)));
        t->writeRow(r, rec, {});
    }
    t->sync();
}

QList<int> Importer::stagedRows() const { return liveRows(*openTable(m_data, data::recordFile(Store::Staging))); }

QString Importer::summaryCount() const
{
    return QStringLiteral("记录条数:%1条；").arg(stagedRows().size());
}

QString Importer::summaryKinds() const
{
    const TablePtr t = openTable(m_data, data::recordFile(Store::Staging));
    const int kind = col(*t, "ITEM_CGLB");
    int counts[4] = {0, 0, 0, 0};
    for (int r : liveRows(*t)) {
        const QByteArray k = trimmedText(*t, r, kind);
        if (k == "1" || k == "2" || k == "3")
            ++counts[k.toInt()];
    }
    return QStringLiteral("其中：应用技术%1条，基础理论%2条，软科学%3条。").arg(counts[1]).arg(counts[3]).arg(counts[2]);
}

QList<int> Importer::stagedSubRows(const QString &table, const QByteArray &key, const QByteArray &region) const
{
    const TablePtr t = openTable(m_data, table);
    const int k = col(*t, data::kKeyField), d = col(*t, data::kRegionField);
    QList<int> out;
    for (int r : rowsWithText(*t, k, key)) {
        if (trimmedText(*t, r, d) == region)
            out << r;
    }
    return out;
}

int Importer::checkDuplicates()
{
    const TablePtr main = openTable(m_data, data::recordFile(Store::Main));
    const TablePtr staged = openTable(m_data, data::recordFile(Store::Staging));
    const int mName = col(*main, "ITEM_3"), mOrg = col(*main, "ITEM_9");
    const int sName = col(*staged, "ITEM_3"), sOrg = col(*staged, "ITEM_9");
    QSet<QPair<QByteArray, QByteArray>> existing;
    for (int r : liveRows(*main))
        existing.insert({trimmedText(*main, r, mName), trimmedText(*main, r, mOrg)});
    for (int r : liveRows(*staged)) {
        if (!existing.contains({trimmedText(*staged, r, sName), trimmedText(*staged, r, sOrg)}))
            continue;
        const QString name = shown(exchangeText(*staged, r, sName));
        if (m_prompt.question(QStringLiteral("导入的项目“%1”有重复,是否删除？").arg(name), kAttention, Tone::Question) != kYes)
            return r;
        const int k = col(*staged, data::kKeyField), d = col(*staged, data::kRegionField);
        const QByteArray key = trimmedText(*staged, r, k), region = trimmedText(*staged, r, d);
        for (const SubTable *s : copyOrder()) {
            const QString file = s->file(Store::Staging);
            deleteRows(*openTable(m_data, file), stagedSubRows(file, key, region));
        }
        staged->setDeleted(r, true);
    }
    staged->sync();
    m_prompt.ask ? void(m_prompt.ask(QStringLiteral("排重已经完成！"), QStringLiteral("状态！"), Tone::Information, kOk)) : void();
    return -1;
}

void Importer::renameStaged(int stagingRow, const QString &name)
{
    const TablePtr t = openTable(m_data, data::recordFile(Store::Staging));
    QByteArray gbk;
    if (!db::gbk::encode(name, gbk))
        throw db::EngineError(QStringLiteral("成果名称中有GBK不能表示的字符"));
    QByteArray rec(t->row(stagingRow), t->schema().recordLength);
    db::encodeFieldValue(*t, rec.data(), col(*t, "ITEM_3"), db::Value::fromBytes(gbk));
    t->writeRow(stagingRow, rec, {});
    t->sync();
}

bool Importer::deleteStaged(int stagingRow)
{
    const TablePtr t = openTable(m_data, data::recordFile(Store::Staging));
    if (stagingRow < 0 || stagingRow >= t->rowCount() || t->isDeleted(stagingRow))
        return false;
    if (m_prompt.question(QStringLiteral("是否删除数据？"), kAttention) != kYes)
        return false;
    const QByteArray key = trimmedText(*t, stagingRow, col(*t, data::kKeyField));
    const QByteArray region = trimmedText(*t, stagingRow, col(*t, data::kRegionField));
    for (const SubTable *s : copyOrder()) {
        const QString file = s->file(Store::Staging);
        const TablePtr sub = openTable(m_data, file);
        deleteRows(*sub, stagedSubRows(file, key, region));
        sub->sync();
    }
    t->setDeleted(stagingRow, true);
    renumber();
    return true;
}

bool Importer::redate(int stagingRow, const QString &yearText)
{
    if (m_prompt.question(QStringLiteral("确定要更改成果年份吗？"), kAttention) != kYes)
        return false;
    const QByteArray year = yearText.trimmed().toLatin1();
    if (year.size() != 4 || !isValidRecordKey(year + "000001")) {
        m_prompt.notice(QStringLiteral("成果年份应为四位数字的年份！"));
        return false;
    }
    const TablePtr t = openTable(m_data, data::recordFile(Store::Staging));
    const int k = col(*t, data::kKeyField), d = col(*t, data::kRegionField);
    const QByteArray oldKey = trimmedText(*t, stagingRow, k);
    const QByteArray region = trimmedText(*t, stagingRow, d);
    qint64 top = -1;
    for (int r : liveRows(*t)) {
        const QByteArray key = trimmedText(*t, r, k);
        if (key.size() == 10 && key.startsWith(year))
            top = std::max(top, key.toLongLong());
    }
    QByteArray newKey = top >= 0 ? keyText(top + 1) : year + "000001";
    if (!newKey.startsWith(year)) {
        m_prompt.notice(QStringLiteral("该年份的成果编号已用完！"));
        return false;
    }
    const QByteArray name = trimmedText(*t, stagingRow, col(*t, "ITEM_3"));
    const QString record = QStringLiteral("成果“%1”（编号%2）").arg(shown(name), shown(oldKey));

    // All or nothing: the sub-rows in copy order, then the record row, each
    // with its bytes before and after; the new rows are made before a single
    // one is written.  When a write fails (a full disk, a value a table
    // cannot take) every row written, the failing one included, gets its old
    // bytes back, so the record never ends up split across two keys.
    struct Change {
        TablePtr table;
        int row;
        QByteArray before, after;
    };
    QList<Change> changes;
    QList<TablePtr> tables;
    qsizetype touched = -1;   // the last row whose write was begun
    try {
        QStringList files;
        for (const SubTable *sub : copyOrder())
            files << sub->file(Store::Staging);
        files << data::recordFile(Store::Staging);
        for (const QString &file : files) {
            const TablePtr s = openTable(m_data, file);
            tables << s;
            const int key = col(*s, data::kKeyField);
            for (int r : stagedSubRows(file, oldKey, region)) {
                Change c{s, r, QByteArray(s->row(r), s->schema().recordLength), {}};
                c.after = c.before;
                db::encodeFieldValue(*s, c.after.data(), key, db::Value::fromBytes(newKey));
                changes << c;
            }
        }
        for (const Change &c : std::as_const(changes)) {
            ++touched;
            c.table->writeRow(c.row, c.after, {});
        }
        for (const TablePtr &s : tables)
            s->sync();
    } catch (const db::EngineError &e) {
        QStringList unrestored;
        for (qsizetype i = touched; i >= 0; --i) {
            try {
                changes[i].table->writeRow(changes[i].row, changes[i].before, {});
            } catch (const db::EngineError &u) {
                unrestored << u.message();
            }
        }
        for (const TablePtr &s : tables) {
            try {
                s->sync();
            } catch (const db::EngineError &u) {
                unrestored << u.message();
            }
        }
        if (unrestored.isEmpty()) {
            m_prompt.message(QStringLiteral("%1的年份未能修改，暂存的数据已恢复原样：%2").arg(record, e.message()), kNote);
        } else {
            unrestored.removeDuplicates();
            m_prompt.message(QStringLiteral("%1的年份未能修改：%2\n其暂存的数据未能全部恢复（%3），请重新导入该导入包。")
                                 .arg(record, e.message(), unrestored.join(QStringLiteral("；"))),
                             kNote);
        }
        return false;
    }
    m_prompt.notice(QStringLiteral("成果年份修改成功！"));
    return true;
}

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

bool Importer::convertOldPackage(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const QString base = name.left(name.size() - 4);
    const bool shape = name.size() > 4 && name.right(4).compare(QLatin1String(".ARJ"), Qt::CaseInsensitive) == 0
                       && base.startsWith(QLatin1String("CGSB"), Qt::CaseInsensitive) && base.size() >= 5 && base.size() <= 7;
    if (!shape) {
        m_prompt.message(QStringLiteral("请选择正确文件,被改名的文件类似CGSBXXX.ARJ(XXX为数字)!"), kAttention);
        return false;
    }
    const QString number = base.mid(4);
    const QList<QPair<QString, QString>> renames{{QStringLiteral("KJCG"), QStringLiteral("KJCG.TXT")},
                                                  {QStringLiteral("CGDW"), QStringLiteral("CGWCDW.TXT")},
                                                  {QStringLiteral("CGWCR"), QStringLiteral("CGWCR.TXT")},
                                                  {QStringLiteral("JDMD"), QStringLiteral("JDWYHMD.TXT")},
                                                  {QStringLiteral("ZLQK"), QStringLiteral("ZLQK.TXT")}};
    try {
        QTemporaryDir work(QDir::tempPath() + QStringLiteral("/sorvel-convert-XXXXXX"));
        const QString from = work.filePath(QStringLiteral("old"));
        const QString to = work.filePath(QStringLiteral("new"));
        if (!work.isValid() || !QDir().mkpath(from) || !QDir().mkpath(to))
            throw ArchiveError(QStringLiteral("无法建立临时文件夹"));
        m_archiver.extract(info.absoluteFilePath(), from);
        QStringList missing, members;
        for (const auto &r : renames) {
            const QString old = r.first + number + QStringLiteral(".TXT");
            const QString found = db::resolveFileName(from, old);
            if (found.isEmpty()) {
                missing << old;
                continue;
            }
            if (!QFile::rename(found, QDir(to).filePath(r.second)))
                throw ArchiveError(QStringLiteral("无法重命名%1").arg(old));
            members << r.second;
        }
        if (!missing.isEmpty())
            throw ArchiveError(QStringLiteral("旧导入包中缺少文件：") + missing.join(QStringLiteral("、")));
        QString target = db::resolveFileName(info.absolutePath(), QStringLiteral("cgsbqy.arj"));
        if (target.isEmpty())
            target = QDir(info.absolutePath()).filePath(QStringLiteral("cgsbqy.arj"));
        m_archiver.pack(to, members, target);
    } catch (const ArchiveError &e) {
        m_prompt.message(e.message(), kNote);
        return false;
    }
    QString folder = QDir::toNativeSeparators(info.absolutePath());
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    m_prompt.notice(QStringLiteral("你已改名成功!文件在") + folder + QStringLiteral("cgsbqy.arj"));
    return true;
}

} // namespace exchange
