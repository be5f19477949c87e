#include "data/dm.h"
#include "db/dataset.h"
#include "exchange/importer.h"
#include "exchange/ui/codemanage.h"
#include "exchange/ui/formin.h"
#include "exchange/ui/formout.h"
#include "arjbuild.h"
#include "exchange/archiver.h"
#include "fakearchiver.h"
#include "seed_loader.h"
#include "forms/dbgrid.h"
#include "shell/mainform.h"
#include "support/tablerows.h"
#include "support/testseams.h"

#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QDir>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>

namespace {

class ExchangeWindows : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString data = tmp.filePath(QStringLiteral("data"));
    QString out = tmp.filePath(QStringLiteral("out"));
    testsupport::TestSeams seams;
    testsupport::FakeArchiver fake;

    void SetUp() override
    {
        seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), data);
        QDir().mkpath(out);
        for (int i = 1; i <= 3; ++i)
            addRecord(QStringLiteral("200500000%1").arg(i), QStringLiteral("成果%1").arg(i));
        DM = new TDM(data);
    }
    void TearDown() override
    {
        delete DM;
        DM = nullptr;
    }
    void addRecord(const QString &key, const QString &name)
    {
        testsupport::appendRow(data, QStringLiteral("kjcg"),
                               {{QStringLiteral("ITEM_4"), key}, {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                                {QStringLiteral("ITEM_3"), name}, {QStringLiteral("ITEM_9"), QStringLiteral("单位")},
                                {QStringLiteral("ITEM_CGLB"), QStringLiteral("1")}});
        testsupport::appendRow(data, QStringLiteral("cgwcr"),
                               {{QStringLiteral("ITEM_4"), key}, {QStringLiteral("ITEM_DQDM"), QStringLiteral(".")},
                                {QStringLiteral("ITEM_180"), name + QStringLiteral("人")}});
    }
    int count(const QString &table)
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(table);
        t.open();
        return t.recordCount();
    }
};

} // namespace

TEST_F(ExchangeWindows, ExportByYearTakesExactlyTheRecordsOfTheChosenKeyStart)
{
    // Keys another program wrote: their first four characters are listed as
    // years and select their own records only, a '*' or a quote being text.
    delete DM;
    addRecord(QStringLiteral("200*000001"), QStringLiteral("星号成果"));
    addRecord(QStringLiteral("20'9000001"), QStringLiteral("引号成果"));
    DM = new TDM(data);
    TFormout w;
    w.setArchiver(&fake);
    w.show();
    QStringList years;
    for (int i = 0; i < w.ComboBox2->count(); ++i)
        years << w.ComboBox2->itemText(i);
    EXPECT_EQ(years, (QStringList{QStringLiteral("2005"), QStringLiteral("200*"), QStringLiteral("20'9")}));
    w.RadioButton7->click();
    auto choose = [&](const QString &year) {
        w.ComboBox2->setCurrentIndex(w.ComboBox2->findText(year));
        emit w.ComboBox2->activated(w.ComboBox2->currentIndex());
        return w.Label1->text();
    };
    EXPECT_EQ(choose(QStringLiteral("2005")), QStringLiteral("选择了3记录！"));
    EXPECT_EQ(choose(QStringLiteral("200*")), QStringLiteral("选择了1记录！"));
    EXPECT_EQ(choose(QStringLiteral("20'9")), QStringLiteral("选择了1记录！"));
    seams.verifyAllUsed();
    w.Button1->click();
}

