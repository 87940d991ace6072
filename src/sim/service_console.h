#pragma once

#include "io/serial_transport.h"
#include "sim/line_writer.h"
#include "sim/service_shell.h"

#include <QObject>

namespace halvana {

class SimulatedUnit;

// The unit's service port: the service shell on a serial device or one end of a
// pseudo-terminal pair, its answers leaving at the line's speed as on a real port.
class ServiceConsole : public QObject {
public:
    explicit ServiceConsole(SimulatedUnit& unit, QObject* parent = nullptr);

    bool open(const QString& device, qint32 baud, QString* error);

private:
    SerialTransport m_port;
    ServiceShell m_shell;
    LineWriter m_writer;
};

} // namespace halvana
