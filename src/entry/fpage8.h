#pragma once

#include "entry/listpage.h"

namespace db { class Dataset; }

// Page 8 of a record, "成果完成人员名单": the persons who completed the
// achievement, in their order of contribution (ITEM_187), over DM->QryCgwcr.
// A record needs at least one person: the page is not left while the list
// is empty, and leaving it with a person marks btn_page08 complete.
class TFpage8 : public ListPage {
    Q_OBJECT
public:
    explicit TFpage8(QWidget *parent = nullptr);

    static const QString ListName;      // 成果完成人员名单
    static const QString ListStatement; // the record's persons in ITEM_187 order

    DBGrid *DBGrid4;
    QPushButton *Button2;   // 新增
    QPushButton *Button1;   // 删除
    QPushButton *Button3;   // 修改
    QPushButton *Button4;   // 帮助
    QPushButton *quit01;    // 退出

    ListDialog *dialog() const override;

    // Gives the record's person rows ITEM_NO "1", "2", ... in stored order,
    // then reopens the list and sets the caption.
    void load() override;

    // One more than the largest ITEM_NO (as a number) among the persons of
    // the record key `item4`; 1 when there is none.
    static int nextItemNo(const QString &item4);

protected:
    bool canQuit() override;

private:
    void renumberItemNo();
};

extern TFpage8 *Fpage8;

// The person pool (DM->TblwcrNew, table cgwcrNew): given a person row (the
// current row of `person`, which has the columns of cgwcr), inserts a copy
// of it when the pool has no person of that trimmed name, overwrites the
// one pool row of that name, and leaves the pool alone when two or more
// rows carry the name.  The pool row is written at once.  Used by the
// persons dialog's add and by the import.
void UpdatePersonPool(db::Dataset &person);