TEST_F(ExchangeWindows, ExportAllThenImportIntoTheSameFolder)
{
    {
        TFormout w;
        w.setArchiver(&fake);
        w.show();
        EXPECT_FALSE(w.Button2->isEnabled());
        EXPECT_EQ(w.ComboBox2->count(), 1);
        w.RadioButton5->click();
        EXPECT_EQ(w.Label1->text(), QStringLiteral("选择了3记录！"));
        w.Edit1->setText(out);
        // A Ctrl-click takes one record out of the selection.
        w.DBGrid1->selectionModel()->select(w.DBGrid1->model()->index(1, 0),
                                            QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        EXPECT_EQ(w.Label1->text(), QStringLiteral("选择了2记录！"));
        EXPECT_EQ(w.selectedRows(), (QList<int>{0, 2}));
        EXPECT_EQ(w.Label1->text(), QStringLiteral("选择了2记录！"));
        w.RadioButton5->click();
        seams.expectMessage(QStringLiteral("你已打包成功!文件在"), platform::Ok);
        w.Button2->click();
        EXPECT_EQ(w.Label1->text(), QStringLiteral("选择了3记录！"));
        EXPECT_TRUE(QFile::exists(out + QStringLiteral("/cgsbqy.arj")));
        EXPECT_EQ(fake.list(out + QStringLiteral("/cgsbqy.arj")).size(), 7);
        w.Button1->click();
    }

    TFormin w;
    w.setArchiver(&fake);
    w.show();
    EXPECT_FALSE(w.Button3->isEnabled());
    seams.answerFileDialog(out + QStringLiteral("/cgsbqy.arj"));
    w.Button1->click();
    ASSERT_TRUE(w.Button3->isEnabled());
    seams.expectMessage(QStringLiteral("导入完毕！"), platform::Ok);
    w.Button3->click();
    EXPECT_EQ(w.Label6->text(), QStringLiteral("记录条数:3条；"));
    EXPECT_EQ(w.DBGrid1->model()->rowCount(), 3);
    EXPECT_EQ(w.Label2->text(), QStringLiteral("其中：应用技术3条，基础理论0条，软科学0条。"));
    EXPECT_TRUE(w.Button4->isEnabled());
    EXPECT_FALSE(w.Button6->isEnabled());

    // All three are duplicates: delete the first, rename the second.
    seams.expectMessage(QStringLiteral("导入的项目“成果1”有重复,是否删除？"), platform::Yes);
    seams.expectMessage(QStringLiteral("导入的项目“成果2”有重复,是否删除？"), platform::No);
    w.Button4->click();
    EXPECT_TRUE(w.Panel1->isVisibleTo(&w));
    EXPECT_FALSE(w.Button6->isEnabled());
    EXPECT_EQ(w.Edit2->text(), QStringLiteral("成果2"));
    w.Edit2->setText(QStringLiteral("成果2（新）"));
    w.Button2->click();
    EXPECT_FALSE(w.Panel1->isVisibleTo(&w));
    seams.expectMessage(QStringLiteral("导入的项目“成果3”有重复,是否删除？"), platform::Yes);
    seams.expectMessage(QStringLiteral("排重已经完成！"), platform::Ok);
    w.Button4->click();
    ASSERT_TRUE(w.Button6->isEnabled());

    // The window keeps answering while the records go in.
    // Nothing else can start meanwhile, and Escape does not leave.
    int ticks = 0;
    bool idleControl = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        for (QWidget *c : {static_cast<QWidget *>(w.Button1), static_cast<QWidget *>(w.Button5), static_cast<QWidget *>(w.Label7)})
            idleControl = idleControl || c->isEnabled();
        w.reject();
    });
    timer.start(0);
    seams.expectMessage(QStringLiteral("入库完毕!"), platform::Ok);
    w.Button6->click();
    timer.stop();
    EXPECT_GT(ticks, 0);
    EXPECT_FALSE(idleControl);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.Label7->isEnabled());
    EXPECT_EQ(w.Label6->text(), QStringLiteral("导入完毕。"));
    EXPECT_EQ(count(QStringLiteral("kjcg")), 4);
    EXPECT_EQ(count(QStringLiteral("cgwcr")), 4);
    w.Button5->click();
    seams.verifyAllUsed();
}

