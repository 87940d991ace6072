#pragma once

#include "core/modbus/exchange.h"

#include <QString>

#include <array>
#include <limits>
#include <map>

namespace halvana {

// Durations in a flat histogram of logarithmic bins, eight to an octave from 1 µs, so that
// memory stays fixed however long the program runs and a percentile is read to within 9 %.
class LogHistogram {
public:
    static constexpr int kBinsPerOctave = 8;
    static constexpr int kOctaves = 28; // up to about 268 s

    void add(qint64 us);
    qint64 count() const { return m_count; }
    qint64 minUs() const { return m_count ? m_min : 0; }
    qint64 maxUs() const { return m_max; }
    // The upper edge of the bin that holds the p-th fraction (0..1), within min and max.
    qint64 percentileUs(double p) const;
    // Counts per octave (1-2 µs, 2-4 µs, ...), for a bar chart.
    std::array<qint64, kOctaves> octaves() const;

private:
    std::array<qint64, kBinsPerOctave * kOctaves> m_bins{};
    qint64 m_count = 0;
    qint64 m_min = std::numeric_limits<qint64>::max();
    qint64 m_max = 0;
};

// What happened to the requests of one polling step, or of all.
struct LinkCounters {
    static constexpr int kRejectCauses = int(RejectCause::ForeignTransaction) + 1;

    qint64 requests = 0;
    // Answered: registers, acknowledgements and exceptions.
    qint64 replies = 0;
    std::map<int, qint64> exceptions; // by code
    qint64 timeouts = 0;              // no reply, or never sent because the line was closed
    std::array<qint64, kRejectCauses> rejected{};
    // Replies that came too late for their request (counted apart from requests).
    qint64 late = 0;

    qint64 rejectedTotal() const;
    // Time-outs and rejected replies, as a share of the requests, in percent.
    double lossPercent() const;
};

// Counts every exchange outcome of a link, per polling step and in total, with the round trips
// of the answered ones and the time of each full polling cycle.
class LinkStatistics {
public:
    void record(const ExchangeOutcome& outcome);
    void recordLateReply(int pollStep);
    void recordCycle(qint64 cycleMs);
    void reset();

    const LinkCounters& total() const { return m_total; }
    const std::map<int, LinkCounters>& perStep() const { return m_perStep; }
    const LogHistogram& roundTrips() const { return m_roundTrips; }
    qint64 lastCycleMs() const { return m_lastCycleMs; }
    qint64 medianCycleMs() const { return m_cycles.percentileUs(0.5) / 1000; }

    // "12 requests, 11 replies, 1 time-outs, 0 rejected (8.3% loss); round trip
    // min/median/p99/max 0.05/0.07/0.31/0.31 ms".
    QString summaryLine() const;

private:
    LinkCounters m_total;
    std::map<int, LinkCounters> m_perStep;
    LogHistogram m_roundTrips;
    LogHistogram m_cycles;
    qint64 m_lastCycleMs = 0;
};

} // namespace halvana
