#pragma once

#include <QString>

#include <array>

namespace halvana {

class AppSettings;

// The PC baud list; the store keeps an index into it.
inline constexpr std::array<int, 5> kBaudRates = {9600, 19200, 38400, 57600, 115200};

// The stored settings the link runs on.
struct LinkSettings {
    // "Mode": 1 is Modbus TCP, any other value Modbus RTU over RS-485.
    int CommMode = 0;
    // "CommPort2": a port number or a device path.
    QString commPort = QStringLiteral("3");
    // "Baud": index into kBaudRates; an index outside the list is reported when the port opens.
    int baudIndex = 4;
    // "IP_Address", possibly with ":port".
    QString ipAddress = QStringLiteral("127.0.0.1");
    int BCM_SlaveID = 1;

    bool isTcp() const { return CommMode == 1; }

    static LinkSettings fromStore(const AppSettings& store);
};

} // namespace halvana
