// Unpacking a package into a private folder, and converting an older package.

#include "exchange/importer.h"

#include "db/database.h"
#include "exchange/importshared.h"
#include "platform/core/tempfolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace exchange {

using namespace import;
using data::Store;
using data::SubTable;

bool Importer::choosePackage(const QString &path)
{
    const QString name = path.trimmed();
    if (!name.toUpper().endsWith(QStringLiteral("CGSBQY.ARJ"))) {
        m_prompt.message(QStringLiteral("请选择正确导入包,名字是CGSBQY.ARJ!"), kAttention);
        return false;
    }
    m_unpacked.reset();
    auto dir = std::make_unique<QTemporaryDir>(platform::workFolderTemplate(QStringLiteral("import")));
    try {
        if (!dir->isValid())
            throw ArchiveError(QStringLiteral("无法建立临时文件夹：%1").arg(dir->errorString()));
        m_archiver.extract(name, dir->path());
    } catch (const base::Error &e) {
        m_prompt.failure(e, kNote);
        return false;
    }
    m_unpacked = std::move(dir);
    return true;
}

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
        QTemporaryDir work(platform::workFolderTemplate(QStringLiteral("convert")));
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
    } catch (const base::Error &e) {
        m_prompt.failure(e, kNote);
        return false;
    }
    QString folder = QDir::toNativeSeparators(info.absolutePath());
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    m_prompt.notice(QStringLiteral("你已改名成功!文件在") + folder + QStringLiteral("cgsbqy.arj"));
    return true;
}


} // namespace exchange
