// Start-up over a real data folder: packing, the optional tables, a damaged
// table, the single copy, the splash and the main window's first showing.
#include "app/startup.h"
#include "base/error.h"
#include "data/dm.h"
#include "support/fakeclock.h"
#include "db/dataset.h"
#include "db/error.h"
#include "db/tablefile.h"
#include "app/startup.h"
#include "platform/core/instance.h"
#include "platform/core/seams.h"
#include "shell/formwel.h"
#include "shell/mainform.h"
#include "support/seededfolder.h"
#include "seed_loader.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLocale>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class StartupTest : public testsupport::SeededFolderTest {
protected:
    void addRecord(const QString &key, const QString &category, const QString &name)
    {
        add(QStringLiteral("kjcg"), {{QStringLiteral("ITEM_4"), key}, {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                                     {QStringLiteral("ITEM_CGLB"), category}, {QStringLiteral("ITEM_3"), name}});
    }
};

TEST_F(StartupTest, PackingPurgesDeletedRowsOfEveryPackedTable)
{
    for (const QString &file : TDM::packedFiles()) {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(file);
        t.open();
        const int before = t.recordCount();
        t.append();
        t.post();
        t.append();
        t.post();
        t.last();
        t.deleteRecord();
        ASSERT_EQ(t.recordCount(), before + 1) << file.toStdString();
    }
    DM = new TDM(data);
    EXPECT_TRUE(HasZtflh);
    EXPECT_TRUE(HasXkfl);
    EXPECT_TRUE(DM->Tztflh2.isActive());
    EXPECT_TRUE(DM->Txkfl2.isActive());
    EXPECT_TRUE(DM->Table1.databaseName() == DataPath);
    for (const QString &file : TDM::packedFiles()) {
        auto store = db::TableFile::open(db::resolveFileName(data, file), false);
        EXPECT_FALSE(store->hasDeletedRows()) << file.toStdString();
        QFile f(store->path());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray head = f.read(12);
        const int headerLength = uchar(head[8]) | uchar(head[9]) << 8;
        const quint32 count = quint32(uchar(head[4]) | uchar(head[5]) << 8 | uchar(head[6]) << 16 | uchar(head[7]) << 24);
        EXPECT_EQ(int(count), store->rowCount()) << file.toStdString();
        EXPECT_EQ(f.size(), headerLength + qint64(store->rowCount()) * store->schema().recordLength + 1) << file.toStdString();
    }
}

TEST_F(StartupTest, StartsWithoutTheOptionalClassificationTables)
{
    QFile::remove(db::resolveFileName(data, QStringLiteral("ztflh.dbf")));
    QFile::remove(db::resolveFileName(data, QStringLiteral("xkfl.dbf")));
    DM = new TDM(data);
    EXPECT_FALSE(HasZtflh);
    EXPECT_FALSE(HasXkfl);
    EXPECT_FALSE(DM->Tztflh2.isActive());
    EXPECT_TRUE(DM->Qrykjcg.isActive());
    EXPECT_EQ(DM->Table1.databaseName(), DataPath);
}

TEST_F(StartupTest, DamagedOrMissingRequiredTableStopsTheStartNamingIt)
{
    {
        QFile f(db::resolveFileName(data, QStringLiteral("kjcg.DBF")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("\x03\x7a\x0c\x08garbage");
    }
    try {
        DM = new TDM(data);
        FAIL() << "a damaged table must stop the start";
    } catch (const db::EngineError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("kjcg"), Qt::CaseInsensitive)) << e.message().toStdString();
    }
    EXPECT_EQ(DM, nullptr);

    QFile::remove(db::resolveFileName(data, QStringLiteral("kjcg.DBF")));
    QFile::remove(db::resolveFileName(data, QStringLiteral("zdxx.dbf")));
    EXPECT_THROW(TDM dm(data), db::EngineError);
}

TEST_F(StartupTest, SecondCopyEndsSilently)
{
    // The lock and the second copy meet in a runtime folder of this test, so
    // a copy of the program the user has running does not count.
    QTemporaryDir runtime;
    platform::SingleInstance first(AppTitle, runtime.path());
    ASSERT_TRUE(first.isFirst());
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(SORVEL_BIN), {});
    ASSERT_TRUE(p.waitForFinished(10000)) << "the second copy kept running";
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
}

