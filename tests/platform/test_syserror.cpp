// The machine's reasons in the program's words.

#include "platform/core/syserror.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

TEST(SystemErrorText, TheSystemsReasonsComeOutInChinese)
{
    EXPECT_EQ(platform::systemErrorText(ENOSPC), QStringLiteral("磁盘空间不足"));
    EXPECT_EQ(platform::systemErrorText(12345), QStringLiteral("系统错误（代码 12345）"));

    // The texts the system and Qt put the reasons in.
    for (int code : {ENOSPC, EROFS, ENOTDIR, EACCES, ENOENT}) {
        const QString words = QString::fromLocal8Bit(std::strerror(code));
        EXPECT_EQ(platform::systemErrorText(words), platform::systemErrorText(code)) << qPrintable(words);
        EXPECT_EQ(platform::systemErrorText(QStringLiteral("/tmp/x: ") + words), platform::systemErrorText(code));
    }
    EXPECT_EQ(platform::systemErrorText(QStringLiteral("磁盘已满")), QStringLiteral("磁盘已满"));
    EXPECT_EQ(platform::systemErrorText(QStringLiteral("Unknown error 4711")), QStringLiteral("系统拒绝了这一操作"));
    EXPECT_EQ(platform::systemErrorText(QString()), QStringLiteral("系统拒绝了这一操作"));
}
