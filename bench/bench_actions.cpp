// The main window's actions, timed in a running program: the start as the
// program makes it (windows, data module, first showing, the record list
// painted), then, one after the other, each from the moment the user's
// action is made to the first paint of what it brings up:
//
//   year      another year chosen in the year list (the record list repainted)
//   category  another category chosen (the record list repainted)
//   page8     the persons page of the current record opened (its window painted)
//   print     the print command (the print dialog painted)
//   export    the export command (the export window painted)
//
// Each modal window is shown, timed at its first paint and closed unanswered;
// the splash is answered at once.  A message box that comes up instead is
// printed and answered "OK", and the action is marked with it.
//
//   bench_actions DATA_FOLDER        prints "action NAME MS [note]" lines

#include "app/startup.h"
#include "forms/dbgrid.h"
#include "platform/core/seams.h"
#include "platform/widgets/windowseams.h"
#include "shell/mainform.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QPushButton>

#include <cstdio>
#include <functional>

namespace {

QElapsedTimer clock_;
QString note;

// Processes events until `done` holds or `limitMs` passed; false on time-out.
bool waitFor(const std::function<bool()> &done, int limitMs = 600000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Notes the first paint of a widget or of anything inside it.
class PaintWatch : public QObject {
public:
    QWidget *target = nullptr;
    bool painted = false;
    qint64 at = 0;
    void watch(QWidget *w)
    {
        target = w;
        painted = false;
    }
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (!painted && target && e->type() == QEvent::Paint && o->isWidgetType()) {
            auto *w = static_cast<QWidget *>(o);
            if (w == target || target->isAncestorOf(w)) {
                painted = true;
                at = clock_.nsecsElapsed();
            }
        }
        return false;
    }
};
PaintWatch paints;

class Driver : public platform::Seams {
public:
    explicit Driver(platform::Seams &real) : m_real(real) {}
    int messageBox(QWidget *, const platform::MessageCall &c) override
    {
        note = QStringLiteral("message: ") + QString(c.text).replace(QLatin1Char('\n'), QLatin1Char(' '));
        return platform::Ok;
    }
    int showModal(QDialog *w) override
    {
        if (w->objectName() == QLatin1String("formwel"))
            return 1;
        paints.watch(w);
        w->show();
        if (!waitFor([] { return paints.painted; }))
            note = QStringLiteral("window never painted");
        w->hide();
        return 0;
    }
    QString fileDialog(QWidget *, const platform::FileDialogCall &) override { return {}; }
    QDateTime now() override { return m_real.now(); }
    void sleepMs(int ms) override { m_real.sleepMs(ms); }
    bool startProgram(const QString &, const QStringList &, const QString &, const platform::ProgramFailed &) override
    {
        return false;
    }

private:
    platform::Seams &m_real;
};

// Times `action` up to the first paint of `target` (or of the window it
// shows modally when `target` is null).
void timeAction(const char *name, QWidget *target, const std::function<void()> &action)
{
    note.clear();
    paints.watch(target);
    const qint64 start = clock_.nsecsElapsed();
    action();
    if (target && !waitFor([] { return paints.painted; }, 10000))
        note = QStringLiteral("no repaint");
    const qint64 end = paints.painted ? paints.at : clock_.nsecsElapsed();
    QCoreApplication::processEvents();
    std::printf("action %s %.1f %s\n", name, double(end - start) / 1e6, qPrintable(note));
    std::fflush(stdout);
}

void choose(QComboBox *combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_actions DATA_FOLDER\n");
        return 2;
    }
    platform::useWindowSystem();
    installQtTranslations();
    Driver driver(platform::seams());
    platform::install(&driver);
    app.installEventFilter(&paints);
    clock_.start();
    if (!openDataAndWindows(QString::fromLocal8Bit(argv[1])) || !showMainWindow()) {
        std::fprintf(stderr, "the program did not start: %s\n", qPrintable(note));
        return 1;
    }
    QWidget *grid = MainForm->DBGrid1;
    paints.watch(grid);
    if (!waitFor([] { return paints.painted; }, 60000)) {
        std::fprintf(stderr, "the record list was never painted\n");
        return 1;
    }
    std::printf("start %.1f\n", double(paints.at) / 1e6);
    if (!MainForm->cbYear->isEnabled())
        std::printf("locked: %s\n", qPrintable(MainForm->IncompleteMessage()));

    timeAction("year", grid, [] { choose(MainForm->cbYear, qMin(1, MainForm->cbYear->count() - 1)); });
    timeAction("category", grid, [] { choose(MainForm->ComboBox1, 1); });
    choose(MainForm->ComboBox1, 0);
    waitFor([] { return false; }, 50);
    timeAction("page8", nullptr, [] { MainForm->btn_page08->click(); });
    timeAction("print", nullptr, [] { MainForm->BitBtn4->click(); });
    timeAction("export", nullptr, [] { MainForm->BitBtn2->click(); });
    std::fflush(stdout);
    ::_exit(0);
}
