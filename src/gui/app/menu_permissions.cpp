#include "gui/app/menu_permissions.h"

namespace halvana {

namespace {

enum class Rule { LoggedIn, AdminOrSuper, SuperOnly, LoggedInNotDefault };

struct MenuRule {
    const char* menu;
    Rule rule;
};

// The level table: which menu items each login level may use.
constexpr MenuRule kRules[] = {
    {"mnuView", Rule::LoggedIn},
    {"mnuWindow", Rule::LoggedIn},
    {"mnuConnect_Top", Rule::LoggedInNotDefault},
    {"mnuLogout", Rule::LoggedIn},
    {"mnuChangePassword", Rule::AdminOrSuper},
    {"mnuEnable", Rule::AdminOrSuper},
    {"mnuUsersFolders", Rule::AdminOrSuper},
    {"mnuDeleteReg", Rule::AdminOrSuper},
    {"mnuOpenAppFolder", Rule::AdminOrSuper},
    {"mnuCommPortSettings", Rule::AdminOrSuper},
    {"mnuBCM_Cal_Top", Rule::AdminOrSuper},
    {"mnuRunScript", Rule::AdminOrSuper},
    {"mnuUpgrade", Rule::SuperOnly},
    {"mnuTerminal", Rule::SuperOnly},
    {"mnuReboot", Rule::SuperOnly},
    // The Service menu opens for the Administrator too, or Calibration and Run Script, which
    // that level may use, could not be reached; its other items stay the Supervisor's.
    {"mnuService", Rule::AdminOrSuper},
    {"mnuScriptGrid", Rule::SuperOnly},
    {"mnuAllSettings", Rule::SuperOnly},
    {"mnuCompareSettings", Rule::SuperOnly},
    {"mnuDataSpy", Rule::SuperOnly},
    {"mnuLinkStatistics", Rule::AdminOrSuper},
};

bool allows(Rule rule, LoginLevel level, int)
{
    const bool adminOrSuper = level == LoginLevel::Administrator || level == LoginLevel::Supervisor;
    switch (rule) {
    case Rule::LoggedIn:
        return level != LoginLevel::LoggedOut;
    case Rule::LoggedInNotDefault:
        return level != LoginLevel::LoggedOut && level != LoginLevel::Default;
    case Rule::AdminOrSuper:
        return adminOrSuper;
    case Rule::SuperOnly:
        return level == LoginLevel::Supervisor;
    }
    return false;
}

const MenuRule* ruleOf(const QString& menu)
{
    for (const MenuRule& r : kRules) {
        if (menu == QLatin1String(r.menu))
            return &r;
    }
    return nullptr;
}

QString ruleText(Rule rule)
{
    switch (rule) {
    case Rule::LoggedIn:
        return QStringLiteral("Log in first (File > Login).");
    case Rule::LoggedInNotDefault:
    case Rule::AdminOrSuper:
        return QStringLiteral("Log in as Administrator or Supervisor to use this.");
    case Rule::SuperOnly:
        return QStringLiteral("Log in as Supervisor to use this.");
    }
    return {};
}

} // namespace

QString menuLevelReason(const QString& menu, LoginLevel level, int commMode)
{
    const MenuRule* rule = ruleOf(menu);
    return rule && !allows(rule->rule, level, commMode) ? ruleText(rule->rule) : QString();
}

QList<MenuEnabled> loginLevelMenuStates(LoginLevel level, int commMode)
{
    QList<MenuEnabled> states;
    for (const MenuRule& r : kRules)
        states.append({QString::fromLatin1(r.menu), allows(r.rule, level, commMode)});
    return states;
}

bool menuAllowedAtLevel(const QString& menu, LoginLevel level, int commMode)
{
    const MenuRule* rule = ruleOf(menu);
    return !rule || allows(rule->rule, level, commMode);
}

QList<MenuEnabled> enableButtonsMenuStates(bool enable, LoginLevel level, int commMode,
                                           bool waitAfterConfigRunning)
{
    QList<MenuEnabled> states;
    for (const char* menu : {"mnuFile", "mnuView", "mnuConnect_Top", "mnuWindow"}) {
        const QString name = QString::fromLatin1(menu);
        if (waitAfterConfigRunning && name == QLatin1String("mnuView"))
            continue;
        states.append({name, enable && menuAllowedAtLevel(name, level, commMode),
                       enable ? QString() : QStringLiteral("Not while the program is busy with the unit.")});
    }
    return states;
}

QList<MenuEnabled> connectionMenuStates(const LinkStatus& status)
{
    const QString open = QStringLiteral("Connected already: Polling > Disconnect first.");
    const QString closed = QStringLiteral("Not connected: Polling > Connect first.");
    switch (status.connection) {
    case LinkStatus::Connection::Open:
        return {{QStringLiteral("mnuConnect"), false, open}, {QStringLiteral("mnuDisconnect"), true},
                {QStringLiteral("mnuReboot"), true}};
    case LinkStatus::Connection::Closed:
        return {{QStringLiteral("mnuDisconnect"), false, closed}, {QStringLiteral("mnuTerminal"), false, closed},
                {QStringLiteral("mnuReboot"), false, closed}, {QStringLiteral("mnuConnect"), true}};
    case LinkStatus::Connection::Rebooting:
        break;
    }
    return {{QStringLiteral("mnuConnect"), false, QStringLiteral("The unit is rebooting.")}};
}

} // namespace halvana
