#include "sim/service_console.h"

#include "core/files/text_file.h"
#include "core/upgrade/upgrade_timing.h"
#include "core/upgrade/xmodem_block.h"
#include "sim/simulated_unit.h"

#include <QDir>

#include <cmath>

namespace halvana {

namespace {

constexpr int kStartRequestMs = 3000;
constexpr int kSilenceMs = 10000;

} // namespace

ServiceConsole::ServiceConsole(SimulatedUnit& unit, QObject* parent)
    : QObject(parent), m_shell(unit.image()), m_writer([this](const QByteArray& bytes) { m_port.write(bytes); })
{
    connect(&m_port, &Transport::bytesReceived, this, [this](const QByteArray& bytes) {
        if (m_receiver) {
            receiveUpgrade(bytes);
            return;
        }
        const QByteArray answer = m_shell.receive(bytes);
        if (!answer.isEmpty())
            m_writer.send(answer, m_writer.nowUs());
        const QString board = m_shell.takeUpgradeRequest();
        if (!board.isEmpty())
            startUpgrade(board);
    });
    m_startRequest.setInterval(kStartRequestMs);
    connect(&m_startRequest, &QTimer::timeout, this,
            [this] { m_writer.send(QByteArray(1, xmodem::kCrcStart), m_writer.nowUs()); });
    m_silence.setSingleShot(true);
    m_silence.setInterval(kSilenceMs);
    connect(&m_silence, &QTimer::timeout, this, [this] { endUpgrade(QStringLiteral("Upgrade timed out")); });
}

bool ServiceConsole::open(const QString& device, qint32 baud, QString* error)
{
    m_port.setEndpoint(device);
    m_port.setBaudRate(baud);
    if (!m_port.open()) {
        *error = QStringLiteral("cannot open %1: %2").arg(device, m_port.errorString());
        return false;
    }
    m_baud = baud;
    m_writer.setPacing(baud);
    return true;
}

void ServiceConsole::setUpgrade(const QString& folder, const UpgradeFaults& faults)
{
    m_upgradeFolder = folder;
    m_faults = faults;
}

// The receiver's start requests leave at the console's speed, then the line drops to 9600 baud.
void ServiceConsole::startUpgrade(const QString& board)
{
    m_board = board;
    m_receiver = std::make_unique<XmodemReceiver>(m_faults);
    m_lineInUs = m_writer.send(QByteArrayLiteral("CCC"), m_writer.nowUs());
    m_port.setBaudRate(upgrade_timing::kBaud);
    m_writer.setPacing(upgrade_timing::kBaud);
    m_startRequest.start();
    m_silence.start();
}

void ServiceConsole::receiveUpgrade(const QByteArray& bytes)
{
    m_silence.start();
    // A pseudo-terminal hands the bytes over at once; the answer waits until they would have
    // come in at the line's speed.
    m_lineInUs = qMax(m_lineInUs, m_writer.nowUs()) + qint64(std::ceil(bytes.size() * m_writer.byteTimeUs()));
    const QByteArray answer = m_receiver->receive(bytes);
    if (m_receiver->hasStarted())
        m_startRequest.stop();
    if (!answer.isEmpty())
        m_lineInUs = m_writer.send(answer, m_lineInUs);
    switch (m_receiver->state()) {
    case XmodemReceiver::State::Receiving:
        return;
    case XmodemReceiver::State::Canceled:
        endUpgrade(QStringLiteral("Upgrade canceled"));
        return;
    case XmodemReceiver::State::Received:
        break;
    }
    QString message = QStringLiteral("%1 image received: %2 bytes").arg(m_board).arg(m_receiver->data().size());
    if (!m_upgradeFolder.isEmpty()) {
        const QString path = QDir(m_upgradeFolder).filePath(m_board + QStringLiteral(".bin"));
        if (const std::optional<QString> failure = writeFileAtomically(path, m_receiver->data()))
            message = QStringLiteral("Error: ") + *failure;
    }
    endUpgrade(message);
}

void ServiceConsole::endUpgrade(const QString& message)
{
    m_startRequest.stop();
    m_silence.stop();
    m_receiver.reset();
    const qint64 at = qMax(m_lineInUs, m_writer.nowUs());
    m_port.setBaudRate(m_baud);
    m_writer.setPacing(m_baud);
    m_writer.send((QStringLiteral("\r\n") + message + QStringLiteral("\r\n") + ServiceShell::kPrompt).toLatin1(), at);
}

} // namespace halvana
