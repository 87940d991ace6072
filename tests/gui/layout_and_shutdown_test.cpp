#include "core/app/app_settings.h"
#include "main_window_fixture.h"

#include <QAction>
#include <QDir>
#include <QLabel>

using namespace halvana;
using halvana::test::MainWindowTest;

TEST_F(MainWindowTest, ClosingWhileMaximisedStoresStateTwoAndTheNormalGeometry)
{
    MDIForm1& f = start();
    f.setGeometry(60, 70, 900, 640);
    f.showMaximized();
    ASSERT_TRUE(f.isMaximized());
    f.close();
    auto s = storeOnDisk();
    EXPECT_EQ(s->value("MainFormPosition", "4"), "2");
    EXPECT_EQ(s->value("MainFormPosition", "0"), "900");
    EXPECT_EQ(s->value("MainFormPosition", "1"), "1050");
    EXPECT_EQ(s->value("MainFormPosition", "2"), "13500");
    EXPECT_EQ(s->value("MainFormPosition", "3"), "9600");

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
    auto s = storeOnDisk();
    EXPECT_EQ(s->value("MeterTableWindowOpenFlag", "3"), "True");
    EXPECT_EQ(s->value("MeterTableWindowOpenFlag", "4"), "False");
    EXPECT_EQ(s->value("MainFormPosition", "5"), "True");
    EXPECT_EQ(s->value("Properties", "BCM_ColWidthFlag"), "False");
    EXPECT_EQ(s->value("Properties", "PollingDisabled"), "True");
    EXPECT_EQ(s->value("BCM_PnlBraRdgsOpenFlag", "3"), "False");
    EXPECT_TRUE(shell.texts.isEmpty());
}

TEST_F(MainWindowTest, AStoreThatCannotBeWrittenIsNamedAtClose)
{
    MDIForm1& f = start({{"Mode", "1"}});
    // Replace the store's folder by a file so nothing can be written there.
    QDir(home.path() + "/store").removeRecursively();
    QFile blocker(home.path() + "/store");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
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

    QFile pdf(manual);
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.close();
    f.menuAction("mnuInstructions")->trigger();
    ASSERT_EQ(shell.opened.size(), 1);
    EXPECT_EQ(shell.opened[0].toLocalFile(), manual);

    MDIForm1& admin = start({{"LoginLevel", "1"}});
    admin.menuAction("mnuOpenAppFolder")->trigger();
    ASSERT_EQ(shell.opened.size(), 2);
    EXPECT_EQ(QDir(shell.opened[1].toLocalFile()), QDir(programFolder()));
}
