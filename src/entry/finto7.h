#pragma once

#include "entry/listdialog.h"
#include "entry/listpage.h"

class QComboBox;
class QLineEdit;
class QPushButton;

// The add/edit dialog of the appraisal committee list.  Post, name, sex and
// title are required; the committee has at most one chair, refused as soon
// as the post is chosen.  Every save rewrites the role ranks (ITEM_194) of
// the record's members from their posts.
class TFinto7 : public ListDialog {
    Q_OBJECT
public:
    explicit TFinto7(QWidget *parent = nullptr);

    ListPage *listPage() const override;

    QComboBox *cbwy_191;    // 评价委员会职务
    QLineEdit *Edtwy_192;   // 姓名
    QComboBox *cbwy_193;    // 性别
    QLineEdit *edtwy_195;   // 工作单位
    QLineEdit *edtwy_196;   // 所学专业
    QLineEdit *edtwy_197;   // 现从事专业
    QComboBox *cbwy_198;    // 职称 (with a blank item)
    QPushButton *Button1;   // 储存
    QPushButton *Button2;   // 退出

    static const QString Chair;        // 主任委员
    static const QString ViceChair;    // 副主任委员
    static const QString Member;       // 委员
    // The rank a post gives ("1", "2", "3"; "" for any other text).
    static QString rankOf(const QString &post);

    // The user chose a post: a second chair is refused.
    void cbwy_191Change();
    // The member number a new member takes: one more than the largest of
    // the record's key, 1 when it has none.
    static int nextMemberNumber();
    // Rewrites ITEM_194 of every member of the current record from its post.
    static void rewriteRanks();

protected:
    void prepare() override;
    void loadForAdd() override;
    void loadForEdit() override;
    bool inputEmpty(bool forQuit) override;
    void validate() override;
    void store(Mode mode) override;
    bool isUnchanged() override;

private:
    void fill(db::Dataset &ds);
    // Moves the list to the member being edited (the row the dialog was
    // loaded from); false when it is gone.
    bool gotoTarget();
    int m_editRow = -1;
};

extern TFinto7 *Finto7;
