#include "tablerepair.h"

#include "db/error.h"
#include "db/folder.h"
#include "db/tablefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace {

void syncPath(const QString &path, bool folder)
{
    const int fd = ::open(QFile::encodeName(path).constData(), folder ? (O_RDONLY | O_DIRECTORY) : O_RDONLY);
    if (fd >= 0) {
        db::syncFile(fd);
        ::close(fd);
    }
}

// Makes `to` a symbolic link with the very target of the link `from`, so a
// copy never follows a link out of the folder (or round a loop).
void copyLink(const QString &from, const QString &to)
{
    QByteArray target(4096, '\0');
    const ssize_t n = ::readlink(QFile::encodeName(from).constData(), target.data(), size_t(target.size()));
    if (n < 0 || n >= target.size() || ::symlink(target.left(n).constData(), QFile::encodeName(to).constData()) != 0)
        throw db::EngineError(QStringLiteral("无法把链接 %1 复制到 %2")
                                  .arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to)));
}

// Copies the files of `from` (and its sub-folders) into the new folder `to`;
// symbolic links are copied as links.
void copyFolder(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        throw db::EngineError(QStringLiteral("无法创建文件夹 %1").arg(QDir::toNativeSeparators(to)));
    const QFileInfoList entries =
        QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo &e : entries) {
        const QString target = to + QLatin1Char('/') + e.fileName();
        if (e.isSymLink()) {
            copyLink(e.absoluteFilePath(), target);
            continue;
        }
        if (e.isDir()) {
            copyFolder(e.absoluteFilePath(), target);
            continue;
        }
        if (!e.isFile())
            continue; // a pipe or socket holds no data to keep
        if (!QFile::copy(e.absoluteFilePath(), target))
            throw db::EngineError(QStringLiteral("无法把 %1 复制到 %2").arg(QDir::toNativeSeparators(e.absoluteFilePath()),
                                                                           QDir::toNativeSeparators(target)));
        syncPath(target, false);
    }
    syncPath(to, true);
}

} // namespace

TableRepairResult keepReadableRows(const QString &dataPath, const QString &tableFile)
{
    const QString path = db::resolveFileName(dataPath, tableFile);
    if (path.isEmpty())
        throw db::EngineError(QStringLiteral("在 %2 中找不到数据表 %1").arg(tableFile, QDir::toNativeSeparators(dataPath)));
    db::refuseLinkedTable(path, QFileInfo(path).fileName(), QStringLiteral("修复"));
    TableRepairResult result;
    const QString clean = QDir::cleanPath(dataPath);
    QString backup = clean + QStringLiteral("-backup-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 2; QFileInfo::exists(backup); ++n)
        backup = clean + QStringLiteral("-backup-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))
                 + QLatin1Char('-') + QString::number(n);
    try {
        copyFolder(clean, backup);
    } catch (...) {
        QDir(backup).removeRecursively();
        throw;
    }
    syncPath(QFileInfo(backup).absolutePath(), true);
    result.backupFolder = backup;
    result.mended = db::TableFile::repair(path);
    return result;
}
