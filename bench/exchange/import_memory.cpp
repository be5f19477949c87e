// The import's memory against the size of the data folder it goes into.
//
//   import_memory fill FOLDER N            lays out FOLDER with N records
//   import_memory export FOLDER OUTDIR     packs every record of FOLDER into OUTDIR/cgsbqy.arj
//   import_memory import FOLDER PACKAGE [--overwrite]
//                                          unpacks, loads and saves PACKAGE into FOLDER
//
// import_memory.sh runs the import under /usr/bin/time -v into folders of
// two sizes and prints the peak resident sizes.

#include "exchange/archiver.h"
#include "exchange/exporter.h"
#include "exchange/importer.h"
#include "fillrecords.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

using namespace exchange;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(
            stderr,
            "usage: import_memory fill FOLDER N | export FOLDER OUTDIR | import FOLDER PACKAGE [--overwrite]\n");
        return 2;
    }
    Prompt quiet;
    quiet.ask = [](const QString &, const QString &, Tone, int) { return int(kYes); };
    ArjArchiver arj;
    const QString &command = args[1], &folder = args[2];
    QElapsedTimer t;
    t.start();
    if (command == QLatin1String("fill")) {
        benchfill::fill(folder, args[3].toInt());
    } else if (command == QLatin1String("export")) {
        const int rows = int(openTable(folder, data::recordFile(data::Store::Main))->rowCount());
        QList<int> all;
        for (int r = 0; r < rows; ++r)
            all << r;
        if (!Exporter(folder, arj, quiet).exportRecords(args[3], all))
            return 1;
    } else if (command == QLatin1String("import")) {
        Importer im(folder, arj, quiet);
        im.emptyStaging();
        if (!im.choosePackage(args[3]) || !im.load())
            return 1;
        std::printf("unpack and load: %.0f ms, ", t.nsecsElapsed() / 1e6);
        t.restart();
        if (args.contains(QStringLiteral("--overwrite")))
            im.saveOverwriting();
        else
            im.save();
    } else {
        return 2;
    }
    std::printf("%s: %.0f ms\n", command == QLatin1String("import") ? "save" : qPrintable(command),
                t.nsecsElapsed() / 1e6);
    return 0;
}
