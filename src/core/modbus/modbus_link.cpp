#include "core/modbus/modbus_link.h"

#include "core/app/app_title.h"
#include "core/app/message_sink.h"
#include "core/modbus/polling_control.h"
#include "core/modbus/status_panels.h"
#include "core/time/clock.h"

#include <utility>

namespace halvana {

namespace {

const QString kSent = QStringLiteral("Sent");
const QString kReceived = QStringLiteral("Recd");
const QString kSuccessfulWrite = QStringLiteral("Successful Write ");
const QString kUnsuccessfulWrite = QStringLiteral("Unsuccessful Write");
const QString kOutOfRangeMessage =
    QStringLiteral("Unsuccessful Write: The value could have been out of range for this item.");

QString exceptionText(int code)
{
    return QStringLiteral("exception %1 (%2)").arg(code).arg(exceptionName(code));
}

} // namespace

ModbusLink::ModbusLink(Clock& clock, MessageSink& messages, QObject* parent)
    : QObject(parent),
      m_clock(clock),
      m_messages(messages),
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

void ModbusLink::setRegCount(int count)
{
    m_regCount = qBound(0, count, kRegDataSize);
}

ModbusLink::RequestResult ModbusLink::ReadQuery(qint64 reg, int count)
{
    return isTcp() ? TCPReadQuery(m_slaveId, reg, count) : RTUReadQuery(m_slaveId, reg, count);
}

ModbusLink::RequestResult ModbusLink::WriteQuery(qint64 reg, const QVector<int>& values)
{
    m_state.WritePending = true;
    const int count = int(values.size());
    const RequestResult result = isTcp() ? TCPWriteQuery(m_slaveId, reg, count, values)
                                         : RTUWriteQuery(m_slaveId, reg, count, values);
    // A refused write never started: nothing will report it, so it is not pending.
    if (result == RequestResult::Refused)
        m_state.WritePending = false;
    return result;
}

ModbusLink::RequestResult ModbusLink::RTUReadQuery(int slaveID, qint64 reg, int count)
{
    const RequestResult result = send(frame::RTUReadQuery(slaveID, reg, count), m_serial,
                                      {kReadHoldingRegisters, slaveID, int(reg - 1), count, 0, false});
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
                                      {kWriteMultipleRegisters, slaveID, int(reg - 1), count, 0, false});
    // A write finding the port closed brings the RS-485 line up for the next attempt.
    if (result == RequestResult::NotSent && !isTcp())
        emit startCommRequested();
    return result;
}

ModbusLink::RequestResult ModbusLink::TCPReadQuery(int slaveID, qint64 reg, int count)
{
    const bool offsetApplies = currentPollStep() != 0 || m_state.PanelEnableRequested;
    const int offset = offsetApplies ? m_panelOffset : 0;
    return send(frame::TCPReadQuery(0, slaveID, reg, count, offset), m_tcp,
                {kReadHoldingRegisters, slaveID, int(reg - 1 + offset), count, 0, true});
}

ModbusLink::RequestResult ModbusLink::TCPWriteQuery(int slaveID, qint64 reg, int count,
                                                    const QVector<int>& values)
{
    if (count < 1 || count > values.size())
        return refuseValueCount(count, values);
    return send(frame::TCPWriteQuery(0, slaveID, reg, values.mid(0, count), m_panelOffset), m_tcp,
                {kWriteMultipleRegisters, slaveID, int(reg - 1 + m_panelOffset), count, 0, true});
}

