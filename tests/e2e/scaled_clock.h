#pragma once

#include "io/qt_clock.h"

#include <QtMath>

namespace halvana::test {

// Real time run faster: every interval is divided by `speedUp`, so the link's 70 ms frame gap and
// 2000 ms response time-out keep their order but a long run of exchanges ends in seconds.
class ScaledClock : public Clock {
public:
    explicit ScaledClock(int speedUp) : m_speedUp(speedUp) {}

    qint64 nowMs() const override { return m_real.nowMs() * m_speedUp; }
    QDateTime currentDateTime() const override { return m_real.currentDateTime(); }
    std::unique_ptr<Timer> createTimer(int intervalMs = 0) override
    {
        return std::make_unique<ScaledTimer>(m_real.createTimer(scaled(intervalMs)), *this, intervalMs);
    }

private:
    class ScaledTimer : public Timer {
    public:
        ScaledTimer(std::unique_ptr<Timer> real, const ScaledClock& clock, int intervalMs)
            : m_real(std::move(real)), m_clock(clock), m_intervalMs(intervalMs)
        {
            m_real->setCallback([this] { fire(); });
        }
        void setInterval(int ms) override
        {
            m_intervalMs = ms;
            m_real->setInterval(m_clock.scaled(ms));
        }
        int interval() const override { return m_intervalMs; }
        void start() override { m_real->start(); }
        void stop() override { m_real->stop(); }
        bool isActive() const override { return m_real->isActive(); }

    private:
        std::unique_ptr<Timer> m_real;
        const ScaledClock& m_clock;
        int m_intervalMs;
    };

    int scaled(int ms) const { return ms <= 0 ? 0 : qMax(1, ms / m_speedUp); }

    mutable QtClock m_real;
    int m_speedUp;
};

} // namespace halvana::test
