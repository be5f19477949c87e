#include "exchange/arjlist.h"

#include "db/gbk.h"

#include <QSet>

#include <array>

namespace exchange {

namespace {

constexpr int kMaxBasicHeader = 2600;   // the largest header the archiver writes

quint32 crc32(const char *data, qsizetype size)
{
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i)
        crc = table[(crc ^ quint8(data[i])) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

quint16 le16(const char *p) { return quint16(quint8(p[0]) | quint8(p[1]) << 8); }
quint32 le32(const char *p)
{
    return quint32(quint8(p[0])) | quint32(quint8(p[1])) << 8 | quint32(quint8(p[2])) << 16 | quint32(quint8(p[3])) << 24;
}

class Reader {
public:
    explicit Reader(QByteArrayView bytes) : m_p(bytes.data()), m_n(bytes.size()) {}

    // One header: returns false at the end mark; `basic` gets its bytes.
    bool header(QByteArray &basic)
    {
        need(4, "头部");
        if (quint8(m_p[m_pos]) != 0x60 || quint8(m_p[m_pos + 1]) != 0xEA)
            throw ArchiveError(QStringLiteral("该文件不是ARJ压缩包或已损坏（第%1字节处没有头部标记）").arg(m_pos));
        const int size = le16(m_p + m_pos + 2);
        m_pos += 4;
        if (size == 0)
            return false;
        if (size > kMaxBasicHeader)
            throw ArchiveError(QStringLiteral("压缩包已损坏（头部长%1字节）").arg(size));
        need(qsizetype(size) + 4, "头部");
        basic = QByteArray(m_p + m_pos, size);
        if (crc32(m_p + m_pos, size) != le32(m_p + m_pos + size))
            throw ArchiveError(QStringLiteral("压缩包已损坏（头部校验和不符）"));
        m_pos += size + 4;
        // Extended headers: a size, the bytes and their check sum, until a zero size.
        for (;;) {
            need(2, "扩展头部");
            const int ext = le16(m_p + m_pos);
            m_pos += 2;
            if (ext == 0)
                break;
            need(qsizetype(ext) + 4, "扩展头部");
            m_pos += ext + 4;
        }
        return true;
    }

    void skip(quint32 bytes)
    {
        need(qsizetype(bytes), "文件数据");
        m_pos += bytes;
    }

private:
    void need(qsizetype bytes, const char *what)
    {
        if (bytes < 0 || m_n - m_pos < bytes)
            throw ArchiveError(QStringLiteral("压缩包不完整，截断于%1").arg(QString::fromUtf8(what)));
    }
    const char *m_p;
    qsizetype m_n;
    qsizetype m_pos = 0;
};

struct Fields {
    int firstSize, flags, fileType;
    quint32 packed, original;
    QByteArray name;
};

Fields parseBasic(const QByteArray &h)
{
    if (h.size() < 30)
        throw ArchiveError(QStringLiteral("压缩包已损坏（头部过短）"));
    Fields f;
    f.firstSize = quint8(h[0]);
    if (f.firstSize < 30 || f.firstSize >= h.size())
        throw ArchiveError(QStringLiteral("压缩包已损坏（头部固定部分为%1字节）").arg(f.firstSize));
    f.flags = quint8(h[4]);
    f.fileType = quint8(h[6]);
    f.packed = le32(h.constData() + 12);
    f.original = le32(h.constData() + 16);
    const qsizetype end = h.indexOf('\0', f.firstSize);
    if (end < 0)
        throw ArchiveError(QStringLiteral("压缩包已损坏（文件名没有结束符）"));
    f.name = h.mid(f.firstSize, end - f.firstSize);
    return f;
}

} // namespace

QList<ArjMember> listArjMembers(QByteArrayView archive)
{
    Reader r(archive);
    QByteArray basic;
    if (!r.header(basic))
        throw ArchiveError(QStringLiteral("该文件不是ARJ压缩包（没有主头部）"));
    const Fields main = parseBasic(basic);
    if (main.fileType != 2)
        throw ArchiveError(QStringLiteral("该文件不是ARJ压缩包（第一个头部不是主头部）"));
    if (main.flags & 0x04)
        throw ArchiveError(QStringLiteral("该压缩包是分卷压缩包中的一卷，只接受单卷压缩包"));

    QList<ArjMember> members;
    QSet<QByteArray> seen;
    while (r.header(basic)) {
        const Fields f = parseBasic(basic);
        const QString shown = db::gbk::excerpt(f.name);
        if (f.name.isEmpty())
            throw ArchiveError(QStringLiteral("压缩包中有没有名字的文件"));
        if (f.fileType == 3)
            throw ArchiveError(QStringLiteral("压缩包中有文件夹（%1），只接受普通文件").arg(shown));
        if (f.fileType != 0 && f.fileType != 1)
            throw ArchiveError(QStringLiteral("压缩包中有未知类型的成员（%1）").arg(shown));
        if (f.flags & 0x01)
            throw ArchiveError(QStringLiteral("压缩包中有加密的文件（%1）").arg(shown));
        if (f.flags & 0x04)
            throw ArchiveError(QStringLiteral("文件%1延续到另一卷中").arg(shown));
        if (f.name.contains('/') || f.name.contains('\\') || f.name.contains(':'))
            throw ArchiveError(QStringLiteral("压缩包中的文件名带有路径（%1），不予接受").arg(shown));
        if (f.name.startsWith('.'))
            throw ArchiveError(QStringLiteral("压缩包中的文件名以点开头（%1），不予接受").arg(shown));
        for (char c : f.name) {
            if (quint8(c) < 0x20)
                throw ArchiveError(QStringLiteral("压缩包中的文件名含有控制字符"));
        }
        const QByteArray key = f.name.toUpper();
        if (seen.contains(key))
            throw ArchiveError(QStringLiteral("压缩包中文件%1重复出现").arg(shown));
        seen.insert(key);
        members.append({f.name, f.packed, f.original, f.fileType});
        r.skip(f.packed);
    }
    return members;
}

} // namespace exchange
