#include "sim/sim_options.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace halvana {

namespace {

std::optional<int> parseInt(const QString& text, int min, int max)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok && n >= min && n <= max ? std::optional<int>(n) : std::nullopt;
}

std::optional<RegisterPreset> parsePreset(const QString& text)
{
    const int eq = text.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    RegisterPreset preset;
    const auto first = parseInt(text.left(eq), 1, 65536);
    if (!first)
        return std::nullopt;
    preset.first = *first;
    const QStringList values = text.mid(eq + 1).split(QLatin1Char(','));
    for (const QString& v : values) {
        const auto value = parseInt(v, 0, 65535);
        if (!value)
            return std::nullopt;
        preset.values << quint16(*value);
    }
    if (preset.first + preset.values.size() - 1 > 65536)
        return std::nullopt;
    return preset;
}

// Reads an integer option when it is given; false with a message when its value is not one.
bool readInt(const QCommandLineParser& parser, const QString& name, int min, int max, const QString& what,
             int* target, QString* error)
{
    if (!parser.isSet(name))
        return true;
    const auto n = parseInt(parser.value(name), min, max);
    if (!n) {
        *error = QStringLiteral("--%1: \"%2\" is not %3").arg(name, parser.value(name), what);
        return false;
    }
    *target = *n;
    return true;
}

} // namespace

void SimOptions::addTo(QCommandLineParser& parser)
{
    parser.addOptions({
        {QStringLiteral("tcp"),
         QStringLiteral("Serve Modbus TCP on [HOST:]PORT (HOST 127.0.0.1 unless given; "
                        "PORT 0 picks a free port)."),
         QStringLiteral("[HOST:]PORT")},
        {QStringLiteral("rtu"), QStringLiteral("Serve Modbus RTU on a serial device or pseudo-terminal."),
         QStringLiteral("DEVICE")},
        {QStringLiteral("baud"), QStringLiteral("Line speed of --rtu (default 115200)."), QStringLiteral("BPS")},
        {QStringLiteral("pace"), QStringLiteral("Send RTU replies at the line's real speed.")},
        {QStringLiteral("service"),
         QStringLiteral("Serve the service-port console on a serial device or pseudo-terminal."),
         QStringLiteral("DEVICE")},
        {QStringLiteral("service-baud"), QStringLiteral("Line speed of --service (default 57600)."),
         QStringLiteral("BPS")},
        {QStringLiteral("upgrade-dir"),
         QStringLiteral("Keep each firmware image received on the service port (upgd, upgdin, upgdtmp) in DIR as "
                        "MCB.bin, DIB.bin or TIB.bin."),
         QStringLiteral("DIR")},
        {QStringLiteral("upgrade-faults"),
         QStringLiteral("Upgrade receive faults: NAK block N, lose the ACK of block N, cancel at block N; each entry "
                        "acts once, repeat it to act again."),
         QStringLiteral("nak=N,drop=N,cancel=N")},
        {QStringLiteral("slave"), QStringLiteral("Slave id of the unit, 1..247 (default 1)."), QStringLiteral("N")},
        {QStringLiteral("map"), QStringLiteral("Register map version, 1 or 2 (default 2)."), QStringLiteral("1|2")},
        {QStringLiteral("faults"),
         QStringLiteral("Inject faults: drop=P,corrupt=P,split=P,delay=MS,exception=P,splitgap=MS."),
         QStringLiteral("FAULTS")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the injected faults (default 1)."), QStringLiteral("N")},
        {QStringLiteral("set"), QStringLiteral("Put values into registers REG, REG+1, ... (repeatable)."),
         QStringLiteral("REG=V[,V...]")},
        {QStringLiteral("reboot-ms"),
         QStringLiteral("How long the unit stays silent after the reboot command (default 3000)."),
         QStringLiteral("MS")},
        {QStringLiteral("verbose"), QStringLiteral("Print every request and reply on stderr.")},
    });
}

std::optional<SimOptions> SimOptions::fromParser(const QCommandLineParser& parser, QString* error)
{
    SimOptions options;
    const auto fail = [error](const QString& message) {
        *error = message;
        return std::nullopt;
    };

    if (parser.isSet(QStringLiteral("tcp"))) {
        options.tcp = true;
        const QString text = parser.value(QStringLiteral("tcp"));
        const int colon = text.lastIndexOf(QLatin1Char(':'));
        if (colon >= 0)
            options.tcpHost = text.left(colon).remove(QLatin1Char('[')).remove(QLatin1Char(']'));
        const auto port = parseInt(text.mid(colon + 1), 0, 65535);
        if (!port || options.tcpHost.isEmpty())
            return fail(QStringLiteral("--tcp: \"%1\" is not [HOST:]PORT").arg(text));
        options.tcpPort = quint16(*port);
    }
    options.rtuDevice = parser.value(QStringLiteral("rtu"));
    options.serviceDevice = parser.value(QStringLiteral("service"));
    if (!options.tcp && options.rtuDevice.isEmpty() && options.serviceDevice.isEmpty())
        return fail(QStringLiteral("give --tcp [HOST:]PORT, --rtu DEVICE and/or --service DEVICE"));

    if (!readInt(parser, QStringLiteral("baud"), 300, 4000000, QStringLiteral("a line speed"), &options.baud, error)
        || !readInt(parser, QStringLiteral("service-baud"), 300, 4000000, QStringLiteral("a line speed"),
                    &options.serviceBaud, error)
        || !readInt(parser, QStringLiteral("slave"), 1, 247, QStringLiteral("a slave id from 1 to 247"),
                    &options.slaveId, error)
        || !readInt(parser, QStringLiteral("map"), 1, 2, QStringLiteral("1 or 2"), &options.mapVersion, error)
        || !readInt(parser, QStringLiteral("reboot-ms"), 0, 600000, QStringLiteral("milliseconds from 0 to 600000"),
                    &options.rebootMs, error))
        return std::nullopt;
    options.pace = parser.isSet(QStringLiteral("pace"));
    options.upgradeDir = parser.value(QStringLiteral("upgrade-dir"));
    if (!options.upgradeDir.isEmpty() && !QFileInfo(options.upgradeDir).isDir())
        return fail(QStringLiteral("--upgrade-dir: \"%1\" is not a folder").arg(options.upgradeDir));
    if (parser.isSet(QStringLiteral("upgrade-faults"))) {
        const auto faults = UpgradeFaults::parse(parser.value(QStringLiteral("upgrade-faults")), error);
        if (!faults)
            return std::nullopt;
        options.upgradeFaults = *faults;
    }
    if (parser.isSet(QStringLiteral("faults"))) {
        options.faults = FaultOptions::parse(parser.value(QStringLiteral("faults")), error);
        if (!options.faults)
            return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("seed"))) {
        bool ok = false;
        options.seed = parser.value(QStringLiteral("seed")).toUInt(&ok);
        if (!ok)
            return fail(QStringLiteral("--seed: \"%1\" is not a whole number").arg(parser.value(QStringLiteral("seed"))));
    }
    const QStringList presets = parser.values(QStringLiteral("set"));
    for (const QString& text : presets) {
        const auto preset = parsePreset(text);
        if (!preset)
            return fail(QStringLiteral("--set: \"%1\" is not REG=V[,V...] with REG 1..65536 and values 0..65535")
                            .arg(text));
        options.presets << *preset;
    }
    options.verbose = parser.isSet(QStringLiteral("verbose"));
    return options;
}

} // namespace halvana
