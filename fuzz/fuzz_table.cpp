// Feeds arbitrary table and memo files to the table engine: open, read every
// field of every row, filter, edit a text field and post, close.  Damaged
// files must end in an EngineError, never in a crash, a hang or a leak.
//
// Input layout: two bytes (little-endian) giving the length of the .dbf part,
// the .dbf bytes, then the .dbt bytes (the memo file is left out when that
// part is empty).  Both go to t.dbf / t.dbt in a folder of this process.
// A table refused as damaged is repaired, and the repaired table must open.

#include "db/dataset.h"
#include "db/error.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString g_folder;

void removeFolder()
{
    if (!g_folder.isEmpty())
        QDir(g_folder).removeRecursively();
}

const QString &folder()
{
    if (g_folder.isEmpty()) {
        // A memory-backed folder where there is one: the files never need a disk.
        char shm[] = "/dev/shm/fuzz_table_XXXXXX";
        char tmp[] = "/tmp/fuzz_table_XXXXXX";
        const char *made = ::mkdtemp(shm);
        if (!made)
            made = ::mkdtemp(tmp);
        if (!made)
            std::abort();
        g_folder = QString::fromLocal8Bit(made);
        std::atexit(removeFolder);
    }
    return g_folder;
}

void writeFile(const QString &path, const uint8_t *data, size_t size)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        std::abort();
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0)
            std::abort();
        data += n;
        size -= size_t(n);
    }
    ::close(fd);
}

// Reads everything a form or a report would read from the current row.
void readRow(db::Dataset &t)
{
    for (int f = 0; f < t.fieldCount(); ++f) {
        db::Field field = t.field(f);
        (void)field.asString();
        (void)field.isNull();
        try {
            switch (field.kind()) {
            case db::FieldKind::Float:
            case db::FieldKind::SmallInt:
            case db::FieldKind::Integer: (void)field.asInteger(); break;
            case db::FieldKind::Date: (void)field.asDate(); break;
            case db::FieldKind::Logical: (void)field.asBoolean(); break;
            default: break;
            }
        } catch (const db::EngineError &) {
        }
    }
}

void readAll(db::Dataset &t)
{
    int guard = 0;
    for (t.first(); !t.eof() && guard < 100000; t.next(), ++guard)
        readRow(t);
    (void)t.recordCount();
    t.last();
    t.prior();
}

void exercise(const QString &dir)
{
    db::Table t;
    t.setDatabaseName(dir);
    t.setTableName(QStringLiteral("t"));
    try {
        t.open();
    } catch (const db::TableDamagedError &) {
        // A damaged table is refused; the repair keeps what can be read, and
        // what it writes must open without a fault.
        try {
            db::TableFile::repair(dir + QStringLiteral("/t.dbf"));
        } catch (const db::TableDamagedError &) {
            std::abort();
        } catch (const db::EngineError &) {
            return;
        }
        try {
            t.open();
        } catch (const db::TableDamagedError &) {
            std::abort();
        } catch (const db::EngineError &) {
            return;
        }
    } catch (const db::EngineError &) {
        return;
    }
    (void)t.warnings();
    try {
        readAll(t);
    } catch (const db::EngineError &) {
    }

    const db::Schema &schema = t.schema();
    if (schema.count() > 0) {
        const QString first = schema.fields[0].name;
        try {
            t.setFilter(first + QStringLiteral(" = '1*'"));
            t.setFiltered(true);
            readAll(t);
            t.setFiltered(false);
        } catch (const db::EngineError &) {
        }
        try {
            t.setFilter(QString());
        } catch (const db::EngineError &) {
        }
    }

    for (int f = 0; f < schema.count(); ++f) {
        if (schema.fields[f].kind != db::FieldKind::Text)
            continue;
        try {
            t.first();
            if (!t.isEmpty()) {
                t.edit();
                t.field(f).setAsString(QStringLiteral("测试"));
                t.post();
                readRow(t);
            }
        } catch (const db::EngineError &) {
            t.cancel();
        }
        break;
    }
    // Delete the first row and pack: the packed table must open and read.
    try {
        t.first();
        if (!t.isEmpty())
            t.deleteRecord();
    } catch (const db::EngineError &) {
    }
    t.close();
    db::Table x;
    x.setDatabaseName(dir);
    x.setTableName(QStringLiteral("t"));
    x.setExclusive(true);
    try {
        x.open();
        if (x.pack())
            readAll(x);
    } catch (const db::EngineError &) {
    }
    x.close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t dbfLen = std::min<size_t>(size_t(data[0]) | size_t(data[1]) << 8, size - 2);
    const uint8_t *dbf = data + 2;
    const uint8_t *dbt = dbf + dbfLen;
    const size_t dbtLen = size - 2 - dbfLen;

    // Nothing here needs the disk: syncing off makes a run many times faster
    // and changes nothing of what is written and read back.
    static const bool noSync = (db::TableFile::setSyncEnabled(false), true);
    (void)noSync;
    const QString dir = folder();
    writeFile(dir + QStringLiteral("/t.dbf"), dbf, dbfLen);
    const QString memo = dir + QStringLiteral("/t.dbt");
    if (dbtLen > 0)
        writeFile(memo, dbt, dbtLen);
    else
        QFile::remove(memo);
    exercise(dir);
    return 0;
}
