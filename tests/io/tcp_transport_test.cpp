#include "e2e/wait.h"
#include "io/tcp_transport.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

using namespace halvana;
using halvana::test::waitUntil;

namespace {

struct LocalServer {
    LocalServer()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] { peer = server.nextPendingConnection(); });
    }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(server.serverPort()); }

    QTcpServer server;
    QPointer<QTcpSocket> peer;
};

} // namespace

TEST(TcpTransport, CarriesBytesBothWaysAndReportsTheClose)
{
    LocalServer unit;
    TcpTransport transport;
    QByteArray received;
    bool connected = false;
    bool disconnected = false;
    QObject::connect(&transport, &Transport::bytesReceived, [&](const QByteArray& b) { received += b; });
    QObject::connect(&transport, &Transport::connected, [&] { connected = true; });
    QObject::connect(&transport, &Transport::disconnected, [&] { disconnected = true; });

    transport.setEndpoint(unit.address());
    EXPECT_EQ(transport.description(), unit.address());
    ASSERT_TRUE(transport.open());
    ASSERT_TRUE(waitUntil([&] { return connected && unit.peer; }));
    EXPECT_TRUE(transport.isOpen());

    EXPECT_EQ(transport.write(QByteArray::fromHex("000100000006010300000001")), 12);
    QByteArray atUnit;
    ASSERT_TRUE(waitUntil([&] {
        atUnit += unit.peer->readAll();
        return atUnit.size() == 12;
    }));
    unit.peer->write(QByteArray::fromHex("00010000000501030200"));
    unit.peer->write(QByteArray::fromHex("2A"));
    ASSERT_TRUE(waitUntil([&] { return received.size() == 11; }));
    EXPECT_EQ(received, QByteArray::fromHex("000100000005010302002A"));

    unit.peer->close();
    ASSERT_TRUE(waitUntil([&] { return disconnected; }));
    EXPECT_FALSE(transport.isOpen());
    EXPECT_EQ(transport.write("x"), -1);
}

TEST(TcpTransport, RefusedConnectionIsReportedNotHung)
{
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        closedPort = probe.serverPort();
    }
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
