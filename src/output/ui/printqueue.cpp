#include "printqueue.h"

#include <QFile>

#include <cups/cups.h>

namespace output::printqueue {
namespace {

QString option(const cups_dest_t *dest, const char *name)
{
    const char *v = cupsGetOption(name, dest->num_options, dest->options);
    return v ? QString::fromUtf8(v) : QString();
}

// The print system's refusal in words the person can act on.
QString reasonOf(ipp_status_t status)
{
    switch (status) {
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
        return QStringLiteral("打印机不接受新的打印任务");
    case IPP_STATUS_ERROR_NOT_FOUND:
        return QStringLiteral("打印系统中没有这台打印机");
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
        return QStringLiteral("没有在这台打印机上打印的权限");
    case IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED:
        return QStringLiteral("打印机不接受 PDF 文档");
    case IPP_STATUS_ERROR_BUSY:
    case IPP_STATUS_ERROR_TOO_MANY_JOBS:
        return QStringLiteral("打印机正忙，暂时不能接受任务");
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
        return QStringLiteral("无法连接系统的打印服务");
    default:
        return QStringLiteral("打印服务拒绝了这个任务（状态码 0x%1）").arg(int(status), 4, 16, QLatin1Char('0'));
    }
}

Printer describe(cups_dest_t *dest)
{
    Printer p;
    if (!dest)
        return p;
    p.name = QString::fromUtf8(dest->name);
    if (option(dest, "printer-is-accepting-jobs") == QLatin1String("false"))
        p.refusal = reasonOf(IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS);
    p.paused = option(dest, "printer-state") == QLatin1String("5");
    cupsFreeDests(1, dest);
    return p;
}

} // namespace

Printer defaultPrinter()
{
    return describe(cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr));
}

Printer printer(const QString &name)
{
    return describe(cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.toUtf8().constData(), nullptr));
}

int submitPdf(const QString &printer, const QString &file, const QString &title, QString *refusal)
{
    cups_option_t *options = nullptr;
    int count = cupsAddOption("document-format", "application/pdf", 0, &options);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), QFile::encodeName(file).constData(),
                                   title.toUtf8().constData(), count, options);
    cupsFreeOptions(count, options);
    if (job == 0 && refusal)
        *refusal = reasonOf(cupsLastError());
    return job;
}

} // namespace output::printqueue
