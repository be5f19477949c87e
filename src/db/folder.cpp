#include "folder.h"
#include "error.h"
#include "fileio.h"
#include "gbk.h"
#include "tablefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace db {

QString resolveTablePath(const QString &folder, const QString &name)
{
    QString file = name.trimmed();
    if (file.isEmpty())
        throw EngineError(QStringLiteral("没有给出数据表名"));
    if (file.contains(QLatin1Char('/')) || file.contains(QLatin1Char('\\')) || file == QLatin1String("..") || file == QLatin1String("."))
        throw EngineError(QStringLiteral("“%1”不是数据表名").arg(name));
    QString found = resolveFileName(folder, file);
    if (found.isEmpty() && !file.contains(QLatin1Char('.')))
        found = resolveFileName(folder, file + QStringLiteral(".dbf"));
    if (found.isEmpty())
        throw EngineError(QStringLiteral("在 %2 中找不到数据表 %1").arg(name, QDir::toNativeSeparators(folder)));
    return found;
}

void refuseLinkedTable(const QString &tablePath, const QString &tableName, const QString &action)
{
    const QString absolute = QFileInfo(tablePath).absoluteFilePath();
    for (const QString &file : {absolute, memoPathFor(absolute)}) {
        struct stat st {};
        if (::lstat(QFile::encodeName(file).constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            continue;
        throw EngineError(QStringLiteral("数据表 %1 的文件 %2 是指向 %3 的符号链接，程序不通过链接%4数据表。\n"
                                         "请把链接换成数据表文件本身后再试。")
                              .arg(tableName, QDir::toNativeSeparators(file),
                                   QDir::toNativeSeparators(QFileInfo(file).symLinkTarget()), action));
    }
}

void replaceTableFile(const QString &folder, const QString &name, const QString &sourcePath)
{
    QString target;
    try {
        target = resolveTablePath(folder, name);
    } catch (const EngineError &) {
        target = QDir(folder).filePath(name);
    }
    if (TableFile::isOpen(target))
        throw EngineError(QStringLiteral("数据表 %1 正在使用，无法替换").arg(QFileInfo(target).fileName()));
    // The source must be a table we can read, or the data folder would be left
    // with a broken file.
    {
        auto probe = TableFile::open(sourcePath, false);
        Q_UNUSED(probe);
    }
    auto copyAtomically = [](const QString &from, const QString &to) {
        const QString tmp = to + QStringLiteral(".replace-new");
        QFile::remove(tmp);
        if (!QFile::copy(from, tmp))
            throw EngineError(QStringLiteral("无法把 %1 复制到 %2").arg(from, tmp));
        int fd = ::open(QFile::encodeName(tmp).constData(), O_RDWR | O_CLOEXEC);
        if (fd >= 0) {
            keepModeOf(to, fd);
            syncFile(fd);
            ::close(fd);
        }
        if (::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(to).constData()) != 0) {
            QFile::remove(tmp);
            throw EngineError(QStringLiteral("无法替换 %1").arg(to));
        }
    };
    QFileInfo src(sourcePath);
    const QString srcMemo = resolveFileName(src.absolutePath(), src.completeBaseName() + QStringLiteral(".dbt"));
    if (!srcMemo.isEmpty()) {
        QFileInfo tf(target);
        QString memoTarget = resolveFileName(tf.absolutePath(), tf.completeBaseName() + QStringLiteral(".dbt"));
        if (memoTarget.isEmpty())
            memoTarget = tf.absolutePath() + QLatin1Char('/') + tf.completeBaseName() + QStringLiteral(".dbt");
        copyAtomically(srcMemo, memoTarget);
    }
    copyAtomically(sourcePath, target);
    int dfd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        syncFile(dfd);
        ::close(dfd);
    }
}

} // namespace db
