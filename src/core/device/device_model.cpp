#include "core/device/device_model.h"

namespace halvana {

quint16 DeviceModel::systemRegister(int reg) const
{
    return reg >= 1 && reg <= kSystemInfoCount ? systemInfo[size_t(reg - 1)] : 0;
}

QString DeviceModel::firmwareVersionText() const
{
    return firmwareVersionText(systemRegister(3), systemRegister(4));
}

QString DeviceModel::firmwareVersionText(quint16 version, quint16 build)
{
    return QStringLiteral("%1.%2.%3")
        .arg(version >> 8, 2, 10, QLatin1Char('0'))
        .arg(version & 0xFF, 2, 10, QLatin1Char('0'))
        .arg(build, 3, 10, QLatin1Char('0'));
}

int DeviceModel::meterType(int meter) const
{
    return meter >= 0 && meter < kMaxMeters ? MeterType[size_t(meter)] : 0;
}

int DeviceModel::meterOrdinal(int meter) const
{
    return meter >= 0 && meter < kMaxMeters ? MeterOrdinal[size_t(meter)] : 0;
}

int DeviceModel::threePhaseMeterCount() const
{
    return MeterTypeCount[kCountPduInput] + MeterTypeCount[kCountPduOutput] + MeterTypeCount[kCountSubfeed]
        + MeterTypeCount[kCountPanel] + MeterTypeCount[kCountMultipole];
}

} // namespace halvana
