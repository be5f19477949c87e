// A working day on the real window system's windows and dialogs, under
// whatever locale the system has (the X11 run sets LANG=C.UTF-8): a package
// chosen in the file dialog and imported, then every page of the imported
// record opened from the main window.  Figures are typed key by key, names
// arrive as an input method gives them, and the pages' places are compared.
//
// With SORVEL_WALK_SHOTS naming a folder, the screen is saved there as a
// PNG at each step (run under Xvfb with QT_QPA_PLATFORM=xcb to see it).
#include "app/startup.h"
#include "data/dm.h"
#include "db/dataset.h"
#include "entry/finto5.h"
#include "entry/finto8.h"
#include "entry/fpage2.h"
#include "entry/fpage3.h"
#include "entry/fpage5.h"
#include "entry/fpage8.h"
#include "exchange/archiver.h"
#include "exchange/exporter.h"
#include "exchange/ui/fileanimation.h"
#include "exchange/ui/formin.h"
#include "forms/elidededit.h"
#include "platform/widgets/windowseams.h"
#include "seed_loader.h"
#include "shell/mainform.h"
#include "support/seededfolder.h"
#include "support/tablerows.h"
#include "support/windowscript.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace Qt::StringLiterals;

namespace {

const QString kKey = u"2024000001"_s;

class WorkingDay : public testsupport::RealWindowsTest {
protected:
    QString outbox = tmp.path() + u"/outbox"_s;

    void SetUp() override
    {
        if (QStandardPaths::findExecutable(u"arj"_s).isEmpty())
            GTEST_SKIP() << "the archiver arj (Debian package arj) is not installed";
        RealWindowsTest::SetUp();
        testsupport::Fields organisation = testsupport::completeOrganisation();
        organisation.insert(u"item_124_2"_s, u"1105 ;0101 ;"_s);
        testsupport::addRow(data, u"unit"_s, organisation);
        makePackage();
    }

    // A package from another installation: one applied-technology record,
    // written by the export with the real archiver.
    void makePackage()
    {
        const QString source = tmp.path() + u"/source"_s;
        seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), source);
        testsupport::addRow(source, u"unit"_s, testsupport::completeOrganisation());
        testsupport::addRow(source, u"kjcg"_s,
                            {{u"ITEM_4"_s, kKey}, {u"ITEM_DQDM"_s, u"."_s}, {u"ITEM_CGLB"_s, u"1"_s},
                             {u"ITEM_3"_s, u"高效低噪声离心风机研制"_s}, {u"ITEM_9"_s, u"青岚应用技术研究院"_s},
                             {u"ITEM_32"_s, u"1"_s}, {u"ITEM_161"_s, u"1;"_s}, {u"ITEM_51"_s, u"9;"_s}});
        QDir().mkpath(outbox);
        exchange::ArjArchiver arj;
        exchange::Prompt quiet;
        ASSERT_TRUE(exchange::Exporter(source, arj, quiet).exportRecords(outbox, {0}));
    }

    void shot(const QString &name) { RealWindowsTest::shot(name, u"day-"_s); }
    static QAbstractButton *ok(QWidget *box) { return qobject_cast<QMessageBox *>(box)->button(QMessageBox::Ok); }
    // The next message box must say `text`; OK closes it.
    void box(const QString &text, const std::function<void()> &check = {})
    {
        script.expect(u"QMessageBox"_s, [text, check](QWidget *w) {
            EXPECT_EQ(qobject_cast<QMessageBox *>(w)->text(), text);
            if (check)
                check();
            ok(w)->click();
        });
    }
    // What the user types at once into a window goes to its focus widget:
    // a name as an input method commits it.
    static void typeAtOnce(QWidget *window, const QString &text)
    {
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window, 1000))
            QApplication::processEvents();   // a bare X server may make no window active
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : window->focusWidget();
        ASSERT_TRUE(target);
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(target, &commit);
    }
    // Where the window stands once the window system has placed it (its
    // reports may trail the program's move under load).
    static QPoint settledPlace(QWidget *w)
    {
        QPoint last = w->frameGeometry().topLeft();
        for (int i = 0; i < 20; ++i) {
            QTest::qWait(50);
            const QPoint now = w->frameGeometry().topLeft();
            if (now == last && i >= 2)
                break;
            last = now;
        }
        return last;
    }
    QString storedField(const QString &field)
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(u"kjcg"_s);
        t.open();
        return t.locate(u"ITEM_4"_s, kKey) ? t.fieldByName(field).asString() : u"<none>"_s;
    }
};

