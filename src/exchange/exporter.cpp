#include "exchange/exporter.h"

#include "data/records.h"
#include "data/schema.h"
#include "db/database.h"
#include "db/error.h"
#include "exchange/format.h"
#include "exchange/tables.h"
#include "platform/core/captions.h"
#include "platform/core/tempfolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>

namespace exchange {

namespace {

// The organisation file's columns, in the order other installations read them.
const QStringList &unitColumns()
{
    static const QStringList c{
        QStringLiteral("item_124_1"), QStringLiteral("unitintrod"), QStringLiteral("advantage"), QStringLiteral("chiefexper"),
        QStringLiteral("item_37"),    QStringLiteral("item_38"),    QStringLiteral("item_39"),   QStringLiteral("item_40"),
        QStringLiteral("item_41"),    QStringLiteral("item_41_2"),  QStringLiteral("item_61"),   QStringLiteral("item_64"),
        QStringLiteral("item_9"),     QStringLiteral("item_15"),    QStringLiteral("item_420"),  QStringLiteral("unitcode"),
        QStringLiteral("unitlevel"),  QStringLiteral("endlevel"),   QStringLiteral("item_62"),   QStringLiteral("item_163"),
        QStringLiteral("item_60"),    QStringLiteral("item_41_3"),  QStringLiteral("upunitcode"), QStringLiteral("item_124_2"),
        QStringLiteral("item_15_1"),  QStringLiteral("studydirec")};
    return c;
}

int column(const db::TableFile &t, const QString &name)
{
    const int i = t.schema().indexOf(name);
    if (i < 0)
        throw db::EngineError(QStringLiteral("表%1中没有字段%2").arg(t.name(), name));
    return i;
}

QByteArray returnedFlag(const QByteArray &v) { return v.trimmed() == "1" ? QByteArray("1") : QByteArray("0"); }

// Lines of a sub-table: rows whose key is one of `keys`, in table order.
QByteArray subTableText(const db::TableFile &t, const QSet<QByteArray> &keys)
{
    const int n = t.schema().count();
    const int key = column(t, data::kKeyField);
    const bool persons = t.schema().fields[n - 1].name.compare(QLatin1String("ITEM_NO"), Qt::CaseInsensitive) == 0
                         && t.schema().fields[n - 2].name.compare(QLatin1String("ITEM_188"), Qt::CaseInsensitive) == 0;
    QByteArray out;
    for (int r = 0; r < t.rowCount(); ++r) {
        if (t.isDeleted(r) || !keys.contains(trimmedText(t, r, key)))
            continue;
        QList<QByteArray> values;
        const int written = persons ? n - 1 : n;   // the persons' ITEM_NO stays home
        for (int i = 0; i < written; ++i)
            values << exchangeText(t, r, i);
        if (t.schema().fields[written - 1].name.compare(QLatin1String("ITEM_188"), Qt::CaseInsensitive) == 0)
            values.last() = returnedFlag(values.last());
        out += formatLine(values, LineStyle::PlainLast);
    }
    return out;
}

} // namespace

QStringList packageMembers()
{
    QStringList m;
    for (const QString &n : exchangeTables())
        m << n.toUpper() + QStringLiteral(".TXT");
    return m;
}

void Exporter::resetExportMarks()
{
    const TablePtr kjcg = openTable(m_data, data::recordFile(data::Store::Main));
    const int mark = column(*kjcg, QStringLiteral("ITEM_SJDC"));
    for (int r = 0; r < kjcg->rowCount(); ++r) {
        if (kjcg->isDeleted(r) || kjcg->fieldText(kjcg->row(r), mark) == "0")
            continue;
        QByteArray rec(kjcg->row(r), kjcg->schema().recordLength);
        db::encodeFieldValue(*kjcg, rec.data(), mark, db::Value::fromBytes("0"));
        kjcg->writeRow(r, rec, {});
    }
    kjcg->sync();
}

QList<QPair<QString, QByteArray>> Exporter::memberTexts(const QList<int> &rows)
{
    const TablePtr kjcg = openTable(m_data, data::recordFile(data::Store::Main));
    const int n = kjcg->schema().count();
    const int key = column(*kjcg, data::kKeyField);
    const int mark = column(*kjcg, QStringLiteral("ITEM_SJDC"));

    QList<QPair<QString, QByteArray>> members;
    QByteArray main;
    QSet<QByteArray> keys;
    int done = 0;
    for (int r : rows) {
        keys.insert(trimmedText(*kjcg, r, key));
        QList<QByteArray> values;
        for (int i = 0; i < n - 1; ++i)   // the table's last column does not travel
            values << (i == mark ? QByteArray("0") : exchangeText(*kjcg, r, i));
        main += formatLine(values, LineStyle::TrailingTab);
        m_prompt.step(++done, int(rows.size()) * 2);
    }
    members.append({QStringLiteral("KJCG.TXT"), main});
    // The sub-tables come in exchange order, as the package lists its members.
    for (const data::SubTable &s : data::subTables()) {
        members.append({s.exchangeName + QStringLiteral(".TXT"), subTableText(*openTable(m_data, s.file(data::Store::Main)), keys)});
        done += int(rows.size()) / 4;
        m_prompt.step(done, int(rows.size()) * 2);
    }

    const TablePtr unit = openTable(m_data, data::file::unit);
    QByteArray unitText;
    for (int r = 0; r < unit->rowCount(); ++r) {
        if (unit->isDeleted(r))
            continue;
        QList<QByteArray> values;
        for (const QString &c : unitColumns())
            values << exchangeText(*unit, r, column(*unit, c));
        unitText += formatLine(values, LineStyle::QuotedLast);
    }
    members.append({QStringLiteral("UNIT.TXT"), unitText});

    // Discipline leaders, with the text of their sex code.
    const TablePtr expert = openTable(m_data, data::file::unitexpert);
    const TablePtr dict = openTable(m_data, data::file::zdxx);
    QHash<QByteArray, QByteArray> sexText;
    {
        const int zddm = column(*dict, QStringLiteral("zddm")), xxdm = column(*dict, QStringLiteral("xxdm")),
                  xxmc = column(*dict, QStringLiteral("xxmc"));
        for (int r = 0; r < dict->rowCount(); ++r) {
            if (!dict->isDeleted(r) && trimmedText(*dict, r, zddm).toLower() == "item_181") {
                const QByteArray code = trimmedText(*dict, r, xxdm);
                if (!sexText.contains(code))
                    sexText.insert(code, exchangeText(*dict, r, xxmc));
            }
        }
    }
    QByteArray expertText;
    const QStringList expertColumns{QStringLiteral("unitcode"), QStringLiteral("item_187"), QStringLiteral("item_180"),
                                    QStringLiteral("item_181"), QStringLiteral("item_182"), QStringLiteral("item_124_1")};
    const int sex = column(*expert, QStringLiteral("item_181"));
    for (int r = 0; r < expert->rowCount(); ++r) {
        if (expert->isDeleted(r))
            continue;
        QList<QByteArray> values;
        for (const QString &c : expertColumns)
            values << exchangeText(*expert, r, column(*expert, c));
        values << sexText.value(trimmedText(*expert, r, sex));
        expertText += formatLine(values, LineStyle::PlainLast);
    }
    members.append({QStringLiteral("EXPERT.TXT"), expertText});
    return members;
}

bool Exporter::exportRecords(const QString &folderText, QList<int> selected)
{
    const QString trimmed = folderText.trimmed();
    if (trimmed.size() > kFolderLimit) {
        m_prompt.notice(QStringLiteral("文件目录路径不超过7个字符！"));
        return false;
    }
    QString folder = trimmed;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    if (!QDir().mkpath(folder)) {
        m_prompt.notice(QStringLiteral("不能建立导出文件夹：") + QDir::toNativeSeparators(folder));
        return false;
    }
    if (!db::resolveFileName(folder, QStringLiteral("cgsbqy.arj")).isEmpty()) {
        const int a =
            m_prompt.ask
                ? m_prompt.ask(QStringLiteral("该路径存在上报文件！选择“是”该文件将被覆盖；选择“否”放弃操作。如果需要保"
                                              "存现存文件，需要把该文件保存到到别的文件夹内，再执行该操作！"),
                               platform::PromptCaption, Tone::Information, kYes | kNo)
                : kNo;
        if (a != kYes)
            return false;
    }
    const TablePtr kjcg = openTable(m_data, data::recordFile(data::Store::Main));
    if (selected.isEmpty()) {
        const int a = m_prompt.ask ? m_prompt.ask(QStringLiteral("请选择您要导出的项目，是否全部选择？"),
                                                  platform::PromptCaption, Tone::Information, kYes | kNo)
                                   : kNo;
        if (a != kYes)
            return false;
        for (int r = 0; r < kjcg->rowCount(); ++r) {
            if (!kjcg->isDeleted(r))
                selected << r;
        }
    }
    std::sort(selected.begin(), selected.end());   // table order
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());

