#include "output/word/wordvalues.h"

#include "data/codetexts.h"
#include "db/gbk.h"

#include <QHash>

namespace word {

void CodeTables::addDict(const QString &key, const QString &code, const QString &name)
{
    const QString k = key + QChar(0x1f) + code;
    if (!m_dict.contains(k))
        m_dict.insert(k, name);
}

void CodeTables::addSubject(const QString &code, const QString &name)
{
    markSubjectsPresent();
    m_subjects->insert(code, name);
}

void CodeTables::addLibraryClass(const QString &code, const QString &name)
{
    markLibraryPresent();
    m_library->insert(code, name);
}

QString CodeTables::dict(const QString &key, const QString &code) const
{
    return m_dict.value(key + QChar(0x1f) + code);
}

std::optional<QString> CodeTables::subject(const QString &code) const
{
    if (!m_subjects)
        return std::nullopt;
    return m_subjects->value(code);
}

std::optional<QString> CodeTables::libraryClass(const QString &code) const
{
    if (!m_library)
        return std::nullopt;
    return m_library->value(code);
}

QString getDictName(const CodeTables &t, const QString &key, const QString &code)
{
    return t.dict(key, code);
}

QString getDictNames2(const CodeTables &t, const QString &key, const QString &value)
{
    if (value.isEmpty())
        return QString();
    const int first = value.indexOf(u';');
    if (first < 0)
        return getDictName(t, key, value);
    const QString code1 = value.left(first).trimmed();
    const QString rest = value.mid(first + 1);
    const int second = rest.indexOf(u';');
    const QString code2 = second < 0 ? QString() : rest.left(second).trimmed();
    return getDictName(t, key, code1) + u';' + (code2.isEmpty() ? QString() : getDictName(t, key, code2));
}

QString getDictNameList(const CodeTables &t, const QString &key, const QString &value)
{
    if (value.isEmpty())
        return QString();
    QString result;
    QString rest = value;
    do {
        const int semi = rest.indexOf(u';');
        const QString code = semi < 0 ? QString() : rest.left(semi);
        rest = semi < 0 ? QString() : rest.mid(semi + 1);
        result += getDictName(t, key, code) + u';';
    } while (rest.contains(u';'));
    return result;
}

namespace {

// "2004.01" -> "2004年01月"; an empty part stays empty.
QString yearMonth(const QString &part)
{
    if (part.isEmpty())
        return QString();
    const int dot = part.indexOf(u'.');
    if (dot < 0)
        return part + QStringLiteral("年");
    return part.left(dot) + QStringLiteral("年") + part.mid(dot + 1) + QStringLiteral("月");
}

// Bytes [from, from + count) of the GBK form of a text (1-based like the
// stored layouts are described), never splitting a double-byte character.
QString bytesMid(const QString &text, int from, int count)
{
    const QByteArray bytes = db::gbk::encodeLossy(text);
    int start = from - 1;
    if (start >= bytes.size())
        return QString();
    // Step over a trail byte so the cut begins on a character.
    int pos = 0;
    while (pos < start)
        pos += db::gbk::isLeadByte(static_cast<unsigned char>(bytes[pos])) && pos + 1 < bytes.size() ? 2 : 1;
    const QByteArray piece = db::gbk::cutBytes(bytes.mid(pos), count - (pos - start));
    return db::gbk::decode(piece);
}

} // namespace

std::pair<QString, QString> splitDateRange(const QString &period)
{
    if (period.isEmpty())
        return {};
    const int to = period.indexOf(QStringLiteral("至"));
    if (to < 0)
        return {yearMonth(period.trimmed()), QString()};
    // The entry page writes blanks before "至"; they are trimmed, and a
    // period written without them loses no digit of its start.
    return {yearMonth(period.left(to).trimmed()), yearMonth(period.mid(to + 1).trimmed())};
}

std::array<QString, 3> splitSemicolon3(const QString &value)
{
    std::array<QString, 3> parts;
    QString rest = value;
    for (int i = 0; i < 3; ++i) {
        const int semi = rest.indexOf(u';');
        if (semi < 0) {
            parts[i] = rest;
            break;
        }
        parts[i] = rest.left(semi);
        rest = rest.mid(semi + 1);
    }
    return parts;
}

std::array<QString, 3> splitDate(const QString &date)
{
    if (date.isEmpty())
        return {};
    return {bytesMid(date, 1, 4), bytesMid(date, 6, 2), bytesMid(date, 9, 2)};
}

QString padded(const QString &text, int bytes)
{
    return db::gbk::byteLength(text) < bytes ? text + u'\r' : text;
}

QString sexText(const QString &code) { return codetexts::text(codetexts::sex(), code); }
QString titleText(const QString &code) { return codetexts::text(codetexts::title(), code); }
QString educationText(const QString &code) { return codetexts::text(codetexts::education(), code); }
QString abroadText(const QString &code) { return codetexts::text(codetexts::abroad(), code); }

} // namespace word