TEST_F(StartupTest, SplashClosesOnItsTimerAndMainWindowKeepsItsSize)
{
    testsupport::FakeClock::activate(QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
    Tformwel splash;
    splash.show();
    testsupport::FakeClock::advance(4999);
    EXPECT_TRUE(splash.isVisible());
    testsupport::FakeClock::advance(1);
    EXPECT_FALSE(splash.isVisible());

    TMainForm w;
    w.resize(1024, 700);
    EXPECT_EQ(w.size(), QSize(800, 570));
    w.showMaximized();
    EXPECT_EQ(w.size(), QSize(800, 570));
    w.close();
}

TEST_F(StartupTest, FirstShowingFillsTheListsAndLocksWithoutOrganisation)
{
    testsupport::FakeClock::activate(QDateTime(QDate(2031, 3, 1), QTime(8, 0)));
    seams.onModal(QStringLiteral("Fpage4a"), [](QDialog *) { return 0; });   // shown first, left alone
    startWindows();
    // Empty record table: the year list holds the current year only.
    ASSERT_EQ(MainForm->cbYear->count(), 1);
    EXPECT_EQ(MainForm->cbYear->currentText(), QStringLiteral("2031"));
    EXPECT_EQ(MainForm->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(MainForm->ComboBox2->count(), DM->tblzdxx1.recordCount());
    EXPECT_GT(MainForm->Combobox3->count(), 1);
    EXPECT_EQ(MainForm->Combobox3->itemText(MainForm->Combobox3->count() - 1), QStringLiteral(" "));
    EXPECT_TRUE(MainForm->Edit2->isHidden());
    // No organisation yet: the record commands stay locked.
    EXPECT_FALSE(MainForm->Button1->isEnabled());
    EXPECT_FALSE(MainForm->btn_page01->isEnabled());
    EXPECT_FALSE(MainForm->cbYear->isEnabled());
    EXPECT_TRUE(MainForm->Button2->isEnabled());
    EXPECT_TRUE(MainForm->BitBtn7->isEnabled());
    EXPECT_EQ(ListSQL, QStringLiteral("select * from kjcg where item_cglb='1' and item_4 like '2031%'"));
    seams.verifyAllUsed();
}

// Records present but no organisation: the first showing computes no
// completeness, so import, delete, search and restore stay usable.
TEST_F(StartupTest, WithoutOrganisationRecordsLeaveImportSearchAndRestoreUsable)
{
    testsupport::FakeClock::activate(QDateTime(QDate(2031, 3, 1), QTime(8, 0)));
    addRecord(QStringLiteral("2031000001"), QStringLiteral("1"), QStringLiteral("高效低噪声离心风机研制"));
    addRecord(QStringLiteral("2030000001"), QStringLiteral("2"), QStringLiteral("区域创新政策研究"));
    seams.onModal(QStringLiteral("Fpage4a"), [](QDialog *) { return 0; });   // shown first, left alone
    startWindows();
    for (QWidget *w : QList<QWidget *>{MainForm->BitBtn1, MainForm->Button4, MainForm->SpeedButton16,
                                       MainForm->SpeedButton26, MainForm->Button2, MainForm->BitBtn7})
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    for (QPushButton *b : MainForm->pageButtons())
        EXPECT_TRUE(TMainForm::isPageComplete(b)) << b->objectName().toStdString();
    EXPECT_FALSE(MainForm->Button1->isEnabled());
    seams.verifyAllUsed();
}

// An error in the first showing ends the start after its message, as an
// error of the data module does: no half set-up main window.
// The start marks the current record's pages by the rule every later
// recomputation follows: a record without a project source starts with its
// project page incomplete and its commands locked, and the locked commands
// say why.
TEST_F(StartupTest, FirstShowingMarksTheCurrentRecordByTheOneCompletenessRule)
{
    addCompleteRecord(QStringLiteral("2010000001"), QStringLiteral("1"), QStringLiteral("高效节能电机控制技术"),
                      {{QStringLiteral("ITEM_126"), QString()}});
    add(QStringLiteral("cgwcr"), {{QStringLiteral("ITEM_4"), QStringLiteral("2010000001")},
                                  {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")}, {QStringLiteral("ITEM_180"), QStringLiteral("张伟")}});
    addOrganisation();
    startWindows();
    QList<bool> atStart;
    for (QPushButton *b : MainForm->pageButtons())
        atStart << TMainForm::isPageComplete(b);
    EXPECT_FALSE(TMainForm::isPageComplete(MainForm->btn_page03));
    EXPECT_TRUE(TMainForm::isPageComplete(MainForm->btn_page01));
    EXPECT_FALSE(MainForm->BitBtn4->isEnabled());
    EXPECT_EQ(MainForm->BitBtn4->toolTip(), QStringLiteral("当前项目有未完成栏目：课题立项，评价没有填完,请继续填写完成该项目！"));
    MainForm->UpdatePageStatus();
    MainForm->UpdateCommandState();
    QList<bool> again;
    for (QPushButton *b : MainForm->pageButtons())
        again << TMainForm::isPageComplete(b);
    EXPECT_EQ(again, atStart);
    seams.verifyAllUsed();
}

TEST_F(StartupTest, ErrorInTheFirstShowingEndsTheStart)
{
    createWindows(data);
    MainForm->openOrganisation = [] { throw base::Error(QStringLiteral("无法读取单位情况")); };
    seams.onModal(QStringLiteral("formwel"), [](QDialog *) { return 1; });
    seams.expectMessage(QStringLiteral("无法读取单位情况"), platform::Ok);
    EXPECT_FALSE(showMainWindow());
    EXPECT_FALSE(MainForm->isVisible());
    EXPECT_FALSE(MainForm->startEnded());
    seams.verifyAllUsed();
}

TEST_F(StartupTest, QtTextsAreChinese)
{
    ASSERT_TRUE(installQtTranslations());
    EXPECT_EQ(QLocale().language(), QLocale::Chinese);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("是(&Y)"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), QStringLiteral("确定"));
    EXPECT_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    EXPECT_NE(QCoreApplication::translate("QLineEdit", "&Paste"), QStringLiteral("&Paste"));
}

TEST_F(StartupTest, YearListSkipsOnlyBadKeysAndListFollowsAFourDigitYear)
{
    // The record shown first is complete: the start leaves the commands on.
    addCompleteRecord(QStringLiteral("2010000001"), QStringLiteral("1"), QStringLiteral("高效节能电机控制技术"));
    add(QStringLiteral("cgwcr"), {{QStringLiteral("ITEM_4"), QStringLiteral("2010000001")},
                                  {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")}, {QStringLiteral("ITEM_180"), QStringLiteral("张伟")}});
    addRecord(QStringLiteral("20X9000001"), QStringLiteral("1"), QStringLiteral("键值有误的成果"));
    addRecord(QStringLiteral("2009000002"), QStringLiteral("1"), QStringLiteral("水稻抗病育种"));
    addRecord(QStringLiteral("2009000001"), QStringLiteral("1"), QStringLiteral("城市供水管网监测"));
    addRecord(QStringLiteral("2009000003"), QStringLiteral("2"), QStringLiteral("区域创新政策研究"));
    addOrganisation();
    startWindows();
    QStringList years;
    for (int i = 0; i < MainForm->cbYear->count(); ++i)
        years << MainForm->cbYear->itemText(i);
    EXPECT_EQ(years, QStringList({QStringLiteral("2010"), QStringLiteral("2009")}));
    EXPECT_TRUE(MainForm->Button1->isEnabled());

    auto listed = [&](const QString &yearText) {
        MainForm->cbYear->setEditText(yearText);
        MainForm->RefreshRecordList(DM->Qrykjcg, MainForm->ComboBox1, MainForm->btn_page02, MainForm->cbYear);
        QStringList keys;
        for (DM->Qrykjcg.first(); !DM->Qrykjcg.eof(); DM->Qrykjcg.next())
            keys << DM->Qrykjcg.fieldByName(QStringLiteral("item_4")).asString();
        return keys;
    };
    EXPECT_EQ(listed(QStringLiteral("2009年")).size(), 2);
    EXPECT_TRUE(listed(QStringLiteral("20'9")).isEmpty());
    EXPECT_TRUE(listed(QStringLiteral("20%")).isEmpty());
    EXPECT_TRUE(listed(QString()).isEmpty());

    // Renumbering writes 1..n in list order into the file.
    listed(QStringLiteral("2009"));
    MainForm->RenumberList();
    QStringList numbers;
    for (DM->Qrykjcg.first(); !DM->Qrykjcg.eof(); DM->Qrykjcg.next())
        numbers << DM->Qrykjcg.fieldByName(QStringLiteral("NO")).asString();
    EXPECT_EQ(numbers, QStringList({QStringLiteral("1"), QStringLiteral("2")}));
    db::Table check;
    check.setDatabaseName(data);
    check.setTableName(QStringLiteral("kjcg"));
    check.open();
    ASSERT_TRUE(check.locate(QStringLiteral("ITEM_4"), QStringLiteral("2009000001")));
    EXPECT_EQ(check.fieldByName(QStringLiteral("NO")).asString(), QStringLiteral("2"));
}

// ---------------------------------------------------------------------------
// Damaged tables and failed packs at start

class StartupDamageTest : public StartupTest {
protected:
    // One live record and one deleted one, so the start has a pack to do.
    void addLiveAndDeletedRecord()
    {
        addRecord(QStringLiteral("2009000001"), QStringLiteral("1"), QStringLiteral("城市供水管网监测"));
        addRecord(QStringLiteral("2009000002"), QStringLiteral("1"), QStringLiteral("已删除的成果"));
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(QStringLiteral("kjcg"));
        t.open();
        t.last();
        t.deleteRecord();
    }
    QString file(const QString &name) const { return db::resolveFileName(data, name); }
    static QByteArray bytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // 400 persons, then all but the first 100 cut away: the header still
    // counts 400.  The record table gets a deleted row, so a start that
    // went on would pack it.
    QByteArray cutPersons()
    {
        {
            db::Table t;
            t.setDatabaseName(data);
            t.setTableName(QStringLiteral("cgwcr"));
            t.open();
            for (int i = 0; i < 400; ++i) {
                t.append();
                t.fieldByName(QStringLiteral("ITEM_4")).setAsString(QStringLiteral("2009000001"));
                t.fieldByName(QStringLiteral("ITEM_180")).setAsString(QStringLiteral("完成人%1").arg(i));
                t.post();
            }
        }
        addLiveAndDeletedRecord();
        const QByteArray whole = bytes(file(QStringLiteral("cgwcr.DBF")));
        const int headerLength = uchar(whole[8]) | uchar(whole[9]) << 8, recLen = uchar(whole[10]) | uchar(whole[11]) << 8;
        const QByteArray cut = whole.left(headerLength + 100 * recLen);
        QFile f(file(QStringLiteral("cgwcr.DBF")));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(cut);
        return cut;
    }
};

TEST_F(StartupDamageTest, DamagedTableStopsTheStartWithOneMessageAndNothingRewritten)
{
    const QByteArray cut = cutPersons();
    const QByteArray records = bytes(file(QStringLiteral("kjcg.DBF")));
    seams.expectMessage(QStringLiteral("数据表 cgwcr.DBF 已损坏"), [](const platform::MessageCall &c) {
        EXPECT_TRUE(c.text.contains(QStringLiteral("文件头记有 400 条记录，文件中只有 100 条"))) << c.text.toStdString();
        EXPECT_TRUE(c.text.contains(QStringLiteral("没有整理或改写任何数据表"))) << c.text.toStdString();
        EXPECT_EQ(c.buttons, platform::Yes | platform::No);
        return int(platform::No);
    });
    EXPECT_FALSE(openDataAndWindows(data));
    seams.verifyAllUsed();
    EXPECT_EQ(seams.calls().size(), 1u);
    EXPECT_EQ(MainForm, nullptr);
    EXPECT_EQ(DM, nullptr);
    EXPECT_EQ(bytes(file(QStringLiteral("cgwcr.DBF"))), cut);
    EXPECT_EQ(bytes(file(QStringLiteral("kjcg.DBF"))), records) << "nothing was packed";
}

TEST_F(StartupDamageTest, KeepingTheReadableRowsCopiesTheFolderFirstAndTheStartGoesOn)
{
    const QByteArray cut = cutPersons();
    seams.expectMessage(QStringLiteral("数据表 cgwcr.DBF 已损坏"), platform::Yes);
    QString backup;
    seams.expectMessage(QStringLiteral("数据表 cgwcr.DBF 已用能读出的记录重写"), [&](const platform::MessageCall &c) {
        const int at = c.text.indexOf(QStringLiteral("复制到："));
        backup = c.text.mid(at + 4).section(QLatin1Char('\n'), 0, 0);
        return int(platform::Ok);
    });
    ASSERT_TRUE(openDataAndWindows(data));
    seams.verifyAllUsed();
    ASSERT_FALSE(backup.isEmpty());
    EXPECT_EQ(bytes(db::resolveFileName(backup, QStringLiteral("cgwcr.DBF"))), cut) << "the copy keeps the damaged file";
    EXPECT_EQ(DM->TblCgwcr.recordCount(), 100);
    EXPECT_EQ(DM->Tblkjcg.recordCount(), 1) << "the start went on and packed";
    QDir(backup).removeRecursively();
}

TEST_F(StartupDamageTest, FailedPackIsToldOnceAndTheStartGoesOn)
{
    addLiveAndDeletedRecord();
    // Something the pack cannot replace stands where its packed copy goes,
    // as a folder that cannot be written would stop it (tests run as root).
    const QString obstacle = file(QStringLiteral("kjcg.DBF")) + QStringLiteral(".pack-new");
    ASSERT_TRUE(QDir().mkpath(obstacle + QStringLiteral("/inside")));
    seams.expectMessage(QStringLiteral("启动时未能整理下列数据表"), [](const platform::MessageCall &c) {
        EXPECT_TRUE(c.text.contains(QStringLiteral("kjcg.DBF: 无法整理数据表 kjcg.DBF"))) << c.text.toStdString();
        EXPECT_EQ(c.caption, MsgCaption);
        return int(platform::Ok);
    });
    ASSERT_TRUE(openDataAndWindows(data));
    seams.verifyAllUsed();
    EXPECT_EQ(seams.calls().size(), 1u);
    EXPECT_TRUE(DM->Qrykjcg.isActive());
    EXPECT_EQ(DM->Tblkjcg.recordCount(), 1);
    QDir(obstacle).removeRecursively();
}

} // namespace
