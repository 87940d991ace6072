#pragma once

#include "core/modbus/modbus_frames.h"

#include <QString>
#include <QtGlobal>

#include <vector>

namespace halvana {

// The registers of a read reply (`RegData`), RegData[i] = register (first + i).
using RegData = std::vector<quint16>;

// Why a received frame is not the reply to the outstanding request.
enum class RejectCause { None, Crc, WrongSlave, WrongFunction, WrongLength, WrongEcho, Header, ForeignTransaction };

// One request as it went out: what its reply must match, and the number that tells its outcome
// from any other's.
struct ModbusRequest {
    quint64 id = 0;
    int function = 0;
    int slaveId = 0;
    // 0-based wire address (after the TCP panel offset) and register count.
    int address = 0;
    int count = 0;
    quint16 transactionId = 0;
    bool tcp = false;
    // The polling step current when it was sent.
    int pollStep = 0;
    // When its last byte went to the line (the clock's microseconds); -1 while held back or unsent.
    qint64 sentAtUs = -1;
};

// How an exchange ended. Exactly one outcome ends each request that was not refused.
struct ExchangeOutcome {
    enum class Kind {
        Registers,    // a read answered: registers holds the values
        Acknowledged, // a write answered
        Exception,    // the unit refused the request: exceptionCode
        Rejected,     // a reply came but failed a check: reason
        TimedOut,     // no usable reply within the response time-out
        NotSent,      // the line was closed: the request never left (reported at the time-out)
        Abandoned,    // given up by the caller (the unit reboots, the tool closes)
    };

    ModbusRequest request;
    Kind kind = Kind::TimedOut;
    RegData registers;
    int exceptionCode = 0;
    // Why it failed, as the status bar's communication message words it.
    QString reason;
    RejectCause rejectCause = RejectCause::None;
    // From the request's last byte to the reply's last byte, for an answered request; else -1.
    qint64 roundTripUs = -1;

    bool answered() const { return kind == Kind::Registers || kind == Kind::Acknowledged || kind == Kind::Exception; }
    bool isWrite() const { return request.function == kWriteMultipleRegisters; }
};

} // namespace halvana
