#include "cli/cli_command.h"

#include <algorithm>

namespace halvana::cli {

namespace {

std::vector<CliCommand>& registry()
{
    static std::vector<CliCommand> commands;
    return commands;
}

} // namespace

CliCommandRegistration::CliCommandRegistration(CliCommand command)
{
    auto& commands = registry();
    const auto at = std::lower_bound(commands.begin(), commands.end(), command.name,
                                     [](const CliCommand& c, const QString& name) { return c.name < name; });
    commands.insert(at, std::move(command));
}

const std::vector<CliCommand>& cliCommands()
{
    return registry();
}

const CliCommand* findCliCommand(const QString& name)
{
    for (const CliCommand& command : registry()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

} // namespace halvana::cli
