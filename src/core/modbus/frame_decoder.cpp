#include "core/modbus/frame_decoder.h"

#include "core/modbus/crc16.h"
#include "core/modbus/modbus_frames.h"

#include <QStringList>

namespace halvana {

namespace {

constexpr int kMbapSize = 7;
// Values shown of a long read reply; the rest are counted.
constexpr int kShownValues = 8;

int byteAt(const QByteArray& b, int i)
{
    return i < b.size() ? uchar(b[i]) : -1;
}

int wordAt(const QByteArray& b, int i)
{
    return i + 1 < b.size() ? uchar(b[i]) * 256 + uchar(b[i + 1]) : -1;
}

QString valuesText(const QByteArray& pdu, int first, int count)
{
    QStringList values;
    for (int k = 0; k < std::min(count, kShownValues); ++k)
        values << QString::number(wordAt(pdu, first + 2 * k));
    if (count > kShownValues)
        values << QStringLiteral("... (%1 more)").arg(count - kShownValues);
    return values.join(QLatin1Char(' '));
}

// The function code onward.
QString pduText(const QByteArray& pdu, bool sent)
{
    const int function = byteAt(pdu, 0);
    if (function & kExceptionFlag) {
        const int code = byteAt(pdu, 1);
        return pdu.size() == 2 ? QStringLiteral("exception %1 (%2)").arg(code).arg(exceptionName(code))
                               : QStringLiteral("exception reply of %1 bytes").arg(pdu.size());
    }
    if (function == kReadHoldingRegisters) {
        if (sent)
            return pdu.size() == 5 ? QStringLiteral("read %1 at reg %2").arg(wordAt(pdu, 3)).arg(wordAt(pdu, 1) + 1)
                                   : QStringLiteral("read request of %1 bytes").arg(pdu.size());
        const int bytes = byteAt(pdu, 1);
        if (bytes < 0 || pdu.size() != 2 + bytes || bytes % 2)
            return QStringLiteral("read reply of %1 bytes, byte count %2").arg(pdu.size()).arg(bytes);
        return QStringLiteral("%1 values: %2").arg(bytes / 2).arg(valuesText(pdu, 2, bytes / 2));
    }
    if (function == kWriteMultipleRegisters) {
        const int count = wordAt(pdu, 3);
        if (!sent)
            return pdu.size() == 5 ? QStringLiteral("written %1 at reg %2").arg(count).arg(wordAt(pdu, 1) + 1)
                                   : QStringLiteral("write reply of %1 bytes").arg(pdu.size());
        if (count < 0 || pdu.size() != 6 + 2 * count)
            return QStringLiteral("write request of %1 bytes").arg(pdu.size());
        return QStringLiteral("write %1 at reg %2: %3").arg(count).arg(wordAt(pdu, 1) + 1).arg(valuesText(pdu, 6, count));
    }
    return QStringLiteral("function %1, %2 bytes").arg(function).arg(pdu.size());
}

} // namespace

DecodedFrame decodeFrame(const QByteArray& frame, bool tcp, bool sent)
{
    DecodedFrame d;
    d.sent = sent;
    const int header = tcp ? kMbapSize : 1;
    const int trailer = tcp ? 0 : 2;
    if (frame.size() < header + 1 + trailer) {
        d.verdict = QStringLiteral("too short");
        d.content = QStringLiteral("%1 bytes").arg(frame.size());
        return d;
    }
    d.slave = byteAt(frame, header - 1);
    d.function = byteAt(frame, header);
    d.content = pduText(frame.mid(header, frame.size() - header - trailer), sent);
    if (!tcp) {
        d.verdict = hasValidCrc(frame) ? QStringLiteral("CRC ok") : QStringLiteral("bad CRC");
    } else {
        const int length = wordAt(frame, 4);
        d.verdict = wordAt(frame, 2) != 0 ? QStringLiteral("protocol %1").arg(wordAt(frame, 2))
            : length == frame.size() - 6
                ? QStringLiteral("MBAP ok")
                : QStringLiteral("MBAP length %1, %2 bytes follow").arg(length).arg(frame.size() - 6);
    }
    return d;
}

QString DecodedFrame::traceLine() const
{
    QString line = QStringLiteral("%1 %2 ").arg(double(timeMs) / 1000.0, 9, 'f', 3).arg(sent ? "->" : "<-");
    if (slave >= 0)
        line += QStringLiteral("slave %1 fn %2 ").arg(slave).arg(function);
    line += content + QStringLiteral(" (") + verdict;
    if (roundTripUs >= 0)
        line += QStringLiteral(", %1 ms").arg(double(roundTripUs) / 1000.0, 0, 'f', 2);
    return line + QLatin1Char(')');
}

} // namespace halvana
