// Feeds arbitrary bytes to the exchange text reader.  The first byte picks
// the number of columns (1 to 128); the rest is the file.  Every input must
// give rows of exactly that many values or a FormatError, never a crash or a
// hang; a row written back in the format and read again gives the same
// values.

#include "exchange/format.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int columns = 1 + data[0] % 128;
    const QByteArrayView text(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    QList<exchange::TextRow> rows;
    try {
        rows = exchange::readExchangeText(text, columns, QStringLiteral("F.TXT"));
    } catch (const exchange::FormatError &) {
        return 0;
    }
    for (const exchange::TextRow &r : rows) {
        if (r.values.size() != columns)
            abort();
        QList<QByteArray> values = r.values;
        if (values.first().isEmpty())
            values.first() = "k";   // a row that reads as blank is skipped by design
        const QByteArray line = exchange::formatLine(values, exchange::LineStyle::QuotedLast);
        const QList<exchange::TextRow> again = exchange::readExchangeText(line, columns, QStringLiteral("F.TXT"));
        if (again.size() != 1 || again.first().values != values)
            abort();
    }
    return 0;
}
