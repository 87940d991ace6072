#pragma once

#include "core/device/sequencer.h"
#include "core/modbus/exchange.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <memory>

namespace halvana {

class Clock;
class ModbusLink;
class PollingControl;
class Timer;

// What a calibration reply means for the calibration window: a result text (empty: keep the
// old one), whether its Calibrate button becomes usable again, and the verdict colour.
struct CalibrationResponse {
    enum class Verdict { None, Fail, Success };
    QString text;
    bool enableCalibrate = false;
    Verdict verdict = Verdict::None;

    // The calibration status word: 0x8002 in progress, 0x8008 failed, 0x8010 succeeded.
    static CalibrationResponse ofStatus(quint16 status);
};

// The calibration requests, served by `tmrMain` as a tick client before the polling read:
// the system-level command (three registers from `WriteRegister`), and the meter-level value
// write, its follow-up command write to `WriteRegister` - 1 and the read-back 200 ms later.
// Each step is judged by its own reply only.
class CalibrationSequence : public QObject, public TickClient {
    Q_OBJECT
public:
    static constexpr int kReadBackDelayMs = 200;
    static constexpr quint16 kStatusInProgress = 0x8002;
    static constexpr quint16 kStatusFailed = 0x8008;
    static constexpr quint16 kStatusSucceeded = 0x8010;

    CalibrationSequence(ModbusLink& link, PollingControl& polling, Clock& clock, QObject* parent = nullptr);
    ~CalibrationSequence() override;

    // System level: `CalCommandValues` (command word, selection word, reading) to `reg`.
    void requestCommand(int reg, const QVector<int>& commandValues);
    // Meter level: `CalValueValues(0)` to `reg`, then `WriteValues(0)` (the command word) to reg - 1.
    void requestValueWrite(int reg, int value, int commandWord);

    bool CalStatusWaiting() const { return m_calStatusWaiting; }
    bool busy() const;

    Turn takeTick() override;

signals:
    void calibrationResponse(const halvana::CalibrationResponse& response);

private:
    Turn send(bool write, int reg, const QVector<int>& values, bool& sentFlag);
    void onExchangeEnded(const ExchangeOutcome& outcome);

    ModbusLink& m_link;
    PollingControl& m_polling;
    std::unique_ptr<Timer> m_readBackDelay;

    int m_writeRegister = 0;
    QVector<int> m_calCommandValues;
    int m_calValue = 0;
    int m_commandWord = 0;

    bool CalCommandPending = false;
    bool CalValueWritePending = false;
    bool CalCommandSent = false;
    bool CalValueWriteSent = false;
    bool FollowUpWritePending = false;
    bool m_followUpSent = false;
    bool ReadBackPending = false;
    bool m_readBackDue = false;
    bool m_readBackSent = false;
    bool CalStatusWaitRequested = false;
    bool m_calStatusWaiting = false;
    quint64 m_sentRequest = 0;
};

} // namespace halvana
