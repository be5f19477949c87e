// Runs one record operation on a data folder, for the kill test:
//
//   record_kill_child FOLDER save|overwrite|redate|delete
//
// SORVEL_KILL_AT_WRITE=N ends the process at once (as a kill would) at the
// N-th row write or journal step of the record store.  At the end the
// number of steps taken is printed.

#include "data/dm.h"
#include "data/records.h"
#include "exchange/archiver.h"
#include "exchange/importer.h"
#include "exchange/tables.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

long stepsTaken = 0;
long stopAt = 0;

void step()
{
    ++stepsTaken;
    if (stopAt > 0 && stepsTaken >= stopAt)
        ::_exit(9);
}

class NoArchiver : public exchange::Archiver {
public:
    void pack(const QString &, const QStringList &, const QString &) override {}
    QStringList list(const QString &) override { return {}; }
    QStringList extract(const QString &, const QString &) override { return {}; }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: record_kill_child FOLDER save|overwrite|redate|delete\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QByteArray mode = argv[2];
    if (const char *at = std::getenv("SORVEL_KILL_AT_WRITE"))
        stopAt = std::atol(at);
    data::recordWriteHook = step;

    NoArchiver archiver;
    exchange::Prompt prompt;
    prompt.ask = [](const QString &, const QString &, exchange::Tone, int buttons) {
        return (buttons & exchange::kYes) ? int(exchange::kYes) : int(exchange::kOk);
    };
    exchange::Importer importer(folder, archiver, prompt);
    if (mode == "save") {
        importer.save();
    } else if (mode == "overwrite") {
        importer.saveOverwriting();
    } else if (mode == "redate") {
        for (int row : importer.stagedRows())
            importer.redate(row, QStringLiteral("2015"));
    } else if (mode == "delete") {
        // Every second record of the record table.
        DataPath = folder;
        const exchange::TablePtr t = exchange::openTable(folder, data::recordFile(data::Store::Main));
        const int key = t->schema().indexOf(QStringLiteral("ITEM_4"));
        QStringList keys;
        for (int r = 0; r < t->rowCount(); r += 2)
            keys << QString::fromLatin1(exchange::trimmedText(*t, r, key));
        for (const QString &k : keys)
            data::deleteRecord(data::Store::Main, {k, QStringLiteral(".")});
    } else {
        return 2;
    }
    std::printf("%ld\n", stepsTaken);
    return 0;
}
