#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace halvana {

class AppSettings;

// The store keeps serial ports by number ("CommPort", "CommPort2") and remembers the device
// chosen for a number in "SerialPortNames". When the user picks a device, this finds the
// number to store: the one already remembered for it, else its place in the system's list
// (unless that number stands for another device), else the first free number past the list.
int portNumberForDevice(const QString& device, const QMap<int, QString>& remembered,
                        const QStringList& available);

// The numbers remembered in "SerialPortNames" with their devices.
QMap<int, QString> rememberedPortNames(const AppSettings& settings);

} // namespace halvana
