#include "core/upgrade/upgrade_status.h"
#include "core/upgrade/xmodem_block.h"
#include "core/upgrade/xmodem_sender.h"
#include "e2e/e2e_support.h"
#include "e2e/wait.h"
#include "io/qt_clock.h"
#include "io/serial_transport.h"
#include "support/file_bytes.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace halvana;
using namespace halvana::test;

// Our sender against lrzsz's receiver in XMODEM-CRC mode. socat gives us a pseudo-terminal and
// runs rx on its other end over a pipe: rx on a terminal of its own would restore that
// terminal's modes as it exits and flush its last ACK away.
TEST(XmodemInterop, RxReceivesTheImagePaddedToAWholeBlock)
{
    for (const int size : {1, 128, 129, 300 * 1024 + 77}) {
        SCOPED_TRACE(size);
        QTemporaryDir dir;
        QByteArray image(size, Qt::Uninitialized);
        QRandomGenerator generator{quint32(size)};
        for (char& c : image)
            c = char(generator.bounded(256));

        // rx takes only a relative name.
        PtyPair rx;
        ASSERT_TRUE(rx.open(QStringLiteral("SYSTEM:cd '%1' && exec rx -c -b -q image.bin").arg(dir.path())))
            << qPrintable(rx.error());
        SerialTransport port;
        port.setEndpoint(rx.toolSide());
        port.setBaudRate(9600);
        ASSERT_TRUE(port.open()) << qPrintable(port.errorString());

        QtClock clock;
        XmodemSender sender(clock);
        sender.start(port, image);
        ASSERT_TRUE(waitUntil([&] { return !sender.isRunning(); }, 30000)) << qPrintable(rx.error());
        EXPECT_EQ(sender.status(), upgrade_status::kSucceeded) << qPrintable(rx.error());
        EXPECT_EQ(sender.blocksAcknowledged(), xmodem::blockCount(size));
        port.close();
        rx.close();

        const QByteArray received = fileBytes(dir.filePath(QStringLiteral("image.bin")));
        EXPECT_EQ(received.size(), (size + 127) / 128 * 128) << "whole blocks";
        EXPECT_TRUE(received == image + QByteArray(received.size() - size, xmodem::kPad));
    }
}
