#include "idle.h"

#include <atomic>

namespace db {

namespace {
std::atomic<IdleHook> g_hook{nullptr};
}

void setIdleHook(IdleHook hook) { g_hook.store(hook); }

void idle()
{
    if (IdleHook h = g_hook.load())
        h();
}

} // namespace db
