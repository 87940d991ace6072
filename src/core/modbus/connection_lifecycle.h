#pragma once

#include "core/modbus/exchange.h"
#include "core/modbus/link_settings.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace halvana {

class Clock;
class MessageSink;
class ModbusLink;
class PollingControl;
class Timer;

// What the main window's menus follow of the link: whether the connection is open (or being
// opened), closed, or the unit is rebooting; the mode; polling; a firmware transfer.
struct LinkStatus {
    enum class Connection { Closed, Open, Rebooting };
    Connection connection = Connection::Closed;
    bool tcp = false;
    bool pollingEnabled = false;
    bool upgradeRunning = false;
};

// Opens and closes the link's transports from the stored settings, follows the connection
// state for the status bar, and runs connect, disconnect and the unit's reboot. Menus and
// windows belong to the main window: it follows the signals. The link's status texts come out
// of statusText() here too, communication messages cleared after a few seconds.
class ConnectionLifecycle : public QObject {
    Q_OBJECT
public:
    // This many exchanges in a row without a usable reply, or a socket the unit closed, and the
    // unit counts as lost until it answers again.
    static constexpr int kLostAfterFailures = 3;
    static constexpr int kInvalidPortError = 8002;
    static constexpr int kPortInUseError = 8005;
    static constexpr int kPortOpenFault = 8010;
    static constexpr int kInvalidBaudError = 380;
    static constexpr int kRebootRegister = 858;

    ConnectionLifecycle(ModbusLink& link, Clock& clock, MessageSink& messages, QObject* parent = nullptr);
    ~ConnectionLifecycle() override;

    // Also hands the mode and slave ID to the link.
    void setSettings(const LinkSettings& settings);
    const LinkSettings& settings() const { return m_settings; }

    // Whether the link's time-outs and a closed socket make it reopen the line: the program
    // does; halvana-cli keeps the line it opened for its one command.
    void setReopensLine(bool reopens) { m_reopensLine = reopens; }

    void StartComm();
    // Reopens the serial port; false (after a message box) when it cannot be opened.
    bool OpenCommPort();
    void Connect();
    void Disconnect();
    void Connected();
    // The line echoed our request: prod the unit and let the response time-out reopen the port.
    void TestComm();

    // The user's Connect, Disconnect and Reboot: the link status follows at once, the work
    // (Disconnect on the next polling tick, the reboot command half a second later) after.
    void requestConnect();
    void requestDisconnect();
    void requestReboot();
    void cmdReboot_Click();
    // StartComm once, tmrReOpenCommPort (4 s) from now.
    void reopenCommPortLater();
    // Resets the polling state tmrRestart (15 s) from now, after the unit restarted itself.
    void restartPollingLater();
    // Shows a communication message in "CommMsg" for three seconds.
    void showCommMessage(const QString& text);
    // tmrConnection: the polling tick and every RTU read arm it; received data disarms it.
    void enableConnectionWatchdog();

    bool LinkUp() const { return m_linkUp; }
    // No usable reply for kLostAfterFailures exchanges, or the socket closed, and no reply since.
    bool CommunicationsLost() const { return m_lost; }
    QDateTime lostSince() const { return m_lostSince; }
    // "Communications Lost since 14:05:09".
    static QString commLostText(const QDateTime& since);
    QDateTime ConnectTime() const { return m_connectTime; }
    bool SocketNotConnected() const { return m_socketNotConnected; }
    // Seen by the next polling tick, which then calls Disconnect and clears it.
    bool DisconnectRequested() const { return m_disconnectRequested; }
    void setDisconnectRequested(bool requested) { m_disconnectRequested = requested; }

    // Shows "<description>\n(Error No. <n>)" in a warning box titled with the program title.
    void ErrorHandler(int errorNumber, const QString& description);
    static QString errorText(int errorNumber, const QString& description);

    // "Connected: 1 Days - 01:00:00  " for a link up 25 hours.
    static QString connectTimeText(const QDateTime& since, const QDateTime& now);

signals:
    void statusText(const QString& panel, const QString& text);
    void statusPanelVisible(const QString& panel, bool visible);
    // The "Polling is Disabled" bar under the status bar, which also says since when
    // communication is lost.
    void secondStatusBarVisible(bool visible);
    void secondStatusBarText(const QString& text);
    // The unit stopped answering: what the windows show from it is old. Repeated after
    // reconnecting when it still does not answer.
    void communicationsLost(const QDateTime& since);
    // The first usable reply after the loss.
    void communicationsRestored();
    void linkStatusChanged(const halvana::LinkStatus& status);
    void applyLoginLevelRequested();
    void enableButtonsRequested(bool enabled);
    // The first data after the port opened: the unit is there.
    void linkUp();
    // Status text of the firmware upgrade window while the unit reboots ("" when done).
    void upgradeStatusText(const QString& text);

private:
    void onExchangeEnded(const ExchangeOutcome& outcome);
    void markLost();
    void onSerialReceived();
    void onSocketConnected();
    void onSocketClosed();
    void tmrConnection_Timer();
    void tmrStatusBar_Timer();
    void tmrReboot_Timer();
    void tmrRebootRestart_Timer();
    void tmrRestart_Timer();
    void setMainTimerEnabled(bool enabled);
    void reportOpenFailure();
    void reportStatus(LinkStatus::Connection connection);
    std::unique_ptr<Timer> makeTimer(int intervalMs, std::function<void(Timer*)> handler);

    ModbusLink& m_link;
    Clock& m_clock;
    MessageSink& m_messages;
    LinkSettings m_settings;

    bool m_reopensLine = true;
    bool m_linkUp = false;
    QDateTime m_connectTime;
    bool m_socketNotConnected = false;
    bool m_disconnectRequested = false;
    int m_failures = 0;
    bool m_lost = false;
    QDateTime m_lostSince;
    // The end of the last usable exchange since connecting; the loss counts from it.
    QDateTime m_lastAnswer;

    std::unique_ptr<Timer> tmrConnection;
    std::unique_ptr<Timer> tmrTCP_OpenDelay;
    std::unique_ptr<Timer> tmrTCP_Startup;
    std::unique_ptr<Timer> tmrReOpenCommPort;
    std::unique_ptr<Timer> tmrRestart;
    std::unique_ptr<Timer> tmrReboot;
    std::unique_ptr<Timer> tmrRebootRestart;
    std::unique_ptr<Timer> tmrStatusBar;
    std::unique_ptr<Timer> tmrCommMsg;
    std::unique_ptr<Timer> tmrClearCommStatus;
};

} // namespace halvana
