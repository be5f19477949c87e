#pragma once

#include "output/ui/printsink.h"

#include <QString>
#include <QStringList>
#include <vector>

// Stands in for the printer: records every job with the texts of its pages.
struct RecordingSink : output::PrintSink {
    struct Job {
        QString report;
        int from = 0, to = 0;
        output::PrintSink::Printer printer = output::PrintSink::Printer::Default;
        QStringList pageTexts; // per printed page: the texts of its page-number elements
    };
    std::vector<Job> jobs;
    int chooses = 0;
    bool accept = true;
    bool failing = false;

    RecordingSink() { output::installPrintSink(this); }
    ~RecordingSink() override { output::installPrintSink(nullptr); }

    bool choose(QWidget *) override
    {
        ++chooses;
        return accept;
    }
    bool print(const report::Document &doc, int from, int to, Printer printer) override
    {
        if (failing)
            return false;
        Job j{doc.name, from, to, printer, {}};
        for (int p = from; p <= to; ++p) {
            QStringList texts;
            for (const report::PlacedElement &e : doc.pages[size_t(p - 1)].elements)
                if (e.name.startsWith(QLatin1String("QRPage"), Qt::CaseInsensitive) || e.name == QLatin1String("QRSysData1"))
                    texts << e.text;
            j.pageTexts << texts.join(QLatin1Char('|'));
        }
        jobs.push_back(j);
        return true;
    }
    QStringList reports() const
    {
        QStringList out;
        for (const Job &j : jobs)
            out << j.report + QStringLiteral("[%1-%2]").arg(j.from).arg(j.to);
        return out;
    }
};
