#pragma once

// Where the printed form goes.  The program asks once per print command for
// the printer in Qt's print dialog (shown through the platform's modal seam)
// and then sends each print job to it; tests install a sink that records the
// jobs and writes them as PDF files.

#include "report/layout.h"

class QWidget;

namespace output {

class PrintSink {
public:
    virtual ~PrintSink() = default;
    // Asks where to print; false when the person cancels.
    virtual bool choose(QWidget *parent) = 0;
    // One print job: pages `fromPage` to `toPage` (1-based, inclusive) of a
    // laid-out report.  False when the printer could not be started.
    virtual bool print(const report::Document &doc, int fromPage, int toPage) = 0;
};

PrintSink &printSink();
// Installs a replacement (nullptr restores the printer).  Not owned.
void installPrintSink(PrintSink *sink);

} // namespace output
