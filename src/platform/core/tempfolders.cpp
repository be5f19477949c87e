#include "tempfolders.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

const QString kRunPrefix = QStringLiteral("sorvel-run-");
const QString kNewPrefix = QStringLiteral("sorvel-newrun-");
const QString kLockName = QStringLiteral(".lock");

QString rootOr(const QString &root) { return root.isEmpty() ? QDir::tempPath() : root; }

// A folder (not a link) owned by this user.
bool ownFolder(const QString &path, struct stat &st)
{
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

// The pid a run folder's name carries ("sorvel-run-<pid>-XXXXXX"); 0 when none.
pid_t pidInName(const QString &name, const QString &prefix)
{
    const QString rest = name.mid(prefix.size());
    bool ok = false;
    const long pid = rest.left(rest.indexOf(QLatin1Char('-'))).toLong(&ok);
    return ok && pid > 0 ? pid_t(pid) : 0;
}

bool processAlive(pid_t pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno != ESRCH); }

// This run's folder: made under a name of its own, locked, then renamed to
// the name the clean-up looks at, so nobody ever sees it unlocked.  The lock
// descriptor stays open (and out of started programs) until the process ends.
QString runFolder()
{
    static QMutex mutex;
    static QString folder;
    static QString madeIn;
    QMutexLocker lock(&mutex);
    const QString root = QDir::tempPath();
    if (!folder.isEmpty() && madeIn == root && QFileInfo(folder).isDir())
        return folder;
    folder.clear();
    const QByteArray draft = QFile::encodeName(root + QLatin1Char('/') + kNewPrefix + QString::number(::getpid())
                                               + QStringLiteral("-XXXXXX"));
    QByteArray made = draft;
    if (!::mkdtemp(made.data()))
        return QString();
    const int fd = ::open((made + "/" + QFile::encodeName(kLockName)).constData(),
                          O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (fd >= 0)
            ::close(fd);
        QDir(QFile::decodeName(made)).removeRecursively();
        return QString();
    }
    const QString name = QFileInfo(QFile::decodeName(made)).fileName();
    const QString final = root + QLatin1Char('/') + kRunPrefix + name.mid(kNewPrefix.size());
    if (::rename(made.constData(), QFile::encodeName(final).constData()) != 0) {
        ::close(fd);
        QDir(QFile::decodeName(made)).removeRecursively();
        return QString();
    }
    folder = final; // the descriptor (and the lock) live as long as the process
    madeIn = root;
    return folder;
}

// True when the run that made `folder` has ended: nobody holds its lock.
bool runEnded(const QString &folder)
{
    const int fd =
        ::open(QFile::encodeName(folder + QLatin1Char('/') + kLockName).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return !processAlive(pidInName(QFileInfo(folder).fileName(), kRunPrefix));
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd); // our own lock goes with the descriptor
    return free;
}

} // namespace

QString workFolderTemplate(const QString &kind)
{
    const QString run = runFolder();
    if (run.isEmpty())
        return keptFolderTemplate(kind);
    return run + QLatin1Char('/') + kind + QStringLiteral("-XXXXXX");
}

QString keptFolderTemplate(const QString &kind, const QString &root)
{
    return rootOr(root) + QStringLiteral("/sorvel-") + kind + QStringLiteral("-XXXXXX");
}

int removeLeftoverTempFolders(const QStringList &keptKinds, const QString &root)
{
    const QDir dir(rootOr(root));
    const QDateTime today = QDateTime(QDate::currentDate(), QTime(0, 0));
    int removed = 0;
    const QStringList names =
        dir.entryList({QStringLiteral("sorvel-*")}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        struct stat st {};
        if (!ownFolder(path, st))
            continue;
        bool stale = false;
        if (name.startsWith(kRunPrefix)) {
            stale = runEnded(path);
        } else if (name.startsWith(kNewPrefix)) {
            stale = !processAlive(pidInName(name, kNewPrefix));
        } else {
            for (const QString &kind : keptKinds)
                if (name.startsWith(QStringLiteral("sorvel-") + kind + QLatin1Char('-')))
                    stale = QDateTime::fromSecsSinceEpoch(st.st_mtime) < today;
        }
        if (stale && QDir(path).removeRecursively())
            ++removed;
    }
    return removed;
}

} // namespace platform
