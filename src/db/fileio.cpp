#include "fileio.h"
#include "error.h"
#include "tablefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace db {

QString sysError() { return QString::fromLocal8Bit(std::strerror(errno)); }

void writeAllFd(int fd, qint64 offset, const char *data, qsizetype size, const QString &what)
{
    while (size > 0) {
        ssize_t n = ::pwrite(fd, data, size_t(size), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EngineError(QStringLiteral("无法写入 %1：%2").arg(what, sysError()));
        }
        data += n;
        size -= n;
        offset += n;
    }
}

void copyFileRange(int from, qint64 fromOffset, int to, qint64 toOffset, qint64 size, const QString &what)
{
    while (size > 0) {
        off_t in = fromOffset, out = toOffset;
        const ssize_t n = ::copy_file_range(from, &in, to, &out, size_t(size), 0);
        if (n > 0) {
            fromOffset += n;
            toOffset += n;
            size -= n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    // Where the kernel cannot copy (another file system, an old kernel, a
    // source cut short), the bytes go through here.
    QByteArray buf(qsizetype(qMin<qint64>(size, 1 << 20)), Qt::Uninitialized);
    while (size > 0) {
        const qsizetype piece = qsizetype(qMin<qint64>(size, buf.size()));
        errno = 0;
        if (!readAllFd(from, fromOffset, buf.data(), piece))
            throw EngineError(
                QStringLiteral("无法写入 %1：%2").arg(what, errno ? sysError() : QStringLiteral("源文件比预期短")));
        writeAllFd(to, toOffset, buf.constData(), piece, what);
        fromOffset += piece;
        toOffset += piece;
        size -= piece;
    }
}

bool readAllFd(int fd, qint64 offset, char *data, qsizetype size)
{
    while (size > 0) {
        ssize_t n = ::pread(fd, data, size_t(size), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
        offset += n;
    }
    return true;
}

void syncDir(const QString &folder)
{
    int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        syncFile(fd);
        ::close(fd);
    }
}

QString memoPathFor(const QString &tablePath)
{
    QFileInfo fi(tablePath);
    QString folder = fi.absolutePath();
    QString want = fi.completeBaseName() + QStringLiteral(".dbt");
    QString found = resolveFileName(folder, want);
    return found.isEmpty() ? folder + QLatin1Char('/') + want : found;
}

void keepModeOf(const QString &original, int fd)
{
    struct stat st {};
    if (::stat(QFile::encodeName(original).constData(), &st) != 0)
        return;
    // The owner first: a change of owner may clear the set-id bits.  Only
    // the superuser may give a file away; a group the user belongs to is
    // still kept.
    if (::fchown(fd, st.st_uid, st.st_gid) != 0 && ::fchown(fd, uid_t(-1), st.st_gid) != 0) {
        // The copy stays this user's: it is still the user's table.
    }
    ::fchmod(fd, st.st_mode & 07777);
}

QString registryKey(const QString &path)
{
    QFileInfo fi(path);
    QString canon = fi.canonicalFilePath();
    return canon.isEmpty() ? fi.absoluteFilePath() : canon;
}

} // namespace db
