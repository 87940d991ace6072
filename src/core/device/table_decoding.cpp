#include "core/device/table_decoding.h"

#include "core/device/device_data.h"
#include "core/device/value_format.h"

namespace halvana::TableDecoding {

namespace {
// Tables whose rows differ between the two register maps.
bool rowsDependOnMap(int index)
{
    return index == kBranchSettingsTable || index == kBranchReadingsTable || index == kThreePhaseSettingsTable
        || index == kThreePhaseReadingsTable;
}
} // namespace

TableWrite::TableWrite(DeviceData& data, int index, const ReadContext& ctx)
{
    if (!data.tables().isOpen(index))
        return;
    MeterTable& table = data.tables().table(index);
    if (rowsDependOnMap(index) && table.builtMapVersion() != ctx.RegisterMapVersion)
        return;
    m_grid = &table.grid();
    m_batch.emplace(*m_grid);
}

void ensureMeterColumn(GridModel& grid, int cursor, const QString& heading, int width)
{
    const int column = cursor + 2;
    if (grid.columnCount() <= column)
        grid.setColumnCount(column + 1);
    grid.setText(0, column, heading);
    grid.setBold(0, column, true);
    grid.setColumnWidth(column, width);
    grid.setColumnAlignment(column, GridModel::Alignment::RightCentre);
}

void writeValues(GridModel& grid, int firstRow, int column, const RegData& regs, int count, int formatBase,
                 const FormatRules* rules, const RowWritten& written)
{
    for (int i = 0; i < count && i < int(regs.size()); ++i) {
        const int row = firstRow + i;
        if (row >= grid.rowCount())
            return;
        const QString text = rules ? rules->format(formatBase + i, regs[size_t(i)]) : QString::number(regs[size_t(i)]);
        grid.setText(row, column, text);
        if (written)
            written(row, i, text);
    }
}

void writeStatusBits(GridModel& grid, int firstRow, int column, quint16 word, int bitCount,
                     const std::function<Rgb(int bit)>& activeColour)
{
    for (int bit = 0; bit < bitCount; ++bit) {
        if (word & (1u << bit))
            grid.setTextAndBackground(firstRow + bit, column, QStringLiteral("Active"), activeColour(bit));
        else
            grid.setTextAndBackground(firstRow + bit, column, QStringLiteral("OK"), kStatusGreen);
    }
}

void collectRow(DeviceData& data, const GridModel& grid, int row, int reg, const QString& tag, const QString& text)
{
    const QString description = grid.text(row, 1);
    data.collectSetting(reg, tag.isEmpty() ? description : description + QStringLiteral(" - ") + tag, text);
}

} // namespace halvana::TableDecoding
