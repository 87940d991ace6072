#pragma once

#include "core/device/poll_state.h"
#include "core/modbus/exchange.h"
#include "core/modbus/polling_control.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace halvana {

class Clock;
class ConnectionLifecycle;
class DeviceData;
class ModbusLink;
class Timer;

// Work that may take a polling tick before the cycle's own read: the priority writes (global
// write step 2, calibration writes and read-backs) and a running Modbus script.
class TickClient {
public:
    enum class Turn {
        Pass, // nothing to do: the tick goes on
        Used, // the tick is spent, no request went out (waiting for something)
        Sent, // a request went out: tmrMain stops until its exchange ends
    };
    virtual ~TickClient() = default;
    virtual Turn takeTick() = 0;
    // Work the user asked for while polling was suspended (a confirmed setting write) is
    // served even then.
    virtual bool dueWhilePollingDisabled() const { return false; }
};

// The polling sequencer of the main window: `tmrMain` ticks every 10 ms and each tick sends at
// most one request. The twelve-step cycle reads system information, the meter list and status
// and, for each open table, one meter per request. A reply is decoded with the state recorded
// when its request went out; the cycle then moves on, for decoded replies and read exceptions
// alike, unless the position was reset meanwhile.
class Sequencer : public QObject, public PollingControl {
    Q_OBJECT
public:
    static constexpr int kTickMs = 10;

    Sequencer(ModbusLink& link, DeviceData& data, Clock& clock, QObject* parent = nullptr);
    ~Sequencer() override;

    // PollingControl, for the link and the connection lifecycle.
    void setMainTimerEnabled(bool enabled) override;
    bool PollingDisabled() const override { return m_pollingDisabled; }
    void setPollingDisabled(bool disabled) override;
    int PollStep() const override { return m_position.PollStep; }
    void resetPollStep() override { setPollStep(0); }
    void exchangeAnswered() override;

    // Resumes the cycle at `step` with the meter position at the start (a setting written from
    // a table is read again at that table's step). Steps outside 0..11 mean 0.
    void setPollStep(int step);
    const PollPosition& position() const { return m_position; }
    bool isMainTimerActive() const;

    void setConnectionLifecycle(ConnectionLifecycle* lifecycle) { m_lifecycle = lifecycle; }
    // Served first on every tick, in the order they were added: the setting writes, then
    // calibration, then a running script. Each must outlive the sequencer.
    void addTickClient(TickClient* client) { m_tickClients.push_back(client); }

    // Fast polling: after a reply (or a rejected one) the next tick runs as soon as every
    // receiver has handled the outcome, not at the next 10 ms, and steps with nothing to read
    // are passed over in the same tick. Time-outs keep the tick.
    void setFastPolling(bool on) { m_fastPolling = on; }
    bool fastPolling() const { return m_fastPolling; }

    static constexpr int NumThermalModules = 6;

    // One tick of `tmrMain`.
    void tmrMain_Timer();

    // Status text of the "PollingStatus" panel.
    QString pollingStatus() const { return m_status; }

signals:
    void pollingStatusChanged(const QString& text);
    // A table finished a pass: every meter of a per-meter table read once (a two-part meter
    // counts when both its parts were decoded in the pass, a pass with nothing to read counts
    // too); tables 4 and 5 when
    // the system information and meter information of one cycle are decoded; table 7 at each
    // decoded reply; table 11 when its All Settings pass ends.
    void passCompleted(int table);
    // The cycle went back to step 0.
    void cycleCompleted();
    // Polling was disabled: the cycle under way stands still.
    void pollingStopped();
    // A reply of the cycle was handled (decoded true) or answered with an exception (false).
    void replyHandled(int step, bool decoded);

private:
    enum class StepOutcome { Sent, NothingSent };

    StepOutcome runStep();
    StepOutcome runMeterStep(int step);
    StepOutcome runThermalStep(int step);
    StepOutcome sendRead(const ReadContext& ctx, const QString& status);
    StepOutcome skipRead(const ReadContext& ctx, const RegisterBlock& block, const QString& reason);
    ReadContext contextFor(int step, int meterKind) const;
    void completePass(int step);
    void advanceStep(int step);
    void goToStep(int step);
    void onExchangeEnded(const ExchangeOutcome& outcome);
    void onReadReply(const RegData& values);
    void onReadException();
    void onExchangeAbandoned();
    void afterReply(const ReadContext& ctx, bool decoded);
    void afterMeterReply(const ReadContext& ctx, bool decoded);
    void advanceCursor();
    void onTableClosed(int table);
    void setStatus(const QString& text);
    bool meterMatches(int step, int type) const;

    ModbusLink& m_link;
    DeviceData& m_data;
    std::unique_ptr<Timer> tmrMain;
    bool m_fastPolling = false;
    ConnectionLifecycle* m_lifecycle = nullptr;
    std::vector<TickClient*> m_tickClients;

    PollPosition m_position;
    bool m_pollingDisabled = false;
    QString m_status;

    // The read in flight and the position generation it was sent in: a reset of the position
    // (table closed, cycle restarted) makes its reply decode but not move the cycle.
    std::optional<ReadContext> m_inFlight;
    quint64 m_inFlightRequest = 0;
    quint64 m_generation = 0;
    quint64 m_inFlightGeneration = 0;
    bool m_systemInfoDecoded = false;
};

} // namespace halvana
