#include "core/device/block_formats.h"
#include "core/device/device_data.h"
#include "core/device/meter_block_decoders.h"
#include "core/device/table_decoding.h"

#include <QHash>

namespace halvana::MeterBlockDecoders {

using namespace TableDecoding;

namespace {
constexpr int kBranchStatusBits = 11;
constexpr int kThreePhaseStatusBits = 16;
constexpr int kThreePhaseConditions = 18;

Rgb alarmColour(int)
{
    return kStatusRed;
}
Rgb warningColour(int)
{
    return kStatusYellow;
}
// The third three-phase status word mixes alarms (unbalance, communication, configuration) and
// warnings (unbalance, calibration, energy rollover).
Rgb thirdWordColour(int bit)
{
    return bit == 10 || bit == 11 || bit == 14 || bit == 15 ? kStatusYellow : kStatusRed;
}

// Indices of the alarm and warning words in the branch readings block.
struct BranchStatusWords {
    int alarm;
    int warning;
};
BranchStatusWords branchStatusWords(int mapVersion)
{
    return mapVersion == 1 ? BranchStatusWords{53, 54} : BranchStatusWords{52, 53};
}

// The panel cell label of a branch from the mapping its settings reply kept.
QString branchPanelLabel(const DeviceData& data, int branch)
{
    const DeviceModel& model = data.model();
    const int current = model.BranchKeptWord1[size_t(branch)];
    if (current < 1)
        return QString();
    const int voltage = model.BranchKeptWord2[size_t(branch)];
    const ChannelNames& names = data.channelNames();
    const QString composite = PanelboardViews::compositeLabel(names.nameOfChannel(current), current,
                                                              names.nameOfChannel(voltage), voltage,
                                                              model.BranchKeptText[size_t(branch)]);
    const PanelboardViews& views = data.panelboards();
    return PanelboardViews::cellLabel(composite, views.labelMode(), views.showParentId());
}
} // namespace

void Process_1PhReadings(DeviceData& data, const ReadContext& ctx, const RegData& regs)
{
    TableWrite write(data, kBranchReadingsTable, ctx);
    if (!write)
        return;
    GridModel& grid = write.grid();
    const int k = ctx.MeterCursor;
    const int column = k + 2;
    ensureMeterColumn(grid, k, QStringLiteral("B%1").arg(k + 1));
    if (ctx.ReadHalf != MeterHalf::BCM1)
        return;

    const RegisterBlock block = RegisterMap::branchReadings(ctx.RegisterMapVersion);
    writeValues(grid, 1, column, regs, ctx.ReadCount, block.first, &BlockFormats::branchReadings(ctx.RegisterMapVersion));

    const BranchStatusWords words = branchStatusWords(ctx.RegisterMapVersion);
    const quint16 alarmWord = regs[size_t(words.alarm)];
    const quint16 warningWord = regs[size_t(words.warning)];
    const int firstAlarmRow = block.count + 1;
    writeStatusBits(grid, firstAlarmRow, column, alarmWord, kBranchStatusBits, alarmColour);
    writeStatusBits(grid, firstAlarmRow + kBranchStatusBits, column, warningWord, kBranchStatusBits, warningColour);

    PanelboardViews& views = data.panelboards();
    if (views.isOpen(kBranchPanelView)) {
        // Whole-ampere current or whole-volt voltage, by the view's label mode.
        const quint16 shown = regs[views.labelMode() == PanelboardViews::kVoltageLabels ? 11 : 16];
        views.updateBranch(k, branchPanelLabel(data, k), shown, alarmWord, warningWord);
    }
}

namespace {
// Where a panel cell takes its text from: the first of the descriptions that the readings
// table has (the two maps name some quantities differently).
struct PanelValueSource {
    int row;
    int column;
    QStringList descriptions;
};

QStringList phases(const QString& pattern, const QStringList& parts)
{
    QStringList out;
    for (const QString& part : parts)
        out << pattern.arg(part);
    return out;
}

const std::vector<PanelValueSource>& panelValueSources()
{
    static const std::vector<PanelValueSource> sources = [] {
        const QStringList abc = {QStringLiteral("Phase A"), QStringLiteral("Phase B"), QStringLiteral("Phase C")};
        const QStringList abct = abc + QStringList{QStringLiteral("Total")};
        std::vector<PanelValueSource> list;
        auto perPhase = [&](int row, const QString& pattern, const QStringList& parts) {
            const QStringList names = phases(pattern, parts);
            for (int c = 0; c < names.size(); ++c)
                list.push_back({row, c, {names.at(c)}});
        };
        perPhase(1, QStringLiteral("Voltage L-L %1 (V)"), {QStringLiteral("A-B"), QStringLiteral("B-C"), QStringLiteral("C-A")});
        perPhase(2, QStringLiteral("Voltage L-N %1 (V)"), abc);
        list.push_back({4, 3, {QStringLiteral("Frequency (Hz)")}});
        perPhase(5, QStringLiteral("Current %1 (A)"), abc);
        list.push_back({7, 3, {QStringLiteral("Current Neutral (A)")}});
        list.push_back({9, 3, {QStringLiteral("Current Ground (A)"), QStringLiteral("Current Ground (A, whole)")}});
        perPhase(11, QStringLiteral("Load %1 (%)"), abct);
        perPhase(12, QStringLiteral("Power %1 (kW)"), abct);
        perPhase(13, QStringLiteral("Apparent Power %1 (kVA)"), abct);
        perPhase(14, QStringLiteral("Reactive Power %1 (kVAR)"), abct);
        perPhase(15, QStringLiteral("Power Factor %1"), abct);
        perPhase(16, QStringLiteral("Energy %1 (kWh)"), abct);
        for (int c = 0; c < abct.size(); ++c)
            list.push_back({17, c, {QStringLiteral("Apparent Energy %1 (kVAh)").arg(abct.at(c)),
                                    QStringLiteral("Apparent Energy %1 (kVAh, whole)").arg(abct.at(c))}});
        perPhase(18, QStringLiteral("Max Demand Power %1 (kW)"), abct);
        return list;
    }();
    return sources;
}

// Rows of the channel mappings: (panel row, column, kept mapping word).
struct MappingCell {
    int row;
    int column;
    int word;
};
constexpr MappingCell kMappingCells[] = {{3, 0, 0}, {3, 1, 1}, {3, 2, 2}, {6, 0, 3}, {6, 1, 4},
                                         {6, 2, 5}, {8, 3, 6}, {10, 3, 7}};

QString channelText(const ChannelNames& names, int channel)
{
    if (channel == 0)
        return QStringLiteral("N/A");
    const QString name = names.nameOfChannel(channel);
    return name.isEmpty() ? QString::number(channel) : QStringLiteral("%1 (%2)").arg(channel).arg(name);
}

ThreePhasePanelData panelData(const DeviceData& data, const ReadContext& ctx, const GridModel& grid,
                              const std::array<quint16, 3>& words)
{
    const DeviceModel& model = data.model();
    const size_t k = size_t(ctx.MeterCursor);
    const int column = ctx.MeterCursor + 2;
    ThreePhasePanelData panel;
    panel.kind = ctx.CurrentMeterKind;
    panel.ordinal = model.meterOrdinal(ctx.MeterIndex);
    panel.parentId = model.ThreePhaseKeptText[k];

    QHash<QString, int> rowOf;
    for (int r = grid.rowCount() - 1; r >= 1; --r)
        rowOf.insert(grid.text(r, 1), r);
    for (const PanelValueSource& source : panelValueSources()) {
        for (const QString& description : source.descriptions) {
            const int row = rowOf.value(description, -1);
            if (row > 0) {
                panel.cells[size_t(source.row)][size_t(source.column)] = grid.text(row, column);
                break;
            }
        }
    }
    for (const MappingCell& cell : kMappingCells)
        panel.cells[size_t(cell.row)][size_t(cell.column)] =
            channelText(data.channelNames(), model.ThreePhaseKeptWords[size_t(cell.word)][k]);
    if (!model.ThreePhaseFlagA[k])
        panel.cells[7][3] = QStringLiteral("N/A");
    if (!model.ThreePhaseFlagB[k])
        panel.cells[9][3] = QStringLiteral("N/A");

    for (int c = 0; c < kThreePhaseConditions; ++c) {
        // Conditions 0..15 are the bits of the alarm and warning words; the two unbalance
        // conditions live in the third word (alarm bits 0, 1; warning bits 10, 11).
        const bool alarm = c < 16 ? words[0] & (1u << c) : words[2] & (1u << (c - 16));
        const bool warning = c < 16 ? words[1] & (1u << c) : words[2] & (1u << (c - 6));
        panel.conditionStates[size_t(PanelboardViews::kFirstConditionRow + c)] = alarm ? 2 : warning ? 1 : 0;
    }
    return panel;
}
} // namespace

QStringList panelCellDescriptions(int row, int column)
{
    for (const PanelValueSource& source : panelValueSources()) {
        if (source.row == row && source.column + 1 == column)
            return source.descriptions;
    }
    return {};
}

void threePhaseReadings(DeviceData& data, const ReadContext& ctx, const RegData& regs)
{
    TableWrite write(data, kThreePhaseReadingsTable, ctx);
    if (!write)
        return;
    GridModel& grid = write.grid();
    const int column = ctx.MeterCursor + 2;
    ensureMeterColumn(grid, ctx.MeterCursor, threePhaseHeading(data, ctx),
                      MeterTypes::kindColumnWidth(ctx.CurrentMeterKind));

    const int map = ctx.RegisterMapVersion;
    const RegisterBlock first = RegisterMap::threePhaseReadings(map, false);
    const RegisterBlock second = RegisterMap::threePhaseReadings(map, true);
    const FormatRules& rules = BlockFormats::threePhaseReadings(map);
    if (ctx.ReadHalf == MeterHalf::BCM1) {
        writeValues(grid, 1, column, regs, ctx.ReadCount, first.first, &rules);
        return;
    }
    writeValues(grid, first.count + 1, column, regs, ctx.ReadCount, second.first, &rules);

    // The last seven registers of the second part hold the alarm word, two registers, the
    // warning word, two registers and the third status word; their bits follow as rows.
    const std::array<quint16, 3> words = {regs[size_t(second.count - 7)], regs[size_t(second.count - 4)],
                                          regs[size_t(second.count - 1)]};
    const int firstBitRow = first.count + second.count + 1;
    writeStatusBits(grid, firstBitRow, column, words[0], kThreePhaseStatusBits, alarmColour);
    writeStatusBits(grid, firstBitRow + kThreePhaseStatusBits, column, words[1], kThreePhaseStatusBits, warningColour);
    writeStatusBits(grid, firstBitRow + 2 * kThreePhaseStatusBits, column, words[2], kThreePhaseStatusBits,
                    thirdWordColour);

    if (data.panelboards().anyThreePhaseViewOpen())
        data.panelboards().updateThreePhaseMeter(panelData(data, ctx, grid, words));
}

} // namespace halvana::MeterBlockDecoders
