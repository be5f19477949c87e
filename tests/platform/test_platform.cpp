#include "base/error.h"
#include "db/error.h"
#include "platform/core/instance.h"
#include "platform/core/jpeg.h"
#include "platform/core/seams.h"
#include "platform/core/tempfolders.h"
#include "platform/widgets/dispatch.h"
#include "support/fakeclock.h"
#include "support/testseams.h"

#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::FakeClock;
using testsupport::TestSeams;

namespace {

// ---------------------------------------------------------------------------
// Single instance: each test gets its own runtime folder, inherited by the
// probe processes it starts.

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path()));
    }
    void TearDown() override
    {
        for (QProcess *p : m_held) {
            p->kill();
            p->waitForFinished(5000);
            delete p;
        }
        qputenv("XDG_RUNTIME_DIR", m_saved);
    }

    // Runs the probe to its end; returns what it printed.
    static QString probe(const QString &title)
    {
        QProcess p;
        p.start(QStringLiteral(INSTANCE_PROBE), {title});
        EXPECT_TRUE(p.waitForFinished(10000));
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    // Starts a probe that keeps running; returns its first line.
    QString hold(const QString &title, const char *mode, QProcess **process)
    {
        auto *p = new QProcess;
        m_held.push_back(p);
        p->start(QStringLiteral(INSTANCE_PROBE), {title, QString::fromLatin1(mode)});
        while (!p->canReadLine() && p->waitForReadyRead(10000)) {
        }
        *process = p;
        return QString::fromUtf8(p->readLine()).trimmed();
    }

    static void killAndWait(QProcess *p)
    {
        p->kill(); // SIGKILL: no chance to clean up, as in a crash
        ASSERT_TRUE(p->waitForFinished(10000));
        EXPECT_EQ(p->exitStatus(), QProcess::CrashExit);
    }

    QTemporaryDir m_dir;
    QByteArray m_saved;
    std::vector<QProcess *> m_held;
};

TEST_F(SingleInstanceTest, SecondProcessWithSameTitleIsRefusedUntilFirstIsKilled)
{
    const QString title = QStringLiteral("国家科技成果登记系统");
    QProcess *first = nullptr;
    ASSERT_EQ(hold(title, "hold", &first), QStringLiteral("first"));

    EXPECT_EQ(probe(title), QStringLiteral("second"));
    EXPECT_EQ(probe(title + QStringLiteral(" ")), QStringLiteral("first")) << "another title is another program";
    EXPECT_FALSE(platform::SingleInstance(title).isFirst());

    killAndWait(first);
    EXPECT_EQ(probe(title), QStringLiteral("first")) << "a killed holder must leave no stale lock";
}

TEST_F(SingleInstanceTest, LockIsNotInheritedByStartedPrograms)
{
    const QString title = QStringLiteral("inherit");
    QProcess *holder = nullptr;
    const QStringList line = hold(title, "spawn", &holder).split(QLatin1Char(' '));
    ASSERT_EQ(line.size(), 2);
    ASSERT_EQ(line[0], QStringLiteral("first"));
    const pid_t sleeper = pid_t(line[1].toInt());

    killAndWait(holder);
    EXPECT_EQ(probe(title), QStringLiteral("first")) << "the started program still holds the lock";
    ::kill(sleeper, SIGKILL);
}

TEST_F(SingleInstanceTest, AGivenFolderHoldsItsOwnLock)
{
    QTemporaryDir a, b;
    platform::SingleInstance first(QStringLiteral("Sorvel-folder-test"), a.path());
    EXPECT_TRUE(first.isFirst());
    EXPECT_TRUE(first.lockPath().startsWith(a.path() + u'/'));
    platform::SingleInstance second(QStringLiteral("Sorvel-folder-test"), a.path());
    EXPECT_FALSE(second.isFirst());
    // Another folder, or the default one, knows nothing of that lock.
    platform::SingleInstance elsewhere(QStringLiteral("Sorvel-folder-test"), b.path());
    EXPECT_TRUE(elsewhere.isFirst());
    platform::SingleInstance usual(QStringLiteral("Sorvel-folder-test"));
    EXPECT_TRUE(usual.isFirst());
}

