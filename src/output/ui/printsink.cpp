#include "printsink.h"

#include "platform/core/seams.h"
#include "platform/core/tempfolders.h"
#include "printqueue.h"
#include "report/render.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>

#include <memory>

namespace output {
namespace {

int pagesIn(const report::Document &doc, int fromPage, int toPage)
{
    return std::max(0, std::min(toPage, doc.pageCount()) - std::max(fromPage, 1) + 1);
}

// Takes a queue's state into the result: false (with the reason) when it
// would not take the job; a paused queue takes it with a note.
bool takesJobs(const printqueue::Printer &queue, const QString &missing, PrintResult &r)
{
    if (queue.name.isEmpty()) {
        r.reason = missing;
        return false;
    }
    r.printer = queue.name;
    if (!queue.refusal.isEmpty()) {
        r.reason = queue.refusal;
        return false;
    }
    if (queue.paused)
        r.reason = QStringLiteral("打印机已暂停，任务在队列中等候");
    return true;
}

class PrinterSink : public PrintSink {
public:
    bool choose(QWidget *parent) override
    {
        QPrintDialog dialog(&chosen(), parent);
        dialog.setObjectName(QStringLiteral("PrintDialog"));
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        return platform::showModal(&dialog) == QDialog::Accepted;
    }

    PrintResult print(const report::Document &doc, int fromPage, int toPage, Printer which) override
    {
        return which == Printer::Chosen ? printChosen(doc, fromPage, toPage) : printDefault(doc, fromPage, toPage);
    }

private:
    PrintResult printChosen(const report::Document &doc, int fromPage, int toPage)
    {
        QPrinter &printer = chosen();
        PrintResult r;
        r.pages = pagesIn(doc, fromPage, toPage);
        if (printer.outputFormat() == QPrinter::PdfFormat) {
            r.printer = printer.outputFileName();
        } else {
            // Qt prints to a queue without learning whether it took the job:
            // a queue that refuses jobs is asked first.
            r.printer = printer.printerName();
            if (!takesJobs(printqueue::printer(printer.printerName()), QStringLiteral("打印系统中没有这台打印机"), r))
                return r;
        }
        printer.setDocName(doc.name);
        r.ok = report::printDocument(printer, doc, fromPage, toPage);
        if (!r.ok)
            r.reason = QStringLiteral("打印机无法启动");
        return r;
    }

    // The default printer as the system names it now, a PDF of the pages
    // handed to its queue; without one nothing is printed and the caller
    // hears why.
    static PrintResult printDefault(const report::Document &doc, int fromPage, int toPage)
    {
        PrintResult r;
        if (!takesJobs(printqueue::defaultPrinter(), QStringLiteral("系统没有设置默认打印机"), r))
            return r;
        const QString note = r.reason;
        QTemporaryDir dir(platform::workFolderTemplate(QStringLiteral("print")));
        const QString file = dir.filePath(QStringLiteral("job.pdf"));
        QString error;
        if (!dir.isValid() || !report::writePdf(doc, fromPage, toPage, file, &error)) {
            r.reason = error.isEmpty() ? QStringLiteral("无法在临时文件夹中写出打印文件") : error;
            return r;
        }
        r.job = printqueue::submitPdf(r.printer, file, doc.name, &r.reason);
        r.ok = r.job > 0;
        if (r.ok) {
            r.pages = pagesIn(doc, fromPage, toPage);
            r.reason = note;
        }
        return r;
    }

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

QString refusalMessage(const PrintResult &result)
{
    if (result.printer.isEmpty())
        return QStringLiteral("无法直接打印：%1。\n请在系统中设置默认打印机，或用“自定义打印”预览后选择打印机。").arg(result.reason);
    return QStringLiteral("打印机“%1”没有接受打印任务：%2。").arg(result.printer, result.reason);
}

} // namespace output
