#include "tablefile.h"
#include "error.h"
#include "fileio.h"
#include "gbk.h"
#include "idle.h"
#include "memofile.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

#include <algorithm>
#include <atomic>
#include <functional>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace db {

void (*TableFile::packStepHook)(int) = nullptr;

namespace {
std::atomic<bool> g_syncEnabled{true};
}

void TableFile::setSyncEnabled(bool on) { g_syncEnabled = on; }
bool TableFile::syncEnabled() { return g_syncEnabled; }

int syncFile(int fd) { return g_syncEnabled ? ::fsync(fd) : 0; }
int syncFileData(int fd) { return g_syncEnabled ? ::fdatasync(fd) : 0; }

namespace {

// Registry of the shared stores of this process, by absolute path.
struct Registry {
    QMutex mutex;
    QHash<QString, std::weak_ptr<TableFile>> stores;
    static Registry &instance()
    {
        static Registry r;
        return r;
    }
};

// What a table file and its memo file were when their rows were last found
// sound in this process: device, inode, size and both times.  A file changed
// since (by anybody) differs in one of them.
struct FileStamp {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    timespec mtime{};
    timespec ctime{};
    bool operator==(const FileStamp &o) const
    {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec
               && mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec
               && ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

// The stamp of an open file; false when it cannot be trusted: a file changed
// within the last few milliseconds could change again without its times
// moving on a file system that keeps coarse times.
bool stampOf(int fd, FileStamp &out)
{
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return false;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const qint64 age = (qint64(now.tv_sec) - st.st_ctim.tv_sec) * 1000000000LL + (now.tv_nsec - st.st_ctim.tv_nsec);
    if (age < 20000000LL)
        return false;
    out.dev = st.st_dev;
    out.ino = st.st_ino;
    out.size = st.st_size;
    out.mtime = st.st_mtim;
    out.ctime = st.st_ctim;
    return true;
}

// Tables whose rows were read through once in this process and found sound,
// with their deletion marks: opened again unchanged, they are not read again.
struct CheckedTables {
    struct Entry {
        FileStamp table;
        FileStamp memo;
        std::vector<bool> deleted;
    };
    QMutex mutex;
    QHash<QString, Entry> entries;
    static CheckedTables &instance()
    {
        static CheckedTables c;
        return c;
    }
};

} // namespace

bool TableFile::recallChecked(std::vector<bool> &deleted) const
{
    CheckedTables::Entry now;
    if (!stampOf(m_fd, now.table) || (m_memo && !stampOf(m_memo->fd, now.memo)))
        return false;
    auto &c = CheckedTables::instance();
    QMutexLocker lock(&c.mutex);
    auto it = c.entries.constFind(m_path);
    if (it == c.entries.cend() || !(it->table == now.table) || !(it->memo == now.memo)
        || it->deleted.size() != size_t(m_rowCount))
        return false;
    deleted = it->deleted;
    return true;
}

void TableFile::rememberChecked() const
{
    if (m_path.isEmpty() || m_salvage || m_deleted.size() != size_t(m_rowCount))
        return;
    CheckedTables::Entry e;
    auto &c = CheckedTables::instance();
    if (!stampOf(m_fd, e.table) || (m_memo && !stampOf(m_memo->fd, e.memo))) {
        QMutexLocker lock(&c.mutex);
        c.entries.remove(m_path);
        return;
    }
    e.deleted = m_deleted;
    QMutexLocker lock(&c.mutex);
    c.entries.insert(m_path, e);
}

// ---------------------------------------------------------------------------
// Key indexes

struct TableFile::KeyIndex {
    int field = -1;
    int prefix = 0;
    // Rows chained by the hash of their key: the last row indexed under a
    // hash, and for each row the one indexed before it under the same hash
    // (-1 ends a chain).  No allocation per key.
    QHash<quint64, int> head;
    std::vector<int> next;
    QVector<int> found; // the rows of the last lookup, ascending