TEST_F(SingleInstanceTest, ReleasedWhenTheGuardGoesAway)
{
    const QString title = QStringLiteral("in-process");
    {
        platform::SingleInstance a(title);
        EXPECT_TRUE(a.isFirst());
        EXPECT_TRUE(a.lockPath().startsWith(m_dir.path()));
        EXPECT_FALSE(platform::SingleInstance(title).isFirst());
    }
    EXPECT_TRUE(platform::SingleInstance(title).isFirst());
}

TEST_F(SingleInstanceTest, WithoutARuntimeFolderTheLockLivesInAPrivateFolderAndAPlantedOneIsRefused)
{
    // No usable runtime folder: unset, or open to other users.
    QTemporaryDir tmp, shared;
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    ::chmod(QFile::encodeName(shared.path()).constData(), 0777);
    const QString own = tmp.path() + QStringLiteral("/sorvel-%1").arg(uint(::getuid()));
    const QString title = QStringLiteral("private-folder");
    for (const char *runtime : {"", "shared"}) {
        SCOPED_TRACE(runtime);
        if (*runtime)
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(shared.path()));
        else
            qunsetenv("XDG_RUNTIME_DIR");
        platform::SingleInstance first(title);
        EXPECT_TRUE(first.problem().isEmpty()) << qPrintable(first.problem());
        EXPECT_TRUE(first.isFirst());
        EXPECT_EQ(QFileInfo(first.lockPath()).absolutePath(), own);
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(own).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, mode_t(0700));
        EXPECT_FALSE(platform::SingleInstance(title).isFirst());
    }
    qunsetenv("XDG_RUNTIME_DIR");

    // Somebody planted the folder before us: open to all, a link, another
    // user's.  The lock is refused with the reason, never taken silently.
    struct Plant {
        const char *name;
        std::function<void()> make;
        const char *reason;
    };
    const Plant plants[] = {
        {"open", [&] { ::chmod(QFile::encodeName(own).constData(), 0777); }, "其他用户也可以进入"},
        {"link",
         [&] {
             QDir(own).removeRecursively();
             ASSERT_TRUE(QFile::link(shared.path(), own));
         },
         "符号链接"},
        {"other user",
         [&] {
             QFile::remove(own);
             ASSERT_EQ(::mkdir(QFile::encodeName(own).constData(), 0700), 0);
             if (::getuid() == 0) {
                 ASSERT_EQ(::chown(QFile::encodeName(own).constData(), 65534, 65534), 0);
             }
         },
         "另一个用户"},
    };
    for (const Plant &p : plants) {
        SCOPED_TRACE(p.name);
        p.make();
        if (QByteArray(p.name) == "other user" && ::getuid() != 0)
            continue; // only root can give a folder away
        platform::SingleInstance planted(title);
        EXPECT_FALSE(planted.isFirst());
        EXPECT_TRUE(planted.problem().contains(QString::fromUtf8(p.reason))) << qPrintable(planted.problem());
        EXPECT_TRUE(planted.problem().contains(own)) << qPrintable(planted.problem());
    }
    if (savedTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTmp);
}

// ---------------------------------------------------------------------------
// Temporary folders

