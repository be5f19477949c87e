// The window system's seams on screen: where message boxes and modal
// windows appear, and how wide a box is.  Each box or window is answered by
// a timer once it is up, as a person would.
#include "platform/widgets/windowseams.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QMessageBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs `work` on the modal window once it is up.
void whenUp(std::function<void(QWidget *)> work)
{
    QTimer::singleShot(0, qApp, [work = std::move(work)] {
        QWidget *modal = QApplication::activeModalWidget();
        ASSERT_TRUE(modal);
        work(modal);
    });
}

int distance(const QPoint &a, const QPoint &b)
{
    return (a - b).manhattanLength();
}

// A page shown over a main window that is still hidden (the first start):
// the box belongs to the page, sits on its middle, and is wide enough for
// the program's caption.
TEST(WindowSeams, BoxSitsOnTheWindowThatAsksAndFitsItsCaption)
{
    platform::WindowSeams seams;
    QWidget main;
    main.setGeometry(0, 0, 800, 570);
    QDialog page(&main);
    page.setGeometry(60, 40, 600, 480);   // within the 800 by 600 test screen
    page.show();
    QApplication::processEvents();

    const QString caption = QStringLiteral("Sorvel－【QuentaV6.0】");
    QRect boxGeometry;
    QWidget *owner = nullptr;
    whenUp([&](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        ASSERT_TRUE(box);
        boxGeometry = box->frameGeometry();
        owner = box->parentWidget();
        box->button(QMessageBox::Yes)->click();
    });
    const int answer = seams.messageBox(&main, {QStringLiteral("是否退出？"), caption, platform::Icon::Question,
                                                platform::Yes | platform::No, QString()});
    EXPECT_EQ(answer, platform::Yes);
    EXPECT_EQ(owner, &page);
    EXPECT_LE(distance(boxGeometry.center(), page.frameGeometry().center()), 2)
        << boxGeometry.x() << "," << boxGeometry.y();
    EXPECT_GE(boxGeometry.width(), QFontMetrics(QApplication::font()).horizontalAdvance(caption) + 100);
}

// A box asked for by a window not yet on screen (the main window during
// the start, before any page is up) sits on the middle of the screen.
TEST(WindowSeams, BoxWithoutAWindowOnScreenSitsOnTheScreensMiddle)
{
    platform::WindowSeams seams;
    QWidget main;
    main.setGeometry(0, 0, 800, 570);   // hidden
    QRect boxGeometry;
    whenUp([&](QWidget *w) {
        boxGeometry = w->frameGeometry();
        qobject_cast<QMessageBox *>(w)->button(QMessageBox::Ok)->click();
    });
    seams.messageBox(&main, {QStringLiteral("启动时未能整理下列数据表"), QStringLiteral("Sorvel"),
                             platform::Icon::Warning, platform::Ok, QString()});
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(distance(boxGeometry.center(), screen.center()), 6) << boxGeometry.x() << "," << boxGeometry.y();
}

// A page in front has the main window put its message (a shared routine):
// the box still sits on the page.
TEST(WindowSeams, BoxOfAMainWindowRoutineSitsOnTheModalPageInFront)
{
    platform::WindowSeams seams;
    QWidget main;
    main.setGeometry(0, 0, 800, 570);
    main.show();
    QDialog page(&main);
    page.setGeometry(200, 100, 560, 460);
    QRect boxGeometry;
    QTimer::singleShot(0, qApp, [&] {
        whenUp([&](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            ASSERT_TRUE(box);
            boxGeometry = box->frameGeometry();
            box->button(QMessageBox::Ok)->click();
        });
        seams.messageBox(&main, {QStringLiteral("储存成功！"), QStringLiteral("Sorvel"), platform::Icon::Warning,
                                 platform::Ok, QString()});
        page.accept();
    });
    page.exec();
    EXPECT_LE(distance(boxGeometry.center(), page.frameGeometry().center()), 6)
        << boxGeometry.x() << "," << boxGeometry.y();
}

// A dialog asked for by a page appears on the page the first time, and
// where the user left it every later time.
TEST(WindowSeams, ModalWindowStartsOnTheAskerAndKeepsItsPlace)
{
    platform::WindowSeams seams;
    QWidget main;
    main.setGeometry(0, 0, 800, 570);
    QDialog page(&main);
    page.setGeometry(20, 30, 700, 540);
    page.setModal(true);
    page.show();
    QApplication::processEvents();

    QDialog text(&main);
    text.resize(513, 427);
    QPoint first, later;
    whenUp([&](QWidget *w) {
        EXPECT_EQ(w, &text);
        first = text.frameGeometry().center();
        text.move(text.pos() + QPoint(37, 23));   // the user moves it
        text.accept();
    });
    seams.showModal(&text);
    EXPECT_LE(distance(first, page.frameGeometry().center()), 6)
        << first.x() << "," << first.y() << " page " << page.frameGeometry().center().x() << ","
        << page.frameGeometry().center().y() << " text " << text.frameGeometry().width() << "x"
        << text.frameGeometry().height();
    const QPoint left = text.pos();
    whenUp([&](QWidget *) {
        later = text.pos();
        text.accept();
    });
    seams.showModal(&text);
    EXPECT_EQ(later, left);
}

