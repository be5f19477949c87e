#include "render.h"

#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <cmath>

namespace report {
namespace {

QFont deviceFont(const Font &font)
{
    QFont f;
    f.setFamilies({installedFamily(font.family)});
    f.setPointSizeF(font.size > 0 ? font.size : 9);
    f.setBold(font.bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// Characters that must not reach the painter: controls other than the line
// breaks already taken apart, and unpaired surrogates.
QString printable(const QString &line)
{
    QString out;
    out.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        QChar c = line.at(i);
        if (c.isHighSurrogate() && i + 1 < line.size() && line.at(i + 1).isLowSurrogate()) {
            out += c;
            out += line.at(++i);
        } else if (c.isSurrogate() || (c.unicode() < 0x20 && c != QLatin1Char('\t'))) {
            out += QChar(0xFFFD);
        } else {
            out += c;
        }
    }
    return out;
}

void paintElement(QPainter &p, const PlacedElement &e, double k)
{
    auto px = [k](const QRectF &r) { return QRectF(r.x() * k, r.y() * k, r.width() * k, r.height() * k); };
    QPen pen(Qt::black);
    pen.setWidthF(std::max(e.penWidth * k, 1.0));
    pen.setCapStyle(Qt::SquareCap);
    switch (e.kind) {
    case Kind::Line:
        p.setPen(pen);
        p.drawLine(QPointF(e.rect.left() * k, e.rect.top() * k), QPointF(e.rect.right() * k, e.rect.bottom() * k));
        return;
    case Kind::Rect:
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(px(e.rect));
        return;
    default:
        break;
    }
    const QRectF r = px(e.rect);
    if (e.frame) {
        p.setPen(pen);
        if (e.frame & TopSide)
            p.drawLine(r.topLeft(), r.topRight());
        if (e.frame & BottomSide)
            p.drawLine(r.bottomLeft(), r.bottomRight());
        if (e.frame & LeftSide)
            p.drawLine(r.topLeft(), r.bottomLeft());
        if (e.frame & RightSide)
            p.drawLine(r.topRight(), r.bottomRight());
    }
    if (e.lines.isEmpty())
        return;
    p.setPen(Qt::black);
    p.setFont(deviceFont(e.font));
    const double lh = lineHeight(e.font) * k;
    const double pad = kTextPadding * k;
    const double block = lh * e.lines.size();
    double y0 = r.top() + pad;
    if (e.align & Qt::AlignVCenter)
        y0 = r.top() + (r.height() - block) / 2;
    else if (e.align & Qt::AlignBottom)
        y0 = r.bottom() - pad - block;
    const Qt::Alignment h = e.align & (Qt::AlignLeft | Qt::AlignRight | Qt::AlignHCenter | Qt::AlignJustify);
    p.save();
    p.setClipRect(r.adjusted(-k * 0.3, -k * 0.3, k * 0.3, k * 0.3));
    for (int i = 0; i < e.lines.size(); ++i) {
        QRectF lr(r.left() + pad, y0 + i * lh, r.width() - 2 * pad, lh);
        p.drawText(lr, int(h ? h : Qt::AlignLeft) | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                   printable(e.lines.at(i)));
    }
    p.restore();
}

} // namespace

void paintPage(QPainter &painter, const Page &page)
{
    const double k = painter.device()->logicalDpiX() / 25.4;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    // Frames and rules first, texts over them.
    for (const PlacedElement &e : page.elements)
        if (e.kind == Kind::Line || e.kind == Kind::Rect)
            paintElement(painter, e, k);
    for (const PlacedElement &e : page.elements)
        if (e.kind != Kind::Line && e.kind != Kind::Rect)
            paintElement(painter, e, k);
    painter.restore();
}

QImage renderImage(const Document &doc, int pageIndex, double dpi)
{
    const double k = dpi / 25.4;
    QImage img(int(std::lround(doc.pageSize.width() * k)), int(std::lround(doc.pageSize.height() * k)),
               QImage::Format_RGB32);
    img.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
    img.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    img.fill(Qt::white);
    if (pageIndex < 0 || pageIndex >= doc.pageCount())
        return img;
    QPainter p(&img);
    paintPage(p, doc.pages[size_t(pageIndex)]);
    return img;
}

namespace {

bool writePages(const std::vector<const Page *> &pages, const QString &path, QString *error)
{
    QPdfWriter writer(path);
    writer.setResolution(600);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    writer.setCreator(QStringLiteral("Sorvel"));
    QPainter p;
    if (!p.begin(&writer)) {
        if (error)
            *error = QStringLiteral("无法写入文件 %1").arg(path);
        return false;
    }
    bool first = true;
    for (const Page *page : pages) {
        if (!first)
            writer.newPage();
        first = false;
        paintPage(p, *page);
    }
    if (!p.end()) {
        if (error)
            *error = QStringLiteral("无法写入文件 %1").arg(path);
        return false;
    }
    return true;
}

} // namespace

bool writePdf(const std::vector<const Document *> &docs, const QString &path, QString *error)
{
    std::vector<const Page *> pages;
    for (const Document *doc : docs)
        for (const Page &page : doc->pages)
            pages.push_back(&page);
    return writePages(pages, path, error);
}

bool writePdf(const Document &doc, int fromPage, int toPage, const QString &path, QString *error)
{
    std::vector<const Page *> pages;
    for (int i = std::max(fromPage, 1); i <= std::min(toPage, doc.pageCount()); ++i)
        pages.push_back(&doc.pages[size_t(i - 1)]);
    return writePages(pages, path, error);
}

bool printDocument(QPrinter &printer, const Document &doc, int fromPage, int toPage)
{
    const int last = doc.pageCount();
    int from = fromPage <= 0 ? 1 : fromPage;
    int to = toPage <= 0 ? last : std::min(toPage, last);
    if (from > to)
        return true; // nothing in that range
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    QPainter p;
    if (!p.begin(&printer))
        return false;
    for (int i = from; i <= to; ++i) {
        if (i > from)
            printer.newPage();
        paintPage(p, doc.pages[size_t(i - 1)]);
    }
    return p.end();
}

} // namespace report
