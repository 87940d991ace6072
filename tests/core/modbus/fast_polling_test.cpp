#include "link_fixture.h"

using namespace halvana;
using namespace halvana::test;

// A sound reply ends at its last byte with fast polling, else after 70 ms of silence; garbage
// never ends early. A reply that fails a check (the checks themselves: reply_check_test) leaves
// RegData alone. Either way the exchange ends once and polling resumes.
TEST_F(LinkTest, FastPollingEndsASoundReplyAtItsLengthAndLeavesAnythingElseToTheFrameGap)
{
    struct Chunk {
        int afterMs, from, to; // these bytes of the frame arrive afterMs after the ones before
    };
    const QByteArray read = rtuFrame("0103 04 002A FFFF");
    const struct {
        const char* name;
        bool write;
        QByteArray frame;
        std::vector<Chunk> chunks;
        QString fast; // what ends at the last byte in fast mode; empty: nothing before the gap
        QString atGap;
        QString slow = {}; // what ends at the last byte by default
    } cases[] = {
        {"burst", false, read, {{0, 0, 9}}, "registers", "registers"},
        {"split, 16 ms bursts", false, read, {{0, 0, 1}, {16, 1, 3}, {16, 3, 9}}, "registers", "registers"},
        {"split by 100 ms", false, read, {{0, 0, 4}, {100, 4, 9}}, "rejected", "rejected", "rejected"},
        {"write ack", true, rtuFrame("0110 0359 0001"), {{0, 0, 8}}, "ack", "ack"},
        {"exception", false, rtuFrame("0183 02"), {{0, 0, 2}, {5, 2, 5}}, "exception 2", "exception 2"},
        {"other slave", false, rtuFrame("0203 04 002A FFFF"), {{0, 0, 9}}, "", "rejected"},
        {"bad CRC", false, QByteArray::fromHex("010304002AFFFF0000"), {{0, 0, 9}}, "", "rejected"},
        {"byte count", false, rtuFrame("0103 02 002A"), {{0, 0, 7}}, "", "rejected"},
        {"trailing byte", false, read + '\x01', {{0, 0, 10}}, "", "rejected"},
        {"oversized", false, QByteArray(1500, '\x01'), {{0, 0, 1500}}, "", "rejected"},
    };
    for (const bool fast : {false, true}) {
        link.setFastPolling(fast);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (fast ? " fast" : " default"));
            rtuRead({7, 8});
            events.clear();
            const int resumes = polling.resumes;
            c.write ? link.WriteQuery(858, {1}) : link.ReadQuery(1, 2);
            for (const Chunk& k : c.chunks) {
                clock.advance(k.afterMs);
                serial.receive(c.frame.mid(k.from, k.to - k.from));
            }
            EXPECT_EQ(events.join(','), fast ? c.fast : c.slow);
            clock.advance(ModbusLink::kFrameGapMs);
            EXPECT_EQ(events.join(','), c.atGap);
            EXPECT_EQ(regData(), (c.atGap == "registers" ? QVector<quint16>{42, 65535} : QVector<quint16>{7, 8}));
            EXPECT_EQ(polling.resumes, resumes + 1);
            EXPECT_FALSE(link.requestOutstanding());
        }
    }
    EXPECT_EQ(link.trafficLog().text().count(QLatin1String("Exception 2: Illegal Data Address")), 2);
}

// A byte after a completed reply is dropped, keeps the next request off the line until it
// has been quiet 3.5 characters, and never begins the next reply.
TEST_F(LinkTest, FastPollingDropsLateBytesAndWaitsForTheSilenceBeforeTheNextRequest)
{
    link.setFastPolling(true);
    link.ReadQuery(1, 2);
    serial.receive(rtuFrame("0103 04 0001 0002"));
    serial.receive(QByteArray::fromHex("01"));
    const int writes = int(serial.written.size());
    link.ReadQuery(1, 2);
    clock.advance(1);
    serial.receive(QByteArray::fromHex("0103"));
    clock.advance(1);
    EXPECT_EQ(int(serial.written.size()), writes) << "sent within 1750 us of the last byte";
    clock.advance(1);
    ASSERT_EQ(int(serial.written.size()), writes + 1);
    serial.receive(rtuFrame("0103 04 0007 0008"));
    EXPECT_EQ(events, (QStringList{"registers", "registers"})) << "no late byte at the start of the reply";

    for (const auto& [baud, us] : {std::pair{9600, 4011}, {19200, 2006}, {38400, 1750}, {0, 1750}})
        EXPECT_EQ(ModbusLink::interFrameSilenceUs(baud), us) << baud;
}
