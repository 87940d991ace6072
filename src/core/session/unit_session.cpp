#include "core/session/unit_session.h"

#include "core/calibration/calibration_sequence.h"
#include "core/device/device_data.h"
#include "core/device/register_map.h"
#include "core/device/sequencer.h"
#include "core/device/setting_writes.h"
#include "core/device/table_readout.h"
#include "core/modbus/connection_lifecycle.h"
#include "core/modbus/decoded_traffic.h"
#include "core/modbus/link_statistics.h"
#include "core/modbus/modbus_link.h"
#include "core/scripts/modbus_script_runner.h"
#include "core/time/clock.h"

namespace halvana {

UnitSession::UnitSession(Clock& clock, MessageSink& messages, const QString& programFolder, QObject* parent)
    : QObject(parent),
      m_link(std::make_unique<ModbusLink>(clock)),
      m_lifecycle(std::make_unique<ConnectionLifecycle>(*m_link, clock, messages)),
      m_data(std::make_unique<DeviceData>(programFolder, messages)),
      m_sequencer(std::make_unique<Sequencer>(*m_link, *m_data, clock)),
      m_writes(std::make_unique<SettingWrites>(*m_link, *m_sequencer, messages)),
      m_calibration(std::make_unique<CalibrationSequence>(*m_link, *m_sequencer, clock)),
      m_scriptRunner(std::make_unique<ModbusScriptRunner>(*m_link, *m_sequencer)),
      m_readout(std::make_unique<TableReadout>(*m_data, *m_sequencer, *m_link)),
      m_statistics(std::make_unique<LinkStatistics>()),
      m_decoded(std::make_unique<DecodedTraffic>(clock))
{
    m_sequencer->setConnectionLifecycle(m_lifecycle.get());
    m_sequencer->addTickClient(m_writes.get());
    m_sequencer->addTickClient(m_calibration.get());
    m_sequencer->addTickClient(m_scriptRunner.get());
    // The system-level verdict is read from the system information the cycle decodes, and
    // from no other reply.
    connect(m_data.get(), &DeviceData::systemInfoDecoded, m_calibration.get(), [this] {
        m_calibration->systemStatusRead(m_data->model().systemRegister(CalibrationSequence::kSystemStatusRegister));
    });

    // Every exchange is counted, and each cycle timed from the end of the one before.
    connect(m_link.get(), &ModbusLink::exchangeEnded, this,
            [this](const ExchangeOutcome& outcome) { m_statistics->record(outcome); });
    connect(m_link.get(), &ModbusLink::frameLogged, this,
            [this](const QByteArray& frame, bool sent, qint64 roundTripUs) {
                if (m_link->trafficLog().isEnabled())
                    m_decoded->add(frame, m_link->isTcp(), sent, roundTripUs);
            });
    connect(m_link.get(), &ModbusLink::lateReplyDropped, this,
            [this] { m_statistics->recordLateReply(m_sequencer->PollStep()); });
    connect(m_sequencer.get(), &Sequencer::cycleCompleted, this, [this, clk = &clock] {
        const qint64 now = clk->nowMs();
        if (m_cycleStartMs >= 0) {
            m_statistics->recordCycle(now - m_cycleStartMs);
            emit cycleTimed(now - m_cycleStartMs);
        }
        m_cycleStartMs = now;
    });
    connect(m_sequencer.get(), &Sequencer::pollingStopped, this, &UnitSession::stopCycleClock);
    connect(&m_link->trafficLog(), &TrafficLog::pausedChanged, this, [this](bool paused) {
        if (paused)
            stopCycleClock();
    });
    connect(m_lifecycle.get(), &ConnectionLifecycle::linkStatusChanged, this, [this](const LinkStatus& status) {
        if (status.connection != LinkStatus::Connection::Open)
            stopCycleClock();
    });

    // Values read before the unit was lost stay grey until their block is read again.
    connect(m_lifecycle.get(), &ConnectionLifecycle::communicationsLost, m_data.get(), &DeviceData::markValuesStale);
    connect(m_sequencer.get(), &Sequencer::passCompleted, m_data.get(), &DeviceData::valuesReadAgain);
    connect(m_sequencer.get(), &Sequencer::replyHandled, m_data.get(), [data = m_data.get()](int step, bool decoded) {
        // The System Configuration grid is whole once the meter status is read, or the meter
        // list turned out empty.
        if (decoded && (step == kStepMeterStatus1 || (step == kStepMeterInfo1 && data->model().NumMeters == 0)))
            data->valuesReadAgain(MeterTables::kSystemSettingsGrid);
    });
}

UnitSession::~UnitSession()
{
    // Nothing may answer into the parts while they go.
    m_link->setTransports(nullptr, nullptr);
}

void UnitSession::setTransports(Transport* serial, Transport* tcp)
{
    m_link->setTransports(serial, tcp);
}

void UnitSession::setFastPolling(bool on)
{
    m_link->setFastPolling(on);
    m_sequencer->setFastPolling(on);
}

bool UnitSession::fastPolling() const
{
    return m_sequencer->fastPolling();
}

void UnitSession::stopCycleClock()
{
    m_cycleStartMs = -1;
    emit cycleTimed(-1);
}

} // namespace halvana
