// Read round trip of our Modbus link against halvana-sim, next to the time the wire itself needs
// for the same frames. Over a pseudo-terminal the simulator paces its replies (--pace) at the
// line's real speed, so the RTU figures are those of a real RS-485 line at 115200 baud.
#include "core/modbus/modbus_link.h"
#include "e2e/e2e_support.h"
#include "io/qt_clock.h"
#include "io/serial_transport.h"
#include "io/tcp_transport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "bench_main.h"

#include <benchmark/benchmark.h>

using namespace halvana;
using namespace halvana::test;

namespace {

constexpr int kBaud = 115200;
constexpr int kFirstRegister = 5001;
constexpr double kByteTimeMs = 10.0 * 1000 / kBaud;
// A frame ends after 3.5 characters of silence on the line.
constexpr double kSilenceMs = 3.5 * kByteTimeMs;

QStringList imageArgs(int registers)
{
    QStringList values;
    for (int i = 0; i < registers; ++i)
        values << QString::number(i);
    return {QStringLiteral("--set"), QStringLiteral("%1=%2").arg(kFirstRegister).arg(values.join(','))};
}

// The link as the program runs it: real time, one transport, slave 1.
struct BenchLink {
    BenchLink(Transport& transport, bool tcp) : link(clock)
    {
        link.setTransports(tcp ? nullptr : &transport, tcp ? &transport : nullptr);
        link.setCommMode(tcp ? 1 : 0);
        link.setSlaveId(1);
    }
    QtClock clock;
    ModbusLink link;
};

// One read, waited for in the event loop; false when the link ended it any other way.
bool readOnce(ModbusLink& link, int count)
{
    QEventLoop loop;
    bool ok = false;
    const auto done = [&](bool success) {
        ok = success;
        loop.quit();
    };
    const auto connection = QObject::connect(&link, &ModbusLink::exchangeEnded, [&](const ExchangeOutcome& outcome) {
        done(outcome.kind == ExchangeOutcome::Kind::Registers);
    });
    if (link.ReadQuery(kFirstRegister, count) == ModbusLink::RequestResult::Sent)
        loop.exec();
    QObject::disconnect(connection);
    return ok;
}

void measure(benchmark::State& state, ModbusLink& link, int count)
{
    QElapsedTimer clock;
    qint64 totalNs = 0;
    for (auto _ : state) {
        clock.start();
        if (!readOnce(link, count)) {
            state.SkipWithError("the read failed");
            return;
        }
        totalNs += clock.nsecsElapsed();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
    state.counters["round_trip_ms"] = double(totalNs) / 1e6 / double(state.iterations());
}

// The wire alone: request and reply at 10 bit times a byte, and the silence after each frame.
double wireFloorMs(int count)
{
    const int requestBytes = 8;
    const int replyBytes = 5 + 2 * count;
    return (requestBytes + replyBytes) * kByteTimeMs + 2 * kSilenceMs;
}

// The simulator on a pty pair at kBaud, and our end of it opened; false after a skip.
bool openRtu(benchmark::State& state, SimProcess& sim, SerialTransport& serial, const QStringList& args)
{
    if (!sim.start(Wire::Rtu, args)) {
        state.SkipWithError("no simulator on a pseudo-terminal");
        return false;
    }
    serial.setEndpoint(sim.address());
    serial.setBaudRate(kBaud);
    if (!serial.open()) {
        state.SkipWithError("cannot open the pseudo-terminal");
        return false;
    }
    return true;
}

void rtuRoundTrip(benchmark::State& state, bool paced)
{
    const int count = int(state.range(0));
    SimProcess sim;
    SerialTransport serial;
    const QStringList pace = paced ? QStringList{QStringLiteral("--pace")} : QStringList();
    if (!openRtu(state, sim, serial, imageArgs(count) + pace))
        return;
    BenchLink bench(serial, false);

    measure(state, bench.link, count);
    // The link judges a reply complete after its frame gap, where the wire needs 3.5 characters;
    // what is left is our own processing and the event loop's.
    const double roundTrip = state.counters["round_trip_ms"];
    const double gap = ModbusLink::kFrameGapMs;
    state.counters["frame_gap_ms"] = gap;
    if (!paced) {
        state.counters["own_ms"] = roundTrip - gap;
        return;
    }
    const double floor = wireFloorMs(count);
    state.counters["wire_floor_ms"] = floor;
    state.counters["own_ms"] = roundTrip - gap - (floor - kSilenceMs);
    state.counters["ratio_to_floor"] = roundTrip / floor;
}

// Fast polling over the paced pty: the reply ends at its last byte and the next request waits
// only for the line's silence. The default rhythm is measured in the same run beside it.
void BM_FastRead_RtuPaced(benchmark::State& state)
{
    const int count = int(state.range(0));
    SimProcess sim;
    SerialTransport serial;
    if (!openRtu(state, sim, serial, imageArgs(count) << QStringLiteral("--pace")))
        return;
    BenchLink bench(serial, false);
    bench.link.setFastPolling(true);
    measure(state, bench.link, count);
    const double fastMs = state.counters["round_trip_ms"];

    bench.link.setFastPolling(false);
    constexpr int kDefaultReads = 5;
    QElapsedTimer elapsed;
    elapsed.start();
    for (int i = 0; i < kDefaultReads; ++i) {
        if (!readOnce(bench.link, count)) {
            state.SkipWithError("a default read failed");
            return;
        }
    }
    const double defaultMs = double(elapsed.nsecsElapsed()) / 1e6 / kDefaultReads;
    const double floor = wireFloorMs(count);
    state.counters["wire_floor_ms"] = floor;
    state.counters["default_ms"] = defaultMs;
    state.counters["ratio_to_floor"] = fastMs / floor;
    state.counters["default_ratio"] = defaultMs / floor;
}

void BM_ReadRoundTrip_RtuPaced(benchmark::State& state)
{
    rtuRoundTrip(state, true);
}

void BM_ReadRoundTrip_RtuUnpaced(benchmark::State& state)
{
    rtuRoundTrip(state, false);
}

void BM_ReadRoundTrip_Tcp(benchmark::State& state)
{
    const int count = int(state.range(0));
    SimProcess sim;
    if (!sim.startTcp(imageArgs(count))) {
        state.SkipWithError("no simulator on TCP");
        return;
    }
    TcpTransport tcp;
    tcp.setEndpoint(sim.address());
    BenchLink bench(tcp, true);
    QEventLoop loop;
    QObject::connect(&tcp, &Transport::connected, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    tcp.open();
    loop.exec();
    if (!tcp.isOpen()) {
        state.SkipWithError("cannot connect to the simulator");
        return;
    }
    measure(state, bench.link, count);
}

} // namespace

// 99 registers: the largest block the polling cycle reads (branch settings, map 1).
BENCHMARK(BM_ReadRoundTrip_RtuPaced)->Arg(1)->Arg(99)->Iterations(15)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FastRead_RtuPaced)->Arg(99)->Iterations(30)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRoundTrip_RtuUnpaced)->Arg(99)->Iterations(15)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRoundTrip_Tcp)->Arg(99)->UseManualTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
