#pragma once

#include "forms/yearupdown.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// The caption the main window gives the dialog for each of its two modes.
extern const QString FormNewCaptionNew;    // 请填写新项目！
extern const QString FormNewCaptionEdit;   // 修改主要项目！

// The dialog through which a record is born ("新增") and through which its
// main items (category, year, management number, name, first completing
// organisation) are changed later ("修改主项").  The mode is the caption.
class TFormNew : public QDialog {
    Q_OBJECT
public:
    explicit TFormNew(QWidget *parent = nullptr);

    QLabel *Label1, *Label2, *Label3, *Label4, *Label5;
    QComboBox *ComboBox1;     // category: position + 1 = ITEM_CGLB
    QLineEdit *cbYear;        // year: first four characters of ITEM_4
    YearUpDown *UpDown1;
    QLineEdit *edt_120;
    QLineEdit *edt_3;
    QLineEdit *edt_9;
    QPushButton *Button1;     // 存储
    QPushButton *Button2;     // 退出

    // True while the dialog holds nothing unsaved.
    bool NewFormSaved = true;

    // Shown modally for a new record: empty but for the organisation, which
    // comes from `unit`.
    void ShowForNewRecord();
    // Shown modally for the main items of the main window's current record,
    // starting from its stored category position (0..2).
    void ShowForMainItems(int categoryPos);

    void FormShow();
    void ComboBox1Change();
    void cbYearChange();
    void cbYearExit();
    bool FormCloseQuery() const { return NewFormSaved; }
    void Button1Click();
    void Button2Click();

    void reject() override;

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void checkYear();
    void saveEdited(const QString &year);
    void saveNew(const QString &year);
    void afterSave(int categoryPos, const QString &year, const QString &key, const QString &region);

    // The record being edited, taken from the main window when the dialog
    // is shown: the key and region that identify its row and sub-table
    // rows, its stored category and year.
    QString m_editKey;
    QString m_editRegion;
    QString m_editCategory;
};

extern TFormNew *FormNew;
