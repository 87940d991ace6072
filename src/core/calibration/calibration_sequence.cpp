#include "core/calibration/calibration_sequence.h"

#include "core/modbus/modbus_link.h"
#include "core/modbus/polling_control.h"
#include "core/time/clock.h"

namespace halvana {

CalibrationResponse CalibrationResponse::ofStatus(quint16 status)
{
    switch (status) {
    case CalibrationSequence::kStatusFailed:
        return {QStringLiteral("Fail"), Verdict::Fail};
    case CalibrationSequence::kStatusSucceeded:
        return {QStringLiteral("Success"), Verdict::Success};
    default:
        return {CalibrationSequence::kInProgress, Verdict::None};
    }
}

CalibrationSequence::CalibrationSequence(ModbusLink& link, PollingControl& polling, Clock& clock, QObject* parent)
    : QObject(parent),
      m_link(link),
      m_polling(polling),
      m_readBackDelay(clock.createTimer(kReadBackDelayMs)),
      tmrWaitForCalStatus(clock.createTimer(kWaitForCalStatusMs)),
      m_systemInfoRepeat(clock.createTimer(kStatusRepeatMs))
{
    m_readBackDelay->setCallback([this] {
        m_readBackDelay->stop();
        m_readBackDue = true;
        // tmrMain may have stopped meanwhile (polling off, nothing else to do).
        m_polling.setMainTimerEnabled(true);
    });
    tmrWaitForCalStatus->setCallback([this] {
        tmrWaitForCalStatus->stop();
        // A read-back still on its way comes too late to count.
        m_sentRequest = 0;
        finish({kNoResult});
    });
    m_systemInfoRepeat->setCallback([this] { m_polling.resetPollStep(); });
    connect(&m_link, &ModbusLink::exchangeEnded, this, &CalibrationSequence::onExchangeEnded);
}

CalibrationSequence::~CalibrationSequence() = default;

bool CalibrationSequence::start(const CalibrationRequest& request)
{
    if (running())
        return false;
    m_request = request;
    m_last = {};
    m_step = request.systemLevel ? Step::CalCommandPending : Step::CalValueWritePending;
    if (request.systemLevel)
        respond({kInProgress});
    m_polling.setMainTimerEnabled(true);
    return true;
}

void CalibrationSequence::cancel()
{
    if (running())
        end();
}

bool CalibrationSequence::dueWhilePollingDisabled() const
{
    switch (m_step) {
    case Step::CalCommandPending:
    case Step::CalValueWritePending:
    case Step::FollowUpWritePending:
    case Step::ResponseReadPending:
        return true;
    case Step::ReadBackPending:
        return m_readBackDue;
    default:
        return false;
    }
}

TickClient::Turn CalibrationSequence::takeTick()
{
    const int reg = m_request.WriteRegister;
    switch (m_step) {
    case Step::CalCommandPending:
        return send(true, reg, {m_request.commandWord, m_request.selectionWord, m_request.reading}, Step::CalCommandSent,
                    kFailed1);
    case Step::CalValueWritePending:
        return send(true, reg, {m_request.reading}, Step::CalValueWriteSent, kFailed1);
    case Step::FollowUpWritePending:
        return send(true, reg - 1, {m_request.commandWord}, Step::FollowUpWriteSent, kFailed2);
    case Step::ReadBackPending:
        return m_readBackDue ? send(false, reg, {}, Step::ReadBackSent, kNoResult) : Turn::Pass;
    case Step::ResponseReadPending:
        return send(false, reg + 2, {}, Step::ResponseReadSent, QString());
    default:
        return Turn::Pass;
    }
}

// `failure` is the text a refusal ends the calibration with; empty keeps the settled result.
CalibrationSequence::Turn CalibrationSequence::send(bool write, int reg, const QVector<int>& values, Step sent,
                                                    const QString& failure)
{
    const ModbusLink::RequestResult result = write ? m_link.WriteQuery(reg, values) : m_link.ReadQuery(reg, 1);
    if (result == ModbusLink::RequestResult::Refused) {
        finish(failure.isEmpty() ? m_last : CalibrationResponse{failure});
        return Turn::Used;
    }
    m_step = sent;
    m_sentRequest = m_link.lastRequestId();
    return Turn::Sent;
}

void CalibrationSequence::onExchangeEnded(const ExchangeOutcome& outcome)
{
    if (m_sentRequest == 0 || outcome.request.id != m_sentRequest)
        return;
    m_sentRequest = 0;
    const bool acknowledged = outcome.kind == ExchangeOutcome::Kind::Acknowledged;
    switch (m_step) {
    case Step::CalCommandSent:
        acknowledged ? startStatusWait() : finish({kFailed1});
        break;
    case Step::CalValueWriteSent:
        if (acknowledged)
            m_step = Step::FollowUpWritePending;
        else
            finish({kFailed1});
        break;
    case Step::FollowUpWriteSent:
        if (!acknowledged) {
            finish({kFailed2});
            break;
        }
        tmrWaitForCalStatus->start();
        m_step = Step::ReadBackPending;
        m_readBackDue = false;
        m_readBackDelay->setInterval(kReadBackDelayMs);
        m_readBackDelay->start();
        break;
    case Step::ReadBackSent:
        onReadBack(outcome);
        break;
    case Step::ResponseReadSent: {
        CalibrationResponse response = m_last;
        if (outcome.kind == ExchangeOutcome::Kind::Registers && !outcome.registers.empty())
            response.responseValue = outcome.registers.front();
        finish(response);
        break;
    }
    default:
        break;
    }
}

void CalibrationSequence::onReadBack(const ExchangeOutcome& outcome)
{
    if (outcome.kind != ExchangeOutcome::Kind::Registers || outcome.registers.empty()) {
        finish({kNoResult});
        return;
    }
    const CalibrationResponse response = CalibrationResponse::ofStatus(outcome.registers.front());
    respond(response);
    if (response.verdict == CalibrationResponse::Verdict::None) {
        m_step = Step::ReadBackPending;
        m_readBackDue = false;
        m_readBackDelay->setInterval(kStatusRepeatMs);
        m_readBackDelay->start();
        return;
    }
    tmrWaitForCalStatus->stop();
    m_step = Step::ResponseReadPending;
}

// The verdict comes with the system information the cycle reads: from now on, soon.
void CalibrationSequence::startStatusWait()
{
    m_step = Step::CalStatusWaiting;
    tmrWaitForCalStatus->start();
    m_systemInfoRepeat->start();
    m_polling.resetPollStep();
}

void CalibrationSequence::systemStatusRead(quint16 status)
{
    const CalibrationResponse response = CalibrationResponse::ofStatus(status);
    if (m_step == Step::CalStatusWaiting && response.verdict != CalibrationResponse::Verdict::None)
        finish(response);
}

// A repeated "In Progress" is told once.
void CalibrationSequence::respond(CalibrationResponse response)
{
    if (!response.finished && !response.responseValue && response.text == m_last.text
        && response.verdict == m_last.verdict)
        return;
    m_last = response;
    emit calibrationResponse(response);
}

void CalibrationSequence::finish(CalibrationResponse response)
{
    end();
    response.finished = true;
    respond(response);
}

void CalibrationSequence::end()
{
    m_step = Step::Idle;
    m_sentRequest = 0;
    m_readBackDelay->stop();
    tmrWaitForCalStatus->stop();
    m_systemInfoRepeat->stop();
    // The cycle starts over once the calibration is done.
    m_polling.resetPollStep();
}

} // namespace halvana
