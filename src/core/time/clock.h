#pragma once

#include <QDateTime>

#include <functional>
#include <memory>

namespace halvana {

// A periodic timer in the manner of the unit's firmware tools: enabled or not, firing every
// interval while enabled. start() (re)arms it a full interval from now.
class Timer {
public:
    virtual ~Timer() = default;

    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

    // Enabling an enabled timer leaves it running on its old schedule, as the old toolkit did;
    // use start() to restart the interval.
    void setEnabled(bool enabled)
    {
        if (!enabled)
            stop();
        else if (!isActive())
            start();
    }

    void setCallback(std::function<void()> callback) { m_callback = std::move(callback); }

protected:
    void fire()
    {
        if (m_callback)
            m_callback();
    }

private:
    std::function<void()> m_callback;
};

// The source of time for all core logic: production uses QTimer, tests a manual clock.
class Clock {
public:
    virtual ~Clock() = default;

    // Monotonic milliseconds since an arbitrary start.
    virtual qint64 nowMs() const = 0;
    // The same clock in microseconds, for round trips shorter than a millisecond.
    virtual qint64 nowUs() const { return nowMs() * 1000; }
    // Wall-clock time, for texts such as the connected-since display.
    virtual QDateTime currentDateTime() const = 0;
    virtual std::unique_ptr<Timer> createTimer(int intervalMs = 0) = 0;
};

} // namespace halvana
