#pragma once

// The three long texts of the organisation page, each edited in a dialog of
// its own: one multi-line edit, "保存" and "退出".  "保存" hands the text to
// the page (and, for the notes and the strengths, stores it in `unit` at
// once); the dialog stays open until "退出".

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class UnitTextDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int DialogWidth = 513;
    static constexpr int DialogHeight = 427;

    QPlainTextEdit *Memo1;
    QPushButton *Button1;   // 保存
    QPushButton *Button2;   // 退出

    virtual void Button1Click() = 0;
    void Button2Click();

protected:
    UnitTextDialog(const QString &objectName, const QString &caption, QWidget *parent);
    // Writes the dialog's text into one memo field of the organisation's
    // row, inserting the row when there is none yet.
    void storeText(const QString &field);
};

// "简要说明及补充": unit.studydirec and the page's Memo1.
class TFormstudy : public UnitTextDialog {
    Q_OBJECT
public:
    explicit TFormstudy(QWidget *parent = nullptr);
    void Button1Click() override;
};

// "研发优势简要说明": unit.advantage and the page's Memo2.
class Tformadvantage : public UnitTextDialog {
    Q_OBJECT
public:
    explicit Tformadvantage(QWidget *parent = nullptr);
    void Button1Click() override;
};

// "单位简介": only the page's Memo3; the text reaches unit.unitintrod with
// the page's next save.
class Tformunitintrod : public UnitTextDialog {
    Q_OBJECT
public:
    explicit Tformunitintrod(QWidget *parent = nullptr);
    void Button1Click() override;
};

extern TFormstudy *Formstudy;
extern Tformadvantage *formadvantage;
extern Tformunitintrod *formunitintrod;
