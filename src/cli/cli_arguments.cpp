#include "cli/cli_arguments.h"

#include "cli/cli_command.h"
#include "core/app/app_settings.h"
#include "core/modbus/link_settings.h"
#include "core/modbus/tcp_endpoint.h"

#include <QSet>

namespace halvana::cli {

namespace {

const QString kTcp = QStringLiteral("tcp");
const QString kRtu = QStringLiteral("rtu");
const QString kBaud = QStringLiteral("baud");
const QString kSlave = QStringLiteral("slave");
const QString kFast = QStringLiteral("fast");
const QString kSettings = QStringLiteral("settings");
const QString kDataDir = QStringLiteral("data-dir");
const QString kHelp = QStringLiteral("help");
const QString kStats = QStringLiteral("stats");
const QString kTrace = QStringLiteral("trace");

QList<QCommandLineOption> commonOptions()
{
    return {
        {kTcp, QStringLiteral("Modbus TCP to HOST, port 502 unless given."), QStringLiteral("HOST[:PORT]")},
        {kRtu, QStringLiteral("Modbus RTU on a serial device."), QStringLiteral("DEVICE")},
        {kBaud, QStringLiteral("Line speed for --rtu (default 115200)."), QStringLiteral("BPS")},
        {kSlave, QStringLiteral("Slave ID of the unit (1..247)."), QStringLiteral("ID")},
        {kFast, QStringLiteral("Fast polling: a reply ends at its expected length, the next request leaves at once.")},
        {kSettings, QStringLiteral("Settings file to use instead of your own."), QStringLiteral("FILE")},
        {kDataDir, QStringLiteral("Folder with the definition files."), QStringLiteral("DIR")},
        {kStats, QStringLiteral("After the command, print the link's statistics on stderr.")},
        {kTrace, QStringLiteral("Print every frame on stderr, decoded, as it goes or comes.")},
        {{QStringLiteral("h"), kHelp}, QStringLiteral("Show this help.")},
    };
}

std::optional<int> parseInt(const QString& text, int min, int max)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok && n >= min && n <= max ? std::optional<int>(n) : std::nullopt;
}

} // namespace

std::optional<int> lineSpeedOf(const QString& text)
{
    return parseInt(text, 50, 4000000);
}

std::optional<int> slaveIdOf(const QString& text)
{
    return parseInt(text, 1, 247);
}

QString LinkTarget::description() const
{
    return tcp ? endpoint : QStringLiteral("%1 at %2 baud").arg(endpoint).arg(baud);
}

CliArguments::CliArguments()
{
    m_parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    m_parser.addOptions(commonOptions());
    QSet<QString> known;
    for (const CliCommand& command : cliCommands()) {
        for (const QCommandLineOption& option : command.options) {
            if (!known.contains(option.names().first())) {
                known.insert(option.names().first());
                m_parser.addOption(option);
            }
        }
    }
}

QString CliArguments::usage()
{
    QString text = QStringLiteral(
        "Usage: halvana-cli [--tcp HOST[:PORT] | --rtu DEVICE [--baud BPS]] [--fast] [--slave ID] [--settings FILE]\n"
        "                   [--data-dir DIR] [--stats] [--trace] COMMAND ...\n"
        "Without --tcp or --rtu the connection is the one stored in the settings.\n\nCommands:\n");
    for (const CliCommand& command : cliCommands()) {
        text += QStringLiteral("  %1 %2").arg(command.name, command.synopsis).trimmed().prepend(QStringLiteral("  "))
                + QLatin1Char('\n');
        const QStringList lines = command.description.split(QLatin1Char('\n'));
        for (const QString& line : lines)
            text += QStringLiteral("      %1\n").arg(line);
    }
    text += QStringLiteral("\nExit status: 0 done; 1 the unit or the link failed (message on stderr); "
                           "2 bad usage or bad input file.\n");
    return text;
}

bool CliArguments::fail(const QString& message)
{
    m_error = message;
    return false;
}

