#pragma once

// The memo file beside a table.  Internal to the engine.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace db {

// Memo files: 512-byte blocks (dBASE III, text ended by 0x1A) or blocks with
// an 8-byte length header (dBASE IV).  Block 0 holds the next free block.

class MemoFile {
public:
    int fd = -1;
    quint32 blockSize = 512;
    quint32 nextFree = 1;
    bool dbase4 = false;
    // While a pack fills a new memo file, blocks are gathered and written in
    // large pieces and the next-free number once at the end (finishBatch).
    bool batch = false;
    QByteArray pending;
    quint32 pendingAt = 0;
    // The gathered copy: blocks [copyFrom, copyFrom + copyBlocks) of
    // `copySource` go to blocks from copyAt.
    const MemoFile *copySource = nullptr;
    quint32 copyFrom = 0, copyCount = 0, copyAt = 0;
    // Writeback of the batch's blocks is started in pieces of a few
    // megabytes; this far it has been.
    qint64 writebackFrom = 0;
    QString path;
    QString tableName;
    QString headerFault;          // what is wrong with the header, if anything

    // The memo file as it was when opened, mapped for reading: memos are
    // read from it without a system call each.  Blocks written later lie
    // beyond it and are read from the file.
    const char *map = nullptr;
    quint64 mapSize = 0;

    ~MemoFile();

    // Opens the memo file and checks that its header fits the file
    // (headerFault says what does not).
    void openFile(const QString &p, bool readOnly, bool v4);
    quint64 fileSize() const;

    QByteArray read(quint32 block) const;
    // Reads a memo from the file itself (blocks beyond the mapping).
    QByteArray readFromFile(quint32 block) const;
    // The text of a memo without copying it when it lies in the mapping;
    // otherwise read into `scratch`.
    QByteArrayView view(quint32 block, QByteArray &scratch) const;
    // Where the text of the memo at `block` stops being text the table can
    // hold (see readableMemoLength), or -1 when all of it is.  The usual
    // block is walked once, up to its end mark.
    qsizetype unreadableAt(quint32 block, QByteArray &scratch) const;

    // Writes a memo text into new blocks and returns the first.  While a pack
    // gathers blocks (batch) the text goes straight into the pending buffer.
    // `mayHoldEndMark` false: the caller knows the text holds no 0x1A (a text
    // read from a memo file ends at its first one), so it is not searched.
    quint32 write(QByteArrayView text, bool mayHoldEndMark = true);
    // While a pack fills the file (batch): the next `blocks` blocks are a
    // copy of the blocks from `fromBlock` of the memo file `from`, copied by
    // the kernel; consecutive copies are gathered into one.  Returns the
    // first new block.
    quint32 copyBlocks(const MemoFile &from, quint32 fromBlock, quint32 blocks);
    void writePending();
    void writeCopy();
    void startWriteback(bool all);
    void finishBatch();
    void writeHeader();

    static void createEmpty(const QString &p, bool v4, quint32 nextFreeBlock = 1);
};

// How much of a memo's bytes, from the start, is text a table can hold:
// whole GBK characters, and no zero byte (what zeroed or random blocks
// show).  The whole size when all of it is.
qsizetype readableMemoLength(QByteArrayView text);
// What a repair keeps of a memo: its readable beginning, or nothing when
// that holds nothing to see (only blanks and control bytes).
QByteArrayView readableMemoPart(QByteArrayView text);

// The block number in a table's memo cell; 0 for none or for a damaged
// pointer.
quint32 memoBlock(const char *cell, int width);
// The block number in a memo cell, or -1 when the cell holds something else
// than blanks and digits.
qint64 memoBlockStrict(const char *cell, int width);

} // namespace db
