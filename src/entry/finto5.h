#pragma once

#include "entry/listdialog.h"
#include "entry/listpage.h"

class QLineEdit;
class QPushButton;

// The add/edit dialog of the cooperating organisations list.  Its mode is
// the caption the list sets.  No input is required, but a row with name,
// address, postcode and contact all empty is not stored.
class TFinto5 : public ListDialog {
    Q_OBJECT
public:
    explicit TFinto5(QWidget *parent = nullptr);

    ListPage *listPage() const override;

    QLineEdit *edt_176;     // 序号, always read-only
    QLineEdit *edtdw_170;   // 单位名称
    QLineEdit *edtdw_171;   // 通讯地址
    QLineEdit *edtdw_172;   // 邮政编码 (digit keys only)
    QLineEdit *edtdw_173;   // 联系人
    QLineEdit *edtdw_174;   // 联系人电话
    QPushButton *Button1;   // 储存
    QPushButton *Button2;   // 退出

protected:
    void loadForAdd() override;
    void loadForEdit() override;
    bool inputEmpty(bool forQuit) override;
    void validate() override;
    void store(Mode mode) override;
    void afterStored(Mode mode) override;
    bool isUnchanged() override;

private:
    void fill(db::Dataset &ds);
    // The physical row the edit was loaded from.
    int m_editRow = -1;
};

extern TFinto5 *Finto5;
