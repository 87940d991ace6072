#pragma once

#include "core/time/clock.h"

#include <QElapsedTimer>

namespace halvana {

// Real time: QTimer-driven timers on the thread's event loop.
class QtClock : public Clock {
public:
    QtClock();

    qint64 nowMs() const override { return m_elapsed.elapsed(); }
    qint64 nowUs() const override { return m_elapsed.nsecsElapsed() / 1000; }
    QDateTime currentDateTime() const override { return QDateTime::currentDateTime(); }
    std::unique_ptr<Timer> createTimer(int intervalMs = 0) override;

private:
    QElapsedTimer m_elapsed;
};

} // namespace halvana
