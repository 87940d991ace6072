#pragma once

#include "io/serial_transport.h"
#include "sim/line_writer.h"
#include "sim/service_shell.h"
#include "sim/xmodem_receiver.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace halvana {

class SimulatedUnit;

// The unit's service port: the service shell on a serial device or one end of a
// pseudo-terminal pair, its answers leaving at the line's speed as on a real port. An upgrade
// command switches the line to 9600 baud and an XMODEM-CRC receive; the image lands in a file
// per board, and the shell's prompt returns.
class ServiceConsole : public QObject {
public:
    explicit ServiceConsole(SimulatedUnit& unit, QObject* parent = nullptr);

    bool open(const QString& device, qint32 baud, QString* error);
    // Where received images go ("MCB.bin", "DIB.bin", "TIB.bin"); none kept when empty.
    void setUpgrade(const QString& folder, const UpgradeFaults& faults);

private:
    void startUpgrade(const QString& board);
    void receiveUpgrade(const QByteArray& bytes);
    void endUpgrade(const QString& message);

    SerialTransport m_port;
    ServiceShell m_shell;
    LineWriter m_writer;
    qint32 m_baud = 0;
    QString m_upgradeFolder;
    UpgradeFaults m_faults;
    std::unique_ptr<XmodemReceiver> m_receiver;
    QString m_board;
    // When the last byte received would have arrived on a line at the transfer's speed.
    qint64 m_lineInUs = 0;
    // Asks for the first block again, and gives up after a long silence.
    QTimer m_startRequest;
    QTimer m_silence;
};

} // namespace halvana
