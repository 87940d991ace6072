#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace halvana {

class CalibrationSequence;
class Clock;
class ConnectionLifecycle;
class DecodedTraffic;
class DeviceData;
class LinkStatistics;
class MessageSink;
class ModbusLink;
class ModbusScriptRunner;
class Sequencer;
class SettingWrites;
class TableReadout;
class Transport;

// Everything that talks to one unit, assembled once: the Modbus link, its connection
// lifecycle, the device data the replies fill, the polling sequencer (`tmrMain`) with the
// setting writes, calibration and the Modbus script runner as its tick clients, and the
// headless table readout. The program and halvana-cli build the same one; members are built
// and torn down in an order that keeps each one's references valid.
class UnitSession : public QObject {
    Q_OBJECT
public:
    // `programFolder` holds the definition files; the transports may be set later.
    UnitSession(Clock& clock, MessageSink& messages, const QString& programFolder, QObject* parent = nullptr);
    ~UnitSession() override;

    // Either may be null; both must outlive the session.
    void setTransports(Transport* serial, Transport* tcp);
    // The unit's service port ("CommPort": the terminal, the upload), apart from the Modbus
    // line; may be null, must outlive the session.
    void setServiceTransport(Transport* service) { m_service = service; }
    Transport* serviceTransport() const { return m_service; }

    ModbusLink& link() { return *m_link; }
    ConnectionLifecycle& lifecycle() { return *m_lifecycle; }
    DeviceData& data() { return *m_data; }
    Sequencer& sequencer() { return *m_sequencer; }
    SettingWrites& writes() { return *m_writes; }
    CalibrationSequence& calibration() { return *m_calibration; }
    ModbusScriptRunner& scriptRunner() { return *m_scriptRunner; }
    TableReadout& readout() { return *m_readout; }
    LinkStatistics& statistics() { return *m_statistics; }
    // Fast polling for the link and the sequencer together ("FastPolling").
    void setFastPolling(bool on);
    bool fastPolling() const;

    // The frames decoded while the Data Spy records.
    DecodedTraffic& decodedTraffic() { return *m_decoded; }

signals:
    // A full polling cycle ended, `ms` after the one before; -1 when polling stopped.
    void cycleTimed(qint64 ms);

private:
    void stopCycleClock();

    std::unique_ptr<ModbusLink> m_link;
    std::unique_ptr<ConnectionLifecycle> m_lifecycle;
    std::unique_ptr<DeviceData> m_data;
    std::unique_ptr<Sequencer> m_sequencer;
    std::unique_ptr<SettingWrites> m_writes;
    std::unique_ptr<CalibrationSequence> m_calibration;
    std::unique_ptr<ModbusScriptRunner> m_scriptRunner;
    std::unique_ptr<TableReadout> m_readout;
    std::unique_ptr<LinkStatistics> m_statistics;
    std::unique_ptr<DecodedTraffic> m_decoded;
    // When the cycle under way began; -1 before the first cycle ended, and again while polling
    // stands still, so that a pause is never counted as a cycle.
    qint64 m_cycleStartMs = -1;
    Transport* m_service = nullptr;
};

} // namespace halvana
