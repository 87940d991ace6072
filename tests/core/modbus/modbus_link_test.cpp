#include "link_fixture.h"

using namespace halvana;
using namespace halvana::test;

namespace {

const QStringList kRegisters = {QStringLiteral("registers")};
const QStringList kRejected = {QStringLiteral("rejected")};

} // namespace

TEST_F(LinkTest, RtuReadIsFramedLoggedAndAssembledAcrossArrivalsUntilTheLineIsQuiet)
{
    ASSERT_EQ(link.ReadQuery(2001, 2), ModbusLink::RequestResult::Sent);
    EXPECT_EQ(serial.lastWritten(), rtuFrame("0103 07D0 0002"));
    EXPECT_EQ(link.LastSentHex(), hexText(serial.lastWritten()));

    const QByteArray reply = rtuFrame("0103 04 002A FFFF");
    serial.receive(reply.left(3));
    clock.advance(60);
    serial.receive(reply.mid(3));
    clock.advance(69);
    EXPECT_TRUE(events.isEmpty()) << "judged before 70 ms of silence";
    clock.advance(1);
    EXPECT_EQ(events, kRegisters);
    EXPECT_EQ(outcomes.front().request.id, link.lastRequestId());
    EXPECT_EQ(outcomes.front().request.address, 2000);
    EXPECT_EQ(outcomes.front().registers, (RegData{42, 65535}));
    EXPECT_EQ(regData(), (QVector<quint16>{42, 65535}));
    EXPECT_EQ(polling.resumes, 1);
    EXPECT_TRUE(link.trafficLog().text().startsWith(QStringLiteral("\nStarted\n") + hexText(serial.lastWritten())))
        << qPrintable(link.trafficLog().text());
    EXPECT_TRUE(link.trafficLog().text().contains(hexText(reply)));

    clock.advance(5000);
    EXPECT_EQ(events, kRegisters) << "the response time-out must be off after a reply";
}

// A second request would take the first one's reply for its own: a write sent during a read
// would fail on the read's reply, and the read would be lost.
TEST_F(LinkTest, ARequestWhileAnotherIsOutstandingIsRefusedAndTheFirstCompletes)
{
    ASSERT_EQ(link.ReadQuery(1, 2), ModbusLink::RequestResult::Sent);
    const quint64 read = link.lastRequestId();
    const int written = int(serial.written.size());
    EXPECT_EQ(link.WriteQuery(858, {1}), ModbusLink::RequestResult::Refused);
    EXPECT_TRUE(link.refusal().contains(QLatin1String("outstanding"))) << qPrintable(link.refusal());
    EXPECT_EQ(link.ReadQuery(5, 1), ModbusLink::RequestResult::Refused);
    EXPECT_EQ(serial.written.size(), written) << "nothing of a refused request goes on the wire";
    EXPECT_EQ(link.lastRequestId(), read);

    serial.receive(rtuFrame("0103 04 1111 2222"));
    clock.advance(ModbusLink::kFrameGapMs);
    ASSERT_EQ(events, kRegisters);
    EXPECT_EQ(outcomes.front().request.id, read);
    EXPECT_EQ(outcomes.front().registers, (RegData{0x1111, 0x2222}));
    EXPECT_EQ(link.WriteQuery(858, {1}), ModbusLink::RequestResult::Sent) << "refused only while outstanding";
}

// The time-out ends the exchange, resumes polling and sends the wake-up text to the RTU port.
TEST_F(LinkTest, AnEchoedRequestIsReportedUntilTheResponseTimeOut)
{
    link.ReadQuery(1, 2);
    const int writes = int(serial.written.size());
    serial.receive(serial.lastWritten());
    clock.advance(ModbusLink::kFrameGapMs * 3);
    EXPECT_EQ(events, (QStringList{"echo", "echo", "echo"}));
    events.clear();
    clock.advance(ModbusLink::kResponseTimeoutMs - ModbusLink::kFrameGapMs * 3 - 1);
    EXPECT_EQ(events.filter(QStringLiteral("echo")).size(), events.size());
    EXPECT_EQ(polling.resumes, 0);
    clock.advance(1);
    EXPECT_EQ(events.mid(events.size() - 2), (QStringList{"timed out", "start comm"}));
    EXPECT_EQ(polling.resumes, 1);
    ASSERT_EQ(serial.written.size(), writes + 1);
    EXPECT_EQ(serial.lastWritten(), ModbusLink::kWakeUpText);
    events.clear();
    clock.advance(1000);
    EXPECT_TRUE(events.isEmpty()) << "the frame-gap timer must stop at the time-out";
}

