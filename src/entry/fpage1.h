#pragma once

#include "entry/recordpage.h"

class QVBoxLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QToolButton;
namespace db { class Table; }

// "成果概况": the overview page of a record (approval, research period,
// secrecy, keywords, classifications, level, stage, form, fields of the
// result, industries and the two long texts).  Which parts show depends on
// the record's category: applied technology, or soft science and basic
// theory.
class TFpage1 : public RecordPage {
    Q_OBJECT
public:
    explicit TFpage1(QWidget *parent = nullptr);

    QLineEdit *Edt_120;       // 批准登记号
    QLineEdit *Edt_128;       // 推荐单位
    SplitDateEdit *Date_121;  // edt_121_y, edt_121_m, edt_121_d
    QLineEdit *edt_121_y, *edt_121_m, *edt_121_d;
    SplitDateEdit *Date_8_s, *Date_8_e;
    QLineEdit *edt_8_y_s, *edt_8_m_s, *edt_8_y_e, *edt_8_m_e;
    QComboBox *CB_1;          // 成果密级
    QLineEdit *edt_14_1, *edt_14_2, *edt_14_3;   // 关键词
    QLineEdit *Edt_15, *edt_15_1;                // 学科分类
    QToolButton *cb_15, *cb_15_1;
    QLineEdit *edt_12, *edt_12_1;                // 中图分类号
    QToolButton *CB_12, *CB_12_1;
    QComboBox *cb_2;          // 成果水平
    QComboBox *cb_201;        // 研究形式
    QComboBox *cb_16;         // 成果所处阶段 (applied technology)
    QComboBox *cb_33;         // 转让范围 (applied technology)
    QComboBox *Cb_125_1;      // 成果属性 (applied technology)
    QComboBox *cb_210;        // 成果体现形式 (other categories)
    QLabel *Lb_16, *Lb_33, *Lb_125_1, *Lb_210, *Lb_123;
    QLabel *Label22;
    CodePanel *PL_123;        // 成果体现形式 (applied technology), radio buttons
    CodePanel *Pl_124_1;      // 所属高新科技领域 (applied technology)
    CodePanel *PL_200;        // 社会经济目标 (other categories)
    CodePanel *PL_125;        // 成果应用行业
    QTabWidget *PageControl1;
    QPlainTextEdit *Mo_13_1;  // 成果简介 (tab 0)
    QPlainTextEdit *Mo_13;    // 成果公报内容 (tab 1)

    // Handlers.
    void FormShow();
    void edt_14_1Change();
    void edt_14_2Change();
    void cb_15DropDown() { dropDown(0); }
    void cb_15_1DropDown() { dropDown(1); }
    void CB_12DropDown() { dropDown(2); }
    void CB_12_1DropDown() { dropDown(3); }
    void Button3Click();
    // Memo defaults: the bulletin starts as the summary, and the summary as
    // the bulletin.
    void fillBulletinFromSummary();
    void fillSummaryFromBulletin();
    void PageControl1Change(int index);

protected:
    void loadFields() override;
    void checks() override;
    void collect(RecordValues &values) override;
    void afterSave() override;
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildItems(QVBoxLayout *page);
    void buildCodePanels(QVBoxLayout *page);
    void buildMemos(QVBoxLayout *page);
    void connectHandlers();
    void dropDown(int flag);
    void showTab(QWidget *memo);
    void showCategory(bool applied);
    void applyTableAvailability();
    void loadClassification(bool haveTable, db::Table &table, const QString &field, QLineEdit *edit);
    QString classificationCode(bool haveTable, const QString &field, const QLineEdit *edit) const;
    QString keywords() const;
    int m_lastTab = 0;
};

extern TFpage1 *Fpage1;
