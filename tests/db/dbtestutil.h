#pragma once

// Shared helpers of the table-layer suites: a fresh data folder per test,
// tables created through the engine, and table bytes written by hand so the
// reader can be checked against files the engine did not write.

#include "db/database.h"
#include "db/dataset.h"
#include "db/error.h"
#include "db/gbk.h"
#include "db/tablefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace dbtest {

inline QByteArray gbkBytes(const QString &s) { return db::gbk::encodeLossy(s); }

inline db::FieldDef fld(const char *name, char type, int width = 0, int decimals = 0)
{
    db::FieldDef f;
    f.name = QString::fromLatin1(name);
    f.type = type;
    f.width = type == 'D' ? 8 : type == 'M' ? 10 : type == 'L' ? 1 : width;
    f.decimals = decimals;
    f.kind = db::FieldDef::kindFor(type, f.width, decimals);
    return f;
}

// Every row of a dataset from the first, as "a|b|c" over `fields` (Null
// reads as an empty text).  Leaves the cursor at the end.
inline QStringList rowsOf(db::Dataset &ds, const QStringList &fields)
{
    QStringList out;
    for (ds.first(); !ds.eof(); ds.next()) {
        QStringList cells;
        for (const QString &f : fields)
            cells << ds.fieldByName(f).asString();
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    f.write(bytes);
}

// A dBASE III table written byte by byte.  Values are texts: C left aligned,
// N right aligned, D as yyyyMMdd, L one letter; GBK for Chinese.
struct RawTable {
    QVector<db::FieldDef> fields;
    QVector<QByteArray> records;
    unsigned char language = 0x7A;

    int recordLength() const
    {
        int n = 1;
        for (const auto &f : fields)
            n += f.width;
        return n;
    }
    void add(const QStringList &values, bool deleted = false)
    {
        QByteArray rec(1, deleted ? '*' : ' ');
        for (int i = 0; i < fields.size(); ++i) {
            QByteArray v = gbkBytes(values.value(i)).left(fields[i].width);
            QByteArray pad(fields[i].width - v.size(), ' ');
            rec += fields[i].type == 'N' ? pad + v : v + pad;
        }
        records << rec;
    }
    // `headerCount` < 0: the true count.  `tail` follows the last record.
    QByteArray bytes(int headerCount = -1, const QByteArray &tail = QByteArrayLiteral("\x1A")) const
    {
        const int headerLength = 32 + 32 * int(fields.size()) + 1;
        QByteArray h(32, '\0');
        h[0] = 0x03;
        h[1] = char(109);
        h[2] = 5;
        h[3] = 20;
        const quint32 count = quint32(headerCount < 0 ? records.size() : headerCount);
        for (int i = 0; i < 4; ++i)
            h[4 + i] = char(count >> (8 * i));
        h[8] = char(headerLength & 0xFF);
        h[9] = char(headerLength >> 8);
        h[10] = char(recordLength() & 0xFF);
        h[11] = char(recordLength() >> 8);
        h[29] = char(language);
        for (const auto &f : fields) {
            QByteArray d(32, '\0');
            const QByteArray name = f.name.toLatin1();
            std::memcpy(d.data(), name.constData(), size_t(name.size()));
            d[11] = f.type;
            d[16] = char(f.width);
            d[17] = char(f.decimals);
            h += d;
        }
        h += '\x0D';
        for (const auto &r : records)
            h += r;
        return h + tail;
    }
};

// A fresh data folder for each test.
class DataFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString folder() const { return m_dir.path(); }
    QString path(const QString &file) const { return m_dir.filePath(file); }

    void create(const QString &file, const QVector<db::FieldDef> &fields,
                unsigned char language = db::kLanguageDriverGbk)
    {
        db::TableFile::createFile(path(file), fields, language);
    }

    std::unique_ptr<db::Table> open(const QString &name, bool exclusive = false)
    {
        auto t = std::make_unique<db::Table>();
        t->setDatabaseName(folder());
        t->setTableName(name);
        t->setExclusive(exclusive);
        t->open();
        return t;
    }

    // Appends rows through a Table: each row gives texts for `fields` in
    // order; an empty text leaves the field blank.
    void fill(const QString &table, const QStringList &fields, const QVector<QStringList> &rows)
    {
        auto t = open(table);
        for (const QStringList &row : rows) {
            t->append();
            for (int i = 0; i < fields.size(); ++i)
                if (!row.value(i).isEmpty())
                    t->fieldByName(fields[i]).setAsString(row[i]);
            t->post();
        }
    }

    // Entries of the data folder, sorted.
    QStringList entries() const { return QDir(folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

private:
    QTemporaryDir m_dir;
};

} // namespace dbtest
