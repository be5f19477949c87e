#include "output/word/documentopener.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>

namespace word {

namespace {

// What a short query program prints, its first line; nullopt when it cannot
// run, fails or takes longer than a few seconds.  The windows keep painting
// meanwhile (the desktop's query takes a second or more on a busy machine)
// but take no input.
std::optional<QString> firstLineOf(const QString &program, const QStringList &args)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return std::nullopt;
    QProcess p;
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&p, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    p.start(program, args);
    if (p.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(1000);
        return std::nullopt;
    }
    if (p.error() == QProcess::FailedToStart || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return QString::fromLocal8Bit(p.readAllStandardOutput()).section(u'\n', 0, 0).trimmed();
}

// The folders desktop entries live in, the user's first.
QStringList applicationFolders()
{
    QStringList folders;
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.local/share");
    folders << home;
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/usr/local/share:/usr/share");
    folders << dirs.split(u':', Qt::SkipEmptyParts);
    for (QString &f : folders)
        f += QStringLiteral("/applications");
    return folders;
}

// The desktop entry of an application id ("libreoffice-writer.desktop"); an
// id's dashes may stand for sub-folders ("kde4-kwrite.desktop").
QString desktopEntryPath(const QString &id)
{
    for (const QString &folder : applicationFolders()) {
        QString rel = id;
        for (;;) {
            const QString candidate = folder + u'/' + rel;
            if (QFileInfo(candidate).isFile())
                return candidate;
            const qsizetype dash = rel.indexOf(u'-');
            if (dash < 0)
                break;
            rel[dash] = u'/';
        }
    }
    return QString();
}

// The Exec line of the entry's [Desktop Entry] group.
QString execLine(const QString &entry)
{
    QFile f(entry);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&f);
    bool inMain = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(u'['))
            inMain = line == QLatin1String("[Desktop Entry]");
        else if (inMain && line.startsWith(QLatin1String("Exec=")))
            return line.mid(5).trimmed();
    }
    return QString();
}

// The program of an Exec line: its first word, quotes removed, past an
// "env" with its settings.
QString execProgram(const QString &exec)
{
    const QStringList words = QProcess::splitCommand(exec);
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &w = words[i];
        if (i == 0 && (w == QLatin1String("env") || w.endsWith(QLatin1String("/env"))))
            continue;
        if (w.contains(u'=') && !w.startsWith(u'/'))
            continue;
        return w;
    }
    return QString();
}

// A word processor's program folder with soffice.bin but no desktop front
// end (libvclplug_*) beside it.
bool headlessWriterAt(const QString &path)
{
    const QDir folder = QFileInfo(QFileInfo(path).canonicalFilePath()).dir();
    return folder.exists(QStringLiteral("soffice.bin"))
           && folder.entryList({QStringLiteral("libvclplug_*")}, QDir::Files).isEmpty();
}

} // namespace

bool writerShowsWindows(const QString &program)
{
    const QString path = QFileInfo(program).isAbsolute() ? program : QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return true;
    if (headlessWriterAt(path))
        return false;
    // A small script that starts the writer ("exec /usr/lib/.../soffice --writer").
    QFile script(path);
    if (script.size() > 4096 || !script.open(QIODevice::ReadOnly) || !script.peek(2).startsWith("#!"))
        return true;
    static const QRegularExpression absolute(QStringLiteral("(/[^\\s\"';|&]+)"));
    for (auto it = absolute.globalMatch(QString::fromLocal8Bit(script.readAll())); it.hasNext();) {
        const QString p = it.next().captured(1);
        if (p != path && QFileInfo(p).isFile() && headlessWriterAt(p))
            return false;
    }
    return true;
}

std::optional<QString> desktopApplicationProgram(const QString &mimeType)
{
    const auto chosen =
        firstLineOf(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!chosen)
        return std::nullopt;
    const QString id = chosen->section(u';', 0, 0).trimmed();
    if (id.isEmpty())
        return QString();
    const QString entry = desktopEntryPath(id);
    if (entry.isEmpty())
        return QString();
    const QString program = execProgram(execLine(entry));
    if (program.isEmpty())
        return QString();
    return QFileInfo(program).isAbsolute() ? program : QStandardPaths::findExecutable(program);
}

bool desktopShowsDocuments()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return false;
    const auto application = desktopApplicationProgram(QString::fromLatin1(documentMimeType()));
    return !application || (!application->isEmpty() && writerShowsWindows(*application));
}

} // namespace word
