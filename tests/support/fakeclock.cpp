#include "fakeclock.h"

#include <algorithm>
#include <vector>

namespace testsupport {
namespace {

class FakeTime : public platform::TimeSource {
public:
    QDateTime start;
    qint64 elapsed = 0;
    struct Due {
        platform::Timer *timer;
        qint64 at;
    };
    std::vector<Due> timers;

    QDateTime now() override { return start.addMSecs(elapsed); }
    void sleepMs(int ms) override { FakeClock::advance(ms); }
    void timerSwitched(platform::Timer *timer, bool on) override
    {
        timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Due &d) { return d.timer == timer; }),
                     timers.end());
        if (on)
            timers.push_back({timer, elapsed + timer->interval()});
    }
};

FakeTime &fake()
{
    static FakeTime f;
    return f;
}

} // namespace

bool FakeClock::active() { return platform::timeSource() == &fake(); }

void FakeClock::activate(const QDateTime &start)
{
    fake().start = start;
    fake().elapsed = 0;
    fake().timers.clear();
    platform::installTimeSource(&fake());
}

void FakeClock::deactivate()
{
    platform::installTimeSource(nullptr);
    fake().timers.clear();
}

QDateTime FakeClock::now() { return fake().now(); }

void FakeClock::advance(int ms)
{
    FakeTime &c = fake();
    const qint64 target = c.elapsed + qMax(0, ms);
    for (;;) {
        FakeTime::Due *next = nullptr;
        for (FakeTime::Due &d : c.timers)
            if (d.timer->isEnabled() && d.at <= target && (!next || d.at < next->at))
                next = &d;
        if (!next)
            break;
        // A handler that sleeps moves the clock on itself; time never goes back.
        c.elapsed = qMax(c.elapsed, next->at);
        next->at += qMax(1, next->timer->interval());
        platform::Timer *t = next->timer;   // the handler may change the list
        t->fire();
    }
    c.elapsed = qMax(c.elapsed, target);
}

} // namespace testsupport
