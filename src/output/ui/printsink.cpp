#include "printsink.h"

#include "platform/core/seams.h"
#include "report/render.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

namespace output {
namespace {

class PrinterSink : public PrintSink {
public:
    bool choose(QWidget *parent) override
    {
        QPrintDialog dialog(&chosen(), parent);
        dialog.setObjectName(QStringLiteral("PrintDialog"));
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        return platform::showModal(&dialog) == QDialog::Accepted;
    }
    bool print(const report::Document &doc, int fromPage, int toPage, Printer which) override
    {
        if (which == Printer::Chosen) {
            chosen().setDocName(doc.name);
            return report::printDocument(chosen(), doc, fromPage, toPage);
        }
        // A printer of its own each job, on the default printer as the system
        // names it now; without one nothing is printed and the caller hears so
        // (a printer object without a printer would write a PDF nowhere).
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull())
            return false;
        QPrinter printer(info, QPrinter::HighResolution);
        if (printer.outputFormat() != QPrinter::NativeFormat || !printer.isValid())
            return false;
        printer.setDocName(doc.name);
        return report::printDocument(printer, doc, fromPage, toPage);
    }

private:
    // The printer picked in the print dialog, with the settings the person
    // left there, for the rest of the run.
    QPrinter &chosen()
    {
        if (!m_chosen)
            m_chosen = std::make_unique<QPrinter>(QPrinter::HighResolution);
        return *m_chosen;
    }
    std::unique_ptr<QPrinter> m_chosen;
};

PrinterSink g_printer;
PrintSink *g_sink = &g_printer;

} // namespace

PrintSink &printSink() { return *g_sink; }
void installPrintSink(PrintSink *sink) { g_sink = sink ? sink : &g_printer; }

} // namespace output
