#include "io/tcp_endpoint.h"

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
    for (const char* text : {"", ":502", "host:", "host:0", "host:65536", "host:50x", "[::1", "[::1]x", "a b:502"})
        EXPECT_FALSE(TcpEndpoint::parse(QString::fromLatin1(text)).has_value()) << text;
}
