#include "exchange/arjoutput.h"

#include "db/gbk.h"

#include <QByteArray>

namespace exchange {

namespace {

// The lines `arj` writes while it works on a member, each followed by the
// member's name padded with blanks.
const char *const kMemberVerbs[] = {"Extracting ", "Adding ", "Testing ", "Replacing ", "Updating "};

QByteArrayView memberOnLine(QByteArrayView line)
{
    for (const char *verb : kMemberVerbs) {
        if (!line.startsWith(verb))
            continue;
        QByteArrayView rest = line.sliced(qstrlen(verb));
        while (rest.startsWith(' '))
            rest = rest.sliced(1);
        // The name ends where its padding or the first remark begins.
        qsizetype end = rest.size();
        for (const char *stop : {"  ", ", "}) {
            const qsizetype at = rest.indexOf(stop);
            if (at >= 0 && at < end)
                end = at;
        }
        return rest.first(end).trimmed();
    }
    return {};
}

QString what(int exitCode, QByteArrayView output, bool memberKnown)
{
    switch (exitCode) {
    case 3:
        return memberKnown ? QStringLiteral("该文件已损坏（校验和不符）") : QStringLiteral("压缩包已损坏（校验和不符）");
    case 4:
        return QStringLiteral("压缩包受安全保护，不能处理");
    case 5:
        return QStringLiteral("磁盘已满或无法写入");
    case 6:
        return QStringLiteral("压缩包或其中的文件无法打开");
    case 8:
        return QStringLiteral("内存不足");
    case 9:
        return QStringLiteral("该文件不是ARJ压缩包");
    case 11:
        return QStringLiteral("压缩程序被中断");
    default:
        break;
    }
    if (output.toByteArray().toLower().contains("unexpected end of file"))
        return QStringLiteral("压缩包不完整（文件在中途结束），可能在传送中损坏");
    return QStringLiteral("压缩程序出错（退出码%1）").arg(exitCode);
}

} // namespace

QByteArray arjFailedMember(QByteArrayView output)
{
    QByteArrayView current;
    qsizetype pos = 0;
    while (pos < output.size()) {
        qsizetype end = pos;
        while (end < output.size() && output[end] != '\n' && output[end] != '\r')
            ++end;
        QByteArrayView line = output.sliced(pos, end - pos).trimmed();
        pos = end + 1;
        const QByteArrayView member = memberOnLine(line);
        if (!member.isEmpty())
            current = member;
        if (line.contains("CRC error") && !current.isEmpty())
            return current.toByteArray();
        // A member the line reports done is not the one that failed.
        if (!member.isEmpty() && line.endsWith(" OK"))
            current = {};
    }
    return current.toByteArray();
}

QString arjFailure(ArjTask task, int exitCode, QByteArrayView output)
{
    const QByteArray member = arjFailedMember(output);
    QString text = task == ArjTask::Unpack ? QStringLiteral("解压失败：") : QStringLiteral("打包失败：");
    if (!member.isEmpty())
        text += QStringLiteral("文件%1，").arg(db::gbk::excerpt(member));
    text += what(exitCode, output, !member.isEmpty()) + QStringLiteral("。");
    if (task == ArjTask::Unpack && (exitCode == 3 || exitCode == 2))
        text += QStringLiteral("请向发送单位重新索取导入包。");
    return text;
}

QString arjMissing(const QString &program)
{
    if (program.contains(QLatin1Char('/')))
        return QStringLiteral("无法启动压缩程序“%1”，请检查该文件是否存在、能否执行。").arg(program);
    return QStringLiteral("找不到压缩程序“%1”，无法打包或解压。请先安装它（Debian 软件包 arj，例如：sudo apt-get install arj）。")
        .arg(program);
}

} // namespace exchange
