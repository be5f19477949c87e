#include "exchange/arjlist.h"
#include "exchange/format.h"
#include "arjbuild.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace exchange;

namespace {

QList<QByteArray> readOne(const QByteArray &text, int columns)
{
    const QList<TextRow> rows = readExchangeText(text, columns, QStringLiteral("T.TXT"));
    EXPECT_EQ(rows.size(), 1);
    return rows.isEmpty() ? QList<QByteArray>() : rows.first().values;
}

} // namespace

TEST(ExchangeFormat, QuotingRule)
{
    EXPECT_EQ(quoteValue("plain"), "plain");
    EXPECT_EQ(quoteValue("mid\"dle"), "mid\"dle");
    EXPECT_EQ(quoteValue("\"lead"), "\"\"\"lead\"");
    EXPECT_EQ(quoteValue("a\tb"), "\"a\tb\"");
    EXPECT_EQ(quoteValue("a\rb"), "\"a\rb\"");
    // A lone LF would end the line for readers that split at LF.
    EXPECT_EQ(quoteValue("a\nb"), "\"a\nb\"");
    EXPECT_EQ(plainValue("\"x\ty\r\nz"), "x y  z");
    EXPECT_EQ(escapeTextQuotes("a\"b\""), "a\"\"b\"\"");
    EXPECT_EQ(unescapeTextQuotes("a\"\"b\"\"\"\""), "a\"b\"\"");
    EXPECT_EQ(countQuotes("\"a\"\""), 3);
}

TEST(ExchangeFormat, LineLayouts)
{
    EXPECT_EQ(formatLine({"k", "a\tb", "c"}, LineStyle::TrailingTab), "k\t\"a\tb\"\tc\t\r\n");
    EXPECT_EQ(formatLine({"k", "\"q", "x\ty"}, LineStyle::PlainLast), "k\t\"\"\"q\"\tx y\r\n");
    EXPECT_EQ(formatLine({"k", "memo\"m"}, LineStyle::QuotedLast), "k\t\"memo\"\"m\"\r\n");
}

// Values with every troublesome byte survive a write and a read in each
// line style (the last value of PlainLast is the one that is cleaned).
TEST(ExchangeFormat, RoundTripProperty)
{
    const QList<QByteArray> pieces{"\t", "\r", "\n", "\r\n", "\"", "\"\"", "a", " ", "\xB3\xC9\xB9\xFB",
                                   "\xD6\x5F", "x\"y", "\x81\x40", "2005-03-01", ""};
    QRandomGenerator rng(20261208);
    for (int round = 0; round < 3000; ++round) {
        const int columns = 1 + rng.bounded(7);
        QList<QByteArray> values;
        for (int c = 0; c < columns; ++c) {
            QByteArray v;
            const int parts = rng.bounded(5);
            for (int k = 0; k < parts; ++k)
                v += pieces[rng.bounded(pieces.size())];
            values << v;
        }
        values[0] = "K" + values[0];   // rows never start blank
        for (LineStyle style : {LineStyle::TrailingTab, LineStyle::PlainLast, LineStyle::QuotedLast}) {
            const QByteArray line = formatLine(values, style);
            const int width = style == LineStyle::TrailingTab ? columns + 1 : columns;
            // Two rows in one file: the first must not bleed into the second.
            const QList<TextRow> rows = readExchangeText(line + line, width, QStringLiteral("P.TXT"));
            ASSERT_EQ(rows.size(), 2) << line.toStdString();
            QList<QByteArray> expected = values;
            if (style == LineStyle::PlainLast)
                expected.last() = plainValue(expected.last());
            if (style == LineStyle::TrailingTab)
                expected << QByteArray();
            for (const TextRow &r : rows)
                ASSERT_EQ(r.values, expected) << line.toStdString();
        }
    }
}