ModbusLink::RequestResult ModbusLink::send(const RequestFrame& built, Transport* transport,
                                           const PendingRequest& request)
{
    if (!built.ok())
        return refuse(built.error);

    QByteArray bytes = built.bytes;
    PendingRequest pending = request;
    if (pending.tcp) {
        // Only a request that goes out takes a transaction number.
        pending.transactionId = m_transactions.next();
        bytes[0] = char(pending.transactionId >> 8);
        bytes[1] = char(pending.transactionId & 0xFF);
    }
    if (pending.function == kReadHoldingRegisters)
        m_regCount = pending.count;

    // A new exchange: nothing of the previous one may be judged with it.
    tmrRTU_Rec_Timeout->stop();
    m_receiveText.clear();
    m_receiveOverflow = false;
    m_tcpBuffer.clear();
    m_lastReceivedHex.clear();
    m_pending = pending;
    m_refusal.clear();

    const bool sent = writeWhenLineFree(transport, bytes);
    m_lastSentHex = hexText(bytes);
    m_trafficLog.setReplyAwaited(true);
    m_trafficLog.UpdateDataSpy(kSent, m_lastSentHex);
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
    const qint64 waitMs = m_lineFreeAtMs - m_clock.nowMs();
    if (transport != m_serial || waitMs <= 0)
        return transport->write(bytes) == bytes.size();
    m_heldFrame = bytes;
    tmrLineFree->setInterval(int(waitMs));
    tmrLineFree->start();
    return true;
}

void ModbusLink::tmrLineFree_Timer()
{
    tmrLineFree->stop();
    const QByteArray frame = std::exchange(m_heldFrame, {});
    if (!frame.isEmpty() && m_serial && m_serial->isOpen())
        m_serial->write(frame);
}

void ModbusLink::abandonRequest()
{
    tmrLineFree->stop();
    m_heldFrame.clear();
    m_pending.reset();
    m_trafficLog.setReplyAwaited(false);
    tmrTimeOut->stop();
    tmrRTU_Rec_Timeout->stop();
    m_receiveText.clear();
    m_receiveOverflow = false;
    m_tcpBuffer.clear();
}

void ModbusLink::enableResponseTimeout()
{
    tmrTimeOut->setEnabled(true);
}

void ModbusLink::stopFrameGapTimer()
{
    tmrRTU_Rec_Timeout->stop();
}

QString ModbusLink::errorText(int errorNumber, const QString& description)
{
    return description + QStringLiteral("\n(Error No. ") + QString::number(errorNumber) + QLatin1Char(')');
}

void ModbusLink::ErrorHandler(int errorNumber, const QString& description)
{
    m_messages.showMessage(MessageSink::Severity::Warning, kAppTitle, errorText(errorNumber, description));
}

void ModbusLink::onSerialBytes(const QByteArray& bytes)
{
    if (m_state.IgnoreReceive) {
        m_receiveText.clear();
        return;
    }
    // Beyond the buffer nothing is kept; the frame is dropped when the line goes quiet.
    const qsizetype room = kRtuBufferSize - m_receiveText.size();
    if (bytes.size() > room)
        m_receiveOverflow = true;
    m_receiveText.append(bytes.left(room));
    tmrRTU_Rec_Timeout->start();
    emit serialReceived();
}

void ModbusLink::tmrRTU_Rec_Timeout_Timer()
{
    if (m_state.CalFinishPending) {
        m_state.CalFinishPending = false;
        tmrRTU_Rec_Timeout->stop();
        resumePolling();
        return;
    }
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
    if (!m_lastSentHex.isEmpty() && m_lastReceivedHex.contains(m_lastSentHex)) {
        emit echoReceived();
        return;
    }
    if (!m_pending) {
        m_trafficLog.note(QStringLiteral("Dropped: %1 bytes with no request outstanding.").arg(frame.size()));
        m_receiveText.clear();
        tmrRTU_Rec_Timeout->stop();
        return;
    }
    if (m_receiveOverflow) {
        reject(QStringLiteral("Reply longer than %1 bytes.").arg(kRtuBufferSize));
        return;
    }
    const CheckedReply reply = checkRtuReply(
        frame, {m_pending->slaveId, m_pending->function, m_pending->address, m_pending->count, 0});
    if (!reply.ok())
        reject(reply.error);
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
    const int size = tcpFrameSize(m_tcpBuffer);
    if (size == 0)
        return;
    const QByteArray received = m_tcpBuffer;
    m_tcpBuffer.clear();
    if (size < 0) {
        logReceived(received);
        if (m_pending)
            reject(QStringLiteral("Reply with an impossible Modbus TCP header."));
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
        emit unusableTcpReply();
        return;
    }
    if (!reply.ok())
        reject(reply.error);
    else
        dispatchReply(reply);
}

