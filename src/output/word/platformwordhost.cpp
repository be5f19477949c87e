#include "output/word/platformwordhost.h"

#include "output/word/documentopener.h"
#include "platform/core/seams.h"

#include <QDir>
#include <QStandardPaths>

namespace word {

bool PlatformWordHost::confirm(const QString &text, const QString &caption)
{
    return platform::messageBox(m_parent, text, caption, platform::Icon::None, platform::Ok | platform::Cancel)
           == platform::Ok;
}

void PlatformWordHost::error(const QString &text, const QString &details)
{
    platform::messageBox(m_parent, text, QStringLiteral("错误"), platform::Icon::Error, platform::Ok, details);
}

void PlatformWordHost::inform(const QString &text, const QString &caption)
{
    platform::messageBox(m_parent, text, caption, platform::Icon::Information, platform::Ok);
}

bool PlatformWordHost::startProgram(const QString &program, const QStringList &args, const Fallback &ifItFails)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return false;
    if (program == QLatin1String("soffice") && !writerShowsWindows(path))
        return false;
    if (program == QLatin1String("xdg-open") && !desktopShowsDocuments())
        return false;
    platform::ProgramFailed failed;
    if (ifItFails) {
        // Told later, when this host and perhaps its window are gone: a host
        // of its own speaks then, over whatever window is in front.
        failed = [ifItFails](const QString &) {
            PlatformWordHost later;
            ifItFails(later);
        };
    }
    return platform::startProgram(program, args, QDir::tempPath(), failed);
}

} // namespace word
