#pragma once

#include <QByteArray>
#include <QMetaObject>
#include <QObject>

#include <memory>

namespace halvana {

class Clock;
class Timer;
class Transport;

// Sends an image by XMODEM with CRC-16 over a port, driven by what the receiver answers and by
// time-outs; nothing waits. The receiver's 'C' starts block 1; ACK moves to the next block, NAK
// or no answer within the packet time-out sends the block again. After kMaxErrors errors on one
// block the transfer is cancelled with CAN CAN. The last block is followed by EOT, which the
// receiver must ACK. CAN CAN from the receiver, or cancel() here, ends it too. The outcome is a
// status code of upgrade_status.
class XmodemSender : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxErrors = 10;
    static constexpr int kPacketTimeoutMs = 5000;
    // A receiver asks for the first block within this, or the transfer cannot start.
    static constexpr int kStartTimeoutMs = 60000;

    explicit XmodemSender(Clock& clock, QObject* parent = nullptr);
    ~XmodemSender() override;

    // Starts sending `image` on the open `port`, listening to what it receives until the end.
    // `receiverAsked`: the receiver's 'C' was already seen (by the terminal), so block 1 goes at once.
    void start(Transport& port, const QByteArray& image, bool receiverAsked = false);
    // The user gave up: CAN CAN to the receiver, and the transfer ends as cancelled.
    void cancel();
    // What the receiver sent.
    void bytesIn(const QByteArray& bytes);

    bool isRunning() const { return m_state != State::Idle; }
    int blockCount() const { return m_blockCount; }
    int blocksAcknowledged() const { return m_acknowledged; }
    int status() const { return m_status; }

signals:
    void statusChanged(int code);
    void progress(int acknowledged, int blockCount);
    // The transfer has ended; the port is no longer listened to.
    void finished(int code);

private:
    enum class State { Idle, WaitStart, WaitBlockAnswer, WaitEotAnswer };

    void answer(char c);
    void sendCurrent();
    void error();
    void timedOut();
    void end(int code, bool sendCancel);
    void setStatus(int code);

    Clock& m_clock;
    std::unique_ptr<Timer> m_timer;
    Transport* m_port = nullptr;
    QMetaObject::Connection m_listening;
    QByteArray m_image;
    State m_state = State::Idle;
    int m_blockCount = 0;
    int m_block = 0;
    int m_acknowledged = 0;
    int m_errors = 0;
    bool m_afterCan = false;
    int m_status = 0;
};

} // namespace halvana
