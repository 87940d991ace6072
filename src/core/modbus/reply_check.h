#pragma once

#include "core/modbus/exchange.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>

namespace halvana {

// What the outstanding request lets a reply be.
struct ExpectedReply {
    int slaveId = 0;
    int function = 0;
    int address = 0;
    int count = 0;
    quint16 transactionId = 0;
};

// The verdict on one received frame. A good reply carries its function code (with the
// exception flag for an exception) and, for a read, the register values.
struct CheckedReply {
    QString error;
    RejectCause cause = RejectCause::None;
    // TCP only: the frame belongs to another transaction (a late reply), not to this request.
    bool foreignTransaction = false;
    int function = 0;
    int exceptionCode = 0;
    RegData registers;

    bool ok() const { return error.isEmpty(); }
    bool isException() const { return ok() && exceptionCode != 0; }
};

// An RTU frame as collected up to the frame gap: slave, CRC over the whole frame, then the
// function, byte count or echoed address and count against the request.
CheckedReply checkRtuReply(const QByteArray& frame, const ExpectedReply& expected);
// One whole MBAP frame: transaction, protocol 0, length, unit, then the same checks.
CheckedReply checkTcpReply(const QByteArray& frame, const ExpectedReply& expected);

// The size the RTU reply to `expected` will have, judged from its first bytes: 0 while too few
// are there to tell, -1 when they cannot begin such a reply (another slave or function, a byte
// count that does not fit the request).
int rtuReplySize(const QByteArray& bytes, const ExpectedReply& expected);

// The size of the MBAP frame at the start of `buffer`: 0 while its header is incomplete or
// its bytes are still coming, -1 when the header cannot start a Modbus reply.
int tcpFrameSize(const QByteArray& buffer);

} // namespace halvana
