#pragma once

#include "core/modbus/transport.h"

#include <QByteArrayList>

namespace halvana::test {

// An in-memory transport: records what is written, delivers what the test hands it.
// As a serial port it opens at once; as a socket (connectsLater) it connects when told.
class FakeTransport : public Transport {
    Q_OBJECT
public:
    explicit FakeTransport(bool connectsLater = false) : m_connectsLater(connectsLater) {}

    bool open() override
    {
        ++opens;
        if (openFailure != OpenError::None)
            return false;
        // A socket has started connecting, as a real one would.
        m_open = !m_connectsLater;
        return true;
    }
    void close() override
    {
        ++closes;
        m_open = false;
    }
    bool isOpen() const override { return m_open; }
    qint64 write(const QByteArray& bytes) override
    {
        written.append(bytes);
        return bytes.size();
    }
    void setEndpoint(const QString& value) override { endpoint = value; }
    void setBaudRate(qint32 value) override { baud = value; }
    qint32 baudRate() const override { return baud; }
    OpenError lastOpenError() const override { return openFailure; }
    QString errorString() const override { return QStringLiteral("fake failure"); }
    QString description() const override { return QStringLiteral("fake:") + endpoint; }

    // The far end.
    void receive(const QByteArray& bytes) { emit bytesReceived(bytes); }
    void completeConnect()
    {
        m_open = true;
        emit connected();
    }
    void drop()
    {
        m_open = false;
        emit disconnected();
    }
    QByteArray lastWritten() const { return written.isEmpty() ? QByteArray() : written.last(); }

    QByteArrayList written;
    OpenError openFailure = OpenError::None;
    QString endpoint;
    qint32 baud = 0;
    int opens = 0;
    int closes = 0;

private:
    bool m_connectsLater;
    bool m_open = false;
};

} // namespace halvana::test
