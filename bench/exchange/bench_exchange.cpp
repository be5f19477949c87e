// Export and import of records with their sub-table rows, beside the
// archiver alone packing and unpacking the same text files.
//
//   bench_exchange [--records N] [--scale 1000,5000,20000] [--repeats R]
//   bench_exchange --export-from DATA_FOLDER N OUT_FOLDER
//       writes the first N live records of DATA_FOLDER to OUT_FOLDER/cgsbqy.arj
//   bench_exchange --import-into DATA_FOLDER PACKAGE
//       imports PACKAGE into DATA_FOLDER (every question answered yes); the
//       whole-program benchmark takes this process's peak resident size
//
// Every record has 3 persons, 2 cooperating organisations, 2 committee
// members and 1 patent, a summary memo of about 600 bytes and Chinese names.

#include "data/schema.h"
#include "db/gbk.h"
#include "exchange/archiver.h"
#include "exchange/exporter.h"
#include "exchange/importer.h"
#include "exchange/tables.h"
#include "fillrecords.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace exchange;

namespace {

Prompt quiet()
{
    Prompt p;
    p.ask = [](const QString &, const QString &, Tone, int) { return int(kYes); };
    return p;
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double runArj(const QStringList &args, const QString &folder)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(QStringLiteral("arj"), args);
    p.waitForFinished(-1);
    if (p.exitCode() != 0)
        std::fprintf(stderr, "arj failed: %s\n", p.readAll().constData());
    return t.nsecsElapsed() / 1e6;
}

struct ImportTimes {
    double unpack, load, save;
};

ImportTimes importInto(const QString &folder, const QString &package, Archiver &arj)
{
    data::layOutDataFolder(folder);
    Importer im(folder, arj, quiet());
    im.emptyStaging();
    QElapsedTimer t;
    t.start();
    if (!im.choosePackage(package))
        std::fprintf(stderr, "choose failed\n");
    const double unpack = t.nsecsElapsed() / 1e6;
    t.restart();
    if (!im.load())
        std::fprintf(stderr, "load failed\n");
    const double load = t.nsecsElapsed() / 1e6;
    t.restart();
    im.save();
    return {unpack, load, t.nsecsElapsed() / 1e6};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int records = 5000, repeats = 3;
    QList<int> scale{1000, 5000, 20000};
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--records"))
            records = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--repeats"))
            repeats = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--scale")) {
            scale.clear();
            for (const QString &s : args[i + 1].split(QLatin1Char(',')))
                scale << s.toInt();
        }
    }
    if (!ArjArchiver::available()) {
        std::fprintf(stderr, "arj is not installed\n");
        return 1;
    }
    ArjArchiver arj;
    if (args.size() == 5 && args[1] == QLatin1String("--export-from")) {
        const TablePtr kjcg = openTable(args[2], data::file::kjcg);
        QList<int> rows;
        for (int r = 0; r < kjcg->rowCount() && rows.size() < args[3].toInt(); ++r)
            if (!kjcg->isDeleted(r))
                rows << r;
        QDir().mkpath(args[4]);
        return Exporter(args[2], arj, quiet()).exportRecords(args[4], rows) ? 0 : 1;
    }
    if (args.size() == 4 && args[1] == QLatin1String("--import-into")) {
        Importer im(args[2], arj, quiet());
        im.emptyStaging();
        if (!im.choosePackage(args[3]) || !im.load())
            return 1;
        im.save();
        return 0;
    }
    QTemporaryDir work;
    const QString source = work.filePath(QStringLiteral("source"));
    benchfill::fill(source, records);
    const QString out = work.filePath(QStringLiteral("out"));
    QDir().mkpath(out);

    // Export, and the archiver alone on the same files.
    QList<double> exportMs, textsMs, packMs, unpackMs, importUnpack, importLoad, importSave;
    const QString texts = work.filePath(QStringLiteral("texts"));
    QDir().mkpath(texts);
    QList<int> rows;
    for (int r = 0; r < records; ++r)
        rows << r;
    qint64 textBytes = 0;
    for (int i = 0; i < repeats; ++i) {
        QFile::remove(out + QStringLiteral("/cgsbqy.arj"));
        Exporter ex(source, arj, quiet());
        QElapsedTimer t;
        t.start();
        ex.exportRecords(out, rows);
        exportMs << t.nsecsElapsed() / 1e6;
        t.restart();
        const auto members = ex.memberTexts(rows);
        textsMs << t.nsecsElapsed() / 1e6;
        textBytes = 0;
        QStringList names;
        for (const auto &m : members) {
            QFile f(texts + QLatin1Char('/') + m.first);
            f.open(QIODevice::WriteOnly);
            f.write(m.second);
            textBytes += m.second.size();
            names << m.first;
        }
        QFile::remove(texts + QStringLiteral("/alone.arj"));
        packMs << runArj(QStringList{QStringLiteral("a"), QStringLiteral("-y"), QStringLiteral("-i"), QStringLiteral("-+"),
                                     QStringLiteral("-2d"), QStringLiteral("alone.arj")} + names, texts);
        const QString un = work.filePath(QStringLiteral("un%1").arg(i));
        QDir().mkpath(un);
        unpackMs << runArj({QStringLiteral("e"), QStringLiteral("-y"), QStringLiteral("-i"), QStringLiteral("-+"),
                            texts + QStringLiteral("/alone.arj")}, un);
        const ImportTimes it = importInto(work.filePath(QStringLiteral("import%1").arg(i)), out + QStringLiteral("/cgsbqy.arj"), arj);
        importUnpack << it.unpack;
        importLoad << it.load;
        importSave << it.save;
    }
    std::printf("records: %d (each with 3 persons, 2 organisations, 2 committee members, 1 patent); text files %.1f MB\n",
                records, textBytes / 1e6);
    std::printf("| step | median ms | baseline | baseline ms | ratio |\n|---|---|---|---|---|\n");
    const double pack = median(packMs), unpack = median(unpackMs);
    std::printf("| export (texts + arj + marks) | %.0f | arj a alone | %.0f | %.2f |\n", median(exportMs), pack, median(exportMs) / pack);
    std::printf("| export texts only | %.0f | arj a alone | %.0f | %.2f |\n", median(textsMs), pack, median(textsMs) / pack);
    std::printf("| import unpack (list + arj e + copy) | %.0f | arj e alone | %.0f | %.2f |\n", median(importUnpack), unpack,
                median(importUnpack) / unpack);
    std::printf("| import load into staging | %.0f | arj e alone | %.0f | %.2f |\n", median(importLoad), unpack, median(importLoad) / unpack);
    std::printf("| import save into the tables | %.0f | arj e alone | %.0f | %.2f |\n", median(importSave), unpack, median(importSave) / unpack);

    // Import at several sizes: the time per record should stay flat.
    std::printf("\n| records | unpack ms | load ms | save ms | total ms | us per record |\n|---|---|---|---|---|---|\n");
    for (int n : scale) {
        QTemporaryDir w;
        const QString src = w.filePath(QStringLiteral("src"));
        benchfill::fill(src, n);
        const QString o = w.filePath(QStringLiteral("o"));
        QDir().mkpath(o);
        QList<int> all;
        for (int r = 0; r < n; ++r)
            all << r;
        Exporter(src, arj, quiet()).exportRecords(o, all);
        const ImportTimes it = importInto(w.filePath(QStringLiteral("dst")), o + QStringLiteral("/cgsbqy.arj"), arj);
        const double total = it.unpack + it.load + it.save;
        std::printf("| %d | %.0f | %.0f | %.0f | %.0f | %.1f |\n", n, it.unpack, it.load, it.save, total, total * 1000 / n);
    }
    return 0;
}
