// A firmware transfer at 9600 baud against the simulator's receiver, which answers each block
// only when it would have finished arriving on a real line. The effective throughput is set
// beside the protocol's own limit at that speed: 128 data bytes for each 133-byte block and its
// one-byte answer, 10 bit times a byte.
#include "core/upgrade/upgrade_status.h"
#include "core/upgrade/upgrade_timing.h"
#include "core/upgrade/xmodem_sender.h"
#include "e2e/e2e_support.h"
#include "e2e/wait.h"
#include "io/qt_clock.h"
#include "io/serial_transport.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include "bench_main.h"

#include <benchmark/benchmark.h>

using namespace halvana;
using namespace halvana::test;

namespace {

constexpr int kImageBytes = 8 * 1024;

void BM_UpgradeAt9600(benchmark::State& state)
{
    PtyPair pty;
    SimProcess sim;
    if (!pty.open() || !sim.startTcp({QStringLiteral("--service"), pty.unitSide()})) {
        state.SkipWithError("the simulator did not start");
        return;
    }
    SerialTransport port;
    port.setEndpoint(pty.toolSide());
    port.setBaudRate(upgrade_timing::kBaud);
    if (!port.open()) {
        state.SkipWithError("the service port did not open");
        return;
    }
    QByteArray seen;
    QObject::connect(&port, &Transport::bytesReceived, [&](const QByteArray& bytes) { seen += bytes; });
    port.write("\rmarten\r");
    if (!waitUntil([&] { return seen.contains("HALVANA> "); })) {
        state.SkipWithError("no prompt");
        return;
    }
    QtClock clock;
    XmodemSender sender(clock);
    const QByteArray image(kImageBytes, 'i');
    for (auto _ : state) {
        seen.clear();
        port.write("upgd\r");
        if (!waitUntil([&] { return seen.contains("CCC"); })) {
            state.SkipWithError("the unit did not enter upgrade mode");
            return;
        }
        QElapsedTimer timer;
        timer.start();
        sender.start(port, image, true);
        waitUntil([&] { return !sender.isRunning(); }, 60000);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        if (sender.status() != upgrade_status::kSucceeded) {
            state.SkipWithError("the transfer failed");
            return;
        }
        waitUntil([&] { return seen.contains("HALVANA> "); });
        state.SetIterationTime(seconds);
        const double limit = double(xmodem::kDataSize) * upgrade_timing::kBaud / (10.0 * upgrade_timing::kBytesPerBlock);
        state.counters["bytes_per_s"] = kImageBytes / seconds;
        state.counters["limit_bytes_per_s"] = limit;
        state.counters["ratio"] = kImageBytes / seconds / limit;
        state.counters["estimate_s"] = double(upgrade_timing::estimateMs(kImageBytes)) / 1000;
        state.counters["measured_s"] = seconds;
    }
    port.close();
    sim.stop();
}

} // namespace

BENCHMARK(BM_UpgradeAt9600)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
