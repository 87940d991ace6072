#pragma once

#include "core/modbus/transport.h"
#include "core/modbus/tcp_endpoint.h"

#include <QTcpSocket>

namespace halvana {

// A Modbus TCP client connection. open() starts connecting; connected() follows.
class TcpTransport : public Transport {
    Q_OBJECT
public:
    explicit TcpTransport(QObject* parent = nullptr);
    ~TcpTransport() override;

    // The "IP_Address" text: a host with an optional ":port" (502 when none is given).
    void setEndpoint(const QString& address) override;

    bool open() override;
    void close() override;
    bool isOpen() const override;
    qint64 write(const QByteArray& bytes) override;

    OpenError lastOpenError() const override { return m_openError; }
    QString errorString() const override { return m_errorString; }
    QString description() const override;

private:
    QTcpSocket m_socket;
    QString m_address;
    std::optional<TcpEndpoint> m_endpoint;
    OpenError m_openError = OpenError::None;
    QString m_errorString;
};

} // namespace halvana
