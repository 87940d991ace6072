#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "cli/table_poll.h"
#include "core/device/table_readout.h"

#include <QCommandLineParser>

namespace halvana::cli {

namespace {

const QString kFormat = QStringLiteral("format");

QString checkTableArguments(const QStringList& args, const QCommandLineParser& parser)
{
    if (const QString problem = checkTableArgument(args.value(0)); !problem.isEmpty())
        return problem;
    if (!GridTextExport::formatFromName(parser.value(kFormat)))
        return QStringLiteral("--format: \"%1\" is not tsv, csv or json").arg(parser.value(kFormat));
    return {};
}

int runTable(CliContext& ctx)
{
    const int table = *tableOfArgument(ctx.args().at(0));
    const GridTextExport::Format format = *GridTextExport::formatFromName(ctx.parser().value(kFormat));
    if (const int status = pollTableOnce(ctx, table); status != kExitOk)
        return status;
    if (const int status = checkTableHasRows(ctx, table); status != kExitOk)
        return status;
    ctx.out() << GridTextExport::write(ctx.session().unit().readout().text(), format);
    return kExitOk;
}

const CliCommandRegistration registration({
    QStringLiteral("table"),
    QStringLiteral("INDEX [--format tsv|csv|json]"),
    QStringLiteral("INDEX = system|0|1|2|3|4|5|7|9|10|11; poll as if only that table's window were open\n"
                   "until the table completed one pass, then print its grid as the window shows it: a\n"
                   "heading line, then one line per register row; tsv (default), csv or json"),
    {QCommandLineOption(kFormat, QStringLiteral("Output of table: tsv (default), csv or json."), QStringLiteral("FORMAT"),
                        QStringLiteral("tsv"))},
    1,
    1,
    true,
    runTable,
    checkTableArguments,
});

} // namespace

} // namespace halvana::cli
