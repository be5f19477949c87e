#pragma once

// The record as the printed form shows it, read once from the data module
// before any page is filled: every field of the current record as text, its
// sub-table rows, and the names its codes stand for.  The page fills work on
// this copy alone; no dataset is open or moved while pages are laid out.

#include "report/report.h"

#include <QString>

#include <vector>

class TDM;

namespace output {

struct PrintRecord {
    report::Record record;                      // the current row of Qrykjcg
    std::vector<report::Record> organisations;  // cooperating organisations, by ITEM_176
    std::vector<report::Record> persons;        // completing persons, by ITEM_187
    std::vector<report::Record> committee;      // appraisal committee, by role rank ITEM_194
    std::vector<report::Record> patents;        // the record's patents, in table order

    QString subject1, subject2;  // subject names of ITEM_15, ITEM_15_1
    QString library1, library2;  // ITEM_12, ITEM_12_1 when the library table names them, else empty
    QString province;            // province name of ITEM_64
    QString department;          // supervising department's name of ITEM_63
    QString investment, profit;  // dictionary texts of ITEM_46, ITEM_47
    // A classification table that could not be opened: the engine's message,
    // raised again by a page that looks codes up in it.  The subject table
    // names the subjects of both families; the library table only the
    // applied-technology page, the other family prints library codes as
    // stored.
    QString subjectError;
    QString libraryError;

    QString value(const QString &field) const { return record.value(field); }
    // ITEM_CGLB "1": the applied-technology form; anything else the other one.
    bool applied() const { return record.value(QStringLiteral("ITEM_CGLB")) == QLatin1String("1"); }
};

// A text as an exact literal of a filter or statement (quotes doubled; a
// trailing '*' is text, not a prefix match).
QString quotedLiteral(const QString &text);

// Reads the current record of dm.Qrykjcg with the sub-table rows the print
// command opened (persons dm.QryCgwcr, organisations dm.QryCgwcdw), the
// committee ordered by role rank, the patents and the code names.  Code-table
// lookups leave their tables filtered on their last condition.
PrintRecord readPrintRecord(TDM &dm);

} // namespace output
