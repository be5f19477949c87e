#pragma once

#include "entry/listdialog.h"
#include "entry/listpage.h"

class QComboBox;
class QLineEdit;
class QPushButton;

// The add/edit dialog of the persons list (page 8).  Its mode is the
// caption the page set: "新增－－【成果完成人员名单】" adds a person at the end
// of the list, "修改－－【成果完成人员名单】" changes the selected one.
class TFinto8 : public ListDialog {
    Q_OBJECT
public:
    explicit TFinto8(QWidget *parent = nullptr);

    // The largest ITEM_NO the table field (three characters) can hold.
    static constexpr int MaxItemNo = 999;

    QLineEdit *edtry_187;    // 序号
    QLineEdit *edtry_180;    // 姓名
    QComboBox *cbry_181;     // 性别
    QLineEdit *edt_182_y;    // 出生年
    QLineEdit *edt_182_m;    // 出生月
    QComboBox *cbry_183;     // 技术职称
    QComboBox *cbry_184;     // 文化程度
    QComboBox *cbry_188;     // 是否留学归国
    QLineEdit *edtry_185;    // 工作单位
    QLineEdit *edtry_186;    // 对成果创造性贡献
    QPushButton *Button1;    // 储存
    QPushButton *Button2;    // 退出

    ListPage *listPage() const override;

    // A title combo's stored code: "1a", "1b", "1c" are stored as "a", "b",
    // "c"; other codes as they stand (first character).
    static QString storedTitle(const QString &comboCode);
    // The combo code of a stored title ("b" -> "1b").
    static QString titleComboCode(const QString &stored);

    // True when the controls hold what the selected row holds.
    bool PersonUnchanged();

protected:
    void prepare() override;
    void loadForAdd() override;
    void loadForEdit() override;
    bool inputEmpty(bool forQuit) override;
    void validate() override;
    void store(Mode mode) override;
    void afterStored(Mode mode) override;
    bool isUnchanged() override { return PersonUnchanged(); }
    QString changedQuestion() const override;

private:
    void buildControls();
    void writeFields(db::Dataset &ds);
    QString birth() const;
};

extern TFinto8 *Finto8;
