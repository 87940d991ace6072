#include "core/device/system_settings_view.h"

#include "core/device/register_map.h"

namespace halvana {

SystemSettingsView::SystemSettingsView(QObject* parent) : QObject(parent)
{
    PopulateGrid();
}

QString SystemSettingsView::field(int index) const
{
    return index >= 0 && index < kFieldCount ? m_fields[size_t(index)] : QString();
}

QString SystemSettingsView::meterTypeCount(int index) const
{
    return index >= 0 && index < kMeterTypeCountSize ? m_counts[size_t(index)] : QString();
}

void SystemSettingsView::PopulateGrid()
{
    struct ColumnSpec {
        const char* heading;
        int width;
        GridModel::Alignment alignment;
    };
    static const ColumnSpec columns[] = {
        {"Meter No.", 1000, GridModel::Alignment::General},
        {"Type", 1300, GridModel::Alignment::LeftCentre},
        {"Mtr #", 600, GridModel::Alignment::RightCentre},
        {"Group", 0, GridModel::Alignment::RightCentre},
        {"Warning", 900, GridModel::Alignment::General},
        {"Alarm", 800, GridModel::Alignment::General},
    };
    m_grid.reset(kMaxMeters + 1, int(std::size(columns)));
    GridModel::UpdateBatch batch(m_grid);
    for (int c = 0; c < int(std::size(columns)); ++c) {
        m_grid.setText(0, c, QLatin1String(columns[c].heading));
        m_grid.setBold(0, c, true);
        m_grid.setColumnWidth(c, columns[c].width);
        m_grid.setColumnAlignment(c, columns[c].alignment);
    }
    for (int r = 1; r <= kMaxMeters; ++r)
        m_grid.setText(r, kMeterColumn, QStringLiteral("Meter %1").arg(r));
}

QString SystemSettingsView::moduleBaudText(int code)
{
    static const char* const rates[] = {"9600", "19200", "38400", "57600", "115200"};
    if (code >= 1 && code <= int(std::size(rates)))
        return QLatin1String(rates[code - 1]);
    // The unit's list has five rates; show any other code as it came rather than a blank box.
    return QStringLiteral("Unknown (%1)").arg(code);
}

void SystemSettingsView::setField(int index, const QString& text)
{
    if (index < 0 || index >= kFieldCount || m_fields[size_t(index)] == text)
        return;
    m_fields[size_t(index)] = text;
    emit fieldsChanged();
}

void SystemSettingsView::setMeterTypeCounts(const std::array<int, kMeterTypeCountSize>& counts, int threePhaseTotal)
{
    bool changed = false;
    for (size_t i = 0; i < counts.size(); ++i) {
        const QString text = QString::number(counts[i]);
        changed |= m_counts[i] != text;
        m_counts[i] = text;
    }
    const QString total = QString::number(threePhaseTotal);
    changed |= m_threePhaseTotal != total;
    m_threePhaseTotal = total;
    if (changed)
        emit fieldsChanged();
}

} // namespace halvana
