#include "core/upgrade/upgrade_sequence.h"

#include "core/modbus/transport.h"
#include "core/time/clock.h"
#include "core/upgrade/upgrade_image.h"
#include "core/upgrade/upgrade_status.h"
#include "core/upgrade/upgrade_timing.h"
#include "core/upgrade/xmodem_block.h"

namespace halvana {

UpgradeSequence::UpgradeSequence(Clock& clock, QObject* parent) : QObject(parent), m_clock(clock), m_sender(clock)
{
    tmrBMM_UpgradeModeCheck = clock.createTimer(kModeCheckMs);
    tmrBMM_UpgradeModeCheck->setCallback([this] {
        tmrBMM_UpgradeModeCheck->stop();
        modeCheck();
    });
    tmrElaspedTime = clock.createTimer(kElapsedMs);
    tmrElaspedTime->setCallback([this] { showTimes(); });
    connect(&m_sender, &XmodemSender::statusChanged, this, &UpgradeSequence::senderStatus);
    connect(&m_sender, &XmodemSender::progress, this, [this](int acknowledged, int count) {
        emit progress(acknowledged, count);
        showTimes();
    });
}

UpgradeSequence::~UpgradeSequence() = default;

QString UpgradeSequence::notInUpgradeModeText(const QString& command)
{
    return QStringLiteral("The unit did not enter upgrade mode: no \"CCC\" within 1.5 seconds of \"%1\".\r\n"
                          "Nothing was sent.")
        .arg(command);
}

bool UpgradeSequence::start(const QString& imagePath, const QString& command, UpgradeTerminal& terminal,
                            Transport& port)
{
    if (isBusy()) {
        m_error = QStringLiteral("An upgrade is already in process.");
        return false;
    }
    const std::optional<QByteArray> image = upgrade_image::load(imagePath, &m_error);
    if (!image)
        return false;
    if (!terminal.isPortOpen()) {
        m_error = QStringLiteral("The terminal's port is not open: \"%1\" was not sent.").arg(command);
        return false;
    }
    m_error.clear();
    m_image = *image;
    m_command = command;
    m_terminal = &terminal;
    m_port = &port;
    m_received.clear();
    m_state = State::WaitingForUnit;
    m_startMs = m_clock.nowMs();
    m_estimateMs = upgrade_timing::estimateMs(m_image.size());
    emit progress(0, xmodem::blockCount(m_image.size()));
    emit statusText(QStringLiteral("Waiting for the unit to enter upgrade mode . . ."));
    showTimes();
    tmrElaspedTime->start();
    // The unit has its time to answer once the whole command has reached it.
    terminal.sendCommand(command, [this] {
        if (m_state == State::WaitingForUnit)
            tmrBMM_UpgradeModeCheck->start();
    });
    return true;
}

void UpgradeSequence::terminalReceived(const QString& text)
{
    if (m_state != State::WaitingForUnit)
        return;
    m_received += text;
    if (m_received.contains(kReady))
        beginTransfer();
}

void UpgradeSequence::modeCheck()
{
    if (m_state != State::WaitingForUnit)
        return;
    if (m_received.contains(kReady))
        beginTransfer();
    else
        end(upgrade_status::kNotAbleToStart, notInUpgradeModeText(m_command));
}

void UpgradeSequence::beginTransfer()
{
    tmrBMM_UpgradeModeCheck->stop();
    m_state = State::Transferring;
    m_terminal->releasePort();
    m_port->setBaudRate(upgrade_timing::kBaud);
    if (!m_port->isOpen() && !m_port->open()) {
        end(upgrade_status::kNotAbleToStart,
            upgrade_status::text(upgrade_status::kNotAbleToStart) + QStringLiteral("\r\n") + m_port->errorString());
        return;
    }
    // The unit's 'C' is in the terminal's text: block 1 goes at once.
    m_sender.start(*m_port, m_image, true);
}

void UpgradeSequence::senderStatus(int code)
{
    if (m_state != State::Transferring)
        return;
    if (upgrade_status::isFinal(code))
        end(code, upgrade_status::text(code));
    else if (const QString text = upgrade_status::text(code); !text.isEmpty())
        emit statusText(text);
}

void UpgradeSequence::cancel()
{
    if (m_state == State::Transferring) {
        m_sender.cancel();
    } else if (m_state == State::WaitingForUnit) {
        // The unit may have entered its receive mode already: this takes it out again.
        m_port->write(QByteArray(2, xmodem::CAN));
        end(upgrade_status::kCanceled, upgrade_status::text(upgrade_status::kCanceled));
    }
}

void UpgradeSequence::end(int code, const QString& text)
{
    const bool transferred = m_state == State::Transferring;
    m_state = State::Idle;
    tmrBMM_UpgradeModeCheck->stop();
    tmrElaspedTime->stop();
    if (code == upgrade_status::kCanceled)
        emit timesChanged(QString(), QString(), QString());
    else
        showTimes();
    if (transferred)
        m_terminal->resumePort();
    emit statusText(text);
    emit finished(code);
}

void UpgradeSequence::showTimes()
{
    const qint64 elapsed = m_clock.nowMs() - m_startMs;
    int left = 0;
    if (m_state == State::WaitingForUnit)
        left = xmodem::blockCount(m_image.size());
    else if (m_state == State::Transferring)
        left = xmodem::blockCount(m_image.size()) - m_sender.blocksAcknowledged();
    emit timesChanged(upgrade_timing::timeText(m_estimateMs, true), upgrade_timing::timeText(elapsed),
                      upgrade_timing::timeText(left > 0 ? upgrade_timing::remainingMs(left) : 0, true));
}

} // namespace halvana
