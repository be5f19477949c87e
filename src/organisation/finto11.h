#pragma once

// The add/edit dialog of one discipline leader (a row of `unitexpert`).
// Its mode comes from the caption the list sets; see entry/listdialog.h.

#include "entry/listdialog.h"
#include "entry/listpage.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TFinto11 : public ListDialog {
    Q_OBJECT
public:
    explicit TFinto11(QWidget *parent = nullptr);

    // The registering organisation's own unit code, written into every
    // leader added.
    static const QString OwnUnitCode;

    ListPage *listPage() const override;

    QLineEdit *edtry_180;     // 姓名
    QComboBox *cbry_181;      // 性别
    QLineEdit *Edt_both_1;    // 出生年
    QLineEdit *edt_both_2;    // 出生月
    QComboBox *cbry_124_1;    // 研究领域
    QLineEdit *edtry_186;     // 简要说明
    QPushButton *Button1;     // 储存
    QPushButton *Button2;     // 退出
    QLineEdit *Edit1;         // change marker of 研究领域

    // The user picked a research field.
    void cbry_124_1Change();
    // Whether name, sex, note and research field equal the selected row
    // (the birth date is not compared).
    bool ExpertUnchanged();

    // The stored birth text: trimmed year, ".", month trimmed and padded
    // to two digits.
    static QString birthText(const QString &year, const QString &month);

protected:
    void prepare() override;
    void loadForAdd() override;
    void loadForEdit() override;
    bool inputEmpty(bool forQuit) override;
    void validate() override;
    void store(Mode mode) override;
    void afterStored(Mode mode) override;
    bool isUnchanged() override { return ExpertUnchanged(); }

private:
    void buildControls();
    void writeFields(db::Dataset &ds, bool trimName);
};

extern TFinto11 *Finto11;
