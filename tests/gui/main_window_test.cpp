#include "main_window_fixture.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>

#include <map>

using namespace halvana;
using halvana::test::MainWindowTest;

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

TEST_F(MainWindowTest, FirstStartWithAnEmptyStore)
{
    MDIForm1& f = start();
    // The level, the link's defaults and the channel names: the tests that change them.
    EXPECT_EQ(f.windowTitle(), "Maldorn Halvana Configuration Tool");
    EXPECT_EQ(f.statusPanel("Baud")->text(), "PC Baud: 115200  ");
    for (const QString& folder : {f.folders().defaultDownloadsFolder(), f.folders().defaultScriptsFolder(),
                                  f.folders().downloadFileListsFolder(), f.folders().scriptFileListsFolder()})
        EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
    EXPECT_TRUE(shell.texts.isEmpty()) << shell.texts.join("\n").toStdString();
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

TEST_F(MainWindowTest, MissingChannelNamesAreNamedAndTheProgramGoesOn)
{
    QFile::remove(programFolder() + "/BCM_Channels.txt");
    MDIForm1& f = start();
    ASSERT_EQ(shell.texts.size(), 1);
    EXPECT_TRUE(shell.texts[0].contains(QDir(programFolder()).absoluteFilePath("BCM_Channels.txt")));
    EXPECT_EQ(f.channelNames().count(), 0);
    EXPECT_EQ(f.statusPanel("Status")->text(), "User: Logged Out  ");
}
