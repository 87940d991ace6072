#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "cli/table_poll.h"
#include "core/app/app_folders.h"
#include "core/app/channel_names.h"
#include "core/device/device_data.h"
#include "core/device/sequencer.h"
#include "core/device/table_readout.h"
#include "core/modbus/link_statistics.h"
#include "core/modbus/transport.h"
#include "core/session/unit_session.h"
#include "core/time/clock.h"
#include "io/signal_watcher.h"

#include <QCommandLineParser>

namespace halvana::cli {

namespace {

const QString kTable = QStringLiteral("table");
const QString kInterval = QStringLiteral("interval");
constexpr int kDefaultIntervalS = 5;

std::optional<int> intervalOf(const QCommandLineParser& parser)
{
    if (!parser.isSet(kInterval))
        return kDefaultIntervalS;
    bool ok = false;
    const int seconds = parser.value(kInterval).toInt(&ok);
    return ok && seconds >= 1 && seconds <= 86400 ? std::optional(seconds) : std::nullopt;
}

QString statisticsLine(const LinkStatistics& statistics)
{
    return statistics.summaryLine() + QStringLiteral("; cycle %1 ms").arg(statistics.lastCycleMs());
}

int runWatch(CliContext& ctx)
{
    CliSession& session = ctx.session();
    UnitSession& unit = session.unit();
    unit.data().setChannelNames(ChannelNames::load(ctx.folders().programFolder, ctx.messages()));
    if (ctx.parser().isSet(kTable)) {
        for (int t : TableReadout::tablesOpenedFor(*tableOfArgument(ctx.parser().value(kTable))))
            unit.data().openTable(t);
    }
    Sequencer& sequencer = unit.sequencer();
    sequencer.setPollingDisabled(false);
    sequencer.setPollStep(0);
    sequencer.setMainTimerEnabled(true);

    const LinkStatistics& statistics = unit.statistics();
    std::unique_ptr<Timer> every = session.clock().createTimer(*intervalOf(ctx.parser()) * 1000);
    every->setCallback([&] {
        ctx.out() << statisticsLine(statistics) << '\n';
        ctx.out().flush();
    });
    every->start();
    // The connections below capture this function's locals: they end with it.
    QObject scope;
    QString failure;
    Transport& transport = session.transport();
    QObject::connect(&transport, &Transport::disconnected, &scope, [&] {
        failure = QStringLiteral("%1 closed the connection").arg(transport.description());
        session.finish(kExitFailed);
    });
    // Ctrl-C ends the watch with the totals.
    SignalWatcher termination;
    QObject::connect(&termination, &SignalWatcher::terminationRequested, &scope, [&] { session.finish(kExitOk); });
    const int status = session.exec();
    sequencer.setMainTimerEnabled(false);
    ctx.out() << "total: " << statisticsLine(statistics) << '\n';
    return status == kExitOk ? kExitOk : ctx.failure(failure);
}

const CliCommandRegistration registration({
    QStringLiteral("watch"),
    QStringLiteral("[--table N] [--interval S]"),
    QStringLiteral("poll as the program does (the system and meter blocks, and table N's blocks when given) and\n"
                   "print the link's statistics every S seconds (default 5) until Ctrl-C, then the totals"),
    {QCommandLineOption(kTable, QStringLiteral("A table to poll besides the system blocks."), QStringLiteral("N")),
     QCommandLineOption(kInterval, QStringLiteral("Seconds between statistics lines (default 5)."),
                        QStringLiteral("S"))},
    0,
    0,
    true,
    runWatch,
    [](const QStringList&, const QCommandLineParser& parser) {
        if (parser.isSet(kTable) && !tableOfArgument(parser.value(kTable)))
            return checkTableArgument(parser.value(kTable));
        if (!intervalOf(parser))
            return QStringLiteral("--interval: \"%1\" is not a number of seconds").arg(parser.value(kInterval));
        return QString();
    },
});

} // namespace

} // namespace halvana::cli
