#pragma once

#include "platform/core/seams.h"

namespace platform {

// The seams of the window system: message boxes, modal windows and file
// dialogs on screen; the machine's clock, sleeps and programs.
class WindowSeams : public MachineSeams {
public:
    int messageBox(QWidget *parent, const MessageCall &call) override;
    int showModal(QDialog *window) override;
    QString fileDialog(QWidget *parent, const FileDialogCall &call) override;
};

// Makes the window system's seams the real ones (the program does this once
// at start-up, before its first window).
void useWindowSystem();

} // namespace platform
