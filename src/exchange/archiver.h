#pragma once

#include "exchange/arjlist.h"
#include "exchange/arjoutput.h"

#include <QString>
#include <QStringList>
#include <functional>

// Packing and unpacking exchange packages.  The program does not write ARJ
// itself: the real implementation runs the `arj` program; tests use a fake.
namespace exchange {

class Archiver {
public:
    virtual ~Archiver() = default;
    // Packs the files `members` of `folder`, in this order, into the archive
    // `archivePath`; an archive there is replaced only once the new one is
    // complete.  Throws ArchiveError.
    virtual void pack(const QString &folder, const QStringList &members, const QString &archivePath) = 0;
    // The member names of an archive, checked as listArjMembers checks them.
    virtual QStringList list(const QString &archivePath) = 0;
    // Unpacks every member of the archive into `destFolder` (files of the
    // same names there are replaced) and returns the member names.  Nothing
    // is written into `destFolder` unless the whole archive unpacked.
    virtual QStringList extract(const QString &archivePath, const QString &destFolder) = 0;

    // Called now and then while the archiver works, so a window can repaint.
    void setIdle(std::function<void()> idle) { m_idle = std::move(idle); }
    // Asked as often: true stops the archiver, and the work ends with
    // ArchiveCancelled, nothing written where the caller looks.
    void setCancel(std::function<bool()> cancel) { m_cancel = std::move(cancel); }
    // True while an archiver program runs (the wait a user may stop).
    bool waiting() const { return m_waiting; }

protected:
    void idle() const
    {
        if (m_idle)
            m_idle();
    }
    bool cancelled() const { return m_cancel && m_cancel(); }
    bool m_waiting = false;

private:
    std::function<void()> m_idle;
    std::function<bool()> m_cancel;
};

// The most a member of a package may hold unpacked, and all of them
// together.  A record travels as about 1.2 KB (5,000 records make 6 MB of
// text files); one with every field full and a thousand characters in each
// of its six memos as about 16 KB, so 10,000 of those, more than any
// installation sends, make a main-record member of 160 MB.  A package past
// these limits is refused before anything is unpacked.
inline constexpr qint64 kMaxMemberBytes = qint64(256) << 20;
inline constexpr qint64 kMaxUnpackedBytes = qint64(512) << 20;

// Refuses (ArchiveError naming the member) a package whose members, as its
// listing gives their sizes, are larger than the limits above or than the
// free space: the work folder takes the package copy and every member
// (`workFree` bytes free there); the destination takes every member once
// more unless it lies on the same disk (`destFree`, `sameDisk`).
void checkUnpackRoom(const QList<ArjMember> &members, qint64 packageBytes, qint64 workFree, qint64 destFree, bool sameDisk);

// Runs `arj` by its name (found on PATH) or a given path: an argument vector
// without a shell, standard input closed, the ARJ_SW variable removed and
// ignored (-+), no questions (-y), no progress display (-i), in a private
// temporary folder, under a time limit.  Success is the exit status plus the
// expected files, found without regard to letter case.
class ArjArchiver : public Archiver {
public:
    explicit ArjArchiver(QString program = QStringLiteral("arj"), int timeLimitMs = 120000)
        : m_program(std::move(program)), m_timeLimitMs(timeLimitMs) {}

    void pack(const QString &folder, const QStringList &members, const QString &archivePath) override;
    QStringList list(const QString &archivePath) override;
    QStringList extract(const QString &archivePath, const QString &destFolder) override;

    // True when the program can be started.
    static bool available(const QString &program = QStringLiteral("arj"));

private:
    void run(const QStringList &args, const QString &workFolder, ArjTask task);
    QString m_program;
    int m_timeLimitMs;
};

} // namespace exchange
