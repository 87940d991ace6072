#include "core/modbus/reply_check.h"

#include "core/modbus/crc16.h"
#include "core/modbus/modbus_frames.h"

namespace halvana {

namespace {

constexpr int kMbapHeaderSize = 7;
// Unit id plus the largest PDU (function, byte count, 125 registers... 253 bytes).
constexpr int kMaxMbapLength = 254;

int byteAt(const QByteArray& bytes, int i)
{
    return uchar(bytes[i]);
}

int wordAt(const QByteArray& bytes, int i)
{
    return byteAt(bytes, i) * 256 + byteAt(bytes, i + 1);
}

CheckedReply failed(RejectCause cause, const QString& error)
{
    CheckedReply reply;
    reply.error = error;
    reply.cause = cause;
    return reply;
}

// Function code onward, the same for RTU and TCP.
CheckedReply checkPdu(const QByteArray& pdu, const ExpectedReply& expected)
{
    if (pdu.isEmpty())
        return failed(RejectCause::WrongLength, QStringLiteral("Reply has no function code."));
    const int function = byteAt(pdu, 0);
    CheckedReply reply;
    reply.function = function;
    if (function == (expected.function | kExceptionFlag)) {
        if (pdu.size() != 2)
            return failed(RejectCause::WrongLength,
                          QStringLiteral("Exception reply of %1 bytes, expected 2 after the header.").arg(pdu.size()));
        reply.exceptionCode = byteAt(pdu, 1);
        return reply;
    }
    if (function != expected.function)
        return failed(RejectCause::WrongFunction,
                      QStringLiteral("Function code %1 does not answer a function %2 request.")
                          .arg(function)
                          .arg(expected.function));

    if (function == kReadHoldingRegisters) {
        if (pdu.size() < 2)
            return failed(RejectCause::WrongLength, QStringLiteral("Read reply without a byte count."));
        const int byteCount = byteAt(pdu, 1);
        if (byteCount != 2 * expected.count)
            return failed(RejectCause::WrongLength, QStringLiteral("Byte count %1, expected %2 for %3 registers.")
                                                        .arg(byteCount)
                                                        .arg(2 * expected.count)
                                                        .arg(expected.count));
        if (pdu.size() != 2 + byteCount)
            return failed(RejectCause::WrongLength,
                          QStringLiteral("Read reply carries %1 data bytes, its byte count says %2.")
                              .arg(pdu.size() - 2)
                              .arg(byteCount));
        reply.registers.reserve(expected.count);
        for (int i = 0; i < expected.count; ++i)
            reply.registers.push_back(quint16(wordAt(pdu, 2 + 2 * i)));
        return reply;
    }

    // Write acknowledgement: the request's address and count echoed.
    if (pdu.size() != 5)
        return failed(
            RejectCause::WrongLength,
            QStringLiteral("Write acknowledgement of %1 bytes, expected 5 after the header.").arg(pdu.size()));
    if (wordAt(pdu, 1) != expected.address || wordAt(pdu, 3) != expected.count)
        return failed(RejectCause::WrongEcho, QStringLiteral("Write acknowledgement for address %1, %2 registers; "
                                                             "the request was address %3, %4 registers.")
                                                  .arg(wordAt(pdu, 1))
                                                  .arg(wordAt(pdu, 3))
                                                  .arg(expected.address)
                                                  .arg(expected.count));
    return reply;
}

} // namespace

int rtuReplySize(const QByteArray& bytes, const ExpectedReply& expected)
{
    // Slave and function (with the exception flag) ahead of a PDU, the CRC after it.
    constexpr int kFrameOverhead = 4;
    if (bytes.isEmpty())
        return 0;
    if (byteAt(bytes, 0) != expected.slaveId)
        return -1;
    if (bytes.size() < 2)
        return 0;
    const int function = byteAt(bytes, 1);
    if (function == (expected.function | kExceptionFlag))
        return kFrameOverhead + 1;
    if (function != expected.function)
        return -1;
    if (function == kWriteMultipleRegisters)
        return kFrameOverhead + 4;
    if (function != kReadHoldingRegisters)
        return -1;
    if (bytes.size() < 3)
        return 0;
    return byteAt(bytes, 2) == 2 * expected.count ? kFrameOverhead + 1 + 2 * expected.count : -1;
}

CheckedReply checkRtuReply(const QByteArray& frame, const ExpectedReply& expected)
{
    // Slave, function and the two CRC bytes at the least.
    if (frame.size() < 4)
        return failed(RejectCause::WrongLength, QStringLiteral("Reply of %1 bytes is too short.").arg(frame.size()));
    if (byteAt(frame, 0) != expected.slaveId)
        return failed(
            RejectCause::WrongSlave,
            QStringLiteral("Reply from slave %1, expected slave %2.").arg(byteAt(frame, 0)).arg(expected.slaveId));
    if (!hasValidCrc(frame))
        return failed(RejectCause::Crc, QStringLiteral("CRC error in a reply of %1 bytes.").arg(frame.size()));
    return checkPdu(frame.mid(1, frame.size() - 3), expected);
}

int tcpFrameSize(const QByteArray& buffer)
{
    if (buffer.size() < 6)
        return 0;
    const int length = wordAt(buffer, 4);
    // At least the unit id and a function code must follow the header.
    if (length < 2 || length > kMaxMbapLength)
        return -1;
    const int size = 6 + length;
    return buffer.size() >= size ? size : 0;
}

CheckedReply checkTcpReply(const QByteArray& frame, const ExpectedReply& expected)
{
    if (frame.size() < kMbapHeaderSize + 1)
        return failed(RejectCause::WrongLength, QStringLiteral("Reply of %1 bytes is too short.").arg(frame.size()));
    const int transaction = wordAt(frame, 0);
    if (transaction != expected.transactionId) {
        CheckedReply reply = failed(
            RejectCause::ForeignTransaction,
            QStringLiteral("Reply to transaction %1, expected %2.").arg(transaction).arg(expected.transactionId));
        reply.foreignTransaction = true;
        return reply;
    }
    if (wordAt(frame, 2) != 0)
        return failed(RejectCause::Header, QStringLiteral("Protocol identifier %1, expected 0.").arg(wordAt(frame, 2)));
    if (wordAt(frame, 4) != frame.size() - 6)
        return failed(RejectCause::Header, QStringLiteral("Length field %1 does not match the %2 bytes after it.")
                                               .arg(wordAt(frame, 4))
                                               .arg(frame.size() - 6));
    if (byteAt(frame, 6) != expected.slaveId)
        return failed(
            RejectCause::WrongSlave,
            QStringLiteral("Reply from unit %1, expected unit %2.").arg(byteAt(frame, 6)).arg(expected.slaveId));
    return checkPdu(frame.mid(kMbapHeaderSize), expected);
}

} // namespace halvana
