#pragma once

#include "core/app/channel_names.h"
#include "core/device/device_model.h"
#include "core/device/meter_tables.h"
#include "core/device/panelboard_views.h"
#include "core/device/poll_state.h"
#include "core/device/system_settings_view.h"

#include <QList>
#include <QObject>

namespace halvana {

class AppSettings;
class MessageSink;

// Everything the read replies feed: the device model, the meter tables, the system settings
// view and the panelboard views. `ProcessDataReceived` is the one entry through which every
// decoded read reply reaches them.
class DeviceData : public QObject {
    Q_OBJECT
public:
    DeviceData(const QString& programFolder, MessageSink& messages, QObject* parent = nullptr);

    DeviceModel& model() { return m_model; }
    const DeviceModel& model() const { return m_model; }
    MeterTables& tables() { return m_tables; }
    SystemSettingsView& systemSettings() { return m_systemSettings; }
    PanelboardViews& panelboards() { return m_panelboards; }
    const PanelboardViews& panelboards() const { return m_panelboards; }
    const ChannelNames& channelNames() const { return m_channelNames; }
    void setChannelNames(const ChannelNames& names) { m_channelNames = names; }

    // Builds table `index` for the register map version in use (`Get_BCM_Headers`). Opening the
    // "All Settings" table (11) requests a collection pass.
    void openTable(int index);

    // Tables to reopen once, at the first decoded system information reply, when the map
    // version is known (the tables that were open when the program last closed).
    void setTablesToRestore(const QList<int>& tables) { m_tablesToRestore = tables; }
    const QList<int>& tablesToRestore() const { return m_tablesToRestore; }
    static QList<int> tablesOpenAtExit(const AppSettings& settings);

    // Decodes one read reply with the state its request was sent with. False, and nothing
    // changed, when the reply cannot be decoded (fewer registers than requested, no step).
    bool ProcessDataReceived(const ReadContext& ctx, const RegData& regs);

    // The link was lost: the values of every open table, of the System Configuration grid and
    // of the panelboard views are old until their block is read again.
    void markValuesStale();
    // Table `index` completed a pass (kSystemSettingsGrid: the meter status was read): its
    // values, and those of the views it feeds, are current again.
    void valuesReadAgain(int index);

    // The "All Settings" collection: a pass is requested when table 11 opens, becomes active
    // at step 0 and ends when the cycle has passed the thermal settings step.
    bool AllSettingsRefreshRequested = false;
    bool AllSettingsPassActive = false;
    // Appends a row to table 11 while a pass is active; rows described "Not Used" are left out.
    void collectSetting(int reg, const QString& description, const QString& value);

signals:
    // After every decoded system information reply (the calibration status is register 14).
    void systemInfoDecoded();
    // Something the user should read in the status bar.
    void notice(const QString& text);
    void registerMapVersionChanged(int version);

private:
    void decodeSystemInfo(const ReadContext& ctx, const RegData& regs);
    void decodeMeterInfo(const ReadContext& ctx, const RegData& regs);
    void decodeMeterStatus(const ReadContext& ctx, const RegData& regs);
    void setRegisterMapVersion(int version);

    DeviceModel m_model;
    MeterTables m_tables;
    SystemSettingsView m_systemSettings;
    PanelboardViews m_panelboards;
    ChannelNames m_channelNames;
    QList<int> m_tablesToRestore;
    bool m_restoreDone = false;
    std::array<int, 16> m_ordinalCounters{};
};

} // namespace halvana
