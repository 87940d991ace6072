#include "sim/tcp_server.h"

#include "core/modbus/tcp_endpoint.h"
#include "sim/line_writer.h"
#include "sim/modbus_slave.h"
#include "sim/request_readers.h"
#include "sim/simulated_unit.h"
#include "sim/slave_service.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace halvana {

namespace {

// Unit identifier 255 addresses the device itself, whatever its slave id.
constexpr int kUnitIdThisDevice = 255;

// One master's connection: its own request stream and its own reply queue.
class Connection : public QObject {
public:
    Connection(QTcpSocket* socket, SlaveService& service)
        : QObject(socket), m_socket(socket), m_service(service),
          m_writer([socket](const QByteArray& bytes) { socket->write(bytes); }, this)
    {
        m_name = QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, &Connection::onReadyRead);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(&service.unit(), &SimulatedUnit::rebootStarted, this, [this] {
            m_writer.clear();
            m_socket->disconnectFromHost();
        });
    }

private:
    void onReadyRead()
    {
        const QByteArray bytes = m_socket->readAll();
        if (m_service.unit().isRebooting())
            return;
        QList<QByteArray> requests;
        const bool wellFormed = m_reader.feed(bytes, &requests);
        for (const QByteArray& request : requests)
            handle(request);
        if (!wellFormed) {
            m_service.trace(m_name, "<-", bytes);
            m_socket->disconnectFromHost();
        }
    }

    void handle(const QByteArray& request)
    {
        m_service.trace(m_name, "<-", request);
        const int unit = quint8(request[6]);
        const QByteArray pduIn = request.mid(7);
        QByteArray pdu;
        if (unit == m_service.slaveId() || unit == kUnitIdThisDevice)
            pdu = m_service.answer(pduIn);
        else if (!pduIn.isEmpty())
            // As a gateway does for an RS-485 address nobody answers.
            pdu = ModbusSlave::exception(quint8(pduIn[0]), ModbusSlave::GatewayTargetFailed);
        if (pdu.isEmpty())
            return;
        QByteArray adu = request.left(4);
        const int length = int(pdu.size()) + 1;
        adu.append(char(length >> 8)).append(char(length & 0xFF)).append(char(unit)).append(pdu);
        m_service.trace(m_name, "->", adu);
        m_writer.sendReply(m_service.shape(adu, FrameKind::Tcp), m_writer.nowUs());
    }

    QTcpSocket* m_socket;
    SlaveService& m_service;
    LineWriter m_writer;
    TcpRequestReader m_reader;
    QString m_name;
};

} // namespace

TcpServer::TcpServer(SlaveService& service, QObject* parent) : QObject(parent), m_service(service)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TcpServer::onNewConnection);
}

bool TcpServer::listen(const QString& host, quint16 port, QString* error)
{
    const QHostAddress address(host == QLatin1String("localhost") ? QStringLiteral("127.0.0.1") : host);
    if (address.isNull()) {
        *error = QStringLiteral("--tcp: \"%1\" is not an IP address").arg(host);
        return false;
    }
    if (!m_server.listen(address, port)) {
        *error = QStringLiteral("cannot listen on %1:%2: %3").arg(host).arg(port).arg(m_server.errorString());
        return false;
    }
    return true;
}

QString TcpServer::address() const
{
    return TcpEndpoint{m_server.serverAddress().toString(), m_server.serverPort()}.toString();
}

void TcpServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (m_service.unit().isRebooting()) {
            // A restarting unit has no network yet.
            socket->abort();
            socket->deleteLater();
            continue;
        }
        new Connection(socket, m_service);
    }
}

} // namespace halvana
