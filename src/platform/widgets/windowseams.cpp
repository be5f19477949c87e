#include "windowseams.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace platform {

int WindowSeams::messageBox(QWidget *parent, const MessageCall &call)
{
    QMessageBox box(parent);
    box.setWindowTitle(call.caption);
    box.setText(call.text);
    switch (call.icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Error: box.setIcon(QMessageBox::Critical); break;
    }
    QMessageBox::StandardButtons std;
    if (call.buttons & Ok) std |= QMessageBox::Ok;
    if (call.buttons & Yes) std |= QMessageBox::Yes;
    if (call.buttons & No) std |= QMessageBox::No;
    if (call.buttons & Cancel) std |= QMessageBox::Cancel;
    box.setStandardButtons(std);
    const int r = box.exec();
    switch (r) {
    case QMessageBox::Yes: return Yes;
    case QMessageBox::No: return No;
    case QMessageBox::Cancel: return Cancel;
    default: return (call.buttons & Ok) ? Ok : Cancel;
    }
}

int WindowSeams::showModal(QDialog *window)
{
    return window->exec();
}

QString WindowSeams::fileDialog(QWidget *parent, const FileDialogCall &call)
{
    if (call.folderOnly)
        return QFileDialog::getExistingDirectory(parent, call.title, call.folder);
    if (call.save)
        return QFileDialog::getSaveFileName(parent, call.title, call.folder, call.filter);
    return QFileDialog::getOpenFileName(parent, call.title, call.folder, call.filter);
}

void useWindowSystem()
{
    static WindowSeams seams;
    setRealSeams(&seams);
}

} // namespace platform
