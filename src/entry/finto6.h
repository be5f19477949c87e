#pragma once

#include "entry/listdialog.h"
#include "entry/listpage.h"

class QComboBox;
class QLineEdit;
class QPushButton;

// The add/edit dialog of the patents list: patent number, name, status and
// type.  Its mode is the caption the list sets.  The hidden flag edit
// `Edit1` (the change marker) turns "1" when the user picks another status
// or type, as the combos cannot be compared with the row otherwise.
class TFinto6 : public ListDialog {
    Q_OBJECT
public:
    explicit TFinto6(QWidget *parent = nullptr);

    ListPage *listPage() const override;

    QLineEdit *edtzl_no;     // 专利号 (16)
    QLineEdit *edtzl_name;   // 专利名称 (140)
    QComboBox *cb_st;        // 专利状况, dictionary key patent_st
    QComboBox *cb_ty;        // 专利类型, dictionary key patent_ty
    QPushButton *Button1;    // 储存
    QPushButton *Button2;    // 退出

    // What the save would store for the status and type (code parts).
    QString statusCode() const;
    QString typeCode() const;

protected:
    void prepare() override;
    void loadForAdd() override;
    void loadForEdit() override;
    bool inputEmpty(bool forQuit) override;
    // ValidatePatent: status, type, number, name, in this order.
    void validate() override;
    void store(Mode mode) override;
    bool isUnchanged() override;

private:
    void buildControls();
    // The physical row the edit was loaded from; the save writes to it.
    int m_row = -1;
};

extern TFinto6 *Finto6;
