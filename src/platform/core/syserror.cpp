#include "syserror.h"

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

struct Reason {
    int code;
    const char16_t *text;
};

const Reason kReasons[] = {
    {ENOSPC, u"磁盘空间不足"},
    {EDQUOT, u"磁盘配额已用完"},
    {EROFS, u"所在的文件系统是只读的"},
    {ENOTDIR, u"路径中有一部分不是文件夹"},
    {EISDIR, u"这是一个文件夹，不是文件"},
    {EACCES, u"没有访问权限"},
    {EPERM, u"操作不被允许"},
    {ENOENT, u"文件或文件夹不存在"},
    {EEXIST, u"文件已经存在"},
    {EIO, u"读写磁盘时出错"},
    {ENAMETOOLONG, u"文件名太长"},
    {ELOOP, u"路径中的符号链接太多"},
    {EMFILE, u"打开的文件太多"},
    {ENFILE, u"打开的文件太多"},
    {ENOMEM, u"内存不足"},
    {EBUSY, u"文件正被占用"},
    {ETXTBSY, u"文件正被占用"},
    {EFBIG, u"文件太大"},
    {EXDEV, u"不能跨文件系统移动"},
    {EINVAL, u"参数无效"},
};

bool hasLatinLetter(const QString &s)
{
    for (const QChar c : s)
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))
            return true;
    return false;
}

} // namespace

QString systemErrorText(int code)
{
    for (const Reason &r : kReasons)
        if (r.code == code)
            return QString::fromUtf16(r.text);
    return QStringLiteral("系统错误（代码 %1）").arg(code);
}

QString systemErrorText(const QString &systemMessage)
{
    if (systemMessage.trimmed().isEmpty())
        return QStringLiteral("系统拒绝了这一操作");
    if (!hasLatinLetter(systemMessage))
        return systemMessage;
    for (const Reason &r : kReasons) {
        const QString words = QString::fromLocal8Bit(std::strerror(r.code));
        if (systemMessage.contains(words, Qt::CaseInsensitive))
            return QString::fromUtf16(r.text);
    }
    return QStringLiteral("系统拒绝了这一操作");
}

} // namespace platform
