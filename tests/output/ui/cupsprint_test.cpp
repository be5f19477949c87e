// The real print path: a print system of the test's own (its configuration
// folder, spool and socket under a temporary folder) with a queue whose back
// end writes each job as a PDF file.  "全文打印" goes to it as the default
// printer; the files carry the running page numbers; a queue that rejects
// jobs, and one that holds them, are named to the person.
//
// It needs root (the PDF back end runs only for root), cupsd, the PDF back
// end and its PPD; where something is missing it is skipped with a message.
#include "output/layouts/pages.h"
#include "output/ui/printform.h"
#include "support/printsamples.h"
#include "support/testseams.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <cups/cups.h>
#include <map>
#include <unistd.h>

namespace {

const QString kCupsd = QStringLiteral("/usr/sbin/cupsd");
const QString kBackend = QStringLiteral("/usr/lib/cups/backend/cups-pdf");
const QString kPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");

bool run(const QString &program, const QStringList &args, QString *output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool ok = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (output)
        *output = QString::fromUtf8(p.readAll());
    return ok;
}

bool write(const QString &path, const QString &text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) == text.toUtf8().size();
}

// A print system of the test's own, stopped and removed when it goes.
class PrivateCups {
public:
    QTemporaryDir dir{QStringLiteral("/tmp/sorvel-cups-XXXXXX")};
    QString queue = QStringLiteral("SorvelPdf%1").arg(getpid());
    QProcess cupsd;

    ~PrivateCups()
    {
        if (cupsd.state() != QProcess::NotRunning) {
            cupsd.terminate();
            if (!cupsd.waitForFinished(10000))
                cupsd.kill();
            cupsd.waitForFinished(5000);
        }
        QFile::remove(backendConf());
        qunsetenv("CUPS_SERVER");
        cupsSetServer(nullptr);
    }
    QString socket() const { return dir.filePath(QStringLiteral("cups.sock")); }
    QString out() const { return dir.filePath(QStringLiteral("out")); }
    QString backendConf() const { return QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(queue); }

    // Empty when it runs with the queue as its default printer; else why not.
    QString start()
    {
        if (geteuid() != 0)
            return QStringLiteral("the PDF back end of the print system runs only for root");
        for (const QString &f : {kCupsd, kBackend, kPpd, QStringLiteral("/usr/sbin/lpadmin")})
            if (!QFileInfo::exists(f))
                return f + QStringLiteral(" is not installed (scripts/deps.sh installs cups and printer-driver-cups-pdf)");
        if (!dir.isValid())
            return QStringLiteral("no temporary folder");
        // The filters run as the print system's own user and must reach the spool.
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                              | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                              | QFileDevice::ExeOther);
        const QString d = dir.path();
        for (const char *sub : {"conf", "spool/tmp", "cache", "state", "log", "out"})
            QDir().mkpath(d + QLatin1Char('/') + QLatin1String(sub));
        const bool written =
            write(d + QStringLiteral("/conf/cupsd.conf"),
                  QStringLiteral("Listen %1\nLogLevel info\nWebInterface No\nBrowsing No\nDefaultAuthType None\n"
                                 "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                 "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                      .arg(socket()))
            && write(d + QStringLiteral("/conf/cups-files.conf"),
                     QStringLiteral("ServerRoot %1/conf\nRequestRoot %1/spool\nTempDir %1/spool/tmp\nCacheDir %1/cache\n"
                                    "StateDir %1/state\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                                    "PageLog %1/log/page_log\nPrintcap %1/printcap\n"
                                    "ServerBin /usr/lib/cups\nDataDir /usr/share/cups\n")
                         .arg(d))
            // The PDF back end reads a file of its own for each queue.
            && write(backendConf(), QStringLiteral("Out %1\nAnonDirName %1\nLabel 1\n").arg(out()));
        if (!written)
            return QStringLiteral("cannot write the print system's configuration (/etc/cups must be writable)");
        cupsd.setProcessChannelMode(QProcess::MergedChannels);
        cupsd.start(kCupsd, {QStringLiteral("-f"), QStringLiteral("-c"), d + QStringLiteral("/conf/cupsd.conf"),
                             QStringLiteral("-s"), d + QStringLiteral("/conf/cups-files.conf")});
        if (!cupsd.waitForStarted(10000))
            return QStringLiteral("cupsd does not start");
        QElapsedTimer t;
        t.start();
        while (!QFileInfo::exists(socket()) && t.elapsed() < 20000 && cupsd.state() == QProcess::Running)
            QThread::msleep(100);
        if (!QFileInfo::exists(socket()))
            return QStringLiteral("cupsd did not open its socket: ") + QString::fromUtf8(cupsd.readAll());
        // This process and every program it starts talk to this print system.
        qputenv("CUPS_SERVER", socket().toUtf8());
        qunsetenv("PRINTER");
        qunsetenv("LPDEST");
        cupsSetServer(nullptr);
        QString why;
        if (!lpadmin({QStringLiteral("-p"), queue, QStringLiteral("-E"), QStringLiteral("-v"), QStringLiteral("cups-pdf:/") + queue,
                      QStringLiteral("-P"), kPpd, QStringLiteral("-o"), QStringLiteral("pdftops-renderer-default=pdftocairo")},
                     &why)
            || !lpadmin({QStringLiteral("-d"), queue}, &why))
            return QStringLiteral("lpadmin: ") + why;
        return {};
    }

