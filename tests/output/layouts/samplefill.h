#pragma once

// A realistic record put straight into built pages, standing in for the page
// fills: every fill label gets a text of its kind, every box of the stored
// codes its tick, the lists their rows.

#include "report/report.h"

#include <memory>

namespace samples {

report::Record richRecord();
// Fills the fill labels a page holds with texts of their kind and ticks the
// boxes of the record's stored codes, or every box.
void fillLabels(report::ReportForm &form, bool everyBox = true);
// List rows: persons, committee members, cooperating organisations.
std::unique_ptr<report::MemDataset> persons(int n, bool longTexts = true);
std::unique_ptr<report::MemDataset> committee(int n);
std::unique_ptr<report::MemDataset> organisations(int n);

} // namespace samples
