#include "report.h"

#include <QFontDatabase>
#include <QGuiApplication>

#include <stdexcept>

namespace report {

QStringList preferredFamilies(const QString &originalName)
{
    // Song (Ming) for body text, Hei for headings, Kai where a Kai face is
    // named.  Every family here embeds in PDF files and extracts back to the
    // text drawn.  (The Noto CJK families do not: they share one glyph
    // between an ideograph and its Kangxi radical, and the PDF writer names
    // the radical, so "人" would read back as U+2F08.)
    static const QStringList song = {QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Zen Hei")};
    static const QStringList hei = {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("AR PL UMing CN")};
    static const QStringList kai = {QStringLiteral("AR PL UKai CN"), QStringLiteral("AR PL UMing CN"),
                                    QStringLiteral("WenQuanYi Zen Hei")};
    static const QHash<QString, const QStringList *> table = {
        {QStringLiteral("宋体"), &song},          {QStringLiteral("新宋体"), &song},
        {QStringLiteral("仿宋_GB2312"), &song},   {QStringLiteral("仿宋"), &song},
        {QStringLiteral("Times New Roman"), &song}, {QStringLiteral("黑体"), &hei},
        {QStringLiteral("Arial"), &hei},          {QStringLiteral("楷体_GB2312"), &kai},
        {QStringLiteral("楷体"), &kai},
    };
    return *table.value(originalName, &song);
}

QString installedFamily(const QString &originalName)
{
    const QStringList families = preferredFamilies(originalName);
    // Without a GUI application the font database cannot be asked.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return families.first();
    static QHash<QString, QString> chosen;
    const auto it = chosen.constFind(originalName);
    if (it != chosen.constEnd())
        return *it;
    QString family = families.last();
    for (const QString &f : families)
        if (QFontDatabase::hasFamily(f)) {
            family = f;
            break;
        }
    chosen.insert(originalName, family);
    return family;
}

Element &Band::add(Element e)
{
    elements.push_back(std::move(e));
    return elements.back();
}

Element &Band::label(const QString &name, const QRectF &r, const QString &text, const Font &font,
                     Qt::Alignment align)
{
    Element e;
    e.name = name;
    e.kind = Kind::Label;
    e.rect = r;
    e.text = text;
    e.font = font;
    e.align = align;
    return add(std::move(e));
}

Element &Band::framed(const QString &name, const QRectF &r, const QString &text, const Font &font,
                      Qt::Alignment align, unsigned sides)
{
    Element &e = label(name, r, text, font, align);
    e.frame = sides;
    return e;
}

Element &Band::data(const QString &name, const QRectF &r, const QString &field, const QString &datasetName,
                    const Font &font, Qt::Alignment align)
{
    Element e;
    e.name = name;
    e.kind = Kind::DataText;
    e.rect = r;
    e.field = field;
    e.dataset = datasetName;
    e.font = font;
    e.align = align;
    return add(std::move(e));
}

Element &Band::rich(const QString &name, const QRectF &r, const QString &field, const QString &text,
                    const Font &font)
{
    Element e;
    e.name = name;
    e.kind = Kind::RichText;
    e.rect = r;
    e.field = field;
    e.text = text;
    e.font = font;
    e.align = Qt::AlignLeft | Qt::AlignTop;
    e.wordWrap = true;
    return add(std::move(e));
}

Element &Band::line(const QString &name, const QPointF &from, const QPointF &to, double penWidth)
{
    Element e;
    e.name = name;
    e.kind = Kind::Line;
    e.rect = QRectF(from, to);
    e.penWidth = penWidth;
    return add(std::move(e));
}

Element &Band::box(const QString &name, const QRectF &r, double penWidth)
{
    Element e;
    e.name = name;
    e.kind = Kind::Rect;
    e.rect = r;
    e.penWidth = penWidth;
    return add(std::move(e));
}

Element &Band::pageNumber(const QString &name, const QRectF &r, const QString &prefix, const Font &font,
                          Qt::Alignment align)
{
    Element e;
    e.name = name;
    e.kind = Kind::PageNumber;
    e.rect = r;
    e.text = prefix;
    e.font = font;
    e.align = align;
    return add(std::move(e));
}

MemDataset::MemDataset(QStringList fields) : m_fields(std::move(fields)) {}

void MemDataset::empty()
{
    m_rows.clear();
    m_pending.clear();
    m_appending = false;
}

void MemDataset::append()
{
    m_pending.clear();
    m_appending = true;
}

void MemDataset::setField(const QString &field, const QString &text)
{
    if (!m_appending)
        throw std::logic_error("MemDataset::setField outside an appended row");
    if (!m_fields.isEmpty() && !m_fields.contains(field, Qt::CaseInsensitive))
        throw std::invalid_argument(("MemDataset has no field " + field).toStdString());
    m_pending.insert(field.toUpper(), text);
}

void MemDataset::post()
{
    if (!m_appending)
        return;
    m_rows.push_back({m_pending, false});
    m_pending.clear();
    m_appending = false;
}

void MemDataset::addPadding()
{
    m_pending.clear();
    m_appending = false;
    m_rows.push_back({{}, true});
}

bool MemDataset::isPadding(int row) const
{
    return row >= 0 && row < rowCount() && m_rows[size_t(row)].padding;
}

QString MemDataset::value(int row, const QString &field) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return m_rows[size_t(row)].values.value(field.toUpper());
}

ReportForm::ReportForm(QString n) : name(std::move(n)) {}

Band &ReportForm::addBand(BandKind kind, double height, const QString &dataset)
{
    Band b;
    b.kind = kind;
    b.height = height;
    b.dataset = dataset;
    m_bands.push_back(std::move(b));
    return m_bands.back();
}

Band &ReportForm::overlay()
{
    if (Band *b = band(BandKind::Overlay))
        return *b;
    return addBand(BandKind::Overlay, 0);
}

Band *ReportForm::band(BandKind kind)
{
    for (Band &b : m_bands)
        if (b.kind == kind)
            return &b;
    return nullptr;
}

const Band *ReportForm::band(BandKind kind) const
{
    for (const Band &b : m_bands)
        if (b.kind == kind)
            return &b;
    return nullptr;
}

Element *ReportForm::find(const QString &n)
{
    for (Band &b : m_bands)
        for (Element &e : b.elements)
            if (e.name == n)
                return &e;
    return nullptr;
}

const Element *ReportForm::find(const QString &n) const
{
    return const_cast<ReportForm *>(this)->find(n);
}

std::vector<Element *> ReportForm::elements()
{
    std::vector<Element *> out;
    for (Band &b : m_bands)
        for (Element &e : b.elements)
            out.push_back(&e);
    return out;
}

std::vector<const Element *> ReportForm::elements() const
{
    std::vector<const Element *> out;
    for (const Band &b : m_bands)
        for (const Element &e : b.elements)
            out.push_back(&e);
    return out;
}

bool ReportForm::setText(const QString &n, const QString &text)
{
    Element *e = find(n);
    if (!e)
        return false;
    e->text = text;
    return true;
}

QString ReportForm::text(const QString &n) const
{
    const Element *e = find(n);
    return e ? e->text : QString();
}

bool ReportForm::setVisible(const QString &n, bool visible)
{
    Element *e = find(n);
    if (!e)
        return false;
    e->visible = visible;
    return true;
}

bool ReportForm::setHeight(const QString &n, double mm)
{
    Element *e = find(n);
    if (!e)
        return false;
    e->rect.setHeight(mm);
    return true;
}

void ReportForm::setDataset(const QString &n, const MemDataset *dataset)
{
    if (dataset)
        m_datasets.insert(n, dataset);
    else
        m_datasets.remove(n);
}

} // namespace report
