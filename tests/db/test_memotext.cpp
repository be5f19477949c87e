// The opening check walks each memo once to its end mark; it must judge
// every memo as reading the text and then checking it would.

#include "db/memofile.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// A memo file's mapping held in memory, released before the MemoFile would
// unmap it.
struct MappedMemo {
    db::MemoFile memo;
    QByteArray bytes;
    explicit MappedMemo(const QByteArray &text) : bytes(QByteArray(512, '\0') + text)
    {
        memo.map = bytes.constData();
        memo.mapSize = quint64(bytes.size());
    }
    ~MappedMemo() { memo.map = nullptr; }
    MappedMemo(const MappedMemo &) = delete;
    MappedMemo &operator=(const MappedMemo &) = delete;

    qsizetype walked() const
    {
        QByteArray scratch;
        return memo.unreadableAt(1, scratch);
    }
    qsizetype readThenChecked() const
    {
        QByteArray scratch;
        const QByteArrayView text = memo.view(1, scratch);
        const qsizetype readable = db::readableMemoLength(text);
        return readable < text.size() ? readable : -1;
    }
};

TEST(MemoText, TheOneWalkJudgesAsReadingAndCheckingDo)
{
    // Bytes near every edge of the rule: text, end mark, zero, GBK leads
    // and trails and the bytes that are neither.
    const uchar pool[] = {'a', ' ', '\r', '\n', 0x1A, 0x00, 0x3F, 0x40, 0x7E, 0x7F, 0x80, 0x81, 0xA1, 0xB0, 0xFE, 0xFF};
    // Long runs of letters and GBK bytes, between which the odd byte of the
    // whole pool falls, so that runs of every length and pairing meet it.
    const uchar plain[] = {0x40, 'a', 0x7E, 0x81, 0xB0, 0xC9, 0xFE};
    std::mt19937 random(20261209);
    for (int round = 0; round < 40000; ++round) {
        QByteArray text;
        const int length = int(random() % (round % 2 ? 12 : 48));
        const unsigned odd = 2 + random() % 12;
        for (int i = 0; i < length; ++i)
            text +=
                char(round % 2 || random() % odd == 0 ? pool[random() % sizeof pool] : plain[random() % sizeof plain]);
        text += '\x1A'; // every memo of the mapping ends somewhere
        const MappedMemo m(text);
        ASSERT_EQ(m.walked(), m.readThenChecked()) << "round " << round << ": " << text.toHex(' ').constData();
    }
    EXPECT_EQ(MappedMemo(QByteArray("\xB3\xC9\xB9\xFB\x1A\xFF", 6)).walked(), -1) << "what follows the end mark";
    EXPECT_EQ(MappedMemo(QByteArray("ab\xB3\x1A", 4)).walked(), 2) << "a lead byte cut by the end mark";
    EXPECT_EQ(MappedMemo(QByteArray("ab\0c\x1A", 5)).walked(), 2);
    // Eight GBK bytes, then a lead byte whose trail is not one.
    EXPECT_EQ(MappedMemo(QByteArray("\xB3\xC9\xB9\xFB\xB3\xC9\xB9\xFB\xB3\x20\x1A", 11)).walked(), 8);
    EXPECT_EQ(MappedMemo(QByteArray("a\xB3\xC9\xB9\xFB\xB3\xC9\xB9"
                                    "b \x1A",
                                    11))
                  .walked(),
              -1)
        << "a letter, then seven GBK bytes: the last is a lead byte whose trail is the next letter";
    EXPECT_EQ(MappedMemo(QByteArray("a\xB3\xC9\xB9\xFB\xB3\xC9\xB9 \x1A", 10)).walked(), 7);
}

} // namespace
