#pragma once

#include <QHash>
#include <QString>

class QAction;
class QMenuBar;

namespace halvana {

// Builds the main window's menu bar. Every item and every top menu's action is named after its
// control ("mnuFile", "mnuMeterTable3", ...) and returned by that name.
QHash<QString, QAction*> buildMainMenu(QMenuBar* menuBar);

} // namespace halvana
