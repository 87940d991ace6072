#include "io/qt_clock.h"

#include <QTimer>

namespace halvana {

namespace {

class QtTimer : public Timer {
public:
    explicit QtTimer(int intervalMs)
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(intervalMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { fire(); });
    }

    void setInterval(int ms) override { m_timer.setInterval(ms); }
    int interval() const override { return m_timer.interval(); }
    void start() override { m_timer.start(); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

} // namespace

QtClock::QtClock()
{
    m_elapsed.start();
}

std::unique_ptr<Timer> QtClock::createTimer(int intervalMs)
{
    return std::make_unique<QtTimer>(intervalMs);
}

} // namespace halvana
