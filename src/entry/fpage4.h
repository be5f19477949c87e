#pragma once

#include "entry/recordpage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// The fourth entry page of a record, "第一完成单位情况": the organisation that
// completed the achievement first (name, organisation code, address and
// contacts, attribute and, for an enterprise, ownership, province,
// affiliation) and the contact for the transfer of the result.
//
// When the record names the registering organisation itself (its ITEM_9
// equals item_9 of the organisation's row), the organisation's own fields
// are shown from `unit` instead of the record's copies, so that a save
// brings the record up to date.
class TFpage4 : public RecordPage {
    Q_OBJECT
public:
    explicit TFpage4(QWidget *parent = nullptr);

    using RecordPage::btnSave01;   // 储存
    using RecordPage::quit01;      // 退出
    using RecordPage::Button3;     // 帮助 (wired to its help window by wireHelpButtons)

    QLineEdit *Edt_9, *Edt_420, *Edt_37, *Edt_38, *Edt_39, *Edt_40, *Edt_60, *Edt_61;
    QLabel *Label420Hint;          // "格式为(XXXXXXXX-X)"
    QComboBox *cb_62;              // 单位属性
    QComboBox *CB_41_3;            // 企业所有制属性 (enterprises only)
    QWidget *Pl_163;
    QCheckBox *cb_163;             // 其中，科研机构转制型企业 (enterprises only)
    QComboBox *cb_64;              // 单位所在省市
    QComboBox *cb_63;              // 隶属关系
    QLineEdit *Edt_41, *Edt_41_2;
    QLineEdit *TLinkMan, *TLinkManTel, *TLinkManEmail;

    // Whether the page shows the organisation's row rather than the
    // record's copies (decided by the last load).
    bool fromUnit() const { return m_fromUnit; }

    // The user picked another attribute.
    void cb_62Change();

    bool isChanged() override;

protected:
    void loadFields() override;
    void checks() override;
    void collect(RecordValues &values) override;

private:
    void buildControls();
    bool m_fromUnit = false;
};

extern TFpage4 *Fpage4;
