#include "core/modbus/reply_check.h"
#include "support/rtu_frame.h"

#include <gtest/gtest.h>

using namespace halvana;
using halvana::test::rtuFrame;

namespace {

const ExpectedReply kRead2 = {1, 3, 0, 2, 7};      // slave 1, 2 registers at address 0, transaction 7
const ExpectedReply kWrite858 = {1, 16, 857, 1, 8}; // slave 1, register 858

struct ReplyCase {
    const char* name;
    QByteArray frame;
    ExpectedReply expected;
    const char* error; // empty: accepted
    int function = 0;
    int exceptionCode = 0;
};

void check(const ReplyCase& c, const CheckedReply& reply)
{
    EXPECT_EQ(reply.ok(), !*c.error) << c.name << ": " << reply.error.toStdString();
    EXPECT_TRUE(reply.error.contains(QLatin1String(c.error))) << c.name << ": " << reply.error.toStdString();
    EXPECT_EQ(reply.function, *c.error ? 0 : c.function) << c.name;
    EXPECT_EQ(reply.exceptionCode, c.exceptionCode) << c.name;
    if (*c.error || c.exceptionCode || c.function == 16)
        EXPECT_TRUE(reply.registers.empty()) << c.name;
    else
        EXPECT_EQ(reply.registers, (RegData{42, 65535})) << c.name;
}

} // namespace

TEST(RtuReplyCheck, Table)
{
    const QByteArray good = rtuFrame("0103 04 002A FFFF");
    QByteArray badCrc = good;
    badCrc[4] = char(badCrc[4] ^ 0x10);
    const ReplyCase cases[] = {
        {"good read", good, kRead2, "", 3},
        {"bad CRC", badCrc, kRead2, "CRC error"},
        {"wrong slave", rtuFrame("0203 04 002A FFFF"), kRead2, "from slave 2, expected slave 1"},
        {"byte count of 3 registers", rtuFrame("0103 06 002A FFFF 0000"), kRead2, "Byte count 6, expected 4"},
        {"byte count matches, data short", rtuFrame("0103 04 002A FF"), kRead2, "carries 3 data bytes"},
        // A zero byte after a good frame keeps the CRC valid; the length still gives it away.
        {"trailing byte after the frame", good + char(0), kRead2, "carries 5 data bytes"},
        {"read exception", rtuFrame("0183 02"), kRead2, "", 0x83, 2},
        {"exception with extra byte", rtuFrame("0183 0200"), kRead2, "Exception reply of 3 bytes"},
        {"write ack", rtuFrame("0110 0359 0001"), kWrite858, "", 16},
        {"write ack for another register", rtuFrame("0110 0358 0001"), kWrite858, "address 856"},
        {"write ack for another count", rtuFrame("0110 0359 0002"), kWrite858, "2 registers"},
        {"write exception", rtuFrame("0190 02"), kWrite858, "", 0x90, 2},
        {"exception of a write to a read", rtuFrame("0190 02"), kRead2, "Function code 144"},
        {"read reply to a write", good, kWrite858, "Function code 3"},
        {"too short", QByteArray::fromHex("0103"), kRead2, "too short"},
    };
    for (const ReplyCase& c : cases)
        check(c, checkRtuReply(c.frame, c.expected));
}

// The MBAP header's checks; the function code onwards is checked as for RTU.
TEST(TcpReplyCheck, Table)
{
    const ReplyCase cases[] = {
        {"good read", QByteArray::fromHex("0007 0000 0007 01 03 04 002A FFFF"), kRead2, "", 3},
        {"other transaction", QByteArray::fromHex("0006 0000 0007 01 03 04 002A FFFF"), kRead2, "transaction 6"},
        {"protocol not 0", QByteArray::fromHex("0007 0001 0007 01 03 04 002A FFFF"), kRead2, "Protocol identifier 1"},
        {"length disagrees", QByteArray::fromHex("0007 0000 0008 01 03 04 002A FFFF"), kRead2, "Length field 8"},
        {"wrong unit", QByteArray::fromHex("0007 0000 0007 05 03 04 002A FFFF"), kRead2, "unit 5, expected unit 1"},
        {"write exception", QByteArray::fromHex("0008 0000 0003 01 90 03"), kWrite858, "", 0x90, 3},
        {"header only", QByteArray::fromHex("0007 0000 0001 01"), kRead2, "too short"},
    };
    for (const ReplyCase& c : cases) {
        const CheckedReply reply = checkTcpReply(c.frame, c.expected);
        check(c, reply);
        EXPECT_EQ(reply.foreignTransaction, &c == &cases[1]) << c.name;
    }
}

TEST(TcpReplyCheck, FrameSizeComesFromTheLengthField)
{
    const struct {
        const char* buffer;
        int size;
    } cases[] = {
        {"0007 0000 00", 0},                            // header incomplete
        {"0007 0000 0007 01 03 04 00", 0},              // rest still coming
        {"0007 0000 0007 01 03 04 002A FFFF", 13},
        {"0007 0000 0007 01 03 04 002A FFFF 0102", 13}, // more after the frame
        {"0007 0000 0001 01", -1},                      // no room for a function code
        {"0007 0000 00FF", -1},                         // longer than any Modbus reply
        {"0007 0000 00FE", 0},                          // the longest possible, incomplete
    };
    for (const auto& c : cases)
        EXPECT_EQ(tcpFrameSize(QByteArray::fromHex(c.buffer)), c.size) << c.buffer;
}
