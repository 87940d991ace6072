#include "core/modbus/crc16.h"
#include "sim/request_readers.h"

#include <gtest/gtest.h>

using namespace halvana;

namespace {

QByteArray rtu(const char* hexBody)
{
    QByteArray frame = QByteArray::fromHex(hexBody);
    appendCrc(frame);
    return frame;
}

} // namespace

TEST(RtuRequestReader, FindsFrameEndsByFunctionCode)
{
    const QByteArray read = rtu("010300000005");
    const QByteArray write = rtu("0110032000020400070008");
    const QByteArray stream = read + write + read;
    // Whole, and a byte at a time: the same frames either way.
    for (int chunk : {int(stream.size()), 1, 5}) {
        RtuRequestReader reader;
        QList<QByteArray> frames;
        for (int at = 0; at < stream.size(); at += chunk)
            frames += reader.feed(stream.mid(at, chunk));
        EXPECT_EQ(frames, (QList<QByteArray>{read, write, read})) << "chunk " << chunk;
        EXPECT_TRUE(reader.isEmpty());
    }
}

// Each case feeds the reader pieces of a stream (an empty piece: the line falls silent) and sees
// what it hands on after each; in the end it has dropped one frame and holds nothing.
TEST(RtuRequestReader, DropsWhatIsNotAFrameAndJudgesTheRestAtSilence)
{
    const QByteArray good = rtu("010300000001");
    QByteArray bad = rtu("010300000005");
    bad[3] = char(bad[3] ^ 0x10);
    const std::vector<std::vector<std::pair<QByteArray, QByteArray>>> cases = {
        // After a bad frame it waits for silence.
        {{bad + good, ""}, {good, ""}, {"", ""}, {good, good}},
        // The link's wake-up text after a time-out is noise; other functions are judged at silence.
        {{"\r\n\r\nconfig\r\n", ""}, {"", ""}, {rtu("01060000002A"), ""}, {"", rtu("01060000002A")}},
        {{QByteArray(300, char(0x07)), ""}},
    };
    for (const auto& steps : cases) {
        SCOPED_TRACE(steps[0].first.left(6).toHex().toStdString());
        RtuRequestReader reader;
        for (const auto& [fed, handedOn] : steps)
            EXPECT_EQ(fed.isEmpty() ? reader.silence() : reader.feed(fed).join(), handedOn) << fed.toHex().constData();
        EXPECT_EQ(reader.droppedFrames(), 1);
        EXPECT_TRUE(reader.isEmpty());
    }
}

TEST(TcpRequestReader, AssemblesByTheLengthField)
{
    const QByteArray a = QByteArray::fromHex("000100000006010300000005");
    const QByteArray b = QByteArray::fromHex("00020000000901100320000102002A");
    TcpRequestReader reader;
    QList<QByteArray> frames;
    EXPECT_TRUE(reader.feed(a.left(4), &frames));
    EXPECT_TRUE(frames.isEmpty());
    EXPECT_TRUE(reader.feed(a.mid(4) + b.left(10), &frames));
    EXPECT_TRUE(reader.feed(b.mid(10) + a, &frames));
    EXPECT_EQ(frames, (QList<QByteArray>{a, b, a}));
}

TEST(TcpRequestReader, RefusesAStreamThatIsNotModbusTcp)
{
    for (const char* header : {"000100010006", "000100000001", "000100000100"}) {
        TcpRequestReader reader;
        QList<QByteArray> frames;
        EXPECT_FALSE(reader.feed(QByteArray::fromHex(header), &frames)) << header;
    }
}
