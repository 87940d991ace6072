#include "io/signal_watcher.h"
#include "sim/rtu_server.h"
#include "sim/service_console.h"
#include "sim/sim_options.h"
#include "sim/simulated_unit.h"
#include "sim/slave_service.h"
#include "sim/tcp_server.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <memory>

using namespace halvana;

namespace {

// One line on stdout per port, flushed at once: scripts and tests wait for it.
void announce(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

int usageError(const QString& message)
{
    std::fprintf(stderr, "halvana-sim: %s\nTry 'halvana-sim --help'.\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("halvana-sim"));

    SimulatedUnit unit;
    for (auto& feature : createUnitFeatures())
        unit.addFeature(std::move(feature));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A simulated power-distribution unit: a Modbus RTU and TCP slave with a service-port console."));
    parser.addHelpOption();
    SimOptions::addTo(parser);
    parser.addOptions(unit.featureOptions());
    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));

    QString error;
    const auto options = SimOptions::fromParser(parser, &error);
    if (!options)
        return usageError(error);
    if (!unit.setUp(parser, *options, &error))
        return usageError(error);

    std::optional<FaultPlan> faults;
    if (options->faults)
        faults.emplace(*options->faults, options->seed);
    SlaveService service(unit, options->slaveId, std::move(faults), options->verbose);

    std::unique_ptr<TcpServer> tcp;
    if (options->tcp) {
        tcp = std::make_unique<TcpServer>(service);
        if (!tcp->listen(options->tcpHost, options->tcpPort, &error)) {
            std::fprintf(stderr, "halvana-sim: %s\n", qPrintable(error));
            return 1;
        }
        announce(QStringLiteral("listening on %1").arg(tcp->address()));
    }
    std::unique_ptr<RtuServer> rtu;
    if (!options->rtuDevice.isEmpty()) {
        rtu = std::make_unique<RtuServer>(service);
        if (!rtu->open(options->rtuDevice, options->baud, options->pace, &error)) {
            std::fprintf(stderr, "halvana-sim: %s\n", qPrintable(error));
            return 1;
        }
        announce(QStringLiteral("serving %1 at %2 baud%3")
                     .arg(options->rtuDevice)
                     .arg(options->baud)
                     .arg(options->pace ? QStringLiteral(", paced") : QString()));
    }

    std::unique_ptr<ServiceConsole> console;
    if (!options->serviceDevice.isEmpty()) {
        console = std::make_unique<ServiceConsole>(unit);
        console->setUpgrade(options->upgradeDir, options->upgradeFaults);
        if (!console->open(options->serviceDevice, options->serviceBaud, &error)) {
            std::fprintf(stderr, "halvana-sim: %s\n", qPrintable(error));
            return 1;
        }
        announce(
            QStringLiteral("service console on %1 at %2 baud").arg(options->serviceDevice).arg(options->serviceBaud));
    }

    SignalWatcher termination;
    QObject::connect(&termination, &SignalWatcher::terminationRequested, &app, [] { QCoreApplication::quit(); });
    const int status = app.exec();
    if (const FaultPlan* plan = service.faults())
        announce(plan->counts().summaryLine());
    return status;
}
