#include "core/upgrade/upgrade_status.h"

namespace halvana::upgrade_status {

QString text(int code)
{
    switch (code) {
    case kNoFile:
        return QStringLiteral("No filename (or filename not found).");
    case kTooManyErrors:
        return QStringLiteral("Transfer failed.  To many errors");
    case kCanceled:
        return QStringLiteral("The upgrade is being canceled.\r\nPlease wait . . .");
    case kNoReceiveFile:
        return QStringLiteral("No receive filename.");
    case kNotAbleToStart:
        return QStringLiteral("File transfer not able to start.");
    case kNotStarted:
        return QStringLiteral("Upgrade not started.");
    case kStarting:
    case kInProcess:
        return QStringLiteral("Upgrade in process.\r\nPlease wait . . .");
    case kSucceeded:
        return QStringLiteral("File transfer succeeded!");
    default:
        return QString();
    }
}

} // namespace halvana::upgrade_status
