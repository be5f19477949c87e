#include "exchange/archiver.h"

#include "db/tablefile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>

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

QTemporaryDir makeWorkFolder()
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/sorvel-arj-XXXXXX"));
    if (!dir.isValid())
        throw ArchiveError(QStringLiteral("无法建立临时文件夹：%1").arg(dir.errorString()));
    return dir;
}

} // namespace

bool ArjArchiver::available(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty() || QFileInfo(program).isExecutable();
}

void ArjArchiver::run(const QStringList &args, const QString &workFolder)
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
        throw ArchiveError(QStringLiteral("压缩程序“%1”无法启动：%2").arg(m_program, p.errorString()));
    QByteArray output;
    QDeadlineTimer deadline(m_timeLimitMs);
    while (!p.waitForFinished(50)) {
        output += p.readAll();
        if (p.state() == QProcess::NotRunning)
            break;
        if (deadline.hasExpired()) {
            p.kill();
            p.waitForFinished(5000);
            throw ArchiveError(QStringLiteral("压缩程序在%1秒内没有完成，已被终止").arg(m_timeLimitMs / 1000));
        }
        idle();
    }
    output += p.readAll();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        const QString tail = QString::fromLocal8Bit(output.right(400)).trimmed();
        throw ArchiveError(QStringLiteral("压缩程序运行失败（退出码%1）：%2").arg(p.exitCode()).arg(tail));
    }
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
    run(args, work.path());
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
    const QByteArray bytes = readWhole(archivePath);
    const QList<ArjMember> members = listArjMembers(bytes);   // refuses unsafe names first
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
        outFolder);
    QStringList found, names;
    for (const ArjMember &m : members) {
        const QString name = QString::fromLatin1(m.name);
        const QString path = db::resolveFileName(outFolder, name);
        if (path.isEmpty())
            throw ArchiveError(QStringLiteral("压缩程序没有解出%1").arg(name));
        found << path;
        names << name;
    }
    for (int i = 0; i < found.size(); ++i) {
        QString target = db::resolveFileName(destFolder, names[i]);
        if (target.isEmpty())
            target = QDir(destFolder).filePath(names[i]);
        copyInto(found[i], target);
    }
    return names;
}

} // namespace exchange