// A window of fixed size whose contents would like more room is centred by
// the size it has: every page of 800 by 600 opens in the same place.
TEST(WindowSeams, FixedSizeWindowIsCentredByTheSizeItHas)
{
    platform::WindowSeams seams;
    QWidget main;
    main.setGeometry(0, 0, 800, 570);
    main.show();
    QDialog roomy(&main), tight(&main);
    for (QDialog *d : {&roomy, &tight}) {
        d->setFixedSize(400, 300);
        auto *lay = new QVBoxLayout(d);
        auto *content = new QWidget(d);
        content->setMinimumHeight(d == &tight ? 100 : 420);
        lay->addWidget(content);
    }
    ASSERT_GT(tight.sizeHint().height(), 0);
    ASSERT_GT(roomy.sizeHint().height(), 300);
    QPoint at[2];
    int i = 0;
    for (QDialog *d : {&roomy, &tight}) {
        whenUp([&, d](QWidget *) {
            at[i++] = d->frameGeometry().topLeft();
            d->accept();
        });
        seams.showModal(d);
    }
    EXPECT_EQ(at[0], at[1]);
    EXPECT_LE(distance(tight.frameGeometry().center(), main.frameGeometry().center()), 6);
}

// The columns Qt fills from the system's locale speak Chinese: sizes,
// the kind of a folder, and dates in the program's own form.
TEST(WindowSeams, FileDialogColumnsAreChineseWhateverTheLocale)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    QFile f(dir.filePath(QStringLiteral("CGSBQY.ARJ")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(2048, 'x'));
    f.close();
    QFileSystemModel files;
    files.setRootPath(dir.path());
    const QModelIndex root = files.index(dir.path());
    QTRY_COMPARE(files.rowCount(root), 2);
    platform::FileColumnsInChinese columns;
    columns.setSourceModel(&files);
    const QModelIndex folder = columns.mapFromSource(files.index(dir.filePath(QStringLiteral("sub"))));
    const QModelIndex package = columns.mapFromSource(files.index(dir.filePath(QStringLiteral("CGSBQY.ARJ"))));
    EXPECT_EQ(columns.index(folder.row(), 2, folder.parent()).data().toString(), QStringLiteral("文件夹"));
    EXPECT_EQ(columns.index(folder.row(), 1, folder.parent()).data().toString(), QString());
    EXPECT_EQ(columns.index(package.row(), 0, package.parent()).data().toString(), QStringLiteral("CGSBQY.ARJ"));
    EXPECT_EQ(columns.index(package.row(), 1, package.parent()).data().toString(), QStringLiteral("2 KB"));
    const QDateTime modified = files.lastModified(files.index(dir.filePath(QStringLiteral("CGSBQY.ARJ"))));
    EXPECT_EQ(columns.index(package.row(), 3, package.parent()).data().toString(),
              modified.toString(QStringLiteral("yyyy-MM-dd H:mm")));
}

} // namespace

// A long list goes into the box's details: the box stays on the screen with
// its button, and the whole list is there on request.
TEST(WindowSeams, ALongListWaitsInTheDetailsAndTheBoxFitsTheScreen)
{
    platform::WindowSeams seams;
    QStringList names;
    for (int i = 1; i <= 621; ++i)
        names << QStringLiteral("item_%1_%2").arg(i / 9 + 100).arg(i % 9 + 1);
    QRect boxGeometry, buttonGeometry;
    QString details;
    whenUp([&](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        ASSERT_TRUE(box);
        boxGeometry = box->frameGeometry();
        QAbstractButton *ok = box->button(QMessageBox::Ok);
        buttonGeometry = QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size());
        details = box->detailedText();
        ok->click();
    });
    seams.messageBox(nullptr, {QStringLiteral("模板中缺少 621 个书签"), QStringLiteral("错误"), platform::Icon::Error,
                               platform::Ok, names.join(u'\n')});
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(boxGeometry)) << boxGeometry.height() << " pixels tall";
    EXPECT_TRUE(screen.contains(buttonGeometry));
    EXPECT_EQ(details, names.join(u'\n'));
}
