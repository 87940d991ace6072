#pragma once

#include "core/modbus/frame_decoder.h"

#include <QDateTime>
#include <QObject>

#include <deque>

namespace halvana {

class Clock;

// The frames of the link, decoded, with the time each came; the newest kCapacity are kept, so
// memory stays flat however long the program polls.
class DecodedTraffic : public QObject {
    Q_OBJECT
public:
    static constexpr int kCapacity = 5000;

    struct Entry {
        DecodedFrame frame;
        QDateTime at;
    };

    explicit DecodedTraffic(Clock& clock, QObject* parent = nullptr);

    void add(const QByteArray& frame, bool tcp, bool sent, qint64 roundTripUs);
    void clear();
    const std::deque<Entry>& entries() const { return m_entries; }

    // A heading line and a line per frame; the time in ISO 8601 with milliseconds.
    QString csv() const;

signals:
    void added();
    // The oldest `count` entries were dropped.
    void trimmed(int count);
    void cleared();

private:
    Clock& m_clock;
    qint64 m_startMs = -1;
    std::deque<Entry> m_entries;
};

} // namespace halvana
