#pragma once

#include "data/records.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QGroupBox;
class QAbstractButton;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class DBGrid;
namespace db { class Dataset; class Table; class Query; }

// The program's title (also the name of its single-instance lock), the main
// window's caption and the caption of every warning.
extern const QString AppTitle;
extern const QString MainCaption;
extern const QString MsgCaption;
// The status line's text while the organisation's row is not stored.
extern const QString NoOrganisationHint;

// The record list's statement as last set by RefreshRecordList.
extern QString ListSQL;
extern QString EditOldItem4;
extern QString EditOldItem3;

// The main window: the category and year choice, the record list, the page
// buttons, the commands and the query builder.  Its public operations are the
// shared routines every form calls on `MainForm`.
class TMainForm : public QWidget {
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);

    // Controls, named as the other windows know them.
    QComboBox *ComboBox1;     // category
    QComboBox *cbYear;        // year
    DBGrid *DBGrid1;
    QWidget *Panel8;
    QPushButton *btn_page01, *btn_page02, *btn_page03, *btn_page04, *btn_page05, *btn_page07, *btn_page08, *btn_page09;
    QPushButton *Button1, *Button5, *Button4, *BitBtn1, *BitBtn2, *BitBtn4, *BitBtn3, *Button2, *BitBtn7;
    QGroupBox *GroupBox1;     // the query builder's panel
    QComboBox *ComboBox2, *ComboBox4, *Combobox3;
    QLineEdit *Edit2;
    QToolButton *ComboBox5, *ComboBox6;
    QPlainTextEdit *MMSysV;
    QLabel *StatusBar1;       // the status line
    QPushButton *SpeedButton24, *SpeedButton15, *SpeedButton18, *SpeedButton17, *SpeedButton20, *SpeedButton21,
        *SpeedButton23, *SpeedButton16, *SpeedButton26;

    QList<QPushButton *> pageButtons() const;
    // The page mark of a page button: complete (tick) or incomplete (question).
    static void setPageComplete(QPushButton *button, bool complete);
    static bool isPageComplete(const QPushButton *button);

    // Shared routines (used by every window).
    void ShowMsg(const QString &text);
    static QString ReplaceTabs(const QString &text);
    // Unchecks every check box and radio button of the form.
    void ClearChecks(QWidget *form);
    void FillYearList(db::Dataset &ds, QComboBox *combo);
    void FillComboFromField(db::Dataset &ds, QComboBox *combo, const QString &fieldName);
    // Code items "code  name" of a code table, then the blank item " "
    // unless `noBlank`.
    void FillComboCodeName(db::Table &table, QComboBox *combo, const QString &codeField, const QString &nameField,
                           bool noBlank);
    // Code items of one dictionary key (texts beginning with "**" left out),
    // then the blank item unless `noBlank`.  The table stays filtered.
    void FillComboFromDict(db::Table &table, const QString &key, bool noBlank, QComboBox *combo);
    // The same, keeping the texts that begin with "**".
    void FillComboFromDictAll(db::Table &table, const QString &key, bool noBlank, QComboBox *combo);
    // The edit shows "code  name" of the tree table row with that code, or nothing.
    void ShowCodeName(db::Table &table, const QString &code, QLineEdit *control);
    // Selects the item whose code (the text before its two blanks) equals
    // `code`; the last match wins; no match keeps the selection.
    void SelectComboByCode(const QString &code, QComboBox *combo);
    void SplitToEdits(const QString &text, QLineEdit *e1, QLineEdit *e2, QLineEdit *e3);
    // Code panels: boxes lying on `panel` whose last `n` name characters are
    // their code.
    void CheckByCode(QWidget *form, QWidget *panel, int n, const QString &code);
    void CheckCodes(QWidget *form, QWidget *panel, int n, const QString &list);
    // The codes of the ticked boxes ("02;05;", a radio button's code alone).
    // A third code of a limited group is refused with a message and a
    // silent abort (platform::SilentAbort).
    QString GetCheckedCodes(QWidget *form, QWidget *panel, const QString &caption, int n);
    // The trimmed text; an empty one shows `message` and aborts silently.
    QString RequireText(const QString &text, const QString &message);
    void RunQuery(db::Query &query, const QString &statement);
    void DeleteMainRecord(db::Query &query, const QString &field, const QString &value);

    // The record list.
    void RefreshRecordList(db::Query &query, QComboBox *category, QPushButton *page02, QComboBox *year);
    void RenumberList();
    // After the new-record dialog saved: show its category and year.
    void SelectYearOfNew(int categoryPosition, const QString &yearText);

    // Page completeness and the lock.
    void UpdatePageStatus();
    bool UpdateCommandState();
    // The controls the lock disables.
    QList<QWidget *> lockedControls() const;
    // Why the current record is locked: the message of its first incomplete
    // page, empty when every required page is complete.  The close, the
    // print command and the tips of the locked commands say it.
    QString IncompleteMessage() const;

    // Commands.
    void Button1Click();      // 新增
    void Button5Click();      // 修改主项
    void Button4Click();      // 删除
    void BitBtn4Click();      // 打印
    void Button2Click();      // 单位情况
    void PageButtonClick(QPushButton *button);
    void DBGrid1CellClick();

    // The query builder.
    void ComboBox2Change();
    void SpeedButton24Click();   // 加入
    void InsertConditionText(const QString &text);   // and, or, not, (, )
    void SpeedButton23Click();   // 剪切
    void SpeedButton16Click();   // 查询
    void SpeedButton26Click();   // 恢复

    // The first showing, run before the window appears: splash, lists,
    // record list, and with the organisation's row the current record's
    // page marks and lock.
    void FormShow();
    // Whether the window may close now: refused, with the first incomplete
    // page's message, while the current record is incomplete.
    bool CanClose();

    // Enables what needs the organisation's row when `unit` has one, keeps
    // it off otherwise, then applies the lock of the current record (not
    // during the first showing, which computes no completeness).
    void UpdateOrganisationState();
    // Whether the organisation's row is stored and complete (the
    // organisationReady hook; without it, whether `unit` holds a row).
    bool hasOrganisation() const;
    // Whether the first showing is running (the organisation page may be
    // up before the window appears).
    bool inFirstShowing() const { return m_firstShowing; }
    // The user chose to end the program before it was set up: the first
    // showing stops and the start ends without showing the window.
    void EndStart() { m_startEnded = true; }
    bool startEnded() const { return m_startEnded; }

    // Hooks through which the main window opens the windows above it (the
    // program's start-up connects them; the main window includes no page):
    // showing a page for the current record, the organisation page (loaded
    // from `unit` and shown modally), and the new-record dialog for a new
    // record ("新增") or for the current record's main items ("修改主项",
    // given the stored category's position 0..2).
    std::function<void(QPushButton *)> openPage;
    std::function<void()> openOrganisation;
    std::function<void()> openNewRecord;
    std::function<void()> openPrint;       // 打印: the print dialog for the current record
    std::function<void(int categoryPos)> openMainItems;
    // The exchange windows: "导入", "导出" and "更新指标项".
    std::function<void()> openImport;
    std::function<void()> openExport;
    std::function<void()> openCodeManage;
    // After the import or export window closes: the record list reopened,
    // page marks, numbers and commands recomputed (the import first refills
    // the year list).
    void AfterExchange(bool refillYears);
    std::function<bool()> organisationReady;

protected:
    void showEvent(QShowEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void buildControls();
    void connectHandlers();
    void CategoryOrYearChange();
    void BitBtn7Click();
    void currentRecordChanged();
    void connectRecordList();
    void setOrganisationControls();
    bool m_shown = false;
    bool m_firstShowing = false;
    bool m_startEnded = false;
    bool m_listConnected = false;
    int m_bulk = 0;           // bulk work on the record list: no recomputation per row
    friend class BulkListWork;
};

extern TMainForm *MainForm;

// While alive, moves of the record list do not recompute the page marks (the
// caller recomputes once at the end of its work).
class BulkListWork {
public:
    explicit BulkListWork(TMainForm *w) : m_w(w) { ++m_w->m_bulk; }
    ~BulkListWork() { --m_w->m_bulk; }
    BulkListWork(const BulkListWork &) = delete;
    BulkListWork &operator=(const BulkListWork &) = delete;

private:
    TMainForm *m_w;
};

// Fills the query builder's items from zdxx1 (rows without a name left
// out); each item carries its kjcg field as item data.
void FillQueryItems(db::Dataset &items, QComboBox *combo);
