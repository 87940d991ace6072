#pragma once

#include "core/calibration/calibration_form.h"
#include "core/device/sequencer.h"
#include "core/modbus/exchange.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <memory>
#include <optional>

namespace halvana {

class Clock;
class ModbusLink;
class PollingControl;
class Timer;

// What the calibration window's response box shows: a result text, its verdict colour,
// whether the calibration is over ("&Calibrate" usable again) and, after a settled meter-level
// result, the value of `WriteRegister` + 2.
struct CalibrationResponse {
    enum class Verdict { None, Fail, Success };
    CalibrationResponse() = default;
    CalibrationResponse(QString text, Verdict verdict = Verdict::None) : text(std::move(text)), verdict(verdict) {}

    QString text;
    Verdict verdict = Verdict::None;
    bool finished = false;
    std::optional<quint16> responseValue;

    // The calibration status word: 0x8008 failed, 0x8010 succeeded. 0x8002 is in progress, and
    // so is any other value: until the unit has taken the command, the status register may
    // still hold the reading just written to it.
    static CalibrationResponse ofStatus(quint16 status);
};

// The calibration requests, served by `tmrMain` as a tick client before the polling read.
// System level: the command, selection word and reading to registers 12..14; the verdict then
// comes from register 14 of the system information replies the cycle reads, and from nothing
// else. Meter level: the reading to `WriteRegister`, the command word to `WriteRegister` - 1,
// `WriteRegister` read back 200 ms after that is acknowledged and again every second until it
// gives a verdict, then `WriteRegister` + 2. Each step is judged by its own reply; a step
// refused or unanswered ends the calibration with its failure text, and no verdict within
// 9000 ms of the command (`tmrWaitForCalStatus`) ends it with "No result".
class CalibrationSequence : public QObject, public TickClient {
    Q_OBJECT
public:
    static constexpr int kReadBackDelayMs = 200;
    static constexpr int kStatusRepeatMs = 1000;
    static constexpr int kWaitForCalStatusMs = 9000;
    // The system-level status: register 14 of the system information.
    static constexpr int kSystemStatusRegister = 14;
    static constexpr quint16 kStatusInProgress = 0x8002;
    static constexpr quint16 kStatusFailed = 0x8008;
    static constexpr quint16 kStatusSucceeded = 0x8010;
    static inline const QString kInProgress = QStringLiteral("In Progress");
    static inline const QString kFailed1 = QStringLiteral("Failed 1");
    static inline const QString kFailed2 = QStringLiteral("Failed 2");
    static inline const QString kNoResult = QStringLiteral("No result");

    CalibrationSequence(ModbusLink& link, PollingControl& polling, Clock& clock, QObject* parent = nullptr);
    ~CalibrationSequence() override;

    // Queues the request for the next tick; false while a calibration runs.
    bool start(const CalibrationRequest& request);
    // The window closed: the calibration is forgotten, a reply still on its way changes nothing.
    void cancel();
    bool running() const { return m_step != Step::Idle; }
    // Awaiting the system-level verdict (`CalStatusWaiting`).
    bool CalStatusWaiting() const { return m_step == Step::CalStatusWaiting; }
    int WriteRegister() const { return m_request.WriteRegister; }

    // Register 14 of a decoded system information reply of the polling cycle.
    void systemStatusRead(quint16 status);

    Turn takeTick() override;
    // A step the user asked for goes out even while polling is off.
    bool dueWhilePollingDisabled() const override;

signals:
    void calibrationResponse(const halvana::CalibrationResponse& response);

private:
    enum class Step {
        Idle,
        CalCommandPending,
        CalCommandSent,
        CalStatusWaiting,
        CalValueWritePending,
        CalValueWriteSent,
        FollowUpWritePending,
        FollowUpWriteSent,
        ReadBackPending,
        ReadBackSent,
        ResponseReadPending,
        ResponseReadSent,
    };

    Turn send(bool write, int reg, const QVector<int>& values, Step sent, const QString& failure);
    void onExchangeEnded(const ExchangeOutcome& outcome);
    void onReadBack(const ExchangeOutcome& outcome);
    void startStatusWait();
    void respond(CalibrationResponse response);
    void finish(CalibrationResponse response);
    void end();

    ModbusLink& m_link;
    PollingControl& m_polling;
    std::unique_ptr<Timer> m_readBackDelay;
    std::unique_ptr<Timer> tmrWaitForCalStatus;
    // While the system-level verdict is awaited, the cycle starts over at the system
    // information once a second, so the verdict is read however many tables are open.
    std::unique_ptr<Timer> m_systemInfoRepeat;

    CalibrationRequest m_request;
    Step m_step = Step::Idle;
    bool m_readBackDue = false;
    quint64 m_sentRequest = 0;
    CalibrationResponse m_last;
};

} // namespace halvana
