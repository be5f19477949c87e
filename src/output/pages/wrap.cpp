#include "wrap.h"

#include "db/gbk.h"

#include <QRegularExpression>

#include <utility>

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
    // The same cut on the text itself, each character as wide as its GBK
    // form: a character GBK lacks (the "�" of bytes that were not valid
    // GBK) stays what it is rather than turn into "?".
    if (width < 2)
        width = 2;
    QString result;
    qsizetype lineBytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView c = QStringView(text).mid(i, n);
        const qsizetype bytes = db::gbk::byteLength(c);
        if (lineBytes > 0 && lineBytes + bytes > width) {
            result += QLatin1Char('\r');
            lineBytes = 0;
        }
        result += c;
        lineBytes += bytes;
        i += n - 1;
    }
    result += QLatin1Char('\r');
    return result;
}

QStringList wrappedLines(const QString &text, int width)
{
    QStringList lines = TruncNonChiChar1(text, width).split(QLatin1Char('\r'));
    lines.removeLast();   // the text after the last carriage return
    return lines;
}

namespace {

// A year and month as a stored date writes them: "2019.03", "2019-03",
// "2019/3", "2019年3月".  A part without a separator is the year.
void splitYearMonth(const QString &part, QString &year, QString &month)
{
    QString p = part.trimmed();
    if (p.endsWith(QStringLiteral("月")))
        p.chop(1);
    static const QRegularExpression separator(QStringLiteral("[.．\\-/年]"));
    const qsizetype at = p.indexOf(separator);
    if (at < 0) {
        year = p;
        return;
    }
    year = p.left(at).trimmed();
    month = p.mid(at + 1).trimmed();
}

// Where the start ends and the end begins: at "至", else at a dash or tilde
// between the two dates; -1 when the text holds one date or no date.
std::pair<qsizetype, qsizetype> periodSeparator(const QString &t)
{
    for (const QString &sep : {QStringLiteral("至"), QStringLiteral("—"), QStringLiteral("～"), QStringLiteral("~"),
                               QStringLiteral("－")}) {
        const qsizetype at = t.indexOf(sep);
        if (at >= 0)
            return {at, sep.size()};
    }
    // "-" also joins year and month: one between the dates ("2019.03-2023.11")
    // or the middle one of three ("2019-03-2023-11").
    const qsizetype dashes = t.count(QLatin1Char('-'));
    if (dashes == 1)
        return {t.indexOf(QLatin1Char('-')), 1};
    if (dashes == 3)
        return {t.indexOf(QLatin1Char('-'), t.indexOf(QLatin1Char('-')) + 1), 1};
    return {-1, 0};
}

} // namespace

ResearchPeriod splitResearchPeriod(const QString &period)
{
    ResearchPeriod r;
    const QString t = period.trimmed();
    if (t.isEmpty())
        return r;
    const auto [at, length] = periodSeparator(t);
    if (at >= 0) {
        splitYearMonth(t.left(at), r.startYear, r.startMonth);
        splitYearMonth(t.mid(at + length), r.endYear, r.endMonth);
        return r;
    }
    // One date is the start; any other text prints whole in the start's blank.
    static const QRegularExpression oneDate(QStringLiteral("^\\d{4}(\\s*[.．\\-/年]\\s*\\d{1,2}\\s*月?)?$"));
    if (oneDate.match(t).hasMatch())
        splitYearMonth(t, r.startYear, r.startMonth);
    else
        r.startYear = t;
    return r;
}