// Escape leaves through "退出" with its question, but not while records
// are exported or a name is being corrected.
TEST_F(ExchangeWindows, EscapeLeavesThroughTheExitButtonOnly)
{
    {
        TFormout w;
        w.setArchiver(&fake);
        w.show();
        w.RadioButton5->click();
        w.Edit1->setText(out);
        int ticks = 0;
        bool idleControl = false;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            ++ticks;
            for (QWidget *c : {static_cast<QWidget *>(w.Button1), static_cast<QWidget *>(w.btnFolder),
                               static_cast<QWidget *>(w.RadioButton7), static_cast<QWidget *>(w.DBGrid1)})
                idleControl = idleControl || c->isEnabled();
            w.reject();
        });
        timer.start(0);
        seams.expectMessage(QStringLiteral("你已打包成功!文件在"), platform::Ok);
        w.Button2->click();
        timer.stop();
        EXPECT_GT(ticks, 0);
        EXPECT_FALSE(idleControl);
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(w.Button1->isEnabled());
        EXPECT_TRUE(w.RadioButton7->isEnabled());
        w.reject();
        EXPECT_FALSE(w.isVisible());
    }

    TFormin w;
    w.setArchiver(&fake);
    w.show();
    seams.answerFileDialog(out + QStringLiteral("/cgsbqy.arj"));
    w.Button1->click();
    seams.expectMessage(QStringLiteral("导入完毕！"), platform::Ok);
    w.Button3->click();
    seams.expectMessage(QStringLiteral("导入的项目“成果1”有重复,是否删除？"), platform::No);
    w.Button4->click();
    ASSERT_TRUE(w.Panel1->isVisibleTo(&w));
    w.reject();
    EXPECT_TRUE(w.isVisible());
    // A name the table cannot store is refused; the window goes on, and
    // the check asks about the record again.
    w.Edit2->setText(QStringLiteral("成果1\U0001F600"));
    seams.expectMessage(QStringLiteral("成果名称中有GBK不能表示的字符"), platform::Ok);
    w.Button2->click();
    EXPECT_FALSE(w.Panel1->isVisibleTo(&w));
    EXPECT_TRUE(w.Button4->isEnabled());
    seams.expectMessage(QStringLiteral("导入的项目“成果1”有重复,是否删除？"), platform::No);
    w.Button4->click();
    // The new name takes as many GBK bytes as its field holds (140: seventy
    // Chinese characters), as the pages' edits do.
    QGuiApplication::clipboard()->setText(QString(80, QChar(0x540D)));   // 名 ×80
    w.Edit2->selectAll();
    w.Edit2->paste();
    EXPECT_EQ(w.Edit2->text(), QString(70, QChar(0x540D)));
    w.Button2->click();   // stored without a word
    EXPECT_EQ(DM->T_temp_in.fieldByName(QStringLiteral("ITEM_3")).asString(), QString(70, QChar(0x540D)));
    seams.expectMessage(QStringLiteral("导入的项目“成果2”有重复,是否删除？"), platform::Yes);
    seams.expectMessage(QStringLiteral("导入的项目“成果3”有重复,是否删除？"), platform::Yes);
    seams.expectMessage(QStringLiteral("排重已经完成！"), platform::Ok);
    w.Button4->click();
    ASSERT_TRUE(w.Button6->isEnabled());
    seams.expectMessage(QStringLiteral("是否保存导入数据？"), platform::Yes);
    seams.expectMessage(QStringLiteral("入库完毕!"), platform::Ok);
    w.reject();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(count(QStringLiteral("kjcg")), 4);
    seams.verifyAllUsed();
}

TEST_F(ExchangeWindows, CodeManagePackageButtonsCancelAndUpdate)
{
    TFcodeManage w;
    w.setArchiver(&fake);
    const QString pkg = out + QStringLiteral("/LSBWB.ARJ");
    testsupport::FakeArchiver::write(pkg, {{QStringLiteral("LSBW.TXT"), QByteArray("901\tX\r\n")}});
    w.Edit5->setText(QStringLiteral("old"));
    seams.answerFileDialog(QString());
    w.Button10->click();
    EXPECT_TRUE(w.Edit5->text().isEmpty());
    EXPECT_TRUE(DM->tblLsbw.isActive());
    seams.answerFileDialog(pkg);
    seams.expectMessage(QStringLiteral("导入更新成功！"), platform::Ok);
    w.Button10->click();
    EXPECT_TRUE(DM->tblLsbw.isActive());   // reopened on the new file
    DM->tblLsbw.first();
    EXPECT_EQ(DM->tblLsbw.recordCount(), 1);
    EXPECT_EQ(DM->tblLsbw.fieldByName(QStringLiteral("Bwdm")).asString(), QStringLiteral("901"));
    seams.verifyAllUsed();
}

