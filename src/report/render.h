#pragma once

// Drawing laid-out pages with QPainter: onto any paint device (the preview's
// images, a printer, a PDF writer).  Fonts follow the device's resolution,
// so the same page model draws alike at every size.

#include "layout.h"

#include <QImage>
#include <QString>

#include <vector>

class QPainter;
class QPrinter;

namespace report {

// Draws one page at the painter's origin, the paper's corner at (0, 0); one
// millimetre is the device's logical dots per inch / 25.4.
void paintPage(QPainter &painter, const Page &page);

// One page as a white image of `dpi` dots per inch.
QImage renderImage(const Document &doc, int pageIndex, double dpi = 96);

// Several documents one after the other into one PDF file (fonts embedded).
// False with a message in `error` when the file cannot be written.
bool writePdf(const std::vector<const Document *> &docs, const QString &path, QString *error = nullptr);
inline bool writePdf(const Document &doc, const QString &path, QString *error = nullptr)
{
    return writePdf(std::vector<const Document *>{&doc}, path, error);
}
// Pages `fromPage` to `toPage` (1-based, inclusive) of one document.
bool writePdf(const Document &doc, int fromPage, int toPage, const QString &path, QString *error = nullptr);

// Prints pages `fromPage` to `toPage` (1-based, inclusive; 0 for the first or
// the last) of a document as one job.  The pages keep the running numbers of
// the whole report.  False when the printer cannot be started.
bool printDocument(QPrinter &printer, const Document &doc, int fromPage = 0, int toPage = 0);

} // namespace report
