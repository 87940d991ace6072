#include "core/modbus/decoded_traffic.h"

#include "core/grid/grid_text_export.h"
#include "core/time/clock.h"

namespace halvana {

DecodedTraffic::DecodedTraffic(Clock& clock, QObject* parent) : QObject(parent), m_clock(clock) {}

void DecodedTraffic::add(const QByteArray& frame, bool tcp, bool sent, qint64 roundTripUs)
{
    const qint64 now = m_clock.nowMs();
    if (m_startMs < 0)
        m_startMs = now;
    Entry entry{decodeFrame(frame, tcp, sent), m_clock.currentDateTime()};
    entry.frame.timeMs = now - m_startMs;
    entry.frame.roundTripUs = roundTripUs;
    m_entries.push_back(std::move(entry));
    emit added();
    if (m_entries.size() > size_t(kCapacity)) {
        m_entries.pop_front();
        emit trimmed(1);
    }
}

void DecodedTraffic::clear()
{
    m_entries.clear();
    m_startMs = -1;
    emit cleared();
}

QString DecodedTraffic::csv() const
{
    GridText text;
    text.headings = QStringList{QStringLiteral("Time"),     QStringLiteral("ms"),      QStringLiteral("Direction"),
                                QStringLiteral("Slave"),    QStringLiteral("Function"), QStringLiteral("Content"),
                                QStringLiteral("Verdict"), QStringLiteral("Round trip (ms)")};
    for (const Entry& e : m_entries) {
        const DecodedFrame& f = e.frame;
        text.rows.push_back({e.at.toString(Qt::ISODateWithMs),
                             QString::number(f.timeMs),
                             f.sent ? QStringLiteral("sent") : QStringLiteral("received"),
                             f.slave >= 0 ? QString::number(f.slave) : QString(),
                             f.function >= 0 ? QString::number(f.function) : QString(),
                             f.content,
                             f.verdict,
                             f.roundTripUs >= 0 ? QString::number(double(f.roundTripUs) / 1000.0, 'f', 3) : QString()});
    }
    return GridTextExport::toCsv(text);
}

} // namespace halvana
