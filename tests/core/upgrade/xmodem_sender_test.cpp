#include "core/time/manual_clock.h"
#include "core/upgrade/upgrade_status.h"
#include "core/upgrade/xmodem_block.h"
#include "core/upgrade/xmodem_sender.h"
#include "support/fake_transport.h"

#include <gtest/gtest.h>

using namespace halvana;
using namespace halvana::test;

namespace {

class SenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        port.open();
        port.setBaudRate(9600);
        QObject::connect(&sender, &XmodemSender::finished, [this](int code) { outcome = code; });
    }
    void answer(char c) { port.receive(QByteArray(1, c)); }
    QByteArray blockSent(int number) const { return xmodem::block(image, number); }
    int timesSent(const QByteArray& bytes) const { return int(port.written.count(bytes)); }

    ManualClock clock;
    FakeTransport port;
    XmodemSender sender{clock};
    QByteArray image = QByteArray(300, 'x');
    int outcome = 1;
};

const QByteArray kCanCan(2, xmodem::CAN);

} // namespace

TEST_F(SenderTest, SendsEveryBlockOnAckAndEndsWithTheEotHandshake)
{
    sender.start(port, image);
    EXPECT_TRUE(port.written.isEmpty()) << "nothing before the receiver asks";
    answer('C');
    answer('C'); // a repeated start request sends nothing more
    EXPECT_EQ(port.written, QByteArrayList{blockSent(1)});
    answer(xmodem::ACK);
    answer(xmodem::ACK);
    EXPECT_EQ(port.lastWritten(), blockSent(3));
    answer(xmodem::ACK);
    EXPECT_EQ(port.lastWritten(), QByteArray(1, xmodem::EOT));
    EXPECT_EQ(outcome, 1);
    answer(xmodem::NAK); // a receiver may refuse the first EOT
    EXPECT_EQ(timesSent(QByteArray(1, xmodem::EOT)), 2);
    answer(xmodem::ACK);
    EXPECT_EQ(outcome, upgrade_status::kSucceeded);
    EXPECT_EQ(sender.blocksAcknowledged(), 3);
}

TEST_F(SenderTest, ResendsOnNakAndAfterALostAnswer)
{
    sender.start(port, image, true);
    EXPECT_EQ(port.lastWritten(), blockSent(1));
    answer(xmodem::NAK);
    EXPECT_EQ(timesSent(blockSent(1)), 2);
    answer(xmodem::ACK);
    // The ACK of block 2 is lost: nothing until the packet time-out (plus the block's wire time).
    clock.advance(XmodemSender::kPacketTimeoutMs);
    EXPECT_EQ(timesSent(blockSent(2)), 1);
    clock.advance(200);
    EXPECT_EQ(timesSent(blockSent(2)), 2);
    answer(xmodem::ACK);
    EXPECT_EQ(port.lastWritten(), blockSent(3));
    EXPECT_TRUE(sender.isRunning());
}

TEST_F(SenderTest, TenErrorsOnABlockCancelWithCanCan)
{
    sender.start(port, image, true);
    answer(xmodem::ACK);
    for (int i = 0; i < 5; ++i)
        answer(xmodem::NAK);
    for (int i = 0; i < 4; ++i)
        clock.advance(XmodemSender::kPacketTimeoutMs + 200);
    EXPECT_TRUE(sender.isRunning());
    EXPECT_EQ(timesSent(blockSent(2)), 10);
    answer(xmodem::NAK);
    EXPECT_EQ(timesSent(blockSent(2)), 10);
    EXPECT_EQ(port.lastWritten(), kCanCan);
    EXPECT_EQ(outcome, upgrade_status::kTooManyErrors);
    answer(xmodem::ACK);
    EXPECT_EQ(port.lastWritten(), kCanCan) << "nothing after the end";
}

TEST_F(SenderTest, CancelFromEitherSide)
{
    sender.start(port, image, true);
    answer(xmodem::CAN);
    answer(xmodem::ACK); // a lone CAN is line noise
    EXPECT_TRUE(sender.isRunning());
    port.receive(kCanCan);
    EXPECT_EQ(outcome, upgrade_status::kCanceled);
    EXPECT_NE(port.lastWritten(), kCanCan) << "the receiver cancelled: nothing to tell it";

    port.written.clear();
    sender.start(port, image, true);
    sender.cancel();
    EXPECT_EQ(port.lastWritten(), kCanCan);
    EXPECT_EQ(outcome, upgrade_status::kCanceled);
    clock.advance(60000);
    EXPECT_EQ(port.written.size(), 2) << "no resend after the end";
}

TEST_F(SenderTest, AReceiverThatNeverAsksMeansTheTransferCannotStart)
{
    sender.start(port, image);
    clock.advance(XmodemSender::kStartTimeoutMs);
    EXPECT_EQ(outcome, upgrade_status::kNotAbleToStart);
    EXPECT_TRUE(port.written.isEmpty());
}
