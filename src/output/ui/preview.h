#pragma once

#include "report/layout.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QScrollArea;

namespace output {

// The preview of one printed page's report: its laid-out pages one at a
// time, moving between them, printing the report, saving the whole form as
// a PDF file.
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    // Gives the whole form, each page's report laid out with the numbering
    // of the preview, for "保存PDF".
    using WholeForm = std::function<std::vector<report::Document>()>;

    explicit ReportPreview(QWidget *parent = nullptr);

    void setDocument(report::Document doc, WholeForm wholeForm = {});
    // The file name "保存PDF" proposes (in the person's home folder).
    void setSuggestedFileName(const QString &name) { m_suggested = name; }
    const report::Document &document() const { return m_doc; }
    int currentPage() const { return m_page; } // 0-based
    void showPage(int index);

    // Printing the report shown: the printer is asked for, then one job.
    void printReport();
    // Saves the whole form (or the report shown when there is no whole form).
    void saveWholePdf();

    QPushButton *btnFirst, *btnPrior, *btnNext, *btnLast, *btnPrint, *btnSavePdf, *btnClose;
    QLabel *lblPage;
    QLabel *lblCuts;    // values of the report shown that do not print whole
    QLabel *lblStatus;  // where the last print or PDF went
    QLabel *view;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void updateView();
    void fitToScreen();
    QScrollArea *m_scroll;
    report::Document m_doc;
    WholeForm m_whole;
    QString m_suggested;
    int m_page = 0;
};

} // namespace output