TEST(ExchangeFormat, ReaderLinesAndPadding)
{
    // A memo of two lines spans two lines of the file and comes back whole.
    const QList<TextRow> rows = readExchangeText("a\t\"one\r\ntwo\"\tz\r\nb\tc\r\n", 3, QStringLiteral("T.TXT"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].values, (QList<QByteArray>{"a", "one\r\ntwo", "z"}));
    EXPECT_EQ(rows[1].line, 3);
    EXPECT_EQ(rows[1].values, (QList<QByteArray>{"b", "c", ""}));
    // LF-only line ends, blank lines and an empty file.
    EXPECT_EQ(readExchangeText("a\tb\n\n  \r\n\t\t\r\nc\td", 2, QStringLiteral("T")).size(), 2);
    EXPECT_TRUE(readExchangeText("", 2, QStringLiteral("T")).isEmpty());
    EXPECT_EQ(readOne("\"\"\tx", 2), (QList<QByteArray>{"", "x"}));
    EXPECT_EQ(readOne("k\tmid\"q\"uote", 2), (QList<QByteArray>{"k", "mid\"q\"uote"}));
}

TEST(ExchangeFormat, ReaderRefusesMalformedText)
{
    const auto errorOf = [](const QByteArray &text, int columns) -> QString {
        try {
            readExchangeText(text, columns, QStringLiteral("CGWCR.TXT"));
        } catch (const FormatError &e) {
            return e.message();
        }
        return QString();
    };
    const QString extra = errorOf("a\tb\r\na\tb\tc\r\n", 2);
    EXPECT_TRUE(extra.contains(QStringLiteral("CGWCR.TXT 第2行"))) << extra.toStdString();
    EXPECT_TRUE(extra.contains(QStringLiteral("有3个值"))) << extra.toStdString();
    const QString unclosed = errorOf("a\tb\r\nc\t\"never\r\nclosed\tx\r\n", 3);
    EXPECT_TRUE(unclosed.contains(QStringLiteral("第2行"))) << unclosed.toStdString();
    EXPECT_TRUE(unclosed.contains(QStringLiteral("没有结束引号")));
    EXPECT_FALSE(errorOf("a\t\"b\"c\r\n", 2).isEmpty());
}

TEST(ArjMemberList, ListsPlainMembers)
{
    using testsupport::buildArj;
    const QList<ArjMember> m = listArjMembers(buildArj({{"KJCG.TXT", "abc"}, {"unit.txt", "", 1}}));
    ASSERT_EQ(m.size(), 2);
    EXPECT_EQ(m[0].name, "KJCG.TXT");
    EXPECT_EQ(m[0].originalSize, 3u);
    EXPECT_EQ(m[1].name, "unit.txt");
}

TEST(ArjMemberList, RefusesUnsafeOrDamagedArchives)
{
    using testsupport::ArjEntry;
    using testsupport::buildArj;
    const QList<QList<ArjEntry>> bad{
        {{"sub/KJCG.TXT", "x"}},  {{"..\\KJCG.TXT", "x"}}, {{"..", "x"}},          {{".profile", "x"}},
        {{"C:KJCG.TXT", "x"}},    {{"/etc/passwd", "x"}},  {{"KJCG.TXT", "x"}, {"kjcg.txt", "y"}},
        {{"DIR", "", 3}},         {{"A.TXT", "x", 0, 0x01}}, {{"", "x"}},
    };
    for (const auto &entries : bad)
        EXPECT_THROW(listArjMembers(buildArj(entries)), ArchiveError) << entries.first().name.toStdString();

    const QByteArray good = buildArj({{"KJCG.TXT", "abcdef"}});
    EXPECT_THROW(listArjMembers(good.left(good.size() - 8)), ArchiveError);   // data cut off
    QByteArray crcBroken = good;
    crcBroken[10] = char(crcBroken[10] ^ 1);
    EXPECT_THROW(listArjMembers(crcBroken), ArchiveError);
    EXPECT_THROW(listArjMembers("PK\x03\x04 not arj"), ArchiveError);
    EXPECT_THROW(listArjMembers(""), ArchiveError);
}
