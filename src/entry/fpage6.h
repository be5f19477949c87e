#pragma once

#include "entry/listpage.h"

// The patents of an applied-technology record, "专利情况": number, name,
// status (accepted or granted) and type of each patent, on the rows of zlqk
// that carry the record's key.  Opened from page 2's patent button; leaving
// it writes the counts of accepted and granted patents back into page 2.
//
// Unlike the other list pages it works directly on the table object
// DM->tblzlqk, filtered to the current record, so every post reaches the
// table file at once.  ITEM_NO runs 1..n in the table's stored order (the
// order the rows were added in): renumbered on showing, after an add, after
// a delete and on closing.
class TFpage6 : public ListPage {
    Q_OBJECT
public:
    explicit TFpage6(QWidget *parent = nullptr);

    static const QString ListName;   // 专利情况

    ListDialog *dialog() const override;

    // The base's controls under the names the program knows them by.
    QPushButton *Button2;     // 新增
    QPushButton *Button1;     // 删除
    QPushButton *btnSave01;   // 修改
    QPushButton *Button3;     // 帮助
    QPushButton *quit01;      // 退出
    DBGrid *DBGrid5;

    // Filters tblzlqk to the current record, opens it and sets the caption.
    void load() override;

    // The largest ITEM_NO among the record's rows (0 for none).
    int highestOrder() const;

    // Counts of the record's rows by PATENT_ST: "1" accepted, "2" granted.
    struct Counts {
        int accepted = 0;
        int granted = 0;
    };
    Counts countPatents() const;

    // Points tblzlqk at the current record's patent rows (quotes in the key
    // and the region doubled) and opens it.
    static void filterToRecord();

protected:
    bool canQuit() override;
    void showEvent(QShowEvent *e) override;

private:
    void bindTable();
    void formClose();
};

extern TFpage6 *Fpage6;

// Lets page 2's patent button open this list modally; page 2's patent
// summary is recounted when the list closes.  Call once both pages exist.
void wirePatentsList();
