#include "core/calibration/calibration_sequence.h"

#include "core/modbus/modbus_link.h"
#include "core/modbus/polling_control.h"
#include "core/time/clock.h"

namespace halvana {

namespace {
const QString kFailed1 = QStringLiteral("Failed 1");
const QString kFailed2 = QStringLiteral("Failed 2");
} // namespace

CalibrationResponse CalibrationResponse::ofStatus(quint16 status)
{
    switch (status) {
    case CalibrationSequence::kStatusInProgress:
        return {QStringLiteral("In Progress"), false, Verdict::None};
    case CalibrationSequence::kStatusFailed:
        return {QStringLiteral("Fail"), false, Verdict::Fail};
    case CalibrationSequence::kStatusSucceeded:
        return {QStringLiteral("Success"), false, Verdict::Success};
    default:
        return {QString::number(status, 16).toUpper(), false, Verdict::None};
    }
}

CalibrationSequence::CalibrationSequence(ModbusLink& link, PollingControl& polling, Clock& clock, QObject* parent)
    : QObject(parent), m_link(link), m_polling(polling), m_readBackDelay(clock.createTimer(kReadBackDelayMs))
{
    m_readBackDelay->setCallback([this] {
        m_readBackDelay->stop();
        m_readBackDue = true;
    });
    connect(&m_link, &ModbusLink::exchangeEnded, this, &CalibrationSequence::onExchangeEnded);
}

CalibrationSequence::~CalibrationSequence() = default;

void CalibrationSequence::requestCommand(int reg, const QVector<int>& commandValues)
{
    m_writeRegister = reg;
    m_calCommandValues = commandValues;
    CalCommandPending = true;
}

void CalibrationSequence::requestValueWrite(int reg, int value, int commandWord)
{
    m_writeRegister = reg;
    m_calValue = value;
    m_commandWord = commandWord;
    CalValueWritePending = true;
}

bool CalibrationSequence::busy() const
{
    return CalCommandPending || CalValueWritePending || CalCommandSent || CalValueWriteSent || FollowUpWritePending
        || ReadBackPending || CalStatusWaitRequested;
}

TickClient::Turn CalibrationSequence::takeTick()
{
    if (CalCommandPending) {
        CalCommandPending = false;
        return send(true, m_writeRegister, m_calCommandValues, CalCommandSent);
    }
    if (CalValueWritePending) {
        CalValueWritePending = false;
        return send(true, m_writeRegister, {m_calValue}, CalValueWriteSent);
    }
    if (FollowUpWritePending && !m_followUpSent)
        return send(true, m_writeRegister - 1, {m_commandWord}, m_followUpSent);
    if (ReadBackPending && !m_readBackSent) {
        if (!m_readBackDue) {
            if (!m_readBackDelay->isActive())
                m_readBackDelay->start();
            return Turn::Pass;
        }
        return send(false, m_writeRegister, {}, m_readBackSent);
    }
    if (CalStatusWaitRequested) {
        // The status then comes with the system information the cycle reads.
        CalStatusWaitRequested = false;
        m_calStatusWaiting = true;
        return Turn::Used;
    }
    return Turn::Pass;
}

CalibrationSequence::Turn CalibrationSequence::send(bool write, int reg, const QVector<int>& values, bool& sentFlag)
{
    const ModbusLink::RequestResult result = write ? m_link.WriteQuery(reg, values) : m_link.ReadQuery(reg, 1);
    if (result == ModbusLink::RequestResult::Refused) {
        FollowUpWritePending = ReadBackPending = false;
        emit calibrationResponse({kFailed1, true, CalibrationResponse::Verdict::None});
        return Turn::Used;
    }
    sentFlag = true;
    m_sentRequest = m_link.lastRequestId();
    return Turn::Sent;
}

void CalibrationSequence::onExchangeEnded(const ExchangeOutcome& outcome)
{
    if (m_sentRequest == 0 || outcome.request.id != m_sentRequest)
        return;
    m_sentRequest = 0;
    const bool acknowledged = outcome.kind == ExchangeOutcome::Kind::Acknowledged;
    if (CalValueWriteSent) {
        CalValueWriteSent = false;
        FollowUpWritePending = acknowledged;
        if (!acknowledged)
            emit calibrationResponse({kFailed1, true, CalibrationResponse::Verdict::None});
    } else if (m_followUpSent) {
        m_followUpSent = FollowUpWritePending = false;
        ReadBackPending = acknowledged;
        m_readBackDue = false;
        emit calibrationResponse({acknowledged ? QString() : kFailed2, true, CalibrationResponse::Verdict::None});
    } else if (CalCommandSent) {
        CalCommandSent = false;
        CalStatusWaitRequested = acknowledged;
        if (!acknowledged)
            emit calibrationResponse({kFailed1, true, CalibrationResponse::Verdict::None});
    } else if (m_readBackSent) {
        m_readBackSent = ReadBackPending = false;
        if (outcome.kind == ExchangeOutcome::Kind::Registers && !outcome.registers.empty()) {
            const quint16 status = outcome.registers.front();
            if (status == kStatusInProgress)
                m_calStatusWaiting = true;
            else if (status == kStatusSucceeded)
                m_calStatusWaiting = false;
            emit calibrationResponse(CalibrationResponse::ofStatus(status));
        }
        // Polling starts the cycle over once the calibration is done.
        m_polling.resetPollStep();
    }
}

} // namespace halvana
