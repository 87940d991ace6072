#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "cli/progress_line.h"
#include "core/device/sequencer.h"
#include "core/scripts/modbus_script_runner.h"
#include "core/scripts/script_language.h"

namespace halvana::cli {

namespace {

// A run on a link that stopped answering gives up instead of waiting out every line.
constexpr int kNoRepliesInARow = 3;

int runScript(CliContext& ctx)
{
    const QString path = ctx.args().at(0);
    const std::optional<QStringList> lines = script::readScriptFile(path);
    if (!lines)
        return ctx.usageError(QStringLiteral("cannot read the script %1").arg(path));

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
    QStringLiteral("FILE"),
    QStringLiteral("run the script's \"meter write\" lines as Modbus writes, one line at a time; print\n"
                   "\"LINE<TAB>written\", \"refused: exception N (name)\", \"no reply\", \"skipped: why\"\n"
                   "or \"not a write\" per line, then the counts; exit 1 when a line was not written"),
    {},
    1,
    1,
    true,
    runScript,
    {},
});

} // namespace

} // namespace halvana::cli