TEST_F(SingleInstanceTest, AStartRemovesTheFoldersOfEndedRunsAndOldDocumentsOfThisUserOnly)
{
    QTemporaryDir tmp, elsewhere;
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    QProcess *killed = nullptr, *alive = nullptr;
    const QString killedWork = hold(QStringLiteral("--work"), "", &killed);
    const QString aliveWork = hold(QStringLiteral("--work"), "", &alive);
    ASSERT_TRUE(QFileInfo::exists(killedWork + QStringLiteral("/KJCG.TXT"))) << qPrintable(killedWork);
    ASSERT_TRUE(QFileInfo::exists(aliveWork + QStringLiteral("/KJCG.TXT"))) << qPrintable(aliveWork);
    EXPECT_NE(QFileInfo(killedWork).absolutePath(), QFileInfo(aliveWork).absolutePath()) << "a folder per run";
    EXPECT_TRUE(QFileInfo(killedWork).absolutePath().startsWith(tmp.path() + QStringLiteral("/sorvel-run-")));
    killAndWait(killed);

    // Documents: yesterday's go, today's stay.
    auto document = [&](const QDateTime &when) {
        QTemporaryDir d(platform::keptFolderTemplate(QStringLiteral("word")));
        d.setAutoRemove(false);
        QFile f(d.filePath(QStringLiteral("成果登记表.docx")));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.close();
        const struct timespec times[2] = {{time_t(when.toSecsSinceEpoch()), 0}, {time_t(when.toSecsSinceEpoch()), 0}};
        EXPECT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(d.path()).constData(), times, 0), 0);
        return d.path();
    };
    const QString oldDocument = document(QDateTime::currentDateTime().addDays(-1));
    const QString newDocument = document(QDateTime::currentDateTime());
    // Look-alikes that are not this user's own folders: a link, another user's.
    ASSERT_TRUE(QFile::link(elsewhere.path(), tmp.path() + QStringLiteral("/sorvel-run-1-linked")));
    const QString foreign = tmp.path() + QStringLiteral("/sorvel-run-1-foreign");
    ASSERT_TRUE(QDir().mkpath(foreign));
    {
        QFile unheld(foreign + QStringLiteral("/.lock"));
        ASSERT_TRUE(unheld.open(QIODevice::WriteOnly));
    }
    const bool root = ::getuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
    }
    const QString mine = QFileInfo(platform::workFolderTemplate(QStringLiteral("x"))).absolutePath();

    EXPECT_EQ(platform::removeLeftoverTempFolders({QStringLiteral("word")}), root ? 2 : 3);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(killedWork).absolutePath())) << "the killed run's folder is gone";
    EXPECT_TRUE(QFileInfo::exists(aliveWork + QStringLiteral("/KJCG.TXT"))) << "a live run keeps its folder";
    EXPECT_TRUE(QFileInfo::exists(mine)) << "this run keeps its folder";
    EXPECT_FALSE(QFileInfo::exists(oldDocument));
    EXPECT_TRUE(QFileInfo::exists(newDocument));
    EXPECT_TRUE(QFileInfo(tmp.path() + QStringLiteral("/sorvel-run-1-linked")).isSymLink());
    EXPECT_TRUE(QDir(elsewhere.path()).exists());
    if (root) {
        EXPECT_TRUE(QFileInfo::exists(foreign)) << "another user's folder is left alone";
    }
    if (savedTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTmp);
}

// ---------------------------------------------------------------------------
// JPEG

