#include "core/terminal/send_queue.h"
#include "core/terminal/terminal_console.h"
#include "core/time/manual_clock.h"
#include "support/fake_transport.h"
#include "support/recording_messages.h"

#include <gtest/gtest.h>

namespace halvana {
namespace {

using test::FakeTransport;

QByteArray written(const FakeTransport& port)
{
    return port.written.join();
}

TEST(TerminalSendQueue, PacesEachLineWholeBeforeTheNext)
{
    ManualClock clock;
    FakeTransport port;
    port.open();
    TerminalSendQueue queue(clock);
    queue.setTransport(&port);
    QList<qint64> sentAt;
    queue.enqueue(QStringLiteral("meter save\r"), [&] { sentAt << clock.nowMs(); });
    queue.enqueue(QStringLiteral("help\r"), [&] {
        sentAt << clock.nowMs();
        // A line queued when the one before is over starts at once, at the same pace.
        queue.enqueue(QStringLiteral("x\r"), [&] { sentAt << clock.nowMs(); });
    });

    EXPECT_EQ(written(port), QByteArray("m"));
    clock.advance(200);
    EXPECT_EQ(written(port), QByteArray("meter save\r"));
    clock.advance(19);
    EXPECT_TRUE(sentAt.isEmpty());
    clock.advance(1);
    EXPECT_EQ(sentAt, QList<qint64>{220});
    EXPECT_EQ(written(port), QByteArray("meter save\rh"));
    clock.advance(1000);
    EXPECT_EQ(written(port), QByteArray("meter save\rhelp\rx\r"));
    EXPECT_EQ(sentAt, (QList<qint64>{220, 320, 360}));
    EXPECT_EQ(port.written.size(), 18) << "one character per write";
    EXPECT_FALSE(queue.isBusy());
}

struct ConsoleFixture : ::testing::Test {
    ConsoleFixture()
    {
        console.setPort(&port, 4);
        QObject::connect(&console, &TerminalConsole::panelChanged,
                         [this](const QString& key, const QString& text) { panels[key] = text; });
    }
    QString status() { return panels.value(TerminalConsole::kStatusPanel); }

    ManualClock clock;
    FakeTransport port;
    test::RecordingMessages messages;
    TerminalConsole console{clock, messages};
    QHash<QString, QString> panels;
};

TEST_F(ConsoleFixture, LoadOpensTheServicePortAndTheFirstPressOnlyArms)
{
    console.load();
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.endpoint, QStringLiteral("4"));
    EXPECT_EQ(port.baud, 57600);
    EXPECT_EQ(console.connectCaption(), QStringLiteral("Disconnect"));
    EXPECT_EQ(panels[TerminalConsole::kComPortPanel], QStringLiteral("COM4 (fake:4)"));
    EXPECT_EQ(panels[TerminalConsole::kSettingsPanel], QStringLiteral("57600,n,8,1"));
    clock.advance(1000);
    EXPECT_EQ(written(port), QByteArray(" \r")) << "tmrTest sends a blank";

    console.cmdConnect_Click();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(console.connectCaption(), QStringLiteral("Connect"));
    EXPECT_EQ(status(), QStringLiteral("Disconnected"));

    port.written.clear();
    console.console().setMasking(false);
    console.cmdConnect_Click();
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(console.console().isMasking());
    clock.advance(1000);
    EXPECT_EQ(written(port), QByteArray("\r"));
    EXPECT_EQ(console.history(), (QStringList{QStringLiteral(" "), QString()}));
}

TEST_F(ConsoleFixture, StatusFollowsRepliesAndTheWatchdog)
{
    console.load();
    clock.advance(600);
    port.receive("> ");
    EXPECT_EQ(status(), QStringLiteral("Connected"));
    EXPECT_TRUE(console.isIndicatorLit());
    clock.advance(65000);
    EXPECT_EQ(status(), QStringLiteral("Connected: 00:01:05 "));

    console.Send_SP_Command(QStringLiteral("help"));
    clock.advance(3999);
    EXPECT_TRUE(console.isIndicatorLit());
    clock.advance(1);
    EXPECT_EQ(status(), QStringLiteral("Disconnected"));
    clock.advance(3000);
    EXPECT_EQ(status(), QStringLiteral("Disconnected")) << "the elapsed time waits for a reply";
}

TEST_F(ConsoleFixture, ALostLineShowsItsErrorAndReopens)
{
    console.load();
    port.errorOccurred(QStringLiteral("Resource error"));
    port.drop();
    EXPECT_EQ(panels[TerminalConsole::kErrorsPanel], QStringLiteral("Resource error"));
    clock.advance(2000);
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(panels[TerminalConsole::kErrorsPanel], QString());
    EXPECT_EQ(port.opens, 2);
}

TEST_F(ConsoleFixture, APortThatCannotOpenIsNamedAndTheWindowStaysUsable)
{
    const struct {
        Transport::OpenError error;
        const char* cause;
    } cases[] = {
        {Transport::OpenError::NoSuchPort, "there is no such port"},
        {Transport::OpenError::InUse, "in use by another program"},
        {Transport::OpenError::PermissionDenied, "permission denied (fake failure)"},
    };
    for (const auto& c : cases) {
        messages.texts.clear();
        port.openFailure = c.error;
        console.load();
        ASSERT_EQ(messages.texts.size(), 1);
        EXPECT_TRUE(messages.texts[0].startsWith(QStringLiteral("Comm Port 4 (fake:4) cannot be opened")));
        EXPECT_TRUE(messages.texts[0].contains(QLatin1String(c.cause))) << messages.texts[0].toStdString();
        EXPECT_EQ(console.connectCaption(), QStringLiteral("Connect"));
        console.unload();
    }
    port.openFailure = Transport::OpenError::None;
    console.cmdConnect_Click();
    EXPECT_TRUE(port.isOpen()) << "a press on a closed port opens it";
}

} // namespace
} // namespace halvana
