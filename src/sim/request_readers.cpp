#include "sim/request_readers.h"

#include "core/modbus/crc16.h"

namespace halvana {

namespace {

constexpr int kMbapHeader = 6;
// Unit identifier plus the longest PDU.
constexpr int kMaxMbapLength = 254;

} // namespace

int RtuRequestReader::expectedLength() const
{
    if (m_buffer.size() < 2)
        return 0;
    switch (quint8(m_buffer[1])) {
    case 0x03:
        return 8;
    case 0x10:
        return m_buffer.size() < 7 ? 0 : 9 + quint8(m_buffer[6]);
    default:
        return 0;
    }
}

QList<QByteArray> RtuRequestReader::feed(const QByteArray& bytes)
{
    QList<QByteArray> frames;
    if (m_discarding)
        return frames;
    m_buffer += bytes;
    for (;;) {
        const int length = expectedLength();
        if (length == 0 || m_buffer.size() < length)
            break;
        const QByteArray frame = m_buffer.left(length);
        if (!hasValidCrc(frame)) {
            ++m_dropped;
            m_buffer.clear();
            m_discarding = true;
            break;
        }
        frames << frame;
        m_buffer.remove(0, length);
    }
    if (m_buffer.size() > kMaxFrame) {
        ++m_dropped;
        m_buffer.clear();
        m_discarding = true;
    }
    return frames;
}

QByteArray RtuRequestReader::silence()
{
    const QByteArray rest = m_buffer;
    m_buffer.clear();
    m_discarding = false;
    if (rest.isEmpty())
        return {};
    if (!hasValidCrc(rest)) {
        ++m_dropped;
        return {};
    }
    return rest;
}

bool TcpRequestReader::feed(const QByteArray& bytes, QList<QByteArray>* frames)
{
    m_buffer += bytes;
    while (m_buffer.size() >= kMbapHeader) {
        const int protocol = (quint8(m_buffer[2]) << 8) | quint8(m_buffer[3]);
        const int length = (quint8(m_buffer[4]) << 8) | quint8(m_buffer[5]);
        if (protocol != 0 || length < 2 || length > kMaxMbapLength) {
            m_buffer.clear();
            return false;
        }
        if (m_buffer.size() < kMbapHeader + length)
            break;
        frames->append(m_buffer.left(kMbapHeader + length));
        m_buffer.remove(0, kMbapHeader + length);
    }
    return true;
}

} // namespace halvana
