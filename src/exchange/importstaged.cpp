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

void Importer::deleteStagedRecord(int stagingRow)
{
    const data::RecordTables tables(m_data, Store::Staging);
    const db::TableFile &t = tables.record();
    const QByteArray key = trimmedText(t, stagingRow, col(t, data::kKeyField));
    const QByteArray region = trimmedText(t, stagingRow, col(t, data::kRegionField));
    data::deleteRecord(tables, {db::gbk::decode(key), db::gbk::decode(region)});
}

int Importer::checkDuplicates()
{
    const TablePtr main = openTable(m_data, data::recordFile(Store::Main));
    const TablePtr staged = openTable(m_data, data::recordFile(Store::Staging));
    const int mName = col(*main, "ITEM_3"), mOrg = col(*main, "ITEM_9");
    const int sName = col(*staged, "ITEM_3"), sOrg = col(*staged, "ITEM_9");
    // Only the names that are staged are looked for, in one walk.
    QSet<QPair<QByteArray, QByteArray>> wanted, existing;
    for (int r : liveRows(*staged))
        wanted.insert({trimmedText(*staged, r, sName), trimmedText(*staged, r, sOrg)});
    data::forEachLiveRow(*main, [&](int r) {
        const QPair<QByteArray, QByteArray> id{trimmedText(*main, r, mName), trimmedText(*main, r, mOrg)};
        if (wanted.contains(id))
            existing.insert(id);
    });
    for (int r : liveRows(*staged)) {
        if (!existing.contains({trimmedText(*staged, r, sName), trimmedText(*staged, r, sOrg)}))
            continue;
        const QString name = shown(exchangeText(*staged, r, sName));
        if (m_prompt.question(QStringLiteral("导入的项目“%1”有重复,是否删除？").arg(name), kAttention, Tone::Question) != kYes)
            return r;
        deleteStagedRecord(r);
    }
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
    deleteStagedRecord(stagingRow);
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
    const data::RecordTables tables(m_data, Store::Staging);
    const db::TableFile &t = tables.record();
    const QByteArray oldKey = trimmedText(t, stagingRow, col(t, data::kKeyField));
    const QByteArray region = trimmedText(t, stagingRow, col(t, data::kRegionField));
    const QByteArray name = trimmedText(t, stagingRow, col(t, "ITEM_3"));
    const QString record = QStringLiteral("成果“%1”（编号%2）").arg(shown(name), shown(oldKey));
    QByteArray newKey;
    try {
        newKey = data::KeyBook(tables).take(year);
    } catch (const db::EngineError &) {
        m_prompt.notice(QStringLiteral("该年份的成果编号已用完！"));
        return false;
    }
    // All or nothing: when a write fails (a full disk, a value a table
    // cannot take) every row written gets its old bytes back, so the record
    // never ends up split across two keys.
    try {
        data::rekeyRecord(tables, {db::gbk::decode(oldKey), db::gbk::decode(region)}, QString::fromLatin1(newKey));
    } catch (const db::EngineError &e) {
        m_prompt.message(QStringLiteral("%1的年份未能修改，暂存的数据已恢复原样：%2").arg(record, e.message()), kNote);
        return false;
    }
    m_prompt.notice(QStringLiteral("成果年份修改成功！"));
    return true;
}


} // namespace exchange