    QString package;
    try {
        const auto members = memberTexts(selected);
        QTemporaryDir work(platform::workFolderTemplate(QStringLiteral("export")));
        if (!work.isValid())
            throw ArchiveError(QStringLiteral("无法建立临时文件夹：%1").arg(work.errorString()));
        QStringList names;
        for (const auto &m : members) {
            QFile f(work.filePath(m.first));
            if (!f.open(QIODevice::WriteOnly) || f.write(m.second) != m.second.size())
                throw ArchiveError(QStringLiteral("无法写入%1：%2").arg(m.first, f.errorString()));
            names << m.first;
        }
        package = db::resolveFileName(folder, QStringLiteral("cgsbqy.arj"));
        if (package.isEmpty())
            package = folder + QStringLiteral("cgsbqy.arj");
        m_archiver.pack(work.path(), names, package);

        // The records written carry the export mark.
        const int mark = column(*kjcg, QStringLiteral("ITEM_SJDC"));
        for (int r : selected) {
            QByteArray rec(kjcg->row(r), kjcg->schema().recordLength);
            db::encodeFieldValue(*kjcg, rec.data(), mark, db::Value::fromBytes("1"));
            kjcg->writeRow(r, rec, {});
        }
        kjcg->sync();
    } catch (const base::Error &e) {
        m_prompt.failure(e, platform::PromptCaption);
        return false;
    }
    // The package's name as it stands in the folder (an older one written
    // as "CGSBQY.ARJ" keeps its letters when it is overwritten).
    m_prompt.notice(QStringLiteral("你已打包成功!文件在") + QDir::toNativeSeparators(folder) + QFileInfo(package).fileName());
    return true;
}

} // namespace exchange
