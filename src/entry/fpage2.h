#pragma once

#include "entry/recordpage.h"

#include <functional>

class CodePanel;
class QVBoxLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Page 2 of an applied-technology record, "知识产权，成果应用情况": the forms
// of intellectual property with the patent summary counted from the
// record's zlqk rows, the application state with the reasons for non-use,
// the forms of promotion, the expected investment and profit ranges, and the
// figures of transfer and own use.
class TFpage2 : public RecordPage {
    Q_OBJECT
public:
    explicit TFpage2(QWidget *parent = nullptr);

    // Forms of intellectual property (ITEM_51): 专利 1, 软件著作权 3, 其他 9.
    CodePanel *pl51;
    QAbstractButton *cb_51_1, *cb_51_3, *cb_51_9;
    // Patent summary, recomputed from the patent rows, never typed.
    QLineEdit *edt_51_1;      // hidden: "1" none, "2" accepted only, "3" any granted
    QLineEdit *patent_ty;     // hidden: the types present, "1;2;3;"
    QLineEdit *edt_51_2;      // accepted patents
    QLineEdit *edt_51_3;      // granted patents
    QPushButton *Button1;     // 进入填写专利
    QWidget *PatentPart;
    // Registered software right.
    QLineEdit *Edt_52, *Edt_53;
    QWidget *SoftwarePart;

    // Application state and the reasons for non-use.
    QComboBox *CB_32;
    CodePanel *pl_32_1;       // reason groups, ticked by the detailed reasons only
    CodePanel *Pl_160;        // detailed reasons rb_160_11 .. rb_160_55
    CodePanel *pl_161;        // forms of promotion
    QComboBox *cb_46, *cb_47;

    // Figures.
    QLineEdit *Edt_45, *Edt_150, *Edt_162, *Edt_151_1, *Edt_152_1, *Edt_153, *Edt_154;

    // The patents list of the record; set by whoever provides it.  The page
    // filters tblzlqk to the record before calling it and recounts after.
    std::function<void()> openPatents;

    // Recounts the patent rows of the record into the summary and shows or
    // hides the patent and software parts after the ticked forms.  Typed
    // software name and number are kept while their part stays shown.
    void RefreshPatentInfo();

    bool save() override;

    // Handlers.
    void cb_51_1Click();
    void cb_32Change();
    void Button1Click();
    void Button3Click();

protected:
    void loadFields() override;
    void checks() override;
    void collect(RecordValues &values) override;
    void afterSave() override;
    void showEvent(QShowEvent *e) override;

private:
    void buildControls();
    void buildProperty(QVBoxLayout *page);
    void buildApplication(QVBoxLayout *page);
    void buildFigures(QVBoxLayout *page);
    void connectHandlers();
    // The rules that follow the application state: reasons for a state in
    // use, figures for a result not applied.
    void applyStateRules();
    QList<QLineEdit *> figureEdits() const;
    bool patentTicked() const;
    // Points tblzlqk at the current record's patent rows.
    void filterPatents();

    bool m_dropPatents = false;
};

extern TFpage2 *Fpage2;
