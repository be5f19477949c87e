#pragma once

#include "value.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace db {

class MemoFile;

// Language driver byte written into every table the engine creates; other
// dBASE readers take it as GBK.  0x4D and unknown bytes are read as GBK too.
constexpr unsigned char kLanguageDriverGbk = 0x7A;

// One dBASE table file held in memory and shared by every cursor on it, so a
// post through one cursor is seen by all.  A post writes its row to the file
// at once; an append writes the row and the end mark, then the header count.
// An in-memory table (no file) serves as the store of query results.
class TableFile {
public:
    ~TableFile();
    TableFile(const TableFile &) = delete;
    TableFile &operator=(const TableFile &) = delete;

    // The shared store of a file, opened on first use.  `exclusive` fails
    // when anybody else (this process or another) holds the file.
    static std::shared_ptr<TableFile> open(const QString &path, bool exclusive);
    // A table without a file, for query results and cached copies.
    static std::shared_ptr<TableFile> createMemory(const Schema &schema, const QString &name);
    // Writes a new empty table file (and its memo file when a field is a
    // memo).  Fails if the file exists.
    static void createFile(const QString &path, const QVector<FieldDef> &fields,
                           unsigned char languageDriver = kLanguageDriverGbk);
    // True when some cursor of this process holds the file.
    static bool isOpen(const QString &path);

    const QString &path() const { return m_path; }
    const QString &name() const { return m_name; }   // for messages: file name without folder
    const Schema &schema() const { return m_schema; }
    bool isMemory() const { return m_path.isEmpty(); }
    bool isExclusive() const { return m_exclusive; }
    bool isReadOnly() const { return m_readOnly; }
    unsigned char version() const { return m_version; }
    unsigned char languageDriver() const { return m_langDriver; }
    // What was found wrong with the file when it was opened (a header count
    // that disagrees with the file size, a cut-off last row...).
    const QStringList &warnings() const { return m_warnings; }

    int rowCount() const { return m_rowCount; }            // physical rows, deleted ones included
    const char *row(int i) const { return i < m_baseRows ? m_base + qsizetype(i) * m_schema.recordLength
                                                           : m_extra.constData() + qsizetype(i - m_baseRows) * m_schema.recordLength; }
    // Deletion marks are kept apart from the rows, so listing the live rows
    // never reads the table's pages.
    bool isDeleted(int i) const { return m_deleted[size_t(i)]; }
    bool hasDeletedRows() const { return m_deletedCount > 0; }

    // Field values of a stored or buffered record.
    Value fieldValue(const char *record, int field) const;
    QByteArrayView fieldText(const char *record, int field) const;   // C fields, trailing blanks cut
    QByteArray memoText(const char *record, int field) const;

    // Writing.  `memos` maps memo field indexes to their new GBK text (empty
    // text clears the memo); the record buffer's memo pointers are set here.
    void writeRow(int i, QByteArray record, const QHash<int, QByteArray> &memos);
    int appendRow(QByteArray record, const QHash<int, QByteArray> &memos);
    void setDeleted(int i, bool deleted);
    // Room for `rows` more appended rows, so filling a copy row by row does
    // not move what is there again and again.
    void reserveRows(int rows);
    // Forces what was written to disk (one sync for a whole user operation).
    void sync();
    // Lets go of the memory holding rows [first, end) as read from the file:
    // they are read again when next touched.  A walk over a large table
    // calls it behind itself so the table is not kept in memory.
    void releaseRows(int first, int end) const;

    // Purges deleted rows, keeping the order of the rest, the header bytes
    // and the language driver; memos are compacted.  Needs exclusive use.
    // A table without deleted rows is not rewritten.  Crash-safe: the packed
    // copy is written beside the table, synced and renamed over it, the memo
    // file first; the exclusive lock passes from the old file to the new one
    // before the renames, so no other process ever opens a table beside a
    // memo file of the other generation.  Memory stays flat: the rows and
    // memos read are dropped from memory piece by piece.
    // Returns false when there was nothing to purge.  The packed files keep
    // the mode (and owner, where the system allows) of the files they
    // replace; a table or memo file that is a symbolic link is refused.
    bool pack();