void ModbusLink::logReceived(const QByteArray& bytes)
{
    m_lastReceivedHex = hexText(bytes);
    m_trafficLog.UpdateDataSpy(kReceived, m_lastReceivedHex);
}

void ModbusLink::reject(const QString& reason)
{
    m_trafficLog.note(QStringLiteral("Dropped: ") + reason);
    emit statusText(panel::CommMsg, QStringLiteral("Reply dropped: ") + reason);
    emit replyRejected(reason);
    if (m_pending && m_pending->function == kWriteMultipleRegisters)
        failPendingWrite(QStringLiteral("the reply was unusable (") + reason + QLatin1Char(')'));
    finishReply();
}

void ModbusLink::dispatchReply(const CheckedReply& reply)
{
    const int fc = reply.function;
    // The panel-enable request lasts until a TCP write is acknowledged.
    if (fc == kWriteMultipleRegisters && m_pending->tcp)
        m_state.PanelEnableRequested = false;
    if (reply.isException()) {
        m_trafficLog.note(
            QStringLiteral("Exception %1: %2").arg(reply.exceptionCode).arg(exceptionName(reply.exceptionCode)));
    }
    if (dispatchWriteFlags(fc == kWriteMultipleRegisters)) {
        finishReply();
        return;
    }
    if (fc == kWriteMultipleRegisters && m_state.WritePending) {
        emit statusText(panel::PollingStatus, kSuccessfulWrite);
        emit writeFinished(true, kSuccessfulWrite);
        finishReply();
        return;
    }
    const int writeException = kWriteMultipleRegisters | kExceptionFlag;
    if (fc == writeException && m_state.WritePending) {
        emit beep();
        emit statusText(panel::PollingStatus, kUnsuccessfulWrite);
        emit statusText(panel::CommMsg,
                        QStringLiteral("The unit refused the write: ") + exceptionText(reply.exceptionCode));
        m_messages.showMessage(MessageSink::Severity::Warning, kAppTitle, kOutOfRangeMessage);
        emit writeFinished(false, kOutOfRangeMessage);
        finishReply();
        return;
    }
    if (fc == (kReadHoldingRegisters | kExceptionFlag)) {
        // The unit has no values for this block: nothing goes into RegData, the cycle moves on.
        emit statusText(panel::CommMsg, QStringLiteral("Read of %1 registers at %2 answered with %3")
                                            .arg(m_pending->count)
                                            .arg(m_pending->address + 1)
                                            .arg(exceptionText(reply.exceptionCode)));
        emit readException(reply.exceptionCode);
        finishReply();
        return;
    }
    if (fc != kReadHoldingRegisters) {
        if (fc != kWriteMultipleRegisters && currentPollStep() != 0)
            emit activity();
        finishReply();
        return;
    }

    for (int i = 0; i < reply.registers.size(); ++i)
        m_regData[size_t(i)] = reply.registers[i];
    if (m_state.ReadBackPending || m_state.CalStatusWaitRequested) {
        m_state.ReadBackPending = false;
        m_state.CalStatusWaitRequested = false;
        showCalibrationStatus();
        // The next frame-gap tick resumes polling from the start of the cycle.
        m_state.CalFinishPending = true;
        if (m_polling)
            m_polling->resetPollStep();
        m_pending.reset();
        m_trafficLog.setReplyAwaited(false);
        tmrTimeOut->stop();
        tmrRTU_Rec_Timeout->start();
        emit exchangeEnded();
        return;
    }
    emit readReplyReady();
    finishReply();
}

