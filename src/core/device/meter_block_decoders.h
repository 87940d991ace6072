#pragma once

#include "core/device/poll_state.h"

#include <QStringList>

namespace halvana {

class DeviceData;

// The table decoders of polling steps 5..11. Each writes the registers of one reply into the
// column of the meter (or module) the request was sent for, and only into a table that is open
// and built for the request's register map version. None of them moves the cycle on: the
// sequencer does that for decoded replies and exceptions alike.
namespace MeterBlockDecoders {

void branchSettings(DeviceData& data, const ReadContext& ctx, const RegData& regs);
// `Process_1PhReadings`.
void Process_1PhReadings(DeviceData& data, const ReadContext& ctx, const RegData& regs);
void threePhaseSettings(DeviceData& data, const ReadContext& ctx, const RegData& regs);
void threePhaseReadings(DeviceData& data, const ReadContext& ctx, const RegData& regs);
void inputBoard(DeviceData& data, const ReadContext& ctx, const RegData& regs);
void thermalSettings(DeviceData& data, const ReadContext& ctx, const RegData& regs);
void thermalReadings(DeviceData& data, const ReadContext& ctx, const RegData& regs);

// The heading of a three-phase meter's column: "M" and its number, CR LF, the kind prefix and
// its ordinal within its type ("M3\r\nSF2").
QString threePhaseHeading(const DeviceData& data, const ReadContext& ctx);

// The readings-table descriptions a cell of a three-phase meter frame shows (frame grid row,
// phase column 1..4), the first one the table has counting; empty for cells that show no reading.
QStringList panelCellDescriptions(int row, int column);

} // namespace MeterBlockDecoders

} // namespace halvana
