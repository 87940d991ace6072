#include "main_window_fixture.h"

using namespace halvana;
using namespace halvana::test;

TEST_F(MainWindowTest, ClosingWhileMaximisedStoresStateTwoAndTheNormalGeometry)
{
    MDIForm1& f = start();
    f.setGeometry(60, 70, 900, 640);
    f.showMaximized();
    ASSERT_TRUE(f.isMaximized());
    f.close();
    expectStored({{"MainFormPosition", "4", "2"}, {"MainFormPosition", "0", "900"}, {"MainFormPosition", "1", "1050"},
                  {"MainFormPosition", "2", "13500"}, {"MainFormPosition", "3", "9600"}});

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
    expectStored({{"MeterTableWindowOpenFlag", "3", "True"}, {"MeterTableWindowOpenFlag", "4", "False"},
                  {"MainFormPosition", "5", "True"}, {"Properties", "BCM_ColWidthFlag", "False"},
                  {"Properties", "PollingDisabled", "True"}, {"BCM_PnlBraRdgsOpenFlag", "3", "False"}});
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
