#pragma once

#include "core/device/meter_types.h"
#include "core/grid/grid_model.h"

#include <QObject>
#include <QString>

#include <array>

namespace halvana {

// What the System Configuration window (`frmSystemSettings`) shows: the text fields
// `txtSysInfo(0..15)`, the meter-type counts and the meter grid `MSFlexGrid1`, one row per
// meter with type, number, group, warning and alarm. The decoders fill it; the window shows it.
class SystemSettingsView : public QObject {
    Q_OBJECT
public:
    static constexpr int kFieldCount = 16;
    enum Field : int {
        kDeviceId = 0,
        kModuleBaud = 1,
        kSoftwareVersion = 2,
        kTotalMeters = 4,
        kAlarm = 5,
        kModbusVersion = 15,
    };
    enum Column : int { kMeterColumn, kTypeColumn, kNumberColumn, kGroupColumn, kWarningColumn, kAlarmColumn };

    explicit SystemSettingsView(QObject* parent = nullptr);

    // `txtSysInfo(index)`.
    QString field(int index) const;
    // `txtNoOfMeterTypes(index)`, index as in `MeterTypeCount`.
    QString meterTypeCount(int index) const;
    // `txtNoOf_3Ph_Meters`.
    QString threePhaseMeterTotal() const { return m_threePhaseTotal; }
    GridModel& grid() { return m_grid; }
    const GridModel& grid() const { return m_grid; }

    // The grid afresh: 251 rows, six columns with their widths, alignments and bold headings,
    // "Meter r" in the first column.
    void PopulateGrid();

    // Text of the "Module Baud" box for the unit's baud code (1 "9600" .. 5 "115200").
    static QString moduleBaudText(int code);

    void setField(int index, const QString& text);
    void setMeterTypeCounts(const std::array<int, kMeterTypeCountSize>& counts, int threePhaseTotal);

    // The grid-update flag: set from opening to closing; gates the grid and the fields.
    bool SystemSettingsWindowOpen = false;
    // The window-open flag (persisted as "frmSystemSettingsFlag"); gates the count boxes.
    bool frmSystemSettingsFlag = false;

signals:
    void fieldsChanged();

private:
    std::array<QString, kFieldCount> m_fields;
    std::array<QString, kMeterTypeCountSize> m_counts;
    QString m_threePhaseTotal;
    GridModel m_grid;
};

} // namespace halvana
