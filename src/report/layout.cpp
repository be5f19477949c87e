#include "layout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <cmath>

namespace report {
namespace {

constexpr double kEps = 0.001;

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

// Without a GUI application no font can be asked: a character of the CJK
// ranges then counts one em, any other half an em.
double estimateWidth(const QString &text, const Font &font)
{
    double em = font.size * 25.4 / 72.0;
    double w = 0;
    for (QChar c : text)
        w += c.unicode() >= 0x2E80 ? em : em / 2;
    return w;
}

struct Measurer {
    bool gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
    QHash<QString, QFontMetricsF *> cache;
    ~Measurer() { qDeleteAll(cache); }
    double width(const QString &text, const Font &font)
    {
        if (!gui)
            return estimateWidth(text, font);
        QString key = font.family + QLatin1Char('|') + QString::number(font.size) + (font.bold ? "b" : "");
        QFontMetricsF *&fm = cache[key];
        if (!fm)
            fm = new QFontMetricsF(measureFont(font), &measureDevice());
        return fm->horizontalAdvance(text) * 25.4 / kMeasureDpi;
    }
};

Measurer &measurer()
{
    thread_local Measurer m;
    return m;
}

} // namespace

double lineHeight(const Font &font)
{
    return (font.size > 0 ? font.size : 9) * 25.4 / 72.0 * 1.25;
}

double textWidth(const QString &text, const Font &font)
{
    return measurer().width(text, font);
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
        if (!wrap || widthMm <= 0 || textWidth(para, font) <= widthMm + kEps) {
            out << para;
            continue;
        }
        // Greedy breaking: before the character that would pass the width,
        // at the last blank of a Latin run when there is one.
        int start = 0;
        const int n = int(para.size());
        while (start < n) {
            int end = start + 1;
            while (end < n && textWidth(para.mid(start, end + 1 - start), font) <= widthMm + kEps)
                ++end;
            if (end < n) {
                int blank = int(para.lastIndexOf(QLatin1Char(' '), end));
                if (blank > start && para.at(end).unicode() < 0x2E80 && para.at(end - 1).unicode() < 0x2E80)
                    end = blank + 1;
            }
            out << para.mid(start, end - start);
            start = end;
        }
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
    void place(Page &page, const Instance &inst, double y) const
    {
        for (PlacedElement pe : inst.elements) {
            pe.rect.translate(f.margins.left(), y);
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

Layouter::Instance Layouter::instance(const Band &band, int row, int pageNumber) const
{
    Instance inst;
    double height = band.height;
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
            bool wrap = e.wordWrap || e.kind == Kind::RichText;
            pe.lines = breakLines(text, e.font, e.rect.width() - 2 * kTextPadding, wrap);
            needed = pe.lines.isEmpty() ? 0 : pe.lines.size() * lineHeight(e.font) + 2 * kTextPadding;
            if (e.stretch && band.kind != BandKind::Overlay)
                height = std::max(height, e.rect.top() + needed);
        }
        pending.push_back({&e, std::move(pe), needed});
    }
    const double grow = height - band.height;
    for (Pending &p : pending) {
        if (grow > kEps && (p.e->followBand || p.e->stretch))
            p.pe.rect.setBottom(p.pe.rect.bottom() + grow);
        // A detail row's frames end with the row: one taller than the row
        // (the list fills give their row frames a fixed height) is cut at the
        // row's bottom and never reaches into the next row or below the list.
        if (band.kind == BandKind::Detail && p.pe.kind == Kind::Rect && p.pe.rect.bottom() > height + kEps)
            p.pe.rect.setBottom(height);
        if (!p.pe.lines.isEmpty()) {
            // What must fit is the ink: the lines above the last at their
            // spacing, the last one em high, padding aside.
            const double em = (p.pe.font.size > 0 ? p.pe.font.size : 9) * 25.4 / 72.0;
            const double ink = (p.pe.lines.size() - 1) * lineHeight(p.pe.font) + em;
            bool tooHigh = ink > p.pe.rect.height() + 0.05;
            bool tooWide = false;
            for (const QString &l : std::as_const(p.pe.lines))
                if (textWidth(l, p.pe.font) > p.pe.rect.width() + 0.05) {
                    tooWide = true;
                    break;
                }
            p.pe.overflow = tooHigh || tooWide;
        }
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

    startPage();
    if (const Band *detail = f.band(BandKind::Detail)) {
        const MemDataset *ds = detail->dataset.isEmpty() ? nullptr : f.dataset(detail->dataset);
        const int rows = ds ? ds->rowCount() : 0;
        for (int r = 0; r < rows; ++r) {
            Instance inst = instance(*detail, r, doc.pages.back().number);
            if (y + inst.height > footerTop + kEps && bodyPlaced) {
                finishPage();
                startPage();
                inst = instance(*detail, r, doc.pages.back().number);
            }
            place(doc.pages.back(), inst, y);
            y += inst.height;
            bodyPlaced = true;
        }
    }
    if (const Band *summary = f.band(BandKind::Summary)) {
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
