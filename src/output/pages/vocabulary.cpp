#include "vocabulary.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <stdexcept>

QStringList CheckItem::boxNames() const
{
    QStringList names;
    for (const auto &line : lines)
        for (const auto &o : line)
            names << boxName(o.code);
    return names;
}

QList<CheckOption> CheckItem::options() const
{
    QList<CheckOption> all;
    for (const auto &line : lines)
        all += line;
    return all;
}

bool CheckItem::hasCode(const QString &code) const
{
    for (const auto &line : lines)
        for (const auto &o : line)
            if (o.code == code)
                return true;
    return false;
}

bool CheckItem::onPage(FormFamily family, int page) const
{
    return (family == FormFamily::Applied ? appliedPages : basicPages).contains(page);
}

namespace {

[[noreturn]] void malformed(int lineNo, const QString &why)
{
    throw std::runtime_error(QStringLiteral("check-box vocabulary, line %1: %2").arg(lineNo).arg(why).toStdString());
}

} // namespace

QList<CheckItem> parseVocabulary(const QString &text, FormFamily family)
{
    static const QRegularExpression head(QStringLiteral(R"(^\[(\S+) (\S+) (single|multi) (\S+) (\S+)\]$)"));
    QList<CheckItem> all;
    CheckItem *current = nullptr;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const auto m = head.match(line);
            if (!m.hasMatch())
                malformed(i + 1, QStringLiteral("bad item heading"));
            CheckItem item;
            item.field = m.captured(1);
            item.prefix = m.captured(2);
            if (item.prefix.size() != 3)
                malformed(i + 1, QStringLiteral("prefix must have three characters"));
            item.multiple = m.captured(3) == QLatin1String("multi");
            for (const QString &p : m.captured(4).split(QLatin1Char(','))) {
                const QStringList fp = p.split(QLatin1Char(':'));
                bool ok = false;
                const int page = fp.value(1).toInt(&ok);
                if (fp.size() != 2 || !ok)
                    malformed(i + 1, QStringLiteral("bad page ") + p);
                if (fp[0] == QLatin1String("yy"))
                    item.appliedPages << page;
                else if (fp[0] == QLatin1String("rj"))
                    item.basicPages << page;
                else
                    malformed(i + 1, QStringLiteral("unknown family ") + fp[0]);
            }
            item.caption = m.captured(5);
            all << item;
            current = &all.last();
            continue;
        }
        if (!current)
            malformed(i + 1, QStringLiteral("options before the first item"));
        QList<CheckOption> printed;
        for (const QString &part : line.split(QStringLiteral(" | "))) {
            const QString p = part.trimmed();
            const qsizetype blank = p.indexOf(QLatin1Char(' '));
            if (blank <= 0 || blank > 2 || p.mid(blank + 1).trimmed().isEmpty())
                malformed(i + 1, QStringLiteral("option needs a code of one or two characters and a text"));
            const QString code = p.left(blank);
            const bool onThisLine = std::any_of(printed.cbegin(), printed.cend(),
                                                [&](const CheckOption &o) { return o.code == code; });
            if (onThisLine || current->hasCode(code))
                malformed(i + 1, QStringLiteral("code %1 twice").arg(code));
            printed << CheckOption{code, p.mid(blank + 1).trimmed()};
        }
        current->lines << printed;
    }
    QList<CheckItem> result;
    for (const auto &item : all)
        if (!(family == FormFamily::Applied ? item.appliedPages : item.basicPages).isEmpty())
            result << item;
    return result;
}

namespace {

QString vocabularyText()
{
    QFile f(QStringLiteral(":/forms/vocabulary.txt"));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("check-box vocabulary missing from the program's resources");
    return QString::fromUtf8(f.readAll());
}

} // namespace

const QList<CheckItem> &checkItems(FormFamily family)
{
    static const QList<CheckItem> applied = parseVocabulary(vocabularyText(), FormFamily::Applied);
    static const QList<CheckItem> basic = parseVocabulary(vocabularyText(), FormFamily::BasicTheory);
    return family == FormFamily::Applied ? applied : basic;
}

QList<CheckItem> checkItemsOnPage(FormFamily family, int page)
{
    QList<CheckItem> items;
    for (const auto &item : checkItems(family))
        if (item.onPage(family, page))
            items << item;
    return items;
}

const CheckItem &checkItem(FormFamily family, const QString &field)
{
    for (const auto &item : checkItems(family))
        if (item.field == field)
            return item;
    throw std::out_of_range(("no check-box row for " + field).toStdString());
}
