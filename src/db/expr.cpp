#include "expr.h"

#include "error.h"
#include "gbk.h"

#include "base/text.h"

#include <cstring>
#include <optional>
#include <vector>

namespace db {

enum class CompOp { Eq, Ne, Lt, Le, Gt, Ge };

// One node of a parsed expression.  And/Or hold all terms of a chain, so a
// long "a or b or c ..." is one flat node, never a deep tree.
struct ExprNode {
    enum class Kind { Or, And, Not, Compare, Like, Field, Text, Number, Param };
    Kind kind = Kind::Field;
    CompOp op = CompOp::Eq;
    bool negated = false;        // NOT LIKE
    char escape = 0;             // LIKE ... ESCAPE 'c': c makes the next character match itself
    bool prefix = false;         // filter "field = 'abc*'": prefix match
    bool exact = false;          // Text written #'...': never a prefix match
    std::vector<ExprPtr> kids;   // Or/And: the terms; Not: one; Compare/Like: two
    QString name;                // Field, Param (without ':'): as written; Text: the text
    QByteArray bytes;            // Text: GBK form
    double number = 0;           // Number
    bool isOperand() const { return kind >= Kind::Field; }
};

namespace {

constexpr int MaxDepth = 200;

// ---------------------------------------------------------------------------
// Tokens

enum class Tok { End, Ident, Text, Name, Number, Param, Comp, LParen, RParen, Comma, Semicolon, Minus, Plus, Other };

struct Token {
    Tok kind = Tok::End;
    qsizetype pos = 0, end = 0;
    QString text;       // identifier, parameter name, unquoted text or name
    QByteArray bytes;   // Text: GBK form
    double number = 0;
    CompOp op = CompOp::Eq;
    bool exact = false; // Text written #'...'
};

bool isIdentStart(QChar c) { return c.isLetter() || c == u'_'; }
bool isIdentChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

bool sameWord(const QString &s, const char *word)
{
    return s.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

class Lexer {
public:
    Lexer(const QString &s, qsizetype pos) : m_s(s), m_pos(pos) {}
    void rewind(qsizetype pos) { m_pos = pos; }

    Token next()
    {
        const qsizetype n = m_s.size();
        while (m_pos < n && m_s[m_pos].isSpace())
            ++m_pos;
        Token t;
        t.pos = m_pos;
        if (m_pos >= n) {
            t.end = n;
            return t;
        }
        QChar c = m_s[m_pos];
        qsizetype i = m_pos + 1;
        // #'...': a text that is compared exactly ('*' at its end is text).
        if (c == u'#' && i < n && m_s[i] == u'\'') {
            t.exact = true;
            c = m_s[i];
            ++i;
        }
        if (c == u'\'' || c == u'"') {
            // '' (or "") inside stands for one quote.
            for (;; ++i) {
                if (i >= n)
                    throw EngineError(QStringLiteral("从第 %2 个字符开始的带引号%1没有结束")
                                          .arg(c == u'\'' ? QStringLiteral("文本") : QStringLiteral("名称"))
                                          .arg(m_pos + 1));
                if (m_s[i] == c) {
                    if (i + 1 < n && m_s[i + 1] == c) {
                        t.text += c;
                        ++i;
                        continue;
                    }
                    break;
                }
                t.text += m_s[i];
            }
            t.kind = c == u'"' ? Tok::Name : Tok::Text;
            if (t.kind == Tok::Text && !gbk::encode(t.text, t.bytes))
                throw EngineError(QStringLiteral("文本“%1”中有无法用 GBK 编码保存的字符").arg(base::excerpt(t.text)));
            return finish(t, i + 1);
        }
        if (isIdentStart(c)) {
            while (i < n && isIdentChar(m_s[i]))
                ++i;
            t.kind = Tok::Ident;
            t.text = m_s.mid(m_pos, i - m_pos);
            return finish(t, i);
        }
        if (c == u':') {
            while (i < n && isIdentChar(m_s[i]))
                ++i;
            if (i == m_pos + 1)
                throw EngineError(QStringLiteral("第 %1 个字符处的“:”后缺少参数名").arg(m_pos + 1));
            t.kind = Tok::Param;
            t.text = m_s.mid(m_pos + 1, i - m_pos - 1);
            return finish(t, i);
        }
        if (isDigit(c) || (c == u'.' && i < n && isDigit(m_s[i]))) {
            while (i < n && isDigit(m_s[i]))
                ++i;
            if (i + 1 < n && m_s[i] == u'.' && isDigit(m_s[i + 1]))
                for (++i; i < n && isDigit(m_s[i]); ++i) {}
            if (!parseNumber(QStringView(m_s).mid(m_pos, i - m_pos), t.number))
                throw EngineError(QStringLiteral("“%1”不是有效的数字").arg(base::excerpt(m_s.mid(m_pos, i - m_pos))));
            t.kind = Tok::Number;
            return finish(t, i);
        }
        const QChar d = i < n ? m_s[i] : QChar();
        t.kind = Tok::Comp;
        switch (c.unicode()) {
        case '=': t.op = CompOp::Eq; break;
        case '<':
            if (d == u'>' || d == u'=') {
                t.op = d == u'>' ? CompOp::Ne : CompOp::Le;
                ++i;
            } else {
                t.op = CompOp::Lt;
            }
            break;
        case '>':
            t.op = d == u'=' ? CompOp::Ge : CompOp::Gt;
            i += d == u'=';
            break;
        case '!':
            if (d != u'=') {
                t.kind = Tok::Other;
                break;
            }
            t.op = CompOp::Ne;
            ++i;
            break;
        case '(': t.kind = Tok::LParen; break;
        case ')': t.kind = Tok::RParen; break;
        case ',': t.kind = Tok::Comma; break;
        case ';': t.kind = Tok::Semicolon; break;
        case '-': t.kind = Tok::Minus; break;
        case '+': t.kind = Tok::Plus; break;
        default: t.kind = Tok::Other; break;
        }
        return finish(t, i);
    }

private:
    Token finish(Token &t, qsizetype end)
    {
        t.end = m_pos = end;
        return std::move(t);
    }

    const QString &m_s;
    qsizetype m_pos;
};

// ---------------------------------------------------------------------------
// Parser

using NodePtr = std::shared_ptr<ExprNode>;

class Parser {
public:
    Parser(const QString &s, qsizetype pos, ExprMode mode) : m_s(s), m_lex(s, pos), m_mode(mode) {}

    const Token &peek()
    {
        if (!m_peek)
            m_peek = m_lex.next();
        return *m_peek;
    }

    // orExpr := andExpr (OR andExpr)*.  `allowBare`: the whole expression may
    // be a single operand (a value rather than a condition).
    NodePtr parseOr(bool allowBare)
    {
        NodePtr first = parseAnd(allowBare);
        if (!peekWord("or"))
            return first;
        auto node = makeNode(ExprNode::Kind::Or);
        node->kids.push_back(first);
        while (peekWord("or")) {
            if (first->isOperand())
                fail(peek());
            take();
            node->kids.push_back(parseAnd(false));
        }
        return node;
    }

    [[noreturn]] void fail(const Token &t) const
    {
        if (t.kind == Tok::End)
            throw EngineError(QStringLiteral("条件不完整，意外结束"));
        throw EngineError(QStringLiteral("条件在“%1”附近有语法错误（第 %2 个字符）")
                              .arg(m_s.mid(t.pos, qMin<qsizetype>(t.end - t.pos, 40)))
                              .arg(t.pos + 1));
    }

private:
    static NodePtr makeNode(ExprNode::Kind kind)
    {
        auto n = std::make_shared<ExprNode>();
        n->kind = kind;
        return n;
    }

    Token take()
    {
        Token t = peek();
        m_peek.reset();
        m_lastOperand = nullptr;
        return t;
    }

    bool peekWord(const char *word)
    {
        const Token &t = peek();
        return t.kind == Tok::Ident && sameWord(t.text, word);
    }

    void enter()
    {
        if (++m_depth > MaxDepth)
            throw EngineError(QStringLiteral("条件嵌套层数过多"));
    }

    // Tokens that may follow a complete term: the end of this expression or
    // the next part of the statement around it.
    bool endsTerm(const Token &t) const
    {
        switch (t.kind) {
        case Tok::End:
        case Tok::RParen:
        case Tok::Comma:
        case Tok::Semicolon:
            return true;
        case Tok::Ident:
            return sameWord(t.text, "and") || sameWord(t.text, "or") || sameWord(t.text, "order")
                || sameWord(t.text, "where");
        default:
            return false;
        }
    }

    // The program builds some statements by gluing pieces together without a
    // blank ("item_4=:item_4" + "and item_dqdm=..." + "order by ..."), so a
    // parameter or field name may have swallowed the keyword after it.  When a
    // term is followed by something that cannot follow a term, and the operand
    // just read is a name ending in "and", "or" or "order", that ending is
    // taken back and read again as the keyword.  A name such as ":vendor"
    // followed by " and" or the end is left whole.
    bool splitGluedKeyword()
    {
        if (!m_lastOperand)
            return false;
        QString &name = m_lastOperand->name;
        for (const char *kw : {"order", "and", "or"}) {
            const qsizetype len = qsizetype(std::strlen(kw));
            if (name.size() > len && name.endsWith(QLatin1String(kw), Qt::CaseInsensitive)) {
                name.chop(len);
                m_lex.rewind(m_lastOperandEnd - len);
                m_peek.reset();
                m_lastOperand = nullptr;
                return true;
            }
        }
        return false;
    }

    NodePtr parseAnd(bool allowBare)
    {
        NodePtr first = parseNot(allowBare);
        NodePtr node;
        for (;;) {
            if (!peekWord("and")) {
                if (!endsTerm(peek()) && splitGluedKeyword())
                    continue;
                break;
            }
            if (first->isOperand())
                fail(peek());
            take();
            if (!node) {
                node = makeNode(ExprNode::Kind::And);
                node->kids.push_back(first);
            }
            node->kids.push_back(parseNot(false));
        }
        return node ? node : first;
    }

    NodePtr parseNot(bool allowBare)
    {
        if (!peekWord("not"))
            return parsePrimary(allowBare);
        take();
        enter();
        auto node = makeNode(ExprNode::Kind::Not);
        node->kids.push_back(parseNot(false));
        --m_depth;
        return node;
    }

    NodePtr parsePrimary(bool allowBare)
    {
        if (peek().kind == Tok::LParen) {
            take();
            enter();
            NodePtr inner = parseOr(false);
            if (peek().kind != Tok::RParen)
                fail(peek());
            take();
            --m_depth;
            return inner;
        }
        NodePtr lhs = parseOperand();
        const Token &t = peek();
        NodePtr node;
        if (t.kind == Tok::Comp) {
            node = makeNode(ExprNode::Kind::Compare);
            node->op = t.op;
            take();
        } else if (peekWord("like") || peekWord("not")) {
            node = makeNode(ExprNode::Kind::Like);
            if (peekWord("not")) {
                node->negated = true;
                take();
                if (!peekWord("like"))
                    fail(peek());
            }
            take();
        } else {
            if (!allowBare)
                fail(t);
            return lhs;
        }
        NodePtr rhs = parseOperand();
        if (node->kind == ExprNode::Kind::Like && peekWord("escape")) {
            take();
            const Token &e = peek();
            if (e.kind != Tok::Text || e.bytes.size() != 1 || uchar(e.bytes[0]) >= 0x80)
                throw EngineError(
                    QStringLiteral("条件在第 %1 个字符处：escape 后面应是一个英文字符，如 '\\'").arg(e.pos + 1));
            node->escape = e.bytes[0];
            take();
        }
        if (node->kind == ExprNode::Kind::Compare) {
            // Keep a literal on the right: "'K' = item_4" reads as "item_4 = 'K'".
            const bool lhsLiteral = lhs->kind == ExprNode::Kind::Text || lhs->kind == ExprNode::Kind::Number;
            const bool rhsLiteral = rhs->kind == ExprNode::Kind::Text || rhs->kind == ExprNode::Kind::Number;
            if (lhsLiteral && !rhsLiteral) {
                std::swap(lhs, rhs);
                static const CompOp mirrored[] = {CompOp::Eq, CompOp::Ne, CompOp::Gt, CompOp::Ge, CompOp::Lt, CompOp::Le};
                node->op = mirrored[int(node->op)];
            }
            if (m_mode == ExprMode::Filter && rhs->kind == ExprNode::Kind::Text
                && (node->op == CompOp::Eq || node->op == CompOp::Ne)) {
                QByteArray key = rhs->bytes;
                while (key.endsWith(' '))
                    key.chop(1);
                node->prefix = !rhs->exact && key.endsWith('*');
            }
        }
        node->kids = {lhs, rhs};
        return node;
    }

    NodePtr parseOperand()
    {
        Token t = take();
        NodePtr n;
        switch (t.kind) {
        case Tok::Ident:
            for (const char *reserved : {"and", "or", "not", "like", "escape", "order", "where"})
                if (sameWord(t.text, reserved))
                    fail(t);
            [[fallthrough]];
        case Tok::Name:
            n = makeNode(ExprNode::Kind::Field);
            n->name = t.text;
            break;
        case Tok::Param:
            n = makeNode(ExprNode::Kind::Param);
            n->name = t.text;
            break;
        case Tok::Text:
            n = makeNode(ExprNode::Kind::Text);
            n->name = t.text;
            n->bytes = t.bytes;
            n->exact = t.exact;
            break;
        case Tok::Number:
            n = makeNode(ExprNode::Kind::Number);
            n->number = t.number;
            break;
        case Tok::Minus:
        case Tok::Plus: {
            Token num = take();
            if (num.kind != Tok::Number)
                fail(num);
            n = makeNode(ExprNode::Kind::Number);
            n->number = t.kind == Tok::Minus ? -num.number : num.number;
            break;
        }
        default:
            fail(t);
        }
        if (t.kind == Tok::Ident || t.kind == Tok::Param) {
            m_lastOperand = n.get();
            m_lastOperandEnd = t.end;
        }
        return n;
    }

    const QString &m_s;
    Lexer m_lex;
    ExprMode m_mode;
    std::optional<Token> m_peek;
    ExprNode *m_lastOperand = nullptr;   // the operand of the token taken last, if a name
    qsizetype m_lastOperandEnd = 0;
    int m_depth = 0;
};

void collectParams(const ExprNode &n, QStringList &out)
{
    if (n.kind == ExprNode::Kind::Param) {
        const QString name = n.name.toLower();
        if (!out.contains(name))
            out.append(name);
    }
    for (const ExprPtr &k : n.kids)
        collectParams(*k, out);
}

// ---------------------------------------------------------------------------
// Evaluation helpers

QByteArrayView trimBlanks(QByteArrayView v)
{
    qsizetype n = v.size();
    while (n > 0 && v[n - 1] == ' ')
        --n;
    return v.first(n);
}

bool isBlank(QByteArrayView v)
{
    for (char c : v)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

int compareBytes(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = qMin(a.size(), b.size());
    if (n > 0)
        if (int r = std::memcmp(a.data(), b.data(), size_t(n)))
            return r < 0 ? -1 : 1;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

template <typename T>
int compareOrdered(const T &a, const T &b)
{
    return a < b ? -1 : b < a ? 1 : 0;
}

// Dates as the program writes them: yyyy-MM-dd, yyyyMMdd, yyyy.MM.dd,
// yyyy/MM/dd and M/d/yyyy.
bool parseDate(QByteArrayView t, QDate &out)
{
    while (!t.isEmpty() && t.front() == ' ')
        t = t.sliced(1);
    t = trimBlanks(t);
    int part[3] = {0, 0, 0};
    int len[3] = {0, 0, 0};
    int n = 0;
    char sep = 0;
    for (char c : t) {
        if (c >= '0' && c <= '9') {
            if (++len[n] > 8)
                return false;
            part[n] = part[n] * 10 + (c - '0');
        } else if ((c == '-' || c == '.' || c == '/') && (sep == 0 || sep == c) && n < 2 && len[n] > 0) {
            sep = c;
            ++n;
        } else {
            return false;
        }
    }
    int y, m, d;
    if (n == 0 && len[0] == 8) {
        y = part[0] / 10000;
        m = part[0] / 100 % 100;
        d = part[0] % 100;
    } else if (n == 2 && len[0] == 4 && len[1] <= 2 && len[2] >= 1 && len[2] <= 2) {
        y = part[0], m = part[1], d = part[2];
    } else if (n == 2 && sep == '/' && len[2] == 4 && len[0] <= 2 && len[1] <= 2) {
        y = part[2], m = part[0], d = part[1];
    } else {
        return false;
    }
    out = QDate(y, m, d);
    return out.isValid();
}

// Logical values as texts: T/Y/true and F/N/false, any case, dots allowed.
bool parseBool(QByteArrayView t, bool &out)
{
    const QByteArray s = trimBlanks(t).toByteArray().toUpper();
    if (s == "T" || s == "Y" || s == ".T." || s == ".Y." || s == "TRUE")
        return out = true, true;
    if (s == "F" || s == "N" || s == ".F." || s == ".N." || s == "FALSE")
        return out = false, true;
    return false;
}

qsizetype gbkCharLength(QByteArrayView s, qsizetype i)
{
    return gbk::isLeadByte(uchar(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// LIKE: '%' any run of characters, '_' exactly one character; with an
// escape character, the character after it matches itself only (an escape
// at the very end is itself).  Both sides are walked by GBK characters, so
// the second byte of a double-byte character is never taken for a wildcard
// and '_' consumes both bytes.  Greedy with a single restart point: time is
// bounded by subject x pattern length.
bool likeMatch(QByteArrayView s, QByteArrayView p, char escape)
{
    qsizetype si = 0, pi = 0;
    qsizetype starP = -1, starS = 0;
    while (si < s.size()) {
        if (pi < p.size()) {
            const bool escaped = escape && p[pi] == escape && pi + 1 < p.size();
            if (!escaped && p[pi] == '%') {
                starP = ++pi;
                starS = si;
                continue;
            }
            const qsizetype sl = gbkCharLength(s, si);
            if (!escaped && p[pi] == '_') {
                si += sl;
                ++pi;
                continue;
            }
            const qsizetype at = escaped ? pi + 1 : pi;
            const qsizetype pl = gbkCharLength(p, at);
            if (pl == sl && std::memcmp(p.data() + at, s.data() + si, size_t(pl)) == 0) {
                si += sl;
                pi = at + pl;
                continue;
            }
        }
        if (starP < 0)
            return false;
        starS += gbkCharLength(s, starS);
        si = starS;
        pi = starP;
    }
    while (pi < p.size() && p[pi] == '%')
        ++pi;
    return pi == p.size();
}

} // namespace

// ---------------------------------------------------------------------------
// Parsing entry points

ExprPtr parseExpression(const QString &text, ExprMode mode)
{
    Parser p(text, 0, mode);
    if (p.peek().kind == Tok::End)
        return nullptr;
    ExprPtr e = p.parseOr(true);
    if (p.peek().kind != Tok::End)
        p.fail(p.peek());
    return e;
}

ExprPtr parseExpressionAt(const QString &text, qsizetype &pos, ExprMode mode, bool condition)
{
    Parser p(text, pos, mode);
    ExprPtr e = p.parseOr(!condition);
    pos = p.peek().pos;
    return e;
}

QStringList expressionParams(const ExprPtr &expr)
{
    QStringList out;
    if (expr)
        collectParams(*expr, out);
    return out;
}

// ---------------------------------------------------------------------------
// Binding and evaluation

namespace {

using Kind = ExprNode::Kind;

struct Operand {
    Kind kind = Kind::Number;             // Field, Text, Number or Param
    int field = -1;
    FieldKind fieldKind = FieldKind::Text;
    QString name;                         // field or parameter as written; the text of a literal
    QString key;                          // parameter name in lower case
    QByteArray bytes;                     // Text: GBK, as written
    qsizetype keyLength = 0;              // Text: bytes compared (no trailing blanks, no prefix '*')
    double number = 0;                    // Number; Text read as a number
    bool isNumber = false;
    QDate date;                           // Text read as a date
    int logical = -1;                     // Text read as a logical value (0/1)
};

struct Node {
    Kind kind = Kind::And;
    CompOp op = CompOp::Eq;
    bool negated = false;
    char escape = 0;
    bool prefix = false;
    std::vector<Node> kids;
    Operand a, b;
};

// One side of a comparison as read from the row, literal or parameter.
struct Side {
    Value::Type type = Value::Type::Null;
    QByteArrayView text;
    double number = 0;
    QDate date;
    bool logical = false;
    const Operand *src = nullptr;
};

Operand bindOperand(const ExprNode &n, const Schema &schema, const QString &table)
{
    Operand o;
    o.kind = n.kind;
    o.name = n.name;
    switch (n.kind) {
    case Kind::Field:
        o.field = schema.indexOf(n.name);
        if (o.field < 0)
            throw EngineError(QStringLiteral("数据表 %2 中没有字段“%1”").arg(n.name, table));
        o.fieldKind = schema.fields[o.field].kind;
        break;
    case Kind::Param:
        o.key = n.name.toLower();
        break;
    case Kind::Text: {
        o.bytes = n.bytes;
        const QByteArrayView key = trimBlanks(o.bytes);
        o.keyLength = key.size();
        o.isNumber = parseNumber(key.data(), key.size(), o.number);
        parseDate(key, o.date);
        bool b;
        if (parseBool(key, b))
            o.logical = b;
        break;
    }
    default:
        o.number = n.number;
        break;
    }
    return o;
}

Node bindNode(const ExprNode &n, const Schema &schema, const QString &table)
{
    Node b;
    b.kind = n.kind;
    b.op = n.op;
    b.negated = n.negated;
    b.escape = n.escape;
    b.prefix = n.prefix;
    if (n.isOperand()) {
        b.a = bindOperand(n, schema, table);
    } else if (n.kind == Kind::Compare || n.kind == Kind::Like) {
        b.a = bindOperand(*n.kids[0], schema, table);
        b.b = bindOperand(*n.kids[1], schema, table);
        if (b.prefix)
            --b.b.keyLength;   // the trailing '*'
    } else {
        b.kids.reserve(n.kids.size());
        for (const ExprPtr &k : n.kids)
            b.kids.push_back(bindNode(*k, schema, table));
    }
    return b;
}

Side sideOf(const Value &v, const Operand *src)
{
    Side s;
    s.type = v.type;
    s.text = trimBlanks(v.text);
    s.number = v.number;
    s.date = v.date;
    s.logical = v.boolean;
    s.src = src;
    return s;
}

const Value &paramValue(const Operand &o, const Params *params)
{
    const Value *v = params ? params->find(o.key) : nullptr;
    if (!v)
        throw EngineError(QStringLiteral("参数“%1”没有赋值").arg(o.name));
    return *v;
}

// Reads an operand; `hold` keeps a value read from the row alive.
Side resolve(const Operand &o, const RowSource &row, const Params *params, Value &hold)
{
    Side s;
    s.src = &o;
    switch (o.kind) {
    case Kind::Field:
        if (o.fieldKind == FieldKind::Text) {
            s.type = Value::Type::Text;
            s.text = trimBlanks(row.text(o.field));
            return s;
        }
        hold = row.value(o.field);
        s = sideOf(hold, &o);
        if (o.fieldKind == FieldKind::Memo && s.type == Value::Type::Null)
            s.type = Value::Type::Text;   // a blank memo reads as ''
        return s;
    case Kind::Text:
        s.type = Value::Type::Text;
        s.text = QByteArrayView(o.bytes.constData(), o.keyLength);
        return s;
    case Kind::Param:
        return sideOf(paramValue(o, params), &o);
    default:
        s.type = Value::Type::Number;
        s.number = o.number;
        return s;
    }
}

bool fromField(const Side &s) { return s.src && s.src->kind == Kind::Field; }

QString describe(const Side &s)
{
    if (fromField(s))
        return QStringLiteral("字段 %1").arg(s.src->name);
    switch (s.type) {
    case Value::Type::Text: return QLatin1Char('\'') + gbk::decode(s.text.data(), s.text.size()) + QLatin1Char('\'');
    case Value::Type::Number: return formatNumber(s.number);
    case Value::Type::Date: return s.date.toString(QStringLiteral("yyyy-MM-dd"));
    case Value::Type::Bool: return s.logical ? QStringLiteral("T") : QStringLiteral("F");
    default: return QStringLiteral("空值");
    }
}

[[noreturn]] void mismatch(const Side &a, const Side &b)
{
    throw EngineError(QStringLiteral("类型不符：%1 不能与 %2 比较").arg(describe(a), describe(b)));
}

// Reads a text side as a number, date or logical value.
bool readAs(const Side &t, Value::Type type, Side &out)
{
    out = t;
    out.type = type;
    const Operand *lit = t.src && t.src->kind == Kind::Text ? t.src : nullptr;
    switch (type) {
    case Value::Type::Number:
        if (!lit)
            return parseNumber(t.text.data(), t.text.size(), out.number);
        out.number = lit->number;
        return lit->isNumber;
    case Value::Type::Date:
        if (!lit)
            return parseDate(t.text, out.date);
        out.date = lit->date;
        return lit->date.isValid();
    case Value::Type::Bool:
        if (!lit)
            return parseBool(t.text, out.logical);
        out.logical = lit->logical == 1;
        return lit->logical >= 0;
    default:
        return false;
    }
}

int compareSame(const Side &a, const Side &b)
{
    switch (a.type) {
    case Value::Type::Text: return compareBytes(a.text, b.text);
    case Value::Type::Number: return compareOrdered(a.number, b.number);
    case Value::Type::Date: return compareOrdered(a.date, b.date);
    case Value::Type::Bool: return compareOrdered(a.logical, b.logical);
    default: return 0;
    }
}

// Orders two sides into `r`; false when they cannot be compared (a null
// side, or a field whose text does not read as the other side's type).
// A literal or parameter of the wrong type throws.
bool orderSides(const Side &a, const Side &b, int &r)
{
    if (a.type == Value::Type::Null || b.type == Value::Type::Null)
        return false;
    if (a.type == b.type) {
        r = compareSame(a, b);
        return true;
    }
    if (a.type == Value::Type::Text || b.type == Value::Type::Text) {
        const bool aText = a.type == Value::Type::Text;
        const Side &t = aText ? a : b;
        const Side &other = aText ? b : a;
        Side converted;
        if (!readAs(t, other.type, converted)) {
            // A field that does not read as a number (or date), or a blank
            // text, is simply not equal; a literal or parameter is an error.
            if (fromField(t) || isBlank(t.text))
                return false;
            mismatch(other, t);
        }
        r = aText ? compareSame(converted, b) : compareSame(a, converted);
        return true;
    }
    if (fromField(a) && fromField(b))
        return false;
    mismatch(a, b);
}

bool applyOp(CompOp op, int r)
{
    switch (op) {
    case CompOp::Eq: return r == 0;
    case CompOp::Ne: return r != 0;
    case CompOp::Lt: return r < 0;
    case CompOp::Le: return r <= 0;
    case CompOp::Gt: return r > 0;
    case CompOp::Ge: return r >= 0;
    }
    return false;
}

// The text LIKE looks at: texts as they are, other values in their text form.
QByteArrayView likeText(const Side &s, QByteArray &buf)
{
    if (s.type == Value::Type::Text)
        return s.text;
    Value v;
    v.type = s.type;
    v.number = s.number;
    v.date = s.date;
    v.boolean = s.logical;
    buf = v.toBytes();
    return buf;
}

bool matchNode(const Node &n, const RowSource &row, const Params *params)
{
    switch (n.kind) {
    case Kind::Or:
        for (const Node &k : n.kids)
            if (matchNode(k, row, params))
                return true;
        return false;
    case Kind::And:
        for (const Node &k : n.kids)
            if (!matchNode(k, row, params))
                return false;
        return true;
    case Kind::Not:
        return !matchNode(n.kids.front(), row, params);
    case Kind::Compare: {
        Value ha, hb;
        const Side a = resolve(n.a, row, params, ha);
        const Side b = resolve(n.b, row, params, hb);
        if (n.prefix && a.type == Value::Type::Text)
            return a.text.startsWith(b.text) == (n.op == CompOp::Eq);
        int r = 0;
        return orderSides(a, b, r) && applyOp(n.op, r);
    }
    case Kind::Like: {
        Value ha, hb;
        const Side a = resolve(n.a, row, params, ha);
        const Side b = resolve(n.b, row, params, hb);
        if (a.type == Value::Type::Null || b.type == Value::Type::Null)
            return false;
        QByteArray bufA, bufB;
        return likeMatch(likeText(a, bufA), likeText(b, bufB), n.escape) != n.negated;
    }
    default:
        throw EngineError(QStringLiteral("此处需要一个条件，而不是单独的值“%1”")
                              .arg(n.a.kind == Kind::Number ? formatNumber(n.a.number) : n.a.name));
    }
}

// The text a literal or parameter stands for, trailing blanks cut; false for
// anything else (a number, an unset parameter).
bool constantText(const Operand &o, const Params *params, QByteArray &out)
{
    if (o.kind == Kind::Text) {
        out = QByteArray(o.bytes.constData(), o.keyLength);
        return true;
    }
    if (o.kind != Kind::Param)
        return false;
    const Value *v = params ? params->find(o.key) : nullptr;
    if (!v || v->type != Value::Type::Text)
        return false;
    out = trimBlanks(v->text).toByteArray();
    return true;
}

void collectKeyTerms(const Node &n, const Params *params, std::vector<BoundExpr::KeyTerm> &out)
{
    const bool textField = n.a.kind == Kind::Field && n.a.fieldKind == FieldKind::Text;
    switch (n.kind) {
    case Kind::And:
        for (const Node &k : n.kids)
            collectKeyTerms(k, params, out);
        return;
    case Kind::Compare: {
        if (n.op != CompOp::Eq)
            return;
        const bool rightField = !n.prefix && n.b.kind == Kind::Field && n.b.fieldKind == FieldKind::Text;
        if (textField == rightField)
            return; // no text field, or two of them
        BoundExpr::KeyTerm t;
        t.field = textField ? n.a.field : n.b.field;
        t.prefix = n.prefix;
        if (!constantText(textField ? n.b : n.a, params, t.text) || (t.prefix && t.text.isEmpty()))
            return;
        out.push_back(std::move(t));
        return;
    }
    case Kind::Like: {
        QByteArray pattern;
        if (n.negated || !textField || !constantText(n.b, params, pattern))
            return;
        // The characters before the first wildcard, walked whole.
        qsizetype i = 0;
        while (i < pattern.size() && pattern[i] != '%' && pattern[i] != '_')
            i += gbkCharLength(pattern, i);
        if (i == 0)
            return;
        BoundExpr::KeyTerm t;
        t.field = n.a.field;
        t.prefix = i < pattern.size();
        t.text = pattern.left(qMin(i, pattern.size()));
        out.push_back(std::move(t));
        return;
    }
    default: return;
    }
}

} // namespace

struct BoundExpr::Impl {
    Node root;
};

BoundExpr::BoundExpr(const ExprPtr &expr, const Schema &schema, const QString &tableName)
{
    if (expr)
        d = std::make_unique<Impl>(Impl{bindNode(*expr, schema, tableName)});
}

BoundExpr::BoundExpr() noexcept = default;
BoundExpr::~BoundExpr() = default;
BoundExpr::BoundExpr(const BoundExpr &o) : d(o.d ? std::make_unique<Impl>(*o.d) : nullptr) {}
BoundExpr &BoundExpr::operator=(const BoundExpr &o)
{
    if (this != &o)
        d = o.d ? std::make_unique<Impl>(*o.d) : nullptr;
    return *this;
}
BoundExpr::BoundExpr(BoundExpr &&) noexcept = default;
BoundExpr &BoundExpr::operator=(BoundExpr &&) noexcept = default;

bool BoundExpr::isEmpty() const { return !d; }

std::vector<BoundExpr::KeyTerm> BoundExpr::keyTerms(const Params *params) const
{
    std::vector<KeyTerm> out;
    if (d)
        collectKeyTerms(d->root, params, out);
    return out;
}

bool BoundExpr::matches(const RowSource &row, const Params *params) const
{
    return !d || matchNode(d->root, row, params);
}

Value BoundExpr::evaluate(const RowSource &row, const Params *params) const
{
    if (!d)
        return Value::null();
    const Node &n = d->root;
    switch (n.kind) {
    case Kind::Field: return row.value(n.a.field);
    case Kind::Text: return Value::fromBytes(n.a.bytes);
    case Kind::Number: return Value::fromNumber(n.a.number);
    case Kind::Param: return paramValue(n.a, params);
    default: return Value::fromBool(matchNode(n, row, params));
    }
}

int compareValues(const Value &a, const Value &b)
{
    if (a.type != b.type)
        return a.type < b.type ? -1 : 1;
    switch (a.type) {
    case Value::Type::Null: return 0;
    case Value::Type::Text: return compareBytes(trimBlanks(a.text), trimBlanks(b.text));
    case Value::Type::Number: return compareOrdered(a.number, b.number);
    case Value::Type::Date: return compareOrdered(a.date, b.date);
    case Value::Type::Bool: return compareOrdered(a.boolean, b.boolean);
    }
    return 0;
}

QString exactLiteral(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral("#'") + quoted + QLatin1Char('\'');
}

QString equalsFilter(const QString &field, const QString &value)
{
    return field + QLatin1Char('=') + exactLiteral(value);
}

QString prefixFilter(const QString &field, const QString &prefix)
{
    QString quoted = prefix;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return field + QStringLiteral("='") + quoted + QStringLiteral("*'");
}

} // namespace db
