#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "core/app/app_folders.h"
#include "core/device/device_data.h"
#include "core/device/table_readout.h"

namespace halvana::cli {

namespace {

// The System Configuration window's fields in its frames' order: name and text.
QList<std::pair<QString, QString>> systemFields(const SystemSettingsView& view)
{
    return {
        {QStringLiteral("Device ID"), view.field(SystemSettingsView::kDeviceId)},
        {QStringLiteral("Module Baud"), view.field(SystemSettingsView::kModuleBaud)},
        {QStringLiteral("Modbus Ver"), view.field(SystemSettingsView::kModbusVersion)},
        {QStringLiteral("Total"), view.field(SystemSettingsView::kTotalMeters)},
        {QStringLiteral("Branches"), view.meterTypeCount(kCountBranch)},
        {QStringLiteral("3\u00f8 Meters"), view.threePhaseMeterTotal()},
        {QStringLiteral("PDU Inputs"), view.meterTypeCount(kCountPduInput)},
        {QStringLiteral("PDU Outputs"), view.meterTypeCount(kCountPduOutput)},
        {QStringLiteral("Subfeeds"), view.meterTypeCount(kCountSubfeed)},
        {QStringLiteral("Br. Multipole"), view.meterTypeCount(kCountMultipole)},
        {QStringLiteral("Panels"), view.meterTypeCount(kCountPanel)},
        {QStringLiteral("Unknown"), view.meterTypeCount(kCountUnknown)},
        {QStringLiteral("Alarm"), view.field(SystemSettingsView::kAlarm)},
        {QStringLiteral("Software Ver"), view.field(SystemSettingsView::kSoftwareVersion)},
    };
}

// One pass of the system settings view (system information, meter list and meter status)
// leaves in it what the window would show.
int runInfo(CliContext& ctx)
{
    CliSession& session = ctx.session();
    DeviceData& data = session.unit().data();
    TableReadout& readout = session.unit().readout();
    // The connections below capture this function's locals: they end with it.
    QObject scope;

    QString failure;
    QObject::connect(&readout, &TableReadout::passCompleted, &scope, [&] { session.finish(kExitOk); });
    QObject::connect(&readout, &TableReadout::failed, &scope, [&](const QString& message) {
        failure = message;
        session.finish(kExitFailed);
    });
    readout.start(TableReadout::kSystemGrid);
    const int status = session.exec();
    readout.stop();
    if (status != kExitOk)
        return ctx.failure(failure);

    for (const auto& [name, value] : systemFields(data.systemSettings()))
        ctx.out() << name << ": " << value << '\n';
    const GridModel& grid = data.systemSettings().grid();
    for (int row = 1; row < grid.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < grid.columnCount(); ++column)
            cells << grid.text(row, column);
        ctx.out() << cells.join(QLatin1Char('\t')) << '\n';
    }
    return kExitOk;
}

CliCommand infoCommand()
{
    CliCommand command;
    command.name = QStringLiteral("info");
    command.description = QStringLiteral(
        "read system information, meter list and status once; print the system fields as\n"
        "\"Name: value\" lines, then one line per meter, TAB-separated: \"Meter n\", type label,\n"
        "number, status number, warning (\"OK\"/\"Active\"), alarm (\"OK\"/\"Active\")");
    command.needsLink = true;
    command.run = runInfo;
    return command;
}

const CliCommandRegistration registration(infoCommand());

} // namespace

} // namespace halvana::cli
