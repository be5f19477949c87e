#include "exchange/arjlist.h"
#include "exchange/format.h"
#include "arjbuild.h"
#include "peerwriter.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace exchange;

namespace {

QList<QByteArray> readOne(const QByteArray &text, int columns, LineStyle style = LineStyle::PlainLast)
{
    const QList<TextRow> rows = readExchangeText(text, columns, QStringLiteral("T.TXT"), style);
    EXPECT_EQ(rows.size(), 1);
    return rows.isEmpty() ? QList<QByteArray>() : rows.first().values;
}

QByteArray trimmedBytes(QByteArray v)
{
    while (!v.isEmpty() && quint8(v.front()) <= 0x20)
        v.remove(0, 1);
    while (!v.isEmpty() && quint8(v.back()) <= 0x20)
        v.chop(1);
    return v;
}

QString readError(const QByteArray &text, int columns, LineStyle style = LineStyle::PlainLast)
{
    try {
        readExchangeText(text, columns, QStringLiteral("CGWCR.TXT"), style);
    } catch (const FormatError &e) {
        return e.message();
    }
    return QString();
}

} // namespace

TEST(ExchangeFormat, QuotingRule)
{
    EXPECT_EQ(quoteValue("plain"), "plain");
    EXPECT_EQ(quoteValue("mid\"dle"), "mid\"dle");
    EXPECT_EQ(quoteValue("\"lead"), "\"\"\"lead\"");
    EXPECT_EQ(quoteValue("a\tb"), "\"a\tb\"");
    EXPECT_EQ(quoteValue("a\rb"), "\"a\rb\"");
    EXPECT_EQ(quoteValue("a\nb"), "\"a\nb\"");
    EXPECT_EQ(plainValue("\"x\ty\r\nz"), "x y  z");
    // Readers never unquote a first value: only what would end it goes.
    EXPECT_EQ(firstValue("\"k\ta\r\nb\rc\n"), "\"k a \nb\rc\n");
    EXPECT_EQ(escapeTextQuotes("a\"b\""), "a\"\"b\"\"");
    EXPECT_EQ(unescapeTextQuotes("a\"\"b\"\"\"\""), "a\"b\"\"");
    EXPECT_EQ(countQuotes("\"a\"\""), 3);
}

TEST(ExchangeFormat, LineLayouts)
{
    EXPECT_EQ(formatLine({"k", "a\tb", "c"}, LineStyle::TrailingTab), "k\t\"a\tb\"\tc\t\r\n");
    EXPECT_EQ(formatLine({"k", "\"q", "x\ty"}, LineStyle::PlainLast), "k\t\"\"\"q\"\tx y\r\n");
    EXPECT_EQ(formatLine({"k", "memo\"m"}, LineStyle::QuotedLast), "k\t\"memo\"\"m\"\r\n");
    EXPECT_EQ(formatLine({"\"k\t1", "v"}, LineStyle::PlainLast), "\"k 1\tv\r\n");
}

// Values with every troublesome byte survive a write and a read in each
// line style: the first value loses only what would end it, the last of a
// plain line is cleaned and trimmed.
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
            const QList<TextRow> rows = readExchangeText(line + line, width, QStringLiteral("P.TXT"), style);
            ASSERT_EQ(rows.size(), 2) << line.toStdString();
            QList<QByteArray> expected = values;
            expected.first() = firstValue(expected.first());
            if (style == LineStyle::PlainLast)
                expected.last() = columns == 1 ? plainValue(values.last()) : trimmedBytes(plainValue(values.last()));
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
    const QList<TextRow> rows = readExchangeText("a\t\"one\r\ntwo\"\tz\r\nb\tc\r\n", 3, QStringLiteral("T.TXT"), LineStyle::PlainLast);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].values, (QList<QByteArray>{"a", "one\r\ntwo", "z"}));
    EXPECT_EQ(rows[1].line, 3);
    EXPECT_EQ(rows[1].values, (QList<QByteArray>{"b", "c", ""}));
    // Blank lines, lines of TABs and blanks, an empty file.
    EXPECT_EQ(readExchangeText("a\tb\r\n\r\n  \r\n\t\t\t\r\nc\td", 2, QStringLiteral("T"), LineStyle::PlainLast).size(), 2);
    EXPECT_TRUE(readExchangeText("", 2, QStringLiteral("T"), LineStyle::PlainLast).isEmpty());
    EXPECT_EQ(readOne("k\t\"\"\tx", 3), (QList<QByteArray>{"k", "", "x"}));
    EXPECT_EQ(readOne("k\tmid\"q\"uote", 2), (QList<QByteArray>{"k", "mid\"q\"uote"}));
    // A line ends at CR LF only: a lone LF or CR belongs to its value.
    EXPECT_EQ(readOne("k\tone\ntwo\tlast\nline\r\n", 3), (QList<QByteArray>{"k", "one\ntwo", "last\nline"}));
    EXPECT_EQ(readOne("k\ta\rb\tc\r\n", 3), (QList<QByteArray>{"k", "a\rb", "c"}));
    // The first value is never unquoted; the last is not in plain files,
    // where it is trimmed; in the organisation file it is.
    EXPECT_EQ(readOne("\"k\"\tv", 2), (QList<QByteArray>{"\"k\"", "v"}));
    EXPECT_EQ(readOne("k\t\"last\r\n", 2), (QList<QByteArray>{"k", "\"last"}));
    EXPECT_EQ(readOne("k\t \"a\"\"b\" \r\n", 2), (QList<QByteArray>{"k", "\"a\"\"b\""}));
    EXPECT_EQ(readOne("k\t\"a\"\"\r\nb\"\r\n", 2, LineStyle::QuotedLast), (QList<QByteArray>{"k", "a\"\r\nb"}));
    // A quoted value closes where its quotes even out at a TAB or line end.
    EXPECT_EQ(readOne("k\t\"a\"\"\tb\"\tz", 3), (QList<QByteArray>{"k", "a\"\tb", "z"}));
}

