#include "tablefile.h"
#include "error.h"
#include "gbk.h"

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

quint32 le32(const char *p) { return quint32(uchar(p[0])) | quint32(uchar(p[1])) << 8 | quint32(uchar(p[2])) << 16 | quint32(uchar(p[3])) << 24; }
quint16 le16(const char *p) { return quint16(uchar(p[0]) | uchar(p[1]) << 8); }
void put32(char *p, quint32 v) { p[0] = char(v); p[1] = char(v >> 8); p[2] = char(v >> 16); p[3] = char(v >> 24); }
void put16(char *p, quint16 v) { p[0] = char(v); p[1] = char(v >> 8); }

QString sysError() { return QString::fromLocal8Bit(std::strerror(errno)); }

void writeAllFd(int fd, qint64 offset, const char *data, qsizetype size, const QString &what)
{
    while (size > 0) {
        ssize_t n = ::pwrite(fd, data, size_t(size), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EngineError(QStringLiteral("无法写入 %1：%2").arg(what, sysError()));
        }
        data += n;
        size -= n;
        offset += n;
    }
}

bool readAllFd(int fd, qint64 offset, char *data, qsizetype size)
{
    while (size > 0) {
        ssize_t n = ::pread(fd, data, size_t(size), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
        offset += n;
    }
    return true;
}

void syncDir(const QString &folder)
{
    int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        syncFile(fd);
        ::close(fd);
    }
}

QString memoPathFor(const QString &tablePath)
{
    QFileInfo fi(tablePath);
    QString folder = fi.absolutePath();
    QString want = fi.completeBaseName() + QStringLiteral(".dbt");
    QString found = resolveFileName(folder, want);
    return found.isEmpty() ? folder + QLatin1Char('/') + want : found;
}

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

QString registryKey(const QString &path)
{
    QFileInfo fi(path);
    QString canon = fi.canonicalFilePath();
    return canon.isEmpty() ? fi.absoluteFilePath() : canon;
}

} // namespace

// ---------------------------------------------------------------------------
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
    QString path;
    QString tableName;
    QString headerFault;          // what is wrong with the header, if anything

    // The memo file as it was when opened, mapped for reading: memos are
    // read from it without a system call each.  Blocks written later lie
    // beyond it and are read from the file.
    const char *map = nullptr;
    quint64 mapSize = 0;

    ~MemoFile()
    {
        if (map)
            ::munmap(const_cast<char *>(map), size_t(mapSize));
        if (fd >= 0)
            ::close(fd);
    }

    void openFile(const QString &p, bool readOnly, bool v4)
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

    quint64 fileSize() const
    {
        struct stat st {};
        ::fstat(fd, &st);
        return quint64(st.st_size);
    }

    QByteArray read(quint32 block) const
    {
        QByteArray scratch;
        const QByteArrayView v = view(block, scratch);
        return v.data() == scratch.constData() ? scratch : v.toByteArray();
    }

    // Reads a memo from the file itself (blocks beyond the mapping).
    QByteArray readFromFile(quint32 block) const
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
                int cut = out.indexOf('\x1A');
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

    // Writes a memo text into new blocks and returns the first.  While a pack
    // gathers blocks (batch) the text goes straight into the pending buffer.
    quint32 write(QByteArrayView text)
    {
        if (text.isEmpty())
            return 0;
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
            if (std::memchr(text.data(), 0x1A, size_t(text.size())))
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

    // The text of a memo without copying it when it lies in the mapping;
    // otherwise read into `scratch`.
    QByteArrayView view(quint32 block, QByteArray &scratch) const
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

    void writePending()
    {
        const qint64 at = qint64(quint64(pendingAt) * blockSize);
        writeAllFd(fd, at, pending.constData(), pending.size(), path);
        ::sync_file_range(fd, at, pending.size(), SYNC_FILE_RANGE_WRITE);
        pending.truncate(0);
    }

    void finishBatch()
    {
        writePending();
        writeHeader();
        batch = false;
    }

    void writeHeader()
    {
        char head[4];
        put32(head, nextFree);
        writeAllFd(fd, 0, head, 4, path);
    }

    static void createEmpty(const QString &p, bool v4, quint32 nextFreeBlock = 1)
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
};

