#pragma once

#include <QByteArray>

namespace halvana {

class SimulatedUnit;

// Answers Modbus requests from the unit's register image: Read Holding Registers (3) and Write
// Multiple Registers (16). PDUs here start at the function code; the ports add the RTU or TCP
// framing around them.
class ModbusSlave {
public:
    enum ExceptionCode : quint8 {
        IllegalFunction = 0x01,
        IllegalDataAddress = 0x02,
        IllegalDataValue = 0x03,
        ServerDeviceFailure = 0x04,
        GatewayTargetFailed = 0x0B,
    };

    explicit ModbusSlave(SimulatedUnit& unit) : m_unit(unit) {}

    // The reply PDU to a request PDU; empty for an empty request.
    QByteArray reply(const QByteArray& request);

    static QByteArray exception(quint8 function, ExceptionCode code);

private:
    QByteArray readHoldingRegisters(const QByteArray& request);
    QByteArray writeMultipleRegisters(const QByteArray& request);

    SimulatedUnit& m_unit;
};

} // namespace halvana
