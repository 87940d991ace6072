#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <functional>

namespace halvana::test {

// Runs the event loop until `condition` holds or the deadline passes; never sleeps.
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, int(qMax<qint64>(1, deadline.remainingTime())));
    }
    return true;
}

} // namespace halvana::test
