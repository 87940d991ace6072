#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "cli/progress_line.h"
#include "core/app/app_settings.h"
#include "core/app/shell_settings.h"
#include "core/device/sequencer.h"
#include "core/scripts/modbus_script_runner.h"
#include "core/scripts/script_language.h"
#include "core/scripts/terminal_script_runner.h"
#include "core/terminal/terminal_console.h"
#include "io/qt_clock.h"
#include "io/serial_transport.h"

#include <QCommandLineParser>
#include <QEventLoop>

namespace halvana::cli {

namespace {

// A run on a link that stopped answering gives up instead of waiting out every line.
constexpr int kNoRepliesInARow = 3;

const QString kTerminal = QStringLiteral("terminal");
const QString kService = QStringLiteral("service");

// The stored delay of the terminal runner, or its default.
int storedDelay(const AppSettings& settings, const QString& key, int fallback)
{
    bool ok = false;
    const int value = settings.value(QStringLiteral("Properties"), key).toInt(&ok);
    return ok && value > 0 ? value : fallback;
}

// Every line unchanged to the service port, paced as the terminal runner paces them; the
// unit's answers are not looked at.
int runViaTerminal(CliContext& ctx, const QStringList& lines)
{
    const QCommandLineParser& parser = ctx.parser();
    SerialTransport port(&ctx.settings());
    port.setEndpoint(parser.isSet(kService) ? parser.value(kService)
                                            : QString::number(CommSettings::read(ctx.settings()).commPort));
    port.setBaudRate(TerminalConsole::kBaud);
    if (!port.open())
        return ctx.failure(openFailureText(port));

    QtClock clock;
    TerminalConsole console(clock, ctx.messages());
    console.setPort(&port, 0);
    TerminalScriptRunner runner(&console, clock);
    runner.setDelays(storedDelay(ctx.settings(), QStringLiteral("ScriptDelay1"), TerminalScriptRunner::kDefaultDelay1),
                     storedDelay(ctx.settings(), QStringLiteral("ScriptDelay2"), TerminalScriptRunner::kDefaultDelay2));
    runner.setLines(lines);
    ProgressLine progress(ctx.err());
    QEventLoop loop;
    int sent = 0;
    QObject::connect(&runner, &TerminalScriptRunner::lineSent, &loop, [&](int row, const QString&) {
        progress.clear();
        ctx.out() << row + 1 << "\tsent\n";
        ctx.out().flush();
        ++sent;
        progress.show(QStringLiteral("Line %1 of %2").arg(row + 1).arg(lines.size()));
    });
    QObject::connect(&runner, &TerminalScriptRunner::runningChanged, &loop, [&](bool running) {
        if (!running)
            loop.quit();
    });
    runner.cmdRun();
    loop.exec();
    progress.clear();
    port.close();
    ctx.out() << "Script sent: " << sent << " lines\n";
    return kExitOk;
}

int runScript(CliContext& ctx)
{
    const QString path = ctx.args().at(0);
    const std::optional<QStringList> lines = script::readScriptFile(path);
    if (!lines)
        return ctx.usageError(QStringLiteral("cannot read the script %1").arg(path));
    if (ctx.parser().isSet(kTerminal))
        return runViaTerminal(ctx, *lines);
    if (const auto failed = ctx.openSession())
        return *failed;

    CliSession& session = ctx.session();
    UnitSession& unit = session.unit();
    ModbusScriptRunner& runner = unit.scriptRunner();
    ProgressLine progress(ctx.err());
    // The connections below capture this function's locals: they end with it.
    QObject scope;
    int silentInARow = 0;
    bool gaveUp = false;
    QObject::connect(&runner, &ModbusScriptRunner::lineDone, &scope, [&](const ScriptLineResult& result) {
        progress.clear();
        ctx.out() << result.index + 1 << '\t' << result.describe() << '\n';
        ctx.out().flush();
        silentInARow = result.outcome == ScriptLineResult::Outcome::NoReply ? silentInARow + 1 : 0;
        if (silentInARow == kNoRepliesInARow && runner.ScriptRunning()) {
            gaveUp = true;
            runner.stop();
        }
    });
    QObject::connect(&runner, &ModbusScriptRunner::lineSelected, &scope, [&](int index) {
        progress.show(QStringLiteral("Line %1 of %2").arg(index + 1).arg(lines->size()));
    });
    QObject::connect(&runner, &ModbusScriptRunner::finished, &scope, [&](const ScriptSummary& summary) {
        session.finish(summary.clean() ? kExitOk : kExitFailed);
    });

    // The script's writes are the only requests: nothing is polled meanwhile.
    unit.sequencer().setPollingDisabled(true);
    runner.start(*lines);
    const int status = session.exec();
    unit.sequencer().setMainTimerEnabled(false);
    progress.clear();
    const ScriptSummary& summary = runner.summary();
    ctx.out() << summary.describe() << '\n';
    ctx.out().flush();
    if (status == kExitOk)
        return kExitOk;
    if (gaveUp)
        return ctx.failure(QStringLiteral("the unit did not answer %1 writes in a row; the rest of the script was not run")
                               .arg(kNoRepliesInARow));
    return ctx.failure(QStringLiteral("not every line of the script was written"));
}

const CliCommandRegistration registration({
    QStringLiteral("run-script"),
    QStringLiteral("FILE [--terminal [--service DEVICE]]"),
    QStringLiteral("run the script's \"meter write\" lines as Modbus writes, one line at a time; print\n"
                   "\"LINE<TAB>written\", \"refused: exception N (name)\", \"no reply\", \"skipped: why\"\n"
                   "or \"not a write\" per line, then the counts; exit 1 when a line was not written.\n"
                   "--terminal: send every line to the service port (DEVICE, or the stored \"CommPort\") as\n"
                   "the terminal runner does, the stored delays after each line; print \"LINE<TAB>sent\""),
    {QCommandLineOption(kTerminal, QStringLiteral("Run the script through the service terminal.")),
     QCommandLineOption(kService, QStringLiteral("The unit's service port."), QStringLiteral("DEVICE"))},
    1,
    1,
    false, // the link is opened unless the script goes to the terminal
    runScript,
    [](const QStringList&, const QCommandLineParser& parser) {
        if (parser.isSet(kService) && !parser.isSet(kTerminal))
            return QStringLiteral("--service goes with --terminal");
        if (parser.isSet(kTerminal) && (parser.isSet(QStringLiteral("tcp")) || parser.isSet(QStringLiteral("rtu"))))
            return QStringLiteral("--terminal talks to the service port: give --service DEVICE, not --tcp or --rtu");
        return QString();
    },
});

} // namespace

} // namespace halvana::cli
