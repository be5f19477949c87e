#include "output/pages/wrap.h"

#include "db/gbk.h"

#include <gtest/gtest.h>

namespace {

QByteArray gbk(const QString &s) { return db::gbk::encodeLossy(s); }

QList<QByteArray> lines(const QByteArray &wrapped)
{
    EXPECT_TRUE(wrapped.endsWith('\r'));
    EXPECT_FALSE(wrapped.contains('\n'));
    QList<QByteArray> l = wrapped.split('\r');
    l.removeLast();
    return l;
}

TEST(TruncNonChiChar1, ShortAndExactTexts)
{
    EXPECT_EQ(TruncNonChiChar1(QByteArray(), 24), QByteArray("\r"));
    EXPECT_EQ(TruncNonChiChar1(QByteArray("abc"), 24), QByteArray("abc\r"));
    const QByteArray exact(24, 'x');
    EXPECT_EQ(TruncNonChiChar1(exact, 24), exact + '\r');
    const QByteArray longer(30, 'y');
    EXPECT_EQ(TruncNonChiChar1(longer, 24), QByteArray(24, 'y') + '\r' + QByteArray(6, 'y') + '\r');
}

TEST(TruncNonChiChar1, NeverSplitsADoubleByteCharacter)
{
    // One single-byte character and twelve double-byte ones: 25 bytes.
    const QString twelve = QStringLiteral("成果完成单位名称通讯地址");
    const QByteArray text = gbk(QStringLiteral("a") + twelve);
    ASSERT_EQ(text.size(), 25);
    const auto l = lines(TruncNonChiChar1(text, 24));
    ASSERT_EQ(l.size(), 2);
    EXPECT_EQ(l[0].size(), 23);
    EXPECT_EQ(db::gbk::decode(l[1]), QStringLiteral("址"));

    // Pure double-byte text at an even width is cut every width bytes.
    const QByteArray chinese = gbk(twelve + twelve + twelve);   // 72 bytes
    const auto c = lines(TruncNonChiChar1(chinese, 20));
    ASSERT_EQ(c.size(), 4);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(c[i].size(), 20);
    EXPECT_EQ(c[3].size(), 12);
    QByteArray joined;
    for (const auto &line : c) {
        EXPECT_FALSE(db::gbk::decode(line).contains(QChar(QChar::ReplacementCharacter)));
        joined += line;
    }
    EXPECT_EQ(joined, chinese);
}

TEST(TruncNonChiChar1, TrailByteInTheLeadRangeIsNotALeadByte)
{
    // "中" is D6 D0: its trail byte is itself in the lead-byte range.  Width 3
    // takes "中" whole and leaves "x" for the next line.
    const QByteArray text = gbk(QStringLiteral("中x中"));
    EXPECT_EQ(TruncNonChiChar1(text, 3), gbk(QStringLiteral("中x")) + '\r' + gbk(QStringLiteral("中")) + '\r');
}

TEST(TruncNonChiChar1, TrailingUnpairedLeadByteIsDroppedAndTheRoutineEnds)
{
    QByteArray text = gbk(QStringLiteral("单位名称"));   // 8 bytes
    text.append(char(0xB5));                              // cut-off character
    EXPECT_EQ(TruncNonChiChar1(text, 4), gbk(QStringLiteral("单位")) + '\r' + gbk(QStringLiteral("名称")) + '\r');
    EXPECT_EQ(TruncNonChiChar1(text, 24), gbk(QStringLiteral("单位名称")) + '\r');
    EXPECT_EQ(TruncNonChiChar1(QByteArray(1, char(0xB5)), 24), QByteArray("\r"));
    // Widths below 2 would never place a double-byte character.
    EXPECT_EQ(TruncNonChiChar1(gbk(QStringLiteral("单位")), 1), gbk(QStringLiteral("单")) + '\r' + gbk(QStringLiteral("位")) + '\r');
}

TEST(TruncNonChiChar1, ProgramTextAndItsLines)
{
    const QString address = QStringLiteral("北京市海淀区中关村南大街5号科研楼");
    const QStringList l = wrappedLines(address, 24);
    ASSERT_EQ(l.size(), 2);
    EXPECT_EQ(l.join(QString()), address);
    for (const auto &line : l)
        EXPECT_LE(db::gbk::byteLength(line), 24);
    EXPECT_EQ(wrappedLines(QString(), 24), QStringList{QString()});
}

TEST(ResearchPeriod, SplitsAtTheWordBetweenStartAndEnd)
{
    const auto p = splitResearchPeriod(QStringLiteral("2005.03   至2007.11"));
    EXPECT_EQ(p.startYear, QStringLiteral("2005"));
    EXPECT_EQ(p.startMonth, QStringLiteral("03"));
    EXPECT_EQ(p.endYear, QStringLiteral("2007"));
    EXPECT_EQ(p.endMonth, QStringLiteral("11"));

    // A short end part keeps to its own characters: no half of "至" and no
    // blanks of the start part.
    const auto s = splitResearchPeriod(QStringLiteral("2005.03   至2007"));
    EXPECT_EQ(s.endYear, QStringLiteral("2007"));
    EXPECT_EQ(s.endMonth, QString());
    EXPECT_EQ(s.startMonth, QStringLiteral("03"));

    const auto none = splitResearchPeriod(QStringLiteral("   "));
    EXPECT_TRUE(none.startYear.isEmpty() && none.endYear.isEmpty());
    const auto startOnly = splitResearchPeriod(QStringLiteral("2005.03"));
    EXPECT_EQ(startOnly.startYear, QStringLiteral("2005"));
    EXPECT_EQ(startOnly.startMonth, QStringLiteral("03"));
    EXPECT_TRUE(startOnly.endYear.isEmpty());
}

// The other separators a stored period may hold keep its end date; a text
// that is no period prints whole rather than in pieces.
TEST(ResearchPeriod, DashesAndTildesSeparateTheDatesAndOtherTextPrintsWhole)
{
    for (const QString &t : {QStringLiteral("2019.03-2023.11"), QStringLiteral("2019.03—2023.11"),
                             QStringLiteral("2019.03~2023.11"), QStringLiteral("2019.03 ～ 2023.11"),
                             QStringLiteral("2019-03-2023-11"), QStringLiteral("2019年3月至2023年11月")}) {
        const auto p = splitResearchPeriod(t);
        EXPECT_EQ(p.startYear, QStringLiteral("2019")) << t.toStdString();
        EXPECT_EQ(p.endYear, QStringLiteral("2023")) << t.toStdString();
        EXPECT_EQ(p.startMonth.toInt(), 3) << t.toStdString();
        EXPECT_EQ(p.endMonth, QStringLiteral("11")) << t.toStdString();
    }
    const auto odd = splitResearchPeriod(QStringLiteral("自立项起三年"));
    EXPECT_EQ(odd.startYear, QStringLiteral("自立项起三年"));
    EXPECT_TRUE(odd.startMonth.isEmpty() && odd.endYear.isEmpty() && odd.endMonth.isEmpty());
    // Nothing of a longer part is cut off.
    const auto longer = splitResearchPeriod(QStringLiteral("2019.003至20231.11"));
    EXPECT_EQ(longer.startMonth, QStringLiteral("003"));
    EXPECT_EQ(longer.endYear, QStringLiteral("20231"));
}

// A character that stood for bytes that were not GBK stays "�" when its cell
// is wrapped, and counts one byte as its byte did.
TEST(TruncNonChiChar1, ReplacementCharactersStayAsTheyAre)
{
    const QString damaged = db::gbk::decode(QByteArray("\xB5\xA5\xCE\xBB\x80\xC3\xFB\xB3\xC6"));
    ASSERT_TRUE(damaged.contains(QChar(0xFFFD)));
    const QString wrapped = TruncNonChiChar1(damaged, 4);
    EXPECT_FALSE(wrapped.contains(QLatin1Char('?')));
    EXPECT_EQ(QString(wrapped).remove(QLatin1Char('\r')), damaged);
    for (const QString &line : wrappedLines(damaged, 4))
        EXPECT_LE(db::gbk::byteLength(line), 4);
    // Valid text wraps as its bytes do.
    const QString text = QStringLiteral("x北京市海淀区中关村南大街5号");
    EXPECT_EQ(TruncNonChiChar1(text, 24), db::gbk::decode(TruncNonChiChar1(db::gbk::encodeLossy(text), 24)));
    EXPECT_EQ(TruncNonChiChar1(text, 5), db::gbk::decode(TruncNonChiChar1(db::gbk::encodeLossy(text), 5)));
}

} // namespace
