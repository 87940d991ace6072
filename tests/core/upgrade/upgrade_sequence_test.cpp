#include "core/time/manual_clock.h"
#include "core/upgrade/upgrade_sequence.h"
#include "core/upgrade/upgrade_status.h"
#include "core/upgrade/xmodem_block.h"
#include "support/fake_transport.h"
#include "support/temp_home.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace halvana;
using namespace halvana::test;

namespace {

// The terminal's part: a command sent at once, the port's owner recorded.
struct TestTerminal : UpgradeTerminal {
    bool isPortOpen() const override { return true; }
    void sendCommand(const QString& command, std::function<void()> sent) override
    {
        commands << command;
        sent();
    }
    void releasePort() override { released = true; }
    void resumePort() override { released = false; }
    QStringList commands;
    bool released = false;
};

class SequenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        port.open();
        QFile file(image);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(QByteArray(200, 'w')) == 200);
        QObject::connect(&upgrade, &UpgradeSequence::finished, [this](int code) { outcome = code; });
        QObject::connect(&upgrade, &UpgradeSequence::timesChanged,
                         [this](const QString&, const QString& elapsed, const QString& left) { times << elapsed + left; });
    }

    TempHome home;
    QString image = home.path() + QStringLiteral("/fw.bin");
    ManualClock clock;
    FakeTransport port;
    TestTerminal terminal;
    UpgradeSequence upgrade{clock};
    int outcome = 1;
    QStringList times;
};

} // namespace

TEST_F(SequenceTest, OnlyTheUnitsAnswerToThisCommandStartsTheTransfer)
{
    upgrade.terminalReceived(QStringLiteral("CCC from an earlier attempt"));
    ASSERT_TRUE(upgrade.start(image, QStringLiteral("upgdin"), terminal, port)) << qPrintable(upgrade.error());
    EXPECT_EQ(terminal.commands, QStringList{QStringLiteral("upgdin")});
    clock.advance(UpgradeSequence::kModeCheckMs);
    EXPECT_EQ(outcome, upgrade_status::kNotAbleToStart);
    EXPECT_TRUE(port.written.isEmpty());
    const int shown = int(times.size());
    clock.advance(5000);
    EXPECT_EQ(times.size(), shown) << "the clock stops with the failure";

    ASSERT_TRUE(upgrade.start(image, QStringLiteral("upgd"), terminal, port));
    upgrade.terminalReceived(QStringLiteral("upgd\r\nC"));
    upgrade.terminalReceived(QStringLiteral("CC"));
    EXPECT_TRUE(terminal.released);
    EXPECT_EQ(port.baud, 9600);
    EXPECT_EQ(port.lastWritten(), xmodem::block(QByteArray(200, 'w'), 1));
    EXPECT_EQ(times.last(), QStringLiteral("00:0000:01"));
    port.receive(QByteArray(2, xmodem::ACK) + xmodem::ACK);
    EXPECT_EQ(outcome, upgrade_status::kSucceeded);
    EXPECT_FALSE(terminal.released);
    EXPECT_EQ(times.last(), QStringLiteral("00:0000:00"));
}

TEST_F(SequenceTest, AMissingImageSendsNothing)
{
    EXPECT_FALSE(upgrade.start(image + QStringLiteral(".gone"), QStringLiteral("upgd"), terminal, port));
    EXPECT_EQ(upgrade.error(), QStringLiteral("The file, '") + image + QStringLiteral(".gone' was not found."));
    EXPECT_TRUE(terminal.commands.isEmpty());
}
