#include "seams.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace platform {
namespace {

MachineSeams g_machine;
Seams *g_real = &g_machine;
Seams *g_current = &g_machine;
TimeSource *g_time = nullptr;
// The process objects of started programs, destroyed only after the program
// has ended (destroying one would end its program).
QSet<QProcess *> g_started;

} // namespace

int MachineSeams::messageBox(QWidget *, const MessageCall &call)
{
    if (call.buttons & Cancel)
        return Cancel;
    if (call.buttons & No)
        return No;
    return Ok;
}
int MachineSeams::showModal(QDialog *) { return 0; }
QString MachineSeams::fileDialog(QWidget *, const FileDialogCall &) { return QString(); }
QDateTime MachineSeams::now() { return QDateTime::currentDateTime(); }
void MachineSeams::sleepMs(int ms) { QThread::msleep(ulong(qMax(0, ms))); }
bool MachineSeams::startProgram(const QString &program, const QStringList &args, const QString &folder,
                                const ProgramFailed &failed)
{
    constexpr qint64 kWatchMs = 30000;
    auto *p = new QProcess;
    p->setProgram(program);
    p->setArguments(args);
    p->setWorkingDirectory(folder);
    // No terminal: a program that would draw on it (a text-mode browser a
    // desktop's opener falls back to) finds none.
    p->setStandardInputFile(QProcess::nullDevice());
    p->setStandardOutputFile(QProcess::nullDevice());
    p->setStandardErrorFile(QProcess::nullDevice());
    p->start();
    if (!p->waitForStarted(10000)) {
        delete p;
        return false;
    }
    g_started.insert(p);
    QObject::connect(p, &QObject::destroyed, [p] { g_started.remove(p); });
    QElapsedTimer clock;
    clock.start();
    QObject::connect(p, &QProcess::finished, p, [p, clock, failed](int code, QProcess::ExitStatus status) {
        p->deleteLater();
        if (!failed || clock.elapsed() > kWatchMs)
            return;
        if (status == QProcess::CrashExit)
            failed(QStringLiteral("异常终止"));
        else if (code != 0)
            failed(QStringLiteral("退出代码 %1").arg(code));
    });
    return true;
}

int programsRunning() { return int(g_started.size()); }
Seams &seams() { return *g_current; }
void install(Seams *replacement) { g_current = replacement ? replacement : g_real; }
void setRealSeams(Seams *real)
{
    const bool wasReal = g_current == g_real;
    g_real = real ? real : &g_machine;
    if (wasReal)
        g_current = g_real;
}
void installTimeSource(TimeSource *source) { g_time = source; }
TimeSource *timeSource() { return g_time; }

int messageBox(QWidget *parent, const QString &text, const QString &caption, Icon icon, int buttons)
{
    return messageBox(parent, text, caption, icon, buttons, QString());
}
int messageBox(QWidget *parent, const QString &text, const QString &caption, Icon icon, int buttons,
               const QString &details)
{
    // Every message also goes to standard error, so a start from a terminal
    // or without a screen says why it stopped.
    std::fprintf(stderr, "%s: %s\n", caption.toLocal8Bit().constData(), text.toLocal8Bit().constData());
    std::fflush(stderr);
    return seams().messageBox(parent, MessageCall{text, caption, icon, buttons, details});
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
QDateTime now() { return g_time ? g_time->now() : seams().now(); }
QDate today() { return now().date(); }
void sleepMs(int ms)
{
    if (g_time)
        g_time->sleepMs(ms);
    else
        seams().sleepMs(ms);
}
bool startProgram(const QString &program, const QStringList &args, const QString &folder,
                  const ProgramFailed &failed)
{
    return seams().startProgram(program, args, folder, failed);
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
    if (g_time)
        g_time->timerSwitched(this, false);
}

void Timer::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    if (g_time) {
        g_time->timerSwitched(this, on);
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

} // namespace platform
