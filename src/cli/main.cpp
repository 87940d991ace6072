#include "cli/cli_arguments.h"
#include "cli/cli_command.h"
#include "cli/cli_context.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace halvana::cli;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("halvana-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    CliArguments arguments;
    if (!arguments.parse(QCoreApplication::arguments())) {
        err << "halvana-cli: " << arguments.errorText() << "\nTry 'halvana-cli --help'.\n";
        return kExitUsage;
    }
    if (arguments.helpRequested()) {
        out << CliArguments::usage();
        return kExitOk;
    }
    CliContext context(arguments, out, err);
    return context.run();
}
