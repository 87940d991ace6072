#pragma once

#include "sim/fault_plan.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>

namespace halvana {

// Puts bytes on a port at planned times. Paced, it lets them out at a serial line's real speed
// (10 bit times per byte); a pseudo-terminal would otherwise deliver a whole reply at once.
class LineWriter : public QObject {
    Q_OBJECT
public:
    using WriteFunction = std::function<void(const QByteArray&)>;

    explicit LineWriter(WriteFunction write, QObject* parent = nullptr);

    // 0: unpaced (bytes leave as soon as they are due).
    void setPacing(qint32 baud);
    double byteTimeUs() const { return m_byteTimeUs; }
    qint64 nowUs() const { return m_clock.nsecsElapsed() / 1000; }

    // Queues bytes to start no earlier than notBeforeUs (on nowUs()'s scale) and after what is
    // already queued; returns the time their last byte will have left.
    qint64 send(const QByteArray& bytes, qint64 notBeforeUs);
    // A reply as the fault plan shaped it, starting no earlier than earliestUs.
    void sendReply(const ReplyShape& shape, qint64 earliestUs);
    // Forgets everything not yet sent.
    void clear();

private:
    struct Segment {
        QByteArray bytes;
        qint64 startUs = 0;
        int sent = 0;
    };

    void service();

    WriteFunction m_write;
    QElapsedTimer m_clock;
    QTimer m_timer;
    double m_byteTimeUs = 0;
    qint64 m_lineFreeUs = 0;
    std::deque<Segment> m_queue;
};

} // namespace halvana
