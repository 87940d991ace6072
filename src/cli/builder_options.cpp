#include "cli/builder_options.h"

#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "core/app/app_folders.h"
#include "core/files/text_file.h"
#include "core/scripts/script_builder.h"

#include <QCommandLineParser>
#include <QDir>

namespace halvana::cli {

namespace {

const QString kAddMeters = QStringLiteral("add-meters");
const QString kDeleteAll = QStringLiteral("delete-all");
const QString kSetting = QStringLiteral("setting");
const QString kMeters = QStringLiteral("meters");
const QString kKind = QStringLiteral("kind");
const QString kMapping = QStringLiteral("mapping");
const QString kFirstMeter = QStringLiteral("first-meter");
const QString kParent = QStringLiteral("parent");
const QString kSlot = QStringLiteral("slot");
const QString kMap = QStringLiteral("map");
const QString kScript = QStringLiteral("script");
const QString kOut = QStringLiteral("out");

// Meter numbers beyond the list are taken, so that the builder can say they are past it.
constexpr int kMaxListedNumber = 65535;

const QStringList kGenerators{kAddMeters, kDeleteAll, kSetting, kMapping};

std::optional<int> number(const QString& text, int min, int max)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok && n >= min && n <= max ? std::optional<int>(n) : std::nullopt;
}

std::optional<ScriptBuilder::SettingKind> kindOf(const QString& text)
{
    if (text == QStringLiteral("system"))
        return ScriptBuilder::SettingKind::System;
    if (text == QStringLiteral("1ph"))
        return ScriptBuilder::SettingKind::SinglePhase;
    if (text == QStringLiteral("3ph"))
        return ScriptBuilder::SettingKind::ThreePhase;
    return std::nullopt;
}

// CONFIG: the list index 0..8 or the configuration's name, in any case.
std::optional<int> configurationOf(const QString& text)
{
    if (const std::optional<int> index = number(text, 0, ScriptBuilder::kConfigurationCount - 1))
        return index;
    const QStringList& names = ScriptBuilder::configurationNames();
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(text.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    }
    return std::nullopt;
}

QList<int> rowsOf(const QList<int>& numbers)
{
    QList<int> rows;
    for (int n : numbers)
        rows << n - 1;
    return rows;
}

QString checkNeeds(const QCommandLineParser& parser, const QString& generator, const QStringList& needed)
{
    for (const QString& option : needed) {
        if (!parser.isSet(option))
            return QStringLiteral("--%1 needs --%2").arg(generator, option);
    }
    return {};
}

// The setting line of the kind's list for REG, as the window's list offers it.
std::optional<QString> settingLine(CliContext& ctx, ScriptBuilder::SettingKind kind, int mapVersion, const QString& reg)
{
    const QStringList rows = ScriptBuilder::loadSettingsList(ctx.folders().programFolder, kind, mapVersion, ctx.messages());
    for (const QString& row : rows) {
        if (row.section(QLatin1Char('\t'), 0, 0).trimmed() == reg.trimmed())
            return row;
    }
    return std::nullopt;
}

} // namespace

