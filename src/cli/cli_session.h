#pragma once

#include "cli/cli_arguments.h"
#include "core/modbus/exchange.h"
#include "core/modbus/modbus_link.h"
#include "core/session/unit_session.h"
#include "io/qt_clock.h"

#include <QEventLoop>
#include <QObject>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

namespace halvana {
class AppSettings;
class MessageSink;
class Transport;
}

namespace halvana::cli {

// Why a port did not open, naming the device: "there is no serial port /dev/ttyUSB3".
QString openFailureText(const Transport& transport);

// The unit session over a real serial port or socket, for commands that talk to the unit. The
// helpers wait for each exchange in a local event loop; the link ends every exchange with one
// outcome.
class CliSession : public QObject {
    Q_OBJECT
public:
    static constexpr int kConnectTimeoutMs = 5000;
    // Reads give up after this many failed attempts in a row.
    static constexpr int kAttempts = 3;
    // `settings` maps stored port numbers to devices; it must outlive the session.
    // `programFolder` holds the definition files the tables are built from.
    CliSession(const LinkTarget& target, const AppSettings& settings, MessageSink& messages,
               const QString& programFolder, QObject* parent = nullptr);
    ~CliSession() override;

    // Opens the serial port or connects the socket; false with a message.
    bool open(QString* error);

    const LinkTarget& target() const { return m_target; }
    UnitSession& unit() { return m_unit; }
    ModbusLink& link() { return m_unit.link(); }
    Clock& clock() { return m_clock; }
    Transport& transport() { return *m_transport; }

    // Reads `count` registers from 1-based register `reg`; nothing, with a message, when the unit
    // refused or kAttempts exchanges in a row failed.
    std::optional<QVector<quint16>> readRegisters(int reg, int count, QString* error);
    struct WriteResult {
        bool success = false;
        // What the program shows: "Successful Write " or why the write failed.
        QString message;
        // The link's communication message about it (the exception the unit answered with).
        QString detail;
        bool refusedByUnit = false;
    };
    // Writes the values to `reg` onwards, once: a command register (a reboot, a calibration
    // step) must not act twice.
    WriteResult writeRegisters(int reg, const QVector<int>& values);

    // For commands that drive the link themselves: runs the event loop until finish().
    int exec();
    void finish(int exitCode);

private:
    // Sends one request and waits until the link ends the exchange; a closed connection ends
    // it as not sent, a refusal as not sent with the link's reason.
    ExchangeOutcome exchange(const std::function<ModbusLink::RequestResult()>& send);

    LinkTarget m_target;
    QtClock m_clock;
    std::unique_ptr<Transport> m_transport;
    UnitSession m_unit;
    QString m_commMessage;
    QEventLoop m_loop;
    std::optional<int> m_finished;
};

} // namespace halvana::cli
