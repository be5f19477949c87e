// Start-up time, as whole processes: the program's start (every window, the
// data module with its packs, the main window's first showing) in a process
// of its own that ends at the main window's first paint, beside a `cat` of
// the data folder in the same run.  The data folder holds ROWS records with
// two persons each; one record in ten is deleted with its persons, so the
// first start packs the record and person tables; the start after it finds
// nothing to pack.  Every first start works on a fresh copy of that folder.
// The splash window is answered at once; everything else runs as in the
// program.
//
//   bench_startup SEED_FOLDER WORK_FOLDER [ROWS] [REPEATS]
//   bench_startup --run DATA_FOLDER      the measured process

#include "data/dm.h"
#include "db/dataset.h"
#include "db/error.h"
#include "app/startup.h"
#include "platform/widgets/windowseams.h"

#include <QComboBox>
#include "platform/core/seams.h"
#include "seed_loader.h"
#include "shell/formwel.h"
#include "shell/mainform.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

// The real seams, but the splash returns at once.
class QuickSplash : public platform::Seams {
public:
    explicit QuickSplash(platform::Seams &real) : m_real(real) {}
    // Nobody answers in a measured start: a message or another window ends
    // it with its text instead of waiting for ever.
    int messageBox(QWidget *, const platform::MessageCall &c) override
    {
        std::fprintf(stderr, "unexpected message in the start: %s\n", qPrintable(c.text));
        ::_exit(3);
    }
    int showModal(QDialog *w) override
    {
        if (w->objectName() == QLatin1String("formwel"))
            return 1;
        std::fprintf(stderr, "unexpected window in the start: %s\n", qPrintable(w->objectName()));
        ::_exit(3);
    }
    QString fileDialog(QWidget *p, const platform::FileDialogCall &c) override { return m_real.fileDialog(p, c); }
    QDateTime now() override { return m_real.now(); }
    void sleepMs(int ms) override { m_real.sleepMs(ms); }
    bool startProgram(const QString &a, const QStringList &b, const QString &c, const platform::ProgramFailed &d) override
    {
        return m_real.startProgram(a, b, c, d);
    }

private:
    platform::Seams &m_real;
};

class FirstPaint : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

void fillRecords(const QString &data, int rows)
{
    const QStringList names = {QStringLiteral("高效节能电机控制系统研究"), QStringLiteral("水稻抗病新品种选育与推广"),
                               QStringLiteral("城市供水管网智能监测平台"), QStringLiteral("新型复合材料制备工艺"),
                               QStringLiteral("区域科技创新政策研究"), QStringLiteral("中药有效成分分析方法")};
    const QStringList orgs = {QStringLiteral("湖北省青岚应用技术研究院"), QStringLiteral("华中农业科学研究所"),
                              QStringLiteral("江汉大学材料工程学院")};
    const QStringList people = {QStringLiteral("张伟"), QStringLiteral("王芳"), QStringLiteral("李娜"), QStringLiteral("刘洋"),
                                QStringLiteral("陈静"), QStringLiteral("杨帆")};
    std::mt19937 rng(7);
    db::Table t, p;
    t.setDatabaseName(data);
    t.setTableName(QStringLiteral("kjcg"));
    t.open();
    p.setDatabaseName(data);
    p.setTableName(QStringLiteral("cgwcr"));
    p.open();
    QVector<int> serial(30, 0);
    for (int i = 0; i < rows; ++i) {
        // The first 5,000 records form one year's list of applied technology.
        const int year = i < 5000 ? 2009 : 2000 + int(rng() % 25);
        const QString key = QStringLiteral("%1%2").arg(year).arg(++serial[year - 2000], 6, 10, QLatin1Char('0'));
        t.append();
        t.fieldByName(QStringLiteral("ITEM_4")).setAsString(key);
        t.fieldByName(QStringLiteral("ITEM_DQDM")).setAsString(QStringLiteral("."));
        t.fieldByName(QStringLiteral("ITEM_CGLB")).setAsString(i < 5000 ? QStringLiteral("1") : QString::number(1 + rng() % 3));
        t.fieldByName(QStringLiteral("ITEM_3")).setAsString(names[int(rng() % names.size())] + QString::number(i));
        t.fieldByName(QStringLiteral("ITEM_9")).setAsString(orgs[int(rng() % orgs.size())]);
        t.fieldByName(QStringLiteral("ITEM_14")).setAsString(QStringLiteral("节能;控制;监测"));
        t.fieldByName(QStringLiteral("ITEM_13_1")).setAsString(names[int(rng() % names.size())].repeated(1 + int(rng() % 20)));
        t.fieldByName(QStringLiteral("ITEM_141")).setAsFloat(double(rng() % 100000) / 100);
        t.post();
        // One record in ten (never of the listed year) is deleted with its persons.
        const bool deleted = i >= 5000 && i % 10 == 0;
        if (deleted)
            t.deleteRecord();
        for (int n = 1; n <= 2; ++n) {
            p.append();
            p.fieldByName(QStringLiteral("ITEM_4")).setAsString(key);
            p.fieldByName(QStringLiteral("ITEM_DQDM")).setAsString(QStringLiteral("."));
            p.fieldByName(QStringLiteral("ITEM_187")).setAsInteger(n);
            p.fieldByName(QStringLiteral("ITEM_180")).setAsString(people[int(rng() % people.size())]);
            p.fieldByName(QStringLiteral("ITEM_185")).setAsString(orgs[int(rng() % orgs.size())]);
            p.fieldByName(QStringLiteral("ITEM_NO")).setAsString(QString::number(n));
            p.post();
            if (deleted)
                p.deleteRecord();
        }
    }
    t.flush();
    p.flush();
}

