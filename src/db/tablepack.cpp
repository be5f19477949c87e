// Packing a table: the packed copies written beside it, synced, committed
// with a mark and renamed over the old files; the recovery of a pack a crash
// interrupted; and the repair of a damaged table with its readable rows.

#include "error.h"
#include "fileio.h"
#include "folder.h"
#include "gbk.h"
#include "memofile.h"
#include "tablefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace db {

// Leftovers of a pack: the packed copies and the commit mark.
bool packLeftoversExist(const QString &path)
{
    return QFile::exists(path + QStringLiteral(".pack-commit")) || QFile::exists(path + QStringLiteral(".pack-new"))
           || QFile::exists(memoPathFor(path) + QStringLiteral(".pack-new"));
}

// Completes or discards a pack that a crash interrupted: with the commit mark
// present the packed files are complete and are moved in place; without it
// the leftovers are removed and the original table is untouched.  The caller
// holds the table's exclusive lock.
void recoverInterruptedPack(const QString &path)
{
    const QString dbfTmp = path + QStringLiteral(".pack-new");
    const QString memoPath = memoPathFor(path);
    const QString memoTmp = memoPath + QStringLiteral(".pack-new");
    const QString mark = path + QStringLiteral(".pack-commit");
    if (QFile::exists(mark)) {
        if (QFile::exists(memoTmp))
            ::rename(QFile::encodeName(memoTmp).constData(), QFile::encodeName(memoPath).constData());
        if (QFile::exists(dbfTmp))
            ::rename(QFile::encodeName(dbfTmp).constData(), QFile::encodeName(path).constData());
        syncDir(QFileInfo(path).absolutePath());
        QFile::remove(mark);
    } else {
        QFile::remove(dbfTmp);
        QFile::remove(memoTmp);
    }
}

namespace {
// Drops the pages of [from, to) of a mapping from this process's memory; they
// are read from the file again when touched.  Safe on the table's private
// mapping because every change made to it is written to the file first.
void dropPages(const char *from, const char *to)
{
    static const quintptr page = quintptr(::sysconf(_SC_PAGESIZE));
    const quintptr a = quintptr(from) & ~(page - 1);
    const quintptr b = (quintptr(to) + page - 1) & ~(page - 1);
    if (b > a) // NOLINTNEXTLINE(performance-no-int-to-ptr): the page bounds are computed as integers
        ::madvise(reinterpret_cast<void *>(a), size_t(b - a), MADV_DONTNEED);
}
} // namespace

bool TableFile::pack()
{
    if (isMemory())
        return false;
    if (!m_exclusive)
        throw EngineError(QStringLiteral("数据表 %1 必须独占打开才能整理").arg(m_name));
    ensureWritable();
    if (!hasDeletedRows())
        return false;
    refuseLinkedTable(m_openedAs, m_name, QStringLiteral("整理"));
    packRows(false);
    return true;
}

QStringList TableFile::repair(const QString &path)
{
    if (isOpen(path))
        throw EngineError(QStringLiteral("数据表 %1 正在使用，无法修复").arg(QFileInfo(path).fileName()));
    refuseLinkedTable(path, QFileInfo(path).fileName(), QStringLiteral("修复"));
    std::shared_ptr<TableFile> t(new TableFile);
    t->m_path = registryKey(path);
    t->m_openedAs = QFileInfo(path).absoluteFilePath();
    t->m_name = QFileInfo(path).fileName();
    t->m_exclusive = true;
    t->m_salvage = true;
    try {
        t->load();
        QStringList faults = t->m_warnings;
        t->ensureWritable();
        t->m_salvage = false;
        t->packRows(true);
        t->m_path.clear();   // never registered
        return faults;
    } catch (...) {
        t->m_path.clear();
        throw;
    }
}

