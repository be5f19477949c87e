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
    bool failing = false;   // the printer refuses every job
    QString printer = QStringLiteral("测试打印机");

    RecordingSink() { output::installPrintSink(this); }
    ~RecordingSink() override { output::installPrintSink(nullptr); }

    bool choose(QWidget *) override
    {
        ++chooses;
        return accept;
    }
    output::PrintResult print(const report::Document &doc, int from, int to, Printer which) override
    {
        output::PrintResult r;
        r.printer = printer;
        if (failing) {
            r.reason = QStringLiteral("打印机不接受新的打印任务");
            return r;
        }
        Job j{doc.name, from, to, which, {}};
        for (int p = from; p <= to; ++p) {
            QStringList texts;
            for (const report::PlacedElement &e : doc.pages[size_t(p - 1)].elements)
                if (e.name.startsWith(QLatin1String("QRPage"), Qt::CaseInsensitive) || e.name == QLatin1String("QRSysData1"))
                    texts << e.text;
            j.pageTexts << texts.join(QLatin1Char('|'));
        }
        jobs.push_back(j);
        r.ok = true;
        r.pages = to - from + 1;
        r.job = int(jobs.size());
        return r;
    }
    QStringList reports() const
    {
        QStringList out;
        for (const Job &j : jobs)
            out << j.report + QStringLiteral("[%1-%2]").arg(j.from).arg(j.to);
        return out;
    }
};