namespace BuilderOptions {

QString check(const QStringList& args, const QCommandLineParser& parser)
{
    QStringList generators;
    for (const QString& g : kGenerators) {
        if (parser.isSet(g))
            generators << QStringLiteral("--") + g;
    }
    if (generators.size() > 1)
        return QStringLiteral("give one of %1 at a time").arg(generators.join(QStringLiteral(", ")));
    if (parser.isSet(kMap) && !number(parser.value(kMap), 1, 2))
        return QStringLiteral("--map is 1 or 2");
    const int wanted = parser.isSet(kAddMeters) || parser.isSet(kSetting) ? 1 : 0;
    if (args.size() != wanted) {
        return parser.isSet(kAddMeters) ? QStringLiteral("usage: make-script --add-meters TYPE METERS")
             : parser.isSet(kSetting)   ? QStringLiteral("usage: make-script --setting REG VALUE --meters LIST --kind KIND")
                                        : QStringLiteral("%1 takes no file arguments").arg(generators.first());
    }
    if (parser.isSet(kAddMeters)) {
        const std::optional<int> type = number(parser.value(kAddMeters), 1, 9);
        if (!type || !ScriptBuilder::isMeterTypeCode(*type))
            return QStringLiteral("--add-meters TYPE is one of 1, 2, 3, 4, 5, 9");
        if (!BuilderOptions::numberList(args.first(), kMaxListedNumber))
            return QStringLiteral("METERS \"%1\" is not a list like 1-4,7").arg(args.first());
    }
    if (parser.isSet(kSetting)) {
        if (const QString problem = checkNeeds(parser, kSetting, {kKind}); !problem.isEmpty())
            return problem;
        const std::optional<ScriptBuilder::SettingKind> kind = kindOf(parser.value(kKind));
        if (!kind)
            return QStringLiteral("--kind is system, 1ph or 3ph");
        if (*kind != ScriptBuilder::SettingKind::System) {
            if (const QString problem = checkNeeds(parser, kSetting, {kMeters}); !problem.isEmpty())
                return problem;
            if (!BuilderOptions::numberList(parser.value(kMeters), kMaxListedNumber))
                return QStringLiteral("--meters \"%1\" is not a list like 1-4,7").arg(parser.value(kMeters));
        }
    }
    if (parser.isSet(kMapping)) {
        if (const QString problem = checkNeeds(parser, kMapping, {kFirstMeter, kParent}); !problem.isEmpty())
            return problem;
        if (!configurationOf(parser.value(kMapping)))
            return QStringLiteral("--mapping CONFIG is 0..8 or a name such as \"BCM (Standard)\"");
        if (!number(parser.value(kFirstMeter), 1, ScriptBuilder::kMeterCount))
            return QStringLiteral("--first-meter is a meter number from 1 to %1").arg(ScriptBuilder::kMeterCount);
        if (!number(parser.value(kParent), 1, ScriptBuilder::kMeterCount))
            return QStringLiteral("--parent is a parent ID from 1 to %1").arg(ScriptBuilder::kMeterCount);
        if (parser.isSet(kSlot) && !number(parser.value(kSlot), 1, ChannelMapping::kSlotCount))
            return QStringLiteral("--slot is a slot from 1 to %1").arg(ChannelMapping::kSlotCount);
    }
    for (const QString& option : {kMeters, kKind}) {
        if (parser.isSet(option) && !parser.isSet(kSetting))
            return QStringLiteral("--%1 goes with --setting").arg(option);
    }
    for (const QString& option : {kFirstMeter, kParent, kSlot}) {
        if (parser.isSet(option) && !parser.isSet(kMapping))
            return QStringLiteral("--%1 goes with --mapping").arg(option);
    }
    return {};
}

QList<QCommandLineOption> options()
{
    return {
        {kAddMeters, QStringLiteral("Add meters of type TYPE (1, 2, 3, 4, 5, 9); the meter numbers follow."), QStringLiteral("TYPE")},
        {kDeleteAll, QStringLiteral("Delete all meters (replaces the script).")},
        {kSetting, QStringLiteral("Write setting REG; the value follows."), QStringLiteral("REG")},
        {kMeters, QStringLiteral("Meters for --setting, e.g. 1-4,7."), QStringLiteral("LIST")},
        {kKind, QStringLiteral("Setting kind: system, 1ph or 3ph."), QStringLiteral("KIND")},
        {kMapping, QStringLiteral("Channel mapping configuration 0..8 or its name."), QStringLiteral("CONFIG")},
        {kFirstMeter, QStringLiteral("First meter mapped (branch or 3-phase meter number)."), QStringLiteral("N")},
        {kParent, QStringLiteral("Parent ID written with the mapping."), QStringLiteral("P")},
        {kSlot, QStringLiteral("Slot of the mapping, 1..6 (default 1)."), QStringLiteral("S")},
        {kMap, QStringLiteral("Register map version, 1 or 2 (default 2)."), QStringLiteral("N")},
        {kScript, QStringLiteral("Script to add to (default: an empty one)."), QStringLiteral("FILE")},
    };
}

bool given(const QCommandLineParser& parser)
{
    for (const QString& option : kGenerators) {
        if (parser.isSet(option))
            return true;
    }
    return false;
}

std::optional<QList<int>> numberList(const QString& text, int max)
{
    QList<int> numbers;
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QStringList ends = part.split(QLatin1Char('-'));
        const std::optional<int> first = ends.size() <= 2 ? number(ends.first(), 1, max) : std::nullopt;
        const std::optional<int> last = ends.size() == 2 ? number(ends.last(), 1, max) : first;
        if (!first || !last || *last < *first)
            return std::nullopt;
        for (int n = *first; n <= *last; ++n)
            numbers << n;
    }
    return numbers;
}

