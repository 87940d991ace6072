#include "io/tcp_transport.h"

namespace halvana {

TcpTransport::TcpTransport(QObject* parent) : Transport(parent)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] { emit bytesReceived(m_socket.readAll()); });
    connect(&m_socket, &QTcpSocket::connected, this, [this] {
        // Requests are small and answered one at a time: send each at once.
        m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        emit connected();
    });
    connect(&m_socket, &QTcpSocket::disconnected, this, &Transport::disconnected);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        m_errorString = m_socket.errorString();
        emit errorOccurred(m_errorString);
    });
}

TcpTransport::~TcpTransport()
{
    m_socket.disconnect(this);
    m_socket.abort();
}

void TcpTransport::setEndpoint(const QString& address)
{
    m_address = address.trimmed();
    m_endpoint = TcpEndpoint::parse(m_address);
}

bool TcpTransport::open()
{
    m_socket.abort();
    m_openError = OpenError::None;
    m_errorString.clear();
    if (!m_endpoint) {
        m_openError = OpenError::Other;
        m_errorString = tr("Invalid IP address: \"%1\"").arg(m_address);
        return false;
    }
    m_socket.connectToHost(m_endpoint->host, m_endpoint->port);
    return true;
}

void TcpTransport::close()
{
    // Lets a reply or request already written leave before the connection ends.
    m_socket.disconnectFromHost();
}

bool TcpTransport::isOpen() const
{
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

qint64 TcpTransport::write(const QByteArray& bytes)
{
    return isOpen() ? m_socket.write(bytes) : -1;
}

QString TcpTransport::description() const
{
    return m_endpoint ? m_endpoint->toString() : m_address;
}

} // namespace halvana
