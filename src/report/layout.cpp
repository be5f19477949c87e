#include "layout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

namespace report {
namespace {

constexpr double kEps = 0.001;
// What a text may pass its box by before it counts as not fitting.
constexpr double kTolerance = 0.05;

// Fonts are measured on an image of 1200 dots per inch, unhinted, so widths
// scale linearly to every device.
constexpr double kMeasureDpi = 1200.0;

QFont measureFont(const Font &font)
{
    QFont f;
    f.setFamilies({installedFamily(font.family)});
    f.setPointSizeF(font.size > 0 ? font.size : 9);
    f.setBold(font.bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

const QImage &measureDevice()
{
    static const QImage image = [] {
        QImage img(1, 1, QImage::Format_RGB32);
        img.setDotsPerMeterX(int(std::lround(kMeasureDpi / 0.0254)));
        img.setDotsPerMeterY(int(std::lround(kMeasureDpi / 0.0254)));
        return img;
    }();
    return image;
}

double emOf(const Font &font) { return (font.size > 0 ? font.size : 9) * 25.4 / 72.0; }

bool isCjk(char32_t c) { return c >= 0x2E80; }

// A line is measured as the sum of its characters' advances in the face that
// prints it: a shaped line is never wider (kerning only narrows), so a line
// measured to fit prints inside its box.  Without a GUI application no font
// can be asked: a CJK character then counts one em, any other half an em.
struct Measurer {
    bool gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
    struct Face {
        std::unique_ptr<QFontMetricsF> metrics;
        QHash<char32_t, double> advance; // mm
    };
    QHash<QString, Face *> faces;
    ~Measurer() { qDeleteAll(faces); }

    Face &face(const Font &font)
    {
        const QString key = font.family + QLatin1Char('|') + QString::number(font.size) + (font.bold ? "b" : "");
        Face *&f = faces[key];
        if (!f) {
            f = new Face;
            if (gui)
                f->metrics = std::make_unique<QFontMetricsF>(measureFont(font), &measureDevice());
        }
        return *f;
    }
    double advance(Face &f, const Font &font, char32_t c)
    {
        const auto it = f.advance.constFind(c);
        if (it != f.advance.constEnd())
            return *it;
        double w;
        if (f.metrics)
            w = f.metrics->horizontalAdvance(QString::fromUcs4(&c, 1)) * 25.4 / kMeasureDpi;
        else
            w = isCjk(c) ? emOf(font) : emOf(font) / 2;
        f.advance.insert(c, w);
        return w;
    }
};

Measurer &measurer()
{
    thread_local Measurer m;
    return m;
}

// One character of a paragraph: where it stands, its advance, its code.
struct Glyph {
    qsizetype pos;
    char32_t code;
    double width;
};

std::vector<Glyph> glyphs(const QString &text, const Font &font)
{
    Measurer &m = measurer();
    Measurer::Face &face = m.face(font);
    std::vector<Glyph> out;
    out.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        const qsizetype pos = i;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i).unicode(), text.at(i + 1).unicode());
            ++i;
        }
        out.push_back({pos, c, m.advance(face, font, c)});
    }
    return out;
}

double widthOf(const std::vector<Glyph> &g, size_t from, size_t to)
{
    double w = 0;
    for (size_t i = from; i < to; ++i)
        w += g[i].width;
    return w;
}

bool isBlank(char32_t c) { return c == ' ' || c == '\t' || c == 0x3000; }

bool isClosing(char32_t c)
{
    static const std::u32string closing = U"。，、；：？！）］｝」』】〕〉》〙〗〞”’．％‰°℃·…,.;:?!)]}%";
    return closing.find(c) != std::u32string::npos;
}

bool isOpening(char32_t c)
{
    static const std::u32string opening = U"（［｛「『【〔〈《〘〖〝“‘([{";
    return opening.find(c) != std::u32string::npos;
}

// Letters, digits and the signs that join them ("20/03", "1,234.5",
// "www.example.cn"): a run of them is one word.
bool isWordChar(char32_t c)
{
    if (isBlank(c) || isOpening(c))
        return false;
    if (c < 0x2E80)
        return true;
    return (c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A);
}

