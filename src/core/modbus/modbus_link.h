#pragma once

#include "core/modbus/link_state.h"
#include "core/modbus/modbus_frames.h"
#include "core/modbus/reply_check.h"
#include "core/modbus/transport.h"
#include "core/modbus/traffic_log.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>

#include <array>
#include <memory>
#include <optional>

namespace halvana {

class Clock;
class MessageSink;
class PollingControl;
class Timer;

// What a calibration reply means for the calibration window: a result text (empty: keep the
// old one), whether its Calibrate button becomes usable again, and the verdict colour.
struct CalibrationResponse {
    enum class Verdict { None, Fail, Success };
    QString text;
    bool enableCalibrate = false;
    Verdict verdict = Verdict::None;
};

// The Modbus link of the main window: builds and sends requests in RTU or TCP mode, assembles
// and checks the replies, puts read registers into RegData and advances the write, global-write
// and calibration flags. One request is outstanding at a time. An exchange ends in
// readReplyReady, readException, writeFinished (a user's write), replyRejected or
// responseTimedOut, and always last in exchangeEnded.
class ModbusLink : public QObject {
    Q_OBJECT
public:
    static constexpr int kRegDataSize = 201;
    static constexpr int kRtuBufferSize = 1000;
    static constexpr int kTcpBufferSize = 1191;
    static constexpr int kFrameGapMs = 70;
    static constexpr int kResponseTimeoutMs = 2000;
    // Sent after a response time-out in RS-485 mode to bring the unit's port back to Modbus.
    static inline const QByteArray kWakeUpText = QByteArrayLiteral("\r\n\r\nconfig\r\n");

    enum class RequestResult {
        Sent,    // on the wire; the reply or the response time-out ends the exchange
        NotSent, // port closed or socket not connected; the response time-out ends the exchange
        Refused, // bad register, count or value: nothing happened, refusal() says why
    };

    using RegisterArray = std::array<quint16, kRegDataSize>;

    ModbusLink(Clock& clock, MessageSink& messages, QObject* parent = nullptr);
    ~ModbusLink() override;

    // Either may be null. The link takes the received bytes of both.
    void setTransports(Transport* serial, Transport* tcp);
    Transport* serialTransport() const { return m_serial; }
    Transport* tcpTransport() const { return m_tcp; }
    void setPollingControl(PollingControl* polling) { m_polling = polling; }
    PollingControl* pollingControl() const { return m_polling; }

    // "Mode": 1 selects Modbus TCP, anything else Modbus RTU.
    void setCommMode(int mode) { m_commMode = mode; }
    int CommMode() const { return m_commMode; }
    bool isTcp() const { return m_commMode == 1; }
    void setSlaveId(int slaveId) { m_slaveId = slaveId; }
    int BCM_SlaveID() const { return m_slaveId; }
    // Panel number x 2000, added to TCP addresses (reads only off step 0 unless requested).
    void setPanelOffset(int offset) { m_panelOffset = offset; }
    int PanelOffset() const { return m_panelOffset; }
    // Back to 0 when the communication settings are saved.
    void resetTransactionCounter() { m_transactions.reset(); }
    quint16 TransactionCounter() const { return m_transactions.current(); }

    LinkState& state() { return m_state; }
    const LinkState& state() const { return m_state; }
    TrafficLog& trafficLog() { return m_trafficLog; }

    // Reads `count` registers from 1-based register `reg` of BCM_SlaveID in the current mode:
    // sets RegCount, sends, and arms the response time-out.
    RequestResult ReadQuery(qint64 reg, int count);
    // A user's setting write: sets WritePending, then sends in the current mode.
    RequestResult WriteQuery(qint64 reg, const QVector<int>& values);
    // The mode-specific builders as the main window offers them; they send and arm the
    // response time-out, and a read sets RegCount, but they set no write flags.
    RequestResult RTUReadQuery(int slaveID, qint64 reg, int count);
    RequestResult RTUWriteQuery(int slaveID, qint64 reg, int count, const QVector<int>& values);
    RequestResult TCPReadQuery(int slaveID, qint64 reg, int count);
    RequestResult TCPWriteQuery(int slaveID, qint64 reg, int count, const QVector<int>& values);
    // Why the last request was refused.
    QString refusal() const { return m_refusal; }

