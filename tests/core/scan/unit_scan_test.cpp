#include "core/modbus/crc16.h"
#include "core/scan/unit_scan.h"
#include "core/time/manual_clock.h"
#include "support/fake_transport.h"
#include "support/rtu_frame.h"

#include <gtest/gtest.h>

#include <functional>

using namespace halvana;
using namespace halvana::test;

namespace {

// The start of a system information block: firmware 2.05 build 13 on map 1.
QByteArray rtuReply(int slave)
{
    QByteArray frame(1, char(slave));
    frame += QByteArray::fromHex("0320");
    for (int reg = 1; reg <= ScanPlan::kRegisterCount; ++reg) {
        const quint16 value = reg == 3 ? 0x0205 : reg == 4 ? 13 : reg == 16 ? 1 : 0;
        frame += char(value >> 8);
        frame += char(value & 0xFF);
    }
    appendCrc(frame);
    return frame;
}

// Runs a scan against a line on which `answer` gives the reply (or nothing) to each request
// at the transport's current speed; returns the finished signal's argument.
struct ScanRun {
    ManualClock clock;
    FakeTransport line{false};
    UnitScan scan{line, clock};
    QStringList failures;
    std::optional<bool> cancelled;

    ScanRun()
    {
        QObject::connect(&scan, &UnitScan::endpointFailed, [this](const QString& m) { failures << m; });
        QObject::connect(&scan, &UnitScan::finished, [this](bool c) { cancelled = c; });
    }
    void run(const ScanPlan& plan, const std::function<QByteArray(const QByteArray&, int baud)>& answer)
    {
        scan.start(plan);
        qsizetype answered = 0;
        while (scan.isRunning()) {
            if (line.written.size() > answered) {
                answered = line.written.size();
                const QByteArray reply = answer(line.written.last(), line.baud);
                if (!reply.isEmpty()) {
                    line.receive(reply);
                    continue;
                }
            }
            ASSERT_TRUE(clock.fireNext());
        }
    }
};

ScanPlan rtuPlan(QStringList ports, QVector<int> bauds, int first, int last)
{
    ScanPlan plan;
    plan.endpoints = std::move(ports);
    plan.bauds = std::move(bauds);
    plan.firstId = first;
    plan.lastId = last;
    return plan;
}

} // namespace

TEST(ScanPlan, EachTryWaitsForItsWireTimeAndTheEstimateAddsThemUp)
{
    // 45 characters of 11 bits, rounded up, and the unit's turnaround.
    EXPECT_EQ(ScanPlan::timeoutMs(9600), 52 + ScanPlan::kTurnaroundMs);
    EXPECT_EQ(ScanPlan::timeoutMs(115200), 5 + ScanPlan::kTurnaroundMs);
    const ScanPlan plan = rtuPlan({"a", "b"}, {9600, 115200}, 1, 247);
    EXPECT_EQ(plan.tryCount(), 2 * 2 * 247);
    EXPECT_EQ(plan.estimateMs(), 2 * 247 * (ScanPlan::timeoutMs(9600) + ScanPlan::timeoutMs(115200)));
    EXPECT_EQ(plan.description(), "2 ports x 2 speeds x 247 IDs");
    EXPECT_EQ(durationText(plan.estimateMs()), "2 min 7 s");
}

TEST(UnitScan, NothingAnsweringEndsExactlyAtTheEstimateHavingOnlyRead)
{
    ScanRun r;
    const ScanPlan plan = rtuPlan({"/dev/ttyUSB0"}, {9600, 38400}, 5, 7);
    r.run(plan, [](const QByteArray&, int) { return QByteArray(); });
    EXPECT_EQ(r.clock.nowMs(), plan.estimateMs());
    EXPECT_EQ(r.cancelled, false);
    EXPECT_TRUE(r.scan.found().isEmpty());
    ASSERT_EQ(r.line.written.size(), 6);
    for (const QByteArray& request : r.line.written)
        EXPECT_EQ(request.mid(1, 5), QByteArray::fromHex("0300000010")) << "a read of registers 1 to 16";
    EXPECT_FALSE(r.line.isOpen());
}

