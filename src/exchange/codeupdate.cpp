#include "exchange/codeupdate.h"

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
#include <QTemporaryDir>

namespace exchange {

namespace {
const QString kUnchanged = QStringLiteral("代码表未更改。");
} // namespace

const QList<CodeTable> &codeTables()
{
    static const QList<CodeTable> t{
        {QStringLiteral("DFJHXX.ARJ"), QStringLiteral("DFJHXX.TXT"), QStringLiteral("DFJHZDXX.DBF"),
         QStringLiteral("更新“课题来源”下级菜单成功!")},
        {QStringLiteral("ZTFLB.ARJ"), QStringLiteral("ZTFL.TXT"), QStringLiteral("ZTFLH.DBF"), QStringLiteral("更新“中图分类号”菜单成功!")},
        {QStringLiteral("XKFLB.ARJ"), QStringLiteral("XKFL.TXT"), QStringLiteral("XKFL.DBF"), QStringLiteral("更新“学科分类”菜单成功!")},
        {QStringLiteral("LSBWB.ARJ"), QStringLiteral("LSBW.TXT"), QStringLiteral("LSBW.DBF"), QStringLiteral("更新“隶属部委”菜单成功!")},
    };
    return t;
}

void CodeUpdater::swapIn(const CodeTable &t, const QString &newFile)
{
    if (m_release)
        m_release(t.tableFile);
    try {
        QString name = db::resolveFileName(m_data, t.tableFile);
        name = name.isEmpty() ? t.tableFile : QFileInfo(name).fileName();
        db::replaceTableFile(m_data, name, newFile);
    } catch (...) {
        if (m_reopen)
            m_reopen(t.tableFile);
        throw;
    }
    if (m_reopen)
        m_reopen(t.tableFile);
}

bool CodeUpdater::updateFromPackage(int index, const QString &chosenFile)
{
    const CodeTable &t = codeTables().at(index);
    if (!chosenFile.trimmed().toUpper().endsWith(t.package)) {
        m_prompt.message(QStringLiteral("请选择正确导入包,名字是") + t.package + QStringLiteral("!"),
                         platform::AttentionCaption);
        return false;
    }
    try {
        QTemporaryDir work(platform::workFolderTemplate(QStringLiteral("codes")));
        if (!work.isValid())
            throw ArchiveError(QStringLiteral("无法建立临时文件夹"));
        const QString unpacked = work.filePath(QStringLiteral("in"));
        QDir().mkpath(unpacked);
        m_archiver.extract(chosenFile.trimmed(), unpacked);
        const QString member = db::resolveFileName(unpacked, t.member);
        if (member.isEmpty())
            throw ArchiveError(QStringLiteral("更新包中没有文件") + t.member + QStringLiteral("。"));
        QFile f(member);
        if (!f.open(QIODevice::ReadOnly))
            throw ArchiveError(QStringLiteral("无法读取%1：%2").arg(t.member, f.errorString()));
        // The new table has the program's layout of the code table.
        const QVector<db::FieldDef> &columns = data::schemaFor(t.tableFile).fields;
        const QList<TextRow> rows = readExchangeText(f.readAll(), int(columns.size()), t.member, LineStyle::PlainLast);

        // The new table is built whole beside, then swapped in.
        const QString built = work.filePath(t.tableFile);
        db::TableFile::createFile(built, columns);
        {
            const TablePtr nt = db::TableFile::open(built, true);
            QList<Append> out;
            for (const TextRow &r : rows) {
                try {
                    out.append({nt.get(), prepareRow(*nt, r.values)});
                } catch (const db::EngineError &e) {
                    throw ArchiveError(QStringLiteral("%1 第%2行：%3").arg(t.member).arg(r.line).arg(e.message()));
                }
            }
            data::appendRows(out);
            nt->sync();
        }
        swapIn(t, built);
    } catch (const base::Error &e) {
        m_prompt.failure(e, platform::NoteCaption, kUnchanged);
        return false;
    }
    m_prompt.notice(QStringLiteral("导入更新成功！"));
    return true;
}

bool CodeUpdater::updateFromFile(int index, const QString &chosenFile)
{
    const CodeTable &t = codeTables().at(index);
    if (!chosenFile.toUpper().endsWith(QLatin1Char('/') + t.tableFile)) {
        m_prompt.notice(QStringLiteral("请选择正确的文件（%1）！").arg(t.tableFile));
        return false;
    }
    const QString target = db::resolveFileName(m_data, t.tableFile);
    const QFileInfo source(chosenFile);
    if (!target.isEmpty() && source.exists() && source.canonicalFilePath() == QFileInfo(target).canonicalFilePath()) {
        m_prompt.message(QStringLiteral("所选文件就是正在使用的代码表，不能用它更新自己。"),
                         platform::AttentionCaption);
        return false;
    }
    try {
        if (!source.exists())
            throw db::EngineError(QStringLiteral("文件%1不存在").arg(QDir::toNativeSeparators(chosenFile)));
        {
            const TablePtr probe = db::TableFile::open(source.absoluteFilePath(), false);
            const QString mismatch = data::layoutMismatch(data::schemaFor(t.tableFile), probe->schema().fields,
                                                          QStringLiteral("文件") + source.fileName());
            if (!mismatch.isEmpty())
                throw db::EngineError(mismatch + QStringLiteral("，与代码表%1的格式不符").arg(t.tableFile));
        }
        swapIn(t, source.absoluteFilePath());
    } catch (const base::Error &e) {
        m_prompt.failure(e, platform::NoteCaption, kUnchanged);
        return false;
    }
    m_prompt.notice(t.success);
    return true;
}

} // namespace exchange
