#include "cli/service_port.h"

#include "cli/cli_context.h"
#include "core/app/shell_settings.h"
#include "io/serial_transport.h"

#include <QCommandLineParser>

namespace halvana::cli {

namespace {

// A function, not a global: the commands' registrations ask for the option during static
// initialisation.
QString serviceOptionName()
{
    return QStringLiteral("service");
}

} // namespace

QCommandLineOption servicePortOption()
{
    return QCommandLineOption(serviceOptionName(), QStringLiteral("The unit's service port."), QStringLiteral("DEVICE"));
}

void aimAtServicePort(CliContext& ctx, SerialTransport& port)
{
    const QCommandLineParser& parser = ctx.parser();
    port.setEndpoint(parser.isSet(serviceOptionName()) ? parser.value(serviceOptionName())
                                            : QString::number(CommSettings::read(ctx.settings()).commPort));
}

QString checkServicePortOptions(const QString& command, const QCommandLineParser& parser)
{
    if (parser.isSet(QStringLiteral("tcp")) || parser.isSet(QStringLiteral("rtu")))
        return command + QStringLiteral(" talks to the service port: give --service DEVICE, not --tcp or --rtu");
    return QString();
}

} // namespace halvana::cli
