#pragma once

#include "expr.h"

#include <QPair>
#include <QStringList>
#include <QVector>
#include <variant>

namespace db {

struct OrderItem {
    QString field;
    bool descending = false;
};

struct SelectStatement {
    enum class Projection { All, Field, Max };
    bool distinct = false;
    Projection projection = Projection::All;
    QString field;        // for Field and Max
    QString table;        // as written, quotes removed ("kjcg", "cgwcr.DBF")
    ExprPtr where;        // null: every row
    QVector<OrderItem> orderBy;
};

struct DeleteStatement {
    QString table;
    ExprPtr where;
};

struct UpdateStatement {
    QString table;
    QVector<QPair<QString, ExprPtr>> assignments;   // field = value expression
    ExprPtr where;
};

struct InsertStatement {
    QString table;
    QStringList columns;
    QVector<ExprPtr> values;   // one per column
};

using Statement = std::variant<SelectStatement, DeleteStatement, UpdateStatement, InsertStatement>;

// Parses one statement of the local SQL the program issues.  Keywords and
// names in any case, any white space (several blanks, line breaks) between
// tokens, none needed around quotes ("like'2009%'", "'K'and").  One statement
// per call (a trailing ';' is allowed).  Malformed text throws EngineError.
Statement parseStatement(const QString &sql);

// Parameter names (lower case, without ':') the statement uses, each once,
// in order of first use.
QStringList statementParams(const Statement &st);

} // namespace db
