#include "dispatch.h"

#include "base/error.h"
#include "platform/core/seams.h"

#include <exception>

namespace platform {
namespace {
QString &errorCaption()
{
    static QString caption;
    return caption;
}
} // namespace

void setErrorCaption(const QString &caption)
{
    errorCaption() = caption;
}

bool runHandler(QWidget *owner, const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const SilentAbort &) {
    } catch (const base::Error &e) {
        messageBox(owner, e.message(), errorCaption(), Icon::Error, Ok);
    } catch (const std::exception &e) {
        messageBox(owner, QString::fromLocal8Bit(e.what()), errorCaption(), Icon::Error, Ok);
    }
    return false;
}

} // namespace platform
