#pragma once

#include "cli/cli_messages.h"

#include <QTextStream>

#include <memory>
#include <optional>

class QCommandLineParser;

namespace halvana {
class AppSettings;
struct AppFolders;
}

namespace halvana::cli {

class CliArguments;
class CliSession;

// What a command runs with: its arguments and options, the output streams, the settings store,
// the folders and, for commands that talk to the unit, the open link.
class CliContext {
public:
    CliContext(const CliArguments& arguments, QTextStream& out, QTextStream& err);
    ~CliContext();

    // Sets up what the command needs and runs it; returns the exit status.
    int run();

    const QStringList& args() const;
    const QCommandLineParser& parser() const;
    QTextStream& out() { return m_out; }
    QTextStream& err() { return m_err; }
    MessageSink& messages() { return m_messages; }
    AppSettings& settings() { return *m_settings; }
    AppFolders folders() const;
    // Only for a command with needsLink, or after openSession().
    CliSession& session() { return *m_session; }
    // Opens the link, for a command that needs it only sometimes; the exit status when it
    // could not.
    std::optional<int> openSession();

    // Print "halvana-cli: <message>" on stderr and return kExitUsage or kExitFailed.
    int usageError(const QString& message);
    int failure(const QString& message);

private:
    void traceFrames();

    const CliArguments& m_arguments;
    QTextStream& m_out;
    QTextStream& m_err;
    CliMessages m_messages;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<CliSession> m_session;
};

} // namespace halvana::cli
