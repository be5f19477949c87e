// Drives the export and import windows over many records under a real
// display and saves pictures of them mid-work, and the longest pause of the
// event loop while they work.
//
//   exchange_shots OUTPUT_FOLDER [RECORDS]

#include "data/dm.h"
#include "data/schema.h"
#include "db/gbk.h"
#include "exchange/archiver.h"
#include "exchange/tables.h"
#include "exchange/ui/formin.h"
#include "exchange/ui/formout.h"
#include "platform/core/seams.h"
#include "seed_loader.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

class AnswerAll : public platform::Seams {
public:
    QString file;
    int messageBox(QWidget *, const platform::MessageCall &c) override
    {
        std::printf("message: %s\n", qPrintable(c.text));
        return (c.buttons & platform::Yes) ? platform::Yes : platform::Ok;
    }
    int showModal(QDialog *) override { return 0; }
    QString fileDialog(QWidget *, const platform::FileDialogCall &) override { return file; }
    QDateTime now() override { return QDateTime::currentDateTime(); }
    void sleepMs(int) override {}
    bool startProgram(const QString &, const QStringList &, const QString &, const platform::ProgramFailed &) override
    {
        return false;
    }
};

void fill(const QString &folder, int records)
{
    using namespace exchange;
    const TablePtr kjcg = openTable(folder, data::file::kjcg);
    const TablePtr cgwcr = openTable(folder, data::file::cgwcr);
    const auto g = [](const QString &s) { return db::gbk::encodeLossy(s); };
    for (int r = 0; r < records; ++r) {
        const QByteArray key = QByteArray::number(2000 + r % 20) + QByteArray::number(100000 + r).right(6);
        PreparedRow p = prepareRow(*kjcg, {});
        setText(*kjcg, p, "ITEM_4", key);
        setText(*kjcg, p, "ITEM_DQDM", ".");
        setText(*kjcg, p, "ITEM_3", g(QStringLiteral("一种新型材料的研究%1").arg(r)));
        setText(*kjcg, p, "ITEM_9", g(QStringLiteral("某某研究院")));
        setText(*kjcg, p, "ITEM_CGLB", QByteArray::number(1 + r % 3));
        kjcg->appendRow(p.record, p.memos);
        for (int k = 1; k <= 3; ++k) {
            PreparedRow q = prepareRow(*cgwcr, {});
            setText(*cgwcr, q, "ITEM_4", key);
            setText(*cgwcr, q, "ITEM_DQDM", ".");
            setText(*cgwcr, q, "ITEM_180", g(QStringLiteral("张三%1").arg(k)));
            cgwcr->appendRow(q.record, q.memos);
        }
    }
    kjcg->sync();
    cgwcr->sync();
}

// Saves a picture of `w` once its bar passes half way; records the longest
// pause between ticks of the event loop.
struct Watch {
    QWidget *w;
    QProgressBar *bar;
    QString path;
    bool shot = false;
    qint64 longest = 0;
    QElapsedTimer since;
    QTimer timer;
    Watch(QWidget *window, QProgressBar *b, QString file) : w(window), bar(b), path(std::move(file))
    {
        QObject::connect(bar, &QProgressBar::valueChanged, [this](int v) {
            if (!shot && bar->maximum() > 0 && v * 2 >= bar->maximum()) {
                shot = true;
                w->grab().save(path);
                std::printf("picture: %s at %d of %d\n", qPrintable(path), v, bar->maximum());
            }
        });
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (since.isValid())
                longest = std::max(longest, since.elapsed());
            since.restart();
        });
        timer.start(10);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    const int records = argc > 2 ? atoi(argv[2]) : 20000;
    QDir().mkpath(outDir);
    AnswerAll seams;
    platform::install(&seams);
    QTemporaryDir tmp;
    const QString from = tmp.filePath("from"), to = tmp.filePath("to"), pkg = tmp.filePath("pkg");
    seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), from);
    seed::seedDataFolder(QStringLiteral(SORVEL_SOURCE_DIR "/resources/seed"), to);
    fill(from, records);
    exchange::ArjArchiver arj;

    DM = new TDM(from);
    {
        TFormout w;
        w.show();
        w.RadioButton5->click();
        w.Edit1->setText(pkg);
        Watch watch(&w, w.Gauge1, outDir + "/export-midway.png");
        QElapsedTimer t;
        t.start();
        w.Button2->click();
        std::printf("export of %d records: %lld ms, longest pause of the event loop %lld ms\n", records, t.elapsed(), watch.longest);
    }
    delete DM;

    DM = new TDM(to);
    {
        TFormin w;
        w.show();
        seams.file = pkg + "/cgsbqy.arj";
        w.Button1->click();
        QElapsedTimer t;
        t.start();
        {
            Watch watch(&w, w.Gauge1, outDir + "/import-loading.png");
            w.Button3->click();
            std::printf("loading: %lld ms, longest pause %lld ms\n", t.elapsed(), watch.longest);
        }
        w.Button4->click();
        t.restart();
        Watch watch(&w, w.Gauge1, outDir + "/import-saving.png");
        w.Button6->click();
        std::printf("saving: %lld ms, longest pause %lld ms\n", t.elapsed(), watch.longest);
    }
    delete DM;
    platform::install(nullptr);
    return 0;
}
