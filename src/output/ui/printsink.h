#pragma once

// Where the printed form goes.  Two ways lead to the printer: the preview's
// "打印" asks for the printer in Qt's print dialog (shown through the
// platform's modal seam) and prints there; the direct prints of the print
// dialog go straight to the default printer without asking, handed to the
// system's print queue as PDF jobs.  Tests install a sink that records the
// jobs.

#include "report/layout.h"

#include <QString>

class QWidget;

namespace output {

// What became of one print job.
struct PrintResult {
    bool ok = false;
    QString printer;  // where it went: the printer's name, or the file printed to
    int pages = 0;
    int job = 0;      // the print queue's number for it, 0 when there is none
    QString reason;   // refused: why; taken: empty, or what holds it up
};

class PrintSink {
public:
    enum class Printer {
        Chosen,  // the printer picked in the last choose()
        Default, // the system's default printer, no dialog
    };

    virtual ~PrintSink() = default;
    // Asks where to print; false when the person cancels.
    virtual bool choose(QWidget *parent) = 0;
    // One print job: pages `fromPage` to `toPage` (1-based, inclusive) of a
    // laid-out report.
    virtual PrintResult print(const report::Document &doc, int fromPage, int toPage, Printer printer) = 0;
};

PrintSink &printSink();
// Installs a replacement (nullptr restores the printer).  Not owned.
void installPrintSink(PrintSink *sink);

// The message for a job the printer did not take, naming the printer and why.
QString refusalMessage(const PrintResult &result);

} // namespace output
