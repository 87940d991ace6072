#pragma once

#include <QCommandLineOption>
#include <QString>

class QCommandLineParser;

namespace halvana {
class SerialTransport;
}

namespace halvana::cli {

class CliContext;

// --service DEVICE: the unit's service port, apart from the Modbus line.
QCommandLineOption servicePortOption();
// Points the port at --service DEVICE, or at the stored "CommPort" without it.
void aimAtServicePort(CliContext& ctx, SerialTransport& port);
// What is wrong with the connection options of a service-port command; empty when fine.
QString checkServicePortOptions(const QString& command, const QCommandLineParser& parser);

} // namespace halvana::cli
