#include "core/app/serial_port_choice.h"

#include "core/app/app_settings.h"

namespace halvana {

namespace {

// Port numbers the store has ever used stay well below this.
constexpr int kHighestPortNumber = 256;

} // namespace

int portNumberForDevice(const QString& device, const QMap<int, QString>& remembered,
                        const QStringList& available)
{
    for (auto it = remembered.cbegin(); it != remembered.cend(); ++it) {
        if (it.value() == device)
            return it.key();
    }
    const int listed = int(available.indexOf(device)) + 1;
    if (listed > 0 && !remembered.contains(listed))
        return listed;
    int number = int(available.size()) + 1;
    while (remembered.contains(number))
        ++number;
    return number;
}

QMap<int, QString> rememberedPortNames(const AppSettings& settings)
{
    const QString section = QStringLiteral("SerialPortNames");
    QMap<int, QString> names;
    for (int n = 1; n <= kHighestPortNumber; ++n) {
        const QString name = settings.value(section, QString::number(n)).trimmed();
        if (!name.isEmpty())
            names.insert(n, name);
    }
    return names;
}

} // namespace halvana
