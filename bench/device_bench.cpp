// What the polling costs us next to what it must cost: the decoding of one reply into the
// device model and the grids, next to the time its frame takes on the wire at 115200 baud; and
// a whole polling cycle against halvana-sim over TCP and over a paced pseudo-terminal, next to
// its floor: a 10 ms tick before each request, the frames' wire time and, on RTU, the 70 ms of
// silence by which the link knows a reply has ended.
#include "core/device/device_data.h"
#include "core/device/sequencer.h"
#include "core/modbus/crc16.h"
#include "core/modbus/decoded_traffic.h"
#include "core/modbus/link_statistics.h"
#include "core/modbus/modbus_frames.h"
#include "core/modbus/modbus_link.h"
#include "core/time/manual_clock.h"
#include "e2e/e2e_support.h"
#include "e2e/wait.h"
#include "io/qt_clock.h"
#include "io/serial_transport.h"
#include "io/tcp_transport.h"
#include "support/recording_messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include "bench_main.h"

#include <benchmark/benchmark.h>

using namespace halvana;
using namespace halvana::test;

namespace {

constexpr int kBaud = 115200;
constexpr double kByteTimeMs = 10.0 * 1000 / kBaud;
constexpr double kSilenceMs = 3.5 * kByteTimeMs;

QString programFolder()
{
    return QStringLiteral(HALVANA_BIN_DIR);
}

// Request and reply of a read of `count` registers on an RTU line, with the silence after each.
double rtuWireMs(int count)
{
    return (8 + 5 + 2 * count) * kByteTimeMs + 2 * kSilenceMs;
}

struct DecodeCase {
    const char* name;
    int step;
    MeterHalf half;
    std::vector<int> tables;
    bool panelViews;
};

const DecodeCase kDecodeCases[] = {
    {"system info", kStepSystemInfo, MeterHalf::BCM1, {kSystemSettingsTable}, false},
    {"meter info", kStepMeterInfo1, MeterHalf::BCM1, {kMeterInfoTable}, false},
    {"meter status", kStepMeterStatus1, MeterHalf::BCM1, {}, false},
    {"branch settings", kStepBranchSettings, MeterHalf::BCM1, {kBranchSettingsTable, kAllSettingsTable}, false},
    {"branch readings", kStepBranchReadings, MeterHalf::BCM1, {kBranchSettingsTable, kBranchReadingsTable}, true},
    {"3-phase readings 2", kStepThreePhaseReadings, MeterHalf::BCM2, {kThreePhaseReadingsTable}, true},
    {"thermal settings", kStepThermalSettings, MeterHalf::BCM1, {kThermalSettingsTable}, false},
};

// One reply decoded into open tables, its values changing every time so that every cell is
// rewritten (the worst case; an unchanged reply rewrites nothing).
void BM_DecodeReply(benchmark::State& state)
{
    const DecodeCase& c = kDecodeCases[state.range(0)];
    state.SetLabel(c.name);
    RecordingMessages messages;
    DeviceData data(programFolder(), messages);
    data.systemSettings().SystemSettingsWindowOpen = true;
    data.systemSettings().frmSystemSettingsFlag = true;
    for (int table : c.tables)
        data.openTable(table);
    data.AllSettingsPassActive = true;
    if (c.panelViews) {
        data.panelboards().open(kBranchPanelView);
        data.panelboards().open(kSubfeedPanelView);
    }
    // A unit of 250 meters (125 branches, then 125 subfeeds), Map 2.
    data.model().NumMeters = kMaxMeters;
    for (int m = 0; m < kMaxMeters; ++m)
        data.model().MeterType[size_t(m)] = m < 125 ? kTypeBranch : kTypeSubfeed;

    ReadContext ctx;
    ctx.step = c.step;
    ctx.ReadHalf = c.half;
    ctx.MeterCursor = 7;
    ctx.MeterIndex = 132;
    ctx.CurrentMeterKind = kTypeSubfeed;
    const RegisterBlock block = RegisterMap::stepRead(c.step, 2, ctx.MeterCursor, c.half == MeterHalf::BCM2);
    ctx.firstRegister = block.first;
    ctx.ReadCount = block.count;
    RegData regs(size_t(block.count));
    quint16 round = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    for (auto _ : state) {
        ++round;
        for (size_t i = 0; i < regs.size(); ++i)
            regs[i] = quint16(i * 7 + round);
        if (c.step == kStepSystemInfo) {
            regs[4] = 125;
            regs[15] = 2;
        }
        if (!data.ProcessDataReceived(ctx, regs)) {
            state.SkipWithError("the reply did not decode");
            return;
        }
        if (c.step == kStepBranchSettings)
            data.openTable(kAllSettingsTable); // keep the collection from growing without end
    }
    const double decodeMs = double(elapsed.nsecsElapsed()) / 1e6 / double(state.iterations());
    state.counters["decode_us"] = decodeMs * 1000;
    state.counters["wire_ms"] = rtuWireMs(block.count);
    state.counters["ratio_to_wire"] = decodeMs / rtuWireMs(block.count);
}

// What the link statistics and the decoded traffic history add to one exchange: counting its
// outcome and decoding its request and reply frames, next to the decode of that reply (the
// branch readings of one meter: the "branch readings" row of BM_DecodeReply in the same run).
// Counting runs for every exchange; the frames are decoded only while the Data Spy records.
void BM_CountAndDecodeExchange(benchmark::State& state)
{
    const bool decodeFrames = state.range(0) != 0;
    state.SetLabel(decodeFrames ? "counting and decoding" : "counting");
    const RegisterBlock block = RegisterMap::stepRead(kStepBranchReadings, 2, 7, false);
    const QByteArray request = frame::RTUReadQuery(1, block.first, block.count).bytes;
    QByteArray reply;
    reply.append(char(1)).append(char(3)).append(char(2 * block.count));
    for (int i = 0; i < block.count; ++i)
        reply.append(char(0)).append(char(i));
    appendCrc(reply);

    ManualClock clock;
    LinkStatistics statistics;
    DecodedTraffic traffic(clock);
    ExchangeOutcome outcome;
    outcome.kind = ExchangeOutcome::Kind::Registers;
    outcome.request.function = 3;
    outcome.request.pollStep = kStepBranchReadings;
    QElapsedTimer elapsed;
    elapsed.start();
    for (auto _ : state) {
        outcome.roundTripUs = 200 + (state.iterations() & 1023);
        statistics.record(outcome);
        if (decodeFrames) {
            traffic.add(request, false, true, -1);
            traffic.add(reply, false, false, outcome.roundTripUs);
        }
    }
    state.counters["per_exchange_us"] = double(elapsed.nsecsElapsed()) / 1e3 / double(state.iterations());
}

// A full polling cycle: the meter list and, with the branch tables open, every branch's
// settings and readings; over RTU on a paced pty.

struct CycleCount {
    int requests = 0;
    int registers = 0;
};

void pollingCycle(benchmark::State& state, Wire wire)
{
    const bool branchTables = state.range(0) != 0;
    QTemporaryDir dir;
    const QString profile = dir.filePath(QStringLiteral("unit.txt"));
    QFile file(profile);
    if (!file.open(QIODevice::WriteOnly)) {
        state.SkipWithError("cannot write the profile");
        return;
    }
    file.write("meter pdu-input\nmeter subfeed count=2\nmeter panel\nmeter branch count=12\n");
    file.close();

    SimProcess sim;
    std::unique_ptr<Transport> transport;
    const QStringList args = {QStringLiteral("--profile"), profile};
    if (wire == Wire::Tcp) {
        if (!sim.startTcp(args)) {
            state.SkipWithError("no simulator on TCP");
            return;
        }
        auto tcp = std::make_unique<TcpTransport>();
        tcp->setEndpoint(sim.address());
        transport = std::move(tcp);
    } else {
        // The simulator serves the pty pair at kBaud.
        if (!sim.start(Wire::Rtu, args + QStringList{QStringLiteral("--pace")})) {
            state.SkipWithError("no simulator on a pseudo-terminal");
            return;
        }
        auto serial = std::make_unique<SerialTransport>();
        serial->setEndpoint(sim.address());
        serial->setBaudRate(kBaud);
        transport = std::move(serial);
    }

    QtClock clock;
    RecordingMessages messages;
    ModbusLink link(clock);
    const bool tcp = wire == Wire::Tcp;
    link.setTransports(tcp ? nullptr : transport.get(), tcp ? transport.get() : nullptr);
    link.setCommMode(tcp ? 1 : 0);
    DeviceData data(programFolder(), messages);
    Sequencer sequencer(link, data, clock);
    if (branchTables) {
        data.openTable(kBranchSettingsTable);
        data.openTable(kBranchReadingsTable);
    }

    if (!transport->open() || (tcp && !waitUntil([&] { return transport->isOpen(); }))) {
        state.SkipWithError("cannot reach the simulator");
        return;
    }

    CycleCount count;
    QObject::connect(&link, &ModbusLink::exchangeEnded, [&](const ExchangeOutcome& outcome) {
        ++count.requests;
        count.registers += outcome.request.count;
    });
    QEventLoop loop;
    QObject::connect(&sequencer, &Sequencer::cycleCompleted, &loop, &QEventLoop::quit);
    sequencer.setMainTimerEnabled(true);
    loop.exec(); // the first cycle learns the meter list and the map version

    QElapsedTimer elapsed;
    double totalMs = 0;
    CycleCount measured;
    for (auto _ : state) {
        count = {};
        elapsed.start();
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &loop, [&] { loop.exit(1); });
        guard.start(60000);
        if (loop.exec() != 0) {
            state.SkipWithError("the cycle did not complete");
            return;
        }
        const double ms = double(elapsed.nsecsElapsed()) / 1e6;
        state.SetIterationTime(ms / 1000.0);
        totalMs += ms;
        measured = count;
    }
    const double cycleMs = totalMs / double(state.iterations());
    // Steps that send nothing still cost a tick each: seven of them either way, the closed
    // tables' steps 5..11, or the pass ends of steps 5 and 6 and the closed steps 7..11.
    constexpr int kQuietTicks = 7;
    double floor = (measured.requests + kQuietTicks) * Sequencer::kTickMs;
    // On RTU each exchange also takes its frames' wire time and the frame gap after the reply.
    if (!tcp)
        floor += measured.requests * (rtuWireMs(0) - kSilenceMs + ModbusLink::kFrameGapMs)
                 + measured.registers * 2 * kByteTimeMs;
    state.counters["requests"] = measured.requests;
    state.counters["cycle_ms"] = cycleMs;
    state.counters["floor_ms"] = floor;
    state.counters["ratio_to_floor"] = cycleMs / floor;
}

void BM_PollingCycle_Tcp(benchmark::State& state)
{
    pollingCycle(state, Wire::Tcp);
}

void BM_PollingCycle_RtuPaced(benchmark::State& state)
{
    pollingCycle(state, Wire::Rtu);
}

} // namespace

BENCHMARK(BM_CountAndDecodeExchange)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeReply)->DenseRange(0, int(std::size(kDecodeCases)) - 1)->Unit(benchmark::kMicrosecond);
// Argument 0: every table closed; 1: the branch settings and readings tables open.
BENCHMARK(BM_PollingCycle_Tcp)->Arg(0)->Arg(1)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PollingCycle_RtuPaced)->Arg(0)->Arg(1)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
