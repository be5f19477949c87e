// Pack as a whole process: a program that opens kjcg exclusively, packs it
// and ends, timed from its start to its end with its peak resident size,
// beside a `cp` of the two files and a `cp` followed by `sync` of the copies,
// each a process of its own, in the same run.  Every pack works on a fresh
// copy of the table (copied and synced untimed).
//
//   bench_pack FOLDER [REPEATS]      FOLDER holds kjcg.dbf / kjcg.dbt (gen_kjcg)
//   bench_pack --pack DIR            the measured process: packs DIR/kjcg.dbf
//   bench_pack --list DIR YEAR       a process that opens the record list's query
//                                    (applied technology of YEAR), reads ITEM_3
//                                    and NO of every row and ends

#include "db/dataset.h"
#include "db/error.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

struct Run {
    double ms = 0;
    long maxRssKb = 0;
    int status = 0;
};

Run runProcess(const std::vector<QByteArray> &args)
{
    std::vector<char *> argv;
    argv.reserve(args.size() + 1);
    for (const QByteArray &a : args)
        argv.push_back(const_cast<char *>(a.constData()));
    argv.push_back(nullptr);
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        std::perror("posix_spawn");
        std::exit(1);
    }
    Run r;
    struct rusage ru {};
    ::wait4(pid, &r.status, 0, &ru);
    r.ms = double(t.nsecsElapsed()) / 1e6;
    r.maxRssKb = ru.ru_maxrss;
    return r;
}

void copySynced(const QString &from, const QString &to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to)) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(from));
        std::exit(1);
    }
    const int fd = ::open(QFile::encodeName(to).constData(), O_RDONLY);
    ::fsync(fd);
    ::close(fd);
}

template <typename T>
T median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int packOnly(const QString &dir)
{
    try {
        db::Table t;
        t.setDatabaseName(dir);
        t.setTableName(QStringLiteral("kjcg"));
        t.setExclusive(true);
        t.open();
        if (!t.pack()) {
            std::fprintf(stderr, "pack failed: %s\n", qPrintable(t.lastError()));
            return 1;
        }
        std::printf("%d\n", t.recordCount());
    } catch (const db::EngineError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}

int listOnly(const QString &dir, const QString &year)
{
    try {
        db::Query q;
        q.setDatabaseName(dir);
        q.setSQL(QStringLiteral("select * from kjcg where item_cglb='1' and item_4 like '%1%'").arg(year));
        q.open();
        qsizetype bytes = 0;
        int rows = 0;
        for (q.first(); !q.eof(); q.next(), ++rows)
            bytes += q.fieldByName(QStringLiteral("ITEM_3")).asString().size()
                     + q.fieldByName(QStringLiteral("NO")).asString().size();
        std::printf("%d rows, %lld characters\n", rows, (long long)bytes);
    } catch (const db::EngineError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--pack")
        return packOnly(QString::fromLocal8Bit(argv[2]));
    if (argc == 4 && QByteArray(argv[1]) == "--list")
        return listOnly(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_pack FOLDER [REPEATS]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 5;
    const QString dbf = folder + QStringLiteral("/kjcg.dbf"), dbt = folder + QStringLiteral("/kjcg.dbt");
    const QString packDir = folder + QStringLiteral("/packrun"), cpDir = folder + QStringLiteral("/cprun");
    QDir().mkpath(packDir);
    QDir().mkpath(cpDir);
    const QByteArray self = QFile::encodeName(QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath());
    std::vector<double> pack, cp, cpSync;
    std::vector<long> packRss, cpRss;
    for (int r = 0; r < repeats; ++r) {
        copySynced(dbf, packDir + QStringLiteral("/kjcg.dbf"));
        copySynced(dbt, packDir + QStringLiteral("/kjcg.dbt"));
        const Run p = runProcess({self, "--pack", QFile::encodeName(packDir)});
        if (!WIFEXITED(p.status) || WEXITSTATUS(p.status) != 0) {
            std::fprintf(stderr, "the pack process failed\n");
            return 1;
        }
        pack.push_back(p.ms);
        packRss.push_back(p.maxRssKb);

        QFile::remove(cpDir + QStringLiteral("/kjcg.dbf"));
        QFile::remove(cpDir + QStringLiteral("/kjcg.dbt"));
        const Run c = runProcess({"cp", QFile::encodeName(dbf), QFile::encodeName(dbt), QFile::encodeName(cpDir + QStringLiteral("/"))});
        cp.push_back(c.ms);
        cpRss.push_back(c.maxRssKb);

        QFile::remove(cpDir + QStringLiteral("/kjcg.dbf"));
        QFile::remove(cpDir + QStringLiteral("/kjcg.dbt"));
        const QByteArray script = "cp '" + QFile::encodeName(dbf) + "' '" + QFile::encodeName(dbt) + "' '" + QFile::encodeName(cpDir)
                                  + "/' && sync '" + QFile::encodeName(cpDir) + "/kjcg.dbf' '" + QFile::encodeName(cpDir) + "/kjcg.dbt'";
        cpSync.push_back(runProcess({"sh", "-c", script}).ms);
    }
    QDir(packDir).removeRecursively();
    QDir(cpDir).removeRecursively();
    const double p = median(pack), c = median(cp), s = median(cpSync);
    const double mb = double(QFileInfo(dbf).size() + QFileInfo(dbt).size()) / 1e6;
    std::printf("pack process %.1f ms (peak RSS %.1f MB) | cp %.1f ms (peak RSS %.1f MB) | cp + sync %.1f ms | "
                "pack/cp %.2fx | pack/(cp+sync) %.2fx | files %.1f MB\n",
                p, double(median(packRss)) / 1024, c, double(median(cpRss)) / 1024, s, p / c, p / s, mb);
    return 0;
}
