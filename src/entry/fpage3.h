#pragma once

#include "entry/recordpage.h"

class QAbstractButton;
class QComboBox;
class QVBoxLayout;
class QLabel;
class QLineEdit;
namespace db { class Table; }

// The third entry page of a record, "课题立项，评价情况": where the project
// came from (source, national-plan kind, plan sub-class), its approval
// number and name, the funding actually received broken down by source with
// the local and overall sums, and the appraisal (form, organisation, report
// number, date).
class TFpage3 : public RecordPage {
    Q_OBJECT
public:
    explicit TFpage3(QWidget *parent = nullptr);

    using RecordPage::btnSave01;   // 储存
    using RecordPage::quit01;      // 退出
    using RecordPage::Button3;     // 帮助

    // Project source: one box at a time.  cb_126_01 "国家计划" is not
    // clicked directly: choosing a national-plan kind ticks it.
    CodePanel *Pl_126;
    QAbstractButton *cb_126_01, *cb_126_02, *cb_126_03, *cb_126_05, *cb_126_06, *cb_126_07, *cb_126_08, *cb_126_09,
        *cb_126_10, *cb_126_19;
    QLabel *Label_gjjh;
    // National-plan kind (radio buttons).
    CodePanel *Pl_140;
    QAbstractButton *RB_140_1, *RB_140_3, *RB_140_6, *RB_140_7, *RB_140_8, *RB_140_9;
    // Plan sub-class of the chosen source, shown only when it has any.
    QLabel *Lb_41;
    QComboBox *CB_41;

    QLabel *Label1;           // "课题立项编号", maroon while "国家计划" is ticked
    QLineEdit *Edt_127, *Edt_127_1;

    // Funding in 万元.  Edt_142 (local) and Edt_149 (total) are sums.
    QLineEdit *Edt_141, *Edt_142_1, *Edt_142_2, *Edt_142_3, *Edt_142, *Edt_148, *Edt_143, *Edt_144, *Edt_243, *Edt_244,
        *Edt_145, *Edt_149;

    // Appraisal: the form list of the record's category is the visible one.
    QComboBox *cb_21, *cb_21_l;
    QLineEdit *Edt_130, *edt_22;
    SplitDateEdit *date_34;
    QLineEdit *edt_34_y, *edt_34_m, *edt_34_d;

    // Fills `combo` with the plan sub-classes ("code  name") of the project
    // source `sourceCode`, then the blank item unless `noBlank`; combo and
    // label are shown when the table has rows for the source, else hidden.
    // Nothing is selected.
    void GetItem41List(db::Table &table, const QString &sourceCode, bool noBlank, QLabel *label, QComboBox *combo);

    // A box of the source panel was ticked or unticked.
    void cb_126OnClick(QAbstractButton *box, bool on);
    // Checks the three local parts, then shows their sum.
    void Edt_142_1Change();
    // Checks the eight sources, then shows the total.
    void Edt_141Change();
    void Button3Click();

protected:
    void loadFields() override;
    void checks() override;
    void collect(RecordValues &values) override;
    void showEvent(QShowEvent *e) override;

private:
    void buildControls();
    void buildSources(QVBoxLayout *root);
    void buildProject(QVBoxLayout *root);
    void buildFunding(QVBoxLayout *root);
    void buildAppraisal(QVBoxLayout *root);
    void colourLabel1();
    QComboBox *appraisalCombo() const;
    QString sourceCaption(const QAbstractButton *box) const;
};

extern TFpage3 *Fpage3;
