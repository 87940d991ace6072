#include "core/device/setting_writes.h"

#include "core/app/app_title.h"
#include "core/app/message_sink.h"
#include "core/modbus/modbus_link.h"
#include "core/modbus/polling_control.h"
#include "core/modbus/status_panels.h"

namespace halvana {

WriteResult WriteResult::of(const ExchangeOutcome& outcome)
{
    switch (outcome.kind) {
    case ExchangeOutcome::Kind::Acknowledged:
        return {true, SettingWrites::kSuccessfulWrite};
    case ExchangeOutcome::Kind::Exception:
        return {false, SettingWrites::kOutOfRangeMessage};
    default: {
        const QString reason = outcome.reason.endsWith(QLatin1Char('.')) ? outcome.reason : outcome.reason + QLatin1Char('.');
        return {false, SettingWrites::kUnsuccessfulWrite + QStringLiteral(": ") + reason};
    }
    }
}

SettingWrites::SettingWrites(ModbusLink& link, PollingControl& polling, MessageSink& messages, QObject* parent)
    : QObject(parent), m_link(link), m_polling(polling), m_messages(messages)
{
    connect(&m_link, &ModbusLink::exchangeEnded, this, &SettingWrites::onExchangeEnded);
}

bool SettingWrites::requestWrite(int reg, const QVector<int>& values)
{
    if (busy() || values.isEmpty())
        return false;
    m_writeRegister = reg;
    m_writeValues = values;
    m_due = true;
    m_writePending = true;
    return true;
}

bool SettingWrites::requestGlobalWrite(int parentId, int globalRegister, int value)
{
    if (!requestWrite(kGlobalParentRegister, {parentId}))
        return false;
    m_globalWriteRegister = globalRegister;
    m_globalValue = {value};
    return true;
}

TickClient::Turn SettingWrites::takeTick()
{
    if (m_globalWriteStep == 2) {
        m_globalWriteStep = 3;
        return send(m_globalWriteRegister, m_globalValue);
    }
    if (!m_due)
        return Turn::Pass;
    m_due = false;
    if (!m_globalValue.isEmpty())
        m_globalWriteStep = 1;
    return send(m_writeRegister, m_writeValues);
}

TickClient::Turn SettingWrites::send(int reg, const QVector<int>& values)
{
    if (m_link.WriteQuery(reg, values) != ModbusLink::RequestResult::Refused) {
        m_sentRequest = m_link.lastRequestId();
        return Turn::Sent;
    }
    // Nothing went out and nothing will answer: the write ends here.
    ExchangeOutcome refused;
    refused.kind = ExchangeOutcome::Kind::NotSent;
    refused.reason = m_link.refusal();
    finish(refused);
    return Turn::Used;
}

void SettingWrites::onExchangeEnded(const ExchangeOutcome& outcome)
{
    if (m_sentRequest == 0 || outcome.request.id != m_sentRequest)
        return;
    m_sentRequest = 0;
    finish(outcome);
}

void SettingWrites::finish(const ExchangeOutcome& outcome)
{
    if (m_globalWriteStep == 1 || m_globalWriteStep == 3)
        finishGlobalStep(outcome);
    else
        finishSingleWrite(outcome);
    clearWritePending();
}

// Step 2 follows only an acknowledged step 1; the whole global write is told once.
void SettingWrites::finishGlobalStep(const ExchangeOutcome& outcome)
{
    const int step = m_globalWriteStep == 1 ? 1 : 2;
    const bool acknowledged = outcome.kind == ExchangeOutcome::Kind::Acknowledged;
    if (acknowledged && step == 1) {
        m_globalWriteStep = 2;
        return;
    }
    m_globalWriteStep = 0;
    m_globalValue.clear();
    if (acknowledged) {
        emit statusText(panel::PollingStatus, kSuccessfulWrite);
        emit writeFinished(true, kSuccessfulWrite);
        return;
    }
    // The bell rings for every failed step, as for the unit's refusal of a single write.
    reportFailure(outcome, true);
    const QString text = QStringLiteral("The global write was unsuccessful.  (Step %1)").arg(step);
    m_messages.showMessage(MessageSink::Severity::Warning, kAppTitle, text);
    emit writeFinished(false, text);
}

void SettingWrites::finishSingleWrite(const ExchangeOutcome& outcome)
{
    const WriteResult result = WriteResult::of(outcome);
    if (result.success) {
        emit statusText(panel::PollingStatus, kSuccessfulWrite);
    } else {
        reportFailure(outcome, outcome.kind == ExchangeOutcome::Kind::Exception);
        if (outcome.kind == ExchangeOutcome::Kind::Exception)
            m_messages.showMessage(MessageSink::Severity::Warning, kAppTitle, kOutOfRangeMessage);
    }
    emit writeFinished(result.success, result.message);
}

void SettingWrites::reportFailure(const ExchangeOutcome& outcome, bool bell)
{
    if (bell)
        emit beep();
    emit statusText(panel::PollingStatus, kUnsuccessfulWrite);
    if (outcome.kind != ExchangeOutcome::Kind::Exception)
        emit statusText(panel::CommMsg, QStringLiteral("Write failed: ") + outcome.reason);
}

// The write is over either way: polling, suspended for it, may run again.
void SettingWrites::clearWritePending()
{
    if (!m_writePending)
        return;
    m_writePending = false;
    m_polling.setPollingDisabled(false);
    m_polling.setMainTimerEnabled(true);
}

} // namespace halvana
