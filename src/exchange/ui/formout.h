#pragma once

#include "exchange/ui/windowprompt.h"

#include <QDialog>
#include <memory>

class DBGrid;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;
namespace exchange {
class Archiver;
class ArjArchiver;
}

// "数据导出": the records the user selects, with their sub-table rows and the
// organisation profile, packed as "cgsbqy.arj" into a chosen folder.
class TFormout : public QDialog {
    Q_OBJECT
public:
    explicit TFormout(QWidget *parent = nullptr);
    ~TFormout() override;

    DBGrid *DBGrid1;
    QLineEdit *Edit1;
    QPushButton *btnFolder;
    QRadioButton *RadioButton5, *RadioButton7;
    QComboBox *ComboBox2;
    QPushButton *Button2, *Button1;
    QLabel *Label1;
    QWidget *Panelstat;
    QProgressBar *Gauge1;

    // The window is about to show: years, export marks, empty list.
    void FormShow();
    void RadioButton5Click();
    void RadioButton7Click();
    void ComboBox2Change();
    void btnFolderClick();
    void Button2Click();
    void Button1Click();

    // The physical rows of kjcg selected in the grid, in table order.
    QList<int> selectedRows();
    // Tests and the screenshot driver use another archiver.
    void setArchiver(exchange::Archiver *archiver);

public:
    // Escape and the window manager's close leave through "退出", and not
    // while the records are being exported; while the archiver packs them
    // they stop it and leave after it.
    void reject() override;

protected:
    void showEvent(QShowEvent *e) override;

private:
    std::unique_ptr<exchange::ArjArchiver> m_arj;
    exchange::Archiver *m_archiver;
    bool m_busy = false;
    ArchiverStop m_stop;
    void selectAllRows();
    void updateCount();
};

extern TFormout *Formout;
