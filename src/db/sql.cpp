#include "sql.h"

#include "error.h"

namespace db {
namespace {

// Words that cannot be used as unquoted table or field names.
const char *const Reserved[] = {"select", "distinct", "from", "where", "order", "by", "asc", "desc", "delete",
                                "update", "set", "insert", "into", "values", "and", "or", "not", "like"};

bool sameWord(const QString &s, const char *word)
{
    return s.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// Reads statements token by token; conditions and values are handed to the
// expression parser, which reports where it stopped.
class StatementParser {
public:
    explicit StatementParser(const QString &sql) : m_s(sql) {}

    Statement parse()
    {
        const Tok first = peek();
        if (first.kind == Tok::End)
            throw EngineError(QStringLiteral("语句为空"));
        Statement st;
        if (acceptWord("select"))
            st = select();
        else if (acceptWord("delete"))
            st = remove();
        else if (acceptWord("update"))
            st = update();
        else if (acceptWord("insert"))
            st = insert();
        else
            throw EngineError(QStringLiteral("无法识别的语句“%1”").arg(first.text));
        const bool semicolon = acceptSym(u';');
        const Tok rest = peek();
        if (rest.kind != Tok::End) {
            if (semicolon)
                throw EngineError(QStringLiteral("一次只能执行一条语句（在“%1”附近）").arg(snippet(rest)));
            fail(rest);
        }
        return st;
    }

private:
    struct Tok {
        enum Kind { End, Word, Name, Sym } kind = End;
        QString text;   // a word, an unquoted name, or the symbol
        qsizetype pos = 0, end = 0;
    };

    Tok peek() const
    {
        const qsizetype n = m_s.size();
        qsizetype i = m_pos;
        while (i < n && m_s[i].isSpace())
            ++i;
        Tok t;
        t.pos = t.end = i;
        if (i >= n)
            return t;
        const QChar c = m_s[i];
        if (c.isLetterOrNumber() || c == u'_') {
            while (i < n && (m_s[i].isLetterOrNumber() || m_s[i] == u'_'))
                ++i;
            t.kind = Tok::Word;
            t.text = m_s.mid(t.pos, i - t.pos);
        } else if (c == u'"') {
            // "" inside a quoted name stands for one quote.
            for (++i;; ++i) {
                if (i >= n)
                    throw EngineError(QStringLiteral("从第 %1 个字符开始的带引号名称没有结束").arg(t.pos + 1));
                if (m_s[i] == u'"') {
                    if (i + 1 < n && m_s[i + 1] == u'"') {
                        t.text += u'"';
                        ++i;
                        continue;
                    }
                    break;
                }
                t.text += m_s[i];
            }
            ++i;
            t.kind = Tok::Name;
        } else {
            ++i;
            t.kind = Tok::Sym;
            t.text = c;
        }
        t.end = i;
        return t;
    }

    Tok take()
    {
        Tok t = peek();
        m_pos = t.end;
        return t;
    }

    bool acceptWord(const char *word)
    {
        const Tok t = peek();
        if (t.kind != Tok::Word || !sameWord(t.text, word))
            return false;
        m_pos = t.end;
        return true;
    }

    void expectWord(const char *word)
    {
        if (!acceptWord(word))
            fail(peek());
    }

    bool acceptSym(char16_t c)
    {
        const Tok t = peek();
        if (t.kind != Tok::Sym || t.text[0] != c)
            return false;
        m_pos = t.end;
        return true;
    }

    void expectSym(char16_t c)
    {
        if (!acceptSym(c))
            fail(peek());
    }

    QString snippet(const Tok &t) const { return m_s.mid(t.pos, qMin<qsizetype>(t.end - t.pos, 40)); }

    [[noreturn]] void fail(const Tok &t) const
    {
        if (t.kind == Tok::End)
            throw EngineError(QStringLiteral("语句不完整，意外结束"));
        throw EngineError(QStringLiteral("语句在“%1”附近有语法错误（第 %2 个字符）").arg(snippet(t)).arg(t.pos + 1));
    }

    // A table or field name: a word that is not a keyword, or a quoted name.
    QString name()
    {
        const Tok t = take();
        if (t.kind == Tok::Name && !t.text.isEmpty())
            return t.text;
        if (t.kind != Tok::Word)
            fail(t);
        for (const char *word : Reserved)
            if (sameWord(t.text, word))
                fail(t);
        return t.text;
    }

    ExprPtr expression(bool condition)
    {
        qsizetype pos = m_pos;
        ExprPtr e = parseExpressionAt(m_s, pos, ExprMode::Sql, condition);
        m_pos = pos;
        return e;
    }

    ExprPtr optionalWhere() { return acceptWord("where") ? expression(true) : nullptr; }

    SelectStatement select()
    {
        SelectStatement s;
        s.distinct = acceptWord("distinct");
        if (acceptSym(u'*')) {
            s.projection = SelectStatement::Projection::All;
        } else {
            const qsizetype start = m_pos;
            if (acceptWord("max") && acceptSym(u'(')) {
                s.projection = SelectStatement::Projection::Max;
                s.field = name();
                expectSym(u')');
            } else {
                m_pos = start;
                s.projection = SelectStatement::Projection::Field;
                s.field = name();
            }
        }
        if (s.distinct && s.projection != SelectStatement::Projection::Field)
            throw EngineError(QStringLiteral("select distinct 只能选择一个字段"));
        if (peek().kind == Tok::Sym && peek().text == u",")
            throw EngineError(QStringLiteral("只能选择一个字段或“*”（在“%1”附近）").arg(snippet(peek())));
        expectWord("from");
        s.table = name();
        s.where = optionalWhere();
        if (acceptWord("order")) {
            expectWord("by");
            do {
                OrderItem item;
                item.field = name();
                if (acceptWord("desc"))
                    item.descending = true;
                else
                    acceptWord("asc");
                s.orderBy.append(item);
            } while (acceptSym(u','));
        }
        return s;
    }

    DeleteStatement remove()
    {
        DeleteStatement d;
        expectWord("from");
        d.table = name();
        d.where = optionalWhere();
        return d;
    }

    UpdateStatement update()
    {
        UpdateStatement u;
        u.table = name();
        expectWord("set");
        do {
            const QString field = name();
            expectSym(u'=');
            u.assignments.append({field, expression(false)});
        } while (acceptSym(u','));
        u.where = optionalWhere();
        return u;
    }

    InsertStatement insert()
    {
        InsertStatement ins;
        expectWord("into");
        ins.table = name();
        expectSym(u'(');
        do
            ins.columns.append(name());
        while (acceptSym(u','));
        expectSym(u')');
        expectWord("values");
        expectSym(u'(');
        do
            ins.values.append(expression(false));
        while (acceptSym(u','));
        expectSym(u')');
        if (ins.columns.size() != ins.values.size())
            throw EngineError(QStringLiteral("insert 语句列出了 %1 个字段，却给出了 %2 个值")
                                  .arg(ins.columns.size())
                                  .arg(ins.values.size()));
        return ins;
    }

    const QString &m_s;
    qsizetype m_pos = 0;
};

} // namespace

Statement parseStatement(const QString &sql)
{
    return StatementParser(sql).parse();
}

QStringList statementParams(const Statement &st)
{
    QStringList out;
    auto add = [&out](const ExprPtr &e) {
        for (const QString &p : expressionParams(e))
            if (!out.contains(p))
                out.append(p);
    };
    if (const auto *s = std::get_if<SelectStatement>(&st)) {
        add(s->where);
    } else if (const auto *d = std::get_if<DeleteStatement>(&st)) {
        add(d->where);
    } else if (const auto *u = std::get_if<UpdateStatement>(&st)) {
        for (const auto &a : u->assignments)
            add(a.second);
        add(u->where);
    } else if (const auto *i = std::get_if<InsertStatement>(&st)) {
        for (const ExprPtr &v : i->values)
            add(v);
    }
    return out;
}

} // namespace db
