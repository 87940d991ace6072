#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

namespace halvana {
class AppSettings;
}

namespace halvana::cli {

struct CliCommand;

// Where the link goes and to which slave.
struct LinkTarget {
    bool tcp = false;
    // TCP: "host[:port]". RTU: a device path, or a port number from the store.
    QString endpoint;
    qint32 baud = 115200;
    int slaveId = 1;
    // --fast, or "FastPolling" in the store: replies end at their length, no tick in between.
    bool fastPolling = false;

    // "127.0.0.1:5020", "/dev/ttyUSB0 at 115200 baud"
    QString description() const;
};

// The values of --baud and --slave: nothing when they are not a line speed or a slave ID.
std::optional<int> lineSpeedOf(const QString& text);
std::optional<int> slaveIdOf(const QString& text);

// halvana-cli's command line: the connection options common to all commands, the command and
// its own arguments and options, in any order.
class CliArguments {
public:
    CliArguments();

    // False with errorText() when the line is not a valid use of a command.
    bool parse(const QStringList& arguments);
    bool helpRequested() const { return m_help; }
    QString errorText() const { return m_error; }
    static QString usage();

    const CliCommand* command() const { return m_command; }
    const QStringList& commandArgs() const { return m_args; }
    // For the command's own options.
    const QCommandLineParser& parser() const { return m_parser; }
    // Empty: the user's own settings store.
    QString settingsFile() const;
    QString dataDir() const;
    // --stats: the link's statistics after a command that talks to the unit.
    bool statsRequested() const;
    // --trace: each frame decoded on stderr.
    bool traceRequested() const;

    // The connection options, with the stored settings filling what they leave open.
    std::optional<LinkTarget> linkTarget(const AppSettings& settings, QString* error) const;

private:
    bool fail(const QString& message);

    QCommandLineParser m_parser;
    const CliCommand* m_command = nullptr;
    QStringList m_args;
    QString m_error;
    bool m_help = false;
};

} // namespace halvana::cli
