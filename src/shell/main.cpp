// Program start: one copy per title, the windows and the data module in their
// fixed order, then the event loop until the main window closes.
#include "data/dm.h"
#include "entry/formnew.h"
#include "entry/formtree.h"
#include "entry/fpage1.h"
#include "entry/fpage2.h"
#include "entry/fpage3.h"
#include "entry/pages.h"
#include "db/error.h"
#include "formwel.h"
#include "mainform.h"
#include "platform/instance.h"
#include "platform/seams.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString());
    QApplication::setApplicationName(AppTitle);
    QApplication::setStyle(QStringLiteral("Fusion"));

    // A second copy ends at once, without a word or a window.
    platform::SingleInstance instance(AppTitle);
    if (!instance.isFirst())
        return 0;

    MainForm = new TMainForm;
    formwel = new Tformwel(MainForm);
    try {
        DM = new TDM(QCoreApplication::applicationDirPath() + QStringLiteral("/data"));
        FormTree = new TFormTree(MainForm);
        FormNew = new TFormNew(MainForm);
        Fpage1 = new TFpage1(MainForm);
        Fpage2 = new TFpage2(MainForm);
        Fpage3 = new TFpage3(MainForm);
        wireQueryBuilderPicker();
        MainForm->openPage = openRecordPage;
    } catch (const db::EngineError &e) {
        platform::messageBox(nullptr, e.message(), AppTitle, platform::Icon::Error, platform::Ok);
        delete MainForm;
        return 1;
    }
    try {
        MainForm->FormShow();
    } catch (const db::EngineError &e) {
        platform::messageBox(MainForm, e.message(), MsgCaption, platform::Icon::Error, platform::Ok);
    }
    MainForm->show();
    const int rc = app.exec();
    delete MainForm;
    delete DM;
    return rc;
}
