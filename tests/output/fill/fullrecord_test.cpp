// The record filled to every field's width, printed in both families: every
// value comes out whole, inside its cell, and no list sheet carries only its
// head and notes.
//
// How the tests know that nothing is drawn outside its cell: the page model
// gives every value's cell (its rectangle in mm) and the lines it prints; the
// PDF is read back with `pdftotext -bbox`, which gives every word drawn with
// its box.  Each value's cell must hold words that, read in order, make up
// its whole text, and every one of those words must lie inside the cell.
#include "output/fill/printpages.h"
#include "output/layouts/pages.h"
#include "report/render.h"
#include "support/printsamples.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

using output::Family;

namespace {

constexpr double kPt = 72.0 / 25.4; // points per mm

report::ReportForm build(const QString &instance)
{
    return layouts::buildPage(QLatin1Char('T') + instance);
}

std::vector<report::Document> wholeForm(Family fam)
{
    output::PrintPages pages(build);
    pages.setRecord(testsupport::fullWidthPrintRecord(fam == Family::Applied));
    return pages.wholeForm(fam);
}

// A value of the record: text bound to a field, or a fill label.
bool isValue(const report::PlacedElement &e)
{
    return !e.text.trimmed().isEmpty() && (!e.field.isEmpty() || !e.caption.isEmpty());
}

QString squeezed(QString t)
{
    t.remove(QRegularExpression(QStringLiteral("\\s")));
    return t;
}

struct Word {
    QRectF box; // pt
    QString text;
};

// Every word of every page of a PDF with its box, as pdftotext reads them.
std::vector<std::vector<Word>> pdfWords(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(120000));
    const QString xml = QString::fromUtf8(p.readAllStandardOutput());
    std::vector<std::vector<Word>> pages;
    static const QRegularExpression tag(QStringLiteral(
        "<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    auto it = tag.globalMatch(xml);
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            pages.emplace_back();
            continue;
        }
        QString t = m.captured(5);
        t.replace(QStringLiteral("&lt;"), QStringLiteral("<")).replace(QStringLiteral("&gt;"), QStringLiteral(">"));
        t.replace(QStringLiteral("&quot;"), QStringLiteral("\"")).replace(QStringLiteral("&apos;"), QStringLiteral("'"));
        t.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        const QRectF box(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                         QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
        if (!pages.empty())
            pages.back().push_back({box, t});
    }
    return pages;
}

class FullRecord : public ::testing::TestWithParam<Family> {};

} // namespace

// The page model: nothing cut, nothing outside the printable area, every
// list row printed once, no list sheet without rows.
TEST_P(FullRecord, PageModelHoldsEveryValueWhole)
{
    const Family fam = GetParam();
    const bool applied = fam == Family::Applied;
    const output::PrintRecord rec = testsupport::fullWidthPrintRecord(applied);
    int persons = 0, members = 0, organisations = 0, patentNames = 0;
    for (const report::Document &d : wholeForm(fam)) {
        EXPECT_TRUE(report::cuts(d).empty()) << qPrintable(d.name) << " cuts " << qPrintable(report::cuts(d)[0].caption);
        const bool personsList = d.name.endsWith(QLatin1String(applied ? "Print10" : "Print08"));
        const bool list = personsList || d.name.endsWith(QLatin1String(applied ? "Print11" : "Print09"));
        const bool organisationsPage = d.name.endsWith(QLatin1String(applied ? "Print07" : "Print05"));
        for (const report::Page &p : d.pages) {
            int rowsWithData = 0;
            for (const report::PlacedElement &e : p.elements) {
                EXPECT_FALSE(e.overflow) << qPrintable(d.name) << " page " << p.number << ": " << qPrintable(e.name);
                const QRectF r = e.rect.normalized();
                EXPECT_TRUE(r.left() >= 9.99 && r.right() <= 200.01 && r.top() >= 9.99 && r.bottom() <= 287.01)
                    << qPrintable(d.name) << " page " << p.number << ": " << qPrintable(e.name) << " at " << r.top()
                    << " to " << r.bottom();
                if (e.name == QLatin1String("QRDBText2") && !e.text.isEmpty())
                    ++rowsWithData;
                // A number or Latin word goes on to the next line only when
                // it is wider than its cell.
                for (int i = 1; i < e.lines.size(); ++i) {
                    static const QRegularExpression tail(QStringLiteral("[A-Za-z0-9.,/@:_-]+$")), head(QStringLiteral("^[A-Za-z0-9.,/@:_-]+"));
                    const QString before = tail.match(e.lines[i - 1]).captured(), after = head.match(e.lines[i]).captured();
                    if (before.isEmpty() || after.isEmpty())
                        continue;
                    EXPECT_GT(report::textWidth(before + after, e.font), e.rect.width() - 2 * report::kTextPadding)
                        << qPrintable(d.name) << ": " << qPrintable(e.name) << " splits \"" << qPrintable(before + after) << "\"";
                }
            }
            if (list) {
                EXPECT_GE(rowsWithData, 1) << qPrintable(d.name) << " page " << p.number << " has only its head and notes";
                (personsList ? persons : members) += rowsWithData;
            }
            if (organisationsPage)
                for (const auto *e : p.findAll(applied ? QStringLiteral("QRDBText15") : QStringLiteral("QRDBText2")))
                    organisations += !e->text.isEmpty();
            for (int i = 1; i <= 6; ++i)
                for (const QString &prefix : {QStringLiteral("QL_zlqk_zlm_"), QStringLiteral("QLL_zlqk_zlm_")})
                    patentNames += !p.text(prefix + QString::number(i)).isEmpty();
        }
    }
    EXPECT_EQ(persons, 40);
    EXPECT_EQ(members, 25);
    EXPECT_EQ(organisations, 8); // the first eight of ten print
    EXPECT_EQ(patentNames, applied ? 12 : 0);
    EXPECT_EQ(rec.persons.size(), 40u);
}

