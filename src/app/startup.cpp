#include "startup.h"

#include "data/dm.h"
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
#include "shell/formwel.h"
#include "shell/mainform.h"
#include "organisation/finto11.h"
#include "organisation/fpage11.h"
#include "organisation/fpage4a.h"
#include "organisation/unittexts.h"
#include "base/error.h"
#include "platform/core/seams.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void createWindows(const QString &dataPath)
{
    // (Export, import, printing and the code-table windows come with their
    // commands.)
    MainForm = new TMainForm;
    formwel = new Tformwel(MainForm);
    Fpage6 = new TFpage6(MainForm);
    DM = new TDM(dataPath);
    FormTree = new TFormTree(MainForm);
    FormNew = new TFormNew(MainForm);
    Finto8 = new TFinto8(MainForm);
    Finto7 = new TFinto7(MainForm);
    Finto6 = new TFinto6(MainForm);
    Finto5 = new TFinto5(MainForm);
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

    MainForm->openPage = openRecordPage;
    MainForm->openNewRecord = [] { FormNew->ShowForNewRecord(); };
    MainForm->openMainItems = [](int categoryPos) { FormNew->ShowForMainItems(categoryPos); };
    wireQueryBuilderPicker();
    wirePatentsList();
    wireOrganisationPage();
    wireHelpButtons();
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
    delete DM;
    DM = nullptr;
}

bool installQtTranslations()
{
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
