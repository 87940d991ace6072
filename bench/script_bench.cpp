// A script of 1000 "meter write" lines run by the Modbus runner against halvana-sim over
// localhost TCP, next to the link's plain write round trip measured in the same run. The runner
// sends one line per tick of `tmrMain` (10 ms) and never while a write is out, so the tick, not
// the wire, sets its pace: a line costs about a tick and a round trip.
#include "core/device/sequencer.h"
#include "core/modbus/modbus_link.h"
#include "core/scripts/modbus_script_runner.h"
#include "core/session/unit_session.h"
#include "e2e/e2e_support.h"
#include "e2e/wait.h"
#include "io/qt_clock.h"
#include "io/tcp_transport.h"
#include "support/recording_messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "bench_main.h"

#include <benchmark/benchmark.h>

using namespace halvana;
using namespace halvana::test;

namespace {

constexpr int kLines = 1000;
constexpr int kPlainWrites = 200;
// A setting of the simulated unit that takes every value written here.
constexpr int kRegister = 5001;

// The simulated unit and our session on it over TCP.
struct ScriptBench {
    bool start()
    {
        if (!sim.startTcp())
            return false;
        tcp.setEndpoint(sim.address());
        session.setTransports(nullptr, &tcp);
        session.link().setCommMode(1);
        session.link().setSlaveId(1);
        // Nothing but the measured writes goes to the unit.
        session.sequencer().setPollingDisabled(true);
        tcp.open();
        return waitUntil([&] { return tcp.isOpen(); });
    }

    // Mean milliseconds of a bare write, from its sending to its acknowledgement.
    double plainWriteMs()
    {
        ModbusLink& link = session.link();
        qint64 totalNs = 0;
        for (int i = 0; i < kPlainWrites; ++i) {
            // The connection's own first exchanges may still be under way.
            if (!waitUntil([&] { return !link.requestOutstanding(); }))
                return -1;
            QEventLoop loop;
            bool ok = false;
            const auto connection = QObject::connect(&link, &ModbusLink::exchangeEnded, [&](const ExchangeOutcome& outcome) {
                ok = outcome.kind == ExchangeOutcome::Kind::Acknowledged;
                loop.quit();
            });
            QElapsedTimer elapsed;
            elapsed.start();
            if (link.WriteQuery(kRegister, {i}) == ModbusLink::RequestResult::Sent)
                loop.exec();
            totalNs += elapsed.nsecsElapsed();
            QObject::disconnect(connection);
            if (!ok)
                return -1;
        }
        return double(totalNs) / 1e6 / kPlainWrites;
    }

    // Runs the script through `tmrMain`; the summary, or nothing when it did not end in time.
    std::optional<ScriptSummary> runScript(const QStringList& lines)
    {
        ModbusScriptRunner& runner = session.scriptRunner();
        QEventLoop loop;
        QObject::connect(&runner, &ModbusScriptRunner::finished, &loop, [&] { loop.quit(); });
        QTimer::singleShot(120000, &loop, [&] { loop.exit(1); });
        session.sequencer().setMainTimerEnabled(true);
        runner.start(lines);
        const bool ended = loop.exec() == 0;
        session.sequencer().setMainTimerEnabled(false);
        QObject::disconnect(&runner, nullptr, &loop, nullptr);
        if (!ended)
            return std::nullopt;
        return runner.summary();
    }

    SimProcess sim;
    TcpTransport tcp;
    QtClock clock;
    RecordingMessages messages;
    UnitSession session{clock, messages, QStringLiteral(HALVANA_BIN_DIR)};
};

QStringList scriptLines()
{
    QStringList lines;
    for (int i = 0; i < kLines; ++i)
        lines << QStringLiteral("meter write %1 %2").arg(kRegister).arg(i);
    return lines;
}

void BM_ScriptOf1000Writes_Tcp(benchmark::State& state)
{
    ScriptBench bench;
    if (!bench.start()) {
        state.SkipWithError("cannot reach the simulator over TCP");
        return;
    }
    const QStringList lines = scriptLines();
    double scriptMs = 0;
    double plainMs = 0;
    for (auto _ : state) {
        plainMs = bench.plainWriteMs();
        if (plainMs < 0) {
            state.SkipWithError("a plain write failed");
            return;
        }
        QElapsedTimer elapsed;
        elapsed.start();
        const std::optional<ScriptSummary> summary = bench.runScript(lines);
        const double ms = double(elapsed.nsecsElapsed()) / 1e6;
        if (!summary || summary->written != kLines) {
            state.SkipWithError(summary ? qPrintable(summary->describe()) : "the script did not end");
            return;
        }
        state.SetIterationTime(ms / 1000);
        scriptMs = ms;
    }
    const double perLineMs = scriptMs / kLines;
    state.counters["lines"] = kLines;
    state.counters["ms_per_line"] = perLineMs;
    state.counters["plain_write_ms"] = plainMs;
    state.counters["ratio_to_plain_write"] = perLineMs / plainMs;
    // tmrMain restarts when a write's reply has come, so a line cannot take less than a tick
    // and a round trip.
    const double floorMs = Sequencer::kTickMs + plainMs;
    state.counters["floor_ms"] = floorMs;
    state.counters["ratio_to_floor"] = perLineMs / floorMs;
}

} // namespace

BENCHMARK(BM_ScriptOf1000Writes_Tcp)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