// The PDF: every value's words lie inside its cell and read back as its text.
TEST_P(FullRecord, PdfHoldsEveryValueWholeInsideItsCell)
{
    const Family fam = GetParam();
    const std::vector<report::Document> docs = wholeForm(fam);
    std::vector<const report::Document *> ptrs;
    std::vector<std::pair<const report::Document *, const report::Page *>> pages;
    for (const report::Document &d : docs) {
        ptrs.push_back(&d);
        for (const report::Page &p : d.pages)
            pages.emplace_back(&d, &p);
    }
    QTemporaryDir dir;
    const QString folder = qEnvironmentVariableIsSet("SORVEL_RENDER_DIR") ? qEnvironmentVariable("SORVEL_RENDER_DIR") : dir.path();
    const QString pdf = folder + (fam == Family::Applied ? QStringLiteral("/full-applied.pdf") : QStringLiteral("/full-basic.pdf"));
    QString error;
    ASSERT_TRUE(report::writePdf(ptrs, pdf, &error)) << qPrintable(error);
    const auto words = pdfWords(pdf);
    ASSERT_EQ(words.size(), pages.size());

    int values = 0;
    for (size_t i = 0; i < pages.size(); ++i) {
        const auto [doc, page] = pages[i];
        for (const report::PlacedElement &e : page->elements) {
            if (!isValue(e))
                continue;
            ++values;
            const QRectF cell(e.rect.left() * kPt, e.rect.top() * kPt, e.rect.width() * kPt, e.rect.height() * kPt);
            std::vector<Word> inside;
            for (const Word &w : words[i])
                if (cell.contains(w.box.center()))
                    inside.push_back(w);
            // Reading order: line by line, left to right.
            std::sort(inside.begin(), inside.end(), [](const Word &a, const Word &b) {
                if (std::abs(a.box.center().y() - b.box.center().y()) > 2)
                    return a.box.center().y() < b.box.center().y();
                return a.box.left() < b.box.left();
            });
            QString read;
            for (const Word &w : inside) {
                read += w.text;
                const double slack = 0.3 * kPt;
                EXPECT_TRUE(w.box.left() >= cell.left() - slack && w.box.right() <= cell.right() + slack)
                    << qPrintable(doc->name) << " page " << page->number << ": \"" << qPrintable(w.text) << "\" of "
                    << qPrintable(e.name) << " reaches past its cell's side";
            }
            EXPECT_EQ(squeezed(read), squeezed(e.text))
                << qPrintable(doc->name) << " page " << page->number << ": " << qPrintable(e.name);
        }
    }
    EXPECT_GT(values, 300);

    // Every face is embedded: Song, Hei and Kai as the layouts name them.
    QProcess fonts;
    fonts.start(QStringLiteral("pdffonts"), {pdf});
    ASSERT_TRUE(fonts.waitForFinished(60000));
    const QStringList rows = QString::fromUtf8(fonts.readAllStandardOutput()).split(QLatin1Char('\n')).mid(2);
    QStringList names;
    for (const QString &row : rows) {
        const QStringList cols = row.simplified().split(QLatin1Char(' '));
        if (cols.size() < 5)
            continue;
        names << cols.first();
        EXPECT_TRUE(cols.contains(QStringLiteral("yes"))) << qPrintable(row);
    }
    const QString all = names.join(QLatin1Char(' '));
    EXPECT_TRUE(all.contains(QStringLiteral("UMing"))) << qPrintable(all);
    EXPECT_TRUE(all.contains(QStringLiteral("UKai"))) << qPrintable(all);
    EXPECT_TRUE(all.contains(QStringLiteral("WenQuanYi"))) << qPrintable(all);
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, FullRecord, ::testing::Values(Family::Applied, Family::Basic),
                         [](const auto &family) { return family.param == Family::Applied ? "Applied" : "Basic"; });
