#include "core/session/unit_session.h"

#include "core/calibration/calibration_sequence.h"
#include "core/device/device_data.h"
#include "core/device/sequencer.h"
#include "core/device/setting_writes.h"
#include "core/device/table_readout.h"
#include "core/modbus/connection_lifecycle.h"
#include "core/modbus/modbus_link.h"

namespace halvana {

UnitSession::UnitSession(Clock& clock, MessageSink& messages, const QString& programFolder, QObject* parent)
    : QObject(parent),
      m_link(std::make_unique<ModbusLink>(clock)),
      m_lifecycle(std::make_unique<ConnectionLifecycle>(*m_link, clock, messages)),
      m_data(std::make_unique<DeviceData>(programFolder, messages)),
      m_sequencer(std::make_unique<Sequencer>(*m_link, *m_data, clock)),
      m_writes(std::make_unique<SettingWrites>(*m_link, *m_sequencer, messages)),
      m_calibration(std::make_unique<CalibrationSequence>(*m_link, *m_sequencer, clock)),
      m_readout(std::make_unique<TableReadout>(*m_data, *m_sequencer, *m_link))
{
    m_sequencer->setConnectionLifecycle(m_lifecycle.get());
    m_sequencer->addTickClient(m_writes.get());
    m_sequencer->addTickClient(m_calibration.get());
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

} // namespace halvana
