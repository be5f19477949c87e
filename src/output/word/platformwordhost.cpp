#include "output/word/platformwordhost.h"

#include "platform/core/seams.h"

#include <QDir>

namespace word {

bool PlatformWordHost::confirm(const QString &text, const QString &caption)
{
    return platform::messageBox(m_parent, text, caption, platform::Icon::None, platform::Ok | platform::Cancel)
           == platform::Ok;
}

void PlatformWordHost::error(const QString &text)
{
    platform::messageBox(m_parent, text, QStringLiteral("错误"), platform::Icon::Error, platform::Ok);
}

void PlatformWordHost::inform(const QString &text, const QString &caption)
{
    platform::messageBox(m_parent, text, caption, platform::Icon::Information, platform::Ok);
}

bool PlatformWordHost::startProgram(const QString &program, const QStringList &args)
{
    return platform::startProgram(program, args, QDir::tempPath());
}

} // namespace word
