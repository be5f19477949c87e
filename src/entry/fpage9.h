#pragma once

#include "entry/recordpage.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// The ninth entry page of a record, "评价证书内容": the appraisal
// certificate's number and date and its four long texts (outlook and
// measures of application, main technical documents, the experts' test
// report, the appraisal opinion), one tab sheet each.
class TFpage9 : public RecordPage {
    Q_OBJECT
public:
    explicit TFpage9(QWidget *parent = nullptr);

    // 储存 is the base's btnSave01; help and quit carry this page's names.
    using RecordPage::btnSave01;
    QPushButton *Button1;   // 帮助 (wired to its help window by wireHelpButtons)
    QPushButton *Button2;   // 退出

    QLineEdit *Edt_301;     // 证书号
    SplitDateEdit *date_302;
    QLineEdit *edt_302_y, *edt_302_m, *edt_302_d;
    QTabWidget *PageControl1;
    QWidget *TabSheet1, *TabSheet2, *TabSheet3, *TabSheet4;
    QPlainTextEdit *Mo_13_2, *Mo_13_3, *Mo_133, *Mo_303;

    // "退出": asks about unsaved changes; a wanted save that fails (a date
    // refused, the row not written) keeps the page open.
    void quit() override;
    bool save() override;
    bool isChanged() override;

    // A tab sheet came to the front.
    void PageControl1Change();

protected:
    void loadFields() override;
    void checks() override;
    void collect(RecordValues &values) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    // The date the edits give, in its stored form ("" when no part is given).
    QString shownDate() const;
    QList<QPlainTextEdit *> memos() const { return {Mo_13_2, Mo_13_3, Mo_133, Mo_303}; }
    QPlainTextEdit *m_entering = nullptr;   // a memo being clicked into
};

extern TFpage9 *Fpage9;