    bool lpadmin(const QStringList &args, QString *why = nullptr)
    {
        return run(QStringLiteral("/usr/sbin/lpadmin"), QStringList{QStringLiteral("-h"), socket()} + args, why);
    }
    bool tool(const QString &program, const QStringList &args)
    {
        return run(program, QStringList{QStringLiteral("-h"), socket()} + args);
    }

    // The PDF files the queue wrote, by job number, once there are `count`.
    std::map<int, QString> waitForFiles(int count, int timeoutMs = 240000)
    {
        static const QRegularExpression job(QStringLiteral("job_(\\d+)"));
        std::map<int, QString> files;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            files.clear();
            for (const QFileInfo &f : QDir(out()).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files)) {
                const auto m = job.match(f.fileName());
                if (m.hasMatch())
                    files[m.captured(1).toInt()] = f.filePath();
            }
            if (int(files.size()) >= count)
                break;
            QThread::msleep(250);
        }
        return files;
    }
};

// The page-number text at the foot of each page of a PDF: its last line.
QStringList pageFoots(const QString &pdf)
{
    QString text;
    run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}, &text);
    QStringList foots;
    for (const QString &page : text.split(QChar(0x000C))) {
        QStringList lines = page.split(QLatin1Char('\n'));
        while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
            lines.removeLast();
        if (!lines.isEmpty())
            foots << lines.last().trimmed();
    }
    return foots;
}

} // namespace

TEST(RealPrintQueue, WholeFormGoesToTheDefaultPrinterWithItsRunningNumbersAndRefusalsAreNamed)
{
    PrivateCups cups;
    const QString why = cups.start();
    if (!why.isEmpty())
        GTEST_SKIP() << "no print system of the test's own: " << qPrintable(why);
    testsupport::TestSeams seams;
    TPrintForm form([](const QString &instance) { return layouts::buildPage(QLatin1Char('T') + instance); });
    // 20 persons and 14 committee members: both lists take two sheets.
    form.setRecord(testsupport::richPrintRecord(true, 20, 14));
    form.show();
    form.findChild<QPushButton *>(QStringLiteral("zBitBtn4"))->click();
    EXPECT_EQ(form.lblStatus->text(),
              QStringLiteral("“全文打印”已送往打印机“%1”：10 个打印任务，共 10 页。").arg(cups.queue));

    const std::map<int, QString> files = cups.waitForFiles(10);
    ASSERT_EQ(files.size(), 10u) << "the queue wrote " << files.size() << " files";
    QStringList foots;
    for (const auto &[job, file] : files)
        foots << pageFoots(file);
    // The cover is unnumbered; the data pages count 1 to 5; the lists print
    // a sheet a job with their running numbers.
    ASSERT_EQ(foots.size(), 10);
    EXPECT_FALSE(foots[0].contains(QRegularExpression(QStringLiteral("^\\d+$"))));
    EXPECT_EQ(foots.mid(1), (QStringList{"1", "2", "3", "4", "5", "6--1", "6--2", "7--1", "7--2"}));

    // A queue that rejects jobs: nothing goes out, the person hears which
    // printer and why.
    ASSERT_TRUE(cups.tool(QStringLiteral("/usr/sbin/cupsreject"), {cups.queue}));
    seams.expectMessage(QStringLiteral("打印机“%1”没有接受打印任务：打印机不接受新的打印任务。").arg(cups.queue), platform::Ok);
    form.findChild<QPushButton *>(QStringLiteral("zBitBtn9"))->click();
    EXPECT_TRUE(form.lblStatus->text().isEmpty());

    // A paused queue takes the job and holds it: the status line says so.
    ASSERT_TRUE(cups.tool(QStringLiteral("/usr/sbin/cupsaccept"), {cups.queue}));
    ASSERT_TRUE(cups.tool(QStringLiteral("/usr/sbin/cupsdisable"), {cups.queue}));
    form.findChild<QPushButton *>(QStringLiteral("zBitBtn9"))->click();
    EXPECT_EQ(form.lblStatus->text(), QStringLiteral("“批准登记单位意见”已送往打印机“%1”：1 个打印任务，共 1 页。"
                                                     "打印机已暂停，任务在队列中等候。")
                                          .arg(cups.queue));
    seams.verifyAllUsed();
}
