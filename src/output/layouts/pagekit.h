#pragma once

// Pieces the page builders share: fixed texts read from the program's
// resources, a text flow for the note and annex pages, framed cells and the
// check-box rows of the vocabulary.

#include "output/pages/vocabulary.h"
#include "report/report.h"

#include <QHash>
#include <QList>
#include <QString>

namespace layouts {

// The smallest size a value of the record is set in to fit its cell.
constexpr double kValueFloor = 7;

// Fonts of the form.
report::Font song(double size = 9, bool bold = false);
report::Font hei(double size = 12, bool bold = true);
report::Font kai(double size = 12);
report::Font fang(double size = 9, bool bold = false);

// One entry of a fixed-text file (resources/forms/texts, see its README).
struct TextEntry {
    enum Kind { Heading, Section, Title, Para, Gap, Value } kind = Para;
    QString text;
    QString name;   // Value: its name
};
QList<TextEntry> fixedText(const QString &file);   // throws std::runtime_error when missing
// The value of "@ name value" in a file (empty when none).
QString fixedValue(const QString &file, const QString &name);
// Every value of that name, in order.
QStringList fixedValues(const QString &file, const QString &name);

// Names for static elements: a prefix and a running number, never holding
// "ITEM" or "patent", so clearing a page's data labels leaves them alone.
class Names {
public:
    QString label() { return QStringLiteral("stx%1").arg(++m_n); }
    QString shape() { return QStringLiteral("sln%1").arg(++m_n); }

private:
    int m_n = 0;
};

// Width in mm of a label holding a text in a font: the text as the face
// that prints it measures it, with the label's padding.
double estimatedWidth(const QString &text, const report::Font &font);
// Height of `lines` lines of a font, with the engine's padding.
double linesHeight(int lines, const report::Font &font);

// Lays paragraphs down a band from a start, one below the other.
class Flow {
public:
    Flow(report::Band &band, Names &names, double x, double y, double width)
        : m_band(band), m_names(names), m_x(x), m_y(y), m_width(width) {}

    report::Font body = song(9);
    report::Font titleFont = song(9, true);
    report::Font sectionFont = song(11, true);
    report::Font headingFont = hei(15, true);

    void heading(const QString &text);
    void section(const QString &text);
    void title(const QString &text);
    void para(const QString &text, double indent = 0);
    void gap(double mm) { m_y += mm; }
    // Item titles in a column of this width on the left, their notes beside
    // them (0: the title on a line of its own, the note under it).
    double titleColumn = 0;
    // Every entry of a fixed-text file; "@ name" entries call `value`.
    void entries(const QList<TextEntry> &list, const std::function<void(const QString &)> &value = {});
    double y() const { return m_y; }
    void moveTo(double y) { m_y = y; }

private:
    report::Element &text(const QString &t, const report::Font &f, Qt::Alignment a, double indent, bool advance = true);
    report::Band &m_band;
    Names &m_names;
    double m_x, m_y, m_width;
};

// A framed cell: the frame as a label with sides and the text inside.
report::Element &cell(report::Band &band, Names &names, const QRectF &r, const QString &text,
                      const report::Font &font = song(11), Qt::Alignment align = Qt::AlignCenter,
                      unsigned sides = report::AllSides);

// The side of a check box in mm (13 pixels of the screen form).
constexpr double kBox = 3.4;

// Places one printed line of a check-box item from (x, y): box, text, gap,
// box, text ...  Returns the x after the last text.
double checkLine(report::Band &band, Names &names, const CheckItem &item, int line, double x, double y,
                 const report::Font &textFont = song(9), double gap = 3);
// All lines of an item, one under another `lineHeight` apart; returns the y
// below the last line.
double checkLines(report::Band &band, Names &names, const CheckItem &item, double x, double y,
                  double lineHeight = 5.5, const report::Font &textFont = song(9), double gap = 3);

} // namespace layouts
