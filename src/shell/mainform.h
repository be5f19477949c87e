#pragma once

#include <QWidget>

class QComboBox;
class QGroupBox;
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

// Exchange names, indexes 0 to 6: they fix the exchange file names and the
// import order.
extern QStringList ExchangeTables;
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
    QPushButton *SpeedButton24, *SpeedButton15, *SpeedButton18, *SpeedButton17, *SpeedButton20, *SpeedButton21,
        *SpeedButton23, *SpeedButton16, *SpeedButton26;

    QList<QPushButton *> pageButtons() const;
    // The page mark of a page button: complete (tick) or incomplete (question).
    static void setPageComplete(QPushButton *button, bool complete);
    static bool isPageComplete(const QPushButton *button);

    // Shared routines.
    void ShowMsg(const QString &text);
    void FillComboFromField(db::Dataset &ds, QComboBox *combo, const QString &fieldName);
    void FillYearList(db::Dataset &ds, QComboBox *combo);
    void FillComboFromDict(db::Table &table, const QString &key, bool noBlank, QComboBox *combo);
    void RefreshRecordList(db::Query &query, QComboBox *category, QPushButton *page02, QComboBox *year);
    void RenumberList();

    // The first showing, run before the window appears: splash, lists,
    // record list.
    void FormShow();
    // Whether the window may close now.
    virtual bool CanClose();

protected:
    void showEvent(QShowEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void buildControls();
    void CategoryOrYearChange();
    void BitBtn7Click();
    bool m_shown = false;
};

extern TMainForm *MainForm;

// Doubles every single quote, for a text inside a quoted SQL literal.
QString EscapeSqlQuotes(const QString &text);
