#pragma once

// Builds small ARJ archives byte by byte (members stored, method 0), so the
// member lister can be tried on packages no archiver would write.
#include <QByteArray>
#include <QList>

namespace testsupport {

inline quint32 arjCrc(const QByteArray &d)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : d) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return crc ^ 0xFFFFFFFFu;
}

inline void putLe(QByteArray &b, quint32 v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

struct ArjEntry {
    QByteArray name;
    QByteArray data;
    int fileType = 0;
    int flags = 0;
    quint32 original = 0;   // the size the header claims unpacked; 0: the data's
};

inline QByteArray arjHeader(const QByteArray &name, int fileType, int flags, quint32 packed, quint32 original, quint32 crc)
{
    QByteArray h;
    h.append(char(30));      // fixed part size
    h.append(char(11));      // archiver version
    h.append(char(1));       // minimum version
    h.append(char(0));       // host: DOS
    h.append(char(flags));
    h.append(char(0));       // method: stored
    h.append(char(fileType));
    h.append(char(0));
    putLe(h, 0x3A210000u, 4); // date and time
    putLe(h, packed, 4);
    putLe(h, original, 4);
    putLe(h, crc, 4);
    putLe(h, 0, 2);          // position of the file name
    putLe(h, 0x20, 2);       // access mode
    putLe(h, 0, 2);          // host data
    h.append(name).append('\0');
    h.append('\0');          // comment
    QByteArray out("\x60\xEA", 2);
    putLe(out, quint32(h.size()), 2);
    out += h;
    putLe(out, arjCrc(h), 4);
    putLe(out, 0, 2);        // no extended header
    return out;
}

inline QByteArray buildArj(const QList<ArjEntry> &entries)
{
    QByteArray out = arjHeader("PACKAGE.ARJ", 2, 0, 0, 0, 0);
    for (const ArjEntry &e : entries) {
        out += arjHeader(e.name, e.fileType, e.flags, quint32(e.data.size()), e.original ? e.original : quint32(e.data.size()),
                         arjCrc(e.data));
        out += e.data;
    }
    out += QByteArray("\x60\xEA\x00\x00", 4);
    return out;
}

} // namespace testsupport
