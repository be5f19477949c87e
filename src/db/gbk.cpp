#include "gbk.h"

#include "base/text.h"

#include <iconv.h>

#include <array>
#include <mutex>
#include <vector>

namespace db::gbk {
namespace {

// Tables built once from the C library's converter: every double-byte code to
// its UTF-16 unit and back.  GBK has no characters outside the BMP.
struct Tables {
    std::vector<char16_t> toUnicode;    // index (lead-0x81)*192 + (trail-0x40)
    std::vector<quint16> fromUnicode;   // index: UTF-16 unit; 0 = none
    Tables() : toUnicode(126 * 192, 0), fromUnicode(65536, 0)
    {
        iconv_t cd = iconv_open("UTF-16LE", "GBK");
        if (cd == reinterpret_cast<iconv_t>(-1))
            return;
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F)
                    continue;
                char in[2] = {char(lead), char(trail)};
                char outBuf[8];
                char *ip = in;
                char *op = outBuf;
                size_t il = 2, ol = sizeof outBuf;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1) || ol != sizeof outBuf - 2)
                    continue;
                char16_t u = char16_t(uchar(outBuf[0]) | (uchar(outBuf[1]) << 8));
                toUnicode[(lead - 0x81) * 192 + (trail - 0x40)] = u;
                if (u >= 0x80 && fromUnicode[u] == 0)
                    fromUnicode[u] = quint16((lead << 8) | trail);
            }
        }
        iconv_close(cd);
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

} // namespace

QString decode(const char *data, qsizetype size)
{
    QString out;
    out.resize(size);
    QChar *o = out.data();
    qsizetype n = 0;
    const auto &t = tables().toUnicode;
    for (qsizetype i = 0; i < size; ++i) {
        uchar c = uchar(data[i]);
        if (c < 0x80) {
            o[n++] = QChar(c);
        } else if (isLeadByte(c) && i + 1 < size && uchar(data[i + 1]) >= 0x40 && uchar(data[i + 1]) <= 0xFE) {
            char16_t u = t[(c - 0x81) * 192 + (uchar(data[i + 1]) - 0x40)];
            o[n++] = u ? QChar(u) : QChar(QChar::ReplacementCharacter);
            ++i;
        } else {
            o[n++] = QChar(QChar::ReplacementCharacter);
        }
    }
    out.truncate(n);
    return out;
}

bool encode(QStringView text, QByteArray &out)
{
    out.clear();
    out.reserve(text.size() * 2);
    bool ok = true;
    const auto &t = tables().fromUnicode;
    for (QChar ch : text) {
        char16_t u = ch.unicode();
        if (u < 0x80) {
            out.append(char(u));
        } else if (quint16 g = t[u]) {
            out.append(char(g >> 8));
            out.append(char(g & 0xFF));
        } else {
            out.append('?');
            ok = false;
        }
    }
    return ok;
}

QByteArray encodeLossy(QStringView text)
{
    QByteArray out;
    encode(text, out);
    return out;
}

bool canEncode(QStringView text)
{
    const auto &t = tables().fromUnicode;
    for (QChar ch : text)
        if (ch.unicode() >= 0x80 && !t[ch.unicode()])
            return false;
    return true;
}

qsizetype byteLength(QStringView text)
{
    const auto &t = tables().fromUnicode;
    qsizetype n = 0;
    for (QChar ch : text)
        n += (ch.unicode() >= 0x80 && t[ch.unicode()]) ? 2 : 1;
    return n;
}

QByteArray cutBytes(const QByteArray &bytes, qsizetype maxBytes)
{
    if (bytes.size() <= maxBytes)
        return bytes;
    qsizetype i = 0;
    while (i < bytes.size()) {
        qsizetype step = (isLeadByte(uchar(bytes[i])) && i + 1 < bytes.size()) ? 2 : 1;
        if (i + step > maxBytes)
            break;
        i += step;
    }
    return bytes.left(i);
}

QString cutText(const QString &text, qsizetype maxBytes)
{
    const auto &t = tables().fromUnicode;
    qsizetype n = 0;
    qsizetype i = 0;
    for (; i < text.size(); ++i) {
        char16_t u = text[i].unicode();
        qsizetype w = (u >= 0x80 && t[u]) ? 2 : 1;
        if (n + w > maxBytes)
            break;
        n += w;
    }
    return text.left(i);
}

QString excerpt(QByteArrayView bytes)
{
    // Two bytes at most per character: this head holds every character
    // the excerpt can show.
    constexpr qsizetype head = 2 * base::kExcerptLength + 2;
    if (bytes.size() <= head)
        return base::excerpt(decode(bytes.data(), bytes.size()));
    const QByteArray cut = cutBytes(bytes.first(head).toByteArray(), head - 2);
    return decode(cut).left(base::kExcerptLength) + QStringLiteral("…（共%1个字节）").arg(bytes.size());
}

} // namespace db::gbk
