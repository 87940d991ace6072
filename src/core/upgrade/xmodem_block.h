#pragma once

#include <QByteArray>

namespace halvana::xmodem {

// The control characters of XMODEM.
inline constexpr char SOH = 0x01;
inline constexpr char EOT = 0x04;
inline constexpr char ACK = 0x06;
inline constexpr char NAK = 0x15;
inline constexpr char CAN = 0x18;
// A receiver that wants CRC-16 asks for the first block with this instead of NAK.
inline constexpr char kCrcStart = 'C';
// Short images are filled up to a whole block with this.
inline constexpr char kPad = 0x1A;

inline constexpr int kDataSize = 128;
// SOH, number, complement, the data and two CRC bytes.
inline constexpr int kBlockSize = 3 + kDataSize + 2;

// CRC-16/XMODEM: polynomial 0x1021, initial value 0, no reflection.
quint16 crc16(const QByteArray& data);

// How many blocks carry `size` bytes; at least one.
int blockCount(qint64 size);

// Block `number` (1-based, sent modulo 256) of `image`: its data padded with kPad, the CRC
// high byte first.
QByteArray block(const QByteArray& image, int number);

} // namespace halvana::xmodem
