#include "e2e/wait.h"
#include "io/tcp_transport.h"

#include <QTcpServer>

#include <gtest/gtest.h>

using namespace halvana;
using halvana::test::waitUntil;

// Bytes both ways and the close of a connection go through every end-to-end TCP run.
TEST(TcpTransport, RefusedConnectionIsReportedNotHung)
{
    // A port that was free a moment ago.
    const quint16 closedPort = [] {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }();
    TcpTransport transport;
    QString error;
    QObject::connect(&transport, &Transport::errorOccurred, [&](const QString& m) { error = m; });
    transport.setEndpoint(QStringLiteral("127.0.0.1:%1").arg(closedPort));
    ASSERT_TRUE(transport.open());
    ASSERT_TRUE(waitUntil([&] { return !error.isEmpty(); }));
    EXPECT_FALSE(transport.isOpen());
}

TEST(TcpTransport, BadAddressFailsAtOnceNamingIt)
{
    TcpTransport transport;
    transport.setEndpoint(QStringLiteral("10.0.0.7:99999"));
    EXPECT_FALSE(transport.open());
    EXPECT_EQ(transport.lastOpenError(), Transport::OpenError::Other);
    EXPECT_TRUE(transport.errorString().contains(QStringLiteral("10.0.0.7:99999")));
}
