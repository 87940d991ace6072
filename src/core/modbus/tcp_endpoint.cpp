#include "core/modbus/tcp_endpoint.h"

#include <QStringList>

#include <algorithm>

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

bool isDigits(const QString& text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

bool isIpv4(const QString& host)
{
    const QStringList parts = host.split(QLatin1Char('.'));
    return parts.size() == 4 && std::all_of(parts.begin(), parts.end(), [](const QString& part) {
               return isDigits(part) && part.size() <= 3 && part.toInt() <= 255;
           });
}

// Groups of one to four hexadecimal digits, at most one "::", and an IPv4 address as the last
// two groups if wanted.
bool isIpv6(const QString& host)
{
    const QStringList halves = host.split(QStringLiteral("::"));
    if (halves.size() > 2)
        return false;
    int groups = 0;
    for (int h = 0; h < halves.size(); ++h) {
        if (halves[h].isEmpty())
            continue;
        const QStringList parts = halves[h].split(QLatin1Char(':'));
        for (int i = 0; i < parts.size(); ++i) {
            const QString& part = parts[i];
            const bool last = h == halves.size() - 1 && i == parts.size() - 1;
            if (last && isIpv4(part)) {
                groups += 2;
                continue;
            }
            bool hex = false;
            part.toUInt(&hex, 16);
            if (!hex || part.size() > 4 || part.startsWith(QLatin1Char('+')) || part.startsWith(QLatin1Char('-')))
                return false;
            ++groups;
        }
    }
    return halves.size() == 2 ? groups < 8 : groups == 8;
}

// Labels of letters, digits and hyphens (not at either end), 63 characters at most, and a last
// label that is not all digits (that would be a mistyped IPv4 address).
bool isHostName(const QString& host)
{
    const QString name = host.endsWith(QLatin1Char('.')) ? host.chopped(1) : host;
    if (name.isEmpty() || name.size() > 253)
        return false;
    const QStringList labels = name.split(QLatin1Char('.'));
    for (const QString& label : labels) {
        if (label.isEmpty() || label.size() > 63 || label.startsWith(QLatin1Char('-')) || label.endsWith(QLatin1Char('-')))
            return false;
        for (QChar c : label) {
            if (c.unicode() > 127 || !(c.isLetterOrNumber() || c == QLatin1Char('-')))
                return false;
        }
    }
    return !isDigits(labels.last());
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
    const QString& host = endpoint.host;
    if (!(isIpv4(host) || isHostName(host) || (host.contains(QLatin1Char(':')) && isIpv6(host))))
        return std::nullopt;
    if (!portText.isNull()) {
        const auto port = parsePort(portText);
        if (!port)
            return std::nullopt;
        endpoint.port = *port;
    }
    return endpoint;
}

QString TcpEndpoint::problem(const QString& text)
{
    if (parse(text))
        return {};
    return QStringLiteral("'%1' is not an address the unit can be reached at.\n"
                          "Give an IP address or a host name, optionally followed by ':' and a port "
                          "from 1 to 65535 (502 when none is given).")
        .arg(text.trimmed());
}

QString TcpEndpoint::toString() const
{
    const QString h = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return h + QLatin1Char(':') + QString::number(port);
}

} // namespace halvana