// May a line end before glyph i?
bool breakBefore(const std::vector<Glyph> &g, size_t i)
{
    const char32_t prev = g[i - 1].code, cur = g[i].code;
    if (isBlank(prev))
        return !isBlank(cur);
    if (isBlank(cur) || isClosing(cur) || isOpening(prev))
        return false;
    if (isWordChar(prev) && isWordChar(cur))
        return false;
    if (prev == cur && (cur == 0x2014 || cur == 0x2026)) // —— and …… stay together
        return false;
    return true;
}

QString lineText(const QString &para, const std::vector<Glyph> &g, size_t from, size_t to)
{
    const qsizetype a = g[from].pos, b = to < g.size() ? g[to].pos : para.size();
    QString line = para.mid(a, b - a);
    while (!line.isEmpty() && isBlank(line.back().unicode()))
        line.chop(1);
    return line;
}

void wrapParagraph(const QString &para, const Font &font, double widthMm, QStringList &out)
{
    const std::vector<Glyph> g = glyphs(para, font);
    size_t start = 0, lastBreak = 0;
    double lineWidth = 0;
    for (size_t i = 0; i < g.size(); ++i) {
        if (i > start && breakBefore(g, i))
            lastBreak = i;
        // Blanks hang at the end of their line.
        if (!isBlank(g[i].code) && i > start && lineWidth + g[i].width > widthMm + kEps) {
            const size_t at = lastBreak > start ? lastBreak : i;
            out << lineText(para, g, start, at);
            start = at;
            lineWidth = widthOf(g, start, i);
            // What went down with the break must still leave room for this
            // character; where it does not, the run is wider than a line
            // and is split before it.
            if (i > start && lineWidth + g[i].width > widthMm + kEps) {
                out << lineText(para, g, start, i);
                start = i;
                lineWidth = 0;
            }
        }
        lineWidth += g[i].width;
    }
    out << lineText(para, g, start, g.size());
}

// The ink a block of lines takes: the lines above the last at their spacing,
// the last one em high, padding aside.
double inkHeight(int lines, const Font &font)
{
    return lines <= 0 ? 0 : (lines - 1) * lineHeight(font) + emOf(font);
}

bool widthsFit(const QStringList &lines, const Font &font, double widthMm)
{
    for (const QString &l : lines)
        if (textWidth(l, font) > widthMm + kTolerance)
            return false;
    return true;
}

struct Fitted {
    Font font;
    QStringList lines;
};

// The font size and lines a text prints in: as laid out when that fits its
// box; else, for an element with a floor, the largest size down to the
// floor that fits; else wrapped at the floor, where it needs the least room.
// A stretching text that does not wrap by itself wraps rather than pass its
// sides.
Fitted fitText(const Element &e, const QString &text)
{
    const double w = e.rect.width() - 2 * kTextPadding;
    const double h = e.rect.height() + kTolerance;
    const bool wrap = e.wordWrap || e.kind == Kind::RichText;
    Fitted f{e.font, breakLines(text, e.font, w, wrap)};
    auto fits = [&](const Fitted &c) { return widthsFit(c.lines, c.font, w) && inkHeight(int(c.lines.size()), c.font) <= h; };
    if (text.isEmpty() || fits(f))
        return f;
    const double size = e.font.size > 0 ? e.font.size : 9;
    const double floor = e.minFontSize;
    if (floor > 0 && floor < size) {
        for (double s = size - 0.5; s >= floor - kEps; s -= 0.5) {
            Fitted c{e.font, {}};
            c.font.size = s;
            c.lines = breakLines(text, c.font, w, wrap);
            if (fits(c))
                return c;
        }
        // At the floor the wrapped text needs the least room.
        Fitted smallest{e.font, {}};
        smallest.font.size = floor;
        smallest.lines = breakLines(text, smallest.font, w, true);
        return smallest;
    }
    if (!wrap && e.stretch)
        f.lines = breakLines(text, e.font, w, true);
    return f;
}

} // namespace

double lineHeight(const Font &font)
{
    return emOf(font) * 1.25;
}

double textWidth(const QString &text, const Font &font)
{
    const std::vector<Glyph> g = glyphs(text, font);
    return widthOf(g, 0, g.size());
}

