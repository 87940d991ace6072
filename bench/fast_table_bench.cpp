// A first pass of table 0 (branch settings) for 250 branch meters over localhost TCP against
// halvana-sim, as `halvana-cli table 0` polls it, with and without fast polling; next to an
// independent Modbus client (libmodbus) making the same requests of the same simulator in the
// same run.
#include "core/device/device_data.h"
#include "core/device/sequencer.h"
#include "core/modbus/modbus_link.h"
#include "e2e/e2e_support.h"
#include "e2e/wait.h"
#include "io/qt_clock.h"
#include "io/tcp_transport.h"
#include "support/recording_messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include "bench_main.h"

#include <benchmark/benchmark.h>
#include <modbus.h>

#include <vector>

using namespace halvana;
using namespace halvana::test;

namespace {

using Requests = std::vector<std::pair<int, int>>; // 0-based address, count

// One pass of table 0 from a fresh start; its time in ms (-1 when it failed) and its requests.
double tablePass(const QString& address, bool fast, Requests* requests)
{
    QtClock clock;
    RecordingMessages messages;
    TcpTransport tcp;
    tcp.setEndpoint(address);
    ModbusLink link(clock);
    link.setTransports(nullptr, &tcp);
    link.setCommMode(1);
    link.setFastPolling(fast);
    DeviceData data(QStringLiteral(HALVANA_BIN_DIR), messages);
    Sequencer sequencer(link, data, clock);
    sequencer.setFastPolling(fast);
    data.openTable(kBranchSettingsTable);
    if (!tcp.open() || !waitUntil([&] { return tcp.isOpen(); }))
        return -1;
    QObject::connect(&link, &ModbusLink::exchangeEnded, [&](const ExchangeOutcome& outcome) {
        requests->emplace_back(outcome.request.address, outcome.request.count);
    });
    QEventLoop loop;
    QObject::connect(&sequencer, &Sequencer::passCompleted, &loop, [&](int table) {
        if (table == kBranchSettingsTable)
            loop.quit();
    });
    QTimer::singleShot(60000, &loop, [&] { loop.exit(1); });
    QElapsedTimer elapsed;
    elapsed.start();
    sequencer.setMainTimerEnabled(true);
    return loop.exec() == 0 ? double(elapsed.nsecsElapsed()) / 1e6 : -1;
}

// The same requests from libmodbus, one after the other; -1 when one failed.
double libmodbusReplay(const QString& address, const Requests& requests)
{
    const QStringList hostPort = address.split(QLatin1Char(':'));
    modbus_t* ctx = modbus_new_tcp(hostPort.value(0).toLatin1().constData(), hostPort.value(1).toInt());
    if (!ctx || modbus_connect(ctx) != 0) {
        modbus_free(ctx);
        return -1;
    }
    modbus_set_slave(ctx, 1);
    uint16_t values[125];
    QElapsedTimer elapsed;
    elapsed.start();
    bool ok = true;
    for (const auto& [first, count] : requests)
        ok = ok && modbus_read_registers(ctx, first, count, values) == count;
    const double ms = double(elapsed.nsecsElapsed()) / 1e6;
    modbus_close(ctx);
    modbus_free(ctx);
    return ok ? ms : -1;
}

void BM_TablePass250_Tcp(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString profile = dir.filePath(QStringLiteral("unit.txt"));
    QFile file(profile);
    if (!file.open(QIODevice::WriteOnly) || file.write("meter branch count=250\n") < 0) {
        state.SkipWithError("cannot write the profile");
        return;
    }
    file.close();
    SimProcess sim;
    if (!sim.startTcp({QStringLiteral("--profile"), profile})) {
        state.SkipWithError("no simulator on TCP");
        return;
    }
    double fastMs = 0, defaultMs = 0, libmodbusMs = 0;
    Requests requests;
    for (auto _ : state) {
        requests.clear();
        const double fast = tablePass(sim.address(), true, &requests);
        const double replay = libmodbusReplay(sim.address(), requests);
        Requests again;
        const double slow = tablePass(sim.address(), false, &again);
        if (fast < 0 || replay < 0 || slow < 0) {
            state.SkipWithError("a pass or the replay failed");
            return;
        }
        state.SetIterationTime(fast / 1000.0);
        fastMs += fast;
        libmodbusMs += replay;
        defaultMs += slow;
    }
    const double n = double(state.iterations());
    state.counters["requests"] = double(requests.size());
    state.counters["fast_ms"] = fastMs / n;
    state.counters["default_ms"] = defaultMs / n;
    state.counters["libmodbus_ms"] = libmodbusMs / n;
    state.counters["fast_ratio"] = fastMs / libmodbusMs;
    state.counters["default_ratio"] = defaultMs / libmodbusMs;
}

} // namespace

BENCHMARK(BM_TablePass250_Tcp)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
