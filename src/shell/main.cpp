// Start-up of the program.  Until the main window exists this lays out the
// data folder beside the program file and reports the state of its tables.
#include "db/dataset.h"
#include "db/error.h"
#include "data/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QString dataPath = QCoreApplication::applicationDirPath() + QStringLiteral("/data");
    out << "data folder: " << QDir::toNativeSeparators(dataPath) << "\n";
    try {
        const QStringList created = data::layOutDataFolder(dataPath);
        if (!created.isEmpty())
            out << "laid out " << created.size() << " new tables\n";
    } catch (const db::EngineError &e) {
        out << e.message() << "\n";
        return 1;
    }
    const QStringList files = QDir(dataPath).entryList({QStringLiteral("*.dbf"), QStringLiteral("*.DBF")}, QDir::Files, QDir::Name);
    int bad = 0;
    for (const QString &f : files) {
        db::Table t;
        t.setDatabaseName(dataPath);
        t.setTableName(f);
        try {
            t.open();
            out << f << ": " << t.recordCount() << " rows\n";
            for (const QString &w : t.warnings())
                out << "  " << w << "\n";
        } catch (const db::EngineError &e) {
            out << f << ": " << e.message() << "\n";
            ++bad;
        }
    }
    if (files.isEmpty())
        out << "no tables yet\n";
    return bad ? 1 : 0;
}
