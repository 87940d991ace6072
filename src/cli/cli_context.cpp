#include "cli/cli_context.h"

#include "cli/cli_arguments.h"
#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "core/modbus/decoded_traffic.h"
#include "core/modbus/link_statistics.h"
#include "core/modbus/modbus_link.h"
#include "core/session/unit_session.h"
#include "core/app/app_folders.h"
#include "core/app/app_settings.h"

#include <QFileInfo>


namespace halvana::cli {

CliContext::CliContext(const CliArguments& arguments, QTextStream& out, QTextStream& err)
    : m_arguments(arguments), m_out(out), m_err(err), m_messages(err)
{
}

CliContext::~CliContext()
{
    m_out.flush();
    m_err.flush();
}

int CliContext::run()
{
    const QString settingsFile = m_arguments.settingsFile();
    if (!settingsFile.isEmpty() && !QFileInfo::exists(settingsFile))
        return usageError(QStringLiteral("--settings: there is no file \"%1\"").arg(settingsFile));
    m_settings = settingsFile.isEmpty() ? std::make_unique<AppSettings>() : std::make_unique<AppSettings>(settingsFile);
    if (!m_settings->loadProblem().isEmpty())
        return usageError(m_settings->loadProblem());
    const QString dataDir = m_arguments.dataDir();
    if (!dataDir.isEmpty() && !QFileInfo(dataDir).isDir())
        return usageError(QStringLiteral("--data-dir: there is no folder \"%1\"").arg(dataDir));

    const CliCommand& command = *m_arguments.command();
    if (command.needsLink) {
        if (const auto failed = openSession())
            return *failed;
    }
    const int status = command.run(*this);
    m_out.flush();
    if (m_session && m_arguments.statsRequested())
        m_err << m_session->unit().statistics().summaryLine() << '\n';
    m_err.flush();
    return status;
}

void CliContext::traceFrames()
{
    ModbusLink& link = m_session->unit().link();
    // Stamped and decoded as the Data Spy's Decoded tab is, and printed as each frame comes.
    auto* traced = new DecodedTraffic(m_session->clock(), m_session.get());
    QObject::connect(&link, &ModbusLink::frameLogged, traced,
                     [traced, &link](const QByteArray& frame, bool sent, qint64 roundTripUs) {
                         traced->add(frame, link.isTcp(), sent, roundTripUs);
                     });
    QObject::connect(traced, &DecodedTraffic::added, traced, [this, traced] {
        m_err << traced->entries().back().frame.traceLine() << '\n';
        m_err.flush();
    });
}

std::optional<int> CliContext::openSession()
{
    QString error;
    const auto target = m_arguments.linkTarget(*m_settings, &error);
    if (!target)
        return usageError(error);
    m_session = std::make_unique<CliSession>(*target, *m_settings, m_messages, folders().programFolder);
    if (m_arguments.traceRequested())
        traceFrames();
    if (!m_session->open(&error))
        return failure(error);
    return std::nullopt;
}

const QStringList& CliContext::args() const
{
    return m_arguments.commandArgs();
}

const QCommandLineParser& CliContext::parser() const
{
    return m_arguments.parser();
}

AppFolders CliContext::folders() const
{
    return AppFolders::fromSystem(m_arguments.dataDir());
}

int CliContext::usageError(const QString& message)
{
    m_err << "halvana-cli: " << message << '\n';
    m_err.flush();
    return kExitUsage;
}

int CliContext::failure(const QString& message)
{
    m_err << "halvana-cli: " << message << '\n';
    m_err.flush();
    return kExitFailed;
}

} // namespace halvana::cli
