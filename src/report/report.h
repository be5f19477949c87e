#pragma once

// The banded report engine: the model of a printed page.
//
// A ReportForm is one A4 portrait page layout measured in millimetres.  It
// holds bands, each a horizontal strip of elements; element rectangles are
// millimetres from the band's top-left corner, which sits at the left margin.
//
//   Title         printed once, at the top of the first page (a one-band page
//                 is a form with only a Title band).
//   ColumnHeader  printed at the top of every page (below the Title on page 1).
//   Detail        printed once per row of the in-memory dataset named by
//                 Band::dataset; its data-bound elements read that row.  A
//                 rectangle taller than the row is cut at the row's bottom.
//   Summary       printed once after the last detail row; with atPageFoot it
//                 stands at the foot of the last page, just above the footer.
//                 It never stands on a page of its own below a list: when it
//                 does not fit after the last row, that row goes over with it.
//   PageFooter    printed at the bottom of every page (inside the margin).
//   Overlay       not a strip: elements placed on the page itself (rectangles
//                 from the top-left corner inside the margins), printed on
//                 every page.
//
// Growing: a stretching text that needs more height than its rectangle makes
// it taller, and everything at or below that rectangle's bottom edge in the
// band moves down by as much (elements reaching across the edge, such as the
// frame of the row and its title cell, grow with it); the band grows too.
//
// Building a page (one builder function per printed page):
//
//   report::ReportForm f(QStringLiteral("yyPrint10"));
//   f.margins = {10, 10, 10, 10};
//   auto &head = f.addBand(report::BandKind::ColumnHeader, 30);
//   head.label(QStringLiteral("QRLabel1"), {0, 0, 190, 8}, QStringLiteral("成果完成人员名单"),
//              {QStringLiteral("黑体"), 12, true}, Qt::AlignCenter);
//   auto &rows = f.addBand(report::BandKind::Detail, 8, QStringLiteral("ClientDataSet2"));
//   auto &cell = rows.data(QStringLiteral("QRDBText8"), {120, 0, 35, 8}, QStringLiteral("ITEM_185"),
//                          QStringLiteral("ClientDataSet2"));
//   cell.frame = report::AllSides; cell.stretch = true; cell.followBand = true;
//   cell.beforePrint = [](QString &t) { t = wrapSomehow(t); };
//   auto &foot = f.addBand(report::BandKind::PageFooter, 8);
//   foot.pageNumber(QStringLiteral("QRSysData1"), {0, 0, 190, 6}, QStringLiteral("10--"));
//
// Fills then set texts by name (setText, setVisible), give the record
// snapshot (setRecord) and bind datasets by name (setDataset); layout() turns
// the form into laid-out pages (report::Document, see layout.h) that tests
// read and the renderer draws.

#include <QHash>
#include <QMarginsF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace report {

constexpr double kA4WidthMm = 210.0;
constexpr double kA4HeightMm = 297.0;

// The original font names (宋体, 黑体, 楷体_GB2312, 仿宋_GB2312 ...) as the
// layouts use them; installedFamily() maps them to a family that is installed.
struct Font {
    QString family = QStringLiteral("宋体");
    double size = 9;  // points
    bool bold = false;
};

// One table from the original font names to installed families: the Song
// faces (宋体, 仿宋 and the Latin serif) print in a Song (Ming) family, the Hei
// faces (黑体 and the Latin sans) in a Hei one, the Kai faces in a Kai one;
// each names the families it takes in order of preference and the first one
// installed is used.
QString installedFamily(const QString &originalName);
// The families installedFamily() tries for a face, most preferred first.
QStringList preferredFamilies(const QString &originalName);

enum class Kind {
    Label,      // fixed caption (a framed label is a label with frame sides)
    DataText,   // text of a field: of the record, or of a dataset's current row
    RichText,   // a block of running text (fixed or bound), wrapped in its box
    Line,       // from rect.topLeft() to rect.bottomRight()
    Rect,       // rectangle outline
    PageNumber, // prefix text followed by the running page number
};

enum Sides : unsigned { NoSides = 0, LeftSide = 1, TopSide = 2, RightSide = 4, BottomSide = 8, AllSides = 15 };

struct Element {
    QString name;
    Kind kind = Kind::Label;
    QRectF rect;           // mm, from the band's top-left corner
    QString text;          // caption, page-number prefix, fixed rich text
    QString field;         // DataText / RichText: the bound field
    QString dataset;       // empty: the record snapshot; else a dataset bound by name
    Font font;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    bool wordWrap = false; // break lines at the box width (explicit line breaks always count)
    unsigned frame = NoSides;
    double penWidth = 0.2; // mm: frames, lines, rectangles
    bool stretch = false;  // a text that needs more height makes its band taller
    bool followBand = false; // the bottom edge moves with the band's bottom when it grows
    // Above 0: a text that does not fit is set smaller, in half points down
    // to this size; when even that does not fit it wraps at this size (and,
    // with stretch, grows its row).
    double minFontSize = 0;
    // What the person calls the value (a field's caption, "成果简介"), named
    // when the text cannot be printed whole.
    QString caption;
    bool visible = true;
    // Runs just before the element prints (preview, printer, PDF alike) and may
    // replace the text it prints.
    std::function<void(QString &text)> beforePrint;
};

