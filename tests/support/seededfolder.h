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
#include "support/fakeclock.h"
#include "support/printqstring.h"
#include "support/tablerows.h"
#include "support/testseams.h"

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QList>
#include <QMap>
#include <QPair>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace testsupport {

// An organisation row that passes the organisation page's checks.
inline Fields completeOrganisation()
{
    return {{QStringLiteral("item_9"), QStringLiteral("青岚应用技术研究院")},
            {QStringLiteral("item_37"), QStringLiteral("武汉市洪山区珞喻路129号")},
            {QStringLiteral("item_38"), QStringLiteral("430072")},
            {QStringLiteral("item_39"), QStringLiteral("027-87654321")},
            {QStringLiteral("item_40"), QStringLiteral("027-87654322")},
            {QStringLiteral("item_41"), QStringLiteral("科技处")},
            {QStringLiteral("item_41_2"), QStringLiteral("027-87654300")},
            {QStringLiteral("unitcode"), QStringLiteral("9990001000")},
            {QStringLiteral("unitintrod"), QStringLiteral("青岚应用技术研究院创建于一九五八年，是以应用研究为主的综合性科研"
                                                          "机构，设有十二个研究所和三个国家级工程中心，现有职工一千二百人。")}};
}

class SeededFolderTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString data = tmp.path() + QStringLiteral("/data");
    TestSeams seams;

    void SetUp() override { seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), data); }
    // Every message box, modal window and file dialog the test announced
    // must have come; then the windows go the way the program removes them.
    void TearDown() override
    {
        seams.verifyAllUsed();
        closeWindows();
        if (FakeClock::active())
            FakeClock::deactivate();
    }

    // Appends one row to a table of the folder.
    void append(const QString &table, const Cells &cells) { appendRow(data, table, cells); }
    void add(const QString &table, const Fields &values) { addRow(data, table, values); }
    // A record: its key, category (default "1"), region "." and the name
    // "成果" + key, and more fields when given.
    void record(const QString &key, const QString &category, Fields more = {})
    {
        more.insert(QStringLiteral("ITEM_4"), key);
        more.insert(QStringLiteral("ITEM_CGLB"), category);
        more.insert(QStringLiteral("ITEM_DQDM"), QStringLiteral("."));
        more.insert(QStringLiteral("ITEM_3"), QStringLiteral("成果") + key);
        add(QStringLiteral("kjcg"), more);
    }
    void record(const QString &key, const Fields &more = {}) { record(key, QStringLiteral("1"), more); }
    // A complete record: key, region "." and category, every field the
    // required-field table (checkup) names filled (dates 2009-05-01, wider
    // fields and memos "01", one-character fields "1"), then the name and
    // `more`, which may overwrite those fillers.
    void addCompleteRecord(const QString &key, const QString &category, const QString &name, const Fields &more = {})
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(QStringLiteral("kjcg"));
        t.open();
        t.append();
        t.fieldByName(QStringLiteral("ITEM_4")).setAsString(key);
        t.fieldByName(QStringLiteral("ITEM_DQDM")).setAsString(QStringLiteral("."));
        t.fieldByName(QStringLiteral("ITEM_CGLB")).setAsString(category);
        db::Table check;
        check.setDatabaseName(data);
        check.setTableName(QStringLiteral("checkup"));
        check.open();
        for (check.first(); !check.eof(); check.next()) {
            db::Field f = t.fieldByName(check.fieldByName(QStringLiteral("id")).asString());
            if (f.kind() == db::FieldKind::Date)
                f.setAsString(QStringLiteral("2009-05-01"));
            else if (f.kind() == db::FieldKind::Memo || f.size() >= 2)
                f.setAsString(QStringLiteral("01"));
            else
                f.setAsString(QStringLiteral("1"));
        }
        t.fieldByName(QStringLiteral("ITEM_3")).setAsString(name);
        for (auto it = more.begin(); it != more.end(); ++it)
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
    void addOrganisation() { add(QStringLiteral("unit"), completeOrganisation()); }

    // Creates the data module and every window as the program does
    // (createWindows, hooks connected) and runs the main window's first
    // showing, the splash answered at once.
    void startWindows()
    {
        createWindows(data);
        windowsCreated();
        seams.onModal(QStringLiteral("formwel"), [](QDialog *) { return 1; });
        MainForm->FormShow();
    }
    // Starts the windows with the record of that key current: the main
    // window shows its category and year.
    void startAt(const QString &key)
    {
        startWindows();
        showRecord(storedFields(key, {QStringLiteral("ITEM_CGLB")}).toInt() - 1, key.left(4), key);
    }
    // Opens a page through its main-window button; `driver` works it.
    template <class Page>
    void throughPage(QPushButton *button, Page *page, const std::function<void(Page *)> &driver)
    {
        seams.onModal(page->objectName(), [page, driver](QDialog *) { driver(page); return 0; });
        MainForm->PageButtonClick(button);
    }
    // Runs between the windows' creation and the first showing.
    virtual void windowsCreated() {}
    // The main window lists a category (position 0..2) and year with the
    // record of that key (and region) current.
    void showRecord(int categoryPos, const QString &year, const QString &key, const QString &region = QStringLiteral("."))
    {
        MainForm->ComboBox1->setCurrentIndex(categoryPos);
        MainForm->cbYear->setEditText(year);
        MainForm->RefreshRecordList(DM->Qrykjcg, MainForm->ComboBox1, MainForm->btn_page02, MainForm->cbYear);
        for (DM->Qrykjcg.first(); !DM->Qrykjcg.eof(); DM->Qrykjcg.next())
            if (DM->Qrykjcg.fieldByName(QStringLiteral("item_4")).asString() == key
                && DM->Qrykjcg.fieldByName(QStringLiteral("item_dqdm")).asString() == region)
                return;
        ADD_FAILURE() << "not listed: " << key.toStdString() << '/' << region.toStdString();
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

    // destroyWindows(): every window and the data module, the globals reset.
    void closeWindows() { destroyWindows(); }
};

} // namespace testsupport
