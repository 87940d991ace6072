#include "core/time/manual_clock.h"

#include <algorithm>

namespace halvana {

class ManualClock::ManualTimer : public Timer {
public:
    ManualTimer(ManualClock* clock, int intervalMs) : m_clock(clock), m_interval(intervalMs)
    {
        m_clock->m_timers.push_back(this);
    }
    ~ManualTimer() override
    {
        auto& timers = m_clock->m_timers;
        timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
    }

    void setInterval(int ms) override { m_interval = ms; }
    int interval() const override { return m_interval; }
    void start() override { arm(m_clock->m_nowMs + std::max(m_interval, 1)); }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }

    void arm(qint64 dueMs)
    {
        m_active = true;
        m_dueMs = dueMs;
        m_sequence = ++m_clock->m_armSequence;
    }

    void expire()
    {
        const quint64 sequence = m_sequence;
        const qint64 due = m_dueMs;
        fire();
        // A periodic timer that its own callback neither stopped nor restarted keeps its rhythm.
        if (m_active && m_sequence == sequence)
            arm(due + std::max(m_interval, 1));
    }

    ManualClock* m_clock;
    int m_interval;
    bool m_active = false;
    qint64 m_dueMs = 0;
    quint64 m_sequence = 0;
};

ManualClock::ManualClock(const QDateTime& start) : m_start(start) {}

ManualClock::~ManualClock() = default;

std::unique_ptr<Timer> ManualClock::createTimer(int intervalMs)
{
    return std::make_unique<ManualTimer>(this, intervalMs);
}

ManualClock::ManualTimer* ManualClock::nextDue() const
{
    ManualTimer* best = nullptr;
    for (ManualTimer* t : m_timers) {
        if (!t->m_active)
            continue;
        if (!best || t->m_dueMs < best->m_dueMs
            || (t->m_dueMs == best->m_dueMs && t->m_sequence < best->m_sequence))
            best = t;
    }
    return best;
}

qint64 ManualClock::msToNextTimer() const
{
    const ManualTimer* t = nextDue();
    return t ? std::max<qint64>(0, t->m_dueMs - m_nowMs) : -1;
}

bool ManualClock::fireNext()
{
    ManualTimer* t = nextDue();
    if (!t)
        return false;
    m_nowMs = std::max(m_nowMs, t->m_dueMs);
    t->expire();
    return true;
}

void ManualClock::advance(qint64 ms)
{
    const qint64 target = m_nowMs + ms;
    for (ManualTimer* t = nextDue(); t && t->m_dueMs <= target; t = nextDue()) {
        m_nowMs = std::max(m_nowMs, t->m_dueMs);
        t->expire();
    }
    m_nowMs = target;
}

} // namespace halvana
