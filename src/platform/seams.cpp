#include "seams.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace platform {
namespace {

class RealSeams : public Seams {
public:
    int messageBox(QWidget *parent, const MessageCall &call) override
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
    int showModal(QDialog *window) override { return window->exec(); }
    QString fileDialog(QWidget *parent, const FileDialogCall &call) override
    {
        if (call.folderOnly)
            return QFileDialog::getExistingDirectory(parent, call.title, call.folder);
        if (call.save)
            return QFileDialog::getSaveFileName(parent, call.title, call.folder, call.filter);
        return QFileDialog::getOpenFileName(parent, call.title, call.folder, call.filter);
    }
    QDateTime now() override { return QDateTime::currentDateTime(); }
    void sleepMs(int ms) override { QThread::msleep(ulong(qMax(0, ms))); }
    bool startProgram(const QString &program, const QStringList &args, const QString &folder) override
    {
        return QProcess::startDetached(program, args, folder);
    }
};

RealSeams g_real;
Seams *g_current = &g_real;

struct FakeClockState {
    bool active = false;
    QDateTime start;
    qint64 elapsed = 0;
    std::vector<Timer *> timers;
};
FakeClockState &clock()
{
    static FakeClockState s;
    return s;
}

} // namespace

Seams &seams() { return *g_current; }
void install(Seams *replacement) { g_current = replacement ? replacement : &g_real; }

int messageBox(QWidget *parent, const QString &text, const QString &caption, Icon icon, int buttons)
{
    return seams().messageBox(parent, MessageCall{text, caption, icon, buttons});
}
int showModal(QDialog *window) { return seams().showModal(window); }
QString openFileName(QWidget *parent, const QString &title, const QString &folder, const QString &filter)
{
    return seams().fileDialog(parent, FileDialogCall{title, folder, filter, false});
}
QString folderName(QWidget *parent, const QString &title, const QString &folder)
{
    return seams().fileDialog(parent, FileDialogCall{title, folder, QString(), true});
}
QString saveFileName(QWidget *parent, const QString &title, const QString &folder, const QString &filter)
{
    return seams().fileDialog(parent, FileDialogCall{title, folder, filter, false, true});
}
QDateTime now() { return FakeClock::active() ? FakeClock::now() : seams().now(); }
QDate today() { return now().date(); }
void sleepMs(int ms)
{
    if (FakeClock::active())
        FakeClock::advance(ms);
    else
        seams().sleepMs(ms);
}
bool startProgram(const QString &program, const QStringList &args, const QString &folder)
{
    return seams().startProgram(program, args, folder);
}

// ---------------------------------------------------------------------------

Timer::Timer(QObject *parent) : QObject(parent) {}

void Timer::setInterval(int ms)
{
    if (ms == m_interval)
        return;
    m_interval = ms;
    if (m_enabled) {
        setEnabled(false);
        setEnabled(true);
    }
}

Timer::~Timer()
{
    auto &t = clock().timers;
    t.erase(std::remove(t.begin(), t.end(), this), t.end());
}

void Timer::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    if (FakeClock::active()) {
        auto &t = clock().timers;
        t.erase(std::remove(t.begin(), t.end(), this), t.end());
        if (on) {
            m_due = clock().elapsed + m_interval;
            t.push_back(this);
        }
        return;
    }
    if (on) {
        auto *qt = new QTimer(this);
        qt->setInterval(m_interval);
        connect(qt, &QTimer::timeout, this, &Timer::fire);
        qt->start();
        m_real = qt;
    } else if (m_real) {
        // Stopped at once: a timer turned off and on again in one handler
        // must not leave the old one ticking until it is deleted.
        static_cast<QTimer *>(m_real)->stop();
        m_real->deleteLater();
        m_real = nullptr;
    }
}

void Timer::fire()
{
    if (m_enabled)
        emit timeout();
}

bool FakeClock::active() { return clock().active; }

void FakeClock::activate(const QDateTime &start)
{
    clock().active = true;
    clock().start = start;
    clock().elapsed = 0;
    clock().timers.clear();
}

void FakeClock::deactivate()
{
    clock().active = false;
    clock().timers.clear();
}

QDateTime FakeClock::now() { return clock().start.addMSecs(clock().elapsed); }

void FakeClock::advance(int ms)
{
    auto &c = clock();
    const qint64 target = c.elapsed + qMax(0, ms);
    for (;;) {
        Timer *next = nullptr;
        for (Timer *t : c.timers)
            if (t->m_enabled && t->m_due <= target && (!next || t->m_due < next->m_due))
                next = t;
        if (!next)
            break;
        // A handler that sleeps moves the clock on itself; time never goes back.
        c.elapsed = qMax(c.elapsed, next->m_due);
        next->m_due += qMax(1, next->m_interval);
        next->fire();
    }
    c.elapsed = qMax(c.elapsed, target);
}

} // namespace platform
