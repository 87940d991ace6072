#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "core/modbus/modbus_frames.h"

namespace halvana::cli {

namespace {

int runRead(CliContext& ctx)
{
    const auto reg = ctx.number(0, 1, kMaxWireAddress + 1, QStringLiteral("register"));
    if (!reg)
        return kExitUsage;
    int count = 1;
    if (ctx.args().size() > 1) {
        const auto n = ctx.number(1, 1, kMaxReadCount, QStringLiteral("count"));
        if (!n)
            return kExitUsage;
        count = *n;
    }
    if (*reg + count - 1 > kMaxWireAddress + 1)
        return ctx.usageError(QStringLiteral("registers %1 to %2 run past register %3")
                                  .arg(*reg)
                                  .arg(*reg + count - 1)
                                  .arg(kMaxWireAddress + 1));

    QString error;
    const auto values = ctx.session().readRegisters(*reg, count, &error);
    if (!values)
        return ctx.failure(error);
    for (int i = 0; i < values->size(); ++i)
        ctx.out() << (*reg + i) << '\t' << (*values)[i] << '\n';
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
});

} // namespace

} // namespace halvana::cli
