// Program start: one copy per title, the windows and the data module in their
// fixed order, then the event loop until the main window closes.
#include "base/error.h"
#include "shell/mainform.h"
#include "platform/core/instance.h"
#include "platform/core/seams.h"
#include "platform/widgets/windowseams.h"
#include "startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString());
    QApplication::setApplicationName(AppTitle);
    QApplication::setStyle(QStringLiteral("Fusion"));
    platform::useWindowSystem();
    installQtTranslations();

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
