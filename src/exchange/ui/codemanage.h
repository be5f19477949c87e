#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;
namespace exchange {
class Archiver;
class CodeUpdater;
}

// "代码管理": replaces one of the four delivered code tables from an update
// package or from a table file.
class TFcodeManage : public QDialog {
    Q_OBJECT
public:
    explicit TFcodeManage(QWidget *parent = nullptr);

    QLineEdit *Edit1, *Edit3, *Edit4, *Edit5;
    QPushButton *Button4, *Button2, *Button6, *Button7, *Button8, *Button9, *Button10, *Button11, *Button3;

    // The group's package button and table-file button.
    void updateFromPackage(int group);
    void updateFromFile(int group);
    void setArchiver(exchange::Archiver *archiver) { m_archiver = archiver; }

    // Not while a table is being replaced.
    void reject() override;

private:
    // Runs one update with the data module's users of the table closed
    // around the swap and the buttons off meanwhile.
    void runUpdate(const std::function<void(exchange::CodeUpdater &)> &work);

    QList<QLineEdit *> m_edits;
    exchange::Archiver *m_archiver = nullptr;
    bool m_busy = false;
};

extern TFcodeManage *FcodeManage;
