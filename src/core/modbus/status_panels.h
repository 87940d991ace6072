#pragma once

#include <QString>

namespace halvana::panel {

// Keys of the main status bar panels the link writes to.
inline const QString PollingStatus = QStringLiteral("PollingStatus");
inline const QString CommMsg = QStringLiteral("CommMsg");
inline const QString ConnectTime = QStringLiteral("ConnectTime");
inline const QString Baud = QStringLiteral("Baud");
// The time of the last full polling cycle.
inline const QString CycleTime = QStringLiteral("CycleTime");

} // namespace halvana::panel
