#include "sim/line_writer.h"

#include <cmath>

namespace halvana {

LineWriter::LineWriter(WriteFunction write, QObject* parent) : QObject(parent), m_write(std::move(write))
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &LineWriter::service);
}

void LineWriter::setPacing(qint32 baud)
{
    m_byteTimeUs = baud > 0 ? 10.0 * 1e6 / baud : 0;
}

qint64 LineWriter::send(const QByteArray& bytes, qint64 notBeforeUs)
{
    const qint64 start = qMax(notBeforeUs, m_lineFreeUs);
    m_lineFreeUs = start + qint64(std::ceil(bytes.size() * m_byteTimeUs));
    m_queue.push_back(Segment{bytes, start, 0});
    service();
    return m_lineFreeUs;
}

void LineWriter::sendReply(const ReplyShape& shape, qint64 earliestUs)
{
    if (shape.dropped)
        return;
    qint64 at = earliestUs + qint64(shape.delayMs) * 1000;
    for (const ReplyChunk& chunk : shape.chunks)
        at = send(chunk.bytes, at + qint64(chunk.pauseBeforeMs) * 1000);
}

void LineWriter::clear()
{
    m_queue.clear();
    m_timer.stop();
    m_lineFreeUs = 0;
}

void LineWriter::service()
{
    while (!m_queue.empty()) {
        Segment& segment = m_queue.front();
        const qint64 now = nowUs();
        if (now < segment.startUs) {
            m_timer.start(int((segment.startUs - now + 999) / 1000));
            return;
        }
        int due = int(segment.bytes.size());
        if (m_byteTimeUs > 0)
            due = qMin(due, int((now - segment.startUs) / m_byteTimeUs) + 1);
        if (due > segment.sent) {
            m_write(segment.bytes.mid(segment.sent, due - segment.sent));
            segment.sent = due;
        }
        if (segment.sent < segment.bytes.size()) {
            // The next byte is due within a byte time; a millisecond is the timer's grain.
            m_timer.start(1);
            return;
        }
        m_queue.pop_front();
    }
}

} // namespace halvana