bool CliArguments::parse(const QStringList& arguments)
{
    if (!m_parser.parse(arguments))
        return fail(m_parser.errorText());
    m_help = m_parser.isSet(kHelp);
    if (m_help)
        return true;

    QStringList positional = m_parser.positionalArguments();
    if (positional.isEmpty())
        return fail(QStringLiteral("no command given"));
    const QString name = positional.takeFirst();
    m_command = findCliCommand(name);
    if (!m_command)
        return fail(QStringLiteral("unknown command \"%1\"").arg(name));
    m_args = positional;
    const int count = int(m_args.size());
    if (count < m_command->minArgs || (m_command->maxArgs >= 0 && count > m_command->maxArgs))
        return fail(QStringLiteral("usage: halvana-cli %1 %2").arg(m_command->name, m_command->synopsis));

    QSet<QString> allowed;
    for (const QCommandLineOption& option : commonOptions() + m_command->options) {
        for (const QString& optionName : option.names())
            allowed.insert(optionName);
    }
    const QStringList given = m_parser.optionNames();
    for (const QString& option : given) {
        if (!allowed.contains(option))
            return fail(QStringLiteral("--%1 does not go with %2").arg(option, m_command->name));
    }
    if (m_parser.isSet(kTcp) && m_parser.isSet(kRtu))
        return fail(QStringLiteral("give either --tcp or --rtu, not both"));
    if (m_parser.isSet(kBaud) && m_parser.isSet(kTcp))
        return fail(QStringLiteral("--baud goes with --rtu, not with --tcp"));
    if (m_command->checkArguments) {
        const QString problem = m_command->checkArguments(m_args, m_parser);
        if (!problem.isEmpty())
            return fail(problem);
    }
    return true;
}

QString CliArguments::settingsFile() const
{
    return m_parser.value(kSettings);
}

bool CliArguments::statsRequested() const
{
    return m_parser.isSet(kStats);
}

bool CliArguments::traceRequested() const
{
    return m_parser.isSet(kTrace);
}

QString CliArguments::dataDir() const
{
    return m_parser.value(kDataDir);
}

std::optional<LinkTarget> CliArguments::linkTarget(const AppSettings& settings, QString* error) const
{
    const auto fail = [error](const QString& message) {
        *error = message;
        return std::nullopt;
    };
    const LinkSettings stored = LinkSettings::fromStore(settings);
    LinkTarget target;
    if (m_parser.isSet(kTcp)) {
        target.tcp = true;
        target.endpoint = m_parser.value(kTcp);
    } else if (m_parser.isSet(kRtu)) {
        target.endpoint = m_parser.value(kRtu);
    } else {
        target.tcp = stored.isTcp();
        target.endpoint = target.tcp ? stored.ipAddress : stored.commPort;
        if (!target.tcp)
            target.baud = kBaudRates[size_t(stored.baudIndex)];
    }
    // A stored value in use that is not of its kind is a bad input file, not a default.
    QStringList usedKeys;
    if (!m_parser.isSet(kTcp) && !m_parser.isSet(kRtu)) {
        usedKeys << QStringLiteral("Mode");
        if (!target.tcp && !m_parser.isSet(kBaud))
            usedKeys << QStringLiteral("Baud");
    }
    if (!m_parser.isSet(kSlave))
        usedKeys << QStringLiteral("BCM_SlaveID");
    if (!m_parser.isSet(kFast))
        usedKeys << QStringLiteral("FastPolling");
    for (const QString& key : usedKeys) {
        const QString problem = settings.valueProblem(AppSettings::kProperties, key);
        if (!problem.isEmpty())
            return fail(problem);
    }
    if (target.tcp && !TcpEndpoint::parse(target.endpoint))
        return fail(QStringLiteral("\"%1\" is not HOST[:PORT]").arg(target.endpoint));
    if (!target.tcp && target.endpoint.trimmed().isEmpty())
        return fail(QStringLiteral("no serial port given"));

    if (m_parser.isSet(kBaud)) {
        const auto baud = lineSpeedOf(m_parser.value(kBaud));
        if (!baud)
            return fail(QStringLiteral("--baud: \"%1\" is not a line speed").arg(m_parser.value(kBaud)));
        target.baud = *baud;
    }
    const QString slaveText = m_parser.isSet(kSlave) ? m_parser.value(kSlave) : QString::number(stored.BCM_SlaveID);
    const auto slave = slaveIdOf(slaveText);
    if (!slave)
        return fail(QStringLiteral("slave ID \"%1\" is not a number from 1 to 247").arg(slaveText));
    target.slaveId = *slave;
    target.fastPolling = m_parser.isSet(kFast) || settings.propertyFlag(QStringLiteral("FastPolling"));
    return target;
}

} // namespace halvana::cli
