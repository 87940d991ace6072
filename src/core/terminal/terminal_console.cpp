#include "core/terminal/terminal_console.h"

#include "core/app/app_title.h"
#include "core/app/message_sink.h"
#include "core/modbus/transport.h"
#include "core/time/clock.h"

namespace halvana {

namespace {

QString elapsedText(qint64 seconds)
{
    const auto two = [](qint64 n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return two(seconds / 3600) + QLatin1Char(':') + two(seconds / 60 % 60) + QLatin1Char(':') + two(seconds % 60);
}

} // namespace

TerminalConsole::TerminalConsole(Clock& clock, MessageSink& messages, QObject* parent)
    : QObject(parent), m_clock(clock), m_messages(messages), m_queue(clock)
{
    tmrStartup = oneShot(500, [this] { m_armed = true; });
    tmrTest = oneShot(500, [this] { Send_SP_Command(QStringLiteral(" ")); });
    tmrLogin = oneShot(1000, [this] {
        if (isOpen()) {
            SendToUSB(QString());
            m_console.setMasking(true);
        }
    });
    Timer1 = clock.createTimer(1000);
    Timer1->setCallback([this] { showElapsed(); });
    Timer2 = oneShot(2000, [this] { setPanel(kErrorsPanel, QString()); });
    tmrDisconnected = oneShot(4000, [this] { markDisconnected(); });
    tmrRestartMSComm = oneShot(2000, [this] {
        if (!m_wanted || isOpen())
            return;
        if (m_port && m_port->open())
            opened();
        else {
            showError(m_port ? m_port->errorString() : QString());
            tmrRestartMSComm->start();
        }
    });
}

TerminalConsole::~TerminalConsole() = default;

std::unique_ptr<Timer> TerminalConsole::oneShot(int ms, std::function<void()> action)
{
    std::unique_ptr<Timer> timer = m_clock.createTimer(ms);
    Timer* raw = timer.get();
    timer->setCallback([raw, action = std::move(action)] {
        raw->stop();
        action();
    });
    return timer;
}

void TerminalConsole::setPort(Transport* port, int portNumber)
{
    if (m_port)
        m_port->disconnect(this);
    m_port = port;
    m_portNumber = portNumber;
    m_queue.setTransport(port);
    if (!port)
        return;
    connect(port, &Transport::bytesReceived, this, &TerminalConsole::onBytes);
    connect(port, &Transport::errorOccurred, this, &TerminalConsole::showError);
    connect(port, &Transport::disconnected, this, &TerminalConsole::lineLost);
}

bool TerminalConsole::isOpen() const
{
    return m_port && m_port->isOpen();
}

void TerminalConsole::setCommandLine(const QString& text)
{
    if (text == m_commandLine)
        return;
    m_commandLine = text;
    emit commandLineChanged(text);
}

void TerminalConsole::setPanel(const QString& key, const QString& text)
{
    m_panels[key] = text;
    emit panelChanged(key, text);
}

void TerminalConsole::setConnectCaption(const QString& caption)
{
    m_connectCaption = caption;
    emit connectCaptionChanged(caption);
}

void TerminalConsole::setIndicator(bool lit)
{
    m_indicatorLit = lit;
    emit indicatorChanged(lit);
}

void TerminalConsole::showError(const QString& text)
{
    setPanel(kErrorsPanel, text);
    Timer2->start();
}

void TerminalConsole::load()
{
    if (openPort()) {
        setConnectCaption(QStringLiteral("Disconnect"));
        // The port is open from here on, so what the unit echoes of a password is masked.
        m_console.setMasking(true);
    } else {
        setConnectCaption(QStringLiteral("Connect"));
        setPanel(kStatusPanel, QStringLiteral("Disconnected"));
    }
    tmrStartup->setEnabled(true);
    tmrTest->setEnabled(true);
}

void TerminalConsole::unload()
{
    for (Timer* timer : {tmrStartup.get(), tmrTest.get(), tmrLogin.get(), Timer1.get(), Timer2.get(),
                         tmrDisconnected.get(), tmrRestartMSComm.get()})
        timer->stop();
    m_queue.clear();
    m_wanted = false;
    // A port lent to a firmware transfer stays open for it.
    if (isOpen() && !m_released)
        m_port->close();
}

bool TerminalConsole::openPort()
{
    if (!m_port) {
        m_messages.showMessage(MessageSink::Severity::Warning, kAppTitle,
                               QStringLiteral("There is no service port to open."));
        return false;
    }
    m_port->setEndpoint(QString::number(m_portNumber));
    m_port->setBaudRate(kBaud);
    if (!m_port->open()) {
        reportOpenFailure();
        return false;
    }
    opened();
    return true;
}

void TerminalConsole::reportOpenFailure()
{
    const QString port = QStringLiteral("Comm Port %1 (%2)").arg(m_portNumber).arg(m_port->description());
    QString text;
    switch (m_port->lastOpenError()) {
    case Transport::OpenError::NoSuchPort:
        text = port + QStringLiteral(" cannot be opened: there is no such port.");
        break;
    case Transport::OpenError::InUse:
        text = port + QStringLiteral(" cannot be opened: it is in use by another program.");
        break;
    case Transport::OpenError::PermissionDenied:
        text = port + QStringLiteral(" cannot be opened: permission denied (%1).\nThis user may not use the device.")
                          .arg(m_port->errorString());
        break;
    case Transport::OpenError::None:
    case Transport::OpenError::Other:
        text = port + QStringLiteral(" cannot be opened: ") + m_port->errorString();
        break;
    }
    m_messages.showMessage(MessageSink::Severity::Warning, kAppTitle, text);
}

void TerminalConsole::opened()
{
    m_wanted = true;
    m_connectTime = m_clock.currentDateTime();
    const QString device = m_port->description();
    const QString number = QStringLiteral("COM%1").arg(m_portNumber);
    setPanel(kComPortPanel, device == number ? number : number + QStringLiteral(" (") + device + QLatin1Char(')'));
    setPanel(kSettingsPanel, kLineSettings);
    Timer1->setEnabled(true);
}

void TerminalConsole::closePort()
{
    m_wanted = false;
    m_queue.clear();
    Timer1->stop();
    tmrRestartMSComm->stop();
    tmrDisconnected->stop();
    if (isOpen())
        m_port->close();
    setIndicator(false);
    setConnectCaption(QStringLiteral("Connect"));
    setPanel(kStatusPanel, QStringLiteral("Disconnected"));
}

void TerminalConsole::cmdConnect_Click()
{
    if (!m_armed) {
        m_armed = true;
        if (isOpen())
            return;
    }
    if (isOpen()) {
        closePort();
        return;
    }
    if (!openPort())
        return;
    m_console.setMasking(true);
    setConnectCaption(QStringLiteral("Disconnect"));
    tmrLogin->setEnabled(true);
    setCommandLine(QString());
    SendTLM_Command();
}

void TerminalConsole::lineLost()
{
    if (!m_wanted || m_released)
        return;
    m_queue.clear();
    Timer1->stop();
    markDisconnected();
    tmrRestartMSComm->start();
}

void TerminalConsole::SendTLM_Command(std::function<void()> sent)
{
    m_history << m_commandLine;
    tmrDisconnected->setEnabled(true);
    SendToUSB(m_commandLine + QLatin1Char('\r'), std::move(sent));
    setCommandLine(QString());
}

void TerminalConsole::SendToUSB(const QString& text, std::function<void()> sent)
{
    m_queue.enqueue(text, std::move(sent));
}

void TerminalConsole::Send_SP_Command(const QString& text)
{
    setCommandLine(text);
    SendTLM_Command();
}

void TerminalConsole::releasePort()
{
    m_released = true;
    m_queue.clear();
    m_queue.setTransport(nullptr);
    tmrDisconnected->stop();
}

void TerminalConsole::resumePort()
{
    if (!m_released)
        return;
    m_released = false;
    m_queue.setTransport(m_port);
    if (!m_port)
        return;
    m_port->setBaudRate(kBaud);
    if (!m_port->isOpen() && m_wanted && !openPort())
        lineLost();
}

void TerminalConsole::onBytes(const QByteArray& bytes)
{
    if (m_released)
        return;
    tmrDisconnected->stop();
    if (!m_indicatorLit) {
        setIndicator(true);
        setPanel(kStatusPanel, QStringLiteral("Connected"));
    }
    const QString block = QString::fromLatin1(bytes);
    m_console.receive(block);
    emit received(block);
}

void TerminalConsole::showElapsed()
{
    // Only while the unit answers; the watchdog's "Disconnected" stays until it does again.
    if (m_indicatorLit)
        setPanel(kStatusPanel, QStringLiteral("Connected: ") + elapsedText(m_connectTime.secsTo(m_clock.currentDateTime()))
                                   + QLatin1Char(' '));
}

void TerminalConsole::markDisconnected()
{
    setIndicator(false);
    setPanel(kStatusPanel, QStringLiteral("Disconnected"));
}

} // namespace halvana