// ---------------------------------------------------------------------------

QString resolveFileName(const QString &folder, const QString &fileName)
{
    QDir dir(folder);
    const QString exact = dir.filePath(fileName);
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
            throw EngineError(QStringLiteral("数据表 %1 正在使用").arg(existing->m_name));
        return existing;
    }
    std::shared_ptr<TableFile> t(new TableFile);
    t->m_path = key;
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

// Leftovers of a pack: the packed copies and the commit mark.
static bool packLeftoversExist(const QString &path)
{
    return QFile::exists(path + QStringLiteral(".pack-commit")) || QFile::exists(path + QStringLiteral(".pack-new"))
           || QFile::exists(memoPathFor(path) + QStringLiteral(".pack-new"));
}

// Completes or discards a pack that a crash interrupted: with the commit mark
// present the packed files are complete and are moved in place; without it
// the leftovers are removed and the original table is untouched.  The caller
// holds the table's exclusive lock.
static void recoverInterruptedPack(const QString &path)
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
            throw EngineError(QStringLiteral("数据表 %1 正被其他程序使用").arg(m_name));
        }
        if (attempt > 0 || m_readOnly || !packLeftoversExist(m_path))
            return fd;
        if (!m_exclusive && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            throw EngineError(QStringLiteral("数据表 %1 正被其他程序使用").arg(m_name));
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
        if (knownDeleted && knownDeleted->size() == size_t(rows)) {
            // A table this process has just written: its marks are known.
            m_deleted = *knownDeleted;
            m_deletedCount = int(std::count(m_deleted.begin(), m_deleted.end(), true));
        } else {
            scanRows(fault);
        }
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

// The block number in a memo field; 0 for none or for a damaged pointer.
static quint32 memoBlock(const char *cell, int width)
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
static qint64 memoBlockStrict(const char *cell, int width)
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

// One pass over the rows, read in pieces with pread so the table is not kept
// in memory: the deletion marks, and with memos every memo pointer, which must
// name a block inside the memo file; the memo file must hold together too:
// its header fits the file, and the last memo ends inside it.
void TableFile::scanRows(const std::function<void(const QString &)> &fault)
{
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
    QByteArray buf;
    quint64 lastBlock = 0;
    int reported = 0;
    auto report = [&](const QString &why) {
        if (++reported <= 5)
            fault(why);
    };
    for (int first = 0; first < m_rowCount; first += perChunk) {
        const int n = qMin(perChunk, m_rowCount - first);
        buf.resize(qsizetype(n) * recLen);
        if (!readAllFd(m_fd, m_headerLength + qint64(first) * recLen, buf.data(), buf.size()))
            throw EngineError(QStringLiteral("无法读取数据表 %1：%2").arg(m_name, sysError()));
        for (int r = 0; r < n; ++r) {
            const char *rec = buf.constData() + qsizetype(r) * recLen;
            if (rec[0] == '*') {
                m_deleted[size_t(first + r)] = true;
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
                else if (quint64(block) > lastBlock)
                    lastBlock = quint64(block);
            }
        }
    }
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
    writeAllFd(m_fd, offset, data, size, QStringLiteral("数据表 ") + m_name);
    m_dirty = true;
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
    encodeMemos(record, memos);
    if (!isMemory())
        pwriteAll(m_headerLength + qint64(i) * m_schema.recordLength, record.constData(), record.size());
    if (isDeleted(i) != (record[0] == '*')) {
        ++m_memberGen;
        setDeletedMark(i, record[0] == '*');
    }
    std::memcpy(mutableRow(i), record.constData(), size_t(record.size()));
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

namespace {
// Drops the pages of [from, to) of a mapping from this process's memory; they
// are read from the file again when touched.  Safe on the table's private
// mapping because every change made to it is written to the file first.
void dropPages(const char *from, const char *to)
{
    static const quintptr page = quintptr(::sysconf(_SC_PAGESIZE));
    const quintptr a = quintptr(from) & ~(page - 1);
    const quintptr b = (quintptr(to) + page - 1) & ~(page - 1);
    if (b > a)
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
    packRows(false);
    return true;
}

QStringList TableFile::repair(const QString &path)
{
    if (isOpen(path))
        throw EngineError(QStringLiteral("数据表 %1 正在使用，无法修复").arg(QFileInfo(path).fileName()));
    std::shared_ptr<TableFile> t(new TableFile);
    t->m_path = registryKey(path);
    t->m_name = QFileInfo(path).fileName();
    t->m_exclusive = true;
    t->m_salvage = true;
    try {
        t->load();
        const QStringList faults = t->m_warnings;
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

// Text a repair keeps from a damaged memo file: GBK without control bytes
// other than tab, carriage return and line feed.
static bool readableMemo(QByteArrayView t)
{
    for (qsizetype i = 0; i < t.size(); ++i) {
        const uchar c = uchar(t[i]);
        if (c < 0x20) {
            if (c != '\t' && c != '\r' && c != '\n')
                return false;
        } else if (c == 0x7F || c == 0x80 || c == 0xFF) {
            return false;
        } else if (c > 0x80) {
            if (i + 1 >= t.size())
                return false;
            const uchar d = uchar(t[++i]);
            if (d < 0x40 || d == 0x7F || d == 0xFF)
                return false;
        }
    }
    return true;
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
    QByteArray scratch;
    QByteArray out;
    const qsizetype chunk = qMax<qsizetype>(recLen, 4 << 20);
    out.reserve(qMin<qint64>(chunk, qint64(m_rowCount) * recLen) + recLen + m_headerLength + 1);
    out.append(m_header);
    qint64 written = 0;
    // What this piece read from the mappings, dropped after it is written.
    int droppedRows = 0;
    quint64 memoLo = ~quint64(0), memoHi = 0;
    auto flushOut = [&](int rowsDone) {
        writeAllFd(fd, written, out.constData(), out.size(), dbfTmp);
        ::sync_file_range(fd, written, out.size(), SYNC_FILE_RANGE_WRITE);
        written += out.size();
        out.truncate(0);
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
    for (int i = 0; i < m_rowCount; ++i) {
        if (isDeleted(i) && !keepDeleted)
            continue;
        keptDeleted.push_back(isDeleted(i));
        out.append(row(i), recLen);
        if (newMemo) {
            char *rec = out.data() + out.size() - recLen;
            for (int f = 0; f < m_schema.count(); ++f) {
                const FieldDef &fd = m_schema.fields[f];
                if (fd.kind != FieldKind::Memo)
                    continue;
                QByteArrayView text = m_memo->view(memoBlock(rec + fd.offset, fd.width), scratch);
                if (repairing && !readableMemo(text))
                    text = QByteArrayView();
                if (m_memo->map && text.data() >= m_memo->map && text.data() < m_memo->map + m_memo->mapSize) {
                    const quint64 off = quint64(text.data() - m_memo->map);
                    memoLo = qMin(memoLo, off);
                    memoHi = qMax(memoHi, off + quint64(text.size()) + 1);
                }
                const quint32 block = newMemo->write(text);
                const QByteArray num = block ? QByteArray::number(block) : QByteArray();
                std::memset(rec + fd.offset, ' ', size_t(fd.width));
                std::memcpy(rec + fd.offset + fd.width - num.size(), num.constData(), size_t(num.size()));
            }
        }
        ++kept;
        if (out.size() >= chunk)
            flushOut(i + 1);
    }
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
