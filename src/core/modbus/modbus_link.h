#pragma once

#include "core/modbus/exchange.h"
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

#include <memory>
#include <optional>

namespace halvana {

class Clock;
class PollingControl;
class Timer;

// The Modbus link: a request/reply engine in RTU or TCP mode. It frames and sends one request
// at a time, assembles and checks the reply, and ends every request it accepted with exactly
// one exchangeEnded outcome. A request while another is outstanding is refused. What an
// outcome means for a write, a calibration step or a table is up to the caller.
class ModbusLink : public QObject {
    Q_OBJECT
public:
    static constexpr int kRtuBufferSize = 1000;
    static constexpr int kTcpBufferSize = 1191;
    static constexpr int kFrameGapMs = 70;
    static constexpr int kResponseTimeoutMs = 2000;
    // After an RTU time-out the next request waits until the line has been quiet this long,
    // so that a late reply to the abandoned request cannot pass for the answer to the next.
    static constexpr int kLateReplyGuardMs = 1000;
    // Sent after a response time-out in RS-485 mode to bring the unit's port back to Modbus.
    static inline const QByteArray kWakeUpText = QByteArrayLiteral("\r\n\r\nconfig\r\n");

    enum class RequestResult {
        Sent,    // on the wire (or held until the line is free); an outcome follows
        NotSent, // port closed or socket not connected; the response time-out ends the exchange
        Refused, // bad register, count or value, or a request outstanding: refusal() says why
    };

    explicit ModbusLink(Clock& clock, QObject* parent = nullptr);
    ~ModbusLink() override;

    // Either may be null. The link takes the received bytes of both.
    void setTransports(Transport* serial, Transport* tcp);
    Transport* serialTransport() const { return m_serial; }
    Transport* tcpTransport() const { return m_tcp; }
    void setPollingControl(PollingControl* polling) { m_polling = polling; }
    PollingControl* pollingControl() const { return m_polling; }

    // Fast polling (opt-in): an RTU reply is complete as soon as the bytes its request calls for
    // are in and its CRC holds, instead of after the frame gap; the next request then waits only
    // for the line's inter-frame silence. Off, the link keeps the unit's own rhythm.
    void setFastPolling(bool on) { m_fastPolling = on; }
    bool fastPolling() const { return m_fastPolling; }
    // The silence between RTU frames: 3.5 characters of 11 bits, 1750 us above 19200 baud
    // (and for a line of unknown speed).
    static qint64 interFrameSilenceUs(qint32 baud);

    // "Mode": 1 selects Modbus TCP, anything else Modbus RTU.
    void setCommMode(int mode) { m_commMode = mode; }
    int CommMode() const { return m_commMode; }
    bool isTcp() const { return m_commMode == 1; }
    void setSlaveId(int slaveId) { m_slaveId = slaveId; }
    int BCM_SlaveID() const { return m_slaveId; }
    // Panel number x 2000, added to TCP addresses (reads only off step 0 unless requested,
    // writes only outside the system block 1..63).
    void setPanelOffset(int offset) { m_panelOffset = offset; }
    int PanelOffset() const { return m_panelOffset; }
    // Back to 0 when the communication settings are saved.
    void resetTransactionCounter() { m_transactions.reset(); }
    quint16 TransactionCounter() const { return m_transactions.current(); }

    LinkState& state() { return m_state; }
    const LinkState& state() const { return m_state; }
    TrafficLog& trafficLog() { return m_trafficLog; }

    // Reads `count` registers from 1-based register `reg` of BCM_SlaveID in the current mode.
    RequestResult ReadQuery(qint64 reg, int count);
    // Writes the values to `reg` onwards on BCM_SlaveID in the current mode.
    RequestResult WriteQuery(qint64 reg, const QVector<int>& values);
    // The mode-specific builders; they send and arm the response time-out.
    RequestResult RTUReadQuery(int slaveID, qint64 reg, int count);
    RequestResult RTUWriteQuery(int slaveID, qint64 reg, int count, const QVector<int>& values);
    RequestResult TCPReadQuery(int slaveID, qint64 reg, int count);
    RequestResult TCPWriteQuery(int slaveID, qint64 reg, int count, const QVector<int>& values);
    // Why the last request was refused.
    QString refusal() const { return m_refusal; }
    // Why ReadQuery(reg, count) would be refused for its address range now, or empty; sends nothing.
    QString readRangeRefusal(qint64 reg, int count) const;
    // The id of the last request accepted (sent or not): its outcome carries the same id.
    quint64 lastRequestId() const { return m_lastRequestId; }

