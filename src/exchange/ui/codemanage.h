#pragma once

#include "exchange/ui/windowprompt.h"

#include <QDialog>

#include <functional>
#include <memory>

class QLineEdit;
class QPushButton;
namespace exchange {
class Archiver;
class ArjArchiver;
class CodeUpdater;
}

// "代码管理": replaces one of the four delivered code tables from an update
// package or from a table file.
class TFcodeManage : public QDialog {
    Q_OBJECT
public:
    explicit TFcodeManage(QWidget *parent = nullptr);
    ~TFcodeManage() override;

    QLineEdit *Edit1, *Edit3, *Edit4, *Edit5;
    QPushButton *Button4, *Button2, *Button6, *Button7, *Button8, *Button9, *Button10, *Button11, *Button3;

    // The group's package button and table-file button.
    void updateFromPackage(int group);
    void updateFromFile(int group);
    void setArchiver(exchange::Archiver *archiver);

    // Not while a table is being replaced; while the archiver unpacks a
    // package it stops it and leaves after it.
    void reject() override;

private:
    // Runs one update with the data module's users of the table closed
    // around the swap and the buttons off meanwhile.
    void runUpdate(const std::function<void(exchange::CodeUpdater &)> &work);

    QList<QLineEdit *> m_edits;
    std::unique_ptr<exchange::ArjArchiver> m_arj;
    exchange::Archiver *m_archiver;
    bool m_busy = false;
    ArchiverStop m_stop;
};

extern TFcodeManage *FcodeManage;
