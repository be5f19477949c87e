#pragma once

// Where the printed form goes.  Two ways lead to the printer: the preview's
// "打印" asks for the printer in Qt's print dialog (shown through the
// platform's modal seam) and prints there; the direct prints of the print
// dialog go straight to the default printer without asking.  Tests install a
// sink that records the jobs.

#include "report/layout.h"

class QWidget;

namespace output {

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
    // laid-out report.  False when the printer could not be started (for the
    // default printer also when there is none).
    virtual bool print(const report::Document &doc, int fromPage, int toPage, Printer printer) = 0;
};

PrintSink &printSink();
// Installs a replacement (nullptr restores the printer).  Not owned.
void installPrintSink(PrintSink *sink);

} // namespace output
