#pragma once

// "学科带头人情况": the organisation's discipline leaders, the rows of
// `unitexpert` (DM->Tblexpert) under the filter of the organisation's unit
// code.  Leaders are added and changed through TFinto11; a delete
// renumbers the remaining leaders 1..n in `item_187`.
//
// The organisation page opens the list through openDisciplineLeaders(),
// after storing its own row.

#include "entry/listpage.h"

class TFpage11 : public ListPage {
    Q_OBJECT
public:
    explicit TFpage11(QWidget *parent = nullptr);

    // The list name the dialog's captions carry: "新增－－【学科带头人名单】".
    static const QString ListName;
    // The title panel's text.
    static const QString Title;

    ListDialog *dialog() const override;

    // Re-reads the table as the organisation page filtered it.
    void load() override;

    // "删除" and "修改" are usable only while the list holds rows.
    void setRowCommandsEnabled(bool on);

    // The buttons under the program's names.
    QPushButton *Button2 = nullptr;   // 新增
    QPushButton *Button1 = nullptr;   // 删除
    QPushButton *Button3 = nullptr;   // 修改
    QPushButton *quit01 = nullptr;    // 退出
    DBGrid *DBGrid4 = nullptr;

protected:
    void afterDelete() override;
    void showEvent(QShowEvent *e) override;
};

extern TFpage11 *Fpage11;

// The leaders of the organisation whose row is current in DM->Tblunit: the
// table is filtered to that unit code (the own code while `unit` has no
// row), the list loaded and shown modally.
void openDisciplineLeaders();
