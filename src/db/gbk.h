#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// GBK text at the file boundary.  Tables and exchange files hold GBK bytes;
// the program works in QString.  Widths are always counted in GBK bytes and a
// double-byte character is never split.
namespace db::gbk {

inline bool isLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Bytes to text.  Bytes that are not valid GBK become U+FFFD; never fails.
QString decode(const char *data, qsizetype size);
inline QString decode(const QByteArray &bytes) { return decode(bytes.constData(), bytes.size()); }

// Text to bytes.  Returns false (and leaves `out` with what could be encoded,
// unmappable characters as '?') when the text holds a character GBK lacks.
bool encode(QStringView text, QByteArray &out);
// Same, throwing nothing: unmappable characters become '?'.
QByteArray encodeLossy(QStringView text);
// True when every character of the text has a GBK form.
bool canEncode(QStringView text);

// Length of the text in GBK bytes (characters GBK lacks count as one byte).
qsizetype byteLength(QStringView text);

// The longest prefix of `bytes` of at most `maxBytes` bytes that does not end
// inside a double-byte character.
QByteArray cutBytes(const QByteArray &bytes, qsizetype maxBytes);
// The longest prefix of `text` whose GBK form has at most `maxBytes` bytes.
QString cutText(const QString &text, qsizetype maxBytes);

// A GBK value as messages quote it (base::excerpt), decoding only its head.
QString excerpt(QByteArrayView bytes);

} // namespace db::gbk
