#pragma once

#include "entry/listpage.h"

// Page 7 of a record, "评价委员会名单": the members of the committee that
// appraised the achievement, chair first, then vice-chairs, then members
// (ITEM_194), members of one rank in the order they were added (ITEM_190),
// from QryJdwyhmd.  Unlike the other list pages it has a close box; closing
// by the box does not mark the page complete.  Closing in any way
// recomputes the main window's command state.
class TFpage7 : public ListPage {
    Q_OBJECT
public:
    explicit TFpage7(QWidget *parent = nullptr);

    ListDialog *dialog() const override;

    // The list's statement (parameters item_4 and item_dqdm).
    static const QString ListSQL7;

    DBGrid *DBGrid3;
    QPushButton *Button2;     // 新增
    QPushButton *Button1;     // 删除
    QPushButton *btnSave01;   // 修改
    QPushButton *Button3;     // 帮助 (wired to its help window by the help windows)
    QPushButton *quit01;      // 退出
};

extern TFpage7 *Fpage7;
