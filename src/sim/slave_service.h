#pragma once

#include "sim/fault_plan.h"
#include "sim/modbus_slave.h"

#include <optional>

namespace halvana {

class SimulatedUnit;

// What the RTU and TCP ports of the simulator share: the unit's slave id, the answers, the
// injected faults and the traffic trace.
class SlaveService {
public:
    SlaveService(SimulatedUnit& unit, int slaveId, std::optional<FaultPlan> faults, bool verbose);

    SimulatedUnit& unit() { return m_unit; }
    int slaveId() const { return m_slaveId; }

    // The reply PDU to a request PDU, refused by an injected exception when the plan says so.
    QByteArray answer(const QByteArray& request);
    ReplyShape shape(const QByteArray& adu, FrameKind kind);
    // The faults injected so far; null without --faults.
    const FaultPlan* faults() const { return m_faults ? &*m_faults : nullptr; }

    // With --verbose, one line on stderr per frame: "<port> <direction> <hex>".
    void trace(const QString& port, const char* direction, const QByteArray& bytes) const;

private:
    SimulatedUnit& m_unit;
    ModbusSlave m_slave;
    int m_slaveId;
    std::optional<FaultPlan> m_faults;
    bool m_verbose;
};

} // namespace halvana