// After a time-out a late reply to the abandoned request has the size and form of the answer
// to the next request of the same kind: the next request waits until the line has been quiet
// for the guard time, and what comes meanwhile is logged as late and never decoded.
TEST_F(LinkTest, ALateRtuReplyIsLoggedAsLateAndNeverTakenForTheNextReply)
{
    for (const int lateMs : {2100, 2400, 2600}) {
        const qint64 start = clock.nowMs();
        events.clear();
        outcomes.clear();
        link.ReadQuery(1, 2);
        clock.advance(ModbusLink::kResponseTimeoutMs + 10);
        ASSERT_EQ(events, (QStringList{"timed out", "start comm"})) << lateMs;
        const int written = int(serial.written.size());
        ASSERT_EQ(link.ReadQuery(3, 2), ModbusLink::RequestResult::Sent) << lateMs;
        const quint64 next = link.lastRequestId();

        clock.advance(start + lateMs - clock.nowMs());
        serial.receive(readReply({0xBAD, 0xBAD}));
        clock.advance(ModbusLink::kFrameGapMs);
        EXPECT_EQ(serial.written.size(), written) << lateMs << ": the next request went out before the late reply";
        EXPECT_EQ(events.size(), 2) << lateMs << ": the late reply ended an exchange";

        // Held until the line has been quiet for the whole guard after the late frame.
        clock.advance(ModbusLink::kLateReplyGuardMs - ModbusLink::kFrameGapMs - 1);
        EXPECT_EQ(serial.written.size(), written) << lateMs;
        clock.advance(1);
        ASSERT_EQ(serial.written.size(), written + 1) << lateMs;
        EXPECT_EQ(serial.lastWritten(), rtuFrame("0103 0002 0002")) << lateMs;
        serial.receive(readReply({3, 4}));
        clock.advance(ModbusLink::kFrameGapMs);
        ASSERT_EQ(outcomes.size(), 2) << lateMs;
        EXPECT_EQ(outcomes.back().request.id, next) << lateMs;
        EXPECT_EQ(outcomes.back().registers, (RegData{3, 4})) << lateMs;
        clock.advance(ModbusLink::kResponseTimeoutMs);
        EXPECT_EQ(outcomes.size(), 2) << lateMs << ": the held request's time-out ran on";
    }
    EXPECT_EQ(link.trafficLog().text().count(QLatin1String("Late: 9 bytes after the response time-out")), 3);
}

TEST_F(LinkTest, DuringAFirmwareTransferTheTimeOutOnlyStopsItself)
{
    link.ReadQuery(1, 2);
    link.state().UpgradeState = LinkState::kUpgradeRunning;
    clock.advance(ModbusLink::kResponseTimeoutMs * 3);
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(polling.resumes, 0);
}

class TcpLinkTest : public LinkTest {
protected:
    TcpLinkTest() { link.setCommMode(1); }
};

TEST_F(TcpLinkTest, ResponseTimeOutOverTcpSendsNoWakeUpButReconnectsALostSocket)
{
    link.ReadQuery(1, 2);
    const int writes = int(tcp.written.size());
    clock.advance(ModbusLink::kResponseTimeoutMs);
    EXPECT_EQ(events, (QStringList{"timed out"}));
    EXPECT_EQ(tcp.written.size(), writes);
    EXPECT_TRUE(serial.written.isEmpty());

    events.clear();
    tcp.drop();
    EXPECT_EQ(link.ReadQuery(1, 2), ModbusLink::RequestResult::NotSent);
    clock.advance(ModbusLink::kResponseTimeoutMs);
    EXPECT_EQ(events, (QStringList{"not sent", "start comm"}));
}

