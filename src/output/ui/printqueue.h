#pragma once

// The system's print queues, asked directly: whether a printer takes jobs
// and why not, and a PDF file handed to a printer as one job.  (Qt's own
// printing reports success whether or not the queue took the job.)

#include <QString>

namespace output::printqueue {

struct Printer {
    QString name;     // empty: no such printer (or no default printer)
    QString refusal;  // why it would not take a job, empty when it would
    bool paused = false; // takes jobs but holds them until it is resumed
};

// The default printer as the print system names it now.
Printer defaultPrinter();
// A printer by name.
Printer printer(const QString &name);

// Hands a PDF file to a printer as one job titled `title`.  The job's
// number, or 0 with the reason (in the program's language) in `refusal`.
int submitPdf(const QString &printer, const QString &file, const QString &title, QString *refusal);

} // namespace output::printqueue
