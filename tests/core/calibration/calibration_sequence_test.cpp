#include "core/modbus/link_fixture.h"

#include "core/calibration/calibration_sequence.h"

using namespace halvana;
using namespace halvana::test;

namespace {

class CalibrationTest : public LinkTest {
protected:
    CalibrationTest() : calibration(link, polling, clock)
    {
        QObject::connect(&calibration, &CalibrationSequence::calibrationResponse, [this](const CalibrationResponse& r) {
            responses << r.text + (r.enableCalibrate ? QStringLiteral(" +enable") : QString())
                             + (r.verdict == CalibrationResponse::Verdict::Fail      ? QStringLiteral(" red")
                                : r.verdict == CalibrationResponse::Verdict::Success ? QStringLiteral(" green")
                                                                                     : QString());
        });
    }

    // Ticks as the sequencer does (every 10 ms while nothing is outstanding) until a request
    // leaves, then answers it with `reply` (none: it times out). False when nothing left.
    bool step(const QByteArray& reply)
    {
        for (int tick = 0; tick < 100; ++tick) {
            if (!link.requestOutstanding() && calibration.takeTick() == TickClient::Turn::Sent) {
                if (!reply.isEmpty())
                    serial.receive(reply);
                clock.advance(ModbusLink::kResponseTimeoutMs + ModbusLink::kLateReplyGuardMs);
                return true;
            }
            clock.advance(10);
        }
        return false;
    }

    CalibrationSequence calibration;
    QStringList responses;
};

} // namespace

// Meter level: the reading to the target register, the command word to the one before it,
// then, 200 ms on, the target register read back; each step judged by its own reply.
TEST_F(CalibrationTest, MeterLevelStepsFollowTheirAcknowledgementsAndFailWithTheirStep)
{
    const QByteArray valueAck = rtuFrame("0110 0417 0001");
    const QByteArray commandAck = rtuFrame("0110 0416 0001");
    const struct {
        const char* name;
        QList<QByteArray> replies;
        QStringList responses;
        int requests;
    } cases[] = {
        {"success", {valueAck, commandAck, readReply({0x8010})}, {" +enable", "Success green"}, 3},
        {"in progress", {valueAck, commandAck, readReply({0x8002})}, {" +enable", "In Progress"}, 3},
        {"failed", {valueAck, commandAck, readReply({0x8008})}, {" +enable", "Fail red"}, 3},
        {"value write refused", {rtuFrame("0190 02")}, {"Failed 1 +enable"}, 1},
        {"command write unanswered", {valueAck, {}}, {"Failed 2 +enable"}, 2},
    };
    for (const auto& c : cases) {
        responses.clear();
        serial.written.clear();
        calibration.requestValueWrite(1048, 120, 545);
        for (const QByteArray& reply : c.replies)
            ASSERT_TRUE(step(reply)) << c.name;
        EXPECT_FALSE(step({})) << c.name << ": a request after the sequence ended";
        EXPECT_EQ(responses, c.responses) << c.name;
        ASSERT_EQ(serial.written.size() - serial.written.count(ModbusLink::kWakeUpText), c.requests) << c.name;
        EXPECT_EQ(serial.written.first(), rtuFrame("0110 0417 0001 02 0078")) << c.name;
        if (c.requests > 1) {
            EXPECT_EQ(serial.written.at(1), rtuFrame("0110 0416 0001 02 0221")) << c.name;
        }
        EXPECT_FALSE(calibration.busy()) << c.name;
    }
    EXPECT_EQ(polling.stepResets, 3) << "polling starts over after each read-back";
}

TEST_F(CalibrationTest, SystemLevelCommandWritesThreeRegistersThenAwaitsTheStatus)
{
    calibration.requestCommand(12, {514, 16896, 0});
    ASSERT_TRUE(step(rtuFrame("0110 000B 0003")));
    EXPECT_EQ(serial.written.first(), rtuFrame("0110 000B 0003 06 0202 4200 0000"));
    EXPECT_EQ(calibration.takeTick(), TickClient::Turn::Used);
    EXPECT_TRUE(calibration.CalStatusWaiting());
    EXPECT_TRUE(responses.isEmpty());

    calibration.requestCommand(12, {514, 16896, 0});
    ASSERT_TRUE(step(rtuFrame("0190 04")));
    EXPECT_EQ(responses, QStringList{"Failed 1 +enable"});
}
