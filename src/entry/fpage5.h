#pragma once

#include "entry/listpage.h"

// Page 5 of a record, "合作完成单位情况": the organisations that completed
// the achievement together with the first one, in their order (ITEM_176),
// from QryCgwcdw.  The list may stay empty; leaving always marks the page
// complete, and leaving does not recompute the main window's command state.
class TFpage5 : public ListPage {
    Q_OBJECT
public:
    explicit TFpage5(QWidget *parent = nullptr);

    ListDialog *dialog() const override;

    // The list's statement (parameters item_4 and item_dqdm).
    static const QString ListSQL5;

    // The order number a new organisation takes: one more than the largest
    // number in the list, 1 on an empty list.  Rows may arrive numbered with
    // gaps (1, 4, 5: the page does not renumber on opening), where the row
    // count plus one would already be taken.
    int newOrderNumber() const;

    DBGrid *DBGrid2;
    QPushButton *Button2;     // 新增
    QPushButton *Button1;     // 删除
    QPushButton *btnSave01;   // 修改
    QPushButton *Button3;     // 帮助 (wired to its help window by the help windows)
    QPushButton *quit01;      // 退出
};

extern TFpage5 *Fpage5;
