#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "cli/progress_line.h"
#include "cli/service_port.h"
#include "core/terminal/send_queue.h"
#include "core/terminal/terminal_console.h"
#include "core/upgrade/upgrade_boards.h"
#include "core/upgrade/upgrade_image.h"
#include "core/upgrade/upgrade_sequence.h"
#include "core/upgrade/upgrade_status.h"
#include "io/qt_clock.h"
#include "io/serial_transport.h"

#include <QCommandLineParser>
#include <QEventLoop>

namespace halvana::cli {

namespace {

const QString kBoard = QStringLiteral("board");

// The terminal's part without its window: the command paced as the terminal sends it, and the
// port at the terminal's speed around the transfer.
class CliServiceTerminal : public UpgradeTerminal {
public:
    CliServiceTerminal(Clock& clock, Transport& port) : m_port(port), m_queue(clock) { m_queue.setTransport(&port); }

    bool isPortOpen() const override { return m_port.isOpen(); }
    void sendCommand(const QString& command, std::function<void()> sent) override
    {
        m_queue.enqueue(command + QLatin1Char('\r'), std::move(sent));
    }
    void releasePort() override
    {
        m_queue.clear();
        m_released = true;
    }
    void resumePort() override
    {
        m_port.setBaudRate(TerminalConsole::kBaud);
        m_released = false;
    }
    bool isReleased() const { return m_released; }

private:
    Transport& m_port;
    TerminalSendQueue m_queue;
    bool m_released = false;
};

QString oneLine(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
}

int runUpgrade(CliContext& ctx)
{
    const QString imagePath = ctx.args().first();
    const QString board = ctx.parser().value(kBoard);
    QString error;
    if (!upgrade_image::load(imagePath, &error))
        return ctx.usageError(error);

    SerialTransport port(&ctx.settings());
    aimAtServicePort(ctx, port);
    port.setBaudRate(TerminalConsole::kBaud);
    if (!port.open())
        return ctx.failure(openFailureText(port));

    QtClock clock;
    QEventLoop loop;
    CliServiceTerminal terminal(clock, port);
    UpgradeSequence upgrade(clock);
    ProgressLine progressLine(ctx.err());
    QString status;
    int outcome = upgrade_status::kNotStarted;
    int acknowledged = 0;
    int blocks = 0;
    QObject::connect(&port, &Transport::bytesReceived, &loop, [&](const QByteArray& bytes) {
        if (!terminal.isReleased())
            upgrade.terminalReceived(QString::fromLatin1(bytes));
    });
    QObject::connect(&upgrade, &UpgradeSequence::statusText, &loop, [&](const QString& text) { status = text; });
    QObject::connect(&upgrade, &UpgradeSequence::progress, &loop, [&](int done, int count) {
        acknowledged = done;
        blocks = count;
    });
    QObject::connect(&upgrade, &UpgradeSequence::timesChanged, &loop,
                     [&](const QString&, const QString& elapsed, const QString& remaining) {
                         progressLine.show(QStringLiteral("%1: block %2 of %3, %4 elapsed, %5 remaining")
                                               .arg(board.toUpper())
                                               .arg(acknowledged)
                                               .arg(blocks)
                                               .arg(elapsed, remaining));
                     });
    QObject::connect(&upgrade, &UpgradeSequence::finished, &loop, [&](int code) {
        outcome = code;
        loop.quit();
    });
    if (!upgrade.start(imagePath, upgradeCommand(board), terminal, port))
        return ctx.failure(oneLine(upgrade.error()));
    loop.exec();
    progressLine.clear();
    port.close();
    if (outcome != upgrade_status::kSucceeded)
        return ctx.failure(oneLine(status));
    ctx.out() << status << '\n';
    return kExitOk;
}

const CliCommandRegistration registration({
    QStringLiteral("upgrade"),
    QStringLiteral("IMAGE [--service DEVICE] --board MCB|DIB|TIB"),
    QStringLiteral("send a firmware image to a board over the service port (DEVICE, or the stored \"CommPort\"):\n"
                   "its command (upgd, upgdin, upgdtmp) at 57600 baud, the unit's \"CCC\" within 1.5 s, then the\n"
                   "image by XMODEM-CRC at 9600 baud; a progress line on a terminal's stderr; prints\n"
                   "\"File transfer succeeded!\" and exits 0 only when the unit took the whole image"),
    {servicePortOption(),
     QCommandLineOption(kBoard, QStringLiteral("The board to upgrade: MCB, DIB or TIB."), QStringLiteral("NAME"))},
    1,
    1,
    false,
    runUpgrade,
    [](const QStringList&, const QCommandLineParser& parser) {
        if (const QString wrong = checkServicePortOptions(QStringLiteral("upgrade"), parser); !wrong.isEmpty())
            return wrong;
        if (upgradeCommand(parser.value(kBoard)).isEmpty())
            return QStringLiteral("--board: give MCB, DIB or TIB");
        return QString();
    },
});

} // namespace

} // namespace halvana::cli
