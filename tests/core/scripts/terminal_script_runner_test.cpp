#include "core/scripts/terminal_script_runner.h"
#include "core/terminal/terminal_console.h"
#include "core/time/manual_clock.h"
#include "support/fake_transport.h"
#include "support/recording_messages.h"

#include <gtest/gtest.h>

using namespace halvana;

namespace {

struct TerminalRunnerTest : ::testing::Test {
    TerminalRunnerTest()
    {
        port.open();
        console.setPort(&port, 4);
        QObject::connect(&runner, &TerminalScriptRunner::lineSent,
                         [this](int row, const QString&) { sent << QStringLiteral("%1@%2").arg(row).arg(clock.nowMs()); });
    }
    ManualClock clock;
    test::FakeTransport port;
    test::RecordingMessages messages;
    TerminalConsole console{clock, messages};
    TerminalScriptRunner runner{&console, clock};
    QStringList sent;
};

} // namespace

// Each wait counts from a line's last character (20 ms a character with its CR): delay 1
// after ordinary lines, delay 2 after a "meter del" in any case, then one tick more to stop.
TEST_F(TerminalRunnerTest, WaitsDelay2AfterMeterDelAndStopsOneTickAfterTheLastLine)
{
    runner.setLines({"a", "MeTeR DeL", "b"});
    runner.cmdRun();
    clock.advance(5579);
    EXPECT_EQ(sent, (QStringList{"0@100", "1@240", "2@5440"}));
    EXPECT_TRUE(runner.running());
    clock.advance(1);
    EXPECT_FALSE(runner.running());
    EXPECT_EQ(port.written.join(), QByteArray("a\rMeTeR DeL\rb\r"));
}

TEST_F(TerminalRunnerTest, StepThenRunContinuesAfterTheNewSelection)
{
    runner.setLines({"a", "b", "c"});
    runner.selectRow(0);
    runner.cmdSingleStep();
    EXPECT_EQ(runner.selectedRow(), 1);
    runner.cmdRun();
    clock.advance(1000);
    EXPECT_EQ(sent, (QStringList{"0@0", "2@100"}));
    EXPECT_FALSE(runner.running());

    // No row selected: an empty line goes out and the first row is selected.
    sent.clear();
    runner.setLines({"a"});
    runner.cmdSingleStep();
    EXPECT_EQ(runner.selectedRow(), 0);
    EXPECT_EQ(sent, QStringList{"-1@1000"});
}

TEST_F(TerminalRunnerTest, EmptyScriptAndDelayTexts)
{
    runner.setLines({});
    runner.cmdRun();
    clock.advance(100);
    EXPECT_FALSE(runner.running());
    EXPECT_TRUE(port.written.isEmpty());

    const struct {
        int which;
        const char* text;
        const char* shown;
    } cases[] = {{0, "0", "100"}, {0, "-5", "100"}, {0, "abc", "100"}, {0, "250", "250"}, {1, "", "5000"}, {1, "7", "7"}};
    for (const auto& c : cases)
        EXPECT_EQ(runner.setDelayText(c.which, c.text), c.shown) << c.text;
    EXPECT_EQ(runner.delay(0), 250);
}

// The window that owns a runner may close while its line is still on the way out.
TEST_F(TerminalRunnerTest, ARunnerGoneBeforeItsLineLeftIsNotCalled)
{
    auto* gone = new TerminalScriptRunner(&console, clock);
    gone->setLines({"meter write 1 2", "b"});
    gone->cmdRun();
    clock.advance(150);
    delete gone;
    clock.advance(1000);
    EXPECT_EQ(port.written.join(), QByteArray("meter write 1 2\r"));
}