QByteArray splashBytes()
{
    QFile f(QStringLiteral(SORVEL_SOURCE_DIR "/resources/splash.jpg"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

TEST(Jpeg, SplashDecodesTo800x600)
{
    const QByteArray bytes = splashBytes();
    EXPECT_LT(bytes.size(), 150 * 1024);
    QString error;
    const QImage image = platform::decodeJpeg(bytes, &error);
    ASSERT_FALSE(image.isNull()) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(image.size(), QSize(800, 600));
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    EXPECT_NE(image.pixel(5, 5), image.pixel(400, 300)) << "splash looks blank";
}

TEST(Jpeg, ColourAndGreyRoundTrip)
{
    QImage colour(64, 48, QImage::Format_RGB32);
    colour.fill(QColor(200, 40, 30));
    QByteArray bytes;
    ASSERT_TRUE(platform::encodeJpeg(colour, bytes, 90));
    QImage back = platform::decodeJpeg(bytes);
    ASSERT_EQ(back.size(), colour.size());
    const QColor c = back.pixelColor(32, 24);
    EXPECT_NEAR(c.red(), 200, 6);
    EXPECT_NEAR(c.green(), 40, 6);
    EXPECT_NEAR(c.blue(), 30, 6);

    QImage grey(31, 17, QImage::Format_Grayscale8); // odd sizes on purpose
    grey.fill(QColor(120, 120, 120));
    ASSERT_TRUE(platform::encodeJpeg(grey, bytes, 90));
    back = platform::decodeJpeg(bytes);
    ASSERT_EQ(back.size(), grey.size());
    EXPECT_EQ(back.format(), QImage::Format_RGB888);
    const QColor g = back.pixelColor(30, 16);
    EXPECT_EQ(g.red(), g.green());
    EXPECT_EQ(g.green(), g.blue());
    EXPECT_NEAR(g.red(), 120, 4);
}

void expectRefused(const QByteArray &bytes, const char *what)
{
    QString error;
    const QImage image = platform::decodeJpeg(bytes, &error);
    EXPECT_TRUE(image.isNull()) << what;
    EXPECT_FALSE(error.isEmpty()) << what;
}

TEST(Jpeg, DamagedInputGivesAnErrorNotACrash)
{
    const QByteArray good = splashBytes();
    ASSERT_GT(good.size(), 1000);
    expectRefused(QByteArray(), "empty");
    expectRefused(QByteArray("GIF89a not a jpeg at all"), "not a JPEG");
    for (qsizetype cut : {qsizetype(2), qsizetype(20), qsizetype(200), good.size() / 2, good.size() - 2})
        expectRefused(good.left(cut), "truncated");

    // Zero and oversized dimensions in the frame header.
    const qsizetype sof = good.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    QByteArray bad = good;
    bad[sof + 5] = 0;
    bad[sof + 6] = 0;
    expectRefused(bad, "height 0");
    bad = good;
    bad[sof + 7] = char(0x4E); // width 20000
    bad[sof + 8] = char(0x20);
    expectRefused(bad, "width 20000");

    // Random damage may or may not be noticed, but the answer is always
    // either a whole picture or an error.
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        QByteArray damaged = good;
        for (int i = 0; i < 4; ++i)
            damaged[qsizetype(random() % quint32(damaged.size()))] = char(random());
        QString error;
        const QImage image = platform::decodeJpeg(damaged, &error);
        EXPECT_NE(image.isNull(), error.isEmpty()) << "round " << round;
        if (!image.isNull()) {
            EXPECT_EQ(image.size(), QSize(800, 600));
        }
    }
}

// ---------------------------------------------------------------------------
// Fake clock and timers

class FakeClockTest : public ::testing::Test {
protected:
    void SetUp() override { FakeClock::activate(m_start); }
    void TearDown() override { FakeClock::deactivate(); }
    const QDateTime m_start{QDate(2004, 6, 30), QTime(23, 59, 58)};
};

TEST_F(FakeClockTest, TimerFiresOnTheDueMillisecondOnly)
{
    platform::Timer timer;
    timer.setInterval(5000);
    std::vector<QDateTime> fired;
    QObject::connect(&timer, &platform::Timer::timeout, [&] { fired.push_back(platform::now()); });
    timer.start();

    FakeClock::advance(4999);
    EXPECT_TRUE(fired.empty());
    FakeClock::advance(1);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0], m_start.addMSecs(5000));

    FakeClock::advance(10000); // repeats, seeing the time it fell due
    ASSERT_EQ(fired.size(), 3u);
    EXPECT_EQ(fired[2], m_start.addMSecs(15000));

    timer.stop();
    FakeClock::advance(60000);
    EXPECT_EQ(fired.size(), 3u);
}

TEST_F(FakeClockTest, ChangingTheIntervalRestartsTheCount)
{
    platform::Timer timer;
    int fired = 0;
    QObject::connect(&timer, &platform::Timer::timeout, [&] { ++fired; });
    timer.setInterval(1000);
    timer.start();
    FakeClock::advance(800);
    timer.setInterval(500);
    FakeClock::advance(499);
    EXPECT_EQ(fired, 0);
    FakeClock::advance(1);
    EXPECT_EQ(fired, 1);
}

TEST_F(FakeClockTest, SleepMovesTheClockAndFiresDueTimers)
{
    platform::Timer timer;
    timer.setInterval(1000);
    int fired = 0;
    QObject::connect(&timer, &platform::Timer::timeout, [&] { ++fired; });
    timer.start();

    platform::sleepMs(2500);
    EXPECT_EQ(platform::now(), m_start.addMSecs(2500));
    EXPECT_EQ(fired, 2);
    EXPECT_EQ(platform::today(), QDate(2004, 7, 1)) << "the fake day turns at midnight";
}

TEST_F(FakeClockTest, AHandlerThatSleepsNeverTurnsTheClockBack)
{
    platform::Timer timer;
    timer.setInterval(1000);
    QObject::connect(&timer, &platform::Timer::timeout, [&] {
        timer.stop();
        platform::sleepMs(700);
    });
    timer.start();
    FakeClock::advance(1000);
    EXPECT_EQ(platform::now(), m_start.addMSecs(1700));
}