// The registering organisation's row, complete as the first-start check
// asks (name, address, post code, telephones, fax, introduction,
// department): without it the program opens the organisation page first.
void addOrganisation(const QString &data)
{
    const std::pair<const char *, QString> fields[] = {
        {"unitcode", QStringLiteral("9990001000")},
        {"unitlevel", QStringLiteral("1")},
        {"item_9", QStringLiteral("湖北省青岚应用技术研究院")},
        {"item_37", QStringLiteral("武汉市洪山区珞喻路129号")},
        {"item_38", QStringLiteral("430072")},
        {"item_39", QStringLiteral("027-87654321")},
        {"item_40", QStringLiteral("027-87654322")},
        {"item_41", QStringLiteral("科技处")},
        {"item_41_2", QStringLiteral("027-87654300")},
        {"unitintrod", QStringLiteral("青岚应用技术研究院创建于一九五八年，是以应用研究为主的综合性科研机构，"
                                      "设有十二个研究所和三个国家级工程中心，现有职工一千二百人。")},
    };
    db::Table unit;
    unit.setDatabaseName(data);
    unit.setTableName(QStringLiteral("unit"));
    unit.open();
    if (unit.isEmpty())
        unit.append();
    else
        unit.edit();
    for (const auto &[field, value] : fields)
        unit.fieldByName(QLatin1String(field)).setAsString(value);
    unit.post();
    unit.flush();
}

// The measured process: the program's start up to the main window's first
// paint, then an immediate end (what follows the first paint is not start-up).
int runProgram(const QString &data)
{
    platform::useWindowSystem();
    QuickSplash seams(platform::seams());
    platform::install(&seams);
    try {
        createWindows(data);
    } catch (const db::EngineError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        ::_exit(1);
    }
    MainForm->FormShow();
    FirstPaint fp;
    MainForm->installEventFilter(&fp);
    MainForm->show();
    while (!fp.painted)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::fflush(stdout);
    ::_exit(0);
}

