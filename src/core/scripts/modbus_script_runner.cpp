#include "core/scripts/modbus_script_runner.h"

#include "core/modbus/modbus_frames.h"
#include "core/modbus/modbus_link.h"
#include "core/modbus/polling_control.h"

namespace halvana {

QString ScriptLineResult::describe() const
{
    switch (outcome) {
    case Outcome::Written:
        return QStringLiteral("written");
    case Outcome::Refused:
        return QStringLiteral("refused: exception %1 (%2)").arg(exceptionCode).arg(reason);
    case Outcome::NoReply:
        return QStringLiteral("no reply");
    case Outcome::Skipped:
        return QStringLiteral("skipped: %1: \"%2\"").arg(reason, text);
    case Outcome::NotAWrite:
        break;
    }
    return QStringLiteral("not a write");
}

QString ScriptSummary::describe() const
{
    return QStringLiteral("Script run%1: %2 written, %3 refused, %4 no reply, %5 skipped")
        .arg(stopped ? QStringLiteral(" stopped") : QString())
        .arg(written)
        .arg(refused)
        .arg(noReply)
        .arg(skipped);
}

void ScriptSummary::count(ScriptLineResult::Outcome outcome)
{
    using Outcome = ScriptLineResult::Outcome;
    switch (outcome) {
    case Outcome::Written: ++written; break;
    case Outcome::Refused: ++refused; break;
    case Outcome::NoReply: ++noReply; break;
    case Outcome::Skipped: ++skipped; break;
    case Outcome::NotAWrite: break;
    }
}

ModbusScriptRunner::ModbusScriptRunner(ModbusLink& link, PollingControl& polling, QObject* parent)
    : QObject(parent), m_link(link), m_polling(polling)
{
    connect(&m_link, &ModbusLink::exchangeEnded, this, &ModbusScriptRunner::onExchangeEnded);
}

bool ModbusScriptRunner::start(const QStringList& lines)
{
    if (m_running || m_sentRequest != 0)
        return false;
    m_lines = lines;
    m_index = 0;
    m_writeRegister = 0;
    m_summary = {};
    m_running = true;
    m_polling.resetPollStep();
    if (m_lines.isEmpty()) {
        finishIfDone();
        return true;
    }
    emit lineSelected(0);
    m_polling.setMainTimerEnabled(true);
    return true;
}

void ModbusScriptRunner::stop()
{
    if (!m_running)
        return;
    m_summary.stopped = m_index < m_lines.size();
    m_index = m_lines.size();
    finishIfDone();
}

TickClient::Turn ModbusScriptRunner::takeTick()
{
    if (!m_running || m_sentRequest != 0 || m_index >= m_lines.size())
        return Turn::Pass;
    return DecipherScript();
}

TickClient::Turn ModbusScriptRunner::DecipherScript()
{
    const int index = m_index;
    const QString& text = m_lines[index];
    const ScriptLine line = script::classify(text);
    ScriptLineResult result;
    result.index = index;
    result.text = text;
    switch (line.kind) {
    case ScriptLine::Kind::Short:
    case ScriptLine::Kind::NotAWrite:
        break;
    case ScriptLine::Kind::BadWrite:
        result.outcome = ScriptLineResult::Outcome::Skipped;
        result.reason = line.problem;
        break;
    case ScriptLine::Kind::MeterWrite:
        m_writeRegister = line.reg;
        if (m_link.WriteQuery(line.reg, {line.value}) != ModbusLink::RequestResult::Refused) {
            m_sentRequest = m_link.lastRequestId();
            m_sentIndex = index;
            IncrementGlobalWriteSeqStep();
            return Turn::Sent;
        }
        result.outcome = ScriptLineResult::Outcome::NoReply;
        result.reason = m_link.refusal();
        break;
    }
    report(result);
    IncrementGlobalWriteSeqStep();
    return Turn::Used;
}

void ModbusScriptRunner::IncrementGlobalWriteSeqStep()
{
    ++m_index;
    if (m_index < m_lines.size())
        emit lineSelected(m_index);
    else
        finishIfDone();
}

void ModbusScriptRunner::onExchangeEnded(const ExchangeOutcome& outcome)
{
    if (m_sentRequest == 0 || outcome.request.id != m_sentRequest)
        return;
    m_sentRequest = 0;
    ScriptLineResult result;
    result.index = m_sentIndex;
    result.text = m_lines.value(m_sentIndex);
    switch (outcome.kind) {
    case ExchangeOutcome::Kind::Acknowledged:
        result.outcome = ScriptLineResult::Outcome::Written;
        break;
    case ExchangeOutcome::Kind::Exception:
        result.outcome = ScriptLineResult::Outcome::Refused;
        result.exceptionCode = outcome.exceptionCode;
        result.reason = exceptionName(outcome.exceptionCode);
        break;
    default:
        result.outcome = ScriptLineResult::Outcome::NoReply;
        result.reason = outcome.reason;
        break;
    }
    report(result);
    finishIfDone();
}

void ModbusScriptRunner::report(ScriptLineResult result)
{
    m_summary.count(result.outcome);
    emit lineDone(result);
}

// The run is over when the index has passed the last line and no write is still on its way.
void ModbusScriptRunner::finishIfDone()
{
    if (!m_running || m_index < m_lines.size() || m_sentRequest != 0)
        return;
    m_running = false;
    m_polling.resetPollStep();
    emit finished(m_summary);
}

} // namespace halvana
