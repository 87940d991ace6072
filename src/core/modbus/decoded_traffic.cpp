#include "core/modbus/decoded_traffic.h"

#include "core/time/clock.h"

#include <QStringList>

namespace halvana {

namespace {

QString csvField(QString text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')))
        return text;
    return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

} // namespace

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
    QStringList lines{QStringLiteral("Time,ms,Direction,Slave,Function,Content,Verdict,Round trip (ms)")};
    for (const Entry& e : m_entries) {
        const DecodedFrame& f = e.frame;
        lines << QStringList{e.at.toString(Qt::ISODateWithMs),
                             QString::number(f.timeMs),
                             f.sent ? QStringLiteral("sent") : QStringLiteral("received"),
                             f.slave >= 0 ? QString::number(f.slave) : QString(),
                             f.function >= 0 ? QString::number(f.function) : QString(),
                             csvField(f.content),
                             csvField(f.verdict),
                             f.roundTripUs >= 0 ? QString::number(double(f.roundTripUs) / 1000.0, 'f', 3) : QString()}
                     .join(QLatin1Char(','));
    }
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

} // namespace halvana
