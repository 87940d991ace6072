#include "core/modbus/decoded_traffic.h"
#include "core/modbus/frame_decoder.h"
#include "core/time/manual_clock.h"

#include "support/rtu_frame.h"

#include <gtest/gtest.h>

using namespace halvana;
using namespace halvana::test;

TEST(FrameDecoder, RequestsRepliesExceptionsAndBrokenFrames)
{
    QByteArray badCrc = rtuFrame("0103 0000 0004");
    badCrc[6] = char(badCrc[6] ^ 0xFF);
    const struct {
        QByteArray frame;
        bool tcp, sent;
        const char* trace;
    } cases[] = {
        {rtuFrame("0103 0000 003F"), false, true, "slave 1 fn 3 read 63 at reg 1 (CRC ok)"},
        {rtuFrame("0103 06 0001 0002 FFFF"), false, false, "slave 1 fn 3 3 values: 1 2 65535 (CRC ok)"},
        {rtuFrame("1110 0033 0002 04 0001 0002"), false, true, "slave 17 fn 16 write 2 at reg 52: 1 2 (CRC ok)"},
        {rtuFrame("1110 0033 0002"), false, false, "slave 17 fn 16 written 2 at reg 52 (CRC ok)"},
        {rtuFrame("0183 02"), false, false, "slave 1 fn 131 exception 2 (Illegal Data Address) (CRC ok)"},
        {badCrc, false, true, "slave 1 fn 3 read 4 at reg 1 (bad CRC)"},
        {QByteArray::fromHex("0103"), false, false, "2 bytes (too short)"},
        {rtuFrame("0103 05 0001 0002"), false, false, "slave 1 fn 3 read reply of 6 bytes, byte count 5 (CRC ok)"},
        {QByteArray::fromHex("0007 0000 0006 09 03 0000 0010"), true, true, "slave 9 fn 3 read 16 at reg 1 (MBAP ok)"},
        {QByteArray::fromHex("0007 0000 0009 09 03 02 0007"), true, false,
         "slave 9 fn 3 1 values: 7 (MBAP length 9, 5 bytes follow)"},
        {QByteArray::fromHex("0007 0000 0003 09 83 0B"), true, false,
         "slave 9 fn 131 exception 11 (Gateway Target Device Failed to Respond) (MBAP ok)"},
    };
    for (const auto& c : cases) {
        const DecodedFrame d = decodeFrame(c.frame, c.tcp, c.sent);
        const QString line = d.traceLine();
        EXPECT_EQ(line.mid(line.indexOf(c.sent ? "-> " : "<- ") + 3), QLatin1String(c.trace)) << c.trace;
    }
    // A long read shows its first values and counts the rest.
    QByteArray many = QByteArray::fromHex("0103 14");
    many += QByteArray(20, '\0');
    appendCrc(many);
    EXPECT_EQ(decodeFrame(many, false, false).content, "10 values: 0 0 0 0 0 0 0 0 ... (2 more)");
}

TEST(DecodedTraffic, KeepsTheNewestFramesAndExportsThemWithTheirTime)
{
    ManualClock clock(QDateTime(QDate(2026, 12, 8), QTime(9, 30, 0, 250)));
    DecodedTraffic traffic(clock);
    int trimmed = 0;
    QObject::connect(&traffic, &DecodedTraffic::trimmed, [&](int n) { trimmed += n; });
    traffic.add(rtuFrame("0103 0000 0001"), false, true, -1);
    clock.advance(12);
    traffic.add(rtuFrame("0103 02 0007"), false, false, 11500);
    EXPECT_EQ(traffic.csv(), "Time,ms,Direction,Slave,Function,Content,Verdict,Round trip (ms)\r\n"
                             "2026-12-08T09:30:00.250,0,sent,1,3,read 1 at reg 1,CRC ok,\r\n"
                             "2026-12-08T09:30:00.262,12,received,1,3,1 values: 7,CRC ok,11.500\r\n");
    for (int i = 0; i < DecodedTraffic::kCapacity; ++i)
        traffic.add(rtuFrame("0103 0000 0001"), false, true, -1);
    EXPECT_EQ(int(traffic.entries().size()), DecodedTraffic::kCapacity);
    EXPECT_EQ(trimmed, 2);
    EXPECT_FALSE(traffic.entries().front().frame.content.contains("values")) << "the oldest went first";
}
