#include "core/modbus/tcp_endpoint.h"

#include <gtest/gtest.h>

using namespace halvana;

TEST(TcpEndpoint, ParsesWhatUsersWriteInIpAddress)
{
    struct Case {
        const char* text;
        const char* host;
        quint16 port;
    } cases[] = {
        {"10.0.0.7", "10.0.0.7", 502},
        {" 127.0.0.1:5020 ", "127.0.0.1", 5020},
        {"unit.local:1502", "unit.local", 1502},
        {"[::1]:5020", "::1", 5020},
        {"[fe80::2]", "fe80::2", 502},
        {"::1", "::1", 502},
        {"host:65535", "host", 65535},
        {"[::ffff:10.0.0.7]:502", "::ffff:10.0.0.7", 502},
        {"1:2:3:4:5:6:7:8", "1:2:3:4:5:6:7:8", 502},
    };
    for (const Case& c : cases) {
        const auto endpoint = TcpEndpoint::parse(QString::fromLatin1(c.text));
        ASSERT_TRUE(endpoint.has_value()) << c.text;
        EXPECT_EQ(endpoint->host, QString::fromLatin1(c.host)) << c.text;
        EXPECT_EQ(endpoint->port, c.port) << c.text;
        // IPv6 is printed in brackets so that it parses back.
        EXPECT_EQ(TcpEndpoint::parse(endpoint->toString())->toString(), endpoint->toString()) << c.text;
    }
    EXPECT_EQ(TcpEndpoint::parse(QStringLiteral("[::1]:5020"))->toString(), QStringLiteral("[::1]:5020"));
}

TEST(TcpEndpoint, RefusesWhatCannotBeReached)
{
    for (const char* text : {"", ":502", "host:", "host:0", "host:65536", "host:50x", "127.0.0.1:1s", "[::1",
                             "[::1]x", "a b:502", "256.1.1.1", "10.0.0", "-unit.local", "unit_1", "[1::2::3]",
                             "[12345::1]", "[1:2:3:4:5:6:7]"})
        EXPECT_FALSE(TcpEndpoint::parse(QString::fromLatin1(text)).has_value()) << text;
    EXPECT_TRUE(TcpEndpoint::problem(QStringLiteral("127.0.0.1:1s")).contains(QLatin1String("from 1 to 65535")));
    EXPECT_TRUE(TcpEndpoint::problem(QStringLiteral("unit-7.local:502")).isEmpty());
}
