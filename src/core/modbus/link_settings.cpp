#include "core/modbus/link_settings.h"

#include "core/app/app_settings.h"

namespace halvana {

LinkSettings LinkSettings::fromStore(const AppSettings& store)
{
    LinkSettings s;
    s.CommMode = store.propertyNumber(QStringLiteral("Mode"));
    s.commPort = store.property(QStringLiteral("CommPort2")).trimmed();
    s.baudIndex = store.propertyNumber(QStringLiteral("Baud"));
    s.ipAddress = store.property(QStringLiteral("IP_Address")).trimmed();
    s.BCM_SlaveID = store.propertyNumber(QStringLiteral("BCM_SlaveID"));
    return s;
}

} // namespace halvana
