#include "sim/service_console.h"

#include "sim/simulated_unit.h"

namespace halvana {

ServiceConsole::ServiceConsole(SimulatedUnit& unit, QObject* parent)
    : QObject(parent), m_shell(unit.image()), m_writer([this](const QByteArray& bytes) { m_port.write(bytes); })
{
    connect(&m_port, &Transport::bytesReceived, this, [this](const QByteArray& bytes) {
        const QByteArray answer = m_shell.receive(bytes);
        if (!answer.isEmpty())
            m_writer.send(answer, m_writer.nowUs());
    });
}

bool ServiceConsole::open(const QString& device, qint32 baud, QString* error)
{
    m_port.setEndpoint(device);
    m_port.setBaudRate(baud);
    if (!m_port.open()) {
        *error = QStringLiteral("cannot open %1: %2").arg(device, m_port.errorString());
        return false;
    }
    m_writer.setPacing(baud);
    return true;
}

} // namespace halvana
