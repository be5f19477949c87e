#pragma once

#include "value.h"

#include <QHash>
#include <QStringList>
#include <memory>
#include <vector>

namespace db {

// A row as the expression evaluator sees it.
class RowSource {
public:
    virtual ~RowSource() = default;
    // Any field as a value (text fields: GBK bytes without trailing blanks,
    // blank fields: Null).
    virtual Value value(int field) const = 0;
    // Fast path for text (C) fields: the stored bytes without trailing blanks
    // (empty for a blank field).  Only called for fields of kind Text.
    virtual QByteArrayView text(int field) const = 0;
};

// Named parameters (":item_4"), named without the colon, any letter case.
class Params {
public:
    void set(const QString &name, const Value &v) { m_values.insert(name.toLower(), v); }
    void setText(const QString &name, const QString &text) { set(name, Value::fromString(text)); }
    const Value *find(const QString &name) const
    {
        auto it = m_values.constFind(name.toLower());
        return it == m_values.cend() ? nullptr : &*it;
    }
    void remove(const QString &name) { m_values.remove(name.toLower()); }
    void clear() { m_values.clear(); }
    bool isEmpty() const { return m_values.isEmpty(); }

private:
    QHash<QString, Value> m_values;
};

struct ExprNode;
using ExprPtr = std::shared_ptr<const ExprNode>;

// Filters are the texts datasets are filtered with; SQL conditions are the
// where-clauses of statements.  The two differ only in that a filter
// literal ending in '*' compared with '=' is a prefix match.  A literal
// written #'...' is compared exactly in both: a '*' at its end is text.
enum class ExprMode { Filter, Sql };

// The literal for a value taken from typed or stored text, for filters and
// statements: quotes doubled, compared exactly (#'...').  Every condition
// built from a value uses it, so a value ending in '*' never matches more.
QString exactLiteral(const QString &text);
// "field=#'value'": the filter (or condition) of rows whose field equals
// the value exactly.
QString equalsFilter(const QString &field, const QString &value);
// "field='prefix*'": the filter of rows whose field begins with the text
// taken from a value; quotes doubled, and a '*' of its own is text (only
// the one added at the end makes it a prefix).  Filters only: in a
// statement '*' is never a pattern.
QString prefixFilter(const QString &field, const QString &prefix);

// Parses a condition or value expression.  Malformed text throws EngineError
// naming the problem.  An empty or blank text gives a null pointer.
ExprPtr parseExpression(const QString &text, ExprMode mode);

// For the statement parser: parses the expression that starts at `pos` in
// `text` and stops before the first token that cannot continue it ("order",
// "where", ',', ')', ';' or the end), leaving `pos` at that token.  With
// `condition` false a single operand (a value) is accepted as well.
ExprPtr parseExpressionAt(const QString &text, qsizetype &pos, ExprMode mode, bool condition);

// Parameter names (lower case, without ':') used by an expression.
QStringList expressionParams(const ExprPtr &expr);

// An expression whose field names are resolved against one table's fields.
class BoundExpr {
public:
    BoundExpr() noexcept;   // empty: every row matches
    // Throws EngineError naming the field when a name is not a field of the
    // table (`tableName` is used in that message).
    BoundExpr(const ExprPtr &expr, const Schema &schema, const QString &tableName);
    ~BoundExpr();
    BoundExpr(const BoundExpr &);
    BoundExpr &operator=(const BoundExpr &);
    BoundExpr(BoundExpr &&) noexcept;
    BoundExpr &operator=(BoundExpr &&) noexcept;

    bool isEmpty() const;
    // True when the row satisfies the condition.  An unset parameter throws
    // EngineError naming it.
    bool matches(const RowSource &row, const Params *params = nullptr) const;
    // The expression's value (for the right-hand sides of update and insert).
    Value evaluate(const RowSource &row, const Params *params = nullptr) const;

    // What a row's text field must hold for the whole condition to be true:
    // the terms joined by "and" that compare a text field with a text (equal,
    // or beginning with it: "like 'abc%'", a filter's 'abc*').  Rows lacking
    // any one of them cannot match, so an index on that field narrows the
    // rows to look at.  Terms that cannot be read (a parameter not set)
    // are left out.
    struct KeyTerm {
        int field = -1;
        QByteArray text;     // no trailing blanks
        bool prefix = false; // begins with `text`; else equals it
    };
    std::vector<KeyTerm> keyTerms(const Params *params = nullptr) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Ordering used by "order by", "max" and "distinct": Null first, then texts
// by GBK bytes, numbers numerically, dates by date.  Mixed types order by type.
int compareValues(const Value &a, const Value &b);

} // namespace db
