#pragma once

namespace db {

// Long reads and scans call idle() now and then, so a program that shows a
// window while its tables are read can keep that window painted.  Without a
// hook it does nothing.  The hook decides itself how often it acts.
using IdleHook = void (*)();
void setIdleHook(IdleHook hook);
void idle();

} // namespace db
