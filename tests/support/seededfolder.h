#pragma once

// A data folder laid out from the program's seed rows in a temporary
// directory, and the program's windows created over it on demand: the
// common ground of the window tests.  Include it from a test target that
// defines SORVEL_SOURCE_DIR and links the windows and the seed loader.

#include "data/dm.h"
#include "db/dataset.h"
#include "entry/formnew.h"
#include "seed_loader.h"
#include "shell/formwel.h"
#include "shell/mainform.h"
#include "support/testseams.h"

#include <QDialog>
#include <QList>
#include <QPair>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace testsupport {

using Cells = QList<QPair<QString, QString>>;

class SeededFolderTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString data = tmp.path() + QStringLiteral("/data");
    TestSeams seams;

    void SetUp() override { seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), data); }
    void TearDown() override { closeWindows(); }

    // Appends one row to a table of the folder.
    void append(const QString &table, const Cells &cells)
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(table);
        t.open();
        t.append();
        for (const auto &c : cells)
            t.fieldByName(c.first).setAsString(c.second);
        t.post();
    }
    // The organisation's row, without which the record commands stay off.
    void addOrganisation() { append(QStringLiteral("unit"), {{QStringLiteral("item_9"), QStringLiteral("青岚应用技术研究院")}}); }

    // Creates the data module and the windows as the program does and runs
    // the main window's first showing, the splash answered at once.
    void startWindows()
    {
        DM = new TDM(data);
        MainForm = new TMainForm;
        formwel = new Tformwel(MainForm);
        FormNew = new TFormNew(MainForm);
        seams.onModal(QStringLiteral("formwel"), [](QDialog *) { return 1; });
        MainForm->FormShow();
    }
    void closeWindows()
    {
        delete MainForm;   // its dialogs with it
        MainForm = nullptr;
        formwel = nullptr;
        FormNew = nullptr;
        delete DM;
        DM = nullptr;
    }
};

} // namespace testsupport
