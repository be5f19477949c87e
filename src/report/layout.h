#pragma once

// Laying out a filled report form into pages, and the page model the layout
// produces: every element that prints, with its final text (after the
// before-print handlers), its lines and its rectangle on the page in mm.
// Tests read the page model; the renderer (render.h) draws it.
//
// Pagination is deterministic: it depends only on band heights, on the text
// of stretching cells and on line heights computed from the font size (see
// lineHeight()), never on the output device.

#include "report.h"

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <vector>

namespace report {

struct PlacedElement {
    QString name;
    Kind kind = Kind::Label;
    QRectF rect;          // mm from the paper's top-left corner
    QString text;         // the text printed (page numbers resolved)
    QStringList lines;    // the text broken into the lines that print
    Font font;
    Qt::Alignment align;
    unsigned frame = NoSides;
    double penWidth = 0.2;
    // The text does not print whole: lines below the rectangle are left out
    // (`cut` holds them) or a line reaches past its sides (clipped there).
    bool overflow = false;
    QString cut;           // what does not print
    QString field;         // the bound field, if any
    QString caption;       // what the person calls the value
    BandKind band = BandKind::Title;
    int row = -1;          // detail row index, else -1
};

struct Page {
    int number = 0; // running page number within its report, from 1
    std::vector<PlacedElement> elements;

    // The first element of that name on the page (nullptr when none prints).
    const PlacedElement *find(const QString &name) const;
    std::vector<const PlacedElement *> findAll(const QString &name) const;
    QString text(const QString &name) const; // empty when none prints
    int detailRows() const;                  // distinct detail rows on this page
};

struct Document {
    QString name;
    QSizeF pageSize{kA4WidthMm, kA4HeightMm};
    std::vector<Page> pages;
    int pageCount() const { return int(pages.size()); }
};

// A value that does not print whole: where it stands and how much is lost.
struct Cut {
    QString report;       // the report's name
    int page = 0;         // running page number within the report
    QString element;
    QString caption;      // the element's caption, else its field
    int characters = 0;   // characters that do not print
};
// The values of a laid-out report that do not print whole.  Only elements
// that show a value (a bound field, or a caption given by the layout) are
// named; a fixed text that does not fit is a fault of the layout.
std::vector<Cut> cuts(const Document &doc);

// Height in mm of one printed line of a font of that size.
double lineHeight(const Font &font);
// Inner padding in mm between a text and its box edge, on each side.
constexpr double kTextPadding = 0.6;

// Breaks a text into printed lines: at every line break (CR, LF, CR LF) and,
// with wrap, where the next character would pass `widthMm`, as Chinese print
// sets lines: no line begins with closing punctuation (。，、；：？！ and
// closing brackets and quotes) and none ends with an opening bracket or
// quote; a run of Latin letters and digits (a word, "20/03", "1,234,567")
// is not split unless it is wider than a whole line; a blank between words
// ends its line.
QStringList breakLines(const QString &text, const Font &font, double widthMm, bool wrap);
// Width of a single line of text in mm, measured with the face that prints it.
double textWidth(const QString &text, const Font &font);

Document layout(const ReportForm &form);
inline int pageCount(const ReportForm &form) { return layout(form).pageCount(); }

} // namespace report
