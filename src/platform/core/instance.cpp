#include "instance.h"
#include "syserror.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Why `folder` is no place for the lock: it must be a folder (not a link) of
// this user's own that nobody else may enter.  Empty when it is.
QString privateFolderProblem(const QString &folder)
{
    const QString shown = QDir::toNativeSeparators(folder);
    struct stat st {};
    if (::lstat(QFile::encodeName(folder).constData(), &st) != 0)
        return QStringLiteral("无法使用文件夹 %1：%2").arg(shown, systemErrorText(errno));
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("%1 是一个符号链接，不是本用户自己的文件夹").arg(shown);
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("%1 不是文件夹").arg(shown);
    if (st.st_uid != ::getuid())
        return QStringLiteral("文件夹 %1 属于另一个用户（用户号 %2）").arg(shown).arg(uint(st.st_uid));
    if ((st.st_mode & 077) != 0)
        return QStringLiteral("文件夹 %1 其他用户也可以进入（权限 %2）")
            .arg(shown)
            .arg(uint(st.st_mode & 0777), 3, 8, QLatin1Char('0'));
    return QString();
}

// The folder of the lock: $XDG_RUNTIME_DIR, which is private to the user and
// cleared at logout; without a usable one, a folder of the user's own in the
// system's temporary folder, made private, with the user id in its name.
// Sets `problem` when even that one is not safe: another user could put a
// lock file there and keep the program from starting.
QString lockFolder(QString &problem)
{
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && privateFolderProblem(runtime).isEmpty()
        && ::access(QFile::encodeName(runtime).constData(), W_OK) == 0)
        return runtime;
    QString own = QDir::tempPath() + QStringLiteral("/sorvel-%1").arg(uint(::getuid()));
    if (::mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST)
        problem = QStringLiteral("无法创建文件夹 %1：%2").arg(QDir::toNativeSeparators(own), systemErrorText(errno));
    else
        problem = privateFolderProblem(own);
    return own;
}

} // namespace

SingleInstance::SingleInstance(const QString &title, const QString &folder)
{
    const QByteArray hash = QCryptographicHash::hash(title.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    QString problem;
    const QString where = folder.isEmpty() ? lockFolder(problem) : folder;
    if (problem.isEmpty() && !folder.isEmpty())
        problem = privateFolderProblem(folder);
    m_path = where + QStringLiteral("/sorvel-") + QString::fromLatin1(hash) + QStringLiteral(".lock");
    if (!problem.isEmpty()) {
        m_problem =
            QStringLiteral("无法确认本程序是否已在运行：%1。\n请删除或改正该文件夹后再启动本程序。").arg(problem);
        return;
    }
    const QByteArray path = QFile::encodeName(m_path);
    do {
        m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) {
        // Without a lock file we cannot tell; refusing to start would be worse
        // than a second copy.  The folder is the user's own, so nobody else
        // can be behind this.
        m_first = true;
        return;
    }
    int rc;
    do {
        rc = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        m_first = true;
        return;
    }
    if (errno != EWOULDBLOCK)
        m_first = true; // locking not supported here: same reasoning as above
    ::close(m_fd);
    m_fd = -1;
}

SingleInstance::~SingleInstance()
{
    // Closing the descriptor releases the lock; the file itself stays, since
    // removing it could race with another process that has just opened it.
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace platform
