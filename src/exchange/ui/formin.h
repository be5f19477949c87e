#pragma once

#include "exchange/prompt.h"
#include "exchange/ui/windowprompt.h"

#include <QDialog>
#include <memory>

class DBGrid;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QWidget;
namespace exchange {
class ArjArchiver;
class Archiver;
class Importer;
}

// "数据导入": choose a package, load it into the staging tables, resolve
// duplicates, re-date, and save the records under new keys.
class TFormin : public QDialog {
    Q_OBJECT
public:
    explicit TFormin(QWidget *parent = nullptr);
    ~TFormin() override;

    DBGrid *DBGrid1;
    QPushButton *Button1, *Button3, *Button4, *Button6, *Button8, *Button7, *Button5, *btnformat;
    QLineEdit *Edit1;
    QLabel *Label6, *Label2, *Label7;
    QWidget *Panel1;
    QLineEdit *Edit2;
    QPushButton *Button2;
    QWidget *Panelstat;
    QProgressBar *Gauge1;
    QWidget *Panel4;
    QLabel *Label5;

    void FormShow();
    void Button1Click();   // 请选择导入文件
    void Button3Click();   // 导入
    void Button4Click();   // 排重
    void Button2Click();   // 确定 (renaming)
    void Button6Click();   // 保存
    void Button8Click();   // 同名覆盖
    void Button7Click();   // 删除
    void btnformatClick(); // 修改成果年份
    void Button5Click();   // 退出
    void Label7Click();    // 改名

    // Tests and the benchmark use another archiver.
    void setArchiver(exchange::Archiver *archiver);
    exchange::Importer &importer() { return *m_importer; }

public:
    // Escape and the window manager's close leave through "退出", and not
    // while a name is being corrected; while the window works they stop a
    // waiting archiver and leave after it.
    void reject() override;

protected:
    void showEvent(QShowEvent *e) override;

private:
    void SetImportButtons(int state);
    void writeSummary();
    int currentStagedRow();
    void save(bool overwrite);
    // Questions to the message seam, progress to Gauge1, the file being
    // loaded to Label5.
    exchange::Prompt importPrompt();
    std::unique_ptr<exchange::ArjArchiver> m_arj;
    exchange::Archiver *m_archiver;
    std::unique_ptr<exchange::Importer> m_importer;
    int m_renaming = -1;
    bool m_busy = false;
    ArchiverStop m_stop;
};

// "修改成果年份": moves the current staged record to another year.
class Tformformat : public QDialog {
    Q_OBJECT
public:
    Tformformat(exchange::Importer &importer, int stagedRow, QWidget *parent = nullptr);
    QLineEdit *edt_4;
    QPushButton *btnsave, *btnexit;
    void btnsaveClick();

private:
    exchange::Importer &m_importer;
    int m_row;
};

extern TFormin *Formin;
