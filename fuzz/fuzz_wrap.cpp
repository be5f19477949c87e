// Wrapping of long list cells: any bytes, any width.  Checks that every line
// fits its width, that no line ends inside a double-byte character, and that
// the lines give back the text (less a trailing lead byte without its trail);
// the same for the text the bytes read as, and for the printed line breaker
// (lines within the width unless one character is wider, the text given back
// but for the blanks that end lines).
#include "db/gbk.h"
#include "output/pages/wrap.h"
#include "report/layout.h"

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

    const QString program = db::gbk::decode(text);
    QStringList programLines = TruncNonChiChar1(program, width).split(QLatin1Char('\r'));
    programLines.removeLast();
    for (const QString &line : std::as_const(programLines))
        if (db::gbk::byteLength(line) > width)
            abort();
    if (programLines.join(QString()) != program)
        abort();

    const report::Font font{QStringLiteral("宋体"), 9, false};
    const double widthMm = width * 1.6;
    QString printed = program;
    printed.replace(QLatin1Char('\n'), QLatin1Char(' '));
    auto blankless = [](QString t) {
        t.remove(QLatin1Char(' ')).remove(QLatin1Char('\t')).remove(QChar(0x3000));
        return t;
    };
    const QStringList printedLines = report::breakLines(printed, font, widthMm, true);
    for (const QString &line : printedLines)
        if (report::textWidth(line, font) > widthMm + 0.01 && line.size() > 2)
            abort();
    if (blankless(printedLines.join(QString())) != blankless(printed))
        abort();
    return 0;
}
