#include "io/tcp_endpoint.h"

namespace halvana {

namespace {

std::optional<quint16> parsePort(const QString& text)
{
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port < 1 || port > 65535)
        return std::nullopt;
    return quint16(port);
}

} // namespace

std::optional<TcpEndpoint> TcpEndpoint::parse(const QString& text, quint16 defaultPort)
{
    const QString t = text.trimmed();
    TcpEndpoint endpoint;
    endpoint.port = defaultPort;
    QString portText;
    if (t.startsWith(QLatin1Char('['))) {
        const int close = t.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        endpoint.host = t.mid(1, close - 1);
        const QString rest = t.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(QLatin1Char(':')))
                return std::nullopt;
            portText = rest.mid(1);
        }
    } else if (t.count(QLatin1Char(':')) == 1) {
        const int colon = t.indexOf(QLatin1Char(':'));
        endpoint.host = t.left(colon);
        portText = t.mid(colon + 1);
    } else {
        // No colon, or a bare IPv6 address whose colons are not a port separator.
        endpoint.host = t;
    }
    if (endpoint.host.isEmpty() || endpoint.host.contains(QLatin1Char(' ')))
        return std::nullopt;
    if (!portText.isNull()) {
        const auto port = parsePort(portText);
        if (!port)
            return std::nullopt;
        endpoint.port = *port;
    }
    return endpoint;
}

QString TcpEndpoint::toString() const
{
    const QString h = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return h + QLatin1Char(':') + QString::number(port);
}

} // namespace halvana
