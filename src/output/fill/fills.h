#pragma once

// The fills of the printed pages: each puts the record's values into its
// page's report form before the page is previewed or printed.  A fill empties
// or overwrites every label it owns, so nothing of an earlier record stays.
// Fills read the PrintRecord only; the list fills write the print dialog's
// in-memory lists, which the list pages' detail bands print.

#include "printrecord.h"
#include "report/report.h"

namespace output {

enum class Family { Applied, Basic }; // ITEM_CGLB "1", anything else

// The print dialog's in-memory lists, bound by name to the list pages.
struct PrintLists {
    PrintLists();
    report::MemDataset ClientDataSet1; // appraisal committee
    report::MemDataset ClientDataSet2; // completing persons
    report::MemDataset ClientDataSet3; // cooperating organisations
    void bind(report::ReportForm &form) const;
};

// Ticks ("√") the check-box labels of a stored value of a field.
void MarkCheckBoxes(report::ReportForm &form, const QString &field, const QString &storedValue);
// Empties the form's data labels (names holding "ITEM" or "patent" after their third character).
void ClearItemLabels(report::ReportForm &form);

// Characters `from` to `to` (1-based, inclusive) of a text; a range past the
// text's end gives what there is.
QString chars(const QString &text, int from, int to);

// Rows of the committee list for n members: the smallest 13 + 21k (applied
// technology) or 15 + 22k (the other family) not below n.
int committeeRows(int members, Family family);
// Above these counts the persons and committee lists are expected to run
// over more than one page.
int personsThreshold(Family family);    // 18, 17
int committeeThreshold(Family family);  // 13, 15

// Covers: research period and approval date.
void fillCover(report::ReportForm &form, const PrintRecord &rec);
// Applied technology.
void fillApplied03(report::ReportForm &form, const PrintRecord &rec);
void fillApplied05(report::ReportForm &form, const PrintRecord &rec);
void fillApplied07(report::ReportForm &form, const PrintRecord &rec, PrintLists &lists);
void fillApprovalDate(report::ReportForm &form, const PrintRecord &rec, const QString &dayLabel);
// Basic theory and soft science.
void fillBasic03(report::ReportForm &form, const PrintRecord &rec);
void fillBasic05(report::ReportForm &form, const PrintRecord &rec, PrintLists &lists);

// The lists.  Persons and committee choose the footer's numbering from the
// pages the list actually lays out: the running number (QRSysData1) when it
// runs over more than one page, the page's own label (QRpage) otherwise.
// Persons and organisations with rows give the row frames (QRShape11..19;
// QRShape41..46 applied, QRShape48..53 the other family) their fixed height.
void fillPersons(report::ReportForm &form, const PrintRecord &rec, PrintLists &lists, Family family);
void fillCommittee(report::ReportForm &form, const PrintRecord &rec, PrintLists &lists, Family family);
void fillOrganisations(report::ReportForm &form, const PrintRecord &rec, PrintLists &lists, Family family);

} // namespace output
