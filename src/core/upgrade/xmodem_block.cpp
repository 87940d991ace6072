#include "core/upgrade/xmodem_block.h"

namespace halvana::xmodem {

quint16 crc16(const QByteArray& data)
{
    quint16 crc = 0;
    for (const char c : data) {
        crc ^= quint16(quint8(c)) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x8000 ? quint16(crc << 1 ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}

int blockCount(qint64 size)
{
    return int(qMax<qint64>(1, (size + kDataSize - 1) / kDataSize));
}

QByteArray block(const QByteArray& image, int number)
{
    QByteArray data = image.mid(qsizetype(number - 1) * kDataSize, kDataSize);
    data.append(kDataSize - data.size(), kPad);
    const quint16 crc = crc16(data);
    QByteArray out;
    out.reserve(kBlockSize);
    out += SOH;
    out += char(number & 0xFF);
    out += char(~number & 0xFF);
    out += data;
    out += char(crc >> 8);
    out += char(crc & 0xFF);
    return out;
}

} // namespace halvana::xmodem
