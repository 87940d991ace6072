#include "io/serial_port_names.h"

#include "core/app/app_settings.h"

#include <QCollator>
#include <QSerialPortInfo>

#include <algorithm>

namespace halvana {

QStringList SerialPortNames::available()
{
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports)
        names << info.portName();
    // Numeric order, so that ttyS2 comes before ttyS10 and the numbers stay put between runs.
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(names.begin(), names.end(), collator);
    return names;
}

QString SerialPortNames::resolve(int number, const AppSettings* settings)
{
    const QString remembered = settings ? settings->value(kSection, QString::number(number)).trimmed() : QString();
#ifdef Q_OS_WIN
    return resolve(number, remembered, {});
#else
    return resolve(number, remembered, remembered.isEmpty() ? available() : QStringList());
#endif
}

QString SerialPortNames::resolve(int number, const QString& rememberedName, const QStringList& available)
{
    if (!rememberedName.isEmpty())
        return rememberedName;
#ifdef Q_OS_WIN
    Q_UNUSED(available);
    return number >= 1 ? QStringLiteral("COM%1").arg(number) : QString();
#else
    return number >= 1 && number <= available.size() ? available.at(number - 1) : QString();
#endif
}

void SerialPortNames::remember(AppSettings& settings, int number, const QString& name)
{
    settings.setValue(kSection, QString::number(number), name.trimmed());
}

} // namespace halvana
