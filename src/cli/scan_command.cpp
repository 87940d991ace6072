#include "cli/cli_arguments.h"
#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/progress_line.h"
#include "core/modbus/link_settings.h"
#include "core/modbus/tcp_endpoint.h"
#include "core/scan/unit_scan.h"
#include "io/qt_clock.h"
#include "io/serial_port_names.h"
#include "io/serial_transport.h"
#include "io/tcp_transport.h"

#include <QCommandLineParser>
#include <QEventLoop>

#include <optional>

namespace halvana::cli {

namespace {

const QString kIds = QStringLiteral("ids");
constexpr int kHighestId = 247;

// "FIRST-LAST" or a single ID, within 1..247.
std::optional<std::pair<int, int>> idRange(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('-'));
    if (parts.size() > 2)
        return std::nullopt;
    bool okFirst = false;
    bool okLast = false;
    const int first = parts.first().trimmed().toInt(&okFirst);
    const int last = parts.last().trimmed().toInt(&okLast);
    if (!okFirst || !okLast || first < 1 || last > kHighestId || first > last)
        return std::nullopt;
    return std::pair{first, last};
}

ScanPlan planOf(const QCommandLineParser& parser)
{
    ScanPlan plan;
    plan.tcp = parser.isSet(QStringLiteral("tcp"));
    if (plan.tcp)
        plan.endpoints = {parser.value(QStringLiteral("tcp"))};
    else if (parser.isSet(QStringLiteral("rtu")))
        plan.endpoints = {parser.value(QStringLiteral("rtu"))};
    else
        plan.endpoints = SerialPortNames::available();
    if (parser.isSet(QStringLiteral("baud")))
        plan.bauds = {parser.value(QStringLiteral("baud")).toInt()};
    else
        plan.bauds = QVector<int>(kBaudRates.begin(), kBaudRates.end());
    if (parser.isSet(QStringLiteral("slave"))) {
        plan.firstId = plan.lastId = parser.value(QStringLiteral("slave")).toInt();
    } else if (parser.isSet(kIds)) {
        const auto range = idRange(parser.value(kIds));
        plan.firstId = range->first;
        plan.lastId = range->second;
    }
    return plan;
}

QString foundText(const FoundUnit& unit)
{
    QString text = unit.where.text();
    if (unit.note.isEmpty())
        text += QStringLiteral(": firmware %1, register map %2").arg(unit.firmware).arg(unit.mapVersion);
    else
        text += QStringLiteral(": answered, but refused the read with ") + unit.note;
    return text;
}

int runScan(CliContext& ctx)
{
    const ScanPlan plan = planOf(ctx.parser());
    if (plan.endpoints.isEmpty())
        return ctx.failure(QStringLiteral("no serial ports were found: name one with --rtu DEVICE"));
    ctx.out() << "Scanning " << plan.description() << ": at most " << durationText(plan.estimateMs()) << '\n';
    ctx.out().flush();

    QtClock clock;
    SerialTransport serial(&ctx.settings());
    TcpTransport tcp;
    UnitScan scan(plan.tcp ? static_cast<Transport&>(tcp) : serial, clock);
    ProgressLine progress(ctx.err());
    QEventLoop loop;
    QObject::connect(&scan, &UnitScan::progress, [&](int done, int total, const QString& text) {
        progress.show(QStringLiteral("%1/%2 %3").arg(done + 1).arg(total).arg(text));
    });
    QObject::connect(&scan, &UnitScan::unitFound, [&](const FoundUnit& unit) {
        progress.clear();
        ctx.out() << "Found " << foundText(unit) << '\n';
        ctx.out().flush();
    });
    QObject::connect(&scan, &UnitScan::endpointFailed, [&](const QString& message) {
        progress.clear();
        ctx.err() << "halvana-cli: " << message << '\n';
        ctx.err().flush();
    });
    QObject::connect(&scan, &UnitScan::finished, &loop, &QEventLoop::quit);
    scan.start(plan);
    if (scan.isRunning())
        loop.exec();
    progress.clear();
    const qsizetype count = scan.found().size();
    if (count == 0) {
        ctx.out() << "no unit found\n";
        return kExitFailed;
    }
    ctx.out() << count << (count == 1 ? " unit found\n" : " units found\n");
    return kExitOk;
}

const CliCommandRegistration registration({
    QStringLiteral("scan"),
    QStringLiteral("[--ids FIRST-LAST]"),
    QStringLiteral("look for units: on --rtu DEVICE or every serial port found, at --baud or each speed of the\n"
                   "baud list, from --slave ID or each ID of --ids (1-247); or at each unit ID of --tcp HOST.\n"
                   "Only reads; prints the longest it can take first, then each unit that answers"),
    {QCommandLineOption(kIds, QStringLiteral("Slave IDs to try, FIRST-LAST (default 1-247)."),
                        QStringLiteral("FIRST-LAST"))},
    0,
    0,
    false,
    runScan,
    [](const QStringList&, const QCommandLineParser& parser) {
        if (parser.isSet(kIds) && !idRange(parser.value(kIds)))
            return QStringLiteral("--ids: \"%1\" is not a range of slave IDs within 1-247").arg(parser.value(kIds));
        if (parser.isSet(kIds) && parser.isSet(QStringLiteral("slave")))
            return QStringLiteral("give either --slave or --ids, not both");
        if (parser.isSet(QStringLiteral("slave")) && !slaveIdOf(parser.value(QStringLiteral("slave"))))
            return QStringLiteral("--slave: \"%1\" is not a slave ID (1..247)").arg(parser.value(QStringLiteral("slave")));
        if (parser.isSet(QStringLiteral("baud")) && !lineSpeedOf(parser.value(QStringLiteral("baud"))))
            return QStringLiteral("--baud: \"%1\" is not a line speed").arg(parser.value(QStringLiteral("baud")));
        if (parser.isSet(QStringLiteral("tcp")) && !TcpEndpoint::problem(parser.value(QStringLiteral("tcp"))).isEmpty())
            return TcpEndpoint::problem(parser.value(QStringLiteral("tcp")));
        return QString();
    },
});

} // namespace

} // namespace halvana::cli
