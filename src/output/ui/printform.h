#pragma once

// The print dialog "数据打印": the printed registration form of the current
// record, page by page in the preview or straight to the printer, by
// section or whole.

#include "output/fill/printpages.h"

#include <vector>

#include <QDialog>
#include <QHash>

class QFrame;
class QLabel;
class QPushButton;

namespace output {
class ReportPreview;
}

class TPrintForm : public QDialog {
    Q_OBJECT
public:
    // `builder` makes a page's report form from its instance name.
    explicit TPrintForm(output::PrintPages::Builder builder, QWidget *parent = nullptr);

    // The record to print, read once by the print command before the dialog opens.
    void setRecord(output::PrintRecord record);
    output::PrintPages &pages() { return m_pages; }

    void ShowPanel(int n);
    void FormShow();
    void Button7Click();  // 自定义打印
    void Button4Click();  // 直接打印
    void Button1Click();  // 返回 (applied-technology pages)
    void Button2Click();  // 返回 (the other family's pages)
    // The Word outputs of the record (printform_word.cpp): the registration
    // form of either family, the appraisal application and certificate.
    void YY_ButtonClick();
    void RJ_ButtonClick();
    void Button5Click();
    void Button6Click();
    // Preview of one page: its fill, the preview numbering, the preview window.
    void PreviewPage(output::Family family, int index);
    // Direct printing of one section (list pages one job per page), and of
    // the whole form ("全文打印"), on the default printer without asking.
    // Every page is filled and laid out before the first job goes out; the
    // person is told which values do not print whole and may stop there,
    // and hears where the jobs went (the status line) or why the printer
    // refused them.
    void DirectPrint(output::Family family, int index);
    void PrintWhole(output::Family family);
    // The file name "保存PDF" proposes for the record.
    static QString pdfFileName(const output::PrintRecord &record);

    QFrame *Panel1, *Panel2, *Panel3, *Panel4, *Panel5;
    QPushButton *Button4, *Button7, *YY_Button, *RJ_Button, *Button5, *Button6, *Button3;
    QPushButton *Button1, *BitBtn2, *Button2, *BitBtn3;
    QPushButton *zBitBtn4, *zBitBtn3, *BitBtn4a, *zBitBtn12, *zBitBtn1, *zBitBtn4z;
    QHash<QString, QPushButton *> pageButtons; // preview and direct-print buttons by name
    QLabel *lblStatus;                          // where the last print went
    output::ReportPreview *preview;

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Section {
        report::Document doc;
        bool perPage = false; // a list: one job per page
    };
    void buildPanels();
    Section section(output::Family family, int index);
    void printSections(const std::vector<Section> &sections, const QString &what);
    output::PrintPages m_pages;
};

extern TPrintForm *PrintForm;
