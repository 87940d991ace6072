// What following readings costs next to what reading them costs: one point appended to a
// series' history and one row of a 16-column log (flushed, as the log always is), next to one
// polling cycle of the branch readings against halvana-sim over TCP; and the memory of a
// history after a million points, which must be what it was after a few thousand.
#include "core/device/device_data.h"
#include "core/device/sequencer.h"
#include "core/modbus/modbus_link.h"
#include "core/trend/trend_log.h"
#include "core/trend/trend_set.h"
#include "e2e/e2e_support.h"
#include "e2e/wait.h"
#include "io/qt_clock.h"
#include "io/tcp_transport.h"
#include "support/recording_messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

#include "bench_main.h"

#include <benchmark/benchmark.h>

using namespace halvana;
using namespace halvana::test;

namespace {

constexpr int kSeries = 16;
constexpr int kPoints = 1000000;
constexpr int kRows = 2000;
constexpr int kCycles = 3;

// Resident memory of this process in kB.
long residentKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : 0;
}

double cycleMsAgainstSimulator(benchmark::State& state)
{
    SimProcess sim;
    if (!sim.startTcp()) {
        state.SkipWithError("no simulator on TCP");
        return 0;
    }
    TcpTransport tcp;
    tcp.setEndpoint(sim.address());
    QtClock clock;
    RecordingMessages messages;
    ModbusLink link(clock);
    link.setTransports(nullptr, &tcp);
    link.setCommMode(1);
    DeviceData data(QStringLiteral(HALVANA_BIN_DIR), messages);
    Sequencer sequencer(link, data, clock);
    data.openTable(kBranchReadingsTable);
    if (!tcp.open() || !waitUntil([&] { return tcp.isOpen(); })) {
        state.SkipWithError("cannot reach the simulator");
        return 0;
    }
    QEventLoop loop;
    QObject::connect(&sequencer, &Sequencer::cycleCompleted, &loop, &QEventLoop::quit);
    sequencer.setMainTimerEnabled(true);
    loop.exec(); // the first cycle learns the meter list and the map version
    QElapsedTimer elapsed;
    elapsed.start();
    for (int i = 0; i < kCycles; ++i)
        loop.exec();
    return double(elapsed.nsecsElapsed()) / 1e6 / kCycles;
}

void BM_TrendNextToPollingCycle(benchmark::State& state)
{
    for (auto _ : state) {
        const double cycleMs = cycleMsAgainstSimulator(state);
        if (cycleMs <= 0)
            return;

        const long before = residentKb();
        std::vector<TrendHistory> histories(kSeries);
        const size_t bytesAtStart = histories[0].memoryBytes();
        QElapsedTimer elapsed;
        elapsed.start();
        for (int p = 0; p < kPoints; ++p) {
            for (TrendHistory& history : histories)
                history.append(p * 1000LL, 5.0 + (p % 97) * 0.01);
        }
        const double pointNs = double(elapsed.nsecsElapsed()) / kPoints / kSeries;
        const long grownKb = residentKb() - before;
        benchmark::DoNotOptimize(histories.back().size());

        QTemporaryDir dir;
        TrendLog log;
        QStringList columns;
        QStringList values;
        for (int c = 0; c < kSeries; ++c) {
            columns << QStringLiteral("B%1: Current (A)").arg(c + 1);
            values << QStringLiteral("%1.25").arg(c);
        }
        if (!log.open(dir.filePath(QStringLiteral("Log_001.csv")), columns)) {
            state.SkipWithError("cannot open the log");
            return;
        }
        const QDateTime now = QDateTime::currentDateTime();
        elapsed.restart();
        for (int r = 0; r < kRows; ++r)
            log.writeRow(now, values);
        const double rowUs = double(elapsed.nsecsElapsed()) / 1e3 / kRows;

        state.counters["cycle_ms"] = cycleMs;
        state.counters["point_ns"] = pointNs;
        state.counters["row_us"] = rowUs;
        state.counters["point_per_cycle"] = pointNs / 1e6 / cycleMs;
        state.counters["row16_per_cycle"] = rowUs / 1e3 / cycleMs;
        state.counters["points_kept"] = histories[0].size();
        state.counters["series_kB_1e6"] = double(histories[0].memoryBytes()) / 1024;
        state.counters["series_kB_start"] = double(bytesAtStart) / 1024;
        state.counters["rss_growth_kB_16series"] = double(grownKb);
    }
}

} // namespace

BENCHMARK(BM_TrendNextToPollingCycle)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
