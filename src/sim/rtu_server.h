#pragma once

#include "io/serial_transport.h"
#include "sim/line_writer.h"
#include "sim/request_readers.h"

#include <QObject>
#include <QTimer>

namespace halvana {

class SlaveService;

// The unit's RS-485 side: a Modbus RTU slave on a serial device or one end of a pseudo-terminal.
class RtuServer : public QObject {
    Q_OBJECT
public:
    explicit RtuServer(SlaveService& service, QObject* parent = nullptr);

    // With `pace`, replies leave at the line's real speed and start only when the request would
    // have finished arriving on a real line and the line has been quiet for 3.5 characters.
    bool open(const QString& device, qint32 baud, bool pace, QString* error);
    QString device() const { return m_port.portName(); }

private:
    void onBytes(const QByteArray& bytes);
    void onSilence();
    void handleFrame(const QByteArray& frame);

    SlaveService& m_service;
    SerialTransport m_port;
    RtuRequestReader m_reader;
    QTimer m_silence;
    LineWriter m_writer;
    double m_byteTimeUs = 0;
    bool m_pace = false;
    qint64 m_lastArrivalUs = 0;
};

} // namespace halvana
