#include "core/trend/trend_set.h"

#include "core/app/app_settings.h"
#include "core/device/device_data.h"
#include "core/device/meter_block_decoders.h"
#include "core/files/numbered_file.h"
#include "core/grid/grid_text_export.h"
#include "core/time/clock.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace halvana {

namespace {

// Whole-ampere current and whole-volt voltage: the two readings a branch cell shows.
constexpr int kBranchCurrentOffset = 16;
constexpr int kBranchVoltageOffset = 11;

int rowOfRegister(const GridModel& grid, int reg)
{
    const QString text = QString::number(reg);
    for (int r = 1; r < grid.rowCount(); ++r) {
        if (grid.text(r, 0) == text)
            return r;
    }
    return -1;
}

int rowOfDescription(const GridModel& grid, const QStringList& descriptions)
{
    for (const QString& description : descriptions) {
        for (int r = 1; r < grid.rowCount(); ++r) {
            if (grid.text(r, 1) == description)
                return r;
        }
    }
    return -1;
}

} // namespace

QString TrendSource::key() const
{
    return QStringLiteral("%1:%2:%3").arg(table).arg(reg).arg(column);
}

std::optional<TrendSource> TrendSource::fromKey(const QString& key)
{
    const QStringList parts = key.trimmed().split(QLatin1Char(':'));
    if (parts.size() != 3)
        return std::nullopt;
    bool ok[3] = {};
    const TrendSource source{parts[0].toInt(&ok[0]), parts[1].toInt(&ok[1]), parts[2].toInt(&ok[2])};
    if (!ok[0] || !ok[1] || !ok[2] || !TrendSet::isTrendTable(source.table) || source.reg < 1 || source.reg > 65536
        || source.column < 2 || source.column >= kMaxMeters + 2)
        return std::nullopt;
    return source;
}

TrendSet::TrendSet(DeviceData& data, Clock& clock, QObject* parent) : QObject(parent), m_data(data), m_clock(clock) {}

TrendSet::~TrendSet() = default;

bool TrendSet::isTrendTable(int table)
{
    return table == kBranchReadingsTable || table == kThreePhaseReadingsTable || table == kThermalReadingsTable;
}

QString TrendSet::unitOfDescription(const QString& description)
{
    static const QRegularExpression brackets(QStringLiteral("\\(([^()]*)\\)\\s*$"));
    const QRegularExpressionMatch match = brackets.match(description);
    if (!match.hasMatch() || match.captured(1).contains(QLatin1Char('=')))
        return {};
    return match.captured(1).section(QLatin1Char(','), 0, 0).trimmed();
}

std::optional<TrendSource> TrendSet::sourceOfTableCell(int table, int row, int column) const
{
    if (!isTrendTable(table))
        return std::nullopt;
    const GridModel& grid = m_data.tables().table(table).grid();
    bool ok = false;
    const int reg = grid.text(row, 0).toInt(&ok);
    if (!ok || row < 1 || column < 2 || column >= grid.columnCount() || grid.text(0, column).isEmpty())
        return std::nullopt;
    return TrendSource{table, reg, column};
}

std::optional<TrendSource> TrendSet::sourceOfBranchCell(int grid, int row) const
{
    const PanelboardViews& views = m_data.panelboards();
    const int branch = PanelboardViews::branchAt(grid, row, views.columnWidthLayout());
    if (branch < 0 || branch >= m_data.model().NumMeters)
        return std::nullopt;
    const int offset = views.labelMode() == PanelboardViews::kVoltageLabels ? kBranchVoltageOffset : kBranchCurrentOffset;
    return TrendSource{kBranchReadingsTable, RegisterMap::branchReadings(m_data.model().RegisterMapVersion).first + offset,
                       branch + 2};
}

std::optional<TrendSource> TrendSet::sourceOfMeterFrameCell(int viewKind, int frame, int row, int column) const
{
    const int meterColumn = PanelboardViews::readingsColumnOfFrame(m_data.model(), viewKind, frame);
    const QStringList descriptions = MeterBlockDecoders::panelCellDescriptions(row, column);
    if (meterColumn < 0 || descriptions.isEmpty())
        return std::nullopt;
    const GridModel& grid = m_data.tables().table(kThreePhaseReadingsTable).grid();
    return sourceOfTableCell(kThreePhaseReadingsTable, rowOfDescription(grid, descriptions), meterColumn);
}

