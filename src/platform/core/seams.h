#pragma once

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;
class QDialog;

// Everything the program asks of the person at the screen or of the machine
// goes through here, so tests can stand in: message boxes, modal windows,
// file dialogs, the clock, timers and sleeps, starting another program.
// Only the interfaces live here (QtCore): the windowed dialogs are
// platform/widgets' (useWindowSystem()), the tests' stand-ins are under
// tests/support.  Headless code may ask its questions through messageBox().
namespace platform {

enum class Icon { None, Information, Warning, Question, Error };

enum Button { Ok = 0x1, Yes = 0x2, No = 0x4, Cancel = 0x8 };

struct MessageCall {
    QString text;
    QString caption;
    Icon icon = Icon::None;
    int buttons = Ok;
    QString details;  // a longer text the box shows on request (empty: none)
};

struct FileDialogCall {
    QString title;
    QString folder;
    QString filter;
    bool folderOnly = false;
    bool save = false;  // ask for a file to write (a new name is allowed)
};

class Timer;

// Called when a started program soon ends with a failure; `reason` says how
// ("退出代码 3", "异常终止").
using ProgramFailed = std::function<void(const QString &reason)>;

// The real implementation talks to the window system and the machine;
// tests install a replacement with `install`.
class Seams {
public:
    virtual ~Seams() = default;
    virtual int messageBox(QWidget *parent, const MessageCall &call) = 0;
    // Shows a window modally and returns when it closes (its result code).
    virtual int showModal(QDialog *window) = 0;
    virtual QString fileDialog(QWidget *parent, const FileDialogCall &call) = 0;
    virtual QDateTime now() = 0;
    virtual void sleepMs(int ms) = 0;
    // Starts a program and leaves it running (it outlives this process);
    // false when it cannot start.  `failed`, when given, is called once on
    // the window thread if the program ends with a non-zero exit status or
    // a crash within its first half minute.
    virtual bool startProgram(const QString &program, const QStringList &args, const QString &folder,
                              const ProgramFailed &failed) = 0;
};

// The machine itself: its clock, sleeps and programs.  Without a window
// system (see platform/widgets' useWindowSystem()) it answers every dialog
// as cancelled: a message box with its Cancel, No or Ok, a modal window with
// 0, a file dialog with an empty name.
class MachineSeams : public Seams {
public:
    int messageBox(QWidget *parent, const MessageCall &call) override;
    int showModal(QDialog *window) override;
    QString fileDialog(QWidget *parent, const FileDialogCall &call) override;
    QDateTime now() override;
    void sleepMs(int ms) override;
    bool startProgram(const QString &program, const QStringList &args, const QString &folder,
                      const ProgramFailed &failed) override;
};

Seams &seams();
// Installs a replacement (nullptr restores the real one).  Not owned.
void install(Seams *replacement);
// Makes `real` the real one (the window system's seams).  Not owned.
void setRealSeams(Seams *real);

// Conveniences over the current seams.
int messageBox(QWidget *parent, const QString &text, const QString &caption, Icon icon, int buttons);
// The same with a longer text shown on request (a list too long for the box).
int messageBox(QWidget *parent, const QString &text, const QString &caption, Icon icon, int buttons,
               const QString &details);
int showModal(QDialog *window);
QString openFileName(QWidget *parent, const QString &title, const QString &folder, const QString &filter);
QString folderName(QWidget *parent, const QString &title, const QString &folder);
QString saveFileName(QWidget *parent, const QString &title, const QString &folder, const QString &filter);
QDate today();
QDateTime now();
void sleepMs(int ms);
bool startProgram(const QString &program, const QStringList &args, const QString &folder,
                  const ProgramFailed &failed = {});
// Programs started on this machine whose process has not been seen to end
// (their exit is noticed by the event loop).
int programsRunning();

// A repeating or single timer that follows the seams' clock: real time in
// the program, the fake clock in tests (FakeClock::advance fires it).
class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QObject *parent = nullptr);
    ~Timer() override;
    // Changing the interval of a running timer starts its count again.
    void setInterval(int ms);
    int interval() const { return m_interval; }
    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }
    void start() { setEnabled(true); }
    void stop() { setEnabled(false); }

signals:
    void timeout();

public:
    // Emits timeout() when the timer is on (the machine's timer or the
    // installed time source calls it when the interval has passed).
    void fire();

private:
    int m_interval = 1000;
    bool m_enabled = false;
    QObject *m_real = nullptr;
};

// Stands in for real time (the tests' fake clock): while one is installed,
// now(), today(), sleepMs() and every Timer follow it instead of the machine.
class TimeSource {
public:
    virtual ~TimeSource() = default;
    virtual QDateTime now() = 0;
    virtual void sleepMs(int ms) = 0;
    // A timer was switched on (due one interval from now) or off, or is
    // being destroyed (off).  While on, the source calls Timer::fire().
    virtual void timerSwitched(Timer *timer, bool on) = 0;
};

// Installs a time source (nullptr: the machine's time again).  Not owned.
void installTimeSource(TimeSource *source);
TimeSource *timeSource();

// The program's own date and time formats (the machine's settings are left alone).
inline const QString &shortDateFormat() { static const QString f = QStringLiteral("yyyy-MM-dd"); return f; }
inline const QString &longDateFormat() { static const QString f = QStringLiteral("yyyy-MM-dd"); return f; }
inline const QString &timeFormat() { static const QString f = QStringLiteral("H:mm:ss"); return f; }

} // namespace platform