QStringList breakLines(const QString &text, const Font &font, double widthMm, bool wrap)
{
    QStringList out;
    if (text.isEmpty())
        return out;
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList paragraphs = t.split(QLatin1Char('\n'));
    // A text ending in a line break (as the wrapped list cells do) has no
    // empty line after it.
    if (paragraphs.size() > 1 && paragraphs.last().isEmpty())
        paragraphs.removeLast();
    for (const QString &para : std::as_const(paragraphs)) {
        if (!wrap || widthMm <= 0 || textWidth(para, font) <= widthMm + kEps)
            out << para;
        else
            wrapParagraph(para, font, widthMm, out);
    }
    return out;
}

std::vector<Cut> cuts(const Document &doc)
{
    std::vector<Cut> out;
    for (const Page &p : doc.pages)
        for (const PlacedElement &e : p.elements) {
            if (!e.overflow || (e.caption.isEmpty() && e.field.isEmpty()))
                continue;
            int n = 0;
            for (QChar c : e.cut)
                n += !c.isSpace() && !c.isLowSurrogate();
            out.push_back({doc.name, p.number, e.name, e.caption.isEmpty() ? e.field : e.caption, std::max(n, 1)});
        }
    return out;
}

const PlacedElement *Page::find(const QString &name) const
{
    for (const PlacedElement &e : elements)
        if (e.name == name)
            return &e;
    return nullptr;
}

std::vector<const PlacedElement *> Page::findAll(const QString &name) const
{
    std::vector<const PlacedElement *> out;
    for (const PlacedElement &e : elements)
        if (e.name == name)
            out.push_back(&e);
    return out;
}

QString Page::text(const QString &name) const
{
    const PlacedElement *e = find(name);
    return e ? e->text : QString();
}

int Page::detailRows() const
{
    int count = 0;
    int last = -1;
    for (const PlacedElement &e : elements)
        if (e.band == BandKind::Detail && e.row != last) {
            last = e.row;
            ++count;
        }
    return count;
}

namespace {

class Layouter {
public:
    explicit Layouter(const ReportForm &form) : f(form) {}

    Document run();

private:
    struct Instance {
        double height = 0;
        std::vector<PlacedElement> elements; // rects relative to the band's top-left
    };

    QString value(const Element &e, const Band &band, int row) const
    {
        if (e.dataset.isEmpty())
            return f.record().value(e.field);
        const MemDataset *ds = f.dataset(e.dataset);
        if (!ds)
            return {};
        int r = (band.kind == BandKind::Detail && band.dataset.compare(e.dataset, Qt::CaseInsensitive) == 0) ? row : 0;
        return ds->value(r, e.field);
    }

    Instance instance(const Band &band, int row, int pageNumber) const;
    void place(Page &page, const Instance &inst, double at) const
    {
        for (PlacedElement pe : inst.elements) {
            pe.rect.translate(f.margins.left(), at);
            page.elements.push_back(std::move(pe));
        }
    }
    void startPage();
    void finishPage();

