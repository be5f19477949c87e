#pragma once

// Small helpers over file descriptors and little-endian fields that the
// table file, its memo file and the pack share.  Internal to the engine.

#include <QString>
#include <QtGlobal>

namespace db {

inline quint32 le32(const char *p) { return quint32(uchar(p[0])) | quint32(uchar(p[1])) << 8 | quint32(uchar(p[2])) << 16 | quint32(uchar(p[3])) << 24; }
inline quint16 le16(const char *p) { return quint16(uchar(p[0]) | uchar(p[1]) << 8); }
inline void put32(char *p, quint32 v) { p[0] = char(v); p[1] = char(v >> 8); p[2] = char(v >> 16); p[3] = char(v >> 24); }
inline void put16(char *p, quint16 v) { p[0] = char(v); p[1] = char(v >> 8); }

// The text of errno, for messages.
QString sysError();
// Writes all of `data` at `offset`; throws EngineError naming `what`.
void writeAllFd(int fd, qint64 offset, const char *data, qsizetype size, const QString &what);
// Copies `size` bytes between two files at the given offsets, inside the
// kernel where it can; throws EngineError naming `what`.
void copyFileRange(int from, qint64 fromOffset, int to, qint64 toOffset, qint64 size, const QString &what);
// Reads exactly `size` bytes at `offset`; false at the end of the file or on an error.
bool readAllFd(int fd, qint64 offset, char *data, qsizetype size);
// Syncs a folder, so that renames and new files in it last.
void syncDir(const QString &folder);
// The memo file beside a table ("x.dbt", found without regard to case).
QString memoPathFor(const QString &tablePath);

// Gives the file open at `fd`, a copy written to take the place of
// `original`, the permission bits of `original` and, where the system lets
// this user, its owner and group.  Nothing is done when `original` is not
// there.
void keepModeOf(const QString &original, int fd);

// The path a table's shared store is known by: canonical when the file
// exists, else absolute.
QString registryKey(const QString &path);

// Completing or discarding a pack that a crash interrupted (see tablepack.cpp).
bool packLeftoversExist(const QString &path);
void recoverInterruptedPack(const QString &path);

} // namespace db
