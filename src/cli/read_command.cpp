#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "cli/register_arguments.h"

namespace halvana::cli {

namespace {

int runRead(CliContext& ctx)
{
    QString problem;
    const auto read = RegisterArguments::forRead(ctx.args(), &problem);
    if (!read)
        return ctx.usageError(problem);
    const auto values = ctx.session().readRegisters(read->first, read->count, &problem);
    if (!values)
        return ctx.failure(problem);
    for (int i = 0; i < values->size(); ++i)
        ctx.out() << (read->first + i) << '\t' << (*values)[i] << '\n';
    return kExitOk;
}

const CliCommandRegistration registration({
    QStringLiteral("read"),
    QStringLiteral("REG [COUNT]"),
    QStringLiteral("read COUNT (1..125, default 1) holding registers from 1-based register REG;\n"
                   "print \"REG<TAB>VALUE\" lines"),
    {},
    1,
    2,
    true,
    runRead,
    [](const QStringList& args, const QCommandLineParser&) {
        QString problem;
        RegisterArguments::forRead(args, &problem);
        return problem;
    },
});

} // namespace

} // namespace halvana::cli
