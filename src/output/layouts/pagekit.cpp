#include "pagekit.h"

#include "report/layout.h"

#include <QFile>

#include <cmath>
#include <stdexcept>

namespace layouts {

report::Font song(double size, bool bold) { return {QStringLiteral("宋体"), size, bold}; }
report::Font hei(double size, bool bold) { return {QStringLiteral("黑体"), size, bold}; }
report::Font kai(double size) { return {QStringLiteral("楷体_GB2312"), size, false}; }
report::Font fang(double size, bool bold) { return {QStringLiteral("仿宋_GB2312"), size, bold}; }

QList<TextEntry> fixedText(const QString &file)
{
    static QHash<QString, QList<TextEntry>> cache;
    const auto it = cache.constFind(file);
    if (it != cache.constEnd())
        return *it;
    QFile f(QStringLiteral(":/forms/texts/") + file);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(("printed form text missing from the program: " + file).toStdString());
    QList<TextEntry> out;
    for (const QString &raw : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        TextEntry e;
        if (line.isEmpty()) {
            e.kind = TextEntry::Gap;
        } else if (line.startsWith(QLatin1String("== "))) {
            e.kind = TextEntry::Section;
            e.text = line.mid(3);
        } else if (line.startsWith(QLatin1String("= "))) {
            e.kind = TextEntry::Heading;
            e.text = line.mid(2);
        } else if (line.startsWith(QLatin1String("* "))) {
            e.kind = TextEntry::Title;
            e.text = line.mid(2);
        } else if (line.startsWith(QLatin1String("@ "))) {
            e.kind = TextEntry::Value;
            const QString rest = line.mid(2);
            const qsizetype blank = rest.indexOf(QLatin1Char(' '));
            e.name = blank < 0 ? rest : rest.left(blank);
            e.text = blank < 0 ? QString() : rest.mid(blank + 1);
        } else {
            e.text = line;
        }
        out << e;
    }
    while (!out.isEmpty() && out.last().kind == TextEntry::Gap)
        out.removeLast();
    cache.insert(file, out);
    return out;
}

QString fixedValue(const QString &file, const QString &name)
{
    return fixedValues(file, name).value(0);
}

QStringList fixedValues(const QString &file, const QString &name)
{
    QStringList v;
    for (const auto &e : fixedText(file))
        if (e.kind == TextEntry::Value && e.name == name)
            v << e.text;
    return v;
}

double estimatedWidth(const QString &text, const report::Font &font)
{
    return report::textWidth(text, font) + 2 * report::kTextPadding + 0.3;
}

double linesHeight(int lines, const report::Font &font)
{
    return lines * report::lineHeight(font) + 2 * report::kTextPadding;
}

report::Element &Flow::text(const QString &t, const report::Font &f, Qt::Alignment a, double indent, bool advance)
{
    const double w = m_width - indent;
    const int lines = std::max<qsizetype>(1, report::breakLines(t, f, w - 2 * report::kTextPadding, true).size());
    const double h = linesHeight(lines, f);
    report::Element &e = m_band.rich(m_names.label(), {m_x + indent, m_y, w, h}, QString(), t, f);
    e.align = a | Qt::AlignTop;
    if (advance)
        m_y += h;
    return e;
}

void Flow::heading(const QString &t)
{
    text(t, headingFont, Qt::AlignHCenter, 0);
    m_y += 3;
}

void Flow::section(const QString &t)
{
    m_y += 1.5;
    text(t, sectionFont, Qt::AlignLeft, 0);
}

void Flow::title(const QString &t) { text(t, titleFont, Qt::AlignLeft, 0); }

void Flow::para(const QString &t, double indent) { text(t, body, Qt::AlignLeft, indent); }

void Flow::entries(const QList<TextEntry> &list, const std::function<void(const QString &)> &value)
{
    bool afterTitle = false;
    double titleBottom = m_y;
    for (const auto &e : list) {
        if (titleColumn > 0 && e.kind != TextEntry::Para && afterTitle) {
            m_y = std::max(m_y, titleBottom);   // a title without a note
            afterTitle = false;
        }
        switch (e.kind) {
        case TextEntry::Heading: heading(e.text); break;
        case TextEntry::Section: section(e.text); break;
        case TextEntry::Title:
            if (titleColumn > 0) {
                const report::Element &t = m_band.rich(m_names.label(), {m_x, m_y, titleColumn,
                                                       linesHeight(std::max<qsizetype>(1, report::breakLines(e.text, titleFont, titleColumn - 2 * report::kTextPadding, true).size()), titleFont)},
                                                       QString(), e.text, titleFont);
                titleBottom = m_y + t.rect.height();
            } else {
                title(e.text);
            }
            break;
        case TextEntry::Para:
            if (titleColumn > 0 && afterTitle) {
                const double y0 = m_y;
                text(e.text, body, Qt::AlignLeft, titleColumn);
                m_y = std::max(m_y, titleBottom);
                titleBottom = y0;   // further paragraphs of the note follow it
            } else {
                para(e.text, afterTitle ? 4 : 0);
            }
            break;
        case TextEntry::Gap: gap(2); break;
        case TextEntry::Value:
            if (value)
                value(e.name);
            break;
        }
        afterTitle = e.kind == TextEntry::Title || (afterTitle && e.kind == TextEntry::Para);
    }
}

report::Element &cell(report::Band &band, Names &names, const QRectF &r, const QString &text,
                      const report::Font &font, Qt::Alignment align, unsigned sides)
{
    report::Element &e = band.framed(names.label(), r, text, font, align, sides);
    e.wordWrap = true;
    return e;
}

double checkLine(report::Band &band, Names &names, const CheckItem &item, int line, double x, double y,
                 const report::Font &textFont, double gap)
{
    const double rowH = std::max(kBox, report::lineHeight(textFont) + 2 * report::kTextPadding);
    for (const CheckOption &o : item.lines.value(line)) {
        auto &box = band.framed(item.boxName(o.code), {x, y + (rowH - kBox) / 2, kBox, kBox}, QString(),
                                song(9), Qt::AlignCenter);
        box.penWidth = 0.2;
        box.minFontSize = 6;   // the mark is set smaller where the face draws it wide
        x += kBox + 0.5;
        const double w = estimatedWidth(o.text, textFont);
        band.label(names.label(), {x, y, w, rowH}, o.text, textFont);
        x += w + gap;
    }
    return x;
}

double checkLines(report::Band &band, Names &names, const CheckItem &item, double x, double y, double lineHeight,
                  const report::Font &textFont, double gap)
{
    for (int i = 0; i < item.lines.size(); ++i) {
        checkLine(band, names, item, i, x, y, textFont, gap);
        y += lineHeight;
    }
    return y;
}

} // namespace layouts
