#include "seed_loader.h"

#include "data/schema.h"
#include "db/dataset.h"
#include "db/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace seed {

namespace {

QString shown(const QString &path) { return QDir::toNativeSeparators(path); }

QString systemError(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

QByteArray osPath(const QString &path) { return QFile::encodeName(path); }

[[noreturn]] void failAt(const QString &file, int line, const QString &what)
{
    throw SeedError(QStringLiteral("%1:%2: %3").arg(shown(file)).arg(line).arg(what));
}

const data::TableSchema &tableOf(const QString &seedFile)
{
    const QString name = QFileInfo(seedFile).completeBaseName();
    if (const data::TableSchema *t = data::findSchema(name))
        return *t;
    throw SeedError(QStringLiteral("%1: the program has no table named %2").arg(shown(seedFile), name));
}

// The field line: each name must be a field of the table, at most once.
// Gives the names as the table spells them.
QStringList fieldLine(const data::TableSchema &schema, const QStringList &cells, const QString &file, int line)
{
    QStringList names;
    for (const QString &cell : cells) {
        const QString name = cell.trimmed();
        if (name.isEmpty())
            failAt(file, line, QStringLiteral("the field line has an empty field name"));
        const int index = schema.indexOf(name);
        if (index < 0)
            failAt(file, line, QStringLiteral("table %1 has no field %2").arg(schema.fileName, name));
        const QString field = schema.fields[index].name;
        if (names.contains(field))
            failAt(file, line, QStringLiteral("field %1 is named twice").arg(field));
        names << field;
    }
    return names;
}

// A new folder beside `place`, on the same file system so that it can take
// the place's name by renaming.
QString makeStagingFolder(const QString &place)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString suffix;
        for (int i = 0; i < 6; ++i)
            suffix += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
        const QString path = place + QStringLiteral(".new-") + suffix;
        if (::mkdir(osPath(path).constData(), 0777) == 0)
            return path;
        if (errno != EEXIST)
            throw SeedError(QStringLiteral("Cannot create the folder %1: %2").arg(shown(path), systemError(errno)));
    }
    throw SeedError(QStringLiteral("Cannot find a free name for a folder beside %1").arg(shown(place)));
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(osPath(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Puts the finished tables of `staging` in `place`.
void install(const QString &staging, const QString &place)
{
    // An absent or empty folder is replaced in one step.
    if (::rename(osPath(staging).constData(), osPath(place).constData()) == 0) {
        syncFolder(QFileInfo(place).absolutePath());
        return;
    }
    if (errno != EEXIST && errno != ENOTEMPTY)
        throw SeedError(QStringLiteral("Cannot rename %1 to %2: %3").arg(shown(staging), shown(place), systemError(errno)));

    // The folder holds files of its own: move the tables in beside them.  A
    // hard link never replaces an existing name, so nothing there is lost.
    if (holdsTables(place))
        throw SeedError(QStringLiteral("Tables appeared in %1 while it was being laid out; it is left as it is").arg(shown(place)));
    const QDir from(staging), to(place);
    QStringList moved;
    for (const QString &name : from.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        if (::link(osPath(from.filePath(name)).constData(), osPath(to.filePath(name)).constData()) != 0) {
            const int err = errno;
            for (const QString &done : moved)
                ::unlink(osPath(to.filePath(done)).constData());
            throw SeedError(QStringLiteral("Cannot move %1 into %2: %3").arg(name, shown(place), systemError(err)));
        }
        moved << name;
    }
    syncFolder(place);
    QDir(staging).removeRecursively();
}

} // namespace

bool holdsTables(const QString &folder)
{
    const QStringList patterns{QStringLiteral("*.dbf"), QStringLiteral("*.dbt")};
    // Without QDir::CaseSensitive the patterns match any letter case.
    return !QDir(folder).entryList(patterns, QDir::Files | QDir::Hidden | QDir::System).isEmpty();
}

int loadSeedFile(const QString &seedFile, const QString &dataFolder)
{
    const data::TableSchema &schema = tableOf(seedFile);
    QFile file(seedFile);
    if (!file.open(QIODevice::ReadOnly))
        throw SeedError(QStringLiteral("%1: %2").arg(shown(seedFile), file.errorString()));
    const QList<QByteArray> lines = file.readAll().split('\n');

    db::Table table;
    table.setDatabaseName(dataFolder);
    table.setTableName(schema.fileName);
    try {
        table.open();
    } catch (const db::EngineError &e) {
        throw SeedError(QStringLiteral("%1: %2").arg(shown(seedFile), e.message()));
    }

    // One decoder for the whole file: it passes over a byte order mark at the
    // start only, and a line is never cut inside a character.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QStringList fields;
    int rows = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        QByteArray bytes = lines[i];
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        const QString line = utf8(bytes);
        if (utf8.hasError())
            failAt(seedFile, lineNo, QStringLiteral("the line is not UTF-8 text"));
        // An empty line is skipped; a line of tabs alone is a row of empty cells.
        if ((line.trimmed().isEmpty() && !line.contains(QLatin1Char('\t'))) || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList cells = line.split(QLatin1Char('\t'));
        if (fields.isEmpty()) {
            fields = fieldLine(schema, cells, seedFile, lineNo);
            continue;
        }
        if (cells.size() != fields.size())
            failAt(seedFile, lineNo, QStringLiteral("%1 cells where the field line names %2 fields").arg(cells.size()).arg(fields.size()));
        try {
            table.append();
            for (int c = 0; c < cells.size(); ++c)
                if (!cells[c].isEmpty())
                    table.fieldByName(fields[c]).setAsString(cells[c]);
            table.post();
        } catch (const db::EngineError &e) {
            failAt(seedFile, lineNo, e.message());
        }
        ++rows;
    }
    table.flush();
    return rows;
}

SeedSummary seedDataFolder(const QString &seedFolder, const QString &dataFolder)
{
    SeedSummary summary;
    if (!QFileInfo(seedFolder).isDir())
        throw SeedError(QStringLiteral("The seed folder %1 does not exist").arg(shown(seedFolder)));

    const QFileInfo target(dataFolder);
    if (target.isSymLink() && !target.exists())
        throw SeedError(QStringLiteral("%1 is a link to nothing").arg(shown(dataFolder)));
    const bool exists = target.exists();
    if (exists && !target.isDir())
        throw SeedError(QStringLiteral("%1 is not a folder").arg(shown(dataFolder)));
    if (exists && holdsTables(dataFolder))
        return summary;

    // Through a link, the tables go where it points.
    const QString place = exists ? target.canonicalFilePath() : QDir::cleanPath(target.absoluteFilePath());
    if (!QDir().mkpath(QFileInfo(place).absolutePath()))
        throw SeedError(QStringLiteral("Cannot create the folder %1").arg(shown(QFileInfo(place).absolutePath())));

    const QDir seeds(seedFolder);
    const QStringList seedFiles = seeds.entryList({QStringLiteral("*.tsv")}, QDir::Files, QDir::Name);
    const QString staging = makeStagingFolder(place);
    try {
        data::layOutDataFolder(staging);
        QHash<QString, QString> seededBy;     // table file -> seed file
        for (const QString &name : seedFiles) {
            const QString path = seeds.filePath(name);
            const QString table = tableOf(path).fileName;
            if (seededBy.contains(table))
                throw SeedError(QStringLiteral("%1: table %2 is already seeded by %3").arg(shown(path), table, seededBy.value(table)));
            seededBy.insert(table, name);
            summary.rows += loadSeedFile(path, staging);
            ++summary.seedFiles;
        }
        install(staging, place);
    } catch (const db::EngineError &e) {
        QDir(staging).removeRecursively();
        throw SeedError(e.message());
    } catch (...) {
        QDir(staging).removeRecursively();
        throw;
    }
    summary.laidOut = true;
    return summary;
}

} // namespace seed