bool TableFile::packRows(bool repairing)
{
    const bool keepDeleted = repairing;
    auto step = [](int n) {
        if (packStepHook)
            packStepHook(n);
    };
    const QString dbfTmp = m_path + QStringLiteral(".pack-new");
    const QString memoPath = m_memo ? m_memo->path : QString();
    const QString memoTmp = memoPath + QStringLiteral(".pack-new");
    const QString mark = m_path + QStringLiteral(".pack-commit");
    QFile::remove(dbfTmp);
    QFile::remove(mark);
    if (m_memo)
        QFile::remove(memoTmp);

    const int recLen = m_schema.recordLength;
    std::unique_ptr<MemoFile> newMemo;
    if (m_memo) {
        MemoFile::createEmpty(memoTmp, m_memo->dbase4);
        newMemo = std::make_unique<MemoFile>();
        newMemo->tableName = m_name;
        newMemo->openFile(memoTmp, false, m_memo->dbase4);
        keepModeOf(memoPath, newMemo->fd);
        newMemo->batch = true;
    }
    // The packed rows go out in pieces of a few megabytes; writeback of each
    // piece starts at once so the final sync has little left to wait for.
    const int fd = ::open(QFile::encodeName(dbfTmp).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        throw EngineError(QStringLiteral("无法整理数据表 %1：%2").arg(m_name, sysError()));
    struct Cleanup {
        int fd;
        QString dbf, memo;
        bool done = false;
        ~Cleanup()
        {
            if (fd >= 0)
                ::close(fd);
            if (!done) {
                QFile::remove(dbf);
                if (!memo.isEmpty())
                    QFile::remove(memo);
            }
        }
    } cleanup{fd, dbfTmp, m_memo ? memoTmp : QString()};
    keepModeOf(m_path, fd);
    QByteArray scratch;
    QByteArray out;
    const qsizetype chunk = qMax<qsizetype>(recLen, 4 << 20);
    out.reserve(qMin<qint64>(chunk, qint64(m_rowCount) * recLen) + recLen + m_headerLength + 1);
    out.append(m_header);
    qint64 written = 0, writebackFrom = 0;
    // What this piece read from the mappings, dropped after it is written.
    int droppedRows = 0;
    quint64 memoLo = ~quint64(0), memoHi = 0;
    auto flushOut = [&](int rowsDone) {
        if (!out.isEmpty()) {
            writeAllFd(fd, written, out.constData(), out.size(), dbfTmp);
            written += out.size();
            out.truncate(0);
            ::sync_file_range(fd, writebackFrom, written - writebackFrom, SYNC_FILE_RANGE_WRITE);
            writebackFrom = written;
        }
        const int mappedDone = qMin(rowsDone, m_baseRows);
        if (m_map && mappedDone > droppedRows) {
            dropPages(row(droppedRows), row(mappedDone - 1) + recLen);
            droppedRows = mappedDone;
        }
        if (m_memo && m_memo->map && memoHi > memoLo) {
            dropPages(m_memo->map + memoLo, m_memo->map + qMin<quint64>(memoHi, m_memo->mapSize));
            memoLo = ~quint64(0);
            memoHi = 0;
        }
    };
    int kept = 0;
    std::vector<bool> keptDeleted;
    keptDeleted.reserve(size_t(m_rowCount));
    // A table without memos: the kept rows are the old file's bytes, so runs
    // of them are copied by the kernel, straight from the old file.
    const bool copyRows = !newMemo && !repairing;
    // Memos whose old blocks hold exactly what a new memo would (the text
    // and the two end marks) are copied block for block.
    const bool copyMemos = newMemo && !repairing && !m_memo->dbase4 && m_memo->map && m_memo->fd >= 0;
    const quint32 bs = m_memo ? m_memo->blockSize : 512;
    int runFirst = -1, runRows = 0;
    std::vector<int> memoFields;
    for (int f = 0; newMemo && f < m_schema.count(); ++f)
        if (m_schema.fields[f].kind == FieldKind::Memo)
            memoFields.push_back(f);
    std::vector<std::pair<quint32, int>> memoCells;
    // Gives the memos of a row copied into `out` their new blocks.
    auto moveMemos = [&](char *rec) {
        // The row's memos in the order their blocks lie in the old file,
        // so that runs of them stay runs in the new one.
        memoCells.clear();
        for (int f : memoFields)
            memoCells.push_back({memoBlock(rec + m_schema.fields[f].offset, m_schema.fields[f].width), f});
        std::sort(memoCells.begin(), memoCells.end());
        for (const auto &[old, f] : memoCells) {
            const FieldDef &field = m_schema.fields[f];
            QByteArrayView text = m_memo->view(old, scratch);
            if (repairing)
                text = readableMemoPart(text);
            quint32 block = 0;
            if (m_memo->map && text.data() >= m_memo->map && text.data() < m_memo->map + m_memo->mapSize) {
                const quint64 off = quint64(text.data() - m_memo->map);
                const quint64 blocks = (quint64(text.size()) + 2 + bs - 1) / bs;
                memoLo = qMin(memoLo, off);
                memoHi = qMax(memoHi, off + quint64(text.size()) + 2);
                if (copyMemos && !text.isEmpty() && off == quint64(old) * bs && off + blocks * bs <= m_memo->mapSize
                    && m_memo->map[off + quint64(text.size()) + 1] == '\x1A')
                    block = newMemo->copyBlocks(*m_memo, old, quint32(blocks));
            }
            // The text ends before the first end mark: nothing in it to replace.
            if (!block)
                block = newMemo->write(text, false);
            const QByteArray num = block ? QByteArray::number(block) : QByteArray();
            std::memset(rec + field.offset, ' ', size_t(field.width));
            std::memcpy(rec + field.offset + field.width - num.size(), num.constData(), size_t(num.size()));
        }
    };
    // A run of kept rows of the old file: copied by the kernel when they go
    // out unchanged, else read straight into `out` (no pass through the
    // mapping) and their memos moved.
    auto flushRun = [&] {
        if (runRows == 0)
            return;
        const qint64 from = m_headerLength + qint64(runFirst) * recLen, size = qint64(runRows) * recLen;
        if (copyRows) {
            flushOut(runFirst);
            copyFileRange(m_fd, from, fd, written, size, dbfTmp);
            written += size;
            if (written - writebackFrom >= chunk) {
                ::sync_file_range(fd, writebackFrom, written - writebackFrom, SYNC_FILE_RANGE_WRITE);
                writebackFrom = written;
            }
        } else {
            const qsizetype at = out.size();
            out.resize(at + qsizetype(size));
            if (!readAllFd(m_fd, from, out.data() + at, qsizetype(size)))
                throw EngineError(QStringLiteral("无法读取数据表 %1：%2").arg(m_name, sysError()));
            for (int r = 0; r < runRows; ++r)
                moveMemos(out.data() + at + qsizetype(r) * recLen);
            if (out.size() >= chunk)
                flushOut(runFirst + runRows);
        }
        runRows = 0;
    };
    const bool readRuns = !repairing;
    for (int i = 0; i < m_rowCount; ++i) {
        if (isDeleted(i) && !keepDeleted) {
            flushRun();
            continue;
        }
        keptDeleted.push_back(isDeleted(i));
        ++kept;
        if (readRuns && i < m_baseRows) {
            if (runRows == 0)
                runFirst = i;
            ++runRows;
            if (!copyRows && out.size() + qsizetype(runRows) * recLen >= chunk)
                flushRun();
            continue;
        }
        flushRun();
        out.append(row(i), recLen);
        if (newMemo)
            moveMemos(out.data() + out.size() - recLen);
        if (out.size() >= chunk)
            flushOut(i + 1);
    }
    flushRun();
    out.append('\x1A');
    flushOut(m_rowCount);
    char count[4];
    put32(count, quint32(kept));
    writeAllFd(fd, 4, count, 4, dbfTmp);
    step(1);
    if (newMemo)
        newMemo->finishBatch();
    if (syncFile(fd) != 0 || (newMemo && syncFile(newMemo->fd) != 0))
        throw EngineError(QStringLiteral("无法整理数据表 %1：%2").arg(m_name, sysError()));
    newMemo.reset();
    // The packed table is locked before anybody can see it under the table's
    // name: a reader that opens the name between or after the renames finds
    // it held, as the old file is held until the renames are done.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        throw EngineError(QStringLiteral("无法整理数据表 %1：%2").arg(m_name, sysError()));
    step(2);
    const QString folder = QFileInfo(m_path).absolutePath();
    {
        QFile m(mark);
        if (!m.open(QIODevice::WriteOnly))
            throw EngineError(QStringLiteral("无法整理数据表 %1：%2").arg(m_name, m.errorString()));
        m.write("packed copy complete\n");
        m.flush();
        syncFile(m.handle());
    }
    syncDir(folder);
    cleanup.done = true;   // from here on the commit mark completes the pack
    step(3);
    if (m_memo && ::rename(QFile::encodeName(memoTmp).constData(), QFile::encodeName(memoPath).constData()) != 0)
        throw EngineError(QStringLiteral("无法整理数据表 %1：%2").arg(m_name, sysError()));
    step(4);
    if (::rename(QFile::encodeName(dbfTmp).constData(), QFile::encodeName(m_path).constData()) != 0)
        throw EngineError(QStringLiteral("无法整理数据表 %1：%2").arg(m_name, sysError()));
    syncDir(folder);
    QFile::remove(mark);
    step(5);
    // Go on with the packed file and its lock; the old file's lock goes with it.
    cleanup.fd = -1;
    unload();
    m_warnings.clear();
    load(fd, repairing ? nullptr : &keptDeleted);
    ++m_dataGen;
    ++m_memberGen;
    return true;
}

} // namespace db
