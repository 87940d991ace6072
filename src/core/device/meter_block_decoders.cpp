#include "core/device/meter_block_decoders.h"

#include "core/device/block_formats.h"
#include "core/device/channel_registers.h"
#include "core/device/device_data.h"
#include "core/device/table_decoding.h"

namespace halvana::MeterBlockDecoders {

using namespace TableDecoding;

namespace {
// Writes a whole settings reply into its meter column and offers each row to the collection.
void writeSettings(DeviceData& data, GridModel& grid, const ReadContext& ctx, const RegData& regs,
                   int firstRow, int formatBase, const FormatRules* rules, int stride, const QString& tag)
{
    writeValues(grid, firstRow, ctx.MeterCursor + 2, regs, ctx.ReadCount, formatBase, rules,
                [&](int row, int i, const QString& text) {
                    collectRow(data, grid, row, formatBase + i + stride * ctx.MeterCursor, tag, text);
                });
}
} // namespace

void branchSettings(DeviceData& data, const ReadContext& ctx, const RegData& regs)
{
    TableWrite write(data, kBranchSettingsTable, ctx);
    if (!write)
        return;
    GridModel& grid = write.grid();
    const QString tag = QStringLiteral("B%1").arg(ctx.MeterCursor + 1);
    ensureMeterColumn(grid, ctx.MeterCursor, tag);
    if (ctx.ReadHalf != MeterHalf::BCM1)
        return;

    const int k = ctx.MeterCursor;
    const BranchChannelRegisters kept = ChannelRegisters::branch(ctx.RegisterMapVersion);
    DeviceModel& model = data.model();
    model.BranchKeptWord1[size_t(k)] = regs[size_t(kept.currentChannel - 1)];
    model.BranchKeptWord2[size_t(k)] = regs[size_t(kept.voltageChannel - 1)];
    model.BranchKeptText[size_t(k)] = QString::number(regs[size_t(kept.parentId - 1)]);

    // The collection names each branch's own register: row register + the block stride of
    // the map in use (200 on Map 1, 150 on Map 2).
    const RegisterBlock block = RegisterMap::branchSettings(ctx.RegisterMapVersion);
    writeSettings(data, grid, ctx, regs, 1, block.first, &BlockFormats::branchSettings(ctx.RegisterMapVersion),
                  block.stride, tag);
}

QString threePhaseHeading(const DeviceData& data, const ReadContext& ctx)
{
    QString heading = QStringLiteral("M%1\r\n").arg(ctx.MeterCursor + 1);
    if (MeterTypes::hasOrdinal(ctx.CurrentMeterKind))
        return heading + MeterTypes::kindPrefix(ctx.CurrentMeterKind)
            + QString::number(data.model().meterOrdinal(ctx.MeterIndex) + 1);
    return heading + MeterTypes::label(ctx.CurrentMeterKind);
}

void threePhaseSettings(DeviceData& data, const ReadContext& ctx, const RegData& regs)
{
    TableWrite write(data, kThreePhaseSettingsTable, ctx);
    if (!write)
        return;
    GridModel& grid = write.grid();
    ensureMeterColumn(grid, ctx.MeterCursor, threePhaseHeading(data, ctx),
                      MeterTypes::kindColumnWidth(ctx.CurrentMeterKind));

    const size_t k = size_t(ctx.MeterCursor);
    const bool map1 = ctx.RegisterMapVersion == 1;
    DeviceModel& model = data.model();
    const ThreePhaseChannelRegisters kept = ChannelRegisters::threePhase(ctx.RegisterMapVersion);
    for (size_t w = 0; w < model.ThreePhaseKeptWords.size(); ++w)
        model.ThreePhaseKeptWords[w][k] = regs[size_t(kept.firstVoltage - 1) + w];
    model.ThreePhaseKeptText[k] = QString::number(regs[size_t(kept.parentId - 1)]);
    // Map 2 has registers saying whether neutral and ground CTs are fitted; on Map 1 a CT is
    // there when its channel is mapped.
    model.ThreePhaseFlagA[k] = map1 ? model.ThreePhaseKeptWords[6][k] != 0 : regs[3] != 0;
    model.ThreePhaseFlagB[k] = map1 ? model.ThreePhaseKeptWords[7][k] != 0 : regs[4] != 0;

    const RegisterBlock block = RegisterMap::threePhaseSettings(ctx.RegisterMapVersion);
    writeSettings(data, grid, ctx, regs, 1, block.first, &BlockFormats::threePhaseSettings(ctx.RegisterMapVersion),
                  block.stride, QStringLiteral("M%1").arg(ctx.MeterCursor + 1));
}

void inputBoard(DeviceData& data, const ReadContext& ctx, const RegData& regs)
{
    TableWrite write(data, kInputBoardTable, ctx);
    if (!write)
        return;
    GridModel& grid = write.grid();
    ensureMeterColumn(grid, 0, QStringLiteral("Value"));
    writeValues(grid, 1, 2, regs, ctx.ReadCount, 0, nullptr);
}

void thermalSettings(DeviceData& data, const ReadContext& ctx, const RegData& regs)
{
    TableWrite write(data, kThermalSettingsTable, ctx);
    if (!write)
        return;
    GridModel& grid = write.grid();
    const QString tag = QStringLiteral("Slot %1").arg(ctx.MeterCursor + 1);
    ensureMeterColumn(grid, ctx.MeterCursor, tag);
    const RegisterBlock first = RegisterMap::thermalSettings(false);
    const int column = ctx.MeterCursor + 2;
    if (ctx.ReadHalf == MeterHalf::BCM1) {
        writeValues(grid, 1, column, regs, ctx.ReadCount, first.first, nullptr);
        return;
    }
    writeValues(grid, first.count + 1, column, regs, ctx.ReadCount, RegisterMap::thermalSettings(true).first, nullptr);
    // The module's rows are collected once both parts are in: a first part read again after a
    // lost second part is not collected twice, and a module without its second part not at all.
    const int firstReg = first.firstOf(ctx.MeterCursor);
    for (int row = 1; row <= first.count + ctx.ReadCount && row < grid.rowCount(); ++row)
        collectRow(data, grid, row, firstReg + row - 1, tag, grid.text(row, column));
}

void thermalReadings(DeviceData& data, const ReadContext& ctx, const RegData& regs)
{
    TableWrite write(data, kThermalReadingsTable, ctx);
    if (!write)
        return;
    GridModel& grid = write.grid();
    ensureMeterColumn(grid, ctx.MeterCursor, QStringLiteral("Slot %1").arg(ctx.MeterCursor + 1));
    writeValues(grid, 1, ctx.MeterCursor + 2, regs, ctx.ReadCount, 0, nullptr);
}

} // namespace halvana::MeterBlockDecoders
