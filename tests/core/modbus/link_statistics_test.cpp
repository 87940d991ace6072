#include "core/modbus/link_statistics.h"

#include "link_fixture.h"

using namespace halvana;
using namespace halvana::test;

// The link's outcomes carry what the statistics count: the step, the cause of a rejection,
// the round trip from the request's last byte to the reply's last byte; a reply after the
// time-out is reported late.
TEST_F(LinkTest, OutcomesCarryTheStepTheRejectCauseAndTheRoundTrip)
{
    LinkStatistics stats;
    QObject::connect(&link, &ModbusLink::exchangeEnded, [&](const ExchangeOutcome& o) { stats.record(o); });
    QObject::connect(&link, &ModbusLink::lateReplyDropped, [&] { stats.recordLateReply(polling.step); });

    polling.step = 3;
    link.ReadQuery(1, 1);
    clock.advance(12);
    serial.receive(readReply({7}).left(3));
    clock.advance(5);
    serial.receive(readReply({7}).mid(3));
    clock.advance(ModbusLink::kFrameGapMs);
    ASSERT_EQ(outcomes.size(), 1);
    EXPECT_EQ(outcomes[0].request.pollStep, 3);
    EXPECT_EQ(outcomes[0].roundTripUs, 17000);

    QByteArray corrupt = readReply({7});
    corrupt[3] = char(corrupt[3] ^ 1);
    link.ReadQuery(1, 1);
    serial.receive(corrupt);
    clock.advance(ModbusLink::kFrameGapMs);
    EXPECT_EQ(outcomes.last().rejectCause, RejectCause::Crc);
    EXPECT_EQ(outcomes.last().roundTripUs, -1);

    link.ReadQuery(1, 1);
    clock.advance(ModbusLink::kResponseTimeoutMs);
    serial.receive(readReply({7}));
    clock.advance(ModbusLink::kFrameGapMs);

    EXPECT_EQ(stats.total().requests, 3);
    EXPECT_EQ(stats.total().replies, 1);
    EXPECT_EQ(stats.total().timeouts, 1);
    EXPECT_EQ(stats.total().rejected[size_t(RejectCause::Crc)], 1);
    EXPECT_EQ(stats.perStep().at(3).late, 1);
    EXPECT_EQ(stats.summaryLine(), "3 requests, 1 replies, 1 time-outs, 1 rejected (66.7% loss); "
                                   "round trip min/median/p99/max 17.00/17.00/17.00/17.00 ms");
}

TEST(LinkStatistics, PercentilesComeFromTheHistogramWithinItsBinWidth)
{
    LinkStatistics stats;
    ExchangeOutcome answered;
    answered.kind = ExchangeOutcome::Kind::Registers;
    // 1 ms .. 100 ms, one of each.
    for (int ms = 1; ms <= 100; ++ms) {
        answered.roundTripUs = ms * 1000;
        stats.record(answered);
    }
    const LogHistogram& h = stats.roundTrips();
    const struct {
        double p;
        qint64 exactUs;
    } cases[] = {{0.5, 50000}, {0.99, 99000}, {1.0, 100000}, {0.01, 1000}};
    for (const auto& c : cases) {
        EXPECT_GE(h.percentileUs(c.p), c.exactUs) << c.p;
        EXPECT_LE(h.percentileUs(c.p), c.exactUs * 1.091) << c.p;
    }
    EXPECT_EQ(h.minUs(), 1000);
    EXPECT_EQ(h.maxUs(), 100000);
    qint64 sum = 0;
    for (qint64 n : h.octaves())
        sum += n;
    EXPECT_EQ(sum, 100);
    // An abandoned request tells nothing of the line.
    ExchangeOutcome abandoned;
    abandoned.kind = ExchangeOutcome::Kind::Abandoned;
    stats.record(abandoned);
    EXPECT_EQ(stats.total().requests, 100);
}
