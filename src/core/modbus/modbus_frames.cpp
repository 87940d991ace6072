#include "core/modbus/modbus_frames.h"

#include "core/modbus/crc16.h"

namespace halvana {

namespace {

void appendWord(QByteArray& bytes, int value)
{
    bytes.append(char((value >> 8) & 0xFF));
    bytes.append(char(value & 0xFF));
}

// The wire address of a 1-based register, or an error text when it leaves 0..65535.
QString addressError(qint64 reg, int offset, int* address)
{
    const qint64 wire = reg - 1 + offset;
    if (wire < 0 || wire > kMaxWireAddress) {
        return offset == 0
            ? QStringLiteral("Register %1 is outside 1..65536.").arg(reg)
            : QStringLiteral("Register %1 with panel offset %2 gives wire address %3, beyond 65535.")
                  .arg(reg)
                  .arg(offset)
                  .arg(wire);
    }
    *address = int(wire);
    return {};
}

// A block that starts in range must end there too: the unit's address space is not circular.
QString endError(qint64 reg, int count, int offset)
{
    const qint64 lastWire = reg - 1 + offset + count - 1;
    if (lastWire <= kMaxWireAddress)
        return {};
    return offset == 0 ? QStringLiteral("Registers %1..%2 run past register 65536.").arg(reg).arg(reg + count - 1)
                       : QStringLiteral("Registers %1..%2 with panel offset %3 run past wire address 65535.")
                             .arg(reg)
                             .arg(reg + count - 1)
                             .arg(offset);
}

QString countError(int count, int limit)
{
    if (count < 1 || count > limit)
        return QStringLiteral("Register count %1 is outside 1..%2.").arg(count).arg(limit);
    return {};
}

QString valuesError(const QVector<int>& values)
{
    const QString error = countError(int(values.size()), kMaxWriteCount);
    if (!error.isEmpty())
        return error;
    for (int i = 0; i < values.size(); ++i) {
        if (values[i] < 0 || values[i] > 65535)
            return QStringLiteral("Value %1 is outside 0..65535.").arg(values[i]);
    }
    return {};
}

// What every request must pass: a slave ID that fits its byte and a wire address in range.
QString targetError(int slaveID, qint64 reg, int offset, int* address)
{
    if (slaveID < 0 || slaveID > 255)
        return QStringLiteral("Slave ID %1 is outside 0..255.").arg(slaveID);
    return addressError(reg, offset, address);
}

// Slave (unit) id, function, address and count: the start both framings share.
QByteArray pduHead(int slaveID, int function, int address, int count)
{
    QByteArray bytes;
    bytes.append(char(slaveID));
    bytes.append(char(function));
    appendWord(bytes, address);
    appendWord(bytes, count);
    return bytes;
}

RequestFrame readPdu(int slaveID, qint64 reg, int count, int offset)
{
    int address = 0;
    QString error = targetError(slaveID, reg, offset, &address);
    if (error.isEmpty())
        error = countError(count, kMaxReadCount);
    if (error.isEmpty())
        error = endError(reg, count, offset);
    if (!error.isEmpty())
        return {{}, error};
    return {pduHead(slaveID, kReadHoldingRegisters, address, count), {}};
}

RequestFrame writePdu(int slaveID, qint64 reg, const QVector<int>& values, int offset)
{
    int address = 0;
    QString error = targetError(slaveID, reg, offset, &address);
    if (error.isEmpty())
        error = valuesError(values);
    if (error.isEmpty())
        error = endError(reg, int(values.size()), offset);
    if (!error.isEmpty())
        return {{}, error};
    QByteArray bytes = pduHead(slaveID, kWriteMultipleRegisters, address, int(values.size()));
    bytes.append(char(values.size() * 2));
    for (int value : values)
        appendWord(bytes, value);
    return {bytes, {}};
}

RequestFrame withCrc(RequestFrame frame)
{
    if (frame.ok())
        appendCrc(frame.bytes);
    return frame;
}

// The MBAP header: transaction, protocol 0, and the length of what follows it.
RequestFrame withMbap(RequestFrame frame, quint16 transactionId)
{
    if (!frame.ok())
        return frame;
    QByteArray header;
    appendWord(header, transactionId);
    appendWord(header, 0);
    appendWord(header, int(frame.bytes.size()));
    frame.bytes.prepend(header);
    return frame;
}

} // namespace

QString hexText(const QByteArray& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(bytes.size() * 3);
    for (char c : bytes) {
        const uchar b = uchar(c);
        text.append(QLatin1Char(digits[b >> 4]));
        text.append(QLatin1Char(digits[b & 0x0F]));
        text.append(QLatin1Char(' '));
    }
    return text;
}

QString exceptionName(int code)
{
    switch (code) {
    case 1: return QStringLiteral("Illegal Function");
    case 2: return QStringLiteral("Illegal Data Address");
    case 3: return QStringLiteral("Illegal Data Value");
    case 4: return QStringLiteral("Slave Device Failure");
    case 5: return QStringLiteral("Acknowledge");
    case 6: return QStringLiteral("Slave Device Busy");
    case 8: return QStringLiteral("Memory Parity Error");
    case 10: return QStringLiteral("Gateway Path Unavailable");
    case 11: return QStringLiteral("Gateway Target Device Failed to Respond");
    default: return QStringLiteral("Unknown Exception");
    }
}

namespace frame {

RequestFrame RTUReadQuery(int slaveID, qint64 reg, int count)
{
    return withCrc(readPdu(slaveID, reg, count, 0));
}

RequestFrame RTUWriteQuery(int slaveID, qint64 reg, const QVector<int>& values)
{
    return withCrc(writePdu(slaveID, reg, values, 0));
}

RequestFrame TCPReadQuery(quint16 transactionId, int slaveID, qint64 reg, int count, int panelOffset)
{
    return withMbap(readPdu(slaveID, reg, count, panelOffset), transactionId);
}

RequestFrame TCPWriteQuery(quint16 transactionId, int slaveID, qint64 reg, const QVector<int>& values,
                           int panelOffset)
{
    return withMbap(writePdu(slaveID, reg, values, panelOffset), transactionId);
}

} // namespace frame

} // namespace halvana
