#pragma once

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

namespace halvana {

class AppSettings;

// The store keeps serial ports by number ("CommPort", "CommPort2") and remembers the device
// chosen for a number in "SerialPortNames". When the user picks a device, this finds the
// number to store: the one already remembered for it, else its place in the system's list
// (unless that number stands for another device or is `reserved`), else the first free number
// past the list.
int portNumberForDevice(const QString& device, const QMap<int, QString>& remembered,
                        const QStringList& available, const QSet<int>& reserved = {});

// The numbers remembered in "SerialPortNames" with their devices.
QMap<int, QString> rememberedPortNames(const AppSettings& settings);

// One port box of PC Setup: the device it showed when the dialog opened, the one it holds at
// Save, and the number stored for it.
struct PortBox {
    QString shown;
    QString chosen;
    int storedNumber = 0;
};

// What Save stores for the service port ("CommPort") and the Modbus line ("CommPort2"). A box
// left as it was, or emptied, keeps its stored number; a device chosen in one never takes the
// other's number. Both boxes naming one device is refused.
struct PortChoice {
    int commPort = 0;
    int commPort2 = 0;
    // Devices to remember, by number.
    QMap<int, QString> remember;
    // Why the choice cannot be stored; empty when it can.
    QString refusal;
};

PortChoice choosePortNumbers(const PortBox& service, const PortBox& modbus, const QMap<int, QString>& remembered,
                             const QStringList& available);

} // namespace halvana
