#include "gui/app/menu_permissions.h"
#include "main_window_fixture.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>

#include <map>

using namespace halvana;
using namespace halvana::test;

// The level's rules reach the real menus at start, a popup item handed over later included.
TEST_F(MainWindowTest, MenusFollowTheStoredLoginLevel)
{
    MDIForm1& f = start({{"LoginLevel", "1"}, {"Mode", "1"}});
    auto* popupItem = new QAction("Enable", &f);
    popupItem->setObjectName("mnuEnable");
    f.registerMenuAction(popupItem);
    const std::map<const char*, bool> enabled = {
        {"mnuView", true}, {"mnuEnable", true}, {"mnuChangePassword", true}, {"mnuService", true}, {"mnuDataSpy", false}, {"mnuLogin", true}};
    for (const auto& [menu, on] : enabled)
        EXPECT_EQ(f.menuAction(menu)->isEnabled(), on) << menu;
}

TEST_F(MainWindowTest, ItemsWithoutTheirWindowStayDisabledAndSaySo)
{
    MDIForm1& f = start({{"LoginLevel", "2"}, {"DataSpyEnabled", "True"}, {"frmSystemSettingsFlag", "True"}});
    for (const char* name : {"mnuMeterTable0", "mnuMeterTable10", "mnuBCM_Panel_CB_View3", "mnuUpgrade", "mnuDataSpy"}) {
        ASSERT_FALSE(f.isMenuAvailable(name)) << name;
        EXPECT_FALSE(f.menuAction(name)->isEnabled()) << name;
        EXPECT_FALSE(f.menuAction(name)->isChecked()) << name;
        EXPECT_FALSE(f.menuAction(name)->statusTip().isEmpty()) << name;
    }
    // Once a window's owner gives the item its command, the level decides.
    int opened = 0;
    f.setMenuCommand("mnuUpgrade", [&opened] { ++opened; });
    EXPECT_TRUE(f.menuAction("mnuUpgrade")->isEnabled());
    EXPECT_TRUE(f.menuAction("mnuUpgrade")->statusTip().isEmpty());
    f.menuAction("mnuUpgrade")->trigger();
    EXPECT_EQ(opened, 1);
}

// The first start makes the folders and says nothing; one without channel names names the file.
TEST_F(MainWindowTest, FirstStartWithAnEmptyStoreAndAStartWithoutChannelNames)
{
    MDIForm1& f = start();
    // The level, the link's defaults and the channel names: the tests that change them.
    EXPECT_EQ(f.statusPanel("Baud")->text(), "PC Baud: 115200  ");
    for (const QString& folder : {f.folders().defaultDownloadsFolder(), f.folders().defaultScriptsFolder(),
                                  f.folders().downloadFileListsFolder(), f.folders().scriptFileListsFolder()})
        EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
    EXPECT_TRUE(shell.texts.isEmpty()) << shell.texts.join("\n").toStdString();

    QFile::remove(programFolder() + "/BCM_Channels.txt");
    MDIForm1& again = start();
    ASSERT_EQ(shell.texts.size(), 1);
    EXPECT_TRUE(shell.texts[0].contains(QDir(programFolder()).absoluteFilePath("BCM_Channels.txt")));
    EXPECT_EQ(again.channelNames().count(), 0);
    EXPECT_EQ(again.statusPanel("Status")->text(), "User: Logged Out  ");
}

TEST_F(MainWindowTest, CommunicationStartsOnlyForALoggedInUserWithPollingOn)
{
    const struct {
        const char* level;
        const char* pollingDisabled;
        int starts;
        bool barShown;
    } cases[] = {{"", "False", 0, false}, {"0", "False", 1, false}, {"2", "False", 1, false}, {"1", "True", 0, true}};
    for (const auto& c : cases) {
        storeBeforeStart("Properties", "LoginLevel", c.level);
        storeBeforeStart("Properties", "PollingDisabled", c.pollingDisabled);
        startCommRequests = 0;
        MDIForm1& f = start();
        EXPECT_EQ(startCommRequests, c.starts) << "level '" << c.level << "'";
        EXPECT_EQ(f.StatusBar2()->isVisibleTo(&f), c.barShown) << "level '" << c.level << "'";
        EXPECT_EQ(f.pollingDisabled(), c.barShown);
    }
}

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

