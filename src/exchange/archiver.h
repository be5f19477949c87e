#pragma once

#include "exchange/arjlist.h"

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

protected:
    void idle() const
    {
        if (m_idle)
            m_idle();
    }

private:
    std::function<void()> m_idle;
};

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
    void run(const QStringList &args, const QString &workFolder);
    QString m_program;
    int m_timeLimitMs;
};

} // namespace exchange
