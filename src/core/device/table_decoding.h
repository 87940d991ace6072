#pragma once

#include "core/device/poll_state.h"
#include "core/grid/grid_model.h"

#include <QString>

#include <functional>
#include <optional>

namespace halvana {

class DeviceData;
class FormatRules;

// Shared rules of the table decoders.
namespace TableDecoding {

// The grid of the table a reply of `ctx` may write into, with its changes gathered into one
// notice: the table must be open and built from the header file of the map version the request
// was sent with. Otherwise it is false and the reply writes nothing there.
class TableWrite {
public:
    TableWrite(DeviceData& data, int index, const ReadContext& ctx);
    explicit operator bool() const { return m_grid != nullptr; }
    GridModel& grid() { return *m_grid; }

private:
    GridModel* m_grid = nullptr;
    std::optional<GridModel::UpdateBatch> m_batch;
};

// The value column of the meter with `MeterCursor` = cursor (column cursor + 2): added when
// missing, with its bold heading, width and right-centre alignment.
void ensureMeterColumn(GridModel& grid, int cursor, const QString& heading, int width = GridModel::kDefaultColumnWidth);

// Writes regs[0..count) into rows firstRow.. of a column, each formatted by the register of
// the first meter's block (formatBase + i). `written` hears every row with its text.
using RowWritten = std::function<void(int row, int i, const QString& text)>;
void writeValues(GridModel& grid, int firstRow, int column, const RegData& regs, int count, int formatBase,
                 const FormatRules* rules, const RowWritten& written = {});

// Bits 0..bitCount-1 of a status word as "OK" (green) or "Active" in rows firstRow.., each
// rewritten only when its text changes. activeColour(bit) gives the colour of a set bit.
void writeStatusBits(GridModel& grid, int firstRow, int column, quint16 word, int bitCount,
                     const std::function<Rgb(int bit)>& activeColour);

// Offers a filled row of a per-meter settings table to the "All Settings" collection: the
// absolute register, the row's description followed by " - " and the meter tag, the text.
void collectRow(DeviceData& data, const GridModel& grid, int row, int reg, const QString& tag, const QString& text);

} // namespace TableDecoding

} // namespace halvana
