#include "startup.h"

#include "data/dm.h"
#include "data/tablerepair.h"
#include "db/error.h"
#include "db/idle.h"
#include "entry/finto5.h"
#include "entry/finto6.h"
#include "entry/finto7.h"
#include "entry/finto8.h"
#include "entry/formnew.h"
#include "entry/formtree.h"
#include "entry/fpage1.h"
#include "entry/fpage2.h"
#include "entry/fpage3.h"
#include "entry/fpage4.h"
#include "entry/fpage5.h"
#include "entry/fpage6.h"
#include "entry/fpage7.h"
#include "entry/fpage8.h"
#include "entry/fpage9.h"
#include "entry/help.h"
#include "entry/pages.h"
#include "exchange/ui/codemanage.h"
#include "exchange/ui/formin.h"
#include "exchange/ui/formout.h"
#include "organisation/finto11.h"
#include "organisation/fpage11.h"
#include "organisation/fpage4a.h"
#include "organisation/unittexts.h"
#include "output/layouts/pages.h"
#include "output/ui/printcommand.h"
#include "output/ui/printform.h"
#include "output/word/wordexport.h"
#include "platform/core/seams.h"
#include "platform/core/tempfolders.h"
#include "shell/formwel.h"
#include "shell/mainform.h"

#include <QDir>
#include "base/error.h"
#include "platform/core/seams.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// While the start reads the tables, the splash keeps being painted and the
// window system's questions answered; what the user types waits.
void keepSplashPainted()
{
    static QElapsedTimer last;
    if (last.isValid() && last.elapsed() < 40)
        return;
    last.start();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

struct SplashKeptPainted {
    SplashKeptPainted() { db::setIdleHook(keepSplashPainted); }
    ~SplashKeptPainted() { db::setIdleHook(nullptr); }
    SplashKeptPainted(const SplashKeptPainted &) = delete;
    SplashKeptPainted &operator=(const SplashKeptPainted &) = delete;
};

} // namespace

void createWindows(const QString &dataPath)
{
    // (Printing comes with its command.)
    MainForm = new TMainForm;
    formwel = new Tformwel(MainForm);
    // The splash is on screen before the tables are read.
    formwel->showWhileStarting();
    SplashKeptPainted painted;
    Fpage6 = new TFpage6(MainForm);
    DM = new TDM(dataPath);
    keepSplashPainted();
    FormTree = new TFormTree(MainForm);
    FormNew = new TFormNew(MainForm);
    Finto8 = new TFinto8(MainForm);
    Finto7 = new TFinto7(MainForm);
    Finto6 = new TFinto6(MainForm);
    Finto5 = new TFinto5(MainForm);
    PrintForm = new TPrintForm([](const QString &instance) { return layouts::buildPage(QLatin1Char('T') + instance); },
                               MainForm);
    Fpage1 = new TFpage1(MainForm);
    Fpage2 = new TFpage2(MainForm);
    Fpage3 = new TFpage3(MainForm);
    Fpage4 = new TFpage4(MainForm);
    Fpage5 = new TFpage5(MainForm);
    Fpage7 = new TFpage7(MainForm);
    Fpage8 = new TFpage8(MainForm);
    Fpage9 = new TFpage9(MainForm);
    HelpForm = new THelpForm(MainForm);
    HelpForm_rj = new THelpForm_rj(MainForm);
    Fpage4a = new TFpage4a(MainForm);
    Fpage11 = new TFpage11(MainForm);
    Finto11 = new TFinto11(MainForm);
    formadvantage = new Tformadvantage(MainForm);
    formunitintrod = new Tformunitintrod(MainForm);
    HelpCggk = new THelpCggk(MainForm);
    HelpWcdw = new THelpWcdw(MainForm);
    HelpCglx = new THelpCglx(MainForm);
    HelpZscq = new THelpZscq(MainForm);
    HelpHzdw = new THelpHzdw(MainForm);
    HelpPjwy = new THelpPjwy(MainForm);
    HelpPjzs = new THelpPjzs(MainForm);
    HelpWcr = new THelpWcr(MainForm);
    HelpCggkRj = new THelpCggkRj(MainForm);
    HelpKtlxRj = new THelpKtlxRj(MainForm);
    Formstudy = new TFormstudy(MainForm);
    Formout = new TFormout(MainForm);
    Formin = new TFormin(MainForm);
    FcodeManage = new TFcodeManage(MainForm);

    MainForm->openPage = openRecordPage;
    MainForm->openNewRecord = [] { FormNew->ShowForNewRecord(); };
    MainForm->openMainItems = [](int categoryPos) { FormNew->ShowForMainItems(categoryPos); };
    MainForm->openPrint = [] { runPrintCommand(*MainForm, *PrintForm); };
    wireQueryBuilderPicker();
    wirePatentsList();
    wireOrganisationPage();
    wireHelpButtons();
    MainForm->openExport = [] {
        platform::showModal(Formout);
        MainForm->AfterExchange(false);
    };
    MainForm->openImport = [] {
        platform::showModal(Formin);
        MainForm->AfterExchange(true);
    };
    MainForm->openCodeManage = [] { platform::showModal(FcodeManage); };
}

