// What a receiver answers an XMODEM-CRC transfer of a three-block image, with pauses.
// Byte 0: the pause after each answer byte (x 100 ms).
#include "core/time/manual_clock.h"
#include "core/upgrade/xmodem_block.h"
#include "core/upgrade/xmodem_sender.h"
#include "fuzz_input.h"
#include "support/fake_transport.h"

using namespace halvana;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray image(300, 'x');
    ManualClock clock;
    test::FakeTransport port;
    port.open();
    XmodemSender sender(clock);
    int finished = 0;
    int writesAtEnd = 0;
    QObject::connect(&sender, &XmodemSender::finished, [&](int) {
        ++finished;
        writesAtEnd = int(port.written.size());
    });
    sender.start(port, image);
    for (size_t i = 1; i < size && sender.isRunning(); ++i) {
        sender.bytesIn(fuzz::bytes(data + i, 1));
        clock.advance(data[0] * 100);
    }
    // Each block may time out kMaxErrors times; the start waits longer.
    for (int i = 0; i < 5 * xmodem::blockCount(image.size()) * XmodemSender::kMaxErrors && sender.isRunning(); ++i)
        clock.advance(XmodemSender::kStartTimeoutMs);
    fuzz::check(!sender.isRunning() && finished == 1 && port.written.size() == writesAtEnd);
    for (const QByteArray& sent : port.written)
        fuzz::check(sent.size() == xmodem::kBlockSize || sent == QByteArray(1, xmodem::EOT)
                    || sent == QByteArray(2, xmodem::CAN));
    fuzz::check(sender.blocksAcknowledged() <= sender.blockCount());
    return 0;
}
