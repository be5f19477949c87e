// Kills a child process in the middle of an import, an overwriting import, a
// re-dating and a deletion (at random instants, and at every row write the
// store names), then opens the data folder as the program does and checks
// that no sub-table row is left without its record, that every record is
// whole or absent, and that nothing that was there before is lost.
//
// SORVEL_KILL_LONG=1 runs ten times the random kills and every write instant.

#include "data/dm.h"
#include "data/records.h"
#include "data/schema.h"
#include "db/gbk.h"
#include "exchange/tables.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <thread>

using namespace exchange;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QStringList &l, std::ostream *os) { *os << l.join(QStringLiteral("; ")).toStdString(); }
QT_END_NAMESPACE

namespace {

const QStringList kModes{QStringLiteral("save"), QStringLiteral("overwrite"), QStringLiteral("redate"),
                         QStringLiteral("delete")};
// Rows of every record in the sub-tables, in data::subTables() order.
const int kShape[4] = {1, 2, 1, 1};
constexpr int kMainRecords = 6;
constexpr int kStagedRecords = 8; // the first four share name and organisation with a main record

QByteArray g(const QString &s) { return db::gbk::encodeLossy(s); }

void addRow(const QString &folder, const QString &file, const QList<QPair<QString, QByteArray>> &values)
{
    const TablePtr t = openTable(folder, file);
    PreparedRow p = prepareRow(*t, {});
    for (const auto &[field, value] : values)
        setText(*t, p, field, value);
    t->appendRow(p.record, p.memos);
    t->sync();
}

void addRecord(const QString &folder, data::Store store, const QByteArray &key, const QString &name)
{
    addRow(folder, data::recordFile(store),
           {{QStringLiteral("ITEM_4"), key},
            {QStringLiteral("ITEM_DQDM"), "."},
            {QStringLiteral("ITEM_3"), g(name)},
            {QStringLiteral("ITEM_9"), g(QStringLiteral("某研究院"))},
            {QStringLiteral("ITEM_CGLB"), "1"}});
    for (int i = 0; i < 4; ++i) {
        for (int n = 0; n < kShape[i]; ++n) {
            QList<QPair<QString, QByteArray>> values{{QStringLiteral("ITEM_4"), key},
                                                     {QStringLiteral("ITEM_DQDM"), "."}};
            if (data::subTables()[i].exchangeName == QLatin1String("CGWCR"))
                values.append({QStringLiteral("ITEM_180"), g(name + QStringLiteral("的完成人") + QString::number(n))});
            addRow(folder, data::subTables()[i].file(store), values);
        }
    }
}

QString mainName(int i) { return QStringLiteral("成果%1").arg(i); }
QString stagedName(int i) { return i < 4 ? mainName(i) : QStringLiteral("来稿%1").arg(i); }

void copyFolder(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QString &f : QDir(from).entryList(QDir::Files))
        QFile::copy(from + QLatin1Char('/') + f, to + QLatin1Char('/') + f);
}

// A record as found: its name, key and how many rows each sub-table holds.
struct Found {
    QString name;
    QByteArray key;
    int subs[4] = {0, 0, 0, 0};
    bool whole() const { return std::equal(subs, subs + 4, kShape); }
};

struct Tally {
    int trials = 0, instants = 0, whole = 0, absent = 0, orphans = 0, broken = 0;
};

// The records of a store, and the sub-table rows whose record is missing.
QList<Found> records(const QString &folder, data::Store store, int &orphans)
{
    const data::RecordTables tables(folder, store);
    QHash<QPair<QByteArray, QByteArray>, int> at;
    QList<Found> out;
    const db::TableFile &rec = tables.record();
    const int k = rec.schema().indexOf(u"ITEM_4"), d = rec.schema().indexOf(u"ITEM_DQDM"),
              n = rec.schema().indexOf(QStringLiteral("ITEM_3"));
    data::forEachLiveRow(rec, [&](int r) {
        Found f;
        f.name = db::gbk::decode(trimmedText(rec, r, n));
        f.key = trimmedText(rec, r, k);
        at.insert({f.key, trimmedText(rec, r, d)}, int(out.size()));
        out << f;
    });
    for (int i = 0; i < 4; ++i) {
        const db::TableFile &t = tables.sub(i);
        const int sk = t.schema().indexOf(u"ITEM_4"), sd = t.schema().indexOf(u"ITEM_DQDM");
        data::forEachLiveRow(t, [&](int r) {
            const auto it = at.constFind({trimmedText(t, r, sk), trimmedText(t, r, sd)});
            if (it == at.constEnd())
                ++orphans;
            else
                ++out[*it].subs[i];
        });
    }
    return out;
}

