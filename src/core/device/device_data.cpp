#include "core/device/device_data.h"

#include "core/app/app_settings.h"
#include "core/device/block_formats.h"
#include "core/device/meter_block_decoders.h"
#include "core/device/table_decoding.h"
#include "core/device/table_headers.h"

#include <algorithm>

namespace halvana {

using namespace TableDecoding;

DeviceData::DeviceData(const QString& programFolder, MessageSink& messages, QObject* parent)
    : QObject(parent), m_tables(programFolder, messages)
{
}

namespace {

void setViewStale(PanelboardView& view, bool stale)
{
    for (int g = 0; g < PanelboardView::kBranchGridCount; ++g)
        view.branchGrid(g).setStale(stale);
    for (int f = 0; f < PanelboardView::kMeterFrameCount; ++f)
        view.meterGrid(f).setStale(stale);
}

} // namespace

void DeviceData::markValuesStale()
{
    for (int k = 0; k < kTableCount; ++k) {
        if (m_tables.isOpen(k))
            m_tables.table(k).markStale();
    }
    m_systemSettings.grid().setStale(true);
    for (int k = 0; k < kPanelViewCount; ++k)
        setViewStale(m_panelboards.view(k), true);
}

void DeviceData::valuesReadAgain(int index)
{
    if (index == MeterTables::kSystemSettingsGrid) {
        m_systemSettings.grid().setStale(false);
        return;
    }
    if (!isTableIndex(index))
        return;
    m_tables.table(index).grid().setStale(false);
    // The panelboard views show the readings tables' last pass (settings come just before).
    if (index == kBranchReadingsTable) {
        setViewStale(m_panelboards.view(kBranchPanelView), false);
    } else if (index == kThreePhaseReadingsTable) {
        for (int k : {kSubfeedPanelView, kPanelsView, kPduView})
            setViewStale(m_panelboards.view(k), false);
    }
}

void DeviceData::openTable(int index)
{
    if (!isTableIndex(index))
        return;
    m_tables.Get_BCM_Headers(index, m_model.RegisterMapVersion);
    if (index == kAllSettingsTable) {
        AllSettingsRefreshRequested = true;
        AllSettingsPassActive = false;
    }
}

QList<int> DeviceData::tablesOpenAtExit(const AppSettings& settings)
{
    QList<int> tables;
    // "All Settings" is never reopened: it belongs to one capture.
    for (int k = 0; k < kAllSettingsTable; ++k) {
        if (isTableIndex(k) && settings.flag(QStringLiteral("MeterTableWindowOpenFlag"), QString::number(k), false))
            tables << k;
    }
    return tables;
}

bool DeviceData::ProcessDataReceived(const ReadContext& ctx, const RegData& regs)
{
    if (!ctx.isValid() || int(regs.size()) < ctx.ReadCount || ctx.MeterCursor < 0 || ctx.MeterCursor >= kMaxMeters
        || ctx.MeterIndex < 0 || ctx.MeterIndex >= kMaxMeters)
        return false;
    // The request must be the one the step reads; anything else would land in the wrong rows.
    const RegisterBlock expected = RegisterMap::stepRead(ctx.step, ctx.RegisterMapVersion, ctx.MeterCursor,
                                                         ctx.ReadHalf == MeterHalf::BCM2);
    if (expected.first != ctx.firstRegister || expected.count != ctx.ReadCount)
        return false;

    switch (ctx.step) {
    case kStepSystemInfo:
        decodeSystemInfo(ctx, regs);
        break;
    case kStepMeterInfo1:
    case kStepMeterInfo2:
        decodeMeterInfo(ctx, regs);
        break;
    case kStepMeterStatus1:
    case kStepMeterStatus2:
        decodeMeterStatus(ctx, regs);
        break;
    case kStepBranchSettings:
        MeterBlockDecoders::branchSettings(*this, ctx, regs);
        break;
    case kStepBranchReadings:
        MeterBlockDecoders::Process_1PhReadings(*this, ctx, regs);
        break;
    case kStepThreePhaseSettings:
        MeterBlockDecoders::threePhaseSettings(*this, ctx, regs);
        break;
    case kStepThreePhaseReadings:
        MeterBlockDecoders::threePhaseReadings(*this, ctx, regs);
        break;
    case kStepInputBoard:
        MeterBlockDecoders::inputBoard(*this, ctx, regs);
        break;
    case kStepThermalSettings:
        MeterBlockDecoders::thermalSettings(*this, ctx, regs);
        break;
    case kStepThermalReadings:
        MeterBlockDecoders::thermalReadings(*this, ctx, regs);
        break;
    default:
        return false;
    }
    return true;
}

void DeviceData::collectSetting(int reg, const QString& description, const QString& value)
{
    if (!AllSettingsPassActive || !m_tables.isOpen(kAllSettingsTable)
        || description.contains(QLatin1String("Not Used")))
        return;
    m_tables.table(kAllSettingsTable).grid().appendRow({QString::number(reg), description, value});
}

void DeviceData::decodeSystemInfo(const ReadContext& ctx, const RegData& regs)
{
    std::copy_n(regs.begin(), DeviceModel::kSystemInfoCount, m_model.systemInfo.begin());
    m_model.hasSystemInfo = true;

    if (TableWrite write{*this, kSystemSettingsTable, ctx}) {
        GridModel& grid = write.grid();
        ensureMeterColumn(grid, 0, QStringLiteral("Value"));
        writeValues(grid, 1, 2, regs, ctx.ReadCount, 1, &BlockFormats::systemInfo(),
                    [&](int row, int i, const QString& text) { collectRow(*this, grid, row, 1 + i, QString(), text); });
    }

    const int reported = m_model.systemRegister(5);
    if (reported > kMaxMeters && reported != m_model.reportedNumMeters)
        emit notice(QStringLiteral("The unit reports %1 meters; only the first %2 are read.").arg(reported).arg(kMaxMeters));
    m_model.reportedNumMeters = reported;
    m_model.NumMeters = std::min(reported, kMaxMeters);
    setRegisterMapVersion(RegisterMap::mapVersionFromSelector(m_model.systemRegister(16)));

    if (!m_restoreDone) {
        m_restoreDone = true;
        for (int k : std::as_const(m_tablesToRestore)) {
            if (k != kAllSettingsTable && !m_tables.isOpen(k))
                openTable(k);
        }
    }

    if (m_systemSettings.SystemSettingsWindowOpen) {
        SystemSettingsView& view = m_systemSettings;
        view.setField(SystemSettingsView::kDeviceId, QString::number(m_model.systemRegister(1)));
        view.setField(SystemSettingsView::kModuleBaud, SystemSettingsView::moduleBaudText(m_model.systemRegister(2)));
        view.setField(SystemSettingsView::kSoftwareVersion, m_model.firmwareVersionText());
        view.setField(SystemSettingsView::kTotalMeters, QString::number(m_model.NumMeters));
        view.setField(SystemSettingsView::kAlarm, QString::number(m_model.systemRegister(6)));
        if (view.grid().rowCount() != m_model.NumMeters + 1) {
            view.PopulateGrid();
            view.grid().setRowCount(m_model.NumMeters + 1);
        }
        view.setField(SystemSettingsView::kModbusVersion, QString::number(m_model.systemRegister(16)));
    }
    emit systemInfoDecoded();
}

void DeviceData::setRegisterMapVersion(int version)
{
    const bool changed = version != m_model.RegisterMapVersion;
    m_model.RegisterMapVersion = version;
    // Open tables built from the other map's files get that version's rows; their meter
    // columns start again.
    for (int k = 0; k < kTableCount; ++k) {
        if (m_tables.isOpen(k) && k != kAllSettingsTable && m_tables.table(k).builtMapVersion() != version
            && TableHeaders::headerFileName(k, 1) != TableHeaders::headerFileName(k, 2))
            m_tables.Get_BCM_Headers(k, version);
    }
    if (changed)
        emit registerMapVersionChanged(version);
}

void DeviceData::decodeMeterInfo(const ReadContext& ctx, const RegData& regs)
{
    const bool firstBlock = ctx.step == kStepMeterInfo1;
    if (firstBlock) {
        m_ordinalCounters.fill(0);
        m_model.MeterTypeCount.fill(0);
        if (m_model.NumMeters == 0) {
            if (m_systemSettings.frmSystemSettingsFlag)
                m_systemSettings.setMeterTypeCounts(m_model.MeterTypeCount, 0);
            return;
        }
    }
    const int base = firstBlock ? 0 : kMetersPerInfoBlock;
    TableWrite infoTable(*this, kMeterInfoTable, ctx);
    GridModel& viewGrid = m_systemSettings.grid();
    GridModel::UpdateBatch viewBatch(viewGrid);
    if (infoTable)
        ensureMeterColumn(infoTable.grid(), 0, QStringLiteral("Value"));

    for (int i = 0; i < kMetersPerInfoBlock; ++i) {
        const int m = base + i;
        const quint16 word = regs[size_t(i)];
        const int type = MeterTypes::typeOfInfoWord(word);
        m_model.MeterType[size_t(m)] = type;
        m_model.meterInfoWord[size_t(m)] = word;
        m_model.MeterOrdinal[size_t(m)] = MeterTypes::hasOrdinal(type) ? m_ordinalCounters[size_t(type)]++ : 0;
        if (firstBlock && type == kTypeSubfeed)
            m_model.LastSubfeedMeter = m + 1;
        if (m_systemSettings.SystemSettingsWindowOpen && m < m_model.NumMeters) {
            viewGrid.setText(m + 1, SystemSettingsView::kTypeColumn, MeterTypes::label(type));
            viewGrid.setText(m + 1, SystemSettingsView::kNumberColumn,
                             QString::number(MeterTypes::numberOfInfoWord(word)));
        }
        const int countIndex = MeterTypes::countIndex(type);
        if (countIndex >= 0)
            ++m_model.MeterTypeCount[size_t(countIndex)];
        if (infoTable) {
            GridModel& grid = infoTable.grid();
            const QString text = QString::number(word);
            grid.setText(m + 1, 2, text);
            collectRow(*this, grid, m + 1, ctx.firstRegister + i, QString(), text);
        }
    }
    if (!firstBlock && m_systemSettings.frmSystemSettingsFlag)
        m_systemSettings.setMeterTypeCounts(m_model.MeterTypeCount, m_model.threePhaseMeterCount());
}

void DeviceData::decodeMeterStatus(const ReadContext& ctx, const RegData& regs)
{
    const int base = ctx.step == kStepMeterStatus1 ? 0 : kMetersPerInfoBlock;
    GridModel& grid = m_systemSettings.grid();
    GridModel::UpdateBatch batch(grid);
    for (int i = 0; i < kMetersPerInfoBlock && base + i < m_model.NumMeters; ++i) {
        const int m = base + i;
        const quint16 word = regs[size_t(i)];
        m_model.meterStatusWord[size_t(m)] = word;
        if (!m_systemSettings.SystemSettingsWindowOpen)
            continue;
        const bool warning = word & 0x2;
        const bool alarm = word & 0x1;
        grid.setTextAndBackground(m + 1, SystemSettingsView::kWarningColumn,
                                  warning ? QStringLiteral("Active") : QStringLiteral("OK"),
                                  warning ? kStatusYellow : kStatusGreen);
        grid.setTextAndBackground(m + 1, SystemSettingsView::kAlarmColumn,
                                  alarm ? QStringLiteral("Active") : QStringLiteral("OK"),
                                  alarm ? kStatusRed : kStatusGreen);
        grid.setText(m + 1, SystemSettingsView::kGroupColumn, QString::number(word >> 4));
    }
}

} // namespace halvana
