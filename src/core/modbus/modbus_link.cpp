#include "core/modbus/modbus_link.h"

#include "core/modbus/polling_control.h"
#include "core/modbus/status_panels.h"
#include "core/time/clock.h"

#include <algorithm>
#include <utility>

namespace halvana {

namespace {

const QString kSent = QStringLiteral("Sent");
const QString kReceived = QStringLiteral("Recd");
// The last register of the system information block (registers 1..63).
constexpr int kLastSystemRegister = 63;

QString exceptionText(int code)
{
    return QStringLiteral("exception %1 (%2)").arg(code).arg(exceptionName(code));
}

} // namespace

ModbusLink::ModbusLink(Clock& clock, QObject* parent)
    : QObject(parent),
      m_clock(clock),
      tmrRTU_Rec_Timeout(clock.createTimer(kFrameGapMs)),
      tmrTimeOut(clock.createTimer(kResponseTimeoutMs)),
      tmrLineFree(clock.createTimer())
{
    tmrRTU_Rec_Timeout->setCallback([this] { tmrRTU_Rec_Timeout_Timer(); });
    tmrTimeOut->setCallback([this] { tmrTimeOut_Timer(); });
    tmrLineFree->setCallback([this] { tmrLineFree_Timer(); });
}

ModbusLink::~ModbusLink() = default;

void ModbusLink::setTransports(Transport* serial, Transport* tcp)
{
    for (Transport* old : {m_serial.data(), m_tcp.data()}) {
        if (old)
            disconnect(old, nullptr, this, nullptr);
    }
    m_serial = serial;
    m_tcp = tcp;
    if (serial) {
        connect(serial, &Transport::bytesReceived, this, &ModbusLink::onSerialBytes);
        connect(serial, &Transport::errorOccurred, this, &ModbusLink::transportError);
    }
    if (tcp) {
        connect(tcp, &Transport::bytesReceived, this, &ModbusLink::onTcpBytes);
        connect(tcp, &Transport::connected, this, &ModbusLink::socketConnected);
        connect(tcp, &Transport::disconnected, this, &ModbusLink::socketClosed);
        connect(tcp, &Transport::errorOccurred, this, &ModbusLink::transportError);
    }
}

ModbusLink::RequestResult ModbusLink::ReadQuery(qint64 reg, int count)
{
    return isTcp() ? TCPReadQuery(m_slaveId, reg, count) : RTUReadQuery(m_slaveId, reg, count);
}

ModbusLink::RequestResult ModbusLink::WriteQuery(qint64 reg, const QVector<int>& values)
{
    const int count = int(values.size());
    return isTcp() ? TCPWriteQuery(m_slaveId, reg, count, values) : RTUWriteQuery(m_slaveId, reg, count, values);
}

ModbusLink::RequestResult ModbusLink::RTUReadQuery(int slaveID, qint64 reg, int count)
{
    const RequestResult result = send(frame::RTUReadQuery(slaveID, reg, count), m_serial,
                                      {0, kReadHoldingRegisters, slaveID, int(reg - 1), count, 0, false});
    if (result != RequestResult::Refused)
        emit rtuReadSent();
    return result;
}

ModbusLink::RequestResult ModbusLink::RTUWriteQuery(int slaveID, qint64 reg, int count,
                                                    const QVector<int>& values)
{
    if (count < 1 || count > values.size())
        return refuseValueCount(count, values);
    const RequestResult result = send(frame::RTUWriteQuery(slaveID, reg, values.mid(0, count)), m_serial,
                                      {0, kWriteMultipleRegisters, slaveID, int(reg - 1), count, 0, false});
    // A write finding the port closed brings the RS-485 line up for the next attempt.
    if (result == RequestResult::NotSent && !isTcp())
        emit startCommRequested();
    return result;
}

// TCP reads take the panel offset off step 0, or on it while the panel views ask for it.
int ModbusLink::tcpReadOffset() const
{
    return currentPollStep() != 0 || m_state.PanelEnableRequested ? m_panelOffset : 0;
}

QString ModbusLink::readRangeRefusal(qint64 reg, int count) const
{
    return isTcp() ? frame::TCPReadQuery(0, m_slaveId, reg, count, tcpReadOffset()).error
                   : frame::RTUReadQuery(m_slaveId, reg, count).error;
}

ModbusLink::RequestResult ModbusLink::TCPReadQuery(int slaveID, qint64 reg, int count)
{
    const int offset = tcpReadOffset();
    return send(frame::TCPReadQuery(0, slaveID, reg, count, offset), m_tcp,
                {0, kReadHoldingRegisters, slaveID, int(reg - 1 + offset), count, 0, true});
}

ModbusLink::RequestResult ModbusLink::TCPWriteQuery(int slaveID, qint64 reg, int count,
                                                    const QVector<int>& values)
{
    if (count < 1 || count > values.size())
        return refuseValueCount(count, values);
    // A write lands where its register is read from: the system block read at step 0 (the
    // global registers among it) without the panel offset, the meter blocks with it.
    const int offset = reg >= 1 && reg <= kLastSystemRegister ? 0 : m_panelOffset;
    return send(frame::TCPWriteQuery(0, slaveID, reg, values.mid(0, count), offset), m_tcp,
                {0, kWriteMultipleRegisters, slaveID, int(reg - 1 + offset), count, 0, true});
}

ModbusLink::RequestResult ModbusLink::send(const RequestFrame& built, Transport* transport,
                                           const ModbusRequest& request)
{
    // A second request would take the first one's reply for its own, and lose the first.
    if (m_pending) {
        return refuse(QStringLiteral("A request is outstanding (function %1 at address %2).")
                          .arg(m_pending->function)
                          .arg(m_pending->address + 1));
    }
    if (!built.ok())
        return refuse(built.error);

    QByteArray bytes = built.bytes;
    ModbusRequest pending = request;
    pending.id = ++m_lastRequestId;
    pending.pollStep = currentPollStep();
    if (pending.tcp) {
        // Only a request that goes out takes a transaction number.
        pending.transactionId = m_transactions.next();
        bytes[0] = char(pending.transactionId >> 8);
        bytes[1] = char(pending.transactionId & 0xFF);
    }

    // A new exchange: nothing of the previous one may be judged with it.
    tmrRTU_Rec_Timeout->stop();
    m_heldFrame.clear();
    clearReceived();
    m_lastReceivedHex.clear();
    m_pending = pending;
    m_refusal.clear();
    m_lastSentHex = hexText(bytes);
    m_trafficLog.setReplyAwaited(true);
    m_trafficLog.UpdateDataSpy(kSent, m_lastSentHex);
    emit frameLogged(bytes, true, -1);

    const bool sent = writeWhenLineFree(transport, bytes);
    m_pendingWritten = sent && m_heldFrame.isEmpty();
    if (m_pendingWritten)
        m_pending->sentAtUs = m_clock.nowUs();
    // A held request arms its time-out when it leaves.
    if (m_heldFrame.isEmpty())
        tmrTimeOut->start();
    return sent ? RequestResult::Sent : RequestResult::NotSent;
}

ModbusLink::RequestResult ModbusLink::refuse(const QString& reason)
{
    m_refusal = reason;
    return RequestResult::Refused;
}

ModbusLink::RequestResult ModbusLink::refuseValueCount(int count, const QVector<int>& values)
{
    return refuse(QStringLiteral("Cannot write %1 registers from %2 values.").arg(count).arg(values.size()));
}

bool ModbusLink::writeWhenLineFree(Transport* transport, const QByteArray& bytes)
{
    if (!transport || !transport->isOpen())
        return false;
    const qint64 waitMs = lineWaitMs();
    if (transport != m_serial || waitMs <= 0) {
        m_lateReplyGuard = false;
        return transport->write(bytes) == bytes.size();
    }
    m_heldFrame = bytes;
    tmrLineFree->setInterval(int(waitMs));
    tmrLineFree->start();
    return true;
}

void ModbusLink::holdLineFor(int ms)
{
    m_lineFreeAtMs = std::max(m_lineFreeAtMs, m_clock.nowMs() + ms);
}

qint64 ModbusLink::interFrameSilenceUs(qint32 baud)
{
    constexpr qint64 kSilenceBitsTimesUs = 35LL * 11 * 1000000 / 10;
    return baud > 19200 || baud <= 0 ? 1750 : (kSilenceBitsTimesUs + baud - 1) / baud;
}

void ModbusLink::holdLineForSilence()
{
    m_silentUntilUs = m_clock.nowUs() + interFrameSilenceUs(m_serial ? m_serial->baudRate() : 0);
}

qint64 ModbusLink::lineWaitMs() const
{
    const qint64 silenceUs = m_silentUntilUs - m_clock.nowUs();
    return std::max(m_lineFreeAtMs - m_clock.nowMs(), silenceUs > 0 ? (silenceUs + 999) / 1000 : 0);
}

void ModbusLink::tmrLineFree_Timer()
{
    tmrLineFree->stop();
    // Late bytes kept the line busy: wait until it has been quiet for the whole guard.
    const qint64 waitMs = lineWaitMs();
    if (waitMs > 0) {
        tmrLineFree->setInterval(int(waitMs));
        tmrLineFree->start();
        return;
    }
    const QByteArray frame = std::exchange(m_heldFrame, {});
    if (frame.isEmpty())
        return;
    m_lateReplyGuard = false;
    // What came while the request waited answers nothing of it.
    if (m_fastPolling) {
        tmrRTU_Rec_Timeout->stop();
        clearReceived();
    }
    m_pendingWritten = m_serial && m_serial->isOpen() && m_serial->write(frame) == frame.size();
    if (m_pendingWritten && m_pending)
        m_pending->sentAtUs = m_clock.nowUs();
    tmrTimeOut->start();
}

void ModbusLink::abandonRequest()
{
    tmrLineFree->stop();
    m_heldFrame.clear();
    if (m_pending)
        endExchange(ExchangeOutcome::Kind::Abandoned, QStringLiteral("the request was abandoned"));
    clearReceived();
    tmrTimeOut->stop();
    tmrRTU_Rec_Timeout->stop();
}

void ModbusLink::enableResponseTimeout()
{
    tmrTimeOut->setEnabled(true);
}

void ModbusLink::stopFrameGapTimer()
{
    tmrRTU_Rec_Timeout->stop();
}

void ModbusLink::clearReceived()
{
    m_receiveText.clear();
    m_receiveOverflow = false;
    m_tcpBuffer.clear();
}

void ModbusLink::onSerialBytes(const QByteArray& bytes)
{
    if (m_state.IgnoreReceive) {
        m_receiveText.clear();
        return;
    }
    if (m_lateReplyGuard)
        holdLineFor(kLateReplyGuardMs);
    if (m_fastPolling) {
        holdLineForSilence();
        // After a reply was complete and before the next request left: these bytes answer
        // nothing, and must not begin the next reply.
        if (!m_pendingWritten && !m_lateReplyGuard) {
            m_trafficLog.note(QStringLiteral("Dropped: %1 bytes with no request on the line.").arg(bytes.size()));
            return;
        }
    }
    // Beyond the buffer nothing is kept; the frame is dropped when the line goes quiet.
    const qsizetype room = kRtuBufferSize - m_receiveText.size();
    if (bytes.size() > room)
        m_receiveOverflow = true;
    m_receiveText.append(bytes.left(room));
    m_lastByteAtUs = m_clock.nowUs();
    tmrRTU_Rec_Timeout->start();
    emit serialReceived();
    if (m_fastPolling)
        completeFastRtuReply();
}

// A reply with just the bytes its request calls for, whose CRC and checks hold, ends the
// exchange at once, however its bytes were spaced. Anything else waits for the frame gap and
// is judged there as without fast polling.
void ModbusLink::completeFastRtuReply()
{
    if (!m_pending || !m_pendingWritten || m_receiveOverflow)
        return;
    const ExpectedReply expected{m_pending->slaveId, m_pending->function, m_pending->address, m_pending->count, 0};
    if (rtuReplySize(m_receiveText, expected) != m_receiveText.size())
        return;
    const CheckedReply reply = checkRtuReply(m_receiveText, expected);
    if (!reply.ok())
        return;
    tmrRTU_Rec_Timeout->stop();
    logReceived(m_receiveText);
    dispatchReply(reply);
}

void ModbusLink::tmrRTU_Rec_Timeout_Timer()
{
    if (m_state.IgnoreReceive)
        return;
    if (m_receiveText.isEmpty()) {
        tmrRTU_Rec_Timeout->stop();
        return;
    }

    const QByteArray frame = m_receiveText;
    logReceived(frame);
    // Our own request on the line: the adapter echoes. The timer keeps running, so this
    // repeats until the response time-out reopens the port.
    if (m_pendingWritten && m_lastReceivedHex.contains(m_lastSentHex)) {
        emit echoReceived();
        return;
    }
    if (!m_pendingWritten) {
        // Nothing of ours is on the line: a frame now answers an earlier request, if any.
        if (m_lateReplyGuard)
            emit lateReplyDropped();
        m_trafficLog.note(m_lateReplyGuard
                              ? QStringLiteral("Late: %1 bytes after the response time-out, dropped.").arg(frame.size())
                              : QStringLiteral("Dropped: %1 bytes with no request outstanding.").arg(frame.size()));
        clearReceived();
        tmrRTU_Rec_Timeout->stop();
        return;
    }
    if (m_receiveOverflow) {
        reject(RejectCause::WrongLength, QStringLiteral("Reply longer than %1 bytes.").arg(kRtuBufferSize));
        return;
    }
    const CheckedReply reply = checkRtuReply(
        frame, {m_pending->slaveId, m_pending->function, m_pending->address, m_pending->count, 0});
    if (!reply.ok())
        reject(reply.cause, reply.error);
    else
        dispatchReply(reply);
}

void ModbusLink::onTcpBytes(const QByteArray& bytes)
{
    if (m_state.IgnoreReceive) {
        m_tcpBuffer.clear();
        return;
    }
    m_tcpBuffer.append(bytes);
    m_lastByteAtUs = m_clock.nowUs();
    const int size = tcpFrameSize(m_tcpBuffer);
    if (size == 0)
        return;
    const QByteArray received = m_tcpBuffer;
    m_tcpBuffer.clear();
    if (size < 0) {
        logReceived(received);
        if (m_pending)
            reject(RejectCause::Header, QStringLiteral("Reply with an impossible Modbus TCP header."));
        return;
    }
    const QByteArray frame = received.left(size);
    logReceived(frame);
    if (received.size() > size)
        m_trafficLog.note(QStringLiteral("Dropped: %1 bytes after the reply.").arg(received.size() - size));
    handleTcpFrame(frame);
}

void ModbusLink::handleTcpFrame(const QByteArray& frame)
{
    if (!m_pending) {
        m_trafficLog.note(QStringLiteral("Dropped: a reply with no request outstanding."));
        return;
    }
    const CheckedReply reply = checkTcpReply(frame, {m_pending->slaveId, m_pending->function, m_pending->address,
                                                     m_pending->count, m_pending->transactionId});
    if (reply.foreignTransaction) {
        // A late reply to an earlier request; polling resumes shortly (tmrTCP_Startup).
        m_trafficLog.note(QStringLiteral("Dropped: ") + reply.error);
        emit lateReplyDropped();
        emit unusableTcpReply();
        return;
    }
    if (!reply.ok())
        reject(reply.cause, reply.error);
    else
        dispatchReply(reply);
}

void ModbusLink::logReceived(const QByteArray& bytes)
{
    m_lastReceivedHex = hexText(bytes);
    m_trafficLog.UpdateDataSpy(kReceived, m_lastReceivedHex);
    emit frameLogged(bytes, false, roundTripUs());
}

qint64 ModbusLink::roundTripUs() const
{
    return m_pending && m_pending->sentAtUs >= 0 ? m_lastByteAtUs - m_pending->sentAtUs : -1;
}

void ModbusLink::reject(RejectCause cause, const QString& reason)
{
    m_trafficLog.note(QStringLiteral("Dropped: ") + reason);
    emit statusText(panel::CommMsg, QStringLiteral("Reply dropped: ") + reason);
    resumePolling();
    endExchange(ExchangeOutcome::Kind::Rejected, reason, nullptr, cause);
}

void ModbusLink::dispatchReply(const CheckedReply& reply)
{
    const bool write = m_pending->function == kWriteMultipleRegisters;
    // The panel-enable request lasts until a TCP write is acknowledged.
    if (write && m_pending->tcp && !reply.isException())
        m_state.PanelEnableRequested = false;
    resumePolling();
    if (reply.isException()) {
        const QString text = exceptionText(reply.exceptionCode);
        m_trafficLog.note(
            QStringLiteral("Exception %1: %2").arg(reply.exceptionCode).arg(exceptionName(reply.exceptionCode)));
        emit statusText(panel::CommMsg, write ? QStringLiteral("The unit refused the write: ") + text
                                              : QStringLiteral("Read of %1 registers at %2 answered with %3")
                                                    .arg(m_pending->count)
                                                    .arg(m_pending->address + 1)
                                                    .arg(text));
        endExchange(ExchangeOutcome::Kind::Exception, text, &reply);
        return;
    }
    if (write) {
        endExchange(ExchangeOutcome::Kind::Acknowledged, QString(), &reply);
        return;
    }
    m_regData = reply.registers;
    endExchange(ExchangeOutcome::Kind::Registers, QString(), &reply);
}

void ModbusLink::endExchange(ExchangeOutcome::Kind kind, const QString& reason, const CheckedReply* reply,
                             RejectCause cause)
{
    ExchangeOutcome outcome;
    outcome.request = *m_pending;
    outcome.kind = kind;
    outcome.reason = reason;
    outcome.rejectCause = cause;
    if (reply) {
        outcome.roundTripUs = roundTripUs();
        outcome.exceptionCode = reply->exceptionCode;
        if (kind == ExchangeOutcome::Kind::Registers)
            outcome.registers = reply->registers;
    }
    m_pending.reset();
    m_pendingWritten = false;
    m_trafficLog.setReplyAwaited(false);
    tmrTimeOut->stop();
    m_lastSentHex.clear();
    clearReceived();
    tmrRTU_Rec_Timeout->stop();
    emit exchangeEnded(outcome);
    if (m_polling && (reply || kind == ExchangeOutcome::Kind::Rejected))
        m_polling->exchangeAnswered();
}

void ModbusLink::tmrTimeOut_Timer()
{
    if (m_state.IgnoreReceive) {
        m_receiveText.clear();
        return;
    }
    if (m_state.UpgradeState == LinkState::kUpgradeRunning) {
        tmrTimeOut->stop();
        return;
    }
    tmrTimeOut->stop();
    tmrRTU_Rec_Timeout->stop();
    clearReceived();
    // Anything the unit still sends to the abandoned request is late, never the next reply.
    if (!isTcp()) {
        m_lateReplyGuard = true;
        holdLineFor(kLateReplyGuardMs);
    }
    resumePolling();
    if (m_pending) {
        const bool written = m_pendingWritten;
        const QString reason = written ? QStringLiteral("no reply within %1 ms").arg(kResponseTimeoutMs)
                                       : QStringLiteral("the request could not be sent, the line is closed");
        m_trafficLog.note(QStringLiteral("No reply within %1 ms.").arg(kResponseTimeoutMs));
        emit statusText(panel::CommMsg, QStringLiteral("No reply from slave %1 within %2 ms")
                                            .arg(m_pending->slaveId)
                                            .arg(kResponseTimeoutMs));
        endExchange(written ? ExchangeOutcome::Kind::TimedOut : ExchangeOutcome::Kind::NotSent, reason);
    }
    if (!isTcp()) {
        emit startCommRequested();
        if (m_serial && m_serial->isOpen() && m_serial->write(kWakeUpText) == kWakeUpText.size()
            && m_serial->baudRate() > 0) {
            // Ten bit times a character, and the 3.5 characters of silence that end a frame.
            const qint64 bits = (kWakeUpText.size() * 10 + 35) * 1000;
            holdLineFor(int((bits + m_serial->baudRate() - 1) / m_serial->baudRate()));
        }
    } else if (!m_tcp || !m_tcp->isOpen()) {
        // The unit closed the connection (a reboot, a network fault): connect again.
        emit startCommRequested();
    }
}

void ModbusLink::resumePolling()
{
    if (m_polling)
        m_polling->setMainTimerEnabled(true);
}

int ModbusLink::currentPollStep() const
{
    return m_polling ? m_polling->PollStep() : 0;
}

} // namespace halvana
