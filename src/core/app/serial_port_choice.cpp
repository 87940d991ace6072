#include "core/app/serial_port_choice.h"

#include "core/app/app_settings.h"

namespace halvana {

namespace {

// Port numbers the store has ever used stay well below this.
constexpr int kHighestPortNumber = 256;

bool isFree(int number, const QMap<int, QString>& remembered, const QSet<int>& reserved)
{
    return !remembered.contains(number) && !reserved.contains(number);
}

} // namespace

int portNumberForDevice(const QString& device, const QMap<int, QString>& remembered,
                        const QStringList& available, const QSet<int>& reserved)
{
    for (auto it = remembered.cbegin(); it != remembered.cend(); ++it) {
        if (it.value() == device && !reserved.contains(it.key()))
            return it.key();
    }
    const int listed = int(available.indexOf(device)) + 1;
    if (listed > 0 && isFree(listed, remembered, reserved))
        return listed;
    int number = int(available.size()) + 1;
    while (!isFree(number, remembered, reserved))
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

PortChoice choosePortNumbers(const PortBox& service, const PortBox& modbus, const QMap<int, QString>& remembered,
                             const QStringList& available)
{
    PortChoice choice;
    const QString serviceDevice = service.chosen.trimmed();
    const QString modbusDevice = modbus.chosen.trimmed();
    if (!serviceDevice.isEmpty() && serviceDevice == modbusDevice) {
        choice.refusal = QStringLiteral("The Modbus port and the service port cannot both be '%1'.\n"
                                        "Choose another port for one of them.")
                             .arg(serviceDevice);
        return choice;
    }
    const auto changed = [](const PortBox& box) {
        const QString device = box.chosen.trimmed();
        return !device.isEmpty() && device != box.shown.trimmed();
    };
    choice.commPort = service.storedNumber;
    choice.commPort2 = modbus.storedNumber;
    QMap<int, QString> known = remembered;
    const auto take = [&](const PortBox& box, int& number, int otherNumber) {
        if (!changed(box))
            return;
        const QString device = box.chosen.trimmed();
        number = portNumberForDevice(device, known, available, {otherNumber});
        known.insert(number, device);
        if (remembered.value(number) != device)
            choice.remember.insert(number, device);
    };
    take(modbus, choice.commPort2, choice.commPort);
    take(service, choice.commPort, choice.commPort2);
    return choice;
}

} // namespace halvana
