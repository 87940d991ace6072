#include "sim/rtu_server.h"

#include "core/modbus/crc16.h"
#include "sim/simulated_unit.h"
#include "sim/slave_service.h"

#include <cmath>

namespace halvana {

namespace {

// A frame ends after 3.5 character times of silence; timers have a millisecond grain and a
// pseudo-terminal delivers in bursts, so never wait less than 2 ms.
constexpr double kSilenceCharacters = 3.5;
constexpr int kMinSilenceMs = 2;

} // namespace

RtuServer::RtuServer(SlaveService& service, QObject* parent)
    : QObject(parent), m_service(service), m_writer([this](const QByteArray& bytes) { m_port.write(bytes); })
{
    m_silence.setSingleShot(true);
    m_silence.setTimerType(Qt::PreciseTimer);
    connect(&m_silence, &QTimer::timeout, this, &RtuServer::onSilence);
    connect(&m_port, &Transport::bytesReceived, this, &RtuServer::onBytes);
    connect(&m_service.unit(), &SimulatedUnit::rebootStarted, this, [this] {
        m_writer.clear();
        m_reader.silence();
    });
}

bool RtuServer::open(const QString& device, qint32 baud, bool pace, QString* error)
{
    m_port.setEndpoint(device);
    m_port.setBaudRate(baud);
    if (!m_port.open()) {
        *error = QStringLiteral("cannot open %1: %2").arg(device, m_port.errorString());
        return false;
    }
    m_byteTimeUs = 10.0 * 1e6 / baud;
    m_pace = pace;
    m_writer.setPacing(pace ? baud : 0);
    m_silence.setInterval(qMax(kMinSilenceMs, int(std::ceil(kSilenceCharacters * m_byteTimeUs / 1000))));
    return true;
}

void RtuServer::onBytes(const QByteArray& bytes)
{
    if (m_service.unit().isRebooting())
        return;
    m_lastArrivalUs = m_writer.nowUs();
    m_silence.start();
    const auto frames = m_reader.feed(bytes);
    for (const QByteArray& frame : frames)
        handleFrame(frame);
}

void RtuServer::onSilence()
{
    const QByteArray frame = m_reader.silence();
    if (!frame.isEmpty())
        handleFrame(frame);
}

void RtuServer::handleFrame(const QByteArray& frame)
{
    m_service.trace(m_port.portName(), "<-", frame);
    const int slave = quint8(frame[0]);
    const bool broadcast = slave == 0;
    if (slave != m_service.slaveId() && !broadcast)
        return;
    const QByteArray pdu = m_service.answer(frame.mid(1, frame.size() - 3));
    if (broadcast || pdu.isEmpty())
        return;
    QByteArray adu = char(slave) + pdu;
    appendCrc(adu);
    m_service.trace(m_port.portName(), "->", adu);
    // On a real line the request's last byte lands (size x byte time) after the master sent it,
    // and the unit knows the frame ended only after 3.5 characters of silence.
    const qint64 earliest = m_pace
        ? m_lastArrivalUs + qint64(std::ceil((frame.size() + kSilenceCharacters) * m_byteTimeUs))
        : m_writer.nowUs();
    m_writer.sendReply(m_service.shape(adu, FrameKind::Rtu), earliest);
}

} // namespace halvana