enum class BandKind { Title, ColumnHeader, Detail, Summary, PageFooter, Overlay };

struct Band {
    BandKind kind = BandKind::Title;
    double height = 0;     // mm
    QString dataset;       // Detail: the dataset whose rows it prints
    bool atPageFoot = false; // Summary: stand just above the page footer of the last page
    std::deque<Element> elements; // references stay valid as elements are added

    Element &add(Element e);
    Element &label(const QString &name, const QRectF &r, const QString &text, const Font &font = {},
                   Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
    // A label with frame sides (all four unless told).
    Element &framed(const QString &name, const QRectF &r, const QString &text, const Font &font = {},
                    Qt::Alignment align = Qt::AlignCenter, unsigned sides = AllSides);
    Element &data(const QString &name, const QRectF &r, const QString &field, const QString &datasetName = {},
                  const Font &font = {}, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
    // Running text: bound when `field` is not empty, else `text`; word-wrapped.
    Element &rich(const QString &name, const QRectF &r, const QString &field, const QString &text = {},
                  const Font &font = {});
    Element &line(const QString &name, const QPointF &from, const QPointF &to, double penWidth = 0.2);
    Element &box(const QString &name, const QRectF &r, double penWidth = 0.2);
    Element &pageNumber(const QString &name, const QRectF &r, const QString &prefix, const Font &font = {},
                        Qt::Alignment align = Qt::AlignCenter);
};

// In-memory dataset of text fields for list bands.  Rows are appended and
// posted; empty() removes them all.  A padding row is a blank row that fills
// out the ruled lines of a printed list: the layout prints it only where the
// page has room for it (and for the list's summary), never on a sheet of its
// own.
class MemDataset {
public:
    explicit MemDataset(QStringList fields = {});
    const QStringList &fields() const { return m_fields; }

    void empty();
    void append();                                  // starts a new row (blank)
    void setField(const QString &field, const QString &text); // on the row being appended
    void post();                                    // adds the row
    void addPadding();                              // adds a blank padding row
    int rowCount() const { return int(m_rows.size()); }
    bool isPadding(int row) const;
    QString value(int row, const QString &field) const;

private:
    struct Row {
        QHash<QString, QString> values;
        bool padding = false;
    };
    QStringList m_fields;  // empty: any field name
    std::vector<Row> m_rows;
    QHash<QString, QString> m_pending;
    bool m_appending = false;
};

// Plain values of the record, read once: field name (any letter case) -> text.
class Record {
public:
    void set(const QString &field, const QString &text) { m_values.insert(field.toUpper(), text); }
    QString value(const QString &field) const { return m_values.value(field.toUpper()); }
    bool contains(const QString &field) const { return m_values.contains(field.toUpper()); }

private:
    QHash<QString, QString> m_values;
};

class ReportForm {
public:
    explicit ReportForm(QString name = {});

    QString name;
    QSizeF pageSize{kA4WidthMm, kA4HeightMm}; // mm, portrait
    QMarginsF margins{10, 10, 10, 10};        // mm

    Band &addBand(BandKind kind, double height, const QString &dataset = {});
    Band &overlay(); // the elements placed on the page itself
    Band *band(BandKind kind);
    const Band *band(BandKind kind) const;
    const std::deque<Band> &bands() const { return m_bands; }
    std::deque<Band> &bands() { return m_bands; }

    // Elements by name, in band order and within a band in the order added.
    Element *find(const QString &name);
    const Element *find(const QString &name) const;
    std::vector<Element *> elements();
    std::vector<const Element *> elements() const;
    // Set an element's caption or prefix; false when no element has that name.
    bool setText(const QString &name, const QString &text);
    QString text(const QString &name) const;
    bool setVisible(const QString &name, bool visible);
    // Sets an element's height in mm, its top staying; false when no element
    // has that name.
    bool setHeight(const QString &name, double mm);

    void setRecord(const Record &record) { m_record = record; }
    const Record &record() const { return m_record; }
    // Binds (or, with nullptr, unbinds) a dataset by name; the form does not own it.
    void setDataset(const QString &name, const MemDataset *dataset);
    const MemDataset *dataset(const QString &n) const { return m_datasets.value(n); }

    double contentWidth() const { return pageSize.width() - margins.left() - margins.right(); }
    double contentHeight() const { return pageSize.height() - margins.top() - margins.bottom(); }

private:
    std::deque<Band> m_bands;
    Record m_record;
    QHash<QString, const MemDataset *> m_datasets;
};

} // namespace report
