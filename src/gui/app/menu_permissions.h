#pragma once

#include "core/app/login_level.h"
#include "core/modbus/connection_lifecycle.h"

#include <QList>
#include <QString>

namespace halvana {

// The enabled state of one main-window menu item, by its control name ("mnuView", ...).
struct MenuEnabled {
    QString menu;
    bool enabled;
    // Why a disabled item cannot be used, shown on it; empty to let the login level say.
    QString reason = {};
};

// What the login level allows: every menu item the level decides, in the order of the level
// table. commMode is the "Mode" setting (0 RS-485, 1 TCP); no item depends on it any more, since
// writes, calibration and scripts go over TCP as well. Covers `ApplyLoginLevel` and the
// status-text rule for mnuLogout and mnuChangePassword.
QList<MenuEnabled> loginLevelMenuStates(LoginLevel level, int commMode);

// Whether the level allows the menu item; true for items the level does not decide.
bool menuAllowedAtLevel(const QString& menu, LoginLevel level, int commMode);
// Why the level does not allow the item ("Log in first ..."); empty when it does.
QString menuLevelReason(const QString& menu, LoginLevel level, int commMode);

// `EnableButtons`: switches mnuFile, mnuView, mnuConnect_Top and mnuWindow off as a group while a
// long operation runs, and back to what the level allows (so level 0 never gets mnuConnect_Top).
// mnuView is left out while the wait after a configuration command runs.
QList<MenuEnabled> enableButtonsMenuStates(bool enable, LoginLevel level, int commMode,
                                           bool waitAfterConfigRunning);

// The connection items as the link's state leaves them: Connect while closed; Disconnect and
// Reboot while open; nothing but Connect's disabling while the unit reboots. The terminal goes
// with a closed link and comes back only through the login level.
QList<MenuEnabled> connectionMenuStates(const LinkStatus& status);

} // namespace halvana
