// The import's staging tables: emptying, numbering and counting them, and the
// checks every incoming key and region passes.

#include "exchange/importer.h"

#include "base/text.h"
#include "db/database.h"
#include "exchange/importshared.h"
#include "exchange/tables.h"

namespace exchange {

using namespace import;
using data::Store;
using data::SubTable;

QByteArray arrivalApprovalDate(const QByteArray &token, const QDate &today)
{
    if (QDate::fromString(QString::fromLatin1(token), QStringLiteral("yyyy-MM-dd")).isValid())
        return token;
    return today.toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
}

bool isValidRecordKey(QByteArrayView key)
{
    return key.size() == 10 && base::isAsciiDigits(key) && key.first(4).toInt() >= 1900;
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


} // namespace exchange
