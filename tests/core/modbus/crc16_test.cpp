#include "core/modbus/crc16.h"

#include <gtest/gtest.h>

using namespace halvana;

TEST(Crc16, CheckValueOfTheCatalogue)
{
    EXPECT_EQ(modbusCrc16(QByteArray("123456789")), 0x4B37);
}

// Published Modbus RTU frames, CRC bytes as sent on the line.
TEST(Crc16, PublishedFramesCarryTheirCrc)
{
    const char* vectors[] = {
        "01030000000ac5cd", // read 10 holding registers from slave 1
        "1103006b00037687", // the protocol's own example: slave 17, register 108, 3 registers
        "010300000001840a",
    };
    for (const char* hex : vectors) {
        const QByteArray frame = QByteArray::fromHex(hex);
        EXPECT_TRUE(hasValidCrc(frame)) << hex;
        QByteArray rebuilt = frame.left(frame.size() - 2);
        appendCrc(rebuilt);
        EXPECT_EQ(rebuilt, frame) << hex;
    }
}

TEST(Crc16, AnyChangedBitIsCaught)
{
    QByteArray frame = QByteArray::fromHex("01030000000ac5cd");
    for (int i = 0; i < frame.size() * 8; ++i) {
        QByteArray bad = frame;
        bad[i / 8] = char(bad[i / 8] ^ (1 << (i % 8)));
        EXPECT_FALSE(hasValidCrc(bad)) << "bit " << i;
    }
    EXPECT_FALSE(hasValidCrc(QByteArray::fromHex("01")));
}

TEST(Crc16, WordHasItsBytesExchangedSoTheHighByteGoesFirst)
{
    const QByteArray body = QByteArray::fromHex("01030000000a");
    const quint16 word = crcWord(modbusCrc16(body));
    EXPECT_EQ(word, 0xC5CD);
}
