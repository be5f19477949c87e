#pragma once

// What the files of the import share: the order a record's tables are
// written and emptied in, and small helpers over the table files.  Used only
// inside src/exchange.

#include "data/records.h"
#include "db/error.h"
#include "db/gbk.h"
#include "db/tablefile.h"
#include "platform/core/captions.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace exchange::import {

inline const QString &kAttention = platform::AttentionCaption;
inline const QString &kNote = platform::NoteCaption;

using data::Store;
using data::SubTable;

// A record's sub-tables with the ones named (by exchange name) first, in
// that order, and any others after them in data::subTables() order.  Only
// the order is written here; what the tables are and where their files lie
// comes from data::subTables().
inline QList<const SubTable *> subTablesInOrder(const QStringList &first)
{
    QList<const SubTable *> out;
    for (const QString &name : first) {
        if (const SubTable *s = data::findSubTable(name))
            out << s;
    }
    for (const SubTable &s : data::subTables()) {
        if (!out.contains(&s))
            out << &s;
    }
    return out;
}

// The order a saved record's rows are written in: patents, persons,
// committee, organisations, and the record row after all of them.  It
// decides which table a failed save names when rows of more than one table
// cannot be written, so it is kept as it is.  Deleting and re-keying staged
// rows follow it too.
inline const QList<const SubTable *> &copyOrder()
{
    static const QList<const SubTable *> order = subTablesInOrder(
        {QStringLiteral("ZLQK"), QStringLiteral("CGWCR"), QStringLiteral("JDWYHMD"), QStringLiteral("CGWCDW")});
    return order;
}

// The order the staging sub-tables are emptied in; the record table is
// emptied after them, so a failure part way leaves no sub-table row behind
// a staged record that is already gone.
inline const QList<const SubTable *> &emptyingOrder()
{
    static const QList<const SubTable *> order = subTablesInOrder(
        {QStringLiteral("ZLQK"), QStringLiteral("JDWYHMD"), QStringLiteral("CGWCR"), QStringLiteral("CGWCDW")});
    return order;
}

inline bool isPersons(const SubTable &s) { return s.exchangeName == QLatin1String("CGWCR"); }

inline int col(const db::TableFile &t, const QString &name) { return data::fieldIndex(t, name); }

inline QList<int> liveRows(const db::TableFile &t)
{
    QList<int> rows;
    for (int r = 0; r < t.rowCount(); ++r) {
        if (!t.isDeleted(r))
            rows << r;
    }
    return rows;
}

// A value of a package or a staging table as messages quote it.
inline QString shown(const QByteArray &gbk) { return db::gbk::excerpt(gbk); }

inline QByteArray keyText(qint64 key) { return QByteArray::number(key).rightJustified(10, '0'); }

} // namespace exchange::import
