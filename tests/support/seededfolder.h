#pragma once

// A data folder laid out from the program's seed rows in a temporary
// directory, and the program's windows created over it on demand: the
// common ground of the window tests.  Include it from a test target that
// defines SORVEL_SOURCE_DIR and links the windows and the seed loader.

#include "app/startup.h"
#include "data/dm.h"
#include "db/dataset.h"
#include "entry/formnew.h"
#include "seed_loader.h"
#include "shell/formwel.h"
#include "shell/mainform.h"
#include "support/testseams.h"

#include <QDialog>
#include <QList>
#include <QMap>
#include <QPair>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace testsupport {

using Cells = QList<QPair<QString, QString>>;
using Fields = QMap<QString, QString>;

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
    void add(const QString &table, const Fields &values)
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(table);
        t.open();
        t.append();
        for (auto it = values.begin(); it != values.end(); ++it)
            t.fieldByName(it.key()).setAsString(it.value());
        t.post();
    }
    // Fields of the achievement with that key as the table file holds them,
    // joined by "|"; "<none>" for each when there is no such record.
    QString storedFields(const QString &key, const QStringList &fields)
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(QStringLiteral("kjcg"));
        t.open();
        QStringList out;
        for (const QString &f : fields)
            out << (t.locate(QStringLiteral("ITEM_4"), key) ? t.fieldByName(f).asString() : QStringLiteral("<none>"));
        return out.join(u'|');
    }
    // The organisation's complete row, without which the organisation page
    // comes first and the record commands stay off.
    void addOrganisation()
    {
        append(QStringLiteral("unit"),
               {{QStringLiteral("item_9"), QStringLiteral("青岚应用技术研究院")},
                {QStringLiteral("item_37"), QStringLiteral("武汉市洪山区珞喻路129号")},
                {QStringLiteral("item_38"), QStringLiteral("430072")},
                {QStringLiteral("item_39"), QStringLiteral("027-87654321")},
                {QStringLiteral("item_40"), QStringLiteral("027-87654322")},
                {QStringLiteral("item_41"), QStringLiteral("科技处")},
                {QStringLiteral("item_41_2"), QStringLiteral("027-87654300")},
                {QStringLiteral("unitcode"), QStringLiteral("9990001000")},
                {QStringLiteral("unitintrod"), QStringLiteral("青岚应用技术研究院创建于一九五八年，是以应用研究为主的综合性科研"
                                                              "机构，设有十二个研究所和三个国家级工程中心，现有职工一千二百人。")}});
    }

    // Creates the data module and the windows as the program does and runs
    // the main window's first showing, the splash answered at once.
    void startWindows()
    {
        createWindows(data);
        seams.onModal(QStringLiteral("formwel"), [](QDialog *) { return 1; });
        MainForm->FormShow();
    }
    // The next message box: its whole text (any when empty), caption and
    // icon, answered with `answer`.
    void expectBox(const QString &text, const QString &caption, platform::Icon icon, int answer = platform::Ok)
    {
        seams.expectMessage(text, [=](const platform::MessageCall &c) {
            EXPECT_TRUE(text.isEmpty() || c.text == text) << c.text.toStdString();
            EXPECT_EQ(c.caption, caption) << c.text.toStdString();
            EXPECT_EQ(c.icon, icon) << c.text.toStdString();
            return answer;
        });
    }
    void expectWarning(const QString &text) { expectBox(text, MsgCaption, platform::Icon::Warning); }
    // The question a page asks when it is left with unsaved changes.
    void expectSaveQuestion(int answer)
    {
        expectBox(QStringLiteral("记录已经更改,是否保存？"), QStringLiteral("请注意！"), platform::Icon::Question, answer);
    }

    void closeWindows() { destroyWindows(); }
};

} // namespace testsupport
