#pragma once

#include "platform/core/seams.h"

#include <QDateTime>

namespace testsupport {

// The clock tests run on: platform::now() and timers follow it; sleeps
// advance it.  activate() installs it as the program's time source,
// deactivate() gives the machine's time back.
class FakeClock {
public:
    static bool active();
    static void activate(const QDateTime &start);
    static void deactivate();
    static QDateTime now();
    // Moves the clock on, firing every timer that falls due on the way.
    static void advance(int ms);
};

} // namespace testsupport
