#include "cli/builder_options.h"
#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "core/capture/compare_script.h"
#include "core/capture/settings_comparison.h"
#include "core/capture/spreadsheet_export.h"
#include "core/files/text_file.h"
#include "core/grid/grid_model.h"

#include <QCommandLineParser>
#include <QDir>

namespace halvana::cli {

namespace {

const QString kOut = QStringLiteral("out");
const QString kXlsx = QStringLiteral("xlsx");
const QString kDifferences = QStringLiteral("differences");

QStringList inputPaths(CliContext& ctx)
{
    QStringList paths;
    for (const QString& arg : ctx.args())
        paths << QDir::fromNativeSeparators(arg);
    return paths;
}

// Compares the files as the comparison window does, saying on stderr what the window's status
// line says; with `differences`, lists them as well. Non-zero when there is nothing to show.
int compareInto(CliContext& ctx, GridModel& comparison, GridModel* differences)
{
    const SettingsComparison::Outcome outcome = SettingsComparison::Compare(inputPaths(ctx), comparison);
    if (!outcome.ok())
        return ctx.usageError(outcome.missingFile);
    for (const QString& problem : outcome.problems)
        ctx.err() << problem << '\n';
    if (!outcome.alignment.isEmpty())
        ctx.err() << outcome.alignment << '\n';
    ctx.err().flush();
    if (!differences)
        return kExitOk;
    if (outcome.compared.size() < 2)
        return ctx.usageError(QStringLiteral("listing differences needs two settings captures"));
    SettingsComparison::ListDiffs(comparison, *differences);
    return kExitOk;
}

// Prints the comparison grid, or the differences grid after it.
int printGrid(CliContext& ctx, bool listDifferences)
{
    GridModel comparison, differences;
    if (const int status = compareInto(ctx, comparison, listDifferences ? &differences : nullptr); status != kExitOk)
        return status;
    ctx.out() << SettingsComparison::markedLines(listDifferences ? differences : comparison);
    return kExitOk;
}

int runMakeScript(CliContext& ctx)
{
    if (BuilderOptions::given(ctx.parser()))
        return BuilderOptions::run(ctx);
    GridModel comparison, differences;
    if (const int status = compareInto(ctx, comparison, &differences); status != kExitOk)
        return status;
    const CompareScript script = CompareScript::CreateScriptText(differences);
    if (const QString note = script.leftOutNote(); !note.isEmpty())
        ctx.err() << note << '\n';
    if (!ctx.parser().isSet(kOut)) {
        ctx.out() << script.text;
        return kExitOk;
    }
    const QString out = QDir::fromNativeSeparators(ctx.parser().value(kOut));
    if (isOneOfTheFiles(out, inputPaths(ctx)))
        return ctx.usageError(QStringLiteral("--out names one of the compared files"));
    if (const std::optional<QString> error = writeTextFile1252(out, script.text))
        return ctx.failure(*error);
    return kExitOk;
}

int runExport(CliContext& ctx)
{
    GridModel comparison, differences;
    const bool listDifferences = ctx.parser().isSet(kDifferences);
    if (const int status = compareInto(ctx, comparison, listDifferences ? &differences : nullptr); status != kExitOk)
        return status;
    const QString out = QDir::fromNativeSeparators(ctx.parser().value(kXlsx));
    if (const std::optional<QString> error =
            SpreadsheetExport::write(listDifferences ? differences : comparison, out, inputPaths(ctx)))
        return ctx.usageError(*error);
    return kExitOk;
}

QString checkExport(const QStringList&, const QCommandLineParser& parser)
{
    return parser.isSet(kXlsx) ? QString() : QStringLiteral("export needs --xlsx OUT");
}

QString checkMakeScript(const QStringList& args, const QCommandLineParser& parser)
{
    if (BuilderOptions::given(parser))
        return BuilderOptions::check(args, parser);
    return args.size() >= 2 ? QString() : QStringLiteral("make-script needs two settings captures or a builder option");
}

const QString kNotes = QStringLiteral("; files that are not captures are named on stderr and left out, and rows whose\n"
                                      "registers do not line up are named there");

const CliCommandRegistration compareRegistration({
    QStringLiteral("compare"),
    QStringLiteral("FILE FILE..."),
    QStringLiteral("print the comparison grid of the settings captures, TAB between cells, a first column\n"
                   "with \"*\" on highlighted rows (a value differs from the first file's)") + kNotes,
    {},
    1,
    -1,
    false,
    [](CliContext& ctx) { return printGrid(ctx, false); },
    {},
});

const CliCommandRegistration differencesRegistration({
    QStringLiteral("differences"),
    QStringLiteral("FILE FILE..."),
    QStringLiteral("print the differences grid (the rows in which the first two files differ), \"*\" on\n"
                   "the \"Version\" rows"),
    {},
    2,
    -1,
    false,
    [](CliContext& ctx) { return printGrid(ctx, true); },
    {},
});

const CliCommandRegistration makeScriptRegistration({
    QStringLiteral("make-script"),
    QStringLiteral("FILE FILE... [--out FILE] | BUILDER-OPTION [--map 1|2] [--script FILE] [--out FILE]"),
    QStringLiteral("write the script that \"Create Script\" builds: the first file's raw register values of\n"
                   "the differing registers; the rows left out are named on stderr. Or, with one builder\n"
                   "option, what \"Create Scripts\" writes, added to --script FILE when given:\n"
                   "  --add-meters TYPE METERS      \"meter add\" lines, METERS like 1-4,7\n"
                   "  --delete-all                  \"meter del\" (replaces the script)\n"
                   "  --setting REG VALUE --kind system|1ph|3ph [--meters LIST]   writes over the meters\n"
                   "  --mapping CONFIG --first-meter N --parent P [--slot S]     the channel mapping file's writes\n"
                   "what cannot be written (a meter or register past the map) is named on stderr, exit 2"),
    QList<QCommandLineOption>{QCommandLineOption(kOut, QStringLiteral("Script file to write (default: stdout)."),
                                                 QStringLiteral("FILE"))}
        + BuilderOptions::options(),
    0,
    -1,
    false,
    runMakeScript,
    checkMakeScript,
});

const CliCommandRegistration exportRegistration({
    QStringLiteral("export"),
    QStringLiteral("FILE FILE... --xlsx OUT [--differences]"),
    QStringLiteral("write the comparison grid (or with --differences the differences grid) as a .xlsx\n"
                   "workbook, highlights included; OUT is never one of the compared files"),
    {QCommandLineOption(kXlsx, QStringLiteral("Workbook to write."), QStringLiteral("OUT")),
     QCommandLineOption(kDifferences, QStringLiteral("Export the differences grid."))},
    1,
    -1,
    false,
    runExport,
    checkExport,
});

} // namespace

} // namespace halvana::cli
