// Showing the filled document through the machine's programs, with stand-in
// programs on the PATH (small scripts): a writer or an opener that fails
// passes the document on, one that would start a writer without any desktop
// front end is not asked, and in the end the user always learns where the
// document is.

#include "wordfixtures.h"

#include "output/word/documentopener.h"
#include "output/word/platformwordhost.h"
#include "output/word/wordexport.h"
#include "support/testseams.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

using namespace wordtest;
using word::ExportEnd;
using word::WordForm;

namespace {

const QString kAsk = QStringLiteral("您确定输出word文档吗？");
const QString kWhere = QStringLiteral("没有可以显示Word文档的程序，文档已保存在：");

class WordOpenerTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString data = tmp.filePath(QStringLiteral("data"));
    QString temp = tmp.filePath(QStringLiteral("temp"));
    QString bin = tmp.filePath(QStringLiteral("bin"));
    QString office = tmp.filePath(QStringLiteral("office/program"));
    QString applications = tmp.filePath(QStringLiteral("share/applications"));
    std::optional<PathTo> path;
    std::optional<EnvSet> dataHome, dataDirs, display;
    testsupport::TestSeams seams;

    void SetUp() override
    {
        for (const QString &f : {data, temp, bin, office, applications})
            QDir().mkpath(f);
        const QString name = word::templateFileName(WordForm::AppraisalApplication);
        ASSERT_TRUE(QFile::copy(QDir(QStringLiteral(WORD_TEMPLATE_DIR)).filePath(name), QDir(data).filePath(name)));
        path.emplace(bin);
        dataHome.emplace("XDG_DATA_HOME", tmp.filePath(QStringLiteral("share")));
        dataDirs.emplace("XDG_DATA_DIRS", tmp.filePath(QStringLiteral("nothing")));
        display.emplace("DISPLAY", QStringLiteral(":0"));
        seams.runProgramsOnMachine(true);
    }
    // The stand-in programs have ended and their process objects are gone
    // before the next test (or the end of the run) comes.
    void TearDown() override
    {
        seams.verifyAllUsed();
        EXPECT_TRUE(waitFor([] { return platform::programsRunning() == 0; }));
    }

    // A stand-in program in `folder` that notes its arguments in
    // `<name>.ran` beside the test's folders and ends with `status`.
    QString program(const QString &folder, const QString &name, int status)
    {
        QString file = QDir(folder).filePath(name);
        writeFile(file,
                  QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$*\" > '%1'\nexit %2\n")
                      .arg(ran(name))
                      .arg(status)
                      .toLocal8Bit(),
                  true);
        return file;
    }
    QString ran(const QString &name) const { return tmp.filePath(name + QStringLiteral(".ran")); }
    QString argsOf(const QString &name) const
    {
        QFile f(ran(name));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()).trimmed() : QString();
    }
    // A word processor: its command on the PATH leads into its program folder.
    void writer(int status, bool frontEnd)
    {
        program(office, QStringLiteral("soffice"), status);
        writeFile(QDir(office).filePath(QStringLiteral("soffice.bin")), "");
        if (frontEnd)
            writeFile(QDir(office).filePath(QStringLiteral("libvclplug_gen.so")), "");
        ASSERT_TRUE(QFile::link(QDir(office).filePath(QStringLiteral("soffice")), QDir(bin).filePath(QStringLiteral("soffice"))));
    }
    // The application the desktop has chosen for Word documents (none for
    // an empty `exec`).
    void desktopChooses(const QString &exec)
    {
        writeFile(QDir(bin).filePath(QStringLiteral("xdg-mime")),
                  QStringLiteral("#!/bin/sh\n[ \"$1 $2 $3\" = \"query default %1\" ] && [ -n '%2' ] && echo words.desktop\n"
                                 "exit 0\n")
                      .arg(QLatin1String(word::documentMimeType()), exec)
                      .toLocal8Bit(),
                  true);
        writeFile(QDir(applications).filePath(QStringLiteral("words.desktop")),
                  QStringLiteral("[Desktop Action New]\nExec=other\n[Desktop Entry]\nType=Application\nName=Words\n"
                                 "Exec=%1 %U\n").arg(exec).toUtf8());
    }
    // One export, answered OK; `told`: the user is to learn where the
    // document is (at once or later).
    word::ExportOutcome exportDocument(bool told = false)
    {
        seams.expectMessage(kAsk, platform::Ok);
        if (told)
            seams.expectMessage(kWhere, platform::Ok);
        word::PlatformWordHost host;
        const CodeTables t = richTables();
        return word::exportWord(host, WordForm::AppraisalApplication, data, richRecord(), &t, temp);
    }
    // Lets the started programs run until `done` holds (a minute at most).
    static bool waitFor(const std::function<bool()> &done) { return QTest::qWaitFor(done, 60000); }
    bool told() const
    {
        return !seams.calls().empty() && seams.calls().back().text.startsWith(kWhere);
    }
};

} // namespace

