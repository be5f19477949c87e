// Loading the unpacked text files into the staging tables.

#include "exchange/importer.h"

#include "exchange/importshared.h"
#include "data/schema.h"
#include "db/database.h"
#include "exchange/format.h"
#include "exchange/tables.h"

#include <QFile>

namespace exchange {

using namespace import;
using data::Store;
using data::SubTable;

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

    // Read and convert every file before a single row is written.  The
    // progress runs over the rows twice, converted and then written: it
    // moves from the first rows on and is full before the closing message.
    QList<Append> rows;
    QList<TablePtr> tables;
    QList<QPair<qsizetype, int>> fileStarts;   // first row of each file, exchange name index
    qsizetype total = 0;
    const auto progress = [&](qsizetype done) { m_prompt.step(int(done), int(std::max<qsizetype>(2 * total, 1))); };
    try {
        struct FileRows {
            int index;
            QString fileName;
            TablePtr table;
            QList<TextRow> rows;
        };
        QList<FileRows> files;
        for (const QString &n : present) {
            const int fileIndex = int(names.indexOf(n));
            const QString fileName = n.toUpper() + QStringLiteral(".TXT");
            QFile f(db::resolveFileName(folder, n + QStringLiteral(".txt")));
            if (!f.open(QIODevice::ReadOnly))
                throw ArchiveError(QStringLiteral("无法读取%1：%2").arg(fileName, f.errorString()));
            const TablePtr t = openTable(m_data, data::stagingFileName(n.toUpper()));
            const bool main = n == QLatin1String("KJCG");
            const bool keyed = n != QLatin1String("unit");
            const LineStyle style = main ? LineStyle::TrailingTab : keyed ? LineStyle::PlainLast : LineStyle::QuotedLast;
            files.append({fileIndex, fileName, t, readExchangeText(f.readAll(), t->schema().count(), fileName, style)});
            total += files.last().rows.size();
        }
        progress(0);
        const QDate today = m_prompt.date();
        for (FileRows &file : files) {
            const QString &n = names.at(file.index);
            const QString &fileName = file.fileName;
            const TablePtr &t = file.table;
            m_prompt.atFile(file.index);
            fileStarts.append({rows.size(), file.index});
            tables << t;
            const bool main = n == QLatin1String("KJCG");
            const bool keyed = n != QLatin1String("unit");
            const int approval = main ? col(*t, "ITEM_121") : -1;
            const int keyCol = keyed ? col(*t, data::kKeyField) : -1;
            const int regionCol = keyed ? col(*t, data::kRegionField) : -1;
            const int kindCol = main ? col(*t, "ITEM_CGLB") : -1;
            const int nameCol = main ? col(*t, "ITEM_3") : -1;
            for (TextRow &r : file.rows) {
                const auto where = [&] {
                    QString s = QStringLiteral("%1 第%2行").arg(fileName).arg(r.line);
                    if (main)
                        s += QStringLiteral("（“%1”）").arg(shown(r.values[nameCol].trimmed()));
                    return s;
                };
                if (main)
                    r.values[approval] = arrivalApprovalDate(r.values[approval], today);
                if (keyed) {
                    r.values[keyCol] = r.values[keyCol].trimmed();
                    r.values[regionCol] = r.values[regionCol].trimmed();
                }
                if (rows.size() % 100 == 0)
                    progress(rows.size());
                // Every value is fitted to its field before any is quoted.
                PreparedRow prepared;
                try {
                    prepared = prepareRow(*t, r.values);
                } catch (const db::EngineError &e) {
                    throw ArchiveError(QStringLiteral("%1：%2").arg(where(), e.message()));
                }
                if (keyed) {
                    if (!isValidRecordKey(r.values[keyCol]))
                        throw ArchiveError(QStringLiteral("%1：成果编号“%2”不正确，应为四位年份加六位序号。").arg(where(), shown(r.values[keyCol])));
                    if (!isValidRegion(r.values[regionCol]))
                        throw ArchiveError(QStringLiteral("%1：地区代码“%2”不正确。").arg(where(), shown(r.values[regionCol])));
                }
                if (main) {
                    const QByteArray kind = r.values[kindCol].trimmed();
                    if (kind != "1" && kind != "2" && kind != "3")
                        throw ArchiveError(QStringLiteral("%1：成果类型“%2”不正确。").arg(where(), shown(kind)));
                }
                rows.append({t.get(), std::move(prepared)});
            }
        }
    } catch (const base::Error &e) {
        m_prompt.failure(e, kNote, QStringLiteral("导入包未导入。"));
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
        progress(rows.size());
        data::appendRows(rows, [&](int done, int count) {
            announce(std::min<qsizetype>(done, count - 1));
            progress(total + done);
        });
        progress(2 * total);
    } catch (const base::Error &e) {
        // appendAll has taken back every row this load wrote.
        m_prompt.failure(e, kNote, QStringLiteral("导入包未导入。"));
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


} // namespace exchange
