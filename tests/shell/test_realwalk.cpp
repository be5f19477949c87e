// A new officer's first two starts on the real window system's dialogs: no
// test seams stand in, so the message boxes are Qt's own, with Qt's Chinese
// texts.  A script answers each window once it is the modal one in front,
// as the person at the screen would: the first start is ended at once from
// the organisation page, the second completes the page.
//
// With SORVEL_WALK_SHOTS naming a folder, the screen is saved there as a
// PNG at each step (run under Xvfb with QT_QPA_PLATFORM=xcb to see it).
#include "app/startup.h"
#include "data/dm.h"
#include "db/dataset.h"
#include "organisation/fpage4a.h"
#include "platform/widgets/windowseams.h"
#include "seed_loader.h"
#include "shell/mainform.h"
#include "support/windowscript.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <deque>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString kOrg = u"江汉平原农业机械研究所"_s;

class RealWalk : public testsupport::RealWindowsTest {
protected:
    static QAbstractButton *buttonOf(QWidget *box, QMessageBox::StandardButton which)
    {
        auto *b = qobject_cast<QMessageBox *>(box)->button(which);
        EXPECT_TRUE(b);
        return b;
    }
    QString storedName()
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(u"unit"_s);
        t.open();
        return t.isEmpty() ? u"<no row>"_s : t.fieldByName(u"item_9"_s).asString();
    }
    // The splash, closed as its timer would.
    void splash() { script.expect(u"formwel"_s, [](QWidget *w) { static_cast<QDialog *>(w)->accept(); }); }
};

