#include "core/modbus/link_statistics.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace halvana {

namespace {

int binOf(qint64 us)
{
    if (us < 1)
        return 0;
    const int bin = int(std::floor(std::log2(double(us)) * LogHistogram::kBinsPerOctave));
    return std::clamp(bin, 0, LogHistogram::kBinsPerOctave * LogHistogram::kOctaves - 1);
}

qint64 upperEdgeUs(int bin)
{
    return qint64(std::ceil(std::exp2(double(bin + 1) / LogHistogram::kBinsPerOctave)));
}

} // namespace

void LogHistogram::add(qint64 us)
{
    us = std::max<qint64>(us, 0);
    ++m_bins[size_t(binOf(us))];
    ++m_count;
    m_min = std::min(m_min, us);
    m_max = std::max(m_max, us);
}

qint64 LogHistogram::percentileUs(double p) const
{
    if (m_count == 0)
        return 0;
    const qint64 rank = std::max<qint64>(1, qint64(std::ceil(p * double(m_count))));
    qint64 seen = 0;
    for (size_t bin = 0; bin < m_bins.size(); ++bin) {
        seen += m_bins[bin];
        if (seen >= rank)
            return std::clamp(upperEdgeUs(int(bin)), minUs(), m_max);
    }
    return m_max;
}

std::array<qint64, LogHistogram::kOctaves> LogHistogram::octaves() const
{
    std::array<qint64, kOctaves> counts{};
    for (size_t bin = 0; bin < m_bins.size(); ++bin)
        counts[bin / kBinsPerOctave] += m_bins[bin];
    return counts;
}

qint64 LinkCounters::rejectedTotal() const
{
    return std::accumulate(rejected.begin(), rejected.end(), qint64(0));
}

double LinkCounters::lossPercent() const
{
    return requests ? 100.0 * double(timeouts + rejectedTotal()) / double(requests) : 0.0;
}

void LinkStatistics::record(const ExchangeOutcome& outcome)
{
    using Kind = ExchangeOutcome::Kind;
    // Given up by the program itself: it tells nothing of the line.
    if (outcome.kind == Kind::Abandoned)
        return;
    for (LinkCounters* c : {&m_total, &m_perStep[outcome.request.pollStep]}) {
        ++c->requests;
        switch (outcome.kind) {
        case Kind::Registers:
        case Kind::Acknowledged:
            ++c->replies;
            break;
        case Kind::Exception:
            ++c->replies;
            ++c->exceptions[outcome.exceptionCode];
            break;
        case Kind::Rejected:
            ++c->rejected[size_t(outcome.rejectCause)];
            break;
        case Kind::TimedOut:
        case Kind::NotSent:
        case Kind::Abandoned:
            ++c->timeouts;
            break;
        }
    }
    if (outcome.roundTripUs >= 0)
        m_roundTrips.add(outcome.roundTripUs);
}

void LinkStatistics::recordLateReply(int pollStep)
{
    ++m_total.late;
    ++m_perStep[pollStep].late;
}

void LinkStatistics::recordCycle(qint64 cycleMs)
{
    m_lastCycleMs = cycleMs;
    m_cycles.add(cycleMs * 1000);
}

void LinkStatistics::reset()
{
    *this = LinkStatistics();
}

QString LinkStatistics::summaryLine() const
{
    const auto ms = [](qint64 us) { return QString::number(double(us) / 1000.0, 'f', 2); };
    return QStringLiteral("%1 requests, %2 replies, %3 time-outs, %4 rejected (%5% loss); "
                          "round trip min/median/p99/max %6/%7/%8/%9 ms")
        .arg(m_total.requests)
        .arg(m_total.replies)
        .arg(m_total.timeouts)
        .arg(m_total.rejectedTotal())
        .arg(m_total.lossPercent(), 0, 'f', 1)
        .arg(ms(m_roundTrips.minUs()), ms(m_roundTrips.percentileUs(0.5)), ms(m_roundTrips.percentileUs(0.99)),
             ms(m_roundTrips.maxUs()));
}

} // namespace halvana