TEST_F(WorkingDay, ImportThenEveryPageOfTheRecord)
{
    createWindows(data);
    script.expect(u"formwel"_s, [](QWidget *w) { static_cast<QDialog *>(w)->accept(); });
    script.start();
    ASSERT_TRUE(showMainWindow());
    shot(u"main-window"_s);

    // 1. The import: the file dialog in Chinese, the path as chosen, the
    // bar full when the load is done.
    const QString package = outbox + u"/cgsbqy.arj"_s;
    QStringList kinds, dates;
    QString shownPath;
    script.expect(u"Formin"_s, [this](QWidget *) {
        shot(u"import-window"_s);
        Formin->Button1->click();
    });
    script.expect(u"QFileDialog"_s, [&](QWidget *w) {
        auto *dialog = static_cast<QFileDialog *>(w);
        dialog->setViewMode(QFileDialog::Detail);
        dialog->setDirectory(tmp.path());
        auto *view = dialog->findChild<QTreeView *>(u"treeView"_s);
        ASSERT_TRUE(view);
        QTRY_VERIFY(view->model()->rowCount(view->rootIndex()) >= 3);
        for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r) {
            kinds << view->model()->index(r, 2, view->rootIndex()).data().toString();
            dates << view->model()->index(r, 3, view->rootIndex()).data().toString();
        }
        shot(u"file-dialog"_s);
        // The name typed into the dialog's own field, then Enter.
        auto *name = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s);
        ASSERT_TRUE(name);
        name->setText(package);
        QTest::keyClick(name, Qt::Key_Return);
    });
    // The package is unpacked while the window keeps painting: "导入" is
    // pressed once it is on.
    script.expect(
        u"Formin"_s,
        [&shownPath](QWidget *) {
            shownPath = Formin->Edit1->text();
            Formin->Button3->click();
        },
        [] { return Formin->Button3->isEnabled(); });
    bool fullAtTheEnd = false, signRunning = false;
    box(u"导入完毕！"_s, [&] {
        fullAtTheEnd = Formin->Gauge1->value() == Formin->Gauge1->maximum();
        signRunning = Formin->Animate1->isRunning();
        shot(u"import-loaded"_s);
    });
    script.expect(u"Formin"_s, [](QWidget *) { Formin->Button4->click(); }, [] { return Formin->Button4->isEnabled(); });
    box(u"排重已经完成！"_s);
    script.expect(u"Formin"_s, [](QWidget *) { Formin->Button6->click(); }, [] { return Formin->Button6->isEnabled(); });
    box(u"入库完毕!"_s);
    script.expect(
        u"Formin"_s,
        [this](QWidget *) {
            shot(u"import-saved"_s);
            Formin->Button5->click();
        },
        [] { return Formin->Button5->isEnabled(); });
    script.start();
    MainForm->BitBtn1->click();
    ASSERT_TRUE(script.done());
    EXPECT_EQ(shownPath, package);
    EXPECT_TRUE(fullAtTheEnd);
    EXPECT_TRUE(signRunning);
    EXPECT_TRUE(kinds.contains(u"文件夹"_s)) << kinds.join(u' ').toStdString();
    EXPECT_FALSE(kinds.contains(u"Folder"_s));
    for (const QString &d : dates)
        EXPECT_TRUE(QDateTime::fromString(d, u"yyyy-MM-dd H:mm"_s).isValid()) << d.toStdString();
    EXPECT_EQ(storedField(u"ITEM_3"_s), u"高效低噪声离心风机研制"_s);

    // 2. Every page of the record, from its button: each opens where the
    // others do.
    QMap<QString, QPoint> at;
    const auto page = [&](QPushButton *button, const QString &name, const std::function<void(QDialog *)> &work) {
        script.expect(name, [&, name, work](QWidget *w) {
            at[name] = settledPlace(w);
            shot(name);
            work(static_cast<QDialog *>(w));
        });
        script.start();
        button->click();
        EXPECT_TRUE(script.done()) << name.toStdString();
    };
    const auto leave = [](QDialog *d) { d->done(QDialog::Rejected); };

    page(MainForm->btn_page01, u"Fpage1"_s, leave);

    // Page 2: fractions typed key by key are stored as typed.
    page(MainForm->btn_page02, u"Fpage2"_s, [&](QDialog *d) {
        for (const auto &[edit, keys] : {std::pair{Fpage2->Edt_150, "120.5"}, std::pair{Fpage2->Edt_151_1, "300.75"}}) {
            edit->setFocus();
            edit->clear();
            QTest::keyClicks(edit, keys);
        }
        box(u"储存成功！"_s);
        script.expect(u"Fpage2"_s, [this](QWidget *w) {
            shot(u"Fpage2-saved"_s);
            static_cast<QDialog *>(w)->done(QDialog::Rejected);
        });
        script.start();   // the steps just added
        Fpage2->btnSave01->click();
        (void)d;
    });
    EXPECT_EQ(storedField(u"ITEM_150"_s), u"120.5"_s);
    EXPECT_EQ(storedField(u"ITEM_151_1"_s), u"300.75"_s);

    // Page 3: a second point is refused at the key, visibly and without a
    // box; the field keeps its text and the next key goes in.
    QString afterSecondPoint, afterNextKey;
    int refusals = 0;
    page(MainForm->btn_page03, u"Fpage3"_s, [&](QDialog *d) {
        QLineEdit *e = Fpage3->Edt_145;
        e->setFocus();
        QSignalSpy refused(e, &QLineEdit::inputRejected);
        QTest::keyClicks(e, "1.5");
        QTest::keyClick(e, Qt::Key_Period);
        afterSecondPoint = e->text();
        shot(u"Fpage3-second-point"_s);
        QTest::keyClick(e, Qt::Key_2);
        afterNextKey = e->text();
        refusals = int(refused.size());
        e->clear();
        leave(d);
    });
    EXPECT_EQ(afterSecondPoint, u"1.5"_s);
    EXPECT_EQ(afterNextKey, u"1.52"_s);
    EXPECT_EQ(refusals, 1);

    page(MainForm->btn_page04, u"Fpage4"_s, leave);

    // Pages 5 and 8: a name typed as soon as the add dialog is up lands in
    // the name field.
    QString organisation, person;
    page(MainForm->btn_page05, u"Fpage5"_s, [&](QDialog *d) {
        script.expect(u"Finto5"_s, [&](QWidget *w) {
            typeAtOnce(w, u"武汉大学"_s);
            organisation = Finto5->edtdw_170->text();
            shot(u"Finto5-typed"_s);
            static_cast<QDialog *>(w)->done(QDialog::Rejected);
        });
        script.expect(u"Fpage5"_s, [leave](QWidget *w) { leave(static_cast<QDialog *>(w)); });
        script.start();
        Fpage5->Button2->click();
        (void)d;
    });
    EXPECT_EQ(organisation, u"武汉大学"_s);
    page(MainForm->btn_page07, u"Fpage7"_s, leave);
    page(MainForm->btn_page08, u"Fpage8"_s, [&](QDialog *d) {
        script.expect(u"Finto8"_s, [&](QWidget *w) {
            typeAtOnce(w, u"张三"_s);
            person = Finto8->edtry_180->text();
            shot(u"Finto8-typed"_s);
            static_cast<QDialog *>(w)->done(QDialog::Rejected);
        });
        script.expect(u"Fpage8"_s, [leave](QWidget *w) { leave(static_cast<QDialog *>(w)); });
        script.start();
        Fpage8->Button2->click();
        (void)d;
    });
    EXPECT_EQ(person, u"张三"_s);
    page(MainForm->btn_page09, u"Fpage9"_s, leave);

    // The organisation page: a code item wider than its slot ends in "…"
    // and shows whole on hover.
    QString slotShown, slotTip;
    script.expect(u"Fpage4a"_s, [&](QWidget *w) {
        auto *slot = w->findChild<ElidedLineEdit *>(u"edt_124_2_1"_s);
        ASSERT_TRUE(slot);
        slotShown = slot->shownText();
        slotTip = slot->toolTip();
        shot(u"Fpage4a"_s);
        static_cast<QDialog *>(w)->done(QDialog::Rejected);
    });
    script.start();
    MainForm->Button2->click();
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(slotShown.startsWith(u"1105  农业"_s) && slotShown.endsWith(QChar(0x2026))) << slotShown.toStdString();
    EXPECT_EQ(slotTip, u"1105  农业面源和重金属污染农田综合防治与修复技术"_s);

    ASSERT_EQ(at.size(), 8);
    for (auto it = at.begin(); it != at.end(); ++it)
        EXPECT_EQ(it.value(), at.value(u"Fpage1"_s)) << it.key().toStdString() << " opens at " << it.value().x() << ","
                                                      << it.value().y();
}

} // namespace