// ---------------------------------------------------------------------------
// The test seams themselves: a stand-in that let faults through would make
// every window test worthless.

TEST(TestSeams, UnexpectedMessageBoxFailsAndIsDeclined)
{
    TestSeams seams;
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(answer = platform::messageBox(nullptr, QStringLiteral("确实要删除吗?"),
                                                          QStringLiteral("删除确认"),
                                                          platform::Icon::Question,
                                                          platform::Yes | platform::No),
                            "删除确认");
    EXPECT_EQ(answer, platform::No);
    ASSERT_EQ(seams.calls().size(), 1u);
    EXPECT_EQ(seams.calls()[0].caption, QStringLiteral("删除确认"));
}

TEST(TestSeams, MessagesAreAnsweredInTheOrderExpected)
{
    TestSeams seams;
    seams.expectMessage(QStringLiteral("保存"), platform::Yes);
    seams.expectMessage(QString(), [](const platform::MessageCall &call) {
        EXPECT_EQ(call.icon, platform::Icon::Warning);
        return platform::Ok;
    });
    EXPECT_EQ(platform::messageBox(nullptr, QStringLiteral("是否保存修改?"), QString(),
                                   platform::Icon::Question, platform::Yes | platform::No),
              platform::Yes);
    EXPECT_EQ(platform::messageBox(nullptr, QStringLiteral("已保存"), QString(),
                                   platform::Icon::Warning, platform::Ok),
              platform::Ok);

    seams.expectMessage(QStringLiteral("第一"), platform::Ok);
    EXPECT_NONFATAL_FAILURE(platform::messageBox(nullptr, QStringLiteral("第二"), QString(),
                                                 platform::Icon::None, platform::Ok),
                            "expected one containing");
    EXPECT_NONFATAL_FAILURE(seams.verifyAllUsed(), "never shown");
}

// A small window in the shape the program's dialogs take.
struct NameDialog : QDialog {
    QLineEdit *edit = new QLineEdit(this);
    QPushButton *ok = new QPushButton(QStringLiteral("确定"), this);
    NameDialog()
    {
        setObjectName(QStringLiteral("TFname"));
        edit->setObjectName(QStringLiteral("edtName"));
        ok->setObjectName(QStringLiteral("btnOK"));
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(edit);
        layout->addWidget(ok);
        connect(ok, &QPushButton::clicked, this, [this] {
            if (edit->text().isEmpty())
                platform::messageBox(this, QStringLiteral("名称不能为空"), QString(), platform::Icon::Warning,
                                     platform::Ok);
            else
                accept();
        });
    }
};

TEST(TestSeams, ModalDriverWorksTheWindow)
{
    TestSeams seams;
    NameDialog dialog;
    seams.onModal(QStringLiteral("TFname"), [](QDialog *w) {
        EXPECT_TRUE(w->isVisible());
        auto *ok = w->findChild<QPushButton *>(QStringLiteral("btnOK"));
        ok->click(); // empty: the window complains and stays open
        w->findChild<QLineEdit *>(QStringLiteral("edtName"))->setText(QStringLiteral("稀土分离"));
        ok->click();
        return w->result();
    });
    seams.expectMessage(QStringLiteral("不能为空"), platform::Ok);

    EXPECT_EQ(platform::showModal(&dialog), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.edit->text(), QStringLiteral("稀土分离"));

    int result = -1;
    EXPECT_NONFATAL_FAILURE(result = platform::showModal(&dialog), "unexpected modal window: \"TFname\"");
    EXPECT_EQ(result, QDialog::Rejected);
    seams.verifyAllUsed();
}

TEST(TestSeams, FileDialogsProgramsAndInstallation)
{
    platform::Seams *real = &platform::seams();
    {
        TestSeams outer;
        {
            TestSeams seams;
            seams.answerFileDialog(QStringLiteral("/tmp/in.txt"));
            EXPECT_EQ(platform::openFileName(nullptr, QStringLiteral("打开"), QStringLiteral("/tmp"),
                                             QStringLiteral("*.txt")),
                      QStringLiteral("/tmp/in.txt"));
            QString folder = QStringLiteral("x");
            EXPECT_NONFATAL_FAILURE(folder = platform::folderName(nullptr, QStringLiteral("选择目录"), QString()),
                                    "选择目录");
            EXPECT_TRUE(folder.isEmpty());
            ASSERT_EQ(seams.fileDialogs().size(), 2u);
            EXPECT_TRUE(seams.fileDialogs()[1].folderOnly);

            seams.setStartProgramResult(false);
            EXPECT_FALSE(platform::startProgram(QStringLiteral("soffice"), {QStringLiteral("-n")}, QString()));
            ASSERT_EQ(seams.programs().size(), 1u);
            EXPECT_EQ(seams.programs()[0].args, QStringList{QStringLiteral("-n")});
        }
        EXPECT_NE(&platform::seams(), real) << "the outer stand-in must come back";
    }
    EXPECT_EQ(&platform::seams(), real);
}

