#include "core/device/sequencer.h"

#include "core/device/device_data.h"
#include "core/modbus/connection_lifecycle.h"
#include "core/modbus/modbus_link.h"
#include "core/time/clock.h"

#include <algorithm>

namespace halvana {

namespace {
const QString kPollingDisabledText = QStringLiteral("Polling is Disabled  ");

QString stepStatus(int step, int n)
{
    switch (step) {
    case kStepSystemInfo:
        return QStringLiteral("Getting System Info  ");
    case kStepMeterInfo1:
        return QStringLiteral("Getting Meter Info 1  ");
    case kStepMeterInfo2:
        return QStringLiteral("Getting Meter Info 2  ");
    case kStepMeterStatus1:
        return QStringLiteral("Getting Meter Status 1  ");
    case kStepMeterStatus2:
        return QStringLiteral("Getting Meter Status 2  ");
    case kStepBranchSettings:
        return QStringLiteral("Getting B%1 Settings").arg(n);
    case kStepBranchReadings:
        return QStringLiteral("Getting B%1 Readings").arg(n);
    case kStepThreePhaseSettings:
        return QStringLiteral("Getting M%1 Settings").arg(n);
    case kStepThreePhaseReadings:
        return QStringLiteral("Getting M%1 Readings").arg(n);
    case kStepInputBoard:
        return QStringLiteral("Getting Input Board Status  ");
    case kStepThermalSettings:
        return QStringLiteral("Getting Thermal Settings %1").arg(n);
    default:
        return QStringLiteral("Getting Thermal Readings %1").arg(n);
    }
}
} // namespace

Sequencer::Sequencer(ModbusLink& link, DeviceData& data, Clock& clock, QObject* parent)
    : QObject(parent), m_link(link), m_data(data), tmrMain(clock.createTimer(kTickMs))
{
    tmrMain->setCallback([this] { tmrMain_Timer(); });
    m_link.setPollingControl(this);
    connect(&m_link, &ModbusLink::exchangeEnded, this, &Sequencer::onExchangeEnded);
    connect(&m_data.tables(), &MeterTables::tableClosed, this, &Sequencer::onTableClosed);
}

Sequencer::~Sequencer()
{
    if (m_link.pollingControl() == this)
        m_link.setPollingControl(nullptr);
}

void Sequencer::setPollingDisabled(bool disabled)
{
    const bool stopping = disabled && !m_pollingDisabled;
    m_pollingDisabled = disabled;
    if (stopping)
        emit pollingStopped();
}

// Only where the link resumed polling (tmrMain runs), and nothing went out meanwhile.
void Sequencer::exchangeAnswered()
{
    if (m_fastPolling && tmrMain->isActive() && !m_link.requestOutstanding())
        tmrMain_Timer();
}

void Sequencer::setMainTimerEnabled(bool enabled)
{
    tmrMain->setEnabled(enabled);
}

bool Sequencer::isMainTimerActive() const
{
    return tmrMain->isActive();
}

void Sequencer::setPollStep(int step)
{
    m_position.resetMeterPosition();
    m_position.PollStep = step >= 0 && step < kPollStepCount ? step : 0;
    m_systemInfoDecoded = false;
    ++m_generation;
}

void Sequencer::setStatus(const QString& text)
{
    if (text == m_status)
        return;
    m_status = text;
    emit pollingStatusChanged(text);
}

void Sequencer::tmrMain_Timer()
{
    if (m_lifecycle && m_lifecycle->DisconnectRequested()) {
        m_lifecycle->Disconnect();
        m_lifecycle->setDisconnectRequested(false);
    }
    const auto dueNow = [this](const TickClient* client) {
        return !m_pollingDisabled || client->dueWhilePollingDisabled();
    };
    if (m_pollingDisabled && std::none_of(m_tickClients.begin(), m_tickClients.end(), dueNow)) {
        tmrMain->stop();
        setStatus(kPollingDisabledText);
        return;
    }
    // One request at a time: whoever enabled tmrMain early, the exchange's end restarts it.
    if (m_link.requestOutstanding()) {
        tmrMain->stop();
        return;
    }
    TrafficLog& spy = m_link.trafficLog();
    const bool singleStepping = spy.DataSpyPaused();
    if (!spy.takeTickPermission())
        return;
    if (m_lifecycle)
        m_lifecycle->enableConnectionWatchdog();

    for (TickClient* client : m_tickClients) {
        if (!dueNow(client))
            continue;
        const TickClient::Turn turn = client->takeTick();
        if (turn == TickClient::Turn::Sent)
            tmrMain->stop();
        if (turn != TickClient::Turn::Pass)
            return;
    }
    if (m_pollingDisabled)
        return;

    // A single step lets one request out, however many closed tables' steps lie before it;
    // fast polling passes over them at once as well.
    const bool passQuietSteps = singleStepping || m_fastPolling;
    for (int guard = 2 * kPollStepCount; runStep() == StepOutcome::NothingSent && passQuietSteps && guard > 0;
         --guard) {
    }
}

Sequencer::StepOutcome Sequencer::runStep()
{
    const int step = m_position.PollStep;
    switch (step) {
    case kStepSystemInfo:
        if (m_data.AllSettingsRefreshRequested) {
            m_data.AllSettingsRefreshRequested = false;
            m_data.AllSettingsPassActive = true;
        }
        [[fallthrough]];
    case kStepMeterInfo1:
    case kStepMeterInfo2:
    case kStepMeterStatus1:
    case kStepMeterStatus2:
        return sendRead(contextFor(step, 0), stepStatus(step, 0));
    case kStepInputBoard:
        if (!m_data.tables().isOpen(kInputBoardTable)) {
            advanceStep(step);
            return StepOutcome::NothingSent;
        }
        return sendRead(contextFor(step, 0), stepStatus(step, 0));
    case kStepThermalSettings:
    case kStepThermalReadings:
        return runThermalStep(step);
    default:
        return runMeterStep(step);
    }
}

bool Sequencer::meterMatches(int step, int type) const
{
    const bool branchStep = step == kStepBranchSettings || step == kStepBranchReadings;
    return branchStep ? type == kTypeBranch : type != kTypeBranch;
}

Sequencer::StepOutcome Sequencer::runMeterStep(int step)
{
    if (!m_data.tables().isOpen(RegisterMap::tableOfStep(step))) {
        advanceStep(step);
        return StepOutcome::NothingSent;
    }
    PollPosition& p = m_position;
    const DeviceModel& model = m_data.model();
    p.MeterIndex = p.StartMeterIndex;
    while (p.MeterIndex < model.NumMeters && !meterMatches(step, model.meterType(p.MeterIndex)))
        ++p.MeterIndex;
    if (p.MeterIndex >= model.NumMeters) {
        completePass(step);
        return StepOutcome::NothingSent;
    }
    const ReadContext ctx = contextFor(step, model.meterType(p.MeterIndex));
    // The second request of a two-part meter leaves the status text as the first set it.
    const bool secondPart = ctx.ReadHalf == MeterHalf::BCM2;
    return sendRead(ctx, secondPart ? QString() : stepStatus(step, p.MeterCursor + 1));
}

Sequencer::StepOutcome Sequencer::runThermalStep(int step)
{
    if (!m_data.tables().isOpen(RegisterMap::tableOfStep(step))) {
        advanceStep(step);
        return StepOutcome::NothingSent;
    }
    PollPosition& p = m_position;
    if (p.StartMeterIndex >= NumThermalModules) {
        completePass(step);
        return StepOutcome::NothingSent;
    }
    p.MeterIndex = p.StartMeterIndex;
    const ReadContext ctx = contextFor(step, 0);
    const bool secondPart = ctx.ReadHalf == MeterHalf::BCM2;
    return sendRead(ctx, secondPart ? QString() : stepStatus(step, p.MeterCursor + 1));
}

ReadContext Sequencer::contextFor(int step, int meterKind) const
{
    ReadContext ctx;
    ctx.step = step;
    ctx.MeterCursor = m_position.MeterCursor;
    ctx.MeterIndex = m_position.MeterIndex;
    ctx.ReadHalf = RegisterMap::isTwoPartStep(step) && m_position.SecondHalfPending ? MeterHalf::BCM2 : MeterHalf::BCM1;
    ctx.RegisterMapVersion = m_data.model().RegisterMapVersion;
    ctx.CurrentMeterKind = meterKind;
    const RegisterBlock block =
        RegisterMap::stepRead(step, ctx.RegisterMapVersion, ctx.MeterCursor, ctx.ReadHalf == MeterHalf::BCM2);
    ctx.firstRegister = block.first;
    ctx.ReadCount = block.count;
    return ctx;
}

Sequencer::StepOutcome Sequencer::sendRead(const ReadContext& ctx, const QString& status)
{
    if (!status.isEmpty())
        setStatus(status);
    // A two-part meter is read whole or not at all: both its blocks must be addressable.
    if (RegisterMap::isTwoPartStep(ctx.step) && ctx.ReadHalf == MeterHalf::BCM1) {
        for (const RegisterBlock& block : {RegisterBlock{ctx.firstRegister, 0, ctx.ReadCount},
                                           RegisterMap::stepRead(ctx.step, ctx.RegisterMapVersion, ctx.MeterCursor, true)}) {
            const QString refusal = m_link.readRangeRefusal(block.first, block.count);
            if (!refusal.isEmpty())
                return skipRead(ctx, block, refusal);
        }
    }
    if (m_link.ReadQuery(ctx.firstRegister, ctx.ReadCount) == ModbusLink::RequestResult::Refused)
        return skipRead(ctx, {ctx.firstRegister, 0, ctx.ReadCount}, m_link.refusal());
    // Sent, or not sent because the line is closed: either way the response time-out ends it.
    m_inFlight = ctx;
    m_inFlightRequest = m_link.lastRequestId();
    m_inFlightGeneration = m_generation;
    tmrMain->stop();
    return StepOutcome::Sent;
}

// A block the link cannot address (beyond register 65536) is passed over like a meter of
// another kind, and the status bar says why.
Sequencer::StepOutcome Sequencer::skipRead(const ReadContext& ctx, const RegisterBlock& block, const QString& reason)
{
    setStatus(QStringLiteral("Skipped %1 registers at %2: %3").arg(block.count).arg(block.first).arg(reason));
    if (RegisterMap::isMeterStep(ctx.step)) {
        m_position.SecondHalfPending = false;
        advanceCursor();
    } else {
        advanceStep(ctx.step);
    }
    return StepOutcome::NothingSent;
}

void Sequencer::completePass(int step)
{
    const bool complete = !m_position.PassIncomplete;
    m_position.resetMeterPosition();
    const int table = RegisterMap::tableOfStep(step);
    if (complete) {
        m_data.tables().table(table).markUpdated();
        emit passCompleted(table);
    }
    advanceStep(step);
}

// Moves past a step whose work is done or whose table is closed. Passing the thermal settings
// step ends an All Settings pass, so a pass ends even when that table is closed.
void Sequencer::advanceStep(int step)
{
    if (step == kStepThermalSettings && m_data.AllSettingsPassActive) {
        m_data.AllSettingsPassActive = false;
        if (m_data.tables().isOpen(kAllSettingsTable)) {
            m_data.tables().table(kAllSettingsTable).markUpdated();
            emit passCompleted(kAllSettingsTable);
        }
    }
    goToStep(step == kStepThermalReadings ? kStepSystemInfo : step + 1);
}

void Sequencer::goToStep(int step)
{
    m_position.PollStep = step;
    if (step == kStepSystemInfo) {
        m_systemInfoDecoded = false;
        emit cycleCompleted();
    }
}

void Sequencer::advanceCursor()
{
    PollPosition& p = m_position;
    ++p.MeterCursor;
    ++p.MeterIndex;
    p.StartMeterIndex = p.MeterIndex;
}

// Only the outcome of the cycle's own read moves the cycle; writes and other clients' requests
// have their own outcomes.
void Sequencer::onExchangeEnded(const ExchangeOutcome& outcome)
{
    if (!m_inFlight || outcome.request.id != m_inFlightRequest)
        return;
    switch (outcome.kind) {
    case ExchangeOutcome::Kind::Registers:
        onReadReply(outcome.registers);
        break;
    case ExchangeOutcome::Kind::Exception:
        onReadException();
        break;
    default:
        onExchangeAbandoned();
        break;
    }
}

void Sequencer::onReadReply(const RegData& values)
{
    if (!m_inFlight)
        return;
    const ReadContext ctx = *m_inFlight;
    m_inFlight.reset();
    afterReply(ctx, m_data.ProcessDataReceived(ctx, values));
}

void Sequencer::onReadException()
{
    if (!m_inFlight)
        return;
    const ReadContext ctx = *m_inFlight;
    m_inFlight.reset();
    afterReply(ctx, false);
}

// No usable reply: the same request goes out again, except that a two-part meter is read
// again from its first part, so its column is rewritten whole.
void Sequencer::onExchangeAbandoned()
{
    if (m_inFlight && m_inFlightGeneration == m_generation && RegisterMap::isTwoPartStep(m_inFlight->step))
        m_position.SecondHalfPending = false;
    m_inFlight.reset();
}

// The cycle moves on after a reply, decoded or not: a block the unit refuses (an exception)
// or answers unusably must not hold the cycle at one step for ever.
void Sequencer::afterReply(const ReadContext& ctx, bool decoded)
{
    emit replyHandled(ctx.step, decoded);
    if (m_inFlightGeneration != m_generation)
        return;

    const int numMeters = m_data.model().NumMeters;
    const auto meterInformationDone = [&] {
        if (!decoded || !m_systemInfoDecoded)
            return;
        for (int table : {int(kSystemSettingsTable), int(kMeterInfoTable)}) {
            if (m_data.tables().isOpen(table))
                emit passCompleted(table);
        }
    };
    switch (ctx.step) {
    case kStepSystemInfo:
        m_systemInfoDecoded = decoded;
        goToStep(kStepMeterInfo1);
        break;
    case kStepMeterInfo1:
        // Without meters the rest of the meter list and its status are not read, but the
        // table steps still run: theirs pass with nothing to read, the input board and the
        // thermal modules are read as usual.
        if (numMeters == 0) {
            meterInformationDone();
            goToStep(kStepBranchSettings);
        } else {
            goToStep(kStepMeterInfo2);
        }
        break;
    case kStepMeterInfo2:
        meterInformationDone();
        goToStep(kStepMeterStatus1);
        break;
    case kStepMeterStatus1:
        goToStep(numMeters < kMetersPerInfoBlock ? kStepBranchSettings : kStepMeterStatus2);
        break;
    case kStepMeterStatus2:
        goToStep(kStepBranchSettings);
        break;
    case kStepInputBoard:
        if (decoded && m_data.tables().isOpen(kInputBoardTable))
            emit passCompleted(kInputBoardTable);
        goToStep(kStepThermalSettings);
        break;
    default:
        afterMeterReply(ctx, decoded);
        break;
    }
}

// A two-part meter asks for its second part only after its first was decoded, and moves on
// after the second. An exception to either part moves on to the next meter, as for a
// single-part meter, but its block is not whole in this pass.
void Sequencer::afterMeterReply(const ReadContext& ctx, bool decoded)
{
    PollPosition& p = m_position;
    if (RegisterMap::isTwoPartStep(ctx.step)) {
        p.SecondHalfPending = decoded && ctx.ReadHalf == MeterHalf::BCM1;
        if (!decoded)
            p.PassIncomplete = true;
        if (p.SecondHalfPending)
            return;
    }
    advanceCursor();
}

void Sequencer::onTableClosed(int table)
{
    if (table == kAllSettingsTable) {
        m_data.AllSettingsRefreshRequested = false;
        m_data.AllSettingsPassActive = false;
    }
    // Only the step in progress belongs to the table: any other step keeps its meter, and a
    // reply in flight for this table writes nowhere and no longer moves the cycle.
    if (RegisterMap::tableOfStep(m_position.PollStep) == table) {
        m_position.resetMeterPosition();
        ++m_generation;
    }
}

} // namespace halvana
