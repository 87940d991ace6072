#pragma once

#include <QString>
#include <QStringList>

namespace halvana {

class AppSettings;

// The store keeps serial ports by number ("CommPort", "CommPort2"), as the unit's tools always
// have; these helpers turn a number into a device the system knows.
class SerialPortNames {
public:
    // Store section that remembers the device chosen for a number (key = the number).
    static inline const QString kSection = QStringLiteral("SerialPortNames");

    // Ports the system offers, in the order the settings dialog lists them.
    static QStringList available();

    // The device for port `number`: the name remembered for it (a port name or a device path
    // such as /dev/pts/5), else "COMn" on Windows, else the n-th available port. Empty when
    // there is no such port. `settings` may be null (nothing remembered).
    static QString resolve(int number, const AppSettings* settings);
    static QString resolve(int number, const QString& rememberedName, const QStringList& available);

    static void remember(AppSettings& settings, int number, const QString& name);
};

} // namespace halvana
