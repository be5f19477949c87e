#pragma once

#include "platform/core/seams.h"

#include <QIdentityProxyModel>

namespace platform {

// The seams of the window system: message boxes, modal windows and file
// dialogs on screen; the machine's clock, sleeps and programs.
class WindowSeams : public MachineSeams {
public:
    int messageBox(QWidget *parent, const MessageCall &call) override;
    int showModal(QDialog *window) override;
    QString fileDialog(QWidget *parent, const FileDialogCall &call) override;
};

// The window that asks for a box or a dialog: the modal window in front,
// else `parent`'s window when it is on screen, else the active window (never
// `except`); nullptr when none is on screen.
QWidget *askingWindow(QWidget *parent, const QWidget *except);
// Moves a top-level window so that it is centred on `on` (on its screen
// when `on` is nullptr), whole on the screen where it fits.
void centreOn(QWidget *window, const QWidget *on);

// The file dialogs' columns that Qt fills from the system's locale (size,
// kind of a folder, date) in Chinese, whatever that locale is.
class FileColumnsInChinese : public QIdentityProxyModel {
    Q_OBJECT
public:
    explicit FileColumnsInChinese(QObject *parent = nullptr);
    QVariant data(const QModelIndex &index, int role) const override;
};

// Makes the window system's seams the real ones (the program does this once
// at start-up, before its first window).
void useWindowSystem();

} // namespace platform
