#pragma once

#include <QString>

namespace halvana {

// The program title: caption of the main window and of message boxes, and the store's application.
inline const QString kAppTitle = QStringLiteral("Maldorn Halvana Configuration Tool");

} // namespace halvana