TEST_F(WordOpenerTest, AnOpenerThatFailsLeavesTheUserToldWhereTheDocumentIs)
{
    // No writer; the desktop's opener finds no method and says so in its status.
    program(bin, QStringLiteral("xdg-open"), 3);
    const auto out = exportDocument(true);
    EXPECT_EQ(out.end, ExportEnd::OpenedByDesktop);
    ASSERT_TRUE(waitFor([&] { return told(); })) << "the opener's failure was never told";
    EXPECT_EQ(argsOf(QStringLiteral("xdg-open")), out.document);
    EXPECT_TRUE(seams.calls().back().text.contains(QDir::toNativeSeparators(out.document)));
    EXPECT_EQ(seams.calls().back().icon, platform::Icon::Information);
    EXPECT_TRUE(QFile::exists(out.document));

    // A writer with a front end that fails passes the document to the opener
    // (which fails too here): still the user is told.
    writer(1, true);
    const auto again = exportDocument(true);
    EXPECT_EQ(again.end, ExportEnd::OpenedInWriter);
    ASSERT_TRUE(waitFor([&] { return told() && seams.calls().size() == 4; }));
    EXPECT_EQ(argsOf(QStringLiteral("soffice")), QStringLiteral("-n ") + again.document);
    EXPECT_EQ(argsOf(QStringLiteral("xdg-open")), again.document);
}

TEST_F(WordOpenerTest, AnOpenerThatShowsTheDocumentEndsWithoutAWord)
{
    writer(1, true);
    program(bin, QStringLiteral("xdg-open"), 0);
    const auto out = exportDocument();
    EXPECT_EQ(out.end, ExportEnd::OpenedInWriter);
    ASSERT_TRUE(waitFor([&] { return !argsOf(QStringLiteral("xdg-open")).isEmpty(); }))
        << "the writer's failure did not pass the document on";
    EXPECT_EQ(argsOf(QStringLiteral("xdg-open")), out.document);
    QTest::qWait(300);
    EXPECT_EQ(seams.calls().size(), 1u) << "only the question";
}

// The desktop's application for Word documents, as the opener finds it.
static QString chosenProgram()
{
    return word::desktopApplicationProgram(QLatin1String(word::documentMimeType())).value_or(QStringLiteral("<unknown>"));
}

TEST_F(WordOpenerTest, AWriterWithoutFrontEndIsNeverAskedDirectlyNorThroughTheOpener)
{
    writer(0, false);
    program(bin, QStringLiteral("xdg-open"), 0);
    // Straight to the program, through its command on the PATH, and through
    // a small script that starts it.
    const QString wrapper = QDir(bin).filePath(QStringLiteral("words"));
    writeFile(wrapper, QStringLiteral("#!/bin/sh\nexec '%1' --writer \"$@\"\n")
                           .arg(QDir(office).filePath(QStringLiteral("soffice")))
                           .toLocal8Bit(),
              true);
    for (const QString &exec : {QDir(office).filePath(QStringLiteral("soffice")) + QStringLiteral(" --writer"),
                                QStringLiteral("env LANG=zh_CN.UTF-8 soffice --writer"), QStringLiteral("words")}) {
        SCOPED_TRACE(qPrintable(exec));
        desktopChooses(exec);
        EXPECT_FALSE(word::writerShowsWindows(chosenProgram()));
        const auto out = exportDocument(true);
        EXPECT_EQ(out.end, ExportEnd::LeftInFolder);
        EXPECT_TRUE(told());
        EXPECT_TRUE(seams.calls().back().text.contains(QDir::toNativeSeparators(out.document)));
    }
    EXPECT_TRUE(seams.programs().empty()) << "nothing was started";
    EXPECT_FALSE(QFile::exists(ran(QStringLiteral("soffice"))));
    EXPECT_FALSE(QFile::exists(ran(QStringLiteral("xdg-open"))));

    // An application with a front end of its own is the opener's to start.
    program(bin, QStringLiteral("viewer"), 0);
    desktopChooses(QStringLiteral("viewer"));
    EXPECT_EQ(chosenProgram(), QDir(bin).filePath(QStringLiteral("viewer")));
    EXPECT_TRUE(word::writerShowsWindows(chosenProgram()));
    const auto out = exportDocument();
    EXPECT_EQ(out.end, ExportEnd::OpenedByDesktop);
    ASSERT_TRUE(waitFor([&] { return !argsOf(QStringLiteral("xdg-open")).isEmpty(); }));
    EXPECT_EQ(argsOf(QStringLiteral("xdg-open")), out.document);
}

// Without an application chosen for Word documents the opener falls back on
// programs that show none (a text-mode browser takes it and ends well), and
// without a window system nothing shows at all: the opener is not asked.
TEST_F(WordOpenerTest, AnOpenerWithNothingToShowTheDocumentIsNotAsked)
{
    program(bin, QStringLiteral("xdg-open"), 0);
    desktopChooses(QString());
    EXPECT_EQ(chosenProgram(), QString());
    const auto out = exportDocument(true);
    EXPECT_EQ(out.end, ExportEnd::LeftInFolder);
    EXPECT_TRUE(told());

    desktopChooses(QStringLiteral("viewer"));
    program(bin, QStringLiteral("viewer"), 0);
    display.reset();
    const EnvSet noDisplay("DISPLAY", QString()), noWayland("WAYLAND_DISPLAY", QString());
    EXPECT_EQ(exportDocument(true).end, ExportEnd::LeftInFolder);
    EXPECT_TRUE(seams.programs().empty());
    EXPECT_FALSE(QFile::exists(ran(QStringLiteral("xdg-open"))));
}