int run(CliContext& ctx)
{
    const QCommandLineParser& parser = ctx.parser();
    const int mapVersion = parser.isSet(kMap) ? parser.value(kMap).toInt() : 2;
    const ScriptBuilder builder(mapVersion);

    QString script;
    if (parser.isSet(kScript)) {
        const QString path = QDir::fromNativeSeparators(parser.value(kScript));
        const std::optional<QString> text = readWholeTextFile(path);
        if (!text)
            return ctx.usageError(QStringLiteral("the script file '%1' could not be read").arg(path));
        script = ScriptBuilder::textOfLines(splitLines(*text));
    }

    ScriptBuilder::Result result;
    if (parser.isSet(kDeleteAll)) {
        result.text = ScriptBuilder::deleteAllMeters();
    } else if (parser.isSet(kAddMeters)) {
        result = builder.addMeters(script, parser.value(kAddMeters).toInt(),
                                   rowsOf(*numberList(ctx.args().first(), kMaxListedNumber)));
    } else if (parser.isSet(kSetting)) {
        const ScriptBuilder::SettingKind kind = *kindOf(parser.value(kKind));
        const std::optional<QString> line = settingLine(ctx, kind, mapVersion, parser.value(kSetting));
        if (!line)
            return ctx.usageError(QStringLiteral("register %1 is not in the list of %2")
                                      .arg(parser.value(kSetting), ScriptBuilder::settingsFileName(kind, mapVersion)));
        const QList<int> meters = kind == ScriptBuilder::SettingKind::System
            ? QList<int>{}
            : rowsOf(*numberList(parser.value(kMeters), kMaxListedNumber));
        result = builder.addSetting(script, *line, ctx.args().first(), kind, meters);
        if (result.text == script && !result.problems.isEmpty())
            return ctx.usageError(result.problems.join(QLatin1Char(' ')));
    } else {
        MappingChoice choice;
        choice.configuration = *configurationOf(parser.value(kMapping));
        choice.firstMeter = parser.value(kFirstMeter).toInt() - 1;
        choice.parent = parser.value(kParent).toInt();
        const int slot = parser.isSet(kSlot) ? parser.value(kSlot).toInt() - 1 : 0;
        const std::optional<ChannelMapping> mapping =
            ScriptBuilder::loadMapping(ctx.folders().programFolder, choice.configuration, ctx.messages());
        if (!mapping)
            return kExitUsage;
        for (int g = 0; g < 2; ++g)
            choice.grids[size_t(g)] = mapping->grid(g, slot);
        result = builder.addMapping(script, choice);
    }

    for (const QString& problem : result.problems)
        ctx.err() << "halvana-cli: " << problem << '\n';
    ctx.err().flush();
    if (!parser.isSet(kOut)) {
        ctx.out() << result.text;
    } else if (const std::optional<QString> error =
                   writeTextFile1252(QDir::fromNativeSeparators(parser.value(kOut)), result.text)) {
        return ctx.failure(*error);
    }
    return result.problems.isEmpty() ? kExitOk : kExitUsage;
}

} // namespace BuilderOptions

} // namespace halvana::cli