    quint64 hashOf(QByteArrayView key) const { return quint64(qHashBits(key.data(), size_t(key.size()), 0x5eed)); }
    // The key of a record, false when the record has none (shorter than the prefix).
    bool keyOf(const TableFile &t, const char *record, QByteArrayView &key) const
    {
        key = t.fieldText(record, field);
        if (prefix == 0)
            return true;
        if (key.size() < prefix)
            return false;
        key = key.first(prefix);
        return true;
    }
    void clear()
    {
        head.clear();
        next.clear();
    }
};

namespace {

struct DeclaredIndexes {
    QMutex mutex;
    QHash<QString, QList<TableFile::KeyIndexField>> byFile; // lower-case file name
    static DeclaredIndexes &instance()
    {
        static DeclaredIndexes d;
        return d;
    }
};

} // namespace

void TableFile::setKeyIndexes(const QString &fileName, const QList<KeyIndexField> &fields)
{
    auto &d = DeclaredIndexes::instance();
    QMutexLocker lock(&d.mutex);
    d.byFile.insert(fileName.toLower(), fields);
}

// The declared indexes of this table, empty until built.
void TableFile::prepareIndexes()
{
    m_indexes.clear();
    m_indexesBuilt = false;
    QList<KeyIndexField> fields;
    {
        auto &d = DeclaredIndexes::instance();
        QMutexLocker lock(&d.mutex);
        fields = d.byFile.value(m_name.toLower());
    }
    for (const KeyIndexField &wanted : fields) {
        const int f = m_schema.indexOf(wanted.field);
        if (f < 0 || m_schema.fields[f].kind != FieldKind::Text || wanted.prefix < 0)
            continue;
        auto idx = std::make_unique<KeyIndex>();
        idx->field = f;
        idx->prefix = wanted.prefix;
        m_indexes.push_back(std::move(idx));
    }
}

void TableFile::indexRow(const char *record, int row) const
{
    for (const auto &idx : m_indexes) {
        QByteArrayView key;
        if (!idx->keyOf(*this, record, key))
            continue;
        if (size_t(row) >= idx->next.size())
            idx->next.resize(std::max(size_t(row) + 1, size_t(m_rowCount)), -1);
        int &first = idx->head[idx->hashOf(key)];
        idx->next[size_t(row)] = first - 1;
        first = row + 1; // stored one up: a new entry reads 0
    }
}

void TableFile::unindexRow(const char *record, int row) const
{
    for (const auto &idx : m_indexes) {
        QByteArrayView key;
        if (!idx->keyOf(*this, record, key))
            continue;
        auto it = idx->head.find(idx->hashOf(key));
        if (it == idx->head.end())
            continue;
        int *link = &*it; // holds row + 1, like the chain below reads row
        int at = *link - 1;
        int *prevNext = nullptr;
        while (at >= 0 && at != row) {
            prevNext = &idx->next[size_t(at)];
            at = *prevNext;
        }
        if (at != row)
            continue;
        const int after = idx->next[size_t(row)];
        if (prevNext)
            *prevNext = after;
        else if (after >= 0)
            *link = after + 1;
        else
            idx->head.erase(it);
        idx->next[size_t(row)] = -1;
    }
}

void TableFile::buildIndexes() const
{
    if (m_indexesBuilt)
        return;
    for (const auto &idx : m_indexes)
        idx->clear();
    for (int r = 0; r < m_rowCount; ++r) {
        if ((r & 0x3FFF) == 0x3FFF)
            idle();
        indexRow(row(r), r);
    }
    m_indexesBuilt = true;
}

const QVector<int> *TableFile::keyRows(int field, QByteArrayView text, bool prefix) const
{
    // The index that narrows most: the whole value for an equal text, else
    // the longest prefix the text covers.
    KeyIndex *best = nullptr;
    for (const auto &idx : m_indexes) {
        if (idx->field != field)
            continue;
        if (idx->prefix == 0 ? prefix : idx->prefix > text.size())
            continue;
        if (!best || (best->prefix != 0 && (idx->prefix == 0 || idx->prefix > best->prefix)))
            best = idx.get();
    }
    if (!best)
        return nullptr;
    buildIndexes();
    best->found.clear();
    auto it = best->head.constFind(best->hashOf(best->prefix == 0 ? text : text.first(best->prefix)));
    if (it != best->head.cend())
        for (int r = *it - 1; r >= 0; r = best->next[size_t(r)])
            best->found.append(r);
    std::sort(best->found.begin(), best->found.end());
    return &best->found;
}

// ---------------------------------------------------------------------------

QString resolveFileName(const QString &folder, const QString &fileName)
{
    QDir dir(folder);
    QString exact = dir.filePath(fileName);
    if (QFileInfo::exists(exact))
        return exact;
    QStringList hits;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &e : entries)
        if (e.compare(fileName, Qt::CaseInsensitive) == 0)
            hits << e;
    if (hits.isEmpty())
        return QString();
    if (hits.size() > 1)
        throw EngineError(QStringLiteral("%1 中有多个文件名为 %2（%3）：请只保留一个，其余的改名")
                              .arg(QDir::toNativeSeparators(folder), fileName, hits.join(QStringLiteral(", "))));
    return dir.filePath(hits.first());
}

bool TableFile::isOpen(const QString &path)
{
    auto &reg = Registry::instance();
    QMutexLocker lock(&reg.mutex);
    auto it = reg.stores.constFind(registryKey(path));
    return it != reg.stores.cend() && !it->expired();
}

std::shared_ptr<TableFile> TableFile::open(const QString &path, bool exclusive)
{
    auto &reg = Registry::instance();
    QMutexLocker lock(&reg.mutex);
    const QString key = registryKey(path);
    if (auto existing = reg.stores.value(key).lock()) {
        if (exclusive || existing->m_exclusive)
            throw TableBusyError(QStringLiteral("数据表 %1 正在使用").arg(existing->m_name));
        return existing;
    }
    std::shared_ptr<TableFile> t(new TableFile);
    t->m_path = key;
    t->m_openedAs = QFileInfo(path).absoluteFilePath();
    t->m_name = QFileInfo(path).fileName();
    t->m_exclusive = exclusive;
    try {
        t->load();
    } catch (...) {
        // Never registered; its destructor must not take the registry lock held here.
        t->m_path.clear();
        throw;
    }
    reg.stores.insert(key, t);
    return t;
}

std::shared_ptr<TableFile> TableFile::createMemory(const Schema &schema, const QString &name)
{
    std::shared_ptr<TableFile> t(new TableFile);
    t->m_name = name;
    t->m_schema = schema;
    t->m_schema.layout();
    return t;
}

TableFile::TableFile() = default;

TableFile::~TableFile()
{
    unload();
    if (!m_path.isEmpty()) {
        auto &reg = Registry::instance();
        QMutexLocker lock(&reg.mutex);
        auto it = reg.stores.find(m_path);
        if (it != reg.stores.end() && it->expired())
            reg.stores.erase(it);
    }
}

void TableFile::unload()
{
    if (!m_path.isEmpty() && m_fd >= 0) {
        // What was remembered at the opening holds only while the files are
        // as they were then: a write since (here or by another program)
        // means the next opening reads the rows through again.
        CheckedTables::Entry now;
        const bool stamped = m_loaded && stampOf(m_fd, now.table) && (!m_memo || stampOf(m_memo->fd, now.memo));
        auto &c = CheckedTables::instance();
        QMutexLocker lock(&c.mutex);
        auto it = c.entries.find(m_path);
        if (it != c.entries.end() && (!stamped || !(it->table == now.table) || !(it->memo == now.memo)))
            c.entries.erase(it);
    }
    m_loaded = false;
    m_indexes.clear();
    m_indexesBuilt = false;
    if (m_map)
        ::munmap(m_map, size_t(m_mapSize));
    m_map = nullptr;
    m_base = nullptr;
    m_mapSize = 0;
    m_baseRows = 0;
    m_extra.clear();
    m_deleted.clear();
    m_deletedCount = 0;
    m_memo.reset();
    if (m_fd >= 0) {
        if (m_dirty)
            syncFileData(m_fd);
        ::close(m_fd);
    }
    m_fd = -1;
    m_dirty = false;
}

// Opens and locks the table file.  The lock comes first: the leftovers of an
// interrupted pack are only looked at by the one who holds the table, so a
// pack running in another process is never disturbed.  Recovery needs the
// exclusive lock even for a shared open; the file is opened afresh after it.
int TableFile::openLocked()
{
    const QByteArray native = QFile::encodeName(m_path);
    for (int attempt = 0;; ++attempt) {
        int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
        m_readOnly = false;
        if (fd < 0 && (errno == EACCES || errno == EROFS)) {
            fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
            m_readOnly = true;
        }
        if (fd < 0)
            throw EngineError(QStringLiteral("无法打开数据表 %1：%2").arg(QDir::toNativeSeparators(m_path), sysError()));
        if (::flock(fd, (m_exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
            ::close(fd);
            throw TableBusyError(QStringLiteral("数据表 %1 正被其他程序使用").arg(m_name));
        }
        if (attempt > 0 || m_readOnly || !packLeftoversExist(m_path))
            return fd;
        if (!m_exclusive && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            throw TableBusyError(QStringLiteral("数据表 %1 正被其他程序使用").arg(m_name));
        }
        recoverInterruptedPack(m_path);
        ::close(fd);
    }
}

void TableFile::load(int lockedFd, const std::vector<bool> *knownDeleted)
{
    m_fd = lockedFd >= 0 ? lockedFd : openLocked();
    try {
        struct stat st {};
        if (::fstat(m_fd, &st) != 0)
            throw EngineError(QStringLiteral("无法读取数据表 %1：%2").arg(m_name, sysError()));
        const qint64 size = st.st_size;
        auto damaged = [&](const QString &why) {
            return EngineError(QStringLiteral("数据表 %1 已损坏或不是 dBASE 数据表：%2").arg(m_name, why));
        };
        if (size < 32 + 1)
            throw damaged(QStringLiteral("文件太短"));
        m_map = static_cast<char *>(::mmap(nullptr, size_t(size), PROT_READ | PROT_WRITE, MAP_PRIVATE, m_fd, 0));
        if (m_map == MAP_FAILED) {
            m_map = nullptr;
            throw EngineError(QStringLiteral("无法读取数据表 %1：%2").arg(m_name, sysError()));
        }
        m_mapSize = size;
        const char *h = m_map;
        m_version = uchar(h[0]);
        if (m_version != 0x03 && m_version != 0x83 && m_version != 0x8B)
            throw damaged(QStringLiteral("不支持的版本字节 0x%1").arg(m_version, 2, 16, QLatin1Char('0')));
        const quint32 headerCount = le32(h + 4);
        m_headerLength = le16(h + 8);
        const int recLen = le16(h + 10);
        m_langDriver = uchar(h[29]);
        if (m_headerLength < 32 + 32 + 1 || m_headerLength > size)
            throw damaged(QStringLiteral("文件头长度 %1 与文件不符").arg(m_headerLength));
        if (recLen < 2)
            throw damaged(QStringLiteral("记录长度 %1 不正确").arg(recLen));

        Schema schema;
        bool hasMemo = false;
        for (int pos = 32; pos + 32 <= m_headerLength && h[pos] != 0x0D; pos += 32) {
            const char *d = h + pos;
            FieldDef f;
            int nameLen = 0;
            while (nameLen < 11 && d[nameLen] != '\0')
                ++nameLen;
            f.name = QString::fromLatin1(d, nameLen).trimmed();
            f.type = char(QChar::fromLatin1(d[11]).toUpper().toLatin1());
            f.width = uchar(d[16]);
            f.decimals = uchar(d[17]);
            if (f.name.isEmpty())
                throw damaged(QStringLiteral("有一个字段没有名称"));
            switch (f.type) {
            case 'C': f.decimals = 0; break;
            case 'N': case 'F':
                if (f.width > 32 || f.decimals >= f.width)
                    throw damaged(QStringLiteral("字段 %1 的宽度 %2 与小数位数 %3 不符").arg(f.name).arg(f.width).arg(f.decimals));
                break;
            case 'D': if (f.width != 8) throw damaged(QStringLiteral("日期字段 %1 的宽度为 %2（应为 8）").arg(f.name).arg(f.width)); break;
            case 'M': hasMemo = true; break;
            case 'L': break;
            default:
                throw damaged(QStringLiteral("字段 %1 的类型“%2”不受支持").arg(f.name, QChar::fromLatin1(f.type)));
            }
            if (f.width < 1)
                throw damaged(QStringLiteral("字段 %1 的宽度为 0").arg(f.name));
            f.kind = FieldDef::kindFor(f.type, f.width, f.decimals);
            schema.fields.append(f);
        }
        if (schema.fields.isEmpty())
            throw damaged(QStringLiteral("没有字段"));
        schema.layout();
        if (schema.recordLength > recLen)
            throw damaged(QStringLiteral("各字段每条记录共需 %1 个字节，文件头却记为 %2 个").arg(schema.recordLength).arg(recLen));
        schema.recordLength = recLen;
        m_schema = schema;
        m_header = QByteArray(h, m_headerLength);

        // Rows.  Rows beyond the header count are what an append that died
        // before its header update leaves: they are read, with a warning.
        // Rows missing against the header, or a row cut off, mean records
        // are lost: the table is refused (or, when salvaging, noted).
        const qint64 body = size - m_headerLength;
        const qint64 fileRows = body / recLen;
        const qint64 rest = body % recLen;
        qint64 rows = qMin<qint64>(fileRows, headerCount);
        for (qint64 i = rows; i < fileRows; ++i) {
            const char flag = h[m_headerLength + i * recLen];
            if (flag != ' ' && flag != '*')
                break;
            rows = i + 1;
        }
        if (rows > 0x7FFFFFF0)
            throw damaged(QStringLiteral("记录太多"));
        auto fault = [&](const QString &why) {
            if (!m_salvage)
                throw TableDamagedError(m_name, why);
            m_warnings << why;
        };
        if (quint64(rows) < headerCount)
            fault(QStringLiteral("文件头记有 %1 条记录，文件中只有 %2 条").arg(headerCount).arg(rows));
        else if (quint64(rows) > headerCount)
            m_warnings << QStringLiteral("数据表 %1：文件头记有 %2 条记录，文件中有 %3 条；已读入 %3 条")
                              .arg(m_name).arg(headerCount).arg(rows);
        const qint64 tail = size - m_headerLength - rows * recLen;
        if (tail > 1 || (tail == 1 && h[size - 1] != 0x1A)) {
            if (rows == fileRows && rest > 0)
                fault(QStringLiteral("最后一条记录不完整（只有 %1 个字节，应为 %2 个）").arg(h[size - 1] == 0x1A ? rest - 1 : rest).arg(recLen));
            else
                fault(QStringLiteral("第 %1 条记录无效（首字节既不是空格也不是“*”）").arg(rows + 1));
        }
        m_base = m_map + m_headerLength;
        m_baseRows = int(rows);
        m_rowCount = int(rows);

        if (hasMemo) {
            const QString memoPath = memoPathFor(m_path);
            if (!QFile::exists(memoPath))
                throw EngineError(QStringLiteral("缺少数据表 %2 的备注文件 %1")
                                      .arg(QFileInfo(memoPath).fileName(), m_name));
            m_memo = std::make_unique<MemoFile>();
            m_memo->tableName = m_name;
            m_memo->openFile(memoPath, m_readOnly, m_version == 0x8B);
        }
        prepareIndexes();
        std::vector<bool> recalled;
        if (!knownDeleted && !m_salvage && recallChecked(recalled))
            knownDeleted = &recalled; // read through earlier in this run, unchanged since
        if (knownDeleted && knownDeleted->size() == size_t(rows)) {
            // A table this process has just written or checked: its marks are known.
            m_deleted = *knownDeleted;
            m_deletedCount = int(std::count(m_deleted.begin(), m_deleted.end(), true));
        } else {
            scanRows(fault);
            if (!m_salvage)
                rememberChecked();
        }
        m_loaded = true;
    } catch (...) {
        unload();
        throw;
    }
}

QByteArrayView TableFile::fieldText(const char *record, int field) const
{
    const FieldDef &f = m_schema.fields[field];
    const char *p = record + f.offset;
    int n = f.width;
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\0'))
        --n;
    return QByteArrayView(p, n);
}

// One pass over the rows, read in pieces with pread so the table is not kept
// in memory: the deletion marks, and with memos every memo pointer, which must
// name a block inside the memo file; the memo file must hold together too:
// its header fits the file, and the last memo ends inside it.
void TableFile::scanRows(const std::function<void(const QString &)> &fault)
{
    for (const auto &idx : m_indexes)
        idx->clear();
    m_deleted.assign(size_t(m_rowCount), false);
    m_deletedCount = 0;
    const QString memoName = m_memo ? QFileInfo(m_memo->path).fileName() : QString();
    if (m_memo && !m_memo->headerFault.isEmpty())
        fault(QStringLiteral("备注文件 %1：%2").arg(memoName, m_memo->headerFault));
    QVector<int> memoFields;
    for (int f = 0; m_memo && f < m_schema.count(); ++f)
        if (m_schema.fields[f].kind == FieldKind::Memo)
            memoFields << f;
    const quint64 memoSize = m_memo ? m_memo->fileSize() : 0;
    const quint64 blocks = m_memo ? (memoSize + m_memo->blockSize - 1) / m_memo->blockSize : 0;
    const int recLen = m_schema.recordLength;
    const int perChunk = qMax(1, (4 << 20) / recLen);
    QByteArray buf, memoScratch;
    quint64 lastBlock = 0;
    int reported = 0;
    auto report = [&](const QString &why) {
        if (++reported <= 5)
            fault(why);
    };
    for (int first = 0; first < m_rowCount; first += perChunk) {
        idle();
        const int n = qMin(perChunk, m_rowCount - first);
        buf.resize(qsizetype(n) * recLen);
        if (!readAllFd(m_fd, m_headerLength + qint64(first) * recLen, buf.data(), buf.size()))
            throw EngineError(QStringLiteral("无法读取数据表 %1：%2").arg(m_name, sysError()));
        for (int r = 0; r < n; ++r) {
            const char *rec = buf.constData() + qsizetype(r) * recLen;
            if (!m_indexes.empty())
                indexRow(rec, first + r);
            if (rec[0] == '*') {
                m_deleted[size_t(first) + size_t(r)] = true;
                ++m_deletedCount;
            }
            for (int f : memoFields) {
                const FieldDef &fd = m_schema.fields[f];
                const qint64 block = memoBlockStrict(rec + fd.offset, fd.width);
                if (block < 0)
                    report(QStringLiteral("第 %1 条记录：备注字段 %2 的内容是“%3”，不是块号")
                               .arg(first + r + 1).arg(fd.name, QString::fromLatin1(rec + fd.offset, fd.width).trimmed()));
                else if (block > 0 && quint64(block) >= blocks)
                    report(QStringLiteral("第 %1 条记录：备注字段 %2 指向第 %3 块，超出了备注文件 %4 的末尾（共 %5 块）")
                               .arg(first + r + 1).arg(fd.name).arg(block).arg(memoName).arg(blocks));
                else if (block > 0) {
                    lastBlock = qMax(lastBlock, quint64(block));
                    // The text of a live record must be text: garbage
                    // blocks behind a sound header would be shown, and
                    // packed, as if they were the user's.
                    const qsizetype unreadable =
                        rec[0] == '*' ? qsizetype(-1) : m_memo->unreadableAt(quint32(block), memoScratch);
                    if (unreadable >= 0)
                        report(
                            QStringLiteral("第 %1 条记录：备注字段 %2（备注文件 %3 第 %4 块）从第 %5 个字节起不是文字")
                                .arg(first + r + 1)
                                .arg(fd.name, memoName)
                                .arg(block)
                                .arg(unreadable + 1));
                }
            }
        }
    }
    m_indexesBuilt = true;
    if (reported > 5)
        fault(QStringLiteral("另有 %1 个备注指针已损坏").arg(reported - 5));
    if (lastBlock == 0)
        return;
    // The memo stored last must end inside the file.
    const quint64 at = lastBlock * m_memo->blockSize;
    bool ends = false;
    if (m_memo->map && at < m_memo->mapSize) {
        const char *p = m_memo->map + at;
        const quint64 avail = m_memo->mapSize - at;
        if (m_memo->dbase4) {
            ends = avail >= 8 && uchar(p[0]) == 0xFF && uchar(p[1]) == 0xFF && p[2] == 0x08 && p[3] == 0x00
                   && le32(p + 4) >= 8 && le32(p + 4) <= avail;
        }
        if (!ends)
            ends = std::memchr(p, 0x1A, size_t(avail)) != nullptr;
    }
    if (!ends)
        fault(QStringLiteral("备注文件 %1：从第 %2 块开始的备注超出了文件末尾").arg(memoName).arg(lastBlock));
}

QByteArray TableFile::memoText(const char *record, int field) const
{
    const FieldDef &f = m_schema.fields[field];
    const quint32 block = memoBlock(record + f.offset, f.width);
    if (block == 0)
        return {};
    if (isMemory())
        return block <= quint64(m_memMemos.size()) ? m_memMemos[qsizetype(block - 1)] : QByteArray();
    return m_memo ? m_memo->read(block) : QByteArray();
}

Value TableFile::fieldValue(const char *record, int field) const
{
    const FieldDef &f = m_schema.fields[field];
    switch (f.kind) {
    case FieldKind::Text: {
        QByteArrayView t = fieldText(record, field);
        return t.isEmpty() ? Value() : Value::fromBytes(t.toByteArray());
    }
    case FieldKind::Float:
    case FieldKind::SmallInt:
    case FieldKind::Integer: {
        double d;
        if (!parseNumber(record + f.offset, f.width, d))
            return Value();
        return Value::fromNumber(d);
    }
    case FieldKind::Date: {
        const char *p = record + f.offset;
        int y = 0, m = 0, dd = 0;
        for (int i = 0; i < 8; ++i)
            if (p[i] < '0' || p[i] > '9')
                return Value();
        y = (p[0] - '0') * 1000 + (p[1] - '0') * 100 + (p[2] - '0') * 10 + (p[3] - '0');
        m = (p[4] - '0') * 10 + (p[5] - '0');
        dd = (p[6] - '0') * 10 + (p[7] - '0');
        return Value::fromDate(QDate(y, m, dd));
    }
    case FieldKind::Logical: {
        char c = record[f.offset];
        if (c == 'T' || c == 't' || c == 'Y' || c == 'y')
            return Value::fromBool(true);
        if (c == 'F' || c == 'f' || c == 'N' || c == 'n')
            return Value::fromBool(false);
        return Value();
    }
    case FieldKind::Memo: {
        QByteArray t = memoText(record, field);
        return t.isEmpty() ? Value() : Value::fromBytes(t);
    }
    }
    return Value();
}

void TableFile::ensureWritable() const
{
    if (m_readOnly)
        throw EngineError(QStringLiteral("数据表 %1 是只读的").arg(m_name));
}

void TableFile::pwriteAll(qint64 offset, const char *data, qsizetype size)
{
    m_dirty = true;
    try {
        writeAllFd(m_fd, offset, data, size, QStringLiteral("数据表 ") + m_name);
    } catch (...) {
        m_loaded = false; // part of it may be on disk: read the file through next time
        throw;
    }
}

char *TableFile::mutableRow(int i)
{
    return i < m_baseRows ? m_base + qsizetype(i) * m_schema.recordLength
                          : m_extra.data() + qsizetype(i - m_baseRows) * m_schema.recordLength;
}

QByteArray TableFile::encodeMemos(QByteArray &record, const QHash<int, QByteArray> &memos)
{
    for (auto it = memos.cbegin(); it != memos.cend(); ++it) {
        const FieldDef &f = m_schema.fields[it.key()];
        quint32 block = 0;
        if (!it.value().isEmpty()) {
            if (isMemory()) {
                m_memMemos.append(it.value());
                block = quint32(m_memMemos.size());
            } else {
                if (!m_memo)
                    throw EngineError(QStringLiteral("数据表 %1 没有备注文件").arg(m_name));
                block = m_memo->write(it.value());
            }
        }
        QByteArray num = block ? QByteArray::number(block) : QByteArray();
        QByteArray cell(f.width, ' ');
        if (num.size() > f.width)
            throw EngineError(QStringLiteral("数据表 %2 的字段 %1 的备注块号过大").arg(f.name, m_name));
        std::memcpy(cell.data() + (f.width - num.size()), num.constData(), size_t(num.size()));
        std::memcpy(record.data() + f.offset, cell.constData(), size_t(f.width));
    }
    return record;
}

void TableFile::writeHeaderCount()
{
    char head[8];
    const QDate today = QDate::currentDate();
    head[0] = char(m_version);
    head[1] = char(qBound(0, today.year() - 1900, 255));
    head[2] = char(today.month());
    head[3] = char(today.day());
    put32(head + 4, quint32(m_rowCount));
    pwriteAll(0, head, 8);
    std::memcpy(m_header.data(), head, 8);
}

void TableFile::writeRow(int i, QByteArray record, const QHash<int, QByteArray> &memos)
{
    Q_ASSERT(i >= 0 && i < m_rowCount && record.size() == m_schema.recordLength);
    if (!isMemory())
        ensureWritable();
    // A row written back as it is costs no write (a list renumbered with the
    // numbers it has).
    if (memos.isEmpty() && std::memcmp(row(i), record.constData(), size_t(record.size())) == 0)
        return;
    encodeMemos(record, memos);
    // Keys are read before the write: the mapped row may show the file's
    // new bytes as soon as they are written.
    bool rekey = false;
    for (const auto &idx : m_indexes) {
        const QByteArrayView was = fieldText(row(i), idx->field), now = fieldText(record.constData(), idx->field);
        rekey = rekey
                || (m_indexesBuilt
                    && (was.size() != now.size() || std::memcmp(was.data(), now.data(), size_t(was.size())) != 0));
    }
    if (rekey)
        unindexRow(row(i), i);
    if (!isMemory()) {
        try {
            pwriteAll(m_headerLength + qint64(i) * m_schema.recordLength, record.constData(), record.size());
        } catch (...) {
            if (rekey)
                indexRow(row(i), i);
            throw;
        }
    }
    if (isDeleted(i) != (record[0] == '*')) {
        ++m_memberGen;
        setDeletedMark(i, record[0] == '*');
    }
    std::memcpy(mutableRow(i), record.constData(), size_t(record.size()));
    if (rekey)
        indexRow(row(i), i);
    ++m_dataGen;
}

int TableFile::appendRow(QByteArray record, const QHash<int, QByteArray> &memos)
{
    Q_ASSERT(record.size() == m_schema.recordLength);
    if (!isMemory())
        ensureWritable();
    if (m_rowCount >= 0x7FFFFFF0)
        throw EngineError(QStringLiteral("数据表 %1 已满").arg(m_name));
    if (record.constData()[0] != ' ')
        record[0] = ' ';   // (only then: writing would copy a shared buffer)
    encodeMemos(record, memos);
    if (!isMemory()) {
        QByteArray out = record;
        out.append('\x1A');
        const qint64 end = m_headerLength + qint64(m_rowCount) * m_schema.recordLength;
        try {
            pwriteAll(end, out.constData(), out.size());
        } catch (const EngineError &) {
            // A write that died part way (a full disk) must not leave a cut
            // row behind: the table would no longer open.  Put the end back.
            const bool restored = ::ftruncate(m_fd, end) == 0 && ::pwrite(m_fd, "\x1A", 1, end) == 1;
            Q_UNUSED(restored);   // the error below is what the caller hears
            throw;
        }
    }
    m_extra.append(record);
    m_deleted.push_back(false);
    ++m_rowCount;
    if (m_indexesBuilt)
        indexRow(row(m_rowCount - 1), m_rowCount - 1);
    if (!isMemory())
        writeHeaderCount();
    ++m_dataGen;
    ++m_memberGen;
    return m_rowCount - 1;
}

void TableFile::setDeleted(int i, bool deleted)
{
    Q_ASSERT(i >= 0 && i < m_rowCount);
    if (!isMemory())
        ensureWritable();
    const char flag = deleted ? '*' : ' ';
    if (!isMemory())
        pwriteAll(m_headerLength + qint64(i) * m_schema.recordLength, &flag, 1);
    mutableRow(i)[0] = flag;
    setDeletedMark(i, deleted);
    ++m_dataGen;
    ++m_memberGen;
}

void TableFile::reserveRows(int rows)
{
    if (rows <= 0)
        return;
    m_extra.reserve(m_extra.size() + qsizetype(rows) * m_schema.recordLength);
    m_deleted.reserve(m_deleted.size() + size_t(rows));
}

void TableFile::setDeletedMark(int i, bool deleted)
{
    if (m_deleted[size_t(i)] == deleted)
        return;
    m_deleted[size_t(i)] = deleted;
    m_deletedCount += deleted ? 1 : -1;
}

void TableFile::sync()
{
    if (m_fd >= 0 && m_dirty) {
        syncFileData(m_fd);
        if (m_memo)
            syncFileData(m_memo->fd);
        m_dirty = false;
    }
}

void TableFile::releaseRows(int first, int end) const
{
    end = qMin(end, m_baseRows);
    if (!m_base || first < 0 || end <= first)
        return;
    // Safe on the private mapping: every change made to it is in the file too.
    static const quintptr page = quintptr(::sysconf(_SC_PAGESIZE));
    const quintptr from = quintptr(m_base + qsizetype(first) * m_schema.recordLength) & ~(page - 1);
    const quintptr to = (quintptr(m_base + qsizetype(end) * m_schema.recordLength) + page - 1) & ~(page - 1);
    if (to > from) // NOLINTNEXTLINE(performance-no-int-to-ptr): the page bounds are computed as integers
        ::madvise(reinterpret_cast<void *>(from), size_t(to - from), MADV_DONTNEED);
}

void TableFile::createFile(const QString &path, const QVector<FieldDef> &fields, unsigned char languageDriver)
{
    if (fields.isEmpty() || fields.size() > 255)
        throw EngineError(QStringLiteral("数据表须有 1 到 255 个字段"));
    if (QFile::exists(path))
        throw EngineError(QStringLiteral("数据表 %1 已经存在").arg(path));
    bool hasMemo = false;
    int recLen = 1;
    QByteArray desc;
    for (const FieldDef &f : fields) {
        QByteArray d(32, '\0');
        QByteArray name = f.name.toLatin1().left(10);
        if (name.isEmpty() || f.name.size() > 10)
            throw EngineError(QStringLiteral("字段名“%1”须为 1 到 10 个字符").arg(f.name));
        std::memcpy(d.data(), name.constData(), size_t(name.size()));
        d[11] = f.type;
        int width = f.width, dec = f.decimals;
        switch (f.type) {
        case 'C': if (width < 1 || width > 254) throw EngineError(QStringLiteral("文本字段 %1 的宽度须为 1 到 254").arg(f.name)); dec = 0; break;
        case 'N': case 'F': if (width < 1 || width > 20 || dec < 0 || dec >= width) throw EngineError(QStringLiteral("数值字段 %1 的宽度或小数位数不正确").arg(f.name)); break;
        case 'D': width = 8; dec = 0; break;
        case 'M': width = 10; dec = 0; hasMemo = true; break;
        case 'L': width = 1; dec = 0; break;
        default: throw EngineError(QStringLiteral("字段 %1 的类型不受支持").arg(f.name));
        }
        d[16] = char(width);
        d[17] = char(dec);
        desc.append(d);
        recLen += width;
    }
    if (recLen > 65535)
        throw EngineError(QStringLiteral("%1 的每条记录将超过允许的长度").arg(path));
    const int headerLen = 32 + int(desc.size()) + 1;
    QByteArray out(32, '\0');
    const QDate today = QDate::currentDate();
    out[0] = char(hasMemo ? 0x83 : 0x03);
    out[1] = char(today.year() - 1900);
    out[2] = char(today.month());
    out[3] = char(today.day());
    put32(out.data() + 4, 0);
    put16(out.data() + 8, quint16(headerLen));
    put16(out.data() + 10, quint16(recLen));
    out[29] = char(languageDriver);
    out.append(desc);
    out.append('\x0D');
    out.append('\x1A');
    if (hasMemo) {
        QFileInfo fi(path);
        MemoFile::createEmpty(fi.absolutePath() + QLatin1Char('/') + fi.completeBaseName() + QStringLiteral(".dbt"), false);
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw EngineError(QStringLiteral("无法创建数据表 %1：%2").arg(path, f.errorString()));
    f.write(out);
}

} // namespace db
