#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "cli/register_arguments.h"
#include "cli/table_poll.h"
#include "core/device/device_data.h"
#include "core/device/sequencer.h"
#include "core/grid/grid_text_export.h"
#include "core/modbus/modbus_link.h"
#include "core/modbus/transport.h"
#include "core/session/unit_session.h"
#include "core/time/clock.h"
#include "core/trend/trend_log.h"
#include "core/trend/trend_set.h"
#include "io/signal_watcher.h"

#include <QCommandLineParser>

#include <cmath>

namespace halvana::cli {

namespace {

const QString kTable = QStringLiteral("table");
const QString kRows = QStringLiteral("rows");
const QString kMeters = QStringLiteral("meters");
const QString kReg = QStringLiteral("reg");
const QString kInterval = QStringLiteral("interval");
const QString kOut = QStringLiteral("out");
// Registers are read this often when no interval is given; a table row follows every cycle.
constexpr int kDefaultRegisterIntervalMs = 1000;
constexpr int kMaxRegistersPerRead = 125;

// Every value of an option given once or more, each perhaps a comma-separated list.
QStringList listOf(const QCommandLineParser& parser, const QString& option)
{
    QStringList items;
    for (const QString& value : parser.values(option))
        items += value.split(QLatin1Char(','), Qt::SkipEmptyParts);
    return items;
}

std::optional<QList<int>> numbersOf(const QCommandLineParser& parser, const QString& option, int min, int max,
                                    QString* problem)
{
    QList<int> numbers;
    for (const QString& item : listOf(parser, option)) {
        const std::optional<int> n = parseNumber(item.trimmed(), min, max, QStringLiteral("--") + option, problem);
        if (!n)
            return std::nullopt;
        numbers << *n;
    }
    return numbers;
}

std::optional<qint64> intervalMsOf(const QCommandLineParser& parser)
{
    if (!parser.isSet(kInterval))
        return parser.isSet(kReg) ? kDefaultRegisterIntervalMs : 0;
    bool ok = false;
    const double seconds = parser.value(kInterval).toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > 86400)
        return std::nullopt;
    return qint64(std::llround(seconds * 1000));
}

QString checkLogArguments(const QStringList&, const QCommandLineParser& parser)
{
    if (parser.isSet(kTable) == parser.isSet(kReg))
        return QStringLiteral("give either --table N or --reg REG");
    if (parser.isSet(kTable)) {
        const std::optional<int> table = tableOfArgument(parser.value(kTable));
        if (!table || !TrendSet::isTrendTable(*table))
            return QStringLiteral("--table: \"%1\" is not a readings table: give 1, 3 or 10").arg(parser.value(kTable));
    } else if (parser.isSet(kRows) || parser.isSet(kMeters)) {
        return QStringLiteral("--rows and --meters go with --table");
    }
    QString problem;
    if (!numbersOf(parser, kRows, 1, 65536, &problem) || !numbersOf(parser, kMeters, 1, kMaxMeters, &problem)
        || !numbersOf(parser, kReg, 1, 65536, &problem))
        return problem;
    if (parser.isSet(kReg) && listOf(parser, kReg).isEmpty())
        return QStringLiteral("--reg: give at least one register");
    if (!intervalMsOf(parser))
        return QStringLiteral("--interval: \"%1\" is not a number of seconds").arg(parser.value(kInterval));
    if (parser.value(kOut).isEmpty())
        return QStringLiteral("--out FILE is needed");
    return {};
}

// The readings a table log follows: the chosen register rows (all but "Not Used" by default)
// of the chosen meters (all by default), row by row.
std::optional<std::vector<TrendSource>> tableSources(CliContext& ctx, int table, QString* problem)
{
    const QCommandLineParser& parser = ctx.parser();
    const GridModel& grid = ctx.session().unit().data().tables().table(table).grid();
    QString ignored;
    QList<int> regs = *numbersOf(parser, kRows, 1, 65536, &ignored);
    if (regs.isEmpty()) {
        for (int r = 1; r < grid.rowCount(); ++r) {
            bool ok = false;
            const int reg = grid.text(r, 0).toInt(&ok);
            if (ok && grid.text(r, 1) != QLatin1String("Not Used"))
                regs << reg;
        }
    }
    QList<int> columns;
    const QList<int> meters = *numbersOf(parser, kMeters, 1, kMaxMeters, &ignored);
    for (int meter : meters)
        columns << meter + 1;
    if (columns.isEmpty()) {
        for (int c = 2; c < grid.columnCount(); ++c)
            columns << c;
    }
    std::vector<TrendSource> sources;
    for (int reg : regs) {
        for (int column : columns) {
            const TrendSource source{table, reg, column};
            int row = -1;
            for (int r = 1; r < grid.rowCount() && row < 0; ++r)
                row = grid.text(r, 0) == QString::number(reg) ? r : -1;
            if (row < 0) {
                *problem = QStringLiteral("table %1 has no register %2").arg(table).arg(reg);
                return std::nullopt;
            }
            if (column >= grid.columnCount()) {
                *problem = QStringLiteral("table %1 has no meter %2").arg(table).arg(column - 1);
                return std::nullopt;
            }
            sources.push_back(source);
        }
    }
    return sources;
}

// Ends the log's event loop at Ctrl-C, a lost connection or a failed write; the first end counts.
struct LogEnd {
    explicit LogEnd(CliSession& s) : session(s) {}
    CliSession& session;
    QString failure;
    bool ended = false;
    int status = kExitFailed;
    void operator()(int exitStatus, const QString& message = {})
    {
        if (ended)
            return;
        ended = true;
        status = exitStatus;
        failure = message;
        session.finish(exitStatus);
    }
};

int finishLog(CliContext& ctx, const LogEnd& end, int rows, const QString& path)
{
    if (end.status != kExitOk)
        return ctx.failure(end.failure);
    ctx.out() << rows << " rows in " << path << '\n';
    return kExitOk;
}

int runTableLog(CliContext& ctx, int table, qint64 intervalMs, const QString& path)
{
    if (const int status = pollTableOnce(ctx, table); status != kExitOk)
        return status;
    QString problem;
    const auto sources = tableSources(ctx, table, &problem);
    if (!sources)
        return ctx.usageError(problem);

    CliSession& session = ctx.session();
    UnitSession& unit = session.unit();
    TrendSet trend(unit.data(), session.clock());
    trend.setLogOnly(true);
    for (const TrendSource& source : *sources)
        trend.add(source);
    trend.setLogIntervalMs(intervalMs);
    if (!trend.startLog(path))
        return ctx.failure(trend.logError());

    // The connections below capture this function's locals: they end with it.
    QObject scope;
    LogEnd end(session);
    Sequencer& sequencer = unit.sequencer();
    QObject::connect(&sequencer, &Sequencer::cycleCompleted, &scope, [&] { trend.sample(); });
    QObject::connect(&trend, &TrendSet::logFailed, &scope, [&](const QString& message) { end(kExitFailed, message); });
    int failedInRow = 0;
    QObject::connect(&unit.link(), &ModbusLink::exchangeEnded, &scope, [&](const ExchangeOutcome& outcome) {
        failedInRow = outcome.answered() || outcome.kind == ExchangeOutcome::Kind::Abandoned ? 0 : failedInRow + 1;
        if (failedInRow >= CliSession::kAttempts)
            end(kExitFailed, QStringLiteral("%1: no usable reply in %2 attempts in a row")
                                 .arg(sequencer.pollingStatus().trimmed())
                                 .arg(CliSession::kAttempts));
    });
    Transport& transport = session.transport();
    QObject::connect(&transport, &Transport::disconnected, &scope,
                     [&] { end(kExitFailed, QStringLiteral("%1 closed the connection").arg(transport.description())); });
    SignalWatcher termination;
    QObject::connect(&termination, &SignalWatcher::terminationRequested, &scope, [&] { end(kExitOk); });

    sequencer.setPollingDisabled(false);
    sequencer.setPollStep(kStepSystemInfo);
    sequencer.setMainTimerEnabled(true);
    session.exec();
    sequencer.setMainTimerEnabled(false);
    const int rows = trend.logRows();
    trend.stopLog();
    return finishLog(ctx, end, rows, path);
}

// Contiguous registers are read together.
std::vector<std::pair<int, int>> registerRanges(const QList<int>& regs)
{
    std::vector<std::pair<int, int>> ranges;
    for (int reg : regs) {
        if (!ranges.empty() && ranges.back().first + ranges.back().second == reg
            && ranges.back().second < kMaxRegistersPerRead)
            ++ranges.back().second;
        else
            ranges.emplace_back(reg, 1);
    }
    return ranges;
}

int runRegisterLog(CliContext& ctx, qint64 intervalMs, const QString& path)
{
    QString problem;
    const QList<int> regs = *numbersOf(ctx.parser(), kReg, 1, 65536, &problem);
    QStringList columns;
    for (int reg : regs)
        columns << QString::number(reg);
    TrendLog log;
    if (!log.open(path, columns))
        return ctx.failure(log.errorText());

    CliSession& session = ctx.session();
    // Only this loop's reads go to the unit: the polling cycle would take the link between them.
    Sequencer& sequencer = session.unit().sequencer();
    sequencer.setPollingDisabled(true);
    sequencer.setMainTimerEnabled(false);
    QObject scope;
    LogEnd end(session);
    SignalWatcher termination;
    QObject::connect(&termination, &SignalWatcher::terminationRequested, &scope, [&] { end(kExitOk); });
    std::unique_ptr<Timer> wait = session.clock().createTimer(int(intervalMs));
    wait->setCallback([&] {
        wait->stop();
        session.finish(kExitOk);
    });
    while (!end.ended) {
        const qint64 started = session.clock().nowMs();
        QStringList values;
        for (const auto& [first, count] : registerRanges(regs)) {
            const auto read = session.readRegisters(first, count, &problem);
            if (!read) {
                end(kExitFailed, problem);
                break;
            }
            for (quint16 value : *read)
                values << QString::number(value);
        }
        if (end.ended)
            break;
        if (!log.writeRow(session.clock().currentDateTime(), values)) {
            end(kExitFailed, log.errorText());
            break;
        }
        wait->setInterval(int(std::max<qint64>(0, intervalMs - (session.clock().nowMs() - started))));
        wait->start();
        session.exec();
    }
    wait->stop();
    const int rows = log.rowsWritten();
    log.close();
    return finishLog(ctx, end, rows, path);
}

int runLog(CliContext& ctx)
{
    const QCommandLineParser& parser = ctx.parser();
    const qint64 intervalMs = *intervalMsOf(parser);
    const QString path = parser.value(kOut);
    if (parser.isSet(kTable))
        return runTableLog(ctx, *tableOfArgument(parser.value(kTable)), intervalMs, path);
    return runRegisterLog(ctx, intervalMs, path);
}

const CliCommandRegistration registration({
    QStringLiteral("log"),
    QStringLiteral("(--table N [--rows R...] [--meters M...] | --reg REG...) [--interval S] --out FILE"),
    QStringLiteral("append readings to the CSV log FILE until Ctrl-C: a heading line, then a row per completed\n"
                   "polling cycle (or the first after S seconds) with its ISO 8601 time and one column per\n"
                   "reading. N = 1, 3 or 10; R = register rows of the table (all but \"Not Used\" by\n"
                   "default); M = meter positions 1.. (all by default); REG = holding registers, read every\n"
                   "S seconds (default 1). Lists may be repeated options or comma-separated"),
    {QCommandLineOption(kTable, QStringLiteral("The readings table to log: 1, 3 or 10."), QStringLiteral("N")),
     QCommandLineOption(kRows, QStringLiteral("Register rows of the table to log."), QStringLiteral("R")),
     QCommandLineOption(kMeters, QStringLiteral("Meter positions (1..) of the table to log."), QStringLiteral("M")),
     QCommandLineOption(kReg, QStringLiteral("Holding registers to log."), QStringLiteral("REG")),
     QCommandLineOption(kInterval, QStringLiteral("Least seconds between two rows."), QStringLiteral("S")),
     QCommandLineOption(kOut, QStringLiteral("The CSV file rows are appended to."), QStringLiteral("FILE"))},
    0,
    0,
    true,
    runLog,
    checkLogArguments,
});

} // namespace

} // namespace halvana::cli