int TrendSet::indexOf(const TrendSource& source) const
{
    for (size_t i = 0; i < m_series.size(); ++i) {
        if (m_series[i]->source == source)
            return int(i);
    }
    return -1;
}

bool TrendSet::add(const TrendSource& source)
{
    if (indexOf(source) >= 0 || (count() >= kMaxSeries && !m_logOnly))
        return false;
    auto series = std::make_unique<Series>();
    series->source = source;
    name(*series);
    m_series.push_back(std::move(series));
    emit seriesChanged();
    return true;
}

void TrendSet::remove(int index)
{
    if (index < 0 || index >= count())
        return;
    m_series.erase(m_series.begin() + index);
    emit seriesChanged();
}

QList<int> TrendSet::tables() const
{
    QList<int> tables;
    for (const auto& series : m_series) {
        if (!tables.contains(series->source.table))
            tables << series->source.table;
    }
    return tables;
}

void TrendSet::save(AppSettings& settings) const
{
    QStringList keys;
    for (const auto& series : m_series)
        keys << series->source.key();
    settings.setValue(kSettingsSection, kSeriesKey, keys.join(QLatin1Char(',')));
}

void TrendSet::restore(const AppSettings& settings)
{
    const QStringList keys = settings.value(kSettingsSection, kSeriesKey).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& key : keys) {
        if (const std::optional<TrendSource> source = TrendSource::fromKey(key))
            add(*source);
    }
}

// Until its table has been built and read, a series is named by its register and column.
void TrendSet::name(Series& series) const
{
    const TrendSource& s = series.source;
    const GridModel& grid = m_data.tables().table(s.table).grid();
    const int row = rowOfRegister(grid, s.reg);
    const QString meter = GridTextExport::headingText(grid.text(0, s.column));
    if (row < 0 || meter.isEmpty()) {
        series.label = QStringLiteral("%1 #%2").arg(s.reg).arg(s.column - 1);
        return;
    }
    const QString description = grid.text(row, 1);
    series.label = QStringLiteral("%1: %2").arg(meter, description);
    series.unit = unitOfDescription(description);
    series.named = true;
}

QString TrendSet::cellText(const TrendSource& source) const
{
    const MeterTable& table = m_data.tables().table(source.table);
    if (!table.isOpen() || table.grid().isStale())
        return {};
    const int row = rowOfRegister(table.grid(), source.reg);
    return row < 0 ? QString() : table.grid().text(row, source.column).trimmed();
}

void TrendSet::sample()
{
    const qint64 now = m_clock.currentDateTime().toMSecsSinceEpoch();
    bool renamed = false;
    for (const auto& series : m_series) {
        if (!series->named) {
            name(*series);
            renamed = renamed || series->named;
        }
        series->lastText = cellText(series->source);
        if (m_logOnly)
            continue;
        bool ok = false;
        const double value = series->lastText.toDouble(&ok);
        series->history.append(now, ok ? value : std::numeric_limits<double>::quiet_NaN());
    }
    if (renamed)
        emit seriesChanged();
    emit sampled();
    if (isLogging())
        writeLogRow();
}

QString TrendSet::nextLogPath(const QString& folder)
{
    return NumberedFileName::readingsLog().nextFreePath(folder);
}

bool TrendSet::startLog(const QString& path)
{
    stopLog();
    QStringList columns;
    m_logSources.clear();
    for (const auto& series : m_series) {
        m_logSources.push_back(series->source);
        columns << series->label;
    }
    m_lastLogRowMs.reset();
    if (!m_log.open(path, columns))
        return false;
    emit logStateChanged(true);
    return true;
}

void TrendSet::stopLog()
{
    if (!isLogging())
        return;
    m_log.close();
    emit logStateChanged(false);
}

// Series removed since the log started leave their column empty.
void TrendSet::writeLogRow()
{
    const qint64 now = m_clock.nowMs();
    if (m_lastLogRowMs && now - *m_lastLogRowMs < m_logIntervalMs)
        return;
    m_lastLogRowMs = now;
    QStringList values;
    for (size_t i = 0; i < m_logSources.size(); ++i) {
        const TrendSource& source = m_logSources[i];
        // Unless series were removed, the log's columns are the series in their order.
        const int index = i < m_series.size() && m_series[i]->source == source ? int(i) : indexOf(source);
        values << (index >= 0 ? series(index).lastText : QString());
    }
    if (m_log.writeRow(m_clock.currentDateTime(), values))
        return;
    emit logStateChanged(false);
    emit logFailed(m_log.errorText());
}

} // namespace halvana