// Opens the folder through the program's own open path, then checks it.
// Returns what is wrong, empty when nothing is.
QStringList check(const QString &folder, const QString &mode, Tally &tally)
{
    DM = new TDM(folder);
    delete DM;
    DM = nullptr;
    QStringList wrong;
    if (QFile::exists(data::recordJournalPath(folder)))
        wrong << QStringLiteral("journal left");
    int orphans = 0;
    const QList<Found> main = records(folder, data::Store::Main, orphans);
    const QList<Found> staged = records(folder, data::Store::Staging, orphans);
    tally.orphans += orphans;
    if (orphans)
        wrong << QStringLiteral("%1 orphan rows").arg(orphans);
    for (const Found &f : main + staged) {
        if (!f.whole()) {
            ++tally.broken;
            wrong << QStringLiteral("%1 (%2) not whole").arg(f.name, QString::fromLatin1(f.key));
        }
    }
    const auto count = [](const QList<Found> &in, const QString &name, bool newOnly = false) {
        return int(std::count_if(in.begin(), in.end(), [&](const Found &f) {
            return f.name == name && (!newOnly || f.key.toLongLong() > 2009000000 + kMainRecords);
        }));
    };
    for (int i = 0; i < kMainRecords; ++i) {
        const QString name = mainName(i);
        const int inMain = count(main, name);
        if (mode == QLatin1String("delete") && i % 2 == 0) {
            (inMain ? tally.whole : tally.absent)++;
            if (inMain > 1)
                wrong << name + QStringLiteral(" twice");
        } else if (mode != QLatin1String("save") || i >= 4) {
            if (inMain != 1)
                wrong << QStringLiteral("%1 found %2 times").arg(name).arg(inMain);
        }
    }
    if (mode == QLatin1String("save") || mode == QLatin1String("overwrite")) {
        for (int i = 0; i < kStagedRecords; ++i) {
            const QString name = stagedName(i);
            const int saved = count(main, name, true), waiting = count(staged, name);
            (saved ? tally.whole : tally.absent)++;
            if (saved + waiting != 1)
                wrong << QStringLiteral("%1 saved %2, staged %3").arg(name).arg(saved).arg(waiting);
            if (mode == QLatin1String("overwrite") && i < 4 && count(main, name) != 1)
                wrong << QStringLiteral("%1 replaced badly").arg(name);
        }
    }
    if (mode == QLatin1String("redate")) {
        for (int i = 0; i < kStagedRecords; ++i) {
            if (count(staged, stagedName(i)) != 1)
                wrong << stagedName(i) + QStringLiteral(" lost from staging");
            ++tally.whole;
        }
    }
    return wrong;
}

long runChild(const QString &folder, const QString &mode, long stopAt, int killAfterMicros)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (stopAt > 0)
        env.insert(QStringLiteral("SORVEL_KILL_AT_WRITE"), QString::number(stopAt));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KILL_CHILD), {folder, mode});
    if (!p.waitForStarted())
        return -1;
    if (killAfterMicros >= 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(killAfterMicros));
        ::kill(pid_t(p.processId()), SIGKILL);
    }
    p.waitForFinished(60000);
    return p.readAllStandardOutput().trimmed().toLong();
}

} // namespace

TEST(RecordKill, EveryRecordWholeOrAbsentAfterAKill)
{
    const bool longRun = qEnvironmentVariableIntValue("SORVEL_KILL_LONG") > 0;
    const int randomPerMode = longRun ? 150 : 13;
    const int instantsPerMode = longRun ? 100000 : 10;
    QTemporaryDir tmp;
    const QString base = tmp.filePath(QStringLiteral("base"));
    data::layOutDataFolder(base);
    for (int i = 0; i < kMainRecords; ++i)
        addRecord(base, data::Store::Main, QByteArray::number(2009000001 + i), mainName(i));
    for (int i = 0; i < kStagedRecords; ++i)
        addRecord(base, data::Store::Staging, QByteArray::number(2009000101 + i), stagedName(i));

    QRandomGenerator random(20261209);
    Tally tally;
    int trial = 0;
    for (const QString &mode : kModes) {
        // A whole run: how many steps it takes and how long.
        const QString whole = tmp.filePath(QStringLiteral("whole-") + mode);
        copyFolder(base, whole);
        QElapsedTimer clock;
        clock.start();
        const long steps = runChild(whole, mode, 0, -1);
        const qint64 micros = clock.nsecsElapsed() / 1000;
        ASSERT_GT(steps, 0) << mode.toStdString();
        Tally ignored;
        EXPECT_EQ(check(whole, mode, ignored), QStringList()) << mode.toStdString();

        QList<long> instants;
        const long every = std::max<long>(1, steps / instantsPerMode);
        for (long s = 1; s <= steps; s += every)
            instants << s;
        if (!instants.contains(steps))
            instants << steps;
        for (long s : instants) {
            const QString folder = tmp.filePath(QStringLiteral("t%1").arg(++trial));
            copyFolder(base, folder);
            runChild(folder, mode, s, -1);
            ++tally.instants;
            const QStringList wrong = check(folder, mode, tally);
            EXPECT_EQ(wrong, QStringList()) << mode.toStdString() << " stopped at step " << s;
            QDir(folder).removeRecursively();
        }
        for (int i = 0; i < randomPerMode; ++i) {
            const QString folder = tmp.filePath(QStringLiteral("t%1").arg(++trial));
            copyFolder(base, folder);
            const int after = int(random.bounded(qint64(micros) * 12 / 10 + 1));
            runChild(folder, mode, 0, after);
            ++tally.trials;
            const QStringList wrong = check(folder, mode, tally);
            EXPECT_EQ(wrong, QStringList()) << mode.toStdString() << " killed after " << after << " us";
            QDir(folder).removeRecursively();
        }
        std::printf("%s: %ld steps, a whole run %lld us\n", qPrintable(mode), steps, qint64(micros));
    }
    std::printf("random kills: %d, write instants: %d, records whole: %d, absent: %d, not whole: %d, orphans=%d\n",
                tally.trials, tally.instants, tally.whole, tally.absent, tally.broken, tally.orphans);
    EXPECT_GE(tally.trials, 50);
    EXPECT_EQ(tally.orphans, 0);
    EXPECT_EQ(tally.broken, 0);
}
