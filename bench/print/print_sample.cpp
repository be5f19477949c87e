// print_sample FOLDER [PERSONS [COMMITTEE]] | FOLDER empty: writes applied.pdf
// and basic.pdf, the whole form of both families for a realistic record (or
// for a record with nothing filled in), with the preview's numbering.
#include "output/fill/printpages.h"
#include "output/layouts/pages.h"
#include "report/render.h"
#include "support/printsamples.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);
    const bool empty = argc > 2 && qstrcmp(argv[2], "empty") == 0;
    const int persons = argc > 2 && !empty ? atoi(argv[2]) : 8;
    const int committee = argc > 3 ? atoi(argv[3]) : 9;
    for (bool applied : {true, false}) {
        output::PrintPages pages([](const QString &instance) { return layouts::buildPage(QLatin1Char('T') + instance); });
        pages.setRecord(empty ? testsupport::emptyPrintRecord(applied)
                              : testsupport::richPrintRecord(applied, persons, committee, 4, 6));
        const auto docs = pages.wholeForm(applied ? output::Family::Applied : output::Family::Basic);
        std::vector<const report::Document *> ptrs;
        int overflow = 0;
        for (const auto &d : docs) {
            ptrs.push_back(&d);
            for (const auto &p : d.pages)
                for (const auto &e : p.elements)
                    if (e.overflow) {
                        ++overflow;
                        std::fprintf(stderr, "%s page %d: %s does not fit: %s\n", qPrintable(d.name), p.number,
                                     qPrintable(e.name), qPrintable(e.text.left(40)));
                    }
        }
        const QString path = folder + (applied ? QStringLiteral("/applied.pdf") : QStringLiteral("/basic.pdf"));
        QString error;
        if (!report::writePdf(ptrs, path, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        std::printf("%s: %d reports, %d elements that do not fit\n", qPrintable(path), int(docs.size()), overflow);
    }
    return 0;
}