TEST(ExchangeFormat, ReaderRefusesMalformedText)
{
    const QString extra = readError("a\tb\r\na\tb\tc\r\n", 2);
    EXPECT_TRUE(extra.contains(QStringLiteral("CGWCR.TXT 第2行"))) << extra.toStdString();
    EXPECT_TRUE(extra.contains(QStringLiteral("有3个值"))) << extra.toStdString();
    EXPECT_FALSE(readError("a\t\"b\"\tc\r\n", 2, LineStyle::QuotedLast).isEmpty());
    EXPECT_FALSE(readError("a\tb\t\r\n", 2).isEmpty());   // a TAB after the last value
    const QString unclosed = readError("a\tb\tc\r\nc\t\"never\r\nclosed\tx\r\n", 3);
    EXPECT_TRUE(unclosed.contains(QStringLiteral("第2行"))) << unclosed.toStdString();
    EXPECT_TRUE(unclosed.contains(QStringLiteral("没有结束引号")));
    EXPECT_FALSE(readError("a\t\"b\"c\tz\r\n", 3).isEmpty());
    // A file whose lines end at LF alone reads as one long line: said so.
    const QString lf = readError("a\tb\nc\td\n", 2);
    EXPECT_TRUE(lf.contains(QStringLiteral("CR LF"))) << lf.toStdString();
}

// Files as another installation writes them (tests/exchange/peerwriter.h):
// the rows come back value for value.
TEST(ExchangeFormat, ReadsWhatPeersWrite)
{
    namespace peer = testsupport::peer;
    const QByteArray gbkName("\xB3\xC9\xB9\xFB\xC3\xFB\xB3\xC6");   // 成果名称
    const QList<QList<QByteArray>> subRows{
        {"2005000001", ".", "1", "one\nline\nends", "a\tb", "\"lead", gbkName, "\"odd last"},
        {"2005000001", ".", "2", "mid\"quote", "", "memo\r\nof two lines", "x", "\"\"even\" last"},
        {"2005000002", ".", "3", "\"\"", "\t", "\r", "end\r", "last\nwith LF"},
    };
    QByteArray file;
    for (const auto &r : subRows)
        file += peer::subLine(r);
    const QList<TextRow> rows = readExchangeText(file, 8, QStringLiteral("CGWCDW.TXT"), LineStyle::PlainLast);
    ASSERT_EQ(rows.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(rows[i].values, subRows[i]) << i;
    EXPECT_EQ(rows[2].line, 4);   // the memo of row 2 spans two lines

    // The main-record file leaves the table's last column out; the persons
    // file its order number, writing the flag last.
    QList<QByteArray> main{"1", "\"q", gbkName, "two\r\nlines", "last written", "not written"};
    const QList<TextRow> mains = readExchangeText(peer::mainLine(main), 6, QStringLiteral("KJCG.TXT"), LineStyle::TrailingTab);
    ASSERT_EQ(mains.size(), 1);
    main.last() = "";
    EXPECT_EQ(mains[0].values, main);
    const QList<TextRow> persons = readExchangeText(peer::personLine({"2005000001", ".", "1", "\"x", "0", "7"}), 6,
                                                    QStringLiteral("CGWCR.TXT"), LineStyle::PlainLast);
    ASSERT_EQ(persons.size(), 1);
    EXPECT_EQ(persons[0].values, (QList<QByteArray>{"2005000001", ".", "1", "\"x", "0", ""}));

    // The organisation file: its last value always quoted, across lines.
    const QList<TextRow> units = readExchangeText(peer::unitLine({"01", "a\tb", "say \"hi\"\r\nbye"}) + peer::unitLine({"02", "", ""}),
                                                  3, QStringLiteral("UNIT.TXT"), LineStyle::QuotedLast);
    ASSERT_EQ(units.size(), 2);
    EXPECT_EQ(units[0].values, (QList<QByteArray>{"01", "a\tb", "say \"hi\"\r\nbye"}));
    EXPECT_EQ(units[1].values, (QList<QByteArray>{"02", "", ""}));
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
