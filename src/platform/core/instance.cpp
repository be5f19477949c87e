#include "instance.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {
namespace {

// $XDG_RUNTIME_DIR is private to the user and cleared at logout; /tmp is
// shared, so there the user id goes into the name as well.
QString lockFileFor(const QString &title)
{
    const QByteArray hash =
        QCryptographicHash::hash(title.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable())
        return runtime + QStringLiteral("/sorvel-") + QString::fromLatin1(hash) + QStringLiteral(".lock");
    return QStringLiteral("/tmp/sorvel-%1-%2.lock").arg(uint(::getuid())).arg(QString::fromLatin1(hash));
}

} // namespace

SingleInstance::SingleInstance(const QString &title) : m_path(lockFileFor(title))
{
    const QByteArray path = QFile::encodeName(m_path);
    do {
        m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) {
        // Without a lock file we cannot tell; refusing to start would be worse
        // than a second copy.
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
