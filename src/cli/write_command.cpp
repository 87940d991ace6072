#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "core/modbus/modbus_frames.h"

namespace halvana::cli {

namespace {

int runWrite(CliContext& ctx)
{
    const auto reg = ctx.number(0, 1, kMaxWireAddress + 1, QStringLiteral("register"));
    if (!reg)
        return kExitUsage;
    const int count = int(ctx.args().size()) - 1;
    if (count > kMaxWriteCount)
        return ctx.usageError(QStringLiteral("at most %1 values go in one write").arg(kMaxWriteCount));
    if (*reg + count - 1 > kMaxWireAddress + 1)
        return ctx.usageError(QStringLiteral("registers %1 to %2 run past register %3")
                                  .arg(*reg)
                                  .arg(*reg + count - 1)
                                  .arg(kMaxWireAddress + 1));
    QVector<int> values;
    for (int i = 1; i <= count; ++i) {
        const auto value = ctx.number(i, 0, 65535, QStringLiteral("value"));
        if (!value)
            return kExitUsage;
        values << *value;
    }

    const CliSession::WriteResult result = ctx.session().writeRegisters(*reg, values);
    if (result.success) {
        ctx.out() << result.message << '\n';
        return kExitOk;
    }
    // The unit's refusal was already shown as the program shows it; add which exception it was.
    return ctx.failure(ctx.wasShown(result.message) ? result.detail : result.message);
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
});

} // namespace

} // namespace halvana::cli
