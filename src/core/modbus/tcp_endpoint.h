#pragma once

#include <QString>

#include <optional>

namespace halvana {

// A host and port as the user writes them in "IP_Address" or on a command line: "10.0.0.7",
// "127.0.0.1:5020", "unit.local:502", "[::1]:5020" or a bare IPv6 address.
struct TcpEndpoint {
    static constexpr quint16 kModbusPort = 502;

    QString host;
    quint16 port = kModbusPort;

    // Nothing when the host is neither an IP address nor a valid host name, or the port is not
    // a number from 1 to 65535.
    static std::optional<TcpEndpoint> parse(const QString& text, quint16 defaultPort = kModbusPort);
    // Why `text` cannot be used as an address, for a message; empty when it can.
    static QString problem(const QString& text);
    QString toString() const;
};

} // namespace halvana
