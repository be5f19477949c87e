#include "wrap.h"

#include "db/gbk.h"

QByteArray TruncNonChiChar1(const QByteArray &gbk, int width)
{
    if (width < 2)
        width = 2;
    QByteArray result;
    result.reserve(gbk.size() + gbk.size() / width + 2);
    qsizetype pos = 0;
    const qsizetype size = gbk.size();
    do {
        const qsizetype chunk = qMin<qsizetype>(width, size - pos);
        bool inside = false;
        for (qsizetype i = 0; i < chunk; ++i) {
            if (inside)
                inside = false;
            else if (db::gbk::isLeadByte(uchar(gbk[pos + i])))
                inside = true;
        }
        qsizetype line = inside ? chunk - 1 : chunk;
        if (line == 0) {
            // A lone lead byte at the end: nothing can be printed for it.
            pos = size;
            break;
        }
        result.append(gbk.constData() + pos, line);
        result.append('\r');
        pos += line;
    } while (pos < size);
    if (result.isEmpty())
        result.append('\r');
    return result;
}

QString TruncNonChiChar1(const QString &text, int width)
{
    return db::gbk::decode(TruncNonChiChar1(db::gbk::encodeLossy(text), width));
}

QStringList wrappedLines(const QString &text, int width)
{
    QStringList lines = TruncNonChiChar1(text, width).split(QLatin1Char('\r'));
    lines.removeLast();   // the text after the last carriage return
    return lines;
}

namespace {

void splitYearMonth(const QString &part, QString &year, QString &month)
{
    const QString p = part.trimmed();
    const qsizetype dot = p.indexOf(QLatin1Char('.'));
    if (dot < 0) {
        year = p.left(4);
        return;
    }
    year = p.left(dot).trimmed().left(4);
    month = p.mid(dot + 1).trimmed().left(2);
}

} // namespace

ResearchPeriod splitResearchPeriod(const QString &period)
{
    ResearchPeriod r;
    const QString t = period.trimmed();
    if (t.isEmpty())
        return r;
    const qsizetype to = t.indexOf(QStringLiteral("至"));
    splitYearMonth(to < 0 ? t : t.left(to), r.startYear, r.startMonth);
    if (to >= 0)
        splitYearMonth(t.mid(to + 1), r.endYear, r.endMonth);
    return r;
}
