#include "core/modbus/modbus_link.h"
#include "e2e/e2e_support.h"
#include "e2e/scaled_clock.h"
#include "e2e/wait.h"
#include "io/serial_transport.h"
#include "io/tcp_transport.h"
#include "sim/rtu_server.h"
#include "sim/simulated_unit.h"
#include "sim/slave_service.h"
#include "sim/tcp_server.h"
#include "support/recording_messages.h"

#include <QRandomGenerator>
#include <QTimer>

#include <gtest/gtest.h>

using namespace halvana;
using namespace halvana::test;

namespace {

constexpr int kFirst = 5001;
constexpr int kRegisters = 200;

struct FaultRun {
    const char* name;
    bool tcp;
    int exchanges;
    int speedUp;
    const char* faults;
};

// Our link against the simulator in one process, with seeded faults on every reply. The test
// knows the simulator's register image, so it can tell a wrong value from a right one.
class FaultInjection : public ::testing::TestWithParam<FaultRun> {
protected:
    struct Tally {
        int readsOk = 0, readExceptions = 0, writesOk = 0, writesFailed = 0, rejected = 0, timeouts = 0;
        int wrongValues = 0, falseSuccesses = 0;
    };

    FaultInjection() : clock(GetParam().speedUp), link(clock)
    {
        QVector<quint16> values;
        for (int i = 0; i < kRegisters; ++i)
            values << quint16(i * 257 + 3);
        unit.image().add(kFirst, values);
    }

    // Sends `exchanges` requests one after another, each once the previous one has ended, and
    // checks every value the link accepts against the image.
    void drive(int exchanges)
    {
        QRandomGenerator random(2024);
        int started = 0;
        int ended = 0;
        bool open = false;
        bool timedOut = false;
        int reg = 0;
        QVector<int> written;
        bool stalled = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&] { stalled = true; });

        const auto next = [&] {
            if (started == exchanges)
                return;
            ++started;
            open = true;
            timedOut = false;
            // Every exchange must end within the response time-out, with room for a busy machine.
            watchdog.start(3 * ModbusLink::kResponseTimeoutMs / GetParam().speedUp + 1000);
            const int count = 1 + int(random.bounded(random.bounded(4) == 0 ? 125 : 8));
            reg = kFirst + int(random.bounded(kRegisters - count + 1));
            written.clear();
            ModbusLink::RequestResult result;
            if (random.bounded(4) == 0) {
                for (int i = 0; i < qMin(count, 3); ++i)
                    written << int(random.bounded(65536));
                result = link.WriteQuery(reg, written);
            } else {
                result = link.ReadQuery(reg, count);
            }
            if (result == ModbusLink::RequestResult::Refused)
                ADD_FAILURE() << "request refused: " << qPrintable(link.refusal());
        };
        // The link emits all signals of one exchange in one go; the next request follows once it
        // is done, as the polling timer's next tick would. After a time-out the line gets the
        // pause a polling tick gives the wake-up text.
        const auto end = [&] {
            if (!open)
                return;
            open = false;
            ++ended;
            QTimer::singleShot(0, [&] { QTimer::singleShot(timedOut ? 5 : 0, next); });
        };
        QObject::connect(&link, &ModbusLink::exchangeEnded, [&](const ExchangeOutcome& outcome) {
            switch (outcome.kind) {
            case ExchangeOutcome::Kind::Registers:
                ++tally.readsOk;
                for (int i = 0; i < int(outcome.registers.size()); ++i)
                    tally.wrongValues += outcome.registers[size_t(i)] != unit.image().value(reg + i);
                break;
            case ExchangeOutcome::Kind::Acknowledged:
                ++tally.writesOk;
                for (int i = 0; i < written.size(); ++i)
                    tally.falseSuccesses += unit.image().value(reg + i) != written[i];
                break;
            case ExchangeOutcome::Kind::Exception:
                ++(outcome.isWrite() ? tally.writesFailed : tally.readExceptions);
                break;
            case ExchangeOutcome::Kind::Rejected:
                ++(outcome.isWrite() ? tally.writesFailed : tally.rejected);
                break;
            default:
                ++(outcome.isWrite() ? tally.writesFailed : tally.timeouts);
                timedOut = true;
                break;
            }
            end();
        });

        next();
        ASSERT_TRUE(waitUntil([&] { return ended == exchanges || stalled; }, 60000)) << "the run did not finish";
        EXPECT_FALSE(stalled) << "exchange " << started << " never ended";
    }

    ScaledClock clock;
    RecordingMessages messages;
    ModbusLink link;
    SimulatedUnit unit;
    Tally tally;
};

} // namespace

TEST_P(FaultInjection, NoWrongValueIsEverAccepted)
{
    const FaultRun& run = GetParam();
    QString error;
    const auto faults = FaultOptions::parse(QString::fromLatin1(run.faults), &error);
    ASSERT_TRUE(faults) << qPrintable(error);
    SlaveService service(unit, 1, FaultPlan(*faults, 4242), false);

    TcpServer tcpServer(service);
    RtuServer rtuServer(service);
    TcpTransport tcp;
    SerialTransport serial;
    PtyPair pty;
    if (run.tcp) {
        ASSERT_TRUE(tcpServer.listen(QStringLiteral("127.0.0.1"), 0, &error)) << qPrintable(error);
        tcp.setEndpoint(tcpServer.address());
        link.setTransports(nullptr, &tcp);
        link.setCommMode(1);
        bool connected = false;
        QObject::connect(&tcp, &Transport::connected, [&] { connected = true; });
        ASSERT_TRUE(tcp.open());
        ASSERT_TRUE(waitUntil([&] { return connected; }));
    } else {
        ASSERT_TRUE(pty.open()) << qPrintable(pty.error());
        ASSERT_TRUE(rtuServer.open(pty.unitSide(), 115200, false, &error)) << qPrintable(error);
        serial.setEndpoint(pty.toolSide());
        serial.setBaudRate(115200);
        ASSERT_TRUE(serial.open()) << qPrintable(serial.errorString());
        link.setTransports(&serial, nullptr);
        link.setCommMode(0);
    }
    link.setSlaveId(1);

    drive(run.exchanges);

    EXPECT_EQ(tally.wrongValues, 0);
    EXPECT_EQ(tally.falseSuccesses, 0);
    // A link that refused every reply would pass the above.
    EXPECT_GT(tally.readsOk, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Links, FaultInjection,
    ::testing::Values(
        FaultRun{"tcp", true, 1000, 100, "drop=0.01,corrupt=0.03,split=0.1,delay=1,exception=0.03,splitgap=1"},
        FaultRun{"rtu", false, 200, 20, "drop=0.01,corrupt=0.05,split=0.1,delay=1,exception=0.03,splitgap=1"},
        // Replies that come after the time-out must never be taken for the next request's.
        FaultRun{"tcp_late", true, 100, 50, "delay=50"}),
    [](const auto& info) { return std::string(info.param.name); });
