#pragma once

#include "core/modbus/transport.h"

#include <QSerialPort>

namespace halvana {

class AppSettings;

// A serial line (RS-485 adapter or one end of a pseudo-terminal pair) at 8N1, no flow control.
class SerialTransport : public Transport {
    Q_OBJECT
public:
    // `portNames` is the store whose "SerialPortNames" section maps port numbers to devices;
    // without it a number means the n-th port the system offers.
    explicit SerialTransport(const AppSettings* portNames = nullptr, QObject* parent = nullptr);
    ~SerialTransport() override;

    // A port number from the store ("3"), looked up when the port opens, or a port name
    // ("ttyUSB0", "COM3") or device path ("/dev/pts/5") used as given.
    void setEndpoint(const QString& endpoint) override;
    // The device the last open() used or tried.
    QString portName() const { return m_portName; }
    void setBaudRate(qint32 baud) override;
    qint32 baudRate() const override { return m_baud; }

    bool open() override;
    void close() override;
    bool isOpen() const override;
    qint64 write(const QByteArray& bytes) override;

    OpenError lastOpenError() const override { return m_openError; }
    QString errorString() const override { return m_errorString; }
    QString description() const override { return m_portName.isEmpty() ? m_endpoint : m_portName; }

    // QSerialPort reports both a port held by another program and a device the user may not
    // use as PermissionError; whether the device itself is accessible tells them apart.
    static OpenError classifyOpenError(QSerialPort::SerialPortError error, bool deviceAccessible);

private:
    void onError(QSerialPort::SerialPortError error);
    bool deviceAccessible() const;

    const AppSettings* m_portNames;
    QSerialPort m_port;
    QString m_endpoint;
    QString m_portName;
    qint32 m_baud = 115200;
    OpenError m_openError = OpenError::None;
    QString m_errorString;
};

} // namespace halvana