    // Rewrites a damaged table with the rows that can be read: complete rows
    // only, memo pointers that lead nowhere cleared, the header count and
    // the memo file's header made right.  Returns what was found wrong (the
    // faults that were mended).  Needs the table closed in this program; it
    // is opened exclusively for the repair.  The caller keeps a copy first.
    // A table or memo file that is a symbolic link is refused.
    static QStringList repair(const QString &path);

    // Syncing to disk, on by default.  Fuzzing switches it off: what is
    // written and read back is the same, only nothing is forced to the disk.
    static void setSyncEnabled(bool on);
    static bool syncEnabled();

    // In-memory key indexes.  A program declares, once, which text fields of
    // which tables (by file name, any letter case) it looks rows up by:
    // `prefix` 0 indexes the whole value, n > 0 its first n bytes (for
    // "like 'abcd%'").  A table builds its indexes in the pass its opening
    // makes over the rows (or on first use when that pass was not needed)
    // and keeps them true on every write, append and pack.  No file is
    // written for them.
    struct KeyIndexField {
        QString field;
        int prefix = 0;
    };
    static void setKeyIndexes(const QString &fileName, const QList<KeyIndexField> &fields);
    // Rows (deleted ones too, in file order) whose text field `field` may
    // equal `text` (or, with `prefix`, begin with it), from an index of the
    // field; a row listed may still differ (keys are hashed), a row not
    // listed never matches.  Null when no index of the field serves.
    const QVector<int> *keyRows(int field, QByteArrayView text, bool prefix) const;

    // Counters that tell cursors when their views are stale.
    quint64 dataGeneration() const { return m_dataGen; }
    quint64 membershipGeneration() const { return m_memberGen; }

    // Test hook: called with the step number at each step of a pack.
    static void (*packStepHook)(int step);

private:
    TableFile();
    void load(int lockedFd = -1, const std::vector<bool> *knownDeleted = nullptr);
    int openLocked();
    void scanRows(const std::function<void(const QString &)> &fault);
    struct KeyIndex;
    void prepareIndexes();
    void buildIndexes() const;
    void indexRow(const char *record, int row) const;
    void unindexRow(const char *record, int row) const;
    // The deletion marks of a file read through earlier in this process and
    // unchanged since; remembering notes the marks of the file as it is now.
    bool recallChecked(std::vector<bool> &deleted) const;
    void rememberChecked() const;
    void setDeletedMark(int i, bool deleted);
    bool packRows(bool force);
    void unload();
    void ensureWritable() const;
    QByteArray encodeMemos(QByteArray &record, const QHash<int, QByteArray> &memos);
    void pwriteAll(qint64 offset, const char *data, qsizetype size);
    void writeHeaderCount();
    char *mutableRow(int i);

    friend class Registry;
    QString m_path;
    QString m_openedAs; // the path as the opener named it (a link is not followed)
    QString m_name;
    Schema m_schema;
    QByteArray m_header;          // the header bytes as read (descriptors included)
    int m_fd = -1;
    bool m_exclusive = false;
    bool m_readOnly = false;
    unsigned char m_version = 0x03;
    unsigned char m_langDriver = kLanguageDriverGbk;
    int m_headerLength = 0;
    char *m_map = nullptr;        // the file mapped copy-on-write
    qsizetype m_mapSize = 0;
    char *m_base = nullptr;       // first row inside the map
    int m_baseRows = 0;
    QByteArray m_extra;           // rows appended after opening
    std::vector<bool> m_deleted;  // deletion mark of every row
    int m_deletedCount = 0;
    int m_rowCount = 0;
    std::unique_ptr<MemoFile> m_memo;
    QVector<QByteArray> m_memMemos;   // memo texts of an in-memory table
    QStringList m_warnings;
    quint64 m_dataGen = 1;
    quint64 m_memberGen = 1;
    bool m_dirty = false;
    bool m_salvage = false;       // opened for a repair: damage is noted, not refused
    bool m_loaded = false;        // rows and marks in memory match the file
    mutable std::vector<std::unique_ptr<KeyIndex>> m_indexes;
    mutable bool m_indexesBuilt = false;
};

// fsync and fdatasync, unless syncing is switched off (setSyncEnabled).
int syncFile(int fd);
int syncFileData(int fd);

// Resolves a file name inside a folder without regard to letter case.  An
// exact match wins; two names differing only in case are an error.  Returns
// an empty string when nothing matches.
QString resolveFileName(const QString &folder, const QString &fileName);

} // namespace db