TEST_F(TcpLinkTest, ARefusedRequestChangesNothing)
{
    link.setPanelOffset(4000);
    polling.step = 10;
    EXPECT_EQ(link.ReadQuery(64001, 120), ModbusLink::RequestResult::Refused);
    EXPECT_TRUE(link.refusal().contains(QLatin1String("beyond 65535")));
    EXPECT_EQ(link.WriteQuery(64001, {70000}), ModbusLink::RequestResult::Refused);
    EXPECT_TRUE(tcp.written.isEmpty());
    EXPECT_FALSE(link.requestOutstanding());
    EXPECT_EQ(link.TransactionCounter(), 0) << "a refused request takes no transaction number";
    clock.advance(ModbusLink::kResponseTimeoutMs);
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(TcpLinkTest, TcpReadsTakeThePanelOffsetOffStepZeroOrWhenRequested)
{
    link.setPanelOffset(4000);
    const struct {
        int step;
        bool panelEnable;
        int address;
    } cases[] = {{0, false, 0}, {3, false, 4000}, {0, true, 4000}};
    for (const auto& c : cases) {
        polling.step = c.step;
        link.state().PanelEnableRequested = c.panelEnable;
        link.ReadQuery(1, 63);
        const QByteArray sent = tcp.lastWritten();
        EXPECT_EQ(uchar(sent[8]) * 256 + uchar(sent[9]), c.address) << c.step << c.panelEnable;
        link.abandonRequest();
    }
    link.state().PanelEnableRequested = false;
    polling.step = 0;
    link.WriteQuery(858, {1});
    const QByteArray sent = tcp.lastWritten();
    EXPECT_EQ(uchar(sent[8]) * 256 + uchar(sent[9]), 4857) << "writes always take the offset";
}

TEST_F(TcpLinkTest, RepliesAreAssembledByTheirLengthFieldAndExtraBytesDropped)
{
    link.ReadQuery(1, 2);
    const QByteArray first = tcpReply(link.TransactionCounter(), "0000 0007 01 03 04 002A FFFF");
    tcp.receive(first.left(5));
    tcp.receive(first.mid(5, 4));
    EXPECT_TRUE(events.isEmpty());
    tcp.receive(first.mid(9) + QByteArray::fromHex("DEADBEEF"));
    EXPECT_EQ(events, kRegisters);
    EXPECT_EQ(regData(), (QVector<quint16>{42, 65535}));
    EXPECT_TRUE(link.trafficLog().text().contains(QLatin1String("Dropped: 4 bytes after the reply.")));

    // A flood larger than any buffer: the first frame counts, the rest is dropped.
    link.ReadQuery(1, 2);
    events.clear();
    tcp.receive(tcpReply(link.TransactionCounter(), "0000 0007 01 03 04 0001 0002") + QByteArray(5000, '\xFF'));
    EXPECT_EQ(events, kRegisters);
    EXPECT_EQ(regData(), (QVector<quint16>{1, 2}));
}

TEST_F(TcpLinkTest, HeaderChecksComeBeforeAnyValueIsTaken)
{
    link.ReadQuery(1, 2);
    tcp.receive(tcpReply(link.TransactionCounter(), "0000 0007 01 03 04 0007 0008"));
    events.clear();
    link.ReadQuery(1, 2);
    tcp.receive(tcpReply(link.TransactionCounter(), "0000 0001 01")); // no room for a function code
    EXPECT_EQ(events, kRejected);
    EXPECT_EQ(regData(), (QVector<quint16>{7, 8}));
    // A late reply to an earlier request leaves this one outstanding; its own reply counts.
    events.clear();
    link.ReadQuery(1, 2);
    tcp.receive(tcpReply(quint16(link.TransactionCounter() - 1), "0000 0007 01 03 04 1111 2222"));
    tcp.receive(tcpReply(quint16(link.TransactionCounter() - 1), "0000 0007 01 03 04 1111 2222"));
    EXPECT_TRUE(link.requestOutstanding());
    tcp.receive(tcpReply(link.TransactionCounter(), "0000 0007 01 03 04 0003 0004"));
    EXPECT_EQ(events, (QStringList{"unusable", "unusable", "registers"}));
    EXPECT_EQ(regData(), (QVector<quint16>{3, 4}));
}

TEST_F(TcpLinkTest, WritesTakeTheNextTransactionAndClearThePanelEnableRequest)
{
    link.ReadQuery(1, 1);
    link.abandonRequest();
    link.state().PanelEnableRequested = true;
    link.WriteQuery(858, {1});
    EXPECT_EQ(tcp.lastWritten(), QByteArray::fromHex("0002 0000 0009 01 10 0359 0001 02 0001"));
    tcp.receive(QByteArray::fromHex("0002 0000 0006 01 10 0359 0001"));
    EXPECT_EQ(events, (QStringList{"abandoned", "ack"}));
    EXPECT_FALSE(link.state().PanelEnableRequested);
}
