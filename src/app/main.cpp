// Program start: one copy per title, the windows and the data module in their
// fixed order, then the event loop until the main window closes.
#include "base/error.h"
#include "forms/dbgrid.h"
#include "platform/core/instance.h"
#include "platform/core/seams.h"
#include "platform/widgets/windowseams.h"
#include "shell/formwel.h"
#include "shell/mainform.h"
#include "startup.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

// Timing of the start for the benchmarks, only when SORVEL_PAINT_TIMES is set:
// the monotonic time of the splash's first paint and of the record list's
// first paint go to standard error; the splash closes at once and the
// program ends at the list's first paint.
class PaintTimes : public QObject {
public:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() != QEvent::Paint || !o->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(o);
        if (formwel && w == formwel) {
            // The splash is shown while the tables are read and again,
            // modally, until its timer ends: closed at each showing.
            if (!m_splash)
                stamp("splash");
            m_splash = true;
            QTimer::singleShot(0, formwel, [] { formwel->close(); });
        } else if (MainForm && MainForm->DBGrid1 && (w == MainForm->DBGrid1 || MainForm->DBGrid1->isAncestorOf(w))) {
            stamp("grid");
            ::_exit(0);
        }
        return false;
    }

private:
    static void stamp(const char *what)
    {
        timespec t{};
        ::clock_gettime(CLOCK_MONOTONIC, &t);
        std::fprintf(stderr, "%s painted %lld\n", what, (long long)t.tv_sec * 1000000000LL + t.tv_nsec);
        std::fflush(stderr);
    }
    bool m_splash = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString());
    QApplication::setApplicationName(AppTitle);
    QApplication::setStyle(QStringLiteral("Fusion"));
    platform::useWindowSystem();
    installQtTranslations();
    PaintTimes paintTimes;
    if (qEnvironmentVariableIsSet("SORVEL_PAINT_TIMES"))
        app.installEventFilter(&paintTimes);

    // A second copy ends at once, without a word or a window.
    platform::SingleInstance instance(AppTitle);
    if (!instance.problem().isEmpty()) {
        platform::messageBox(nullptr, instance.problem(), AppTitle, platform::Icon::Error, platform::Ok);
        return 1;
    }
    if (!instance.isFirst())
        return 0;
    removeTempLeftovers();

    // The windows and the data module, each once, in the program's order.
    if (!openDataAndWindows(QCoreApplication::applicationDirPath() + QStringLiteral("/data")))
        return 1;
    if (!showMainWindow()) {
        const bool failed = !MainForm->startEnded();
        destroyWindows();
        return failed ? 1 : 0;
    }
    const int rc = app.exec();
    destroyWindows();
    return rc;
}
