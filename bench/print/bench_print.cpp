// Fills, lays out and renders the whole applied-technology form of a record
// with 40 completing persons and 25 committee members, and of the record
// filled to every field's width, and renders the same number of empty pages
// in the same run as the baseline.
//
//   bench_print [--repeats N] [--out FOLDER]
#include "output/fill/printpages.h"
#include "output/layouts/pages.h"
#include "report/render.h"
#include "support/printsamples.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeMs(const std::function<void()> &fn)
{
    QElapsedTimer t;
    t.start();
    fn();
    return double(t.nsecsElapsed()) / 1e6;
}

report::ReportForm build(const QString &instance)
{
    return layouts::buildPage(QLatin1Char('T') + instance);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int repeats = 5;
    QString out;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (qstrcmp(argv[i], "--repeats") == 0)
            repeats = std::max(1, atoi(argv[i + 1]));
        else if (qstrcmp(argv[i], "--out") == 0)
            out = QString::fromLocal8Bit(argv[i + 1]);
    }
    QTemporaryDir tmp;
    const QString folder = out.isEmpty() ? tmp.path() : out;
    QDir().mkpath(folder);

    auto measure = [&](const char *what, const output::PrintRecord &record) {
        std::vector<double> fillMs, pdfMs, pngMs, emptyPdfMs, emptyPngMs;
        int pages = 0;
        for (int r = 0; r < repeats + 1; ++r) { // the first run warms fonts and caches
            output::PrintPages printPages(build);
            printPages.setRecord(record);
            std::vector<report::Document> docs;
            const double fill = timeMs([&] { docs = printPages.wholeForm(output::Family::Applied); });
            std::vector<const report::Document *> ptrs;
            pages = 0;
            for (const auto &d : docs) {
                ptrs.push_back(&d);
                pages += d.pageCount();
            }
            const double pdf = timeMs([&] { report::writePdf(ptrs, folder + QStringLiteral("/form.pdf")); });
            const double png = timeMs([&] {
                for (const auto &d : docs)
                    for (int p = 0; p < d.pageCount(); ++p)
                        report::renderImage(d, p, 96);
            });
            // The baseline: as many empty A4 pages through the same writers.
            report::Document empty;
            empty.pages.resize(size_t(pages));
            const double emptyPdf = timeMs([&] { report::writePdf(empty, folder + QStringLiteral("/empty.pdf")); });
            const double emptyPng = timeMs([&] {
                for (int p = 0; p < pages; ++p)
                    report::renderImage(empty, p, 96);
            });
            if (r == 0)
                continue;
            fillMs.push_back(fill);
            pdfMs.push_back(pdf);
            pngMs.push_back(png);
            emptyPdfMs.push_back(emptyPdf);
            emptyPngMs.push_back(emptyPng);
        }
        std::printf("applied-technology form, %s: %d pages; median of %d runs\n", what, pages, repeats);
        std::printf("| step | form | %d empty pages | ratio |\n|---|---|---|---|\n", pages);
        std::printf("| fill + lay out every page | %.1f ms | - | - |\n", median(fillMs));
        std::printf("| render to one PDF | %.1f ms | %.1f ms | %.1f |\n", median(pdfMs), median(emptyPdfMs),
                    median(pdfMs) / median(emptyPdfMs));
        std::printf("| render to 96 dpi images | %.1f ms | %.1f ms | %.1f |\n", median(pngMs), median(emptyPngMs),
                    median(pngMs) / median(emptyPngMs));
        std::printf("| fill + lay out + PDF | %.1f ms | %.1f ms | %.1f |\n", median(fillMs) + median(pdfMs),
                    median(emptyPdfMs), (median(fillMs) + median(pdfMs)) / median(emptyPdfMs));
    };
    measure("40 persons, 25 committee members", testsupport::richPrintRecord(true, 40, 25, 8, 12));
    measure("every field filled to its width", testsupport::fullWidthPrintRecord(true));
    return 0;
}
