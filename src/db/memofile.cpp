#include "memofile.h"
#include "error.h"
#include "fileio.h"

#include <QFile>

#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace db {

MemoFile::~MemoFile()
{
    if (map)
        ::munmap(const_cast<char *>(map), size_t(mapSize));
    if (fd >= 0)
        ::close(fd);
}

void MemoFile::openFile(const QString &p, bool readOnly, bool v4)
{
    path = p;
    dbase4 = v4;
    fd = ::open(QFile::encodeName(p).constData(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    if (fd < 0)
        throw EngineError(QStringLiteral("无法打开数据表 %2 的备注文件 %1：%3").arg(p, tableName, sysError()));
    char head[24] = {};
    struct stat st {};
    ::fstat(fd, &st);
    if (st.st_size >= 24 && readAllFd(fd, 0, head, 24)) {
        nextFree = le32(head);
        if (dbase4) {
            quint16 bs = le16(head + 20);
            blockSize = (bs >= 64 && bs % 64 == 0) ? bs : 512;
            if (blockSize != bs)
                headerFault = QStringLiteral("文件头给出的块大小为 %1").arg(bs);
        }
    }
    // What the header says must fit the file: garbage or a file cut
    // short shows here.  (A header lagging behind the blocks is what a
    // write that died before its header update leaves, and is harmless.)
    const quint64 blocksInFile = (quint64(st.st_size) + blockSize - 1) / blockSize;
    if (st.st_size > 0 && st.st_size < 24)
        headerFault = QStringLiteral("文件只有 %1 个字节，比文件头还短").arg(st.st_size);
    else if (st.st_size > 0 && headerFault.isEmpty() && (nextFree == 0 || nextFree > blocksInFile))
        headerFault = QStringLiteral("文件头给出的下一个空闲块是 %1，而文件只有 %2 块")
                          .arg(nextFree).arg(blocksInFile);
    // Never hand out a block that already holds bytes, whatever the header says.
    quint64 used = (quint64(st.st_size) + blockSize - 1) / blockSize;
    if (used < 1)
        used = 1;
    if (nextFree < used)
        nextFree = quint32(qMin<quint64>(used, 0xFFFFFFF0u));
    if (st.st_size > 0) {
        void *m = ::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
        if (m != MAP_FAILED) {
            map = static_cast<const char *>(m);
            mapSize = quint64(st.st_size);
        }
    }
}

quint64 MemoFile::fileSize() const
{
    struct stat st {};
    ::fstat(fd, &st);
    return quint64(st.st_size);
}

QByteArray MemoFile::read(quint32 block) const
{
    QByteArray scratch;
    const QByteArrayView v = view(block, scratch);
    return v.data() == scratch.constData() ? scratch : v.toByteArray();
}

QByteArray MemoFile::readFromFile(quint32 block) const
{
    if (block == 0 || fd < 0)
        return {};
    const quint64 size = fileSize();
    const quint64 start = quint64(block) * blockSize;
    if (start >= size)
        return {};
    if (dbase4) {
        char h[8];
        if (!readAllFd(fd, qint64(start), h, 8))
            return {};
        if (uchar(h[0]) == 0xFF && uchar(h[1]) == 0xFF && h[2] == 0x08 && h[3] == 0x00) {
            quint64 len = le32(h + 4);
            len = len >= 8 ? len - 8 : 0;
            len = qMin<quint64>(len, size - start - qMin<quint64>(8, size - start));
            QByteArray out(qsizetype(len), Qt::Uninitialized);
            if (!readAllFd(fd, qint64(start + 8), out.data(), out.size()))
                return {};
            const qsizetype cut = out.indexOf('\x1A');
            if (cut >= 0)
                out.truncate(cut);
            return out;
        }
        // Not a dBASE IV block header: fall back to a terminated text.
    }
    QByteArray out;
    quint64 pos = start;
    char buf[4096];
    while (pos < size) {
        qsizetype n = qsizetype(qMin<quint64>(sizeof buf, size - pos));
        if (!readAllFd(fd, qint64(pos), buf, n))
            break;
        const char *end = static_cast<const char *>(std::memchr(buf, 0x1A, size_t(n)));
        if (end) {
            out.append(buf, end - buf);
            return out;
        }
        out.append(buf, n);
        pos += quint64(n);
    }
    return out;
}

quint32 MemoFile::write(QByteArrayView text, bool mayHoldEndMark)
{
    if (text.isEmpty())
        return 0;
    if (copyCount)
        writeCopy();
    QByteArray local;
    QByteArray &dest = batch ? pending : local;
    const qsizetype start = dest.size();
    if (dbase4) {
        char head[8] = {char(0xFF), char(0xFF), 0x08, 0x00, 0, 0, 0, 0};
        put32(head + 4, quint32(text.size() + 8));
        dest.append(head, 8);
        dest.append(text);
    } else {
        dest.append(text);
        // 0x1A cannot stand inside a dBASE III memo: it ends the text.
        if (mayHoldEndMark && std::memchr(text.data(), 0x1A, size_t(text.size())))
            for (qsizetype k = start; k < dest.size(); ++k)
                if (dest[k] == '\x1A')
                    dest[k] = ' ';
        dest.append("\x1A\x1A", 2);
    }
    const qsizetype len = dest.size() - start;
    const quint32 blocks = quint32((quint64(len) + blockSize - 1) / blockSize);
    if (quint64(nextFree) + blocks >= 0xFFFFFFF0u) {
        dest.truncate(start);
        throw EngineError(QStringLiteral("备注文件 %1 已满").arg(path));
    }
    dest.append(qsizetype(blocks) * blockSize - len, '\0');
    const quint32 at = nextFree;
    nextFree = at + blocks;
    if (batch) {
        if (start == 0)
            pendingAt = at;
        if (pending.size() >= (4 << 20))
            writePending();
        return at;
    }
    writeAllFd(fd, qint64(quint64(at) * blockSize), local.constData(), local.size(), path);
    writeHeader();
    return at;
}

QByteArrayView MemoFile::view(quint32 block, QByteArray &scratch) const
{
    const quint64 at = quint64(block) * blockSize;
    if (block && map && at < mapSize) {
        const char *p = map + at;
        const quint64 avail = mapSize - at;
        const bool v4block = dbase4 && avail >= 8 && uchar(p[0]) == 0xFF && uchar(p[1]) == 0xFF && p[2] == 0x08 && p[3] == 0x00;
        if (v4block) {
            quint64 len = le32(p + 4);
            len = len >= 8 ? len - 8 : 0;
            if (len <= avail - 8) {
                const void *cut = std::memchr(p + 8, 0x1A, size_t(len));
                return QByteArrayView(p + 8, cut ? static_cast<const char *>(cut) - (p + 8) : qsizetype(len));
            }
        } else if (const void *end = std::memchr(p, 0x1A, size_t(avail))) {
            return QByteArrayView(p, static_cast<const char *>(end) - p);
        }
    }
    scratch = readFromFile(block);
    return scratch;
}

qsizetype MemoFile::unreadableAt(quint32 block, QByteArray &scratch) const
{
    const quint64 at = quint64(block) * blockSize;
    if (block && map && at < mapSize && !dbase4) {
        const auto *p = reinterpret_cast<const uchar *>(map + at);
        const qsizetype avail = qsizetype(mapSize - at);
        for (qsizetype i = 0; i < avail; ++i) {
            const uchar c = p[i];
            if (c < 0x80) {
                if (c == 0x1A)
                    return -1;
                if (c == 0)
                    return i;
                continue;
            }
            if (c == 0x80 || c == 0xFF)
                return i;
            if (i + 1 >= avail)
                break; // no end mark in the mapping: as view() reads it
            const uchar d = p[i + 1];
            if (d < 0x40 || d == 0x7F || d == 0xFF)
                return i;
            ++i;
        }
    }
    const QByteArrayView text = view(block, scratch);
    const qsizetype readable = readableMemoLength(text);
    return readable < text.size() ? readable : -1;
}

quint32 MemoFile::copyBlocks(const MemoFile &from, quint32 fromBlock, quint32 blocks)
{
    Q_ASSERT(batch && from.blockSize == blockSize);
    if (quint64(nextFree) + blocks >= 0xFFFFFFF0u)
        throw EngineError(QStringLiteral("备注文件 %1 已满").arg(path));
    if (!pending.isEmpty())
        writePending();
    if (copyCount && (copySource != &from || copyFrom + copyCount != fromBlock))
        writeCopy();
    if (!copyCount) {
        copySource = &from;
        copyFrom = fromBlock;
        copyAt = nextFree;
    }
    copyCount += blocks;
    const quint32 at = nextFree;
    nextFree = at + blocks;
    if (quint64(copyCount) * blockSize >= (4u << 20))
        writeCopy();
    return at;
}

void MemoFile::writeCopy()
{
    const qint64 at = qint64(quint64(copyAt) * blockSize), size = qint64(quint64(copyCount) * blockSize);
    copyCount = 0;
    copyFileRange(copySource->fd, qint64(quint64(copyFrom) * blockSize), fd, at, size, path);
    startWriteback(false);
}

void MemoFile::startWriteback(bool all)
{
    const qint64 end = qint64(quint64(nextFree) * blockSize);
    if (end > writebackFrom && (all || end - writebackFrom >= (4 << 20))) {
        ::sync_file_range(fd, writebackFrom, end - writebackFrom, SYNC_FILE_RANGE_WRITE);
        writebackFrom = end;
    }
}

void MemoFile::writePending()
{
    if (copyCount)
        writeCopy();
    if (pending.isEmpty())
        return;
    const qint64 at = qint64(quint64(pendingAt) * blockSize);
    writeAllFd(fd, at, pending.constData(), pending.size(), path);
    pending.truncate(0);
    startWriteback(false);
}

void MemoFile::finishBatch()
{
    writePending();
    startWriteback(true);
    writeHeader();
    batch = false;
}

void MemoFile::writeHeader()
{
    char head[4];
    put32(head, nextFree);
    writeAllFd(fd, 0, head, 4, path);
}

qsizetype readableMemoLength(QByteArrayView t)
{
    for (qsizetype i = 0; i < t.size(); ++i) {
        const uchar c = uchar(t[i]);
        if (c == 0 || c == 0x80 || c == 0xFF)
            return i;
        if (c > 0x80) {
            if (i + 1 >= t.size())
                return i;
            const uchar d = uchar(t[i + 1]);
            if (d < 0x40 || d == 0x7F || d == 0xFF)
                return i;
            ++i;
        }
    }
    return t.size();
}

QByteArrayView readableMemoPart(QByteArrayView text)
{
    const QByteArrayView part = text.first(readableMemoLength(text));
    for (const char c : part)
        if (uchar(c) > 0x20 && uchar(c) != 0x7F)
            return part;
    return QByteArrayView();
}

void MemoFile::createEmpty(const QString &p, bool v4, quint32 nextFreeBlock)
{
    QByteArray head(512, '\0');
    put32(head.data(), nextFreeBlock);
    if (v4)
        put16(head.data() + 20, 512);
    else
        head[16] = 0x03;
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw EngineError(QStringLiteral("无法创建备注文件 %1：%2").arg(p, f.errorString()));
    f.write(head);
}

// The block number in a memo field; 0 for none or for a damaged pointer.
quint32 memoBlock(const char *cell, int width)
{
    quint64 block = 0;
    for (int i = 0; i < width; ++i) {
        if (cell[i] >= '0' && cell[i] <= '9') {
            block = block * 10 + quint64(cell[i] - '0');
            if (block > 0xFFFFFFFFu)
                return 0;
        } else if (cell[i] != ' ' && cell[i] != '\0') {
            return 0;
        }
    }
    return quint32(block);
}

// The block number in a memo cell, or -1 when the cell holds something else
// than blanks and digits.
qint64 memoBlockStrict(const char *cell, int width)
{
    qint64 block = 0;
    bool digits = false, trailing = false;
    for (int i = 0; i < width; ++i) {
        const char c = cell[i];
        if (c >= '0' && c <= '9') {
            if (trailing)
                return -1;
            digits = true;
            block = block * 10 + (c - '0');
            if (block > 0xFFFFFFFFll)
                return -1;
        } else if (c == ' ' || c == '\0') {
            if (digits)
                trailing = true;
        } else {
            return -1;
        }
    }
    return block;
}

} // namespace db
