#include "windowseams.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QSpacerItem>

namespace platform {

QWidget *askingWindow(QWidget *parent, const QWidget *except)
{
    const auto usable = [except](QWidget *w) {
        return w && w->window() != except && w->window()->isVisible();
    };
    // The modal window in front asks, even when it has a shared routine of
    // the main window put the question (the main window is its parent).
    if (QWidget *modal = QApplication::activeModalWidget(); usable(modal))
        return modal->window();
    if (usable(parent))
        return parent->window();
    if (QWidget *active = QApplication::activeWindow(); usable(active))
        return active->window();
    // The topmost visible window the program has (the window that asks
    // even when the window system has not made it active).
    QWidget *found = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (usable(w) && (w->isModal() || !found))
            found = w;
    return found;
}

void centreOn(QWidget *window, const QWidget *on)
{
    const QRect area = on ? on->frameGeometry()
                          : (window->screen() ? window->screen()->availableGeometry() : QRect());
    if (area.isEmpty())
        return;
    QSize size = window->frameGeometry().size();
    if (!window->testAttribute(Qt::WA_WState_Created) || size.isEmpty())
        size = window->size().expandedTo(window->sizeHint());
    // A window the window manager has not framed yet is given the frame of
    // the window it sits on, so that the whole window, title bar and all,
    // is centred.
    QPoint clientOffset;
    const bool unframed = window->frameGeometry().size() == window->size();
    if (on && unframed) {
        const QRect frame = on->frameGeometry(), client = on->geometry();
        if (frame.contains(client)) {
            size += frame.size() - client.size();
            clientOffset = client.topLeft() - frame.topLeft();
        }
    }
    QPoint to = area.center() - QPoint(size.width() / 2, size.height() / 2);
    // Whole on the screen where possible.
    if (QScreen *screen = on ? on->screen() : window->screen()) {
        const QRect avail = screen->availableGeometry();
        to.setX(qBound(avail.left(), to.x(), qMax(avail.left(), avail.right() - size.width())));
        to.setY(qBound(avail.top(), to.y(), qMax(avail.top(), avail.bottom() - size.height())));
    }
    // Before the window exists, move() places its frame; once it exists
    // with a frame still unknown, its client area.
    if (window->testAttribute(Qt::WA_WState_Created) && unframed)
        to += clientOffset;
    window->move(to);
}

namespace {

// A message box centred on the window that asks once it has its final
// size: QMessageBox sizes itself only as it is shown, after QDialog placed
// it by its earlier size, which leaves it low and to the right.
class CentredBox : public QMessageBox {
public:
    CentredBox(QWidget *owner, QWidget *asking) : QMessageBox(owner), m_asking(asking) {}

protected:
    void showEvent(QShowEvent *e) override
    {
        QMessageBox::showEvent(e);
        centreOn(this, m_asking);
    }

private:
    QPointer<QWidget> m_asking;
};

} // namespace

int WindowSeams::messageBox(QWidget *parent, const MessageCall &call)
{
    // Owned by, and centred on, the window that asks: the parent when it is
    // on screen, else the modal window in front (a hidden main window would
    // put the box in a corner).
    QWidget *asking = askingWindow(parent, nullptr);
    CentredBox box(asking ? asking : parent, asking);
    box.setWindowTitle(call.caption);
    box.setText(call.text);
    if (!call.details.isEmpty())
        box.setDetailedText(call.details);
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
    // Wide enough for its caption and the title bar's buttons.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
        titleFont.setBold(true);
        const int width = QFontMetrics(titleFont).horizontalAdvance(call.caption) + 160;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
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
    // The first showing centres the window on the window that asks; later
    // showings find it where it was left.
    static const char *const kPlaced = "sorvelPlaced";
    if (!window->property(kPlaced).toBool()) {
        window->ensurePolished();
        centreOn(window, askingWindow(nullptr, window));
        window->setProperty(kPlaced, true);
    }
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
