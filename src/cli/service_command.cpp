#include "cli/cli_arguments.h"
#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "cli/service_port.h"
#include "core/app/shell_settings.h"
#include "core/terminal/password_masking.h"
#include "core/terminal/send_queue.h"
#include "core/terminal/terminal_console.h"
#include "io/qt_clock.h"
#include "io/serial_transport.h"

#include <QCommandLineParser>
#include <QEventLoop>

namespace halvana::cli {

namespace {

// The unit has finished answering after this long without a byte.
constexpr int kSilenceMs = 1000;

int runService(CliContext& ctx)
{
    const QCommandLineParser& parser = ctx.parser();
    SerialTransport port(&ctx.settings());
    aimAtServicePort(ctx, port);
    port.setBaudRate(parser.isSet(QStringLiteral("baud")) ? parser.value(QStringLiteral("baud")).toInt()
                                                           : TerminalConsole::kBaud);
    if (!port.open())
        return ctx.failure(openFailureText(port));

    QtClock clock;
    QEventLoop loop;
    StreamMasker masker;
    bool answered = false;
    bool allSent = false;
    // Line ends as LF: the unit's CR LF may come split over two blocks.
    const auto print = [&ctx](QString text) {
        ctx.out() << text.remove(QLatin1Char('\r'));
        ctx.out().flush();
    };
    std::unique_ptr<Timer> silence = clock.createTimer(kSilenceMs);
    silence->setCallback([&] {
        if (allSent)
            loop.quit();
    });
    QObject::connect(&port, &Transport::bytesReceived, &loop, [&](const QByteArray& bytes) {
        answered = true;
        silence->start();
        print(masker.feed(QString::fromLatin1(bytes), true));
    });
    QObject::connect(&port, &Transport::errorOccurred, &loop, [&](const QString& message) {
        ctx.err() << "halvana-cli: " << port.description() << ": " << message << '\n';
    });

    TerminalSendQueue queue(clock);
    queue.setTransport(&port);
    const QStringList lines = ctx.args();
    for (int i = 0; i < lines.size(); ++i) {
        const bool last = i == lines.size() - 1;
        queue.enqueue(lines[i] + QLatin1Char('\r'), [&, last] {
            if (!last)
                return;
            allSent = true;
            silence->start();
        });
    }
    loop.exec();
    print(masker.flush());
    port.close();
    if (!answered)
        return ctx.failure(QStringLiteral("the unit did not answer on %1").arg(port.description()));
    return kExitOk;
}

const CliCommandRegistration registration({
    QStringLiteral("service"),
    QStringLiteral("[--service DEVICE] COMMAND..."),
    QStringLiteral("send each COMMAND line to the unit's service port (DEVICE, or the stored \"CommPort\"; at\n"
                   "--baud, 57600 unless given) as the terminal does, paced with its carriage return; print what\n"
                   "the unit answers until 1 s of silence, device passwords masked"),
    {servicePortOption()},
    1,
    -1,
    false,
    runService,
    [](const QStringList&, const QCommandLineParser& parser) {
        if (const QString wrong = checkServicePortOptions(QStringLiteral("service"), parser); !wrong.isEmpty())
            return wrong;
        if (parser.isSet(QStringLiteral("baud")) && !lineSpeedOf(parser.value(QStringLiteral("baud"))))
            return QStringLiteral("--baud: \"%1\" is not a line speed").arg(parser.value(QStringLiteral("baud")));
        return QString();
    },
});

} // namespace

} // namespace halvana::cli