namespace {

// An `arj` that hangs: it notes its process id and sleeps.
QString hangingArj(const QString &folder)
{
    const QString path = folder + QStringLiteral("/hangingarj");
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\necho $$ > '%1/arj.pid'\nexec sleep 60\n").arg(folder).toUtf8());
    f.close();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

bool arjStillRuns(const QString &folder)
{
    QFile f(folder + QStringLiteral("/arj.pid"));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const pid_t pid = pid_t(f.readAll().trimmed().toInt());
    return pid > 0 && ::kill(pid, 0) == 0;
}

// Every file of the data folder with its bytes.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QFileInfo &i : QDir(folder).entryInfoList(QDir::Files)) {
        QFile f(i.absoluteFilePath());
        f.open(QIODevice::ReadOnly);
        files.insert(i.fileName(), f.readAll());
    }
    return files;
}

} // namespace

// A hanging archiver holds none of the windows: Escape or the exit button
// stops it, the window leaves, and the data folder is as it was.
TEST_F(ExchangeWindows, AHangingArchiverIsStoppedByEscapeOrTheExitButton)
{
    exchange::ArjArchiver arj(hangingArj(tmp.path()), 120000);
    const auto writeArj = [](const QString &path, const QList<testsupport::ArjEntry> &entries) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(testsupport::buildArj(entries));
    };
    // Starts the work, stops it 300 ms in, and finds the window gone at
    // once, the archiver with it, and the data folder as it was.
    const auto stopWhileWaiting = [&](auto &w, const std::function<void()> &stop, const std::function<void()> &start) {
        w.setArchiver(&arj);
        const auto before = snapshot(data);
        QTimer::singleShot(300, stop);
        QElapsedTimer clock;
        clock.start();
        start();
        EXPECT_LT(clock.elapsed(), 10000);
        EXPECT_FALSE(w.isVisible());
        EXPECT_FALSE(arjStillRuns(tmp.path()));
        EXPECT_EQ(snapshot(data), before);   // no staged row, no export mark, no table
    };

    {   // Import: Escape while the package is unpacked.
        TFormin w;
        w.show();
        writeArj(out + QStringLiteral("/CGSBQY.ARJ"), {{"KJCG.TXT", "k\r\n"}});
        seams.answerFileDialog(out + QStringLiteral("/CGSBQY.ARJ"));
        stopWhileWaiting(w, [&] { w.reject(); }, [&] { w.Button1->click(); });
    }
    {   // Export: the exit button while the records are packed.
        TFormout w;
        w.show();
        w.RadioButton5->click();
        const QString folder = tmp.filePath(QStringLiteral("export"));
        w.Edit1->setText(folder);
        stopWhileWaiting(
            w,
            [&] {
                EXPECT_TRUE(w.Button1->isEnabled());
                w.Button1->click();
            },
            [&] { w.Button2->click(); });
        EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());
    }
    {   // Code tables: Escape while an update package is unpacked.
        TFcodeManage w;
        w.show();
        writeArj(out + QStringLiteral("/LSBWB.ARJ"), {{"LSBW.TXT", "901\tX\r\n"}});
        seams.answerFileDialog(out + QStringLiteral("/LSBWB.ARJ"));
        stopWhileWaiting(w, [&] { w.reject(); }, [&] { w.Button10->click(); });
        EXPECT_TRUE(DM->tblLsbw.isActive());
    }
    seams.verifyAllUsed();
}
