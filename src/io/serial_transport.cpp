#include "io/serial_transport.h"

#include "io/serial_port_names.h"

#include <QFileInfo>

namespace halvana {

SerialTransport::SerialTransport(const AppSettings* portNames, QObject* parent)
    : Transport(parent), m_portNames(portNames)
{
    connect(&m_port, &QSerialPort::readyRead, this, [this] { emit bytesReceived(m_port.readAll()); });
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialTransport::onError);
}

SerialTransport::~SerialTransport()
{
    m_port.disconnect(this);
    m_port.close();
}

void SerialTransport::setEndpoint(const QString& endpoint)
{
    m_endpoint = endpoint.trimmed();
}

void SerialTransport::setBaudRate(qint32 baud)
{
    m_baud = baud;
    if (m_port.isOpen())
        m_port.setBaudRate(baud);
}

bool SerialTransport::open()
{
    if (m_port.isOpen())
        m_port.close();
    m_openError = OpenError::None;
    m_errorString.clear();
    bool isNumber = false;
    const int number = m_endpoint.toInt(&isNumber);
    m_portName = isNumber ? SerialPortNames::resolve(number, m_portNames) : m_endpoint;
    if (m_portName.isEmpty()) {
        m_openError = OpenError::NoSuchPort;
        m_errorString = tr("No serial port is known for this number");
        return false;
    }
    m_port.setPortName(m_portName);
    m_port.setBaudRate(m_baud);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_openError = classifyOpenError(m_port.error(), deviceAccessible());
        m_errorString = m_port.errorString();
        m_port.clearError();
        return false;
    }
    return true;
}

void SerialTransport::close()
{
    if (m_port.isOpen())
        m_port.close();
}

bool SerialTransport::isOpen() const
{
    return m_port.isOpen();
}

qint64 SerialTransport::write(const QByteArray& bytes)
{
    return m_port.isOpen() ? m_port.write(bytes) : -1;
}

Transport::OpenError SerialTransport::classifyOpenError(QSerialPort::SerialPortError error, bool deviceAccessible)
{
    switch (error) {
    case QSerialPort::NoError:
        return OpenError::None;
    case QSerialPort::DeviceNotFoundError:
        return OpenError::NoSuchPort;
    case QSerialPort::PermissionError:
        return deviceAccessible ? OpenError::InUse : OpenError::PermissionDenied;
    default:
        return OpenError::Other;
    }
}

bool SerialTransport::deviceAccessible() const
{
    // A bare name ("ttyUSB0") is looked up where QSerialPort finds it.
    const QString path = m_portName.contains(QLatin1Char('/')) ? m_portName : QStringLiteral("/dev/") + m_portName;
    const QFileInfo info(path);
    return !info.exists() || (info.isReadable() && info.isWritable());
}

void SerialTransport::onError(QSerialPort::SerialPortError error)
{
    // Open failures are reported by open() itself; here only what happens on an open line.
    if (error == QSerialPort::NoError || !m_port.isOpen())
        return;
    const QString message = m_port.errorString();
    m_port.clearError();
    emit errorOccurred(message);
    if (error == QSerialPort::ResourceError) {
        // The device went away (adapter unplugged): the line is gone until reopened.
        m_port.close();
        emit disconnected();
    }
}

} // namespace halvana
