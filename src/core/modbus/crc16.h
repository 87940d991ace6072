#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace halvana {

// Modbus CRC-16 (reflected polynomial 0xA001, initial value 0xFFFF) over the first `length`
// bytes. On the wire its low byte goes first.
quint16 modbusCrc16(const uchar* bytes, int length);
quint16 modbusCrc16(const QByteArray& bytes);

// The CRC word the unit's tools have always used: the CRC-16 with its two bytes exchanged, so
// that the word's high byte is the one sent first.
inline quint16 crcWord(quint16 crc) { return quint16((crc << 8) | (crc >> 8)); }

// Appends the CRC of everything in `frame` in wire order (low byte of the CRC-16 first).
void appendCrc(QByteArray& frame);
// True when the last two bytes of `frame` are the CRC of the bytes before them.
bool hasValidCrc(const QByteArray& frame);

} // namespace halvana
