#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>

namespace halvana {

// Modbus function codes the unit answers, and the exception flag it sets in a reply.
enum : int {
    kReadHoldingRegisters = 3,
    kWriteMultipleRegisters = 16,
    kExceptionFlag = 0x80,
};

// The protocol's own limits: 125 registers in a read reply, 123 in one write request.
inline constexpr int kMaxReadCount = 125;
inline constexpr int kMaxWriteCount = 123;
inline constexpr int kMaxWireAddress = 65535;

// A request ready for the wire, or the reason it cannot be built (nothing is ever wrapped
// or truncated to fit).
struct RequestFrame {
    QByteArray bytes;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// The MBAP transaction identifier: every request takes the next value; 65535 wraps to 0,
// and the first request after start or reset carries 1.
class TransactionCounter {
public:
    quint16 next()
    {
        m_value = m_value >= 65535 ? 0 : m_value + 1;
        return quint16(m_value);
    }
    quint16 current() const { return quint16(m_value); }
    void reset() { m_value = 0; }

private:
    int m_value = 0;
};

// Two upper-case hex digits and a blank per byte: "01 03 00 00 ".
QString hexText(const QByteArray& bytes);

// The text of a Modbus exception code ("Illegal Data Address" for 2).
QString exceptionName(int code);

// Pure frame builders. Registers are 1-based as the user sees them; the wire address is
// register - 1 + offset, and every register of the request must stay within 0..65535.
namespace frame {

RequestFrame RTUReadQuery(int slaveID, qint64 reg, int count);
RequestFrame RTUWriteQuery(int slaveID, qint64 reg, const QVector<int>& values);
RequestFrame TCPReadQuery(quint16 transactionId, int slaveID, qint64 reg, int count, int panelOffset);
RequestFrame TCPWriteQuery(quint16 transactionId, int slaveID, qint64 reg, const QVector<int>& values,
                           int panelOffset);

} // namespace frame

} // namespace halvana