bool ModbusLink::dispatchWriteFlags(bool acknowledged)
{
    LinkState& s = m_state;
    if (s.GlobalWriteStep == 1 || s.GlobalWriteStep == 3) {
        const int step = s.GlobalWriteStep == 1 ? 1 : 2;
        s.GlobalWriteStep = acknowledged && step == 1 ? 2 : 0;
        if (!acknowledged) {
            emit beep();
            m_messages.showMessage(MessageSink::Severity::Warning, kAppTitle,
                                   QStringLiteral("The global write was unsuccessful.  (Step %1)").arg(step));
        }
        return true;
    }
    const QString failed1 = QStringLiteral("Failed 1");
    if (s.CalValueWriteSent) {
        s.CalValueWriteSent = false;
        if (acknowledged)
            s.FollowUpWritePending = true;
        else
            emit calibrationResponse({failed1, true, CalibrationResponse::Verdict::None});
        return true;
    }
    if (s.FollowUpWritePending) {
        s.FollowUpWritePending = false;
        s.ReadBackPending = acknowledged;
        emit calibrationResponse({acknowledged ? QString() : QStringLiteral("Failed 2"), true,
                                  CalibrationResponse::Verdict::None});
        return true;
    }
    if (s.CalCommandSent) {
        s.CalCommandSent = false;
        if (acknowledged)
            s.CalStatusWaitRequested = true;
        else
            emit calibrationResponse({failed1, true, CalibrationResponse::Verdict::None});
        return true;
    }
    return false;
}

void ModbusLink::failPendingWrite(const QString& reason)
{
    if (dispatchWriteFlags(false) || !m_state.WritePending)
        return;
    emit statusText(panel::PollingStatus, kUnsuccessfulWrite);
    emit statusText(panel::CommMsg, QStringLiteral("Write failed: ") + reason);
    emit writeFinished(false, kUnsuccessfulWrite + QStringLiteral(": ") + reason + QLatin1Char('.'));
}

void ModbusLink::showCalibrationStatus()
{
    const quint16 status = m_regData[0];
    CalibrationResponse response;
    switch (status) {
    case 0x8002:
        response.text = QStringLiteral("In Progress");
        m_state.CalStatusWaiting = true;
        break;
    case 0x8008:
        response.text = QStringLiteral("Fail");
        response.verdict = CalibrationResponse::Verdict::Fail;
        break;
    case 0x8010:
        response.text = QStringLiteral("Success");
        response.verdict = CalibrationResponse::Verdict::Success;
        m_state.CalStatusWaiting = false;
        break;
    default:
        response.text = QString::number(status, 16).toUpper();
        break;
    }
    emit calibrationResponse(response);
}

void ModbusLink::finishReply()
{
    m_pending.reset();
    m_trafficLog.setReplyAwaited(false);
    tmrTimeOut->stop();
    m_lastSentHex.clear();
    m_receiveText.clear();
    m_receiveOverflow = false;
    m_tcpBuffer.clear();
    tmrRTU_Rec_Timeout->stop();
    clearWritePending();
    resumePolling();
    emit exchangeEnded();
}

// The write is over either way: polling, suspended for it, may run again.
void ModbusLink::clearWritePending()
{
    if (!m_state.WritePending)
        return;
    m_state.WritePending = false;
    if (m_polling)
        m_polling->setPollingDisabled(false);
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
    const bool writeOutstanding = m_pending && m_pending->function == kWriteMultipleRegisters;
    const QString noReply = QStringLiteral("no reply within %1 ms").arg(kResponseTimeoutMs);
    if (m_pending) {
        m_trafficLog.note(QStringLiteral("No reply within %1 ms.").arg(kResponseTimeoutMs));
        emit statusText(panel::CommMsg, QStringLiteral("No reply from slave %1 within %2 ms")
                                            .arg(m_pending->slaveId)
                                            .arg(kResponseTimeoutMs));
    }
    if (writeOutstanding) {
        failPendingWrite(noReply);
        clearWritePending();
    }
    const bool exchangeOpen = m_pending.has_value();
    abandonRequest();
    emit responseTimedOut();
    resumePolling();
    if (!isTcp()) {
        emit startCommRequested();
        if (m_serial && m_serial->isOpen() && m_serial->write(kWakeUpText) == kWakeUpText.size()
            && m_serial->baudRate() > 0) {
            // Ten bit times a character, and the 3.5 characters of silence that end a frame.
            const qint64 bits = (kWakeUpText.size() * 10 + 35) * 1000;
            m_lineFreeAtMs = m_clock.nowMs() + (bits + m_serial->baudRate() - 1) / m_serial->baudRate();
        }
    } else if (!m_tcp || !m_tcp->isOpen()) {
        // The unit closed the connection (a reboot, a network fault): connect again.
        emit startCommRequested();
    }
    if (exchangeOpen)
        emit exchangeEnded();
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
