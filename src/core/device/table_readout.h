#pragma once

#include "core/device/meter_tables.h"
#include "core/grid/grid_text_export.h"

#include <QList>
#include <QObject>
#include <QString>

namespace halvana {

class DeviceData;
class ModbusLink;
class Sequencer;

// Polls one table exactly as the program does while only that table's window is open, until
// the table has completed one full pass, and gives its grid as text: the headless readout of
// `halvana-cli table`. The system settings view's meter grid is complete after one pass of
// steps 0 to 4; "All Settings" (11) is filled as "Capture All Settings" fills it.
class TableReadout : public QObject {
    Q_OBJECT
public:
    // The system settings view's meter grid, numbered as `ActiveTableIndex` numbers it.
    static constexpr int kSystemGrid = MeterTables::kSystemSettingsGrid;
    // Exchanges in a row without a usable reply (time-outs, dropped replies) before giving up.
    static constexpr int kMaxFailedExchanges = 3;
    // Full polling cycles a table may take to complete its pass.
    static constexpr int kMaxCycles = 3;
    static inline const QString kSystemGridCaption = QStringLiteral("System Configuration");

    TableReadout(DeviceData& data, Sequencer& sequencer, ModbusLink& link, QObject* parent = nullptr);

    // The meter tables 0..5, 7, 9, 10, 11 and kSystemGrid.
    static bool isReadable(int table);
    // The tables whose windows are open while `table` is read: the table itself, or for "All
    // Settings" the settings tables 4, 5, 0, 2, 7 and 9 before it, as "Capture All Settings"
    // opens them.
    static QList<int> tablesOpenedFor(int table);

    // Opens the tables and polls from step 0 on; ends in passCompleted or failed.
    void start(int table);
    // Stops polling for good; later replies change nothing.
    void stop();
    bool isRunning() const { return m_running; }

    // The grid as the window shows it: the heading row and every register row (hidden rows
    // and "Not Used" rows too), without the empty row that ends a table built from its
    // header file.
    GridText text() const;

signals:
    void passCompleted();
    // Why the readout gave up, naming the step in progress ("Getting B3 Settings: ...").
    void failed(const QString& message);

private:
    void complete();
    void fail(const QString& reason);
    void onExchangeFailed();

    DeviceData& m_data;
    Sequencer& m_sequencer;
    ModbusLink& m_link;
    int m_table = -1;
    bool m_running = false;
    bool m_systemInfoDecoded = false;
    int m_failedInRow = 0;
    int m_cycles = 0;
    QString m_commMessage;
};

} // namespace halvana