void destroyWindows()
{
    delete MainForm;   // its windows with it
    MainForm = nullptr;
    formwel = nullptr;
    Fpage6 = nullptr;
    FormTree = nullptr;
    FormNew = nullptr;
    Finto8 = nullptr;
    Finto7 = nullptr;
    Finto6 = nullptr;
    Finto5 = nullptr;
    Fpage1 = nullptr;
    Fpage2 = nullptr;
    Fpage3 = nullptr;
    Fpage4 = nullptr;
    Fpage5 = nullptr;
    Fpage7 = nullptr;
    Fpage8 = nullptr;
    Fpage9 = nullptr;
    HelpForm = nullptr;
    HelpForm_rj = nullptr;
    Fpage4a = nullptr;
    Fpage11 = nullptr;
    Finto11 = nullptr;
    formadvantage = nullptr;
    formunitintrod = nullptr;
    HelpCggk = nullptr;
    HelpWcdw = nullptr;
    HelpCglx = nullptr;
    HelpZscq = nullptr;
    HelpHzdw = nullptr;
    HelpPjwy = nullptr;
    HelpPjzs = nullptr;
    HelpWcr = nullptr;
    HelpCggkRj = nullptr;
    HelpKtlxRj = nullptr;
    Formstudy = nullptr;
    Formout = nullptr;
    Formin = nullptr;
    FcodeManage = nullptr;
    PrintForm = nullptr;
    delete DM;
    DM = nullptr;
}

namespace {

// Asks whether to keep the readable rows of the damaged table, and does so
// when the user says yes.  True when the table was rewritten.
bool offerRepair(const db::TableDamagedError &e, const QString &dataPath)
{
    const QString question =
        QStringLiteral("数据表 %1 已损坏：%2\n\n程序没有启动，也没有整理或改写任何数据表。\n\n"
                       "是否只保留该表中能够读出的记录？\n"
                       "选“是”：先把整个数据文件夹 %3 复制一份留底，再用能读出的记录重写 %1。\n"
                       "选“否”：程序退出，所有文件保持原样。")
            .arg(e.table(), e.fault(), QDir::toNativeSeparators(dataPath));
    if (platform::messageBox(nullptr, question, AppTitle, platform::Icon::Warning, platform::Yes | platform::No) != platform::Yes)
        return false;
    try {
        const TableRepairResult r = keepReadableRows(dataPath, e.table());
        platform::messageBox(nullptr,
                             QStringLiteral("数据表 %1 已用能读出的记录重写。\n原来的数据文件夹已复制到：%2\n\n发现的问题：\n%3")
                                 .arg(e.table(), QDir::toNativeSeparators(r.backupFolder), r.mended.join(QLatin1Char('\n'))),
                             AppTitle, platform::Icon::Information, platform::Ok);
        return true;
    } catch (const base::Error &failure) {
        platform::messageBox(nullptr,
                             QStringLiteral("未能修复数据表 %1：%2\n数据文件夹保持原样。").arg(e.table(), failure.message()),
                             AppTitle, platform::Icon::Error, platform::Ok);
        return false;
    }
}

} // namespace

bool openDataAndWindows(const QString &dataPath)
{
    QStringList repaired;
    for (;;) {
        try {
            createWindows(dataPath);
            break;
        } catch (const db::TableDamagedError &e) {
            destroyWindows();
            if (repaired.contains(e.table(), Qt::CaseInsensitive)) {
                platform::messageBox(nullptr, QStringLiteral("数据表 %1 修复后仍然损坏：%2").arg(e.table(), e.fault()), AppTitle,
                                     platform::Icon::Error, platform::Ok);
                return false;
            }
            if (!offerRepair(e, dataPath))
                return false;
            repaired << e.table();
        } catch (const base::Error &e) {
            platform::messageBox(nullptr, e.message(), AppTitle, platform::Icon::Error, platform::Ok);
            destroyWindows();
            return false;
        }
    }
    if (!DM->PackFailures.isEmpty())
        platform::messageBox(MainForm,
                             QStringLiteral("启动时未能整理下列数据表，其中已删除的记录仍留在表中，下次启动时再整理：\n%1")
                                 .arg(DM->PackFailures.join(QLatin1Char('\n'))),
                             MsgCaption, platform::Icon::Warning, platform::Ok);
    return true;
}

bool installQtTranslations()
{
    // The program speaks Chinese whatever the system's locale: its dates,
    // numbers and kinds of file as Qt shows them follow this locale.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    static QTranslator *qt = nullptr;
    if (qt)
        return true;
    auto *t = new QTranslator(QCoreApplication::instance());
    if (!t->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    qt = t;
    return true;
}

bool showMainWindow()
{
    try {
        MainForm->FormShow();
    } catch (const base::Error &e) {
        platform::messageBox(MainForm, e.message(), MsgCaption, platform::Icon::Error, platform::Ok);
        return false;
    }
    if (MainForm->startEnded())
        return false;
    MainForm->show();
    return true;
}

void removeTempLeftovers() { platform::removeLeftoverTempFolders({word::WordFolderKind}); }
