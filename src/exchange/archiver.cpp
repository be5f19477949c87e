#include "exchange/archiver.h"

#include "db/gbk.h"
#include "db/tablefile.h"
#include "platform/core/tempfolders.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>

namespace exchange {

namespace {

QByteArray readWhole(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw ArchiveError(QStringLiteral("无法读取%1：%2").arg(QDir::toNativeSeparators(path), f.errorString()));
    return f.readAll();
}

// Copies a file so that the target is either the old file or the whole new one.
void copyInto(const QString &source, const QString &target)
{
    const QByteArray bytes = readWhole(source);
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        throw ArchiveError(QStringLiteral("无法写入%1：%2").arg(QDir::toNativeSeparators(target), out.errorString()));
}

// Moves an unpacked file to its place in one step where both lie on one
// disk, else copies it as copyInto does.
void moveInto(const QString &source, const QString &target)
{
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData(), ec);
    if (ec)
        copyInto(source, target);
}

// A size as people read it: "1.5 MB", "954.0 MB".
QString sizeText(qint64 bytes)
{
    if (bytes < (qint64(1) << 20))
        return QStringLiteral("%1 KB").arg(QString::number(double(bytes) / 1024.0, 'f', 1));
    return QStringLiteral("%1 MB").arg(QString::number(double(bytes) / double(1 << 20), 'f', 1));
}

QTemporaryDir makeWorkFolder()
{
    QTemporaryDir dir(platform::workFolderTemplate(QStringLiteral("arj")));
    if (!dir.isValid())
        throw ArchiveError(QStringLiteral("无法建立临时文件夹：%1").arg(dir.errorString()));
    return dir;
}

} // namespace

bool ArjArchiver::available(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty() || QFileInfo(program).isExecutable();
}

void ArjArchiver::run(const QStringList &args, const QString &workFolder, ArjTask task)
{
    QProcess p;
    p.setProgram(m_program);
    p.setArguments(args);
    p.setWorkingDirectory(workFolder);
    p.setStandardInputFile(QProcess::nullDevice());
    p.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("ARJ_SW"));
    p.setProcessEnvironment(env);
    p.start();
    if (!p.waitForStarted(10000))
        throw ArchiveError(arjMissing(m_program));
    m_waiting = true;
    const struct Done {
        bool &waiting;
        ~Done() { waiting = false; }
    } done{m_waiting};
    QByteArray output;
    QDeadlineTimer deadline(m_timeLimitMs);
    const auto stop = [&p] {
        p.kill();
        p.waitForFinished(5000);
    };
    while (!p.waitForFinished(50)) {
        // Its output is read only to name a failing member: the last 64 KB do.
        output += p.readAll();
        if (output.size() > qsizetype(128) * 1024)
            output = output.right(qsizetype(64) * 1024);
        if (p.state() == QProcess::NotRunning)
            break;
        if (deadline.hasExpired()) {
            stop();
            throw ArchiveError(QStringLiteral("压缩程序在%1秒内没有完成，已被终止。").arg(m_timeLimitMs / 1000));
        }
        idle();
        if (cancelled()) {
            stop();
            throw ArchiveCancelled();
        }
    }
    output += p.readAll();
    if (p.exitStatus() != QProcess::NormalExit)
        throw ArchiveError(QStringLiteral("压缩程序意外终止，%1未能完成。").arg(task == ArjTask::Unpack ? QStringLiteral("解压")
                                                                                                     : QStringLiteral("打包")));
    if (p.exitCode() != 0)
        throw ArchiveError(arjFailure(task, p.exitCode(), output));
}

void ArjArchiver::pack(const QString &folder, const QStringList &members, const QString &archivePath)
{
    QTemporaryDir work = makeWorkFolder();
    QStringList args{QStringLiteral("a"), QStringLiteral("-y"), QStringLiteral("-i"), QStringLiteral("-+"),
                     QStringLiteral("-2d"), QStringLiteral("package.arj")};
    for (const QString &m : members) {
        const QString source = db::resolveFileName(folder, m);
        if (source.isEmpty())
            throw ArchiveError(QStringLiteral("要打包的文件%1不存在").arg(QDir::toNativeSeparators(QDir(folder).filePath(m))));
        if (!QFile::copy(source, work.filePath(m)))
            throw ArchiveError(QStringLiteral("无法把%1复制到工作文件夹").arg(QDir::toNativeSeparators(source)));
        args << m;
    }
    run(args, work.path(), ArjTask::Pack);
    const QString made = db::resolveFileName(work.path(), QStringLiteral("package.arj"));
    if (made.isEmpty())
        throw ArchiveError(QStringLiteral("压缩程序报告成功，但没有生成压缩包"));
    const QStringList inside = list(made);
    for (const QString &m : members) {
        if (!inside.contains(m, Qt::CaseInsensitive))
            throw ArchiveError(QStringLiteral("压缩程序生成的压缩包中缺少%1").arg(m));
    }
    copyInto(made, archivePath);
}