TEST_F(MainWindowTest, ClosingWhileMaximisedStoresStateTwoAndTheNormalGeometry)
{
    MDIForm1& f = start();
    f.setGeometry(60, 70, 900, 640);
    f.showMaximized();
    ASSERT_TRUE(f.isMaximized());
    f.close();
    expectStored({"MainFormPosition/4=2", "MainFormPosition/0=900", "MainFormPosition/1=1050",
                  "MainFormPosition/2=13500", "MainFormPosition/3=9600"});

    // The next start opens maximised over the same normal geometry.
    MDIForm1& again = start();
    again.showStartState();
    EXPECT_TRUE(again.isMaximized());
    EXPECT_EQ(again.normalGeometry(), QRect(60, 70, 900, 640));
}

TEST_F(MainWindowTest, ClosingStoresTheFlagsAndKeepsThoseOfWindowsNotBuiltYet)
{
    storeBeforeStart("MeterTableWindowOpenFlag", "3", "True");
    storeBeforeStart("MainFormPosition", "5", "True");
    MDIForm1& f = start({{"BCM_ColWidthFlag", "true"}, {"PollingDisabled", "True"}});
    f.close();
    expectStored({"MeterTableWindowOpenFlag/3=True", "MeterTableWindowOpenFlag/4=False", "MainFormPosition/5=True",
                  "Properties/BCM_ColWidthFlag=False", "Properties/PollingDisabled=True",
                  "BCM_PnlBraRdgsOpenFlag/3=False"});
    EXPECT_TRUE(shell.texts.isEmpty());
}

TEST_F(MainWindowTest, AStoreThatCannotBeWrittenIsNamedAtClose)
{
    MDIForm1& f = start({{"Mode", "1"}});
    QDir(home.path() + "/store").removeRecursively();
    ASSERT_TRUE(makeBlockingFile(home.path() + "/store"));
    f.close();
    ASSERT_EQ(shell.texts.size(), 1);
    EXPECT_TRUE(shell.texts[0].contains(storePath())) << shell.texts[0].toStdString();
}

TEST_F(MainWindowTest, TileMovesOnlyNormalWindowsAndNormalizeAllRestoresMinimisedOnes)
{
    MDIForm1& f = start();
    f.resize(1000, 700);
    f.show();
    QMdiSubWindow* minimised = openChild("A", {300, 200});
    QMdiSubWindow* first = openChild("B", {300, 200});
    QMdiSubWindow* second = openChild("C", {250, 150});
    first->move(200, 300);
    second->move(400, 100);
    minimised->showMinimized();
    const QPoint minimisedAt = minimised->pos();
    f.menuAction("mnuTile")->trigger();
    EXPECT_EQ(first->pos(), QPoint(0, 0));
    EXPECT_EQ(second->pos(), QPoint(300, 0));
    EXPECT_EQ(minimised->pos(), minimisedAt);
    EXPECT_TRUE(minimised->isMinimized());

    second->showMaximized();
    f.menuAction("mnuNormalizeAll")->trigger();
    EXPECT_FALSE(minimised->isMinimized());
    EXPECT_TRUE(second->isMaximized());
}

TEST_F(MainWindowTest, CloseAllKeepsTheLoginWindow)
{
    MDIForm1& f = start();
    f.show();
    openChild("Meter Info", {300, 200});
    openChild("Login", {300, 200});
    openChild("Folder Locations", {300, 200});
    f.menuAction("mnuCloseAll")->trigger();
    QApplication::processEvents();
    const QList<QMdiSubWindow*> left = f.mdiArea()->subWindowList();
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(left[0]->windowTitle(), "Login");
}

TEST_F(MainWindowTest, ManualAndApplicationFolderOpenOrSayWhatIsMissing)
{
    MDIForm1& f = start();
    f.menuAction("mnuInstructions")->trigger();
    const QString manual = QDir(programFolder()).absoluteFilePath("HalvanaConfigTool_Users_Manual.pdf");
    ASSERT_EQ(shell.texts.size(), 1);
    EXPECT_EQ(shell.texts[0], "The file, '" + manual + "', was not found.");
    EXPECT_TRUE(shell.opened.isEmpty());

    ASSERT_TRUE(writeFileBytes(manual, {}));
    f.menuAction("mnuInstructions")->trigger();
    ASSERT_EQ(shell.opened.size(), 1);
    EXPECT_EQ(shell.opened[0].toLocalFile(), manual);

    MDIForm1& admin = start({{"LoginLevel", "1"}});
    admin.menuAction("mnuOpenAppFolder")->trigger();
    ASSERT_EQ(shell.opened.size(), 2);
    EXPECT_EQ(QDir(shell.opened[1].toLocalFile()), QDir(programFolder()));
}
