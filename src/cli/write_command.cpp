#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "cli/register_arguments.h"

namespace halvana::cli {

namespace {

int runWrite(CliContext& ctx)
{
    QString problem;
    const auto write = RegisterArguments::forWrite(ctx.args(), &problem);
    if (!write)
        return ctx.usageError(problem);
    const CliSession::WriteResult result = ctx.session().writeRegisters(write->first, write->values);
    if (result.success) {
        ctx.out() << result.message << '\n';
        return kExitOk;
    }
    if (!result.refusedByUnit)
        return ctx.failure(result.message);
    // The unit's refusal as the program shows it, then which exception it was.
    ctx.messages().showMessage(MessageSink::Severity::Warning, QString(), result.message);
    return ctx.failure(result.detail);
}

const CliCommandRegistration registration({
    QStringLiteral("write"),
    QStringLiteral("REG VALUE..."),
    QStringLiteral("write the values (0..65535, at most 123) to register REG onwards;\n"
                   "print \"Successful Write \" or the unit's exception message"),
    {},
    2,
    -1,
    true,
    runWrite,
    [](const QStringList& args, const QCommandLineParser&) {
        QString problem;
        RegisterArguments::forWrite(args, &problem);
        return problem;
    },
});

} // namespace

} // namespace halvana::cli
