#pragma once

// The pages of the printed form in both families, their report forms (built
// on first use and kept for the run), their fills and their numbering.  The
// print dialog asks it for a page laid out for preview or for direct
// printing; the page-number labels are set on every request, so a page
// previewed as "3" prints directly as "1" and the reverse.

#include "fills.h"
#include "report/layout.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace output {

struct PageEntry {
    QString label;         // the page as the form names it: "封面1", "封面2", "1" ... "13"
    QString formName;      // the report form's instance: "yyfm1", "yyPrint03", "rjPrint08" ...
    QString previewButton; // the print dialog's buttons
    QString directButton;  // empty: never printed directly
    QString directCaption;
    int previewNumber = 0; // 0: the page keeps the number of its layout
    int directNumber = 0;  // 0: printed unnumbered (covers) or not at all
    QString numberLabel;   // "QRPage", "QRPage1"; list pages "QRpage" with "QRSysData1"
    bool list = false;     // persons or committee: one print job per page
};

class PrintPages {
public:
    using Builder = std::function<report::ReportForm(const QString &formName)>;

    // `builder` makes a page's report form from its instance name.
    explicit PrintPages(Builder builder);

    static const std::vector<PageEntry> &pages(Family family);
    // Indices (into pages()) printed by "全文打印", in order.
    static std::vector<int> wholePrintOrder(Family family);
    static int indexOf(Family family, const QString &label);
    // The page as the form names it ("9", "封面1") for a report form's
    // instance name, of either family; empty for none.
    static QString labelOf(const QString &formName);

    void setRecord(PrintRecord record);
    const PrintRecord &record() const { return m_record; }
    Family family() const { return m_record.applied() ? Family::Applied : Family::Basic; }

    // Runs the page's fill on its kept report form (built on first use).
    report::ReportForm &fill(Family family, int index);
    // Fill, numbering for preview (the page's place in the whole form) or for
    // direct printing (its place among the pages that carry data), layout.
    report::Document preview(Family family, int index);
    report::Document direct(Family family, int index);
    // Every page of the family laid out for preview, in order.
    std::vector<report::Document> wholeForm(Family family);

    bool created(const QString &formName) const { return m_forms.contains(formName); }
    PrintLists &lists() { return m_lists; }

private:
    report::ReportForm &form(const QString &formName);
    void number(report::ReportForm &form, const PageEntry &entry, int number);

    Builder m_builder;
    PrintRecord m_record;
    PrintLists m_lists;
    QHash<QString, std::shared_ptr<report::ReportForm>> m_forms;
};

} // namespace output
