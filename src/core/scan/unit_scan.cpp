#include "core/scan/unit_scan.h"

#include "core/device/device_model.h"
#include "core/modbus/reply_check.h"
#include "core/modbus/transport.h"
#include "core/time/clock.h"

namespace halvana {

namespace {

constexpr int kFirstRegister = 1;
constexpr int kRtuReplySize = 5 + 2 * ScanPlan::kRegisterCount;
constexpr int kRtuExceptionSize = 5;
// A Modbus TCP gateway says so when no unit answers behind it: nobody is at that ID.
constexpr int kGatewayPathUnavailable = 0x0A;
constexpr int kGatewayTargetFailed = 0x0B;

} // namespace

UnitScan::UnitScan(Transport& transport, Clock& clock, QObject* parent)
    : QObject(parent), m_transport(transport), m_timer(clock.createTimer())
{
    m_timer->setCallback([this] { onTimeout(); });
    connect(&m_transport, &Transport::bytesReceived, this, &UnitScan::onBytes);
    connect(&m_transport, &Transport::connected, this, &UnitScan::onConnected);
    connect(&m_transport, &Transport::errorOccurred, this, [this](const QString& message) {
        if (m_running && m_connecting) {
            m_connecting = false;
            skipEndpoint(QStringLiteral("%1: %2").arg(m_openEndpoint, message));
            nextTry();
        }
    });
    connect(&m_transport, &Transport::disconnected, this, [this] {
        if (m_running && m_plan.tcp && !m_connecting && !m_openEndpoint.isEmpty()) {
            skipEndpoint(QStringLiteral("%1 closed the connection").arg(m_openEndpoint));
            nextTry();
        }
    });
}

UnitScan::~UnitScan()
{
    if (m_running)
        closeEndpoint();
}

void UnitScan::start(const ScanPlan& plan)
{
    m_plan = plan;
    m_tries = plan.tries();
    m_index = -1;
    m_found.clear();
    m_portSpeed.clear();
    m_openEndpoint.clear();
    m_openBaud = -1;
    m_running = true;
    nextTry();
}

void UnitScan::cancel()
{
    if (m_running)
        finish(true);
}

void UnitScan::finish(bool cancelled)
{
    m_timer->stop();
    m_running = m_connecting = m_awaitingReply = false;
    closeEndpoint();
    emit finished(cancelled);
}

void UnitScan::nextTry()
{
    while (m_running) {
        ++m_index;
        if (m_index >= m_tries.size()) {
            finish(false);
            return;
        }
        const ScanTry& t = m_tries[m_index];
        const auto speed = m_portSpeed.constFind(t.endpoint);
        if (speed != m_portSpeed.cend() && *speed != t.baud)
            continue;
        emit progress(m_index, int(m_tries.size()), t.text());
        if (t.endpoint == m_openEndpoint && t.baud == m_openBaud) {
            sendTry();
            return;
        }
        if (openEndpoint())
            return;
    }
}

bool UnitScan::openEndpoint()
{
    const ScanTry& t = m_tries[m_index];
    closeEndpoint();
    m_openEndpoint = t.endpoint;
    m_openBaud = t.baud;
    m_transport.setEndpoint(t.endpoint);
    if (t.baud > 0)
        m_transport.setBaudRate(t.baud);
    if (!m_transport.open()) {
        skipEndpoint(QStringLiteral("%1: %2").arg(t.endpoint, m_transport.errorString()));
        return false;
    }
    if (!m_plan.tcp) {
        sendTry();
        return true;
    }
    m_connecting = true;
    m_timer->setInterval(kConnectTimeoutMs);
    m_timer->start();
    return true;
}

void UnitScan::onConnected()
{
    if (!m_running || !m_connecting)
        return;
    m_connecting = false;
    sendTry();
}

void UnitScan::sendTry()
{
    const ScanTry& t = m_tries[m_index];
    m_buffer.clear();
    RequestFrame request;
    if (m_plan.tcp) {
        m_transactionId = m_transactions.next();
        request = frame::TCPReadQuery(m_transactionId, t.slaveId, kFirstRegister, ScanPlan::kRegisterCount, 0);
    } else {
        request = frame::RTUReadQuery(t.slaveId, kFirstRegister, ScanPlan::kRegisterCount);
    }
    m_awaitingReply = true;
    m_timer->setInterval(ScanPlan::timeoutMs(t.baud));
    m_timer->start();
    m_transport.write(request.bytes);
}

void UnitScan::onTimeout()
{
    m_timer->stop();
    if (!m_running)
        return;
    if (m_connecting) {
        m_connecting = false;
        skipEndpoint(QStringLiteral("%1 did not accept the connection").arg(m_openEndpoint));
        nextTry();
        return;
    }
    endTry();
}

void UnitScan::endTry()
{
    m_awaitingReply = false;
    m_timer->stop();
    nextTry();
}

// Leaves out the remaining tries of the current port or address; the caller goes on.
void UnitScan::skipEndpoint(const QString& message)
{
    emit endpointFailed(message);
    m_timer->stop();
    m_awaitingReply = m_connecting = false;
    const QString endpoint = m_tries[m_index].endpoint;
    while (m_index + 1 < m_tries.size() && m_tries[m_index + 1].endpoint == endpoint)
        ++m_index;
    closeEndpoint();
}

void UnitScan::closeEndpoint()
{
    // Cleared first: a socket may report its own closing at once.
    m_openEndpoint.clear();
    m_openBaud = -1;
    m_transport.close();
}

void UnitScan::onBytes(const QByteArray& bytes)
{
    if (!m_running || !m_awaitingReply)
        return;
    m_buffer += bytes;
    if (m_plan.tcp) {
        const int size = tcpFrameSize(m_buffer);
        if (size > 0)
            takeReply(m_buffer.left(size));
        return;
    }
    const bool exception = m_buffer.size() >= 2 && (quint8(m_buffer[1]) & kExceptionFlag);
    const int size = exception ? kRtuExceptionSize : kRtuReplySize;
    if (m_buffer.size() >= size)
        takeReply(m_buffer.left(size));
}

void UnitScan::takeReply(const QByteArray& frame)
{
    const ScanTry& t = m_tries[m_index];
    const ExpectedReply expected{t.slaveId, kReadHoldingRegisters, kFirstRegister - 1, ScanPlan::kRegisterCount,
                                 m_transactionId};
    const CheckedReply reply = m_plan.tcp ? checkTcpReply(frame, expected) : checkRtuReply(frame, expected);
    // Anything else is noise or a late reply to an earlier try: the time-out ends this one.
    if (!reply.ok())
        return;
    if (reply.isException()
        && (reply.exceptionCode == kGatewayPathUnavailable || reply.exceptionCode == kGatewayTargetFailed)) {
        endTry();
        return;
    }
    FoundUnit unit{t, {}, 0, {}};
    if (reply.isException()) {
        unit.note = QStringLiteral("exception %1 (%2)").arg(reply.exceptionCode).arg(exceptionName(reply.exceptionCode));
    } else {
        unit.firmware = DeviceModel::firmwareVersionText(reply.registers[2], reply.registers[3]);
        unit.mapVersion = RegisterMap::mapVersionFromSelector(reply.registers[15]);
    }
    if (!m_plan.tcp)
        m_portSpeed.insert(t.endpoint, t.baud);
    m_found.push_back(unit);
    emit unitFound(unit);
    endTry();
}

} // namespace halvana
