#pragma once

#include "core/upgrade/xmodem_block.h"

#include <QString>

namespace halvana::upgrade_timing {

// The transfer runs at this speed whatever the terminal uses.
inline constexpr qint32 kBaud = 9600;
// A block on the wire and its one-byte answer, 10 bit times a byte.
inline constexpr int kBytesPerBlock = xmodem::kBlockSize + 1;

// Wire time of `bytes` bytes at kBaud.
inline qint64 wireMs(qint64 bytes)
{
    return (bytes * 10 * 1000 + kBaud - 1) / kBaud;
}

// What is still to go: `blocks` blocks with their answers, then EOT and its ACK.
inline qint64 remainingMs(int blocks)
{
    return wireMs(qint64(qMax(0, blocks)) * kBytesPerBlock + 2);
}

// The whole transfer of an image of `size` bytes.
inline qint64 estimateMs(qint64 size)
{
    return remainingMs(xmodem::blockCount(size));
}

// "mm:ss". Times still to come round up, so a transfer still running never shows 00:00 left;
// times gone by round down.
inline QString timeText(qint64 ms, bool roundUp = false)
{
    const qint64 seconds = (qMax<qint64>(0, ms) + (roundUp ? 999 : 0)) / 1000;
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace halvana::upgrade_timing