double timeProcess(const QString &program, const QStringList &args)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(program, args);
    p.waitForFinished(-1);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
        std::exit(1);
    }
    return double(t.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--run")
        return runProgram(QString::fromLocal8Bit(argv[2]));
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_startup SEED_FOLDER WORK_FOLDER [ROWS] [REPEATS]\n");
        return 2;
    }
    const QString seedFolder = QString::fromLocal8Bit(argv[1]);
    const QString data = QString::fromLocal8Bit(argv[2]) + QStringLiteral("/data");
    const int rows = argc > 3 ? std::atoi(argv[3]) : 50000;
    const int repeats = argc > 4 ? std::atoi(argv[4]) : 5;
    if (!QDir(data).exists()) {
        seed::seedDataFolder(seedFolder, data);
        QElapsedTimer fill;
        fill.start();
        fillRecords(data, rows);
        std::printf("filled %d records in %.1f s\n", rows, double(fill.elapsed()) / 1000);
    }

    addOrganisation(data);
    // Whole processes: cat of the folder, the first start on a fresh copy
    // (it packs), the start after it (nothing to pack).
    const QString run = QString::fromLocal8Bit(argv[2]) + QStringLiteral("/run");
    const QString self = QCoreApplication::applicationFilePath();
    std::vector<double> first, again, cat;
    for (int r = 0; r < repeats; ++r) {
        QDir(run).removeRecursively();
        QDir().mkpath(run);
        QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), data, run + QStringLiteral("/data")});
        QProcess::execute(QStringLiteral("sync"), {});
        cat.push_back(timeProcess(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("cat '%1'/data/* > /dev/null").arg(run)}));
        first.push_back(timeProcess(self, {QStringLiteral("--run"), run + QStringLiteral("/data")}));
        again.push_back(timeProcess(self, {QStringLiteral("--run"), run + QStringLiteral("/data")}));
    }
    const double f = median(first), a = median(again), k = median(cat);
    std::printf("| start-up to first paint, first start after deletions (%d records, packs) | %.1f ms | cat of the data folder | %.1f ms | %.2fx |\n",
                rows, f, k, f / k);
    std::printf("| start-up to first paint, next start (%d records) | %.1f ms | cat of the data folder | %.1f ms | %.2fx |\n",
                rows, a, k, a / k);
    std::fflush(stdout);

    QuickSplash seams(platform::seams());
    platform::install(&seams);
    // The main window's list of one year: choosing the year refreshes the
    // list, renumbers it and recomputes the marks; the baseline is the
    // engine's own list query and NO rewrite over the same rows.  (On the
    // packed copy: the folder made above keeps its deleted rows.)
    const QString packed = run + QStringLiteral("/data");
    DM = new TDM(packed);
    MainForm = new TMainForm;
    formwel = new Tformwel(MainForm);
    MainForm->FormShow();
    std::vector<double> window, engine;
    int listed = 0;
    for (int r = 0; r < repeats; ++r) {
        QElapsedTimer t;
        t.start();
        MainForm->cbYear->setEditText(QStringLiteral("2009"));
        emit MainForm->cbYear->activated(0);
        window.push_back(double(t.nsecsElapsed()) / 1e6);
        listed = DM->Qrykjcg.recordCount();

        QElapsedTimer e;
        e.start();
        db::Query q;
        q.setDatabaseName(packed);
        q.setSQL(QStringLiteral("select * from kjcg where item_cglb='1' and item_4 like '2009%'"));
        q.open();
        int i = 0;
        for (q.first(); !q.eof(); q.next()) {
            q.edit();
            q.fieldByName(QStringLiteral("NO")).setAsString(QString::number(++i));
            q.post();
        }
        q.flush();
        engine.push_back(double(e.nsecsElapsed()) / 1e6);
    }
    delete MainForm;
    MainForm = nullptr;
    delete DM;
    DM = nullptr;
    platform::install(nullptr);
    QDir(run).removeRecursively();
    const double w = median(window), g = median(engine);
    std::printf("| year list refreshed and renumbered (%d records) | %.1f ms | engine list query + NO rewrite | %.1f ms | %.2fx |\n",
                listed, w, g, w / g);
    return 0;
}
