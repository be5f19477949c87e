// The main window's exchange commands open their windows, and leaving the
// import shows the imported records in the record list.
#include "app/startup.h"
#include "data/dm.h"
#include "db/dataset.h"
#include "exchange/ui/codemanage.h"
#include "exchange/ui/formin.h"
#include "exchange/ui/formout.h"
#include "seed_loader.h"
#include "shell/mainform.h"
#include "support/seededfolder.h"
#include "support/testseams.h"

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ExchangeCommands, OpenTheirWindowsAndRefreshTheList)
{
    QTemporaryDir tmp;
    const QString data = tmp.filePath(QStringLiteral("data"));
    seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), data);
    {
        db::Table unit;
        unit.setDatabaseName(data);
        unit.setTableName(QStringLiteral("unit"));
        unit.open();
        unit.append();
        const testsupport::Fields row = testsupport::completeOrganisation();
        for (auto it = row.begin(); it != row.end(); ++it)
            unit.fieldByName(it.key()).setAsString(it.value());
        unit.post();
    }
    testsupport::TestSeams seams;
    seams.onModal(QStringLiteral("formwel"), [](QDialog *) { return 1; });
    createWindows(data);
    MainForm->FormShow();
    const int before = DM->Qrykjcg.recordCount();

    QStringList opened;
    seams.onModal(QStringLiteral("Formout"), [&](QDialog *d) {
        opened << d->objectName();
        return 0;
    });
    MainForm->BitBtn2->click();
    seams.onModal(QStringLiteral("FcodeManage"), [&](QDialog *d) {
        opened << d->objectName();
        return 0;
    });
    MainForm->BitBtn3->click();
    seams.onModal(QStringLiteral("Formin"), [&](QDialog *d) {
        opened << d->objectName();
        // A record arrives while the window is open.
        db::Table k;
        k.setDatabaseName(DataPath);
        k.setTableName(QStringLiteral("kjcg"));
        k.open();
        k.append();
        k.fieldByName(QStringLiteral("ITEM_4")).setAsString(QStringLiteral("2005000001"));
        k.fieldByName(QStringLiteral("ITEM_DQDM")).setAsString(QStringLiteral("."));
        k.fieldByName(QStringLiteral("ITEM_3")).setAsString(QStringLiteral("导入的成果"));
        k.fieldByName(QStringLiteral("ITEM_CGLB")).setAsString(QStringLiteral("1"));
        k.post();
        return 0;
    });
    MainForm->BitBtn1->click();
    EXPECT_EQ(opened, (QStringList{QStringLiteral("Formout"), QStringLiteral("FcodeManage"), QStringLiteral("Formin")}));
    EXPECT_EQ(MainForm->cbYear->findText(QStringLiteral("2005")) >= 0, true);
    EXPECT_GE(DM->Qrykjcg.recordCount(), before);
    seams.verifyAllUsed();
    destroyWindows();
}