    const ReportForm &f;
    Document doc;
    double y = 0;
    double top = 0;
    double footerTop = 0;
    bool bodyPlaced = false; // a title, detail or summary band is on the current page
};

// Moves every edge at or below `edge` down by `delta`: what lies below moves,
// what reaches across the edge grows.
void shiftBelow(QRectF &r, double edge, double delta)
{
    const double top = r.top() >= edge - kEps ? r.top() + delta : r.top();
    const double bottom = r.bottom() >= edge - kEps ? r.bottom() + delta : r.bottom();
    r = QRectF(QPointF(r.left(), top), QPointF(r.right(), bottom));
}

// Leaves out the lines below the rectangle and notes what does not print.
void settleText(PlacedElement &pe)
{
    if (pe.lines.isEmpty())
        return;
    const double lh = lineHeight(pe.font);
    const double room = pe.rect.height() + kTolerance - emOf(pe.font);
    const int fit = std::clamp(int(std::floor(room / lh + 1e-9)) + 1, 1, int(pe.lines.size()));
    QString cut;
    for (int i = fit; i < pe.lines.size(); ++i)
        cut += pe.lines.at(i);
    pe.lines = pe.lines.mid(0, fit);
    const double inner = pe.rect.width() - 2 * kTextPadding + kTolerance;
    for (const QString &l : std::as_const(pe.lines)) {
        if (textWidth(l, pe.font) <= inner)
            continue;
        // The characters past the side are clipped there.
        qsizetype keep = l.size();
        while (keep > 0 && textWidth(l.left(keep), pe.font) > inner)
            --keep;
        cut += l.mid(keep);
    }
    pe.cut = cut;
    pe.overflow = !cut.isEmpty();
}

Layouter::Instance Layouter::instance(const Band &band, int row, int pageNumber) const
{
    Instance inst;
    struct Pending {
        const Element *e;
        PlacedElement pe;
        double needed;
    };
    std::vector<Pending> pending;
    for (const Element &e : band.elements) {
        if (!e.visible)
            continue;
        PlacedElement pe;
        pe.name = e.name;
        pe.kind = e.kind;
        pe.rect = e.rect;
        pe.font = e.font;
        pe.align = e.align;
        pe.frame = e.frame;
        pe.penWidth = e.penWidth;
        pe.field = e.field;
        pe.caption = e.caption;
        pe.band = band.kind;
        pe.row = band.kind == BandKind::Detail ? row : -1;
        double needed = 0;
        if (e.kind != Kind::Line && e.kind != Kind::Rect) {
            QString text;
            switch (e.kind) {
            case Kind::Label: text = e.text; break;
            case Kind::DataText: text = value(e, band, row); break;
            case Kind::RichText: text = e.field.isEmpty() ? e.text : value(e, band, row); break;
            case Kind::PageNumber: text = e.text + QString::number(pageNumber); break;
            default: break;
            }
            if (e.beforePrint)
                e.beforePrint(text);
            pe.text = text;
            Fitted fitted = fitText(e, text);
            pe.font = fitted.font;
            pe.lines = std::move(fitted.lines);
            needed = pe.lines.isEmpty() ? 0 : pe.lines.size() * lineHeight(pe.font) + 2 * kTextPadding;
        }
        pending.push_back({&e, std::move(pe), needed});
    }

    // Texts that need more room grow, top to bottom, moving what lies below.
    double height = band.height;
    if (band.kind != BandKind::Overlay) {
        std::vector<size_t> growing;
        for (size_t i = 0; i < pending.size(); ++i)
            if (pending[i].e->stretch && pending[i].needed > pending[i].pe.rect.height() + kEps)
                growing.push_back(i);
        std::stable_sort(growing.begin(), growing.end(),
                         [&](size_t a, size_t b) { return pending[a].e->rect.bottom() < pending[b].e->rect.bottom(); });
        for (size_t i : growing) {
            const QRectF r = pending[i].pe.rect;
            const double delta = pending[i].needed - r.height();
            if (delta <= kEps)
                continue;   // grown already with its row
            const double edge = r.bottom();
            for (Pending &p : pending)
                shiftBelow(p.pe.rect, edge, delta);
            height = height >= edge - kEps ? height + delta : std::max(height, edge + delta);
        }
    }
    const double grow = height - band.height;
    for (Pending &p : pending) {
        if (grow > kEps && p.e->followBand)
            p.pe.rect.setBottom(std::max(p.pe.rect.bottom(), p.e->rect.bottom() + grow));
        // A detail row's frames end with the row: one taller than the row
        // (the list fills give their row frames a fixed height) is cut at the
        // row's bottom and never reaches into the next row or below the list.
        if (band.kind == BandKind::Detail && p.pe.kind == Kind::Rect && p.pe.rect.bottom() > height + kEps)
            p.pe.rect.setBottom(height);
        settleText(p.pe);
        inst.elements.push_back(std::move(p.pe));
    }
    inst.height = height;
    return inst;
}

void Layouter::startPage()
{
    Page page;
    page.number = int(doc.pages.size()) + 1;
    doc.pages.push_back(std::move(page));
    y = top;
    bodyPlaced = false;
    if (doc.pages.size() == 1) {
        if (const Band *title = f.band(BandKind::Title)) {
            Instance inst = instance(*title, -1, 1);
            place(doc.pages.back(), inst, y);
            y += inst.height;
            bodyPlaced = true;
        }
    }
    if (const Band *header = f.band(BandKind::ColumnHeader)) {
        Instance inst = instance(*header, -1, doc.pages.back().number);
        place(doc.pages.back(), inst, y);
        y += inst.height;
    }
}

void Layouter::finishPage()
{
    Page &page = doc.pages.back();
    if (const Band *footer = f.band(BandKind::PageFooter)) {
        Instance inst = instance(*footer, -1, page.number);
        place(page, inst, footerTop);
    }
    if (const Band *overlay = f.band(BandKind::Overlay)) {
        Instance inst = instance(*overlay, -1, page.number);
        for (PlacedElement pe : inst.elements) {
            pe.rect.translate(f.margins.left(), top);
            page.elements.push_back(std::move(pe));
        }
    }
}

Document Layouter::run()
{
    doc.name = f.name;
    doc.pageSize = f.pageSize;
    top = f.margins.top();
    const double bottom = f.pageSize.height() - f.margins.bottom();
    const Band *footer = f.band(BandKind::PageFooter);
    footerTop = bottom - (footer ? footer->height : 0);
    const Band *summary = f.band(BandKind::Summary);
    const double summaryHeight = summary ? instance(*summary, -1, 1).height : 0;

    startPage();
    if (const Band *detail = f.band(BandKind::Detail)) {
        const MemDataset *ds = detail->dataset.isEmpty() ? nullptr : f.dataset(detail->dataset);
        const int rows = ds ? ds->rowCount() : 0;
        // Where the last row of the list went, so that it can go over to a
        // new page with the summary.
        size_t lastRowAt = 0;
        double lastRowY = 0;
        int lastRow = -1, rowsOnPage = 0;
        for (int r = 0; r < rows; ++r) {
            if (ds->isPadding(r))
                continue;
            Instance inst = instance(*detail, r, doc.pages.back().number);
            if (y + inst.height > footerTop + kEps && bodyPlaced) {
                finishPage();
                startPage();
                rowsOnPage = 0;
                inst = instance(*detail, r, doc.pages.back().number);
            }
            lastRowAt = doc.pages.back().elements.size();
            lastRowY = y;
            lastRow = r;
            place(doc.pages.back(), inst, y);
            y += inst.height;
            bodyPlaced = true;
            ++rowsOnPage;
        }
        // The summary stays with the last rows: rather than stand alone under
        // the head of a new page, it takes the last row over with it.
        const bool titleHere = doc.pages.size() == 1 && f.band(BandKind::Title);
        if (summary && lastRow >= 0 && y + summaryHeight > footerTop + kEps && (rowsOnPage > 1 || titleHere)) {
            Page &page = doc.pages.back();
            page.elements.erase(page.elements.begin() + qsizetype(lastRowAt), page.elements.end());
            y = lastRowY;
            finishPage();
            startPage();
            Instance inst = instance(*detail, lastRow, doc.pages.back().number);
            place(doc.pages.back(), inst, y);
            y += inst.height;
            bodyPlaced = true;
        }
        // Padding rows fill what room the page has left above the summary;
        // they never start a page.
        for (int r = 0; r < rows; ++r) {
            if (!ds->isPadding(r))
                continue;
            Instance inst = instance(*detail, r, doc.pages.back().number);
            if (y + inst.height + summaryHeight > footerTop + kEps)
                break;
            place(doc.pages.back(), inst, y);
            y += inst.height;
            bodyPlaced = true;
        }
    }
    if (summary) {
        Instance inst = instance(*summary, -1, doc.pages.back().number);
        if (y + inst.height > footerTop + kEps && bodyPlaced) {
            finishPage();
            startPage();
            inst = instance(*summary, -1, doc.pages.back().number);
        }
        double at = summary->atPageFoot ? std::max(y, footerTop - inst.height) : y;
        place(doc.pages.back(), inst, at);
        y = at + inst.height;
    }
    finishPage();
    return std::move(doc);
}

} // namespace

Document layout(const ReportForm &form)
{
    return Layouter(form).run();
}

} // namespace report
