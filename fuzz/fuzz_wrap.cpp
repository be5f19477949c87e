// Wrapping of long list cells: any bytes, any width.  Checks that every line
// fits its width, that no line ends inside a double-byte character, and that
// the lines give back the text (less a trailing lead byte without its trail).
#include "db/gbk.h"
#include "output/pages/wrap.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int width = 2 + data[0] % 40;
    // Carriage returns are the line separator of the result; a stored text
    // holding one prints it as a line break anyway.
    const QByteArray text = QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)).replace('\r', ' ');
    const QByteArray wrapped = TruncNonChiChar1(text, width);
    if (wrapped.isEmpty() || !wrapped.endsWith('\r'))
        abort();
    QList<QByteArray> lines = wrapped.split('\r');
    lines.removeLast();
    QByteArray joined;
    for (const QByteArray &line : lines) {
        if (line.size() > width)
            abort();
        bool inside = false;
        for (char c : line)
            inside = inside ? false : db::gbk::isLeadByte(uchar(c));
        if (inside)
            abort();
        joined += line;
    }
    if (joined != text && !(joined.size() == text.size() - 1 && text.startsWith(joined)))
        abort();
    return 0;
}
