#include "link_fixture.h"

#include "core/modbus/status_panels.h"

using namespace halvana;
using namespace halvana::test;

namespace {

const QStringList kReady = {QStringLiteral("ready")};
const QStringList kRejected = {QStringLiteral("rejected")};

} // namespace

TEST_F(LinkTest, RtuReadIsFramedLoggedAndAssembledAcrossArrivalsUntilTheLineIsQuiet)
{
    ASSERT_EQ(link.ReadQuery(2001, 2), ModbusLink::RequestResult::Sent);
    EXPECT_EQ(serial.lastWritten(), rtuFrame("0103 07D0 0002"));
    EXPECT_EQ(link.RegCount(), 2);
    EXPECT_EQ(link.LastSentHex(), hexText(serial.lastWritten()));

    const QByteArray reply = rtuFrame("0103 04 002A FFFF");
    serial.receive(reply.left(3));
    clock.advance(60);
    serial.receive(reply.mid(3));
    clock.advance(69);
    EXPECT_TRUE(events.isEmpty()) << "judged before 70 ms of silence";
    clock.advance(1);
    EXPECT_EQ(events, kReady);
    EXPECT_EQ(regData(2), (QVector<quint16>{42, 65535}));
    EXPECT_EQ(polling.resumes, 1);
    EXPECT_TRUE(link.LastSentHex().isEmpty());
    EXPECT_TRUE(link.trafficLog().text().contains(hexText(reply)));

    clock.advance(5000);
    EXPECT_EQ(events, kReady) << "the response time-out must be off after a reply";
}

// A reply that fails a check (the checks themselves: reply_check_test) is dropped: nothing
// reaches RegData and polling resumes.
TEST_F(LinkTest, RtuRepliesThatFailACheckLeaveRegDataAlone)
{
    const QByteArray good = rtuFrame("0103 04 1111 2222");
    QByteArray badCrc = good;
    badCrc[4] = char(badCrc[4] ^ 1);
    const struct {
        const char* name;
        QByteArray reply;
        QStringList events;
    } cases[] = {
        {"bad CRC", badCrc, kRejected},
        {"three registers for two", rtuFrame("0103 06 1111 2222 3333"), kRejected},
        {"oversized", QByteArray(1500, '\x01'), kRejected},
        {"read exception", rtuFrame("0183 02"), {QStringLiteral("exception 2")}},
    };
    for (const auto& c : cases) {
        rtuRead({7, 8});
        events.clear();
        const int resumes = polling.resumes;
        link.ReadQuery(1, 2);
        serial.receive(c.reply);
        clock.advance(ModbusLink::kFrameGapMs);
        EXPECT_EQ(events, c.events) << c.name;
        EXPECT_EQ(regData(2), (QVector<quint16>{7, 8})) << c.name;
        EXPECT_EQ(polling.resumes, resumes + 1) << c.name;
        EXPECT_FALSE(link.requestOutstanding()) << c.name;
        EXPECT_EQ(exchangesEnded, 2 * (&c - cases + 1)) << c.name;
    }
    EXPECT_TRUE(link.trafficLog().text().contains(QLatin1String("Exception 2: Illegal Data Address")));
}

TEST_F(LinkTest, AReplySplitByMoreThanTheFrameGapIsJudgedInPartsAndNeverDecoded)
{
    rtuRead({7, 8});
    events.clear();
    link.ReadQuery(1, 2);
    const QByteArray reply = rtuFrame("0103 04 1111 2222");
    serial.receive(reply.left(4));
    clock.advance(100);
    serial.receive(reply.mid(4));
    clock.advance(100);
    EXPECT_EQ(events, kRejected);
    EXPECT_EQ(regData(2), (QVector<quint16>{7, 8}));
}

