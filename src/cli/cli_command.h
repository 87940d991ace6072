#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>

#include <functional>
#include <vector>

class QCommandLineParser;

namespace halvana::cli {

// Exit status of halvana-cli.
enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1, // the unit or the link failed (message on stderr)
    kExitUsage = 2,  // bad usage or bad input file
};

class CliContext;

// One command of halvana-cli. A command is added by adding a source file that registers it:
//     const CliCommandRegistration registration({QStringLiteral("info"), ...});
struct CliCommand {
    QString name;
    // Arguments after the name as the usage shows them: "REG [COUNT]".
    QString synopsis;
    // What it does and prints; continuation lines are indented in the usage text.
    QString description;
    // Options of this command only (the connection options are common to all).
    QList<QCommandLineOption> options;
    int minArgs = 0;
    int maxArgs = 0; // -1: no upper limit
    // The command talks to the unit: the link is open before run() starts.
    bool needsLink = false;
    std::function<int(CliContext&)> run;
    // Checks the arguments and options before anything else happens (before the link opens):
    // empty when they are fine, otherwise what is wrong, and the command line is bad usage.
    std::function<QString(const QStringList& args, const QCommandLineParser& parser)> checkArguments;
};

struct CliCommandRegistration {
    explicit CliCommandRegistration(CliCommand command);
};

// All commands, by name.
const std::vector<CliCommand>& cliCommands();
const CliCommand* findCliCommand(const QString& name);

} // namespace halvana::cli