TEST(UnitScan, RepliesAreJudgedByTheirChecksAndAFoundUnitFixesItsLinesSpeed)
{
    const struct {
        const char* name;
        std::function<QByteArray(int slave)> reply;
        bool found;
        const char* note;
    } cases[] = {
        {"a read reply", [](int s) { return rtuReply(s); }, true, ""},
        {"an exception is a unit too", [](int) { return rtuFrame("028302"); }, true,
         "exception 2 (Illegal Data Address)"},
        {"a bad CRC is nobody", [](int s) { return rtuReply(s).chopped(1) + 'x'; }, false, ""},
        {"another slave's reply is nobody", [](int) { return rtuReply(9); }, false, ""},
    };
    for (const auto& c : cases) {
        ScanRun r;
        r.run(rtuPlan({"/dev/ttyUSB0"}, {19200, 9600, 115200}, 1, 3), [&](const QByteArray& request, int baud) {
            return baud == 9600 && request[0] == 2 ? c.reply(2) : QByteArray();
        });
        ASSERT_EQ(r.scan.found().size(), c.found ? 1 : 0) << c.name;
        // 19200 and 9600 tried; once a unit answers, 115200 is not.
        EXPECT_EQ(r.line.written.size(), c.found ? 6 : 9) << c.name;
        if (!c.found)
            continue;
        const FoundUnit& unit = r.scan.found().first();
        EXPECT_EQ(unit.where.baud, 9600) << c.name;
        EXPECT_EQ(unit.where.slaveId, 2) << c.name;
        EXPECT_EQ(unit.note, QLatin1String(c.note)) << c.name;
        EXPECT_EQ(unit.firmware, c.note[0] ? "" : "02.05.013") << c.name;
        EXPECT_EQ(unit.mapVersion, c.note[0] ? 0 : 1) << c.name;
    }
}

TEST(UnitScan, APortThatWillNotOpenIsNamedAndTheNextIsScanned)
{
    ScanRun r;
    r.line.openFailure = Transport::OpenError::InUse;
    QObject::connect(&r.scan, &UnitScan::endpointFailed, [&] { r.line.openFailure = Transport::OpenError::None; });
    r.run(rtuPlan({"/dev/ttyS0", "/dev/ttyUSB0"}, {9600, 19200}, 1, 2),
          [](const QByteArray& request, int) { return rtuReply(request[0]); });
    EXPECT_EQ(r.failures, QStringList{"/dev/ttyS0: fake failure"});
    ASSERT_EQ(r.scan.found().size(), 2);
    EXPECT_EQ(r.scan.found()[1].where.endpoint, "/dev/ttyUSB0");
    EXPECT_EQ(r.scan.found()[1].where.slaveId, 2);
}

TEST(UnitScan, OverTcpAGatewaysNoTargetIsNobodyAndCancelClosesTheSocket)
{
    ManualClock clock;
    FakeTransport socket{true};
    UnitScan scan(socket, clock);
    std::optional<bool> cancelled;
    QObject::connect(&scan, &UnitScan::finished, [&](bool c) { cancelled = c; });
    ScanPlan plan;
    plan.tcp = true;
    plan.endpoints = {"10.0.0.7"};
    plan.lastId = 3;
    scan.start(plan);
    socket.completeConnect();
    // Transaction 1, unit 1: the gateway has nobody there.
    socket.receive(QByteArray::fromHex("0001 0000 0003 01 83 0B"));
    ASSERT_EQ(socket.written.size(), 2);
    EXPECT_EQ(socket.written[1].mid(6, 1), QByteArray::fromHex("02"));
    socket.receive(QByteArray::fromHex("0002 0000 0003 02 83 02"));
    ASSERT_EQ(scan.found().size(), 1);
    EXPECT_EQ(scan.found()[0].where.slaveId, 2);
    scan.cancel();
    EXPECT_EQ(cancelled, true);
    EXPECT_FALSE(socket.isOpen());
    EXPECT_EQ(clock.msToNextTimer(), -1);
}
