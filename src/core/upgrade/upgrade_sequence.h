#pragma once

#include "core/upgrade/xmodem_sender.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace halvana {

class Clock;
class Timer;
class Transport;

// What the upgrade needs of the service terminal: its port's state, its command row, and
// letting go of the port while the image is sent.
class UpgradeTerminal {
public:
    virtual ~UpgradeTerminal() = default;

    virtual bool isPortOpen() const = 0;
    // Sends the command as the terminal's command row does; `sent` runs once it has left.
    virtual void sendCommand(const QString& command, std::function<void()> sent) = 0;
    // The terminal stops using the port: what comes in is the sender's.
    virtual void releasePort() = 0;
    // The terminal takes the port back at its own speed.
    virtual void resumePort() = 0;
};

// One firmware upgrade of a board: the image read and checked, the board's command through the
// terminal, the wait for the unit's "CCC", the port handed to the XMODEM-CRC sender at 9600
// baud and back, the status texts, and the estimate, elapsed and remaining times. Every end,
// failure or success, is told once by finished().
class UpgradeSequence : public QObject {
    Q_OBJECT
public:
    // The unit shows its receiver's "CCC" within this after the command, or it did not enter
    // its upgrade mode.
    static constexpr int kModeCheckMs = 1500;
    static constexpr int kElapsedMs = 1000;
    static inline const QString kReady = QStringLiteral("CCC");

    explicit UpgradeSequence(Clock& clock, QObject* parent = nullptr);
    ~UpgradeSequence() override;

    // Reads the image and sends `command`; false, with error() saying why, when nothing is sent
    // (the image is missing, empty or unreadable, or the terminal's port is closed).
    bool start(const QString& imagePath, const QString& command, UpgradeTerminal& terminal, Transport& port);
    QString error() const { return m_error; }
    // Text the terminal received; "CCC" in what came after the command starts the transfer.
    void terminalReceived(const QString& text);
    // The user gave up: a transfer is cancelled with CAN CAN, the port goes back to the terminal.
    void cancel();

    // From the command until the end.
    bool isBusy() const { return m_state != State::Idle; }
    bool isTransferring() const { return m_state == State::Transferring; }
    int blockCount() const { return m_sender.blockCount(); }
    int blocksAcknowledged() const { return m_sender.blocksAcknowledged(); }

    // The status box's text when the unit does not answer the command with "CCC".
    static QString notInUpgradeModeText(const QString& command);

signals:
    void statusText(const QString& text);
    // "mm:ss" texts; all empty when a transfer is cancelled.
    void timesChanged(const QString& estimate, const QString& elapsed, const QString& remaining);
    void progress(int acknowledged, int blockCount);
    // The end, with the transfer's status code (upgrade_status).
    void finished(int code);

private:
    enum class State { Idle, WaitingForUnit, Transferring };

    void modeCheck();
    void beginTransfer();
    void senderStatus(int code);
    void end(int code, const QString& text);
    void showTimes();

    Clock& m_clock;
    XmodemSender m_sender;
    std::unique_ptr<Timer> tmrBMM_UpgradeModeCheck;
    std::unique_ptr<Timer> tmrElaspedTime;
    UpgradeTerminal* m_terminal = nullptr;
    Transport* m_port = nullptr;
    State m_state = State::Idle;
    QByteArray m_image;
    QString m_command;
    QString m_error;
    // What the terminal received since the command.
    QString m_received;
    qint64 m_startMs = 0;
    qint64 m_estimateMs = 0;
};

} // namespace halvana
