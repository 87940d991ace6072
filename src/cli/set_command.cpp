#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "cli/register_arguments.h"
#include "cli/table_poll.h"
#include "core/device/device_data.h"
#include "core/device/register_map.h"
#include "core/device/sequencer.h"
#include "core/device/setting_edit.h"
#include "core/device/setting_writes.h"
#include "core/modbus/modbus_frames.h"
#include "core/modbus/modbus_link.h"
#include "core/modbus/status_panels.h"

#include <QCommandLineParser>

namespace halvana::cli {

namespace {

const QString kGlobal = QStringLiteral("global");
constexpr int kMaxPanel = 6;

QString checkSetArguments(const QStringList& args, const QCommandLineParser& parser)
{
    const bool global = parser.isSet(kGlobal);
    if (args.size() != (global ? 3 : 4))
        return QStringLiteral("usage: halvana-cli set TABLE REGISTER METER VALUE, or set TABLE REGISTER --global "
                              "PARENT VALUE");
    const QString table = args.at(0);
    if (table != QLatin1String("0") && table != QLatin1String("2") && table != QLatin1String("9"))
        return QStringLiteral("\"%1\" is not a settings table: give 0, 2 or 9").arg(table);
    QString problem;
    if (!parseNumber(args.at(1), 1, kMaxWireAddress + 1, QStringLiteral("register"), &problem))
        return problem;
    if (global)
        parseNumber(parser.value(kGlobal), 1, kMaxPanel, QStringLiteral("parent ID"), &problem);
    else
        parseNumber(args.at(2), 1, kMaxMeters, QStringLiteral("meter"), &problem);
    if (problem.isEmpty() && !SettingEdit::isNumeric(args.last()))
        problem = QStringLiteral("value \"%1\" is not a number").arg(args.last());
    return problem;
}

// The grid row whose register column reads `reg`; -1 when there is none.
int rowOfRegister(const GridModel& grid, const QString& reg)
{
    for (int row = 1; row < grid.rowCount(); ++row) {
        if (grid.text(row, 0).trimmed() == reg)
            return row;
    }
    return -1;
}

int runSet(CliContext& ctx)
{
    const QStringList& args = ctx.args();
    const bool global = ctx.parser().isSet(kGlobal);
    const int table = args.at(0).toInt();
    QString unused;
    const QString reg = QString::number(parseNumber(args.at(1), 1, kMaxWireAddress + 1, {}, &unused).value_or(0));
    const QString valueText = args.last();

    QString failure;
    if (!readTablePass(ctx, table, &failure))
        return ctx.failure(failure);

    UnitSession& unit = ctx.session().unit();
    MeterTable& meterTable = unit.data().tables().table(table);
    const GridModel& grid = meterTable.grid();
    const int row = rowOfRegister(grid, reg);
    if (row < 0)
        return ctx.usageError(QStringLiteral("table %1 has no row %2").arg(table).arg(reg));
    const int column = global ? 1 : args.at(2).toInt() + 1;
    if (column >= grid.columnCount())
        return ctx.usageError(QStringLiteral("table %1 has no meter %2").arg(table).arg(column - 1));

    // With the rights of the Supervisor, who may change every row.
    const SettingCell cell{table, meterTable.caption(), LoginLevel::Supervisor, unit.data().model().RegisterMapVersion,
                           row,   column,               grid.text(row, column)};
    const SettingEditTarget target = SettingEdit::target(cell);
    if (!target.editable())
        return ctx.usageError(global ? QStringLiteral("row %1 of table %2 holds no global value").arg(reg).arg(table)
                                     : QStringLiteral("row %1, meter %2 of table %3 cannot be changed")
                                           .arg(reg)
                                           .arg(column - 1)
                                           .arg(table));
    const ChangeSettingForm form(cell.text, global);
    const ChangeSettingForm::Result result = form.accept(valueText, ctx.parser().value(kGlobal));
    if (!result.value)
        return ctx.usageError(result.refusal);

    SettingWrites& writes = unit.writes();
    QObject scope;
    bool success = false;
    QString message;
    QString commMessage;
    QObject::connect(&unit.link(), &ModbusLink::statusText, &scope, [&](const QString& panel, const QString& text) {
        if (panel == panel::CommMsg)
            commMessage = text;
    });
    QObject::connect(&writes, &SettingWrites::writeFinished, &scope, [&](bool ok, const QString& text) {
        success = ok;
        message = text;
        ctx.session().finish(ok ? kExitOk : kExitFailed);
    });
    if (!SettingEdit::start(target, *result.value, result.PanelNumber, writes, unit.sequencer()))
        return ctx.failure(QStringLiteral("another write is under way"));
    ctx.session().exec();
    if (!success) {
        // A refusal was told in the program's words already; the link says which exception.
        const bool toldAlready = message == SettingWrites::kOutOfRangeMessage || global;
        return ctx.failure(toldAlready && !commMessage.isEmpty() ? commMessage : message);
    }
    if (global) {
        ctx.out() << message << '\n';
        return kExitOk;
    }
    if (!readTablePass(ctx, table, &failure))
        return ctx.failure(QStringLiteral("the write was acknowledged, but reading the table again failed: ") + failure);
    ctx.out() << grid.text(row, column) << '\n';
    return kExitOk;
}

const CliCommandRegistration registration({
    QStringLiteral("set"),
    QStringLiteral("TABLE REGISTER (METER | --global PARENT) VALUE"),
    QStringLiteral("change a setting as the change-setting dialog does: TABLE = 0|2|9, REGISTER as the\n"
                   "table's first column shows it, METER the 1-based meter column, VALUE as the table\n"
                   "shows it; reads the table, writes once, reads it again and prints the new text.\n"
                   "--global PARENT writes a global-value row for the branches of panel PARENT (1..6)"),
    {QCommandLineOption(kGlobal, QStringLiteral("Global write of set for panel PARENT (1..6)."), QStringLiteral("PARENT"))},
    3,
    4,
    true,
    runSet,
    checkSetArguments,
});

} // namespace

} // namespace halvana::cli
