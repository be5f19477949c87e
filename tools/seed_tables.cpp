// seed_tables <seed folder> <data folder>
//
// Lays out the program's data folder with every table and the delivered rows
// of the code tables, unless the folder already holds tables: then it is a
// user's data and stays exactly as it is.  The build runs this after linking
// the program, so a fresh build has a data folder beside the program file.
#include "seed_loader.h"

#include "data/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        err << "usage: seed_tables <seed folder> <data folder>\n";
        return 2;
    }
    const QString dataFolder = QDir::toNativeSeparators(args[2]);
    try {
        const seed::SeedSummary s = seed::seedDataFolder(args[1], args[2]);
        if (s.laidOut)
            out << "laid out " << dataFolder << ": " << data::allTables().size() << " tables, " << s.rows
                << " rows from " << s.seedFiles << " seed files\n";
        else
            out << dataFolder << " already holds tables; left as it is\n";
        return 0;
    } catch (const seed::SeedError &e) {
        err << "seed_tables: " << e.message() << "\n";
    } catch (const std::exception &e) {
        err << "seed_tables: " << e.what() << "\n";
    }
    return 1;
}
