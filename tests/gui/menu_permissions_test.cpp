#include "gui/app/menu_permissions.h"

#include <gtest/gtest.h>

#include <map>

using namespace halvana;

namespace {

// The level table, column by column: nobody, Default, Administrator, Supervisor.
const std::map<QString, const char*> kTable = {
    {"mnuView", "-yyy"},           {"mnuWindow", "-yyy"},         {"mnuConnect_Top", "--yy"},
    {"mnuLogout", "-yyy"},         {"mnuChangePassword", "--yy"}, {"mnuEnable", "--yy"},
    {"mnuUsersFolders", "--yy"},   {"mnuDeleteReg", "--yy"},      {"mnuOpenAppFolder", "--yy"},
    {"mnuCommPortSettings", "--yy"}, {"mnuBCM_Cal_Top", "--yy"},  {"mnuRunScript", "--yy"},
    {"mnuUpgrade", "---y"},        {"mnuTerminal", "---y"},       {"mnuReboot", "---y"},
    {"mnuLinkStatistics", "--yy"}, {"mnuService", "--yy"},        {"mnuScriptGrid", "---y"},     {"mnuAllSettings", "---y"},
    {"mnuCompareSettings", "---y"}, {"mnuDataSpy", "---y"},
};

const LoginLevel kLevels[] = {LoginLevel::LoggedOut, LoginLevel::Default, LoginLevel::Administrator,
                              LoginLevel::Supervisor};

} // namespace

TEST(MenuPermissions, EveryMenuFollowsTheLevelTable)
{
    for (int column = 0; column < 4; ++column) {
        std::map<QString, bool> seen, want;
        for (const MenuEnabled& s : loginLevelMenuStates(kLevels[column], 0))
            seen[s.menu] = s.enabled;
        for (const auto& [menu, marks] : kTable) {
            want[menu] = marks[column] == 'y';
            EXPECT_EQ(menuAllowedAtLevel(menu, kLevels[column], 0), want[menu]) << menu.toStdString();
        }
        EXPECT_EQ(seen, want) << "level column " << column;
    }
}

TEST(MenuPermissions, EnableButtonsSwitchesTheGroupAndRestoresTheLevel)
{
    const struct {
        bool enable;
        LoginLevel level;
        bool waiting;
        std::map<QString, bool> states;
    } cases[] = {
        {false, LoginLevel::Supervisor, false,
         {{"mnuFile", false}, {"mnuView", false}, {"mnuConnect_Top", false}, {"mnuWindow", false}}},
        {true, LoginLevel::Supervisor, false,
         {{"mnuFile", true}, {"mnuView", true}, {"mnuConnect_Top", true}, {"mnuWindow", true}}},
        // Level 0 never gets the Polling menu back.
        {true, LoginLevel::Default, false,
         {{"mnuFile", true}, {"mnuView", true}, {"mnuConnect_Top", false}, {"mnuWindow", true}}},
        // While the wait after a configuration command runs, the View menu is left alone.
        {false, LoginLevel::Administrator, true,
         {{"mnuFile", false}, {"mnuConnect_Top", false}, {"mnuWindow", false}}},
    };
    for (const auto& c : cases) {
        std::map<QString, bool> seen;
        for (const MenuEnabled& s : enableButtonsMenuStates(c.enable, c.level, 0, c.waiting))
            seen[s.menu] = s.enabled;
        EXPECT_EQ(seen, c.states) << "enable " << c.enable << " level " << int(c.level);
    }
}
