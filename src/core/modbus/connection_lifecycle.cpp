#include "core/modbus/connection_lifecycle.h"

#include "core/app/app_title.h"
#include "core/app/message_sink.h"
#include "core/modbus/modbus_link.h"
#include "core/modbus/polling_control.h"
#include "core/modbus/status_panels.h"
#include "core/modbus/transport.h"
#include "core/time/clock.h"

namespace halvana {

ConnectionLifecycle::ConnectionLifecycle(ModbusLink& link, Clock& clock, MessageSink& messages, QObject* parent)
    : QObject(parent), m_link(link), m_clock(clock), m_messages(messages)
{
    const auto resumePolling = [this](Timer* timer) {
        timer->stop();
        setMainTimerEnabled(true);
    };
    const auto clearCommMsg = [this](Timer* timer) {
        timer->stop();
        emit statusText(panel::CommMsg, QString());
    };
    tmrConnection = makeTimer(5000, [this](Timer*) { tmrConnection_Timer(); });
    tmrTCP_OpenDelay = makeTimer(200, resumePolling);
    tmrTCP_Startup = makeTimer(500, resumePolling);
    tmrReOpenCommPort = makeTimer(4000, [this](Timer* timer) {
        timer->stop();
        StartComm();
    });
    tmrRestart = makeTimer(15000, [this](Timer*) { tmrRestart_Timer(); });
    tmrReboot = makeTimer(500, [this](Timer*) { tmrReboot_Timer(); });
    tmrRebootRestart = makeTimer(500, [this](Timer*) { tmrRebootRestart_Timer(); });
    tmrStatusBar = makeTimer(1000, [this](Timer*) { tmrStatusBar_Timer(); });
    tmrCommMsg = makeTimer(2000, clearCommMsg);
    tmrClearCommStatus = makeTimer(3000, clearCommMsg);

    connect(&link, &ModbusLink::exchangeEnded, this, &ConnectionLifecycle::onExchangeEnded);
    connect(&link, &ModbusLink::echoReceived, this, &ConnectionLifecycle::TestComm);
    connect(&link, &ModbusLink::startCommRequested, this, [this] {
        if (m_reopensLine)
            StartComm();
    });
    connect(&link, &ModbusLink::unusableTcpReply, this, [this] { tmrTCP_Startup->setEnabled(true); });
    connect(&link, &ModbusLink::rtuReadSent, this, &ConnectionLifecycle::enableConnectionWatchdog);
    connect(&link, &ModbusLink::serialReceived, this, &ConnectionLifecycle::onSerialReceived);
    connect(&link, &ModbusLink::socketConnected, this, &ConnectionLifecycle::onSocketConnected);
    connect(&link, &ModbusLink::socketClosed, this, &ConnectionLifecycle::onSocketClosed);
    connect(&link, &ModbusLink::transportError, this, [this](const QString& message) {
        emit statusText(panel::CommMsg, message);
        tmrCommMsg->start();
    });
    connect(&link, &ModbusLink::statusText, this, [this](const QString& panelKey, const QString& text) {
        if (panelKey == panel::CommMsg)
            showCommMessage(text);
        else
            emit statusText(panelKey, text);
    });
}

ConnectionLifecycle::~ConnectionLifecycle() = default;

std::unique_ptr<Timer> ConnectionLifecycle::makeTimer(int intervalMs, std::function<void(Timer*)> handler)
{
    std::unique_ptr<Timer> timer = m_clock.createTimer(intervalMs);
    Timer* raw = timer.get();
    timer->setCallback([raw, handler = std::move(handler)] { handler(raw); });
    return timer;
}

void ConnectionLifecycle::setSettings(const LinkSettings& settings)
{
    m_settings = settings;
    m_link.setCommMode(settings.CommMode);
    m_link.setSlaveId(settings.BCM_SlaveID);
}

void ConnectionLifecycle::setMainTimerEnabled(bool enabled)
{
    if (PollingControl* polling = m_link.pollingControl())
        polling->setMainTimerEnabled(enabled);
}

void ConnectionLifecycle::StartComm()
{
    if (m_link.isTcp()) {
        Transport* tcp = m_link.tcpTransport();
        if (tcp && !tcp->isOpen()) {
            tcp->close();
            tcp->setEndpoint(m_settings.ipAddress);
            tcp->open();
        }
        tmrTCP_OpenDelay->setEnabled(true);
    } else {
        OpenCommPort();
    }

    Transport* serial = m_link.serialTransport();
    if (serial && serial->isOpen()) {
        if (!m_link.isTcp()) {
            emit enableButtonsRequested(true);
            reportStatus(LinkStatus::Connection::Open);
        }
    } else {
        // In TCP mode tmrTCP_OpenDelay resumes polling shortly.
        setMainTimerEnabled(false);
        m_linkUp = false;
    }
}

bool ConnectionLifecycle::OpenCommPort()
{
    Transport* serial = m_link.serialTransport();
    if (!serial)
        return false;
    if (serial->isOpen())
        serial->close();
    const int index = m_settings.baudIndex;
    if (index < 0 || index >= int(kBaudRates.size())) {
        ErrorHandler(kInvalidBaudError,
                            QStringLiteral("Invalid baud rate setting %1: the PC baud list has entries 0 to %2.")
                                .arg(index)
                                .arg(kBaudRates.size() - 1));
        return false;
    }
    serial->setEndpoint(m_settings.commPort);
    serial->setBaudRate(kBaudRates[size_t(index)]);
    if (!serial->open()) {
        reportOpenFailure();
        return false;
    }
    setMainTimerEnabled(true);
    return true;
}

void ConnectionLifecycle::reportStatus(LinkStatus::Connection connection)
{
    const PollingControl* polling = m_link.pollingControl();
    emit linkStatusChanged({connection, m_link.isTcp(), polling && !polling->PollingDisabled(),
                            m_link.state().UpgradeState == LinkState::kUpgradeRunning});
}

QString ConnectionLifecycle::errorText(int errorNumber, const QString& description)
{
    return description + QStringLiteral("\n(Error No. ") + QString::number(errorNumber) + QLatin1Char(')');
}

void ConnectionLifecycle::ErrorHandler(int errorNumber, const QString& description)
{
    m_messages.showMessage(MessageSink::Severity::Warning, kAppTitle, errorText(errorNumber, description));
}

void ConnectionLifecycle::reportOpenFailure()
{
    Transport* serial = m_link.serialTransport();
    const QString port = m_settings.commPort;
    switch (serial->lastOpenError()) {
    case Transport::OpenError::NoSuchPort:
        m_messages.showMessage(MessageSink::Severity::Information, kAppTitle,
                               errorText(kInvalidPortError,
                                                     QStringLiteral("Invalid Port Number: Comm Port ") + port));
        break;
    case Transport::OpenError::InUse:
        m_messages.showMessage(MessageSink::Severity::Information, kAppTitle,
                               errorText(kPortInUseError,
                                                     QStringLiteral("Comm Port ") + port
                                                         + QStringLiteral(" is already open.")));
        break;
    case Transport::OpenError::PermissionDenied:
        m_messages.showMessage(
            MessageSink::Severity::Warning, kAppTitle,
            QStringLiteral("Comm Port %1 (%2) cannot be opened: permission denied (%3).\n"
                           "This user may not use the device. On Linux, add the user to the group that owns "
                           "it (usually dialout) and log in again.")
                .arg(port, serial->description(), serial->errorString()));
        break;
    case Transport::OpenError::None:
    case Transport::OpenError::Other:
        ErrorHandler(kPortOpenFault, QStringLiteral("Comm Port %1 (%2): %3")
                                                .arg(port, serial->description(), serial->errorString()));
        break;
    }
}

void ConnectionLifecycle::Connect()
{
    if (PollingControl* polling = m_link.pollingControl()) {
        polling->resetPollStep();
        polling->setPollingDisabled(false);
    }
    m_linkUp = false;
    // A unit still lost after reconnecting is reported again after as many failures.
    m_failures = 0;
    m_lastAnswer = QDateTime();
    StartComm();
    emit applyLoginLevelRequested();
    emit enableButtonsRequested(true);
}

void ConnectionLifecycle::Disconnect()
{
    if (PollingControl* polling = m_link.pollingControl())
        polling->setPollingDisabled(true);
    setMainTimerEnabled(false);
    Transport* transport = m_link.isTcp() ? m_link.tcpTransport() : m_link.serialTransport();
    if (transport && (m_link.isTcp() || transport->isOpen()))
        transport->close();
}

void ConnectionLifecycle::Connected()
{
    m_connectTime = m_clock.currentDateTime();
    emit secondStatusBarVisible(false);
    if (!m_socketNotConnected)
        emit statusText(panel::ConnectTime, QStringLiteral("Connected"));
    tmrStatusBar->setEnabled(true);
}

void ConnectionLifecycle::TestComm()
{
    Transport* serial = m_link.serialTransport();
    if (serial && serial->isOpen())
        serial->write(QByteArrayLiteral("\r\n"));
    m_link.enableResponseTimeout();
}

void ConnectionLifecycle::requestConnect()
{
    m_disconnectRequested = false;
    Connect();
    reportStatus(LinkStatus::Connection::Open);
    emit applyLoginLevelRequested();
}

void ConnectionLifecycle::requestDisconnect()
{
    m_disconnectRequested = true;
    reportStatus(LinkStatus::Connection::Closed);
}

void ConnectionLifecycle::requestReboot()
{
    reportStatus(LinkStatus::Connection::Rebooting);
    cmdReboot_Click();
}

void ConnectionLifecycle::cmdReboot_Click()
{
    m_link.state().IgnoreReceive = true;
    setMainTimerEnabled(false);
    m_link.stopFrameGapTimer();
    emit upgradeStatusText(QStringLiteral("Device is rebooting . . ."));
    tmrReboot->setEnabled(true);
}

void ConnectionLifecycle::tmrReboot_Timer()
{
    tmrReboot->stop();
    // Replies are ignored while the unit reboots: a read still outstanding never ends otherwise.
    m_link.abandonRequest();
    const QVector<int> reboot{1};
    if (m_link.isTcp())
        m_link.TCPWriteQuery(m_link.BCM_SlaveID(), kRebootRegister, 1, reboot);
    else
        m_link.RTUWriteQuery(m_link.BCM_SlaveID(), kRebootRegister, 1, reboot);
    requestDisconnect();
    m_link.state().DowngradeReboot = false;
    tmrRebootRestart->setEnabled(true);
}

void ConnectionLifecycle::tmrRebootRestart_Timer()
{
    tmrRebootRestart->stop();
    if (PollingControl* polling = m_link.pollingControl()) {
        polling->resetPollStep();
        polling->setPollingDisabled(false);
    }
    m_linkUp = false;
    m_disconnectRequested = false;
    m_link.state().IgnoreReceive = false;
    // The reboot command's reply was ignored on purpose; nothing is outstanding any more.
    m_link.abandonRequest();
    emit applyLoginLevelRequested();
    StartComm();
    emit enableButtonsRequested(true);
    setMainTimerEnabled(true);
    emit upgradeStatusText(QString());
}

void ConnectionLifecycle::reopenCommPortLater()
{
    tmrReOpenCommPort->start();
}

void ConnectionLifecycle::restartPollingLater()
{
    tmrRestart->start();
}

void ConnectionLifecycle::tmrRestart_Timer()
{
    m_link.state().UpgradeState = 0;
    tmrRestart->stop();
    if (PollingControl* polling = m_link.pollingControl())
        polling->resetPollStep();
    emit enableButtonsRequested(true);
}

void ConnectionLifecycle::showCommMessage(const QString& text)
{
    emit statusText(panel::CommMsg, text);
    tmrClearCommStatus->start();
}

void ConnectionLifecycle::enableConnectionWatchdog()
{
    tmrConnection->setEnabled(true);
}

void ConnectionLifecycle::tmrConnection_Timer()
{
    Transport* tcp = m_link.tcpTransport();
    if (tcp && tcp->isOpen())
        tmrConnection->stop();
    else
        m_socketNotConnected = true;
}

void ConnectionLifecycle::onSerialReceived()
{
    tmrConnection->stop();
    if (m_linkUp)
        return;
    m_linkUp = true;
    if (!m_lost)
        Connected();
    emit applyLoginLevelRequested();
    emit enableButtonsRequested(true);
    emit linkUp();
}

void ConnectionLifecycle::onSocketConnected()
{
    // A lost unit is back only when it answers, not when its port takes the connection.
    if (!m_lost) {
        emit statusText(panel::ConnectTime, QStringLiteral("Connected"));
        Connected();
    }
    emit statusText(panel::Baud, QString());
    emit statusPanelVisible(panel::Baud, false);
    reportStatus(LinkStatus::Connection::Open);
    m_linkUp = true;
    emit linkUp();
}

void ConnectionLifecycle::onSocketClosed()
{
    m_linkUp = false;
    emit statusText(panel::ConnectTime, QStringLiteral("Closed"));
    // Our own Disconnect stops polling first; any other close is the unit or the network.
    const PollingControl* polling = m_link.pollingControl();
    if (m_link.isTcp() && polling && !polling->PollingDisabled())
        markLost();
}

void ConnectionLifecycle::onExchangeEnded(const ExchangeOutcome& outcome)
{
    if (outcome.kind == ExchangeOutcome::Kind::Abandoned)
        return;
    if (outcome.answered()) {
        m_failures = 0;
        m_lastAnswer = m_clock.currentDateTime();
        if (m_lost) {
            m_lost = false;
            emit statusText(panel::ConnectTime, QStringLiteral("Connected"));
            Connected();
            emit communicationsRestored();
        }
        return;
    }
    if (++m_failures == kLostAfterFailures)
        markLost();
}

void ConnectionLifecycle::markLost()
{
    if (!m_lost) {
        m_lost = true;
        m_lostSince = m_lastAnswer.isValid() ? m_lastAnswer : m_clock.currentDateTime();
    }
    tmrStatusBar->stop();
    const Transport* tcp = m_link.tcpTransport();
    const bool closed = m_link.isTcp() && !(tcp && tcp->isOpen());
    emit statusText(panel::ConnectTime, closed ? QStringLiteral("Closed") : QStringLiteral("No reply"));
    emit secondStatusBarText(commLostText(m_lostSince));
    emit secondStatusBarVisible(true);
    emit communicationsLost(m_lostSince);
}

QString ConnectionLifecycle::commLostText(const QDateTime& since)
{
    return QStringLiteral("Communications Lost since ") + since.toString(QStringLiteral("hh:mm:ss"));
}

void ConnectionLifecycle::tmrStatusBar_Timer()
{
    const PollingControl* polling = m_link.pollingControl();
    if (polling && polling->PollingDisabled())
        emit statusText(panel::ConnectTime, QString());
    else
        emit statusText(panel::ConnectTime, connectTimeText(m_connectTime, m_clock.currentDateTime()));
}

QString ConnectionLifecycle::connectTimeText(const QDateTime& since, const QDateTime& now)
{
    const qint64 seconds = qMax<qint64>(0, since.secsTo(now));
    const qint64 days = seconds / 86400;
    const qint64 rest = seconds % 86400;
    return QStringLiteral("Connected: %1 Days - %2:%3:%4  ")
        .arg(days)
        .arg(rest / 3600, 2, 10, QLatin1Char('0'))
        .arg((rest / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(rest % 60, 2, 10, QLatin1Char('0'));
}

} // namespace halvana
