#include "core/modbus/crc16.h"

#include <array>

namespace halvana {

namespace {

constexpr std::array<quint16, 256> makeTable()
{
    std::array<quint16, 256> table{};
    for (int i = 0; i < 256; ++i) {
        quint16 crc = quint16(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
        table[size_t(i)] = crc;
    }
    return table;
}

constexpr std::array<quint16, 256> kTable = makeTable();

} // namespace

quint16 modbusCrc16(const uchar* bytes, int length)
{
    quint16 crc = 0xFFFF;
    for (int i = 0; i < length; ++i)
        crc = quint16((crc >> 8) ^ kTable[(crc ^ bytes[i]) & 0xFF]);
    return crc;
}

quint16 modbusCrc16(const QByteArray& bytes)
{
    return modbusCrc16(reinterpret_cast<const uchar*>(bytes.constData()), int(bytes.size()));
}

void appendCrc(QByteArray& frame)
{
    const quint16 crc = modbusCrc16(frame);
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
}

bool hasValidCrc(const QByteArray& frame)
{
    if (frame.size() < 3)
        return false;
    const int n = int(frame.size()) - 2;
    const quint16 crc = modbusCrc16(reinterpret_cast<const uchar*>(frame.constData()), n);
    return uchar(frame[n]) == (crc & 0xFF) && uchar(frame[n + 1]) == (crc >> 8);
}

} // namespace halvana