TEST_F(LinkTest, ANewRequestDiscardsHalfReceivedBytes)
{
    link.ReadQuery(1, 2);
    serial.receive(QByteArray::fromHex("0103"));
    link.ReadQuery(1, 2);
    clock.advance(ModbusLink::kFrameGapMs);
    EXPECT_TRUE(events.isEmpty()) << "the old bytes were judged with the new request";
    serial.receive(rtuFrame("0103 04 1111 2222"));
    clock.advance(ModbusLink::kFrameGapMs);
    EXPECT_EQ(events, kReady);
}

TEST_F(LinkTest, BytesWithNoRequestOutstandingDoNotRestartPolling)
{
    serial.receive(rtuFrame("0103 04 1111 2222"));
    clock.advance(ModbusLink::kFrameGapMs * 3);
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(polling.resumes, 0);
    EXPECT_EQ(link.RegData()[0], 0);
    EXPECT_TRUE(serial.written.isEmpty()) << "no wake-up text while idle";
}

TEST_F(LinkTest, AnEchoedRequestIsReportedUntilTheResponseTimeOutReopens)
{
    link.ReadQuery(1, 2);
    serial.receive(serial.lastWritten());
    clock.advance(ModbusLink::kFrameGapMs * 3);
    EXPECT_EQ(events, (QStringList{"echo", "echo", "echo"}));
    events.clear();
    clock.advance(ModbusLink::kResponseTimeoutMs);
    EXPECT_EQ(events.filter(QStringLiteral("echo")).size(), events.size() - 2);
    EXPECT_EQ(events.mid(events.size() - 2), (QStringList{"timed out", "start comm"}));
    events.clear();
    clock.advance(1000);
    EXPECT_TRUE(events.isEmpty()) << "the frame-gap timer must stop at the time-out";

    // Once the exchange is over the old request's bytes are no echo.
    rtuRead({1});
    events.clear();
    serial.receive(rtuFrame("0103 0000 0001"));
    clock.advance(ModbusLink::kFrameGapMs);
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(LinkTest, ResponseTimeOutResumesPollingAndWakesTheRtuPortUp)
{
    link.ReadQuery(1, 2);
    const int writes = int(serial.written.size());
    clock.advance(ModbusLink::kResponseTimeoutMs - 1);
    EXPECT_TRUE(events.isEmpty());
    clock.advance(1);
    EXPECT_EQ(events, (QStringList{"timed out", "start comm"}));
    EXPECT_EQ(polling.resumes, 1);
    ASSERT_EQ(serial.written.size(), writes + 1);
    EXPECT_EQ(serial.lastWritten(), QByteArray("\r\n\r\nconfig\r\n"));

    // The late reply finds nothing outstanding.
    events.clear();
    serial.receive(rtuFrame("0103 04 1111 2222"));
    clock.advance(ModbusLink::kFrameGapMs);
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(link.RegData()[0], 0);
}

// At slow line speeds the wake-up text is still on the wire when the next poll tick comes; a
// request written then would merge with it into one garbled frame, time out, and repeat.
TEST_F(LinkTest, ARequestAfterTheWakeUpWaitsUntilTheTextHasLeftTheLine)
{
    const struct {
        int baud;
        int heldMs; // (12 characters + 3.5 of silence) x 10 bits, rounded up; 0: not held at all
    } cases[] = {{9600, 17}, {19200, 9}, {115200, 0}};
    for (const auto& c : cases) {
        serial.baud = c.baud;
        link.ReadQuery(1, 2);
        clock.advance(ModbusLink::kResponseTimeoutMs);
        ASSERT_EQ(serial.lastWritten(), QByteArray("\r\n\r\nconfig\r\n")) << c.baud;

        clock.advance(10);
        const int before = int(serial.written.size());
        ASSERT_EQ(link.ReadQuery(1, 2), ModbusLink::RequestResult::Sent);
        const int held = c.heldMs > 10 ? c.heldMs - 10 : 0;
        if (held > 0) {
            EXPECT_EQ(serial.written.size(), before) << c.baud << ": written onto the wake-up text";
            clock.advance(held - 1);
            EXPECT_EQ(serial.written.size(), before) << c.baud;
            clock.advance(1);
        }
        ASSERT_EQ(serial.written.size(), before + 1) << c.baud;
        EXPECT_EQ(serial.lastWritten(), rtuFrame("0103 0000 0002")) << c.baud;

        events.clear();
        serial.receive(rtuFrame("0103 04 1111 2222"));
        clock.advance(ModbusLink::kFrameGapMs);
        EXPECT_EQ(events, kReady) << c.baud;
    }
}

TEST_F(LinkTest, ResponseTimeOutOverTcpSendsNoWakeUpButReconnectsALostSocket)
{
    link.setCommMode(1);
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
    EXPECT_EQ(events, (QStringList{"timed out", "start comm"}));
}

TEST_F(LinkTest, WhileTheUnitRebootsReceivedDataIsDiscarded)
{
    link.ReadQuery(1, 2);
    link.state().IgnoreReceive = true;
    serial.receive(rtuFrame("0103 04 1111 2222"));
    clock.advance(ModbusLink::kResponseTimeoutMs * 2);
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(polling.resumes, 0);
    EXPECT_TRUE(link.ReceiveText().isEmpty());
}

TEST_F(LinkTest, DuringAFirmwareTransferTheTimeOutOnlyStopsItself)
{
    link.ReadQuery(1, 2);
    link.state().UpgradeState = LinkState::kUpgradeRunning;
    clock.advance(ModbusLink::kResponseTimeoutMs * 3);
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(polling.resumes, 0);
}

// Every user write ends in exactly one report, clears WritePending and lets polling run again.
TEST_F(LinkTest, EveryWriteOutcomeIsReportedOnce)
{
    const QByteArray ack = rtuFrame("0110 0359 0001");
    QByteArray badAck = ack;
    badAck[6] = char(badAck[6] ^ 1);
    const QString outOfRange =
        QStringLiteral("Unsuccessful Write: The value could have been out of range for this item.");
    const struct {
        const char* name;
        bool portOpen;
        QByteArray reply; // empty: none comes
        QStringList events;
        QString messageBox;
    } cases[] = {
        {"acknowledged", true, ack, {"write ok: Successful Write "}, {}},
        {"exception", true, rtuFrame("0190 03"), {"beep", "write failed: " + outOfRange}, outOfRange},
        {"ack with bad CRC", true, badAck,
         {"rejected", "write failed: Unsuccessful Write: the reply was unusable (CRC error in a reply of 8 bytes.)."},
         {}},
        {"no reply", true, {}, {"write failed: Unsuccessful Write: no reply within 2000 ms.", "timed out", "start comm"}, {}},
        {"port closed", false, {},
         {"start comm", "write failed: Unsuccessful Write: no reply within 2000 ms.", "timed out", "start comm"}, {}},
    };
    for (const auto& c : cases) {
        events.clear();
        messages.texts.clear();
        if (!c.portOpen)
            serial.close();
        polling.disabled = true; // the change-setting dialog suspended polling
        const auto result = link.WriteQuery(858, {1});
        EXPECT_EQ(result, c.portOpen ? ModbusLink::RequestResult::Sent : ModbusLink::RequestResult::NotSent) << c.name;
        EXPECT_TRUE(link.state().WritePending) << c.name;
        if (!c.reply.isEmpty())
            serial.receive(c.reply);
        clock.advance(ModbusLink::kResponseTimeoutMs);
        EXPECT_EQ(events, c.events) << c.name;
        EXPECT_EQ(messages.texts, c.messageBox.isEmpty() ? QStringList() : QStringList{c.messageBox}) << c.name;
        EXPECT_FALSE(link.state().WritePending) << c.name;
        EXPECT_FALSE(polling.disabled) << c.name;
        EXPECT_EQ(exchangesEnded, &c - cases + 1) << c.name;
        serial.open();
    }
}

TEST_F(LinkTest, ARefusedRequestChangesNothing)
{
    link.setCommMode(1);
    link.setPanelOffset(4000);
    polling.step = 10;
    EXPECT_EQ(link.ReadQuery(64001, 120), ModbusLink::RequestResult::Refused);
    EXPECT_TRUE(link.refusal().contains(QLatin1String("beyond 65535")));
    EXPECT_EQ(link.WriteQuery(64001, {70000}), ModbusLink::RequestResult::Refused);
    EXPECT_FALSE(link.state().WritePending);
    EXPECT_TRUE(tcp.written.isEmpty());
    EXPECT_FALSE(link.requestOutstanding());
    EXPECT_EQ(link.TransactionCounter(), 0) << "a refused request takes no transaction number";
    clock.advance(ModbusLink::kResponseTimeoutMs);
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(LinkTest, TcpReadsTakeThePanelOffsetOffStepZeroOrWhenRequested)
{
    link.setCommMode(1);
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
    }
    link.state().PanelEnableRequested = false;
    polling.step = 0;
    link.WriteQuery(858, {1});
    const QByteArray sent = tcp.lastWritten();
    EXPECT_EQ(uchar(sent[8]) * 256 + uchar(sent[9]), 4857) << "writes always take the offset";
}

class TcpLinkTest : public LinkTest {
protected:
    TcpLinkTest() { link.setCommMode(1); }

    QByteArray readReply(quint16 transaction, const char* rest)
    {
        QByteArray frame;
        frame.append(char(transaction >> 8));
        frame.append(char(transaction & 0xFF));
        return frame + QByteArray::fromHex(rest);
    }
};

TEST_F(TcpLinkTest, RepliesAreAssembledByTheirLengthFieldAndExtraBytesDropped)
{
    link.ReadQuery(1, 2);
    const quint16 id = link.TransactionCounter();
    const QByteArray reply = readReply(id, "0000 0007 01 03 04 002A FFFF");
    tcp.receive(reply.left(5));
    tcp.receive(reply.mid(5, 4));
    EXPECT_TRUE(events.isEmpty());
    tcp.receive(reply.mid(9) + QByteArray::fromHex("DEADBEEF"));
    EXPECT_EQ(events, kReady);
    EXPECT_EQ(regData(2), (QVector<quint16>{42, 65535}));
    EXPECT_TRUE(link.trafficLog().text().contains(QLatin1String("Dropped: 4 bytes after the reply.")));

    // A flood larger than any buffer: the first frame counts, the rest is dropped.
    link.ReadQuery(1, 2);
    events.clear();
    tcp.receive(readReply(link.TransactionCounter(), "0000 0007 01 03 04 0001 0002") + QByteArray(5000, '\xFF'));
    EXPECT_EQ(events, kReady);
    EXPECT_EQ(regData(2), (QVector<quint16>{1, 2}));
}

TEST_F(TcpLinkTest, HeaderChecksComeBeforeAnyValueIsTaken)
{
    const struct {
        const char* name;
        int transactionDelta;
        const char* rest;
        QStringList events;
    } cases[] = {
        {"late reply to an earlier request", -1, "0000 0007 01 03 04 1111 2222", {"unusable"}},
        {"unit 2", 0, "0000 0007 02 03 04 1111 2222", kRejected},
        {"impossible length", 0, "0000 0001 01", kRejected},
        {"read exception", 0, "0000 0003 01 83 02", {"exception 2"}},
    };
    for (const auto& c : cases) {
        link.ReadQuery(1, 2);
        tcp.receive(readReply(link.TransactionCounter(), "0000 0007 01 03 04 0007 0008"));
        events.clear();
        link.ReadQuery(1, 2);
        tcp.receive(readReply(quint16(link.TransactionCounter() + c.transactionDelta), c.rest));
        EXPECT_EQ(events, c.events) << c.name;
        EXPECT_EQ(regData(2), (QVector<quint16>{7, 8})) << c.name;
    }
    // After a late reply the request is still outstanding and its own reply counts.
    events.clear();
    link.ReadQuery(1, 2);
    tcp.receive(readReply(quint16(link.TransactionCounter() - 1), "0000 0007 01 03 04 1111 2222"));
    const int ended = exchangesEnded;
    tcp.receive(readReply(quint16(link.TransactionCounter() - 1), "0000 0007 01 03 04 1111 2222"));
    EXPECT_EQ(exchangesEnded, ended) << "a late reply does not end the exchange";
    tcp.receive(readReply(link.TransactionCounter(), "0000 0007 01 03 04 0003 0004"));
    EXPECT_EQ(exchangesEnded, ended + 1);
    EXPECT_EQ(events, (QStringList{"unusable", "unusable", "ready"}));
    EXPECT_EQ(regData(2), (QVector<quint16>{3, 4}));
}

TEST_F(TcpLinkTest, WritesTakeTheNextTransactionAndLearnTheirOutcome)
{
    link.ReadQuery(1, 1);
    EXPECT_EQ(link.TransactionCounter(), 1);
    link.state().PanelEnableRequested = true;
    link.WriteQuery(858, {1});
    EXPECT_EQ(tcp.lastWritten(), QByteArray::fromHex("0002 0000 0009 01 10 0359 0001 02 0001"));
    tcp.receive(QByteArray::fromHex("0002 0000 0006 01 10 0359 0001"));
    EXPECT_EQ(events, (QStringList{"write ok: Successful Write "}));
    EXPECT_FALSE(link.state().WritePending);
    EXPECT_FALSE(link.state().PanelEnableRequested);
}

// The flags of the global write and the calibration sequence, advanced by a write's outcome.
TEST_F(LinkTest, WriteFlagsAdvanceOnAcknowledgementAndFailOnAnythingElse)
{
    const QString step1Failed = QStringLiteral("The global write was unsuccessful.  (Step 1)");
    const QString step2Failed = QStringLiteral("The global write was unsuccessful.  (Step 2)");
    enum Outcome { Ack, Exception, Silence };
    const struct {
        const char* name;
        void (*arm)(LinkState&);
        Outcome outcome;
        bool (*check)(const LinkState&);
        QStringList events;
        QString messageBox;
    } cases[] = {
        {"global step 1 acknowledged", [](LinkState& s) { s.GlobalWriteStep = 1; }, Ack,
         [](const LinkState& s) { return s.GlobalWriteStep == 2; }, {}, {}},
        {"global step 1 refused", [](LinkState& s) { s.GlobalWriteStep = 1; }, Exception,
         [](const LinkState& s) { return s.GlobalWriteStep == 0; }, {"beep"}, step1Failed},
        {"global step 1 unanswered", [](LinkState& s) { s.GlobalWriteStep = 1; }, Silence,
         [](const LinkState& s) { return s.GlobalWriteStep == 0; }, {"beep", "timed out", "start comm"}, step1Failed},
        {"global step 2 acknowledged", [](LinkState& s) { s.GlobalWriteStep = 3; }, Ack,
         [](const LinkState& s) { return s.GlobalWriteStep == 0; }, {}, {}},
        {"global step 2 refused", [](LinkState& s) { s.GlobalWriteStep = 3; }, Exception,
         [](const LinkState& s) { return s.GlobalWriteStep == 0; }, {"beep"}, step2Failed},
        {"calibration value acknowledged", [](LinkState& s) { s.CalValueWriteSent = true; }, Ack,
         [](const LinkState& s) { return !s.CalValueWriteSent && s.FollowUpWritePending; }, {}, {}},
        {"calibration value refused", [](LinkState& s) { s.CalValueWriteSent = true; }, Exception,
         [](const LinkState& s) { return !s.CalValueWriteSent && !s.FollowUpWritePending; }, {"cal 'Failed 1' enable"}, {}},
        {"follow-up acknowledged", [](LinkState& s) { s.FollowUpWritePending = true; }, Ack,
         [](const LinkState& s) { return !s.FollowUpWritePending && s.ReadBackPending; }, {"cal '' enable"}, {}},
        {"follow-up unanswered", [](LinkState& s) { s.FollowUpWritePending = true; }, Silence,
         [](const LinkState& s) { return !s.FollowUpWritePending && !s.ReadBackPending; },
         {"cal 'Failed 2' enable", "timed out", "start comm"}, {}},
        {"calibration command acknowledged", [](LinkState& s) { s.CalCommandSent = true; }, Ack,
         [](const LinkState& s) { return !s.CalCommandSent && s.CalStatusWaitRequested; }, {}, {}},
    };
    for (const auto& c : cases) {
        link.state() = LinkState();
        c.arm(link.state());
        events.clear();
        messages.texts.clear();
        link.RTUWriteQuery(1, 52, 1, {5});
        if (c.outcome == Ack)
            serial.receive(rtuFrame("0110 0033 0001"));
        else if (c.outcome == Exception)
            serial.receive(rtuFrame("0190 02"));
        clock.advance(ModbusLink::kResponseTimeoutMs);
        EXPECT_TRUE(c.check(link.state())) << c.name;
        EXPECT_EQ(events, c.events) << c.name;
        EXPECT_EQ(messages.all(), c.messageBox) << c.name;
    }
}

TEST_F(LinkTest, ACalibrationStatusReplyIsShownAndPollingRestartsAtStepZeroOneGapLater)
{
    const struct {
        quint16 status;
        const char* text;
        CalibrationResponse::Verdict verdict;
    } cases[] = {
        {0x8002, "In Progress", CalibrationResponse::Verdict::None},
        {0x8008, "Fail", CalibrationResponse::Verdict::Fail},
        {0x8010, "Success", CalibrationResponse::Verdict::Success},
        {0x1234, "1234", CalibrationResponse::Verdict::None},
    };
    for (const auto& c : cases) {
        CalibrationResponse shown;
        const auto connection = QObject::connect(&link, &ModbusLink::calibrationResponse,
                                                 [&shown](const CalibrationResponse& r) { shown = r; });
        link.state().ReadBackPending = true;
        polling.step = 7;
        const int resumes = polling.resumes;
        events.clear();
        rtuRead({c.status});
        EXPECT_EQ(shown.text, QLatin1String(c.text));
        EXPECT_EQ(shown.verdict, c.verdict) << c.text;
        EXPECT_FALSE(events.contains(QStringLiteral("ready"))) << "a status reply is not polling data";
        EXPECT_EQ(polling.step, 0);
        EXPECT_EQ(polling.resumes, resumes);
        EXPECT_TRUE(link.state().CalFinishPending);
        clock.advance(ModbusLink::kFrameGapMs);
        EXPECT_EQ(polling.resumes, resumes + 1) << c.text;
        EXPECT_FALSE(link.state().CalFinishPending);
        QObject::disconnect(connection);
    }
    EXPECT_FALSE(link.state().CalStatusWaiting) << "Success ends the wait";
}

TEST_F(LinkTest, TrafficLogShowsRequestsRepliesAndExceptions)
{
    link.ReadQuery(1, 1);
    const QString sent = link.LastSentHex();
    serial.receive(rtuFrame("0183 02"));
    clock.advance(ModbusLink::kFrameGapMs);
    EXPECT_EQ(link.trafficLog().text(),
              QStringLiteral("\nStarted\n") + sent + QStringLiteral("\n") + hexText(rtuFrame("0183 02"))
                  + QStringLiteral("\n\nException 2: Illegal Data Address\n"));
}