TEST_F(RealWalk, FirstStartEndedAtOnceThenCompleted)
{
    // 1. The first start, ended at once: Escape on the empty organisation
    // page asks whether to end the program; 是 ends it, writing nothing.
    createWindows(data);
    splash();
    script.expect(u"Fpage4a"_s, [this](QWidget *page) {
        shot(u"organisation-page"_s);
        QTest::keyClick(page, Qt::Key_Escape);
    });
    QString question, yes, no;
    QPoint boxCentre, pageCentre;
    script.expect(u"QMessageBox"_s, [&](QWidget *box) {
        question = qobject_cast<QMessageBox *>(box)->text();
        yes = buttonOf(box, QMessageBox::Yes)->text();
        no = buttonOf(box, QMessageBox::No)->text();
        boxCentre = box->frameGeometry().center();
        pageCentre = Fpage4a->frameGeometry().center();
        shot(u"close-question"_s);
        buttonOf(box, QMessageBox::Yes)->click();
    });
    script.start();
    EXPECT_FALSE(showMainWindow());
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(question.contains(u"是否退出本程序"_s)) << question.toStdString();
    EXPECT_TRUE(yes.startsWith(u"是"_s)) << yes.toStdString();
    EXPECT_TRUE(no.startsWith(u"否"_s)) << no.toStdString();
    // The question sits on the middle of the page that asks.
    EXPECT_LE((boxCentre - pageCentre).manhattanLength(), 6)
        << boxCentre.x() << "," << boxCentre.y() << " page " << pageCentre.x() << "," << pageCentre.y();
    EXPECT_FALSE(MainForm->isVisible());
    EXPECT_EQ(storedName(), u"<no row>"_s);
    destroyWindows();

    // 2. The next start asks again; the officer fills the page, meets the
    // edits' Chinese menu and a paste too long for its field, and leaves
    // saving.
    createWindows(data);
    splash();
    QString pasted, menuTexts, menuPasted;
    bool undoable = false;
    script.expect(u"Fpage4a"_s, [&](QWidget *w) {
        auto *page = static_cast<TFpage4a *>(w);
        page->edt_9->setText(kOrg);
        page->Edt_37->setText(u"湖北省荆州市沙市区江津东路88号"_s);
        page->Edt_38->setText(u"434000"_s);
        page->Edt_39->setText(u"0716-8123456"_s);
        page->Edt_40->setText(u"0716-8123457"_s);
        page->Memo3->setPlainText(u"江汉平原农业机械研究所创建于一九六五年，主要从事水稻种植与收获机械、农产品加工装备的研究开发与推广，"
                                  u"设有三个研究室和一个中试基地。"_s);
        page->Edt_41_2->setText(u"0716-8123400"_s);
        // A paste longer than the department's 20 bytes keeps what fits,
        // and can be undone.
        QGuiApplication::clipboard()->setText(u"科学技术处成果管理与推广应用办公室"_s);
        page->Edt_41->setFocus();
        QTest::keyClick(page->Edt_41, Qt::Key_V, Qt::ControlModifier);
        pasted = page->Edt_41->text();
        undoable = page->Edt_41->isUndoAvailable();
        shot(u"overlong-paste-kept"_s);
        // The edit's own menu, in Chinese, as a right click opens it; its
        // 粘贴 keeps what fits too.
        const QPoint at(20, page->Edt_41->height() / 2);
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, page->Edt_41->mapToGlobal(at));
        QApplication::sendEvent(page->Edt_41, &click);
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            QAction *paste = nullptr;
            for (QAction *a : menu->actions()) {
                if (!a->isSeparator())
                    menuTexts += a->text() + u'|';
                if (a->text().startsWith(u"粘贴"_s))
                    paste = a;
            }
            shot(u"edit-context-menu"_s);
            page->Edt_41->undo();
            menuPasted = page->Edt_41->text() + u'>';
            if (paste)
                paste->trigger();
            menu->close();
            menuPasted += page->Edt_41->text();
        }
        page->quit01->click();
    });
    script.expect(u"QMessageBox"_s, [&](QWidget *box) {
        EXPECT_EQ(qobject_cast<QMessageBox *>(box)->text(), u"记录已经更改,是否保存？"_s);
        shot(u"save-question"_s);
        buttonOf(box, QMessageBox::Yes)->click();
    });
    script.expect(u"QMessageBox"_s, [&](QWidget *box) {
        EXPECT_EQ(qobject_cast<QMessageBox *>(box)->text(), u"储存成功！"_s);
        EXPECT_EQ(buttonOf(box, QMessageBox::Ok)->text(), u"确定"_s);
        shot(u"saved"_s);
        buttonOf(box, QMessageBox::Ok)->click();
    });
    script.start();
    EXPECT_TRUE(showMainWindow());
    EXPECT_TRUE(script.done());
    EXPECT_EQ(pasted, u"科学技术处成果管理与"_s);
    EXPECT_TRUE(undoable);
    EXPECT_EQ(menuPasted, u">科学技术处成果管理与"_s);
    EXPECT_TRUE(menuTexts.contains(u"粘贴"_s)) << menuTexts.toStdString();
    EXPECT_EQ(storedName(), kOrg);
    EXPECT_TRUE(MainForm->isVisible());
    EXPECT_TRUE(MainForm->Button1->isEnabled());
    shot(u"main-window"_s);

    // 3. "单位情况" twice, and the introduction dialog from it twice: each
    // window comes back where it was.
    QPoint pageAt[2], textAt[2];
    for (int i = 0; i < 2; ++i) {
        script.expect(u"Fpage4a"_s, [&, i](QWidget *w) {
            pageAt[i] = w->pos();
            static_cast<TFpage4a *>(w)->Memo3Click();
            static_cast<TFpage4a *>(w)->quit01->click();
        });
        script.expect(u"formunitintrod"_s, [&, i](QWidget *w) {
            textAt[i] = w->pos();
            if (i == 0)
                shot(u"introduction-dialog"_s);
            static_cast<QDialog *>(w)->reject();
        });
        script.start();
        MainForm->Button2->click();
        EXPECT_TRUE(script.done());
    }
    EXPECT_EQ(pageAt[1], pageAt[0]);
    EXPECT_EQ(textAt[1], textAt[0]);
}

} // namespace
