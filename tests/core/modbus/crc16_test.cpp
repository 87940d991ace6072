#include "core/modbus/crc16.h"

#include <gtest/gtest.h>

using namespace halvana;

// The catalogue's check value and published Modbus RTU frames (CRC bytes as sent, low first);
// every single changed bit of a frame must fail the check.
TEST(Crc16, PublishedValuesAndFrames)
{
    EXPECT_EQ(modbusCrc16(QByteArray("123456789")), 0x4B37);
    for (const char* hex : {"01030000000ac5cd", "1103006b00037687"}) {
        const QByteArray frame = QByteArray::fromHex(hex);
        EXPECT_TRUE(hasValidCrc(frame)) << hex;
        QByteArray rebuilt = frame.left(frame.size() - 2);
        appendCrc(rebuilt);
        EXPECT_EQ(rebuilt, frame) << hex;
        for (int i = 0; i < frame.size() * 8; ++i) {
            QByteArray bad = frame;
            bad[i / 8] = char(bad[i / 8] ^ (1 << (i % 8)));
            EXPECT_FALSE(hasValidCrc(bad)) << hex << " bit " << i;
        }
    }
    EXPECT_FALSE(hasValidCrc(QByteArray::fromHex("01")));
}
