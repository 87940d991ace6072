#pragma once

#include "core/modbus/crc16.h"

#include <QByteArray>

namespace halvana::test {

// An RTU frame from its hex body ("0103 0000 0001"; blanks allowed) with its CRC appended.
inline QByteArray rtuFrame(const char* hexBody)
{
    QByteArray frame = QByteArray::fromHex(hexBody);
    appendCrc(frame);
    return frame;
}

} // namespace halvana::test
