#pragma once

#include "sim/fault_plan.h"
#include "sim/xmodem_receiver.h"

#include <QList>
#include <QString>
#include <QVector>

#include <optional>

class QCommandLineParser;

namespace halvana {

// Values put into the image with --set REG=V[,V...].
struct RegisterPreset {
    int first = 0;
    QVector<quint16> values;
};

// halvana-sim's command line.
struct SimOptions {
    bool tcp = false;
    QString tcpHost = QStringLiteral("127.0.0.1");
    quint16 tcpPort = 0;
    QString rtuDevice;
    qint32 baud = 115200;
    bool pace = false;
    QString serviceDevice;
    qint32 serviceBaud = 57600;
    QString upgradeDir;
    UpgradeFaults upgradeFaults;
    int slaveId = 1;
    int mapVersion = 2;
    std::optional<FaultOptions> faults;
    quint32 seed = 1;
    QList<RegisterPreset> presets;
    int rebootMs = 3000;
    bool verbose = false;

    static void addTo(QCommandLineParser& parser);
    // Nothing, with a message naming the option, when a value is bad or no port is given.
    static std::optional<SimOptions> fromParser(const QCommandLineParser& parser, QString* error);
};

} // namespace halvana
