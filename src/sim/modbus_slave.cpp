#include "sim/modbus_slave.h"

#include "sim/simulated_unit.h"

namespace halvana {

namespace {

constexpr quint8 kReadHoldingRegisters = 0x03;
constexpr quint8 kWriteMultipleRegisters = 0x10;
// The protocol's limits, so that every reply fits one frame.
constexpr int kMaxReadCount = 125;
constexpr int kMaxWriteCount = 123;

int word(const QByteArray& bytes, int at)
{
    return (quint8(bytes[at]) << 8) | quint8(bytes[at + 1]);
}

void appendWord(QByteArray& bytes, int value)
{
    bytes.append(char(value >> 8));
    bytes.append(char(value & 0xFF));
}

} // namespace

QByteArray ModbusSlave::exception(quint8 function, ExceptionCode code)
{
    QByteArray pdu;
    pdu.append(char(function | 0x80));
    pdu.append(char(code));
    return pdu;
}

QByteArray ModbusSlave::reply(const QByteArray& request)
{
    if (request.isEmpty())
        return {};
    switch (quint8(request[0])) {
    case kReadHoldingRegisters:
        return readHoldingRegisters(request);
    case kWriteMultipleRegisters:
        return writeMultipleRegisters(request);
    default:
        return exception(quint8(request[0]), IllegalFunction);
    }
}

QByteArray ModbusSlave::readHoldingRegisters(const QByteArray& request)
{
    if (request.size() != 5)
        return exception(kReadHoldingRegisters, IllegalDataValue);
    const int first = word(request, 1) + 1;
    const int count = word(request, 3);
    if (count < 1 || count > kMaxReadCount)
        return exception(kReadHoldingRegisters, IllegalDataValue);
    if (!m_unit.image().hasRange(first, count))
        return exception(kReadHoldingRegisters, IllegalDataAddress);

    QByteArray pdu;
    pdu.append(char(kReadHoldingRegisters));
    pdu.append(char(2 * count));
    for (quint16 value : m_unit.image().values(first, count))
        appendWord(pdu, value);
    return pdu;
}

QByteArray ModbusSlave::writeMultipleRegisters(const QByteArray& request)
{
    if (request.size() < 6)
        return exception(kWriteMultipleRegisters, IllegalDataValue);
    const int first = word(request, 1) + 1;
    const int count = word(request, 3);
    const int byteCount = quint8(request[5]);
    if (count < 1 || count > kMaxWriteCount || byteCount != 2 * count || request.size() != 6 + byteCount)
        return exception(kWriteMultipleRegisters, IllegalDataValue);
    // All or nothing: a request that reaches past the image writes no register.
    if (!m_unit.image().hasRange(first, count))
        return exception(kWriteMultipleRegisters, IllegalDataAddress);
    // A value outside a setting's range, or any value for a reading, is refused whole too.
    for (int i = 0; i < count; ++i) {
        if (!m_unit.image().accepts(first + i, quint16(word(request, 6 + 2 * i))))
            return exception(kWriteMultipleRegisters, IllegalDataValue);
    }

    for (int i = 0; i < count; ++i)
        m_unit.image().set(first + i, quint16(word(request, 6 + 2 * i)));
    m_unit.registersWritten(first, count);
    return request.left(5);
}

} // namespace halvana