// ---------------------------------------------------------------------------
// The dispatcher: a refusal of a window and an engine failure are one kind
// of error, shown in the default error box; a silent abort shows nothing.

TEST(Dispatcher, ShowsEveryErrorKindInTheDefaultBoxAndSilentAbortsNothing)
{
    TestSeams seams;
    platform::setErrorCaption(QStringLiteral("标题"));
    for (const QString &text : {QStringLiteral("窗口拒绝"), QStringLiteral("表已损坏"), QStringLiteral("other")}) {
        seams.expectMessage(text, [text](const platform::MessageCall &c) {
            EXPECT_EQ(c.text, text);
            EXPECT_EQ(c.caption, QStringLiteral("标题"));
            EXPECT_EQ(c.icon, platform::Icon::Error);
            return platform::Ok;
        });
    }
    EXPECT_FALSE(platform::runHandler(nullptr, [] { throw base::Error(QStringLiteral("窗口拒绝")); }));
    EXPECT_FALSE(platform::runHandler(nullptr, [] { throw db::EngineError(QStringLiteral("表已损坏")); }));
    EXPECT_FALSE(platform::runHandler(nullptr, [] { throw std::runtime_error("other"); }));
    EXPECT_FALSE(platform::runHandler(nullptr, [] { platform::abortSilently(); }));
    EXPECT_TRUE(platform::runHandler(nullptr, [] {}));
    seams.verifyAllUsed();
    platform::setErrorCaption(QString());
}

// A control connected through handlerSlot or onClicked runs its handler in
// the dispatcher: a member function or a lambda, an error shown, nothing
// escaping into the event loop.
class ClickedWindow : public QWidget {
public:
    int runs = 0;
    void fail() { throw base::Error(QStringLiteral("拒绝储存")); }
};

TEST(Dispatcher, ConnectedHandlersRunThroughIt)
{
    TestSeams seams;
    ClickedWindow w;
    auto *member = new QPushButton(&w);
    auto *lambda = new QPushButton(&w);
    auto *edit = new QLineEdit(&w);
    platform::onClicked(member, &w, &ClickedWindow::fail);
    platform::onClicked(lambda, &w, [&w] { ++w.runs; });
    QObject::connect(edit, &QLineEdit::textChanged, &w, platform::handlerSlot(&w, [&w] {
                         ++w.runs;
                         platform::abortSilently();
                     }));
    seams.expectMessage(QStringLiteral("拒绝储存"), platform::Ok);
    member->click();
    lambda->click();
    edit->setText(QStringLiteral("1"));
    EXPECT_EQ(w.runs, 2);
    seams.verifyAllUsed();
}

// ---------------------------------------------------------------------------
// Every message box is written to standard error as well, so a start from a
// terminal or without a screen says why it stopped.

TEST(MessageBox, EveryMessageAlsoGoesToStandardError)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stderr.txt"));
    std::fflush(stderr);
    const int saved = ::dup(2);
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ::dup2(fd, 2);
    ::close(fd);
    {
        TestSeams seams;
        seams.expectMessage(QStringLiteral("数据表 kjcg.DBF 已损坏"), platform::No);
        EXPECT_EQ(platform::messageBox(nullptr, QStringLiteral("数据表 kjcg.DBF 已损坏：最后一条记录不完整"),
                                       QStringLiteral("提示"), platform::Icon::Warning, platform::Yes | platform::No),
                  platform::No);
        seams.verifyAllUsed();
    }
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(f.readAll()), QStringLiteral("提示: 数据表 kjcg.DBF 已损坏：最后一条记录不完整\n"));
}

} // namespace
