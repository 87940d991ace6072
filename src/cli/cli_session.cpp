#include "cli/cli_session.h"

#include "cli/cli_command.h"
#include "core/device/setting_writes.h"
#include "core/modbus/connection_lifecycle.h"
#include "core/modbus/status_panels.h"
#include "io/serial_transport.h"
#include "io/tcp_transport.h"

#include <QTimer>

#include <utility>

namespace halvana::cli {

namespace {

// Ends a local event loop once: by an event, or by a deadline that keeps a broken exchange from
// hanging the tool.
class LocalWait {
public:
    LocalWait(Clock& clock, int timeoutMs) : m_deadline(clock.createTimer(timeoutMs))
    {
        m_deadline->setCallback([this] { end(false); });
    }
    ~LocalWait()
    {
        for (const auto& connection : m_connections)
            QObject::disconnect(connection);
    }

    void add(const QMetaObject::Connection& connection) { m_connections << connection; }
    // True when an event ended the wait, false on the deadline.
    bool run()
    {
        if (!m_ended) {
            m_deadline->start();
            m_loop.exec();
            m_deadline->stop();
        }
        return m_byEvent;
    }
    void end(bool byEvent = true)
    {
        if (m_ended)
            return;
        m_ended = true;
        m_byEvent = byEvent;
        m_loop.quit();
    }

private:
    std::unique_ptr<Timer> m_deadline;
    QEventLoop m_loop;
    QList<QMetaObject::Connection> m_connections;
    bool m_ended = false;
    bool m_byEvent = false;
};

} // namespace

QString openFailureText(const Transport& transport)
{
    switch (transport.lastOpenError()) {
    case Transport::OpenError::NoSuchPort:
        return QStringLiteral("there is no serial port %1").arg(transport.description());
    case Transport::OpenError::InUse:
        return QStringLiteral("serial port %1 is already open in another program").arg(transport.description());
    case Transport::OpenError::PermissionDenied:
        return QStringLiteral("no permission to use serial port %1 (%2)")
            .arg(transport.description(), transport.errorString());
    default:
        return QStringLiteral("cannot open %1: %2").arg(transport.description(), transport.errorString());
    }
}

CliSession::CliSession(const LinkTarget& target, const AppSettings& settings, MessageSink& messages,
                       const QString& programFolder, QObject* parent)
    : QObject(parent), m_target(target), m_unit(m_clock, messages, programFolder)
{
    ModbusLink& link = m_unit.link();
    if (target.tcp) {
        m_transport = std::make_unique<TcpTransport>();
    } else {
        m_transport = std::make_unique<SerialTransport>(&settings);
        m_transport->setBaudRate(target.baud);
    }
    m_transport->setEndpoint(target.endpoint);
    m_unit.setTransports(target.tcp ? nullptr : m_transport.get(), target.tcp ? m_transport.get() : nullptr);
    m_unit.lifecycle().setReopensLine(false);
    link.setCommMode(target.tcp ? 1 : 0);
    link.setSlaveId(target.slaveId);
    m_unit.setFastPolling(target.fastPolling);
    connect(&link, &ModbusLink::statusText, this, [this](const QString& panel, const QString& text) {
        if (panel == panel::CommMsg)
            m_commMessage = text;
    });
}

CliSession::~CliSession()
{
    m_unit.link().abandonRequest();
    m_unit.setTransports(nullptr, nullptr);
    m_transport->close();
}

bool CliSession::open(QString* error)
{
    if (!m_transport->open()) {
        *error = openFailureText(*m_transport);
        return false;
    }
    if (!m_target.tcp)
        return true;

    LocalWait wait(m_clock, kConnectTimeoutMs);
    QString socketError;
    wait.add(connect(m_transport.get(), &Transport::connected, this, [&] { wait.end(); }));
    wait.add(connect(m_transport.get(), &Transport::errorOccurred, this, [&](const QString& message) {
        socketError = message;
        wait.end();
    }));
    if (m_transport->isOpen())
        return true;
    if (!wait.run())
        socketError = QStringLiteral("no answer within %1 ms").arg(kConnectTimeoutMs);
    if (m_transport->isOpen())
        return true;
    *error = QStringLiteral("cannot connect to %1: %2").arg(m_transport->description(), socketError);
    return false;
}

ExchangeOutcome CliSession::exchange(const std::function<ModbusLink::RequestResult()>& send)
{
    // The link ends every exchange within its response time-out, or later by the guard against
    // late replies; the margin only guards against an exchange that never ends.
    LocalWait wait(m_clock, ModbusLink::kResponseTimeoutMs + ModbusLink::kLateReplyGuardMs + 1000);
    ModbusLink& link = m_unit.link();
    ExchangeOutcome outcome;
    outcome.kind = ExchangeOutcome::Kind::NotSent;
    m_commMessage.clear();
    if (send() == ModbusLink::RequestResult::Refused) {
        outcome.reason = link.refusal();
        return outcome;
    }
    const quint64 request = link.lastRequestId();
    wait.add(connect(&link, &ModbusLink::exchangeEnded, this, [&](const ExchangeOutcome& ended) {
        if (ended.request.id != request)
            return;
        outcome = ended;
        wait.end();
    }));
    wait.add(connect(m_transport.get(), &Transport::disconnected, this, [&] {
        outcome.kind = ExchangeOutcome::Kind::NotSent;
        outcome.reason = QStringLiteral("%1 closed the connection").arg(m_transport->description());
        wait.end();
    }));
    if (!wait.run()) {
        link.abandonRequest();
        outcome.kind = ExchangeOutcome::Kind::TimedOut;
        outcome.reason = QStringLiteral("the exchange did not end");
    }
    return outcome;
}

std::optional<QVector<quint16>> CliSession::readRegisters(int reg, int count, QString* error)
{
    for (int attempt = 1;; ++attempt) {
        const ExchangeOutcome outcome = exchange([&] { return m_unit.link().ReadQuery(reg, count); });
        switch (outcome.kind) {
        case ExchangeOutcome::Kind::Registers:
            return QVector<quint16>(outcome.registers.begin(), outcome.registers.end());
        case ExchangeOutcome::Kind::TimedOut:
        case ExchangeOutcome::Kind::Rejected:
            if (attempt < kAttempts)
                continue;
            *error = QStringLiteral("no usable reply from slave %1 at %2 in %3 attempts (last: %4)")
                         .arg(m_target.slaveId)
                         .arg(m_target.description())
                         .arg(kAttempts)
                         .arg(m_commMessage.isEmpty() ? outcome.reason : m_commMessage);
            return std::nullopt;
        case ExchangeOutcome::Kind::Exception:
            *error = m_commMessage;
            return std::nullopt;
        default:
            *error = outcome.reason;
            return std::nullopt;
        }
    }
}

CliSession::WriteResult CliSession::writeRegisters(int reg, const QVector<int>& values)
{
    const ExchangeOutcome outcome = exchange([&] { return m_unit.link().WriteQuery(reg, values); });
    const halvana::WriteResult result = halvana::WriteResult::of(outcome);
    return {result.success, result.message, m_commMessage, outcome.kind == ExchangeOutcome::Kind::Exception};
}

int CliSession::exec()
{
    if (!m_finished)
        m_loop.exec();
    // Each finish() ends one exec(): a command may wait for the unit more than once.
    return std::exchange(m_finished, std::nullopt).value_or(kExitFailed);
}

void CliSession::finish(int exitCode)
{
    m_finished = exitCode;
    m_loop.exit(exitCode);
}

} // namespace halvana::cli
