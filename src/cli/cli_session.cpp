#include "cli/cli_session.h"

#include "core/modbus/status_panels.h"
#include "io/serial_transport.h"
#include "io/tcp_transport.h"

#include <QTimer>

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

QString openFailure(const Transport& transport)
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

} // namespace

CliSession::CliSession(const LinkTarget& target, const AppSettings& settings, MessageSink& messages,
                       QObject* parent)
    : QObject(parent), m_target(target), m_link(m_clock, messages)
{
    if (target.tcp) {
        m_transport = std::make_unique<TcpTransport>();
    } else {
        m_transport = std::make_unique<SerialTransport>(&settings);
        m_transport->setBaudRate(target.baud);
    }
    m_transport->setEndpoint(target.endpoint);
    m_link.setTransports(target.tcp ? nullptr : m_transport.get(), target.tcp ? m_transport.get() : nullptr);
    m_link.setCommMode(target.tcp ? 1 : 0);
    m_link.setSlaveId(target.slaveId);
    connect(&m_link, &ModbusLink::statusText, this, [this](const QString& panel, const QString& text) {
        if (panel == panel::CommMsg)
            m_commMessage = text;
    });
}

CliSession::~CliSession()
{
    m_link.abandonRequest();
    m_link.setTransports(nullptr, nullptr);
    m_transport->close();
}

bool CliSession::open(QString* error)
{
    if (!m_transport->open()) {
        *error = openFailure(*m_transport);
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

CliSession::Outcome CliSession::exchange(bool isWrite, const std::function<ModbusLink::RequestResult()>& send)
{
    // The link ends every exchange within its response time-out; the margin only guards against
    // an exchange that never ends.
    LocalWait wait(m_clock, ModbusLink::kResponseTimeoutMs + 1000);
    Outcome outcome;
    const auto endWith = [&](Outcome::Kind kind, const QString& text, bool success = false) {
        outcome = {kind, text, success};
        wait.end();
    };
    m_commMessage.clear();
    if (isWrite) {
        wait.add(connect(&m_link, &ModbusLink::writeFinished, this,
                         [&](bool success, const QString& message) { endWith(Outcome::WriteDone, message, success); }));
    } else {
        wait.add(connect(&m_link, &ModbusLink::readReplyReady, this, [&] { endWith(Outcome::Reply, QString()); }));
        wait.add(connect(&m_link, &ModbusLink::readException, this,
                         [&](int) { endWith(Outcome::Exception, m_commMessage); }));
        wait.add(connect(&m_link, &ModbusLink::replyRejected, this,
                         [&](const QString& reason) { endWith(Outcome::Rejected, reason); }));
        wait.add(connect(&m_link, &ModbusLink::responseTimedOut, this,
                         [&] { endWith(Outcome::TimedOut, m_commMessage); }));
    }
    wait.add(connect(m_transport.get(), &Transport::disconnected, this, [&] {
        endWith(Outcome::Closed, QStringLiteral("%1 closed the connection").arg(m_transport->description()));
    }));

    if (send() == ModbusLink::RequestResult::Refused)
        return {Outcome::Refused, m_link.refusal(), false};
    if (!wait.run()) {
        m_link.abandonRequest();
        return {Outcome::TimedOut, QStringLiteral("the exchange did not end"), false};
    }
    return outcome;
}

std::optional<QVector<quint16>> CliSession::readRegisters(int reg, int count, QString* error)
{
    for (int attempt = 1;; ++attempt) {
        const Outcome outcome = exchange(false, [&] { return m_link.ReadQuery(reg, count); });
        switch (outcome.kind) {
        case Outcome::Reply: {
            QVector<quint16> values;
            for (int i = 0; i < count; ++i)
                values << m_link.RegData()[size_t(i)];
            return values;
        }
        case Outcome::TimedOut:
        case Outcome::Rejected:
            if (attempt < kAttempts) {
                pause(kRetryPauseMs);
                continue;
            }
            *error = QStringLiteral("no usable reply from slave %1 at %2 in %3 attempts (last: %4)")
                         .arg(m_target.slaveId)
                         .arg(m_target.description())
                         .arg(kAttempts)
                         .arg(outcome.text);
            return std::nullopt;
        default:
            *error = outcome.text;
            return std::nullopt;
        }
    }
}

CliSession::WriteResult CliSession::writeRegisters(int reg, const QVector<int>& values)
{
    const Outcome outcome = exchange(true, [&] { return m_link.WriteQuery(reg, values); });
    return {outcome.kind == Outcome::WriteDone && outcome.success, outcome.text, m_commMessage};
}

void CliSession::pause(int ms)
{
    LocalWait wait(m_clock, ms);
    wait.run();
}

int CliSession::exec()
{
    if (!m_finished)
        return m_loop.exec();
    return *m_finished;
}

void CliSession::finish(int exitCode)
{
    m_finished = exitCode;
    m_loop.exit(exitCode);
}

} // namespace halvana::cli
