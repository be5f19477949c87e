// Times the engine on a kjcg table made by gen_kjcg, each figure against a
// baseline measured in the same run (a plain `cat` or `cp` of the files, a
// Python reader), so the ratios say more than the absolute times.
//
//   bench_db FOLDER [--repeats N] [--py-repeats N] [--python PATH] [--markdown FILE]
//
// FOLDER holds kjcg.dbf and kjcg.dbt; the benchmark works on copies in
// FOLDER/work and FOLDER/pack, never on the originals.  Every measurement is
// warm: the files are read once before timing, so they sit in the page cache.

#include "db/dataset.h"
#include "db/error.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

const char *const kListSql = "select * from kjcg where item_cglb='1' and item_4 like '2009%'";
const char *const kMaxSql = "select max(item_4) from kjcg where item_4 like '2009%'";
const char *const kRewriteSql = "select * from kjcg where item_cglb='1'";
constexpr int kRewriteRows = 5000;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Median wall time in seconds of `repeats` runs of `body`; `prepare` runs
// untimed before each.
double timeIt(int repeats, const std::function<void()> &body, const std::function<void()> &prepare = {})
{
    std::vector<double> t;
    for (int i = 0; i < repeats; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        body();
        t.push_back(timer.nsecsElapsed() / 1e9);
    }
    return median(t);
}

// Runs a program (no shell) with its output sent to /dev/null, or to `out`
// when given; fails loudly on a non-zero exit.
void runProcess(const QStringList &argv, QByteArray *out = nullptr)
{
    std::vector<QByteArray> store;
    std::vector<char *> args;
    for (const QString &a : argv)
        store.push_back(QFile::encodeName(a));
    for (QByteArray &a : store)
        args.push_back(a.data());
    args.push_back(nullptr);

    char tmpl[] = "/tmp/bench_db_outXXXXXX";
    int outFd = -1;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    if (out) {
        outFd = ::mkstemp(tmpl);
        posix_spawn_file_actions_adddup2(&fa, outFd, 1);
    } else {
        posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, args[0], &fa, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0)
        throw std::runtime_error(std::string("cannot start ") + args[0] + ": " + std::strerror(rc));
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (out) {
        QFile f(QString::fromLocal8Bit(tmpl));
        f.open(QIODevice::ReadOnly);
        *out = f.readAll();
        ::close(outFd);
        ::unlink(tmpl);
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(std::string(args[0]) + " failed");
}

void copyTable(const QString &from, const QString &to)
{
    QDir(to).removeRecursively();
    QDir().mkpath(to);
    for (const char *f : {"kjcg.dbf", "kjcg.dbt"})
        if (!QFile::copy(QDir(from).filePath(QLatin1String(f)), QDir(to).filePath(QLatin1String(f))))
            throw std::runtime_error("cannot copy the table");
}

struct Row {
    QString what;
    double seconds;
    QString baseline;
    double baseSeconds;   // 0: no baseline
    QString goal;
};

QString fmtTime(double s)
{
    if (s < 1e-3)
        return QStringLiteral("%1 us").arg(s * 1e6, 0, 'f', 1);
    if (s < 1)
        return QStringLiteral("%1 ms").arg(s * 1e3, 0, 'f', 1);
    return QStringLiteral("%1 s").arg(s, 0, 'f', 2);
}

} // namespace

