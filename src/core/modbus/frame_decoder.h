#pragma once

#include <QByteArray>
#include <QString>

namespace halvana {

// One frame on the line as an engineer reads it: who, which function, what it asks or
// carries, and whether its CRC or MBAP header holds.
struct DecodedFrame {
    qint64 timeMs = 0; // since the traffic log started
    bool sent = true;
    int slave = -1;
    int function = -1;
    // "read 63 at reg 1", "write 2 at reg 52: 1 2", "3 values: 7 8 9", "written 2 at reg 52",
    // "exception 2 (Illegal Data Address)", or what is wrong with it.
    QString content;
    // "CRC ok", "bad CRC", "MBAP ok", "MBAP length 9, 7 bytes follow", "too short".
    QString verdict;
    qint64 roundTripUs = -1; // a reply: from its request's last byte

    bool intact() const { return verdict == QLatin1String("CRC ok") || verdict == QLatin1String("MBAP ok"); }
    // One line for a terminal: "  12.345 <- 01 03 read 63 at reg 1 (CRC ok)".
    QString traceLine() const;
};

DecodedFrame decodeFrame(const QByteArray& frame, bool tcp, bool sent);

} // namespace halvana