    bool requestOutstanding() const { return m_pending.has_value(); }
    // Ends the outstanding request, if any, as abandoned, and forgets anything half received
    // (the unit is rebooting, the tool is closing).
    void abandonRequest();

    // The registers of the last read reply.
    const halvana::RegData& RegData() const { return m_regData; }
    QString LastSentHex() const { return m_lastSentHex; }
    QString LastReceivedHex() const { return m_lastReceivedHex; }
    const QByteArray& ReceiveText() const { return m_receiveText; }

    // Used by TestComm: enables tmrTimeOut without moving an armed deadline.
    void enableResponseTimeout();
    void stopFrameGapTimer();

signals:
    // The exchange is over, whatever its outcome: the next request may go out.
    void exchangeEnded(const halvana::ExchangeOutcome& outcome);

    void statusText(const QString& panel, const QString& text);
    // A reply with an unexpected function code came in while polling (activity indicator).
    void activity();

    // For the connection lifecycle; these run synchronously, the link relies on it.
    void echoReceived();
    void startCommRequested();
    // An RTU read went out (the connection watchdog is armed by it).
    void rtuReadSent();
    void unusableTcpReply();
    // A reply came after its request had timed out (RTU) or answers an earlier transaction (TCP).
    void lateReplyDropped();
    // A frame went to the line or came from it, as the Data Spy logs it; a reply to a request
    // on the line carries its round trip, else -1.
    void frameLogged(const QByteArray& frame, bool sent, qint64 roundTripUs);
    void serialReceived();
    void socketConnected();
    void socketClosed();
    void transportError(const QString& message);

private:
    RequestResult send(const RequestFrame& frame, Transport* transport, const ModbusRequest& request);
    RequestResult refuse(const QString& reason);
    RequestResult refuseValueCount(int count, const QVector<int>& values);
    int tcpReadOffset() const;

    void onSerialBytes(const QByteArray& bytes);
    void onTcpBytes(const QByteArray& bytes);
    void completeFastRtuReply();
    void tmrRTU_Rec_Timeout_Timer();
    void tmrTimeOut_Timer();
    void tmrLineFree_Timer();
    bool writeWhenLineFree(Transport* transport, const QByteArray& bytes);
    void holdLineFor(int ms);
    // Fast polling: the line has had no byte for the inter-frame silence.
    void holdLineForSilence();
    qint64 lineWaitMs() const;
    void handleTcpFrame(const QByteArray& frame);
    void logReceived(const QByteArray& bytes);
    // From the outstanding request's last byte to the last byte received; -1 when it has not left.
    qint64 roundTripUs() const;
    void reject(RejectCause cause, const QString& reason);
    void dispatchReply(const CheckedReply& reply);
    void endExchange(ExchangeOutcome::Kind kind, const QString& reason, const CheckedReply* reply = nullptr,
                     RejectCause cause = RejectCause::None);
    void clearReceived();
    void resumePolling();
    int currentPollStep() const;

    Clock& m_clock;
    QPointer<Transport> m_serial;
    QPointer<Transport> m_tcp;
    PollingControl* m_polling = nullptr;

    int m_commMode = 0;
    bool m_fastPolling = false;
    int m_slaveId = 1;
    int m_panelOffset = 0;
    halvana::TransactionCounter m_transactions;
    LinkState m_state;
    TrafficLog m_trafficLog;

    std::optional<ModbusRequest> m_pending;
    // The pending request has left for the line (not held back, not refused by the port).
    bool m_pendingWritten = false;
    quint64 m_lastRequestId = 0;
    QString m_refusal;
    halvana::RegData m_regData;
    QString m_lastSentHex;
    QString m_lastReceivedHex;
    QByteArray m_receiveText;
    bool m_receiveOverflow = false;
    QByteArray m_tcpBuffer;

    // Nothing may be written to the RS-485 line before this time (the wake-up text is still
    // going out, or late replies may still come); a request meanwhile is held back.
    qint64 m_lineFreeAtMs = 0;
    bool m_lateReplyGuard = false;
    // Fast polling: nothing is written before this (the clock's microseconds).
    qint64 m_silentUntilUs = 0;
    // When the last received byte came (the clock's microseconds).
    qint64 m_lastByteAtUs = 0;
    QByteArray m_heldFrame;

    std::unique_ptr<Timer> tmrRTU_Rec_Timeout;
    std::unique_ptr<Timer> tmrTimeOut;
    std::unique_ptr<Timer> tmrLineFree;
};

} // namespace halvana
