// Work on staged records before they are saved: the duplicate check, renaming, deleting and re-dating.

#include "exchange/importer.h"

#include "db/database.h"
#include "exchange/importshared.h"
#include "exchange/tables.h"

#include <QSet>

namespace exchange {

using namespace import;
using data::Store;
using data::SubTable;

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

bool Importer::isRedateYear(const QString &yearText)
{
    const QString year = yearText.trimmed();
    return year.size() == 4 && isValidRecordKey(year.toLatin1() + "000001");
}

bool Importer::redate(int stagingRow, const QString &yearText)
{
    // A year that cannot be is refused before the user is asked anything.
    if (!isRedateYear(yearText)) {
        m_prompt.notice(QStringLiteral("成果年份应为四位数字的年份！"));
        return false;
    }
    if (m_prompt.question(QStringLiteral("确定要更改成果年份吗？"), kAttention) != kYes)
        return false;
    const QByteArray year = yearText.trimmed().toLatin1();
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


} // namespace exchange
