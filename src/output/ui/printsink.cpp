#include "printsink.h"

#include "platform/core/seams.h"
#include "report/render.h"

#include <QPrintDialog>
#include <QPrinter>

namespace output {
namespace {

// The printer and its settings live for the whole run, as the person left them.
class PrinterSink : public PrintSink {
public:
    bool choose(QWidget *parent) override
    {
        QPrintDialog dialog(&printer(), parent);
        dialog.setObjectName(QStringLiteral("PrintDialog"));
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        return platform::showModal(&dialog) == QDialog::Accepted;
    }
    bool print(const report::Document &doc, int fromPage, int toPage) override
    {
        printer().setDocName(doc.name);
        return report::printDocument(printer(), doc, fromPage, toPage);
    }

private:
    QPrinter &printer()
    {
        if (!m_printer)
            m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        return *m_printer;
    }
    std::unique_ptr<QPrinter> m_printer;
};

PrinterSink g_printer;
PrintSink *g_sink = &g_printer;

} // namespace

PrintSink &printSink() { return *g_sink; }
void installPrintSink(PrintSink *sink) { g_sink = sink ? sink : &g_printer; }

} // namespace output
