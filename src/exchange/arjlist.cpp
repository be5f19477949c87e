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
        need(4, "a header");
        if (quint8(m_p[m_pos]) != 0x60 || quint8(m_p[m_pos + 1]) != 0xEA)
            throw ArchiveError(QStringLiteral("The package is no ARJ archive or is damaged (no header mark at byte %1)").arg(m_pos));
        const int size = le16(m_p + m_pos + 2);
        m_pos += 4;
        if (size == 0)
            return false;
        if (size > kMaxBasicHeader)
            throw ArchiveError(QStringLiteral("The package is damaged (a header of %1 bytes)").arg(size));
        need(qsizetype(size) + 4, "a header");
        basic = QByteArray(m_p + m_pos, size);
        if (crc32(m_p + m_pos, size) != le32(m_p + m_pos + size))
            throw ArchiveError(QStringLiteral("The package is damaged (a header fails its check sum)"));
        m_pos += size + 4;
        // Extended headers: a size, the bytes and their check sum, until a zero size.
        for (;;) {
            need(2, "an extended header");
            const int ext = le16(m_p + m_pos);
            m_pos += 2;
            if (ext == 0)
                break;
            need(qsizetype(ext) + 4, "an extended header");
            m_pos += ext + 4;
        }
        return true;
    }

    void skip(quint32 bytes)
    {
        need(qsizetype(bytes), "a member's data");
        m_pos += bytes;
    }

private:
    void need(qsizetype bytes, const char *what)
    {
        if (bytes < 0 || m_n - m_pos < bytes)
            throw ArchiveError(QStringLiteral("The package is cut off inside %1").arg(QLatin1String(what)));
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
        throw ArchiveError(QStringLiteral("The package is damaged (a header is too short)"));
    Fields f;
    f.firstSize = quint8(h[0]);
    if (f.firstSize < 30 || f.firstSize >= h.size())
        throw ArchiveError(QStringLiteral("The package is damaged (a header's fixed part is %1 bytes)").arg(f.firstSize));
    f.flags = quint8(h[4]);
    f.fileType = quint8(h[6]);
    f.packed = le32(h.constData() + 12);
    f.original = le32(h.constData() + 16);
    const qsizetype end = h.indexOf('\0', f.firstSize);
    if (end < 0)
        throw ArchiveError(QStringLiteral("The package is damaged (a member name is not ended)"));
    f.name = h.mid(f.firstSize, end - f.firstSize);
    return f;
}

} // namespace

QList<ArjMember> listArjMembers(QByteArrayView archive)
{
    Reader r(archive);
    QByteArray basic;
    if (!r.header(basic))
        throw ArchiveError(QStringLiteral("The package is no ARJ archive (it has no main header)"));
    const Fields main = parseBasic(basic);
    if (main.fileType != 2)
        throw ArchiveError(QStringLiteral("The package is no ARJ archive (its first header is no main header)"));
    if (main.flags & 0x04)
        throw ArchiveError(QStringLiteral("The package is one volume of several; only single-volume packages are taken"));

    QList<ArjMember> members;
    QSet<QByteArray> seen;
    while (r.header(basic)) {
        const Fields f = parseBasic(basic);
        const QString shown = db::gbk::decode(f.name);
        if (f.name.isEmpty())
            throw ArchiveError(QStringLiteral("The package holds a member without a name"));
        if (f.fileType == 3)
            throw ArchiveError(QStringLiteral("The package holds a folder (%1); only plain files are taken").arg(shown));
        if (f.fileType != 0 && f.fileType != 1)
            throw ArchiveError(QStringLiteral("The package holds a member of unknown kind (%1)").arg(shown));
        if (f.flags & 0x01)
            throw ArchiveError(QStringLiteral("The package holds an encrypted member (%1)").arg(shown));
        if (f.flags & 0x04)
            throw ArchiveError(QStringLiteral("The member %1 continues on another volume").arg(shown));
        if (f.name.contains('/') || f.name.contains('\\') || f.name.contains(':'))
            throw ArchiveError(QStringLiteral("The package holds a member with a folder part (%1); refused").arg(shown));
        if (f.name.startsWith('.'))
            throw ArchiveError(QStringLiteral("The package holds a member whose name begins with a dot (%1); refused").arg(shown));
        for (char c : f.name) {
            if (quint8(c) < 0x20)
                throw ArchiveError(QStringLiteral("The package holds a member with a control character in its name"));
        }
        const QByteArray key = f.name.toUpper();
        if (seen.contains(key))
            throw ArchiveError(QStringLiteral("The package holds the member %1 twice").arg(shown));
        seen.insert(key);
        members.append({f.name, f.packed, f.original, f.fileType});
        r.skip(f.packed);
    }
    return members;
}

} // namespace exchange