int main(int argc, char **argv)
{
    QString folder, python = QStringLiteral("python3"), markdown;
    int repeats = 5, pyRepeats = 3;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--repeats" && i + 1 < argc)
            repeats = std::max(1, std::atoi(argv[++i]));
        else if (a == "--py-repeats" && i + 1 < argc)
            pyRepeats = std::max(0, std::atoi(argv[++i]));
        else if (a == "--python" && i + 1 < argc)
            python = QString::fromLocal8Bit(argv[++i]);
        else if (a == "--markdown" && i + 1 < argc)
            markdown = QString::fromLocal8Bit(argv[++i]);
        else if (!a.startsWith("--") && folder.isEmpty())
            folder = QString::fromLocal8Bit(a);
        else {
            std::fprintf(stderr, "usage: bench_db FOLDER [--repeats N] [--py-repeats N] [--python PATH] [--markdown FILE]\n");
            return 2;
        }
    }
    if (folder.isEmpty()) {
        std::fprintf(stderr, "usage: bench_db FOLDER [--repeats N] [--py-repeats N] [--python PATH] [--markdown FILE]\n");
        return 2;
    }
    folder = QDir(folder).absolutePath();
    const QString work = folder + QStringLiteral("/work");
    const QString packDir = folder + QStringLiteral("/pack");
    const QString cpDir = folder + QStringLiteral("/cp");
    const QString workDbf = work + QStringLiteral("/kjcg.dbf");
    std::vector<Row> rows;

    try {
        copyTable(folder, work);
        const qint64 dbfBytes = QFileInfo(workDbf).size();
        const qint64 dbtBytes = QFileInfo(work + QStringLiteral("/kjcg.dbt")).size();
        std::printf("table: %s, kjcg.dbf %.1f MB, kjcg.dbt %.1f MB, %d repeats (median)\n",
                    qPrintable(work), dbfBytes / 1e6, dbtBytes / 1e6, repeats);

        // Warm the page cache.
        runProcess({QStringLiteral("cat"), workDbf, work + QStringLiteral("/kjcg.dbt")});

        // 1. Open + list query, fully iterated, against cat of the table file.
        int listed = 0;
        qint64 checksum = 0;
        auto listQuery = [&] {
            db::Query q;
            q.setDatabaseName(work);
            q.setSQL(QString::fromLatin1(kListSql));
            q.open();
            listed = 0;
            checksum = 0;
            db::Field name = q.fieldByName(QStringLiteral("ITEM_3"));
            db::Field no = q.fieldByName(QStringLiteral("NO"));
            for (q.first(); !q.eof(); q.next()) {
                checksum += name.asString().size() + no.asString().size();
                ++listed;
            }
            q.close();
        };
        listQuery();
        const double tList = timeIt(repeats, listQuery);
        const double tCat = timeIt(repeats, [&] { runProcess({QStringLiteral("cat"), workDbf}); });
        rows.push_back({QStringLiteral("open + list query (%1 rows, ITEM_3 and NO read)").arg(listed), tList,
                        QStringLiteral("cat kjcg.dbf > /dev/null"), tCat, QStringLiteral("<= 3x")});

        // 3. max() with a like condition.
        QString maxValue;
        auto maxQuery = [&] {
            db::Query q;
            q.setDatabaseName(work);
            q.setSQL(QString::fromLatin1(kMaxSql));
            q.open();
            maxValue = q.field(0).asString();
            q.close();
        };
        maxQuery();
        const double tMax = timeIt(repeats, maxQuery);
        rows.push_back({QStringLiteral("select max(item_4) ... like '2009%' (= %1)").arg(maxValue), tMax,
                        QStringLiteral("cat kjcg.dbf > /dev/null"), tCat, QString()});

        // 2. Rewrite NO of 5,000 listed rows through a live query, one
        // edit/post a row and one flush at the end.  The floor it is set
        // against: the same records written with pwrite at the same places
        // and one fdatasync.
        int rewritten = 0;
        double tRewriteLoop = 0;
        auto rewrite = [&] {
            db::Query q;
            q.setDatabaseName(work);
            q.setSQL(QString::fromLatin1(kRewriteSql));
            q.open();
            QElapsedTimer loop;
            loop.start();
            rewritten = 0;
            db::Field no = q.fieldByName(QStringLiteral("NO"));
            for (q.first(); !q.eof() && rewritten < kRewriteRows; q.next()) {
                q.edit();
                no.setAsString(QString::number(++rewritten));
                q.post();
            }
            q.flush();
            tRewriteLoop = loop.nsecsElapsed() / 1e9;
            q.close();
        };
        rewrite();
        std::vector<double> loops;
        const double tRewrite = timeIt(repeats, [&] {
            rewrite();
            loops.push_back(tRewriteLoop);
        });
        std::vector<qint64> offsets;
        int recLen = 0;
        {
            db::Query q;
            q.setDatabaseName(work);
            q.setSQL(QString::fromLatin1(kRewriteSql));
            q.open();
            recLen = q.schema().recordLength;
            QFile f(workDbf);
            f.open(QIODevice::ReadOnly);
            const QByteArray head = f.read(12);
            const int hl = uchar(head[8]) | uchar(head[9]) << 8;
            for (q.first(); !q.eof() && int(offsets.size()) < kRewriteRows; q.next())
                offsets.push_back(hl + qint64(q.currentRow()) * recLen);
        }
        const double tRaw = timeIt(repeats, [&] {
            int fd = ::open(QFile::encodeName(workDbf).constData(), O_RDWR | O_CLOEXEC);
            std::vector<char> rec(static_cast<size_t>(recLen));
            for (qint64 off : offsets) {
                if (::pread(fd, rec.data(), rec.size(), off) != recLen || ::pwrite(fd, rec.data(), rec.size(), off) != recLen)
                    throw std::runtime_error("raw rewrite failed");
            }
            ::fdatasync(fd);
            ::close(fd);
        });
        rows.push_back({QStringLiteral("rewrite NO of %1 listed rows (open, edit/post each, flush)").arg(rewritten),
                        tRewrite, QStringLiteral("pread+pwrite of the same records, fdatasync"), tRaw, QString()});
        const double perRow = median(loops) / std::max(1, rewritten);

        // 4. Pack, exclusive open, on a fresh copy each time, against cp of
        // both files (and cp followed by a sync of the copies, as the pack
        // syncs what it writes).
        int packedRows = 0;
        const double tPack = timeIt(
            repeats,
            [&] {
                db::Table t;
                t.setDatabaseName(packDir);
                t.setTableName(QStringLiteral("kjcg"));
                t.setExclusive(true);
                t.open();
                if (!t.pack())
                    throw std::runtime_error(qPrintable(QStringLiteral("pack failed: ") + t.lastError()));
                packedRows = t.recordCount();
                t.close();
            },
            [&] {
                copyTable(work, packDir);
                ::sync();
            });
        auto cpBoth = [&](bool syncAfter) {
            return timeIt(
                repeats,
                [&] {
                    runProcess({QStringLiteral("cp"), workDbf, work + QStringLiteral("/kjcg.dbt"), cpDir});
                    if (syncAfter)
                        runProcess({QStringLiteral("sync"), cpDir + QStringLiteral("/kjcg.dbf"), cpDir + QStringLiteral("/kjcg.dbt")});
                },
                [&] {
                    QDir(cpDir).removeRecursively();
                    QDir().mkpath(cpDir);
                    ::sync();
                });
        };
        const double tCp = cpBoth(false);
        const double tCpSync = cpBoth(true);
        rows.push_back({QStringLiteral("pack (exclusive open, %1 rows kept, 10% deleted)").arg(packedRows), tPack,
                        QStringLiteral("cp kjcg.dbf kjcg.dbt DIR/"), tCp, QStringLiteral("<= 3x")});
        rows.push_back({QStringLiteral("pack (same)"), tPack, QStringLiteral("cp + sync of the copies"), tCpSync, QString()});
        QDir(cpDir).removeRecursively();
        QDir(packDir).removeRecursively();

        // 5. A Python reader doing the list query's work.
        if (pyRepeats > 0) {
            const QString script = QStringLiteral(
                "from dbfread import DBF\n"
                "p = %1\n"
                "n = sum(1 for r in DBF(p, encoding='gbk') if r['ITEM_CGLB'] == '1' and r['ITEM_4'].startswith('2009'))\n"
                "print(n)\n").arg(QStringLiteral("'") + workDbf + QStringLiteral("'"));
            QByteArray out;
            std::vector<double> t;
            for (int i = 0; i < pyRepeats; ++i) {
                QElapsedTimer timer;
                timer.start();
                runProcess({python, QStringLiteral("-c"), script}, &out);
                t.push_back(timer.nsecsElapsed() / 1e9);
            }
            const int pyCount = out.trimmed().toInt();
            if (pyCount != listed)
                std::printf("WARNING: the Python reader counts %d rows, the list query %d\n", pyCount, listed);
            rows.push_back({QStringLiteral("python3 dbfread, same condition (%1 rows)").arg(pyCount), median(t),
                            QStringLiteral("engine open + list query"), tList, QStringLiteral("engine far ahead")});
        }

        // Report.
        QString md;
        md += QStringLiteral("| measurement | time | baseline | baseline time | ratio | goal |\n");
        md += QStringLiteral("|---|---:|---|---:|---:|---|\n");
        for (const Row &r : rows) {
            md += QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 |\n")
                      .arg(r.what, fmtTime(r.seconds), r.baseline, r.baseSeconds > 0 ? fmtTime(r.baseSeconds) : QString(),
                           r.baseSeconds > 0 ? QStringLiteral("%1x").arg(r.seconds / r.baseSeconds, 0, 'f', 2) : QString(),
                           r.goal);
        }
        md += QStringLiteral("\nRewrite: %1 a row for edit/post (loop and final flush, without the query's open).\n")
                  .arg(fmtTime(perRow));
        std::printf("\n%s", qPrintable(md));
        if (!markdown.isEmpty()) {
            QFile f(markdown);
            if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                f.write(md.toUtf8());
        }
        QDir(work).removeRecursively();
    } catch (const db::EngineError &e) {
        std::fprintf(stderr, "bench_db: %s\n", e.what());
        return 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_db: %s\n", e.what());
        return 1;
    }
    return 0;
}
