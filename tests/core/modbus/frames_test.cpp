#include "core/modbus/modbus_frames.h"
#include "support/rtu_frame.h"

#include <gtest/gtest.h>

using namespace halvana;
using halvana::test::rtuFrame;

// Byte for byte, and as the traffic log shows them: two upper-case digits and a blank a byte.
TEST(Frames, RequestsByteForByte)
{
    const struct {
        const char* name;
        RequestFrame built;
        QByteArray expected;
    } cases[] = {
        {"rtu read 125 at 1 from slave 3", frame::RTUReadQuery(3, 1, 125), rtuFrame("0303 0000 007D")},
        {"rtu read 1 at 1 from slave 1", frame::RTUReadQuery(1, 1, 1), QByteArray::fromHex("010300000001840A")},
        {"rtu read at 65536 is wire 65535", frame::RTUReadQuery(1, 65536, 1), rtuFrame("0103 FFFF 0001")},
        {"rtu write high and low bytes", frame::RTUWriteQuery(7, 52, {65535, 256, 0}),
         rtuFrame("0710 0033 0003 06 FFFF 0100 0000")},
        {"tcp read with panel 2 offset", frame::TCPReadQuery(0x1234, 1, 1, 10, 4000),
         QByteArray::fromHex("12340000000601030FA0000A")},
        {"tcp read at transaction 65535", frame::TCPReadQuery(65535, 9, 2001, 99, 0),
         QByteArray::fromHex("FFFF000000060903 07D00063")},
        // Length 7 + 2n: unit id, function, address, count, byte count and the values.
        {"tcp write of three values with offset", frame::TCPWriteQuery(6, 2, 52, {1, 2, 3}, 2000),
         QByteArray::fromHex("0006 0000 000D 02 10 0803 0003 06 0001 0002 0003")},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(c.built.ok()) << c.name << ": " << c.built.error.toStdString();
        EXPECT_EQ(hexText(c.built.bytes), QString::fromLatin1(c.expected.toHex(' ').toUpper() + ' ')) << c.name;
    }
    EXPECT_EQ(hexText({}), QString());
}

TEST(Frames, RequestsThatWouldLeaveTheProtocolAreRefusedNotWrapped)
{
    const struct {
        const char* name;
        RequestFrame built;
        const char* reason;
    } cases[] = {
        {"register 0", frame::RTUReadQuery(1, 0, 1), "outside 1..65536"},
        {"register 65537", frame::RTUReadQuery(1, 65537, 1), "outside 1..65536"},
        {"panel offset past 65535", frame::TCPReadQuery(1, 1, 64001, 120, 4000), "beyond 65535"},
        {"read running past 65536", frame::RTUReadQuery(1, 65453, 93), "65453..65545 run past register 65536"},
        {"write running past 65536", frame::RTUWriteQuery(1, 65536, {1, 2}), "run past register 65536"},
        {"read running past 65535 with offset", frame::TCPReadQuery(1, 1, 63500, 40, 2000), "run past wire address"},
        {"write with offset past 65535", frame::TCPWriteQuery(1, 1, 63600, {1}, 2000), "beyond 65535"},
        {"read of 0 registers", frame::RTUReadQuery(1, 1, 0), "outside 1..125"},
        {"read of 126 registers", frame::TCPReadQuery(1, 1, 1, 126, 0), "outside 1..125"},
        {"empty write", frame::RTUWriteQuery(1, 1, {}), "outside 1..123"},
        {"124 values", frame::RTUWriteQuery(1, 1, QVector<int>(124, 0)), "outside 1..123"},
        {"value 65536", frame::RTUWriteQuery(1, 1, {1, 65536}), "65536 is outside 0..65535"},
        {"negative value", frame::TCPWriteQuery(1, 1, 1, {-1}, 0), "-1 is outside 0..65535"},
        {"slave 256", frame::RTUReadQuery(256, 1, 1), "Slave ID 256"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(c.built.ok()) << c.name;
        EXPECT_TRUE(c.built.bytes.isEmpty()) << c.name;
        EXPECT_TRUE(c.built.error.contains(QLatin1String(c.reason))) << c.name << ": " << c.built.error.toStdString();
    }
}

TEST(Frames, TransactionCounterStartsAtOneAndWrapsToZero)
{
    TransactionCounter counter;
    EXPECT_EQ(counter.next(), 1);
    for (int i = 2; i <= 65535; ++i)
        counter.next();
    EXPECT_EQ(counter.next(), 0);
    EXPECT_EQ(counter.next(), 1);
    counter.reset();
    EXPECT_EQ(counter.next(), 1);
}
