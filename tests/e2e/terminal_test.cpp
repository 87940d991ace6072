#include "core/app/app_settings.h"
#include "core/terminal/terminal_capture.h"
#include "core/terminal/terminal_console.h"
#include "e2e/e2e_support.h"
#include "e2e/wait.h"
#include "support/file_bytes.h"
#include "io/qt_clock.h"
#include "io/serial_port_names.h"
#include "io/serial_transport.h"
#include "support/recording_messages.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace halvana;
using namespace halvana::test;

namespace {

constexpr int kServicePort = 4;

// The unit's service port on a pseudo-terminal pair, with its Modbus TCP side beside it.
class ServicePortJourney : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_sim.startWithServicePort()) << qPrintable(m_sim.output()); }
    void TearDown() override { EXPECT_TRUE(m_sim.stop()) << qPrintable(m_sim.output()); }

    SimProcess m_sim;
};

} // namespace

TEST_F(ServicePortJourney, TheConsoleLogsInAndCapturesWhatTheUnitSentMasked)
{
    QTemporaryDir dir;
    AppSettings settings(dir.filePath(QStringLiteral("settings.ini")));
    SerialPortNames::remember(settings, kServicePort, m_sim.servicePort());
    SerialTransport port(&settings);
    QtClock clock;
    RecordingMessages messages;
    TerminalConsole console(clock, messages);
    console.setPort(&port, kServicePort);
    TerminalCapture capture(messages);
    QByteArray sent;
    QObject::connect(&port, &Transport::bytesReceived, [&](const QByteArray& bytes) { sent += bytes; });
    QObject::connect(&console, &TerminalConsole::received,
                     [&](const QString& block) { capture.write(block, console.console().isMasking()); });
    const auto shows = [&](const char* text) {
        return waitUntil([&] { return console.console().text().contains(QLatin1String(text)); });
    };

    ASSERT_TRUE(capture.start(dir.filePath(QStringLiteral("Downloads"))));
    console.load();
    ASSERT_TRUE(shows("Password: ")) << qPrintable(messages.all() + console.console().text());
    console.Send_SP_Command(QStringLiteral("plover"));
    ASSERT_TRUE(shows("HALVANA> ")) << qPrintable(console.console().text());
    ASSERT_TRUE(capture.stop());
    EXPECT_EQ(capture.fileName(), QStringLiteral("Download_001.txt"));
    EXPECT_TRUE(sent.contains("plover")) << "the unit echoes the password";
    EXPECT_EQ(fileBytes(capture.filePath()), QByteArray(sent).replace("plover", "******"));
    EXPECT_FALSE(console.console().text().contains(QStringLiteral("plover")));
    EXPECT_TRUE(messages.texts.isEmpty()) << qPrintable(messages.all());
}

TEST_F(ServicePortJourney, TheCliSendsLinesAndPrintsTheAnswerMasked)
{
    const RunResult r = runCli({QStringLiteral("service"), QStringLiteral("--service"), m_sim.servicePort(), QString(),
                                QStringLiteral("marten"), QStringLiteral("meter write 2003 7"),
                                QStringLiteral("bogus")});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Password: ******\n"))) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Register 2003 = 7\n"))) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Error: unknown command \"bogus\""))) << qPrintable(r.out);
    EXPECT_FALSE(r.out.contains(QStringLiteral("marten")));
}

TEST(SilentServicePort, TheCliFailsWhenTheUnitNeverAnswers)
{
    PtyPair pty;
    ASSERT_TRUE(pty.open()) << qPrintable(pty.error());
    const RunResult r = runCli(
        {QStringLiteral("service"), QStringLiteral("--service"), pty.toolSide(), QStringLiteral("help")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("did not answer on ") + pty.toolSide())) << qPrintable(r.err);
}
