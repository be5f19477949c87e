#include "output/word/platformwordhost.h"

#include "platform/core/seams.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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
    if (program == QLatin1String("soffice")) {
        const QString path = QStandardPaths::findExecutable(program);
        if (path.isEmpty() || !writerShowsWindows(path))
            return false;
    }
    return platform::startProgram(program, args, QDir::tempPath());
}

bool writerShowsWindows(const QString &sofficePath)
{
    const QDir folder = QFileInfo(QFileInfo(sofficePath).canonicalFilePath()).dir();
    if (!folder.exists(QStringLiteral("soffice.bin")))
        return true;
    return !folder.entryList({QStringLiteral("libvclplug_*")}, QDir::Files).isEmpty();
}

} // namespace word
