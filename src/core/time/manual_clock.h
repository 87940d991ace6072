#pragma once

#include "core/time/clock.h"

#include <vector>

namespace halvana {

// A clock that moves only when told to. advance() fires every timer that falls due on the way,
// in order of due time (ties in the order they were armed), so tests run without sleeping.
class ManualClock : public Clock {
public:
    explicit ManualClock(const QDateTime& start = QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    ~ManualClock() override;

    qint64 nowMs() const override { return m_nowMs; }
    QDateTime currentDateTime() const override { return m_start.addMSecs(m_nowMs); }
    std::unique_ptr<Timer> createTimer(int intervalMs = 0) override;

    void advance(qint64 ms);
    // Advances to the next due timer and fires it; false when no timer is armed.
    bool fireNext();
    // Milliseconds until the next armed timer falls due, or -1 when none is armed.
    qint64 msToNextTimer() const;

private:
    class ManualTimer;
    friend class ManualTimer;

    ManualTimer* nextDue() const;

    QDateTime m_start;
    qint64 m_nowMs = 0;
    quint64 m_armSequence = 0;
    std::vector<ManualTimer*> m_timers;
};

} // namespace halvana