QStringList ArjArchiver::list(const QString &archivePath)
{
    QStringList names;
    for (const ArjMember &m : listArjMembers(readWhole(archivePath)))
        names << QString::fromLatin1(m.name);
    return names;
}

QStringList ArjArchiver::extract(const QString &archivePath, const QString &destFolder)
{
    const qint64 packageBytes = QFileInfo(archivePath).size();
    if (packageBytes > kMaxUnpackedBytes + (qint64(1) << 20))
        throw ArchiveError(QStringLiteral("压缩包%1有%2，超过了导入包允许的大小，不予解开。")
                               .arg(QFileInfo(archivePath).fileName(), sizeText(packageBytes)));
    const QByteArray bytes = readWhole(archivePath);
    const QList<ArjMember> members = listArjMembers(bytes);   // refuses unsafe names first
    const QStorageInfo workDisk(QDir::tempPath()), destDisk(destFolder);
    checkUnpackRoom(members, bytes.size(), workDisk.bytesAvailable(), destDisk.bytesAvailable(),
                    workDisk.device() == destDisk.device());
    QTemporaryDir work = makeWorkFolder();
    {
        QFile copy(work.filePath(QStringLiteral("package.arj")));
        if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size())
            throw ArchiveError(QStringLiteral("无法把压缩包复制到工作文件夹"));
    }
    const QString outFolder = work.filePath(QStringLiteral("out"));
    QDir().mkpath(outFolder);
    run({QStringLiteral("e"), QStringLiteral("-y"), QStringLiteral("-i"), QStringLiteral("-+"),
         QStringLiteral("../package.arj")},
        outFolder, ArjTask::Unpack);
    QStringList found, names;
    for (const ArjMember &m : members) {
        const QString name = QString::fromLatin1(m.name);
        const QString path = db::resolveFileName(outFolder, name);
        if (path.isEmpty())
            throw ArchiveError(QStringLiteral("解压失败：压缩程序没有解出文件%1。").arg(db::gbk::excerpt(m.name)));
        found << path;
        names << name;
    }
    for (int i = 0; i < found.size(); ++i) {
        QString target = db::resolveFileName(destFolder, names[i]);
        if (target.isEmpty())
            target = QDir(destFolder).filePath(names[i]);
        moveInto(found[i], target);
    }
    return names;
}

void checkUnpackRoom(const QList<ArjMember> &members, qint64 packageBytes, qint64 workFree, qint64 destFree, bool sameDisk)
{
    qint64 total = 0;
    for (const ArjMember &m : members) {
        if (m.originalSize > kMaxMemberBytes)
            throw ArchiveError(QStringLiteral("压缩包中的文件%1解开后有%2，超过了允许的%3，不予解开。")
                                   .arg(db::gbk::excerpt(m.name), sizeText(m.originalSize), sizeText(kMaxMemberBytes)));
        total += m.originalSize;
    }
    if (total > kMaxUnpackedBytes)
        throw ArchiveError(QStringLiteral("压缩包中的文件解开后共有%1，超过了允许的%2，不予解开。")
                               .arg(sizeText(total), sizeText(kMaxUnpackedBytes)));
    // A margin for the file system's own blocks.
    const qint64 margin = qint64(16) << 20;
    const qint64 work = packageBytes + total + margin;
    const qint64 dest = sameDisk ? 0 : total + margin;
    if (workFree < work)
        throw ArchiveError(QStringLiteral("临时文件夹所在的磁盘只剩%1，解开这个压缩包需要%2，不予解开。")
                               .arg(sizeText(std::max<qint64>(workFree, 0)), sizeText(work)));
    if (destFree < dest)
        throw ArchiveError(QStringLiteral("目标文件夹所在的磁盘只剩%1，解开这个压缩包需要%2，不予解开。")
                               .arg(sizeText(std::max<qint64>(destFree, 0)), sizeText(dest)));
}

} // namespace exchange
