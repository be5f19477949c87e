#pragma once

// The page layouts of the printed registration form, built in code: one
// builder per printed page, twin pages of the two families sharing one
// builder.  A built form carries every element its fill sets, named as the
// fills name them: fill labels, the QL_ check boxes of the vocabulary, the
// page-number labels QRPage, QRPage1, QRpage and the field QRSysData1.

#include "output/pages/vocabulary.h"
#include "report/report.h"

#include <QString>

#include <functional>
#include <vector>

namespace layouts {

// The in-memory list datasets the list pages print.
inline const QString kCommitteeRows = QStringLiteral("ClientDataSet1");
inline const QString kPersonRows = QStringLiteral("ClientDataSet2");
inline const QString kOrganisationRows = QStringLiteral("ClientDataSet3");

struct PageInfo {
    QString className;   // Tyyfm1, TyyPrint03 ...
    QString instance;    // yyfm1, yyPrint03 ... (the form's name)
    QString number;      // the printed number, empty on the covers
    std::function<report::ReportForm()> build;
};

// Every page of a family, in printed order.
const std::vector<PageInfo> &formPages(FormFamily family);
// Builds the page of that class (Tyyfm1 ... TrjPrint11); throws
// std::out_of_range for an unknown class.
report::ReportForm buildPage(const QString &className);

// Builders.  Twins take the family.
report::ReportForm buildCover(FormFamily family);            // Tyyfm1, Trjfm1
report::ReportForm buildCoverNotes(FormFamily family);       // Tyyfm2, Trjfm2
report::ReportForm buildInstructions(FormFamily family);     // TyyPrint01, TrjPrint01
report::ReportForm buildFillingNotes(FormFamily family);     // TyyPrint02, TrjPrint02
report::ReportForm buildSummaryTable(FormFamily family);     // TyyPrint03, TrjPrint03
report::ReportForm buildEvaluationNotes();                   // TyyPrint04
report::ReportForm buildEvaluationTable();                   // TyyPrint05
report::ReportForm buildOrganisationNotes(FormFamily family); // TyyPrint06, TrjPrint04
report::ReportForm buildOrganisations(FormFamily family);    // TyyPrint07, TrjPrint05
report::ReportForm buildApproval(FormFamily family);         // TyyPrint08, TrjPrint06
report::ReportForm buildAbstract(FormFamily family);         // TyyPrint09, TrjPrint07
report::ReportForm buildPersons(FormFamily family);          // TyyPrint10, TrjPrint08
report::ReportForm buildCommittee(FormFamily family);        // TyyPrint11, TrjPrint09
report::ReportForm buildDomainsAnnex();                      // TyyPrint12
report::ReportForm buildPlanCodesAnnex();                    // TyyPrint14
report::ReportForm buildGoalsAnnex();                        // TrjPrint10
report::ReportForm buildIndustriesAnnex();                   // TrjPrint11

// Wrap widths of the long list cells, in GBK bytes.
struct WrapWidths {
    int organisationName, organisationAddress, employer, contribution;
};
WrapWidths wrapWidths(FormFamily family);

} // namespace layouts
