#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "cli/table_pass.h"
#include "core/device/device_data.h"
#include "core/device/table_headers.h"
#include "core/device/table_readout.h"

#include <QCommandLineParser>

namespace halvana::cli {

namespace {

const QString kFormat = QStringLiteral("format");
const QString kSystem = QStringLiteral("system");

// INDEX as the user gives it: "system" or the number of a meter table.
std::optional<int> tableOfArgument(const QString& text)
{
    if (text == kSystem)
        return TableReadout::kSystemGrid;
    bool ok = false;
    const int table = text.toInt(&ok);
    if (ok && table != TableReadout::kSystemGrid && TableReadout::isReadable(table))
        return table;
    return std::nullopt;
}

QString checkTableArguments(const QStringList& args, const QCommandLineParser& parser)
{
    if (!tableOfArgument(args.value(0)))
        return QStringLiteral("\"%1\" is not a table: give system, 0, 1, 2, 3, 4, 5, 7, 9, 10 or 11").arg(args.value(0));
    if (!GridTextExport::formatFromName(parser.value(kFormat)))
        return QStringLiteral("--format: \"%1\" is not tsv, csv or json").arg(parser.value(kFormat));
    return {};
}

int runTable(CliContext& ctx)
{
    const int table = *tableOfArgument(ctx.args().at(0));
    const GridTextExport::Format format = *GridTextExport::formatFromName(ctx.parser().value(kFormat));

    QString failure;
    if (!readTablePass(ctx, table, &failure))
        return ctx.failure(failure);

    const DeviceData& data = ctx.session().unit().data();
    const TableReadout& readout = ctx.session().unit().readout();
    const GridText text = readout.text();
    if (table != kAllSettingsTable && table != TableReadout::kSystemGrid && text.rows.empty())
        return ctx.usageError(QStringLiteral("table %1 has no rows: the definition file \"%2\" is missing or empty")
                                  .arg(table)
                                  .arg(TableHeaders::headerFileName(table, data.model().RegisterMapVersion)));
    ctx.out() << GridTextExport::write(text, format);
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
