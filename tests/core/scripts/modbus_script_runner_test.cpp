#include "core/modbus/link_fixture.h"
#include "core/scripts/modbus_script_runner.h"

using namespace halvana;
using namespace halvana::test;

namespace {

class ModbusScriptRunnerTest : public LinkTest {
protected:
    ModbusScriptRunnerTest() : runner(link, polling)
    {
        QObject::connect(&runner, &ModbusScriptRunner::lineDone, [this](const ScriptLineResult& r) {
            results << QStringLiteral("%1 %2").arg(r.index + 1).arg(r.describe());
        });
        QObject::connect(&runner, &ModbusScriptRunner::finished,
                         [this](const ScriptSummary& s) { results << s.describe(); });
    }
    void answer(const char* reply)
    {
        serial.receive(rtuFrame(reply));
        clock.advance(ModbusLink::kFrameGapMs);
    }
    ModbusScriptRunner runner;
    QStringList results;
};

} // namespace

// One line per tick, never a second write while one is out; lines that are no write pass at
// once, and the run ends with the last write's outcome, not before.
TEST_F(ModbusScriptRunnerTest, PacesOneLinePerTickAndEndsWithTheLastOutcome)
{
    ASSERT_TRUE(runner.start({"meter write 5 7", "meter save", "", "meter write 2O54 5", "meter write 6 8",
                              "meter write 7 9"}));
    EXPECT_FALSE(runner.start({"meter save"}));
    const auto tick = [this](TickClient::Turn want, int sent) {
        EXPECT_EQ(runner.takeTick(), want);
        EXPECT_EQ(serial.written.size(), sent);
    };
    tick(TickClient::Turn::Sent, 1);
    EXPECT_EQ(serial.lastWritten(), rtuFrame("0110 0004 0001 02 0007"));
    tick(TickClient::Turn::Pass, 1);
    answer("0110 0004 0001");
    tick(TickClient::Turn::Used, 1);
    tick(TickClient::Turn::Used, 1);
    tick(TickClient::Turn::Used, 1);
    tick(TickClient::Turn::Sent, 2);
    answer("0190 02");
    tick(TickClient::Turn::Sent, 3);
    EXPECT_EQ(runner.ScriptLineIndex(), 6);
    EXPECT_TRUE(runner.ScriptRunning()) << "the last write's outcome is not known yet";
    clock.advance(ModbusLink::kResponseTimeoutMs + ModbusLink::kLateReplyGuardMs);
    EXPECT_FALSE(runner.ScriptRunning());
    EXPECT_EQ(results, (QStringList{"1 written", "2 not a write", "3 not a write",
                                    "4 skipped: register \"2O54\" is not a number: \"meter write 2O54 5\"",
                                    "5 refused: exception 2 (Illegal Data Address)", "6 no reply",
                                    "Script run: 1 written, 1 refused, 1 no reply, 1 skipped"}));
    EXPECT_FALSE(runner.summary().clean());
    EXPECT_EQ(polling.step, 0);
}

TEST_F(ModbusScriptRunnerTest, EmptyScriptAndStop)
{
    ASSERT_TRUE(runner.start({}));
    EXPECT_FALSE(runner.ScriptRunning());
    EXPECT_EQ(results, QStringList{"Script run: 0 written, 0 refused, 0 no reply, 0 skipped"});
    EXPECT_TRUE(runner.summary().clean());

    results.clear();
    ASSERT_TRUE(runner.start({"meter write 5 7", "meter write 6 8"}));
    EXPECT_EQ(runner.takeTick(), TickClient::Turn::Sent);
    runner.stop();
    EXPECT_TRUE(runner.ScriptRunning()) << "the write on its way is still told";
    answer("0110 0004 0001");
    EXPECT_EQ(results, (QStringList{"1 written", "Script run stopped: 1 written, 0 refused, 0 no reply, 0 skipped"}));
    EXPECT_FALSE(runner.summary().clean());
    EXPECT_EQ(runner.takeTick(), TickClient::Turn::Pass);
    EXPECT_EQ(serial.written.size(), 1);
}