    bool requestOutstanding() const { return m_pending.has_value(); }
    // Forgets the outstanding request and anything half received (the unit is rebooting).
    void abandonRequest();

    const RegisterArray& RegData() const { return m_regData; }
    int RegCount() const { return m_regCount; }
    void setRegCount(int count);
    QString LastSentHex() const { return m_lastSentHex; }
    QString LastReceivedHex() const { return m_lastReceivedHex; }
    const QByteArray& ReceiveText() const { return m_receiveText; }

    // Used by TestComm: enables tmrTimeOut without moving an armed deadline.
    void enableResponseTimeout();
    void stopFrameGapTimer();

    // Shows "<description>\n(Error No. <n>)" in a warning box titled with the program title.
    void ErrorHandler(int errorNumber, const QString& description);
    static QString errorText(int errorNumber, const QString& description);

signals:
    // A read reply passed every check and its registers are in RegData(0..RegCount-1).
    void readReplyReady();
    // The unit answered a read with an exception: RegData is untouched; advance as if decoded.
    void readException(int exceptionCode);
    // A WritePending write ended: "Successful Write " or why it was not.
    void writeFinished(bool success, const QString& message);
    // A reply failed a check and was dropped.
    void replyRejected(const QString& reason);
    // No usable reply within the response time-out.
    void responseTimedOut();
    // The exchange is over, whatever its outcome: the next request may go out.
    void exchangeEnded();

    void statusText(const QString& panel, const QString& text);
    void beep();
    // A reply with an unexpected function code came in while polling (activity indicator).
    void activity();
    void calibrationResponse(const CalibrationResponse& response);

    // For the connection lifecycle; these run synchronously, the link relies on it.
    void echoReceived();
    void startCommRequested();
    // An RTU read went out (the connection watchdog is armed by it).
    void rtuReadSent();
    void unusableTcpReply();
    void serialReceived();
    void socketConnected();
    void socketClosed();
    void transportError(const QString& message);

private:
    struct PendingRequest {
        int function = 0;
        int slaveId = 0;
        int address = 0;
        int count = 0;
        quint16 transactionId = 0;
        bool tcp = false;
    };

    RequestResult send(const RequestFrame& frame, Transport* transport, const PendingRequest& request);
    RequestResult refuse(const QString& reason);
    RequestResult refuseValueCount(int count, const QVector<int>& values);

    void onSerialBytes(const QByteArray& bytes);
    void onTcpBytes(const QByteArray& bytes);
    void tmrRTU_Rec_Timeout_Timer();
    void tmrTimeOut_Timer();
    void tmrLineFree_Timer();
    bool writeWhenLineFree(Transport* transport, const QByteArray& bytes);
    void handleTcpFrame(const QByteArray& frame);
    void logReceived(const QByteArray& bytes);
    void reject(const QString& reason);
    void dispatchReply(const CheckedReply& reply);
    void failPendingWrite(const QString& reason);
    bool dispatchWriteFlags(bool acknowledged);
    void showCalibrationStatus();
    void finishReply();
    void clearWritePending();
    void resumePolling();
    int currentPollStep() const;

    Clock& m_clock;
    MessageSink& m_messages;
    QPointer<Transport> m_serial;
    QPointer<Transport> m_tcp;
    PollingControl* m_polling = nullptr;

    int m_commMode = 0;
    int m_slaveId = 1;
    int m_panelOffset = 0;
    halvana::TransactionCounter m_transactions;
    LinkState m_state;
    TrafficLog m_trafficLog;

    std::optional<PendingRequest> m_pending;
    QString m_refusal;
    RegisterArray m_regData{};
    int m_regCount = 0;
    QString m_lastSentHex;
    QString m_lastReceivedHex;
    QByteArray m_receiveText;
    bool m_receiveOverflow = false;
    QByteArray m_tcpBuffer;

    // The wake-up text is still on the line until this time; a request written before then
    // would run into it, so it is held back until the line is free.
    qint64 m_lineFreeAtMs = 0;
    QByteArray m_heldFrame;

    std::unique_ptr<Timer> tmrRTU_Rec_Timeout;
    std::unique_ptr<Timer> tmrTimeOut;
    std::unique_ptr<Timer> tmrLineFree;
};

} // namespace halvana
