#pragma once

// "单位情况": the registering organisation's own row of `unit` (DM->Tblunit):
// contacts, attribute and enterprise details, province, four ten-slot code
// lists picked through the classification tree, and three long texts, each
// edited in a dialog of its own (unittexts.h).
//
// The main window loads the page with LoadUnitPage() and shows it modally,
// at its first showing while `unit` is empty and from "单位情况"; see
// wireOrganisationPage().
//
// At the first start a close request while the checks fail asks whether to
// end the program; ending writes nothing and the start ends.
//
// Leaving: "退出" checks what the controls hold, offers to save unsaved
// changes and then closes only when the stored row is either absent or
// passes the page's own checks.  A row that exists but would fail them
// (left half-filled by the text dialogs or by the save without checks of
// "学科带头人情况") keeps the page open until it is completed and saved, so
// the main window never takes a half-filled row for the organisation.

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QVBoxLayout;
class QWidget;
class RecordValues;
namespace db { class Table; }

// One ten-slot code list of the page: its stored field, its panel, its edits
// and the drop-down buttons beside them.
struct UnitCodeList {
    QString field;          // item_124_2, item_15_1, item_124_1, item_15
    QString caption;        // the row's label, used in messages
    QString prefix;         // edt_124_2_, edt_15_1_, edt_124_1_, edt_15_
    QWidget *panel = nullptr;
    QLineEdit *edits[10] = {};
    QToolButton *drops[10] = {};
};

// The stored form of a code list: every code followed by one blank and ";".
// Each non-empty text contributes its code, the text before its first blank
// (a code item "0101  微电子技术" or a typed "0101" alike); empty texts add
// nothing, so the entries close up.
QString PackCodeTexts(const QStringList &texts);
// The codes of a stored list, at most `count` of them, an empty string for
// an entry without a code (";" alone).  A last piece without its closing
// ";" is a cut entry and is not taken.
QStringList UnpackCodeList(const QString &list, int count = 10);
// Postcodes are exactly six ASCII digits.
bool IsPostcode(const QString &text);

// Whether the stored organisation row exists and passes the page's checks.
bool UnitRowComplete();

class TFpage4a : public QDialog {
    Q_OBJECT
public:
    explicit TFpage4a(QWidget *parent = nullptr);

    static constexpr int PageWidth = 800;
    static constexpr int PageHeight = 600;
    static constexpr int CodeListWidth = 100;   // bytes of a stored code list

    QLabel *Panel1;            // title panel
    QLineEdit *edt_9;          // 单位名称
    QLineEdit *edt_420;        // 组织机构代码
    QLineEdit *Edt_37;         // 通讯地址
    QLineEdit *Edt_38;         // 邮政编码
    QLineEdit *Edt_39;         // 单位电话（含区号）
    QLineEdit *Edt_40;         // 单位传真（含区号）
    QLineEdit *Edt_60;         // 单位网址
    QLineEdit *Edt_41;         // 联系部门
    QLineEdit *Edt_41_2;       // 联系部门电话
    QLineEdit *Edt_61;         // 联系部门电子信箱
    QComboBox *cb_62;          // 单位属性
    QComboBox *CB_41_3;        // 企业所有制属性
    QCheckBox *cb_163;         // 其中,科研机构转制型企业
    QComboBox *cb_64;          // 单位所在省市
    QWidget *Panel4, *Panel5, *Panel6, *Panel7;
    QPlainTextEdit *Memo1;     // 简要说明及补充
    QPlainTextEdit *Memo2;     // 研发优势简要说明
    QPlainTextEdit *Memo3;     // 单位简介
    QLineEdit *Edit1;          // change marker (hidden)
    QPushButton *btnSave01;    // 储存
    QPushButton *quit01;       // 退出
    QPushButton *BitBtndtr;    // 学科带头人情况
    QPushButton *Button2;      // save without checks (hidden)

    // The four code lists in flag order: Panel4 (flags 0-9), Panel5
    // (10-19), Panel6 (20-29), Panel7 (30-39).
    UnitCodeList lists[4];
    // The code edit of flag n (0..39).
    QLineEdit *codeEdit(int flag) const { return lists[flag / 10].edits[flag % 10]; }

    // Fills every control from the current row of DM->Tblunit (empty
    // controls without a row).
    void LoadUnitPage();

    // Handlers.
    void FormShow();
    void btnSave01Click();
    void quit01Click();
    void BitBtndtrClick();
    void Button2Click();
    void cb_62Change();
    void dropDown(int flag);
    void Memo1Click();
    void Memo2Click();
    void Memo3Click();

    // The checks; the first failing one shows its message, moves the focus
    // and aborts the handler silently.
    void ValidateUnit();
    // Whether the controls hold what the stored row holds.
    bool UnitUnchanged();
    // Whether the controls pass the checks (no message).
    bool passesChecks() const;

    // The values both saves write, in their order, each in its stored form.
    RecordValues unitValues() const;

    void reject() override;

    // Shown at the first start, before the program can be used: a close
    // request (退出, the close box, Escape) with the page's checks failing
    // asks whether to end the program.
    void setFirstStart(bool on) { m_firstStart = on; }

protected:
    void showEvent(QShowEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildItems(QVBoxLayout *page);
    void buildCodeLists(QVBoxLayout *page);
    void buildTexts(QVBoxLayout *page);
    void connectHandlers();
    void WriteUnitFields();
    void saveChecked();
    // At the first start: asks whether to end the program; Yes ends it
    // (the page closes, nothing written), No stays on `focus`.
    void endProgramOrStay(QWidget *focus);
    // Asks `question`; yes closes the page, writing nothing; no stays on
    // `focus` (a silent abort).
    void leaveUnfilledOrStay(const QString &question, const QString &caption, QWidget *focus);
    void UnpackCodes(const QString &list, UnitCodeList &codes, db::Table &table);
    QString PackCodes(const UnitCodeList &codes) const;
    void setEnterpriseControls(bool enterprise);
    // The first rule the controls break: message and focus; empty message
    // when every rule holds.
    struct Failure {
        QString message;
        QWidget *focus = nullptr;
    };
    Failure firstFailure() const;
    bool m_leaving = false;
    bool m_firstStart = false;
    bool m_rowWhenLoaded = false; // the organisation's row was stored when the page was loaded
    bool m_placed = false;
};

extern TFpage4a *Fpage4a;

// Lets the main window show the page: at its first showing while `unit` is
// empty and from "单位情况".  The page is loaded, shown modally, and on
// leaving the main window sets its commands by the organisation's row and
// the current record's completeness.  Needs MainForm and Fpage4a.
void wireOrganisationPage();
