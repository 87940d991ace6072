#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace halvana {

// The wire under the Modbus link and the service terminal: a serial port or a TCP socket.
// Implementations live in halvana_io; tests may use a pair of in-memory ends.
class Transport : public QObject {
    Q_OBJECT
public:
    enum class OpenError { None, NoSuchPort, InUse, PermissionDenied, Other };

    using QObject::QObject;
    ~Transport() override = default;

    // Starts opening. A serial port opens at once (true) or fails (false, see lastOpenError);
    // a socket starts connecting and reports connected() later.
    virtual bool open() = 0;
    virtual void close() = 0;
    // Serial: the port is open. TCP: the socket is connected.
    virtual bool isOpen() const = 0;
    virtual qint64 write(const QByteArray& bytes) = 0;

    // Where the next open() goes: a serial port number from the store or a device path
    // ("3", "/dev/pts/5"), or "host[:port]" for a socket (port 502 when none is given).
    virtual void setEndpoint(const QString& endpoint) = 0;
    // Line speed of the next open(); sockets have none and ignore it.
    virtual void setBaudRate(qint32 baud) { Q_UNUSED(baud) }
    // Line speed in use; 0 for a socket, which has no wire time to wait for.
    virtual qint32 baudRate() const { return 0; }

    virtual OpenError lastOpenError() const { return OpenError::None; }
    virtual QString errorString() const = 0;
    // What the user would call this end: "/dev/ttyUSB0", "127.0.0.1:502".
    virtual QString description() const = 0;

signals:
    void bytesReceived(const QByteArray& bytes);
    void connected();
    void disconnected();
    void errorOccurred(const QString& message);
};

} // namespace halvana
