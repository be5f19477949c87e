// Start-up time: from creating the data module to the main window's first
// paint, over a data folder whose record table holds ROWS records, beside the
// time `cat` takes to read the data folder once.  The splash window is
// answered at once; everything else runs as in the program.
//
//   bench_startup SEED_FOLDER WORK_FOLDER [ROWS] [REPEATS]

#include "data/dm.h"
#include "db/dataset.h"

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
    int messageBox(QWidget *p, const platform::MessageCall &c) override { return m_real.messageBox(p, c); }
    int showModal(QDialog *w) override { return w->objectName() == QLatin1String("formwel") ? 1 : m_real.showModal(w); }
    QString fileDialog(QWidget *p, const platform::FileDialogCall &c) override { return m_real.fileDialog(p, c); }
    QDateTime now() override { return m_real.now(); }
    void sleepMs(int ms) override { m_real.sleepMs(ms); }
    bool startProgram(const QString &a, const QStringList &b, const QString &c) override { return m_real.startProgram(a, b, c); }

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
    std::mt19937 rng(7);
    db::Table t;
    t.setDatabaseName(data);
    t.setTableName(QStringLiteral("kjcg"));
    t.open();
    QVector<int> serial(30, 0);
    for (int i = 0; i < rows; ++i) {
        // The first 5,000 records form one year's list of applied technology.
        const int year = i < 5000 ? 2009 : 2000 + int(rng() % 25);
        t.append();
        t.fieldByName(QStringLiteral("ITEM_4")).setAsString(QStringLiteral("%1%2").arg(year).arg(++serial[year - 2000], 6, 10, QLatin1Char('0')));
        t.fieldByName(QStringLiteral("ITEM_DQDM")).setAsString(QStringLiteral("."));
        t.fieldByName(QStringLiteral("ITEM_CGLB")).setAsString(i < 5000 ? QStringLiteral("1") : QString::number(1 + rng() % 3));
        t.fieldByName(QStringLiteral("ITEM_3")).setAsString(names[int(rng() % names.size())] + QString::number(i));
        t.fieldByName(QStringLiteral("ITEM_9")).setAsString(orgs[int(rng() % orgs.size())]);
        t.fieldByName(QStringLiteral("ITEM_14")).setAsString(QStringLiteral("节能;控制;监测"));
        t.fieldByName(QStringLiteral("ITEM_13_1")).setAsString(names[int(rng() % names.size())].repeated(1 + int(rng() % 20)));
        t.fieldByName(QStringLiteral("ITEM_141")).setAsFloat(double(rng() % 100000) / 100);
        t.post();
    }
    t.flush();
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

    QuickSplash seams(platform::seams());
    platform::install(&seams);
    std::vector<double> start, cat;
    for (int r = 0; r < repeats; ++r) {
        QElapsedTimer c;
        c.start();
        QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("cat '%1'/* > /dev/null").arg(data)});
        cat.push_back(double(c.nsecsElapsed()) / 1e6);

        QElapsedTimer t;
        t.start();
        DM = new TDM(data);
        MainForm = new TMainForm;
        formwel = new Tformwel(MainForm);
        MainForm->FormShow();
        FirstPaint fp;
        MainForm->installEventFilter(&fp);
        MainForm->show();
        while (!fp.painted)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        start.push_back(double(t.nsecsElapsed()) / 1e6);
        MainForm->removeEventFilter(&fp);
        delete MainForm;
        MainForm = nullptr;
        formwel = nullptr;
        delete DM;
        DM = nullptr;
    }
    const double s = median(start), k = median(cat);
    std::printf("| start-up to first paint (%d records) | %.1f ms | cat of the data folder | %.1f ms | %.2fx |\n", rows, s, k, s / k);

    // The main window's list of one year: choosing the year refreshes the
    // list, renumbers it and recomputes the marks; the baseline is the
    // engine's own list query and NO rewrite over the same rows.
    DM = new TDM(data);
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
        q.setDatabaseName(data);
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
    const double w = median(window), g = median(engine);
    std::printf("| year list refreshed and renumbered (%d records) | %.1f ms | engine list query + NO rewrite | %.1f ms | %.2fx |\n",
                listed, w, g, w / g);
    return 0;
}
