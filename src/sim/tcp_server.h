#pragma once

#include <QObject>
#include <QTcpServer>

namespace halvana {

class SlaveService;

// The unit's Ethernet side: a Modbus TCP server. Any number of masters may be connected.
class TcpServer : public QObject {
    Q_OBJECT
public:
    explicit TcpServer(SlaveService& service, QObject* parent = nullptr);

    // Port 0 picks a free port; address() then names it.
    bool listen(const QString& host, quint16 port, QString* error);
    // "127.0.0.1:5020"
    QString address() const;

private:
    void onNewConnection();

    SlaveService& m_service;
    QTcpServer m_server;
};

} // namespace halvana
