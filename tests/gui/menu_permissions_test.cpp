#include "gui/app/menu_permissions.h"

#include <gtest/gtest.h>

#include <map>

using namespace halvana;

namespace {

// The level table, column by column: nobody, Default, Administrator, Supervisor.
// 'r' marks an item that a level allows over RS-485 only.
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

bool expected(const QString& menu, int column, int commMode)
{
    const char mark = kTable.at(menu)[column];
    return mark == 'y' || (mark == 'r' && commMode == 0);
}

} // namespace

TEST(MenuPermissions, EveryMenuFollowsTheLevelTableInBothModes)
{
    for (int mode : {0, 1}) {
        for (int column = 0; column < 4; ++column) {
            const QList<MenuEnabled> states = loginLevelMenuStates(kLevels[column], mode);
            std::map<QString, bool> seen;
            for (const MenuEnabled& s : states)
                seen[s.menu] = s.enabled;
            ASSERT_EQ(seen.size(), kTable.size()) << "mode " << mode << " level column " << column;
            for (const auto& [menu, marks] : kTable) {
                ASSERT_TRUE(seen.count(menu)) << menu.toStdString();
                EXPECT_EQ(seen[menu], expected(menu, column, mode))
                    << menu.toStdString() << " mode " << mode << " level column " << column;
                EXPECT_EQ(menuAllowedAtLevel(menu, kLevels[column], mode), expected(menu, column, mode))
                    << menu.toStdString();
            }
        }
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
