#pragma once

// An archiver for tests: packages are a plain list of named members in one
// file ("FAKEARJ", then name, size and bytes per member).  Members are
// checked by the same rules as real packages.
#include "exchange/archiver.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSet>

namespace testsupport {

class FakeArchiver : public exchange::Archiver {
public:
    int packs = 0, extracts = 0;

    static QByteArray build(const QList<QPair<QString, QByteArray>> &members)
    {
        QByteArray out("FAKEARJ\n");
        for (const auto &m : members)
            out += m.first.toLatin1() + '\n' + QByteArray::number(m.second.size()) + '\n' + m.second;
        return out;
    }
    static void write(const QString &path, const QList<QPair<QString, QByteArray>> &members)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(build(members));
    }
    static QList<QPair<QString, QByteArray>> read(const QString &path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            throw exchange::ArchiveError(QStringLiteral("cannot open ") + path);
        const QByteArray b = f.readAll();
        if (!b.startsWith("FAKEARJ\n"))
            throw exchange::ArchiveError(QStringLiteral("not a package"));
        QList<QPair<QString, QByteArray>> out;
        QSet<QString> seen;
        qsizetype pos = 8;
        while (pos < b.size()) {
            const qsizetype nl = b.indexOf('\n', pos);
            const qsizetype nl2 = b.indexOf('\n', nl + 1);
            if (nl < 0 || nl2 < 0)
                throw exchange::ArchiveError(QStringLiteral("damaged"));
            const QString name = QString::fromLatin1(b.mid(pos, nl - pos));
            const qsizetype size = b.mid(nl + 1, nl2 - nl - 1).toLongLong();
            if (name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.')) || seen.contains(name.toUpper()))
                throw exchange::ArchiveError(QStringLiteral("unsafe member ") + name);
            seen.insert(name.toUpper());
            out.append({name, b.mid(nl2 + 1, size)});
            pos = nl2 + 1 + size;
        }
        return out;
    }

    void pack(const QString &folder, const QStringList &members, const QString &archivePath) override
    {
        ++packs;
        QList<QPair<QString, QByteArray>> m;
        for (const QString &name : members) {
            QFile f(QDir(folder).filePath(name));
            if (!f.open(QIODevice::ReadOnly))
                throw exchange::ArchiveError(QStringLiteral("missing ") + name);
            m.append({name, f.readAll()});
        }
        QSaveFile out(archivePath);
        out.open(QIODevice::WriteOnly);
        out.write(build(m));
        out.commit();
    }
    QStringList list(const QString &archivePath) override
    {
        QStringList names;
        for (const auto &m : read(archivePath))
            names << m.first;
        return names;
    }
    QStringList extract(const QString &archivePath, const QString &destFolder) override
    {
        ++extracts;
        const auto members = read(archivePath);
        for (const auto &m : members) {
            QFile f(QDir(destFolder).filePath(m.first));
            f.open(QIODevice::WriteOnly);
            f.write(m.second);
        }
        return list(archivePath);
    }
};

} // namespace testsupport
