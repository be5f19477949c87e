// Feeds arbitrary bytes to the exchange text reader.  The first byte picks
// the number of columns (1 to 64) and the line style the file is read in;
// the rest is the file.  Every input must give rows of exactly that many
// values or a FormatError, never a crash or a hang; a row written back in
// the format and read again gives the same values.

#include "exchange/format.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int columns = 1 + data[0] % 64;
    const exchange::LineStyle styles[] = {exchange::LineStyle::PlainLast, exchange::LineStyle::TrailingTab,
                                          exchange::LineStyle::QuotedLast, exchange::LineStyle::PlainLast};
    const exchange::LineStyle style = styles[data[0] / 64];
    const QByteArrayView text(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    QList<exchange::TextRow> rows;
    try {
        rows = exchange::readExchangeText(text, columns, QStringLiteral("F.TXT"), style);
    } catch (const exchange::FormatError &) {
        return 0;
    }
    for (const exchange::TextRow &r : rows) {
        if (r.values.size() != columns)
            abort();
        const QByteArray line = exchange::formatLine(r.values, exchange::LineStyle::QuotedLast);
        const QList<exchange::TextRow> again =
            exchange::readExchangeText(line, columns, QStringLiteral("F.TXT"), exchange::LineStyle::QuotedLast);
        if (again.size() != 1 || again.first().values != r.values)
            abort();
    }
    return 0;
}
